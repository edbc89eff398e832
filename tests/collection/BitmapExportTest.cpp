#include "collection/BitmapExport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "BitmapTestSupport.h"
#include "collection/CollectionImport.h"

namespace brae {
namespace {

TEST(Export, ColourImagesReimportWithTheSamePixels) {
  auto c = test::SeededCollection();
  auto rle = CollectionBitmap::MakeIndexed("rle", 3, 1, kBitmapRle);
  rle->pixels = {0, 0, 255, 40, 255, 41};
  c->AddBitmap(std::move(rle));
  auto raw = CollectionBitmap::MakeIndexed("raw", 2, 1);
  raw->pixels = {0, 0, 255, 50};
  c->AddBitmap(std::move(raw));
  test::TempDir dir;
  std::vector<std::string> written;
  OperationResult r = ExportBitmapsToFolder(*c, {1, 2}, dir.Path() + "/out", ExportNaming::kByName,
                                            false, MediaType::kPng, &written);
  ASSERT_TRUE(r) << r.Text();
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], dir.Path() + "/out/rle.png");
  Image image;
  std::string message;
  ASSERT_TRUE(ReadBitmapImage(written[1], c->palette, &image, &message)) << message;
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 1, 255, 50}));  // RAW clear: index 1
  const size_t before = c->bitmaps.size();
  ASSERT_TRUE(ImportBitmapsFromFiles(c.get(), written, nullptr));
  EXPECT_EQ(c->bitmaps[before]->pixels, c->bitmaps[1]->pixels);
  EXPECT_TRUE(c->bitmaps[before]->IsRle());
  EXPECT_EQ(c->bitmaps[before + 1]->pixels, c->bitmaps[2]->pixels);
  EXPECT_FALSE(c->bitmaps[before + 1]->IsRle());
}

TEST(Export, ByNameNeedsDistinctNamesAndNumberingNamesByPosition) {
  auto c = test::SeededCollection();
  c->AddBitmap(CollectionBitmap::MakeIndexed("Seed", 1, 1));
  c->AddBitmap(CollectionBitmap::MakeIndexed("../escape", 1, 1, kBitmapShadow));
  test::TempDir dir;
  OperationResult r = ExportBitmapsToFolder(*c, {0, 1}, dir.Path() + "/n", ExportNaming::kByName,
                                            false, MediaType::kPng);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages.at(0).text,
            "Export by name is not possible because two or more of the selected bitmaps share "
            "the same name. Running the auto-rename function may be useful.");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/n"));
  std::vector<std::string> written;
  ASSERT_TRUE(ExportBitmapsToFolder(*c, {2}, dir.Path() + "/n", ExportNaming::kByName, true,
                                    MediaType::kBmp, &written));
  EXPECT_EQ(written.at(0), dir.Path() + "/n/.._escape alpha.bmp");
  written.clear();
  ASSERT_TRUE(ExportBitmapsToFolder(*c, {1, 2}, dir.Path() + "/n", ExportNaming::kByNumbering,
                                    false, MediaType::kTiff, &written));
  EXPECT_EQ(written.at(0), dir.Path() + "/n/bitmap #0000.tiff");
  EXPECT_EQ(written.at(1), dir.Path() + "/n/shadow #0001.tiff");
  EXPECT_EQ(SafeFileName(".."), "_..");
}

TEST(Export, AlphaImagesAreGreyscale) {
  auto c = test::SeededCollection();
  c->bitmaps[0]->pixels[0] = 77;
  const Image alpha = BitmapAlphaImage(*c->bitmaps[0]);
  EXPECT_EQ(alpha.format, PixelFormat::kGrey);
  EXPECT_EQ(alpha.pixels, (std::vector<uint8_t>{77, 255, 255, 255}));
  test::TempDir dir;
  const std::string path = dir.Path() + "/seed alpha.png";
  ASSERT_TRUE(ExportBitmapToFile(*c, 0, true, path));
  Image back;
  std::string message;
  ASSERT_TRUE(ReadGreyImage(path, &back, &message)) << message;
  EXPECT_EQ(back.pixels, alpha.pixels);
  EXPECT_EQ(DefaultExportName(*c->bitmaps[0], true), "seed alpha");
}

}  // namespace
}  // namespace brae
