#include "collection/Plates.h"

#include <gtest/gtest.h>

#include <random>

#include "BitmapTestSupport.h"

namespace brae {
namespace {

// A bitmap of the size with a pattern of opaque indices (2 up) and some transparent pixels.
CollectionBitmap* AddPattern(Collection* c, const std::string& name, int w, int h, bool rle,
                             int seed) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, rle ? kBitmapRle : 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if ((x + y + seed) % 5 == 0) continue;
      b->Pixel(x, y)[0] = 255;
      b->Pixel(x, y)[1] = uint8_t(2 + (x * 7 + y * 3 + seed) % 250);
    }
  }
  return c->AddBitmap(std::move(b));
}

std::vector<size_t> All(const Collection& c) {
  std::vector<size_t> v;
  for (size_t i = 0; i < c.bitmaps.size(); ++i) v.push_back(i);
  return v;
}

TEST(Plates, ThreeBitmapsInThreeColumnsReadBackInOrder) {
  auto c = std::make_unique<Collection>();
  c->palette = test::DistinctPalette();
  AddPattern(c.get(), "a", 10, 10, true, 0);
  AddPattern(c.get(), "b", 4, 7, false, 1);
  AddPattern(c.get(), "c", 20, 2, true, 2);
  PlateOptions options;
  options.columns = 3;
  Image plate;
  std::string message;
  ASSERT_TRUE(MakePlate(*c, All(*c), options, &plate, &message)) << message;
  EXPECT_EQ(plate.width, 2 + 13 + 7 + 23);
  EXPECT_EQ(plate.height, 2 + 10 + 3);
  std::vector<PlateCell> cells;
  ASSERT_TRUE(ReadPlateCells(plate.pixels.data(), plate.width, plate.height, &cells));
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].width, 10);
  EXPECT_EQ(cells[0].height, 10);
  EXPECT_EQ(cells[1].width, 4);
  EXPECT_EQ(cells[1].height, 7);
  EXPECT_EQ(cells[2].width, 20);
  EXPECT_EQ(cells[2].height, 2);

  // Through a file: the bitmaps come back with their pixels, named by cell number.
  test::TempDir dir;
  const std::string path = dir.Path() + "/sprites plate.png";
  ASSERT_TRUE(ExportPlate(*c, All(*c), options, path));
  auto back = std::make_unique<Collection>();
  back->palette = c->palette;
  back->AddBitmap(CollectionBitmap::MakeIndexed("existing", 1, 1));
  OperationResult r = AddBitmapsFromPlate(back.get(), path);
  ASSERT_TRUE(r) << r.Text();
  ASSERT_EQ(back->bitmaps.size(), 4u);
  for (size_t i = 0; i < 3; ++i) {
    const CollectionBitmap& a = *c->bitmaps[i];
    const CollectionBitmap& b = *back->bitmaps[i + 1];
    EXPECT_EQ(b.name, "sprites plate #000" + std::to_string(i));
    EXPECT_EQ(b.width, a.width);
    EXPECT_EQ(b.height, a.height);
    EXPECT_EQ(b.pixels, a.pixels) << i;
    EXPECT_EQ(b.IsRle(), a.IsRle()) << i;
  }
}

TEST(Plates, AutomaticLayoutReadsBackEveryBitmap) {
  std::mt19937 random(7);
  auto c = std::make_unique<Collection>();
  c->palette = test::DistinctPalette();
  for (int i = 0; i < 40; ++i)
    AddPattern(c.get(), "b" + std::to_string(i), 1 + int(random() % 30), 1 + int(random() % 30),
               i % 2, i);
  Image plate;
  std::string message;
  ASSERT_TRUE(MakePlate(*c, All(*c), PlateOptions(), &plate, &message)) << message;
  std::vector<PlateCell> cells;
  ASSERT_TRUE(ReadPlateCells(plate.pixels.data(), plate.width, plate.height, &cells));
  ASSERT_EQ(cells.size(), c->bitmaps.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    EXPECT_EQ(cells[i].width, c->bitmaps[i]->width);
    EXPECT_EQ(cells[i].height, c->bitmaps[i]->height);
  }
  // Close to square.
  EXPECT_LT(std::abs(double(plate.height) / plate.width - 1.0), 0.6);
}

TEST(Plates, TheWidthIsChosenAmongPowersOfTwoAndThreeTimesPowersOfTwo) {
  // 16 cells of 13 × 13 (bitmaps 10 × 10): 4 per band at width 64 makes 54 × 54.
  std::vector<std::pair<int, int>> sizes(16, {10, 10});
  EXPECT_EQ(ChoosePlateWidth(sizes), 64);
  // One wide bitmap: the first candidate above its width + 5.
  EXPECT_EQ(ChoosePlateWidth({{100, 1}}), 128);
  EXPECT_EQ(ChoosePlateWidth({{90, 200}}), 96);
}

