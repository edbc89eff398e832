#include "collection/HighResBuilder.h"

#include <gtest/gtest.h>

#include "BuilderTestSupport.h"
#include "collection/CollectionFormat.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

using test::Box;
using test::LogLines;
using test::WriteImage;

// ---- Field checks

TEST(HighResFields, ScalesObjectScalesAndTolerancesHaveTheirRanges) {
  test::TempDir dir;
  HighResFields f;
  HighResSettings s;
  f.folder = dir.Path() + "/missing";
  EXPECT_EQ(CheckHighResFields(f, &s), std::string(kMustChooseCollection));
  f.has_collection = true;
  EXPECT_EQ(CheckHighResFields(f, &s), std::string(kFolderNotFound));
  f.folder = dir.Path();
  f.object_scale = "1";
  f.tolerance = "0.05";
  for (const char* good : {"0.01", "32", "1.5"}) {
    f.target_scale = good;
    EXPECT_EQ(CheckHighResFields(f, &s), std::nullopt) << good;
  }
  for (const char* bad : {"0.009", "32.5", "", "2x", "nan"}) {
    f.target_scale = bad;
    EXPECT_EQ(CheckHighResFields(f, &s), std::string(kInvalidScale)) << bad;
  }
  f.target_scale = "2";
  for (const char* bad : {"0", "-1", "32.1"}) {
    f.object_scale = bad;
    EXPECT_EQ(CheckHighResFields(f, &s), std::string(kInvalidObjectScale)) << bad;
  }
  f.object_scale = "32";
  for (const char* bad : {"0", "32", "x"}) {
    f.tolerance = bad;
    EXPECT_EQ(CheckHighResFields(f, &s), std::string(kInvalidTolerance)) << bad;
  }
  f.tolerance = "31.9";
  f.object_scale = "0.5";
  ASSERT_EQ(CheckHighResFields(f, &s), std::nullopt);
  EXPECT_DOUBLE_EQ(s.Target(), 1.0);
}

// ---- Scale estimate

ScalePair Pair(int ow, int oh, int nw, int nh) {
  return ScalePair{"old", ow, oh, "new", nw, nh};
}

TEST(ScaleEstimate, TwiceTheSizeGivesTwo) {
  LogLines log;
  const auto s = EstimateScale({Pair(4, 6, 8, 12), Pair(10, 3, 20, 6)}, 0.05, log.Sink());
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(*s, 2.0);
  EXPECT_TRUE(log.Has("computed global scale: 2.00\n"));
  EXPECT_FALSE(log.Has("WARNING"));
}

TEST(ScaleEstimate, ToleranceGrowsFromFiveToFifteenPercentAndThePassesRestart) {
  LogLines log;
  const auto s = EstimateScale({Pair(10, 10, 22, 20)}, 0.05, log.Sink());
  ASSERT_TRUE(s);
  EXPECT_NEAR(*s, 2.1, 1e-9);
  EXPECT_EQ(log.text.find("WARNING: no bitmaps passed; warn_fraction too low. raising "
                          "warn_fraction to 0.15\n"),
            0u);
  EXPECT_TRUE(log.Has("computed global scale: 2.10\n"));
  EXPECT_EQ(log.text.find("WARNING", 1), std::string::npos);  // once only
}

TEST(ScaleEstimate, OutliersAreLeftOutAndWarnedAboutInTheLastPass) {
  LogLines log;
  const auto s = EstimateScale({Pair(4, 4, 8, 8), Pair(5, 5, 10, 10), Pair(6, 6, 12, 12),
                                ScalePair{"odd", 4, 4, "big", 12, 12}},
                               0.2, log.Sink());
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(*s, 2.0);
  EXPECT_TRUE(log.Has("computed global scale: 2.25\n"));
  EXPECT_TRUE(
      log.Has("SCALE WARNING: odd(4x4) vs big(12x12) - dimensions differ by (50.0%, "
              "50.0%)\n"));
  EXPECT_FALSE(EstimateScale({}, 0.05, log.Sink()));
}

// ---- The build on a game folder

