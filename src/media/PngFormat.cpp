// libpng reports errors by longjmp. The functions that call setjmp hold only plain pointers and
// numbers, so that the jump never skips a destructor; buffers belong to their callers.
#include "media/PngFormat.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace brae {

namespace {

struct PngHeader {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int color_type = 0;
  int interlace = 0;
};

void QuietWarning(png_structp, png_const_charp) {}

void RecordError(png_structp png, png_const_charp message) {
  auto* text = static_cast<char*>(png_get_error_ptr(png));
  if (text) std::snprintf(text, 128, "%s", message);
  png_longjmp(png, 1);
}

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

// Owns libpng's read state and the file.
class PngReadState {
 public:
  ~PngReadState() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (file) std::fclose(file);
  }
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  char message[128] = {};
};

// The layout libpng delivers after the transformations ReadPngInfo asks for.
struct PngRows {
  int color_type = 0;
  int bit_depth = 0;
  int channels = 0;
  size_t row_bytes = 0;
};

// Reads the chunks up to the pixels and sets the transformations that bring every colour type
// and depth to one of the four 8-bit pixel formats: indices below 8 bits are unpacked to one
// byte each (the palette and its indices stay as stored, tRNS is not applied); grey below 8
// bits is scaled to 0-255; 16-bit samples keep their high byte; grey with alpha, and grey or
// RGB with a tRNS chunk, become RGBA. Gamma and colour-space chunks are not applied.
bool ReadPngInfo(PngReadState* s, PngHeader* h, png_colorp palette, int* palette_count,
                 PngRows* rows) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_init_io(s->png, s->file);
  png_set_user_limits(s->png, kMaxImageSide, kMaxImageSide);
  png_read_info(s->png, s->info);
  png_get_IHDR(s->png, s->info, &h->width, &h->height, &h->bit_depth, &h->color_type, &h->interlace,
               nullptr, nullptr);
  *palette_count = 0;
  png_colorp entries = nullptr;
  int count = 0;
  if (png_get_PLTE(s->png, s->info, &entries, &count) && entries && count > 0) {
    if (count > kMaxPaletteSize) count = kMaxPaletteSize;
    std::memcpy(palette, entries, sizeof(png_color) * size_t(count));
    *palette_count = count;
  }

  if (h->color_type == PNG_COLOR_TYPE_PALETTE) {
    if (h->bit_depth < 8) png_set_packing(s->png);
  } else {
    const bool transparency = png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
    if (h->color_type == PNG_COLOR_TYPE_GRAY && h->bit_depth < 8) {
      png_set_expand_gray_1_2_4_to_8(s->png);
    }
    if (transparency) png_set_tRNS_to_alpha(s->png);
    if (h->bit_depth == 16) png_set_strip_16(s->png);
    if (h->color_type == PNG_COLOR_TYPE_GRAY_ALPHA ||
        (h->color_type == PNG_COLOR_TYPE_GRAY && transparency)) {
      png_set_gray_to_rgb(s->png);
    }
  }
  if (h->interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  rows->color_type = png_get_color_type(s->png, s->info);
  rows->bit_depth = png_get_bit_depth(s->png, s->info);
  rows->channels = png_get_channels(s->png, s->info);
  rows->row_bytes = png_get_rowbytes(s->png, s->info);
  return true;
}

// Rows of a non-interlaced image are read one by one and the buffer grows with them, so a
// small file that states a large image fails before much is allocated.
bool ReadPngRows(PngReadState* s, bool interlaced, size_t row_bytes, size_t height,
                 std::vector<uint8_t>* pixels, png_bytepp rows) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  if (interlaced) {
    png_read_image(s->png, rows);
  } else {
    for (size_t y = 0; y < height; ++y) {
      pixels->resize((y + 1) * row_bytes);
      png_read_row(s->png, pixels->data() + y * row_bytes, nullptr);
    }
  }
  png_read_end(s->png, nullptr);
  return true;
}

PixelFormat FormatOfColorType(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY:
      return PixelFormat::kGrey;
    case PNG_COLOR_TYPE_RGB:
      return PixelFormat::kRgb;
    case PNG_COLOR_TYPE_PALETTE:
      return PixelFormat::kIndexed;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return PixelFormat::kRgba;
    default:
      return PixelFormat::kNone;
  }
}

// Owns libpng's write state and the file.
class PngWriteState {
 public:
  ~PngWriteState() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (file) std::fclose(file);
  }
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  char message[128] = {};
};

bool WritePngData(PngWriteState* s, const PngHeader* h, png_colorp palette, int palette_count,
                  png_bytepp rows) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_init_io(s->png, s->file);
  png_set_IHDR(s->png, s->info, h->width, h->height, 8, h->color_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette_count > 0) png_set_PLTE(s->png, s->info, palette, palette_count);
  png_write_info(s->png, s->info);
  png_write_image(s->png, rows);
  png_write_end(s->png, nullptr);
  return true;
}

}  // namespace

