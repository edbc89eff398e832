#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "MediaTestUtil.h"
#include "media/PixelConvert.h"
#include "media/Quantizer.h"

namespace brae {
namespace {

using test::MakeTestImage;

const PixelFormat kAllFormats[] = {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb,
                                   PixelFormat::kRgba, PixelFormat::kIndexedAlpha};

Image Rgba(int width, int height, const std::vector<uint8_t>& pixels) {
  Image image;
  image.format = PixelFormat::kRgba;
  image.width = width;
  image.height = height;
  image.pixels = pixels;
  return image;
}

TEST(ConvertPixelFormatTest, EveryPairGivesTheRightShape) {
  for (PixelFormat from : kAllFormats) {
    for (PixelFormat to : kAllFormats) {
      Image image = MakeTestImage(from, 9, 4);
      ASSERT_TRUE(ConvertPixelFormat(&image, to)) << PixelFormatName(from) << PixelFormatName(to);
      EXPECT_EQ(image.format, to);
      EXPECT_EQ(image.pixels.size(), size_t(9 * 4 * BytesPerPixel(to)));
      const bool indexed = to == PixelFormat::kIndexed || to == PixelFormat::kIndexedAlpha;
      if (indexed) {
        EXPECT_GE(image.palette.count, 1);
        EXPECT_LE(image.palette.count, 256);
      }
    }
  }
}

TEST(ConvertPixelFormatTest, LosslessDirections) {
  const Image indexed = MakeTestImage(PixelFormat::kIndexed, 7, 5);
  Image image = indexed;
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexedAlpha));
  for (size_t i = 0; i < 35; ++i) {
    EXPECT_EQ(image.pixels[2 * i], 255);
    EXPECT_EQ(image.pixels[2 * i + 1], indexed.pixels[i]);
  }
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexed));
  EXPECT_EQ(image.pixels, indexed.pixels);

  // RGB and RGBA with alpha 255 keep their colours both ways; grey replicates.
  const Image rgb = MakeTestImage(PixelFormat::kRgb, 7, 5);
  image = rgb;
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kRgba));
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kRgb));
  EXPECT_EQ(image.pixels, rgb.pixels);
  const Image grey = MakeTestImage(PixelFormat::kGrey, 7, 5);
  image = grey;
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kRgb));
  EXPECT_EQ(image.pixels[3], grey.pixels[1]);
  EXPECT_EQ(image.pixels[5], grey.pixels[1]);
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kGrey));
  EXPECT_EQ(image.pixels, grey.pixels);
}

TEST(ConvertPixelFormatTest, SameFormatDoesNothingAndEmptyImagesFail) {
  Image image = MakeTestImage(PixelFormat::kRgb, 3, 3);
  const std::vector<uint8_t> before = image.pixels;
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kRgb));
  EXPECT_EQ(image.pixels, before);
  Image empty;
  EXPECT_FALSE(ConvertPixelFormat(&empty, PixelFormat::kRgb));
  image.pixels.resize(5);  // fewer bytes than the size states
  EXPECT_FALSE(ConvertPixelFormat(&image, PixelFormat::kRgba));
}

TEST(ConvertPixelFormatTest, FewColoursAreKeptExactlyAndAlphaTravels) {
  // Four colours, one of them on a transparent pixel only.
  Image image = Rgba(2, 2,
                     {10, 20, 30, 255, 200, 100, 50, 128,  //
                      10, 20, 30, 7, 1, 2, 3, 0});
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexedAlpha));
  ASSERT_EQ(image.palette.count, 2);  // the transparent pixel's colour is not listed
  std::set<std::pair<int, int>> seen;
  const uint8_t alphas[] = {255, 128, 7, 0};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(image.pixels[2 * i], alphas[i]);
  const Rgb& first = image.palette.entries[image.pixels[1]];
  EXPECT_EQ(first, (Rgb{10, 20, 30}));
  EXPECT_EQ(image.palette.entries[image.pixels[3]], (Rgb{200, 100, 50}));
  EXPECT_EQ(image.pixels[5], image.pixels[1]);
}

TEST(ConvertPixelFormatTest, AllTransparentGivesOneEntry) {
  Image image = Rgba(2, 1, {5, 5, 5, 0, 9, 9, 9, 0});
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexed));
  EXPECT_EQ(image.palette.count, 1);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 0}));
}

TEST(ExtractAlphaTest, GreyOfTheAlphaChannel) {
  Image image = Rgba(2, 1, {1, 2, 3, 40, 5, 6, 7, 250});
  ASSERT_TRUE(ExtractAlphaChannel(&image));
  EXPECT_EQ(image.format, PixelFormat::kGrey);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{40, 250}));
  Image rgb = MakeTestImage(PixelFormat::kRgb, 2, 2);
  EXPECT_FALSE(ExtractAlphaChannel(&rgb));
  Image two = MakeTestImage(PixelFormat::kIndexedAlpha, 2, 2);
  const uint8_t a0 = two.pixels[0];
  ASSERT_TRUE(ExtractAlphaChannel(&two));
  EXPECT_EQ(two.pixels[0], a0);
}

