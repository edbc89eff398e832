// libFuzzer target: the colour table parser over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "media/ColorTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::Rgb table[brae::kMaxPaletteSize];
  int count = 0;
  if (brae::ParseColorTable(data, size, table, &count) && (count < 0 || count > 256))
    __builtin_trap();
  return 0;
}
