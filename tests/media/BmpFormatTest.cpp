#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/BmpFormat.h"
#include "media/PixelConvert.h"

namespace brae {
namespace {

void PutLE16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
uint32_t GetLE32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

// A hand-made 24-bit BMP header for width x height (height may be negative), with room for
// the pixels.
std::vector<uint8_t> Bmp24(int32_t width, int32_t height) {
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
  const size_t rows = size_t(height < 0 ? -height : height);
  std::vector<uint8_t> b(54 + stride * rows, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE32(b, 2, uint32_t(b.size()));
  PutLE32(b, 10, 54);
  PutLE32(b, 14, 40);
  PutLE32(b, 18, uint32_t(width));
  PutLE32(b, 22, uint32_t(height));
  PutLE16(b, 26, 1);
  PutLE16(b, 28, 24);
  return b;
}

TEST(BmpReadTest, NegativeHeightIsTopRowFirst) {
  // 1 x 10, height -10: stored row i holds blue = i.
  std::vector<uint8_t> b = Bmp24(1, -10);
  for (int i = 0; i < 10; ++i) b[54 + 4 * size_t(i)] = uint8_t(i);
  Image image;
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_EQ(image.height, 10);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(image.pixels[3 * size_t(y) + 2], y) << y;

  // The same rows with a positive height come bottom row first.
  PutLE32(b, 22, 10);
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(image.pixels[3 * size_t(y) + 2], 9 - y) << y;
}

TEST(BmpReadTest, SwapsBlueAndRedAndIgnoresThePixelOffsetField) {
  std::vector<uint8_t> b = Bmp24(2, 1);
  const uint8_t stored[] = {1, 2, 3, 4, 5, 6};  // blue, green, red twice
  std::memcpy(&b[54], stored, 6);
  PutLE32(b, 10, 9999);  // not consulted
  Image image;
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(BmpReadTest, PaletteOfColoursUsedOr256) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 5, 3);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeBmp(source, &bytes));
  Image image;
  ASSERT_TRUE(ReadBmp(bytes.data(), bytes.size(), &image, true));
  EXPECT_EQ(image.palette.count, 16);
  EXPECT_TRUE(image.pixels.empty());  // header only

  // Colours used 0 means 256 entries follow.
  Image grey = test::MakeTestImage(PixelFormat::kGrey, 3, 2);
  ASSERT_TRUE(EncodeBmp(grey, &bytes));
  PutLE32(bytes, 46, 0);
  ASSERT_TRUE(ReadBmp(bytes.data(), bytes.size(), &image, false));
  EXPECT_EQ(image.palette.count, 256);
  EXPECT_EQ(image.pixels, grey.pixels);
}

TEST(BmpWriteTest, LayoutByteForByte) {
  // A 3 x 2 RGB image: rows of 9 bytes padded to 12, bottom row first, blue first.
  Image image;
  image.format = PixelFormat::kRgb;
  image.width = 3;
  image.height = 2;
  for (int i = 0; i < 18; ++i) image.pixels.push_back(uint8_t(i + 1));
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(image, &b));
  ASSERT_EQ(b.size(), 54u + 24u);
  EXPECT_EQ(b[0], 0x42);
  EXPECT_EQ(b[1], 0x4D);
  EXPECT_EQ(GetLE32(b, 2), 78u);   // file size
  EXPECT_EQ(GetLE32(b, 6), 0u);    // reserved
  EXPECT_EQ(GetLE32(b, 10), 54u);  // pixel offset
  EXPECT_EQ(GetLE32(b, 14), 40u);
  EXPECT_EQ(GetLE32(b, 18), 3u);
  EXPECT_EQ(GetLE32(b, 22), 2u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(GetLE32(b, at), 0u) << at;
  const std::vector<uint8_t> rows = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,
                                     3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()), rows);
}

TEST(BmpWriteTest, GreyAndPalettelessImagesGetTheGreyRamp) {
  Image grey = test::MakeTestImage(PixelFormat::kGrey, 4, 4);
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(grey, &b));
  EXPECT_EQ(GetLE32(b, 10), 54u + 1024u);
  EXPECT_EQ(GetLE32(b, 46), 256u);  // colours used = palette count
  EXPECT_EQ(GetLE32(b, 50), 0u);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(GetLE32(b, 54 + 4 * i), i * 0x010101u);

  Image indexed = test::MakeTestImage(PixelFormat::kIndexed, 4, 4);
  indexed.palette.count = 0;
  ASSERT_TRUE(EncodeBmp(indexed, &b));
  EXPECT_EQ(GetLE32(b, 46), 256u);
  EXPECT_EQ(GetLE32(b, 54 + 4 * 200), 200u * 0x010101u);
}

