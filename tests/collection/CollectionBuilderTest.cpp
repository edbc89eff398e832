#include "collection/CollectionBuilder.h"

#include <gtest/gtest.h>

#include "BuilderTestSupport.h"
#include "collection/BuilderImages.h"
#include "collection/FolderLayout.h"
#include "core/MessageLog.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

using test::Box;
using test::LogLines;
using test::Numbered;
using test::WriteImage;
using test::WriteSequence;

// ---- Folder layout

TEST(FolderLayout, NamesSortWithDigitRunsAsNumbers) {
  EXPECT_TRUE(NaturalLess("walk2", "walk10"));
  EXPECT_FALSE(NaturalLess("walk10", "walk2"));
  EXPECT_TRUE(NaturalLess("Frame 9.png", "frame 10.png"));
  EXPECT_TRUE(NaturalLess("a", "a1"));
  EXPECT_TRUE(NaturalLess("x007", "x8"));
  EXPECT_FALSE(NaturalLess("same", "same"));
}

TEST(FolderLayout, SequenceFolderNamesGiveViewsAndFrames) {
  std::string name;
  int views = 0, frames = 0;
  ASSERT_TRUE(ParseSequenceFolderName("walk(8,12)", &name, &views, &frames));
  EXPECT_EQ(name, "walk");
  EXPECT_EQ(views, 8);
  EXPECT_EQ(frames, 12);
  ASSERT_TRUE(ParseSequenceFolderName("big attack ( 1, 3 )/", &name, &views, &frames));
  EXPECT_EQ(name, "big attack ");
  for (const char* bad :
       {"walk", "walk(8)", "walk(0,3)", "walk(8,x)", "walk(8,12)x", "(,)", "walk(8,99999)"})
    EXPECT_FALSE(ParseSequenceFolderName(bad, &name, &views, &frames)) << bad;
}

TEST(FolderLayout, ScriptGivesOrderAlignmentAndFrameList) {
  const SequenceScript s = ParseSequenceScript(
      "  BitmapOrder FramesThenViews\r\nAlignIndividually true\n(1 2, 3-2 ~ 4)\nnoise\n");
  EXPECT_EQ(s.order, BitmapOrder::kFramesThenViews);
  EXPECT_EQ(s.align_individually, true);
  ASSERT_TRUE(s.frames);
  EXPECT_EQ(*s.frames, (std::vector<int>{1, 2, 3, 2, 0, 4}));
  const SequenceScript t = ParseSequenceScript("BitmapOrder ViewsThenFrames\nAlignIndividually 0");
  EXPECT_EQ(t.order, BitmapOrder::kViewsThenFrames);
  EXPECT_EQ(t.align_individually, false);
  EXPECT_FALSE(t.frames);
  EXPECT_FALSE(ParseSequenceScript("BitmapOrderly x\n").order);
}

// Six files p0..p5 in a sequence of 2 views and 3 frames. Views then frames (the default): the
// files run through the views of frame 0, then of frame 1, ...: frame f, view v takes p(2f + v).
// Frames then views: the list is transposed, the files run through the frames of view 0 before
// view 1: frame f, view v takes p(3v + f).
constexpr int kViewsFirstCells[3][2] = {{0, 1}, {2, 3}, {4, 5}};
constexpr int kFramesFirstCells[3][2] = {{0, 3}, {1, 4}, {2, 5}};

TEST(FolderLayout, FilesRunThroughAFramesViewsUnlessFramesThenViews) {
  const LayoutResult views_first =
      LayOutCells(3, 2, 6, BitmapOrder::kViewsThenFrames, std::nullopt);
  const LayoutResult frames_first =
      LayOutCells(3, 2, 6, BitmapOrder::kFramesThenViews, std::nullopt);
  ASSERT_EQ(views_first.error, LayoutError::kNone);
  ASSERT_EQ(frames_first.error, LayoutError::kNone);
  for (int f = 0; f < 3; ++f) {
    for (int v = 0; v < 2; ++v) {
      EXPECT_EQ(views_first.layout.FileAt(f, v), kViewsFirstCells[f][v]) << f << "," << v;
      EXPECT_EQ(frames_first.layout.FileAt(f, v), kFramesFirstCells[f][v]) << f << "," << v;
    }
  }
  EXPECT_EQ(LayOutCells(3, 2, 5, BitmapOrder::kViewsThenFrames, std::nullopt).error,
            LayoutError::kTooFewFiles);
  EXPECT_TRUE(LayOutCells(3, 2, 7, BitmapOrder::kViewsThenFrames, std::nullopt).extra_files);
}

