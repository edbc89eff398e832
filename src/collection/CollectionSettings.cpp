#include "collection/CollectionSettings.h"

#include "media/ColorTable.h"
#include "media/FileTypes.h"

namespace brae {

void PaletteToTable(const CollectionPalette& palette, Rgb table[kMaxPaletteSize]) {
  for (size_t i = 0; i < palette.size(); ++i)
    table[i] = Rgb{palette[i].r, palette[i].g, palette[i].b};
}

OperationResult SetPaletteFromTable(Collection* collection, const Rgb table[kMaxPaletteSize]) {
  OperationResult result;
  for (size_t i = 0; i < collection->palette.size(); ++i) {
    const PaletteColor colour{table[i].r, table[i].g, table[i].b};
    if (collection->palette[i] == colour) continue;
    collection->palette[i] = colour;
    result.changed = true;
  }
  return result;
}

OperationResult SetPaletteEntry(Collection* collection, size_t index, PaletteColor colour) {
  OperationResult result;
  if (index >= collection->palette.size()) return result.Error("There is no such colour.");
  if (collection->palette[index] == colour) return result;
  collection->palette[index] = colour;
  result.changed = true;
  return result;
}

OperationResult ExportPalette(const Collection& collection, const std::string& path) {
  OperationResult result;
  Rgb table[kMaxPaletteSize];
  PaletteToTable(collection.palette, table);
  if (!WriteColorTable(path, table, kMaxPaletteSize)) return result.Error(kColorTableSaveFailed);
  return result;
}

OperationResult ImportPalette(Collection* collection, const std::string& path) {
  OperationResult result;
  Rgb table[kMaxPaletteSize];
  int count = 0;
  if (!ReadColorTable(path, table, &count)) return result.Error(kColorTableOpenFailed);
  return SetPaletteFromTable(collection, table);
}

uint32_t PackColour(PaletteColor colour) {
  return uint32_t(colour.r) | uint32_t(colour.g) << 8 | uint32_t(colour.b) << 16;
}

PaletteColor UnpackColour(uint32_t packed) {
  return PaletteColor{uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
}

const std::array<CollectionFlagBox, 6>& CollectionFlagBoxes() {
  static const std::array<CollectionFlagBox, 6> boxes = {{
      {"Textures", kCollectionForTextures},
      {"Monsters", kCollectionForMonsters},
      {"Projectiles", kCollectionForProjectiles},
      {"Scenery", kCollectionForScenery},
      {"Atmospheric Effects", kCollectionForAtmospherics},
      {"Interfaces", kCollectionForInterfaces},
  }};
  return boxes;
}

OperationResult SetCollectionFlag(Collection* collection, uint32_t bit, bool on) {
  OperationResult result;
  const uint32_t flags = on ? collection->flags | bit : collection->flags & ~bit;
  result.changed = flags != collection->flags;
  collection->flags = flags;
  return result;
}

}  // namespace brae
