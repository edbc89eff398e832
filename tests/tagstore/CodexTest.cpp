#include "tagstore/Codex.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <thread>

#include "GameFixture.h"

namespace brae {
namespace {

using test::Tag;

class CodexRules : public test::GameFixture {};

TEST_F(CodexRules, LocalBeatsAddonsAndDeletingFallsBackToHighestPriority) {
  game_.Archive("plugins", "p100", 6, 100)
      .tags.push_back(Tag("scen", "rock", "Rock", "one hundred"));
  game_.Archive("plugins", "p200", 6, 200)
      .tags.push_back(Tag("scen", "rock", "Rock", "two hundred"));
  game_.AddLocal(Tag("scen", "rock", "Rock", "local"));
  Load();
  TagRecord* r = Find("scen", "rock");
  ASSERT_TRUE(r);
  EXPECT_EQ(codex_.GetLocationName(r), "local folder");
  EXPECT_EQ(ReadData(r), "local");
  Listen();
  ASSERT_TRUE(codex_.DeleteLocalTag(r));
  EXPECT_EQ(log_.events, (std::vector<std::string>{"2 scen rock"}));
  EXPECT_EQ(codex_.GetLocationName(r), "p200");
  EXPECT_EQ(ReadData(r), "two hundred");
}

TEST_F(CodexRules, EqualPrioritiesPreferTheGreatestFileName) {
  game_.Archive("plugins", "Alpha", 6, 100).tags.push_back(Tag("text", "same", "S", "alpha"));
  game_.Archive("plugins", "Beta", 6, 100).tags.push_back(Tag("text", "same", "S", "beta"));
  Load();
  EXPECT_EQ(codex_.GetLocationName(Find("text", "same")), "Beta");
}

TEST_F(CodexRules, RankDecidesBeforePriority) {
  game_.Archive("tags", "interface", 3).tags.push_back(Tag("text", "same", "S", "rank 0"));
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "same", "S", "rank 1"));
  game_.Archive("plugins", "addon", 6, 2).tags.push_back(Tag("text", "same", "S", "rank 2"));
  Load();
  EXPECT_EQ(ReadData(Find("text", "same")), "rank 2");
}

TEST_F(CodexRules, TagsOfInactiveArchivesAreInvisible) {
  game_.Archive("tags", "base", 1).tags.push_back(Tag("unit", "warr", "Warrior"));
  Load();
  EXPECT_FALSE(Find("unit", "warr"));
  std::vector<TagRecord*> all;
  codex_.ListTags(&all);
  EXPECT_TRUE(all.empty());
  codex_.SetActiveArchives({codex_.ArchiveAt(0)});
  EXPECT_TRUE(Find("unit", "warr"));
  EXPECT_FALSE(codex_.FindTag(FourCC("unit"), kNoSubgroup));
}

TEST_F(CodexRules, PlaceholderHeaderAndListsInIndexOrder) {
  game_.Archive("tags", "patch", 2).tags = {Tag("unit", "bbbb", "B"), Tag("text", "zzzz", "Z"),
                                            Tag("unit", "aaaa", "A")};
  game_.Archive("tags", "base", 1).tags.push_back(Tag("unit", "hide", "Hidden"));
  game_.AddLocal(Tag("text", "loca", "Local"));
  Load();
  std::vector<TagRecord*> all, local, units;
  codex_.ListTags(&all);
  codex_.ListLocalTags(&local);
  codex_.ListTagsOfGroup(FourCC("unit"), &units);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0]->subgroup, FourCC("loca"));
  EXPECT_EQ(all[1]->subgroup, FourCC("zzzz"));
  EXPECT_EQ(all[2]->subgroup, FourCC("aaaa"));
  EXPECT_EQ(local.size(), 1u);
  EXPECT_EQ(units.size(), 2u);
  std::vector<TagRecord*> records;
  codex_.ListAllRecords(&records);
  TagRecord* hidden = nullptr;
  for (TagRecord* r : records) {
    if (r->subgroup == FourCC("hide")) hidden = r;
  }
  ASSERT_TRUE(hidden);
  TagHeader h;
  codex_.GetEffectiveHeader(hidden, &h);
  EXPECT_EQ(h.Name(), "~codex_placeholder~");
  EXPECT_EQ(h.subgroup, FourCC("hide"));
  EXPECT_EQ(h.size, 0u);
}

