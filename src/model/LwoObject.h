#pragma once
// The object model of LightWave object files (LWO2, and LWOB converted to it): layers with
// their points, polygons and vertex maps, the tag strings, surfaces with their texture
// blocks, image clips and envelopes, each in file order.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tagstore/FourCC.h"

namespace brae {

struct LwoVec3 {
  float x = 0, y = 0, z = 0;
};

// A reference from a point or polygon corner to one entry of a vertex map.
struct LwoMapValue {
  int vmap = 0;        // index into the layer's vertex maps
  uint32_t entry = 0;  // index into that map's entries
};

struct LwoPoint {
  LwoVec3 position;
  std::vector<uint32_t> polygons;   // the polygons using the point (after loading)
  std::vector<LwoMapValue> values;  // per-point values (VMAP)
};

struct LwoCorner {
  uint32_t point = 0;
  LwoVec3 normal;                   // the smoothed vertex normal of this corner
  std::vector<LwoMapValue> values;  // per-corner values (VMAD)
};

struct LwoPolygon {
  uint32_t type = FourCC("FACE");  // FACE, CURV, PTCH, MBAL, BONE, SUBD
  uint16_t flags = 0;              // the top 6 bits of the vertex count word
  std::vector<LwoCorner> corners;
  int surface = -1;  // index into the object's surfaces; -1 without a surface tag
  int32_t surface_tag = -1;
  int32_t part_tag = -1;
  int32_t smoothing_group = -1;
  LwoVec3 normal;
};

struct LwoVertexMap {
  uint32_t type = 0;  // TXUV, WGHT, MNVW, PICK, MORF, SPOT, RGB, RGBA, ...
  int dimension = 0;
  std::string name;
  bool per_polygon = false;  // VMAD
  std::vector<uint32_t> points;
  std::vector<uint32_t> polygons;  // VMAD only
  std::vector<float> values;       // dimension values per entry

  size_t Count() const { return points.size(); }
  const float* Value(size_t entry) const { return values.data() + entry * size_t(dimension); }
};

struct LwoLayer {
  uint16_t number = 0;
  uint16_t flags = 0;
  LwoVec3 pivot;
  std::string name;
  bool has_parent = false;
  int16_t parent = -1;
  std::vector<LwoPoint> points;
  std::vector<LwoPolygon> polygons;
  std::vector<LwoVertexMap> vmaps;
  LwoVec3 bbox_min, bbox_max;
  bool bbox_from_file = false;
};

// A surface channel's value (one or three floats) and its envelope (0 for none).
struct LwoChannel {
  float value[3] = {};
  int components = 1;
  uint32_t envelope = 0;
};

struct LwoGradientKey {
  float input = 0;
  float output[4] = {};
};

struct LwoTextureBlock {
  uint32_t type = 0;  // IMAP, PROC, GRAD, SHDR
  std::string ordinal;
  // Header
  uint32_t channel = FourCC("COLR");
  bool enabled = true;
  uint16_t opacity_type = 0;
  float opacity = 1.0f;
  uint32_t opacity_envelope = 0;
  bool negative = false;
  uint16_t displacement_axis = 0;
  // Texture mapping (TMAP)
  LwoVec3 center, size{1, 1, 1}, rotation;
  std::string reference_object;
  uint16_t falloff_type = 0;
  LwoVec3 falloff;
  uint16_t coordinate_system = 0;
  // Image map
  uint16_t projection = 0;  // 0 planar, 1 cylindrical, 2 spherical, 3 cubic, 4 front, 5 UV
  uint16_t axis = 0;
  uint32_t clip = 0;
  uint16_t wrap_width = 1, wrap_height = 1;
  float wrap_width_amount = 1, wrap_height_amount = 1;
  std::string vmap_name;
  uint16_t antialiasing_flags = 0;
  float antialiasing_strength = 0;
  uint16_t pixel_blending = 0;
  float texture_amplitude = 0;
  // Procedural and shader
  std::string function;  // FUNC name
  float procedural_value[3] = {};
  // Gradient
  std::string parameter_name, item_name;
  float range_start = 0, range_end = 1;
  uint16_t repeat = 0;
  std::vector<LwoGradientKey> keys;
  std::vector<uint16_t> interpolations;
};

struct LwoSurface {
  std::string name;
  std::string source;
  std::map<uint32_t, LwoChannel> channels;  // COLR, DIFF, LUMI, SPEC, REFL, TRAN, ...
  uint16_t sidedness = 1;
  float smoothing_angle = 0;  // radians
  std::vector<LwoTextureBlock> blocks;

  // The first enabled-or-not texture block of a channel, or none.
  const LwoTextureBlock* FirstBlock(uint32_t channel) const;
};

struct LwoClipModifier {
  uint32_t id = 0;
  std::vector<uint8_t> data;
};

struct LwoClip {
  uint32_t index = 0;
  uint32_t type = 0;      // STIL, ISEQ, ANIM, XREF, STCC
  std::string file_name;  // STIL, ISEQ prefix, ANIM, STCC
  // Image sequence
  uint8_t digits = 0, sequence_flags = 0;
  int16_t sequence_offset = 0, start = 0, end = 0;
  std::string suffix;
  // Animation
  std::string server;
  uint16_t animation_flags = 0;
  // Cross reference
  uint32_t reference = 0;
  std::string reference_name;
  std::vector<LwoClipModifier> modifiers;
};

struct LwoKey {
  float time = 0, value = 0;
};

struct LwoSpan {
  uint32_t type = 0;  // TCB, HERM, BEZI, LINE, STEP, BEZ2
  std::vector<float> parameters;
};

struct LwoEnvelope {
  uint32_t index = 0;
  uint16_t type = 0;
  std::string name;
  uint16_t pre = 0, post = 0;
  std::vector<LwoKey> keys;
  std::vector<LwoSpan> spans;  // the span of key i, where present
};

struct LwoObject {
  uint32_t form_type = 0;  // LWO2 or LWOB
  std::vector<LwoLayer> layers;
  std::vector<std::string> tags;
  std::vector<LwoSurface> surfaces;
  std::vector<LwoClip> clips;
  std::vector<LwoEnvelope> envelopes;

  const LwoClip* FindClip(uint32_t index) const;
  int FindSurface(const std::string& name) const;
};

// The value of a vertex map named name of type type for a polygon corner: the polygon's own
// value (VMAD) when there is one, else the point's (VMAP). Null when neither exists.
const float* FindCornerValue(const LwoLayer& layer, uint32_t polygon, size_t corner, uint32_t type,
                             const std::string& name);

}  // namespace brae
