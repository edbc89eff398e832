#include "terrain/MeshChunks.h"

#include <algorithm>

namespace brae {

std::vector<int16_t> BuildChunkHeights(const Mesh& mesh, int cx, int cy) {
  std::vector<int16_t> heights(size_t(kChunkHeightSide) * kChunkHeightSide);
  for (int j = 0; j < kChunkHeightSide; ++j) {
    const int y = std::min(kChunkVertices * cy + j, mesh.height - 1);
    for (int i = 0; i < kChunkHeightSide; ++i) {
      const int x = std::min(kChunkVertices * cx + i, mesh.width - 1);
      heights[size_t(j) * kChunkHeightSide + i] = mesh.At(x, y).DisplayedHeight();
    }
  }
  return heights;
}

CellRange ChunkCells(const Mesh& mesh, int cx, int cy) {
  CellRange r;
  r.x0 = kChunkVertices * cx;
  r.y0 = kChunkVertices * cy;
  r.x1 = std::min(r.x0 + kChunkCellSide, mesh.width - 1);
  r.y1 = std::min(r.y0 + kChunkCellSide, mesh.height - 1);
  return r;
}

void TriangleCorners(int x, int y, int t, int corners[3][2]) {
  static const int kCorners[2][2][3][2] = {
      // parity 0: diagonal (x, y)-(x+1, y+1)
      {{{0, 0}, {0, 1}, {1, 1}}, {{0, 0}, {1, 0}, {1, 1}}},
      // parity 1: diagonal (x+1, y)-(x, y+1)
      {{{0, 0}, {1, 0}, {0, 1}}, {{1, 0}, {1, 1}, {0, 1}}},
  };
  const auto& c = kCorners[CellParity(x, y)][t & 1];
  for (int i = 0; i < 3; ++i) {
    corners[i][0] = x + c[i][0];
    corners[i][1] = y + c[i][1];
  }
}

bool TriangleRecipe::operator==(const TriangleRecipe& o) const {
  if (layers != o.layers) return false;
  for (int i = 0; i < layers; ++i) {
    if (material[i] != o.material[i] || corners[i] != o.corners[i]) return false;
  }
  return true;
}

TriangleRecipe MakeTriangleRecipe(const DetailMap& map, int x, int y, int t) {
  TriangleRecipe recipe;
  // Materials occupy 7 bits.
  const uint8_t whole = map.TriangleMaterial(x, y, t) & 0x7F;
  if (whole != 0) {
    recipe.layers = 1;
    recipe.material[0] = whole;
    recipe.corners[0] = 7;
    return recipe;
  }
  int corners[3][2];
  TriangleCorners(x, y, t, corners);
  uint8_t m[3];
  for (int i = 0; i < 3; ++i) m[i] = map.VertexMaterial(corners[i][0], corners[i][1]) & 0x7F;
  uint8_t sorted[3] = {m[0], m[1], m[2]};
  std::sort(sorted, sorted + 3);
  for (int i = 0; i < 3; ++i) {
    const uint8_t material = sorted[i];
    if (material == 0 || (i > 0 && sorted[i - 1] == material)) continue;
    uint8_t mask = 0;
    for (int c = 0; c < 3; ++c) {
      if (m[c] == material) mask |= uint8_t(1 << c);
    }
    recipe.material[recipe.layers] = material;
    recipe.corners[recipe.layers] = mask;
    ++recipe.layers;
  }
  return recipe;
}

std::vector<TriangleRecipe> BuildChunkRecipes(const Mesh& mesh, const DetailMap& map, int cx,
                                              int cy) {
  std::vector<TriangleRecipe> recipes(size_t(kChunkCellSide) * kChunkCellSide * 2);
  if (map.width != mesh.width || map.height != mesh.height) return recipes;
  const CellRange cells = ChunkCells(mesh, cx, cy);
  for (int y = cells.y0; y < cells.y1; ++y) {
    for (int x = cells.x0; x < cells.x1; ++x) {
      const size_t cell = size_t(y - cells.y0) * kChunkCellSide + size_t(x - cells.x0);
      for (int t = 0; t < 2; ++t) recipes[2 * cell + t] = MakeTriangleRecipe(map, x, y, t);
    }
  }
  return recipes;
}

bool ChunksTouched(const Mesh& mesh, int x0, int y0, int x1, int y1, int* cx0, int* cy0, int* cx1,
                   int* cy1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, mesh.width - 1);
  y1 = std::min(y1, mesh.height - 1);
  if (x0 > x1 || y0 > y1) return false;
  // A vertex on a chunk's left or top edge is also the far corner of the chunk before it.
  *cx0 = std::max((x0 - 1) / kChunkVertices, 0);
  *cy0 = std::max((y0 - 1) / kChunkVertices, 0);
  *cx1 = std::min(x1 / kChunkVertices, mesh.ChunksX() - 1);
  *cy1 = std::min(y1 / kChunkVertices, mesh.ChunksY() - 1);
  return true;
}

}  // namespace brae
