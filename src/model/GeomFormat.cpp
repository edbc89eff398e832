#include "model/GeomFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tagstore/ByteOrder.h"

namespace brae {

namespace {

constexpr size_t kGeomDataBaseField = 76;

// Truncation toward zero into a signed 16-bit field; out-of-range values (and NaN) cannot be
// converted directly, so they are clamped first.
int16_t TruncateToI16(double v) {
  if (!(v == v)) return 0;
  return int16_t(std::clamp(v, -32768.0, 32767.0));
}

int32_t TruncateToI32(double v) {
  if (!(v == v)) return 0;
  return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

// A fraction 0..1 (clamped) × 65535, truncated.
uint16_t ToUnit16(float f) {
  if (!(f == f)) return 0;
  return uint16_t(std::clamp(double(f), 0.0, 1.0) * 65535.0);
}

class ByteWriter {
 public:
  std::vector<uint8_t> bytes;
  void U16(uint16_t v) {
    bytes.push_back(uint8_t(v >> 8));
    bytes.push_back(uint8_t(v));
  }
  void I16(int16_t v) { U16(uint16_t(v)); }
  void U32(uint32_t v) {
    U16(uint16_t(v >> 16));
    U16(uint16_t(v));
  }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  void Point(const GeomPoint& p) {
    I16(p.x);
    I16(p.y);
    I16(p.z);
  }
  // A fixed text field: at most size - 1 characters and zero bytes after them.
  void Text(const std::string& s, size_t size) {
    const size_t n = std::min(s.size(), size - 1);
    bytes.insert(bytes.end(), s.begin(), s.begin() + long(n));
    Zeros(size - n);
  }
  // A table position: offset from the data base, size.
  void Table(size_t offset, size_t size) {
    U32(uint32_t(offset));
    U32(uint32_t(size));
  }
};

// Where a table lies in the data: base + offset, count records of record bytes each, checked
// against the stated table size and the bytes present.
bool LocateTable(size_t data_size, uint64_t base, const uint8_t* field, size_t count, size_t record,
                 const char* what, size_t* at, std::string* error) {
  const uint64_t offset = LoadBE32(field);
  const uint64_t size = LoadBE32(field + 4);
  const uint64_t needed = uint64_t(count) * record;
  const uint64_t start = base + offset;
  if (needed > size || start > data_size || needed > data_size - start) {
    if (error) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "the %s table (%zu records at %llu, %llu bytes) does not fit the %zu bytes",
                    what, count, static_cast<unsigned long long>(start),
                    static_cast<unsigned long long>(size), data_size);
      *error = text;
    }
    return false;
  }
  *at = size_t(start);
  return true;
}

GeomPoint LoadPoint(const uint8_t* p) {
  return {int16_t(LoadBE16(p)), int16_t(LoadBE16(p + 2)), int16_t(LoadBE16(p + 4))};
}

}  // namespace

GeomPoint ToGeomPoint(const LwoVec3& p) {
  return {TruncateToI16(-512.0 * p.x), TruncateToI16(512.0 * p.z), TruncateToI16(512.0 * p.y)};
}

LwoVec3 FromGeomPoint(const GeomPoint& p) {
  return {-float(p.x) / 512.0f, float(p.z) / 512.0f, float(p.y) / 512.0f};
}

float FromUnit16(uint16_t stored) {
  if (stored == 0xFFFF) return 1.0f;
  return float((stored + 0.5) / 65535.0);
}

bool HasStorableTexture(const ModelMaterial& m) {
  return m.image_loaded && m.paletted && m.width > 0 && m.height > 0 &&
         m.indices.size() == size_t(m.width) * size_t(m.height) && m.palette.size() == 256 * 3;
}

