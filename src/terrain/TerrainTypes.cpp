#include "terrain/TerrainTypes.h"

#include "tagstore/FourCC.h"

namespace brae {

const TerrainType& GetTerrainType(int type) {
  static const TerrainType kTypes[kTerrainTypeCount] = {
      {"dwarf depth media", FourCC("wate"), {32, 32, 255}},
      {"human depth media", FourCC("wate"), {32, 32, 186}},
      {"giant depth media", FourCC("wate"), {32, 32, 144}},
      {"deeper than giant depth media", FourCC("wate"), {32, 32, 102}},
      {"sloped", FourCC("ston"), {192, 128, 128}},
      {"steep", FourCC("ston"), {255, 48, 48}},
      {"grass", FourCC("gras"), {255, 255, 255}},
      {"desert", FourCC("sand"), {255, 255, 128}},
      {"rocky", FourCC("dirt"), {144, 144, 144}},
      {"marsh", FourCC("gras"), {192, 160, 128}},
      {"snow", FourCC("snow"), {207, 207, 207}},
      {"forest", FourCC("gras"), {144, 184, 144}},
      {"morrow special", kNoSubgroup, {255, 255, 255}},
      {"unused", kNoSubgroup, {255, 255, 255}},
      {"walking impassible", kNoSubgroup, {32, 144, 32}},
      {"flying impassible", kNoSubgroup, {32, 255, 32}},
  };
  return kTypes[type & (kTerrainTypeCount - 1)];
}

}  // namespace brae
