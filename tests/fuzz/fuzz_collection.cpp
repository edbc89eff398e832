// libFuzzer target: the collection loader (with pixels), and a save of whatever loads.
// The first four bytes are the tag header's user data (the collection flags).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "collection/CollectionFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  brae::TagHeader header;
  header.user_data =
      uint32_t(data[0]) << 24 | uint32_t(data[1]) << 16 | uint32_t(data[2]) << 8 | data[3];
  brae::CollectionLoadOptions options;
  options.max_bitmap_pixels = size_t(1) << 20;
  options.max_pixel_bytes = size_t(64) << 20;
  options.max_cells = size_t(1) << 18;
  for (bool pixels : {true, false}) {
    options.with_pixels = pixels;
    brae::Collection c;
    if (brae::LoadCollection(data + 4, size - 4, header, options, &c) && pixels) {
      std::vector<uint8_t> saved;
      brae::SaveCollection(c, &saved);
    }
  }
  return 0;
}
