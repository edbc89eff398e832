#include "collection/SequenceMoves.h"

#include <gtest/gtest.h>

#include <cmath>

#include "collection/SequenceOperations.h"

namespace brae {
namespace {

// A sequence of frames × views whose cells have distinct points: reg (10f + v, 20f + v), key
// (reg / 2).
std::unique_ptr<CollectionSequence> Grid(int frames, int views) {
  auto s = std::make_unique<CollectionSequence>();
  s->Resize(frames, views);
  for (int f = 0; f < frames; ++f)
    for (int v = 0; v < views; ++v) {
      CollectionInstance* in = s->InstanceAt(f, v);
      in->reg_x = int16_t(10 * f + v);
      in->reg_y = int16_t(20 * f + v);
      in->key_x = int16_t(in->reg_x / 2);
      in->key_y = int16_t(in->reg_y / 2);
    }
  return s;
}

struct Xy {
  int x, y;
  bool operator==(const Xy& o) const { return x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const Xy& p) {
  return os << "(" << p.x << ", " << p.y << ")";
}
Xy Reg(CollectionSequence& s, int f, int v) {
  return Xy{s.InstanceAt(f, v)->reg_x, s.InstanceAt(f, v)->reg_y};
}
Xy Key(CollectionSequence& s, int f, int v) {
  return Xy{s.InstanceAt(f, v)->key_x, s.InstanceAt(f, v)->key_y};
}

TEST(MoveModes, FunctionKeysComeFirstThenTheShiftCombinations) {
  bool none[5] = {};
  EXPECT_EQ(MoveModeForKeys(none, false, false, false), MoveMode::kNone);
  EXPECT_EQ(MoveModeForKeys(none, false, true, false), MoveMode::kNone);
  EXPECT_EQ(MoveModeForKeys(none, false, true, true), MoveMode::kNone);
  EXPECT_EQ(MoveModeForKeys(none, true, false, false), MoveMode::kBitmap);
  EXPECT_EQ(MoveModeForKeys(none, true, true, false), MoveMode::kView);
  EXPECT_EQ(MoveModeForKeys(none, true, false, true), MoveMode::kFrame);
  EXPECT_EQ(MoveModeForKeys(none, true, true, true), MoveMode::kSequence);
  const MoveMode by_key[5] = {MoveMode::kKeypoint, MoveMode::kBitmap, MoveMode::kFrame,
                              MoveMode::kView, MoveMode::kSequence};
  for (int i = 0; i < 5; ++i) {
    bool keys[5] = {};
    keys[i] = true;
    EXPECT_EQ(MoveModeForKeys(keys, false, false, false), by_key[i]) << "F" << i + 1;
    EXPECT_EQ(MoveModeForKeys(keys, true, true, true), by_key[i]) << "F" << i + 1;
  }
  EXPECT_STREQ(MoveModeName(MoveMode::kKeypoint), "Move Keypoint");
  EXPECT_STREQ(MoveModeName(MoveMode::kBitmap), "Move Bitmap");
  EXPECT_STREQ(MoveModeName(MoveMode::kFrame), "Move Frame");
  EXPECT_STREQ(MoveModeName(MoveMode::kView), "Move View");
  EXPECT_STREQ(MoveModeName(MoveMode::kSequence), "Move Sequence");
}

TEST(SequenceMove, KeypointGainsTheDisplacementOfTheCurrentCellOnly) {
  auto s = Grid(2, 3);
  const SequencePoints before = CaptureSequencePoints(*s);
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kKeypoint, 1, 2, 3, -4));
  EXPECT_EQ(Key(*s, 1, 2), (Xy{6 + 3, 11 - 4}));
  EXPECT_EQ(Reg(*s, 1, 2), (Xy{12, 22}));
  const auto changes = ChangedPoints(before, CaptureSequencePoints(*s));
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].frame, 1);
  EXPECT_EQ(changes[0].view, 2);
}

