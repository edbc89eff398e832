// Brush dabs, flood fill, stroke and fill records, new maps and scale changes.
#include "terrain/DetailPainting.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tagstore/FourCC.h"
#include "terrain/TerrainTypes.h"

namespace brae {
namespace {

int CountVertices(const DetailMap& map, uint8_t value) {
  int n = 0;
  for (uint8_t v : map.vertex_details) n += v == value;
  return n;
}

DetailBrush Brush(int material, float radius, bool round, bool vertex = true) {
  DetailBrush b;
  b.material = material;
  b.radius = radius;
  b.round = round;
  b.vertex = vertex;
  return b;
}

TEST(DetailBrush, RadiusIsKeptInRange) {
  EXPECT_FLOAT_EQ(ClampBrushRadius(0.0f), 0.2f);
  EXPECT_FLOAT_EQ(ClampBrushRadius(-5.0f), 0.2f);
  EXPECT_FLOAT_EQ(ClampBrushRadius(11.0f), 10.0f);
  EXPECT_FLOAT_EQ(ClampBrushRadius(3.4f), 3.4f);
  EXPECT_FLOAT_EQ(ClampBrushRadius(std::nanf("")), 0.2f);
}

TEST(DetailDab, SmallRoundBrushPaintsTheVertexItIsOnAndNothingMidway) {
  DetailMap map = CreateBlankDetailMap(16, 16);
  const DetailProtection none;
  PaintDab(map, Brush(7, 0.2f, true), 5.0f, 5.0f, none);
  EXPECT_EQ(CountVertices(map, 7), 1);
  EXPECT_EQ(map.VertexMaterial(5, 5), 7);

  DetailMap mid = CreateBlankDetailMap(16, 16);
  const DetailRect range = PaintDab(mid, Brush(7, 0.2f, true), 5.5f, 5.0f, none);
  EXPECT_EQ(CountVertices(mid, 7), 0);
  EXPECT_FALSE(range.Empty());  // the dab's range still covers the neighbours
}

TEST(DetailDab, SquareRadiusOnePaintsThreeByThree) {
  DetailMap map = CreateBlankDetailMap(16, 16);
  const DetailRect range = PaintDab(map, Brush(3, 1.0f, false), 5.0f, 5.0f, DetailProtection{});
  EXPECT_EQ(CountVertices(map, 3), 9);
  for (int y = 4; y <= 6; ++y) {
    for (int x = 4; x <= 6; ++x) EXPECT_EQ(map.VertexMaterial(x, y), 3);
  }
  EXPECT_EQ(range, (DetailRect{4, 4, 6, 6}));
  // Round with the same radius leaves the corners.
  DetailMap round = CreateBlankDetailMap(16, 16);
  PaintDab(round, Brush(3, 1.0f, true), 5.0f, 5.0f, DetailProtection{});
  EXPECT_EQ(CountVertices(round, 3), 5);
}

TEST(DetailDab, RangeIsClampedToTheGrid) {
  DetailMap map = CreateBlankDetailMap(8, 8);
  EXPECT_EQ(PaintDab(map, Brush(2, 10.0f, false), 0.0f, 0.0f, {}), (DetailRect{0, 0, 7, 7}));
  EXPECT_EQ(CountVertices(map, 2), 64);
  EXPECT_TRUE(PaintDab(map, Brush(2, 1.0f, true), -50.0f, 3.0f, {}).Empty());
  EXPECT_TRUE(PaintDab(map, Brush(2, 1.0f, true), 3.0f, 1e30f, {}).Empty());
}

TEST(DetailDab, TrianglesAreTestedByCentroid) {
  DetailMap map = CreateBlankDetailMap(8, 8);
  // Cell (2, 2), parity 0: triangle 1's centroid is (2.667, 2.333).
  PaintDab(map, Brush(9, 0.2f, true, false), 2.6667f, 2.3333f, {});
  EXPECT_EQ(map.TriangleMaterial(2, 2, 1), 9);
  EXPECT_EQ(map.TriangleMaterial(2, 2, 0), 0);
  int painted = 0;
  for (uint8_t v : map.triangle_details) painted += v != 0;
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(CountVertices(map, 0), 64);  // the per-vertex raster is untouched
}

TEST(DetailDab, OutlinedTrianglesAreThoseADabPaints) {
  DetailMap map = CreateBlankDetailMap(8, 8);
  const DetailBrush brush = Brush(9, 1.5f, true, false);
  const std::vector<DabTriangle> outlined = DabTriangles(map, brush, 3.2f, 4.1f);
  PaintDab(map, brush, 3.2f, 4.1f, {});
  size_t painted = 0;
  for (uint8_t v : map.triangle_details) painted += v == 9;
  EXPECT_EQ(outlined.size(), painted);
  for (const DabTriangle& d : outlined) EXPECT_EQ(map.TriangleMaterial(d.x, d.y, d.t), 9);
  // Cells beyond the last drawn one are never outlined.
  for (const DabTriangle& d : DabTriangles(map, Brush(1, 10.0f, false, false), 7.0f, 7.0f)) {
    EXPECT_LT(d.x, 7);
    EXPECT_LT(d.y, 7);
  }
}

TEST(DetailDab, ShiftOverwritesProtectedMaterials) {
  bool protect[kDetailMaterialCount] = {};
  protect[4] = true;
  DetailMap map = CreateBlankDetailMap(8, 8);
  map.vertex_details[3 * 8 + 3] = 4;
  map.vertex_details[3 * 8 + 4] = 5;
  PaintDab(map, Brush(1, 2.0f, false), 3.0f, 3.0f, DetailProtection{protect, false});
  EXPECT_EQ(map.VertexMaterial(3, 3), 4);
  EXPECT_EQ(map.VertexMaterial(4, 3), 1);
  PaintDab(map, Brush(1, 2.0f, false), 3.0f, 3.0f, DetailProtection{protect, true});
  EXPECT_EQ(map.VertexMaterial(3, 3), 1);
}

TEST(DetailStroke, UndoRestoresExactlyTheRectangleAndRedoReapplies) {
  DetailMap map = CreateBlankDetailMap(16, 16);
  for (size_t i = 0; i < map.vertex_details.size(); ++i) map.vertex_details[i] = uint8_t(i % 50);
  DetailUndoCopies copies;
  copies.Reset(map);
  const DetailMap original = map;
  DetailRect rect;
  rect.Include(PaintDab(map, Brush(99, 1.5f, true), 4.0f, 4.0f, {}));
  rect.Include(PaintDab(map, Brush(99, 1.5f, true), 6.0f, 5.0f, {}));
  EXPECT_EQ(rect, (DetailRect{2, 2, 8, 7}));
  const DetailMap painted = map;
  // A change outside the stroke after it ended must survive its undo.
  const BrushStrokeRecord stroke = FinishStroke(map, copies, DetailKind::kVertex, rect);
  EXPECT_EQ(copies.vertex, map.vertex_details);
  EXPECT_EQ(stroke.before.size(), size_t(7 * 6));
  map.vertex_details[15 * 16 + 15] = 120;
  copies.vertex[15 * 16 + 15] = 120;

  RestoreStroke(map, copies, stroke, false);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint8_t want = (x == 15 && y == 15) ? 120 : original.VertexMaterial(x, y);
      EXPECT_EQ(map.VertexMaterial(x, y), want) << x << "," << y;
    }
  }
  EXPECT_EQ(copies.vertex, map.vertex_details);
  RestoreStroke(map, copies, stroke, true);
  for (int y = 2; y <= 7; ++y) {
    for (int x = 2; x <= 8; ++x) EXPECT_EQ(map.VertexMaterial(x, y), painted.VertexMaterial(x, y));
  }
  EXPECT_EQ(map.VertexMaterial(15, 15), 120);
  EXPECT_EQ(copies.vertex, map.vertex_details);
}

