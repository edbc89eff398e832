#include "collection/BitmapCodec.h"

#include <gtest/gtest.h>

#include "collection/Bytes.h"

namespace brae {
namespace {

using test::BitmapHeader;
using test::Bytes;

CollectionPalette GreyPalette() {
  CollectionPalette p{};
  for (int i = 0; i < 256; ++i) p[size_t(i)] = PaletteColor{uint8_t(i), uint8_t(i), uint8_t(i)};
  return p;
}

std::vector<uint8_t> Encode(const CollectionBitmap& b) {
  std::vector<uint8_t> out;
  EncodeBitmapBlock(b, &out);
  return out;
}

bool Decode(const std::vector<uint8_t>& block, CollectionBitmap* b,
            const CollectionPalette& p = GreyPalette()) {
  std::string why;
  return DecodeBitmapBlock(block.data(), block.size(), p, b, &why);
}

// ---- Indexed RAW

TEST(BitmapCodec, RawOneBytePixelsTakeAlphaFromIndexZero) {
  // 3 × 2, gap of 4 bytes, indices 0 5 0 / 7 0 9.
  Bytes block = BitmapHeader(3, 2, 0, 8, 0);
  block.Zeros(4).U8({0, 5, 0, 7, 0, 9});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.width, 3);
  EXPECT_EQ(b.bytes_per_pixel, 2);
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);
  EXPECT_EQ(b.Pixel(1, 0)[0], 255);
  EXPECT_EQ(b.Pixel(1, 0)[1], 5);
  EXPECT_EQ(b.Pixel(2, 1)[1], 9);
  EXPECT_EQ(Encode(b), block.b);
}

TEST(BitmapCodec, TwoBytePixelsMapTheTransparencyNibble) {
  Bytes block = BitmapHeader(3, 1, kBitmapTwoBytes, 16, 1);
  block.U8({15, 4, 0, 6, 3, 8});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);    // nibble 15: clear
  EXPECT_EQ(b.Pixel(0, 0)[1], 4);    // the index is kept
  EXPECT_EQ(b.Pixel(1, 0)[0], 255);  // nibble 0: opaque
  EXPECT_EQ(b.Pixel(2, 0)[0], 204);
  EXPECT_EQ(Encode(b), block.b);

  // Alpha 200 saves as nibble 3 and reloads as 204.
  b.Pixel(2, 0)[0] = 200;
  CollectionBitmap again;
  ASSERT_TRUE(Decode(Encode(b), &again));
  EXPECT_EQ(again.Pixel(2, 0)[0], 204);
}

TEST(BitmapCodec, AlphaFromBrightnessKeepsIndices) {
  CollectionPalette p = GreyPalette();
  p[3] = PaletteColor{0, 0, 0};  // a second black entry
  p[4] = PaletteColor{10, 90, 30};
  Bytes block = BitmapHeader(3, 1, kBitmapAlphaFromBrightness, 8, 0);
  block.U8({3, 4, 0});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b, p));
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);
  EXPECT_EQ(b.Pixel(1, 0)[0], 90);
  EXPECT_EQ(Encode(b), block.b);  // index 3 stays 3 although its alpha is 0
}

// ---- Indexed RLE

TEST(BitmapCodec, RleRowsRoundTrip) {
  // 6 × 3: row 0 spans [1,3) and [4,5) with a pad byte; row 1 empty; row 2 all six pixels.
  Bytes block = BitmapHeader(6, 3, kBitmapRle | kBitmapRlePadded, 8, 0);
  block.Zeros(8);
  block.U16({2, 3, 1, 3, 4, 5}).U8({10, 11, 12, 0});
  block.U16({0, 0});  // a row with no opaque pixels is S = 0, P = 0
  block.U16({1, 6, 0, 6}).U8({1, 2, 3, 4, 5, 6});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);
  EXPECT_EQ(b.Pixel(2, 0)[1], 11);
  EXPECT_EQ(b.Pixel(4, 0)[1], 12);
  EXPECT_EQ(b.Pixel(3, 1)[0], 0);
  EXPECT_EQ(b.Pixel(5, 2)[1], 6);
  EXPECT_EQ(Encode(b), block.b);
}

