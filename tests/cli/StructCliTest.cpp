// brae-cli get and set over the demo game's structure-defined tags: values as the form shows
// them, writes through the local folder, refusals that write nothing, and --all.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::ShellQuote;

class StructCli : public test::DemoGameCli {
 protected:
  std::string Local(const std::string& folder_and_name) const {
    return dir_.Path() + "/local/" + folder_and_name;
  }
  std::string Get(const std::string& args) {
    test::CliResult r = RunCli("get " + Game() + " " + args);
    EXPECT_EQ(r.status, 0) << r.out;
    return r.out;
  }
};

TEST_F(StructCli, GetShowsValuesAsTheFormDoes) {
  std::string all = Get("arti ambr");
  for (const char* line : {"facing=90\n", "pickup_radius=1.500\n", "effects[0].kind=Heal\n",
                           "effects[1].duration=10.000\n", "max_level=8\n", "rarity=Rare\n",
                           "collection=Demo Sprites (dspr)\n", "idle_sequence=0\n"})
    EXPECT_NE(all.find(line), std::string::npos) << line << all;
  EXPECT_EQ(all.find("padding"), std::string::npos);
  EXPECT_EQ(Get("arti ambr flags.bit0 flags.bit1 'effects[1].kind'"),
            "flags.bit0=true\nflags.bit1=false\neffects[1].kind=Burn\n");
  EXPECT_EQ(Get("wind gale direction --json"), "{\"direction\":\"South\"}\n");
}

TEST_F(StructCli, SetWritesTheLocalFileAndGetReadsItBack) {
  ASSERT_FALSE(fs::exists(Local("artifacts/Amber Charm")));  // archived only
  test::CliResult set = RunCli("set " + Game() +
                               " arti ambr flags.bit1=on max_level=9 'effects[1].kind=None' "
                               "rarity=unique facing=90.004 pickup_radius=2.0011 mass=-0.25 "
                               "drop_chance=2 'glow[3]=7'");
  ASSERT_EQ(set.status, 0) << set.out;
  EXPECT_EQ(set.out, "'Amber Charm' (ambr) changed\n");
  EXPECT_TRUE(fs::exists(Local("artifacts/Amber Charm")));
  EXPECT_EQ(Get("arti ambr flags.bit1 max_level min_level 'effects[1].kind' rarity facing "
                "pickup_radius mass drop_chance 'glow[3]'"),
            "flags.bit1=true\nmax_level=9\nmin_level=3\neffects[1].kind=None\nrarity=Unique\n"
            "facing=90\npickup_radius=2.002\nmass=-0.250\ndrop_chance=0.996\nglow[3]=7\n");
  // The show command reads the same local copy.
  test::CliResult shown = RunCli("show " + Game() + " arti ambr");
  EXPECT_NE(shown.out.find("location: local folder"), std::string::npos) << shown.out;

  // Setting what is already there writes nothing.
  fs::file_time_type before = fs::last_write_time(Local("artifacts/Amber Charm"));
  test::CliResult again = RunCli("set " + Game() + " arti ambr rarity=Unique");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, "'Amber Charm' (ambr) unchanged\n");
  EXPECT_EQ(fs::last_write_time(Local("artifacts/Amber Charm")), before);
}

TEST_F(StructCli, ChangingTheCollectionResetsItsSequences) {
  test::CliResult set = RunCli("set " + Game() + " arti ambr collection=none");
  ASSERT_EQ(set.status, 0) << set.out;
  EXPECT_EQ(Get("arti ambr collection idle_sequence use_sequence"),
            "collection=none\nidle_sequence=none\nuse_sequence=none\n");
  set = RunCli("set " + Game() + " arti ambr 'collection=Demo Sprites' idle_sequence=2");
  ASSERT_EQ(set.status, 0) << set.out;
  EXPECT_EQ(Get("arti ambr collection idle_sequence use_sequence"),
            "collection=Demo Sprites (dspr)\nidle_sequence=2\nuse_sequence=none\n");
}