TEST(DetailStroke, TriangleStrokeCopiesTwoBytesPerCell) {
  DetailMap map = CreateBlankDetailMap(8, 8);
  DetailUndoCopies copies;
  copies.Reset(map);
  const DetailRect rect = PaintDab(map, Brush(5, 1.0f, false, false), 3.0f, 3.0f, {});
  const BrushStrokeRecord stroke = FinishStroke(map, copies, DetailKind::kTriangle, rect);
  EXPECT_EQ(stroke.after.size(), size_t(rect.Width() * rect.Height() * 2));
  RestoreStroke(map, copies, stroke, false);
  for (uint8_t v : map.triangle_details) EXPECT_EQ(v, 0);
}

TEST(DetailFill, OwnMaterialRecordsNothing) {
  DetailMap map = CreateBlankDetailMap(8, 8);
  FloodFillRecord record;
  EXPECT_FALSE(FloodFill(map, nullptr, DetailKind::kVertex, 2, 2, 0, &record));
  EXPECT_TRUE(record.runs.empty());
  EXPECT_FALSE(FloodFill(map, nullptr, DetailKind::kVertex, 8, 2, 5, &record));
  EXPECT_FALSE(FloodFill(map, nullptr, DetailKind::kVertex, -1, 2, 5, &record));
}

