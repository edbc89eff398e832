#pragma once
// Plates: many bitmaps laid out in one 8-bit image, framed by index-1 lines and markers.
//
// Row 0 is index 0 except pixel 1 (index 1); row 1, the last row and column 1 (from row 1 down)
// are index 1; column 0 is 0 or 1. Below row 1 the plate is cut into bands by rows whose
// column 0 is 1 (such a row is 1 across the whole width); in a band's first row every index-1
// pixel from column 2 on separates cells. In a cell the largest column and row holding index 1
// bound the bitmap, which starts one pixel right of and below the cell's top-left corner.
// Colour plates hold palette indices (transparent pixels 0 in RLE bitmaps, 1 in RAW ones);
// alpha plates hold alpha values over a palette whose entries 2 to 255 are the grey ramp.

#include <cstddef>
#include <string>
#include <vector>

#include "collection/BitmapEditing.h"
#include "media/Image.h"

namespace brae {

constexpr const char* kPlateIncompatible =
    "'%s': The color plate is not of the correct format or is not compatible with the existing "
    "color table.";
constexpr const char* kPlateCountMismatch =
    "Number of images in plate (%d) does not match the expected value of %d.";
constexpr const char* kPlateEmptyCell =
    "The replace could not be performed because a bitmap in the plate contains no pixels.";
constexpr const char* kAlphaPlateMismatch =
    "'%s': The alpha plate is not of the correct format or the image dimensions do not match.";
constexpr const char* kPlateBitmapName = "%s #%04d";
constexpr const char* kPlateHighColour =
    "The bitmap \"%s\" is a high-colour bitmap and cannot be put into a plate.";
constexpr const char* kPlateTooLarge = "The plate would be too large (%d x %d pixels).";
constexpr const char* kPlateNothing = "There are no bitmaps to put into a plate.";
constexpr const char* kExportPlateTitle = "Export Plate";
constexpr const char* kImportPlateTitle = "Import Plate";
constexpr const char* kPlateNameSuffix = " plate";
constexpr const char* kAlphaPlateNameSuffix = " alpha plate";

// The most cells a plate may hold (more cannot be addressed by instances).
constexpr size_t kMaxPlateCells = 32768;

// One cell of a plate: the bitmap's place in the plate (width and height 0 when empty).
struct PlateCell {
  int x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// Checks every rule of the plate format on one-byte pixels (width × height, unpadded rows) and
// lists the cells in reading order (bands top to bottom, cells left to right). False for an
// invalid plate.
bool ReadPlateCells(const uint8_t* pixels, int width, int height, std::vector<PlateCell>* cells);

struct PlateOptions {
  bool alpha = false;  // an alpha plate
  int columns = 0;     // bitmaps per band; 0 chooses the width automatically
};

// The target width of the automatic layout for cells of these sizes (width, height).
int ChoosePlateWidth(const std::vector<std::pair<int, int>>& sizes);

// Draws the plate of the listed bitmaps (collection indices, in this order): 8-bit indexed
// with the collection palette (alpha plates: entries 2 to 255 the grey ramp). False with the
// message when a bitmap cannot go into a plate or the plate would be too large.
bool MakePlate(const Collection& collection, const std::vector<size_t>& indices,
               const PlateOptions& options, Image* out, std::string* message);
// A plate of cells by bitmap index, -1 for an empty cell (three columns wide, no marker); with
// options.columns each band holds that many cells.
bool MakeCellPlate(const Collection& collection, const std::vector<int>& cells,
                   const PlateOptions& options, Image* out, std::string* message);
// MakePlate, then writes it in the format of the path's extension.
OperationResult ExportPlate(const Collection& collection, const std::vector<size_t>& indices,
                            const PlateOptions& options, const std::string& path);

// "Add Bitmap(s) from Plate": every non-empty cell of the plate file becomes a bitmap named
// "%s #%04d" (the file's base name, the cell's number), its colours merged into the palette.
// cell_bitmaps (when given) receives, per cell in reading order, the added bitmap's index or -1
// for an empty cell.
OperationResult AddBitmapsFromPlate(Collection* collection, const std::string& path,
                                    std::vector<int>* cell_bitmaps = nullptr);
// "Replace from Plate": the plate's cells replace the listed bitmaps one by one (pixels, size,
// flags; names and references kept).
OperationResult ReplaceFromPlate(Collection* collection, const std::vector<size_t>& indices,
                                 const std::string& path);
// "Replace Alpha from Plate": the cells' values become the listed bitmaps' alpha values.
OperationResult ReplaceAlphaFromPlate(Collection* collection, const std::vector<size_t>& indices,
                                      const std::string& path);

// The default file name of a plate export: the collection name and " plate" or " alpha plate".
std::string DefaultPlateName(const Collection& collection, bool alpha);

}  // namespace brae
