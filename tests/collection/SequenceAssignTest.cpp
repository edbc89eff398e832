// The sequence editor's commands: fields and flags, imports into the grid from files and plates
// (with the refused plate leaving nothing behind), alpha imports, exports and drops of grid cells.
#include "collection/SequenceAssign.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"
#include "collection/Plates.h"

namespace brae {
namespace {

using test::DistinctPalette;
using test::ImagePalette;
using test::IndexedImage;
using test::WriteImageFile;

CollectionSequence* AddSequence(Collection* c, const std::string& name, int frames, int views) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = name;
  s->Resize(frames, views);
  return c->AddSequence(std::move(s));
}

// A collection with the distinct palette and `count` opaque bitmaps "b0", "b1", ... of 3 × 2.
std::unique_ptr<Collection> WithBitmaps(int count) {
  auto c = std::make_unique<Collection>();
  c->name = "Test";
  c->palette = DistinctPalette();
  for (int i = 0; i < count; ++i) {
    auto b = CollectionBitmap::MakeIndexed("b" + std::to_string(i), 3, 2);
    for (size_t p = 0; p < 6; ++p) b->pixels[p * 2] = 255, b->pixels[p * 2 + 1] = uint8_t(20 + i);
    c->AddBitmap(std::move(b));
  }
  return c;
}

// Writes `count` 8-bit files "f0.bmp", ... with the collection's palette; file k holds index
// 30 + k everywhere.
std::vector<std::string> WriteFiles(const test::TempDir& dir, const Collection& c, int count) {
  std::vector<std::string> paths;
  for (int k = 0; k < count; ++k) {
    const std::string path = dir.Path() + "/f" + std::to_string(k) + ".bmp";
    std::vector<uint8_t> pixels(6, uint8_t(30 + k));
    EXPECT_TRUE(WriteImageFile(path, IndexedImage(3, 2, ImagePalette(c.palette), pixels)));
    paths.push_back(path);
  }
  return paths;
}

uint8_t FirstIndex(const CollectionBitmap* b) {
  return b ? b->pixels[1] : 0;
}

TEST(SequenceFields, StoreOnlyWhatDiffersAndSoundTagsPack) {
  auto c = WithBitmaps(0);
  AddSequence(c.get(), "walk", 1, 1);
  OperationResult r = SetSequenceField(c.get(), 0, SequenceField::kTicksPerFrame, 4);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(c->sequences[0]->header.ticks_per_frame, 4);
  EXPECT_FALSE(SetSequenceField(c.get(), 0, SequenceField::kTicksPerFrame, 4).changed);
  SetSequenceField(c.get(), 0, SequenceField::kKeySound, PackSoundTag("ab"));
  EXPECT_EQ(c->sequences[0]->header.key_sound, 0x61622020u);  // "ab  "
  SetSequenceField(c.get(), 0, SequenceField::kKeySound, PackSoundTag(""));
  EXPECT_EQ(c->sequences[0]->header.key_sound, 0xFFFFFFFFu);
  EXPECT_EQ(SoundTagText(PackSoundTag("ab")), "ab");
  EXPECT_EQ(SequenceFieldValue(*c->sequences[0], SequenceField::kTicksPerFrame), 4u);
  uint32_t v = 0;
  EXPECT_TRUE(ParseFieldNumber("65535", &v));
  EXPECT_EQ(v, 65535u);
  EXPECT_FALSE(ParseFieldNumber("65536", &v));
  EXPECT_FALSE(ParseFieldNumber("", &v));
  EXPECT_FALSE(ParseFieldNumber("-1", &v));
  EXPECT_FALSE(ParseFieldNumber("3x", &v));
}

TEST(SequenceFields, ModeChoicesAndUnknownModesShowAsNone) {
  std::vector<std::string> labels;
  std::vector<int> values;
  for (const TransferModeChoice& m : TransferModeChoices()) {
    labels.push_back(m.label);
    values.push_back(m.value);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"None", "Fade Out", "Fade In", "Appearing",
                                              "Disappearing", "Cycle"}));
  EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 5, 6, 7}));
  EXPECT_EQ(ShownTransferMode(3), kTransferNone);
  EXPECT_EQ(ShownTransferMode(6), kTransferDisappearing);
}

