// The Optimize tab's operations, the colour table and the flag boxes over collections built
// here: what each removes, merges, crops and renames, where the references go, and the words
// of every report.
#include "collection/CollectionOptimize.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"
#include "collection/CollectionSettings.h"
#include "media/ColorTable.h"

namespace brae {
namespace {

// An opaque bitmap whose pixels all hold one index.
CollectionBitmap* AddFilled(Collection* c, const std::string& name, int w, int h, uint8_t index,
                            uint16_t flags = 0) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, flags);
  for (size_t i = 0; i < b->pixels.size(); i += 2) b->pixels[i] = 255, b->pixels[i + 1] = index;
  return c->AddBitmap(std::move(b));
}

// A sequence of frames × views whose cell (f, v) shows bitmaps[f * views + v] (none past the
// end), each frame's shadow none.
CollectionSequence* AddGrid(Collection* c, const std::string& name, int frames, int views,
                            const std::vector<CollectionBitmap*>& bitmaps) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = name;
  s->header.view_count = uint16_t(views);
  s->Resize(frames, views);
  for (int f = 0; f < frames; ++f)
    for (int v = 0; v < views; ++v) {
      const size_t k = size_t(f * views + v);
      s->InstanceAt(f, v)->bitmap = k < bitmaps.size() ? bitmaps[k] : nullptr;
    }
  return c->AddSequence(std::move(s));
}

std::vector<std::string> Names(const Collection& c) {
  std::vector<std::string> out;
  for (const auto& b : c.bitmaps) out.push_back(b->name);
  return out;
}

TEST(DeleteUnused, EveryBitmapUsedReportsNoneAndChangesNothing) {
  Collection c;
  CollectionBitmap* a = AddFilled(&c, "a", 4, 4, 3);
  CollectionBitmap* shadow = AddFilled(&c, "s", 4, 4, 9, kBitmapShadow);
  AddGrid(&c, "run", 1, 1, {a})->frames[0].shadow.bitmap = shadow;
  const std::vector<uint8_t> before = test::Saved(c);
  OperationResult r = DeleteUnusedBitmaps(&c);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r.changed);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "0 unused bitmaps were removed.");
  EXPECT_EQ(test::Saved(c), before);
}

TEST(DeleteUnused, RemovesUnusedBitmapsAndShadowsAndClearsTheirAlternates) {
  Collection c;
  CollectionBitmap* a = AddFilled(&c, "a", 4, 4, 3);
  AddFilled(&c, "unused", 4, 4, 4);
  CollectionBitmap* alt = AddFilled(&c, "alt only", 4, 4, 5);
  CollectionBitmap* b = AddFilled(&c, "b", 4, 4, 6);
  AddFilled(&c, "unused shadow", 4, 4, 6, kBitmapShadow);
  CollectionSequence* s = AddGrid(&c, "run", 2, 1, {a, b});
  CollectionInstance* in = s->InstanceAt(0, 0);
  in->flags |= kInstanceAlternateValid;
  in->alt_bitmap = alt;
  in->alt_bitmap_index = 2;
  OperationResult r = DeleteUnusedBitmaps(&c);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.messages[0].text, "3 unused bitmaps were removed.");
  EXPECT_EQ(Names(c), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(in->alt_bitmap, nullptr);
  EXPECT_EQ(in->alt_bitmap_index, -1);
  EXPECT_EQ(s->InstanceAt(1, 0)->bitmap, b);
  // One left over reads " was".
  AddFilled(&c, "late", 2, 2, 1);
  EXPECT_EQ(DeleteUnusedBitmaps(&c).messages[0].text, "1 unused bitmap was removed.");
}

TEST(MergeIdentical, BitmapFiveMergesIntoBitmapTwoAndItsFramesFollow) {
  Collection c;
  std::vector<CollectionBitmap*> b;
  for (int i = 0; i < 7; ++i)
    b.push_back(AddFilled(&c, "b" + std::to_string(i), 6, 5, uint8_t(20 + i)));
  b[5]->pixels = b[2]->pixels;  // identical to bitmap 2, name aside
  // Same pixels but other flags or another size are not identical.
  b[6]->pixels = b[2]->pixels;
  b[6]->flags = kBitmapRle;
  CollectionBitmap* shadow = AddFilled(&c, "shadow", 6, 5, 22, kBitmapShadow);
  CollectionSequence* s = AddGrid(&c, "run", 3, 1, {b[5], b[2], b[5]});
  s->frames[2].shadow.bitmap = shadow;
  OperationResult r = MergeIdenticalBitmaps(&c);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.messages[0].text, "1 bitmap was deleted after merging.");
  EXPECT_EQ(c.bitmaps.size(), 7u);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"b0", "b1", "b2", "b3", "b4", "b6", "shadow"}));
  EXPECT_EQ(s->InstanceAt(0, 0)->bitmap, b[2]);
  EXPECT_EQ(s->InstanceAt(2, 0)->bitmap, b[2]);
  EXPECT_EQ(s->frames[2].shadow.bitmap, shadow);
  // Nothing left to merge.
  r = MergeIdenticalBitmaps(&c);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(r.messages[0].text, "0 bitmaps were deleted after merging.");
}

