#pragma once
// The three tags that a model import writes besides the texture collection: the geometry
// ('geom'), the collection reference ('core') and the model ('mode'), and the reading of a
// geometry back. All big-endian. Offsets inside a geometry or model are relative to the data
// base (header offset 76 of a geometry, 52 of a model), which the writers set to the header size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/IntermediateModel.h"
#include "tagstore/FourCC.h"

namespace brae {

constexpr uint32_t kGeomGroup = FourCC("geom");
constexpr uint32_t kCoreGroup = FourCC("core");
constexpr uint32_t kModeGroup = FourCC("mode");
constexpr uint16_t kGeomVersion = 1;
constexpr uint16_t kCoreVersion = 1;
constexpr uint16_t kModeVersion = 4;

constexpr size_t kGeomHeaderSize = 128;
constexpr size_t kGeomTextureSize = 64;
constexpr size_t kGeomVertexSize = 6;
constexpr size_t kGeomTriangleSize = 64;
constexpr size_t kCoreSize = 384;
constexpr size_t kModeHeaderSize = 64;
constexpr size_t kModeRecordSize = 64;
constexpr size_t kFootprintCellSize = 8;

// A stored position: (-512 x, 512 z, 512 y) of a model position, each truncated to 16 bits
// (values beyond the 16-bit range are clamped first).
struct GeomPoint {
  int16_t x = 0, y = 0, z = 0;
};
GeomPoint ToGeomPoint(const LwoVec3& p);
// The model position of a stored one (the inverse of ToGeomPoint up to truncation).
LwoVec3 FromGeomPoint(const GeomPoint& p);

// The fraction that a stored texture coordinate (× 65535) stands for: the middle of its step,
// so that the truncating conversion of a writer, even after a round through single-precision
// arithmetic (1 - v in a LightWave file), gives the same integer back; 65535 is exactly 1.
float FromUnit16(uint16_t stored);

struct GeomTexture {
  std::string name;  // the material's surface name
  uint16_t material = 0;
};

struct GeomCorner {
  uint16_t vertex = 0;
  uint16_t u = 0, v = 0;  // × 65535
};

struct GeomTriangle {
  uint16_t flags = 0;
  int16_t normal[3] = {};  // unit normal × 16384
  int32_t plane = 0;
  uint16_t transparency = 0;  // (1 - opacity / 255) × 65535
  uint16_t material = 0;
  GeomCorner corners[3];  // corner 0, 1, 2 (stored in the record as 2, 1, 0)
};

// A geometry tag's data as read (or as about to be written).
struct GeomData {
  uint32_t core_id = 0;
  GeomPoint reference;
  GeomPoint bbox_min, bbox_max;
  std::vector<GeomTexture> textures;
  std::vector<GeomPoint> vertices;
  std::vector<GeomTriangle> triangles;
};

// A material whose texture can be stored: a loaded, colour-indexed image with its palette.
// Only these get a texture record, a bitmap and a sequence.
bool HasStorableTexture(const ModelMaterial& material);

// The stored form of a model: positions converted, triangle normals and plane constants
// computed, one texture record per textured material. Fails (with a reason) when the counts do
// not fit the 16-bit fields.
bool MakeGeomData(const IntermediateModel& model, uint32_t core_id, GeomData* out,
                  std::string* error);
std::vector<uint8_t> SerializeGeom(const GeomData& geom);
// Reads a geometry's data. Every count, offset and size is checked against the bytes; every
// vertex index of a triangle must name a vertex. False with a reason otherwise.
bool ParseGeom(const uint8_t* data, size_t size, GeomData* out, std::string* error);
// The intermediate model of a stored geometry: positions, corners with (u, v) and the
// triangle's normal, materials (named from the texture records) without images.
void GeomToModel(const GeomData& geom, IntermediateModel* out);

// The collection reference: 384 bytes pointing at a collection.
std::vector<uint8_t> SerializeCore(uint32_t collection_id);
// The collection id of a collection reference; false when the data is too short.
bool ParseCore(const uint8_t* data, size_t size, uint32_t* collection_id);

// The cells of the footprint along one horizontal axis: lo <= coordinate < hi.
void FootprintRange(int16_t min, int16_t max, int* lo, int* hi);
struct FootprintCell {
  int16_t first = 0, second = 0;
};
// Every cell under the geometry's bounding box on the ground, the first coordinate fastest.
std::vector<FootprintCell> Footprint(const GeomData& geom);
// The model tag of a geometry.
std::vector<uint8_t> SerializeMode(uint32_t geom_id, const GeomData& geom);

}  // namespace brae
