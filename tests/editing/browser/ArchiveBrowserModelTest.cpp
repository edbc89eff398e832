#include "editing/browser/ArchiveBrowserModel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/Prefs.h"
#include "tagstore/GameFixture.h"
#include "tagstore/TagGroups.h"

namespace brae::test {
namespace {

TagEdit* NoEditor(TagRecord*) {
  return nullptr;
}

// Records what the commands ask of the window and answers with scripted values.
struct FakeUi : BrowserUi {
  std::vector<std::string> calls;
  bool text_answer = true;
  std::string entered;  // replaces the proposed text when not empty
  bool question_answer = true;
  std::string folder;
  const void* front = nullptr;

  void OpenTag(TagRecord* r) override { calls.push_back("open " + FourCCToString(r->subgroup)); }
  void BringInfoToFront(const void* window) override {
    front = window;
    calls.push_back("front");
  }
  void OpenTagInfo(TagRecord* r) override {
    calls.push_back("info " + FourCCToString(r->subgroup));
  }
  bool AskText(const std::string& title, std::string* text) override {
    calls.push_back("ask " + title + ": " + *text);
    if (!entered.empty()) *text = entered;
    return text_answer;
  }
  bool AskQuestion(const std::string& title, const std::string& message, const std::string& yes,
                   const std::string& no) override {
    calls.push_back(title + ": " + message + " [" + yes + "/" + no + "]");
    return question_answer;
  }
  void ShowMessage(const std::string& title, const std::string& message) override {
    calls.push_back(title + ": " + message);
  }
  bool ChooseFolder(const std::string& title, std::string* out) override {
    calls.push_back(title);
    *out = folder;
    return !folder.empty();
  }
};

class BrowserModel : public GameFixture {
 protected:
  void SetUp() override {
    for (const char* group : {"text", ".256", "mesh", "unit"})
      SetGroupEditorFactory(MakeFourCC(group[0], group[1], group[2], group[3]), &NoEditor);
  }
  void TearDown() override {
    model_.reset();
    for (int i = 0; i < kTagGroupCount; ++i) TagGroupTable()[i].editor_factory = nullptr;
  }
  void StandardGame() {
    game_.Archive("tags", "base", 3).tags = {Tag("text", "aaaa", "Alpha"),
                                             Tag("text", "bbbb", "Beta"),
                                             Tag("scen", "hide", "Hidden Scenery")};
    game_.Archive("tags", "patch", 2).tags = {Tag("unit", "warr", "Warrior")};
    game_.Archive("plugins", "addon", 6, 5).tags = {Tag("text", "cccc", "Gamma")};
    game_.Archive("plugins", "extra", 1).tags = {Tag("unit", "xtra", "Extra Unit")};
    game_.AddLocal(Tag("text", "loca", "Local Text"));
  }
  void Open() {
    Load();
    model_ = std::make_unique<ArchiveBrowserModel>(codex_, prefs_, ui_);
    model_->Start();
  }
  std::vector<std::string> ActiveLabels() {
    std::vector<std::string> out;
    for (auto& item : model_->ActiveList()) out.push_back(item.Label());
    return out;
  }
  std::vector<std::string> InactiveLabels() {
    std::vector<std::string> out;
    for (auto& item : model_->InactiveList()) out.push_back(item.Label());
    return out;
  }
  // Tag ids of the visible tree, groups in order, as "group: id id ...".
  std::vector<std::string> Tree() {
    std::vector<std::string> out;
    for (const GroupView& g : model_->VisibleGroups()) {
      std::string line = g.label + ":";
      for (TagItem* t : g.tags) line += " " + FourCCToString(t->record->subgroup);
      out.push_back(line);
    }
    return out;
  }
  void SelectInActive(const std::string& label) {
    std::vector<bool> sel;
    for (auto& item : model_->ActiveList()) sel.push_back(item.Label() == label);
    model_->SetActiveSelection(sel);
  }
  void SelectTags(std::initializer_list<const char*> ids) {
    std::vector<TagRecord*> records;
    for (const char* id : ids)
      for (auto& g : model_->VisibleGroups())
        for (TagItem* t : g.tags)
          if (FourCCToString(t->record->subgroup) == id) records.push_back(t->record);
    model_->SelectTags(records);
  }
  std::string WorkingSet() {
    std::vector<std::string> names;
    prefs_.GetStringList("CodexWorkingSet", &names);
    std::string out;
    for (auto& n : names) out += n + ";";
    return out;
  }