TEST(MergeIdentical, ManyCopiesGoToTheFirstAndEqualHashesAreStillCompared) {
  Collection c;
  for (int i = 0; i < 30; ++i) AddFilled(&c, "copy" + std::to_string(i), 3, 3, uint8_t(i % 3));
  // Pixels that differ only in one byte near the end are not merged.
  CollectionBitmap* near = AddFilled(&c, "near", 3, 3, 0);
  near->pixels.back() = 77;
  CollectionSequence* s = AddGrid(&c, "s", 1, 2, {c.bitmaps[29].get(), near});
  OperationResult r = MergeIdenticalBitmaps(&c);
  EXPECT_EQ(r.messages[0].text, "27 bitmaps were deleted after merging.");
  EXPECT_EQ(Names(c), (std::vector<std::string>{"copy0", "copy1", "copy2", "near"}));
  EXPECT_EQ(s->InstanceAt(0, 0)->bitmap->name, "copy2");
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap->name, "near");
}

TEST(CropAll, CropsEveryBitmapAndRemovesTheTransparentOnes) {
  Collection c;
  auto dot = CollectionBitmap::MakeIndexed("dot", 10, 10, kBitmapRle);
  dot->Pixel(3, 4)[0] = 255, dot->Pixel(3, 4)[1] = 7;
  CollectionBitmap* d = c.AddBitmap(std::move(dot));
  CollectionBitmap* clear = c.AddBitmap(CollectionBitmap::MakeIndexed("clear", 5, 6, kBitmapRle));
  AddFilled(&c, "tile", 8, 8, 3);  // RAW, powers of two: left alone
  c.AddBitmap(CollectionBitmap::MakeIndexed("clear shadow", 4, 4, kBitmapShadow));
  CollectionSequence* s = AddGrid(&c, "s", 1, 2, {d, clear});
  CollectionInstance* in = s->InstanceAt(0, 0);
  in->reg_x = 5, in->reg_y = 8;
  OperationResult r = CropAllBitmaps(&c);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text,
            "1 bitmap was cropped (129 pixels removed).\n Additionally, 1 bitmap was removed due "
            "to being completely transparent.");
  EXPECT_EQ(Names(c), (std::vector<std::string>{"dot", "tile", "clear shadow"}));
  EXPECT_EQ(d->width, 1);
  EXPECT_EQ(d->height, 1);
  EXPECT_EQ(in->reg_x, 2);
  EXPECT_EQ(in->reg_y, 4);
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap, nullptr);
  // Again: nothing left, and no "Additionally".
  r = CropAllBitmaps(&c);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(r.messages[0].text, "0 bitmaps were cropped (0 pixels removed).");
}

TEST(AutoRename, OneViewTwelveFramesAndFiveViewsEightFrames) {
  Collection c;
  std::vector<CollectionBitmap*> walk, turn;
  for (int i = 0; i < 12; ++i) walk.push_back(AddFilled(&c, "w", 2, 2, uint8_t(i)));
  for (int i = 0; i < 40; ++i) turn.push_back(AddFilled(&c, "t", 2, 2, uint8_t(i)));
  CollectionBitmap* single = AddFilled(&c, "x", 2, 2, 1);
  CollectionBitmap* spare = AddFilled(&c, "spare", 2, 2, 1);
  AddGrid(&c, "run", 12, 1, walk);
  // Eight views with mirroring store five.
  CollectionSequence* s = AddGrid(&c, "run", 8, 5, turn);
  s->header.flags |= kSequenceMirrored;
  s->Resize(8, 8);
  s->RebuildMirroredViews();
  ASSERT_EQ(s->StoredViewCount(), 5);
  AddGrid(&c, "stand", 1, 1, {single});
  AddGrid(&c, std::string(70, 'L'), 1, 3, {walk[0], spare});  // met before: kept
  OperationResult r = AutoRenameBitmaps(&c);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].title, "Rename operation");
  EXPECT_EQ(r.messages[0].text, "54 Bitmaps Renamed.");
  EXPECT_EQ(walk[0]->name, "run 00");
  EXPECT_EQ(walk[11]->name, "run 11");
  EXPECT_EQ(turn[3 * 5 + 2]->name, "run 03~02");
  EXPECT_EQ(single->name, "stand");
  EXPECT_EQ(spare->name, std::string(63, 'L'));
  // A collection without sequences shows nothing.
  Collection empty;
  AddFilled(&empty, "a", 2, 2, 1);
  r = AutoRenameBitmaps(&empty);
  EXPECT_FALSE(r.changed);
  EXPECT_TRUE(r.messages.empty());
}

