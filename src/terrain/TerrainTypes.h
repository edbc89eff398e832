#pragma once
// The sixteen terrain types of a mesh vertex (flag bits 4-7) with the detail texture and
// highlight colour that automatic detail texturing offers for each.

#include <cstdint>

namespace brae {

struct TerrainType {
  const char* name;
  uint32_t default_texture;  // 'dtex' tag id, 0xFFFFFFFF for none
  uint8_t highlight[3];
};

constexpr int kTerrainTypeCount = 16;
const TerrainType& GetTerrainType(int type);  // type is taken modulo 16

}  // namespace brae
