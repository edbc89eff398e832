#include "tagstore/AddonBuilder.h"

#include <gtest/gtest.h>

#include <map>

#include "GameFixture.h"
#include "tagstore/ByteOrder.h"

namespace brae {
namespace {

using test::Tag;

TEST(AddonFields, PriorityBoundsAndFieldNames) {
  int p = 0;
  EXPECT_EQ(CheckAddonFields("n", "u", "1", &p), " version");
  EXPECT_EQ(CheckAddonFields("n", "u", "32768", &p), " version");
  EXPECT_EQ(CheckAddonFields("n", "u", "2", &p), "");
  EXPECT_EQ(p, 2);
  EXPECT_EQ(CheckAddonFields("n", "u", "32767", &p), "");
  EXPECT_EQ(p, 32767);
  EXPECT_EQ(CheckAddonFields("", "", "x", &p), " name url version");
  EXPECT_EQ(CheckAddonFields("n", "u", "", &p), " version");
  EXPECT_EQ(CheckAddonFields("n", "u", "99999999999999999999", &p), " version");
}

class ScriptedUi : public AddonUi {
 public:
  bool RunAddonDialog(std::string* name, std::string* url, std::string* priority) override {
    ++dialogs;
    EXPECT_EQ(*name, "<addon name>");
    EXPECT_EQ(*url, "<addon url>");
    EXPECT_EQ(*priority, "100");
    if (cancel) return false;
    *name = answer_name;
    *url = answer_url;
    *priority = answer_priority;
    return true;
  }
  void ShowMessage(const std::string& title, const std::string& text,
                   const std::string& button) override {
    messages.push_back(title + "|" + text + "|" + button);
  }
  bool cancel = false;
  int dialogs = 0;
  std::string answer_name = "My Mod", answer_url = "http://example.invalid",
              answer_priority = "100";
  std::vector<std::string> messages;
};

class FakeDetailMaps : public DetailMapReader {
 public:
  bool ReadUsedTextures(Codex&, TagRecord* map, std::vector<uint32_t>* ids) override {
    auto it = used.find(map->subgroup);
    if (it == used.end()) return false;
    *ids = it->second;
    return true;
  }
  std::map<uint32_t, std::vector<uint32_t>> used;
};

class Addons : public test::GameFixture {
 protected:
  ScriptedUi ui_;
  FakeDetailMaps maps_;
};

TEST_F(Addons, RegularAddonWithNothingToDo) {
  game_.AddLocal(Tag("mesh", "mesh", "Only A Mesh"));
  Load();
  AddonBuilder builder(codex_, ui_);
  EXPECT_FALSE(builder.BuildRegularAddon());
  EXPECT_EQ(ui_.dialogs, 0);
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{
                              "Message|No addon-allowed files were found in the local folder - "
                              "Nothing to do!|OK"}));
}

TEST_F(Addons, RegularAddonPacksTheAllowedGroups) {
  game_.AddLocal(Tag("text", "txt1", "Text"));
  game_.AddLocal(Tag("soun", "snd1", "Sound"));
  game_.AddLocal(Tag("mesh", "msh1", "Mesh"));
  Load();
  AddonBuilder builder(codex_, ui_);
  ASSERT_TRUE(builder.BuildRegularAddon());
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{
                              "Success|The addon has been written to the plugins folder as 'My "
                              "Mod'|OK"}));
  ArchiveRecord* a = codex_.FindArchiveByPath(Root() + "plugins/My Mod");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->instances.size(), 2u);
  EXPECT_EQ(a->header.kind, 6);
  EXPECT_EQ(a->header.priority, 100);
}

TEST_F(Addons, InvalidFieldsAndCancelWriteNothing) {
  game_.AddLocal(Tag("text", "txt1", "Text"));
  Load();
  AddonBuilder builder(codex_, ui_);
  ui_.answer_name = "";
  ui_.answer_priority = "1";
  EXPECT_FALSE(builder.BuildRegularAddon());
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{"Error|The following fields are invalid:  name "
                                                    "version|OK"}));
  ui_.cancel = true;
  ui_.messages.clear();
  EXPECT_FALSE(builder.BuildRegularAddon());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(codex_.ArchiveCount(), 0u);
}

TEST_F(Addons, FailureShowsTheThreeReasonsAndKeepsTheOldPlugin) {
  game_.Archive("plugins", "My Mod", 6, 100).tags.push_back(Tag("text", "open", "Open"));
  game_.AddLocal(Tag("text", "txt1", "Text"));
  Load();
  int editor = 0;
  codex_.AddTagUser(Find("text", "open"), kUserEditor, &editor);
  AddonBuilder builder(codex_, ui_);
  EXPECT_FALSE(builder.BuildRegularAddon());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0],
            "Error|The addon could not be created. Possible reasons include:\n\xA5Tags from the "
            "destination file are open in Brae.\n\xA5The destination file is open in another "
            "program.\n\xA5Some tags from the local folder were corrupt or unreadable.|OK");
  EXPECT_TRUE(codex_.FindArchiveByPath(Root() + "plugins/My Mod"));
  codex_.RemoveTagUser(Find("text", "open"), kUserEditor, &editor);
}

TEST_F(Addons, DtexAddonTakesMapsAndTheirTexturesFromAnywhere) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("dtex", "rock", "Rock Texture"));
  game_.AddLocal(Tag("dtex", "gras", "Grass Texture"));
  game_.AddLocal(Tag("dmap", "map1", "Valley Map"));
  Load();
  maps_.used[FourCC("map1")] = {FourCC("rock"), kNoSubgroup, FourCC("gras"), FourCC("rock")};
  AddonBuilder builder(codex_, ui_);
  ASSERT_TRUE(builder.BuildDtexAddon(maps_));
  const std::vector<uint8_t> b = test::ReadBytes(Root() + "plugins/My Mod");
  EXPECT_EQ(LoadBE16(b.data() + 100), 0);  // no mesh entries
  EXPECT_EQ(LoadBE16(b.data() + 102), 3);
}

TEST_F(Addons, DtexAddonAbortsOnUnreadableMapsAndMissingTextures) {
  game_.AddLocal(Tag("dmap", "map1", "Valley Map"));
  Load();
  AddonBuilder builder(codex_, ui_);
  EXPECT_FALSE(builder.BuildDtexAddon(maps_));
  EXPECT_EQ(ui_.messages.back(),
            "Error|The detail map 'Valley Map' ('map1') could not be read. Aborting.|Ok");
  maps_.used[FourCC("map1")] = {FourCC("gone")};
  EXPECT_FALSE(builder.BuildDtexAddon(maps_));
  EXPECT_EQ(ui_.messages.back(),
            "Error|The detail map 'Valley Map' (map1) referenced a detail texture ('gone') which "
            "could not be found. Aborting.|Ok");
  EXPECT_EQ(ui_.dialogs, 0);
}

TEST_F(Addons, DtexAddonWithoutLocalMaps) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("dmap", "map1", "Archived Map"));
  Load();
  AddonBuilder builder(codex_, ui_);
  EXPECT_FALSE(builder.BuildDtexAddon(maps_));
  EXPECT_EQ(ui_.messages.back(),
            "Message|No dmaps detected in the local folder - nothing to do!|OK");
}

}  // namespace
}  // namespace brae