class HighRes : public ::testing::Test {
 protected:
  // The old collection: sequence "walk", one view, two frames of 4 × 6 bitmaps with
  // registration (2, 5).
  void SetUp() override {
    Collection c;
    test::MakeOldHero(&c, 2, 1);
    auto shadow = CollectionBitmap::MakeIndexed("shade", 2, 2, kBitmapShadow);
    c.AddBitmap(std::move(shadow));
    Install(c);
    settings_.tagid = FourCC("hero");
    settings_.folder = dir_.Path() + "/hires/";
    settings_.target_scale = 2;
    settings_.tolerance = 0.05;
  }
  // Writes the game folder with the collection as the archived 'hero' and loads it.
  void Install(const Collection& c) {
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
    codex_.LoadCodex(game_.Path());
  }
  // A 20 × 20 frame of the sequence with an 8 × 12 visible picture at (x, y).
  void WriteFrame(int n, int x, int y, int colour = -1) {
    const std::string stem = dir_.Path() + "/hires/walk/f" + std::to_string(n);
    const Box box{x, y, 8, 12};
    WriteImage(stem + ".png", test::FrameImage(20, 20, box, uint8_t(colour < 0 ? 30 + n : colour)));
    WriteImage(stem + ".alpha.png", test::AlphaImage(20, 20, box));
  }
  HighResRun Run() {
    HighResRun run = RunHighResBuild(codex_, settings_, nullptr, log_.Sink());
    codex_.PollLocalFolder(true);
    return run;
  }
  std::unique_ptr<Collection> Effective() {
    TagRecord* r = codex_.FindTag(FourCC(".256"), FourCC("hero"));
    TagHeader header;
    FileStream* in = codex_.BeginTagRead(r, &header);
    auto c = std::make_unique<Collection>();
    const bool ok = in && ReadCollection(*in, header, CollectionLoadOptions(), c.get());
    codex_.EndTagRead(r);
    return ok ? std::move(c) : nullptr;
  }
  bool HasLocalCopy() { return codex_.FindTag(FourCC(".256"), FourCC("hero"))->local != nullptr; }
  const CollectionInstance& Cell(const Collection& c, int frame) {
    return *c.sequences[0]->frames[size_t(frame)].views[0];
  }

  test::TempDir game_, dir_;
  Codex codex_;
  HighResSettings settings_;
  LogLines log_;
};

TEST_F(HighRes, TwiceTheSizeAtTargetTwoKeepsTheSizeAndMapsRegistration) {
  WriteFrame(0, 3, 4);
  WriteFrame(1, 3, 4);
  HighResRun run = Run();
  ASSERT_EQ(run.outcome, BuildOutcome::kBuilt) << run.message << log_.text;
  EXPECT_TRUE(log_.Has("****************** Begin UpRes log for 'Hero' ******************\n"));
  EXPECT_TRUE(log_.Has("scanning sequence 'walk'\n"));
  EXPECT_TRUE(log_.Has("computed global scale: 2.00\n"));
  EXPECT_TRUE(log_.Has("2 instances, 2 unique\n"));
  ASSERT_TRUE(HasLocalCopy());
  auto c = Effective();
  ASSERT_TRUE(c);
  // The old bitmaps are gone, the shadow stays, the new ones keep their size.
  ASSERT_EQ(c->bitmaps.size(), 3u);
  EXPECT_EQ(c->bitmaps[0]->name, "shade");
  const CollectionInstance& first = Cell(*c, 0);
  ASSERT_TRUE(first.bitmap);
  EXPECT_EQ(first.bitmap->name, "f0");
  EXPECT_EQ(first.bitmap->width, 8);
  EXPECT_EQ(first.bitmap->height, 12);
  EXPECT_EQ(first.reg_x, 4);
  EXPECT_EQ(first.reg_y, 10);
  // A second run refuses: the effective copy is now the local one.
  run = Run();
  EXPECT_EQ(run.outcome, BuildOutcome::kRefused);
  EXPECT_EQ(run.message, kCannotUpResLocal);
}

