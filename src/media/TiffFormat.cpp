#include "media/TiffFormat.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <string>
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

// How the stored samples map onto the pixels read.
struct TiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bits = 8;
  uint16_t samples = 1;
  bool separate_planes = false;
  bool tiled = false;
  uint32_t tile_width = 0;
  uint32_t tile_length = 0;
  bool palette = false;             // samples are palette indices, kept as they are
  bool min_is_white = false;        // grey levels are inverted
  bool grey_alpha = false;          // grey and alpha, read as RGBA
  bool associated_alpha = false;    // colours are premultiplied by alpha
  bool through_rgba_image = false;  // decoded by libtiff's RGBA interface
};

// Tiles are read whole; a tile may not ask for more than this.
constexpr uint64_t kMaxTileBytes = uint64_t{64} << 20;

uint64_t PackedBytes(uint64_t pixels, uint64_t samples, uint64_t bits) {
  return (pixels * samples * bits + 7) / 8;
}

const char* PhotometricRefusal(uint16_t photometric) {
  switch (photometric) {
    case PHOTOMETRIC_SEPARATED:
      return "CMYK TIFF images are not supported";
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
      return "CIE L*a*b* TIFF images are not supported";
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV:
      return "LogLuv TIFF images are not supported";
    case PHOTOMETRIC_MASK:
      return "TIFF transparency masks are not supported";
    case PHOTOMETRIC_CFA:
    case 34892:  // linear raw
      return "raw camera TIFF images are not supported";
    default:
      return nullptr;
  }
}

bool ReadHeaderFields(TIFF* tif, TiffLayout* l, Image* image, std::string* error) {
  uint16_t photometric = 0, planar = PLANARCONFIG_CONTIG, sample_format = SAMPLEFORMAT_UINT;
  uint16_t compression = COMPRESSION_NONE;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l->width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l->height)) {
    return Fail(error, "TIFF size missing");
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l->bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l->samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sample_format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
    return Fail(error, "TIFF photometric interpretation missing");
  }
  if (const char* refusal = PhotometricRefusal(photometric)) return Fail(error, refusal);
  if (sample_format == SAMPLEFORMAT_IEEEFP) {
    return Fail(error, "TIFF images with floating-point samples are not supported");
  }
  if (sample_format != SAMPLEFORMAT_UINT && sample_format != SAMPLEFORMAT_VOID) {
    return Fail(error, "TIFF images with signed or complex samples are not supported");
  }
  if (l->samples < 1 || l->samples > 4) {
    return Fail(error, "TIFF images with " + std::to_string(l->samples) +
                           " samples per pixel are not supported");
  }
  if (photometric == PHOTOMETRIC_PALETTE && l->bits > 8) {
    return Fail(error, "TIFF palettes of more than 256 colours are not supported");
  }
  if (l->bits != 1 && l->bits != 2 && l->bits != 4 && l->bits != 8 && l->bits != 16) {
    return Fail(error,
                "TIFF images with " + std::to_string(l->bits) + "-bit samples are not supported");
  }
  if (!TIFFIsCODECConfigured(compression)) {
    return Fail(error, "TIFF compression " + std::to_string(compression) + " is not supported");
  }
  if (!Image::AcceptableSize(l->width, l->height)) return Fail(error, "TIFF image too large");
  image->width = int(l->width);
  image->height = int(l->height);
  l->separate_planes = planar == PLANARCONFIG_SEPARATE && l->samples > 1;

  // The fourth sample of RGB, and the second of grey, is alpha.
  if ((photometric == PHOTOMETRIC_RGB && l->samples == 4) ||
      ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
       l->samples == 2)) {
    uint16_t extra_count = 0;
    uint16_t* extra = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) && extra_count > 0 && extra) {
      l->associated_alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
  }

  switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
      if (l->samples > 2) {
        return Fail(error, "grey TIFF images with " + std::to_string(l->samples) +
                               " samples per pixel are not supported");
      }
      l->min_is_white = photometric == PHOTOMETRIC_MINISWHITE;
      l->grey_alpha = l->samples == 2;
      image->format = l->grey_alpha ? PixelFormat::kRgba : PixelFormat::kGrey;
      break;
    case PHOTOMETRIC_PALETTE: {
      if (l->samples != 1) return Fail(error, "TIFF palette images need 1 sample per pixel");
      uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
      if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) {
        return Fail(error, "TIFF colour map missing");
      }
      // The map has one entry per possible index. Some old writers stored 8-bit values in its
      // 16-bit words; a map without any value above 255 is taken as such.
      const int count = 1 << l->bits;
      bool eight_bit = true;
      for (int i = 0; i < count; ++i) {
        if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eight_bit = false;
      }
      const int shift = eight_bit ? 0 : 8;
      image->format = PixelFormat::kIndexed;
      image->palette.count = count;
      for (int i = 0; i < count; ++i) {
        image->palette.entries[i] =
            Rgb{uint8_t(red[i] >> shift), uint8_t(green[i] >> shift), uint8_t(blue[i] >> shift)};
      }
      l->palette = true;
      break;
    }
    case PHOTOMETRIC_RGB:
      if (l->samples < 3) return Fail(error, "RGB TIFF images need 3 or 4 samples per pixel");
      image->format = l->samples == 3 ? PixelFormat::kRgb : PixelFormat::kRgba;
      break;
    case PHOTOMETRIC_YCBCR:
      if (l->samples != 3 || l->bits != 8) {
        return Fail(error, "YCbCr TIFF images need 3 samples of 8 bits");
      }
      image->format = PixelFormat::kRgb;
      if (compression == COMPRESSION_JPEG) {
        // libjpeg converts to RGB; the rows then read like any RGB image.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
      } else {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tif, message)) {
          return Fail(error, std::string("unsupported YCbCr TIFF image: ") + message);
        }
        l->through_rgba_image = true;
        return true;
      }
      break;
    default:
      return Fail(error, "TIFF photometric interpretation " + std::to_string(photometric) +
                             " is not supported");
  }

  // The buffers below are sized from these numbers, so libtiff's own idea of a row must agree.
  const uint64_t plane_samples = l->separate_planes ? 1 : l->samples;
  l->tiled = TIFFIsTiled(tif) != 0;
  if (l->tiled) {
    if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &l->tile_width) ||
        !TIFFGetField(tif, TIFFTAG_TILELENGTH, &l->tile_length) || l->tile_width == 0 ||
        l->tile_length == 0) {
      return Fail(error, "TIFF tile size missing");
    }
    const uint64_t tile_row = PackedBytes(l->tile_width, plane_samples, l->bits);
    if (TIFFTileRowSize64(tif) != tile_row ||
        TIFFTileSize64(tif) != tile_row * uint64_t(l->tile_length)) {
      return Fail(error, "unsupported TIFF tile layout");
    }
    if (tile_row * uint64_t(l->tile_length) > kMaxTileBytes) {
      return Fail(error, "TIFF tiles too large");
    }
  } else if (uint64_t(TIFFScanlineSize64(tif)) != PackedBytes(l->width, plane_samples, l->bits)) {
    return Fail(error, "unsupported TIFF row layout");
  }
  return true;
}

