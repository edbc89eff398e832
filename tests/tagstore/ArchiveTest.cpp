#include "tagstore/Archive.h"

#include <gtest/gtest.h>

#include "GameFixture.h"
#include "tagstore/ByteOrder.h"

namespace brae {
namespace {

using test::Tag;

demo::DemoArchive MakeArchive(uint16_t kind, int tags, bool old_layout = false) {
  demo::DemoArchive a;
  a.kind = kind;
  a.priority = 7;
  a.name = "Test";
  a.description = "Described";
  a.old_layout = old_layout;
  for (int i = 0; i < tags; ++i) {
    demo::DemoTag t = Tag("text", "t000", "Tag " + std::to_string(i), "body " + std::to_string(i));
    t.subgroup += uint32_t(i);
    a.tags.push_back(t);
  }
  return a;
}

class ArchiveFiles : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_.Path() + "/" + name;
    test::WriteBytes(path, bytes);
    return path;
  }
  test::TempDir dir_;
};

TEST_F(ArchiveFiles, CurrentLayoutOpens) {
  auto archive = OpenArchive(Put("cur", demo::ArchiveBytes(MakeArchive(2, 3))));
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->header.kind, 2);
  EXPECT_EQ(archive->header.priority, 7);
  EXPECT_STREQ(archive->header.name, "Test");
  EXPECT_STREQ(archive->header.description, "Described");
  EXPECT_EQ(archive->header.signature, kSignatureDng2);
  EXPECT_EQ(archive->file_name, "cur");
  ASSERT_EQ(archive->instances.size(), 3u);
  EXPECT_EQ(archive->instances[2]->header.Name(), "Tag 2");
  EXPECT_EQ(archive->instances[2]->rank, 1);
  EXPECT_EQ(archive->instances[2]->archive, archive.get());
}

TEST_F(ArchiveFiles, OlderLayoutOpensAsKindOne) {
  std::vector<uint8_t> bytes = demo::ArchiveBytes(MakeArchive(1, 10, true));
  EXPECT_EQ(LoadBE32(bytes.data() + 40), bytes.size() - 640);
  auto archive = OpenArchive(Put("old", bytes));
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->header.kind, 1);
  EXPECT_EQ(archive->header.priority, 0);
  EXPECT_EQ(archive->header.signature, kSignatureVorn);
  EXPECT_EQ(archive->header.file_size, bytes.size());
  ASSERT_EQ(archive->instances.size(), 10u);
  EXPECT_EQ(archive->instances[0]->rank, 2);
  EXPECT_EQ(archive->instances[9]->header.signature, kSignatureVorn);
}

TEST_F(ArchiveFiles, StoredSizeOneByteShortIsNotCurrent) {
  std::vector<uint8_t> bytes = demo::ArchiveBytes(MakeArchive(2, 2));
  StoreBE32(bytes.data() + 112, uint32_t(bytes.size() - 1));
  EXPECT_FALSE(OpenArchive(Put("short", bytes)));
}

TEST_F(ArchiveFiles, KindsAndRanks) {
  EXPECT_FALSE(OpenArchive(Put("k4", demo::ArchiveBytes(MakeArchive(4, 1)))));
  EXPECT_FALSE(OpenArchive(Put("k7", demo::ArchiveBytes(MakeArchive(7, 1)))));
  EXPECT_FALSE(OpenArchive(Put("k0", demo::ArchiveBytes(MakeArchive(0, 1)))));
  const int ranks[] = {0, 2, 1, 0, -1, 2, 2};
  for (uint16_t kind = 1; kind <= 6; ++kind) EXPECT_EQ(ArchiveKindRank(kind), ranks[kind]) << kind;
}