TEST_F(HighRes, TargetOneAndAHalfResamplesByThreeQuarters) {
  WriteFrame(0, 3, 4);
  WriteFrame(1, 3, 4);
  settings_.target_scale = 1;
  settings_.object_scale = 1.5;
  ASSERT_EQ(Run().outcome, BuildOutcome::kBuilt) << log_.text;
  auto c = Effective();
  const CollectionInstance& first = Cell(*c, 0);
  ASSERT_TRUE(first.bitmap);
  EXPECT_EQ(first.bitmap->width, 6);
  EXPECT_EQ(first.bitmap->height, 9);
  // (3, 4) × 0.75 → crop (2, 3); old point × 2 × 0.75 = (3, 7.5) → (5, 10.5) → (5, 11) - crop.
  EXPECT_EQ(first.reg_x, 3);
  EXPECT_EQ(first.reg_y, 8);
}

TEST_F(HighRes, TargetThreeWithTwiceTheSizeIsFatalAndWritesNothing) {
  WriteFrame(0, 3, 4);
  WriteFrame(1, 3, 4);
  settings_.target_scale = 3;
  HighResRun run = Run();
  EXPECT_EQ(run.outcome, BuildOutcome::kRefused);
  EXPECT_TRUE(run.build.fatal);
  EXPECT_TRUE(
      log_.Has("FATAL: computed scale (2.00) must not be less than the target scale "
               "(3.00).\n"));
  EXPECT_FALSE(HasLocalCopy());
  EXPECT_EQ(Effective()->bitmaps[0]->name, "old0");
}

TEST_F(HighRes, SequencesAlignOnTheirMeanPointUnlessAlignedIndividually) {
  WriteFrame(0, 3, 4, 40);
  WriteFrame(1, 5, 4, 40);
  ASSERT_EQ(Run().outcome, BuildOutcome::kBuilt) << log_.text;
  auto c = Effective();
  EXPECT_EQ(Cell(*c, 0).reg_x, 5);                    // mean x 8, crop 3
  EXPECT_EQ(Cell(*c, 1).reg_x, 3);                    // mean x 8, crop 5
  EXPECT_EQ(Cell(*c, 0).bitmap, Cell(*c, 1).bitmap);  // the same picture, kept once
  EXPECT_TRUE(log_.Has("2 instances, 1 unique\n"));
}

TEST_F(HighRes, AlignIndividuallyFromTheScriptKeepsEachCellsPoint) {
  WriteFrame(0, 3, 4);
  WriteFrame(1, 5, 4);
  test::WriteFile(dir_.Path() + "/hires/walk/script.txt", "AlignIndividually true\n");
  ASSERT_EQ(Run().outcome, BuildOutcome::kBuilt) << log_.text;
  auto c = Effective();
  EXPECT_EQ(Cell(*c, 0).reg_x, 4);
  EXPECT_EQ(Cell(*c, 1).reg_x, 4);
}

TEST_F(HighRes, TrueColourRenderingsAreMappedOntoTheCollectionsColours) {
  for (int n = 0; n < 2; ++n) {
    WriteImage(dir_.Path() + "/hires/walk/r" + std::to_string(n) + ".png",
               test::RgbaImage(20, 20, Box{3, 4, 8, 12}, n * 30));
  }
  ASSERT_EQ(Run().outcome, BuildOutcome::kBuilt) << log_.text;
  EXPECT_TRUE(log_.Has("sequence 'walk': true-color frames"));
  EXPECT_TRUE(log_.Has("true-color frames: 2 bitmaps mapped to 254 colors (0 of them computed)"));
  auto c = Effective();
  EXPECT_EQ(c->palette, test::DistinctPalette());  // a full palette stays as it was
  const CollectionInstance& first = Cell(*c, 0);
  ASSERT_TRUE(first.bitmap);
  EXPECT_EQ(first.bitmap->width, 8);
  EXPECT_EQ(first.bitmap->height, 12);
  EXPECT_TRUE(first.bitmap->flags & kBitmapTwoBytes);  // the soft edge
  EXPECT_EQ(first.reg_x, 4);
  EXPECT_EQ(first.reg_y, 10);
}

