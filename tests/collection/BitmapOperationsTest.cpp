#include "collection/BitmapOperations.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"

namespace brae {
namespace {

CollectionBitmap* AddFilled(Collection* c, const std::string& name, int w, int h, uint16_t flags) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, flags);
  for (size_t i = 0; i < b->pixels.size(); i += 2) b->pixels[i] = 255, b->pixels[i + 1] = 9;
  return c->AddBitmap(std::move(b));
}

TEST(Crop, ARawPowerOfTwoBitmapIsLeftAlone) {
  Collection c;
  CollectionBitmap* b = AddFilled(&c, "tile", 64, 64, 0);
  std::fill(b->pixels.begin(), b->pixels.begin() + 64 * 2 * 3, 0);  // three clear rows
  const std::vector<uint8_t> before = test::Saved(c);
  std::string asked;
  OperationResult r = CropBitmaps(&c, {0}, RowScope::kAll, [&](const std::string& q) {
    asked = q;
    return true;
  });
  EXPECT_EQ(asked, "Are you sure you want to crop the only bitmap?");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r.changed);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "0 bitmaps were cropped (0 pixels removed).");
  EXPECT_EQ(test::Saved(c), before);
}

TEST(Crop, OnePixelOfAnRleBitmapMovesThePointsOfEveryInstance) {
  Collection c;
  auto b = CollectionBitmap::MakeIndexed("dot", 10, 10, kBitmapRle);
  b->Pixel(3, 4)[0] = 255, b->Pixel(3, 4)[1] = 7;
  CollectionBitmap* dot = c.AddBitmap(std::move(b));
  CollectionSequence* plain = test::AddPlacement(&c, dot, 5, 8);
  CollectionSequence* mirrored =
      test::AddPlacement(&c, dot, 5, 8, kInstanceMirrorX | kInstanceMirrorY);
  CollectionInstance& alt = *plain->frames[0].views[0];
  alt.flags |= kInstanceAlternateValid;
  alt.alt_bitmap = dot;
  alt.alt_reg_x = 4, alt.alt_reg_y = 4;
  OperationResult r = CropBitmaps(&c, {0});
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.messages[0].text, "1 bitmap was cropped (99 pixels removed).");
  EXPECT_EQ(dot->width, 1);
  EXPECT_EQ(dot->height, 1);
  EXPECT_EQ(dot->pixels, (std::vector<uint8_t>{255, 7}));
  const CollectionInstance& p = *plain->frames[0].views[0];
  EXPECT_EQ(p.reg_x, 2);
  EXPECT_EQ(p.reg_y, 4);
  EXPECT_EQ(p.key_x, 3);
  EXPECT_EQ(p.key_y, 5);
  EXPECT_EQ(p.alt_reg_x, 1);
  EXPECT_EQ(p.alt_reg_y, 0);
  // Mirrored both ways: by the 6 columns removed on the right and 5 rows at the bottom.
  const CollectionInstance& m = *mirrored->frames[0].views[0];
  EXPECT_EQ(m.reg_x, -1);
  EXPECT_EQ(m.reg_y, 3);
}

TEST(Crop, FullyTransparentBitmapsAndDeclinedQuestionsChangeNothing) {
  Collection c;
  c.AddBitmap(CollectionBitmap::MakeIndexed("clear", 7, 5, kBitmapRle));
  AddFilled(&c, "full", 7, 5, 0);
  const std::vector<uint8_t> before = test::Saved(c);
  OperationResult r = CropBitmaps(&c, {0, 1}, RowScope::kSelected, [](const std::string& q) {
    EXPECT_EQ(q, "Are you sure you want to crop the selected bitmaps?");
    return false;
  });
  EXPECT_FALSE(r);
  EXPECT_TRUE(r.messages.empty());
  r = CropBitmaps(&c, {0, 1}, RowScope::kAll);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(test::Saved(c), before);
  EXPECT_EQ(CropQuestion(RowScope::kAll, 3), "Are you sure you want to crop all bitmaps?");
}