  Prefs prefs_;
  FakeUi ui_;
  std::unique_ptr<ArchiveBrowserModel> model_;
};

// ---- Columns

TEST(TagTreeColumns, OffsetsWidthsAndSortPriorities) {
  int total = 0;
  for (int i = 0; i < kTagTreeColumnCount; ++i) total += kTagTreeColumns[i].bytes;
  EXPECT_EQ(total, 128);
  EXPECT_EQ(TagColumnOffset(3), 4);    // Name
  EXPECT_EQ(TagColumnOffset(5), 40);   // Tag
  EXPECT_EQ(TagColumnOffset(8), 52);   // User
  EXPECT_EQ(TagColumnOffset(12), 60);  // Game (the signature)
  EXPECT_EQ(TagColumnOffset(13), 64);  // Location
  EXPECT_EQ(TagColumnSortPriority(0), -1);
  EXPECT_EQ(TagColumnSortPriority(3), 0);
  EXPECT_EQ(TagColumnSortPriority(5), 1);
  EXPECT_EQ(TagColumnSortPriority(7), 2);
  EXPECT_EQ(TagColumnSortPriority(13), 6);
}

TEST(TagTreeColumns, FormatsEveryKind) {
  TagRow row;
  row.header.identifier = -1;
  row.header.SetName("Rock");
  row.header.subgroup = FourCC("rock");
  row.header.user_data = 0x1ff;
  row.header.version = 11;
  row.header.signature = FourCC("vrn2");
  std::strcpy(row.location, "local folder");
  EXPECT_EQ(FormatTagColumn(row, 0), "-1");
  EXPECT_EQ(FormatTagColumn(row, 3), "Rock");
  EXPECT_EQ(FormatTagColumn(row, 5), "rock");
  EXPECT_EQ(FormatTagColumn(row, 8), "0x1ff");
  EXPECT_EQ(FormatTagColumn(row, 9), "11");
  EXPECT_EQ(FormatTagColumn(row, 12), "vrn2");
  EXPECT_EQ(FormatTagColumn(row, 13), "local folder");
  // A name filling all 32 bytes without a terminator stays inside its column.
  std::memset(row.header.name, 'x', sizeof row.header.name);
  EXPECT_EQ(FormatTagColumn(row, 3), std::string(32, 'x'));
  EXPECT_EQ(FormatTagColumn(row, 99), "");
}

TEST(TagItemColour, OrangeForLocalCopiesHalvedWhenDimmed) {
  TagItem item;
  EXPECT_EQ(item.TextColour(), (Colour{255, 255, 255}));
  item.dimmed = true;
  EXPECT_EQ(item.TextColour(), (Colour{127, 127, 127}));
  item.has_local = true;
  EXPECT_EQ(item.TextColour(), (Colour{127, 72, 0}));
  item.dimmed = false;
  EXPECT_EQ(item.TextColour(), (Colour{255, 144, 0}));
}

// ---- Archive lists and the working set

TEST_F(BrowserModel, DefaultWorkingSetWithoutPreferenceAndSpecialItemsAtTheEnd) {
  StandardGame();
  Open();
  EXPECT_EQ(ActiveLabels(), (std::vector<std::string>{"base", "patch", "addon", "local",
                                                      "foundation", "combined"}));
  EXPECT_EQ(InactiveLabels(), (std::vector<std::string>{"extra"}));
  EXPECT_TRUE(model_->ActiveList().back().selected);
  EXPECT_EQ(WorkingSet(), "base;patch;addon;");
}

TEST_F(BrowserModel, WorkingSetIgnoresArchivesThatAreGone) {
  StandardGame();
  prefs_.SetStringList("CodexWorkingSet", {"extra", "vanished", "patch"});
  Open();
  EXPECT_EQ(ActiveLabels(),
            (std::vector<std::string>{"patch", "extra", "local", "foundation", "combined"}));
  EXPECT_EQ(InactiveLabels(), (std::vector<std::string>{"addon", "base"}));
  EXPECT_EQ(WorkingSet(), "patch;extra;");
}

TEST_F(BrowserModel, DeactivatingTheOnlySelectedArchiveSelectsCombined) {
  StandardGame();
  Open();
  SelectInActive("addon");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (1): cccc"}));
  ASSERT_TRUE(model_->CanMoveSelection(true));
  model_->MoveSelection(true);
  EXPECT_EQ(InactiveLabels(), (std::vector<std::string>{"addon", "extra"}));
  EXPECT_TRUE(model_->ActiveList().back().selected);
  EXPECT_EQ(WorkingSet(), "base;patch;");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (3): aaaa bbbb loca", "Units (1): warr"}));
}

TEST_F(BrowserModel, ActivatingAnArchiveAddsItsTagsAndSelectsIt) {
  StandardGame();
  Open();
  EXPECT_FALSE(model_->CanMoveSelection(false));
  model_->SetInactiveSelection({true});
  model_->MoveSelection(false);
  EXPECT_TRUE(model_->InactiveList().empty());
  EXPECT_EQ(WorkingSet(), "base;patch;addon;extra;");
  auto& active = model_->ActiveList();
  auto extra = std::find_if(active.begin(), active.end(),
                            [](const ArchiveItem& i) { return i.Label() == "extra"; });
  ASSERT_NE(extra, active.end());
  EXPECT_TRUE(extra->selected);
  EXPECT_EQ(active[active.size() - 3].Label(), "local");
  EXPECT_EQ(Tree(),
            (std::vector<std::string>{"Text (4): aaaa bbbb cccc loca", "Units (2): xtra warr"}));
}

TEST_F(BrowserModel, SpecialItemsCollectLocalFoundationAndCombined) {
  StandardGame();
  Open();
  SelectInActive("local");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (1): loca"}));
  SelectInActive("foundation");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (2): aaaa bbbb"}));
  model_->ToggleHiddenGroups();
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Scenery (1): hide", "Text (2): aaaa bbbb"}));
  model_->DefaultWorkingSet();
  EXPECT_TRUE(model_->ActiveList().back().selected);
  EXPECT_EQ(model_->ItemCount(), 6u);
}

TEST_F(BrowserModel, AddArchivesAppendsToTheActiveSet) {
  StandardGame();
  demo::DemoArchive more;
  more.file_name = "more";
  more.kind = 1;
  more.tags = {Tag("text", "more", "More")};
  Open();
  std::string path = dir_.Path() + "/elsewhere/more";
  WriteBytes(path, demo::ArchiveBytes(more));
  model_->AddArchives({path, dir_.Path() + "/no such archive"});
  EXPECT_EQ(WorkingSet(), "base;patch;addon;more;");
  EXPECT_NE(Tree()[0].find("more"), std::string::npos);
}

TEST_F(BrowserModel, ArchiveRemovedUnderTheBrowserLeavesNoStaleItems) {
  StandardGame();
  Open();
  ArchiveRecord* addon = codex_.FindArchiveByPath(Root() + "plugins/addon");
  ASSERT_TRUE(addon);
  ASSERT_TRUE(codex_.RemoveArchive(addon));
  EXPECT_EQ(ActiveLabels(),
            (std::vector<std::string>{"base", "patch", "local", "foundation", "combined"}));
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (3): aaaa bbbb loca", "Units (1): warr"}));
  model_->RebuildTagTree();
  EXPECT_EQ(model_->ItemCount(), 4u);
}

TEST_F(BrowserModel, ActiveSetChosenElsewhereIsShown) {
  StandardGame();
  Open();
  codex_.SetActiveArchives({codex_.FindArchiveByPath(Root() + "plugins/extra")});
  EXPECT_EQ(ActiveLabels(), (std::vector<std::string>{"extra", "local", "foundation", "combined"}));
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (1): loca", "Units (1): xtra"}));
}

// ---- Tag tree: rows, dimming, listener

TEST_F(BrowserModel, RowsCarryHeaderAndLocationSortedByName) {
  StandardGame();
  game_.AddLocal(Tag("text", "bbbb", "Aardvark Override", "local"));
  Open();
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (4): bbbb aaaa cccc loca", "Units (1): warr"}));
  TagItem* over = model_->FindItem(Find("text", "bbbb"));
  ASSERT_TRUE(over);
  EXPECT_EQ(FormatTagColumn(over->row, 3), "Aardvark Override");
  EXPECT_EQ(FormatTagColumn(over->row, 13), "local folder");
  EXPECT_EQ(over->TextColour(), (Colour{255, 144, 0}));
  TagItem* gamma = model_->FindItem(Find("text", "cccc"));
  EXPECT_EQ(FormatTagColumn(gamma->row, 13), "addon");
  EXPECT_EQ(gamma->TextColour(), (Colour{255, 255, 255}));
}

TEST_F(BrowserModel, EqualNamesSortByTagid) {
  game_.Archive("tags", "base", 3).tags = {Tag("text", "zzzz", "Same"), Tag("text", "mmmm", "Same"),
                                           Tag("text", "aaaa", "Zed")};
  Open();
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (3): mmmm zzzz aaaa"}));
}

TEST_F(BrowserModel, LargeCollectionFlagComesFromItsDataAndDimsIt) {
  std::string big(0x120000, '\0');
  big[4] = 0, big[5] = 0, big[6] = 0x01, big[7] = 0x23;  // bit 0x100 set
  std::string big_clear(0x120000, '\0');
  big_clear[7] = 0x23;
  std::string small(16, '\0');
  small[6] = 0x01;  // too small to be looked into
  game_.Archive("tags", "base", 3).tags = {Tag(".256", "bigc", "Big", big),
                                           Tag(".256", "clea", "Clear", big_clear),
                                           Tag(".256", "smal", "Small", small)};
  auto flagged = Tag(".256", "flag", "Flagged");
  flagged.user_data = 0x100;
  game_.Archive("tags", "base", 3).tags.push_back(flagged);
  Open();
  TagItem* item = model_->FindItem(Find(".256", "bigc"));
  ASSERT_TRUE(item);
  EXPECT_TRUE(item->dimmed);
  EXPECT_EQ(FormatTagColumn(item->row, 8), "0x123");
  EXPECT_FALSE(model_->FindItem(Find(".256", "clea"))->dimmed);
  EXPECT_FALSE(model_->FindItem(Find(".256", "smal"))->dimmed);
  EXPECT_TRUE(model_->FindItem(Find(".256", "flag"))->dimmed);
  SelectTags({"bigc", "clea", "flag"});
  model_->Open();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"open clea"}));
}