TEST(DetailFill, VertexFillStaysInsideItsRegionAndUndoes) {
  // A wall of 1s down column 3 splits the map; the fill from the left never crosses it.
  DetailMap map = CreateBlankDetailMap(8, 6);
  for (int y = 0; y < 6; ++y) map.vertex_details[y * 8 + 3] = 1;
  map.vertex_details[2 * 8 + 1] = 1;  // an island inside the region
  DetailUndoCopies copies;
  copies.Reset(map);
  const DetailMap original = map;
  FloodFillRecord fill;
  ASSERT_TRUE(FloodFill(map, &copies, DetailKind::kVertex, 0, 0, 6, &fill));
  EXPECT_EQ(CountVertices(map, 6), 3 * 6 - 1);
  EXPECT_EQ(map.VertexMaterial(1, 2), 1);
  EXPECT_EQ(map.VertexMaterial(4, 0), 0);
  EXPECT_EQ(fill.bounds, (DetailRect{0, 0, 2, 5}));
  EXPECT_EQ(fill.old_value, 0);
  EXPECT_EQ(fill.new_value, 6);
  EXPECT_EQ(copies.vertex, map.vertex_details);
  RestoreFill(map, copies, fill, false);
  EXPECT_EQ(map.vertex_details, original.vertex_details);
  EXPECT_EQ(copies.vertex, map.vertex_details);
  RestoreFill(map, copies, fill, true);
  EXPECT_EQ(CountVertices(map, 6), 17);
}

TEST(DetailFill, TriangleFillFollowsTheSharedEdges) {
  // Every triangle of the first two rows carries 5; the fill from triangle 1 of cell (0, 0)
  // (parity 0, upper-right half) reaches triangle 0 of the same cell and triangle 0 of cell
  // (1, 0) beside it, but the triangles it touches only at corners stay: only the bytes joined
  // along an edge spread further.
  DetailMap map = CreateBlankDetailMap(4, 4);
  std::fill(map.triangle_details.begin(), map.triangle_details.end(), 2);
  map.triangle_details[1] = 5;  // cell (0, 0) triangle 1: the seed
  map.triangle_details[0] = 5;  // cell (0, 0) triangle 0
  map.triangle_details[2] = 5;  // cell (1, 0) triangle 0
  // Row 1, byte column 1 (cell (0, 1) triangle 1) lies below the seed, which touches only its
  // cell's upper edge.
  map.triangle_details[2 * 4 + 1] = 5;
  FloodFillRecord fill;
  ASSERT_TRUE(FloodFill(map, nullptr, DetailKind::kTriangle, 1, 0, 9, &fill));
  EXPECT_EQ(map.TriangleMaterial(0, 0, 0), 9);
  EXPECT_EQ(map.TriangleMaterial(0, 0, 1), 9);
  EXPECT_EQ(map.TriangleMaterial(1, 0, 0), 9);
  EXPECT_EQ(map.TriangleMaterial(0, 1, 1), 5);
  EXPECT_EQ(fill.bounds, (DetailRect{0, 0, 1, 0}));
  ASSERT_EQ(fill.runs.size(), 1u);
  EXPECT_EQ(fill.runs[0].x, 0);
  EXPECT_EQ(fill.runs[0].length, 3);
}

