#include "editing/TableLayout.h"

#include <algorithm>

namespace brae {

namespace {

std::vector<int> ColumnWidths(const std::vector<Point>& row) {
  std::vector<int> widths;
  for (const Point& cell : row) widths.push_back(cell.x + kTableColumnGap);
  return widths;
}

void Widen(std::vector<int>* widths, const std::vector<int>& row) {
  if (widths->size() < row.size()) widths->resize(row.size(), 0);
  for (size_t i = 0; i < row.size(); ++i) (*widths)[i] = std::max((*widths)[i], row[i]);
}

int Sum(const std::vector<int>& v) {
  int total = 0;
  for (int x : v) total += x;
  return total;
}

int AlignedOffset(int align, int room) {
  if (room <= 0) return 0;
  if (align == kAlignRight) return room;
  if (align == kAlignCenter) return room / 2;
  return 0;
}

}  // namespace

TableGeometry ComputeTableLayout(const TableShape& shape) {
  TableGeometry g;
  std::vector<std::vector<int>> widths;  // per row
  std::vector<int> shared;
  for (const auto& row : shape.rows) {
    widths.push_back(ColumnWidths(row));
    if (shape.shared_columns) Widen(&shared, widths.back());
  }
  if (shape.shared_columns)
    for (auto& w : widths) w.assign(shared.begin(), shared.begin() + long(w.size()));

  int content_width = 0, content_height = 0;
  std::vector<int> heights;
  for (size_t r = 0; r < shape.rows.size(); ++r) {
    int tallest = 0;
    for (const Point& cell : shape.rows[r]) tallest = std::max(tallest, cell.y);
    heights.push_back(tallest + kTableRowGap);
    content_width = std::max(content_width, Sum(widths[r]));
    content_height += heights.back();
  }

  int left = 0, top = 0, extra_w = 0, extra_h = 0;
  if (shape.has_text) {
    extra_w = kTableTitledWidth;
    extra_h = kTableTitledHeight + (shape.text.empty() ? 0 : kTableTitleHeight);
    left = kTableTitledWidth / 2;
    top = extra_h - kTableTitledHeight / 2;
  }
  g.size = Point{content_width + extra_w, content_height + extra_h};
  g.content = Rect(left, top, left + content_width, top + content_height);

  int y = top;
  for (size_t r = 0; r < shape.rows.size(); ++r) {
    std::vector<Rect> placed;
    int x = left + AlignedOffset(shape.align, content_width - Sum(widths[r]));
    for (size_t c = 0; c < shape.rows[r].size(); ++c) {
      const Point& cell = shape.rows[r][c];
      int column = widths[r][c];
      int w = shape.stretch ? column - kTableColumnGap : cell.x;
      int cx = x + (shape.stretch ? 0 : AlignedOffset(shape.align, column - kTableColumnGap - w));
      placed.push_back(Rect(cx, y, cx + w, y + cell.y));
      x += column;
    }
    g.cells.push_back(std::move(placed));
    y += heights[r];
  }
  return g;
}

}  // namespace brae
