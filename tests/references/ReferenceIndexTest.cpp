#include "references/ReferenceIndex.h"

#include <gtest/gtest.h>

#include "mkdemo/DemoGame.h"
#include "references/AddonReferenceCheck.h"
#include "references/ReferenceFixture.h"
#include "references/ReferenceLines.h"

namespace brae {
namespace {

using test::Has;
using test::Id;
using test::kNone;
using test::Sources;
using test::Tag;

// The game: the base archive (kind 3) holds a chain model → geometry → collection reference →
// collection → sounds, a mesh with its detail map, monsters and a cycle; a kind-1 archive that
// is not in the working set holds a projectile; the local folder shadows one sound.
class References : public test::ReferenceFixture {
 protected:
  void MakeGame() {
    demo::DemoArchive& base = game_.Archive("tags", "base", 3);
    demo::DemoTag sprites = demo::DemoCollectionTags()[0];  // sounds 'step' and 'ding'
    sprites.subgroup = Id("dspr");
    base.tags.push_back(sprites);
    base.tags.push_back(Tag("soun", "step", "Step"));  // 'ding' is missing
    base.tags.push_back(Tag("core", "crf1", "Ref", test::HeaderWithId(384, 0, Id("dspr"))));
    base.tags.push_back(Tag("geom", "geo1", "Geo", test::HeaderWithId(128, 4, Id("crf1"))));
    base.tags.push_back(Tag("mode", "mod1", "Model", test::HeaderWithId(64, 4, Id("geo1"))));
    base.tags.push_back(Tag("mesh", "msh1", "Valley", test::MeshData(Id("terr"), Id("wate"))));
    base.tags.push_back(Tag("mesh", "msh2", "Hill", test::MeshData(Id("hill"), kNone)));
    base.tags.push_back(Tag(".256", "terr", "Valley Map"));
    base.tags.push_back(Tag(".256", "hill", "Hill Map"));
    base.tags.push_back(Tag("medi", "wate", "Water"));
    base.tags.push_back(Tag("dmap", "terr", "Valley Details",
                            test::DetailMapData(Id("rock"), Id("gone"), Id("unus")), 2));
    base.tags.push_back(Tag("dtex", "rock", "Rock"));
    base.tags.push_back(
        Tag("mons", "gobl", "Goblin",
            test::MonsterData(Id("dspr"), 1, Id("step"), kNone, Id("rock"), Id("fire"))));
    base.tags.push_back(
        Tag("mons", "aaaa", "A", test::MonsterData(kNone, -1, kNone, kNone, Id("bbbb"), kNone)));
    base.tags.push_back(
        Tag("mons", "bbbb", "B", test::MonsterData(kNone, -1, kNone, kNone, Id("aaaa"), kNone)));
    game_.Archive("tags", "old", 1).tags.push_back(Tag("proj", "fire", "Fireball"));
    game_.AddLocal(Tag("soun", "step", "My Step"));
  }
};

TEST_F(References, EveryFormatGivesItsReferencesWithPaths) {
  MakeGame();
  LoadWithIndex();
  const auto& sprites = Refs(".256", "dspr");
  EXPECT_TRUE(Has(sprites, "sequences[0].first_sound", Id("soun"), Id("step")));
  EXPECT_TRUE(Has(sprites, "sequences[1].key_sound", Id("soun"), Id("ding")));
  EXPECT_EQ(sprites.size(), 2u);  // no sound is 0xFFFFFFFF
  EXPECT_TRUE(Has(Refs("core", "crf1"), "collection", Id(".256"), Id("dspr")));
  EXPECT_TRUE(Has(Refs("geom", "geo1"), "collection_reference", Id("core"), Id("crf1")));
  EXPECT_TRUE(Has(Refs("mode", "mod1"), "geometry", Id("geom"), Id("geo1")));
  const auto& mesh = Refs("mesh", "msh1");
  ASSERT_EQ(mesh.size(), 3u);
  EXPECT_TRUE(Has(mesh, "colour_map", Id(".256"), Id("terr")));
  EXPECT_TRUE(Has(mesh, "detail_map", Id("dmap"), Id("terr")));
  EXPECT_TRUE(mesh[1].optional);
  EXPECT_TRUE(Has(mesh, "media", Id("medi"), Id("wate")));
  EXPECT_EQ(Refs("mesh", "msh2").size(), 2u);  // no media
  const auto& details = Refs("dmap", "terr");
  ASSERT_EQ(details.size(), 2u);  // the unused material 5 does not count
  EXPECT_TRUE(Has(details, "materials[1].texture", Id("dtex"), Id("rock")));
  EXPECT_TRUE(Has(details, "materials[2].texture", Id("dtex"), Id("gone")));
  const auto& goblin = Refs("mons", "gobl");
  ASSERT_EQ(goblin.size(), 5u);
  EXPECT_TRUE(Has(goblin, "looks", Id(".256"), Id("dspr")));
  EXPECT_TRUE(Has(goblin, "sounds[0]", Id("soun"), Id("step")));
  EXPECT_TRUE(Has(goblin, "any", kAnyGroup, Id("rock")));
  EXPECT_TRUE(Has(goblin, "attack.proj", Id("proj"), Id("fire")));
  EXPECT_TRUE(Has(goblin, "idle", Id(".256"), Id("dspr")));  // through its collection
  EXPECT_TRUE(Refs("soun", "step").empty());
  EXPECT_TRUE(Refs("mons", "none").empty());
}

TEST_F(References, UsagesExistenceAndBrokenReferences) {
  MakeGame();
  LoadWithIndex();
  // The local copy shadows the archived sound: references to it still find it.
  EXPECT_EQ(
      Sources(Uses("soun", "step")),
      (std::vector<std::string>{".256 dspr sequences[0].first_sound", "mons gobl sounds[0]"}));
  EXPECT_EQ(Sources(Uses("dtex", "rock")),
            (std::vector<std::string>{"dmap terr materials[1].texture", "mons gobl any"}));
  EXPECT_EQ(index_->UsageCount({Id(".256"), Id("dspr")}), 2u);  // core crf1 and mons gobl
  // Cycles are plain references both ways.
  EXPECT_EQ(Sources(Uses("mons", "aaaa")), (std::vector<std::string>{"mons bbbb any"}));
  EXPECT_EQ(Sources(Uses("mons", "bbbb")), (std::vector<std::string>{"mons aaaa any"}));

  // Missing targets: a sound nobody has, a texture, a projectile only in an inactive archive.
  // The mesh without a detail map is not broken.
  std::vector<std::string> broken = Sources(index_->BrokenReferences());
  EXPECT_EQ(broken,
            (std::vector<std::string>{".256 dspr sequences[1].key_sound",
                                      "dmap terr materials[2].texture", "mons gobl attack.proj"}));
  // Activating the old archive brings the projectile in.
  std::vector<ArchiveRecord*> all;
  for (size_t i = 0; i < codex_.ArchiveCount(); ++i) all.push_back(codex_.ArchiveAt(i));
  codex_.SetActiveArchives(all);
  EXPECT_EQ(index_->BrokenReferences().size(), 2u);
}

TEST_F(References, OnlyTagsOfReferenceGroupsAreReadAndOnlyOnce) {
  MakeGame();
  LoadWithIndex();
  index_->ScanAll();
  // Three collections, core, geom, mode, two meshes, the detail map, three monsters; no
  // sound, texture or media tag.
  EXPECT_EQ(index_->ReadCount(), 12u);
  Uses("soun", "step");
  index_->BrokenReferences();
  Refs("mons", "gobl");
  EXPECT_EQ(index_->ReadCount(), 12u);
}

TEST_F(References, LocalSaveRereadsOnlyThatTag) {
  MakeGame();
  LoadWithIndex();
  index_->ScanAll();
  const size_t reads = index_->ReadCount();
  // A local copy of the goblin that looks like the glow collection and drops its sound.
  SaveLocal("mons", "gobl", test::MonsterData(Id("glow"), -1, kNone, kNone, kNone, kNone));
  EXPECT_EQ(Sources(Uses("soun", "step")),
            (std::vector<std::string>{".256 dspr sequences[0].first_sound"}));
  EXPECT_EQ(Sources(Uses(".256", "glow")), (std::vector<std::string>{"mons gobl looks"}));
  EXPECT_EQ(index_->ReadCount(), reads + 1);
  // The projectile reference went with the old data.
  EXPECT_EQ(index_->BrokenReferences().size(), 3u);  // ding, gone, and now glow
}

TEST_F(References, RenamesAndDeletesMoveTheEntries) {
  MakeGame();
  game_.AddLocal(Tag("soun", "newx", "New Sound"));
  game_.AddLocal(Tag("soli", "list", "List", test::SoundListData({Id("newx"), Id("step")})));
  LoadWithIndex();
  EXPECT_EQ(Sources(Uses("soun", "newx")), (std::vector<std::string>{"soli list sounds[0]"}));
  const size_t reads = index_->ReadCount();

  // The target gets another id: the reference now points nowhere; nothing is read again.
  ASSERT_TRUE(codex_.ChangeTagInfo(Find("soun", "newx"), Id("newy"), nullptr));
  EXPECT_TRUE(Uses("soun", "newy").empty());
  auto broken = Sources(index_->BrokenReferences());
  EXPECT_NE(std::find(broken.begin(), broken.end(), "soli list sounds[0]"), broken.end());
  EXPECT_EQ(index_->ReadCount(), reads);

  // The source gets another id: its references move with it.
  ASSERT_TRUE(codex_.ChangeTagInfo(Find("soli", "list"), Id("lis2"), nullptr));
  EXPECT_EQ(Sources(Uses("soun", "step")),
            (std::vector<std::string>{".256 dspr sequences[0].first_sound", "mons gobl sounds[0]",
                                      "soli lis2 sounds[1]"}));
  EXPECT_EQ(index_->ReadCount(), reads + 1);

  // Deleted: gone from the usages.
  ASSERT_TRUE(codex_.DeleteLocalTag(Find("soli", "lis2")));
  EXPECT_EQ(
      Sources(Uses("soun", "step")),
      (std::vector<std::string>{".256 dspr sequences[0].first_sound", "mons gobl sounds[0]"}));
}

TEST_F(References, HostileDataNeverCrashesTheScan) {
  demo::DemoArchive& a = game_.Archive("tags", "bad", 3);
  a.tags.push_back(Tag("mesh", "shrt", "Short Mesh", std::string(1000, '\xFF')));
  a.tags.push_back(Tag(".256", "shrt", "Short Collection", std::string(100, '\x7F')));
  // A collection claiming 0xFFFFFFFF sequences far past its end, and one whose block lies
  // outside the data.
  std::vector<uint8_t> c(320 + 128, 0);
  test::PutU32(c, 128, 0xFFFFFFFFu);
  test::PutU32(c, 132, 0);
  test::PutU32(c, 248, 320);
  a.tags.push_back(Tag(".256", "many", "Many", test::Bytes(c)));
  test::PutU32(c, 128, 1);
  test::PutU32(c, 320 + 64, 0xFFFFFF00u);
  a.tags.push_back(Tag(".256", "far ", "Far", test::Bytes(c)));
  test::PutU32(c, 248, 0xFFFFFFF0u);
  a.tags.push_back(Tag(".256", "wrap", "Wrap", test::Bytes(c)));
  a.tags.push_back(Tag("dmap", "junk", "Junk", std::string(300, '\x55'), 2));
  a.tags.push_back(Tag("dmap", "vers", "Version 9", std::string(300, '\x00'), 9));
  a.tags.push_back(Tag("geom", "shrt", "Short", std::string(127, '\x01')));
  a.tags.push_back(Tag("mode", "shrt", "Short", std::string(3, '\x01')));
  a.tags.push_back(Tag("core", "empt", "Empty", ""));
  a.tags.push_back(Tag("mons", "shrt", "Short Monster", std::string(25, '\x01')));
  LoadWithIndex();
  EXPECT_TRUE(index_->BrokenReferences().empty());
  EXPECT_TRUE(Refs("mesh", "shrt").empty());
  EXPECT_TRUE(Refs(".256", "many").empty());
  EXPECT_TRUE(Refs(".256", "far ").empty());
  EXPECT_TRUE(Refs("mons", "shrt").empty());
}

TEST_F(References, ATagBeingReadElsewhereIsReadLater) {
  MakeGame();
  LoadWithIndex();
  TagHeader header;
  ASSERT_TRUE(codex_.BeginTagRead(Find("mons", "gobl"), &header));
  EXPECT_EQ(Sources(Uses("soun", "step")),
            (std::vector<std::string>{".256 dspr sequences[0].first_sound"}));
  codex_.EndTagRead(Find("mons", "gobl"));
  EXPECT_EQ(
      Sources(Uses("soun", "step")),
      (std::vector<std::string>{".256 dspr sequences[0].first_sound", "mons gobl sounds[0]"}));
}

TEST_F(References, ArchiveChangesForgetEverything) {
  MakeGame();
  LoadWithIndex();
  index_->ScanAll();
  const size_t reads = index_->ReadCount();
  codex_.SetActiveArchives({});
  EXPECT_TRUE(index_->BrokenReferences().empty());
  EXPECT_TRUE(Uses("soun", "step").empty());  // only the local sound is left, used by no one
  EXPECT_EQ(index_->ReadCount(), reads);
}

// ---- What the windows show

TEST_F(References, LinesMarkMissingTargetsAndRowsNameTheSources) {
  MakeGame();
  LoadWithIndex();
  std::vector<ReferenceLine> lines = ReferenceLines(codex_, *index_, {Id("mesh"), Id("msh1")});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "colour_map -> .256 terr 'Valley Map'");
  EXPECT_FALSE(lines[0].missing);
  EXPECT_EQ(lines[1].text, "detail_map -> dmap terr 'Valley Details'");
  EXPECT_EQ(lines[2].text, "media -> medi wate 'Water'");
  // A missing detail map is no fault: the line is left out.
  lines = ReferenceLines(codex_, *index_, {Id("mesh"), Id("msh2")});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "colour_map -> .256 hill 'Hill Map'");
  lines = ReferenceLines(codex_, *index_, {Id("mons"), Id("gobl")});
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].text, "attack.proj -> proj fire (missing)");
  EXPECT_TRUE(lines[3].missing);
  EXPECT_EQ(lines[2].text, "any -> any rock 'Rock'");

  std::vector<UsageRow> rows = UsageRows(codex_, *index_, {Id("soun"), Id("step")});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].group, "mons");
  EXPECT_EQ(rows[1].name, "Goblin");
  EXPECT_EQ(rows[1].path, "sounds[0]");
  EXPECT_EQ(rows[1].location, "base");
}