TEST_F(BrowserModel, OldMeshesAndGroupsWithoutEditorsAreDimmed) {
  game_.Archive("tags", "base", 3).tags = {
      Tag("mesh", "mv10", "Ten", "m", 10), Tag("mesh", "mv11", "Eleven", "m", 11),
      Tag("dmap", "dmap", "Detail"), Tag("scen", "scen", "Scenery")};
  Open();
  EXPECT_TRUE(model_->FindItem(Find("mesh", "mv10"))->dimmed);
  EXPECT_FALSE(model_->FindItem(Find("mesh", "mv11"))->dimmed);
  // 'dmap' is shown without an editor but dimmed; other editorless groups are hidden.
  ASSERT_TRUE(model_->FindItem(Find("dmap", "dmap")));
  EXPECT_TRUE(model_->FindItem(Find("dmap", "dmap"))->dimmed);
  EXPECT_FALSE(model_->FindItem(Find("scen", "scen")));
  model_->ToggleHiddenGroups();
  ASSERT_TRUE(model_->FindItem(Find("scen", "scen")));
  EXPECT_TRUE(model_->FindItem(Find("scen", "scen"))->dimmed);
  for (const GroupView& g : model_->VisibleGroups())
    EXPECT_EQ(g.has_editor, g.group == FourCC("mesh")) << g.label;
  model_->ToggleHiddenGroups();
  EXPECT_FALSE(model_->FindItem(Find("scen", "scen")));
}

