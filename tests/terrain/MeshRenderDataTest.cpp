// The renderer's data: the shaded colour table, chunk textures, heights and texturing recipes.
#include <gtest/gtest.h>

#include "terrain/MeshChunks.h"
#include "terrain/MeshShading.h"

namespace brae {
namespace {

Mesh MakeMesh(int cx, int cy) {
  Mesh mesh;
  mesh.header.chunks_x = int16_t(cx);
  mesh.header.chunks_y = int16_t(cy);
  mesh.width = 32 * cx;
  mesh.height = 32 * cy;
  mesh.vertices.resize(size_t(mesh.width) * mesh.height);
  return mesh;
}

MeshHeader ShadingHeader(int16_t below, int16_t above, uint32_t midpoint) {
  MeshHeader h;
  h.shade_below = below;
  h.shade_above = above;
  h.shade_colour[0] = 65535;
  h.shade_colour[1] = 0;
  h.shade_colour[2] = 0x8000;
  h.shade_midpoint = midpoint;
  return h;
}

Rgb TableAt(const ShadedColourTable& table, int shade, int index) {
  const uint8_t* p = table.At(shade, index);
  return Rgb{p[0], p[1], p[2]};
}

TEST(ShadedColourTable, MatchesValuesWorkedByHand) {
  const MeshHeader h = ShadingHeader(100, 50, 0x8000);
  EXPECT_EQ(ShadeMidpoint(h), 127);
  EXPECT_EQ(ShadeAmount(h, 0), 100);
  EXPECT_EQ(ShadeAmount(h, 63), 50);  // 100 * 64 / 127 = 50.39, truncated
  EXPECT_EQ(ShadeAmount(h, 127), 0);
  EXPECT_EQ(ShadeAmount(h, 255), 50);
  CollectionPalette palette{};
  palette[5] = {200, 100, 0};
  const ShadedColourTable table = BuildShadedColourTable(h, palette);
  ASSERT_EQ(table.rgb.size(), 65536u * 3);
  // t = 100: R (156 * 51200 + 100 * 65535) >> 16 = 221, G 156 * 25600 >> 16 = 60,
  // B 100 * 32768 >> 16 = 50.
  EXPECT_EQ(TableAt(table, 0, 5), (Rgb{221, 60, 50}));
  EXPECT_EQ(TableAt(table, 127, 5), (Rgb{200, 100, 0}));  // t = 0 leaves the colour
  // t = 50: R (206 * 51200 + 50 * 65535) >> 16 = 210, G 80, B 25.
  EXPECT_EQ(TableAt(table, 255, 5), (Rgb{210, 80, 25}));
  EXPECT_EQ(TableAt(table, 63, 5), (Rgb{210, 80, 25}));
}

TEST(ShadedColourTable, NegativeAndOverflowingChannelsAreClamped) {
  // t = -1000: R = 1256 * 51200 - 1000 * 65535 < 0 becomes 0; G overflows 65535 and becomes 255.
  EXPECT_EQ(ShadeChannel(-1000, 200, 65535), 0);
  EXPECT_EQ(ShadeChannel(-1000, 100, 0), 255);
  const MeshHeader h = ShadingHeader(-1000, 0, 0x8000);
  CollectionPalette palette{};
  palette[1] = {200, 100, 0};
  EXPECT_EQ(TableAt(BuildShadedColourTable(h, palette), 0, 1), (Rgb{0, 255, 0}));
}

TEST(ShadedColourTable, MidpointZeroLeavesShadeZeroUnshaded) {
  const MeshHeader h = ShadingHeader(100, 50, 0);
  EXPECT_EQ(ShadeMidpoint(h), 0);
  EXPECT_EQ(ShadeAmount(h, 0), 0);
  EXPECT_EQ(ShadeAmount(h, 255), 50);
  EXPECT_EQ(ShadeAmount(h, 51), 10);
  // A midpoint above 1.0 keeps every shade on the lower side.
  const MeshHeader high = ShadingHeader(100, 50, 0x20000);
  EXPECT_EQ(ShadeMidpoint(high), 510);
  EXPECT_EQ(ShadeAmount(high, 255), 50);
}

// A collection whose chunk k has colour index (k * 10 + x / 64) and shade (y / 64).
void FillColourMap(Collection& c, int chunks) {
  for (int k = 0; k < chunks; ++k) {
    auto index = CollectionBitmap::MakeIndexed("i", 256, 256);
    auto shade = CollectionBitmap::MakeIndexed("s", 256, 256);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        index->Pixel(x, y)[1] = uint8_t(k * 10 + x / 64);
        shade->Pixel(x, y)[1] = uint8_t(y / 64);
      }
    }
    c.AddBitmap(std::move(index));
    c.AddBitmap(std::move(shade));
  }
  for (int i = 0; i < 256; ++i) c.palette[size_t(i)] = {uint8_t(i), 0, 0};
}

