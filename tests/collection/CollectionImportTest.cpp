#include "collection/CollectionImport.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"
#include "collection/PaletteMerge.h"

namespace brae {
namespace {

using test::DistinctPalette;
using test::ImagePalette;
using test::IndexedImage;
using test::WriteImageFile;

class Import : public ::testing::Test {
 protected:
  std::string File(const std::string& name, const Image& image) {
    const std::string path = dir_.Path() + "/" + name;
    EXPECT_TRUE(WriteImageFile(path, image));
    return path;
  }
  test::TempDir dir_;
};

TEST_F(Import, IdenticalPaletteKeepsIndicesAndIndexZeroMakesRle) {
  auto c = test::SeededCollection();
  const Palette same = ImagePalette(c->palette);
  const std::string with_zero = File("zero.png", IndexedImage(3, 1, same, {0, 5, 200}));
  const std::string with_one = File("one.png", IndexedImage(3, 1, same, {1, 7, 255}));
  const CollectionPalette before = c->palette;
  OperationResult r = ImportBitmapsFromFiles(c.get(), {with_zero, with_one}, nullptr);
  ASSERT_TRUE(r) << r.Text();
  ASSERT_EQ(c->bitmaps.size(), 3u);
  EXPECT_EQ(c->palette, before);
  const CollectionBitmap& zero = *c->bitmaps[1];
  EXPECT_EQ(zero.name, "zero");
  EXPECT_TRUE(zero.IsRle());
  EXPECT_FALSE(zero.flags & kBitmapTwoBytes);
  EXPECT_EQ(zero.pixels, (std::vector<uint8_t>{0, 0, 255, 5, 255, 200}));
  const CollectionBitmap& one = *c->bitmaps[2];
  EXPECT_FALSE(one.IsRle());
  EXPECT_EQ(one.pixels, (std::vector<uint8_t>{0, 0, 255, 7, 255, 255}));
  EXPECT_EQ(r.bitmaps, (std::vector<size_t>{1, 2}));
}

TEST_F(Import, FirstImportIntoANewCollectionTakesTheImagePalette) {
  Collection c;  // every entry black
  CollectionPalette image_colours = DistinctPalette();
  std::swap(image_colours[3], image_colours[9]);
  const std::string path =
      File("first.png", IndexedImage(2, 2, ImagePalette(image_colours), {3, 9, 40, 255}));
  OperationResult r = ImportBitmapsFromFiles(&c, {path}, nullptr);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c.palette, image_colours);
  EXPECT_EQ(c.bitmaps[0]->pixels, (std::vector<uint8_t>{255, 3, 255, 9, 255, 40, 255, 255}));
  // A second file merges into the palette now taken.
  const std::string second =
      File("second.png", IndexedImage(1, 1, ImagePalette(image_colours), {7}));
  ASSERT_TRUE(ImportBitmapsFromFiles(&c, {second}, nullptr));
  EXPECT_EQ(c.palette, image_colours);
}

TEST_F(Import, NewColoursGoIntoTheLowestFreeSlots) {
  auto c = test::SeededCollection();
  // Entries 2, 3 and 9 repeat lower ones: they are free. Entry 1 repeating 0 is never free.
  c->palette[1] = c->palette[0];
  c->palette[3] = c->palette[2] = c->palette[0];
  c->palette[9] = c->palette[4];
  Palette image = ImagePalette(c->palette, 4);
  image.entries[1] = Rgb{1, 2, 3};  // new
  image.entries[2] = Rgb{4, 5, 6};  // new
  image.entries[3] = Rgb{7, 8, 9};  // new
  const std::string path = File("new.png", IndexedImage(3, 1, image, {1, 2, 3}));
  ASSERT_TRUE(ImportBitmapsFromFiles(c.get(), {path}, nullptr));
  EXPECT_EQ(c->palette[2], (PaletteColor{1, 2, 3}));
  EXPECT_EQ(c->palette[3], (PaletteColor{4, 5, 6}));
  EXPECT_EQ(c->palette[9], (PaletteColor{7, 8, 9}));
  EXPECT_EQ(c->bitmaps[1]->pixels, (std::vector<uint8_t>{255, 2, 255, 3, 255, 9}));
}

TEST_F(Import, AMergeThatRunsOutOfFreeSlotsLeavesTheCollectionUnchanged) {
  auto c = test::SeededCollection();
  c->palette[200] = c->palette[0];  // one free slot
  Palette image = ImagePalette(c->palette, 3);
  image.entries[1] = Rgb{1, 2, 3};
  image.entries[2] = Rgb{4, 5, 6};  // two new colours: no room
  const std::string path = File("full.png", IndexedImage(2, 1, image, {1, 2}));
  const std::vector<uint8_t> before = test::Saved(*c);
  std::string asked;
  OperationResult r = ImportBitmapsFromFiles(c.get(), {path}, [&](const std::string& q) {
    asked = q;
    return false;
  });
  EXPECT_EQ(asked,
            "'full.png': The image is not compatible with the existing color table.\nWould you "
            "like to replace the color table in the tag with the one in the file?");
  EXPECT_FALSE(r.changed);
  EXPECT_TRUE(r.bitmaps.empty());
  EXPECT_EQ(test::Saved(*c), before);
  // Answering Replace takes the file's palette.
  r = ImportBitmapsFromFiles(c.get(), {path}, [](const std::string&) { return true; });
  ASSERT_TRUE(r) << r.Text();
  ASSERT_EQ(c->bitmaps.size(), 2u);
  EXPECT_EQ(c->palette[1], (PaletteColor{1, 2, 3}));
  EXPECT_EQ(c->palette[2], (PaletteColor{4, 5, 6}));
  // Pixels on entry 1 are transparent; entry 2 keeps its colour.
  EXPECT_EQ(c->bitmaps[1]->pixels, (std::vector<uint8_t>{0, 0, 255, 2}));
}

TEST_F(Import, AnUnreadableFileAddsNothing) {
  auto c = test::SeededCollection();
  const std::string good = File("good.png", IndexedImage(1, 1, ImagePalette(c->palette), {5}));
  const std::string bad = dir_.Path() + "/bad.png";
  test::WriteFile(bad, std::string("not an image at all"));
  OperationResult r = ImportBitmapsFromFiles(c.get(), {good, bad}, nullptr);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "'bad.png': The file is not of the right format.");
  EXPECT_EQ(c->bitmaps.size(), 1u);
  // A truncated PNG fails while reading its data.
  std::string png = test::ReadFile(good);
  test::WriteFile(bad, png.substr(0, png.size() - 20));
  r = ImportBitmapsFromFiles(c.get(), {bad}, nullptr);
  EXPECT_FALSE(r);
  EXPECT_EQ(c->bitmaps.size(), 1u);
}