TEST_F(BrowserModel, ListenerFollowsLocalFilesComingAndGoing) {
  StandardGame();
  Open();
  // A new loose file appears.
  WriteBytes(Local("text", "New Text"), demo::LooseTagBytes(Tag("text", "newt", "New Text")));
  codex_.PollLocalFolder(true);
  TagItem* item = model_->FindItem(Find("text", "newt"));
  ASSERT_TRUE(item);
  EXPECT_EQ(item->TextColour(), (Colour{255, 144, 0}));
  // A local copy of an archived tag, then its removal: the archive copy shows again.
  ASSERT_TRUE(codex_.CopyToLocal(Find("text", "aaaa")));
  codex_.PollLocalFolder(true);
  EXPECT_TRUE(model_->FindItem(Find("text", "aaaa"))->has_local);
  EXPECT_EQ(FormatTagColumn(model_->FindItem(Find("text", "aaaa"))->row, 13), "local folder");
  SelectTags({"aaaa", "newt"});
  model_->Delete();
  codex_.PollLocalFolder(true);
  EXPECT_EQ(ui_.calls.back(),
            "Confirm Deletion: Are you sure you want to delete 2 tags? [Delete/Don't Delete]");
  EXPECT_FALSE(Find("text", "newt"));
  ASSERT_TRUE(model_->FindItem(Find("text", "aaaa")));
  EXPECT_FALSE(model_->FindItem(Find("text", "aaaa"))->has_local);
  EXPECT_EQ(FormatTagColumn(model_->FindItem(Find("text", "aaaa"))->row, 13), "base");
}