TEST(DetailFill, TriangleRowsConnectOnlyThroughHorizontalEdges) {
  // Triangle 0 of cell (0, 0) (parity 0: lower-left) touches the lower edge, so from it the fill
  // reaches triangle 1 of cell (0, 1) (parity 1: lower-right, also touching its upper edge).
  DetailMap map = CreateBlankDetailMap(4, 4);
  std::fill(map.triangle_details.begin(), map.triangle_details.end(), 2);
  map.triangle_details[0] = 5;          // (0, 0) t0
  map.triangle_details[2 * 4 + 0] = 5;  // (0, 1) t0: touches (0, 1)'s upper edge
  map.triangle_details[2 * 4 + 1] = 5;  // (0, 1) t1: lower edge only
  ASSERT_TRUE(FloodFill(map, nullptr, DetailKind::kTriangle, 0, 0, 9, nullptr));
  EXPECT_EQ(map.TriangleMaterial(0, 1, 0), 9);
  EXPECT_EQ(map.TriangleMaterial(0, 1, 1), 9);  // through its neighbour in the row
  // The uniform map fills entirely from any triangle.
  DetailMap all = CreateBlankDetailMap(6, 5);
  ASSERT_TRUE(FloodFill(all, nullptr, DetailKind::kTriangle, 7, 3, 4, nullptr));
  for (uint8_t v : all.triangle_details) EXPECT_EQ(v, 4);
}

TEST(DetailNewMap, FromTerrainTypesRespectsProtection) {
  Mesh mesh;
  mesh.width = 4;
  mesh.height = 2;
  mesh.vertices.resize(8);
  for (int i = 0; i < 8; ++i) mesh.vertices[i].flags = uint16_t((i % 16) << 4);
  DetailMap map = CreateBlankDetailMap(4, 2);
  map.vertex_details[2] = 40;
  map.vertex_details[3] = 41;
  map.materials[0].entry.texture = 1234;
  bool protect[kDetailMaterialCount] = {};
  protect[40] = true;
  DetailUndoCopies copies;
  HighlightTable table = DefaultHighlightTable();
  const auto rows = DefaultTerrainTypeRows([](uint32_t id) { return id == FourCC("gras"); });
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[6].entry.texture, FourCC("gras"));
  EXPECT_EQ(rows[4].entry.texture, kNoDetailTexture);  // 'ston' does not exist
  EXPECT_EQ(rows[6].entry.Description(), "grass");

  ApplyTerrainTypes(map, mesh, rows, DetailProtection{protect, false}, &table, copies);
  EXPECT_EQ(map.materials[0].entry.texture, kNoDetailTexture);
  EXPECT_EQ(map.materials[7].entry.texture, FourCC("gras"));
  EXPECT_EQ(map.materials[7].scale, 128);
  EXPECT_EQ(table.colours[6].r, GetTerrainType(5).highlight[0]);
  EXPECT_EQ(map.VertexMaterial(0, 0), 1);
  EXPECT_EQ(map.VertexMaterial(2, 0), 40);  // protected
  EXPECT_EQ(map.VertexMaterial(3, 0), 4);
  EXPECT_EQ(map.VertexMaterial(3, 1), 8);
  EXPECT_EQ(copies.vertex, map.vertex_details);

  ClearDetailMap(map, copies);
  EXPECT_EQ(CountVertices(map, 0), 8);
  EXPECT_EQ(map.materials[7].entry.texture, FourCC("gras"));  // the materials stay
}

TEST(DetailMaterials, ScaleIsClampedAndReportsChange) {
  DetailMap map = CreateBlankDetailMap(2, 2);
  map.materials[3].scale = 128;
  EXPECT_FALSE(SetMaterialScale(map, 3, 128));
  EXPECT_TRUE(SetMaterialScale(map, 3, 400));
  EXPECT_EQ(map.materials[3].scale, 256);
  EXPECT_EQ(map.materials[3].entry.scale_minus_one, 255);
  EXPECT_FALSE(SetMaterialScale(map, 3, 300));
  EXPECT_TRUE(SetMaterialScale(map, 3, 0));
  EXPECT_EQ(map.materials[3].scale, 1);
  EXPECT_FALSE(SetMaterialScale(map, 128, 5));
  float u, v;
  MaterialRepeats(128, 256, 64, &u, &v);
  EXPECT_FLOAT_EQ(u, 0.5f);
  EXPECT_FLOAT_EQ(v, 2.0f);
  MaterialRepeats(128, 0, 0, &u, &v);
  EXPECT_EQ(u, 0.0f);
}

}  // namespace
}  // namespace brae
