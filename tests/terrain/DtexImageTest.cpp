#include "terrain/DtexImage.h"

#include <gtest/gtest.h>

#include "tagstore/ByteOrder.h"

namespace brae {
namespace {

DtexImage Gradient(int w, int h) {
  DtexImage image;
  image.width = w;
  image.height = h;
  image.pixels.resize(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &image.pixels[3 * (size_t(y) * w + x)];
      p[0] = uint8_t(x * 4);
      p[1] = uint8_t(y * 4);
      p[2] = uint8_t((x ^ y) * 2);
    }
  }
  return image;
}

TEST(DtexData, RoundTripsByteForByte) {
  DtexImage image = Gradient(64, 32);
  image.carried = 0xCAFEF00D;
  const auto bytes = SerializeDtexData(image);
  ASSERT_GE(bytes.size(), 24u);
  EXPECT_EQ(LoadBE32(&bytes[0]), 64u);
  EXPECT_EQ(LoadBE32(&bytes[4]), 32u);
  EXPECT_EQ(LoadBE32(&bytes[8]), 0u);
  EXPECT_EQ(LoadLE32(&bytes[16]), bytes.size() - 20);
  std::string error;
  auto read = ParseDtexData(bytes, &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->carried, 0xCAFEF00Du);
  EXPECT_EQ(read->pixels, image.pixels);
  EXPECT_EQ(SerializeDtexData(*read), bytes);
}

TEST(DtexData, WordsAreLittleEndian) {
  const auto bytes = SerializeDtexData(Gradient(256, 128));
  // The header's top byte (width's high bits) is the fourth byte of the first word.
  const uint32_t word0 = LoadLE32(&bytes[20]);
  EXPECT_EQ(word0 >> 20, 256u);
  EXPECT_EQ(bytes[23], uint8_t(word0 >> 24));
}

TEST(DtexData, RefusesDamagedData) {
  const auto good = SerializeDtexData(Gradient(16, 16));
  {
    auto b = good;
    StoreBE32(&b[0], 32);  // head and coded size disagree
    EXPECT_FALSE(ParseDtexData(b));
  }
  {
    auto b = good;
    StoreLE32(&b[16], LoadLE32(&b[16]) + 4);  // N beyond the data
    EXPECT_FALSE(ParseDtexData(b));
  }
  {
    auto b = good;
    StoreLE32(&b[16], 0xFFFFFFFF);
    EXPECT_FALSE(ParseDtexData(b));
  }
  {
    auto b = good;
    StoreLE32(&b[16], LoadLE32(&b[16]) - 2);  // not a whole number of words
    EXPECT_FALSE(ParseDtexData(b));
  }
  EXPECT_FALSE(ParseDtexData(std::vector<uint8_t>(good.begin(), good.begin() + 19)));
}

TEST(DtexData, SerializeRefusesUncodableImages) {
  DtexImage image;
  EXPECT_TRUE(SerializeDtexData(image).empty());
  image.width = 4;
  image.height = 4;
  image.pixels.resize(10);
  EXPECT_TRUE(SerializeDtexData(image).empty());
}

TEST(DtexImageOps, Checkerboard) {
  const DtexImage image = MakeCheckerboardDtex();
  ASSERT_EQ(image.width, 256);
  EXPECT_EQ(image.pixels[0], 0);
  EXPECT_EQ(image.pixels[3 * 16], 255);
  EXPECT_EQ(image.pixels[3 * (16 * 256 + 16)], 0);
  EXPECT_EQ(image.pixels[3 * (16 * 256 + 15) + 2], 255);
  EXPECT_EQ(ParseDtexData(SerializeDtexData(image))->pixels, image.pixels);
}

TEST(DtexImageOps, MeanCenterRgb) {
  DtexImage image;
  image.width = 2;
  image.height = 1;
  image.pixels = {100, 0, 255, 156, 255, 1};  // means 128, 127, 128
  DtexImage same = image;
  MeanCenterRgb(image);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{100, 1, 255, 156, 255, 1}));
  same.pixels = {100, 100, 120, 156, 156, 136};
  const auto before = same.pixels;
  MeanCenterRgb(same);
  EXPECT_EQ(same.pixels, before);
  DtexImage dark;
  dark.width = dark.height = 1;
  dark.pixels = {10, 250, 0};
  MeanCenterRgb(dark);
  EXPECT_EQ(dark.pixels, (std::vector<uint8_t>{128, 128, 128}));
}

TEST(DtexImageOps, MeanCenterLuma) {
  DtexImage image;
  image.width = image.height = 16;  // 256 pixels
  image.pixels.assign(256 * 3, 50);
  MeanCenterLuma(image);
  // luma of (50, 50, 50) is 50; S = 12800; floor(12800 / 255) = 50; / 1 = 50; offset 78
  EXPECT_EQ(image.pixels[0], 128);
  DtexImage tiny;  // fewer than 256 pixels must not fail
  tiny.width = tiny.height = 2;
  tiny.pixels.assign(12, 255);
  MeanCenterLuma(tiny);
  EXPECT_LE(tiny.pixels[0], 255);
  EXPECT_GE(tiny.pixels[0], 120);
}

TEST(DtexImageOps, WrapHalfSwapsQuadrants) {
  DtexImage image = Gradient(8, 4);
  const DtexImage original = image;
  WrapHalf(image);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int tx = (x + 4) % 8, ty = (y + 2) % 4;
      EXPECT_EQ(image.pixels[3 * (ty * 8 + tx)], original.pixels[3 * (y * 8 + x)]);
    }
  }
  WrapHalf(image);
  EXPECT_EQ(image.pixels, original.pixels);
  EXPECT_TRUE(IsPowerOfTwo(256));
  EXPECT_FALSE(IsPowerOfTwo(96));
  EXPECT_FALSE(IsPowerOfTwo(0));
}

}  // namespace
}  // namespace brae
