#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "FontBuilder.h"
#include "toolkit/Skin.h"

namespace brae {
namespace {

std::vector<uint8_t> Pack(const std::vector<std::array<int, 3>>& images) {
  std::vector<uint8_t> b;
  test::Put32(&b, static_cast<int32_t>(images.size()));
  for (const auto& im : images) {
    size_t at = b.size();
    b.resize(at + 28, 0xEE);  // ignored bytes are not zero on purpose
    b[at + 12] = im[0] & 0xFF, b[at + 13] = im[0] >> 8;
    b[at + 14] = im[1] & 0xFF, b[at + 15] = im[1] >> 8;
    for (int i = 0; i < 4; ++i) b[at + 24 + i] = static_cast<uint8_t>(im[2] >> (8 * i));
    for (int p = 0; p < im[0] * im[1]; ++p) {
      b.push_back(static_cast<uint8_t>(im[2]));
      b.push_back(1), b.push_back(2), b.push_back(255);
    }
  }
  return b;
}

TEST(SkinLoading, SlotsByIdAndBorderWidths) {
  std::string error;
  std::unique_ptr<Skin> skin(
      Skin::FromBytes(Pack({{8, 5, 1}, {1, 2, 2}, {4, 4, 200}, {3, 3, 0}}), false, &error));
  ASSERT_TRUE(skin) << error;
  EXPECT_EQ(skin->ThickBorderWidth(), 5);
  EXPECT_EQ(skin->ThinBorderWidth(), 2);
  ASSERT_TRUE(skin->Image(0));
  EXPECT_EQ(skin->Image(0)->pixels[0], 0);
  EXPECT_EQ(skin->Image(5), nullptr);
  EXPECT_EQ(skin->Image(200), nullptr);  // ids beyond the 81 slots are not placed
  int w, h;
  skin->ImageSize(1, &w, &h);
  EXPECT_EQ(w, 8);
  skin->ImageSize(7, &w, &h);
  EXPECT_EQ(w + h, 0);
}

TEST(SkinLoading, TruncatedAndHostileFilesAreRefused) {
  std::vector<uint8_t> good = Pack({{8, 5, 1}, {1, 2, 2}});
  for (size_t cut : {size_t(0), size_t(3), size_t(4), size_t(20), good.size() - 1}) {
    std::vector<uint8_t> b(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_EQ(Skin::FromBytes(b, false), nullptr) << cut;
  }
  std::vector<uint8_t> huge_count = good;
  huge_count[0] = huge_count[1] = huge_count[2] = huge_count[3] = 0xFF;
  std::string error;
  EXPECT_EQ(Skin::FromBytes(huge_count, false, &error), nullptr);
  EXPECT_EQ(error, "bad image count");
  std::vector<uint8_t> huge_image = good;
  huge_image[4 + 12] = huge_image[4 + 13] = huge_image[4 + 14] = huge_image[4 + 15] = 0xFF;
  EXPECT_EQ(Skin::FromBytes(huge_image, false), nullptr);
  EXPECT_EQ(Skin::Load("/nonexistent/texturepack", false), nullptr);
}

TEST(SkinLoading, TilingQueuesOneSpritePerRepeat) {
  std::unique_ptr<Skin> skin(Skin::FromBytes(Pack({{4, 4, 0}}), false));
  ASSERT_TRUE(skin);
  skin->QueueImage(0, 0, 0, 10, 8, kSpriteTile);
  EXPECT_EQ(skin->QueuedSprites(), 6u);  // 3 across (4, 4, 2) by 2 down
  skin->QueueImage(0, 0, 0, 10, 8, kSpriteStretch);
  EXPECT_EQ(skin->QueuedSprites(), 7u);
  skin->QueueImage(9, 0, 0, 10, 8);  // an empty slot queues nothing
  EXPECT_EQ(skin->QueuedSprites(), 7u);
}

TEST(SkinLoading, GeneratedSkinFillsEverySlot) {
  std::string path = std::string(BRAE_BUILD_DIR) + "/bin/res/texturepack";
  std::unique_ptr<Skin> skin(Skin::Load(path, false));
  ASSERT_TRUE(skin) << path;
  for (int i = 0; i < kSkinSlotCount; ++i) EXPECT_TRUE(skin->Image(i)) << i;
  EXPECT_EQ(skin->ThickBorderWidth(), 4);
  EXPECT_EQ(skin->ThinBorderWidth(), 1);
}

}  // namespace
}  // namespace brae
