// libFuzzer target: the window skin loader over arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/Skin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  brae::Skin* skin = brae::Skin::FromBytes(bytes, false);
  if (!skin) return 0;
  for (int slot = 0; slot < brae::kSkinSlotCount; ++slot) {
    int width = 0, height = 0;
    skin->ImageSize(slot, &width, &height);
  }
  skin->ThickBorderWidth();
  delete skin;
  return 0;
}