TEST(Plates, EveryRuleOfTheFormatIsChecked) {
  auto c = std::make_unique<Collection>();
  AddPattern(c.get(), "a", 3, 3, false, 0);
  Image plate;
  std::string message;
  ASSERT_TRUE(MakePlate(*c, All(*c), PlateOptions(), &plate, &message));
  std::vector<PlateCell> cells;
  auto valid = [&](const std::vector<uint8_t>& px, int w, int h) {
    return ReadPlateCells(px.data(), w, h, &cells);
  };
  const int w = plate.width, h = plate.height;
  ASSERT_TRUE(valid(plate.pixels, w, h));
  auto broken = [&](int x, int y, uint8_t v) {
    std::vector<uint8_t> px = plate.pixels;
    px[size_t(y * w + x)] = v;
    return valid(px, w, h);
  };
  EXPECT_FALSE(broken(1, 0, 0));      // row 0, pixel 1
  EXPECT_FALSE(broken(3, 0, 1));      // row 0 elsewhere
  EXPECT_FALSE(broken(4, 1, 0));      // row 1
  EXPECT_FALSE(broken(4, h - 1, 0));  // last row
  EXPECT_FALSE(broken(1, 4, 0));      // column 1
  EXPECT_FALSE(broken(0, 4, 2));      // column 0 holds 0 or 1
  EXPECT_FALSE(broken(0, 4, 1));      // a separator row must be 1 across
  EXPECT_FALSE(valid(plate.pixels, 5, 5));
  EXPECT_FALSE(ReadPlateCells(plate.pixels.data(), 2, 40, &cells));
  // An extra separator in a band's first row makes one more, empty, cell.
  std::vector<uint8_t> px = plate.pixels;
  px[size_t(2 * w + 3)] = 1;
  ASSERT_TRUE(valid(px, w, h));
  EXPECT_EQ(cells.size(), 2u);
}

TEST(Plates, APlateOfTooManyCellsIsRefused) {
  const int w = 80000, h = 6;
  std::vector<uint8_t> px(size_t(w) * h, 0);
  px[1] = 1;
  for (int y = 1; y < h; ++y) px[size_t(y) * w + 1] = 1;
  for (int x = 0; x < w; ++x) {
    px[size_t(w) + size_t(x)] = 1;
    px[size_t(h - 1) * w + size_t(x)] = 1;
    if (x >= 2 && x % 2 == 0) px[size_t(2 * w + x)] = 1;  // a cell every other column
  }
  std::vector<PlateCell> cells;
  EXPECT_FALSE(ReadPlateCells(px.data(), w, h, &cells));
  // Half as wide, the cells fit.
  std::vector<uint8_t> narrow(size_t(w / 2) * h);
  for (int y = 0; y < h; ++y)
    std::copy_n(px.begin() + std::ptrdiff_t(size_t(y) * w), w / 2,
                narrow.begin() + std::ptrdiff_t(size_t(y) * (w / 2)));
  EXPECT_TRUE(ReadPlateCells(narrow.data(), w / 2, h, &cells));
  EXPECT_EQ(cells.size(), size_t(w / 4));  // the last one after the last separator
}

