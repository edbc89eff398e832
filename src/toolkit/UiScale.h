#pragma once
// The interface scale: windows, controls and text are laid out in logical pixels and drawn at
// the scale, so that a screen of many device pixels shows them at a readable size. The scale is
// one of a few fixed steps; text and skin come from the sharpest rendering at or above it.

#include <string>

namespace brae {

// The steps the scale may take, ascending.
constexpr float kUiScales[] = {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f};

// The step nearest to a monitor's content scale (halfway rounds up; out of range clamps).
float NearestUiScale(float content_scale);
// The step the preference "UiScale" names: its nearest step, or 0 (automatic) for "0" and
// anything unreadable.
float AskedUiScale(const std::string& value);
// The scale in force: the asked step, or automatically the monitor's content scale's step.
float UiScaleFromPreference(const std::string& value, float content_scale);
// The preference's text for a scale (0 for automatic): "0", "1", "1.25", ...
std::string UiScalePreferenceText(float scale);

// Applies a scale at once: text and skin renderings, the logical screen size, a full redraw.
void SetUiScale(float scale);
float UiScale();

}  // namespace brae