TEST(Uncrop, SizesOutsideOneTo4096AreRefusedAndCancelShowsNothing) {
  Collection c;
  AddFilled(&c, "a", 3, 3, 0);
  for (int size : {0, 5000, -1}) {
    OperationResult r = UncropBitmaps(&c, {0}, size);
    EXPECT_FALSE(r);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Invalid size for uncropping.");
  }
  OperationResult cancelled = UncropBitmaps(&c, {0}, std::nullopt);
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(cancelled.messages.empty());
  EXPECT_EQ(c.bitmaps[0]->width, 3);
}

TEST(Uncrop, PadsToTheSizeCentredAndMovesPoints) {
  Collection c;
  CollectionBitmap* a = AddFilled(&c, "a", 1, 2, kBitmapRle);
  AddFilled(&c, "big", 9, 2, 0);
  CollectionSequence* plain = test::AddPlacement(&c, a, 0, 0);
  CollectionSequence* mirrored = test::AddPlacement(&c, a, 0, 0, kInstanceMirrorX);
  OperationResult r = UncropBitmaps(&c, {0, 1}, 4);
  ASSERT_TRUE(r);
  EXPECT_EQ(r.bitmaps, std::vector<size_t>{0});
  EXPECT_EQ(a->width, 4);
  EXPECT_EQ(a->height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(a->Pixel(x, y)[0], (x == 1 && y >= 1 && y <= 2) ? 255 : 0);
  }
  EXPECT_EQ(c.bitmaps[1]->width, 9);  // larger than the size: left alone
  EXPECT_EQ(plain->frames[0].views[0]->reg_x, 1);
  EXPECT_EQ(plain->frames[0].views[0]->reg_y, 1);
  EXPECT_EQ(mirrored->frames[0].views[0]->reg_x, 2);
  EXPECT_EQ(mirrored->frames[0].views[0]->reg_y, 1);
  // Uncrop after crop gives back the same bitmap.
  CropBitmaps(&c, {0});
  EXPECT_EQ(a->width, 1);
  EXPECT_EQ(plain->frames[0].views[0]->reg_x, 0);
  EXPECT_EQ(mirrored->frames[0].views[0]->reg_x, 0);
}

TEST(Formats, ConvertRemoveAlphaAndRename) {
  Collection c;
  CollectionBitmap* a = AddFilled(&c, "a", 2, 1, kBitmapTwoBytes);
  a->pixels[0] = 100;
  a->pixels[2] = 0;
  ASSERT_TRUE(ConvertBitmaps(&c, {0}, true).changed);
  EXPECT_TRUE(a->IsRle());
  EXPECT_FALSE(ConvertBitmaps(&c, {0}, true).changed);
  ASSERT_TRUE(ConvertBitmaps(&c, {0}, false).changed);
  EXPECT_FALSE(a->IsRle());
  ASSERT_TRUE(RemoveAlpha(&c, {0}).changed);
  EXPECT_FALSE(a->flags & kBitmapTwoBytes);
  EXPECT_EQ(a->pixels[0], 255);
  EXPECT_EQ(a->pixels[2], 0);
  ASSERT_TRUE(RenameBitmap(&c, 0, std::string(80, 'x')).changed);
  EXPECT_EQ(a->name, std::string(63, 'x'));
  EXPECT_FALSE(RenameBitmap(&c, 5, "y"));
}

TEST(Delete, AsksAndLeavesUsersWithoutABitmap) {
  Collection c;
  CollectionBitmap* a = AddFilled(&c, "a", 2, 2, kBitmapShadow);
  AddFilled(&c, "b", 2, 2, 0);
  CollectionSequence* s = test::AddPlacement(&c, c.bitmaps[1].get(), 0, 0);
  s->frames[0].shadow.bitmap = a;
  std::string asked;
  auto yes = [&](const std::string& q) {
    asked = q;
    return true;
  };
  EXPECT_FALSE(
      DeleteBitmaps(&c, {0}, RowScope::kSelected, [](const std::string&) { return false; }));
  EXPECT_EQ(c.bitmaps.size(), 2u);
  ASSERT_TRUE(DeleteBitmaps(&c, {0}, RowScope::kAll, yes));
  EXPECT_EQ(asked, "Are you sure you want to remove the only shadow?");
  EXPECT_EQ(s->frames[0].shadow.bitmap, nullptr);
  EXPECT_EQ(DeleteQuestion(RowScope::kSelected, 2, false),
            "Are you sure you want to remove the selected bitmaps?");
  ASSERT_TRUE(DeleteBitmaps(&c, {0}));
  EXPECT_EQ(s->frames[0].views[0]->bitmap, nullptr);
  EXPECT_TRUE(c.bitmaps.empty());
}

