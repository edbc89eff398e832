// Lists, grids, splitters, tabs and menus in a real window: what they draw, and a screenshot of
// each for review.
#include <string>

#include "GuiHarness.h"
#include "toolkit/GridWindow.h"
#include "toolkit/ListGridWindow.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/SplitterWindow.h"
#include "toolkit/TabWindow.h"

namespace brae {
namespace {

using GuiContainers = test::GuiTest;
using test::Pixel;

constexpr uint32_t kDocument = kWindowVisible | kWindowTitleBar | kWindowShadow |
                               kWindowThickBorder | kWindowResizable | kWindowGreyBackground |
                               kWindowCloseBox | kWindowFocusable;

Window* Document(const char* title, const Rect& r) {
  auto* w = new Window(kDocument);
  w->SetTitle(title);
  w->SetFrame(r);
  return w;
}

ListWindow* FilledList(Window* parent, int rows) {
  auto* list = new ListWindow(kListColumnHeader | kListMultipleSelection, kWindowVisible, parent);
  list->AddColumn("Name", 180);
  list->AddColumn("Size", 80);
  for (int i = 0; i < rows; ++i) {
    ListRow* r = list->AddRow(nullptr, ("Tag " + std::to_string(i)).c_str(), 0, i);
    list->SetCell(r, 1, std::to_string((i * 37) % 1000).c_str());
  }
  return list;
}

TEST_F(GuiContainers, ListDrawsRowsSelectionAndScrollBar) {
  Window* doc = Document("List", Rect(40, 40, 400, 400));
  ListWindow* list = FilledList(doc, 200);
  list->SetFrame(Rect(0, 0, doc->ClientRect().Width(), doc->ClientRect().Height()));
  ListRow* folder = list->AddRow(nullptr, "Folder", kRowExpanded, 999);
  list->AddRow(folder, "Child", 0, 1000);
  list->SetFocus();
  Frame();
  Rect r3 = list->RowRect(3);
  Click(r3.x0 + 50, r3.y0 + 3);
  Tap(kKeyDown);
  EXPECT_EQ(list->CurrentRow()->value, 4);
  Frame();
  Pixel selected = At(r3.x1 - 4, list->RowRect(4).y0 + 3);
  Pixel plain = At(r3.x1 - 4, list->RowRect(8).y0 + 3);
  EXPECT_GT(selected.r, plain.r + 60);  // the amber selection
  EXPECT_LT(list->DrawnRowCount(), 40);
  Rect thumb = list->VThumbRect();
  EXPECT_FALSE(thumb.IsEmpty());
  test::SaveScreenshot("list");
  // The wheel scrolls, and the thumb follows.
  QueueMousePosition(r3.x0 + 50, r3.y0 + 3);
  QueueWheel(0, -5);
  Frame();
  EXPECT_EQ(list->VPos(), 5);
  EXPECT_GT(list->VThumbRect().y0, thumb.y0 - 1);
}

TEST_F(GuiContainers, GridDrawsCellsAndRubberBand) {
  Window* doc = Document("Grid", Rect(40, 40, 560, 460));
  auto* grid = new GridWindow(kGridMultipleSelection, kWindowVisible, doc);
  grid->SetFrame(Rect(0, 0, doc->ClientRect().Width(), doc->ClientRect().Height()));
  for (int i = 0; i < 30; ++i) grid->AddCell(nullptr, 0xFF000000u | (0x203040u * (i % 5 + 1)));
  grid->SetFocus();
  Frame();
  Rect c0 = grid->CellRect(0);
  QueueMousePosition(c0.x0 - 4, c0.y0 - 4);
  QueueMouseButton(0, 1);
  Frame();
  Rect c4 = grid->CellRect(grid->Columns() + 1);
  QueueMousePosition(c4.x0 + 20, c4.y0 + 20);
  Frame();
  EXPECT_EQ(grid->SelectedCells().size(), 4u);
  test::SaveScreenshot("grid-rubber-band");
  QueueMouseButton(0, 0);
  Frame();
  Pixel cell = At(c0.x0 + 20, c0.y0 + 20);
  EXPECT_GT(cell.Brightness(), 0);
}

TEST_F(GuiContainers, SplitterWithListAndGridPanes) {
  Window* doc = Document("Splitter", Rect(30, 30, 630, 430));
  auto* split = new SplitterWindow(kWindowVisible, doc);
  split->SetFrame(Rect(0, 0, doc->ClientRect().Width(), doc->ClientRect().Height()));
  ListWindow* list = FilledList(nullptr, 30);
  auto* lg = new ListGridWindow(0, 0, kWindowVisible);
  for (int i = 0; i < 12; ++i) lg->Grid()->AddCell();
  split->SetPane(0, list, 120);
  split->SetPane(1, lg, 120);
  split->SetBarPosition(250);
  Frame();
  Rect bar = split->BarRect();
  QueueMousePosition(bar.x0 + 1, bar.y0 + 100);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(bar.x0 + 41, bar.y0 + 100);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(split->BarPosition(), 290);
  Click(lg->ViewButton()->Frame().x0 + 4, lg->ViewButton()->Frame().y0 + 4);
  EXPECT_EQ(lg->View(), kShowGrid);
  Frame();
  test::SaveScreenshot("splitter-list-grid");
}

TEST_F(GuiContainers, TabsDrawTheCurrentPage) {
  Window* doc = Document("Tabs", Rect(60, 60, 460, 360));
  auto* tabs = new TabWindow(kWindowVisible, doc);
  tabs->SetFrame(Rect(0, 0, doc->ClientRect().Width(), doc->ClientRect().Height()));
  const char* titles[] = {"General", "Colours", "Sounds"};
  ListWindow* lists[3];
  for (int i = 0; i < 3; ++i) {
    lists[i] = FilledList(tabs, 5 + i);
    lists[i]->SetTitle(titles[i]);
  }
  Frame();
  Rect t1 = tabs->TabRect(1);
  Click(t1.x0 + 5, t1.y0 + 5);
  EXPECT_EQ(tabs->CurrentTab(), 1);
  EXPECT_TRUE(lists[1]->IsVisible());
  Frame();
  test::SaveScreenshot("tabs");
}

TEST_F(GuiContainers, MenuBarAndPopUpMenu) {
  auto* bar = new Menu(true);
  SetMenuBar(bar);
  MenuItem* file = AddMenuItem(bar, "File", nullptr, 0);
  AddMenuItem(bar, "Open...", file, 1);
  AddMenuItem(bar, "Save", file, 2, false);
  AddSeparator(bar, file);
  MenuItem* recent = AddMenuItem(bar, "Recent", file, 0);
  AddMenuItem(bar, "demo.256", recent, 3);
  AddMenuItem(bar, "Edit", nullptr, 0);
  Frame();
  int step = 0;
  on_pump = [&](int) {
    ++step;
    if (step == 2) QueueKeyEvent(kKeyDown, 1);
    if (step == 3) QueueKeyEvent(kKeyDown, 1);  // skips the disabled "Save" and the separator
    if (step == 4) QueueKeyEvent(kKeyRight, 1);
    if (step == 6) {
      EXPECT_NE(bar->OpenSubmenu(), nullptr);
      if (bar->OpenSubmenu()) {
        EXPECT_EQ(bar->OpenSubmenu()->Highlighted(), 3);
      }
      DrawPending();
      test::SaveScreenshot("menu-bar");
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  Rect r = bar->ItemRect(0);
  test::QueueClick(r.x0 + 4, r.y0 + 4);
  int chosen = -1;
  struct Sink : Window {
    Sink() : Window(0) {}
    void Chosen(MenuItem* item) { id = item->Command(); }
    int id = -1;
  };
  auto* sink = new Sink;
  bar->item_chosen.Connect(sink, &Sink::Chosen);
  Pump();
  chosen = sink->id;
  EXPECT_EQ(chosen, 3);
  on_pump = nullptr;

  auto* popup = new Menu(false);
  AddMenuItem(popup, "Cut", nullptr, 10);
  AddMenuItem(popup, "Copy", nullptr, 11);
  AddMenuItem(popup, "Paste", nullptr, 12);
  step = 0;
  on_pump = [&](int) {
    ++step;
    if (step == 2) QueueCharEvent('p');
    if (step == 4) {
      DrawPending();
      Rect item = popup->ItemRect(2);
      Pixel hi = At(item.x0 + 4, item.y0 + 3);
      Pixel lo = At(popup->ItemRect(0).x0 + 4, popup->ItemRect(0).y0 + 3);
      EXPECT_NE(hi.Brightness(), lo.Brightness());
      test::SaveScreenshot("popup-menu");
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  EXPECT_EQ(PopUpMenu(popup, 300, 300), 12);
  on_pump = nullptr;
}

}  // namespace
}  // namespace brae
