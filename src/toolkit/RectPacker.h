#pragma once
// Packs rectangles (glyphs, skin images) into square-ish atlases, rotating a rectangle by 90
// degrees when that makes a lower shelf.

#include <vector>

namespace brae {

struct PackInput {
  int width = 0;
  int height = 0;
};

struct PackPlacement {
  int atlas = -1;  // -1: not placed (empty rectangle)
  int x = 0, y = 0;
  bool rotated = false;  // stored transposed: width and height swapped in the atlas
};

struct AtlasSize {
  int width = 0;
  int height = 0;
};

// Places every non-empty rectangle; padding pixels separate neighbours. Returns false when a
// rectangle does not fit even an empty atlas of max_size.
bool PackRects(const std::vector<PackInput>& rects, int max_size, int padding,
               std::vector<PackPlacement>* placements, std::vector<AtlasSize>* atlases);

}  // namespace brae