TEST(ChunkTexture, TakesNeighbourColumnAndRepeatsAtTheEdges) {
  Mesh mesh = MakeMesh(2, 1);
  Collection c;
  FillColourMap(c, 2);
  MeshHeader flat;  // no shading: the table is the palette
  const ShadedColourTable table = BuildShadedColourTable(flat, c.palette);
  std::vector<uint8_t> rgb;
  BuildChunkTexture(mesh, c, table, 0, 0, false, &rgb);
  ASSERT_EQ(rgb.size(), 256u * 256 * 3);
  EXPECT_EQ(rgb[3 * (10 * 256 + 255)], 3);
  BuildChunkTexture(mesh, c, table, 0, 0, true, &rgb);
  ASSERT_EQ(rgb.size(), 257u * 257 * 3);
  EXPECT_EQ(rgb[3 * 256], 10);             // column 256: chunk 1's first column
  EXPECT_EQ(rgb[3 * (256 * 257 + 5)], 0);  // row 256: no chunk below, own last row
  EXPECT_EQ(rgb[3 * (256 * 257 + 256)], 10);
  BuildChunkTexture(mesh, c, table, 1, 0, true, &rgb);
  EXPECT_EQ(rgb[3 * 256], 13);  // right edge of the grid: own last column
  EXPECT_FLOAT_EQ(ChunkTexCoord(0, true), 0.5f / 257);
  EXPECT_FLOAT_EQ(ChunkTexCoord(32, true), 256.5f / 257);
  EXPECT_FLOAT_EQ(ChunkTexCoord(32, false), 1.0f);
}

TEST(ChunkTexture, MissingBitmapsGiveEntryZero) {
  Mesh mesh = MakeMesh(2, 1);
  Collection c;
  FillColourMap(c, 1);
  c.palette[0] = {7, 8, 9};
  const ShadedColourTable table = BuildShadedColourTable(MeshHeader{}, c.palette);
  std::vector<uint8_t> rgb;
  BuildChunkTexture(mesh, c, table, 1, 0, false, &rgb);
  EXPECT_EQ(rgb[0], 7);
  const Image whole = BuildColourMapImage(mesh, c, table);
  EXPECT_EQ(whole.width, 512);
  EXPECT_EQ(whole.height, 256);
  EXPECT_EQ(whole.pixels[3 * 255], 3);
  EXPECT_EQ(whole.pixels[3 * 256], 7);
}

TEST(ChunkCells, OneChunkMeshHas31By31Cells) {
  Mesh mesh = MakeMesh(1, 1);
  const CellRange r = ChunkCells(mesh, 0, 0);
  EXPECT_EQ(r.x1 - r.x0, 31);
  EXPECT_EQ(r.y1 - r.y0, 31);
  Mesh two = MakeMesh(2, 2);
  EXPECT_EQ(ChunkCells(two, 0, 0).Count(), 32 * 32);
  EXPECT_EQ(ChunkCells(two, 1, 1).Count(), 31 * 31);
}

