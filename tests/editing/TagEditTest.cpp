// The tag editor base and the text editor, driven as a user drives them: opening, typing,
// Control+S, the save question with each answer, creating tags, and the failure messages.
#include <filesystem>

#include "EditingFixture.h"
#include "editing/TagStructEdit.h"
#include "editing/TextEdit.h"
#include "editing/structdefs/StructRegistry.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::EditingTest;
using namespace std::string_literals;

TEST_F(EditingTest, OpeningATagTwiceGivesTheSameEditor) {
  TagRecord* record = Find("stli", "unam");
  ASSERT_TRUE(record);
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  EXPECT_STREQ(editor->Title(), "Unit Names");
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_TRUE(editor->IsVisible());
  EXPECT_EQ(editor->Box()->Text(), "one\ntwo\n");
  EXPECT_EQ(editor->ClientSize().x, 640);
  EXPECT_EQ(FindOpenEditor(record), editor);
  EXPECT_EQ(OpenTag(record), editor);
  EXPECT_EQ(CountLayer0("TextEdit"), 1);
  EXPECT_EQ(record->users.size(), 1u);
  Frame();
  test::SaveScreenshot("editing_text_edit");
}

TEST_F(EditingTest, EditorsStartAtTheStaggeredPositionInsideTheScreen) {
  TagEdit* first = OpenTag(Find("text", "welc"));
  TagEdit* second = OpenTag(Find("scri", "intr"));
  ASSERT_TRUE(first && second);
  Rect a = first->ParentRelativeFrame(), b = second->ParentRelativeFrame();
  EXPECT_EQ(a.x0, 64);
  EXPECT_EQ(a.y0, 64);
  // On this 600-pixel-high screen 48 more pixels plus 560 would leave it: the second starts
  // over at the first position.
  EXPECT_EQ(b.x0, 64);
  EXPECT_EQ(b.y0, 64);
  Point room = Ui().layer0->ClientSize();
  EXPECT_LE(b.x1, room.x);
  EXPECT_LE(b.y1, room.y);
  EXPECT_TRUE(second->HasFocus() || second->IsAncestorOf(Ui().focus));
}

TEST_F(EditingTest, TypingMarksDirtyAndControlSWritesTheLooseFile) {
  TagRecord* record = Find("text", "welc");
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->Box()->Text(), "Welcome to the valley.\nThe river runs north.\n");
  EXPECT_EQ(editor->Box()->Caret(), 0);
  EXPECT_EQ(TheCodex().GetLocationName(record), "texts");
  Type("Hi ");
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Welcome Text*");
  ControlS();
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Welcome Text");
  EXPECT_EQ(LooseData(FourCC("text"), "Welcome Text"),
            "Hi Welcome to the valley.\rThe river runs north.\r");
  Frame();  // the pump's poll of the local folder
  TheCodex().PollLocalFolder(false);
  EXPECT_EQ(TheCodex().GetLocationName(record), "local folder");
  test::SaveScreenshot("editing_text_saved");
}

TEST_F(EditingTest, StringListIsSavedWithCarriageReturns) {
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("stli", "unam")));
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->SaveWithMessages());
  EXPECT_EQ(LooseData(FourCC("stli"), "Unit Names"), "one\rtwo\r");
}

TEST_F(EditingTest, SaveQuestionCancelKeepsTheEditorDirty) {
  TagRecord* record = Find("scri", "intr");
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  Type("x");
  answers = {2};
  EXPECT_FALSE(TryClose(editor));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Save?");
  EXPECT_EQ(boxes[0].message, "Do you wish to save your changes to 'Intro Script'?");
  EXPECT_FALSE(editor->IsClosed());
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_EQ(FindOpenEditor(record), editor);
}

TEST_F(EditingTest, SaveQuestionDiscardClosesWithoutWriting) {
  TagRecord* record = Find("scri", "intr");
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  Type("x");
  answers = {1};
  EXPECT_TRUE(TryClose(editor));
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(fs::exists(LocalPath(FourCC("scri"), "Intro Script")));
  EXPECT_EQ(FindOpenEditor(record), nullptr);
  EXPECT_TRUE(record->users.empty());
}