TEST_F(CodexRules, UsersAreCountedOnceAndKeepRecordsAlive) {
  game_.AddLocal(Tag("text", "used", "Used"));
  Load();
  TagRecord* r = Find("text", "used");
  int a = 0, b = 0;
  EXPECT_EQ(codex_.AddTagUser(r, kUserEditor, &a), 1u);
  EXPECT_EQ(codex_.AddTagUser(r, kUserEditor, &a), 1u);
  EXPECT_EQ(codex_.AddTagUser(r, kUserInfo, &b), 2u);
  EXPECT_EQ(codex_.TotalUserCount(), 2u);
  TagUser user;
  ASSERT_TRUE(codex_.FindTagUser(r, 1, &user));
  EXPECT_EQ(user.kind, kUserInfo);
  EXPECT_FALSE(codex_.FindTagUser(r, 2, &user));
  EXPECT_FALSE(codex_.DeleteLocalTag(r));
  EXPECT_TRUE(test::ReadFile(Local("text", "Used")).size() > 0);
  EXPECT_FALSE(codex_.CloseLocalTags());
  codex_.RemoveTagUser(r, kUserEditor, &a);
  codex_.RemoveTagUser(r, kUserInfo, &b);
  EXPECT_TRUE(codex_.CloseLocalTags());
  EXPECT_FALSE(Find("text", "used"));
}

TEST_F(CodexRules, LocalFilesInTheWrongFolderOrUnreadableNeverEnter) {
  Write();
  test::WriteBytes(Local("text", "Noise"), demo::LooseTagBytes(Tag("soun", "boom", "Noise")));
  test::WriteFile(Local("text", "Garbage"), std::string(100, 'g'));
  test::WriteFile(Local("text", "Tiny"), "abc");
  TheMessageLog().Clear();
  codex_.LoadCodex(dir_.Path());
  std::vector<TagRecord*> all;
  codex_.ListTags(&all);
  EXPECT_TRUE(all.empty());
  EXPECT_NE(CodexLog().find("'Noise', a 'Sounds' file, was found in the 'Text' folder."),
            std::string::npos);
}

TEST_F(CodexRules, LocalFileExistsUsesTheSanitisedName) {
  game_.AddLocal(Tag("text", "aaaa", "a_b_"), "a_b_");
  Load();
  EXPECT_TRUE(codex_.LocalFileExists(FourCC("text"), "a:b?"));
  EXPECT_FALSE(codex_.LocalFileExists(FourCC("text"), "other"));
}

class CodexWrites : public test::GameFixture {};

TEST_F(CodexWrites, SaveCreatesALocalCopyThatBecomesEffective) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "note", "Note", "archived"));
  Load();
  TagRecord* r = Find("text", "note");
  TagHeader h;
  codex_.GetEffectiveHeader(r, &h);
  h.user_data = 0x1234;
  h.version = 9;
  FileStream* out = codex_.BeginTagWrite(r, &h);
  ASSERT_TRUE(out);
  EXPECT_EQ(h.identifier, -1);
  EXPECT_EQ(h.offset, 64u);
  ASSERT_TRUE(out->Seek(64));
  ASSERT_TRUE(out->Write("edited!", 7));
  ASSERT_TRUE(codex_.EndTagWrite(r, &h, true));
  ASSERT_TRUE(r->local);
  EXPECT_EQ(r->local->file_name, "Note");
  EXPECT_EQ(r->local->header.size, 7u);
  EXPECT_EQ(r->local->header.user_data, 0x1234u);
  EXPECT_EQ(ReadData(r), "edited!");
  EXPECT_TRUE(codex_.IsDirty());

  const std::vector<uint8_t> file = test::ReadBytes(Local("text", "Note"));
  ASSERT_EQ(file.size(), 71u);
  TagHeader on_disk;
  ASSERT_TRUE(ParseTagHeader(file.data(), &on_disk));
  EXPECT_EQ(on_disk.size, 7u);
  EXPECT_EQ(on_disk.version, 9);
  EXPECT_EQ(on_disk.foundation_index, 255);
  EXPECT_EQ(on_disk.signature, kSignatureVrn2);

  Listen();
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"2 text note"}));
  EXPECT_FALSE(codex_.IsDirty());
}

