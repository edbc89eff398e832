#pragma once
// The geometry of a form container: rows of cells placed from the cells' sizes. Kept apart from
// the window so that the rules can be computed (and measured) without any window.

#include <string>
#include <vector>

#include "toolkit/Rect.h"

namespace brae {

enum TableAlign : int { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2 };

// Extra room of a container that has a "text" attribute, and of one whose text is not empty.
constexpr int kTableTitledWidth = 48;
constexpr int kTableTitledHeight = 36;
constexpr int kTableTitleHeight = 24;
constexpr int kTableColumnGap = 4;  // a column is its widest cell plus this
constexpr int kTableRowGap = 1;     // a row is its tallest cell plus this

struct TableShape {
  bool has_text = false;  // the container has a "text" attribute (a titled frame)
  std::string text;
  bool stretch = false;                  // cells widened to their column
  int align = kAlignLeft;                // of the cells in their columns and of rows in the table
  bool shared_columns = false;           // one set of column widths for all rows
  std::vector<std::vector<Point>> rows;  // cell sizes
};

struct TableGeometry {
  Point size;                            // the whole container
  Rect content;                          // where the rows go, container-local
  std::vector<std::vector<Rect>> cells;  // container-local, by row and cell
};

TableGeometry ComputeTableLayout(const TableShape& shape);

}  // namespace brae