TEST(BmpWriteTest, RefusesTheTwoByteForm) {
  std::vector<uint8_t> b;
  EXPECT_FALSE(EncodeBmp(test::MakeTestImage(PixelFormat::kIndexedAlpha, 2, 2), &b));
}

TEST(BmpRoundTripTest, EveryFormat) {
  for (PixelFormat f :
       {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb, PixelFormat::kRgba}) {
    for (int width : {1, 2, 3, 5, 17}) {
      Image source = test::MakeTestImage(f, width, 7, true);
      std::vector<uint8_t> b;
      ASSERT_TRUE(EncodeBmp(source, &b));
      Image back;
      ASSERT_TRUE(ReadBmp(b.data(), b.size(), &back, false));
      EXPECT_EQ(back.width, width);
      EXPECT_EQ(back.height, 7);
      // Grey comes back colour-indexed over the grey ramp: same bytes.
      EXPECT_EQ(back.pixels, source.pixels) << PixelFormatName(f) << " " << width;
      EXPECT_EQ(ExpandToRgba(back), ExpandToRgba(source));
    }
  }
}

// Hostile and unsupported headers: each must fail cleanly.
TEST(BmpReadTest, RefusesBadHeaders) {
  struct Case {
    const char* what;
    size_t at;
    int bytes;  // 2 or 4
    uint32_t value;
  };
  const Case cases[] = {
      {"magic", 0, 2, 0x4142},
      {"information header size 12", 14, 4, 12},
      {"information header size 124", 14, 4, 124},
      {"width 0", 18, 4, 0},
      {"width -1", 18, 4, 0xFFFFFFFF},
      {"width 32768", 18, 4, 32768},
      {"height 0", 22, 4, 0},
      {"height 32768", 22, 4, 32768},
      {"height -32768", 22, 4, uint32_t(-32768)},
      {"height INT_MIN", 22, 4, 0x80000000u},
      {"planes 2", 26, 2, 2},
      {"bit count 16", 28, 2, 16},
      {"bit count 4", 28, 2, 4},
      {"RLE compression", 30, 4, 1},
      {"colours used without palette", 46, 4, 1},
      {"important colours without palette", 50, 4, 1},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = Bmp24(4, 4);
    if (c.bytes == 2) {
      PutLE16(b, c.at, uint16_t(c.value));
    } else {
      PutLE32(b, c.at, c.value);
    }
    Image image;
    std::string error;
    EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(BmpReadTest, RefusesWrongColourCounts) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 4, 4);
  std::vector<uint8_t> good;
  ASSERT_TRUE(EncodeBmp(source, &good));
  Image image;
  std::vector<uint8_t> b = good;
  PutLE32(b, 46, 257);  // colours used above 256
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
  b = good;
  PutLE32(b, 50, 17);  // important colours above colours used
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
  b = good;
  PutLE32(b, 50, 16);  // important = used is fine
  EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  b = good;
  PutLE32(b, 46, 256);  // a palette running into the pixels: too few bytes for the rows
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
}

TEST(BmpReadTest, TruncatedFilesFail) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 9, 5);
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(source, &b));
  Image image;
  for (size_t size = 0; size < b.size(); ++size) {
    EXPECT_FALSE(ReadBmp(b.data(), size, &image, false)) << size;
  }
  EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
}

TEST(BmpReadTest, HugeDimensionsWithFewBytesFailWithoutAllocating) {
  // 32767 x -32767 at 32 bits states 4 GB of pixels in a 54-byte file.
  std::vector<uint8_t> b = Bmp24(1, 1);
  b.resize(54);
  PutLE32(b, 18, 32767);
  PutLE32(b, 22, uint32_t(-32767));
  PutLE16(b, 28, 32);
  Image image;
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, true));
  // Within the size limit but still without the bytes.
  PutLE32(b, 18, 8000);
  PutLE32(b, 22, 8000);
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
}

}  // namespace
}  // namespace brae

namespace brae {
namespace {

// The fuzzer's seed inputs are valid BMP files.
TEST(BmpReadTest, FuzzSeedsAreReadable) {
  const std::string dir = std::string(BRAE_TEST_DATA_DIR) + "/../fuzz/seeds/fuzz_bmp";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::vector<uint8_t> b = test::ReadBytes(entry.path().string());
    Image image;
    EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false)) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace brae
