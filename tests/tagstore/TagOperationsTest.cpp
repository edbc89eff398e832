#include <gtest/gtest.h>

#include "GameFixture.h"
#include "tagstore/TagGroups.h"

namespace brae {
namespace {

using test::Tag;

class TagOperations : public test::GameFixture {};

TEST_F(TagOperations, CreateTagChoosesAFreeTagidAndWritesNothing) {
  game_.AddLocal(Tag("mons", "BiRD", "Another Dragon"));
  Load();
  TagHeader h;
  TagRecord* r = codex_.CreateTag(FourCC("mons"), kNoSubgroup, "Big Red Dragon", &h, false);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->subgroup, FourCC("BiRE"));
  EXPECT_EQ(h.subgroup, FourCC("BiRE"));
  EXPECT_EQ(h.version, 1);
  EXPECT_EQ(h.owner_index, 255);
  EXPECT_EQ(h.signature, kSignatureVrn2);
  EXPECT_EQ(h.Name(), "Big Red Dragon");
  EXPECT_FALSE(FileExists(Local("monsters", "Big Red Dragon")));
  EXPECT_FALSE(Find("mons", "BiRE"));  // no copy until the first save
}

TEST_F(TagOperations, CreateTagRefusals) {
  game_.AddLocal(Tag("text", "take", "Taken"));
  game_.AddLocal(Tag("text", "othr", "Same Name"));
  Load();
  TheMessageLog().Clear();
  TagHeader h;
  EXPECT_FALSE(codex_.CreateTag(FourCC("text"), FourCC("take"), "Fresh", &h, false));
  EXPECT_EQ(CodexLog(),
            "CreateTag(name='Fresh', tagid='take', type='Text', allow_overwrite='False') failed "
            "because 'A file with the same tagid already exists'.\n");
  TheMessageLog().Clear();
  EXPECT_FALSE(codex_.CreateTag(FourCC("text"), FourCC("xxxx"), "Same Name", &h, false));
  EXPECT_NE(CodexLog().find("'A file with the same name already exists'"), std::string::npos);

  // With overwrite the old file goes, unless its tag is in use.
  int editor = 0;
  TagRecord* same = Find("text", "othr");
  codex_.AddTagUser(same, kUserEditor, &editor);
  TheMessageLog().Clear();
  EXPECT_FALSE(codex_.CreateTag(FourCC("text"), FourCC("xxxx"), "Same Name", &h, true));
  EXPECT_NE(CodexLog().find("allow_overwrite='True') failed because 'An existing file could not be "
                            "overwritten'"),
            std::string::npos);
  codex_.RemoveTagUser(same, kUserEditor, &editor);
  EXPECT_TRUE(codex_.CreateTag(FourCC("text"), FourCC("xxxx"), "Same Name", &h, true));
  EXPECT_FALSE(FileExists(Local("text", "Same Name")));
}

TEST_F(TagOperations, DuplicateNumbersCopies) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("scen", "rock", "Rock", "stone"));
  game_.AddLocal(Tag("scen", "rocc", "Rock copy"));
  Load();
  TagRecord* copy1 = codex_.DuplicateTag(Find("scen", "rock"), nullptr);
  ASSERT_TRUE(copy1);
  EXPECT_EQ(EffectiveName(copy1), "Rock copy 1");
  EXPECT_EQ(ReadData(copy1), "stone");
  TagHeader h;
  codex_.GetEffectiveHeader(copy1, &h);
  EXPECT_EQ(h.version, 1);
  EXPECT_EQ(h.user_data, 0u);
  codex_.PollLocalFolder(true);
  TagRecord* copy2 = codex_.DuplicateTag(Find("scen", "rock"), nullptr);
  ASSERT_TRUE(copy2);
  EXPECT_EQ(EffectiveName(copy2), "Rock copy 2");
  const std::string given = "Boulder";
  TagRecord* named = codex_.DuplicateTag(Find("scen", "rock"), &given);
  ASSERT_TRUE(named);
  EXPECT_EQ(EffectiveName(named), "Boulder");
  EXPECT_EQ(named->subgroup, FourCC("Boul"));
}