// The cells of a sequence of 2 views and 3 frames take the six renderings p0..p5 in the order
// worked out for the standard builder: views first, frame f, view v takes p(2f + v); frames
// first, p(3v + f).
TEST_F(HighRes, TwoViewsThreeFramesTakeTheirFilesInTheChosenOrder) {
  Collection c;
  test::MakeOldHero(&c, 3, 2);
  Install(c);
  for (int n = 0; n < 6; ++n) WriteFrame(n, 3, 4);
  const int views_first[3][2] = {{0, 1}, {2, 3}, {4, 5}};
  const int frames_first[3][2] = {{0, 3}, {1, 4}, {2, 5}};
  auto expect_cells = [&](const int(&cells)[3][2], const char* order) {
    ASSERT_EQ(Run().outcome, BuildOutcome::kBuilt) << order << log_.text;
    auto built = Effective();
    ASSERT_TRUE(built);
    for (int f = 0; f < 3; ++f) {
      for (int v = 0; v < 2; ++v) {
        const auto& in = built->sequences[0]->frames[size_t(f)].views[size_t(v)];
        ASSERT_TRUE(in && in->bitmap);
        EXPECT_EQ(in->bitmap->name, "f" + std::to_string(cells[f][v]))
            << order << " frame " << f << " view " << v;
      }
    }
    ASSERT_TRUE(codex_.DeleteLocalTag(codex_.FindTag(FourCC(".256"), FourCC("hero"))));
  };
  expect_cells(views_first, "default");
  settings_.frames_then_views = true;
  expect_cells(frames_first, "dialog");
  test::WriteFile(dir_.Path() + "/hires/walk/script.txt", "BitmapOrder ViewsThenFrames\n");
  expect_cells(views_first, "script");
}

TEST_F(HighRes, SequenceErrorsAreLogged) {
  HighResRun run = Run();  // no folder at all
  EXPECT_EQ(run.outcome, BuildOutcome::kFailed);
  EXPECT_TRUE(log_.Has("ERROR: sequence folder 'walk' contains 0 bitmaps, expected 2\n"));
  EXPECT_FALSE(HasLocalCopy());

  WriteFrame(0, 3, 4);
  WriteFrame(1, 3, 4);
  test::WriteFile(dir_.Path() + "/hires/walk/script.txt", "(1 3)\n");
  log_.text.clear();
  Run();
  EXPECT_TRUE(
      log_.Has("ERROR: script.txt in sequence folder 'walk' specified a frame index (3), "
               "larger than the number of frames found in the folder (2).\n"));
  test::WriteFile(dir_.Path() + "/hires/walk/script.txt", "(1 2 1)\n");
  log_.text.clear();
  Run();
  EXPECT_TRUE(
      log_.Has("ERROR: script.txt in sequence folder 'walk' specifies 3 frames, expected 2\n"));
  std::filesystem::remove(dir_.Path() + "/hires/walk/script.txt");

  test::WriteFile(dir_.Path() + "/hires/walk/f1.png", "garbage");
  log_.text.clear();
  Run();
  EXPECT_TRUE(log_.Has("ERROR: could not create UpRes bitmap instance for '"));
  EXPECT_TRUE(log_.Has("f1.png' (bad format?)\n"));
  EXPECT_FALSE(HasLocalCopy());

  // Different canvas sizes are reported, the build goes on.
  const std::string stem = dir_.Path() + "/hires/walk/f1";
  WriteImage(stem + ".png", test::FrameImage(24, 20, Box{3, 4, 8, 12}, 31));
  WriteImage(stem + ".alpha.png", test::AlphaImage(24, 20, Box{3, 4, 8, 12}));
  log_.text.clear();
  EXPECT_EQ(Run().outcome, BuildOutcome::kBuilt);
  EXPECT_TRUE(
      log_.Has("ERROR: sequence 'walk': not all bitmaps are the same size; Alignment not "
               "preserved!\n"));
}

}  // namespace
}  // namespace brae
