#include "collection/HueChangeOperations.h"

#include <algorithm>
#include <cstdlib>

namespace brae {

std::string HueChangeName(const HueChange& change) {
  return FixedName(change.name, sizeof change.name);
}

OperationResult NewHueChange(Collection* collection, size_t* index) {
  OperationResult result;
  HueChange change = MakeNewHueChange();
  SetFixedName(change.name, sizeof change.name, kNewHueChangeName);
  collection->hue_changes.push_back(change);
  if (index) *index = collection->hue_changes.size() - 1;
  result.changed = true;
  return result;
}

OperationResult RenameHueChange(Collection* collection, size_t index, const std::string& name) {
  OperationResult result;
  HueChange* change = collection->HueChangeAt(index);
  if (!change) return result.Error("There is no such hue change.");
  const std::string kept = name.substr(0, kItemNameLength);
  if (kept == HueChangeName(*change)) return result;
  SetFixedName(change->name, sizeof change->name, kept);
  result.changed = true;
  return result;
}

std::string HueChangeDeleteQuestion(size_t count) {
  return FormatMessage(kHueChangeDeleteQuestion, count == 1 ? "" : "s");
}

OperationResult DeleteHueChanges(Collection* collection, const std::vector<size_t>& indices,
                                 const std::function<bool(size_t)>& is_open,
                                 const Question& confirm,
                                 std::vector<std::pair<size_t, HueChange>>* removed) {
  OperationResult result;
  std::vector<size_t> doomed;
  for (size_t i : indices)
    if (i < collection->hue_changes.size()) doomed.push_back(i);
  std::sort(doomed.begin(), doomed.end());
  doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
  if (doomed.empty()) return result;
  for (size_t i : doomed)
    if (is_open && is_open(i))
      return result.Error(
          FormatMessage(kHueChangeOpenMessage, HueChangeName(collection->hue_changes[i]).c_str()));
  if (confirm && !confirm(HueChangeDeleteQuestion(doomed.size()))) {
    result.ok = false;
    return result;
  }
  if (removed) {
    removed->clear();
    for (size_t i : doomed) removed->emplace_back(i, collection->hue_changes[i]);
  }
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
    collection->hue_changes.erase(collection->hue_changes.begin() + std::ptrdiff_t(*it));
  result.changed = true;
  return result;
}

// ---- field conversions ----------------------------------------------------------------------

int MinSaturationPercent(uint16_t stored) {
  return int(uint32_t(stored) * 100 / 65535);
}

uint16_t MinSaturationFromPercent(int percent) {
  if (percent >= 100) return 65535;
  percent = std::max(percent, 0);
  return uint16_t(percent * 65535 / 100 + 1);
}

int HueDegrees(uint16_t hue) {
  // Rounded, so that every whole degree stored by HueFromDegrees shows as itself.
  return int((uint32_t(hue) * 360 + 32768) / 65536);
}

uint16_t HueFromDegrees(int degrees) {
  degrees = std::clamp(degrees, 0, 360);
  return uint16_t(std::min<uint32_t>(uint32_t(degrees) * 65536 / 360, 65535));
}

uint8_t ReplacementMode(bool replace, bool solid) {
  if (!replace) return 0;
  return solid ? 3 : 1;
}

bool ReplacementOn(const HueChange& change) {
  return (change.replacement_mode & 1) != 0;
}

bool ReplacementSolid(const HueChange& change) {
  return (change.replacement_mode & 2) != 0;
}

void SetReplacementColour(HueChange* change, uint8_t r, uint8_t g, uint8_t b) {
  change->replacement[0] = uint16_t(r * 256);
  change->replacement[1] = uint16_t(g * 256);
  change->replacement[2] = uint16_t(b * 256);
}

PaletteColor ReplacementColour(const HueChange& change) {
  return PaletteColor{uint8_t(change.replacement[0] >> 8), uint8_t(change.replacement[1] >> 8),
                      uint8_t(change.replacement[2] >> 8)};
}

// ---- markers --------------------------------------------------------------------------------

uint16_t MarkerHue(const HueChange& change, HueMarker marker) {
  switch (marker) {
    case HueMarker::kStart:
      return change.start_hue;
    case HueMarker::kMedian:
      return change.median_hue;
    case HueMarker::kEnd:
      return change.end_hue;
    default:
      return 0;
  }
}

bool HueBetween(uint16_t hue, uint16_t start, uint16_t end) {
  if (start <= end) return start <= hue && hue <= end;
  return hue >= start || hue <= end;
}

bool MoveHueMarker(HueChange* change, HueMarker marker, uint16_t hue) {
  const HueChange before = *change;
  switch (marker) {
    case HueMarker::kStart:
      change->start_hue = hue;
      break;
    case HueMarker::kEnd:
      change->end_hue = hue;
      break;
    case HueMarker::kMedian:
      if (HueBetween(hue, change->start_hue, change->end_hue)) change->median_hue = hue;
      break;
    default:
      return false;
  }
  if (marker != HueMarker::kMedian &&
      !HueBetween(change->median_hue, change->start_hue, change->end_hue))
    change->median_hue = hue;
  return before.start_hue != change->start_hue || before.end_hue != change->end_hue ||
         before.median_hue != change->median_hue;
}

HueMarker MarkerAtX(const HueChange& change, int x, int tolerance) {
  HueMarker best = HueMarker::kNone;
  int best_distance = tolerance + 1;
  for (HueMarker m : {HueMarker::kStart, HueMarker::kEnd, HueMarker::kMedian}) {
    const int distance = std::abs(HueDegrees(MarkerHue(change, m)) - x);
    if (distance < best_distance) {
      best = m;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace brae