TEST_F(References, DeletingCountsOnlyUsagesThatWouldBreak) {
  MakeGame();
  game_.AddLocal(Tag("soun", "mine", "Mine"));
  game_.AddLocal(Tag("soli", "list", "List", test::SoundListData({Id("mine"), Id("mine")})));
  game_.AddLocal(Tag("soli", "lis2", "List 2", test::SoundListData({Id("mine")})));
  LoadWithIndex();
  EXPECT_EQ(UsagesLostByDeleting(codex_, *index_, Find("soun", "mine")), 2u);
  // The archived sound stays when its local copy goes.
  EXPECT_EQ(UsagesLostByDeleting(codex_, *index_, Find("soun", "step")), 0u);
}

// ---- The add-on check

TEST_F(References, AddonCheckListsWhatPlayersWillNotHave) {
  MakeGame();
  game_.Archive("plugins", "other", 6, 100).tags.push_back(Tag("soun", "plug", "Plugin Sound"));
  game_.AddLocal(Tag("soun", "newx", "New Sound"));
  game_.AddLocal(Tag("soli", "list", "List",
                     test::SoundListData({Id("step"), Id("newx"), Id("plug"), Id("nowh")})));
  game_.AddLocal(Tag("mesh", "mesh", "Mesh", test::MeshData(Id("hill"), kNone)));
  LoadWithIndex();
  std::vector<TagRecord*> records = {Find("soli", "list"), Find("soun", "newx"),
                                     Find("mesh", "mesh")};
  // 'step' is in the game (also shadowed locally), 'newx' goes along, 'plug' is only in
  // another add-on, 'nowh' nowhere; the mesh's colour map is in the game and its detail map
  // may be missing.
  EXPECT_EQ(Sources(FindAddonMissingReferences(codex_, *index_, records)),
            (std::vector<std::string>{"soli list sounds[2]", "soli list sounds[3]"}));
  // Without 'newx' in the add-on it is missing too, though it exists locally.
  records.erase(records.begin() + 1);
  EXPECT_EQ(FindAddonMissingReferences(codex_, *index_, records).size(), 3u);
  EXPECT_FALSE(IsInGameArchives(codex_, {Id("proj"), Id("fire")}));  // kind 1
  EXPECT_FALSE(IsInGameArchives(codex_, {Id("soun"), Id("plug")}));
  // The game's archives count whether the working set holds them or not.
  codex_.SetActiveArchives({});
  EXPECT_TRUE(IsInGameArchives(codex_, {Id("soun"), Id("step")}));
  EXPECT_TRUE(IsInGameArchives(codex_, {kAnyGroup, Id("dspr")}));
}

