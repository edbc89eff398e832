// brae-cli build-collection and build-highres over generated folder trees.
#include <gtest/gtest.h>

#include "../collection/BuilderTestSupport.h"
#include "CliTest.h"
#include "collection/CollectionFormat.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::Box;
using test::RunCli;
using test::ShellQuote;

class BuildCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // One archived collection 'hero' with sequence "walk": one view, two 4 × 6 frames.
    Collection c;
    test::MakeOldHero(&c, 2, 1);
    demo::DemoTag tag;
    tag.group = demo::Code(".256");
    tag.subgroup = demo::Code("hero");
    tag.name = "Hero";
    tag.user_data = c.flags;
    tag.version = 4;
    ASSERT_TRUE(SaveCollection(c, &tag.data));
    demo::DemoGame game;
    game.Archive("tags", "base.arc", 2).tags.push_back(tag);
    ASSERT_TRUE(game.Write(game_.Path()));
  }
  std::string Game() const { return ShellQuote(game_.Path()); }
  std::string Tree() const { return dir_.Path() + "/tree"; }
  std::string Build(const std::string& extra) {
    return "build-collection " + Game() + " --name Built --folder " + ShellQuote(Tree()) + " " +
           extra;
  }
  std::string HighRes(const std::string& extra) {
    return "build-highres " + Game() + " --collection hero --folder " +
           ShellQuote(dir_.Path() + "/hires") + " " + extra;
  }
  void WriteHighRes() {
    for (int n = 0; n < 2; ++n) {
      const std::string stem = dir_.Path() + "/hires/walk/f" + std::to_string(n);
      test::WriteImage(stem + ".png", test::FrameImage(20, 20, Box{3, 4, 8, 12}, uint8_t(30 + n)));
      test::WriteImage(stem + ".alpha.png", test::AlphaImage(20, 20, Box{3, 4, 8, 12}));
    }
  }
  static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  // The names of the bitmaps that `show` lists, in their order.
  static std::string BitmapNames(const std::string& shown) {
    std::string names;
    const std::string key = "      name: f";
    for (size_t at = shown.find(key); at != std::string::npos; at = shown.find(key, at + 1))
      names += shown.substr(at + key.size() - 1, 4) + " ";
    return names;
  }

  test::TempDir game_, dir_;
};

TEST_F(BuildCli, BuildCollectionWritesTheTagAndPrintsItsLog) {
  test::WriteSequence(Tree() + "/walk(2,3)", 6);
  test::CliResult r = RunCli(Build("--tagid bild --reg 10 20"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "BuildCollection 1 (Built)\n"));
  EXPECT_TRUE(Has(r.out, "Begin BuildCollection log for 'Built'"));
  EXPECT_TRUE(Has(r.out, "scanning sequence folder 'walk(2,3)'\n"));
  EXPECT_TRUE(Has(r.out, "progress: 6/6 images\n"));
  EXPECT_TRUE(Has(r.out, "6 instances, 6 unique\n"));
  EXPECT_TRUE(Has(r.out, "Writing collection data to disk...ok.\n"));
  EXPECT_TRUE(Has(r.out, "wrote 'Built' (bild) into the local folder\n"));
  test::CliResult shown = RunCli("show " + Game() + " .256 bild");
  ASSERT_EQ(shown.status, 0) << shown.out;
  EXPECT_TRUE(Has(shown.out, "name: walk"));
  EXPECT_TRUE(Has(shown.out, "frames: 3"));
  // The cells hold bitmaps 0 to 5 frame by frame, view by view. Views then frames: the files run
  // through the views of frame 0 first (f001 f002 | f003 f004 | f005 f006); frames then views:
  // through the frames of view 0 first (frame 0 takes f001 and f004, ...).
  const std::string cells = "frame_bitmaps:\n        -\n          - 0\n          - 1\n        -\n";
  EXPECT_TRUE(Has(shown.out, cells)) << shown.out;
  EXPECT_EQ(BitmapNames(shown.out), "f001 f002 f003 f004 f005 f006 ");
  ASSERT_EQ(RunCli(Build("--tagid bild --reg 10 20 --overwrite --frames-then-views")).status, 0);
  shown = RunCli("show " + Game() + " .256 bild");
  EXPECT_TRUE(Has(shown.out, cells)) << shown.out;
  EXPECT_EQ(BitmapNames(shown.out), "f001 f004 f002 f005 f003 f006 ");

  // The tag is in the way now: refused without --overwrite, replaced with it.
  r = RunCli(Build("--tagid bild --reg 10 20"));
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(Has(r.out, kOverwriteSameId));
  EXPECT_EQ(RunCli(Build("--tagid bild --reg 10 20 --overwrite")).status, 0);
}

TEST_F(BuildCli, BuildCollectionRefusesBadFieldsAndFailsOnEmptyTrees) {
  test::WriteSequence(Tree() + "/walk(1,1)", 1);
  test::CliResult r = RunCli(Build("--reg 4097 0"));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "The Reg Point X value is invalid."));
  EXPECT_EQ(RunCli(Build("--reg 4096 -4096")).status, 0);
  r = RunCli("build-collection " + Game() + " --name X --folder /no/such --reg 0 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "Specified folder not found."));
  EXPECT_EQ(RunCli("build-collection " + Game() + " --name X").status, 2);
  std::filesystem::remove_all(Tree());
  std::filesystem::create_directories(Tree() + "/nodims");
  r = RunCli("build-collection " + Game() + " --name Empty --folder " + ShellQuote(Tree()) +
             " --reg 0 0");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(Has(r.out, "Failed to create the new collection."));
}

TEST_F(BuildCli, BuildHighResReplacesTheArtOrRefusesWhenTooSmall) {
  WriteHighRes();
  test::CliResult r = RunCli(HighRes("--scale 3"));
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(Has(r.out,
                  "FATAL: computed scale (2.00) must not be less than the target scale "
                  "(3.00).\n"));
  EXPECT_TRUE(Has(RunCli("show " + Game() + " .256 hero").out, "location: "));
  EXPECT_FALSE(Has(RunCli("show " + Game() + " .256 hero").out, "location: local folder"));
  r = RunCli(HighRes("--scale 0.009"));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "Invalid scale."));
  r = RunCli("build-highres " + Game() + " --collection nope --folder /tmp --scale 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "You must choose a collection."));

  r = RunCli(HighRes("--scale 1 --object-scale 1.5"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "UpRes 1 (Hero)\n"));
  EXPECT_TRUE(Has(r.out, "computed global scale: 2.00\n"));
  EXPECT_TRUE(Has(r.out, "progress: 2/2 images\n"));
  test::CliResult shown = RunCli("show " + Game() + " .256 hero");
  EXPECT_TRUE(Has(shown.out, "location: local folder"));
  EXPECT_TRUE(Has(shown.out, "width: 6"));
  EXPECT_TRUE(Has(shown.out, "height: 9"));
  r = RunCli(HighRes("--scale 2"));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "Cannot Up-Res a collection from the local folder."));
}

}  // namespace
}  // namespace brae