// Hostile archives: every count and offset is checked against the file before use.
TEST_F(ArchiveFiles, HostileArchivesAreSkipped) {
  const std::vector<uint8_t> good = demo::ArchiveBytes(MakeArchive(2, 4));
  // Truncated anywhere: never opens (the stored file size no longer matches).
  for (size_t cut : {size_t(0), size_t(10), size_t(127), size_t(128), good.size() - 1}) {
    std::vector<uint8_t> b(good.begin(), good.begin() + long(cut));
    EXPECT_FALSE(OpenArchive(Put("cut" + std::to_string(cut), b))) << cut;
  }
  // A tag count far past the file's end.
  std::vector<uint8_t> b = good;
  StoreBE16(b.data() + 102, 60000);
  EXPECT_FALSE(OpenArchive(Put("count", b)));
  // A mesh count that pushes the directory past the end.
  b = good;
  StoreBE16(b.data() + 100, 65535);
  EXPECT_FALSE(OpenArchive(Put("meshes", b)));
  // An older-layout header with a count whose directory would start before the file.
  std::vector<uint8_t> old(48, 0);
  StoreBE16(old.data(), 1);
  StoreBE16(old.data() + 2, 1);
  StoreBE16(old.data() + 44, 65535);
  EXPECT_FALSE(OpenArchive(Put("oldcount", old)));
  // Not an archive at all, and a folder.
  EXPECT_FALSE(OpenArchive(Put("text", {'h', 'e', 'l', 'l', 'o'})));
  EXPECT_FALSE(OpenArchive(dir_.Path()));
  EXPECT_FALSE(OpenArchive(dir_.Path() + "/missing"));
}

TEST_F(ArchiveFiles, EntryPointingPastTheEndIsNotRead) {
  std::vector<uint8_t> b = demo::ArchiveBytes(MakeArchive(2, 1));
  StoreBE32(b.data() + 128 + 44, 0x7FFFFFF0);  // the directory entry's offset
  test::TempDir game;
  test::WriteBytes(game.Path() + "/tags/bad", b);
  Codex codex;
  codex.LoadCodex(game.Path());
  TagRecord* r = codex.FindTag(FourCC("text"), FourCC("t000"));
  ASSERT_TRUE(r);
  TagHeader h;
  EXPECT_EQ(codex.BeginTagRead(r, &h), nullptr);
}

TEST(ArchiveSortKey, ByKindThenPriority) {
  ArchiveRecord a;
  a.active = true;
  const std::pair<uint16_t, int> keys[] = {{3, -3}, {2, -2}, {4, -2}, {6, -1}, {1, 42}, {5, 42}};
  for (auto [kind, key] : keys) {
    a.header.kind = kind;
    a.header.priority = 42;
    EXPECT_EQ(a.SortKey(), key) << kind;
  }
  a.active = false;
  EXPECT_EQ(a.SortKey(), -1);
}

class ArchiveList : public test::GameFixture {};

TEST_F(ArchiveList, AddArchiveReturnsLoadedOneAndListensers) {
  demo::DemoArchive& a = game_.Archive("tags", "base", 1);
  a.tags.push_back(Tag("text", "aaaa", "A"));
  Write();
  Listen();
  ArchiveRecord* first = codex_.AddArchive(Root() + "tags/base");
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->active);
  EXPECT_EQ(codex_.AddArchive(Root() + "tags/base"), first);
  EXPECT_EQ(codex_.ArchiveCount(), 1u);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"6 base"}));
  EXPECT_EQ(codex_.FindArchiveByPath(Root() + "tags/base"), first);
  EXPECT_EQ(codex_.ArchiveAt(1), nullptr);
  EXPECT_FALSE(codex_.AddArchive(Root() + "tags/none"));
}