TEST_F(EditingTest, SaveQuestionSaveWritesAndCloses) {
  TagRecord* record = Find("scri", "intr");
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  Type("x");
  answers = {0};
  EXPECT_TRUE(TryClose(editor));
  EXPECT_EQ(LooseData(FourCC("scri"), "Intro Script"), "xbegin\r  say \"hello\"\rend\r");
  EXPECT_EQ(FindOpenEditor(record), nullptr);
}

TEST_F(EditingTest, UnchangedEditorClosesWithoutAQuestion) {
  TagEdit* editor = OpenTag(Find("ditl", "dlg1"));
  ASSERT_TRUE(editor);
  EXPECT_TRUE(TryClose(editor));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EditingTest, FailedSaveKeepsTheEditorOpenAndDirty) {
  // A plain file where the group folder should be: the loose file cannot be created.
  test::WriteFile(game_ + "/local/scripts", "in the way");
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("scri", "intr")));
  ASSERT_TRUE(editor);
  Type("x");
  ControlS();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message, "The save operation could not be completed.");
  EXPECT_TRUE(editor->IsDirty());
  // Saving from the close question fails too: the window stays.
  answers = {0, 0};
  EXPECT_FALSE(TryClose(editor));
  EXPECT_FALSE(editor->IsClosed());
}

TEST_F(EditingTest, QuittingAsksEveryDirtyEditor) {
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("text", "welc")));
  ASSERT_TRUE(editor);
  Type("x");
  answers = {2};
  EXPECT_EQ(CloseAllWindows(), 0);
  EXPECT_FALSE(editor->IsClosed());
  answers = {1};
  EXPECT_EQ(CloseAllWindows(), 1);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_FALSE(fs::exists(LocalPath(FourCC("text"), "Welcome Text")));
}

TEST_F(EditingTest, UnreadableTagIsReportedAndNoEditorStays) {
  TagRecord* record = Find("text", "note");
  ASSERT_TRUE(record && record->local);
  fs::remove(LocalPath(FourCC("text"), "Local Notes"));  // gone before the poll noticed
  EXPECT_EQ(OpenTag(record), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message, "The tag could not be loaded.");
  Frame();
  EXPECT_EQ(CountLayer0("TextEdit"), 0);
}

TEST_F(EditingTest, TruncatedTagDataFailsToLoad) {
  // The header claims more data than the file holds (a header written by another tool).
  std::string path = LocalPath(FourCC("text"), "Local Notes");
  std::string bytes = test::ReadFile(path);
  bytes.resize(bytes.size() - 5);
  test::WriteFile(path, bytes);
  TagRecord* record = Find("text", "note");
  TextEdit editor(record);
  TagHeader header;
  FileStream* stream = TheCodex().BeginTagRead(record, &header);
  ASSERT_TRUE(stream);
  header.size += 1000;
  EXPECT_EQ(editor.ReadTagData(*stream, header), 0);
  header.size = 0xFFFFFFF0u;  // never allocated
  EXPECT_EQ(editor.ReadTagData(*stream, header), 0);
  TheCodex().EndTagRead(record);
}

TEST_F(EditingTest, LongTextsStayEditable) {
  demo::DemoTag tag;
  tag.group = FourCC("scri");
  tag.subgroup = FourCC("long");
  tag.name = "Long Script";
  tag.data.assign(20000, 'a');
  test::WriteBytes(game_ + "/local/scripts/Long Script", demo::LooseTagBytes(tag));
  TheCodex().PollLocalFolder(true);
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("scri", "long")));
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->Box()->Text().size(), 20000u);
  Type("b");
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_EQ(editor->Box()->Text().size(), 20001u);
}