TEST(SequenceMove, RegistrationModesSubtractFromTheirCells) {
  auto s = Grid(3, 3);
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 1, 1, 2, 1));
  EXPECT_EQ(Reg(*s, 1, 1), (Xy{11 - 2, 21 - 1}));
  EXPECT_EQ(Reg(*s, 1, 0), (Xy{10, 20}));

  s = Grid(3, 3);
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kFrame, 2, 0, 1, 0));
  for (int v = 0; v < 3; ++v) EXPECT_EQ(Reg(*s, 2, v), (Xy{20 + v - 1, 40 + v}));
  EXPECT_EQ(Reg(*s, 1, 0), (Xy{10, 20}));

  s = Grid(3, 3);
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kView, 0, 2, 0, -5));
  for (int f = 0; f < 3; ++f) EXPECT_EQ(Reg(*s, f, 2), (Xy{10 * f + 2, 20 * f + 2 + 5}));
  EXPECT_EQ(Reg(*s, 0, 1), (Xy{1, 1}));

  s = Grid(3, 3);
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kSequence, 0, 0, -1, -1));
  for (int f = 0; f < 3; ++f)
    for (int v = 0; v < 3; ++v) {
      EXPECT_EQ(Reg(*s, f, v), (Xy{10 * f + v + 1, 20 * f + v + 1}));
      EXPECT_EQ(Key(*s, f, v), (Xy{(10 * f + v) / 2, (20 * f + v) / 2}));  // keys stay
    }
}

TEST(SequenceMove, ResultsAreClampedTo16Bits) {
  auto s = Grid(1, 2);
  s->InstanceAt(0, 0)->reg_x = 32760;
  s->InstanceAt(0, 0)->reg_y = -32760;
  s->InstanceAt(0, 0)->key_x = -32768;
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 0, -100, 100));
  EXPECT_EQ(Reg(*s, 0, 0), (Xy{32767, -32768}));
  // Already at the limit: nothing changes and nothing is reported.
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 0, -1, 1));
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kKeypoint, 0, 0, -70000, 70000));
  EXPECT_EQ(Key(*s, 0, 0), (Xy{-32768, 32767}));
}

TEST(SequenceMove, OutOfRangeCellsAndEmptyMovesChangeNothing) {
  auto s = Grid(2, 2);
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 2, 0, 1, 1));
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 2, 1, 1));
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kBitmap, -1, 0, 1, 1));
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kNone, 0, 0, 1, 1));
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kSequence, 0, 0, 0, 0));
  EXPECT_FALSE(ApplySequenceMove(nullptr, MoveMode::kBitmap, 0, 0, 1, 1));
  auto empty = Grid(0, 3);
  EXPECT_FALSE(ApplySequenceMove(empty.get(), MoveMode::kSequence, 0, 0, 1, 1));
  // A cell without an instance is skipped.
  s->frames[0].views[1].reset();
  EXPECT_FALSE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 1, 1, 1));
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kFrame, 0, 0, 1, 1));
  EXPECT_FALSE(s->frames[0].views[1].has_value());
}

TEST(SequenceMove, MirroredViewsFollowTheirStoredViews) {
  // 8 views with mirroring: views 5, 6, 7 are copies of 3, 2, 1.
  auto s = Grid(1, 8);
  s->header.flags |= kSequenceMirrored;
  auto bitmap = CollectionBitmap::MakeIndexed("b", 30, 10);
  for (auto& v : s->frames[0].views) v->bitmap = bitmap.get();
  s->RebuildMirroredViews();
  ASSERT_EQ(Reg(*s, 0, 5), (Xy{30 - 3, 3}));
  // Moving the bitmap of stored view 3 to the right moves its mirror to the left.
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 3, 2, 1));
  EXPECT_EQ(Reg(*s, 0, 3), (Xy{1, 2}));
  EXPECT_EQ(Reg(*s, 0, 5), (Xy{29, 2}));
  // Moved on the mirrored view, the bitmap follows the pointer there and the stored view
  // takes the mirrored move.
  EXPECT_TRUE(ApplySequenceMove(s.get(), MoveMode::kBitmap, 0, 5, 4, 0));
  EXPECT_EQ(Reg(*s, 0, 5), (Xy{25, 2}));
  EXPECT_EQ(Reg(*s, 0, 3), (Xy{5, 2}));
  // A reload rebuilds the mirrored views the same way: nothing is lost.
  const SequencePoints moved = CaptureSequencePoints(*s);
  s->RebuildMirroredViews();
  EXPECT_EQ(CaptureSequencePoints(*s), moved);
}