TEST_F(ArchiveList, SetActiveArchivesDeduplicatesAndNumbersKindOne) {
  game_.Archive("tags", "one", 1).tags.push_back(Tag("text", "aaaa", "A"));
  game_.Archive("tags", "two", 5).tags.push_back(Tag("text", "bbbb", "B"));
  game_.Archive("plugins", "addon", 6, 300).tags.push_back(Tag("text", "cccc", "C"));
  Load();
  ArchiveRecord* one = codex_.FindArchiveByPath(Root() + "tags/one");
  ArchiveRecord* two = codex_.FindArchiveByPath(Root() + "tags/two");
  ArchiveRecord* addon = codex_.FindArchiveByPath(Root() + "plugins/addon");
  ASSERT_TRUE(one && two && addon);
  // The default working set: kinds 2, 3 and 6 only.
  EXPECT_FALSE(one->active);
  EXPECT_TRUE(addon->active);
  Listen();
  codex_.SetActiveArchives({two, one, one, addon});
  EXPECT_EQ(log_.events, (std::vector<std::string>{"5"}));
  EXPECT_TRUE(one->active && two->active && addon->active);
  EXPECT_EQ(one->header.priority, 0);  // load order: tags/one before tags/two
  EXPECT_EQ(two->header.priority, 1);
  EXPECT_EQ(addon->header.priority, 300);
  EXPECT_EQ(codex_.ActiveArchives(), (std::vector<ArchiveRecord*>{addon, one, two}));
  EXPECT_EQ(codex_.ArchiveAt(0), addon);
}

TEST_F(ArchiveList, RemovingAnArchiveInUseFails) {
  game_.Archive("plugins", "addon", 6, 100).tags.push_back(Tag("text", "aaaa", "A"));
  Load();
  ArchiveRecord* addon = codex_.ArchiveAt(0);
  TagRecord* r = Find("text", "aaaa");
  ASSERT_TRUE(r);
  int editor = 0;
  codex_.AddTagUser(r, kUserEditor, &editor);
  Listen();
  EXPECT_FALSE(codex_.RemoveArchive(addon));
  EXPECT_EQ(log_.events, (std::vector<std::string>{"7 addon"}));
  EXPECT_EQ(codex_.ArchiveCount(), 1u);
  EXPECT_FALSE(codex_.UnloadAllArchives());
  codex_.RemoveTagUser(r, kUserEditor, &editor);
  EXPECT_TRUE(codex_.RemoveArchive(addon));
  EXPECT_EQ(codex_.ArchiveCount(), 0u);
  EXPECT_FALSE(Find("text", "aaaa"));
}

TEST_F(ArchiveList, WriteArchiveLaysOutMeshEntriesDirectoryAndData) {
  for (const char* id : {"m001", "m002"}) {
    demo::DemoTag t = Tag("mesh", "m000", std::string("Mesh ") + id, "mesh-data");
    t.subgroup = MakeFourCC(id[0], id[1], id[2], id[3]);
    game_.AddLocal(t);
  }
  for (int i = 0; i < 5; ++i) {
    demo::DemoTag t =
        Tag("text", "t000", "Text " + std::to_string(i), std::string(10 + i, 'a' + i));
    t.subgroup += uint32_t(i);
    game_.AddLocal(t);
  }
  Load();
  std::vector<TagRecord*> local;
  codex_.ListLocalTags(&local);
  ASSERT_EQ(local.size(), 7u);
  ASSERT_TRUE(codex_.WriteArchive(local, 6, "My Addon", "http://example.invalid/", 150));

  const std::vector<uint8_t> b = test::ReadBytes(Root() + "plugins/My Addon");
  EXPECT_EQ(LoadBE16(b.data()), 6);
  EXPECT_EQ(LoadBE16(b.data() + 2), 150);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 4)), "My Addon");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 36)), "http://example.invalid/");
  EXPECT_EQ(LoadBE16(b.data() + 100), 2);
  EXPECT_EQ(LoadBE16(b.data() + 102), 7);
  EXPECT_EQ(LoadBE32(b.data() + 112), b.size());
  EXPECT_EQ(LoadBE32(b.data() + 120), 352u);
  EXPECT_EQ(LoadBE32(b.data() + 124), FourCC("dng2"));
  EXPECT_EQ(LoadBE32(b.data() + 128), FourCC("m001"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 128 + 48)), "Mesh m001");
  // Directory sorted by group: 'mesh' < 'text'; the first data right after the directory.
  EXPECT_EQ(LoadBE32(b.data() + 352 + 36), FourCC("mesh"));
  EXPECT_EQ(LoadBE32(b.data() + 352 + 44), 800u);
  EXPECT_EQ(LoadBE32(b.data() + 352 + 6 * 64 + 36), FourCC("text"));
  EXPECT_EQ(LoadBE32(b.data() + 352 + 6 * 64 + 60), FourCC("vrn2"));

  ArchiveRecord* written = codex_.FindArchiveByPath(Root() + "plugins/My Addon");
  ASSERT_TRUE(written);
  EXPECT_FALSE(written->active);
  codex_.SetActiveArchives({written});
  EXPECT_EQ(codex_.GetEffectiveInstance(Find("text", "t004"))->rank, kLocalRank);
  codex_.DeleteLocalTag(Find("text", "t004"));
  TagRecord* from_addon = Find("text", "t004");
  ASSERT_TRUE(from_addon);
  EXPECT_EQ(codex_.GetLocationName(from_addon), "My Addon");
  EXPECT_EQ(ReadData(from_addon), std::string(14, 'e'));
}