// Sample i of a row of packed samples (1, 2, 4, 8 or 16 bits; 16-bit samples in the host's
// byte order, as libtiff delivers them).
uint32_t SampleAt(const uint8_t* row, uint16_t bits, size_t i) {
  switch (bits) {
    case 8:
      return row[i];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * i, 2);
      return v;
    }
    default: {
      const size_t bit = i * bits;
      const int shift = 8 - bits - int(bit % 8);
      return (row[bit / 8] >> shift) & ((1u << bits) - 1);
    }
  }
}

// Stores count pixels of packed samples into the image row out, from pixel first on. With
// plane < 0 the row holds every sample of each pixel; otherwise only that sample.
void StoreSamples(const TiffLayout& l, const uint8_t* row, size_t count, int plane, size_t first,
                  PixelFormat format, uint8_t* out) {
  const int bpp = BytesPerPixel(format);
  const int first_sample = plane < 0 ? 0 : plane;
  const int last_sample = plane < 0 ? l.samples - 1 : plane;
  const size_t per_pixel = plane < 0 ? l.samples : 1;
  const uint32_t max = (1u << l.bits) - 1;
  for (size_t x = 0; x < count; ++x) {
    uint8_t* dst = out + (first + x) * size_t(bpp);
    for (int s = first_sample; s <= last_sample; ++s) {
      const uint32_t raw = SampleAt(row, l.bits, x * per_pixel + size_t(s - first_sample));
      uint8_t v;
      if (l.palette || l.bits == 8) {
        v = uint8_t(raw);
      } else if (l.bits == 16) {
        v = uint8_t(raw >> 8);
      } else {
        v = uint8_t(raw * 255 / max);
      }
      if (l.grey_alpha) {
        if (s == 0) {
          if (l.min_is_white) v = uint8_t(255 - v);
          dst[0] = dst[1] = dst[2] = v;
        } else {
          dst[3] = v;
        }
      } else {
        if (l.min_is_white) v = uint8_t(255 - v);
        dst[s] = v;
      }
    }
  }
}

// Colours stored premultiplied by alpha are divided back.
void UnpremultiplyAlpha(Image* image) {
  for (size_t i = 0; i + 3 < image->pixels.size(); i += 4) {
    uint8_t* p = &image->pixels[i];
    const unsigned a = p[3];
    if (a == 0 || a == 255) continue;
    for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::min(255u, (p[c] * 255u + a / 2) / a));
  }
}

