// Windows that do not fit, in a real window: a window larger than the screen is shown moved and
// shrunk so that its close box answers a click, an OS window made smaller pulls windows back, a
// title bar never gets narrower than its title and boxes need, and a list or grid pressed on a
// multi-selection drags the whole selection.
#include <string>

#include "GuiHarness.h"
#include "toolkit/Font.h"
#include "toolkit/GridWindow.h"
#include "toolkit/ListWindow.h"

namespace brae {
namespace {

using GuiWindowFit = test::GuiTest;

using test::Centre;
constexpr uint32_t kDocument = test::kDocumentWindow;

bool IsInLayer0(const Window* w) {
  for (Window* c = Ui().layer0->first_child; c; c = c->next_sibling)
    if (c == w) return true;
  return false;
}

TEST_F(GuiWindowFit, WindowsKeepTheirTitleBarAndCloseBoxOnTheScreen) {
  // The test screen is 800 x 600 without a menu bar: a 900 x 700 window shown at (300, 200)
  // fills the screen exactly.
  auto* big = new Window(kDocument);
  big->SetTitle("Too Big");
  big->SetFrame(Rect(300, 200, 1200, 900));
  big->SetVisible(true);
  Frame();
  EXPECT_EQ(big->Frame(), Rect(0, 0, 800, 600));
  test::SaveScreenshot("fit-big-window");
  Point close = Centre(big->TitleBoxRect(HitCloseBox));
  Click(close.x, close.y);
  Frame();
  EXPECT_FALSE(IsInLayer0(big));

  // A 200 x 200 window at (500, 350) when the screen becomes 600 x 400: pulled back to
  // (400, 200), keeping its size; at 150 x 100 it is shrunk to the screen.
  auto* small = new Window(kDocument | kWindowVisible);
  small->SetTitle("Small");
  small->SetFrame(Rect(500, 350, 700, 550));
  HandleScreenResize(600, 400);
  EXPECT_EQ(small->Frame(), Rect(400, 200, 600, 400));
  HandleScreenResize(150, 100);
  EXPECT_EQ(small->Frame(), Rect(0, 0, 150, 100));
  HandleScreenResize(800, 600);

  // A placement saved on a larger screen comes back on this one.
  small->SetPlacement(kStateNormal, 1000, 700, 1200, 900);
  EXPECT_EQ(small->Frame(), Rect(600, 400, 800, 600));
}

TEST_F(GuiWindowFit, ATitleBarIsNeverNarrowerThanItsTitleAndBoxes) {
  auto* w = new Window(kDocument | kWindowVisible);
  w->SetTitle("Detail 64");
  w->SetFrame(Rect(100, 100, 164, 164));  // a 64 x 64 picture's window
  Frame();
  // The title starts 6 pixels into the bar and keeps 4 pixels before the leftmost box.
  auto title_fits = [&] {
    int text_end = w->TitleBarRect().x0 + 6 + MeasureText(w->GetFont(), w->Title(), 0);
    return text_end + 4 <= w->TitleBoxRect(HitCollapseBox).x0;
  };
  EXPECT_TRUE(title_fits());
  EXPECT_EQ(w->Frame().x0, 100);
  // A dirty mark widens it.
  w->SetTitle("Detail 64 (a longer name)*");
  Frame();
  EXPECT_TRUE(title_fits());
  test::SaveScreenshot("fit-title-width");
  // Resizing from the right edge stops at the same width.
  int needed = w->Frame().Width();
  Rect f = w->Frame();
  QueueMousePosition(f.x1 - 2, (f.y0 + f.y1) / 2 + 20);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(f.x0 + 20, (f.y0 + f.y1) / 2 + 20);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(w->Frame().Width(), needed);
}

TEST_F(GuiWindowFit, APressOnAMultiSelectionDragsItWhole) {
  auto* doc = new Window(kDocument | kWindowVisible);
  doc->SetTitle("Rows and Cells");
  doc->SetFrame(Rect(20, 20, 420, 420));
  auto* list = new ListWindow(kListMultipleSelection | kListDragRows, kWindowVisible, doc);
  list->SetFrame(Rect(0, 0, 180, 300));
  for (int i = 0; i < 5; ++i) list->AddRow(nullptr, ("Row " + std::to_string(i)).c_str(), 0, i);
  auto row_point = [&](size_t i) { return Centre(list->RowRect(i)); };
  auto press_move_release = [&](Point from, bool move) {
    now += 1.0;
    QueueMousePosition(from.x, from.y);
    QueueMouseButton(0, 1);
    Frame();
    size_t dragged = 0;
    if (move) {
      QueueMousePosition(from.x + 30, from.y + 30);
      Frame();
      if (Ui().drag_data && Ui().drag_data->type == kListDragType)
        dragged = static_cast<ListWindow::ListItemDDData*>(Ui().drag_data)->rows.size();
      if (Ui().drag_data && Ui().drag_data->type == 77) dragged = 77;
    }
    QueueMouseButton(0, 0);
    Frame();
    return dragged;
  };
  // Rows 1 to 3 selected; a drag from row 2 carries all three and keeps them selected.
  Point p = row_point(1);
  Click(p.x, p.y);
  Key(kKeyLeftShift, true);
  p = row_point(3);
  Click(p.x, p.y);
  Key(kKeyLeftShift, false);
  ASSERT_EQ(list->SelectedCount(), 3u);
  EXPECT_EQ(press_move_release(row_point(2), true), 3u);
  EXPECT_EQ(list->SelectedCount(), 3u);
  // A click without a drag selects only the row clicked.
  press_move_release(row_point(2), false);
  ASSERT_EQ(list->SelectedCount(), 1u);
  EXPECT_TRUE(list->ShownRow(2)->IsSelected());

  // The grid with a drag hook: the same, with the cells handed to the hook.
  auto* grid = new GridWindow(kGridMultipleSelection, kWindowVisible, doc);
  grid->SetFrame(Rect(190, 0, 390, 300));
  grid->SetCellSize(40, 40);
  grid->SetCellCount(6);
  std::vector<int> handed;
  grid->drag_data = [&](GridWindow* g, const std::vector<int>& cells) {
    handed = cells;
    return new Window::DragDropData(77, g);
  };
  Frame();
  p = Centre(grid->PictureRect(1));
  Click(p.x, p.y);
  Key(kKeyLeftShift, true);
  p = Centre(grid->PictureRect(3));
  Click(p.x, p.y);
  Key(kKeyLeftShift, false);
  ASSERT_EQ(grid->SelectedCells(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(press_move_release(Centre(grid->PictureRect(2)), true), 77u);
  EXPECT_EQ(handed, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(grid->SelectedCells(), (std::vector<int>{1, 2, 3}));
  press_move_release(Centre(grid->PictureRect(2)), false);
  EXPECT_EQ(grid->SelectedCells(), (std::vector<int>{2}));
  // An unselected cell drags alone.
  EXPECT_EQ(press_move_release(Centre(grid->PictureRect(4)), true), 77u);
  EXPECT_EQ(handed, (std::vector<int>{4}));
}

}  // namespace
}  // namespace brae