TEST_F(EditingTest, EditorWithoutATagNeitherLoadsNorSaves) {
  TextEdit editor(nullptr);
  EXPECT_EQ(editor.LoadTag(), 0);
  EXPECT_EQ(editor.SaveWithMessages(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "The save operation could not be completed.");
}

TEST_F(EditingTest, GroupWithoutEditorOpensNothing) {
  TagRecord* mesh = Find("mesh", "hill");
  ASSERT_TRUE(mesh);
  EXPECT_EQ(OpenTag(mesh), nullptr);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(CreateTagInteractively(FourCC("mesh")), nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EditingTest, NewTagIsDirtyAndExistsOnlyAfterItsFirstSave) {
  auto* editor = dynamic_cast<TextEdit*>(CreateAndOpen(FourCC("text"), "Fresh Notes"));
  ASSERT_TRUE(editor);
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Fresh Notes*");
  EXPECT_TRUE(editor->IsVisible());
  ASSERT_TRUE(editor->Record());
  EXPECT_EQ(FindOpenEditor(editor->Record()), editor);
  std::string path = LocalPath(FourCC("text"), "Fresh Notes");
  EXPECT_FALSE(fs::exists(path));
  Type("new");
  ControlS();
  EXPECT_EQ(LooseData(FourCC("text"), "Fresh Notes"), "new");
  EXPECT_STREQ(editor->Title(), "Fresh Notes");
}

TEST_F(EditingTest, CreatingOverAnExistingLocalTagIsRefused) {
  EXPECT_EQ(CreateAndOpen(FourCC("text"), "Local Notes"), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message,
            "The tag file 'Local Notes' could not be created; It may already exist.");
  Frame();
  EXPECT_EQ(CountLayer0("TextEdit"), 0);
}

TEST_F(EditingTest, CreatingInteractively) {
  answers = {1};  // Cancel
  EXPECT_EQ(CreateTagInteractively(FourCC("stli")), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Enter Name for String List");

  boxes.clear();
  answers = {0};
  input_text = "";
  EXPECT_EQ(CreateTagInteractively(FourCC("stli")), nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].title, "Not Created");
  EXPECT_EQ(boxes[1].message, "You must specify a name.");

  boxes.clear();
  answers = {0};
  input_text = "Hero Names";
  TagEdit* editor = CreateTagInteractively(FourCC("stli"));
  ASSERT_TRUE(editor);
  EXPECT_STREQ(editor->Title(), "Hero Names*");
}

TEST_F(EditingTest, StartupRegistersTheTextEditorOnly) {
  for (uint32_t code :
       {FourCC("ditl"), FourCC("scri"), FourCC("stli"), FourCC("temp"), FourCC("text")})
    EXPECT_TRUE(FindTagGroup(code)->editor_factory) << FourCCToString(code);
  for (uint32_t code : {FourCC("mesh"), FourCC("geom"), FourCC(".256"), FourCC("dtex"),
                        FourCC("soun"), FourCC("dmap")})
    EXPECT_FALSE(FindTagGroup(code)->editor_factory) << FourCCToString(code);
  EXPECT_TRUE(IsTextEditGroup(FourCC("temp")));
  EXPECT_FALSE(IsTextEditGroup(FourCC("mesh")));
}

TEST_F(EditingTest, DefinitionsAreLoadedFromTheGameFolder) {
  test::TempDir game;
  test::WriteFile(game.Path() + "/definitions/defs.xml",
                  "<braexmlfile><struct name=\"unit\"><long name=\"a\"/></struct></braexmlfile>");
  test::WriteFile(game.Path() + "/definitions/notes.txt", "not xml");
  LoadStructDefinitions(game.Path());
  ASSERT_TRUE(TheStructRegistry().FindStructDefinition("unit"));
  EXPECT_EQ(TheStructRegistry().FindStructDefinition("unit")->Size(), 4u);
  RegisterEditorFactories();
  // The bound group is edited by the structure editor; the text groups keep theirs.
  EXPECT_EQ(FindTagGroup(FourCC("unit"))->editor_factory, &NewTagStructEdit);
  EXPECT_EQ(FindTagGroup(FourCC("text"))->editor_factory, &NewTextEdit);
  TheStructRegistry().Clear();
}

}  // namespace
}  // namespace brae
