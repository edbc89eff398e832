#include "media/TiffFormat.h"

#include <tiffio.h>

#include <cstring>
#include <vector>

namespace brae {

namespace {

// Older libtiff names it COMPRESSION_DEFLATE; the value is what matters in the file.
constexpr uint16_t kCompressionDeflate = 32946;

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

void Quiet(const char*, const char*, va_list) {}

// libtiff prints to standard error by default; this program reports failures itself.
void SilenceLibtiff() {
  static const bool silenced = [] {
    TIFFSetErrorHandler(Quiet);
    TIFFSetWarningHandler(Quiet);
    return true;
  }();
  (void)silenced;
}

class TiffHandle {
 public:
  TiffHandle(const std::string& path, const char* mode) {
    SilenceLibtiff();
    tiff_ = TIFFOpen(path.c_str(), mode);
  }
  ~TiffHandle() { Close(); }
  TIFF* get() const { return tiff_; }
  void Close() {
    if (tiff_) TIFFClose(tiff_);
    tiff_ = nullptr;
  }

 private:
  TIFF* tiff_ = nullptr;
};

bool ReadHeaderFields(TIFF* tif, Image* image, std::string* error) {
  uint32_t width = 0, height = 0;
  uint16_t bits = 0, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height)) {
    return Fail(error, "TIFF size missing");
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
    return Fail(error, "TIFF photometric interpretation missing");
  }
  if (bits != 8) return Fail(error, "only TIFF files with 8-bit samples are supported");
  if (!Image::AcceptableSize(width, height)) return Fail(error, "TIFF image too large");
  if (TIFFIsTiled(tif) || (planar != PLANARCONFIG_CONTIG && samples > 1)) {
    return Fail(error, "tiled or planar TIFF files are not supported");
  }
  if (photometric == PHOTOMETRIC_MINISBLACK && samples == 1) {
    image->format = PixelFormat::kGrey;
  } else if (photometric == PHOTOMETRIC_PALETTE && samples == 1) {
    image->format = PixelFormat::kIndexed;
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
      return Fail(error, "TIFF colour map missing");
    }
    image->palette.count = kMaxPaletteSize;  // 8-bit samples: the map has 256 entries
    for (int i = 0; i < kMaxPaletteSize; ++i) {
      image->palette.entries[i] =
          Rgb{uint8_t(red[i] >> 8), uint8_t(green[i] >> 8), uint8_t(blue[i] >> 8)};
    }
  } else if (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_PALETTE &&
             (samples == 3 || samples == 4)) {
    image->format = samples == 3 ? PixelFormat::kRgb : PixelFormat::kRgba;
    if (photometric == PHOTOMETRIC_YCBCR) {
      uint16_t compression = 0;
      TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
      if (compression != COMPRESSION_JPEG) return Fail(error, "YCbCr TIFF files are not supported");
      TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
  } else {
    return Fail(error, "unsupported TIFF photometric interpretation");
  }
  image->width = int(width);
  image->height = int(height);
  if (uint64_t(TIFFScanlineSize64(tif)) != image->RowBytes()) {
    return Fail(error, "unsupported TIFF row layout");
  }
  return true;
}

}  // namespace

bool ReadTiff(const std::string& path, Image* out, bool header_only, std::string* error) {
  TiffHandle tif(path, "r");
  if (!tif.get()) return Fail(error, "cannot open the file as TIFF");
  Image image;
  if (!ReadHeaderFields(tif.get(), &image, error)) return false;
  if (!header_only) {
    // The buffer grows row by row: a small file stating a large image fails early.
    const size_t row_bytes = image.RowBytes();
    for (int y = 0; y < image.height; ++y) {
      image.pixels.resize(row_bytes * size_t(y + 1));
      if (TIFFReadScanline(tif.get(), image.pixels.data() + row_bytes * size_t(y), uint32_t(y), 0) <
          0) {
        return Fail(error, "TIFF row could not be read");
      }
    }
  }
  *out = std::move(image);
  return true;
}

bool WriteTiff(const std::string& path, const Image& image, std::string* error) {
  uint16_t photometric = 0, samples = 1;
  switch (image.format) {
    case PixelFormat::kIndexed:
      photometric = PHOTOMETRIC_PALETTE;
      break;
    case PixelFormat::kGrey:
      photometric = PHOTOMETRIC_MINISBLACK;
      break;
    case PixelFormat::kRgb:
      photometric = PHOTOMETRIC_RGB;
      samples = 3;
      break;
    case PixelFormat::kRgba:
      photometric = PHOTOMETRIC_RGB;
      samples = 4;
      break;
    default:
      return Fail(error, "TIFF cannot hold this pixel format");
  }
  if (image.width < 1 || image.height < 1 || image.pixels.size() < image.PixelBytes()) {
    return Fail(error, "no pixels to write");
  }
  TiffHandle tif(path, "w");
  if (!tif.get()) return Fail(error, "cannot create the file");
  TIFF* t = tif.get();
  TIFFSetField(t, TIFFTAG_IMAGEDEPTH, 1);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
  TIFFSetField(t, TIFFTAG_COMPRESSION, kCompressionDeflate);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
  if (samples == 4) {
    // Marks the fourth sample as alpha so that other readers see it as such.
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (image.format == PixelFormat::kIndexed) {
    std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
    const int count = image.palette.count > 0 ? image.palette.count : 0;
    for (int i = 0; i < kMaxPaletteSize; ++i) {
      const Rgb c = count > 0 ? (i < count ? image.palette.entries[i] : Rgb{})
                              : Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
      red[size_t(i)] = uint16_t(c.r * 65535 / 255);
      green[size_t(i)] = uint16_t(c.g * 65535 / 255);
      blue[size_t(i)] = uint16_t(c.b * 65535 / 255);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  std::vector<uint8_t> row(image.RowBytes());
  for (int y = 0; y < image.height; ++y) {
    // libtiff may modify the row it is given while encoding; hand it a copy.
    std::memcpy(row.data(), image.pixels.data() + image.RowBytes() * size_t(y), row.size());
    if (TIFFWriteScanline(t, row.data(), uint32_t(y), 0) < 0) {
      return Fail(error, "TIFF row could not be written");
    }
  }
  if (!TIFFWriteDirectory(t)) return Fail(error, "TIFF directory could not be written");
  tif.Close();
  return true;
}

}  // namespace brae