TEST_F(TagOperations, ChangeTagInfoOfAnArchivedTagMakesALocalTag) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "arch", "Archived", "words"));
  Load();
  const std::vector<uint8_t> archive = test::ReadBytes(Root() + "tags/patch");
  const std::string name = "Renamed";
  TagRecord* result = codex_.ChangeTagInfo(Find("text", "arch"), kNoSubgroup, &name);
  ASSERT_TRUE(result);
  EXPECT_NE(result->subgroup, FourCC("arch"));  // the copy got its own tagid
  EXPECT_EQ(result->local->file_name, "Renamed");
  EXPECT_EQ(EffectiveName(result), "Renamed");
  EXPECT_EQ(ReadData(result), "words");
  EXPECT_FALSE(FileExists(Local("text", "Archived copy")));
  EXPECT_EQ(test::ReadBytes(Root() + "tags/patch"), archive);
  EXPECT_EQ(codex_.GetLocationName(Find("text", "arch")), "patch");
}

TEST_F(TagOperations, ChangeTagInfoOfOnlyTheTagidKeepsTheFileName) {
  game_.AddLocal(Tag("text", "aaaa", "Keeper", "k"));
  Load();
  Listen();
  TagRecord* moved = codex_.ChangeTagInfo(Find("text", "aaaa"), FourCC("bbbb"), nullptr);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->subgroup, FourCC("bbbb"));
  EXPECT_EQ(moved->local->file_name, "Keeper");
  EXPECT_FALSE(Find("text", "aaaa"));
  EXPECT_EQ(ReadData(moved), "k");
  EXPECT_EQ(codex_.ChangeTagInfo(moved, kNoSubgroup, nullptr), moved);
}

// Name and tagid in one change: the file is renamed and rewritten, and the poll then sees it only
// under its new name. The old identity must still give the copy up, with the usual events.
TEST_F(TagOperations, ChangingNameAndTagidTogetherLeavesNothingUnderTheOldTagid) {
  game_.AddLocal(Tag(".256", "walk", "Walker", "legs"));
  game_.Archive("tags", "patch", 2).tags.push_back(Tag(".256", "both", "Both", "archived"));
  game_.AddLocal(Tag(".256", "both", "Both", "local"));
  Load();
  Listen();
  const std::string walker = "Walker Two", both = "Both Two";
  TagRecord* moved = codex_.ChangeTagInfo(Find(".256", "walk"), FourCC("wlk2"), &walker);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->subgroup, FourCC("wlk2"));
  EXPECT_EQ(moved->local->file_name, "Walker Two");
  EXPECT_EQ(ReadData(moved), "legs");
  EXPECT_FALSE(codex_.FindRecord(FourCC(".256"), FourCC("walk")));
  // The archived tag stays, now without a local copy.
  TagRecord* moved_both = codex_.ChangeTagInfo(Find(".256", "both"), FourCC("bot2"), &both);
  ASSERT_TRUE(moved_both);
  EXPECT_EQ(ReadData(moved_both), "local");
  ASSERT_TRUE(Find(".256", "both"));
  EXPECT_FALSE(Find(".256", "both")->local);
  EXPECT_EQ(ReadData(Find(".256", "both")), "archived");
  EXPECT_EQ(log_.events,
            (std::vector<std::string>{"4 .256 walk", "1 .256 wlk2", "2 .256 both", "1 .256 bot2"}));
  // Polling again changes nothing.
  codex_.PollLocalFolder(true);
  EXPECT_EQ(log_.events.size(), 4u);
  std::vector<TagRecord*> local;
  codex_.ListLocalTags(&local);
  EXPECT_EQ(local.size(), 2u);
}

// A delete removes the file only while it still holds the tag: one that another program gave
// another identity (not yet polled) is that identity's file now.
TEST_F(TagOperations, DeleteNeverRemovesAFileThatHoldsAnotherTag) {
  game_.AddLocal(Tag("text", "aaaa", "Shared", "first"));
  Load();
  TagRecord* first = Find("text", "aaaa");
  test::WriteBytes(Local("text", "Shared"),
                   demo::LooseTagBytes(Tag("text", "bbbb", "Shared", "b")));
  EXPECT_FALSE(codex_.DeleteLocalTag(first));
  EXPECT_TRUE(FileExists(Local("text", "Shared")));
  ASSERT_TRUE(Find("text", "bbbb"));  // the refusal polled the folder
  EXPECT_EQ(Find("text", "bbbb")->local->file_name, "Shared");
  EXPECT_FALSE(Find("text", "aaaa"));
  EXPECT_TRUE(codex_.DeleteLocalTag(Find("text", "bbbb")));
  EXPECT_FALSE(FileExists(Local("text", "Shared")));
}