TEST(FolderLayout, FrameListReusesSourceFramesAndNeedsOnlyThoseFiles) {
  // 24 files: source frame s, view v is file 8(s - 1) + v views first, 3v + (s - 1) frames first.
  const std::vector<int> list = {1, 2, 3, 2};
  LayoutResult r = LayOutCells(4, 8, 24, BitmapOrder::kViewsThenFrames, list);
  LayoutResult t = LayOutCells(4, 8, 24, BitmapOrder::kFramesThenViews, list);
  ASSERT_EQ(r.error, LayoutError::kNone);
  ASSERT_EQ(t.error, LayoutError::kNone);
  EXPECT_EQ(r.layout.files_needed, 24);
  for (int v = 0; v < 8; ++v) {
    EXPECT_EQ(r.layout.FileAt(3, v), 8 + v);
    EXPECT_EQ(r.layout.FileAt(2, v), 16 + v);
    EXPECT_EQ(t.layout.FileAt(3, v), v * 3 + 1);
    EXPECT_EQ(t.layout.FileAt(2, v), v * 3 + 2);
  }
  EXPECT_EQ(LayOutCells(4, 8, 23, BitmapOrder::kViewsThenFrames, list).error,
            LayoutError::kTooFewFiles);
  EXPECT_EQ(LayOutCells(3, 8, 24, BitmapOrder::kViewsThenFrames, list).error,
            LayoutError::kFrameListLength);
  // Source frame 5 with only two frames of files in the folder.
  LayoutResult far = LayOutCells(2, 1, 2, BitmapOrder::kViewsThenFrames, std::vector<int>{1, 5});
  EXPECT_EQ(far.error, LayoutError::kFrameTooLarge);
  EXPECT_EQ(far.bad_frame, 5);
  EXPECT_EQ(
      LayOutCells(65535, 65535, 0, BitmapOrder::kViewsThenFrames, std::vector<int>(65535, 0)).error,
      LayoutError::kTooManyCells);
  // An empty frame takes no file; the files of source frame 1 keep their places.
  for (BitmapOrder order : {BitmapOrder::kViewsThenFrames, BitmapOrder::kFramesThenViews}) {
    LayoutResult empty = LayOutCells(2, 2, 2, order, std::vector<int>{0, 1});
    ASSERT_EQ(empty.error, LayoutError::kNone);
    EXPECT_EQ(empty.layout.FileAt(0, 0), -1);
    EXPECT_EQ(empty.layout.FileAt(0, 1), -1);
    EXPECT_EQ(empty.layout.FileAt(1, 0), 0);
    EXPECT_EQ(empty.layout.FileAt(1, 1), 1);
  }
  // Views first, two source frames of three views: frame 1 repeats source 2 = files 3, 4, 5.
  LayoutResult gap = LayOutCells(3, 3, 6, BitmapOrder::kViewsThenFrames, std::vector<int>{1, 2, 0});
  ASSERT_EQ(gap.error, LayoutError::kNone);
  EXPECT_EQ(gap.layout.FileAt(1, 2), 5);
  EXPECT_EQ(gap.layout.FileAt(2, 0), -1);
}

// ---- Pictures

TEST(BuilderImages, StoreKeepsEqualPicturesOnceAndTellsPalettesApart) {
  auto picture = [](uint8_t index, uint8_t red) {
    CellImage c;
    c.width = 2, c.height = 1;
    c.palette.count = 256;
    c.palette.entries[index].r = red;
    c.pixels = {255, index, 255, index};
    return c;
  };
  ImageStore store;
  EXPECT_EQ(store.Add(picture(5, 1), "a"), 0u);
  EXPECT_EQ(store.Add(picture(6, 1), "b"), 1u);
  EXPECT_EQ(store.Add(picture(5, 1), "c"), 0u);
  EXPECT_EQ(store.Add(picture(5, 9), "d"), 2u);  // same indices, other colours
  EXPECT_EQ(store.Size(), 3u);
  EXPECT_EQ(store.SourceOf(0), "a");
}

