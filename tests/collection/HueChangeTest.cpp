// The hue change commands and field conversions, the colour bar's markers and the preview
// palette.
#include <gtest/gtest.h>

#include <cstdlib>

#include "collection/HueChangeOperations.h"
#include "collection/HueMath.h"

namespace brae {
namespace {

std::vector<std::string> Names(const Collection& c) {
  std::vector<std::string> out;
  for (const HueChange& h : c.hue_changes) out.push_back(HueChangeName(h));
  return out;
}

// The preview's 16-bit arithmetic (8-bit components in the high byte, value scaled by a
// value below 1) may lose a step or two of each component.
::testing::AssertionResult Near(const PaletteColor& got, const PaletteColor& want) {
  auto close = [](int a, int b) { return std::abs(a - b) <= 3; };
  if (close(got.r, want.r) && close(got.g, want.g) && close(got.b, want.b))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got (" << int(got.r) << ", " << int(got.g) << ", " << int(got.b) << ")";
}

HueChange Range(int start_degrees, int median_degrees, int end_degrees) {
  HueChange h = MakeNewHueChange();
  h.start_hue = HueFromDegrees(start_degrees);
  h.median_hue = HueFromDegrees(median_degrees);
  h.end_hue = HueFromDegrees(end_degrees);
  return h;
}

TEST(HueChangeCommands, NewRenameAndDelete) {
  Collection c;
  size_t index = 99;
  ASSERT_TRUE(NewHueChange(&c, &index).changed);
  EXPECT_EQ(index, 0u);
  const HueChange& h = c.hue_changes[0];
  EXPECT_EQ(HueChangeName(h), "New Hue Change");
  EXPECT_EQ(HueDegrees(h.start_hue), 120);
  EXPECT_EQ(HueDegrees(h.median_hue), 180);
  EXPECT_EQ(HueDegrees(h.end_hue), 240);
  EXPECT_EQ(h.replacement_mode, 0);
  EXPECT_EQ(h.min_saturation, 0);

  EXPECT_TRUE(RenameHueChange(&c, 0, "Team").changed);
  EXPECT_FALSE(RenameHueChange(&c, 0, "Team").changed);
  EXPECT_TRUE(RenameHueChange(&c, 0, std::string(80, 'x')).changed);
  EXPECT_EQ(HueChangeName(c.hue_changes[0]), std::string(63, 'x'));
  EXPECT_FALSE(RenameHueChange(&c, 5, "Nothing").ok);

  NewHueChange(&c);
  NewHueChange(&c);
  RenameHueChange(&c, 0, "A");
  RenameHueChange(&c, 1, "B");
  RenameHueChange(&c, 2, "C");
  // An open editor refuses the whole deletion.
  OperationResult refused = DeleteHueChanges(
      &c, {0, 1}, [](size_t i) { return i == 1; }, nullptr);
  EXPECT_FALSE(refused.ok);
  ASSERT_EQ(refused.messages.size(), 1u);
  EXPECT_EQ(refused.messages[0].title, "Error");
  EXPECT_EQ(refused.messages[0].text,
            "The hue change \"B\" is currently open. Please close it before deleting.");
  EXPECT_EQ(Names(c), (std::vector<std::string>{"A", "B", "C"}));
  // The question, declined and then accepted.
  std::string asked;
  auto no = [&](const std::string& q) {
    asked = q;
    return false;
  };
  EXPECT_FALSE(DeleteHueChanges(&c, {2, 0}, nullptr, no).changed);
  EXPECT_EQ(asked, "Are you sure you want to remove the selected hue changes?");
  std::vector<std::pair<size_t, HueChange>> removed;
  auto yes = [&](const std::string& q) {
    asked = q;
    return true;
  };
  EXPECT_TRUE(DeleteHueChanges(&c, {2, 0}, nullptr, yes, &removed).changed);
  EXPECT_EQ(Names(c), std::vector<std::string>{"B"});
  ASSERT_EQ(removed.size(), 2u);
  EXPECT_EQ(removed[0].first, 0u);
  EXPECT_EQ(HueChangeName(removed[0].second), "A");
  EXPECT_EQ(removed[1].first, 2u);
  DeleteHueChanges(&c, {0}, nullptr, yes);
  EXPECT_EQ(asked, "Are you sure you want to remove the selected hue change?");
  EXPECT_TRUE(c.hue_changes.empty());
}

TEST(HueChangeFields, MinimumSaturationPercent) {
  // 50 % stores 32768 and shows 50 again.
  EXPECT_EQ(MinSaturationFromPercent(50), 32768);
  EXPECT_EQ(MinSaturationPercent(32768), 50);
  EXPECT_EQ(MinSaturationFromPercent(0), 1);
  EXPECT_EQ(MinSaturationPercent(1), 0);
  EXPECT_EQ(MinSaturationFromPercent(99), 64880);
  EXPECT_EQ(MinSaturationFromPercent(100), 65535);
  EXPECT_EQ(MinSaturationFromPercent(250), 65535);
  EXPECT_EQ(MinSaturationPercent(65535), 100);
  EXPECT_EQ(MinSaturationFromPercent(-20), 1);
  for (int p = 0; p <= 100; ++p)
    EXPECT_EQ(MinSaturationPercent(MinSaturationFromPercent(p)), p) << p;
}

TEST(HueChangeFields, DegreesReplacementAndColour) {
  EXPECT_EQ(HueFromDegrees(120), 0x5555);
  EXPECT_EQ(HueFromDegrees(0), 0);
  EXPECT_EQ(HueFromDegrees(-5), 0);
  EXPECT_EQ(HueFromDegrees(360), 65535);  // not wrapped to 0
  EXPECT_EQ(HueFromDegrees(400), 65535);
  EXPECT_EQ(HueDegrees(0x8001), 180);
  EXPECT_EQ(HueDegrees(0xAAAB), 240);
  EXPECT_EQ(ReplacementMode(false, false), 0);
  EXPECT_EQ(ReplacementMode(false, true), 0);
  EXPECT_EQ(ReplacementMode(true, false), 1);
  EXPECT_EQ(ReplacementMode(true, true), 3);
  HueChange h = MakeNewHueChange();
  SetReplacementColour(&h, 255, 128, 1);
  EXPECT_EQ(h.replacement[0], 0xFF00);
  EXPECT_EQ(h.replacement[1], 0x8000);
  EXPECT_EQ(h.replacement[2], 0x0100);
  EXPECT_EQ(ReplacementColour(h), (PaletteColor{255, 128, 1}));
}

TEST(HueChangeMarkers, TheStartMarkerDragsTheMedianAlong) {
  HueChange h = MakeNewHueChange();  // 120°, 180°, 240°
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kStart, HueFromDegrees(150)));
  EXPECT_EQ(HueDegrees(h.median_hue), 180);  // still inside
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kStart, HueFromDegrees(200)));
  EXPECT_EQ(h.start_hue, HueFromDegrees(200));
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  // The end marker pulls it back the other way.
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kEnd, HueFromDegrees(230)));
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  h = MakeNewHueChange();
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kEnd, HueFromDegrees(150)));
  EXPECT_EQ(h.median_hue, HueFromDegrees(150));
}