TEST_F(CodexWrites, FailedSaveKeepsThePreviousLocalFileByteForByte) {
  game_.AddLocal(Tag("text", "keep", "Keep", "precious words"));
  Load();
  const std::vector<uint8_t> before = test::ReadBytes(Local("text", "Keep"));
  TagRecord* r = Find("text", "keep");
  TagHeader h = r->local->header;
  FileStream* out = codex_.BeginTagWrite(r, &h);
  ASSERT_TRUE(out);
  // Half of the new data is written, then the editor's writer fails.
  out->Seek(64);
  out->Write("half", 4);
  EXPECT_EQ(test::ReadBytes(Local("text", "Keep")), before);
  EXPECT_FALSE(codex_.EndTagWrite(r, &h, false));
  EXPECT_EQ(test::ReadBytes(Local("text", "Keep")), before);
  ASSERT_TRUE(r->local);
  EXPECT_EQ(ReadData(r), "precious words");
  // No temporary file stays behind.
  int files = 0;
  ScanFolder(
      Root() + "local", true,
      [&](const FileInfoRecord&, const std::string&, const std::string&) { return ++files; },
      nullptr);
  EXPECT_EQ(files, 1);
}

TEST_F(CodexWrites, FailedFirstSaveLeavesNoFileAndNoLocalCopy) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "note", "Note", "archived"));
  Load();
  TagRecord* r = Find("text", "note");
  TagHeader h;
  codex_.GetEffectiveHeader(r, &h);
  ASSERT_TRUE(codex_.BeginTagWrite(r, &h));
  EXPECT_FALSE(codex_.EndTagWrite(r, &h, false));
  EXPECT_FALSE(FileExists(Local("text", "Note")));
  EXPECT_FALSE(r->local);
  EXPECT_EQ(ReadData(r), "archived");
}

TEST_F(CodexWrites, BatchPlacesEveryFileOnlyAtItsEnd) {
  game_.AddLocal(Tag("text", "keep", "Keep", "old words"));
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "note", "Note", "archived"));
  Load();
  const std::vector<uint8_t> before = test::ReadBytes(Local("text", "Keep"));
  auto write = [&](TagRecord* r, const std::string& body) {
    TagHeader h;
    codex_.GetEffectiveHeader(r, &h);
    FileStream* out = codex_.BeginTagWrite(r, &h);
    ASSERT_TRUE(out);
    out->Seek(64);
    out->Write(body.data(), body.size());
    EXPECT_TRUE(codex_.EndTagWrite(r, &h, true));
  };
  codex_.BeginWriteBatch();
  write(Find("text", "keep"), "new words");
  write(Find("text", "note"), "now local");
  // Nothing is in place yet: the old local file and the archived copy are still in force.
  EXPECT_EQ(test::ReadBytes(Local("text", "Keep")), before);
  EXPECT_FALSE(std::filesystem::exists(Local("text", "Note")));
  EXPECT_EQ(ReadData(Find("text", "note")), "archived");
  EXPECT_TRUE(codex_.EndWriteBatch().empty());
  EXPECT_EQ(ReadData(Find("text", "keep")), "new words");
  EXPECT_EQ(ReadData(Find("text", "note")), "now local");
  EXPECT_EQ(codex_.GetLocationName(Find("text", "note")), "local folder");
  // No temporary file is left behind.
  int files = 0;
  ScanFolder(
      Root() + "local/", false,
      [&](const FileInfoRecord&, const std::string&, const std::string&) { return ++files; },
      nullptr);
  EXPECT_EQ(files, 0);

  // The replaced local file is kept as a spare, and the next batch writes into it: a shorter
  // tag keeps none of the spare's longer old bytes.
  const std::string spares = Root() + "local/.brae-spares/";
  auto spare_files = [&] {
    std::vector<std::string> names;
    ScanFolder(
        spares, false,
        [&](const FileInfoRecord&, const std::string&, const std::string& name) {
          names.push_back(name);
          return true;
        },
        nullptr);
    return names;
  };
  ASSERT_EQ(spare_files().size(), 1u);
  EXPECT_EQ(test::ReadBytes(spares + spare_files()[0]), before);
  codex_.BeginWriteBatch();
  write(Find("text", "keep"), "short");
  EXPECT_TRUE(codex_.EndWriteBatch().empty());
  EXPECT_EQ(ReadData(Find("text", "keep")), "short");
  EXPECT_EQ(test::ReadBytes(Local("text", "Keep")).size(), 64u + 5);
  EXPECT_EQ(spare_files().size(), 1u);  // written over and swapped again
}

