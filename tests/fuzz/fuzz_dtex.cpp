// Detail texture tag data from arbitrary bytes; a decoded image must re-code to the same pixels.
#include <cstdlib>

#include "terrain/DtexImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  auto image = brae::ParseDtexData(bytes);
  if (!image) return 0;
  auto again = brae::ParseDtexData(brae::SerializeDtexData(*image));
  if (!again || again->pixels != image->pixels) std::abort();
  return 0;
}
