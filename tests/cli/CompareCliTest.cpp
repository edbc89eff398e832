// brae-cli diff and addon-diff over the demo game with edited copies: each kind of tag against
// the copy it overrides, worked out from the edits by hand, the exit statuses, and the add-on
// listing as text and as JSON read back.
#include <gtest/gtest.h>

#include <string>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::RunCommand;
using test::ShellQuote;

class CompareCli : public test::DemoGameCli {
 protected:
  demo::DemoGame MakeGame() const override { return demo::MakeCompareDemoGame(); }
  // The rows of a diff (the lines after the first) and its status.
  std::string Rows(const std::string& args, int status = 1) {
    test::CliResult r = RunCli("diff " + Game() + " " + args);
    EXPECT_EQ(r.status, status) << args << "\n" << r.out;
    return r.out.substr(r.out.find('\n') + 1);
  }
};

TEST_F(CompareCli, DiffShowsWhatEachKindOfTagChanges) {
  test::CliResult gale = RunCli("diff " + Game() + " wind gale");
  EXPECT_EQ(gale.status, 1);
  EXPECT_EQ(gale.out,
            "wind gale 'Gale': local folder against collections\n  direction: East -> South\n");
  // A third effect comes into use; max_level shows above min_level 3.
  EXPECT_EQ(Rows("arti ambr"),
            "  effect_count: 2 -> 3\n  effects[2]:  -> added\n  max_level: 8 -> 9\n");
  // Palette entries 1 and 2 (white, and the darkest red of the hue wheel: 0.45 x 255).
  const std::string sprites = Rows(".256 dspr");
  EXPECT_NE(sprites.find("  palette[1-2]: #FFFFFF #720000 -> #FAFAFA #010203\n"), std::string::npos)
      << sprites;
  EXPECT_NE(sprites.find("  sequences[0].ticks: 3 -> 4\n"), std::string::npos) << sprites;
  EXPECT_NE(sprites.find(".pixels:  -> 3 pixels differ\n"), std::string::npos) << sprites;
  EXPECT_NE(sprites.find(" v2\n"), std::string::npos) << sprites;  // the renamed bitmap
  // The add-on's copies against the patch archives they override.
  EXPECT_EQ(Rows("mesh vale"),
            "  shade_below: 200 -> 250\n  vertices.height:  -> 6 vertices in (10, 5)-(12, 6)\n");
  EXPECT_EQ(Rows("dmap oldm"),
            "  vertex_details:  -> 4 vertices in (0, 0)-(3, 0)\n"
            "  vertex_details[material 0]: 4 vertices -> 0 vertices\n"
            "  vertex_details[material 2]: 0 vertices -> 4 vertices\n"
            "  materials[3].texture: none -> gras\n");
  EXPECT_EQ(Rows("soun bell"),
            "  permutations[0].rate: 22050 Hz -> 11025 Hz\n"
            "  permutations[2]: 'Silence' 0 packets, 22050 Hz, 1 (mono) -> \n");
  EXPECT_EQ(Rows("text intr"),
            "  -1: Welcome to the Vale (patched). -> \n"
            "  +1:  -> Welcome to the Vale, updated.\n"
            "  +2:  -> Now with a valley.\n");
  // The local credits override the game's own (inactive) archive.
  EXPECT_EQ(Rows("text cred"),
            "  -1: Made by the demo generator. -> \n  +1:  -> Credits, edited locally.\n");
  // No known format: "big rock v2" against "fixed rock v3"; only byte 1 ('i') is equal.
  EXPECT_EQ(Rows("scen Rock"),
            "  bytes 0-10 (10 differ): 62 69 67 20 72 6F 63 6B ... -> 66 69 78 65 64 20 72 6F "
            "...\n  length: 11 bytes -> 13 bytes\n");
  EXPECT_EQ(Rows("scen Rock --with 'Big Rocks'"), Rows("scen Rock"));
}

TEST_F(CompareCli, DiffStatusIsZeroForEqualCopiesAndTwoForErrors) {
  // The plain demo game keeps a local copy of the sprites equal to the archived one.
  test::TempDir plain;
  ASSERT_TRUE(demo::MakeDemoGame().Write(plain.Path()));
  test::CliResult equal = RunCli("diff " + ShellQuote(plain.Path()) + " .256 dspr --json");
  EXPECT_EQ(equal.status, 0) << equal.out;
  EXPECT_EQ(equal.out,
            "{\"group\":\".256\",\"tag\":\"dspr\",\"name\":\"Demo Sprites\",\"old\":"
            "\"collections\",\"new\":\"local folder\",\"differences\":[]}\n");
  for (const char* args : {".256 glow", ".256 nope", "wind gale --with nowhere", "wind"}) {
    test::CliResult r = RunCli("diff " + Game() + " " + args);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
    EXPECT_EQ(r.out.rfind("brae-cli: ", 0), 0u) << r.out;
  }
  EXPECT_NE(RunCli("diff " + Game() + " .256 glow").out.find("overrides no other copy"),
            std::string::npos);
}

TEST_F(CompareCli, AddonDiffListsNewAndOverridingTagsAsTextAndJson) {
  test::CliResult r = RunCli("addon-diff " + Game() + " 'Valley Update'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1),
            "mesh vale 'Demo Valley': overrides terrain patch\n");
  for (const char* line :
       {"dmap oldm 'Old Detail Map': overrides terrain patch\n",
        "soun bell 'Bell': overrides vorn2 sounds\n",
        "text intr 'Introduction': overrides patch 1.1\n", "text vnot 'Valley Notes': new\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  EXPECT_NE(r.out.find("\n5 tags: 1 new, 4 overriding (4 changed, 0 unreadable)\n"),
            std::string::npos)
      << r.out;
  // The same add-on given as a file path; the JSON read back by another parser.
  if (RunCommand("python3 -c 'pass' 2>/dev/null").status != 0) GTEST_SKIP() << "no python3";
  const std::string file = ShellQuote(dir_.Path() + "/plugins/Valley Update");
  test::CliResult json =
      RunCommand(std::string(BRAE_BUILD_DIR) + "/bin/brae-cli addon-diff " + Game() + " " + file +
                 " --json | python3 -c 'import json,sys; d=json.load(sys.stdin); t=d[\"tags\"]; "
                 "print(d[\"archive\"], d[\"new\"], d[\"overriding\"], d[\"changed\"], len(t)); "
                 "print(t[3][\"overrides\"], [r[\"path\"] for r in t[3][\"differences\"]]); "
                 "print(repr(t[4][\"overrides\"]), t[0][\"differences\"][0])'");
  EXPECT_EQ(json.out,
            "Valley Update 1 4 4 5\n"
            "patch 1.1 ['-1', '+1', '+2']\n"
            "'' {'path': 'shade_below', 'old': '200', 'new': '250'}\n");
}

}  // namespace
}  // namespace brae