TEST(HueChangeMarkers, TheMedianStaysInsideTheRangeAndRangesWrap) {
  HueChange h = MakeNewHueChange();
  EXPECT_FALSE(MoveHueMarker(&h, HueMarker::kMedian, HueFromDegrees(100)));
  EXPECT_FALSE(MoveHueMarker(&h, HueMarker::kMedian, HueFromDegrees(300)));
  EXPECT_EQ(h.median_hue, 0x8001);
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kMedian, HueFromDegrees(200)));
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  // 300° to 60°: the median may sit on either side of 0°.
  h = Range(300, 330, 60);
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kMedian, HueFromDegrees(10)));
  EXPECT_FALSE(MoveHueMarker(&h, HueMarker::kMedian, HueFromDegrees(180)));
  // Moving the end to 20° leaves a median at 10° inside the wrapped range.
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kEnd, HueFromDegrees(20)));
  EXPECT_EQ(HueDegrees(h.median_hue), 10);
  // Moving the start past 0° (to 15°) makes the range 15° to 20°: the median follows.
  EXPECT_TRUE(MoveHueMarker(&h, HueMarker::kStart, HueFromDegrees(15)));
  EXPECT_EQ(HueDegrees(h.median_hue), 15);
  EXPECT_FALSE(MoveHueMarker(&h, HueMarker::kNone, 0));
}

