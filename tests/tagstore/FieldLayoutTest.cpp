#include "tagstore/FieldLayout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "tagstore/FileStream.h"

namespace brae {
namespace {

TEST(FieldLayout, SwapsWidthsZeroesAndCopies) {
  // size 12: one u16, two bytes, one u32 forced to zero, one u32 copied unswapped.
  FieldLayout layout{12, 1, 1, 2, 0, 1, 2 | FieldLayout::kZero, 1, 2 | FieldLayout::kNoSwap};
  EXPECT_EQ(layout.WalkedSize(), 12u);
  uint8_t bytes[12] = {0x12, 0x34, 0xAA, 0xBB, 1, 2, 3, 4, 5, 6, 7, 8};
  ConvertRecords(bytes, 1, layout);
  const uint8_t expected[12] = {0x34, 0x12, 0xAA, 0xBB, 0, 0, 0, 0, 5, 6, 7, 8};
  EXPECT_EQ(0, std::memcmp(bytes, expected, 12));
}

TEST(FieldLayout, NestedLayoutAppliedCountTimes) {
  // size 10: u16, then 2 × {u16, u16}.
  FieldLayout layout{10, 1, 1, 2, FieldLayout::kNested, 4, 2, 1};
  EXPECT_EQ(layout.WalkedSize(), 10u);
  uint8_t bytes[20] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10};
  ConvertRecords(bytes, 2, layout);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(bytes[2 * i], i + 1) << i;
    EXPECT_EQ(bytes[2 * i + 1], 0) << i;
  }
}

TEST(FieldLayout, WalkFirstReadsShorterFileRecords) {
  // In memory 8 bytes, in files 6: the reader converts through a temporary buffer.
  FieldLayout layout{8 | FieldLayout::kWalkFirst, 1, 2, 1, 1};
  EXPECT_EQ(layout.RecordSize(), 8u);
  EXPECT_EQ(layout.WalkedSize(), 6u);
  test::TempDir dir;
  const std::string path = dir.Path() + "/r";
  test::WriteBytes(path, {0, 0, 0, 1, 0, 2, 0, 0, 0, 3, 0, 4});
  FileStream f;
  ASSERT_TRUE(f.Open(path, FileStream::kRead));
  struct Rec {
    uint32_t a;
    uint16_t b;
    uint16_t pad;
  } recs[2];
  std::memset(recs, 0xFF, sizeof recs);
  EXPECT_EQ(ReadRecords(recs, 2, layout, f), 12u);
  EXPECT_EQ(recs[0].a, 1u);
  EXPECT_EQ(recs[0].b, 2u);
  EXPECT_EQ(recs[0].pad, 0u);
  EXPECT_EQ(recs[1].a, 3u);
  EXPECT_EQ(recs[1].b, 4u);
  // A short read yields 0.
  FileStream g;
  ASSERT_TRUE(g.Open(path, FileStream::kRead));
  EXPECT_EQ(ReadRecords(recs, 3, layout, g), 0u);
}

TEST(FieldLayout, WriteRecordsLeavesCallerRecordsUnchanged) {
  test::TempDir dir;
  const std::string path = dir.Path() + "/w";
  FieldLayout layout{4, 1, 2};
  uint32_t value = 0x01020304;
  FileStream f;
  ASSERT_TRUE(f.Open(path, FileStream::kCreate));
  EXPECT_EQ(WriteRecords(&value, 1, layout, f), 4u);
  f.Close();
  EXPECT_EQ(value, 0x01020304u);
  EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace brae
