#include "media/BmpFormat.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tagstore/ByteOrder.h"

namespace brae {

namespace {

// Compression codes of the information header.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiJpeg = 4;
constexpr uint32_t kBiPng = 5;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;

// One colour channel packed into a 16- or 32-bit pixel.
struct BitField {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  uint8_t Extract(uint32_t pixel) const {
    if (width == 0) return 0;
    const uint64_t value = (pixel & mask) >> shift;
    if (width == 8) return uint8_t(value);
    const uint64_t max = (uint64_t{1} << width) - 1;
    return uint8_t((value * 255 + max / 2) / max);
  }
};

struct BmpLayout {
  int width = 0;
  int rows = 0;
  bool top_down = false;
  uint16_t bit_count = 0;
  uint32_t compression = kBiRgb;
  bool bitfields = false;  // pixels unpacked through the fields below
  BitField red, green, blue, alpha;
  size_t palette_at = 0;
  uint32_t palette_count = 0;  // entries stored in the file
  size_t entry_bytes = 4;      // 3 for the core header
  size_t pixel_at = 0;
  size_t stride = 0;  // bytes of a stored row (uncompressed images)
  PixelFormat format = PixelFormat::kNone;
};

bool Refuse(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

size_t PaddedRow(size_t bytes) {
  return (bytes + 3) & ~size_t{3};
}

int CountBits(uint32_t v) {
  int n = 0;
  for (; v; v &= v - 1) ++n;
  return n;
}

int LowestBit(uint32_t v) {
  int n = 0;
  while (v && !(v & 1u)) v >>= 1, ++n;
  return n;
}

bool MakeField(uint32_t mask, const char* name, uint16_t bit_count, bool required, BitField* field,
               std::string* error) {
  if (mask == 0) {
    if (required) return Refuse(error, std::string("BMP ") + name + " bit field is empty");
    *field = BitField{};
    return true;
  }
  if (bit_count < 32 && (mask >> bit_count) != 0) {
    return Refuse(error, std::string("BMP ") + name + " bit field lies outside the pixel");
  }
  field->mask = mask;
  field->shift = LowestBit(mask);
  field->width = CountBits(mask);
  if ((mask >> field->shift) != (uint64_t{1} << field->width) - 1) {
    return Refuse(error, std::string("BMP ") + name + " bit field is not contiguous");
  }
  return true;
}

bool MakeFields(uint32_t r, uint32_t g, uint32_t b, uint32_t a, BmpLayout* l, std::string* error) {
  if (!MakeField(r, "red", l->bit_count, true, &l->red, error) ||
      !MakeField(g, "green", l->bit_count, true, &l->green, error) ||
      !MakeField(b, "blue", l->bit_count, true, &l->blue, error) ||
      !MakeField(a, "alpha", l->bit_count, false, &l->alpha, error)) {
    return false;
  }
  if ((r & g) || (r & b) || (r & a) || (g & b) || (g & a) || (b & a)) {
    return Refuse(error, "BMP bit fields overlap");
  }
  l->bitfields = true;
  return true;
}

// True when any fourth byte of a 32-bit image without bit fields is non-zero.
bool AnyFourthByteSet(const uint8_t* bytes, const BmpLayout& l) {
  for (int row = 0; row < l.rows; ++row) {
    const uint8_t* p = bytes + l.pixel_at + l.stride * size_t(row);
    for (int x = 0; x < l.width; ++x) {
      if (p[4 * size_t(x) + 3] != 0) return true;
    }
  }
  return false;
}

bool ParseHeaders(const uint8_t* b, size_t size, BmpLayout* l, std::string* error) {
  if (size < 2 || b[0] != 0x42 || b[1] != 0x4D) return Refuse(error, "not a BMP file");
  if (size < kFileHeaderBytes + 4) return Refuse(error, "truncated BMP header");
  const uint32_t pixel_offset = LoadLE32(b + 10);
  const uint8_t* h = b + kFileHeaderBytes;
  const uint32_t header_size = LoadLE32(h);
  if (header_size != kCoreHeaderBytes && header_size != 40 && header_size != 52 &&
      header_size != 56 && header_size != 108 && header_size != 124) {
    return Refuse(error,
                  "unsupported BMP information header (" + std::to_string(header_size) + " bytes)");
  }
  if (size - kFileHeaderBytes < header_size) return Refuse(error, "truncated BMP header");

  int64_t width = 0, height = 0;
  uint16_t planes = 0;
  uint32_t colours_used = 0;
  if (header_size == kCoreHeaderBytes) {
    width = LoadLE16(h + 4);
    height = LoadLE16(h + 6);
    planes = LoadLE16(h + 8);
    l->bit_count = LoadLE16(h + 10);
    l->entry_bytes = 3;
  } else {
    width = int32_t(LoadLE32(h + 4));
    height = int32_t(LoadLE32(h + 8));
    planes = LoadLE16(h + 12);
    l->bit_count = LoadLE16(h + 14);
    l->compression = LoadLE32(h + 16);
    colours_used = LoadLE32(h + 32);
  }
  if (width < 1 || width > kMaxImageSide) return Refuse(error, "bad BMP width");
  if (height == 0 || (height < 0 ? -height : height) > kMaxImageSide) {
    return Refuse(error, "bad BMP height");
  }
  if (planes != 1) return Refuse(error, "BMP plane count is not 1");
  const uint16_t bits = l->bit_count;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return Refuse(error,
                  "BMP images with " + std::to_string(bits) + " bits per pixel are not supported");
  }
  l->width = int(width);
  l->top_down = height < 0;
  l->rows = int(height < 0 ? -height : height);
  if (!Image::AcceptableSize(l->width, l->rows)) return Refuse(error, "BMP image too large");

  size_t header_end = kFileHeaderBytes + header_size;
  switch (l->compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4:
      if (bits != (l->compression == kBiRle8 ? 8 : 4)) {
        return Refuse(error, "BMP RLE compression does not match the bit count");
      }
      if (l->top_down) return Refuse(error, "RLE-compressed BMP images cannot be top-down");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields: {
      if (bits != 16 && bits != 32) {
        return Refuse(error, "BMP bit fields need 16 or 32 bits per pixel");
      }
      // A 40-byte header is followed by the masks; longer headers hold them.
      const bool with_alpha = l->compression == kBiAlphaBitfields || header_size >= 56;
      const uint8_t* masks = h + 40;
      if (header_size == 40) {
        const size_t mask_bytes = l->compression == kBiAlphaBitfields ? 16 : 12;
        if (size - header_end < mask_bytes) return Refuse(error, "truncated BMP bit fields");
        header_end += mask_bytes;
      } else if (header_size == 52 && l->compression == kBiAlphaBitfields) {
        return Refuse(error, "BMP alpha bit field missing");
      }
      const uint32_t alpha_mask = with_alpha ? LoadLE32(masks + 12) : 0;
      if (!MakeFields(LoadLE32(masks), LoadLE32(masks + 4), LoadLE32(masks + 8), alpha_mask, l,
                      error)) {
        return false;
      }
      break;
    }
    case kBiJpeg:
      return Refuse(error, "JPEG-compressed BMP images are not supported");
    case kBiPng:
      return Refuse(error, "PNG-compressed BMP images are not supported");
    default:
      return Refuse(error, "unsupported BMP compression " + std::to_string(l->compression));
  }
  if (l->compression == kBiRgb && bits == 16) {
    MakeFields(0x7C00, 0x03E0, 0x001F, 0, l, error);
  }

  // The palette: every entry the bit depth allows unless the colours-used count says fewer.
  // Images above 8 bits may carry an optional table, which is skipped.
  if (colours_used > kMaxPaletteSize) return Refuse(error, "bad BMP colour counts");
  if (bits <= 8) {
    const uint32_t possible = 1u << bits;
    if (colours_used > possible) {
      return Refuse(error, "BMP palette larger than its bit depth allows");
    }
    l->palette_count = colours_used ? colours_used : possible;
  } else {
    l->palette_count = colours_used;
  }
  l->palette_at = header_end;
  if (size - header_end < size_t(l->palette_count) * l->entry_bytes) {
    return Refuse(error, "truncated BMP palette");
  }
  const size_t palette_end = header_end + size_t(l->palette_count) * l->entry_bytes;

  // The stored pixel offset is honoured when it points inside the file and past the palette;
  // otherwise the pixels are taken to follow the palette.
  l->pixel_at = pixel_offset >= palette_end && pixel_offset < size ? pixel_offset : palette_end;

  if (l->compression != kBiRle8 && l->compression != kBiRle4) {
    l->stride = PaddedRow((size_t(l->width) * bits + 7) / 8);
    if ((size - l->pixel_at) / l->stride < size_t(l->rows)) {
      return Refuse(error, "truncated BMP pixels");
    }
  }

  if (bits <= 8) {
    l->format = PixelFormat::kIndexed;
  } else if (l->bitfields) {
    l->format = l->alpha.width > 0 ? PixelFormat::kRgba : PixelFormat::kRgb;
  } else if (bits == 32) {
    l->format = AnyFourthByteSet(b, *l) ? PixelFormat::kRgba : PixelFormat::kRgb;
  } else {
    l->format = PixelFormat::kRgb;
  }
  return true;
}

void DecodeRow(const uint8_t* src, const BmpLayout& l, uint8_t* dst) {
  const size_t width = size_t(l.width);
  const bool alpha = l.format == PixelFormat::kRgba;
  switch (l.bit_count) {
    case 1:
    case 4:
    case 8: {
      const int bits = l.bit_count;
      const int per_byte = 8 / bits;
      const uint8_t mask = uint8_t((1u << bits) - 1);
      for (size_t x = 0; x < width; ++x) {
        const int slot = int(x % size_t(per_byte));
        dst[x] = uint8_t(src[x / size_t(per_byte)] >> (8 - bits * (slot + 1))) & mask;
      }
      break;
    }
    case 24:
      for (size_t x = 0; x < width; ++x, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
      break;
    case 16:
    case 32:
      for (size_t x = 0; x < width; ++x) {
        uint32_t pixel;
        if (l.bit_count == 16) {
          pixel = LoadLE16(src);
          src += 2;
        } else {
          pixel = LoadLE32(src);
          src += 4;
        }
        if (l.bitfields) {
          dst[0] = l.red.Extract(pixel);
          dst[1] = l.green.Extract(pixel);
          dst[2] = l.blue.Extract(pixel);
          if (alpha) dst[3] = l.alpha.Extract(pixel);
        } else {  // 32 bits stored blue, green, red, then alpha or nothing
          dst[0] = uint8_t(pixel >> 16);
          dst[1] = uint8_t(pixel >> 8);
          dst[2] = uint8_t(pixel);
          if (alpha) dst[3] = uint8_t(pixel >> 24);
        }
        dst += alpha ? 4 : 3;
      }
      break;
    default:
      break;
  }
}

// Decodes RLE8 or RLE4 data into one index per pixel (rows top first). Pixels the data does
// not reach stay index 0. A run may reach into the padding of its stored row (ImageMagick
// encodes the padding as pixels); what lies there is dropped. Runs and deltas past the padded
// row, or past the last row, are refused.
bool DecodeRle(const uint8_t* data, size_t size, const BmpLayout& l, std::vector<uint8_t>* pixels,
               std::string* error) {
  const bool rle8 = l.compression == kBiRle8;
  const size_t width = size_t(l.width);
  const size_t rows = size_t(l.rows);
  const size_t row_limit = rle8 ? (width + 3) & ~size_t{3} : (width + 7) & ~size_t{7};
  pixels->assign(width * rows, 0);
  size_t x = 0, y = 0;  // y counts stored rows, bottom row first
  size_t at = 0;
  auto put = [&](uint8_t index) {
    if (x < width) (*pixels)[(rows - 1 - y) * width + x] = index;
    ++x;
  };
  for (;;) {
    if (size - at < 2) return Refuse(error, "BMP RLE data ends without an end-of-bitmap code");
    const uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      if (y >= rows || count > row_limit - x) {
        return Refuse(error, "BMP RLE run goes past the end of a row");
      }
      for (int i = 0; i < count; ++i) {
        put(rle8 ? value : uint8_t(i % 2 == 0 ? value >> 4 : value & 0x0F));
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        if (y >= rows) return Refuse(error, "BMP RLE data goes past the last row");
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // delta
        if (size - at < 2) return Refuse(error, "BMP RLE data ends without an end-of-bitmap code");
        const size_t dx = data[at], dy = data[at + 1];
        at += 2;
        if (y >= rows || dx > row_limit - x || dy >= rows - y) {
          return Refuse(error, "BMP RLE delta moves past the image");
        }
        x += dx;
        y += dy;
        break;
      }
      default: {  // an absolute run of value indices, padded to a 16-bit boundary
        const size_t stored = rle8 ? value : (size_t(value) + 1) / 2;
        const size_t stored_padded = (stored + 1) & ~size_t{1};
        if (size - at < stored_padded) return Refuse(error, "truncated BMP RLE data");
        if (y >= rows || value > row_limit - x) {
          return Refuse(error, "BMP RLE run goes past the end of a row");
        }
        const uint8_t* src = data + at;
        for (size_t i = 0; i < value; ++i) {
          put(rle8 ? src[i] : uint8_t(i % 2 == 0 ? src[i / 2] >> 4 : src[i / 2] & 0x0F));
        }
        at += stored_padded;
        break;
      }
    }
  }
}

}  // namespace

bool ReadBmp(const uint8_t* bytes, size_t size, Image* out, bool header_only, std::string* error) {
  BmpLayout l;
  if (!ParseHeaders(bytes, size, &l, error)) return false;

  Image image;
  image.format = l.format;
  image.width = l.width;
  image.height = l.rows;
  if (l.format == PixelFormat::kIndexed) {
    image.palette.count = int(l.palette_count);
    const uint8_t* entry = bytes + l.palette_at;
    for (uint32_t i = 0; i < l.palette_count; ++i, entry += l.entry_bytes) {
      image.palette.entries[i] = Rgb{entry[2], entry[1], entry[0]};
    }
  }
  if (!header_only) {
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
      if (!DecodeRle(bytes + l.pixel_at, size - l.pixel_at, l, &image.pixels, error)) {
        return false;
      }
    } else {
      const size_t row_bytes = image.RowBytes();
      image.pixels.resize(image.PixelBytes());
      for (int y = 0; y < l.rows; ++y) {
        const int stored_row = l.top_down ? y : l.rows - 1 - y;
        DecodeRow(bytes + l.pixel_at + l.stride * size_t(stored_row), l,
                  image.pixels.data() + row_bytes * size_t(y));
      }
    }
  }
  *out = std::move(image);
  return true;
}