TEST(BuilderImages, ResamplingAveragesAreasWhenShrinking) {
  // Four columns 0, 100, 200, 40 → two columns of their pairs' means.
  std::vector<uint8_t> rgba;
  for (int v : {0, 100, 200, 40}) rgba.insert(rgba.end(), {uint8_t(v), 0, 0, 255});
  std::vector<uint8_t> half = ResampleRgba(rgba.data(), 4, 1, 2, 1);
  EXPECT_EQ(half[0], 50);
  EXPECT_EQ(half[4], 120);
  // Shrinking by 0.75: output pixel 0 covers source 0 and a third of source 1.
  std::vector<uint8_t> three = ResampleRgba(rgba.data(), 4, 1, 3, 1);
  EXPECT_EQ(three[0], 25);
  // A transparent neighbour lends no colour.
  std::vector<uint8_t> soft = {255, 0, 0, 255, 0, 255, 0, 0};
  std::vector<uint8_t> one = ResampleRgba(soft.data(), 2, 1, 1, 1);
  EXPECT_EQ(one[0], 255);
  EXPECT_EQ(one[1], 0);
  EXPECT_EQ(one[3], 128);
  // Growing interpolates between centres.
  std::vector<uint8_t> pair = {0, 0, 0, 255, 200, 0, 0, 255};
  std::vector<uint8_t> four = ResampleRgba(pair.data(), 2, 1, 4, 1);
  EXPECT_EQ(four[0], 0);
  EXPECT_EQ(four[4], 50);
  EXPECT_EQ(four[12], 200);
}

// ---- Building

class Build : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.Path() + "/tree/"; }
  std::string Seq(const std::string& name) const { return Folder() + name; }
  CollectionBuildResult Run() {
    settings_.name = "Built";
    settings_.folder = Folder();
    return BuildCollectionFromFolder(settings_, log_.Sink(),
                                     [this](const BuildProgress& p) { progress_.push_back(p); });
  }
  static const CollectionSequence* Named(const Collection& c, const std::string& name) {
    for (const auto& s : c.sequences)
      if (s->name == name) return s.get();
    return nullptr;
  }
  static std::string BitmapAt(const CollectionSequence& s, int frame, int view) {
    const auto& in = s.frames[size_t(frame)].views[size_t(view)];
    return in && in->bitmap ? in->bitmap->name : "";
  }

  test::TempDir dir_;
  CollectionBuildSettings settings_;
  LogLines log_;
  std::vector<BuildProgress> progress_;
};

TEST_F(Build, FolderWalk8x12MakesSequenceWalkWithEightViewsAndTwelveFrames) {
  WriteSequence(Seq("walk(8,12)"), 96);
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok) << log_.text;
  const Collection& c = *r.collection;
  EXPECT_EQ(c.name, "Built");
  ASSERT_EQ(c.sequences.size(), 1u);
  const CollectionSequence& walk = *c.sequences[0];
  EXPECT_EQ(walk.name, "walk");
  EXPECT_EQ(walk.ViewCount(), 8);
  EXPECT_EQ(walk.FrameCount(), 12);
  EXPECT_EQ(c.bitmaps.size(), 96u);
  // Views then frames: cell (frame 3, view 2) takes file 3 × 8 + 2 (numbered from 1).
  EXPECT_EQ(BitmapAt(walk, 3, 2), "f027");
  EXPECT_TRUE(
      log_.Has("****************** Begin BuildCollection log for 'Built' "
               "******************\n"));
  EXPECT_TRUE(log_.Has("scanning sequence folder 'walk(8,12)'\n"));
  EXPECT_TRUE(log_.Has("96 instances, 96 unique\n"));
  EXPECT_TRUE(log_.Has("s elpased\n"));
  EXPECT_TRUE(log_.Has("8-bit color indexed frames"));
  // Progress after every image.
  ASSERT_EQ(progress_.size(), 96u);
  EXPECT_EQ(progress_.back().done, 96);
  EXPECT_EQ(progress_.back().total, 96);
}

