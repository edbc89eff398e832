#include "terrain/RunLength.h"

#include <gtest/gtest.h>

#include "terrain/ByteSource.h"

namespace brae {
namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& stream, size_t expected, bool* ok) {
  MemorySource source(stream);
  std::vector<uint8_t> out;
  *ok = DecodeRunLength(source, 0, expected, &out);
  return out;
}

TEST(RunLength, LongRunSplitsAt256) {
  std::vector<uint8_t> bytes(300, 9);
  EXPECT_EQ(EncodeRunLength(bytes.data(), bytes.size()), (std::vector<uint8_t>{9, 255, 9, 43}));
}

TEST(RunLength, SingleByteAndAlternation) {
  const uint8_t one = 5;
  EXPECT_EQ(EncodeRunLength(&one, 1), (std::vector<uint8_t>{5, 0}));
  const std::vector<uint8_t> mixed{1, 1, 2, 3, 3, 3};
  EXPECT_EQ(EncodeRunLength(mixed.data(), mixed.size()), (std::vector<uint8_t>{1, 1, 2, 0, 3, 2}));
  EXPECT_TRUE(EncodeRunLength(nullptr, 0).empty());
}

TEST(RunLength, RoundTrip) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 2000; ++i) bytes.push_back(uint8_t((i / 7) % 3 + (i % 500 == 0)));
  bool ok = false;
  EXPECT_EQ(Decode(EncodeRunLength(bytes.data(), bytes.size()), bytes.size(), &ok), bytes);
  EXPECT_TRUE(ok);
}

TEST(RunLength, RunPastExpectedLengthIsRejected) {
  bool ok = true;
  Decode({7, 3, 8, 9}, 8, &ok);  // 4 + 10 > 8
  EXPECT_FALSE(ok);
  Decode({7, 3, 8, 3}, 8, &ok);
  EXPECT_TRUE(ok);
}

TEST(RunLength, TruncatedStreamIsRejected) {
  bool ok = true;
  Decode({7, 3, 8}, 8, &ok);
  EXPECT_FALSE(ok);
  Decode({}, 1, &ok);
  EXPECT_FALSE(ok);
  // A hostile expected length beyond what the bytes could ever hold fails before allocating.
  std::vector<uint8_t> out;
  const std::vector<uint8_t> pair{1, 255};
  MemorySource source(pair);
  EXPECT_FALSE(DecodeRunLength(source, 0, size_t(1) << 40, &out));
}

}  // namespace
}  // namespace brae