bool MakeGeomData(const IntermediateModel& model, uint32_t core_id, GeomData* out,
                  std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (model.vertices.size() > 0xFFFF) return fail("more than 65535 vertices");
  if (model.triangles.size() > 0xFFFF) return fail("more than 65535 triangles");
  if (model.materials.size() > 0xFFFF) return fail("more than 65535 materials");
  GeomData g;
  g.core_id = core_id;
  g.reference = ToGeomPoint(model.reference);
  const GeomPoint a = ToGeomPoint(model.bbox_min), b = ToGeomPoint(model.bbox_max);
  g.bbox_min = {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
  g.bbox_max = {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
  for (size_t i = 0; i < model.materials.size(); ++i) {
    if (HasStorableTexture(model.materials[i]))
      g.textures.push_back({model.materials[i].name, uint16_t(i)});
  }
  g.vertices.reserve(model.vertices.size());
  for (const ModelVertex& v : model.vertices) g.vertices.push_back(ToGeomPoint(v.position));
  g.triangles.reserve(model.triangles.size());
  for (const ModelTriangle& t : model.triangles) {
    GeomTriangle s;
    for (int c = 0; c < 3; ++c) {
      if (t.corners[c].vertex >= g.vertices.size()) return fail("a corner names no vertex");
      s.corners[c].vertex = uint16_t(t.corners[c].vertex);
      s.corners[c].u = ToUnit16(t.corners[c].u);
      s.corners[c].v = ToUnit16(t.corners[c].v);
    }
    const GeomPoint& p0 = g.vertices[s.corners[0].vertex];
    const GeomPoint& p1 = g.vertices[s.corners[1].vertex];
    const GeomPoint& p2 = g.vertices[s.corners[2].vertex];
    const double ax = (p0.x - p2.x) / 512.0, ay = (p0.y - p2.y) / 512.0, az = (p0.z - p2.z) / 512.0;
    const double bx = (p1.x - p2.x) / 512.0, by = (p1.y - p2.y) / 512.0, bz = (p1.z - p2.z) / 512.0;
    double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 0) {
      nx /= length, ny /= length, nz /= length;
    } else {
      nx = ny = nz = 0;  // a degenerate triangle has no plane
    }
    s.normal[0] = TruncateToI16(nx * 16384.0);
    s.normal[1] = TruncateToI16(ny * 16384.0);
    s.normal[2] = TruncateToI16(nz * 16384.0);
    s.plane = TruncateToI32(-(nx * p2.x + ny * p2.y + nz * p2.z));
    s.transparency = uint16_t((1.0 - t.opacity / 255.0) * 65535.0);
    s.material = t.material;
    g.triangles.push_back(s);
  }
  *out = std::move(g);
  return true;
}

std::vector<uint8_t> SerializeGeom(const GeomData& g) {
  const size_t textures = g.textures.size() * kGeomTextureSize;
  const size_t vertices = g.vertices.size() * kGeomVertexSize;
  const size_t triangles = g.triangles.size() * kGeomTriangleSize;
  ByteWriter w;
  w.bytes.reserve(kGeomHeaderSize + textures + vertices + triangles);
  w.U32(0);
  w.U32(g.core_id);
  w.U16(uint16_t(g.textures.size()));
  w.U16(uint16_t(g.vertices.size()));
  w.U16(uint16_t(g.triangles.size()));
  w.U16(0);
  w.Point(g.reference);
  w.Zeros(6);
  w.Table(0, textures);
  w.U32(0);
  w.Table(textures, vertices);
  w.U32(0);
  w.Table(textures + vertices, triangles);
  w.U32(0);
  w.Table(0, 0);
  w.U32(0);
  w.Table(kGeomHeaderSize, textures + vertices + triangles);  // data base, total size
  w.U32(0);
  w.Point(g.bbox_min);
  w.Point(g.bbox_max);
  w.Zeros(26 + 2);

  for (const GeomTexture& t : g.textures) {
    w.Text(t.name, 32);
    w.U16(t.material);
    w.Zeros(6 + 24);
  }
  for (const GeomPoint& p : g.vertices) w.Point(p);
  for (const GeomTriangle& t : g.triangles) {
    w.U16(t.flags);
    for (int16_t n : t.normal) w.I16(n);
    w.U32(uint32_t(t.plane));
    w.Zeros(12);
    w.U16(t.transparency);
    w.U16(t.material);
    for (int c = 2; c >= 0; --c) {
      w.U16(t.corners[c].v);
      w.U16(t.corners[c].u);
      w.U16(t.corners[c].vertex);
      w.U16(0);
    }
    w.U16(0xFFFF);
    w.U16(0xFFFF);
    w.U16(0xFFFF);
    w.U16(0);
    w.U16(0xFFFF);
    w.U16(0);
  }
  return w.bytes;
}

bool ParseGeom(const uint8_t* data, size_t size, GeomData* out, std::string* error) {
  if (!data || size < kGeomHeaderSize) {
    if (error) *error = "shorter than the 128-byte geometry header";
    return false;
  }
  GeomData g;
  g.core_id = LoadBE32(data + 4);
  const size_t texture_count = LoadBE16(data + 8);
  const size_t vertex_count = LoadBE16(data + 10);
  const size_t triangle_count = LoadBE16(data + 12);
  g.reference = LoadPoint(data + 16);
  g.bbox_min = LoadPoint(data + 88);
  g.bbox_max = LoadPoint(data + 94);
  const uint64_t base = LoadBE32(data + kGeomDataBaseField);
  size_t textures = 0, vertices = 0, triangles = 0;
  if (!LocateTable(size, base, data + 28, texture_count, kGeomTextureSize, "texture", &textures,
                   error) ||
      !LocateTable(size, base, data + 40, vertex_count, kGeomVertexSize, "vertex", &vertices,
                   error) ||
      !LocateTable(size, base, data + 52, triangle_count, kGeomTriangleSize, "triangle", &triangles,
                   error)) {
    return false;
  }
  g.textures.resize(texture_count);
  for (size_t i = 0; i < texture_count; ++i) {
    const uint8_t* r = data + textures + i * kGeomTextureSize;
    const uint8_t* end = std::find(r, r + 32, uint8_t(0));
    g.textures[i].name.assign(r, end);
    g.textures[i].material = LoadBE16(r + 32);
  }
  g.vertices.resize(vertex_count);
  for (size_t i = 0; i < vertex_count; ++i)
    g.vertices[i] = LoadPoint(data + vertices + i * kGeomVertexSize);
  g.triangles.resize(triangle_count);
  for (size_t i = 0; i < triangle_count; ++i) {
    const uint8_t* r = data + triangles + i * kGeomTriangleSize;
    GeomTriangle& t = g.triangles[i];
    t.flags = LoadBE16(r);
    for (int k = 0; k < 3; ++k) t.normal[k] = int16_t(LoadBE16(r + 2 + 2 * k));
    t.plane = int32_t(LoadBE32(r + 8));
    t.transparency = LoadBE16(r + 24);
    t.material = LoadBE16(r + 26);
    for (int c = 0; c < 3; ++c) {
      const uint8_t* corner = r + 28 + 8 * (2 - c);
      t.corners[c].v = LoadBE16(corner);
      t.corners[c].u = LoadBE16(corner + 2);
      t.corners[c].vertex = LoadBE16(corner + 4);
      if (t.corners[c].vertex >= vertex_count) {
        if (error) {
          char text[96];
          std::snprintf(text, sizeof text, "triangle %zu names vertex %u of %zu", i,
                        unsigned(t.corners[c].vertex), vertex_count);
          *error = text;
        }
        return false;
      }
    }
  }
  *out = std::move(g);
  return true;
}

void GeomToModel(const GeomData& g, IntermediateModel* out) {
  IntermediateModel m;
  const LwoVec3 a = FromGeomPoint(g.bbox_min), b = FromGeomPoint(g.bbox_max);
  m.bbox_min = {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
  m.bbox_max = {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
  m.reference = FromGeomPoint(g.reference);
  m.vertices.resize(g.vertices.size());
  for (size_t i = 0; i < g.vertices.size(); ++i)
    m.vertices[i].position = FromGeomPoint(g.vertices[i]);
  size_t material_count = 0;
  m.triangles.resize(g.triangles.size());
  for (size_t i = 0; i < g.triangles.size(); ++i) {
    const GeomTriangle& s = g.triangles[i];
    ModelTriangle& t = m.triangles[i];
    // The stored normal is in stored axes: back to the model's as for positions.
    const LwoVec3 normal = {-s.normal[0] / 16384.0f, s.normal[2] / 16384.0f,
                            s.normal[1] / 16384.0f};
    for (int c = 0; c < 3; ++c) {
      t.corners[c].vertex = s.corners[c].vertex;
      t.corners[c].u = FromUnit16(s.corners[c].u);
      t.corners[c].v = FromUnit16(s.corners[c].v);
      t.corners[c].normal = normal;
    }
    t.material = s.material;
    t.opacity = uint8_t(std::lround((1.0 - s.transparency / 65535.0) * 255.0));
    material_count = std::max(material_count, size_t(s.material) + 1);
  }
  for (const GeomTexture& t : g.textures)
    material_count = std::max(material_count, size_t(t.material) + 1);
  m.materials.resize(material_count);
  for (size_t i = 0; i < material_count; ++i) m.materials[i].name = "Material " + std::to_string(i);
  for (const GeomTexture& t : g.textures) m.materials[t.material].name = t.name;
  *out = std::move(m);
}

std::vector<uint8_t> SerializeCore(uint32_t collection_id) {
  ByteWriter w;
  w.U32(collection_id);
  w.U16(1);
  w.U16(0);
  for (int i = 0; i < 160 + 3; ++i) w.U16(0xFFFF);
  w.U16(0);
  w.Zeros(48);
  return w.bytes;
}

bool ParseCore(const uint8_t* data, size_t size, uint32_t* collection_id) {
  if (!data || size < 4) return false;
  *collection_id = LoadBE32(data);
  return true;
}

void FootprintRange(int16_t min, int16_t max, int* lo, int* hi) {
  *lo = int(std::lround(min / 512.0 - 0.499999985));
  *hi = int(std::lround(max / 512.0 + 0.499999985));
}

std::vector<FootprintCell> Footprint(const GeomData& g) {
  int x_lo, x_hi, y_lo, y_hi;
  FootprintRange(g.bbox_min.x, g.bbox_max.x, &x_lo, &x_hi);
  FootprintRange(g.bbox_min.y, g.bbox_max.y, &y_lo, &y_hi);
  std::vector<FootprintCell> cells;
  for (int y = y_lo; y < y_hi; ++y) {
    for (int x = x_lo; x < x_hi; ++x) cells.push_back({int16_t(x), int16_t(y)});
  }
  return cells;
}

std::vector<uint8_t> SerializeMode(uint32_t geom_id, const GeomData& g) {
  const std::vector<FootprintCell> cells = Footprint(g);
  const size_t list = g.vertices.size() * 4;
  const size_t records = kModeRecordSize;
  const size_t footprint = cells.size() * kFootprintCellSize;
  ByteWriter w;
  w.U32(0);
  w.U32(geom_id);
  w.U16(0);
  w.U16(uint16_t(g.vertices.size()));
  w.U16(1);
  w.U16(uint16_t(cells.size()));
  w.Table(0, list);
  w.U32(0);
  w.Table(list, records);
  w.U32(0);
  w.Table(list + records, footprint);
  w.U32(0);
  w.Table(kModeHeaderSize, list + records + footprint);  // data base, total size
  w.U32(0);
  w.Zeros(list);
  w.Zeros(records);  // reserved, an empty name, reserved
  for (const FootprintCell& c : cells) {
    w.U16(uint16_t(c.first));
    w.U16(uint16_t(c.second));
    w.U16(2);
    w.U16(0);
  }
  return w.bytes;
}

}  // namespace brae