TEST_F(Import, ImagesNotPalettedAreRefusedSkippedOrConvertedAsTheUserAnswers) {
  Collection c;
  Image rgba;
  rgba.format = PixelFormat::kRgba;
  rgba.width = 3;
  rgba.height = 1;
  rgba.pixels = {200, 10, 10, 255, 10, 200, 10, 128, 0, 0, 0, 0};
  const std::string colour = File("rgba.png", rgba);
  Image grey;
  grey.format = PixelFormat::kGrey;
  grey.width = grey.height = 1;
  grey.pixels = {90};
  const std::string shade = File("grey.png", grey);
  const std::string indexed =
      File("indexed.png", IndexedImage(1, 1, ImagePalette(DistinctPalette()), {5}));

  // Nobody to ask (the command line without --convert): refused, nothing added.
  OperationResult r = ImportBitmapsFromFiles(&c, {indexed, colour, shade}, nullptr);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(r.messages[0].text, "'rgba.png': The image is not 8-bit paletted.");
  EXPECT_EQ(r.messages[1].text, "'grey.png': The image is not 8-bit paletted.");
  EXPECT_TRUE(c.bitmaps.empty());

  // "Skip" leaves those files out and adds the others.
  std::vector<std::string> asked;
  r = ImportBitmapsFromFiles(&c, {indexed, colour, shade}, nullptr, [&](const std::string& q) {
    asked.push_back(q);
    return false;
  });
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(asked, (std::vector<std::string>{"'rgba.png': The image is not 8-bit paletted.",
                                             "'grey.png': The image is not 8-bit paletted."}));
  ASSERT_EQ(c.bitmaps.size(), 1u);
  EXPECT_EQ(c.bitmaps[0]->name, "indexed");

  // "Convert": the colours are computed; partial alpha makes two bytes, the clear pixel RLE.
  Collection fresh;
  r = ImportBitmapsFromFiles(&fresh, {colour}, nullptr, [](const std::string&) { return true; });
  ASSERT_TRUE(r) << r.Text();
  const CollectionBitmap& b = *fresh.bitmaps[0];
  EXPECT_TRUE(b.flags & kBitmapTwoBytes);
  EXPECT_TRUE(b.IsRle());
  EXPECT_EQ(b.pixels[0], 255);
  EXPECT_EQ(b.pixels[2], 128);
  EXPECT_EQ(b.pixels[4], 0);
  EXPECT_EQ(fresh.palette[b.pixels[1]], (PaletteColor{200, 10, 10}));
}