class ScriptedAddonUi : public AddonUi {
 public:
  bool RunAddonDialog(std::string* name, std::string* url, std::string* priority) override {
    ++dialogs;
    *name = "Checked";
    *url = "u";
    *priority = "100";
    return true;
  }
  void ShowMessage(const std::string& title, const std::string&, const std::string&) override {
    messages.push_back(title);
  }
  bool AskBuildAnyway(const std::string& text) override {
    questions.push_back(text);
    return build_anyway;
  }
  bool build_anyway = false;
  int dialogs = 0;
  std::vector<std::string> messages, questions;
};

TEST_F(References, AddonBuilderAsksBeforeAnythingElse) {
  MakeGame();
  game_.AddLocal(Tag("soli", "list", "Sound List", test::SoundListData({Id("step"), Id("nowh")})));
  LoadWithIndex();
  ScriptedAddonUi ui;
  IndexAddonReferenceCheck check(*index_);
  AddonBuilder builder(codex_, ui);
  builder.SetReferenceCheck(&check);
  EXPECT_FALSE(builder.BuildRegularAddon());  // Cancel: no dialog, nothing written
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0],
            "1 references point to tags that players will not have\nSound List (soli list) "
            "sounds[1] -> soun nowh");
  EXPECT_EQ(ui.dialogs, 0);
  EXPECT_FALSE(codex_.FindArchiveByPath(Root() + "plugins/Checked"));
  ui.build_anyway = true;
  EXPECT_TRUE(builder.BuildRegularAddon());
  EXPECT_EQ(ui.dialogs, 1);
  EXPECT_TRUE(codex_.FindArchiveByPath(Root() + "plugins/Checked"));
}

TEST(MissingReferencesText, ListsAtMostTheFirstLines) {
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) lines.push_back("r" + std::to_string(i));
  std::string text = MissingReferencesText(lines, 2);
  EXPECT_EQ(text,
            "25 references point to tags that players will not have\nr0\nr1\n... and 23 more");
}

}  // namespace
}  // namespace brae
