#include "media/Image.h"

namespace brae {

int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kIndexed:
    case PixelFormat::kGrey:
      return 1;
    case PixelFormat::kIndexedAlpha:
      return 2;
    case PixelFormat::kRgb:
      return 3;
    case PixelFormat::kRgba:
      return 4;
    case PixelFormat::kNone:
      break;
  }
  return 0;
}

const char* PixelFormatName(PixelFormat format) {
  switch (format) {
    case PixelFormat::kIndexed:
      return "8-bit indexed";
    case PixelFormat::kGrey:
      return "8-bit grey";
    case PixelFormat::kIndexedAlpha:
      return "16-bit indexed with alpha";
    case PixelFormat::kRgb:
      return "24-bit RGB";
    case PixelFormat::kRgba:
      return "32-bit RGBA";
    case PixelFormat::kNone:
      break;
  }
  return "none";
}

bool Image::AcceptableSize(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         uint64_t(width) * uint64_t(height) <= kMaxImagePixels;
}

void MakeGreyRamp(Palette* palette) {
  palette->count = kMaxPaletteSize;
  for (int i = 0; i < kMaxPaletteSize; ++i) {
    palette->entries[i] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
  }
}

}  // namespace brae
