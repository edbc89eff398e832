// The interface scale's steps and the preference "UiScale".
#include <gtest/gtest.h>

#include "toolkit/Font.h"
#include "toolkit/UiScale.h"

namespace brae {
namespace {

TEST(UiScale, ContentScaleRoundsToTheNearestStep) {
  // Steps 1, 1.25, 1.5, 1.75, 2, 2.5, 3: 1.1 is 0.1 from 1 and 0.15 from 1.25; 1.13 is 0.12 from
  // 1.25 and 0.13 from 1; 2.2 is 0.2 from 2 and 0.3 from 2.5; 2.3 is 0.2 from 2.5.
  EXPECT_EQ(NearestUiScale(1.1f), 1.0f);
  EXPECT_EQ(NearestUiScale(1.13f), 1.25f);
  EXPECT_EQ(NearestUiScale(2.2f), 2.0f);
  EXPECT_EQ(NearestUiScale(2.3f), 2.5f);
  EXPECT_EQ(NearestUiScale(1.6f), 1.5f);
  EXPECT_EQ(NearestUiScale(1.125f), 1.25f);  // halfway goes up
  EXPECT_EQ(NearestUiScale(0.75f), 1.0f);    // out of range clamps
  EXPECT_EQ(NearestUiScale(4.0f), 3.0f);
}

TEST(UiScale, PreferenceIsAutomaticOrAStep) {
  EXPECT_EQ(UiScaleFromPreference("0", 2.2f), 2.0f);    // automatic: the monitor's step
  EXPECT_EQ(UiScaleFromPreference("", 1.3f), 1.25f);    // missing: automatic
  EXPECT_EQ(UiScaleFromPreference("big", 1.0f), 1.0f);  // unreadable: automatic
  EXPECT_EQ(UiScaleFromPreference("1.75", 1.0f), 1.75f);
  EXPECT_EQ(UiScaleFromPreference("2.4", 1.0f), 2.5f);  // a number between steps: its nearest
  EXPECT_EQ(AskedUiScale("0"), 0.0f);
  EXPECT_EQ(AskedUiScale("3"), 3.0f);
  for (float step : kUiScales) EXPECT_EQ(AskedUiScale(UiScalePreferenceText(step)), step);
  EXPECT_EQ(UiScalePreferenceText(1.25f), "1.25");
  EXPECT_EQ(UiScalePreferenceText(0.0f), "0");
}

TEST(UiScale, SharperRenderingsSitBesideTheirFile) {
  EXPECT_EQ(ScaledResourcePath("res/plume.braefont", 2), "res/plume@2x.braefont");
  EXPECT_EQ(ScaledResourcePath("res/texturepack", 3), "res/texturepack@3x");
  EXPECT_EQ(ScaledResourcePath("my.res/texturepack", 2), "my.res/texturepack@2x");
  // A font without renderings draws itself at every scale; with them, the lowest factor at or
  // above the scale, else the largest.
  Font base, two, three;
  two.factor = 2;
  three.factor = 3;
  EXPECT_EQ(RenderingFor(&base, 2.0f), &base);
  base.renderings = {&two, &three};
  EXPECT_EQ(RenderingFor(&base, 1.0f), &base);
  EXPECT_EQ(RenderingFor(&base, 1.25f), &two);
  EXPECT_EQ(RenderingFor(&base, 2.0f), &two);
  EXPECT_EQ(RenderingFor(&base, 2.5f), &three);
  base.renderings.pop_back();
  EXPECT_EQ(RenderingFor(&base, 3.0f), &two);
  base.renderings.clear();
}

}  // namespace
}  // namespace brae