TEST_F(ArchiveList, FailedWriteKeepsTheLoadedArchiveAndLeavesNoFile) {
  game_.Archive("plugins", "Addon", 6, 100).tags.push_back(Tag("text", "aaaa", "Old", "old"));
  game_.AddLocal(Tag("text", "bbbb", "New", "new"));
  Load();
  const std::vector<uint8_t> before = test::ReadBytes(Root() + "plugins/Addon");
  TagRecord* in_archive = Find("text", "aaaa");
  int editor = 0;
  codex_.AddTagUser(in_archive, kUserEditor, &editor);
  std::vector<TagRecord*> local;
  codex_.ListLocalTags(&local);
  EXPECT_FALSE(codex_.WriteArchive(local, 6, "Addon", "u", 100));
  EXPECT_EQ(test::ReadBytes(Root() + "plugins/Addon"), before);
  EXPECT_TRUE(codex_.FindArchiveByPath(Root() + "plugins/Addon"));
  codex_.RemoveTagUser(in_archive, kUserEditor, &editor);

  // A tag that cannot be read aborts the write; the old archive stays loaded and active.
  TagRecord* bad = Find("text", "bbbb");
  std::remove(Local("text", "New").c_str());
  EXPECT_FALSE(codex_.WriteArchive({bad}, 6, "Addon", "u", 100));
  EXPECT_EQ(test::ReadBytes(Root() + "plugins/Addon"), before);
  ArchiveRecord* kept = codex_.FindArchiveByPath(Root() + "plugins/Addon");
  ASSERT_TRUE(kept);
  EXPECT_TRUE(kept->active);
  int leftovers = 0;
  ScanFolder(
      Root() + "plugins", false,
      [&](const FileInfoRecord&, const std::string&, const std::string&) { return ++leftovers; },
      nullptr);
  EXPECT_EQ(leftovers, 1);
}

TEST_F(ArchiveList, RewritingALoadedAddonReadsItsOwnTagsFirst) {
  // The new add-on takes a tag whose effective copy lies in the add-on being replaced.
  game_.Archive("plugins", "Addon", 6, 100).tags.push_back(Tag("dtex", "gras", "Grass", "pixels"));
  game_.AddLocal(Tag("dmap", "map1", "Map", "map"));
  Load();
  std::vector<TagRecord*> list{Find("dmap", "map1"), Find("dtex", "gras")};
  ASSERT_TRUE(list[0] && list[1]);
  ASSERT_TRUE(codex_.WriteArchive(list, 6, "Addon", "u", 100));
  ArchiveRecord* rewritten = codex_.FindArchiveByPath(Root() + "plugins/Addon");
  ASSERT_TRUE(rewritten);
  ASSERT_EQ(rewritten->instances.size(), 2u);
  codex_.SetActiveArchives({rewritten});
  EXPECT_EQ(ReadData(Find("dtex", "gras")), "pixels");
}

}  // namespace
}  // namespace brae
