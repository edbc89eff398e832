#include "terrain/DtexCoder.h"

#include <gtest/gtest.h>

#include <random>

#include "terrain/DtexBitStream.h"

namespace brae {
namespace {

// ---- Bit stream patterns

TEST(DtexBitStream, FieldsPackFromTheTop) {
  uint32_t words[2] = {};
  BitWriter w(words, 2);
  w.Put(256, 12);
  w.Put(128, 12);
  w.Put(2, 2);
  ASSERT_TRUE(w.Finish());
  EXPECT_EQ(words[0], uint32_t((256u << 14) | (128u << 2) | 2u) << 6);
  EXPECT_EQ(words[1], 0u);
}

TEST(DtexBitStream, RiceCodeOf200WithK5) {
  uint32_t words[1] = {};
  BitWriter w(words, 1);
  WriteRice(w, 200, 5);  // 111111 0 01000
  ASSERT_TRUE(w.Finish());
  EXPECT_EQ(words[0], 0xFC800000u);
  BitReader r(words, 1);
  EXPECT_EQ(ReadRice(r, 5), 200);
  EXPECT_TRUE(r.ok());
}

TEST(DtexBitStream, SplitFieldPutsLowBitsFirst) {
  uint32_t words[2] = {};
  BitWriter w(words, 2);
  w.Put(0, 30);
  w.Put(0b101, 3);  // two bits left: low bits 01 end word 0, the top bit starts word 1
  ASSERT_TRUE(w.Finish());
  EXPECT_EQ(words[0], 0b01u);
  EXPECT_EQ(words[1], 0x80000000u);
  BitReader r(words, 2);
  EXPECT_EQ(r.Get(30), 0u);
  EXPECT_EQ(r.Get(3), 0b101u);
  EXPECT_TRUE(r.ok());
}

TEST(DtexBitStream, ExactFitCompletesTheWord) {
  uint32_t words[2] = {};
  BitWriter w(words, 2);
  w.Put(0, 29);
  w.Put(0b111, 3);
  w.Put(1, 1);
  ASSERT_TRUE(w.Finish());
  EXPECT_EQ(words[0], 7u);
  EXPECT_EQ(words[1], 0x80000000u);
}

TEST(DtexBitStream, OnesAcrossWordsAndReadingPastTheEnd) {
  uint32_t words[2] = {};
  BitWriter w(words, 2);
  w.Put(0, 20);
  WriteRice(w, 255, 0);  // 255 ones cannot fit: the writer reports it
  EXPECT_FALSE(w.Finish());
  uint32_t ones[2] = {0x0000FFFF, 0xFFFF7FFF};
  BitReader r(ones, 2);
  r.Get(16);
  EXPECT_EQ(r.CountOnes(255), 32);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.Get(15), 0x7FFFu);
  r.Get(1);
  EXPECT_FALSE(r.ok());
}

// ---- Parameters and prediction

TEST(DtexRice, ParameterChoice) {
  uint32_t h[256] = {};
  h[0] = 64;
  EXPECT_EQ(ChooseRiceParameter(h, 64), 7);
  h[0] = 0;
  h[1] = 64;  // cost(0) = cost(1) = 128: equal costs move on; cost(2) = 192 rises
  uint64_t cost;
  EXPECT_EQ(ChooseRiceParameter(h, 64, &cost), 1);
  EXPECT_EQ(cost, 128u);
  h[1] = 0;
  h[255] = 1;
  EXPECT_EQ(ChooseRiceParameter(h, 1, &cost), 6);
  EXPECT_EQ(cost, 10u);
  h[255] = 0;
  h[0] = 63;
  h[3] = 1;  // cost(0) = 67, cost(1) = 129
  EXPECT_EQ(ChooseRiceParameter(h, 64, &cost), 0);
  EXPECT_EQ(cost, 67u);
}

TEST(DtexRice, Med7) {
  EXPECT_EQ(Med7(10, 20, 25), (7 * 10 + 20) >> 3);
  EXPECT_EQ(Med7(10, 20, 15), 15);
  EXPECT_EQ(Med7(10, 20, 5), (7 * 20 + 10) >> 3);
  EXPECT_EQ(Med7(-10, -3, 100), (7 * -10 - 3) >> 3);  // flooring shift
  EXPECT_EQ(Med7(-10, -3, -200), (7 * -3 - 10) >> 3);
}

// ---- Whole images

std::vector<uint8_t> Uniform(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> px(size_t(w) * h * 3);
  for (size_t i = 0; i < px.size(); i += 3) {
    px[i] = r;
    px[i + 1] = g;
    px[i + 2] = b;
  }
  return px;
}

std::vector<uint8_t> RandomImage(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> px(size_t(w) * h * 3);
  const int style = seed % 3;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        int v;
        if (style == 0) {
          v = int(rng() & 0xFF);  // noise: large residuals, long unary runs
        } else if (style == 1) {
          v = (x * (c + 1) + y * 2 + int(rng() % 5)) & 0xFF;  // gradients with a little noise
        } else {
          v = ((x / 5 + y / 3) % 2) ? 200 - c * 40 : 30 + c;  // flat areas and hard edges
        }
        px[3 * (size_t(y) * w + x) + c] = uint8_t(v);
      }
    }
  }
  return px;
}

