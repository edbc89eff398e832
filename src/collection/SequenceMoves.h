#pragma once
// The frame editor's point moves over a sequence: the five move modes and the keys that pick
// them, moving key points and registration points (clamped to 16 bits), the displacement of a
// mouse drag at a zoom, stepping through views, and snapshots of every cell's points from which
// an undo action keeps only the cells a move changed.

#include <cstdint>
#include <vector>

#include "collection/Collection.h"

namespace brae {

enum class MoveMode : int {
  kNone = 0,
  kKeypoint,  // F1, "Move Keypoint": the current cell's key point
  kBitmap,    // F2 or Shift, "Move Bitmap": the current cell's registration point
  kFrame,     // F3 or Shift+Alt, "Move Frame": every view of the current frame
  kView,      // F4 or Shift+Control, "Move View": every frame of the current view
  kSequence,  // F5 or Shift+Alt+Control, "Move Sequence": every cell
};

constexpr const char* kMoveModeFormat = "Mouse / Arrow Keys: %s";
// What the arrow keys and the mouse do while no move mode is active.
constexpr const char* kNoMoveModeName = "Navigate";

// "Move Keypoint", "Move Bitmap", "Move Frame", "Move View", "Move Sequence"; kNoMoveModeName
// for none.
const char* MoveModeName(MoveMode mode);
// The mode the held keys choose: the first of F1 to F5 held wins; otherwise Shift alone, Shift
// with Control, Shift with Alt, or Shift with both; anything else is none.
MoveMode MoveModeForKeys(const bool function_keys[5], bool shift, bool control, bool alt);

// Applies a move of a mode at the current cell (frame, view) by (dx, dy) bitmap pixels: the key
// point gains it, registration points lose it (so the bitmaps follow the pointer). Every result
// is clamped to -32768..32767. In a mirrored sequence the views past the stored ones are copies,
// rebuilt from the stored views after every move; a move shown on a mirrored view goes to its
// stored view (mirrored in x for registration points), so it survives saving. Returns whether a
// point changed.
bool ApplySequenceMove(CollectionSequence* sequence, MoveMode mode, int frame, int view, int dx,
                       int dy);

// The bitmap pixels of a pointer displacement at a zoom in percent (toward zero).
int DragDisplacement(int screen_pixels, int zoom_percent);
// The view after stepping by delta, wrapping around the view count.
int StepView(int view, int delta, int view_count);
// The frame after stepping by delta, kept inside the frame count.
int StepFrame(int frame, int delta, int frame_count);

// The whole ticks (30 a second) in a time of play; none before it starts, and no more than a
// 32-bit count holds.
uint32_t ElapsedTicks(double seconds);

// The points of one cell (present: the cell has an instance).
struct CellPoints {
  bool present = false;
  int16_t reg_x = 0, reg_y = 0, key_x = 0, key_y = 0;
  bool operator==(const CellPoints& o) const {
    return present == o.present && reg_x == o.reg_x && reg_y == o.reg_y && key_x == o.key_x &&
           key_y == o.key_y;
  }
  bool operator!=(const CellPoints& o) const { return !(*this == o); }
};
// Every cell's points, by frame and view.
using SequencePoints = std::vector<std::vector<CellPoints>>;
SequencePoints CaptureSequencePoints(const CollectionSequence& sequence);

// One cell's points before and after a move.
struct PointChange {
  int frame = 0, view = 0;
  CellPoints before, after;
};
// The cells whose points differ between two snapshots of the same grid.
std::vector<PointChange> ChangedPoints(const SequencePoints& before, const SequencePoints& after);
// Puts the after (forward) or before points back into the cells. False, and nothing changed,
// when a cell no longer has an instance.
bool ApplyPointChanges(CollectionSequence* sequence, const std::vector<PointChange>& changes,
                       bool forward);

}  // namespace brae
