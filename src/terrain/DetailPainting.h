#pragma once
// Painting a detail map: brush dabs over the per-vertex or per-triangle raster, span flood
// fill, the undo copies of both rasters and the records that undo a stroke or a fill, new maps
// (blank or from the terrain types) and material scale changes. Plain data, no drawing.

#include <cstdint>
#include <functional>
#include <vector>

#include "terrain/DetailImages.h"
#include "terrain/DetailMap.h"
#include "terrain/Mesh.h"

namespace brae {

constexpr float kMinBrushRadius = 0.2f;
constexpr float kMaxBrushRadius = 10.0f;
constexpr float kBrushRadiusStep = 0.2f;
constexpr float kDefaultBrushRadius = 3.0f;
constexpr int kMinMaterialScale = 1;
constexpr int kMaxMaterialScale = 256;

float ClampBrushRadius(float radius);

struct DetailBrush {
  int material = 0;
  float radius = kDefaultBrushRadius;
  bool round = true;   // "Round", else "Square"
  bool vertex = true;  // "Vertex", else "Triangle"
  DetailKind Kind() const { return vertex ? DetailKind::kVertex : DetailKind::kTriangle; }
};

// An inclusive rectangle of raster elements: vertices, or cells for the per-triangle raster.
struct DetailRect {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Empty() const { return x1 < x0 || y1 < y0; }
  int Width() const { return Empty() ? 0 : x1 - x0 + 1; }
  int Height() const { return Empty() ? 0 : y1 - y0 + 1; }
  void Include(const DetailRect& other);
  bool operator==(const DetailRect& o) const {
    return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1;
  }
};

// The raster of a kind and its element size (1 byte per vertex, 2 per cell).
std::vector<uint8_t>& DetailRaster(DetailMap& map, DetailKind kind);
inline int DetailElementSize(DetailKind kind) {
  return kind == DetailKind::kVertex ? 1 : 2;
}
// The bytes of a rectangle of a raster (width elements per row), row by row, and back.
std::vector<uint8_t> CopyRasterRect(const std::vector<uint8_t>& raster, int width, int element,
                                    const DetailRect& rect);
void PasteRasterRect(std::vector<uint8_t>& raster, int width, int element, const DetailRect& rect,
                     const std::vector<uint8_t>& bytes);

// The elements a dab at (cx, cy) may reach: the brush's ranges clamped to the grid.
DetailRect DabRange(const DetailMap& map, float cx, float cy, float radius);
// Paints one dab in the brush's mode; protected materials stay unless protection is overridden.
// Returns the dab's range (empty when it misses the grid) whether or not anything changed.
DetailRect PaintDab(DetailMap& map, const DetailBrush& brush, float cx, float cy,
                    const DetailProtection& protection);

// The triangles a triangle dab at (cx, cy) would reach, as (x, y, t), limited to the grid's
// (W - 1) x (H - 1) drawn cells: what the view outlines in triangle mode.
struct DabTriangle {
  int x, y, t;
};
std::vector<DabTriangle> DabTriangles(const DetailMap& map, const DetailBrush& brush, float cx,
                                      float cy);

// ---- the undo copies: each raster as of the last recorded action ----
struct DetailUndoCopies {
  std::vector<uint8_t> vertex, triangle;
  void Reset(const DetailMap& map);
  std::vector<uint8_t>& Of(DetailKind kind) {
    return kind == DetailKind::kVertex ? vertex : triangle;
  }
};

// What a stroke changed: its rectangle before (from the undo copy) and after (from the raster).
struct BrushStrokeRecord {
  DetailKind kind = DetailKind::kVertex;
  DetailRect rect;
  std::vector<uint8_t> before, after;
};
// Ends a stroke over the rectangle: records it and brings the undo copy up to date there.
BrushStrokeRecord FinishStroke(DetailMap& map, DetailUndoCopies& copies, DetailKind kind,
                               const DetailRect& rect);
// Writes before (undo) or after (redo) into both the raster and its undo copy.
void RestoreStroke(DetailMap& map, DetailUndoCopies& copies, const BrushStrokeRecord& stroke,
                   bool after);

// ---- flood fill ----
// A filled run of a raster's bytes: per-vertex bytes, or per-triangle bytes seen as a
// (2W) x H raster where byte column c is triangle (c & 1) of cell c >> 1.
struct FillRun {
  int x = 0, y = 0, length = 0;
};
struct FloodFillRecord {
  DetailKind kind = DetailKind::kVertex;
  std::vector<FillRun> runs;
  uint8_t old_value = 0, new_value = 0;
  DetailRect bounds;  // in vertices or cells
};
// Replaces the connected region of the seed's value with the material: 4-neighbourhood on the
// per-vertex raster; on the per-triangle raster a byte connects left and right, to the row
// above when (c >> 1) ^ c ^ y is odd and to the row below when it is even. Seed (x, y) is a
// vertex, or byte column x of row y. Returns false (and changes nothing) when the seed is off
// the grid or already carries the material. The undo copy follows the raster.
bool FloodFill(DetailMap& map, DetailUndoCopies* copies, DetailKind kind, int seed_x, int seed_y,
               uint8_t material, FloodFillRecord* record);
// Writes the old (undo) or new (redo) value over the runs, in the raster and its undo copy.
void RestoreFill(DetailMap& map, DetailUndoCopies& copies, const FloodFillRecord& fill,
                 bool new_value);

// ---- new maps and materials ----
// Every element of the rasters (and undo copies) 0; the materials stay.
void ClearDetailMap(DetailMap& map, DetailUndoCopies& copies);

// One row of the terrain types dialog: the material it becomes.
struct TerrainTypeRow {
  DetailMaterialEntry entry;
  int scale = 128;
};
// The sixteen rows as offered: the type's default texture when that tag exists (else none),
// its highlight colour and its name as the description.
std::vector<TerrainTypeRow> DefaultTerrainTypeRows(const std::function<bool(uint32_t)>& exists);
// Automatic detail texturing on a cleared map: material 0 loses its texture, rows 0-15 become
// materials 1-16 (also their highlight colours in the table), every vertex takes its terrain
// type + 1 unless its material is protected. The undo copies are brought up to date.
void ApplyTerrainTypes(DetailMap& map, const Mesh& mesh, const std::vector<TerrainTypeRow>& rows,
                       const DetailProtection& protection, HighlightTable* highlights,
                       DetailUndoCopies& copies);

// Clamps the scale to 1-256 and stores it in the material and its entry; true when it changed.
bool SetMaterialScale(DetailMap& map, int material, int scale);
// Texture repeats per cell: scale over the detail texture's size (0 without a texture).
void MaterialRepeats(int scale, int texture_width, int texture_height, float* u, float* v);

}  // namespace brae
