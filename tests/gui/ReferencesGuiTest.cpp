// References in the program's windows, on a generated game in a real window: "Find Usages"
// from the archive browser, the references of the tag information window with missing targets
// in red, the delete question that counts the tags referring to a tag, and the add-on question
// about references players will not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "GuiHarness.h"
#include "TempDir.h"
#include "app/AddonCommands.h"
#include "core/Prefs.h"
#include "editing/TagInfoWindow.h"
#include "editing/browser/ArchiveBrowser.h"
#include "editing/browser/UsagesWindow.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "references/ReferenceLines.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

TagEdit* NoEditor(TagRecord*) {
  return nullptr;
}

demo::DemoTag Tag(const char (&group)[5], const char (&id)[5], const std::string& name,
                  std::vector<uint8_t> data = {1, 2, 3, 4}) {
  demo::DemoTag t;
  t.group = demo::Code(group);
  t.subgroup = demo::Code(id);
  t.name = name;
  t.data = std::move(data);
  return t;
}

std::vector<uint8_t> MeshData(uint32_t colour_map) {
  std::vector<uint8_t> data(1024, 0);
  StoreBE32(data.data(), colour_map);
  StoreBE32(data.data() + 4, 0xFFFFFFFFu);
  return data;
}

// 'soli' records: three sounds.
constexpr const char* kSoundLists = R"(<braexmlfile>
  <struct name="soli"><tag name="sounds" group="soun" count="3"/></struct>
</braexmlfile>)";

std::vector<uint8_t> SoundList(uint32_t a, uint32_t b, uint32_t c) {
  std::vector<uint8_t> data(12);
  StoreBE32(data.data(), a);
  StoreBE32(data.data() + 4, b);
  StoreBE32(data.data() + 8, c);
  return data;
}

