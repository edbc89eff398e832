#include "collection/SequenceMoves.h"

#include <algorithm>
#include <cmath>

#include "collection/SequenceOperations.h"

namespace brae {
namespace {

int16_t Clamp16(int value) {
  return int16_t(std::clamp(value, -32768, 32767));
}

void MoveRegistration(CollectionInstance* cell, int dx, int dy) {
  if (!cell) return;
  cell->reg_x = Clamp16(cell->reg_x - dx);
  cell->reg_y = Clamp16(cell->reg_y - dy);
}

// The views a move may change directly: the stored ones of a mirrored sequence, else all.
int MovableViews(const CollectionSequence& sequence) {
  return sequence.IsMirrored() ? sequence.StoredViewCount() : sequence.ViewCount();
}

}  // namespace

const char* MoveModeName(MoveMode mode) {
  switch (mode) {
    case MoveMode::kKeypoint:
      return "Move Keypoint";
    case MoveMode::kBitmap:
      return "Move Bitmap";
    case MoveMode::kFrame:
      return "Move Frame";
    case MoveMode::kView:
      return "Move View";
    case MoveMode::kSequence:
      return "Move Sequence";
    case MoveMode::kNone:
      break;
  }
  return kNoMoveModeName;
}

MoveMode MoveModeForKeys(const bool function_keys[5], bool shift, bool control, bool alt) {
  static constexpr MoveMode kByFunctionKey[5] = {MoveMode::kKeypoint, MoveMode::kBitmap,
                                                 MoveMode::kFrame, MoveMode::kView,
                                                 MoveMode::kSequence};
  for (int i = 0; i < 5; ++i)
    if (function_keys[i]) return kByFunctionKey[i];
  if (!shift) return MoveMode::kNone;
  if (control && alt) return MoveMode::kSequence;
  if (control) return MoveMode::kView;
  if (alt) return MoveMode::kFrame;
  return MoveMode::kBitmap;
}

bool ApplySequenceMove(CollectionSequence* sequence, MoveMode mode, int frame, int view, int dx,
                       int dy) {
  if (!sequence || mode == MoveMode::kNone || (dx == 0 && dy == 0)) return false;
  if (frame < 0 || frame >= sequence->FrameCount()) return false;
  if (view < 0 || view >= sequence->ViewCount()) return false;
  const SequencePoints before = CaptureSequencePoints(*sequence);
  const int movable = MovableViews(*sequence);
  if (view >= movable) {
    // A mirrored copy: its stored view is view count - view, with registration x mirrored.
    view = sequence->ViewCount() - view;
    if (mode != MoveMode::kKeypoint) dx = -dx;
  }
  const int frame_count = sequence->FrameCount();
  switch (mode) {
    case MoveMode::kKeypoint:
      if (CollectionInstance* cell = sequence->InstanceAt(frame, view)) {
        cell->key_x = Clamp16(cell->key_x + dx);
        cell->key_y = Clamp16(cell->key_y + dy);
      }
      break;
    case MoveMode::kBitmap:
      MoveRegistration(sequence->InstanceAt(frame, view), dx, dy);
      break;
    case MoveMode::kFrame:
      for (int v = 0; v < movable; ++v) MoveRegistration(sequence->InstanceAt(frame, v), dx, dy);
      break;
    case MoveMode::kView:
      for (int f = 0; f < frame_count; ++f) MoveRegistration(sequence->InstanceAt(f, view), dx, dy);
      break;
    case MoveMode::kSequence:
      for (int f = 0; f < frame_count; ++f)
        for (int v = 0; v < movable; ++v) MoveRegistration(sequence->InstanceAt(f, v), dx, dy);
      break;
    case MoveMode::kNone:
      break;
  }
  sequence->RebuildMirroredViews();
  return CaptureSequencePoints(*sequence) != before;
}

int DragDisplacement(int screen_pixels, int zoom_percent) {
  if (zoom_percent <= 0) return 0;
  return int(int64_t(screen_pixels) * 100 / zoom_percent);
}

int StepView(int view, int delta, int view_count) {
  if (view_count <= 0) return 0;
  int v = (view + delta) % view_count;
  return v < 0 ? v + view_count : v;
}

int StepFrame(int frame, int delta, int frame_count) {
  if (frame_count <= 0) return 0;
  return std::clamp(frame + delta, 0, frame_count - 1);
}

uint32_t ElapsedTicks(double seconds) {
  // Written so that a NaN plays nothing either.
  if (!(seconds > 0)) return 0;
  const double ticks = std::floor(seconds * kTicksPerSecond);
  return ticks >= 4294967295.0 ? 4294967295u : uint32_t(ticks);
}

SequencePoints CaptureSequencePoints(const CollectionSequence& sequence) {
  SequencePoints points(sequence.frames.size());
  for (size_t f = 0; f < sequence.frames.size(); ++f) {
    const auto& views = sequence.frames[f].views;
    points[f].resize(views.size());
    for (size_t v = 0; v < views.size(); ++v) {
      if (!views[v]) continue;
      CellPoints& p = points[f][v];
      p.present = true;
      p.reg_x = views[v]->reg_x;
      p.reg_y = views[v]->reg_y;
      p.key_x = views[v]->key_x;
      p.key_y = views[v]->key_y;
    }
  }
  return points;
}

std::vector<PointChange> ChangedPoints(const SequencePoints& before, const SequencePoints& after) {
  std::vector<PointChange> changes;
  const size_t frames = std::min(before.size(), after.size());
  for (size_t f = 0; f < frames; ++f) {
    const size_t views = std::min(before[f].size(), after[f].size());
    for (size_t v = 0; v < views; ++v) {
      if (before[f][v] == after[f][v]) continue;
      changes.push_back(PointChange{int(f), int(v), before[f][v], after[f][v]});
    }
  }
  return changes;
}

bool ApplyPointChanges(CollectionSequence* sequence, const std::vector<PointChange>& changes,
                       bool forward) {
  if (!sequence) return false;
  for (const PointChange& c : changes)
    if (!sequence->InstanceAt(c.frame, c.view)) return false;
  for (const PointChange& c : changes) {
    CollectionInstance* in = sequence->InstanceAt(c.frame, c.view);
    const CellPoints& p = forward ? c.after : c.before;
    in->reg_x = p.reg_x;
    in->reg_y = p.reg_y;
    in->key_x = p.key_x;
    in->key_y = p.key_y;
  }
  return true;
}

}  // namespace brae
