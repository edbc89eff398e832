#include "model/LwoObject.h"

namespace brae {

const LwoTextureBlock* LwoSurface::FirstBlock(uint32_t channel) const {
  for (const LwoTextureBlock& block : blocks) {
    if (block.channel == channel) return &block;
  }
  return nullptr;
}

const LwoClip* LwoObject::FindClip(uint32_t index) const {
  for (const LwoClip& clip : clips) {
    if (clip.index == index) return &clip;
  }
  return nullptr;
}

int LwoObject::FindSurface(const std::string& name) const {
  for (size_t i = 0; i < surfaces.size(); ++i) {
    if (surfaces[i].name == name) return int(i);
  }
  return -1;
}

const float* FindCornerValue(const LwoLayer& layer, uint32_t polygon, size_t corner, uint32_t type,
                             const std::string& name) {
  if (polygon >= layer.polygons.size() || corner >= layer.polygons[polygon].corners.size()) {
    return nullptr;
  }
  const LwoCorner& c = layer.polygons[polygon].corners[corner];
  auto matches = [&](int vmap) {
    const LwoVertexMap& m = layer.vmaps[size_t(vmap)];
    return m.type == type && m.name == name;
  };
  for (const LwoMapValue& v : c.values) {
    if (matches(v.vmap)) return layer.vmaps[size_t(v.vmap)].Value(v.entry);
  }
  if (c.point >= layer.points.size()) return nullptr;
  for (const LwoMapValue& v : layer.points[c.point].values) {
    if (matches(v.vmap)) return layer.vmaps[size_t(v.vmap)].Value(v.entry);
  }
  return nullptr;
}

}  // namespace brae