TEST(SequenceFlags, MirroringRebuildsTheMirroredViewsAndExcludesNoRotation) {
  auto c = WithBitmaps(3);
  CollectionSequence* s = AddSequence(c.get(), "walk", 1, 8);
  for (int v = 0; v < 5; ++v) s->InstanceAt(0, v)->bitmap = c->BitmapAt(size_t(v % 3));
  s->InstanceAt(0, 1)->reg_x = 1;
  SetSequenceFlag(c.get(), 0, kSequenceNoRotation, true);
  OperationResult r = SetSequenceFlag(c.get(), 0, kSequenceMirrored, true);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(s->header.flags & (kSequenceMirrored | kSequenceNoRotation), kSequenceMirrored);
  // View 7 mirrors view 1: its flag bit 0 toggled, registration x = width - x.
  EXPECT_EQ(s->InstanceAt(0, 7)->bitmap, c->BitmapAt(1));
  EXPECT_EQ(s->InstanceAt(0, 7)->flags & kInstanceMirrorX, kInstanceMirrorX);
  EXPECT_EQ(s->InstanceAt(0, 7)->reg_x, 2);
  // Mirroring a stored cell mirrors its reflection back.
  SetCellFlag(c.get(), 0, {{0, 1}}, kInstanceMirrorX, true);
  EXPECT_EQ(s->InstanceAt(0, 7)->flags & kInstanceMirrorX, 0u);
  // Cells past the stored views are not set directly.
  EXPECT_FALSE(SetCellFlag(c.get(), 0, {{0, 6}}, kInstanceMirrorY, true).changed);
  EXPECT_TRUE(SetShadowFlag(c.get(), 0, {0}, kShadowLight, true).changed);
  EXPECT_EQ(s->frames[0].shadow.flags, kShadowLight);
  EXPECT_FALSE(SetShadowFlag(c.get(), 0, {0, 5}, kShadowLight, true).changed);
}

TEST(SequenceFlags, GrowingMirroredViewsRebuildsTheMirrors) {
  auto c = WithBitmaps(2);
  CollectionSequence* s = AddSequence(c.get(), "walk", 1, 1);
  s->header.flags |= kSequenceMirrored;
  s->InstanceAt(0, 0)->bitmap = c->BitmapAt(0);
  ASSERT_TRUE(ResizeSequence(c.get(), 0, 1, 4).changed);
  ASSERT_EQ(s->StoredViewCount(), 3);
  EXPECT_EQ(s->InstanceAt(0, 3)->bitmap, s->InstanceAt(0, 1)->bitmap);
  EXPECT_EQ(s->InstanceAt(0, 3)->flags & kInstanceMirrorX, kInstanceMirrorX);
}

TEST(SequenceImport, SixFilesFramesThenViewsPutFileOneAtFrameOneViewZero) {
  test::TempDir dir;
  auto c = WithBitmaps(1);
  AddSequence(c.get(), "walk", 2, 3);
  const std::vector<std::string> files = WriteFiles(dir, *c, 6);
  OperationResult r = ImportSequenceBitmaps(c.get(), 0, files, AssignOrder::kFramesThenViews);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(c->bitmaps.size(), 7u);
  EXPECT_EQ(c->bitmaps[2]->name, "f1");
  const CollectionSequence& s = *c->sequences[0];
  EXPECT_EQ(FirstIndex(s.frames[1].views[0]->bitmap), 31);
  EXPECT_EQ(FirstIndex(s.frames[0].views[1]->bitmap), 32);
  EXPECT_EQ(FirstIndex(s.frames[1].views[2]->bitmap), 35);
  // Views, then frames: file 1 in frame 0, view 1.
  ASSERT_TRUE(ImportSequenceBitmaps(c.get(), 0, files, AssignOrder::kViewsThenFrames));
  EXPECT_EQ(FirstIndex(s.frames[0].views[1]->bitmap), 31);
  EXPECT_EQ(FirstIndex(s.frames[1].views[0]->bitmap), 33);
}

TEST(SequenceImport, AWrongCountOrADeclinedPaletteAddsNothing) {
  test::TempDir dir;
  auto c = WithBitmaps(1);
  AddSequence(c.get(), "walk", 2, 3);
  std::vector<std::string> files = WriteFiles(dir, *c, 5);
  OperationResult r = ImportSequenceBitmaps(c.get(), 0, files, AssignOrder::kViewsThenFrames);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "5 bitmaps were seleced, expected 6");
  EXPECT_EQ(c->bitmaps.size(), 1u);
  // A sixth file whose colours cannot be merged into the full palette, declined.
  CollectionPalette other{};
  for (int i = 0; i < 256; ++i) other[size_t(i)] = PaletteColor{uint8_t(i), 7, 7};
  const std::string odd = dir.Path() + "/odd.bmp";
  ASSERT_TRUE(
      WriteImageFile(odd, IndexedImage(3, 2, ImagePalette(other), std::vector<uint8_t>(6, 99))));
  files.push_back(odd);
  const CollectionPalette before = c->palette;
  r = ImportSequenceBitmaps(c.get(), 0, files, AssignOrder::kViewsThenFrames,
                            [](const std::string&) { return false; });
  EXPECT_FALSE(r);
  EXPECT_EQ(c->bitmaps.size(), 1u);
  EXPECT_EQ(c->palette, before);
  EXPECT_EQ(c->sequences[0]->InstanceAt(0, 0)->bitmap, nullptr);
}

