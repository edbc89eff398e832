// Lists, grids, scroll bars, splitters, tabs and menus driven as a user drives them, without GL.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "toolkit/GridWindow.h"
#include "toolkit/ListGridWindow.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/ScrollableWindow.h"
#include "toolkit/SplitterWindow.h"
#include "toolkit/TabWindow.h"

namespace brae {
namespace {

using Containers = test::UiFixture;

class Recorder : public Window {
 public:
  Recorder() : Window(0) {}
  void OnSelection() { ++selections; }
  void OnActivated(ListRow* row) { activated.push_back(row->text); }
  void OnDelete() { ++deletes; }
  void OnView(int view) { views.push_back(view); }
  void OnChosen(MenuItem* item) { chosen.push_back(item->Command()); }
  void OnOpening(MenuItem* item) { opening.push_back(item->Title()); }
  int selections = 0, deletes = 0;
  std::vector<std::string> activated;
  std::vector<int> views, chosen;
  std::vector<std::string> opening;
};

// ---- scroll bars ------------------------------------------------------------------------------

TEST(Thumb, SizesFollowTrackAndPage) {
  ThumbSpan t = ComputeThumb(60, 1000, 10, 0);  // track 32
  EXPECT_TRUE(t.present);
  EXPECT_EQ(t.length, 14);
  EXPECT_EQ(ComputeThumb(60, 1000, 10, 990).offset, 32 - 14);
  EXPECT_FALSE(ComputeThumb(60, 100, 100, 0).present);  // nothing to scroll
  EXPECT_FALSE(ComputeThumb(42, 1000, 10, 0).present);  // track of 14 pixels
  EXPECT_EQ(ComputeThumb(228, 100, 50, 0).length, 100);
}

TEST_F(Containers, ScrollPositionsClampAndBarsTakeRoomFromTheFrame) {
  auto* w = new ScrollableWindow(kWindowVisible);
  w->SetFrame(Rect(100, 100, 300, 300));
  EXPECT_EQ(w->ClientRect().Width(), 200);
  w->SetScroll(kScrollVTotal | kScrollVPos | kScrollVPage, 1000, 5000, 10);
  EXPECT_EQ(w->VPos(), 990);
  EXPECT_EQ(w->ClientRect().Width(), 200 - w->ScrollBarWidth());
  w->ScrollTo(-4);
  EXPECT_EQ(w->VPos(), 0);
}

TEST_F(Containers, WheelIsIgnoredWhenEverythingFits) {
  auto* w = new ScrollableWindow(kWindowVisible);
  w->SetFrame(Rect(100, 100, 300, 300));
  w->SetScroll(7, 100, 0, 100);
  Move(150, 150);
  QueueWheel(0, -3);
  Frame();
  EXPECT_EQ(w->VPos(), 0);
  EXPECT_TRUE(w->VThumbRect().IsEmpty());
  w->SetScroll(7, 1000, 0, 100);
  QueueWheel(0, -3);
  Frame();
  EXPECT_EQ(w->VPos(), 3);
}

TEST_F(Containers, HoldingTheArrowOrTheTrackRepeats) {
  auto* w = new ScrollableWindow(kWindowVisible);
  w->SetFrame(Rect(100, 100, 300, 400));
  w->SetScroll(7, 100000, 0, 10);
  Rect bar = w->VBarRect();
  Press(bar.x0 + 4, bar.y1 - 4);  // the down arrow
  EXPECT_EQ(w->PressedPart(), kScrollDownArrow);
  for (int i = 0; i < 60; ++i) {
    now += 1.0 / 60;
    Frame();
  }
  Release(bar.x0 + 4, bar.y1 - 4);
  EXPECT_NEAR(w->VPos(), 30, 1);
  now += 1;
  int before = w->VPos();
  Press(bar.x0 + 4, bar.y1 - 20);  // the track below the thumb
  EXPECT_EQ(w->PressedPart(), 0 + kScrollTrackBelow);
  for (int i = 0; i < 59; ++i) {
    now += 1.0 / 60;
    Frame();
  }
  Release(bar.x0 + 4, bar.y1 - 20);
  EXPECT_EQ((w->VPos() - before) / 10, 5);
}

TEST_F(Containers, DraggingTheThumbMovesInProportion) {
  auto* w = new ScrollableWindow(kWindowVisible);
  w->SetFrame(Rect(100, 100, 300, 328));  // bar 228 long, track 200
  w->SetScroll(7, 200, 0, 100);           // thumb 100, room 100
  Rect thumb = w->VThumbRect();
  Press(thumb.x0 + 2, thumb.y0 + 5);
  Move(thumb.x0 + 2, thumb.y0 + 55);
  EXPECT_EQ(w->VPos(), 50);
  Release(thumb.x0 + 2, thumb.y0 + 55);
  EXPECT_EQ(w->PressedPart(), 0);
}

// ---- lists ----------------------------------------------------------------------------------

struct ListSetup {
  ListWindow* list;
  Recorder* rec;
};

ListSetup MakeList(uint32_t style, int rows) {
  auto* list = new ListWindow(style, kWindowVisible);
  list->SetFrame(Rect(50, 50, 450, 450));
  auto* rec = new Recorder;
  list->selection_changed.Connect(rec, &Recorder::OnSelection);
  list->row_activated.Connect(rec, &Recorder::OnActivated);
  list->delete_requested.Connect(rec, &Recorder::OnDelete);
  for (int i = 0; i < rows; ++i) list->AddRow(nullptr, ("Row " + std::to_string(i)).c_str(), 0, i);
  return {list, rec};
}

TEST_F(Containers, ListClicksSelectExtendAndToggle) {
  auto [list, rec] = MakeList(kListMultipleSelection, 10);
  Rect r2 = list->RowRect(2), r5 = list->RowRect(5);
  Click(r2.x0 + 40, r2.y0 + 2);
  EXPECT_EQ(list->CurrentRow()->value, 2);
  Key(kKeyShift);
  Click(r5.x0 + 40, r5.y0 + 2);
  Key(kKeyShift, false);
  EXPECT_EQ(list->SelectedCount(), 4u);
  Key(kKeyControl);
  Click(r2.x0 + 40, r2.y0 + 2);
  Key(kKeyControl, false);
  EXPECT_EQ(list->SelectedCount(), 3u);
  EXPECT_EQ(rec->selections, 3);
  // Empty space clears the selection.
  Click(100, 440);
  EXPECT_EQ(list->SelectedCount(), 0u);
}

TEST_F(Containers, ListKeysMoveSelectActivateAndDelete) {
  auto [list, rec] = MakeList(kListMultipleSelection, 100);
  list->SetFocus();
  Tap(kKeyDown);
  EXPECT_EQ(list->CurrentRow()->value, 0);
  Tap(kKeyEnd);
  EXPECT_EQ(list->CurrentRow()->value, 99);
  EXPECT_EQ(list->VPos(), 100 - list->VPage());  // scrolled to keep it visible
  Tap(kKeyPageUp);
  EXPECT_EQ(list->CurrentRow()->value, 99 - list->VPage());
  Tap(kKeyHome);
  Key(kKeyShift);
  Tap(kKeyDown);
  Tap(kKeyDown);
  Key(kKeyShift, false);
  EXPECT_EQ(list->SelectedCount(), 3u);
  Tap(kKeyEnter);
  EXPECT_EQ(rec->activated, (std::vector<std::string>{"Row 0", "Row 1", "Row 2"}));
  Tap(kKeyDelete);
  EXPECT_EQ(rec->deletes, 1);
  Key(kKeyControl);
  Tap('A');
  Key(kKeyControl, false);
  EXPECT_EQ(list->SelectedCount(), 100u);
}

TEST_F(Containers, ListTreeExpandsAndCollapsesWithKeys) {
  auto [list, rec] = MakeList(0, 0);
  ListRow* a = list->AddRow(nullptr, "a");
  ListRow* a1 = list->AddRow(a, "a1");
  list->AddRow(a1, "a1x");
  list->AddRow(a, "a2");
  list->AddRow(nullptr, "b");
  EXPECT_EQ(list->ShownCount(), 2u);
  list->SetFocus();
  list->Select(a, false);
  Tap(kKeyRight);
  EXPECT_EQ(list->ShownCount(), 4u);
  EXPECT_EQ(list->ShownRow(1), a1);
  list->Expand(a1);
  EXPECT_EQ(list->ShownRow(2)->text, "a1x");
  EXPECT_EQ(list->ShownRow(2)->depth, 2);
  ListRow* late = list->AddRow(a1, "a1y");  // lands after a1's last shown row
  EXPECT_EQ(list->ShownRow(3), late);
  Tap(kKeyPadMinus);
  EXPECT_EQ(list->ShownCount(), 2u);
  list->RemoveRow(a);
  EXPECT_EQ(list->RowCount(), 1u);
  EXPECT_EQ(list->ShownRow(0)->text, "b");
  EXPECT_EQ(list->CurrentRow(), nullptr);
}

TEST_F(Containers, HeaderPressesSortByPriority) {
  auto* list = new ListWindow(kListColumnHeader, kWindowVisible);
  list->SetFrame(Rect(50, 50, 450, 450));
  list->AddColumn("Name", 150);
  list->AddColumn("Size", 100);
  const char* names[] = {"b", "a", "c", "a", "b"};
  const char* sizes[] = {"10", "9", "10", "100", "9"};
  for (int i = 0; i < 5; ++i) list->SetCell(list->AddRow(nullptr, names[i], 0, i), 1, sizes[i]);
  int header_y = list->ClientRect().y0 + 4;
  int size_x = list->ClientRect().x0 + 160, name_x = list->ClientRect().x0 + 20;
  Click(size_x, header_y);  // Size, descending, becomes the first key
  auto order = [&] {
    std::string s;
    for (size_t i = 0; i < list->ShownCount(); ++i) s += std::to_string(list->ShownRow(i)->value);
    return s;
  };
  EXPECT_EQ(order(),
            "3"
            "02"
            "14");  // 100, 10 (b before c), 9 (a before b)
  EXPECT_EQ(list->Column(1).priority, 0);
  EXPECT_EQ(list->Column(0).priority, 1);
  Click(name_x, header_y);  // Name descending first, Size (descending) second
  EXPECT_EQ(order(),
            "20"
            "4"
            "31");
  Click(name_x, header_y);  // Name ascending
  EXPECT_EQ(order(),
            "31"
            "04"
            "2");
}

// Rows whose cells come from the hook sort exactly as rows with stored cells: by every column
// that has a priority (numbers as numbers, words without regard to case), ties broken by the
// later keys too, and a column without priority ignored.
TEST_F(Containers, HookedCellsSortLikeStoredCellsOnEveryKey) {
  const int kColumns = 5, kRows = 300;
  const char* words[] = {"apple", "Apple", "b", "-3", "10", "9.5", "", "Zed", "ä", "1e1"};
  std::vector<std::vector<std::string>> table(kRows);
  unsigned seed = 7;
  for (auto& cells : table)
    for (int c = 0; c < kColumns; ++c)
      cells.push_back(words[((seed = seed * 1103515245u + 12345u) >> 16) % 10]);
  auto make = [&](bool hooked) {
    auto* list = new ListWindow(kListColumnHeader, kWindowVisible);
    for (int c = 0; c < kColumns; ++c) list->AddColumn("c", 40);
    list->SetColumnPriority(2, -1);
    if (hooked)
      list->cell_text = [&](const ListRow* row, int column) {
        return table[size_t(row->value)][size_t(column)];
      };
    for (int r = 0; r < kRows; ++r) {
      ListRow* row = list->AddRow(nullptr, hooked ? "" : table[size_t(r)][0].c_str(), 0, r);
      if (!hooked)
        for (int c = 1; c < kColumns; ++c)
          list->SetCell(row, c, table[size_t(r)][size_t(c)].c_str());
    }
    return list;
  };
  ListWindow* stored = make(false);
  ListWindow* hooked = make(true);
  auto order = [](ListWindow* list) {
    std::vector<int> out;
    for (size_t i = 0; i < list->ShownCount(); ++i) out.push_back(list->ShownRow(i)->value);
    return out;
  };
  auto number = [](const std::string& s, double* v) {
    if (s.empty() || !(isdigit(static_cast<unsigned char>(s[0])) || (s[0] == '-' && s.size() > 1)))
      return false;
    char* end = nullptr;
    *v = std::strtod(s.c_str(), &end);
    return *end == 0;
  };
  for (int column : {4, 1, 3, 0}) {
    for (bool descending : {false, true}) {
      stored->SortBy(column, descending);
      hooked->SortBy(column, descending);
      EXPECT_EQ(order(stored), order(hooked)) << column;
      std::vector<int> keys;
      for (int c = 0; c < kColumns; ++c)
        if (stored->Column(c).priority >= 0) keys.push_back(c);
      std::sort(keys.begin(), keys.end(), [&](int a, int b) {
        return stored->Column(a).priority < stored->Column(b).priority;
      });
      EXPECT_EQ(keys.size(), 4u);
      std::vector<int> shown = order(hooked);
      for (size_t i = 1; i < shown.size(); ++i) {
        const auto& a = table[size_t(shown[i - 1])];
        const auto& b = table[size_t(shown[i])];
        int cmp = 0;
        for (int k : keys) {
          double x, y;
          cmp = number(a[size_t(k)], &x) && number(b[size_t(k)], &y)
                    ? (x < y ? -1 : x > y)
                    : strcasecmp(a[size_t(k)].c_str(), b[size_t(k)].c_str());
          if (stored->Column(k).flags & kColumnDescending) cmp = -cmp;
          if (cmp) break;
        }
        ASSERT_LE(cmp, 0) << "rows " << shown[i - 1] << " and " << shown[i] << " out of order";
      }
    }
  }
  EXPECT_EQ(hooked->CellText(hooked->ShownRow(0), 2), table[size_t(hooked->ShownRow(0)->value)][2]);
}

TEST_F(Containers, DoubleClickAndSingleClickActivate) {
  auto [list, rec] = MakeList(kListSingleClickActivates, 5);
  Rect r = list->RowRect(1);
  Click(r.x0 + 30, r.y0 + 2);
  EXPECT_EQ(rec->activated.size(), 1u);
  auto [plain, rec2] = MakeList(0, 5);
  plain->BringToFront();
  Rect p = plain->RowRect(3);
  QueueMousePosition(p.x0 + 30, p.y0 + 2);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  now += 0.1;
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(rec2->activated, std::vector<std::string>{"Row 3"});
}

TEST_F(Containers, DraggingRowsCarriesThemToTheHook) {
  auto [list, rec] = MakeList(kListDragRows | kListMultipleSelection, 10);
  std::vector<std::string> dropped;
  ListRow* target_seen = nullptr;
  list->drag_hook = [&](ListWindow*, ListRow* target, ListWindow::ListItemDDData* data, bool drop) {
    if (drop) {
      target_seen = target;
      for (ListRow* r : data->rows) dropped.push_back(r->text);
    }
    return 1;
  };
  Rect r1 = list->RowRect(1), r6 = list->RowRect(6);
  Press(r1.x0 + 30, r1.y0 + 2);
  Move(r1.x0 + 30, r1.y0 + 12);
  EXPECT_TRUE(IsMouseTracking());
  Move(r6.x0 + 30, r6.y0 + 2);
  EXPECT_EQ(list->DropMarker(), list->ShownRow(6));
  Release(r6.x0 + 30, r6.y0 + 2);
  EXPECT_EQ(dropped, std::vector<std::string>{"Row 1"});
  EXPECT_EQ(target_seen, list->ShownRow(6));
  EXPECT_EQ(list->DropMarker(), nullptr);
}

TEST_F(Containers, GreyedRowsAreNotSelectable) {
  auto [list, rec] = MakeList(0, 0);
  ListRow* g = list->AddRow(nullptr, "grey", kRowGreyed);
  EXPECT_EQ(g->colour, kRowColourGreyed);
  Rect r = list->RowRect(0);
  Click(r.x0 + 30, r.y0 + 2);
  EXPECT_EQ(list->SelectedCount(), 0u);
  EXPECT_EQ(list->FindRowByValue(0), g);
}

TEST_F(Containers, LargeListTouchesOnlyVisibleRows) {
  auto [list, rec] = MakeList(0, 100000);
  EXPECT_EQ(list->ShownCount(), 100000u);
  list->ScrollTo(50000);
  Rect r = list->RowRect(50003);
  EXPECT_EQ(list->RowAt(r.x0 + 10, r.y0 + 1)->value, 50003);
  list->RemoveRow(list->ShownRow(10));
  EXPECT_EQ(list->ShownRow(10)->value, 11);
  EXPECT_EQ(list->RowAt(r.x0 + 10, r.y0 + 1)->value, 50004);
}

// ---- grids ----------------------------------------------------------------------------------

TEST_F(Containers, GridKeysMoveByRowAndCell) {
  auto* grid = new GridWindow(kGridMultipleSelection, kWindowVisible);
  grid->SetFrame(Rect(0, 0, 500, 400));
  grid->SetCellCount(20);
  int cols = grid->Columns();
  EXPECT_EQ(cols, (500 - grid->ScrollBarWidth()) / grid->PitchX());
  EXPECT_EQ(grid->CurrentCell(), -1);
  grid->SetFocus();
  Tap(kKeyRight);
  EXPECT_EQ(grid->CurrentCell(), 0);
  Tap(kKeyDown);
  EXPECT_EQ(grid->CurrentCell(), cols);
  Key(kKeyAlt);
  Tap(kKeyRight);
  Key(kKeyAlt, false);
  EXPECT_EQ(grid->CurrentCell(), 2 * cols - 1);
  Key(kKeyShift);
  Tap(kKeyLeft);
  Key(kKeyShift, false);
  EXPECT_EQ(grid->SelectedCells().size(), 2u);
  grid->SetFixedColumns(3);
  EXPECT_EQ(grid->Columns(), 3);
  int deletes = 0;
  grid->delete_callback = [&](GridWindow*) { ++deletes; };
  Tap(kKeyBackspace);
  EXPECT_EQ(deletes, 1);
}

TEST_F(Containers, GridRubberBandSelectsAndScrollsNearTheEdge) {
  auto* grid = new GridWindow(kGridMultipleSelection, kWindowVisible);
  grid->SetFrame(Rect(0, 0, 500, 300));
  grid->SetCellCount(60);
  Rect c0 = grid->CellRect(0), c1 = grid->CellRect(1);
  Press(c0.x0 - 4, c0.y0 - 4);  // the spacing before the first cell
  EXPECT_TRUE(grid->RubberBandActive());
  Move(c1.x0 + 10, c1.y0 + 10);
  EXPECT_EQ(grid->SelectedCells(), (std::vector<int>{0, 1}));
  Move(c1.x0 + 10, grid->ClientRect().y1 - 4);  // near the bottom edge
  int before = grid->VPos();
  now += 1.0;
  Frame();
  EXPECT_EQ(grid->VPos() - before, 3 * grid->PitchY());
  Release(c1.x0 + 10, grid->ClientRect().y1 - 4);
  EXPECT_FALSE(grid->RubberBandActive());
  EXPECT_GT(grid->SelectedCells().size(), 4u);
}

TEST_F(Containers, ListGridSwitchesViews) {
  auto* lg = new ListGridWindow(0, 0, kWindowVisible);
  lg->SetFrame(Rect(0, 0, 400, 300));
  auto* rec = new Recorder;
  lg->view_changed.Connect(rec, &Recorder::OnView);
  EXPECT_STREQ(lg->ViewButton()->Title(), "List");
  Rect b = lg->ViewButton()->Frame();
  EXPECT_EQ(b.x1, lg->ClientRect().x1 - 1);
  EXPECT_EQ(b.y0, lg->ClientRect().y0 + 3);
  EXPECT_EQ(lg->List()->Frame().y0, lg->ClientRect().y0 + 32);
  Click(b.x0 + 4, b.y0 + 4);
  EXPECT_EQ(lg->View(), kShowGrid);
  EXPECT_STREQ(lg->ViewButton()->Title(), "Grid");
  EXPECT_TRUE(lg->Grid()->HasFocus());
  EXPECT_FALSE(lg->List()->IsVisible());
  EXPECT_EQ(rec->views, std::vector<int>{kShowGrid});
}

// ---- splitters ------------------------------------------------------------------------------

TEST_F(Containers, SplitterClampsTheBar) {
  auto* s = new SplitterWindow(kWindowVisible);
  s->SetFrame(Rect(0, 0, 200, 100));
  auto* a = new Window(kWindowVisible);
  auto* b = new Window(kWindowVisible);
  s->SetPane(0, a, 128);
  s->SetPane(1, b, 128);
  s->SetBarPosition(10);
  EXPECT_EQ(s->BarPosition(), 100);
  s->SetFrame(Rect(0, 0, 600, 100));
  s->SetBarPosition(10);
  EXPECT_EQ(s->BarPosition(), 128);
  s->SetBarPosition(590);
  EXPECT_EQ(s->BarPosition(), 600 - 128 - s->BarThickness());
  EXPECT_EQ(a->Frame().Width(), s->BarPosition());
  EXPECT_EQ(b->Frame().x1, 600);
}

TEST_F(Containers, DraggingTheSplitterBar) {
  auto* s = new SplitterWindow(kWindowVisible);
  s->SetFrame(Rect(0, 0, 600, 400));
  s->SetOrientation(kSplitStacked, false);
  auto* a = new Window(kWindowVisible);
  auto* b = new Window(kWindowVisible);
  s->SetPane(0, a, 50);
  s->SetPane(1, b, 50);
  s->SetBarPosition(200);
  Rect bar = s->BarRect();
  Press(300, bar.y0 + 1);
  Move(300, bar.y0 + 61);
  EXPECT_EQ(s->BarPosition(), 260);
  Move(300, 399);
  Release(300, 399);
  EXPECT_EQ(s->BarPosition(), 400 - 50 - s->BarThickness());
  EXPECT_EQ(b->Frame().Height(), 50);
  Window* old = s->SetPane(1, nullptr, 0);
  EXPECT_EQ(old, b);
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(a->Frame().Height(), 400);
  delete b;
  s->SetOrientation(kSplitStacked, true);
  bar = s->BarRect();
  int before = s->BarPosition();
  Press(300, bar.y0 + 1);
  Move(300, bar.y0 + 40);
  Release(300, bar.y0 + 40);
  EXPECT_EQ(s->BarPosition(), before);
}

// ---- tabs -----------------------------------------------------------------------------------

TEST_F(Containers, TabsSelectByPressAndControlKeys) {
  auto* tabs = new TabWindow(kWindowVisible);
  tabs->SetFrame(Rect(0, 0, 500, 300));
  Window* pages[3];
  const char* titles[] = {"First", "Second", "Third"};
  for (int i = 0; i < 3; ++i) {
    pages[i] = new Window(kWindowVisible | kWindowFocusable, tabs);
    pages[i]->SetTitle(titles[i]);
  }
  Frame();
  EXPECT_EQ(tabs->CurrentTab(), 0);
  EXPECT_TRUE(pages[0]->IsVisible());
  EXPECT_FALSE(pages[1]->IsVisible());
  EXPECT_EQ(pages[0]->Frame().y0, tabs->ClientRect().y0 + tabs->TabRowHeight() + 4);
  Rect t2 = tabs->TabRect(2);
  Click(t2.x0 + 3, t2.y0 + 3);
  EXPECT_EQ(tabs->CurrentTab(), 2);
  EXPECT_TRUE(pages[2]->HasFocus());
  tabs->SelectTab(0);
  Key(kKeyControl);
  Tap(kKeyLeft);  // from the first tab to the last
  EXPECT_EQ(tabs->CurrentTab(), 2);
  Tap(kKeyRight);
  EXPECT_EQ(tabs->CurrentTab(), 0);
  Key(kKeyControl, false);
  tabs->SelectTab(1);
  delete pages[1];  // removing the current page selects the previous tab
  EXPECT_EQ(tabs->TabCount(), 2);
  EXPECT_EQ(tabs->CurrentTab(), 0);
}

// ---- menus ----------------------------------------------------------------------------------

TEST_F(Containers, TypedLettersHighlightMatchingItems) {
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Alpha", nullptr, 1);
  AddMenuItem(menu, "apple", nullptr, 2);
  AddSeparator(menu, nullptr);
  AddMenuItem(menu, "Cherry", nullptr, 3);
  std::vector<int> seen;
  int step = 0;
  Ui().frame_function = [&]() -> int {
    ++step;
    if (step == 2) QueueCharEvent('a');
    if (step == 3) seen.push_back(menu->Highlighted());
    if (step == 3) QueueCharEvent('a');
    if (step == 4) seen.push_back(menu->Highlighted());
    if (step == 4) QueueCharEvent('C');
    if (step == 5) seen.push_back(menu->Highlighted());
    if (step == 5) QueueKeyEvent(kKeyEnter, 1);
    if (step > 50) EndModal(0);
    return UiFrame();
  };
  int result = PopUpMenu(menu, 100, 100);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(result, 3);
}

TEST_F(Containers, PopUpMenuChoosesByMouseAndOpensSubmenus) {
  auto* menu = new Menu(false);
  auto* rec = new Recorder;
  menu->item_chosen.Connect(rec, &Recorder::OnChosen);
  menu->item_opening.Connect(rec, &Recorder::OnOpening);
  AddMenuItem(menu, "Open", nullptr, 10);
  MenuItem* more = AddMenuItem(menu, "More", nullptr, 11);
  AddMenuItem(menu, "Deep", more, 20);
  AddMenuItem(menu, "Off", nullptr, 12, false);
  int step = 0;
  Ui().frame_function = [&]() -> int {
    ++step;
    if (step == 2) {
      Rect r = menu->ItemRect(1);
      QueueMousePosition(r.x0 + 5, r.y0 + 3);
    }
    if (step == 3) {
      EXPECT_NE(menu->OpenSubmenu(), nullptr);
      if (!menu->OpenSubmenu()) return UiFrame();
      Rect sub = menu->OpenSubmenu()->Frame();
      EXPECT_EQ(sub.x0, menu->Frame().x1);  // beside the item, to the right
      Rect off = menu->ItemRect(2);
      QueueMousePosition(off.x0 + 5, off.y0 + 3);  // a disabled item: no choice
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
    if (step == 4) {
      Rect r = menu->ItemRect(1);
      QueueMousePosition(r.x0 + 5, r.y0 + 3);
    }
    if (step == 5) {
      Rect deep = menu->OpenSubmenu()->ItemRect(0);
      QueueMousePosition(deep.x0 + 5, deep.y0 + 3);
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
    if (step > 50) EndModal(0);
    return UiFrame();
  };
  EXPECT_EQ(PopUpMenu(menu, 100, 100), 20);
  EXPECT_EQ(rec->chosen, std::vector<int>{20});
  EXPECT_EQ(rec->opening.front(), "More");
  EXPECT_FALSE(menu->IsVisible());
}

TEST_F(Containers, PopUpNearTheCornerOpensUpAndLeft) {
  auto* menu = new Menu(false);
  AddMenuItem(menu, "One", nullptr, 1);
  AddMenuItem(menu, "Two", nullptr, 2);
  Ui().frame_function = [&]() -> int {
    QueueKeyEvent(kKeyEscape, 1);
    return UiFrame();
  };
  EXPECT_EQ(PopUpMenu(menu, 790, 590), -1);
  EXPECT_EQ(menu->Frame().x1, 790);
  EXPECT_EQ(menu->Frame().y1, 590);
}

TEST_F(Containers, MenuBarOpensBelowAndPressOutsideIsPassedOn) {
  auto* target = new Window(kWindowVisible | kWindowFocusable);
  target->SetFrame(Rect(300, 300, 500, 500));
  auto* bar = new Menu(true);
  SetMenuBar(bar);
  MenuItem* file = AddMenuItem(bar, "File", nullptr, 0);
  AddMenuItem(bar, "Quit", file, 5);
  MenuItem* edit = AddMenuItem(bar, "Edit", nullptr, 0);
  AddMenuItem(bar, "Undo", edit, 6);
  EXPECT_EQ(bar->Frame().Width(), 800);
  int step = 0;
  Ui().frame_function = [&]() -> int {
    ++step;
    if (step == 2) {
      EXPECT_EQ(bar->OpenSubmenu()->Frame().y0, bar->ItemRect(0).y1);  // below the title
      QueueKeyEvent(kKeyRight, 1);
    }
    if (step == 3) {
      EXPECT_EQ(bar->Highlighted(), 1);
      EXPECT_EQ(bar->OpenSubmenu()->Shown()[0]->Title(), std::string("Undo"));
      QueueMousePosition(400, 400);
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
    if (step > 50) EndModal(0);
    return UiFrame();
  };
  Rect r = bar->ItemRect(0);
  QueueMousePosition(r.x0 + 4, r.y0 + 4);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Ui().frame_function();
  EXPECT_FALSE(bar->IsActive());
  EXPECT_EQ(bar->OpenSubmenu(), nullptr);
  Ui().frame_function = [] { return UiFrame(); };
  Frame();
  EXPECT_TRUE(target->HasFocus());  // the press outside reached the window under the mouse
}

}  // namespace
}  // namespace brae