TEST_F(CodexWrites, BatchReportsAFileThatCannotBePlaced) {
  game_.AddLocal(Tag("text", "keep", "Keep", "old words"));
  Load();
  TagRecord* r = Find("text", "keep");
  TagHeader h;
  codex_.GetEffectiveHeader(r, &h);
  codex_.BeginWriteBatch();
  FileStream* out = codex_.BeginTagWrite(r, &h);
  ASSERT_TRUE(out);
  out->Seek(64);
  out->Write("lost", 4);
  EXPECT_TRUE(codex_.EndTagWrite(r, &h, true));
  std::filesystem::remove_all(Root() + "local/text");  // the target folder goes away meanwhile
  std::vector<TagRecord*> failed = codex_.EndWriteBatch();
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0], r);
}

TEST_F(CodexWrites, QuikTagsGoTwoFoldersDeep) {
  Load();
  TagHeader h;
  TagRecord* r = codex_.CreateTag(FourCC("quik"), FourCC("song"), "Song", &h, false);
  ASSERT_TRUE(r);
  FileStream* out = codex_.BeginTagWrite(r, &h);
  ASSERT_TRUE(out);
  out->Seek(64);
  out->Write("mp3", 3);
  ASSERT_TRUE(codex_.EndTagWrite(r, &h, true));
  EXPECT_TRUE(FileExists(Root() + "local/quicktime/mp3/Song"));
}

TEST_F(CodexWrites, UnsafeFileNamesAreMadeSafe) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "evil", "../../escape", "x"));
  Load();
  TagRecord* r = Find("text", "evil");
  ASSERT_TRUE(codex_.CopyToLocal(r));
  EXPECT_EQ(r->local->file_name, ".._.._escape");
  EXPECT_TRUE(FileExists(Local("text", ".._.._escape")));
  EXPECT_FALSE(FileExists(Root() + "escape"));
}

// Files reach their place through a temporary file. A new one gets what any program's new file
// gets (0666 less the umask); one that replaces a file keeps that file's mode.
TEST_F(CodexWrites, WrittenFilesGetTheUmasksModeOrKeepTheReplacedFilesMode) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "note", "Note", "archived"));
  Load();
  const mode_t saved_mask = ::umask(022);
  auto mode = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  auto save = [&](TagRecord* r) {
    TagHeader h;
    codex_.GetEffectiveHeader(r, &h);
    FileStream* out = codex_.BeginTagWrite(r, &h);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Seek(64) && out->Write("words", 5));
    ASSERT_TRUE(codex_.EndTagWrite(r, &h, true));
  };
  save(Find("text", "note"));
  EXPECT_EQ(mode(Local("text", "Note")), 0644u);
  ASSERT_EQ(::chmod(Local("text", "Note").c_str(), 0604), 0);
  save(Find("text", "note"));
  EXPECT_EQ(mode(Local("text", "Note")), 0604u);

  // The add-on writer, under another umask.
  ::umask(027);
  std::vector<TagRecord*> local;
  codex_.ListLocalTags(&local);
  ASSERT_TRUE(codex_.WriteArchive(local, 6, "Addon", "u", 100));
  EXPECT_EQ(mode(Root() + "plugins/Addon"), 0640u);
  ASSERT_EQ(::chmod((Root() + "plugins/Addon").c_str(), 0664), 0);
  ASSERT_TRUE(codex_.WriteArchive(local, 6, "Addon", "u", 100));
  EXPECT_EQ(mode(Root() + "plugins/Addon"), 0664u);
  ::umask(saved_mask);
}

}  // namespace
}  // namespace brae
