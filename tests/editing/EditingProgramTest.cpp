// The real program with the editing framework's start-up steps: definitions read from "res",
// the text editor registered, a text tag edited and saved with Control+S, and quitting with a
// dirty editor asking its save question after "Really Quit Brae?".
#include <filesystem>

#include "TempDir.h"
#include "app/EditingHooks.h"
#include "app/ProgramHooks.h"
#include "app/Startup.h"
#include "collection/ui/X256Edit.h"
#include "editing/TextEdit.h"
#include "editing/browser/ArchiveBrowser.h"
#include "editing/browser/ArchiveBrowserModel.h"
#include "editing/structdefs/StructRegistry.h"
#include "gui/GuiHarness.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/ListWindow.h"
#include "toolkit/MessageBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

MessageBoxWindow* OpenMessageBox() {
  const ModalEntry* top = TopModal();
  return top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
}

TEST(EditingProgram, EditSaveAndQuitWithADirtyEditor) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  test::TempDir dir;
  std::string res = dir.Path() + "/res";
  fs::create_directories(res);
  std::string built = std::string(BRAE_BUILD_DIR) + "/bin/res/";
  for (const char* name : {"plume.braefont", "texturepack", "brae.bmp"})
    fs::create_symlink(built + name, res + "/" + name);
  test::WriteFile(res + "/units.xml",
                  "<braexmlfile><struct name=\"unit\"><long name=\"hp\"/></struct></braexmlfile>");
  std::string game = dir.Path() + "/game";
  ASSERT_TRUE(demo::MakeDemoGame().Write(game));
  test::WriteFile(res + "/prefs.txt", "VornPath \"" + game + "/\"\nShowSplash 0\n");

  InstallEditingHooks();
  int pump = 0, saved_at = 0, box_pumps = 0;
  std::vector<std::string> questions;
  bool registered = false, definitions = false, collections = false;
  TextEdit* editor = nullptr;
  BraeOptions options;
  options.folder = dir.Path();
  options.after_pump = [&] {
    ++pump;
    RequestFrame();  // the script counts pumps: no waiting for input between them
    if (MessageBoxWindow* box = OpenMessageBox()) {
      if (box->IsClosed()) return;
      std::string title = box->Title() ? box->Title() : "";
      if (++box_pumps < 3) return;  // let the box be drawn first
      box_pumps = 0;
      questions.push_back(title);
      if (title == "Save?") test::SaveScreenshot("editing_program_save_question");
      box->Choose(title == "Save?" ? 1 : 0);  // Quit, then Discard
      return;
    }
    if (pump == 3) {
      registered = FindTagGroup(FourCC("text"))->editor_factory != nullptr;
      collections = FindTagGroup(FourCC(".256"))->editor_factory == &NewX256Edit;
      definitions = TheStructRegistry().FindStructDefinition("unit") != nullptr;
      editor = dynamic_cast<TextEdit*>(OpenTag(TheCodex().FindTag(FourCC("text"), FourCC("welc"))));
      if (!editor) QueueCloseRequest();
    }
    if (pump == 5) {
      for (char c : std::string("Hi ")) QueueCharEvent(static_cast<unsigned char>(c));
    }
    if (pump == 8) {
      QueueKeyEvent(kKeyLeftControl, 1);
      QueueKeyEvent('S', 1);
      QueueKeyEvent('S', 0);
      QueueKeyEvent(kKeyLeftControl, 0);
      saved_at = pump;
    }
    if (pump == 12) {
      test::SaveScreenshot("editing_program_saved");
      QueueCharEvent('!');  // dirty again
    }
    if (pump == 15) QueueCloseRequest();
    if (pump > 3000) std::exit(3);  // never hang the test run
  };
  EXPECT_EQ(RunBrae(options), 0);
  EXPECT_TRUE(registered);
  EXPECT_TRUE(collections);  // the program's wiring gives '.256' the collection editor
  EXPECT_TRUE(definitions);
  EXPECT_TRUE(editor);
  EXPECT_GT(saved_at, 0);
  EXPECT_EQ(questions, (std::vector<std::string>{"Really Quit Brae?", "Save?"}));
  std::string bytes = test::ReadFile(game + "/local/text/Welcome Text");
  ASSERT_GE(bytes.size(), 64u);
  EXPECT_EQ(bytes.substr(64), "Hi Welcome to the valley.\rThe river runs north.\r");
  TheStartupHooks() = StartupHooks{};
}

TEST(EditingProgram, StructureDefinedGroupsOpenFromTheBrowser) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  test::TempDir dir;
  std::string res = dir.Path() + "/res";
  fs::create_directories(res);
  std::string built = std::string(BRAE_BUILD_DIR) + "/bin/res/";
  for (const char* name : {"plume.braefont", "texturepack", "brae.bmp"})
    fs::create_symlink(built + name, res + "/" + name);
  test::WriteFile(res + "/demo structures.xml", demo::DemoDefinitionText());
  std::string game = dir.Path() + "/game";
  ASSERT_TRUE(demo::MakeDemoGame().Write(game));
  test::WriteFile(res + "/prefs.txt", "VornPath \"" + game + "/\"\nShowSplash 0\n");

  InstallProgramHooks();  // with the archive browser
  int pump = 0, box_pumps = 0;
  std::vector<std::string> seen;
  bool dimmed = true, enter_sent = false;
  TagRecord* ogre = nullptr;
  std::string opened;  // the class of the editor that opened
  BraeOptions options;
  options.folder = dir.Path();
  options.after_pump = [&] {
    ++pump;
    RequestFrame();
    if (MessageBoxWindow* box = OpenMessageBox()) {
      if (!box->IsClosed() && ++box_pumps >= 3) {
        box_pumps = 0;
        seen.push_back(box->Title() ? box->Title() : "");
        box->Choose(0);  // "Really Quit Brae?": Quit
      }
      return;
    }
    ArchiveBrowser* browser = TheArchiveBrowser();
    if (pump == 3 && browser) {
      ogre = TheCodex().FindTag(FourCC("mons"), FourCC("ogre"));
      TagItem* item = ogre ? browser->Model().FindItem(ogre) : nullptr;
      dimmed = !item || item->dimmed;
      ListRow* row = ogre ? browser->RowOf(ogre) : nullptr;
      if (row) {
        ListWindow* tree = browser->TagTree();
        if (row->parent) tree->Expand(row->parent);
        tree->Select(row, false);
        tree->SetCurrentRow(row, false);
        tree->SetFocus(0);
        QueueKeyEvent(kKeyEnter, 1);
        QueueKeyEvent(kKeyEnter, 0);
        enter_sent = true;
      }
    }
    if (pump == 8) {
      if (TagEdit* editor = FindOpenEditor(ogre)) opened = editor->ClassName();
      QueueCloseRequest();
    }
    if (pump > 3000) {
      for (auto& t : seen) std::fprintf(stderr, "box: %s\n", t.c_str());
      std::exit(3);
    }
  };
  EXPECT_EQ(RunBrae(options), 0);
  EXPECT_EQ(seen, std::vector<std::string>{"Really Quit Brae?"});
  EXPECT_FALSE(dimmed);
  EXPECT_TRUE(enter_sent);
  EXPECT_EQ(opened, "TagStructEdit");
  TheStartupHooks() = StartupHooks{};
  TheArchiveBrowserHooks() = ArchiveBrowserHooks{};
}

}  // namespace
}  // namespace brae
