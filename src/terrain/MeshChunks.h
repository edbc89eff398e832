#pragma once
// The per-chunk data the terrain renderer draws from: displayed heights and the texturing
// recipe of each triangle (which detail-texture layers it carries and at which corners).

#include <cstdint>
#include <vector>

#include "terrain/DetailMap.h"
#include "terrain/Mesh.h"

namespace brae {

constexpr int kChunkHeightSide = kChunkVertices + 1;  // 33 heights along a chunk's side
constexpr int kChunkCellSide = kChunkVertices;  // cells per chunk side (fewer at the far edge)

// Vertices (32cx .. 32cx+32) x (32cy .. 32cy+32) as displayed heights, row-major. The 33rd
// column and row of the chunks on the grid's far edges lie beyond the grid; they repeat the
// grid's last column and row.
std::vector<int16_t> BuildChunkHeights(const Mesh& mesh, int cx, int cy);

// The cells a chunk draws: from its origin to 32 further, clipped to the grid's last cell.
struct CellRange {
  int x0 = 0, y0 = 0;  // first cell
  int x1 = 0, y1 = 0;  // one past the last cell
  int Count() const { return (x1 - x0) * (y1 - y0); }
};
CellRange ChunkCells(const Mesh& mesh, int cx, int cy);

// Corner vertices of triangle t of cell (x, y), in the order of the format's triangle table.
void TriangleCorners(int x, int y, int t, int corners[3][2]);

// Up to three layers; each has a material (1-127) and a mask of the corners (bits 0-2) where it
// is opaque. A triangle whose per-triangle material is set carries it at all three corners.
struct TriangleRecipe {
  uint8_t layers = 0;
  uint8_t material[3] = {};
  uint8_t corners[3] = {};
  bool operator==(const TriangleRecipe& o) const;
};
TriangleRecipe MakeTriangleRecipe(const DetailMap& map, int x, int y, int t);
// 32 x 32 cells of two recipes each (triangle 0, then 1), cell (i, j) of the chunk at index
// 2 * (j * 32 + i) + t; cells beyond the grid's last cell are empty.
std::vector<TriangleRecipe> BuildChunkRecipes(const Mesh& mesh, const DetailMap& map, int cx,
                                              int cy);

// The chunks (cx0..cx1, cy0..cy1 inclusive) that a rectangle of vertices touches: every chunk
// whose cells or heights use one of the vertices. False when the rectangle misses the grid.
bool ChunksTouched(const Mesh& mesh, int x0, int y0, int x1, int y1, int* cx0, int* cy0, int* cx1,
                   int* cy1);

}  // namespace brae