void ExpectRoundTrip(const std::vector<uint8_t>& px, int w, int h) {
  DtexCode code;
  ASSERT_TRUE(EncodeDtex(px.data(), w, h, &code)) << w << "x" << h;
  EXPECT_EQ(code.ByteLength(), 4 * ((code.payload_bits + 89) / 32));
  std::vector<uint8_t> out;
  int ow = 0, oh = 0;
  std::string error;
  ASSERT_TRUE(DecodeDtex(code.words.data(), code.words.size(), &out, &ow, &oh, &error))
      << w << "x" << h << ": " << error;
  EXPECT_EQ(ow, w);
  EXPECT_EQ(oh, h);
  EXPECT_TRUE(out == px) << w << "x" << h;
}

TEST(DtexCoder, HeaderOfA256By128ImageInMode2) {
  const auto px = RandomImage(256, 128, 5);
  DtexCode code;
  ASSERT_TRUE(EncodeDtexWithMode(px.data(), 256, 128, 2, &code));
  EXPECT_EQ(code.words[0] >> 6, (256u << 14) | (128u << 2) | 2u);
}

TEST(DtexCoder, UniformImageCodesOnlyTheFirstPixel) {
  const auto px = Uniform(64, 64, 90, 20, 200);
  DtexCode code;
  ASSERT_TRUE(EncodeDtex(px.data(), 64, 64, &code));
  EXPECT_EQ(code.mode, 0);  // every mode costs the same
  // 64 blocks of 9 bits, and three raw values in the first block.
  BitReader r(code.words.data(), code.words.size());
  r.Get(26);
  int first[3];
  for (int& k : first) k = int(r.Get(3));
  for (int b = 1; b < 64; ++b) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(r.Get(3), 7u) << b;
  }
  EXPECT_NE(first[0], 7);
  // First block: 90 with k = 0 (91 + 63 bits), 20 with k = 0 (21 + 63), 200 with k = 1
  // (100 + 2 + 63 * 2).
  EXPECT_EQ(code.payload_bits, 64u * 9 + 154 + 84 + 228);
  EXPECT_EQ(code.words.size(), (1042u + 89) / 32);
  ExpectRoundTrip(px, 64, 64);
}

TEST(DtexCoder, OnePixelAndOneBlock) {
  const std::vector<uint8_t> one{255, 0, 7};
  DtexCode code;
  ASSERT_TRUE(EncodeDtex(one.data(), 1, 1, &code));
  // k = 6 for 255 (3 + 7 bits), 7 for 0, 0 for 7? cost(0) = 8, cost(1) = 5, cost(2) = 4,
  // cost(3) = 4, cost(4) = 5: k = 3, 4 bits.
  EXPECT_EQ(code.payload_bits, 9u + 10u + 0u + 4u);
  ExpectRoundTrip(one, 1, 1);
  ExpectRoundTrip(RandomImage(4, 4, 1), 4, 4);
}