TEST_F(Build, TwoViewsThreeFramesTakeTheirFilesInTheChosenOrder) {
  WriteSequence(Seq("s(2,3)"), 6);  // p0..p5 are f001..f006
  auto expect_cells = [&](const int(&cells)[3][2], const char* order) {
    const CollectionBuildResult r = Run();
    ASSERT_TRUE(r.ok) << log_.text;
    for (int f = 0; f < 3; ++f)
      for (int v = 0; v < 2; ++v)
        EXPECT_EQ(BitmapAt(*r.collection->sequences[0], f, v),
                  "f00" + std::to_string(cells[f][v] + 1))
            << order << " frame " << f << " view " << v;
  };
  expect_cells(kViewsFirstCells, "default");
  settings_.frames_then_views = true;
  expect_cells(kFramesFirstCells, "dialog");
  // The script's order wins over the dialog's, either way.
  test::WriteFile(Seq("s(2,3)") + "/script.txt", "BitmapOrder ViewsThenFrames\n");
  expect_cells(kViewsFirstCells, "script views");
  settings_.frames_then_views = false;
  test::WriteFile(Seq("s(2,3)") + "/script.txt", "BitmapOrder FramesThenViews\n");
  expect_cells(kFramesFirstCells, "script frames");
}

TEST_F(Build, FrameListNeeds24FilesAndReusesSourceFrameTwo) {
  WriteSequence(Seq("attack(8,4)"), 24);
  test::WriteFile(Seq("attack(8,4)") + "/script.txt", "(1 2 3 2)\n");
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok) << log_.text;
  const CollectionSequence& s = *r.collection->sequences[0];
  EXPECT_EQ(s.FrameCount(), 4);
  for (int v = 0; v < 8; ++v) {
    EXPECT_EQ(BitmapAt(s, 3, v), BitmapAt(s, 1, v));
    EXPECT_NE(BitmapAt(s, 2, v), BitmapAt(s, 1, v));
  }
  EXPECT_EQ(r.collection->bitmaps.size(), 24u);
  EXPECT_TRUE(log_.Has("32 instances, 24 unique\n"));

  // One file fewer is an error; one more a warning.
  std::filesystem::remove(Numbered(Seq("attack(8,4)"), "f", 24));
  log_.text.clear();
  EXPECT_FALSE(Run().ok);
  EXPECT_TRUE(log_.Has("ERROR: sequence folder 'attack(8,4)' contains 23 bitmaps, expected 24\n"));
  WriteSequence(Seq("attack(8,4)"), 25);
  log_.text.clear();
  EXPECT_TRUE(Run().ok);
  EXPECT_TRUE(
      log_.Has("WARNING: sequence folder 'attack(8,4)' contains 25 bitmaps, expected 24. "
               "Some bitmaps will not be used.\n"));
  test::WriteFile(Seq("attack(8,4)") + "/script.txt", "(1 2 3)\n");
  log_.text.clear();
  EXPECT_FALSE(Run().ok);
  EXPECT_TRUE(log_.Has(
      "ERROR: script.txt in sequence folder 'attack(8,4)' specifies 3 frames, expected 4\n"));
}

TEST_F(Build, SameVisiblePictureAtTwoPlacesBecomesOneBitmapAtTwoPoints) {
  const std::string seq = Seq("idle(1,2)");
  WriteImage(seq + "/a1.png", test::FrameImage(8, 8, Box{1, 1, 2, 2}, 40));
  WriteImage(seq + "/a2.png", test::FrameImage(8, 8, Box{4, 3, 2, 2}, 40));
  WriteImage(seq + "/a1.alpha.png", test::AlphaImage(8, 8, Box{1, 1, 2, 2}));
  WriteImage(seq + "/a2.alpha.png", test::AlphaImage(8, 8, Box{4, 3, 2, 2}));
  settings_.reg_x = 10, settings_.reg_y = 20;
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok) << log_.text;
  const Collection& c = *r.collection;
  ASSERT_EQ(c.bitmaps.size(), 1u);
  EXPECT_EQ(c.bitmaps[0]->name, "a1");
  EXPECT_EQ(c.bitmaps[0]->width, 2);
  const CollectionSequence& s = *c.sequences[0];
  const CollectionInstance& first = *s.frames[0].views[0];
  const CollectionInstance& second = *s.frames[1].views[0];
  EXPECT_EQ(first.bitmap, second.bitmap);
  EXPECT_EQ(first.reg_x, 9);
  EXPECT_EQ(first.reg_y, 19);
  EXPECT_EQ(second.reg_x, 6);
  EXPECT_EQ(second.reg_y, 17);
  EXPECT_TRUE(log_.Has("2 instances, 1 unique\n"));
}