// A plate of the grid's cells written by the export reads back into the same layout, empty
// cells included.
TEST(SequencePlate, ExportedPlateImportsBackFrameByFrameWithEmptyCells) {
  test::TempDir dir;
  auto c = WithBitmaps(5);
  CollectionSequence* s = AddSequence(c.get(), "walk", 2, 3);
  for (int k = 0; k < 6; ++k)
    if (k != 4) s->InstanceAt(k / 3, k % 3)->bitmap = c->BitmapAt(size_t(k == 5 ? 4 : k));
  const std::string path = dir.Path() + "/" + SequencePlateName(*s, false) + ".bmp";
  EXPECT_EQ(SequencePlateName(*s, false), "walk plate");
  EXPECT_EQ(SequencePlateName(*s, true), "walk alpha plate");
  ASSERT_TRUE(ExportSequencePlate(*c, 0, false, path));

  auto back = WithBitmaps(0);
  CollectionSequence* t = AddSequence(back.get(), "walk", 2, 3);
  OperationResult r = ImportSequencePlate(back.get(), 0, path);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(back->bitmaps.size(), 5u);
  EXPECT_EQ(back->bitmaps[0]->name, "walk plate #0000");
  EXPECT_EQ(back->bitmaps[4]->name, "walk plate #0005");
  for (int k = 0; k < 6; ++k) {
    const CollectionBitmap* b = t->InstanceAt(k / 3, k % 3)->bitmap;
    if (k == 4) {
      EXPECT_EQ(b, nullptr);
      continue;
    }
    ASSERT_NE(b, nullptr) << k;
    EXPECT_EQ(b->pixels, s->InstanceAt(k / 3, k % 3)->bitmap->pixels) << k;
  }
}

TEST(SequencePlate, APlateOfTheWrongCountLeavesNothingBehind) {
  test::TempDir dir;
  auto c = WithBitmaps(3);
  CollectionSequence* s = AddSequence(c.get(), "walk", 1, 3);
  for (int v = 0; v < 3; ++v) s->InstanceAt(0, v)->bitmap = c->BitmapAt(size_t(v));
  const std::string path = dir.Path() + "/three.bmp";
  ASSERT_TRUE(ExportSequencePlate(*c, 0, false, path));

  // Into a new collection (which takes the plate's palette) with a grid of four cells.
  Collection fresh;
  AddSequence(&fresh, "run", 2, 2);
  const CollectionPalette before = fresh.palette;
  OperationResult r = ImportSequencePlate(&fresh, 0, path);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text,
            "Invalid number of images in plate. It must contain exactly 4 images.");
  EXPECT_TRUE(fresh.bitmaps.empty());
  EXPECT_EQ(fresh.palette, before);
  EXPECT_EQ(fresh.sequences[0]->InstanceAt(0, 0)->bitmap, nullptr);
}

TEST(SequenceAlphas, EveryCellNeedsABitmapAndAlphasFollowTheOrder) {
  test::TempDir dir;
  auto c = WithBitmaps(2);
  CollectionSequence* s = AddSequence(c.get(), "walk", 2, 1);
  s->InstanceAt(0, 0)->bitmap = c->BitmapAt(0);
  std::vector<std::string> masks;
  for (int k = 0; k < 2; ++k) {
    Image grey;
    grey.format = PixelFormat::kGrey;
    grey.width = 3, grey.height = 2;
    grey.pixels.assign(6, uint8_t(k == 0 ? 100 : 255));
    masks.push_back(dir.Path() + "/m" + std::to_string(k) + ".png");
    ASSERT_TRUE(WriteImageFile(masks.back(), grey));
  }
  OperationResult r = ImportSequenceAlphas(c.get(), 0, masks, AssignOrder::kFramesThenViews);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "In order to replace alphas, every bitmap must be assigned.");
  s->InstanceAt(1, 0)->bitmap = c->BitmapAt(1);
  r = ImportSequenceAlphas(c.get(), 0, masks, AssignOrder::kFramesThenViews);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c->bitmaps[0]->pixels[0], 100);
  EXPECT_EQ(c->bitmaps[0]->flags & kBitmapTwoBytes, kBitmapTwoBytes);
  EXPECT_EQ(c->bitmaps[1]->pixels[0], 255);
  // The alpha plate of the grid applies back frame by frame.
  const std::string plate = dir.Path() + "/walk alpha plate.bmp";
  ASSERT_TRUE(ExportSequencePlate(*c, 0, true, plate));
  c->bitmaps[0]->pixels[0] = 1;
  ASSERT_TRUE(ImportSequenceAlphaPlate(c.get(), 0, plate));
  EXPECT_EQ(c->bitmaps[0]->pixels[0], 100);
}

