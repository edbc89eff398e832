#pragma once
// An in-memory picture: pixel format, size, palette and unpadded rows, top row first.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brae {

enum class PixelFormat {
  kNone,
  kIndexed,       // one byte: palette index
  kGrey,          // one byte: grey level (also alpha masks)
  kRgb,           // three bytes: red, green, blue
  kRgba,          // four bytes: red, green, blue, alpha
  kIndexedAlpha,  // two bytes: alpha, then palette index (the collection code's form)
};

// Bytes per pixel of a format (0 for kNone).
int BytesPerPixel(PixelFormat format);
const char* PixelFormatName(PixelFormat format);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

constexpr int kMaxPaletteSize = 256;

struct Palette {
  int count = 0;  // entries in use, 0-256
  Rgb entries[kMaxPaletteSize];
};

// Readers refuse pictures above this many pixels, so that a small hostile file cannot ask for
// an enormous buffer.
constexpr uint64_t kMaxImagePixels = uint64_t{1} << 26;
// The largest width or height any of the formats may state.
constexpr int kMaxImageSide = 32767;

struct Image {
  PixelFormat format = PixelFormat::kNone;
  int width = 0;
  int height = 0;
  Palette palette;  // colour-indexed formats
  std::vector<uint8_t> pixels;

  size_t RowBytes() const { return size_t(width) * size_t(BytesPerPixel(format)); }
  size_t PixelBytes() const { return RowBytes() * size_t(height); }
  // True when the size is acceptable for a reader (1..32767 each way, bounded pixel count).
  static bool AcceptableSize(int64_t width, int64_t height);
};

// The 256-entry grey ramp (i, i, i).
void MakeGreyRamp(Palette* palette);

}  // namespace brae
