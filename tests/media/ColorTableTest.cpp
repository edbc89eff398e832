#include <gtest/gtest.h>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/ColorTable.h"

namespace brae {
namespace {

using test::TempDir;

void FillTable(Rgb table[256]) {
  for (int i = 0; i < 256; ++i) table[i] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
}

TEST(ColorTableTest, SixteenColoursWrite772Bytes) {
  TempDir dir;
  Rgb table[256];
  FillTable(table);
  const std::string path = dir.Path() + "/t.act";
  ASSERT_TRUE(WriteColorTable(path, table, 16));
  const std::vector<uint8_t> b = test::ReadBytes(path);
  ASSERT_EQ(b.size(), 772u);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(b[3 * size_t(i)], table[i].r);
    EXPECT_EQ(b[3 * size_t(i) + 1], table[i].g);
    EXPECT_EQ(b[3 * size_t(i) + 2], table[i].b);
  }
  for (size_t at = 48; at < 768; ++at) ASSERT_EQ(b[at], 0) << at;
  EXPECT_EQ(b[768], 0x00);
  EXPECT_EQ(b[769], 0x10);
  EXPECT_EQ(b[770], 0xFF);
  EXPECT_EQ(b[771], 0xFF);

  Rgb back[256];
  int count = 0;
  ASSERT_TRUE(ReadColorTable(path, back, &count));
  EXPECT_EQ(count, 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], table[i]);
  for (int i = 16; i < 256; ++i) EXPECT_EQ(back[i], Rgb{});
}

TEST(ColorTableTest, FullTableIs768BytesAndRoundTrips) {
  TempDir dir;
  Rgb table[256];
  FillTable(table);
  const std::string path = dir.Path() + "/full.act";
  ASSERT_TRUE(WriteColorTable(path, table, 256));
  EXPECT_EQ(test::ReadBytes(path).size(), 768u);
  Rgb back[256];
  int count = 0;
  ASSERT_TRUE(ReadColorTable(path, back, &count));
  EXPECT_EQ(count, 256);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(back[i], table[i]) << i;
}

TEST(ColorTableTest, CountWordRules) {
  std::vector<uint8_t> b(772, 0x55);
  Rgb table[256];
  int count = 0;
  // Exactly 768 bytes: 256 colours.
  ASSERT_TRUE(ParseColorTable(b.data(), 768, table, &count));
  EXPECT_EQ(count, 256);
  // A count word of 3 clears the entries from 3 on.
  test::PutBE16(b, 768, 3);
  ASSERT_TRUE(ParseColorTable(b.data(), b.size(), table, &count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(table[2], (Rgb{0x55, 0x55, 0x55}));
  EXPECT_EQ(table[3], Rgb{});
  // A count word above 256 is taken as 256.
  test::PutBE16(b, 768, 0xFFFF);
  ASSERT_TRUE(ParseColorTable(b.data(), b.size(), table, &count));
  EXPECT_EQ(count, 256);
  EXPECT_EQ(table[255], (Rgb{0x55, 0x55, 0x55}));
  // 769 bytes: no complete count word.
  ASSERT_TRUE(ParseColorTable(b.data(), 769, table, &count));
  EXPECT_EQ(count, 256);
  // Too short.
  EXPECT_FALSE(ParseColorTable(b.data(), 767, table, &count));
}

TEST(ColorTableTest, FailuresAreResults) {
  TempDir dir;
  Rgb table[256] = {};
  int count = 0;
  EXPECT_FALSE(ReadColorTable(dir.Path() + "/missing.act", table, &count));
  test::WriteFile(dir.Path() + "/short.act", std::string(767, 'x'));
  EXPECT_FALSE(ReadColorTable(dir.Path() + "/short.act", table, &count));
  EXPECT_FALSE(WriteColorTable(dir.Path() + "/no/such/folder/t.act", table, 16));
  EXPECT_FALSE(WriteColorTable(dir.Path() + "/t.act", table, 257));
}

}  // namespace
}  // namespace brae