TEST(ColorListTest, SortedByCountAndCapped) {
  // Pixel counts 100, 5, 1, 1 for four colours, and transparent pixels that do not count.
  std::vector<uint8_t> px;
  auto add = [&px](uint8_t r, uint8_t a, int n) {
    for (int i = 0; i < n; ++i) px.insert(px.end(), {r, 0, 0, a});
  };
  add(40, 255, 100);
  add(30, 255, 5);
  add(20, 1, 1);
  add(10, 255, 1);
  add(50, 0, 70);
  const std::vector<WeightedColor> list = BuildColorList(px.data(), px.size() / 4);
  ASSERT_EQ(list.size(), 4u);
  // Counts 1, 1, 5, 100 become 1, 1, min(5, 1.5 + 1 = 2), min(100, 3 + 1 = 4).
  EXPECT_EQ(list[0].color.r, 10);
  EXPECT_EQ(list[1].color.r, 20);
  EXPECT_EQ(list[2].color.r, 30);
  EXPECT_EQ(list[3].color.r, 40);
  EXPECT_EQ(list[0].weight, 1u);
  EXPECT_EQ(list[1].weight, 1u);
  EXPECT_EQ(list[2].weight, 2u);
  EXPECT_EQ(list[3].weight, 4u);
}

TEST(WuQuantizeTest, ManyColoursGiveAtMost256DistinctMeans) {
  std::vector<WeightedColor> colors;
  for (int r = 0; r < 256; r += 8)
    for (int g = 0; g < 256; g += 16)
      for (int b = 0; b < 256; b += 32)
        colors.push_back({Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}, 1});
  ASSERT_EQ(colors.size(), 4096u);
  const std::vector<Rgb> palette = WuQuantize(colors, 256);
  EXPECT_EQ(palette.size(), 256u);
  std::set<std::tuple<int, int, int>> distinct;
  for (const Rgb& c : palette) distinct.insert({c.r, c.g, c.b});
  EXPECT_GT(distinct.size(), 200u);
}

TEST(WuQuantizeTest, StopsWhenNoBoxCanBeCut) {
  // 512 colours inside one cell of 8 levels per channel: no plane separates them.
  std::vector<WeightedColor> colors;
  for (int r = 0; r < 8; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 8; ++b) colors.push_back({Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}, 1});
  const std::vector<Rgb> palette = WuQuantize(colors, 256);
  ASSERT_EQ(palette.size(), 1u);
  EXPECT_EQ(palette[0], (Rgb{3, 3, 3}));  // weighted mean 3.5, truncated
  // Two cells: one cut.
  colors.push_back({Rgb{200, 200, 200}, 1});
  EXPECT_EQ(WuQuantize(colors, 256).size(), 2u);
}