TEST(SequenceMove, UndoAndRedoPutTheRecordedPointsBack) {
  auto s = Grid(2, 2);
  const SequencePoints before = CaptureSequencePoints(*s);
  ApplySequenceMove(s.get(), MoveMode::kSequence, 0, 0, 3, 3);
  ApplySequenceMove(s.get(), MoveMode::kKeypoint, 1, 1, 1, 1);
  const SequencePoints after = CaptureSequencePoints(*s);
  const auto changes = ChangedPoints(before, after);
  EXPECT_EQ(changes.size(), 4u);
  EXPECT_TRUE(ApplyPointChanges(s.get(), changes, false));
  EXPECT_EQ(CaptureSequencePoints(*s), before);
  EXPECT_TRUE(ApplyPointChanges(s.get(), changes, true));
  EXPECT_EQ(CaptureSequencePoints(*s), after);
  // A cell that lost its instance refuses the whole change.
  s->frames[1].views[1].reset();
  EXPECT_FALSE(ApplyPointChanges(s.get(), changes, false));
  EXPECT_EQ(Reg(*s, 0, 0), (Xy{-3, -3}));
  s->Resize(1, 2);
  EXPECT_FALSE(ApplyPointChanges(s.get(), changes, false));
}

TEST(FrameEditorSteps, DragsScaleByZoomAndViewsWrap) {
  EXPECT_EQ(DragDisplacement(10, 200), 5);
  EXPECT_EQ(DragDisplacement(11, 200), 5);
  EXPECT_EQ(DragDisplacement(-11, 200), -5);
  EXPECT_EQ(DragDisplacement(3, 50), 6);
  EXPECT_EQ(DragDisplacement(7, 300), 2);
  EXPECT_EQ(DragDisplacement(7, 0), 0);
  EXPECT_EQ(StepView(7, 1, 8), 0);
  EXPECT_EQ(StepView(0, -1, 8), 7);
  EXPECT_EQ(StepView(0, -1, 0), 0);
  EXPECT_EQ(StepFrame(3, 1, 4), 3);
  EXPECT_EQ(StepFrame(0, -1, 4), 0);
  EXPECT_EQ(StepFrame(1, 1, 4), 2);
  EXPECT_EQ(StepFrame(0, 1, 0), 0);
}

TEST(FrameEditorSteps, TicksPerFrameZeroAnimatesAtThirtyFramesPerSecond) {
  // One second of play at ticks per frame 0 shows 30 frames (wrapping at the frame count).
  for (int second = 0; second < 3; ++second)
    EXPECT_EQ(AnimationFrame(0, uint32_t(kTicksPerSecond * second), 0, 1000), 30 * second);
  EXPECT_EQ(AnimationFrame(0, kTicksPerSecond, 0, 7), 30 % 7);
  EXPECT_EQ(AnimationFrame(5, 2, 0, 1000), 7);
  EXPECT_EQ(AnimationFrame(5, 5, 3, 1000), 6);
  // The clock's seconds become whole ticks.
  EXPECT_EQ(ElapsedTicks(1.0), 30u);
  EXPECT_EQ(ElapsedTicks(0.999), 29u);
  EXPECT_EQ(ElapsedTicks(2.0 / 30 + 1e-9), 2u);
  EXPECT_EQ(ElapsedTicks(-1.0), 0u);
  EXPECT_EQ(ElapsedTicks(std::nan("")), 0u);
  EXPECT_EQ(ElapsedTicks(1e12), 4294967295u);
  EXPECT_EQ(AnimationFrame(0, ElapsedTicks(1.0), 0, 1000), 30);
}

}  // namespace
}  // namespace brae
