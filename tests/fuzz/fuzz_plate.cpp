// libFuzzer target: the plate reader. The first byte chooses the way in: even, the rest is a
// plate of one-byte pixels (the next byte + 1 is the width) given to the cell reader directly;
// odd, the rest is an image file read as a colour plate and as an alpha plate by the
// collection's plate commands.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "collection/PaletteMerge.h"
#include "collection/Plates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  if (data[0] % 2 == 0) {
    const int width = data[1] + 1;
    const size_t rest = size - 2;
    const int height = int(rest / size_t(width));
    if (height < 1) return 0;
    std::vector<brae::PlateCell> cells;
    if (!brae::ReadPlateCells(data + 2, width, height, &cells)) return 0;
    uint8_t map[256];
    for (int i = 0; i < 256; ++i) map[i] = uint8_t(i);
    for (const brae::PlateCell& c : cells) {
      if (c.Empty()) continue;
      // Every cell lies inside the plate.
      if (c.x < 0 || c.y < 0 || c.x + c.width > width || c.y + c.height > height) __builtin_trap();
      brae::BitmapFromIndexedPixels(data + 2 + size_t(c.y) * size_t(width) + size_t(c.x),
                                    size_t(width), c.width, c.height, map, "cell");
    }
    return 0;
  }
  const std::string& path = FuzzFilePath(".png");
  if (!WriteFuzzFile(path, data + 1, size - 1)) return 0;
  brae::Collection collection;
  auto b = brae::CollectionBitmap::MakeIndexed("a", 3, 3);
  collection.AddBitmap(std::move(b));
  brae::AddBitmapsFromPlate(&collection, path);
  brae::ReplaceFromPlate(&collection, {0}, path);
  brae::ReplaceAlphaFromPlate(&collection, {0}, path);
  return 0;
}
