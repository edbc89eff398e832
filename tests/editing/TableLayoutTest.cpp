// The placement rules of form containers.
#include <gtest/gtest.h>

#include "editing/TableLayout.h"

namespace brae {
namespace {

TableShape Rows(std::vector<std::vector<Point>> rows) {
  TableShape shape;
  shape.rows = std::move(rows);
  return shape;
}

TEST(TableLayout, ColumnsAndRowsAddTheirGaps) {
  TableGeometry g = ComputeTableLayout(Rows({{{40, 20}, {60, 10}}}));
  EXPECT_EQ(g.size.x, 44 + 64);
  EXPECT_EQ(g.size.y, 21);
  EXPECT_EQ(g.cells[0][0], Rect(0, 0, 40, 20));
  EXPECT_EQ(g.cells[0][1], Rect(44, 0, 104, 10));
}

TEST(TableLayout, ATitledContainerAddsItsFrame) {
  TableShape shape = Rows({{{100, 30}}});
  shape.has_text = true;  // text=""
  TableGeometry g = ComputeTableLayout(shape);
  EXPECT_EQ(g.size.x, 104 + 48);
  EXPECT_EQ(g.size.y, 31 + 36);
  shape.text = "Looks";
  g = ComputeTableLayout(shape);
  EXPECT_EQ(g.size.y, 31 + 36 + 24);
  EXPECT_GE(g.cells[0][0].y0, 24);  // below the title
  EXPECT_EQ(g.cells[0][0].x0, 24);
}

TEST(TableLayout, AlignedChildrenShareColumnWidths) {
  TableShape shape = Rows({{{30, 10}, {50, 10}}, {{80, 10}, {20, 10}}});
  TableGeometry own = ComputeTableLayout(shape);
  EXPECT_EQ(own.cells[1][1].x0, 84);
  EXPECT_EQ(own.cells[0][1].x0, 34);
  shape.shared_columns = true;
  TableGeometry shared = ComputeTableLayout(shape);
  EXPECT_EQ(shared.cells[0][1].x0, 84);
  EXPECT_EQ(shared.cells[1][1].x0, 84);
  EXPECT_EQ(shared.size.x, 84 + 54);
  EXPECT_EQ(shared.size.y, 22);
}

TEST(TableLayout, StretchWidensCellsToTheirColumn) {
  TableShape shape = Rows({{{30, 10}}, {{80, 10}}});
  shape.shared_columns = true;
  shape.stretch = true;
  TableGeometry g = ComputeTableLayout(shape);
  EXPECT_EQ(g.cells[0][0].Width(), 80);
  EXPECT_EQ(g.cells[1][0].Width(), 80);
}

TEST(TableLayout, RightAndCentreAlignment) {
  TableShape shape = Rows({{{30, 10}}, {{80, 10}}});
  shape.shared_columns = true;
  shape.align = kAlignRight;
  EXPECT_EQ(ComputeTableLayout(shape).cells[0][0].x1, 80);
  shape.align = kAlignCenter;
  EXPECT_EQ(ComputeTableLayout(shape).cells[0][0].x0, 25);
  // Rows narrower than the widest one move as a whole.
  shape = Rows({{{30, 10}}, {{80, 10}}});
  shape.align = kAlignRight;
  EXPECT_EQ(ComputeTableLayout(shape).cells[0][0].x0, 50);
}

TEST(TableLayout, AnEmptyContainer) {
  TableGeometry g = ComputeTableLayout(Rows({}));
  EXPECT_EQ(g.size.x, 0);
  EXPECT_EQ(g.size.y, 0);
}

}  // namespace
}  // namespace brae