TEST_F(BrowserModel, RewrittenLocalFileIsRefreshedInPlace) {
  StandardGame();
  Open();
  uint64_t version = model_->TreeVersion();
  TagRecord* local = Find("text", "loca");
  auto longer = Tag("text", "loca", "Local Text", "a longer body");
  WriteBytes(Local("text", "Local Text"), demo::LooseTagBytes(longer));
  codex_.PollLocalFolder(true);
  EXPECT_EQ(model_->TreeVersion(), version);
  EXPECT_EQ(model_->TakeChangedRows(), (std::vector<const TagRecord*>{local}));
  EXPECT_EQ(FormatTagColumn(model_->FindItem(local)->row, 7), "13");
  EXPECT_TRUE(model_->TakeChangedRows().empty());
}

TEST_F(BrowserModel, ListenerKeepsTagsOutsideTheSelectedArchiveOut) {
  StandardGame();
  Open();
  SelectInActive("patch");
  WriteBytes(Local("text", "New Text"), demo::LooseTagBytes(Tag("text", "newt", "New Text")));
  codex_.PollLocalFolder(true);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Units (1): warr"}));
}

// ---- Filter

TEST_F(BrowserModel, FilterMatchesNameOrTagidIgnoringCase) {
  StandardGame();
  Open();
  model_->SetFilter("");
  EXPECT_EQ(model_->VisibleGroups().size(), 2u);
  model_->SetFilter("ALP");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (1): aaaa"}));
  model_->SetFilter("WaRr");  // the tagid and the name
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Units (1): warr"}));
  model_->SetFilter("loca");  // the tagid only
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (1): loca"}));
  model_->SetFilter("ta\nbb");  // never across the name and the tagid
  EXPECT_TRUE(Tree().empty());
  model_->SetFilter("nothing like it");
  EXPECT_TRUE(Tree().empty());
  model_->SetFilter("");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"Text (4): aaaa bbbb cccc loca", "Units (1): warr"}));
}

TEST_F(BrowserModel, CommandsSeeOnlyFilteredSelection) {
  StandardGame();
  Open();
  SelectTags({"aaaa", "bbbb"});
  model_->SetFilter("beta");
  model_->Open();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"open bbbb"}));
}

// ---- Commands

TEST_F(BrowserModel, GetInfoOpensOrBringsTheExistingWindowForward) {
  StandardGame();
  Open();
  SelectTags({"aaaa", "bbbb"});
  EXPECT_TRUE(model_->HasTagSelection());
  model_->GetInfo();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"info aaaa", "info bbbb"}));
  ui_.calls.clear();
  int window = 0;
  codex_.AddTagUser(Find("text", "aaaa"), kUserInfo, &window);
  model_->GetInfo();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"front"}));
  EXPECT_EQ(ui_.front, &window);
  codex_.RemoveTagUser(Find("text", "aaaa"), kUserInfo, &window);
}

TEST_F(BrowserModel, CopyToLocalMakesLooseFiles) {
  StandardGame();
  Open();
  SelectTags({"aaaa", "warr", "loca"});
  model_->CopyToLocal();
  codex_.PollLocalFolder(true);
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Alpha")));
  EXPECT_TRUE(std::filesystem::exists(Local("units", "Warrior")));
  EXPECT_TRUE(model_->FindItem(Find("unit", "warr"))->has_local);
}

