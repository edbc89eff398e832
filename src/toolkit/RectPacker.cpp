#include "toolkit/RectPacker.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace brae {
namespace {

int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

struct Shelf {
  int y, height, x;
};

}  // namespace

bool PackRects(const std::vector<PackInput>& rects, int max_size, int padding,
               std::vector<PackPlacement>* placements, std::vector<AtlasSize>* atlases) {
  placements->assign(rects.size(), PackPlacement{});
  atlases->clear();
  std::vector<size_t> order;
  long long area = 0;
  for (size_t i = 0; i < rects.size(); ++i) {
    const PackInput& r = rects[i];
    if (r.width <= 0 || r.height <= 0) continue;
    // Lying down (wider than tall) keeps the shelves low.
    (*placements)[i].rotated = r.height > r.width;
    if (std::max(r.width, r.height) + padding > max_size ||
        std::min(r.width, r.height) + padding > max_size)
      return false;
    order.push_back(i);
    area += static_cast<long long>(r.width + padding) * (r.height + padding);
  }
  if (order.empty()) return true;
  auto placed_w = [&](size_t i) {
    return (*placements)[i].rotated ? rects[i].height : rects[i].width;
  };
  auto placed_h = [&](size_t i) {
    return (*placements)[i].rotated ? rects[i].width : rects[i].height;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return placed_h(a) > placed_h(b); });
  int widest = 0;
  for (size_t i : order) widest = std::max(widest, placed_w(i) + padding);
  int side =
      NextPowerOfTwo(std::max<int>(widest, static_cast<int>(std::sqrt(double(area) * 1.15)) + 1));
  side = std::min(side, max_size);

  std::vector<Shelf> shelves;
  int atlas = 0;
  int used_height = 0;
  atlases->push_back(AtlasSize{side, side});
  for (size_t i : order) {
    int w = placed_w(i) + padding, h = placed_h(i) + padding;
    Shelf* target = nullptr;
    for (Shelf& s : shelves)
      if (h <= s.height && s.x + w <= side) {
        target = &s;
        break;
      }
    if (!target) {
      if (used_height + h > side) {  // atlas full: start another
        atlases->back().height = NextPowerOfTwo(used_height);
        atlases->push_back(AtlasSize{side, side});
        ++atlas;
        shelves.clear();
        used_height = 0;
      }
      shelves.push_back(Shelf{used_height, h, 0});
      used_height += h;
      target = &shelves.back();
    }
    PackPlacement& p = (*placements)[i];
    p.atlas = atlas;
    p.x = target->x;
    p.y = target->y;
    target->x += w;
  }
  atlases->back().height = NextPowerOfTwo(std::max(used_height, 1));
  return true;
}

}  // namespace brae