// The game: the demo sprites (sounds 'step' and 'ding'), 'step' in the game's archive, 'ding'
// only in the local folder, a mesh whose colour map is the sprites, a local sound list that
// names 'step' and a sound nobody has.
class ReferencesGui : public test::GuiTest {
 protected:
  void SetUp() override {
    test::GuiTest::SetUp();
    if (!platform::MainWindow()) return;
    for (int i = 0; i < kTagGroupCount; ++i)
      if (!TagGroupTable()[i].editor_factory)
        SetGroupEditorFactory(TagGroupTable()[i].code, &NoEditor);
    TheStructRegistry().Clear();
    TheStructRegistry().AddDefinitionText(kSoundLists);
    TheStructRegistry().BuildRegistry();
    demo::DemoArchive& base = game_.Archive("tags", "base", 3);
    demo::DemoTag sprites = demo::DemoCollectionTags()[0];
    sprites.subgroup = demo::Code("dspr");
    base.tags.push_back(sprites);
    base.tags.push_back(Tag("soun", "step", "Step"));
    base.tags.push_back(Tag("mesh", "vale", "Valley", MeshData(demo::Code("dspr"))));
    game_.AddLocal(Tag("soun", "ding", "Ding"));
    game_.AddLocal(Tag("soli", "list", "Sound List",
                       SoundList(demo::Code("step"), demo::Code("nowh"), 0xFFFFFFFFu)));
    ASSERT_TRUE(game_.Write(dir_.Path()));
    ThePrefs().Clear();
    TheReferenceIndex();  // listening before the browser, as at start-up
    TheCodex().LoadCodex(dir_.Path());
    TheReferenceIndex().InvalidateAll();  // the definitions changed
    TheArchiveBrowserHooks().open_tag = [this](TagRecord* r) {
      opened_.push_back(FourCCToString(r->subgroup));
    };
    browser_ = ShowArchiveBrowser();
    browser_->SetFrame(Rect(20, 20, 780, 580));
    Frame();
  }
  void TearDown() override {
    if (platform::MainWindow()) {
      for (Window* w : TopWindows())
        if (w != browser_) w->Close();
      CloseArchiveBrowser();
      Frame();
      TheArchiveBrowserHooks() = ArchiveBrowserHooks();
      for (int i = 0; i < kTagGroupCount; ++i) TagGroupTable()[i].editor_factory = nullptr;
      TheCodex().ShutdownCodex();
      TheStructRegistry().Clear();
      ThePrefs().Clear();
    }
    test::GuiTest::TearDown();
  }
  std::vector<Window*> TopWindows() {
    std::vector<Window*> windows;
    for (Window* w = Ui().layer0->FirstChild(); w; w = w->NextSibling())
      if (!w->IsClosed()) windows.push_back(w);
    return windows;
  }
  template <class T>
  T* FindTop() {
    for (Window* w : TopWindows())
      if (auto* found = dynamic_cast<T*>(w)) return found;
    return nullptr;
  }
  TagRecord* Find(const char (&group)[5], const char (&id)[5]) {
    return TheCodex().FindTag(FourCC(group), FourCC(id));
  }
  void SelectTag(const char (&group)[5], const char (&id)[5]) {
    ListWindow* tree = browser_->TagTree();
    tree->SetFocus();
    ListRow* row = browser_->RowOf(Find(group, id));
    ASSERT_TRUE(row);
    tree->ScrollToRow(row);
    Frame();
    for (size_t i = 0; i < tree->ShownCount(); ++i) {
      if (tree->ShownRow(i) != row) continue;
      Rect r = tree->RowRect(i);
      Click(r.x0 + 40, (r.y0 + r.y1) / 2);
      return;
    }
    FAIL() << "row not shown";
  }
  void Control(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  // Answers the first message box with the button; returns "title|message".
  std::string AnswerBox(const std::function<void()>& command, int button, const std::string& shot) {
    std::string seen;
    int frames = 0;
    on_pump = [&](int) {
      const ModalEntry* top = TopModal();
      auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
      if (!box || !seen.empty() || ++frames < 3) return;
      seen = std::string(box->Title()) + "|" + box->MessageBox()->Text();
      if (!shot.empty()) test::SaveScreenshot(shot);
      box->Choose(button);
    };
    command();
    on_pump = nullptr;
    Frame();
    return seen;
  }

  test::TempDir dir_;
  demo::DemoGame game_;
  ArchiveBrowser* browser_ = nullptr;
  std::vector<std::string> opened_;
};

TEST_F(ReferencesGui, CommandUListsTheUsagesAndEachRowOpensItsTag) {
  SelectTag(".256", "dspr");
  Control('U');
  UsagesWindow* usages = FindTop<UsagesWindow>();
  ASSERT_TRUE(usages);
  EXPECT_STREQ(usages->Title(), "Usages of 'Demo Sprites'");
  ListWindow* list = usages->List();
  ASSERT_EQ(list->RowCount(), 1u);
  const ListRow* row = list->ShownRow(0);
  EXPECT_EQ(row->Cell(0), "mesh");
  EXPECT_EQ(row->Cell(1), "Valley");
  EXPECT_EQ(row->Cell(2), "colour_map");
  EXPECT_EQ(row->Cell(3), "base");
  Frame();
  test::SaveScreenshot("references-usages-window");
  // A double click on the row opens the mesh.
  Rect r = list->RowRect(0);
  test::QueueClick(r.x0 + 20, (r.y0 + r.y1) / 2);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(opened_, (std::vector<std::string>{"vale"}));
  // Asking again brings the same window back.
  Control('U');
  size_t windows = 0;
  for (Window* w : TopWindows()) windows += dynamic_cast<UsagesWindow*>(w) != nullptr;
  EXPECT_EQ(windows, 1u);
}

TEST_F(ReferencesGui, UsagesOfAnUnusedTagSayNoTagRefersToIt) {
  SelectTag("mesh", "vale");
  browser_->RunTagCommand(kBrowserFindUsages);
  UsagesWindow* usages = FindTop<UsagesWindow>();
  ASSERT_TRUE(usages);
  ASSERT_EQ(usages->List()->RowCount(), 1u);
  EXPECT_EQ(usages->List()->ShownRow(0)->Cell(1), "No tag refers to this one");
  EXPECT_TRUE(usages->Rows().empty());
}

TEST_F(ReferencesGui, TagInfoShowsReferencesWithMissingTargetsInRed) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("soli", "list"));
  ASSERT_TRUE(info);
  Frame();
  const auto& rows = info->ReferenceRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].text, "sounds[0] -> soun step 'Step'");
  EXPECT_FALSE(rows[0].missing);
  EXPECT_EQ(rows[1].text, "sounds[1] -> soun nowh (missing)");
  EXPECT_TRUE(rows[1].missing);
  // The missing line is drawn in red: some pixel of its row is pure red.
  const Rect client = info->ClientRect();
  const int line = LineHeight(info);
  const int width = Ui().screen_width;
  const std::vector<uint8_t> screen = test::ReadScreen(width, Ui().screen_height);
  auto red_in_line = [&](int y0) {
    for (int y = std::max(0, y0); y < y0 + line; ++y)
      for (int x = std::max(0, client.x0); x < client.x1 && x < width; ++x) {
        const uint8_t* p = &screen[(size_t(y) * width + x) * 3];
        if (p[0] > 200 && p[1] < 60 && p[2] < 60) return true;
      }
    return false;
  };
  const int last = client.y1 - 12 - line;  // the last line, above the bottom margin
  EXPECT_TRUE(red_in_line(last));
  EXPECT_FALSE(red_in_line(client.y0 + 4));  // the name row
  test::SaveScreenshot("references-tag-info");
  // The missing sound arrives: the line follows.
  TagHeader header;
  TagRecord* sound =
      TheCodex().CreateTag(FourCC("soun"), FourCC("nowh"), "Now Here", &header, false);
  ASSERT_TRUE(sound);
  FileStream* out = TheCodex().BeginTagWrite(sound, &header);
  ASSERT_TRUE(out);
  ASSERT_TRUE(out->Write("data", 4));
  ASSERT_TRUE(TheCodex().EndTagWrite(sound, &header, true));
  TheCodex().PollLocalFolder(true);
  Frame();
  ASSERT_EQ(info->ReferenceRows().size(), 2u);
  EXPECT_EQ(info->ReferenceRows()[1].text, "sounds[1] -> soun nowh 'Now Here'");
  EXPECT_FALSE(info->ReferenceRows()[1].missing);
}