// Puts a chunk into a PNG file just before its first IDAT chunk.
void InsertPngChunk(const std::string& path, const std::string& type, const std::string& data) {
  std::string png = test::ReadFile(path);
  std::string chunk = type + data;
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : chunk) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc ^= 0xFFFFFFFFu;
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  const size_t idat = png.find("IDAT") - 4;
  png.insert(idat, be32(uint32_t(data.size())) + chunk + be32(crc));
  test::WriteFile(path, png);
}

TEST_F(Import, PalettedPngEntriesMarkedFullyTransparentImportAsTransparent) {
  auto c = test::SeededCollection();
  const Palette same = ImagePalette(c->palette);
  const std::string path = File("clear.png", IndexedImage(4, 1, same, {5, 7, 9, 5}));
  // Entry 7 fully transparent, entry 9 half: only full transparency counts.
  std::string alphas(10, char(255));
  alphas[7] = 0;
  alphas[9] = char(128);
  InsertPngChunk(path, "tRNS", alphas);
  OperationResult r = ImportBitmapsFromFiles(c.get(), {path}, nullptr);
  ASSERT_TRUE(r) << r.Text();
  const CollectionBitmap& b = *c->bitmaps.back();
  EXPECT_EQ(b.pixels, (std::vector<uint8_t>{255, 5, 0, 0, 255, 9, 255, 5}));
  EXPECT_TRUE(b.IsRle());
  EXPECT_FALSE(b.flags & kBitmapTwoBytes);
}

TEST_F(Import, ShadowsComeFromGreyscaleImagesOnly) {
  auto c = test::SeededCollection();
  Image grey;
  grey.format = PixelFormat::kGrey;
  grey.width = 3;
  grey.height = 1;
  grey.pixels = {0, 90, 255};
  const std::string png = File("shade.png", grey);
  const std::string bmp = File("shade2.bmp", grey);  // BMP keeps grey as an indexed grey ramp
  const std::string colour = File("colour.png", IndexedImage(1, 1, ImagePalette(c->palette), {5}));
  OperationResult r = ImportShadowsFromFiles(c.get(), {png, colour});
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "'colour.png': The image is not 8-bit greyscale.");
  EXPECT_EQ(c->bitmaps.size(), 1u);
  r = ImportShadowsFromFiles(c.get(), {png, bmp});
  ASSERT_TRUE(r) << r.Text();
  for (size_t i : {1, 2}) {
    const CollectionBitmap& s = *c->bitmaps[i];
    EXPECT_EQ(s.flags, kBitmapShadow);
    EXPECT_EQ(s.pixels, (std::vector<uint8_t>{0, 0, 255, 90, 255, 255}));
  }
  EXPECT_EQ(c->bitmaps[1]->name, "shade");
  EXPECT_EQ(c->bitmaps[2]->name, "shade2");
}

TEST(PaletteMerge, ImageEntriesPastTheCountAreCopiesOfEntryZero) {
  CollectionPalette palette = DistinctPalette();
  Palette image = ImagePalette(palette, 2);
  uint8_t map[256];
  ASSERT_TRUE(PaletteMerger().Merge(image, false, false, &palette, map));
  EXPECT_EQ(map[0], 0);
  EXPECT_EQ(map[1], 1);
  EXPECT_EQ(map[77], 0);
}

}  // namespace
}  // namespace brae