TEST_F(StructCli, RefusalsNameThePathAndWriteNothing) {
  struct Case {
    const char* assignments;
    const char* message;
  };
  const Case cases[] = {
      {"rarity=Rare speed=3", "brae-cli: 'speed': no member 'speed' in 'arti'\n"},
      {"rarity=Rare 'effects[4].kind=Burn'", "brae-cli: 'effects[4].kind': index outside 0..3\n"},
      {"rarity=Legendary", "brae-cli: 'rarity': 'Legendary' is none of: Common, Rare, Unique\n"},
      {"rarity=Rare collection=nothing",
       "brae-cli: 'collection': no tag named 'nothing' of group '.256'\n"},
      {"rarity=Rare mass=heavy", "brae-cli: 'mass': expected a number, not 'heavy'\n"},
      {"rarity=Rare flags.bit40=1", "brae-cli: 'flags.bit40': bit outside 0..31\n"},
      {"rarity", "brae-cli: expected PATH=VALUE, not 'rarity'\n"},
  };
  for (const Case& c : cases) {
    test::CliResult r = RunCli("set " + Game() + " arti ambr " + c.assignments);
    EXPECT_EQ(r.status, 2) << c.assignments;
    EXPECT_EQ(r.out, c.message);
  }
  EXPECT_FALSE(fs::exists(Local("artifacts/Amber Charm")));
  EXPECT_EQ(RunCli("set " + Game() + " arti nope rarity=Rare").status, 2);
  EXPECT_EQ(RunCli("set " + Game() + " text welc rarity=Rare").status, 2);  // no definition
  EXPECT_EQ(RunCli("get " + Game() + " arti ambr speed").status, 2);
}

TEST_F(StructCli, SetAllChangesEveryTagOfTheGroup) {
  test::CliResult r = RunCli("set " + Game() + " wind --all speed=1.5 direction=West");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("'Evening Breeze' (brez) changed\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("'Gale' (gale) changed\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2 of 2 tags changed\n"), std::string::npos) << r.out;
  EXPECT_EQ(Get("wind brez speed direction"), "speed=1.500\ndirection=West\n");
  EXPECT_EQ(Get("wind gale speed direction"), "speed=1.500\ndirection=West\n");
  // One bad value stops everything before anything is written.
  fs::file_time_type before = fs::last_write_time(Local("wind/Gale"));
  r = RunCli("set " + Game() + " wind --all speed=2 direction=Up");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Get("wind brez speed"), "speed=1.500\n");
  EXPECT_EQ(fs::last_write_time(Local("wind/Gale")), before);
}

// A copy of brae-cli with its own res folder, run with the user's folders in a temporary home.
class DefinitionPlaces : public StructCli {
 protected:
  void SetUp() override {
    StructCli::SetUp();
    fs::create_directories(program_.Path() + "/res");
    fs::copy_file(std::string(BRAE_BUILD_DIR) + "/bin/brae-cli", program_.Path() + "/brae-cli");
    // The program ships the demo's definitions, as a copied res folder would hold them.
    test::WriteFile(program_.Path() + "/res/demo structures.xml", demo::DemoDefinitionText());
  }
  // The demo's definitions with the monster's hit points renamed.
  static std::string RenamedHitPoints(const std::string& name) {
    std::string text = demo::DemoDefinitionText();
    const std::string old_member = "<long name=\"hit_points\"/>";
    text.replace(text.find(old_member), old_member.size(), "<long name=\"" + name + "\"/>");
    return text;
  }
  test::CliResult Run(const std::string& args) {
    return test::RunCommand("HOME=" + ShellQuote(home_.Path()) +
                            " XDG_DATA_HOME=" + ShellQuote(home_.Path() + "/data") + " " +
                            ShellQuote(program_.Path() + "/brae-cli") + " " + args + " 2>&1");
  }
  test::TempDir program_, home_;
};

TEST_F(DefinitionPlaces, TheMoreSpecificDefinitionWinsAndTheLogNamesTheOneSetAside) {
  // The game folder's own 'mons' wins over the program's.
  test::WriteFile(dir_.Path() + "/definitions/demo structures.xml", RenamedHitPoints("hp"));
  test::CliResult set = Run("set " + Game() + " mons ogre hp=250");
  ASSERT_EQ(set.status, 0) << set.out;
  EXPECT_NE(set.out.find("The structure 'mons' of '" + program_.Path() +
                         "/res/demo structures.xml' is set aside: '" + dir_.Path() +
                         "/definitions/demo structures.xml' defines it."),
            std::string::npos)
      << set.out;
  EXPECT_NE(Run("get " + Game() + " mons ogre hp").out.find("hp=250\n"), std::string::npos);

  // The user's definitions win over the program's, and the game folder's over the user's.
  test::WriteFile(home_.Path() + "/data/brae/definitions/mine.xml", RenamedHitPoints("life"));
  EXPECT_NE(Run("get " + Game() + " mons ogre hp").out.find("hp=250\n"), std::string::npos);
  fs::remove_all(dir_.Path() + "/definitions");
  test::CliResult mine = Run("get " + Game() + " mons ogre life");
  EXPECT_NE(mine.out.find("life=250\n"), std::string::npos) << mine.out;
  EXPECT_NE(mine.out.find("of '" + program_.Path() + "/res/demo structures.xml' is set aside"),
            std::string::npos)
      << mine.out;
}

}  // namespace
}  // namespace brae