TEST_F(ReferencesGui, DeletingAUsedLocalTagNamesHowManyRefer) {
  SelectTag("soun", "ding");
  std::string box = AnswerBox([&] { Tap(kKeyDelete); }, 1, "references-delete-question");
  EXPECT_EQ(box,
            "Confirm Deletion|1 tag refers to 'Ding'.\nAre you sure you want to delete 'Ding'?");
  EXPECT_TRUE(Find("soun", "ding"));  // "Don't Delete"
  // A local tag no one uses gets the plain question.
  SelectTag("soli", "list");
  box = AnswerBox([&] { Tap(kKeyDelete); }, 1, "");
  EXPECT_EQ(box, "Confirm Deletion|Are you sure you want to delete 'Sound List'?");
}

TEST_F(ReferencesGui, AddonQuestionListsMissingReferencesAndCancelWritesNothing) {
  std::string box =
      AnswerBox([] { EXPECT_FALSE(BuildRegularAddonCommand()); }, 1, "references-addon-question");
  EXPECT_EQ(box,
            "Missing References|1 references point to tags that players will not have\n"
            "Sound List (soli list) sounds[1] -> soun nowh");
  EXPECT_TRUE(fs::is_empty(dir_.Path() + "/plugins"));
}

TEST_F(ReferencesGui, BuildAnywayGoesOnToTheSettings) {
  bool popup_seen = false;
  int frames = 0;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    if (!top) return;
    if (auto* box = dynamic_cast<MessageBoxWindow*>(top->window)) {
      if (++frames >= 3) box->Choose(0);  // "Build Anyway"
      return;
    }
    if (dynamic_cast<AddonPopup*>(top->window) && top->window->IsVisible()) {
      popup_seen = true;
      QueueKeyEvent(kKeyEscape, 1);
      QueueKeyEvent(kKeyEscape, 0);
    }
  };
  EXPECT_FALSE(BuildRegularAddonCommand());
  on_pump = nullptr;
  EXPECT_TRUE(popup_seen);
}

}  // namespace
}  // namespace brae