TEST(Plates, ReplaceNeedsOneFullCellPerBitmap) {
  auto c = std::make_unique<Collection>();
  c->palette = test::DistinctPalette();
  CollectionBitmap* a = AddPattern(c.get(), "a", 6, 4, false, 0);
  AddPattern(c.get(), "b", 3, 3, true, 1);
  CollectionSequence* s = test::AddPlacement(c.get(), a, 2, 2);
  test::TempDir dir;
  const std::string two = dir.Path() + "/two.png";
  ASSERT_TRUE(ExportPlate(*c, All(*c), PlateOptions(), two));
  const std::vector<uint8_t> before = test::Saved(*c);
  OperationResult r = ReplaceFromPlate(c.get(), {0}, two);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text,
            "Number of images in plate (2) does not match the expected value of 1.");
  EXPECT_EQ(test::Saved(*c), before);

  // The plate's cells swap the two bitmaps' pixels; names and references stay.
  r = ReplaceFromPlate(c.get(), {1, 0}, two);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c->bitmaps[0]->name, "a");
  EXPECT_EQ(c->bitmaps[0]->width, 3);
  EXPECT_TRUE(c->bitmaps[0]->IsRle());
  EXPECT_EQ(c->bitmaps[1]->width, 6);
  EXPECT_EQ(s->frames[0].views[0]->bitmap, c->bitmaps[0].get());

  // A plate with an empty cell.
  Image plate;
  std::string message;
  ASSERT_TRUE(MakePlate(*c, All(*c), PlateOptions(), &plate, &message));
  std::vector<PlateCell> cells;
  ASSERT_TRUE(ReadPlateCells(plate.pixels.data(), plate.width, plate.height, &cells));
  for (int y = cells[1].y; y <= cells[1].y + cells[1].height; ++y) {
    for (int x = cells[1].x; x <= cells[1].x + cells[1].width; ++x)
      plate.pixels[size_t(y * plate.width + x)] = 0;
  }
  const std::string holed = dir.Path() + "/holed.png";
  ASSERT_TRUE(test::WriteImageFile(holed, plate));
  const std::vector<uint8_t> now = test::Saved(*c);
  r = ReplaceFromPlate(c.get(), {0, 1}, holed);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages[0].text,
            "The replace could not be performed because a bitmap in the plate contains no "
            "pixels.");
  EXPECT_EQ(test::Saved(*c), now);
  // Adding from it skips the empty cell.
  r = AddBitmapsFromPlate(c.get(), holed);
  ASSERT_TRUE(r) << r.Text();
  EXPECT_EQ(c->bitmaps.size(), 3u);
  EXPECT_EQ(c->bitmaps[2]->name, "holed #0000");
}

TEST(Plates, AlphaPlatesCarryAlphaValues) {
  auto c = std::make_unique<Collection>();
  c->palette = test::DistinctPalette();
  CollectionBitmap* a = AddPattern(c.get(), "a", 5, 4, false, 0);
  a->Pixel(1, 1)[0] = 100;
  AddPattern(c.get(), "b", 3, 3, true, 1);
  test::TempDir dir;
  const std::string path = dir.Path() + "/alpha.png";
  PlateOptions options;
  options.alpha = true;
  ASSERT_TRUE(ExportPlate(*c, All(*c), options, path));
  const std::vector<uint8_t> alphas_a = [&] {
    std::vector<uint8_t> v;
    for (size_t i = 0; i < a->pixels.size(); i += 2) v.push_back(a->pixels[i]);
    return v;
  }();
  for (auto& b : c->bitmaps) {
    for (size_t i = 0; i < b->pixels.size(); i += 2) b->pixels[i] = 255;
  }
  OperationResult r = ReplaceAlphaFromPlate(c.get(), {0, 1}, path);
  ASSERT_TRUE(r) << r.Text();
  for (size_t i = 0; i < alphas_a.size(); ++i) EXPECT_EQ(a->pixels[i * 2], alphas_a[i]);
  EXPECT_TRUE(a->flags & kBitmapTwoBytes);
  EXPECT_FALSE(c->bitmaps[1]->flags & kBitmapTwoBytes);
  // Sizes that do not match.
  const std::vector<uint8_t> before = test::Saved(*c);
  r = ReplaceAlphaFromPlate(c.get(), {1, 0}, path);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages[0].text,
            "'alpha.png': The alpha plate is not of the correct format or the image dimensions do "
            "not match.");
  EXPECT_EQ(test::Saved(*c), before);
}

TEST(Plates, AColourPlateMustBePalettedAndMergeable) {
  auto c = test::SeededCollection();
  test::TempDir dir;
  Image rgb;
  rgb.format = PixelFormat::kRgb;
  rgb.width = rgb.height = 8;
  rgb.pixels.assign(8 * 8 * 3, 1);
  const std::string path = dir.Path() + "/rgb.png";
  ASSERT_TRUE(test::WriteImageFile(path, rgb));
  OperationResult r = AddBitmapsFromPlate(c.get(), path);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.messages[0].text,
            "'rgb.png': The color plate is not of the correct format or is not compatible with "
            "the existing color table.");
  EXPECT_EQ(c->bitmaps.size(), 1u);
}

TEST(Plates, HighColourBitmapsCannotGoIntoAPlate) {
  Collection c;
  auto b = std::make_unique<CollectionBitmap>();
  b->name = "hc";
  b->width = b->height = 2;
  b->bytes_per_pixel = 8;
  b->pixels.assign(32, 0);
  c.AddBitmap(std::move(b));
  Image plate;
  std::string message;
  EXPECT_FALSE(MakePlate(c, {0}, PlateOptions(), &plate, &message));
  EXPECT_EQ(message, "The bitmap \"hc\" is a high-colour bitmap and cannot be put into a plate.");
}

}  // namespace
}  // namespace brae