bool EncodeBmp(const Image& image, std::vector<uint8_t>* out) {
  int bits = 0;
  switch (image.format) {
    case PixelFormat::kIndexed:
    case PixelFormat::kGrey:
      bits = 8;
      break;
    case PixelFormat::kRgb:
      bits = 24;
      break;
    case PixelFormat::kRgba:
      bits = 32;
      break;
    default:
      return false;
  }
  if (image.width < 1 || image.height < 1 || image.pixels.size() < image.PixelBytes()) return false;

  // A grey image, or one without a palette, is written with the grey ramp.
  Palette ramp;
  const Palette* palette = nullptr;
  if (bits == 8) {
    if (image.format == PixelFormat::kGrey || image.palette.count <= 0) {
      MakeGreyRamp(&ramp);
      palette = &ramp;
    } else {
      palette = &image.palette;
    }
  }
  const uint32_t palette_count = palette ? uint32_t(std::min(palette->count, kMaxPaletteSize)) : 0;
  const uint32_t pixel_offset = uint32_t(kBmpHeaderBytes) + 4 * palette_count;
  const size_t row_bytes = image.RowBytes();
  const size_t stride = PaddedRow(row_bytes);
  const uint64_t file_size = pixel_offset + uint64_t(stride) * uint64_t(image.height);
  if (file_size > 0xFFFFFFFFu) return false;

  std::vector<uint8_t>& b = *out;
  b.assign(size_t(file_size), 0);
  b[0] = 0x42;
  b[1] = 0x4D;
  StoreLE32(&b[2], uint32_t(file_size));
  StoreLE32(&b[10], pixel_offset);
  uint8_t* h = &b[14];
  StoreLE32(h, 40);
  StoreLE32(h + 4, uint32_t(image.width));
  StoreLE32(h + 8, uint32_t(image.height));
  StoreLE16(h + 12, 1);
  StoreLE16(h + 14, uint16_t(bits));
  StoreLE32(h + 32, palette_count);
  for (uint32_t i = 0; i < palette_count; ++i) {
    uint8_t* e = &b[kBmpHeaderBytes + 4 * i];
    e[0] = palette->entries[i].b;
    e[1] = palette->entries[i].g;
    e[2] = palette->entries[i].r;
  }
  const int bpp = BytesPerPixel(image.format);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = image.pixels.data() + row_bytes * size_t(image.height - 1 - y);
    uint8_t* dst = &b[pixel_offset + stride * size_t(y)];
    std::memcpy(dst, src, row_bytes);
    if (bpp >= 3) {
      for (size_t x = 0; x < row_bytes; x += size_t(bpp)) std::swap(dst[x], dst[x + 2]);
    }
  }
  return true;
}

}  // namespace brae