TEST_F(Build, AlphaFoldersBitmapFoldersAndInvertedAlphas) {
  const std::string seq = Seq("fly(1,1)");
  WriteImage(seq + "/bitmaps/x.png", test::FrameImage(6, 6, Box{0, 0, 6, 6}, 50));
  // Opaque (255) outside the box: inverted, only the box is visible.
  Image inverted = test::AlphaImage(6, 6, Box{2, 2, 3, 1});
  for (uint8_t& p : inverted.pixels) p = uint8_t(255 - p);
  WriteImage(seq + "/alphas/x mask.png", inverted);
  settings_.invert_alphas = true;
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok) << log_.text;
  ASSERT_EQ(r.collection->bitmaps.size(), 1u);
  EXPECT_EQ(r.collection->bitmaps[0]->width, 3);
  EXPECT_EQ(r.collection->bitmaps[0]->height, 1);
  EXPECT_EQ(r.collection->sequences[0]->frames[0].views[0]->reg_x, -2);
}

TEST_F(Build, BadSequencesAreLoggedAndSkippedWhileOthersAreBuilt) {
  WriteSequence(Seq("good(1,1)"), 1);
  WriteSequence(Seq("nodims"), 1);
  WriteSequence(Seq("alphas(2,1)"), 2);
  WriteImage(Seq("alphas(2,1)") + "/f001.alpha.png", test::AlphaImage(4, 4, Box{0, 0, 2, 2}));
  Image grey = test::AlphaImage(4, 4, Box{0, 0, 4, 4});
  WriteImage(Seq("grey(1,1)") + "/g.png", grey);
  WriteSequence(Seq("sizes(1,1)"), 1);
  WriteImage(Seq("sizes(1,1)") + "/f001.alpha.png", test::AlphaImage(3, 4, Box{0, 0, 2, 2}));
  WriteSequence(Seq("colour alpha(1,1)"), 1);
  WriteImage(Seq("colour alpha(1,1)") + "/f001.alpha.png",
             test::FrameImage(4, 4, Box{0, 0, 2, 2}, 77));
  test::WriteFile(Seq("broken(1,1)") + "/f.png", "not an image");
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sequences, 1);
  EXPECT_EQ(r.sequence_folders, 7);
  EXPECT_EQ(r.collection->sequences[0]->name, "good");
  EXPECT_TRUE(
      log_.Has("ERROR: the sequence folder 'nodims' had invalid dimensions, no dimensions "
               "in script.txt and no dimensions in the name."));
  EXPECT_TRUE(log_.Has("ERROR: found 1 alphas for sequence 'alphas(2,1)', expected 2\n"));
  EXPECT_TRUE(log_.Has("/g.png' was not 8-bit color indexed.\n"));
  EXPECT_TRUE(log_.Has("/f001.alpha.png' had different dimensions than its color counterpart, '"));
  EXPECT_TRUE(log_.Has("/colour alpha(1,1)/f001.alpha.png' was not 8-bit grayscale.\n"));
  EXPECT_TRUE(log_.Has("/broken(1,1)/f.png' could not be loaded.\n"));
  EXPECT_TRUE(log_.Has("1 instances, 1 unique\n"));
}

TEST_F(Build, NoSequenceFolderBuildsNothing) {
  std::filesystem::create_directories(Folder());
  EXPECT_FALSE(Run().ok);
  EXPECT_EQ(Run().sequence_folders, 0);
}