namespace {

// Reads the chunks up to the pixels and copies a palette image's tRNS alphas.
bool ReadPngPaletteTrns(PngReadState* s, uint8_t alpha[kMaxPaletteSize]) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_init_io(s->png, s->file);
  png_set_user_limits(s->png, kMaxImageSide, kMaxImageSide);
  png_read_info(s->png, s->info);
  if (png_get_color_type(s->png, s->info) != PNG_COLOR_TYPE_PALETTE) return true;
  png_bytep entries = nullptr;
  int count = 0;
  if (!png_get_tRNS(s->png, s->info, &entries, &count, nullptr) || !entries) return true;
  std::copy(entries, entries + std::min(count, kMaxPaletteSize), alpha);
  return true;
}

}  // namespace

bool ReadPngPaletteAlpha(const std::string& path, uint8_t alpha[kMaxPaletteSize]) {
  std::fill(alpha, alpha + kMaxPaletteSize, uint8_t(255));
  PngReadState s;
  s.file = std::fopen(path.c_str(), "rb");
  if (!s.file) return false;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, s.message, RecordError, QuietWarning);
  if (!s.png) return false;
  s.info = png_create_info_struct(s.png);
  return s.info && ReadPngPaletteTrns(&s, alpha);
}

bool ReadPng(const std::string& path, Image* out, bool header_only, std::string* error) {
  PngReadState s;
  s.file = std::fopen(path.c_str(), "rb");
  if (!s.file) return Fail(error, "cannot open the file");
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, s.message, RecordError, QuietWarning);
  if (!s.png) return Fail(error, "out of memory");
  s.info = png_create_info_struct(s.png);
  if (!s.info) return Fail(error, "out of memory");

  PngHeader h;
  png_color palette[kMaxPaletteSize];
  int palette_count = 0;
  PngRows layout;
  if (!ReadPngInfo(&s, &h, palette, &palette_count, &layout)) {
    return Fail(error, std::string("PNG error: ") + s.message);
  }
  Image image;
  image.format = FormatOfColorType(layout.color_type);
  if (!Image::AcceptableSize(h.width, h.height)) return Fail(error, "PNG image too large");
  image.width = int(h.width);
  image.height = int(h.height);
  if (image.format == PixelFormat::kNone || layout.bit_depth != 8 ||
      layout.channels != BytesPerPixel(image.format) || layout.row_bytes != image.RowBytes()) {
    return Fail(error, "unsupported PNG colour type " + std::to_string(h.color_type) + " at " +
                           std::to_string(h.bit_depth) + " bits");
  }
  if (image.format == PixelFormat::kIndexed) {
    if (palette_count == 0) return Fail(error, "PNG palette missing");
    image.palette.count = palette_count;
    for (int i = 0; i < palette_count; ++i) {
      image.palette.entries[i] = Rgb{palette[i].red, palette[i].green, palette[i].blue};
    }
  }
  if (!header_only) {
    const bool interlaced = h.interlace != PNG_INTERLACE_NONE;
    std::vector<png_bytep> rows;
    if (interlaced) {
      image.pixels.resize(image.PixelBytes());
      for (int y = 0; y < image.height; ++y) {
        rows.push_back(image.pixels.data() + image.RowBytes() * size_t(y));
      }
    }
    if (!ReadPngRows(&s, interlaced, image.RowBytes(), size_t(image.height), &image.pixels,
                     rows.data())) {
      return Fail(error, std::string("PNG error: ") + s.message);
    }
  }
  *out = std::move(image);
  return true;
}

bool WritePng(const std::string& path, const Image& image, std::string* error) {
  PngHeader h;
  switch (image.format) {
    case PixelFormat::kGrey:
      h.color_type = PNG_COLOR_TYPE_GRAY;
      break;
    case PixelFormat::kRgb:
      h.color_type = PNG_COLOR_TYPE_RGB;
      break;
    case PixelFormat::kIndexed:
      h.color_type = PNG_COLOR_TYPE_PALETTE;
      break;
    case PixelFormat::kRgba:
      h.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
      break;
    default:
      return Fail(error, "PNG cannot hold this pixel format");
  }
  if (image.width < 1 || image.height < 1 || image.pixels.size() < image.PixelBytes()) {
    return Fail(error, "no pixels to write");
  }
  h.width = png_uint_32(image.width);
  h.height = png_uint_32(image.height);
  png_color palette[kMaxPaletteSize] = {};
  int palette_count = 0;
  if (image.format == PixelFormat::kIndexed) {
    palette_count = image.palette.count > 0 ? std::min(image.palette.count, kMaxPaletteSize) : 256;
    for (int i = 0; i < palette_count; ++i) {
      const Rgb c = image.palette.count > 0 ? image.palette.entries[i]
                                            : Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
      palette[i] = png_color{c.r, c.g, c.b};
    }
  }
  std::vector<png_bytep> rows(size_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    rows[size_t(y)] = const_cast<png_bytep>(image.pixels.data() + image.RowBytes() * size_t(y));
  }

  PngWriteState s;
  s.file = std::fopen(path.c_str(), "wb");
  if (!s.file) return Fail(error, "cannot create the file");
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, s.message, RecordError, QuietWarning);
  if (!s.png) return Fail(error, "out of memory");
  s.info = png_create_info_struct(s.png);
  if (!s.info) return Fail(error, "out of memory");
  if (!WritePngData(&s, &h, palette, palette_count, rows.data())) {
    return Fail(error, std::string("PNG error: ") + s.message);
  }
  std::FILE* file = s.file;
  s.file = nullptr;
  if (std::fclose(file) != 0) return Fail(error, "cannot finish writing the file");
  return true;
}

}  // namespace brae