TEST(Move, DraggedBitmapsKeepTheirInstancesThroughASave) {
  Collection c;
  for (const char* n : {"a", "b", "c", "d", "e"}) AddFilled(&c, n, 2, 2, 0);
  test::AddPlacement(&c, c.bitmaps[1].get(), 0, 0);  // b
  test::AddPlacement(&c, c.bitmaps[3].get(), 0, 0);  // d
  OperationResult r = MoveBitmaps(&c, {3, 1}, 0);
  ASSERT_TRUE(r.changed);
  std::string order;
  for (auto& b : c.bitmaps) order += b->name;
  EXPECT_EQ(order, "bdace");
  EXPECT_EQ(r.bitmaps, (std::vector<size_t>{0, 1}));
  r = MoveBitmaps(&c, {0}, 5);  // to the end
  order.clear();
  for (auto& b : c.bitmaps) order += b->name;
  EXPECT_EQ(order, "daceb");
  EXPECT_FALSE(MoveBitmaps(&c, {4}, 5).changed);
  // Saved and loaded, each instance still names its bitmap.
  std::vector<uint8_t> data = test::Saved(c);
  Collection loaded;
  TagHeader header;
  ASSERT_TRUE(LoadCollection(data.data(), data.size(), header, CollectionLoadOptions(), &loaded));
  EXPECT_EQ(loaded.sequences[0]->frames[0].views[0]->bitmap->name, "b");
  EXPECT_EQ(loaded.sequences[1]->frames[0].views[0]->bitmap->name, "d");
}

TEST(Guard, OpenBitmapsStopAnOperation) {
  Collection c;
  AddFilled(&c, "a", 2, 2, 0);
  AddFilled(&c, "b", 2, 2, 0);
  auto open = [](size_t i) { return i == 1; };
  EXPECT_FALSE(OpenBitmapMessage(c, {0}, open, kActionCropping));
  EXPECT_EQ(*OpenBitmapMessage(c, {0, 1}, open, kActionDeleting),
            "The bitmap \"b\" is currently open. Please close it before deleting.");
}

TEST(Texts, RowsAndLabelsOfTheBrowser) {
  Collection c;
  CollectionBitmap* b = AddFilled(&c, "a", 12, 7, kBitmapRle | kBitmapTwoBytes);
  EXPECT_EQ(BitmapBitsText(*b), "16 bit");
  EXPECT_STREQ(BitmapFormatText(*b), "RLE");
  EXPECT_EQ(BitmapDimensionsText(*b), "  12 x 7");
  EXPECT_EQ(BitmapCountLabel(1, false), "  1 Bitmap:");
  EXPECT_EQ(BitmapCountLabel(12, true), " 12 Shadows:");
  EXPECT_STREQ(SelectedMenuTitle(2, true), "Selected Shadows");
  EXPECT_STREQ(SelectedMenuTitle(1, false), "Selected Bitmap");
}

TEST(Snapshot, RestoresTheCollectionAfterAnyOperation) {
  auto c = test::SeededCollection();
  auto b = CollectionBitmap::MakeIndexed("dot", 10, 10, kBitmapRle);
  b->Pixel(3, 4)[0] = 255, b->Pixel(3, 4)[1] = 7;
  CollectionSequence* s = test::AddPlacement(c.get(), c->AddBitmap(std::move(b)), 5, 8);
  CollectionInstance& in = *s->frames[0].views[0];
  in.flags |= kInstanceAlternateValid;
  in.alt_bitmap = c->bitmaps[1].get();
  in.alt_bitmap_index = 1;
  in.alt_reg_x = 2;
  const std::vector<uint8_t> before = test::Saved(*c);
  BitmapSnapshot snapshot(*c);
  CropBitmaps(c.get(), {1});
  MoveBitmaps(c.get(), {1}, 0);
  DeleteBitmaps(c.get(), {1});
  ASSERT_NE(test::Saved(*c), before);
  snapshot.Restore(c.get());
  EXPECT_EQ(test::Saved(*c), before);
}

}  // namespace
}  // namespace brae
