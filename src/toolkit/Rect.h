#pragma once
// Integer rectangles in screen pixels: origin top-left, y down. Width = x1 - x0; point tests
// include both edges.

#include <algorithm>

namespace brae {

struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  constexpr Rect() = default;
  constexpr Rect(int ax0, int ay0, int ax1, int ay1) : x0(ax0), y0(ay0), x1(ax1), y1(ay1) {}

  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
  bool IsEmpty() const { return x1 <= x0 || y1 <= y0; }
  bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
  bool Contains(const Rect& r) const {
    return r.x0 >= x0 && r.y0 >= y0 && r.x1 <= x1 && r.y1 <= y1;
  }
  bool Intersects(const Rect& r) const { return r.x0 < x1 && r.x1 > x0 && r.y0 < y1 && r.y1 > y0; }
  Rect Intersection(const Rect& r) const {
    return Rect(std::max(x0, r.x0), std::max(y0, r.y0), std::min(x1, r.x1), std::min(y1, r.y1));
  }
  Rect Union(const Rect& r) const {
    if (IsEmpty()) return r;
    if (r.IsEmpty()) return *this;
    return Rect(std::min(x0, r.x0), std::min(y0, r.y0), std::max(x1, r.x1), std::max(y1, r.y1));
  }
  Rect Offset(int dx, int dy) const { return Rect(x0 + dx, y0 + dy, x1 + dx, y1 + dy); }
  Rect Inset(int d) const { return Rect(x0 + d, y0 + d, x1 - d, y1 - d); }
  bool operator==(const Rect& r) const {
    return x0 == r.x0 && y0 == r.y0 && x1 == r.x1 && y1 == r.y1;
  }
  bool operator!=(const Rect& r) const { return !(*this == r); }
};

struct Point {
  int x = 0, y = 0;
};

}  // namespace brae
