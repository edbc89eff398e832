#pragma once
// The model shared by the LightWave import, the geometry viewer and the LightWave export:
// vertices with LightWave's x mirrored, triangles with per-corner texture coordinates and
// normals, and one material per surface.

#include <cstdint>
#include <string>
#include <vector>

#include "model/LwoObject.h"

namespace brae {

struct ModelVertex {
  LwoVec3 position;
  LwoVec3 extra;  // the second vector of a vertex
};

struct ModelCorner {
  uint32_t vertex = 0;
  float u = 0, v = 0;  // as stored: (u, 1 - v) of the LightWave map
  LwoVec3 normal;
};

struct ModelTriangle {
  ModelCorner corners[3];
  uint16_t material = 0;
  uint8_t opacity = 255;
};

struct ModelMaterial {
  std::string name;        // the surface name
  std::string image_file;  // the texture image's file name, without folder; empty for none
  bool image_loaded = false;
  bool paletted = false;
  int width = 0, height = 0;
  std::vector<uint8_t> indices;  // width * height colour indices
  std::vector<uint8_t> palette;  // 256 RGB triples
};

struct IntermediateModel {
  LwoVec3 bbox_min, bbox_max;
  LwoVec3 reference;
  std::vector<ModelVertex> vertices;
  std::vector<ModelTriangle> triangles;
  std::vector<ModelMaterial> materials;
};

}  // namespace brae