TEST_F(BrowserModel, DuplicateOneAsksForTheName) {
  StandardGame();
  Open();
  SelectTags({"aaaa"});
  ui_.text_answer = false;
  model_->Duplicate();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"ask Enter Name for Duplicate Tag: Alpha copy"}));
  codex_.PollLocalFolder(true);
  EXPECT_EQ(model_->ItemCount(), 5u);
  ui_.text_answer = true;
  ui_.entered = "Omega";
  model_->Duplicate();
  codex_.PollLocalFolder(true);
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Omega")));
  EXPECT_EQ(model_->ItemCount(), 6u);
}

TEST_F(BrowserModel, DuplicateThreeAsksNothingAndNamesEachCopy) {
  StandardGame();
  game_.AddLocal(Tag("text", "acop", "Alpha copy"));
  Open();
  SelectTags({"aaaa", "bbbb", "warr"});
  model_->Duplicate();
  EXPECT_TRUE(ui_.calls.empty());
  codex_.PollLocalFolder(true);
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Alpha copy 1")));
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Beta copy")));
  EXPECT_TRUE(std::filesystem::exists(Local("units", "Warrior copy")));
  EXPECT_EQ(model_->ItemCount(), 9u);
}

TEST_F(BrowserModel, DeleteSkipsArchiveTagsAsksAndRefusesTagsInUse) {
  StandardGame();
  Open();
  SelectTags({"aaaa"});  // archive only: nothing happens
  model_->Delete();
  EXPECT_TRUE(ui_.calls.empty());

  SelectTags({"aaaa", "loca"});
  ui_.question_answer = false;
  model_->Delete();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"Confirm Deletion: Are you sure you want to "
                                                 "delete 'Local Text'? [Delete/Don't Delete]"}));
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Local Text")));

  ui_.calls.clear();
  ui_.question_answer = true;
  int editor = 0;
  codex_.AddTagUser(Find("text", "loca"), kUserEditor, &editor);
  model_->Delete();
  EXPECT_EQ(ui_.calls.back(), "Can't delete tag.: 'Local Text' is still being used Brae.");
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Local Text")));
  codex_.RemoveTagUser(Find("text", "loca"), kUserEditor, &editor);

  model_->Delete();
  codex_.PollLocalFolder(true);
  EXPECT_FALSE(std::filesystem::exists(Local("text", "Local Text")));
  EXPECT_FALSE(model_->FindItem(Find("text", "loca")));
}

TEST_F(BrowserModel, DeleteNamesHowManyTagsReferToTheDeletedTags) {
  StandardGame();
  Open();
  ui_.question_answer = false;
  model_->SetUsageCounter([](const TagRecord* r) { return r->subgroup == FourCC("loca") ? 3 : 0; });
  SelectTags({"loca"});
  model_->Delete();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{
                           "Confirm Deletion: 3 tags refer to 'Local Text'.\nAre you sure you want "
                           "to delete 'Local Text'? [Delete/Don't Delete]"}));
  ui_.calls.clear();
  model_->SetUsageCounter([](const TagRecord*) { return size_t(1); });
  model_->Delete();
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{
                           "Confirm Deletion: 1 tag refers to 'Local Text'.\nAre you sure you want "
                           "to delete 'Local Text'? [Delete/Don't Delete]"}));
  EXPECT_TRUE(std::filesystem::exists(Local("text", "Local Text")));
}

TEST_F(BrowserModel, DisassembleNeedsExactlyOneArchiveAndAFolder) {
  StandardGame();
  Open();
  EXPECT_FALSE(model_->CanDisassemble(true));
  std::vector<bool> sel(model_->ActiveList().size(), false);
  sel[0] = true;  // base
  model_->SetActiveSelection(sel);
  ASSERT_TRUE(model_->CanDisassemble(true));
  model_->Disassemble(true);  // dialog cancelled
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"Choose Destination Folder"}));
  ui_.folder = dir_.Path() + "/unpacked/";
  model_->Disassemble(true);
  EXPECT_TRUE(std::filesystem::exists(ui_.folder + "text/Alpha"));
  EXPECT_TRUE(std::filesystem::exists(ui_.folder + "scenery/Hidden Scenery"));
  sel[1] = true;
  model_->SetActiveSelection(sel);
  EXPECT_FALSE(model_->CanDisassemble(true));
}

}  // namespace
}  // namespace brae::test