TEST(ChunkHeights, UseDisplayedHeightsAndRepeatTheLastRow) {
  Mesh mesh = MakeMesh(1, 2);
  for (int y = 0; y < mesh.height; ++y) {
    for (int x = 0; x < mesh.width; ++x) {
      mesh.At(x, y).height = int16_t(x + 100 * y);
      mesh.At(x, y).media_height = -5;
    }
  }
  mesh.At(3, 33).flags = kVertexReflective1;
  const std::vector<int16_t> h = BuildChunkHeights(mesh, 0, 1);
  ASSERT_EQ(h.size(), 33u * 33);
  EXPECT_EQ(h[1 * 33 + 3], -5);
  EXPECT_EQ(h[0 * 33 + 4], 4 + 3200);
  EXPECT_EQ(h[32 * 33 + 32], 31 + 6300);  // beyond the grid: the last column and row
  const std::vector<int16_t> top = BuildChunkHeights(mesh, 0, 0);
  EXPECT_EQ(top[32 * 33 + 0], 3200);  // row 32 of chunk 0 is row 0 of chunk 1
}

TEST(TriangleRecipes, LayersOfMixedMaterialTriangles) {
  Mesh mesh = MakeMesh(1, 1);
  DetailMap map = CreateBlankDetailMap(32, 32);
  auto vertex = [&](int x, int y) -> uint8_t& { return map.vertex_details[size_t(y) * 32 + x]; };
  // Cell (0, 0), parity 0: triangle 0 is (0,0), (0,1), (1,1).
  vertex(0, 0) = 3;
  vertex(0, 1) = 1;
  vertex(1, 1) = 3;
  TriangleRecipe r = MakeTriangleRecipe(map, 0, 0, 0);
  ASSERT_EQ(r.layers, 2);
  EXPECT_EQ(r.material[0], 1);
  EXPECT_EQ(r.corners[0], 0b010);
  EXPECT_EQ(r.material[1], 3);
  EXPECT_EQ(r.corners[1], 0b101);
  // Triangle 1 is (0,0), (1,0), (1,1): corner (1,0) has no material.
  r = MakeTriangleRecipe(map, 0, 0, 1);
  ASSERT_EQ(r.layers, 1);
  EXPECT_EQ(r.material[0], 3);
  EXPECT_EQ(r.corners[0], 0b101);
  // Three distinct materials in order; cell (1, 0) has parity 1: (1,0), (2,0), (1,1).
  vertex(1, 0) = 9;
  vertex(2, 0) = 2;
  r = MakeTriangleRecipe(map, 1, 0, 0);
  ASSERT_EQ(r.layers, 3);
  EXPECT_EQ(r.material[0], 2);
  EXPECT_EQ(r.material[1], 3);
  EXPECT_EQ(r.material[2], 9);
  EXPECT_EQ(r.corners[2], 0b001);
  // A per-triangle material covers the whole triangle and hides the vertices'.
  map.triangle_details[2 * 1 + 0] = 200;  // 7 bits: 72
  r = MakeTriangleRecipe(map, 1, 0, 0);
  ASSERT_EQ(r.layers, 1);
  EXPECT_EQ(r.material[0], 72);
  EXPECT_EQ(r.corners[0], 0b111);
  EXPECT_EQ(MakeTriangleRecipe(map, 5, 5, 1).layers, 0);
  const std::vector<TriangleRecipe> chunk = BuildChunkRecipes(mesh, map, 0, 0);
  ASSERT_EQ(chunk.size(), 32u * 32 * 2);
  EXPECT_EQ(chunk[2], MakeTriangleRecipe(map, 1, 0, 0));
  EXPECT_EQ(chunk[2 * 31].layers, 0);  // cell 31 lies beyond the last cell
}

TEST(ChunksTouched, VerticesOnChunkEdgesTouchBothChunks) {
  Mesh mesh = MakeMesh(3, 2);
  int cx0, cy0, cx1, cy1;
  ASSERT_TRUE(ChunksTouched(mesh, 32, 5, 32, 5, &cx0, &cy0, &cx1, &cy1));
  EXPECT_EQ(cx0, 0);
  EXPECT_EQ(cx1, 1);
  EXPECT_EQ(cy0, 0);
  EXPECT_EQ(cy1, 0);
  ASSERT_TRUE(ChunksTouched(mesh, -10, -10, 500, 500, &cx0, &cy0, &cx1, &cy1));
  EXPECT_EQ(cx1, 2);
  EXPECT_EQ(cy1, 1);
  EXPECT_FALSE(ChunksTouched(mesh, 200, 0, 300, 10, &cx0, &cy0, &cx1, &cy1));
}

}  // namespace
}  // namespace brae
