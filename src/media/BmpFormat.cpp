#include "media/BmpFormat.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tagstore/ByteOrder.h"

namespace brae {

namespace {

struct BmpInfo {
  int32_t width = 0;
  int32_t height = 0;  // negative: top row first
  uint16_t bit_count = 0;
  uint32_t colours_used = 0;
  uint32_t palette_count = 0;  // entries that follow the headers
};

bool Refuse(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

int64_t Magnitude(int32_t v) {
  return v < 0 ? -int64_t(v) : int64_t(v);
}

size_t PaddedRow(size_t bytes) {
  return (bytes + 3) & ~size_t{3};
}

bool ParseHeaders(const uint8_t* b, size_t size, BmpInfo* info, std::string* error) {
  if (size < kBmpHeaderBytes) return Refuse(error, "truncated BMP header");
  if (b[0] != 0x42 || b[1] != 0x4D) return Refuse(error, "not a BMP file");
  const uint8_t* h = b + 14;
  const uint32_t header_size = LoadLE32(h);
  info->width = int32_t(LoadLE32(h + 4));
  info->height = int32_t(LoadLE32(h + 8));
  const uint16_t planes = LoadLE16(h + 12);
  info->bit_count = LoadLE16(h + 14);
  const uint32_t compression = LoadLE32(h + 16);
  info->colours_used = LoadLE32(h + 32);
  const uint32_t important = LoadLE32(h + 36);

  if (header_size != 40) return Refuse(error, "unsupported BMP information header");
  if (info->width < 1 || info->width > kMaxImageSide) return Refuse(error, "bad BMP width");
  if (info->height == 0 || Magnitude(info->height) > kMaxImageSide) {
    return Refuse(error, "bad BMP height");
  }
  if (planes != 1) return Refuse(error, "BMP plane count is not 1");
  if (compression != 0) return Refuse(error, "compressed BMP files are not supported");
  if (info->colours_used > 256 || important > 256 || important > info->colours_used) {
    return Refuse(error, "bad BMP colour counts");
  }
  if (info->bit_count != 8 && (info->colours_used != 0 || important != 0)) {
    return Refuse(error, "BMP colour counts without a palette");
  }
  if (info->bit_count != 8 && info->bit_count != 24 && info->bit_count != 32) {
    return Refuse(error, "unsupported BMP bit count");
  }
  if (!Image::AcceptableSize(info->width, Magnitude(info->height))) {
    return Refuse(error, "BMP image too large");
  }
  info->palette_count = info->bit_count == 8 ? (info->colours_used ? info->colours_used : 256) : 0;
  if (size - kBmpHeaderBytes < size_t(info->palette_count) * 4) {
    return Refuse(error, "truncated BMP palette");
  }
  return true;
}

PixelFormat FormatOfBitCount(uint16_t bits) {
  return bits == 8 ? PixelFormat::kIndexed : bits == 24 ? PixelFormat::kRgb : PixelFormat::kRgba;
}

}  // namespace

bool ReadBmp(const uint8_t* bytes, size_t size, Image* out, bool header_only, std::string* error) {
  BmpInfo info;
  if (!ParseHeaders(bytes, size, &info, error)) return false;

  Image image;
  image.format = FormatOfBitCount(info.bit_count);
  image.width = info.width;
  image.height = int(Magnitude(info.height));
  image.palette.count = int(info.palette_count);
  const uint8_t* entry = bytes + kBmpHeaderBytes;
  for (uint32_t i = 0; i < info.palette_count; ++i, entry += 4) {
    image.palette.entries[i] = Rgb{entry[2], entry[1], entry[0]};
  }

  // The pixels follow the palette directly; the stored pixel offset is not consulted.
  const size_t pixel_start = kBmpHeaderBytes + size_t(info.palette_count) * 4;
  const size_t row_bytes = image.RowBytes();
  const size_t stride = PaddedRow(row_bytes);
  if ((size - pixel_start) / stride < size_t(image.height)) {
    return Refuse(error, "truncated BMP pixels");
  }
  if (!header_only) {
    const int bpp = BytesPerPixel(image.format);
    image.pixels.resize(image.PixelBytes());
    for (int y = 0; y < image.height; ++y) {
      const int stored_row = info.height > 0 ? image.height - 1 - y : y;
      const uint8_t* src = bytes + pixel_start + stride * size_t(stored_row);
      uint8_t* dst = image.pixels.data() + row_bytes * size_t(y);
      std::memcpy(dst, src, row_bytes);
      if (bpp >= 3) {
        for (size_t x = 0; x < row_bytes; x += size_t(bpp)) std::swap(dst[x], dst[x + 2]);
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
