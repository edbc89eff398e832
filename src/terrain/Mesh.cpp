#include "terrain/Mesh.h"

#include <cmath>
#include <cstring>

#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"

namespace brae {

namespace {

// Element kinds of the field layouts.
constexpr uint16_t kBytes = 0, kU16 = 1, kU32 = 2;
constexpr uint16_t kZeroBytes = 4, kZeroU16 = 5, kZeroU32 = 6;

constexpr size_t kMeshHeaderBytes = sizeof(MeshHeader);
constexpr size_t kVertexBytes = sizeof(MeshVertex);
// A grid larger than this many vertices (4096 x 4096 chunks' worth would be absurd) is refused
// even when the file claims to hold it.
constexpr uint64_t kMaxVertices = uint64_t(1) << 28;

void Fail(std::string* error, const char* text) {
  if (error) *error = text;
}

}  // namespace

const FieldLayout& MeshHeaderLayout() {
  static const FieldLayout layout{
      1024, 2,          kU32, 2,        kU16,            // colour map, media, chunks
      1,    kU32,       1,    kU32,     1,    kZeroU32,  // A, 16, 20
      1,    kU32,       1,    kU32,     1,    kZeroU32,  // B, 28, 32
      3,    kU32,       1,    kZeroU32,                  // 36, 48
      3,    kU32,       1,    kZeroU32,                  // 52, 64
      5,    kU32,                                        // 68
      2,    kU16,       3,    kU16,     5,    kU16,      // shading amounts, colour, 98
      1,    kU32,                                        // midpoint
      1,    kU16,       1,    kZeroU16, 4,    kU16,      // 112, 114, 116
      17,   kU32,       2,    kU32,     1,    kZeroU32,  // 124, 192, 200
      2,    kU32,       1,    kZeroU32,                  // 204, 212
      5,    kU16,       1,    kZeroU16,                  // 216, 226
      4,    kU32,       4,    kU16,     8,    kU32,
      3,    kU32,       1,    kZeroU32,              // 228, 244, 252, 284, 296
      192,  kBytes,                                  // three texts
      1,    kU32,       4,    kU16,     3,    kU32,  // 492, 496, 504
      32,   kBytes,                                  // text at 516
      446,  kZeroBytes,                              // 548
      7,    kU16,       16,   kBytes,                // 994, 1008
  };
  return layout;
}

const FieldLayout& MeshVertexLayout() {
  static const FieldLayout layout{12, 3, kU16, 1, kZeroU16, 1, kU16, 1, kZeroU16};
  return layout;
}

std::optional<Mesh> ReadMesh(ByteSource& data, uint16_t version, std::string* error) {
  if (version != kMeshVersion) {
    Fail(error, "the mesh is not of version 11");
    return std::nullopt;
  }
  Mesh mesh;
  uint8_t raw[kMeshHeaderBytes];
  if (!data.ReadAt(0, raw, sizeof raw)) {
    Fail(error, "the mesh header is incomplete");
    return std::nullopt;
  }
  ConvertFromFile(raw, &mesh.header, 1, MeshHeaderLayout());

  const MeshHeader& h = mesh.header;
  if (h.chunks_x <= 0 || h.chunks_y <= 0) {
    Fail(error, "the mesh has no chunks");
    return std::nullopt;
  }
  mesh.width = kChunkVertices * h.chunks_x;
  mesh.height = kChunkVertices * h.chunks_y;
  const uint64_t count = uint64_t(mesh.width) * uint64_t(mesh.height);
  const uint64_t grid = uint64_t(h.grid_offset_a) + uint64_t(h.grid_offset_b);
  if (count > kMaxVertices || !data.Has(grid, count * kVertexBytes)) {
    Fail(error, "the vertex grid is incomplete");
    return std::nullopt;
  }
  mesh.vertices.resize(size_t(count));
  if (!data.ReadAt(grid, mesh.vertices.data(), size_t(count) * kVertexBytes)) {
    Fail(error, "the vertex grid could not be read");
    return std::nullopt;
  }
  ConvertRecords(mesh.vertices.data(), size_t(count), MeshVertexLayout());
  DeriveMeshFlags(mesh);
  return mesh;
}

std::optional<Mesh> ReadMesh(FileStream& stream, const TagHeader& header, std::string* error) {
  FileSource source(stream, header.offset);
  return ReadMesh(source, header.version, error);
}

void DeriveMeshFlags(Mesh& mesh) {
  constexpr uint16_t both = kVertexReflective0 | kVertexReflective1;
  auto all_reflective = [&](int x, int y) { return (mesh.At(x, y).flags & both) == both; };
  for (int y = 1; y < mesh.height; ++y) {
    for (int x = 1; x < mesh.width; ++x) {
      uint16_t& flags = mesh.At(x, y).flags;
      if (all_reflective(x, y) && all_reflective(x - 1, y) && all_reflective(x, y - 1) &&
          all_reflective(x - 1, y - 1)) {
        flags |= kVertexSubmerged;
      }
      flags &= uint16_t(~(kVertexClearedFlag9 | kVertexClearedFlag14));
    }
  }
}

void TriangleCentroid(int x, int y, int t, float* cx, float* cy) {
  // Parity 0: triangle 0 lies below-left of the (x,y)-(x+1,y+1) diagonal, triangle 1 above-right.
  // Parity 1: triangle 0 is the upper-left half, triangle 1 the lower-right.
  static const float kOffsets[2][2][2] = {
      {{1.0f / 3, 2.0f / 3}, {2.0f / 3, 1.0f / 3}},
      {{1.0f / 3, 1.0f / 3}, {2.0f / 3, 2.0f / 3}},
  };
  const float* o = kOffsets[CellParity(x, y)][t & 1];
  *cx = float(x) + o[0];
  *cy = float(y) + o[1];
}

std::optional<MediaParameters> ReadMediaParameters(ByteSource& data) {
  uint8_t raw[12];
  if (!data.ReadAt(104, raw, sizeof raw)) return std::nullopt;
  MediaParameters m;
  for (int i = 0; i < 3; ++i) {
    m.length[i] = float(LoadBE16(raw + 2 * i)) * 0.001953125f;
    m.angle[i] = float(LoadBE16(raw + 6 + 2 * i)) * float(6.283185307179586 / 65536.0);
  }
  return m;
}

std::optional<MediaParameters> ReadMediaParameters(FileStream& stream, const TagHeader& header) {
  FileSource source(stream, header.offset);
  return ReadMediaParameters(source);
}

}  // namespace brae
