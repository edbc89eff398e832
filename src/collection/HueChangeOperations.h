#pragma once
// The hue change commands over a Collection: new, rename and delete of hue changes, and the
// conversions of the hue change editor's fields (minimum saturation in percent, hues in
// degrees, the replacement byte, the replacement colour) and of its colour bar's markers.
// Hue changes are named by their index in the collection's list.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "collection/BitmapEditing.h"

namespace brae {

constexpr const char* kNewHueChangeName = "New Hue Change";
constexpr const char* kNewHueChangeMenuItem = "New Hue Change";
constexpr const char* kHueChangeOpenMessage =
    "The hue change \"%s\" is currently open. Please close it before deleting.";
constexpr const char* kHueChangeDeleteQuestion =
    "Are you sure you want to remove the selected hue change%s?";

// The hue change's name (at most 63 characters).
std::string HueChangeName(const HueChange& change);

// "New Hue Change": appends a hue change with the defaults (120° to 240°, median 180°) named
// "New Hue Change"; *index gets its index.
OperationResult NewHueChange(Collection* collection, size_t* index = nullptr);
// "Rename": at most 63 characters are kept; the same name changes nothing.
OperationResult RenameHueChange(Collection* collection, size_t index, const std::string& name);
// The delete question for count selected hue changes.
std::string HueChangeDeleteQuestion(size_t count);
// "Delete": refused with kHueChangeOpenMessage when is_open says a listed hue change has an
// open editor; else confirm is asked HueChangeDeleteQuestion (none: no question). *removed gets
// the removed hue changes with their indices as they were before, ascending.
OperationResult DeleteHueChanges(Collection* collection, const std::vector<size_t>& indices,
                                 const std::function<bool(size_t)>& is_open = nullptr,
                                 const Question& confirm = nullptr,
                                 std::vector<std::pair<size_t, HueChange>>* removed = nullptr);

// ---- field conversions ----
// "Min % Saturation:" shows the stored value × 100 / 65535.
int MinSaturationPercent(uint16_t stored);
// An entered percent p below 100 stores p × 65535 / 100 + 1; 100 or more stores 65535.
// A negative entry counts as 0.
uint16_t MinSaturationFromPercent(int percent);
// A 16-bit hue in whole degrees (value × 360 / 65536, to the nearest degree).
int HueDegrees(uint16_t hue);
// Degrees (clamped to 0 to 360) as a 16-bit hue, x × 65536 / 360. 360° would not fit in 16
// bits and wrap to 0°; it is kept as the largest hue instead.
uint16_t HueFromDegrees(int degrees);
// The replacement byte of the check boxes "Replacement Color:" and "Replace with Solid Color":
// 0 without replacement, 1 with it, 3 with a solid colour.
uint8_t ReplacementMode(bool replace, bool solid);
bool ReplacementOn(const HueChange& change);
bool ReplacementSolid(const HueChange& change);
// The colour button's colour stored as the components × 256.
void SetReplacementColour(HueChange* change, uint8_t r, uint8_t g, uint8_t b);
PaletteColor ReplacementColour(const HueChange& change);

// ---- the colour bar's markers ----
enum class HueMarker { kNone, kStart, kMedian, kEnd };
uint16_t MarkerHue(const HueChange& change, HueMarker marker);
// Whether a hue lies in the range from start to end, both included (wrapping past 360° when
// start > end).
bool HueBetween(uint16_t hue, uint16_t start, uint16_t end);
// Moves a marker to a hue. After the start or end moves, a median that fell outside the range
// is pulled along to the marker that moved. A median move that would leave the range is
// ignored. Returns whether anything changed.
bool MoveHueMarker(HueChange* change, HueMarker marker, uint16_t hue);
// The marker at a bar x (one pixel per degree) within tolerance pixels, the nearest one;
// on a tie the start and end markers win over the median (the median can only move inside the
// range, so the range's ends must stay reachable). kNone when none is that close.
HueMarker MarkerAtX(const HueChange& change, int x, int tolerance);

}  // namespace brae
