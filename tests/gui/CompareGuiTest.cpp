// The Compare window in a real window: the tag information window's "Compare" button beside a
// copy that the copy in force overrides opens it on screen and focused, its rows are the
// differences, and a double click on a collection's row opens the collection's editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiHarness.h"
#include "TempDir.h"
#include "editing/CompareWindow.h"
#include "editing/TagInfoWindow.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Button.h"
#include "toolkit/ListWindow.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

std::vector<uint32_t> opened;

TagEdit* RecordingEditor(TagRecord* record) {
  opened.push_back(record->subgroup);
  return nullptr;
}

class CompareGui : public test::GuiTest {
 protected:
  void SetUp() override {
    test::GuiTest::SetUp();
    if (!platform::MainWindow()) return;
    opened.clear();
    SetGroupEditorFactory(FourCC(".256"), &RecordingEditor);
    TheStructRegistry().Clear();
    TheStructRegistry().AddDefinitionText(demo::DemoDefinitionText());
    TheStructRegistry().BuildRegistry();
    ASSERT_TRUE(demo::MakeCompareDemoGame().Write(dir_.Path()));
    TheCodex().LoadCodex(dir_.Path());
  }
  void TearDown() override {
    if (platform::MainWindow()) {
      for (Window* w = Ui().layer0->FirstChild(); w; w = w->NextSibling()) w->Close();
      Frame();
      for (int i = 0; i < kTagGroupCount; ++i) TagGroupTable()[i].editor_factory = nullptr;
      TheCodex().ShutdownCodex();
      TheStructRegistry().Clear();
    }
    test::GuiTest::TearDown();
  }
  // Opens the tag's information window and presses its only "Compare" button.
  CompareWindow* PressCompare(const char (&group)[5], const char (&id)[5]) {
    TagInfoWindow* info = TagInfoWindow::Open(TheCodex().FindTag(FourCC(group), FourCC(id)));
    Frame();
    EXPECT_EQ(info->CompareButtons().size(), 1u);  // one copy below the local one
    if (info->CompareButtons().empty()) return nullptr;
    Button* compare = info->CompareButtons()[0];
    EXPECT_STREQ(compare->Title(), "Compare");
    Point p = test::Centre(compare->Frame());
    Click(p.x, p.y);
    Frame();
    for (Window* w = Ui().layer0->FirstChild(); w; w = w->NextSibling())
      if (auto* found = dynamic_cast<CompareWindow*>(w)) return found;
    return nullptr;
  }
  test::TempDir dir_;
};

TEST_F(CompareGui, CompareButtonListsTheDifferencesAndRowsOpenTheEditor) {
  CompareWindow* wind = PressCompare("wind", "gale");
  ASSERT_TRUE(wind);
  EXPECT_STREQ(wind->Title(), "Compare");
  EXPECT_EQ(wind->Caption(), "'Gale': local folder against collections");
  ASSERT_EQ(wind->List()->RowCount(), 1u);
  const ListRow* row = wind->List()->ShownRow(0);
  EXPECT_EQ(row->Cell(0), "direction");
  EXPECT_EQ(row->Cell(1), "East");
  EXPECT_EQ(row->Cell(2), "South");
  test::SaveScreenshot("compare-structure");
  wind->Close();
  Frame();

  CompareWindow* sprites = PressCompare(".256", "dspr");
  ASSERT_TRUE(sprites);
  // On the screen, in front and focused.
  const Rect screen(0, 0, Ui().screen_width, Ui().screen_height);
  const Rect frame = sprites->Frame();
  EXPECT_TRUE(frame.x0 >= 0 && frame.y0 >= 0 && frame.x1 <= screen.x1 && frame.y1 <= screen.y1);
  EXPECT_TRUE(sprites->HasFocus() || sprites->List()->HasFocus());
  ListWindow* list = sprites->List();
  size_t ticks = list->ShownCount();
  for (size_t i = 0; i < list->ShownCount(); ++i)
    if (list->ShownRow(i)->Cell(0) == "sequences[0].ticks") ticks = i;
  ASSERT_LT(ticks, list->ShownCount());
  EXPECT_EQ(list->ShownRow(ticks)->Cell(1), "3");
  EXPECT_EQ(list->ShownRow(ticks)->Cell(2), "4");
  test::SaveScreenshot("compare-collection");
  // A double click on the first row opens the collection's editor.
  Rect r = list->RowRect(0);
  test::QueueClick(r.x0 + 20, (r.y0 + r.y1) / 2);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(opened, (std::vector<uint32_t>{FourCC("dspr")}));
}

}  // namespace
}  // namespace brae