TEST(RefinePaletteTest, RoundedMeansAndEmptyEntries) {
  // The mean of 0 and 1 rounds up: (1 + 1) / 2.
  std::vector<WeightedColor> colors = {{Rgb{0, 0, 0}, 1}, {Rgb{1, 1, 1}, 1}};
  std::vector<Rgb> palette = {Rgb{0, 0, 0}};
  RefinePalette(colors, &palette);
  EXPECT_EQ(palette[0], (Rgb{1, 1, 1}));

  // Weighted: (0·3 + 10·1 + 2) / 4 = 3.
  colors = {{Rgb{0, 0, 0}, 3}, {Rgb{10, 10, 10}, 1}};
  palette = {Rgb{0, 0, 0}};
  RefinePalette(colors, &palette);
  EXPECT_EQ(palette[0], (Rgb{3, 3, 3}));

  // The far entry gets no colours: it takes over the colour farthest from the crowded entry.
  colors = {{Rgb{0, 0, 0}, 1}, {Rgb{2, 2, 2}, 1}, {Rgb{10, 10, 10}, 1}};
  palette = {Rgb{0, 0, 0}, Rgb{250, 250, 250}};
  RefinePalette(colors, &palette);
  EXPECT_EQ(palette[0], (Rgb{1, 1, 1}));
  EXPECT_EQ(palette[1], (Rgb{10, 10, 10}));

  // An entry never gives away its last colour.
  colors = {{Rgb{0, 0, 0}, 5}};
  palette = {Rgb{0, 0, 0}, Rgb{250, 250, 250}};
  RefinePalette(colors, &palette);
  EXPECT_EQ(palette[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(palette[1], (Rgb{250, 250, 250}));
}

TEST(NearestColorTest, FirstEntryOfTheSmallestDistanceWins) {
  const std::vector<Rgb> palette = {Rgb{10, 0, 0}, Rgb{0, 0, 0}, Rgb{20, 0, 0}, Rgb{0, 0, 0}};
  const NearestColor nearest(palette);
  EXPECT_EQ(nearest.Find(15, 0, 0), 0);  // 10 and 20 tie
  EXPECT_EQ(nearest.Find(0, 0, 0), 1);
  EXPECT_EQ(nearest.Find(255, 255, 255), 2);
  // Against a plain search over a larger palette.
  std::vector<Rgb> big;
  for (int i = 0; i < 200; ++i)
    big.push_back(Rgb{uint8_t(i * 37), uint8_t(i * 11), uint8_t(i * 5)});
  const NearestColor fast(big);
  for (int q = 0; q < 3000; ++q) {
    const int r = (q * 53) & 255, g = (q * 97) & 255, b = (q * 13) & 255;
    int best = 0, best_d = 1 << 30;
    for (int i = 0; i < 200; ++i) {
      const int d = (r - big[size_t(i)].r) * (r - big[size_t(i)].r) +
                    (g - big[size_t(i)].g) * (g - big[size_t(i)].g) +
                    (b - big[size_t(i)].b) * (b - big[size_t(i)].b);
      if (d < best_d) best_d = d, best = i;
    }
    ASSERT_EQ(fast.Find(r, g, b), best) << r << " " << g << " " << b;
  }
}

// Greys 0-99 and 228-255: grey v maps to index v below 100 and to v - 128 from 228 on.
std::vector<Rgb> GappedGreys() {
  std::vector<Rgb> palette;
  for (int v = 0; v < 256; ++v) {
    if (v < 100 || v >= 228) palette.push_back(Rgb{uint8_t(v), uint8_t(v), uint8_t(v)});
  }
  return palette;
}

std::vector<uint8_t> GreyRgba(const std::vector<int>& values) {
  std::vector<uint8_t> px;
  for (int v : values) px.insert(px.end(), {uint8_t(v), uint8_t(v), uint8_t(v), 255});
  return px;
}

TEST(ErrorDiffusionTest, WeightsAndTruncationTowardZero) {
  // Row 0: 50, 166, 90; row 1: 80, 80, 80. 166 maps to 228: error -62 spreads as
  // -1302/64 → -20 right, -558/64 → -8 lower-left, -930/64 → -14 below, -186/64 → -2
  // lower-right (truncated toward zero, not down).
  const std::vector<uint8_t> px = GreyRgba({50, 166, 90, 80, 80, 80});
  std::vector<uint8_t> out(6);
  MapWithDiffusion(px.data(), 3, 2, GappedGreys(), 1, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{50, 100, 70, 72, 66, 78}));
}

TEST(ErrorDiffusionTest, BlackAndWhiteByHand) {
  // All 100 over black and white: 100 → black (error 100: right +32, below +23, lower-right
  // +4); 132 → white (error -123: lower-left -17, below -28); 106 → black (right +34);
  // 110 → black.
  const std::vector<uint8_t> px = GreyRgba({100, 100, 100, 100});
  std::vector<uint8_t> out(8);
  MapWithDiffusion(px.data(), 2, 2, {Rgb{0, 0, 0}, Rgb{255, 255, 255}}, 2, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{255, 0, 255, 1, 255, 0, 255, 0}));
}

TEST(ErrorDiffusionTest, FirstPixelOfARowGivesNothingToTheLowerLeft) {
  // 1-pixel-wide column: only "below" receives error.
  const std::vector<uint8_t> px = GreyRgba({166, 80});
  std::vector<uint8_t> out(2);
  MapWithDiffusion(px.data(), 1, 2, GappedGreys(), 1, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{100, 66}));
}

TEST(QuantizeTest, PhotographLikeImageKeepsItsLook) {
  Image image = MakeTestImage(PixelFormat::kRgb, 64, 64);
  const std::vector<uint8_t> before = ExpandToRgba(image);
  ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexed));
  EXPECT_EQ(image.palette.count, 256);
  const std::vector<uint8_t> after = ExpandToRgba(image);
  double error = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (i % 4 != 3) error += std::abs(int(before[i]) - int(after[i]));
  }
  EXPECT_LT(error / (64 * 64 * 3), 12.0);
}

