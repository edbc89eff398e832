#include "collection/BitmapReplace.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"

namespace brae {
namespace {

using test::ImagePalette;
using test::IndexedImage;

class Replace : public ::testing::Test {
 protected:
  void SetUp() override {
    c_ = test::SeededCollection();
    c_->bitmaps[0]->name = "a";
    auto b = CollectionBitmap::MakeIndexed("b", 2, 1);
    b->pixels = {255, 20, 255, 21};
    c_->AddBitmap(std::move(b));
    test::AddPlacement(c_.get(), c_->bitmaps[1].get(), 1, 1);
  }
  std::string Grey(const std::string& name, int w, int h, const std::vector<uint8_t>& values) {
    Image image;
    image.format = PixelFormat::kGrey;
    image.width = w;
    image.height = h;
    image.pixels = values;
    const std::string path = dir_.Path() + "/" + name;
    EXPECT_TRUE(test::WriteImageFile(path, image));
    return path;
  }
  std::string Indexed(const std::string& name, int w, int h, const std::vector<uint8_t>& px) {
    const std::string path = dir_.Path() + "/" + name;
    EXPECT_TRUE(test::WriteImageFile(path, IndexedImage(w, h, ImagePalette(c_->palette), px)));
    return path;
  }
  std::unique_ptr<Collection> c_;
  test::TempDir dir_;
};

TEST_F(Replace, AlphasByNamePairOnlyNamesFollowedByAlpha) {
  const std::string a = Grey("a.png", 2, 2, {0, 1, 2, 3});
  const std::string b = Grey("b alpha.png", 2, 1, {128, 255});
  const std::vector<uint8_t> before = test::Saved(*c_);
  OperationResult r =
      ReplaceFromFiles(c_.get(), {0, 1}, {a, b}, ReplaceMapping::kByName, ReplaceKind::kAlpha);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].title, "Error");
  EXPECT_EQ(r.messages[0].text, "The following bitmaps were not matched by name: a.");
  EXPECT_EQ(test::Saved(*c_), before);
  // Only b selected: its alpha is replaced, two bytes per pixel for the partial value.
  r = ReplaceFromFiles(c_.get(), {1}, {a, b}, ReplaceMapping::kByName, ReplaceKind::kAlpha);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c_->bitmaps[1]->pixels, (std::vector<uint8_t>{128, 20, 255, 21}));
  EXPECT_TRUE(c_->bitmaps[1]->flags & kBitmapTwoBytes);
  EXPECT_EQ(c_->bitmaps[1]->name, "b");
}

TEST_F(Replace, CountsAndUnmatchedListsAreReported) {
  const std::string one = Indexed("x.png", 1, 1, {5});
  OperationResult r =
      ReplaceFromFiles(c_.get(), {0, 1}, {one}, ReplaceMapping::kByName, ReplaceKind::kBitmap);
  EXPECT_EQ(r.messages.at(0).text, "1 bitmaps were selected, expected at least 2");
  r = ReplaceFromFiles(c_.get(), {0, 1}, {one}, ReplaceMapping::kByOrder, ReplaceKind::kBitmap);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages.at(0).text, "1 files were selected, expected 2");
  Collection many;
  std::vector<size_t> all;
  std::vector<std::string> files;
  for (int i = 0; i < 25; ++i) {
    many.AddBitmap(CollectionBitmap::MakeIndexed("n" + std::to_string(i), 1, 1));
    all.push_back(size_t(i));
    files.push_back(one);
  }
  std::vector<size_t> pairs;
  std::string message;
  EXPECT_FALSE(PairReplacementFiles(many, all, files, ReplaceMapping::kByName, ReplaceKind::kBitmap,
                                    &pairs, &message));
  EXPECT_EQ(message,
            "The following bitmaps were not matched by name: n0, n1, n2, n3, n4, n5, n6, n7, n8, "
            "n9, n10, n11, n12, n13, n14, n15, n16, n17, n18, n19. (5 more)");
  EXPECT_EQ(ReplaceDialogTitle(ReplaceKind::kShadow, 2), std::string("Import replacement shadows"));
}

TEST_F(Replace, BitmapsByOrderTakeTheFilesPixelsAndNames) {
  const std::string x = Indexed("x.png", 3, 1, {0, 30, 31});
  const std::string y = Indexed("y.png", 1, 1, {40});
  OperationResult r =
      ReplaceFromFiles(c_.get(), {1, 0}, {x, y}, ReplaceMapping::kByOrder, ReplaceKind::kBitmap);
  ASSERT_TRUE(r) << r.Text();
  const CollectionBitmap& b = *c_->bitmaps[1];
  EXPECT_EQ(b.name, "x");
  EXPECT_EQ(b.width, 3);
  EXPECT_TRUE(b.IsRle());
  EXPECT_EQ(b.pixels, (std::vector<uint8_t>{0, 0, 255, 30, 255, 31}));
  EXPECT_EQ(c_->sequences[0]->frames[0].views[0]->bitmap, &b);
  EXPECT_EQ(c_->bitmaps[0]->name, "y");
}

TEST_F(Replace, AlphaMasksMustHaveTheBitmapsSize) {
  const std::string b = Grey("b alpha.png", 3, 1, {1, 2, 3});
  const std::vector<uint8_t> before = test::Saved(*c_);
  OperationResult r =
      ReplaceFromFiles(c_.get(), {1}, {b}, ReplaceMapping::kByOrder, ReplaceKind::kAlpha);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages.at(0).text,
            "'b alpha.png': The alpha mask must have the same dimensions as the image. Found: 3 x "
            "1. Expected: 2 x 1.");
  EXPECT_EQ(test::Saved(*c_), before);
}

TEST_F(Replace, ShadowsNeedGreyscaleFiles) {
  c_->bitmaps[1]->flags = kBitmapShadow;
  const std::string colour = Indexed("c.png", 1, 1, {5});
  OperationResult r =
      ReplaceFromFiles(c_.get(), {1}, {colour}, ReplaceMapping::kByOrder, ReplaceKind::kShadow);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages.at(0).text, "'c.png': The image is not 8-bit greyscale.");
  const std::string grey = Grey("s.png", 2, 2, {0, 9, 9, 0});
  r = ReplaceFromFiles(c_.get(), {1}, {grey}, ReplaceMapping::kByOrder, ReplaceKind::kShadow);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c_->bitmaps[1]->flags, kBitmapShadow);
  EXPECT_EQ(c_->bitmaps[1]->name, "s");
  EXPECT_EQ(c_->bitmaps[1]->height, 2);
}

}  // namespace
}  // namespace brae