TEST(DtexCoder, ModeChoiceTakesTheCheapestAndTheLowestOnTies) {
  // Grey images cost the same in every mode.
  std::vector<uint8_t> grey(32 * 32 * 3);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t((i / 3) * 7);
  uint64_t costs[3];
  DtexModeCosts(grey.data(), 32, 32, costs);
  EXPECT_EQ(costs[0], costs[1]);
  EXPECT_EQ(costs[1], costs[2]);
  DtexCode code;
  ASSERT_TRUE(EncodeDtex(grey.data(), 32, 32, &code));
  EXPECT_EQ(code.mode, 0);
  for (uint32_t seed = 0; seed < 12; ++seed) {
    const auto px = RandomImage(40, 24, seed);
    DtexModeCosts(px.data(), 40, 24, costs);
    ASSERT_TRUE(EncodeDtex(px.data(), 40, 24, &code));
    int best = 0;
    for (int m = 1; m < 3; ++m) {
      if (costs[m] < costs[best]) best = m;
    }
    EXPECT_EQ(code.mode, best);
    EXPECT_EQ(code.payload_bits, costs[best]);
  }
}

TEST(DtexCoder, RefusesDimensionsOutsideTwelveBits) {
  const std::vector<uint8_t> px(3 * 4096);
  DtexCode code;
  EXPECT_FALSE(EncodeDtex(px.data(), 4096, 1, &code));
  EXPECT_FALSE(EncodeDtex(px.data(), 0, 1, &code));
  EXPECT_TRUE(EncodeDtex(px.data(), 4095, 1, &code));
}

TEST(DtexCoder, SmallSizesRoundTrip) {
  for (int h = 1; h <= 17; ++h) {
    for (int w = 1; w <= 17; ++w) ExpectRoundTrip(RandomImage(w, h, uint32_t(w * 31 + h)), w, h);
  }
}

TEST(DtexCoder, LargerSizesRoundTrip) {
  const int sizes[][2] = {{1, 512},   {512, 1},   {2, 511},  {23, 64},   {64, 64},  {65, 63},
                          {127, 129}, {256, 255}, {300, 17}, {511, 509}, {512, 512}};
  uint32_t seed = 0;
  for (const auto& s : sizes) {
    for (int style = 0; style < 3; ++style)
      ExpectRoundTrip(RandomImage(s[0], s[1], seed++ * 3 + style), s[0], s[1]);
  }
}

TEST(DtexCoder, TruncatedAndHostileStreamsFail) {
  const auto px = RandomImage(64, 64, 0);
  DtexCode code;
  ASSERT_TRUE(EncodeDtex(px.data(), 64, 64, &code));
  std::vector<uint8_t> out;
  int w, h;
  // The last word is padding; the one before holds data.
  EXPECT_TRUE(DecodeDtex(code.words.data(), code.words.size() - 1, &out, &w, &h));
  EXPECT_FALSE(DecodeDtex(code.words.data(), code.words.size() - 2, &out, &w, &h));
  EXPECT_FALSE(DecodeDtex(code.words.data(), 0, &out, &w, &h));
  // 4095 x 4095 claimed in two words.
  const uint32_t huge[2] = {((4095u << 14) | (4095u << 2)) << 6, 0};
  EXPECT_FALSE(DecodeDtex(huge, 2, &out, &w, &h));
  const uint32_t bad_mode[2] = {((1u << 14) | (1u << 2) | 3u) << 6, 0};
  EXPECT_FALSE(DecodeDtex(bad_mode, 2, &out, &w, &h));
  const uint32_t empty[2] = {((0u << 14) | (1u << 2)) << 6, 0};
  EXPECT_FALSE(DecodeDtex(empty, 2, &out, &w, &h));
  // Unary runs that exceed a byte fail instead of wrapping.
  const uint32_t long_run[3] = {((1u << 14) | (1u << 2)) << 6, 0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_FALSE(DecodeDtex(long_run, 3, &out, &w, &h));
}

}  // namespace
}  // namespace brae