TEST(QuantizeTest, ColourCountBoundsThePalette) {
  const Image source = MakeTestImage(PixelFormat::kRgb, 48, 40);
  Image by_default = source, explicit_256 = source;
  ASSERT_TRUE(ConvertPixelFormat(&by_default, PixelFormat::kIndexed));
  ASSERT_TRUE(ConvertPixelFormat(&explicit_256, PixelFormat::kIndexed, 256));
  EXPECT_EQ(by_default.pixels, explicit_256.pixels);
  EXPECT_EQ(by_default.palette.count, 256);

  for (int colours : {1, 2, 16, 100}) {
    Image image = source;
    ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexedAlpha, colours));
    EXPECT_EQ(image.palette.count, colours);
    for (size_t i = 1; i < image.pixels.size(); i += 2) {
      ASSERT_LT(image.pixels[i], colours);
    }
  }
  // Fewer colours than allowed: the colours themselves.
  Image two = Rgba(2, 1, {1, 2, 3, 255, 4, 5, 6, 255});
  ASSERT_TRUE(ConvertPixelFormat(&two, PixelFormat::kIndexed, 16));
  EXPECT_EQ(two.palette.count, 2);

  for (int bad : {0, -3, 257}) {
    Image image = source;
    EXPECT_FALSE(ConvertPixelFormat(&image, PixelFormat::kIndexed, bad));
    EXPECT_EQ(image.format, PixelFormat::kRgb);
    EXPECT_EQ(image.pixels, source.pixels);
  }
}

TEST(CompareColorsTest, PsnrOverThePixelsThatCanBeSeen) {
  // One pixel off by 3 in red, one exact, one transparent one far off (not counted):
  // squared error 9 over 2 pixels x 3 channels.
  const Image a = Rgba(3, 1, {10, 20, 30, 255, 40, 50, 60, 1, 0, 0, 0, 0});
  const Image b = Rgba(3, 1, {13, 20, 30, 255, 40, 50, 60, 255, 255, 255, 255, 255});
  const ColorFidelity f = CompareColors(a, b);
  EXPECT_EQ(f.pixels, 2u);
  EXPECT_NEAR(f.psnr_db, 10 * std::log10(255.0 * 255.0 / 1.5), 1e-9);

  // Formats do not matter, only colours: RGB against the same colours in RGBA.
  Image rgb = b;
  ASSERT_TRUE(ConvertPixelFormat(&rgb, PixelFormat::kRgb));
  EXPECT_TRUE(std::isinf(CompareColors(rgb, b).psnr_db));
  EXPECT_EQ(CompareColors(rgb, b).pixels, 3u);

  EXPECT_EQ(CompareColors(Rgba(1, 1, {1, 2, 3, 0}), Rgba(1, 1, {9, 9, 9, 255})).pixels, 0u);
  EXPECT_EQ(CompareColors(a, Rgba(1, 1, {1, 2, 3, 255})).pixels, 0u);  // sizes differ
}

TEST(QuantizeImageTest, EveryFormatBecomesIndexedWithItsFidelity) {
  for (PixelFormat from : kAllFormats) {
    const Image source = MakeTestImage(from, 30, 20, /*full_palette=*/true);
    Image image = source;
    ColorFidelity fidelity;
    std::string error;
    ASSERT_TRUE(QuantizeImage(&image, 8, &fidelity, &error)) << PixelFormatName(from) << error;
    EXPECT_EQ(image.format, PixelFormat::kIndexed);
    EXPECT_LE(image.palette.count, 8);
    EXPECT_GE(image.palette.count, 1);
    EXPECT_EQ(image.pixels.size(), 600u);
    const ColorFidelity again = CompareColors(source, image);
    EXPECT_EQ(fidelity.pixels, again.pixels);
    EXPECT_EQ(fidelity.psnr_db, again.psnr_db);
    EXPECT_GT(fidelity.psnr_db, 10.0) << PixelFormatName(from);
  }
  // An indexed picture already within the bound keeps its colours exactly.
  Image small = MakeTestImage(PixelFormat::kIndexed, 30, 20);  // 16 entries
  ColorFidelity exact;
  ASSERT_TRUE(QuantizeImage(&small, 16, &exact, nullptr));
  EXPECT_TRUE(std::isinf(exact.psnr_db));
}

TEST(QuantizeImageTest, RefusalsLeaveTheImageAlone) {
  const Image source = MakeTestImage(PixelFormat::kRgb, 5, 5);
  for (int bad : {1, 0, 257}) {
    Image image = source;
    std::string error;
    EXPECT_FALSE(QuantizeImage(&image, bad, nullptr, &error));
    EXPECT_EQ(error, "the number of colours must be 2-256");
    EXPECT_EQ(image.pixels, source.pixels);
  }
  Image broken = source;
  broken.pixels.resize(7);
  std::string error;
  EXPECT_FALSE(QuantizeImage(&broken, 256, nullptr, &error));
  EXPECT_EQ(error, "the image has no pixels");
  EXPECT_EQ(broken.format, PixelFormat::kRgb);
}

}  // namespace
}  // namespace brae