TEST(SequenceExport, OneFilePerAssignedCellNamedByFrameAndView) {
  test::TempDir dir;
  auto c = WithBitmaps(2);
  CollectionSequence* s = AddSequence(c.get(), "walk", 2, 2);
  s->InstanceAt(0, 1)->bitmap = c->BitmapAt(0);
  s->InstanceAt(1, 0)->bitmap = c->BitmapAt(1);
  EXPECT_EQ(SequenceExportName(3, 12, false), "Frame #03, view #12");
  EXPECT_EQ(SequenceExportName(0, 1, true), "Frame #00, view #01 alpha");
  std::vector<std::string> written;
  ASSERT_TRUE(ExportSequenceBitmaps(*c, 0, dir.Path() + "/out", false, MediaType::kBmp, &written));
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], dir.Path() + "/out/Frame #00, view #01.bmp");
  EXPECT_EQ(written[1], dir.Path() + "/out/Frame #01, view #00.bmp");
  MediaFile f(written[1], MediaGroup::kImage);
  ASSERT_TRUE(f.ReadHeader() && f.ReadPixels());
  EXPECT_EQ(f.image.width, 3);
  EXPECT_EQ(f.image.pixels[0], 21);
}

TEST(GridDrops, ItemsKeepTheirLayoutAndAreRefusedWhole) {
  auto c = WithBitmaps(3);
  c->bitmaps[2]->flags |= kBitmapShadow;
  CollectionSequence* s = AddSequence(c.get(), "walk", 3, 3);
  // Two cells side by side and one below the first, moved to (1, 1).
  const std::vector<GridDropItem> items = {{0, 0, 0, false}, {0, 1, 1, false}, {1, 0, -1, false}};
  s->InstanceAt(2, 1)->bitmap = c->BitmapAt(1);
  OperationResult r = DropGridItems(c.get(), 0, {1, 1}, items);
  ASSERT_TRUE(r);
  EXPECT_EQ(s->InstanceAt(1, 1)->bitmap, c->BitmapAt(0));
  EXPECT_EQ(s->InstanceAt(1, 2)->bitmap, c->BitmapAt(1));
  EXPECT_EQ(s->InstanceAt(2, 1)->bitmap, nullptr);  // an empty cell empties its target
  // One column further right runs past the grid: nothing changes.
  s->InstanceAt(2, 2)->bitmap = c->BitmapAt(0);
  EXPECT_FALSE(DropGridItems(c.get(), 0, {1, 2}, items));
  EXPECT_FALSE(CanDropGridItems(*c, *s, {1, 2}, items));
  EXPECT_EQ(s->InstanceAt(2, 2)->bitmap, c->BitmapAt(0));
  // A shadow item lands only on the shadow column (view -1), a view item never does.
  const std::vector<GridDropItem> shadow = {{0, 0, 2, true}};
  EXPECT_FALSE(DropGridItems(c.get(), 0, {0, 0}, shadow));
  ASSERT_TRUE(DropGridItems(c.get(), 0, {2, -1}, shadow));
  EXPECT_EQ(s->frames[2].shadow.bitmap, c->BitmapAt(2));
  EXPECT_FALSE(DropGridItems(c.get(), 0, {0, -1}, {{0, 0, 0, false}}));
  // A bitmap of the wrong kind for its column is refused.
  EXPECT_FALSE(DropGridItems(c.get(), 0, {0, -1}, {{0, 0, 0, true}}));
  EXPECT_TRUE(CanDropBitmaps(*c, *s, {2, 2}, {0}));
  EXPECT_FALSE(CanDropBitmaps(*c, *s, {2, 2}, {0, 1}));
  EXPECT_FALSE(CanDropBitmaps(*c, *s, {0, 0}, {2}));
  EXPECT_TRUE(CanDropShadows(*c, *s, 2, {2}));
  EXPECT_FALSE(CanDropShadows(*c, *s, 2, {2, 2}));
  EXPECT_FALSE(CanDropShadows(*c, *s, 0, {0}));
}

}  // namespace
}  // namespace brae
