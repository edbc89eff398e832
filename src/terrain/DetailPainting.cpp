#include "terrain/DetailPainting.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "terrain/TerrainTypes.h"

namespace brae {

float ClampBrushRadius(float radius) {
  if (!(radius >= kMinBrushRadius)) return kMinBrushRadius;  // also NaN
  return std::min(radius, kMaxBrushRadius);
}

void DetailRect::Include(const DetailRect& other) {
  if (other.Empty()) return;
  if (Empty()) {
    *this = other;
    return;
  }
  x0 = std::min(x0, other.x0);
  y0 = std::min(y0, other.y0);
  x1 = std::max(x1, other.x1);
  y1 = std::max(y1, other.y1);
}

std::vector<uint8_t>& DetailRaster(DetailMap& map, DetailKind kind) {
  return kind == DetailKind::kVertex ? map.vertex_details : map.triangle_details;
}

std::vector<uint8_t> CopyRasterRect(const std::vector<uint8_t>& raster, int width, int element,
                                    const DetailRect& rect) {
  std::vector<uint8_t> bytes;
  if (rect.Empty()) return bytes;
  const size_t row = size_t(rect.Width()) * element;
  bytes.resize(row * rect.Height());
  for (int y = rect.y0; y <= rect.y1; ++y) {
    std::memcpy(&bytes[row * (y - rect.y0)], &raster[(size_t(y) * width + rect.x0) * element], row);
  }
  return bytes;
}

void PasteRasterRect(std::vector<uint8_t>& raster, int width, int element, const DetailRect& rect,
                     const std::vector<uint8_t>& bytes) {
  if (rect.Empty()) return;
  const size_t row = size_t(rect.Width()) * element;
  if (bytes.size() < row * rect.Height()) return;
  for (int y = rect.y0; y <= rect.y1; ++y) {
    std::memcpy(&raster[(size_t(y) * width + rect.x0) * element], &bytes[row * (y - rect.y0)], row);
  }
}

DetailRect DabRange(const DetailMap& map, float cx, float cy, float radius) {
  DetailRect r;
  if (map.width <= 0 || map.height <= 0 || !std::isfinite(cx) || !std::isfinite(cy)) return r;
  // Clamp in floating point first so a far-off pointer cannot overflow the conversion.
  const auto lo = [](float v, int limit) {
    return int(std::clamp(std::floor(v), 0.0f, float(limit)));
  };
  const auto hi = [](float v, int limit) {
    return int(std::clamp(std::ceil(v), -1.0f, float(limit)));
  };
  r.x0 = lo(cx - radius, map.width);
  r.x1 = hi(cx + radius, map.width - 1);
  r.y0 = lo(cy - radius, map.height);
  r.y1 = hi(cy + radius, map.height - 1);
  if (r.Empty()) return DetailRect{};
  return r;
}

namespace {

bool Inside(float dx, float dy, float r, bool round) {
  if (round) return dx * dx + dy * dy <= r * r;
  return dx * dx <= r * r && dy * dy <= r * r;
}

}  // namespace

DetailRect PaintDab(DetailMap& map, const DetailBrush& brush, float cx, float cy,
                    const DetailProtection& protection) {
  const DetailRect range = DabRange(map, cx, cy, brush.radius);
  if (range.Empty()) return range;
  const float r = brush.radius;
  const uint8_t material = uint8_t(brush.material & 0x7F);
  for (int y = range.y0; y <= range.y1; ++y) {
    for (int x = range.x0; x <= range.x1; ++x) {
      if (brush.vertex) {
        uint8_t& v = map.vertex_details[size_t(y) * map.width + x];
        if (Inside(cx - float(x), cy - float(y), r, brush.round) && !protection.Keeps(v)) {
          v = material;
        }
        continue;
      }
      for (int t = 0; t < 2; ++t) {
        float tx, ty;
        TriangleCentroid(x, y, t, &tx, &ty);
        uint8_t& v = map.triangle_details[2 * (size_t(y) * map.width + x) + t];
        if (Inside(cx - tx, cy - ty, r, brush.round) && !protection.Keeps(v)) v = material;
      }
    }
  }
  return range;
}

std::vector<DabTriangle> DabTriangles(const DetailMap& map, const DetailBrush& brush, float cx,
                                      float cy) {
  std::vector<DabTriangle> out;
  const DetailRect range = DabRange(map, cx, cy, brush.radius);
  for (int y = range.y0; y <= range.y1 && y < map.height - 1; ++y) {
    for (int x = range.x0; x <= range.x1 && x < map.width - 1; ++x) {
      for (int t = 0; t < 2; ++t) {
        float tx, ty;
        TriangleCentroid(x, y, t, &tx, &ty);
        if (Inside(cx - tx, cy - ty, brush.radius, brush.round)) out.push_back({x, y, t});
      }
    }
  }
  return out;
}

void DetailUndoCopies::Reset(const DetailMap& map) {
  vertex = map.vertex_details;
  triangle = map.triangle_details;
}

BrushStrokeRecord FinishStroke(DetailMap& map, DetailUndoCopies& copies, DetailKind kind,
                               const DetailRect& rect) {
  BrushStrokeRecord stroke;
  stroke.kind = kind;
  stroke.rect = rect;
  const int element = DetailElementSize(kind);
  std::vector<uint8_t>& raster = DetailRaster(map, kind);
  std::vector<uint8_t>& copy = copies.Of(kind);
  if (copy.size() != raster.size()) copy = raster;  // no copy yet: nothing to restore beyond now
  stroke.before = CopyRasterRect(copy, map.width, element, rect);
  stroke.after = CopyRasterRect(raster, map.width, element, rect);
  PasteRasterRect(copy, map.width, element, rect, stroke.after);
  return stroke;
}

void RestoreStroke(DetailMap& map, DetailUndoCopies& copies, const BrushStrokeRecord& stroke,
                   bool after) {
  const int element = DetailElementSize(stroke.kind);
  std::vector<uint8_t>& raster = DetailRaster(map, stroke.kind);
  std::vector<uint8_t>& copy = copies.Of(stroke.kind);
  const std::vector<uint8_t>& bytes = after ? stroke.after : stroke.before;
  PasteRasterRect(raster, map.width, element, stroke.rect, bytes);
  if (copy.size() != raster.size()) copy = raster;
  PasteRasterRect(copy, map.width, element, stroke.rect, bytes);
}

namespace {

// The raster as bytes: W x H per-vertex, or (2W) x H per-triangle.
struct ByteGrid {
  uint8_t* bytes;
  int width, height;
  bool triangles;
  uint8_t& At(int x, int y) { return bytes[size_t(y) * width + x]; }
  // Whether byte column c of row y connects to the row above (dy < 0) or below.
  bool Connects(int c, int y, int dy) const {
    if (!triangles) return true;
    const bool odd = (((c >> 1) ^ c ^ y) & 1) != 0;
    return dy < 0 ? odd : !odd;
  }
};

void PushRuns(ByteGrid& g, int x0, int x1, int y, int dy, uint8_t old_value,
              std::vector<uint32_t>& stack) {
  const int ny = y + dy;
  if (ny < 0 || ny >= g.height) return;
  bool in_run = false;
  for (int x = x0; x <= x1; ++x) {
    const bool match = g.Connects(x, y, dy) && g.At(x, ny) == old_value;
    if (match && !in_run) stack.push_back((uint32_t(ny) << 16) | uint32_t(x));
    in_run = match;
  }
}

}  // namespace

bool FloodFill(DetailMap& map, DetailUndoCopies* copies, DetailKind kind, int seed_x, int seed_y,
               uint8_t material, FloodFillRecord* record) {
  const bool triangles = kind == DetailKind::kTriangle;
  std::vector<uint8_t>& raster = DetailRaster(map, kind);
  ByteGrid g{raster.data(), triangles ? 2 * map.width : map.width, map.height, triangles};
  // Seeds are packed as (y << 16) | x.
  if (g.width > 0x10000 || g.height > 0x10000) return false;
  if (raster.size() != size_t(g.width) * g.height) return false;
  if (seed_x < 0 || seed_y < 0 || seed_x >= g.width || seed_y >= g.height) return false;
  material &= 0x7F;
  const uint8_t old_value = g.At(seed_x, seed_y);
  if (old_value == material) return false;

  FloodFillRecord fill;
  fill.kind = kind;
  fill.old_value = old_value;
  fill.new_value = material;
  DetailRect bytes_bounds;
  std::vector<uint32_t> stack{(uint32_t(seed_y) << 16) | uint32_t(seed_x)};
  while (!stack.empty()) {
    const uint32_t seed = stack.back();
    stack.pop_back();
    const int y = int(seed >> 16), x = int(seed & 0xFFFF);
    if (g.At(x, y) != old_value) continue;
    int x0 = x, x1 = x;
    while (x0 > 0 && g.At(x0 - 1, y) == old_value) --x0;
    while (x1 + 1 < g.width && g.At(x1 + 1, y) == old_value) ++x1;
    std::memset(&g.At(x0, y), material, size_t(x1 - x0 + 1));
    fill.runs.push_back({x0, y, x1 - x0 + 1});
    bytes_bounds.Include({x0, y, x1, y});
    PushRuns(g, x0, x1, y, -1, old_value, stack);
    PushRuns(g, x0, x1, y, +1, old_value, stack);
  }
  fill.bounds = bytes_bounds;
  if (triangles) {
    fill.bounds.x0 >>= 1;
    fill.bounds.x1 >>= 1;
  }
  if (copies) {
    std::vector<uint8_t>& copy = copies->Of(kind);
    if (copy.size() != raster.size()) {
      copy = raster;
    } else {
      for (const FillRun& run : fill.runs) {
        std::memset(&copy[size_t(run.y) * g.width + run.x], material, size_t(run.length));
      }
    }
  }
  if (record) *record = std::move(fill);
  return true;
}

void RestoreFill(DetailMap& map, DetailUndoCopies& copies, const FloodFillRecord& fill,
                 bool new_value) {
  std::vector<uint8_t>& raster = DetailRaster(map, fill.kind);
  std::vector<uint8_t>& copy = copies.Of(fill.kind);
  const size_t width = fill.kind == DetailKind::kTriangle ? 2 * size_t(map.width) : map.width;
  const uint8_t value = new_value ? fill.new_value : fill.old_value;
  const bool with_copy = copy.size() == raster.size();
  for (const FillRun& run : fill.runs) {
    const size_t at = size_t(run.y) * width + size_t(run.x);
    if (run.length <= 0 || at + size_t(run.length) > raster.size()) continue;
    std::memset(&raster[at], value, size_t(run.length));
    if (with_copy) std::memset(&copy[at], value, size_t(run.length));
  }
  if (!with_copy) copy = raster;
}

void ClearDetailMap(DetailMap& map, DetailUndoCopies& copies) {
  const size_t cells = size_t(map.width) * size_t(map.height);
  map.vertex_details.assign(cells, 0);
  map.triangle_details.assign(2 * cells, 0);
  copies.Reset(map);
}

std::vector<TerrainTypeRow> DefaultTerrainTypeRows(const std::function<bool(uint32_t)>& exists) {
  std::vector<TerrainTypeRow> rows(kTerrainTypeCount);
  for (int i = 0; i < kTerrainTypeCount; ++i) {
    const TerrainType& type = GetTerrainType(i);
    TerrainTypeRow& row = rows[i];
    const bool has =
        type.default_texture != kNoDetailTexture && exists && exists(type.default_texture);
    row.entry.texture = has ? type.default_texture : kNoDetailTexture;
    row.entry.scale_minus_one = uint8_t(row.scale - 1);
    std::memcpy(row.entry.highlight, type.highlight, 3);
    row.entry.SetDescription(type.name);
  }
  return rows;
}

void ApplyTerrainTypes(DetailMap& map, const Mesh& mesh, const std::vector<TerrainTypeRow>& rows,
                       const DetailProtection& protection, HighlightTable* highlights,
                       DetailUndoCopies& copies) {
  map.materials[0].entry.texture = kNoDetailTexture;
  for (size_t i = 0; i < rows.size() && i < size_t(kTerrainTypeCount); ++i) {
    DetailMaterial& m = map.materials[i + 1];
    m.entry = rows[i].entry;
    m.scale = std::clamp(rows[i].scale, kMinMaterialScale, kMaxMaterialScale);
    m.entry.scale_minus_one = uint8_t(m.scale - 1);
    if (highlights) {
      highlights->colours[i + 1] = {m.entry.highlight[0], m.entry.highlight[1],
                                    m.entry.highlight[2]};
    }
  }
  const size_t count = std::min(map.vertex_details.size(), mesh.vertices.size());
  for (size_t i = 0; i < count; ++i) {
    uint8_t& v = map.vertex_details[i];
    if (!protection.Keeps(v)) v = uint8_t(mesh.vertices[i].TerrainType() + 1);
  }
  copies.Reset(map);
}

bool SetMaterialScale(DetailMap& map, int material, int scale) {
  if (material < 0 || material >= kDetailMaterialCount) return false;
  DetailMaterial& m = map.materials[material];
  scale = std::clamp(scale, kMinMaterialScale, kMaxMaterialScale);
  if (scale == m.scale) return false;
  m.scale = scale;
  m.entry.scale_minus_one = uint8_t(scale - 1);
  return true;
}

void MaterialRepeats(int scale, int texture_width, int texture_height, float* u, float* v) {
  *u = texture_width > 0 ? float(scale) / float(texture_width) : 0.0f;
  *v = texture_height > 0 ? float(scale) / float(texture_height) : 0.0f;
}

}  // namespace brae
