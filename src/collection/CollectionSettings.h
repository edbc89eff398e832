#pragma once
// The collection-wide settings of the "Color Table" and "Flags" tabs: the palette as a colour
// table (one entry, a whole table, ".act" files) and the flag bits behind the six boxes.

#include <array>
#include <cstdint>
#include <string>

#include "collection/BitmapEditing.h"
#include "media/Image.h"

namespace brae {

constexpr const char* kSaveColorTableItem = "Save Color Table As...";
constexpr const char* kLoadColorTableItem = "Load Color Table...";
constexpr int kSwatchSize = 22;

// The palette as the 256 entries of a colour table file.
void PaletteToTable(const CollectionPalette& palette, Rgb table[kMaxPaletteSize]);
// Replaces all 256 entries (a table's entries from its count on are black).
OperationResult SetPaletteFromTable(Collection* collection, const Rgb table[kMaxPaletteSize]);
// Double-clicking a swatch: the entry takes the colour picked.
OperationResult SetPaletteEntry(Collection* collection, size_t index, PaletteColor colour);
// The colour table files: the palette's 256 entries written; a read that fails changes
// nothing (kColorTableOpenFailed, kColorTableSaveFailed as errors).
OperationResult ExportPalette(const Collection& collection, const std::string& path);
OperationResult ImportPalette(Collection* collection, const std::string& path);

// Colours as the toolkit packs them: red in the low byte, then green, blue.
uint32_t PackColour(PaletteColor colour);
PaletteColor UnpackColour(uint32_t packed);

// The "Flags" tab: its caption, and its boxes in order with the bit each one stands for.
constexpr const char* kFlagsCaption = "Can be used for:";
struct CollectionFlagBox {
  const char* label;
  uint32_t bit;
};
const std::array<CollectionFlagBox, 6>& CollectionFlagBoxes();
// Sets or clears one bit; every other bit (the colour-map bit among them) stays.
OperationResult SetCollectionFlag(Collection* collection, uint32_t bit, bool on);

}  // namespace brae
