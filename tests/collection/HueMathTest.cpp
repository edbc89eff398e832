#include "collection/HueMath.h"

#include <gtest/gtest.h>

namespace brae {
namespace {

TEST(HueMath, RangesIncludeTheStartAndWrapPastZero) {
  EXPECT_TRUE(HueInRange(0x1000, 0x1000, 0x2000));
  EXPECT_FALSE(HueInRange(0x2000, 0x1000, 0x2000));
  // Start above end: the range wraps.
  EXPECT_TRUE(HueInRange(0xF800, 0xF000, 0x1000));
  EXPECT_TRUE(HueInRange(0x0000, 0xF000, 0x1000));
  EXPECT_TRUE(HueInRange(0x0FFF, 0xF000, 0x1000));
  EXPECT_FALSE(HueInRange(0x1000, 0xF000, 0x1000));
  EXPECT_FALSE(HueInRange(0x8000, 0xF000, 0x1000));
}

TEST(HueMath, MaskMarksSaturatedEntriesInRange) {
  CollectionPalette p{};
  p[1] = PaletteColor{255, 0, 0};       // hue 0
  p[2] = PaletteColor{0, 255, 255};     // hue 1/2
  p[3] = PaletteColor{128, 128, 128};   // grey: no saturation
  p[9] = PaletteColor{255, 0, 16};      // just below a full turn
  p[10] = PaletteColor{255, 230, 230};  // red but barely saturated
  HueChange h = MakeNewHueChange();
  h.start_hue = 0xF000;
  h.end_hue = 0x1000;
  h.min_saturation = 0x4000;
  ComputeHueChangeMask(&h, p);
  EXPECT_TRUE(HueChangeMaskBit(h, 1));
  EXPECT_FALSE(HueChangeMaskBit(h, 2));
  EXPECT_FALSE(HueChangeMaskBit(h, 3));
  EXPECT_TRUE(HueChangeMaskBit(h, 9));
  EXPECT_FALSE(HueChangeMaskBit(h, 10));
  EXPECT_EQ(h.mask[1], 0x02);  // entry 9: bit 1 of byte 1, least significant bit first
  // The new hue change (120° to 240°) takes cyan but not red, nor pure green (0x5555 < 0x5556).
  p[4] = PaletteColor{0, 255, 0};
  HueChange fresh = MakeNewHueChange();
  ComputeHueChangeMask(&fresh, p);
  EXPECT_TRUE(HueChangeMaskBit(fresh, 2));
  EXPECT_FALSE(HueChangeMaskBit(fresh, 1));
  EXPECT_FALSE(HueChangeMaskBit(fresh, 4));
}

TEST(HueMath, HighColourPixels) {
  Collection c;
  uint8_t rgba[4];
  // Layer bytes stand in reverse order: (B2, B1, B0) are red, green, blue.
  const uint8_t plain[8] = {30, 20, 10, 31, 0, 0, 0, 0};
  HighColourPixelRgba(c, plain, rgba);
  EXPECT_EQ(rgba[0], 10);
  EXPECT_EQ(rgba[1], 20);
  EXPECT_EQ(rgba[2], 30);
  EXPECT_EQ(rgba[3], 255);
  // A second layer at weight 16 of 64 takes a quarter.
  const uint8_t blended[8] = {1, 0, 100, 16, 101, 0, 200, 16};
  HighColourPixelRgba(c, blended, rgba);
  EXPECT_EQ(rgba[0], (200 * 16 + 100 * 48) / 64);
  EXPECT_EQ(rgba[2], (101 * 16 + 1 * 48) / 64);
  EXPECT_EQ(rgba[3], 16 * 255 / 31);
  // A layer recoloured by a solid hue change takes its replacement colour.
  HueChange solid = MakeNewHueChange();
  solid.replacement_mode = 3;
  solid.replacement[0] = 0x1100, solid.replacement[1] = 0x2200, solid.replacement[2] = 0x3300;
  c.hue_changes.push_back(solid);
  const uint8_t recoloured[8] = {0, 0, 0, 0x20 | 31, 0, 0, 0, 0};
  HighColourPixelRgba(c, recoloured, rgba);
  EXPECT_EQ(rgba[0], 0x11);
  EXPECT_EQ(rgba[2], 0x33);
}

}  // namespace
}  // namespace brae