TEST(BitmapCodec, RleTwoBytePixels) {
  Bytes block = BitmapHeader(4, 1, kBitmapRle | kBitmapRlePadded | kBitmapTwoBytes, 16, 1);
  block.U16({1, 2, 1, 3}).U8({0, 7, 9, 8});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.Pixel(1, 0)[0], 255);
  EXPECT_EQ(b.Pixel(2, 0)[0], 102);
  EXPECT_EQ(Encode(b), block.b);
}

TEST(BitmapCodec, DamagedRleRowsFail) {
  CollectionBitmap b;
  const int flags = kBitmapRle | kBitmapRlePadded;
  // Hostile: a span that ends past the row (end 9 in a 6-pixel row).
  Bytes outside = BitmapHeader(6, 1, flags, 8, 0);
  outside.U16({1, 9, 0, 9}).Zeros(10);
  EXPECT_FALSE(Decode(outside.b, &b));
  // Hostile: the pixel count disagrees with the spans (3 claimed, 2 covered).
  Bytes count = BitmapHeader(6, 1, flags, 8, 0);
  count.U16({1, 3, 0, 2}).U8({1, 2, 3, 0});
  EXPECT_FALSE(Decode(count.b, &b));
  // Hostile: a span that starts after its end.
  Bytes backwards = BitmapHeader(6, 1, flags, 8, 0);
  backwards.U16({1, 0, 4, 2});
  EXPECT_FALSE(Decode(backwards.b, &b));
  // Hostile: the rows end early (two rows promised, one stored).
  Bytes short_rows = BitmapHeader(2, 2, flags, 8, 0);
  short_rows.Zeros(4).U16({0, 0});
  EXPECT_FALSE(Decode(short_rows.b, &b));
}

// ---- Header checks

TEST(BitmapCodec, HeadersThatCannotBeDecoded) {
  CollectionBitmap b;
  EXPECT_FALSE(Decode(Bytes().Zeros(51).b, &b));                       // shorter than its header
  EXPECT_FALSE(Decode(BitmapHeader(0, 4, 0, 8, 0).Zeros(64).b, &b));   // no width
  EXPECT_FALSE(Decode(BitmapHeader(4, -2, 0, 8, 0).Zeros(64).b, &b));  // negative height
  EXPECT_FALSE(Decode(BitmapHeader(2, 1, 0, 8, 3).Zeros(64).b, &b));   // size code 3
  EXPECT_FALSE(Decode(BitmapHeader(2, 1, 0, 16, 0).Zeros(64).b, &b));  // depth 16 with 1 byte
  EXPECT_FALSE(Decode(BitmapHeader(2, 8, 0, 8, 0).Zeros(20).b, &b));   // gap passes the block
  EXPECT_FALSE(Decode(BitmapHeader(4, 1, 0, 8, 0).Zeros(3).b, &b));    // too few pixels
  // Hostile: 32767 × 32767 with a few bytes of data is refused before allocating.
  EXPECT_FALSE(Decode(BitmapHeader(32767, 32767, kBitmapRle, 8, 0).Zeros(300).b, &b));
  EXPECT_FALSE(Decode(BitmapHeader(32767, 1, kHighColourFlags, 64, 2, 1).Zeros(4).b, &b));
}

TEST(BitmapCodec, EncodingIsHonouredOnlyWithItsFlag) {
  // Encoding 1 without flag 0x4000 is an indexed bitmap, checked by its depth.
  Bytes block = BitmapHeader(2, 1, 0, 8, 0, 1);
  block.U8({1, 2});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.bytes_per_pixel, 2);
}

TEST(BitmapCodec, LoadMaskDropsUnknownFlags) {
  Bytes block = BitmapHeader(1, 1, 0x3F03 | kBitmapCarried, 8, 0);
  block.U8({1});
  CollectionBitmap b;
  ASSERT_TRUE(Decode(block.b, &b));
  EXPECT_EQ(b.flags, kBitmapCarried | 0x0800);
}

// ---- High colour

// Pixels (working form): transparent, transparent, three opaque with colours (run of tag 31),
// one half-transparent with a second layer, one transparent.
std::vector<uint8_t> HighColourPixels() {
  std::vector<uint8_t> p(7 * 8, 0);
  auto set = [&](int i, std::initializer_list<int> v) {
    int k = 0;
    for (int x : v) p[size_t(i * 8 + k++)] = uint8_t(x);
  };
  set(2, {10, 20, 30, 31});
  set(3, {12, 22, 32, 31});
  set(4, {14, 24, 34, 31});
  set(5, {41, 50, 60, 0x30, 1, 2, 3, 0x25});
  return p;
}