bool ReadStrips(TIFF* tif, const TiffLayout& l, Image* image, std::string* error) {
  const size_t row_bytes = image->RowBytes();
  std::vector<uint8_t> scanline(size_t(TIFFScanlineSize64(tif)));
  const int planes = l.separate_planes ? l.samples : 1;
  for (int plane = 0; plane < planes; ++plane) {
    for (uint32_t y = 0; y < l.height; ++y) {
      // The buffer grows row by row: a small file stating a large image fails early.
      if (plane == 0) image->pixels.resize(row_bytes * (size_t(y) + 1));
      if (TIFFReadScanline(tif, scanline.data(), y, uint16_t(plane)) < 0) {
        return Fail(error, "TIFF row could not be read");
      }
      StoreSamples(l, scanline.data(), l.width, l.separate_planes ? plane : -1, 0, image->format,
                   image->pixels.data() + row_bytes * y);
    }
  }
  return true;
}

bool ReadTiles(TIFF* tif, const TiffLayout& l, Image* image, std::string* error) {
  const size_t row_bytes = image->RowBytes();
  const size_t tile_row_bytes = size_t(TIFFTileRowSize64(tif));
  std::vector<uint8_t> tile(size_t(TIFFTileSize64(tif)));
  const int planes = l.separate_planes ? l.samples : 1;
  for (uint32_t ty = 0; ty < l.height; ty += l.tile_length) {
    const uint32_t rows = std::min(l.tile_length, l.height - ty);
    image->pixels.resize(row_bytes * (size_t(ty) + rows));
    for (int plane = 0; plane < planes; ++plane) {
      for (uint32_t tx = 0; tx < l.width; tx += l.tile_width) {
        if (TIFFReadTile(tif, tile.data(), tx, ty, 0, uint16_t(plane)) < 0) {
          return Fail(error, "TIFF tile could not be read");
        }
        const uint32_t columns = std::min(l.tile_width, l.width - tx);
        for (uint32_t r = 0; r < rows; ++r) {
          StoreSamples(l, tile.data() + tile_row_bytes * r, columns, l.separate_planes ? plane : -1,
                       tx, image->format, image->pixels.data() + row_bytes * (size_t(ty) + r));
        }
      }
    }
  }
  return true;
}

// Images libtiff can only decode through its RGBA interface (such as uncompressed YCbCr).
// They have no alpha, so its premultiplication does not matter; rows are asked for top first.
bool ReadThroughRgbaImage(TIFF* tif, const TiffLayout& l, Image* image, std::string* error) {
  char message[1024] = {};
  TIFFRGBAImage rgba;
  if (!TIFFRGBAImageBegin(&rgba, tif, 0, message)) {
    return Fail(error, std::string("TIFF image could not be decoded: ") + message);
  }
  rgba.req_orientation = ORIENTATION_TOPLEFT;
  constexpr uint32_t kBand = 64;
  std::vector<uint32_t> band(size_t(l.width) * kBand);
  bool ok = true;
  for (uint32_t y = 0; y < l.height && ok; y += kBand) {
    const uint32_t rows = std::min(kBand, l.height - y);
    rgba.row_offset = int(y);
    rgba.col_offset = 0;
    ok = TIFFRGBAImageGet(&rgba, band.data(), l.width, rows) != 0;
    image->pixels.resize(image->RowBytes() * (size_t(y) + rows));
    uint8_t* out = image->pixels.data() + image->RowBytes() * y;
    for (size_t i = 0; ok && i < size_t(l.width) * rows; ++i, out += 3) {
      out[0] = uint8_t(TIFFGetR(band[i]));
      out[1] = uint8_t(TIFFGetG(band[i]));
      out[2] = uint8_t(TIFFGetB(band[i]));
    }
  }
  TIFFRGBAImageEnd(&rgba);
  if (!ok) return Fail(error, "TIFF rows could not be read");
  return true;
}

}  // namespace

bool ReadTiff(const std::string& path, Image* out, bool header_only, std::string* error) {
  TiffHandle tif(path, "r");
  if (!tif.get()) return Fail(error, "cannot open the file as TIFF");
  Image image;
  TiffLayout layout;
  if (!ReadHeaderFields(tif.get(), &layout, &image, error)) return false;
  if (!header_only) {
    bool ok;
    if (layout.through_rgba_image) {
      ok = ReadThroughRgbaImage(tif.get(), layout, &image, error);
    } else if (layout.tiled) {
      ok = ReadTiles(tif.get(), layout, &image, error);
    } else {
      ok = ReadStrips(tif.get(), layout, &image, error);
    }
    if (!ok) return false;
    if (layout.associated_alpha) UnpremultiplyAlpha(&image);
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
