#pragma once
// Per-vertex and per-triangle details of a detail map as 8-bit images of (8W) x (8H) pixels
// whose palette is the highlight table: each vertex, or each cell's two triangles, fills an
// 8 x 8 block, and every row is stored mirrored as the view shows the terrain. Also the
// highlight table itself.

#include <optional>
#include <string>

#include "media/Image.h"
#include "terrain/DetailMap.h"

namespace brae {

enum class DetailKind { kVertex, kTriangle };
constexpr int kDetailBlock = 8;  // pixels per vertex or cell along each side

constexpr const char* kDetailImageFormatText = "Image must be 8-bit paletted or greyscale.";
constexpr const char* kDetailImageReadText = "Unable to read the file";
constexpr const char* kDetailImageWriteText = "Unable to write the image";
constexpr const char* kDetailPartialTitle = "Partial Success";
constexpr const char* kDetailPartialText =
    "The map wasn't 100% perfect, so please carefully check the results.";

// ---- highlight colours ----
struct HighlightTable {
  Rgb colours[kMaxPaletteSize];
};
// Eight colours repeated 32 times.
HighlightTable DefaultHighlightTable();
// The table from an Adobe colour table file; when it cannot be read, the default table, which is
// then written there (256 entries). wrote_default tells which happened.
HighlightTable LoadHighlightTable(const std::string& path, bool* wrote_default = nullptr);
bool SaveHighlightTable(const std::string& path, const HighlightTable& table, int count);
// The materials' highlight colours replace entries 0-127.
void ApplyMaterialHighlights(const DetailMap& map, HighlightTable* table);

// The table's entries 0-127 become the materials' highlight colours.
void ApplyHighlightsToMaterials(const HighlightTable& table, DetailMap* map);

// Which of the 64 pixels of a cell's block belong to triangle 1 (the others to triangle 0):
// in block row r, parity 1 gives the first 8 - r pixels to triangle 0, parity 0 the first r.
inline int TriangleOfBlockPixel(int parity, int column, int row) {
  const int split = parity ? kDetailBlock - row : row;
  return column < split ? 0 : 1;
}

// The export image (colour-indexed, palette = the highlight table).
Image ExportDetailImage(const DetailMap& map, DetailKind kind, const HighlightTable& table);
// Writes it as BMP, PNG or TIFF after the path's extension; error gets the reason.
bool WriteDetailImageFile(const DetailMap& map, DetailKind kind, const HighlightTable& table,
                          const std::string& path, std::string* error);

// What may not be overwritten: materials marked protected, unless the override (Shift at the
// last press) is given.
struct DetailProtection {
  const bool* protected_materials = nullptr;  // 128 flags, or none
  bool override = false;
  bool Keeps(uint8_t current) const {
    return !override && protected_materials && protected_materials[current & 0x7F];
  }
};

// The size and format checks on an image header; the message text when it is refused.
std::optional<std::string> CheckDetailImage(const DetailMap& map, DetailKind kind, int width,
                                            int height, PixelFormat format);
// Writes the image's majority values into the map (clamped to 127); the image must have passed
// CheckDetailImage. Returns whether the import was imperfect: some element's winning value did
// not cover all its pixels.
bool ApplyDetailImage(DetailMap& map, DetailKind kind, const Image& image,
                      const DetailProtection& protection);

// The whole import from a file, with the texts the editor shows.
struct DetailImportResult {
  bool ok = false;
  std::string error;       // the "Error" box's text when not ok
  bool imperfect = false;  // "Partial Success"
  bool has_palette = false;
  HighlightTable palette;  // the image's palette when it has one (greyscale images have none)
};
DetailImportResult ImportDetailImageFile(DetailMap& map, DetailKind kind, const std::string& path,
                                         const DetailProtection& protection);

// " vertex detail" or " triangle detail" after the editor's title.
std::string DetailExportName(const std::string& title, DetailKind kind);

}  // namespace brae