TEST(BitmapCodec, HighColourStreamTokens) {
  std::vector<uint8_t> stream;
  const std::vector<uint8_t> pixels = HighColourPixels();
  EncodeHighColourStream(pixels.data(), 7, &stream);
  const std::vector<uint8_t> expected = {
      2,                                   // run state, tag 0: two transparent pixels
      31,   10, 20, 30,                    // literal: opaque pixel with colours
      2,    12, 22, 32, 14, 24, 34,        // run of two more tag-31 pixels, each with its colours
      0x30, 41, 50, 60, 1,  2,  3,  0x25,  // literal with the extension (bit 0 of the first byte)
      0,                                   // literal: a transparent pixel, tag 0
      0,                                   // its run: no further pixels
      0};                                  // the end of the stream
  EXPECT_EQ(stream, expected);
  std::vector<uint8_t> decoded(7 * 8, 0xEE);
  ASSERT_TRUE(DecodeHighColourStream(stream.data(), stream.size(), 7, decoded.data()));
  EXPECT_EQ(decoded, pixels);
  // Hostile: every truncation fails cleanly (the last byte is the terminator, not needed).
  for (size_t n = 0; n + 2 < stream.size(); ++n) {
    EXPECT_FALSE(DecodeHighColourStream(stream.data(), n, 7, decoded.data())) << n;
  }
  // Hostile: a run longer than the pixels left.
  const uint8_t long_run[] = {9};
  EXPECT_FALSE(DecodeHighColourStream(long_run, 1, 7, decoded.data()));
}

TEST(BitmapCodec, HighColourBlockRoundTrip) {
  CollectionBitmap b;
  b.width = 7;
  b.height = 1;
  b.bytes_per_pixel = 8;
  b.flags = kBitmapEncodingValid;
  b.pixels = HighColourPixels();
  const std::vector<uint8_t> block = Encode(b);
  EXPECT_EQ(block[6] << 8 | block[7], kHighColourFlags);
  CollectionBitmap again;
  ASSERT_TRUE(Decode(block, &again));
  EXPECT_TRUE(again.IsHighColour());
  EXPECT_EQ(again.flags, kBitmapEncodingValid);  // 0x20 is cleared in memory
  EXPECT_EQ(again.pixels, b.pixels);
  EXPECT_EQ(Encode(again), block);
}

TEST(BitmapCodec, LongRunsAreCapped) {
  // 600 transparent pixels: runs of 255 + literal + 255 ... all tokens stay in range.
  std::vector<uint8_t> pixels(600 * 8, 0);
  std::vector<uint8_t> stream;
  EncodeHighColourStream(pixels.data(), 600, &stream);
  std::vector<uint8_t> decoded(600 * 8, 1);
  ASSERT_TRUE(DecodeHighColourStream(stream.data(), stream.size(), 600, decoded.data()));
  EXPECT_EQ(decoded, pixels);
  EXPECT_EQ(stream.front(), 255);
}

// ---- Placeholder

TEST(BitmapCodec, PlaceholderIsACheckerboardOfNearestColours) {
  CollectionPalette p{};
  for (auto& c : p) c = PaletteColor{128, 128, 128};
  p[0] = PaletteColor{0, 0, 0};  // never chosen: the search starts at 1
  p[7] = PaletteColor{20, 20, 20};
  p[9] = PaletteColor{20, 20, 20};  // a tie: the first wins
  p[200] = PaletteColor{255, 255, 255};
  CollectionBitmap b;
  MakePlaceholderBitmap(p, 0, &b);
  EXPECT_EQ(b.width, 256);
  EXPECT_EQ(b.height, 256);
  EXPECT_EQ(b.Pixel(0, 0)[0], 255);
  EXPECT_EQ(b.Pixel(0, 0)[1], 7);  // x and y share bit 4: dark
  EXPECT_EQ(b.Pixel(16, 0)[1], 200);
  EXPECT_EQ(b.Pixel(16, 16)[1], 7);
  EXPECT_EQ(b.Pixel(255, 0)[1], 200);
  MakePlaceholderBitmap(p, kBitmapShadow, &b);
  EXPECT_EQ(b.Pixel(0, 0)[1], 0);
  EXPECT_EQ(b.Pixel(16, 0)[1], 255);
  EXPECT_TRUE(b.IsShadow());
}

}  // namespace
}  // namespace brae