TEST_F(Build, PaletteMismatchIsLoggedAndTheCellsStayEmpty) {
  // Two files whose palettes share nothing and together need more than 254 new colours.
  const std::string seq = Seq("clash(1,2)");
  Image a = test::FrameImage(2, 2, Box{0, 0, 2, 2}, 9);
  Image b = a;
  for (int i = 0; i < 256; ++i) b.palette.entries[i] = Rgb{uint8_t(i), 1, 2};
  b.pixels = {3, 4, 5, 6};
  WriteImage(seq + "/a.png", a);
  WriteImage(seq + "/b.png", b);
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(log_.Has("ERROR: The bitmap 'b' could not be added (palette mismiatch?)\n"));
  EXPECT_EQ(r.collection->bitmaps.size(), 1u);
  EXPECT_FALSE(r.collection->sequences[0]->frames[1].views[0]->bitmap);
}

TEST_F(Build, TrueColourFramesShareOnePaletteAndKeepTheirAlpha) {
  for (int k = 0; k < 3; ++k)
    WriteImage(Numbered(Seq("glow(1,3)"), "g", k), test::RgbaImage(8, 8, Box{1, 2, 5, 4}, k * 20));
  // A colour-indexed frame with a short palette, which fits beside the computed colours.
  WriteImage(Seq("plain(1,1)") + "/p.png",
             test::IndexedImage(4, 4, test::ImagePalette(test::DistinctPalette(), 12),
                                std::vector<uint8_t>(16, 10)));
  const CollectionBuildResult r = Run();
  ASSERT_TRUE(r.ok) << log_.text;
  EXPECT_TRUE(log_.Has("sequence 'glow': true-color frames"));
  EXPECT_TRUE(log_.Has("sequence 'plain': 8-bit color indexed frames"));
  EXPECT_TRUE(log_.Has("true-color frames: 3 bitmaps mapped to "));
  const Collection& c = *r.collection;
  ASSERT_EQ(c.bitmaps.size(), 4u);
  const CollectionBitmap& g = *c.bitmaps[0];
  EXPECT_EQ(g.width, 5);  // cropped by its own alpha
  EXPECT_EQ(g.height, 4);
  EXPECT_TRUE(g.flags & kBitmapTwoBytes);  // the soft edge
  // Every visible pixel is close to its original colour and never on entry 0 or 1.
  const Image original = test::RgbaImage(8, 8, Box{1, 2, 5, 4}, 0);
  for (int y = 0; y < g.height; ++y) {
    for (int x = 0; x < g.width; ++x) {
      const uint8_t* p = g.Pixel(x, y);
      ASSERT_GT(p[0], 0);
      ASSERT_GT(p[1], 1);
      const uint8_t* o = &original.pixels[size_t((y + 2) * 8 + x + 1) * 4];
      EXPECT_EQ(p[0], o[3]);
      const PaletteColor& pc = c.palette[p[1]];
      EXPECT_LE(std::abs(pc.r - o[0]) + std::abs(pc.g - o[1]) + std::abs(pc.b - o[2]), 12);
    }
  }
  // The colour-indexed sequence keeps its colour.
  const CollectionBitmap& plain = *c.bitmaps[3];
  EXPECT_EQ(c.palette[plain.Pixel(0, 0)[1]], test::DistinctPalette()[10]);
  // Refused when true colour is off.
  settings_.true_colour = false;
  log_.text.clear();
  EXPECT_EQ(Run().sequences, 1);
  EXPECT_TRUE(log_.Has("g000.png' was not 8-bit color indexed."));
}

// ---- Field checks

TEST(BuildFields, ChecksComeInOrderAndRegPointsStopAt4096) {
  test::TempDir dir;
  CollectionBuildFields f;
  f.folder = dir.Path() + "/missing";
  CollectionBuildSettings s;
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kFolderNotFound));
  f.folder = dir.Path();
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kNameInvalid));
  f.name = "Name";
  f.reg_x = "4097";
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kRegXInvalid));
  f.reg_x = "4096";
  f.reg_y = "x";
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kRegYInvalid));
  f.reg_y = "-4096";
  f.tagid = "ab";
  ASSERT_EQ(CheckCollectionBuildFields(f, &s), std::nullopt);
  EXPECT_EQ(s.reg_x, 4096);
  EXPECT_EQ(s.reg_y, -4096);
  EXPECT_EQ(s.tagid, FourCC("ab  "));
  EXPECT_EQ(s.folder.back(), '/');
  f.reg_y = "-4097";
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kRegYInvalid));
  f.reg_y = "";
  EXPECT_EQ(CheckCollectionBuildFields(f, &s), std::string(kRegYInvalid));
}

