// Index
//   Cursor ........................ bounded big-endian reading of chunk data
//   LWO2 chunks ................... layers, points, polygons, tags, vertex maps
//   LWO2 surfaces ................. channels and texture blocks
//   LWO2 clips and envelopes
//   LWOB .......................... the older form, converted to the same model
//   Finishing ..................... bounding boxes, normals, surfaces, vertex map values
//   Entry points
#include "model/LwoReader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace brae {

namespace {

// ---- Cursor

class Cursor {
 public:
  Cursor(const uint8_t* data, size_t begin, size_t end) : data_(data), pos_(begin), end_(end) {}

  bool ok() const { return ok_; }
  bool AtEnd() const { return pos_ >= end_; }
  size_t pos() const { return pos_; }
  size_t end() const { return end_; }
  size_t Left() const { return pos_ < end_ ? end_ - pos_ : 0; }
  void Fail() { ok_ = false; }

  bool Need(size_t bytes) {
    if (!ok_ || bytes > Left()) {
      ok_ = false;
      return false;
    }
    return true;
  }
  uint8_t U1() { return Need(1) ? data_[pos_++] : 0; }
  uint16_t U2() {
    if (!Need(2)) return 0;
    const uint16_t v = uint16_t((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  uint32_t U4() {
    if (!Need(4)) return 0;
    const uint32_t v = (uint32_t(data_[pos_]) << 24) | (uint32_t(data_[pos_ + 1]) << 16) |
                       (uint32_t(data_[pos_ + 2]) << 8) | data_[pos_ + 3];
    pos_ += 4;
    return v;
  }
  int16_t I2() { return int16_t(U2()); }
  float F4() {
    const uint32_t bits = U4();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  LwoVec3 Vec() {
    LwoVec3 v;
    v.x = F4();
    v.y = F4();
    v.z = F4();
    return v;
  }
  // Variable-length index: two bytes, or four when the first is 0xFF (low 24 bits).
  uint32_t VX() {
    if (!Need(2)) return 0;
    if (data_[pos_] == 0xFF) return U4() & 0x00FFFFFF;
    return U2();
  }
  // Zero-terminated string padded to an even length.
  std::string S0() {
    const size_t start = pos_;
    while (pos_ < end_ && data_[pos_]) ++pos_;
    if (pos_ >= end_) {
      ok_ = false;
      return std::string();
    }
    std::string s(reinterpret_cast<const char*>(data_ + start), pos_ - start);
    ++pos_;
    if ((pos_ - start) & 1) {
      if (pos_ < end_) {
        ++pos_;
      } else {
        pos_ = end_;  // a missing pad at the very end of a chunk is tolerated
      }
    }
    return s;
  }
  std::vector<uint8_t> Rest() {
    std::vector<uint8_t> bytes(data_ + pos_, data_ + end_);
    pos_ = end_;
    return bytes;
  }
  void SkipTo(size_t position) { pos_ = position; }
  const uint8_t* data() const { return data_; }

 private:
  const uint8_t* data_;
  size_t pos_;
  size_t end_;
  bool ok_ = true;
};

// Walks the sub-chunks of a cursor (4-byte id, 2-byte size, data padded to even) and calls
// handle(id, sub-cursor) for each. False when a sub-chunk runs past its parent or overreads.
template <typename Handler>
bool ForEachSubchunk(Cursor& c, Handler handle) {
  while (c.ok() && c.Left() >= 6) {
    const uint32_t id = c.U4();
    const uint16_t size = c.U2();
    const size_t begin = c.pos();
    if (size > c.Left()) return false;
    Cursor sub(c.data(), begin, begin + size);
    handle(id, sub);
    if (!sub.ok()) return false;
    c.SkipTo(std::min(begin + size + (size & 1), c.end()));
  }
  return c.ok();
}

struct Reader {
  LwoObject* object;
  const uint8_t* data;
  size_t size;
  LwoReadError* error;
  bool seen_layer = false;
  size_t points_start = 0;    // the most recent PNTS chunk's first point
  size_t polygons_start = 0;  // the most recent POLS chunk's first polygon

  LwoLayer& Layer() { return object->layers.back(); }

  bool Fail(uint32_t chunk, size_t position, const char* message) {
    if (error) {
      error->chunk = chunk;
      error->position = position;
      error->message = message;
    }
    return false;
  }

  // ---- LWO2 chunks

  void ReadLayer(Cursor& c) {
    if (seen_layer) object->layers.emplace_back();
    seen_layer = true;
    LwoLayer& layer = Layer();
    layer.number = c.U2();
    layer.flags = c.U2();
    layer.pivot = c.Vec();
    layer.name = c.S0();
    if (c.Left() >= 2) {
      layer.has_parent = true;
      layer.parent = c.I2();
    }
    points_start = polygons_start = 0;
  }

  void ReadPoints(Cursor& c) {
    LwoLayer& layer = Layer();
    points_start = layer.points.size();
    const size_t count = c.Left() / 12;
    layer.points.reserve(layer.points.size() + count);
    for (size_t i = 0; i < count; ++i) {
      LwoPoint p;
      p.position = c.Vec();
      layer.points.push_back(p);
    }
  }

  void ReadBoundingBox(Cursor& c) {
    LwoLayer& layer = Layer();
    layer.bbox_min = c.Vec();
    layer.bbox_max = c.Vec();
    layer.bbox_from_file = c.ok();
  }

  bool ReadPolygonsLwo2(Cursor& c) {
    LwoLayer& layer = Layer();
    const uint32_t type = c.U4();
    polygons_start = layer.polygons.size();
    while (c.ok() && !c.AtEnd()) {
      const uint16_t word = c.U2();
      LwoPolygon polygon;
      polygon.type = type;
      polygon.flags = uint16_t(word >> 10);
      const size_t count = word & 0x03FF;
      if (count * 2 > c.Left()) {
        c.Fail();
        return false;
      }
      polygon.corners.resize(count);
      for (LwoCorner& corner : polygon.corners) {
        corner.point = uint32_t(c.VX() + points_start);
        if (corner.point >= layer.points.size()) return false;
      }
      layer.polygons.push_back(std::move(polygon));
    }
    return c.ok();
  }

  void ReadPolygonTags(Cursor& c) {
    LwoLayer& layer = Layer();
    const uint32_t type = c.U4();
    while (c.ok() && !c.AtEnd()) {
      const size_t polygon = c.VX() + polygons_start;
      const uint16_t tag = c.U2();
      if (!c.ok() || polygon >= layer.polygons.size()) continue;
      LwoPolygon& p = layer.polygons[polygon];
      if (type == FourCC("SURF")) p.surface_tag = tag;
      if (type == FourCC("PART")) p.part_tag = tag;
      if (type == FourCC("SMGP")) p.smoothing_group = tag;
    }
  }

  void ReadVertexMap(Cursor& c, bool per_polygon) {
    LwoLayer& layer = Layer();
    LwoVertexMap map;
    map.type = c.U4();
    map.dimension = c.U2();
    map.name = c.S0();
    map.per_polygon = per_polygon;
    while (c.ok() && !c.AtEnd()) {
      const uint32_t point = uint32_t(c.VX() + points_start);
      const uint32_t polygon = per_polygon ? uint32_t(c.VX() + polygons_start) : 0;
      if (!c.Need(size_t(map.dimension) * 4)) break;
      map.points.push_back(point);
      if (per_polygon) map.polygons.push_back(polygon);
      for (int d = 0; d < map.dimension; ++d) map.values.push_back(c.F4());
    }
    if (!c.ok()) return;
    layer.vmaps.push_back(std::move(map));
  }

  void ReadTags(Cursor& c) {
    while (c.ok() && !c.AtEnd()) object->tags.push_back(c.S0());
  }

  // ---- LWO2 surfaces

  static bool IsScalarChannel(uint32_t id) {
    for (const char* name : {"DIFF", "LUMI", "SPEC", "REFL", "TRAN", "TRNL", "GLOS", "SHRP", "BUMP",
                             "RSAN", "RIND", "CLRH", "CLRF", "ADTR", "RBLR", "TBLR"}) {
      if (id == MakeFourCC(name[0], name[1], name[2], name[3])) return true;
    }
    return false;
  }

  static void ReadBlockHeader(Cursor& c, LwoTextureBlock& block) {
    block.ordinal = c.S0();
    ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("CHAN")) block.channel = s.U4();
      if (id == FourCC("ENAB")) block.enabled = s.U2() != 0;
      if (id == FourCC("OPAC")) {
        block.opacity_type = s.U2();
        block.opacity = s.F4();
        block.opacity_envelope = s.AtEnd() ? 0 : s.VX();
      }
      if (id == FourCC("NEGA")) block.negative = s.U2() != 0;
      if (id == FourCC("AXIS")) block.displacement_axis = s.U2();
    });
  }

  static void ReadTextureMapping(Cursor& c, LwoTextureBlock& block) {
    ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("CNTR")) block.center = s.Vec();
      if (id == FourCC("SIZE")) block.size = s.Vec();
      if (id == FourCC("ROTA")) block.rotation = s.Vec();
      if (id == FourCC("OREF")) block.reference_object = s.S0();
      if (id == FourCC("FALL")) {
        block.falloff_type = s.U2();
        block.falloff = s.Vec();
      }
      if (id == FourCC("CSYS")) block.coordinate_system = s.U2();
    });
  }

  static void ReadBlock(Cursor& c, LwoTextureBlock& block) {
    bool header = true;
    ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (header) {
        header = false;
        block.type = id;
        ReadBlockHeader(s, block);
        return;
      }
      if (id == FourCC("TMAP")) ReadTextureMapping(s, block);
      if (id == FourCC("PROJ")) block.projection = s.U2();
      if (id == FourCC("AXIS")) block.axis = s.U2();
      if (id == FourCC("IMAG")) block.clip = s.VX();
      if (id == FourCC("WRAP")) {
        block.wrap_width = s.U2();
        block.wrap_height = s.U2();
      }
      if (id == FourCC("WRPW")) block.wrap_width_amount = s.F4();
      if (id == FourCC("WRPH")) block.wrap_height_amount = s.F4();
      if (id == FourCC("VMAP")) block.vmap_name = s.S0();
      if (id == FourCC("AAST")) {
        block.antialiasing_flags = s.U2();
        block.antialiasing_strength = s.F4();
      }
      if (id == FourCC("PIXB")) block.pixel_blending = s.U2();
      if (id == FourCC("TAMP")) block.texture_amplitude = s.F4();
      if (id == FourCC("VALU")) {
        for (int i = 0; i < 3 && s.Left() >= 4; ++i) block.procedural_value[i] = s.F4();
      }
      if (id == FourCC("FUNC")) block.function = s.S0();
      if (id == FourCC("PNAM")) block.parameter_name = s.S0();
      if (id == FourCC("INAM")) block.item_name = s.S0();
      if (id == FourCC("GRST")) block.range_start = s.F4();
      if (id == FourCC("GREN")) block.range_end = s.F4();
      if (id == FourCC("GRPT")) block.repeat = s.U2();
      if (id == FourCC("FKEY")) {
        while (s.Left() >= 20) {
          LwoGradientKey key;
          key.input = s.F4();
          for (float& o : key.output) o = s.F4();
          block.keys.push_back(key);
        }
      }
      if (id == FourCC("IKEY")) {
        while (s.Left() >= 2) block.interpolations.push_back(s.U2());
      }
    });
  }

  void ReadSurface(Cursor& c) {
    LwoSurface surface;
    surface.name = c.S0();
    surface.source = c.S0();
    const bool ok = ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("COLR")) {
        LwoChannel& ch = surface.channels[id];
        ch.components = 3;
        for (float& v : ch.value) v = s.F4();
        ch.envelope = s.AtEnd() ? 0 : s.VX();
      } else if (IsScalarChannel(id)) {
        LwoChannel& ch = surface.channels[id];
        ch.value[0] = s.F4();
        ch.envelope = s.AtEnd() ? 0 : s.VX();
      } else if (id == FourCC("SIDE")) {
        surface.sidedness = s.U2();
      } else if (id == FourCC("SMAN")) {
        surface.smoothing_angle = s.F4();
      } else if (id == FourCC("BLOK")) {
        LwoTextureBlock block;
        ReadBlock(s, block);
        surface.blocks.push_back(std::move(block));
      }
    });
    if (!ok) c.Fail();
    object->surfaces.push_back(std::move(surface));
  }

  // ---- LWO2 clips and envelopes

  void ReadClip(Cursor& c) {
    LwoClip clip;
    clip.index = c.U4();
    const bool ok = ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("STIL")) {
        clip.type = id;
        clip.file_name = s.S0();
      } else if (id == FourCC("ISEQ")) {
        clip.type = id;
        clip.digits = s.U1();
        clip.sequence_flags = s.U1();
        clip.sequence_offset = s.I2();
        s.U2();
        clip.start = s.I2();
        clip.end = s.I2();
        clip.file_name = s.S0();
        clip.suffix = s.S0();
      } else if (id == FourCC("ANIM")) {
        clip.type = id;
        clip.file_name = s.S0();
        clip.server = s.S0();
        clip.animation_flags = s.U2();
      } else if (id == FourCC("XREF")) {
        clip.type = id;
        clip.reference = s.U4();
        clip.reference_name = s.S0();
      } else if (id == FourCC("STCC")) {
        clip.type = id;
        clip.start = s.I2();
        clip.end = s.I2();
        clip.file_name = s.S0();
      } else {
        clip.modifiers.push_back({id, s.Rest()});
      }
    });
    if (!ok) c.Fail();
    object->clips.push_back(std::move(clip));
  }

  void ReadEnvelope(Cursor& c) {
    LwoEnvelope envelope;
    envelope.index = c.VX();
    const bool ok = ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("TYPE")) envelope.type = s.U2();
      if (id == FourCC("PRE ")) envelope.pre = s.U2();
      if (id == FourCC("POST")) envelope.post = s.U2();
      if (id == FourCC("NAME")) envelope.name = s.S0();
      if (id == FourCC("KEY ")) {
        LwoKey key;
        key.time = s.F4();
        key.value = s.F4();
        envelope.keys.push_back(key);
      }
      if (id == FourCC("SPAN")) {
        LwoSpan span;
        span.type = s.U4();
        while (s.Left() >= 4) span.parameters.push_back(s.F4());
        envelope.spans.push_back(std::move(span));
      }
    });
    if (!ok) c.Fail();
    object->envelopes.push_back(std::move(envelope));
  }

  bool ReadLwo2Chunk(uint32_t id, Cursor& c) {
    if (id == FourCC("LAYR"))
      ReadLayer(c);
    else if (id == FourCC("PNTS"))
      ReadPoints(c);
    else if (id == FourCC("BBOX"))
      ReadBoundingBox(c);
    else if (id == FourCC("POLS"))
      return ReadPolygonsLwo2(c);
    else if (id == FourCC("PTAG"))
      ReadPolygonTags(c);
    else if (id == FourCC("VMAP"))
      ReadVertexMap(c, false);
    else if (id == FourCC("VMAD"))
      ReadVertexMap(c, true);
    else if (id == FourCC("TAGS"))
      ReadTags(c);
    else if (id == FourCC("SURF"))
      ReadSurface(c);
    else if (id == FourCC("CLIP"))
      ReadClip(c);
    else if (id == FourCC("ENVL"))
      ReadEnvelope(c);
    return c.ok();
  }

  // ---- LWOB

  bool ReadPolygonsLwob(Cursor& c) {
    LwoLayer& layer = Layer();
    while (c.ok() && c.Left() >= 2) {
      const size_t count = c.U2();
      if (count * 2 + 2 > c.Left()) return false;
      LwoPolygon polygon;
      polygon.corners.resize(count);
      for (LwoCorner& corner : polygon.corners) {
        corner.point = c.U2();
        if (corner.point >= layer.points.size()) return false;
      }
      int surface = c.I2();
      if (surface < 0) {
        surface = -surface;
        c.U2();  // the count of detail polygons, which follow as ordinary polygons
      }
      polygon.surface_tag = surface - 1;
      layer.polygons.push_back(std::move(polygon));
    }
    return c.ok();
  }

  static uint16_t ProjectionFromName(const std::string& name) {
    const char* names[] = {"Planar", "Cylindrical", "Spherical", "Cubic", "Front"};
    for (uint16_t i = 0; i < 5; ++i) {
      if (name.find(names[i]) != std::string::npos) return i;
    }
    return 0;
  }

  uint32_t ClipForImage(const std::string& image) {
    if (image.empty() || image == "(none)") return 0;
    static const std::string kSequence = "(sequence)";
    const bool sequence =
        image.size() >= kSequence.size() &&
        image.compare(image.size() - kSequence.size(), kSequence.size(), kSequence) == 0;
    std::string file = image;
    if (sequence) {
      file.erase(file.size() - kSequence.size());
      while (!file.empty() && file.back() == ' ') file.pop_back();
    }
    const uint32_t type = sequence ? FourCC("ISEQ") : FourCC("STIL");
    for (const LwoClip& clip : object->clips) {
      if (clip.file_name == file && clip.type == type) return clip.index;
    }
    LwoClip clip;
    clip.index = uint32_t(object->clips.size() + 1);
    clip.type = type;
    clip.file_name = file;
    object->clips.push_back(clip);
    return clip.index;
  }

  void ReadSurfaceLwob(Cursor& c) {
    static const struct {
      const char* id;
      const char* channel;
    } kFractions[] = {{"LUMI", "LUMI"},
                      {"DIFF", "DIFF"},
                      {"SPEC", "SPEC"},
                      {"REFL", "REFL"},
                      {"TRAN", "TRAN"}},
      kFloats[] = {{"VLUM", "LUMI"},
                   {"VDIF", "DIFF"},
                   {"VSPC", "SPEC"},
                   {"VRFL", "REFL"},
                   {"VTRN", "TRAN"}},
      kTextures[] = {{"CTEX", "COLR"}, {"DTEX", "DIFF"}, {"STEX", "SPEC"}, {"RTEX", "REFL"},
                     {"TTEX", "TRAN"}, {"LTEX", "LUMI"}, {"BTEX", "BUMP"}};
    auto code = [](const char* s) { return MakeFourCC(s[0], s[1], s[2], s[3]); };
    LwoSurface surface;
    surface.name = c.S0();
    LwoTextureBlock* texture = nullptr;
    const bool ok = ForEachSubchunk(c, [&](uint32_t id, Cursor& s) {
      if (id == FourCC("COLR")) {
        LwoChannel& ch = surface.channels[id];
        ch.components = 3;
        for (float& v : ch.value) v = float(s.U1()) / 255.0f;
        return;
      }
      if (id == FourCC("FLAG")) {
        if (s.U2() & 0x100) surface.sidedness = 3;
        return;
      }
      if (id == FourCC("SMAN")) {
        surface.smoothing_angle = s.F4() * float(M_PI / 180.0);  // stored in degrees
        return;
      }
      if (id == FourCC("GLOS")) {
        surface.channels[id].value[0] = float(s.U2()) / 1024.0f;
        return;
      }
      for (const auto& f : kFractions) {
        if (id == code(f.id)) {
          surface.channels[code(f.channel)].value[0] = float(s.U2()) / 256.0f;
          return;
        }
      }
      for (const auto& f : kFloats) {
        if (id == code(f.id)) {
          surface.channels[code(f.channel)].value[0] = s.F4();
          return;
        }
      }
      for (const auto& t : kTextures) {
        if (id == code(t.id)) {
          LwoTextureBlock block;
          const std::string name = s.S0();
          block.channel = code(t.channel);
          if (name.find("Image Map") != std::string::npos) {
            block.type = FourCC("IMAP");
            block.projection = ProjectionFromName(name);
          } else {
            block.type = FourCC("PROC");
            block.function = name;
          }
          surface.blocks.push_back(block);
          texture = &surface.blocks.back();
          return;
        }
      }
      if (!texture) return;
      if (id == FourCC("TFLG")) {
        const uint16_t flags = s.U2();
        texture->axis = flags & 2 ? 1 : flags & 4 ? 2 : 0;
        texture->negative = flags & 16;
        texture->pixel_blending = flags & 32 ? 1 : 0;
        texture->coordinate_system = flags & 8 ? 1 : 0;
      } else if (id == FourCC("TSIZ")) {
        texture->size = s.Vec();
      } else if (id == FourCC("TCTR")) {
        texture->center = s.Vec();
      } else if (id == FourCC("TFAL")) {
        texture->falloff = s.Vec();
      } else if (id == FourCC("TIMG")) {
        texture->clip = ClipForImage(s.S0());
      } else if (id == FourCC("TWRP")) {
        texture->wrap_width = s.U2();
        texture->wrap_height = s.U2();
      } else if (id == FourCC("TAAS")) {
        texture->antialiasing_strength = s.F4();
      } else if (id == FourCC("TAMP")) {
        texture->texture_amplitude = s.F4();
      } else if (id == FourCC("TVAL")) {
        texture->procedural_value[0] = float(s.U2()) / 256.0f;
      } else if (id == FourCC("TOPC")) {
        texture->opacity = s.F4();
      }
    });
    if (!ok) c.Fail();
    object->surfaces.push_back(std::move(surface));
  }

  bool ReadLwobChunk(uint32_t id, Cursor& c) {
    if (id == FourCC("SRFS"))
      ReadTags(c);
    else if (id == FourCC("PNTS"))
      ReadPoints(c);
    else if (id == FourCC("POLS"))
      return ReadPolygonsLwob(c);
    else if (id == FourCC("SURF"))
      ReadSurfaceLwob(c);
    return c.ok();
  }

  // ---- Finishing

  void FinishLayer(LwoLayer& layer) {
    if (!layer.bbox_from_file) {
      if (layer.points.empty()) {
        layer.bbox_min = layer.bbox_max = LwoVec3();
      } else {
        layer.bbox_min = layer.bbox_max = layer.points[0].position;
        for (const LwoPoint& p : layer.points) {
          layer.bbox_min.x = std::min(layer.bbox_min.x, p.position.x);
          layer.bbox_min.y = std::min(layer.bbox_min.y, p.position.y);
          layer.bbox_min.z = std::min(layer.bbox_min.z, p.position.z);
          layer.bbox_max.x = std::max(layer.bbox_max.x, p.position.x);
          layer.bbox_max.y = std::max(layer.bbox_max.y, p.position.y);
          layer.bbox_max.z = std::max(layer.bbox_max.z, p.position.z);
        }
      }
    }
    for (size_t i = 0; i < layer.polygons.size(); ++i) {
      LwoPolygon& polygon = layer.polygons[i];
      polygon.normal = PolygonNormal(layer, polygon);
      for (const LwoCorner& corner : polygon.corners) {
        layer.points[corner.point].polygons.push_back(uint32_t(i));
      }
      polygon.surface = ResolveSurface(polygon.surface_tag);
    }
    for (LwoPolygon& polygon : layer.polygons) {
      const float angle =
          polygon.surface >= 0 ? object->surfaces[size_t(polygon.surface)].smoothing_angle : 0.0f;
      const float limit = std::cos(angle);
      for (LwoCorner& corner : polygon.corners) {
        LwoVec3 sum = polygon.normal;
        if (angle > 0) {
          sum = LwoVec3();
          for (uint32_t other : layer.points[corner.point].polygons) {
            const LwoVec3& n = layer.polygons[other].normal;
            if (Dot(n, polygon.normal) >= limit - 1e-6f) {
              sum.x += n.x;
              sum.y += n.y;
              sum.z += n.z;
            }
          }
        }
        corner.normal = Normalised(sum);
      }
    }
    AttachValues(layer);
  }

  static float Dot(const LwoVec3& a, const LwoVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

  static LwoVec3 Normalised(LwoVec3 v) {
    const float length = std::sqrt(Dot(v, v));
    if (length > 0) {
      v.x /= length;
      v.y /= length;
      v.z /= length;
    }
    return v;
  }

  static LwoVec3 PolygonNormal(const LwoLayer& layer, const LwoPolygon& polygon) {
    if (polygon.corners.size() < 3) return LwoVec3();
    const LwoVec3& p0 = layer.points[polygon.corners[0].point].position;
    const LwoVec3& p1 = layer.points[polygon.corners[1].point].position;
    const LwoVec3& pn = layer.points[polygon.corners.back().point].position;
    const LwoVec3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const LwoVec3 b{pn.x - p0.x, pn.y - p0.y, pn.z - p0.z};
    return Normalised({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x});
  }

  int ResolveSurface(int32_t tag) {
    if (tag < 0 || size_t(tag) >= object->tags.size()) return -1;
    const std::string& name = object->tags[size_t(tag)];
    int index = object->FindSurface(name);
    if (index < 0) {
      LwoSurface surface;  // a tag that names no surface gets a default one
      surface.name = name;
      LwoChannel colour;
      colour.components = 3;
      colour.value[0] = colour.value[1] = colour.value[2] = 200.0f / 255.0f;
      surface.channels[FourCC("COLR")] = colour;
      surface.channels[FourCC("DIFF")].value[0] = 1.0f;
      object->surfaces.push_back(surface);
      index = int(object->surfaces.size() - 1);
    }
    return index;
  }

  static void AttachValues(LwoLayer& layer) {
    for (size_t m = 0; m < layer.vmaps.size(); ++m) {
      const LwoVertexMap& map = layer.vmaps[m];
      for (size_t e = 0; e < map.Count(); ++e) {
        const uint32_t point = map.points[e];
        if (point >= layer.points.size()) continue;
        if (!map.per_polygon) {
          layer.points[point].values.push_back({int(m), uint32_t(e)});
          continue;
        }
        const uint32_t polygon = map.polygons[e];
        if (polygon >= layer.polygons.size()) continue;
        for (LwoCorner& corner : layer.polygons[polygon].corners) {
          if (corner.point == point) corner.values.push_back({int(m), uint32_t(e)});
        }
      }
    }
  }

  // ---- The form

  bool Read() {
    if (size < 12) return Fail(0, 0, "the file has no LightWave head");
    Cursor head(data, 0, 12);
    const uint32_t form = head.U4();
    const uint32_t form_size = head.U4();
    const uint32_t type = head.U4();
    if (form != FourCC("FORM")) return Fail(0, 0, "the file is no IFF form");
    if (type != FourCC("LWO2") && type != FourCC("LWOB")) {
      return Fail(0, 8, "the form is no LightWave object");
    }
    object->form_type = type;
    object->layers.emplace_back();
    const size_t end = std::min<uint64_t>(uint64_t(form_size) + 8, size);
    size_t pos = 12;
    while (pos + 8 <= end) {
      Cursor chunk_head(data, pos, pos + 8);
      const uint32_t id = chunk_head.U4();
      const uint32_t chunk_size = chunk_head.U4();
      const size_t begin = pos + 8;
      if (chunk_size > end - begin) return Fail(id, pos, "a chunk runs past the end of the file");
      Cursor c(data, begin, begin + chunk_size);
      const bool ok = type == FourCC("LWO2") ? ReadLwo2Chunk(id, c) : ReadLwobChunk(id, c);
      if (!ok) return Fail(id, c.pos(), "a chunk's contents run past its size or are invalid");
      pos = begin + chunk_size + (chunk_size & 1);
    }
    for (LwoLayer& layer : object->layers) FinishLayer(layer);
    return true;
  }
};

}  // namespace

// ---- Entry points

std::unique_ptr<LwoObject> ReadLwoFromMemory(const uint8_t* data, size_t size,
                                             LwoReadError* error) {
  try {
    auto object = std::make_unique<LwoObject>();
    Reader reader{object.get(), data, size, error};
    if (!reader.Read()) return nullptr;
    return object;
  } catch (const std::bad_alloc&) {
    if (error) error->message = "out of memory";
    return nullptr;
  }
}

std::unique_ptr<LwoObject> ReadLwo(const std::string& path, LwoReadError* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (error) error->message = "the file cannot be opened";
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  const bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) {
    if (error) error->message = "the file cannot be read";
    return nullptr;
  }
  return ReadLwoFromMemory(bytes.data(), bytes.size(), error);
}

}  // namespace brae
