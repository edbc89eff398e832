// libFuzzer target: the BMP reader over arbitrary bytes, header only and whole.
#include <cstddef>
#include <cstdint>

#include "media/BmpFormat.h"
#include "media/PixelConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::Image image;
  brae::ReadBmp(data, size, &image, true);
  if (brae::ReadBmp(data, size, &image, false) && image.PixelBytes() <= (1u << 16)) {
    // Small pictures also go through the expansion the converters start from.
    brae::ExpandToRgba(image);
    std::vector<uint8_t> out;
    brae::EncodeBmp(image, &out);
  }
  return 0;
}