TEST(HueChangeMarkers, TheMarkerUnderThePointer) {
  HueChange h = MakeNewHueChange();
  EXPECT_EQ(MarkerAtX(h, 121, 4), HueMarker::kStart);
  EXPECT_EQ(MarkerAtX(h, 177, 4), HueMarker::kMedian);
  EXPECT_EQ(MarkerAtX(h, 244, 4), HueMarker::kEnd);
  EXPECT_EQ(MarkerAtX(h, 150, 4), HueMarker::kNone);
  // Start and median on one spot: the start is taken, so the range can still be widened.
  MoveHueMarker(&h, HueMarker::kStart, HueFromDegrees(200));
  EXPECT_EQ(MarkerAtX(h, 200, 4), HueMarker::kStart);
}

TEST(HueChangePreview, AWrappedRangeRecoloursRedAndNotGreen) {
  CollectionPalette p{};
  p[1] = PaletteColor{255, 0, 0};    // red, 0°
  p[2] = PaletteColor{0, 255, 0};    // green, 120°
  p[3] = PaletteColor{255, 0, 255};  // magenta, 300°
  p[4] = PaletteColor{128, 128, 128};
  p[5] = PaletteColor{255, 255, 0};  // yellow, 60°: the end is not included
  std::vector<HueChange> changes{Range(300, 0, 60)};
  changes[0].replacement_mode = 1;
  SetReplacementColour(&changes[0], 0, 0, 255);  // blue, 240°
  ComputeHueChangeMask(&changes[0], p);
  EXPECT_TRUE(HueChangeMaskBit(changes[0], 1));
  EXPECT_FALSE(HueChangeMaskBit(changes[0], 2));
  const CollectionPalette out = HuePreviewPalette(p, changes);
  EXPECT_TRUE(Near(out[1], PaletteColor{0, 0, 255}));  // red moved onto blue
  EXPECT_EQ(out[2], p[2]);
  EXPECT_TRUE(Near(out[3], PaletteColor{0, 255, 255}));  // 300° - 0° + 240° = 180°
  EXPECT_EQ(out[4], p[4]);
  EXPECT_EQ(out[5], p[5]);
  EXPECT_EQ(out[0], p[0]);
  // Without replacement nothing changes; the stored palette is never touched.
  changes[0].replacement_mode = 0;
  EXPECT_EQ(HuePreviewPalette(p, changes), p);
  EXPECT_EQ(p[1], (PaletteColor{255, 0, 0}));
}

TEST(HueChangePreview, ReversedScaledAndAppliedInListOrder) {
  CollectionPalette p{};
  p[1] = PaletteColor{255, 0, 0};    // 0°
  p[2] = PaletteColor{255, 255, 0};  // 60°
  // Reversed around a median of 0°, onto green (120°): 0° becomes 120° and 60° becomes
  // 0° - 60° + 120° = 60°.
  HueChange h = Range(300, 0, 90);
  h.replacement_mode = 1;
  h.flags = 1;
  SetReplacementColour(&h, 0, 255, 0);
  CollectionPalette out = HuePreviewPalette(p, {h});
  EXPECT_TRUE(Near(out[1], PaletteColor{0, 255, 0}));
  EXPECT_TRUE(Near(out[2], PaletteColor{255, 255, 0}));
  // A half-value replacement halves the value; a grey one takes the saturation away.
  h.flags = 0;
  SetReplacementColour(&h, 0, 128, 0);
  out = HuePreviewPalette(p, {h});
  EXPECT_TRUE(Near(out[1], PaletteColor{0, 128, 0}));
  SetReplacementColour(&h, 200, 200, 200);
  out = HuePreviewPalette(p, {h});
  EXPECT_TRUE(Near(out[1], PaletteColor{200, 200, 200}));
  // In list order: the second hue change sees what the first one made (red → green → blue).
  HueChange to_green = Range(300, 0, 60);
  to_green.replacement_mode = 1;
  SetReplacementColour(&to_green, 0, 255, 0);
  HueChange to_blue = Range(90, 120, 150);
  to_blue.replacement_mode = 3;
  SetReplacementColour(&to_blue, 0, 0, 255);
  out = HuePreviewPalette(p, {to_green, to_blue});
  EXPECT_TRUE(Near(out[1], PaletteColor{0, 0, 251}));  // two value scalings
  out = HuePreviewPalette(p, {to_blue, to_green});
  EXPECT_TRUE(Near(out[1], PaletteColor{0, 255, 0}));
  // The minimum saturation is a strict lower bound.
  to_green.min_saturation = 65535;
  EXPECT_EQ(HuePreviewPalette(p, {to_green})[1], p[1]);
}

}  // namespace
}  // namespace brae
