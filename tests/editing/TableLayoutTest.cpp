// The placement rules of form containers.
#include <gtest/gtest.h>

#include "editing/TableLayout.h"

namespace brae {
namespace {

TableSpec Rows(std::vector<std::vector<Point>> rows) {
  TableSpec spec;
  spec.rows = std::move(rows);
  return spec;
}

TEST(TableLayout, ColumnsAndRowsAddTheirGaps) {
  TableGeometry g = ComputeTableLayout(Rows({{{40, 20}, {60, 10}}}));
  EXPECT_EQ(g.size.x, 44 + 64);
  EXPECT_EQ(g.size.y, 21);
  EXPECT_EQ(g.cells[0][0], Rect(0, 0, 40, 20));
  EXPECT_EQ(g.cells[0][1], Rect(44, 0, 104, 10));
}

TEST(TableLayout, ATitledContainerAddsItsFrame) {
  TableSpec spec = Rows({{{100, 30}}});
  spec.has_text = true;  // text=""
  TableGeometry g = ComputeTableLayout(spec);
  EXPECT_EQ(g.size.x, 104 + 48);
  EXPECT_EQ(g.size.y, 31 + 36);
  spec.text = "Looks";
  g = ComputeTableLayout(spec);
  EXPECT_EQ(g.size.y, 31 + 36 + 24);
  EXPECT_GE(g.cells[0][0].y0, 24);  // below the title
  EXPECT_EQ(g.cells[0][0].x0, 24);
}

TEST(TableLayout, AlignedChildrenShareColumnWidths) {
  TableSpec spec = Rows({{{30, 10}, {50, 10}}, {{80, 10}, {20, 10}}});
  TableGeometry own = ComputeTableLayout(spec);
  EXPECT_EQ(own.cells[1][1].x0, 84);
  EXPECT_EQ(own.cells[0][1].x0, 34);
  spec.shared_columns = true;
  TableGeometry shared = ComputeTableLayout(spec);
  EXPECT_EQ(shared.cells[0][1].x0, 84);
  EXPECT_EQ(shared.cells[1][1].x0, 84);
  EXPECT_EQ(shared.size.x, 84 + 54);
  EXPECT_EQ(shared.size.y, 22);
}

TEST(TableLayout, StretchWidensCellsToTheirColumn) {
  TableSpec spec = Rows({{{30, 10}}, {{80, 10}}});
  spec.shared_columns = true;
  spec.stretch = true;
  TableGeometry g = ComputeTableLayout(spec);
  EXPECT_EQ(g.cells[0][0].Width(), 80);
  EXPECT_EQ(g.cells[1][0].Width(), 80);
}

TEST(TableLayout, RightAndCentreAlignment) {
  TableSpec spec = Rows({{{30, 10}}, {{80, 10}}});
  spec.shared_columns = true;
  spec.align = kAlignRight;
  EXPECT_EQ(ComputeTableLayout(spec).cells[0][0].x1, 80);
  spec.align = kAlignCenter;
  EXPECT_EQ(ComputeTableLayout(spec).cells[0][0].x0, 25);
  // Rows narrower than the widest one move as a whole.
  spec = Rows({{{30, 10}}, {{80, 10}}});
  spec.align = kAlignRight;
  EXPECT_EQ(ComputeTableLayout(spec).cells[0][0].x0, 50);
}

TEST(TableLayout, AnEmptyContainer) {
  TableGeometry g = ComputeTableLayout(Rows({}));
  EXPECT_EQ(g.size.x, 0);
  EXPECT_EQ(g.size.y, 0);
}

}  // namespace
}  // namespace brae