// ---- The whole command, with a game folder

class BuildCommand : public Build {
 protected:
  void SetUp() override {
    demo::DemoGame game;
    game.Archive("tags", "base.arc", 2);
    ASSERT_TRUE(game.Write(game_.Path()));
    codex_.LoadCodex(game_.Path());
    settings_.name = "Built";
    settings_.folder = Folder();
    settings_.tagid = FourCC("bild");
  }
  CollectionBuildRun RunCommand(bool overwrite) {
    questions_.clear();
    CollectionBuildQuestions q;
    q.overwrite = [this, overwrite](const std::string& text) {
      questions_.push_back(text);
      return overwrite;
    };
    CollectionBuildRun run = RunCollectionBuild(codex_, settings_, q, log_.Sink());
    codex_.PollLocalFolder(true);  // as the program's frame loop does
    return run;
  }
  std::unique_ptr<Collection> Reload(TagRecord* record) {
    TagHeader header;
    FileStream* in = codex_.BeginTagRead(record, &header);
    if (!in) return nullptr;
    auto c = std::make_unique<Collection>();
    const bool ok = bool(ReadCollection(*in, header, CollectionLoadOptions(), c.get()));
    codex_.EndTagRead(record);
    return ok ? std::move(c) : nullptr;
  }

  test::TempDir game_;
  Codex codex_;
  std::vector<std::string> questions_;
};

TEST_F(BuildCommand, WritesTheTagAndAsksBeforeReplacingIt) {
  WriteSequence(Seq("walk(2,3)"), 6);
  CollectionBuildRun run = RunCommand(false);
  ASSERT_EQ(run.outcome, BuildOutcome::kBuilt) << run.message << log_.text;
  EXPECT_TRUE(questions_.empty());
  ASSERT_TRUE(run.record && run.record->local);
  EXPECT_EQ(run.record->subgroup, FourCC("bild"));
  EXPECT_TRUE(log_.Has("Writing collection data to disk...ok.\n"));
  auto loaded = Reload(run.record);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->sequences.size(), 1u);
  EXPECT_EQ(loaded->sequences[0]->FrameCount(), 3);
  EXPECT_EQ(loaded->bitmaps.size(), 6u);

  // Same id: declined → nothing changes.
  WriteSequence(Seq("more(1,1)"), 1);
  run = RunCommand(false);
  EXPECT_EQ(run.outcome, BuildOutcome::kRefused);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], kOverwriteSameId);
  EXPECT_EQ(Reload(codex_.FindTag(FourCC(".256"), FourCC("bild")))->sequences.size(), 1u);
  // Accepted → replaced.
  run = RunCommand(true);
  ASSERT_EQ(run.outcome, BuildOutcome::kBuilt) << run.message;
  EXPECT_EQ(Reload(run.record)->sequences.size(), 2u);

  // Same name under another id.
  settings_.tagid = FourCC("othr");
  run = RunCommand(false);
  EXPECT_EQ(run.outcome, BuildOutcome::kRefused);
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0], kOverwriteSameName);
}

TEST_F(BuildCommand, AFailedBuildKeepsTheExistingCollection) {
  WriteSequence(Seq("walk(2,3)"), 6);
  ASSERT_EQ(RunCommand(false).outcome, BuildOutcome::kBuilt);
  std::filesystem::remove_all(Seq("walk(2,3)"));
  std::filesystem::create_directories(Seq("empty"));
  CollectionBuildRun run = RunCommand(true);
  EXPECT_EQ(run.outcome, BuildOutcome::kFailed);
  EXPECT_EQ(run.message, kBuildFailed);
  TagRecord* kept = codex_.FindTag(FourCC(".256"), FourCC("bild"));
  ASSERT_TRUE(kept && kept->local);
  EXPECT_EQ(Reload(kept)->sequences.size(), 1u);
}

}  // namespace
}  // namespace brae