TEST_F(TagOperations, RenameNeverOverwritesAnotherLocalFile) {
  game_.AddLocal(Tag("text", "aaaa", "First", "first"));
  game_.AddLocal(Tag("text", "bbbb", "Second", "second"));
  Load();
  TheMessageLog().Clear();
  const std::string name = "Second";
  EXPECT_FALSE(codex_.ChangeTagInfo(Find("text", "aaaa"), kNoSubgroup, &name));
  EXPECT_NE(CodexLog().find("ChangeTagInfo: rename("), std::string::npos);
  EXPECT_EQ(ReadData(Find("text", "bbbb")), "second");
  EXPECT_EQ(ReadData(Find("text", "aaaa")), "first");
}

TEST_F(TagOperations, CopyToLocalOverridesTheArchiveCopy) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("unit", "arch", "Archer", "bow", 4));
  game_.AddLocal(Tag("unit", "loca", "Local"));
  Load();
  TagRecord* r = Find("unit", "arch");
  ASSERT_TRUE(codex_.CopyToLocal(r));
  EXPECT_EQ(codex_.GetLocationName(r), "local folder");
  EXPECT_EQ(r->local->header.version, 4);
  EXPECT_EQ(ReadData(r), "bow");
  EXPECT_FALSE(codex_.CopyToLocal(r));  // already local
  EXPECT_FALSE(codex_.CopyToLocal(Find("unit", "loca")));
}

TEST_F(TagOperations, UnpackWritesEveryTagAndLaterNamesWin) {
  demo::DemoArchive& a = game_.Archive("tags", "patch", 2);
  a.tags = {Tag("text", "one1", "Twin", "first"), Tag("text", "two2", "Twin", "second"),
            Tag("quik", "song", "Song", "mp3")};
  Load();
  test::TempDir out;
  ASSERT_TRUE(codex_.UnpackArchive(codex_.ArchiveAt(0), out.Path()));
  const std::vector<uint8_t> twin = test::ReadBytes(out.Path() + "/text/Twin");
  ASSERT_EQ(twin.size(), 64u + 6);
  EXPECT_EQ(std::string(twin.begin() + 64, twin.end()), "second");
  TagHeader h;
  ASSERT_TRUE(ParseTagHeader(twin.data(), &h));
  EXPECT_EQ(h.size, 0u);
  EXPECT_EQ(h.identifier, -1);
  EXPECT_EQ(h.subgroup, FourCC("two2"));
  EXPECT_TRUE(FileExists(out.Path() + "/quicktime/mp3/Song"));
  std::vector<TagRecord*> local;
  codex_.ListLocalTags(&local);
  EXPECT_TRUE(local.empty());  // the index is not changed
}

TEST_F(TagOperations, HostileArchiveCannotEscapeTheUnpackFolder) {
  demo::DemoArchive& a = game_.Archive("tags", "evil", 2);
  a.tags = {Tag("text", "esc1", "../../../outside", "1"), Tag("text", "esc2", "..", "2"),
            Tag("text", "esc3", "/etc/passwd", "3")};
  demo::DemoTag code = Tag("text", "esc4", "x", "4");
  code.group = MakeFourCC('.', '.', '/', '.');
  a.tags.push_back(code);
  demo::DemoTag nul = Tag("text", "esc5", "y", "5");
  nul.group = MakeFourCC('/', 0, '.', '.');
  a.tags.push_back(nul);
  Load();
  test::TempDir parent;
  const std::string out = parent.Path() + "/inner/out";
  ASSERT_TRUE(codex_.UnpackArchive(codex_.ArchiveAt(0), out));
  // Every file written lies inside the chosen folder.
  std::vector<std::string> written;
  ScanFolder(
      parent.Path(), true,
      [&](const FileInfoRecord&, const std::string& folder, const std::string& name) {
        written.push_back(folder + name);
        return true;
      },
      nullptr);
  ASSERT_EQ(written.size(), 4u);  // ".." cannot be a file name and is skipped
  for (const std::string& path : written) {
    EXPECT_EQ(path.rfind(out + "/", 0), 0u) << path;
    EXPECT_EQ(path.find("/../"), std::string::npos) << path;
  }
  EXPECT_TRUE(FileExists(out + "/text/.._.._.._outside"));
  EXPECT_TRUE(FileExists(out + "/text/_etc_passwd"));
  EXPECT_TRUE(FileExists(out + "/.._./x"));
}

}  // namespace
}  // namespace brae
