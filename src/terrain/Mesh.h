#pragma once
// Mesh tags ('mesh', version 11): the 1024-byte header, the vertex grid and the flags that
// are derived when a mesh is read. Brae only reads meshes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tagstore/FieldLayout.h"

namespace brae {

class ByteSource;
class FileStream;
struct TagHeader;

constexpr uint16_t kMeshVersion = 11;
constexpr int kChunkVertices = 32;  // a chunk is 32 x 32 vertices

// Host order in memory; big-endian in files. Fields named carried_* are not interpreted,
// reserved_* are cleared when read and written as zero.
struct MeshHeader {
  uint32_t colour_map = 0;  // '.256' tag id; also the detail map's tag id
  uint32_t media = 0;       // 'medi' tag id, 0xFFFFFFFF for none
  int16_t chunks_x = 0;
  int16_t chunks_y = 0;
  uint32_t grid_offset_a = 0;
  uint32_t carried_16 = 0;
  uint32_t reserved_20 = 0;
  uint32_t grid_offset_b = 0;
  uint32_t carried_28 = 0;
  uint32_t reserved_32 = 0;
  uint32_t carried_36[3] = {};
  uint32_t reserved_48 = 0;
  uint32_t carried_52[3] = {};
  uint32_t reserved_64 = 0;
  uint32_t carried_68[5] = {};
  int16_t shade_below = 0;  // d
  int16_t shade_above = 0;  // l
  uint16_t shade_colour[3] = {};
  uint16_t carried_98[5] = {};
  uint32_t shade_midpoint = 0;  // 16.16 fraction of 1.0
  uint16_t carried_112 = 0;
  uint16_t reserved_114 = 0;
  uint16_t carried_116[4] = {};
  uint32_t carried_124[17] = {};
  uint32_t carried_192[2] = {};
  uint32_t reserved_200 = 0;
  uint32_t carried_204[2] = {};
  uint32_t reserved_212 = 0;
  uint16_t carried_216[5] = {};
  uint16_t reserved_226 = 0;
  uint32_t carried_228[4] = {};
  uint16_t carried_244[4] = {};
  uint32_t carried_252[8] = {};
  uint32_t carried_284[3] = {};
  uint32_t reserved_296 = 0;
  char text_300[64] = {};
  char text_364[64] = {};
  char text_428[64] = {};
  uint32_t carried_492 = 0;
  uint16_t carried_496[4] = {};
  uint32_t carried_504[3] = {};
  char text_516[32] = {};
  uint8_t reserved_548[446] = {};
  uint16_t carried_994[7] = {};
  uint8_t carried_1008[16] = {};
};
static_assert(sizeof(MeshHeader) == 1024, "the mesh header is 1024 bytes");

// Vertex flags as Brae uses them.
constexpr uint16_t kVertexTerrainTypeMask = 0x00F0;
constexpr int kVertexTerrainTypeShift = 4;
constexpr uint16_t kVertexKeptFlag = 0x0100;
constexpr uint16_t kVertexClearedFlag9 = 0x0200;
constexpr uint16_t kVertexSubmerged = 0x0400;
constexpr uint16_t kVertexReflective0 = 0x0800;
constexpr uint16_t kVertexReflective1 = 0x1000;
constexpr uint16_t kVertexClearedFlag14 = 0x4000;

struct MeshVertex {
  int16_t height = 0;
  uint16_t carried = 0;
  uint16_t flags = 0;
  uint16_t reserved_6 = 0;
  int16_t media_height = 0;
  uint16_t reserved_10 = 0;

  int TerrainType() const { return (flags & kVertexTerrainTypeMask) >> kVertexTerrainTypeShift; }
  bool Reflective() const { return flags & (kVertexReflective0 | kVertexReflective1); }
  // The media surface's height where the cell shows the media, else the ground.
  int16_t DisplayedHeight() const { return Reflective() ? media_height : height; }
};
static_assert(sizeof(MeshVertex) == 12, "a vertex record is 12 bytes");

const FieldLayout& MeshHeaderLayout();
const FieldLayout& MeshVertexLayout();

struct Mesh {
  MeshHeader header;
  int width = 0;                     // vertices, 32 * chunks_x
  int height = 0;                    // vertices, 32 * chunks_y
  std::vector<MeshVertex> vertices;  // row-major, width * height

  int ChunksX() const { return header.chunks_x; }
  int ChunksY() const { return header.chunks_y; }
  MeshVertex& At(int x, int y) { return vertices[size_t(y) * width + x]; }
  const MeshVertex& At(int x, int y) const { return vertices[size_t(y) * width + x]; }
};

// Reads the tag data of a mesh. Fails (nullopt) on a version other than 11, non-positive chunk
// counts, or a header or grid that is not entirely there. error receives a short reason.
std::optional<Mesh> ReadMesh(ByteSource& data, uint16_t version, std::string* error = nullptr);
// Reads from a tag file: the data begins at header.offset.
std::optional<Mesh> ReadMesh(FileStream& stream, const TagHeader& header,
                             std::string* error = nullptr);

// Sets the submerged bit where all four records around a vertex have both reflective bits,
// and clears bits 9 and 14; row 0 and column 0 are left as stored.
void DeriveMeshFlags(Mesh& mesh);

// The triangle diagonal parity of the cell whose top-left corner is (x, y).
inline int CellParity(int x, int y) {
  return (x ^ y) & 1;
}
// Centroid of triangle t of cell (x, y), in grid units.
void TriangleCentroid(int x, int y, int t, float* cx, float* cy);

// The media tag's animation parameters: three lengths (in cells) and three angles (radians).
struct MediaParameters {
  float length[3] = {};
  float angle[3] = {};
};
std::optional<MediaParameters> ReadMediaParameters(ByteSource& data);
std::optional<MediaParameters> ReadMediaParameters(FileStream& stream, const TagHeader& header);

}  // namespace brae