TEST(RuntimeSize, CountsTheAreaAndThePowerOfTwoArea) {
  Collection c;
  AddFilled(&c, "a", 100, 60, 1);
  RuntimePixels n = CountRuntimePixels(c);
  EXPECT_EQ(n.area, 6000u);
  EXPECT_EQ(n.pow2_area, 8192u);
  AddFilled(&c, "b", 1, 64, 1);
  n = CountRuntimePixels(c);
  EXPECT_EQ(n.area, 6064u);
  EXPECT_EQ(n.pow2_area, 8256u);
  const std::vector<uint8_t> before = test::Saved(c);
  OperationResult r = RuntimeSize(c);
  EXPECT_FALSE(r.changed);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].title, "Information");
  EXPECT_EQ(r.messages[0].text,
            "Approximate texture cache consumption, by format:\n16 bit po2 => 0.02 MB\n16 bit "
            "npo2 => 0.01 MB\n32 bit po2 => 0.03 MB\n32 bit npo2 => 0.02 MB\n");
  EXPECT_EQ(RoundUpToPowerOfTwo(0), 1u);
  EXPECT_EQ(RoundUpToPowerOfTwo(129), 256u);
}

TEST(Flags, MonstersOffOnANewCollectionLeavesFour) {
  Collection c;
  ASSERT_EQ(c.flags, 6u);
  const auto& boxes = CollectionFlagBoxes();
  ASSERT_STREQ(boxes[1].label, "Monsters");
  EXPECT_TRUE(SetCollectionFlag(&c, boxes[1].bit, false).changed);
  EXPECT_EQ(c.flags, 4u);
  EXPECT_FALSE(SetCollectionFlag(&c, boxes[1].bit, false).changed);
  // Other bits, the colour-map bit among them, stay.
  c.flags = kCollectionColorMap | 0x40;
  SetCollectionFlag(&c, boxes[5].bit, true);
  EXPECT_EQ(c.flags, kCollectionColorMap | 0x40u | 0x20u);
  std::vector<std::string> labels;
  for (const auto& box : boxes) labels.push_back(box.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"Textures", "Monsters", "Projectiles", "Scenery",
                                              "Atmospheric Effects", "Interfaces"}));
}

TEST(ColorTable, ALoadedTableReplacesAll256EntriesAndAFailedOneNothing) {
  test::TempDir dir;
  Collection c;
  c.palette = test::DistinctPalette();
  const std::string path = dir.Path() + "/t.act";
  ASSERT_TRUE(ExportPalette(c, path));
  Rgb table[kMaxPaletteSize];
  int count = 0;
  ASSERT_TRUE(ReadColorTable(path, table, &count));
  EXPECT_EQ(count, 256);
  EXPECT_EQ(table[200], (Rgb{200, 55, uint8_t((200 * 37) & 255)}));
  // A 16-colour table: the other 240 entries become black.
  Rgb small[kMaxPaletteSize] = {};
  for (int i = 0; i < 16; ++i) small[i] = Rgb{uint8_t(i + 1), 2, 3};
  ASSERT_TRUE(WriteColorTable(path, small, 16));
  OperationResult r = ImportPalette(&c, path);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(c.palette[15], (PaletteColor{16, 2, 3}));
  for (size_t i = 16; i < 256; ++i) EXPECT_EQ(c.palette[i], PaletteColor{}) << i;
  const CollectionPalette kept = c.palette;
  test::WriteFile(path, std::string(100, 'x'));
  r = ImportPalette(&c, path);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages[0].title, "Error");
  EXPECT_EQ(r.messages[0].text, "The color table could not be opened.");
  EXPECT_EQ(c.palette, kept);
  r = ExportPalette(c, dir.Path() + "/no/such/folder/t.act");
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages[0].text, "The color table could not be saved.");
  // One entry.
  EXPECT_TRUE(SetPaletteEntry(&c, 7, PaletteColor{9, 8, 7}).changed);
  EXPECT_EQ(PackColour(c.palette[7]), 0x070809u);
  EXPECT_EQ(UnpackColour(0x070809u), (PaletteColor{9, 8, 7}));
  EXPECT_FALSE(SetPaletteEntry(&c, 256, PaletteColor{}));
}

}  // namespace
}  // namespace brae
