#include "collection/SequenceOperations.h"

#include <gtest/gtest.h>

#include "BitmapTestSupport.h"

namespace brae {
namespace {

CollectionSequence* AddSequence(Collection* c, const std::string& name, int frames, int views) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = name;
  s->Resize(frames, views);
  return c->AddSequence(std::move(s));
}

size_t AddBitmaps(Collection* c, int count, uint16_t flags = 0) {
  const size_t first = c->bitmaps.size();
  for (int i = 0; i < count; ++i) {
    c->AddBitmap(CollectionBitmap::MakeIndexed("b" + std::to_string(i), 4, 4, flags));
  }
  return first;
}

std::vector<size_t> Range(size_t first, size_t count) {
  std::vector<size_t> out;
  for (size_t i = 0; i < count; ++i) out.push_back(first + i);
  return out;
}

std::vector<std::string> Names(const Collection& c) {
  std::vector<std::string> out;
  for (auto& s : c.sequences) out.push_back(s->name);
  return out;
}

TEST(SequenceList, NewSequenceHasTheDefaults) {
  Collection c;
  AddSequence(&c, "walk", 2, 2);
  OperationResult r = NewSequence(&c);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  ASSERT_EQ(r.sequences, std::vector<size_t>{1});
  const CollectionSequence& s = *c.sequences[1];
  EXPECT_EQ(s.name, "New Sequence");
  EXPECT_EQ(s.FrameCount(), 1);
  EXPECT_EQ(s.ViewCount(), 1);
  EXPECT_EQ(s.header.flags, kSequenceHasFrames);
  EXPECT_EQ(s.header.first_sound, 0xFFFFFFFFu);
  EXPECT_EQ(s.header.key_sound, 0xFFFFFFFFu);
  EXPECT_EQ(s.header.last_sound, 0xFFFFFFFFu);
  const CollectionInstance* cell = const_cast<CollectionSequence&>(s).InstanceAt(0, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->reg_x, 20);
  EXPECT_EQ(cell->reg_y, 60);
}

TEST(SequenceList, RenameKeepsAtMost63Characters) {
  Collection c;
  AddSequence(&c, "walk", 1, 1);
  OperationResult r = RenameSequence(&c, 0, std::string(70, 'x'));
  ASSERT_TRUE(r);
  EXPECT_EQ(c.sequences[0]->name, std::string(63, 'x'));
  EXPECT_FALSE(RenameSequence(&c, 0, std::string(63, 'x')).changed);
  EXPECT_FALSE(RenameSequence(&c, 5, "nope"));
}

TEST(SequenceList, DuplicateCopiesEverythingRightAfterTheOriginal) {
  Collection c;
  const size_t b = AddBitmaps(&c, 2);
  AddSequence(&c, "walk", 2, 3);
  AddSequence(&c, "run", 1, 1);
  c.sequences[0]->frames[1].views[2]->bitmap = c.BitmapAt(b);
  c.sequences[0]->frames[0].shadow.bitmap = c.BitmapAt(b + 1);
  c.sequences[0]->header.ticks_per_frame = 4;
  OperationResult r = DuplicateSequence(&c, 0);
  ASSERT_TRUE(r);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"walk", "walk copy", "run"}));
  ASSERT_EQ(r.sequences, std::vector<size_t>{1});
  CollectionSequence& copy = *c.sequences[1];
  EXPECT_NE(&copy, c.sequences[0].get());
  EXPECT_EQ(copy.FrameCount(), 2);
  EXPECT_EQ(copy.ViewCount(), 3);
  EXPECT_EQ(copy.header.ticks_per_frame, 4);
  EXPECT_EQ(copy.InstanceAt(1, 2)->bitmap, c.BitmapAt(b));
  EXPECT_EQ(copy.frames[0].shadow.bitmap, c.BitmapAt(b + 1));
  // The copy's cells are its own.
  copy.InstanceAt(1, 2)->reg_x = 99;
  EXPECT_NE(c.sequences[0]->InstanceAt(1, 2)->reg_x, 99);
}

TEST(SequenceList, DeleteAsksOnceWithThePlural) {
  Collection c;
  AddSequence(&c, "a", 1, 1);
  AddSequence(&c, "b", 1, 1);
  AddSequence(&c, "c", 1, 1);
  std::string asked;
  OperationResult r = DeleteSequences(&c, {2, 0}, nullptr, [&](const std::string& q) {
    asked = q;
    return true;
  });
  EXPECT_EQ(asked, "Are you sure you want to remove the selected sequences?");
  ASSERT_TRUE(r);
  EXPECT_EQ(r.sequences, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(Names(c), std::vector<std::string>{"b"});
  EXPECT_EQ(SequenceDeleteQuestion(1), "Are you sure you want to remove the selected sequence?");
}

TEST(SequenceList, DeleteCancelledOrOpenChangesNothing) {
  Collection c;
  AddSequence(&c, "a", 1, 1);
  AddSequence(&c, "b", 1, 1);
  const std::vector<uint8_t> before = test::Saved(c);
  OperationResult cancelled =
      DeleteSequences(&c, {0}, nullptr, [](const std::string&) { return false; });
  EXPECT_FALSE(cancelled);
  EXPECT_TRUE(cancelled.messages.empty());
  bool asked = false;
  OperationResult open = DeleteSequences(
      &c, {0, 1}, [](size_t i) { return i == 1; },
      [&](const std::string&) { return asked = true; });
  EXPECT_FALSE(open);
  EXPECT_FALSE(asked);
  ASSERT_EQ(open.messages.size(), 1u);
  EXPECT_EQ(open.messages[0].title, "Error");
  EXPECT_EQ(open.messages[0].text,
            "The sequence \"b\" is currently open. Please close it before deleting.");
  EXPECT_EQ(test::Saved(c), before);
}

TEST(SequenceList, MoveToADropPosition) {
  Collection c;
  for (const char* n : {"a", "b", "c", "d"}) AddSequence(&c, n, 1, 1);
  OperationResult r = MoveSequences(&c, {0, 2}, 4);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"b", "d", "a", "c"}));
  EXPECT_EQ(r.sequences, (std::vector<size_t>{2, 3}));
  r = MoveSequences(&c, {3}, 0);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"c", "b", "d", "a"}));
  r = MoveSequences(&c, {1}, 1);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"c", "b", "d", "a"}));
}

TEST(SequenceResize, GrowingViewsFromOneToThreeKeepsViewZero) {
  Collection c;
  const size_t b = AddBitmaps(&c, 1);
  CollectionSequence* s = AddSequence(&c, "walk", 2, 1);
  s->header.default_reg_x = 7 * 65536 + 40000;  // 7.6 → 7
  s->header.default_reg_y = -3 * 65536;
  s->InstanceAt(1, 0)->bitmap = c.BitmapAt(b);
  s->InstanceAt(1, 0)->reg_x = 11;
  s->frames[1].shadow.bitmap = c.BitmapAt(b);
  OperationResult r = ResizeSequence(&c, 0, 2, 3);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(s->ViewCount(), 3);
  EXPECT_EQ(s->InstanceAt(1, 0)->bitmap, c.BitmapAt(b));
  EXPECT_EQ(s->InstanceAt(1, 0)->reg_x, 11);
  for (int f = 0; f < 2; ++f) {
    for (int v = 1; v < 3; ++v) {
      const CollectionInstance* cell = s->InstanceAt(f, v);
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(cell->bitmap, nullptr);
      EXPECT_EQ(cell->reg_x, 7);
      EXPECT_EQ(cell->reg_y, -3);
      EXPECT_EQ(cell->flags, 0u);
    }
  }
  EXPECT_EQ(s->frames[1].shadow.bitmap, c.BitmapAt(b));
}

TEST(SequenceResize, FramesOnlyKeepsEveryCellAndNewFramesHaveNoShadow) {
  Collection c;
  const size_t b = AddBitmaps(&c, 1);
  CollectionSequence* s = AddSequence(&c, "walk", 1, 2);
  s->InstanceAt(0, 1)->bitmap = c.BitmapAt(b);
  ASSERT_TRUE(ResizeSequence(&c, 0, 3, 2));
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap, c.BitmapAt(b));
  EXPECT_EQ(s->frames[2].shadow.bitmap, nullptr);
  EXPECT_EQ(s->InstanceAt(2, 1)->reg_x, 20);
  ASSERT_TRUE(ResizeSequence(&c, 0, 1, 1));
  EXPECT_EQ(s->FrameCount(), 1);
  EXPECT_EQ(s->frames[0].views.size(), 1u);
  const std::vector<uint8_t> before = test::Saved(c);
  EXPECT_FALSE(ResizeSequence(&c, 0, -1, 1));
  EXPECT_FALSE(ResizeSequence(&c, 0, 1, 70000));
  EXPECT_EQ(test::Saved(c), before);
}

TEST(SoundTags, EmptyIsNoneAndShortEntriesArePadded) {
  EXPECT_EQ(PackSoundTag(""), 0xFFFFFFFFu);
  EXPECT_EQ(PackSoundTag("ab"), 0x61622020u);
  EXPECT_EQ(PackSoundTag("step"), 0x73746570u);
  EXPECT_EQ(PackSoundTag("steps"), 0x73746570u);
  EXPECT_EQ(SoundTagText(0xFFFFFFFFu), "");
  EXPECT_EQ(SoundTagText(0x61622020u), "ab");
  EXPECT_EQ(SoundTagText(0x73746570u), "step");
}

TEST(ViewColumns, EightMirroredViewsShowFiveColumnsUpTo180Degrees) {
  CollectionSequence s;
  s.Resize(1, 8);
  s.header.flags |= kSequenceMirrored;
  const std::vector<ViewColumn> columns = ViewColumns(s);
  ASSERT_EQ(columns.size(), 5u);
  const int angles[] = {0, 45, 90, 135, 180};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(columns[size_t(i)].view, i);
    EXPECT_EQ(columns[size_t(i)].angle, angles[i]);
  }
  EXPECT_EQ(ViewColumnTitle(45), std::string("45") + char(161));
  s.header.flags &= ~kSequenceMirrored;
  EXPECT_EQ(ViewColumns(s).size(), 8u);
  s.Resize(1, 3);
  EXPECT_EQ(ViewColumns(s)[1].angle, 120);
  EXPECT_EQ(ViewAngle(1, 7), 51);  // truncated
}

TEST(AssignBitmaps, FramesThenViewsPutsFileOneAtFrameOneViewZero) {
  Collection c;
  const size_t b = AddBitmaps(&c, 6);
  CollectionSequence* s = AddSequence(&c, "walk", 2, 3);
  EXPECT_EQ(AssignedCell(AssignOrder::kFramesThenViews, 1, 2, 3), (SequenceCell{1, 0}));
  ASSERT_TRUE(AssignBitmaps(&c, 0, Range(b, 6), AssignOrder::kFramesThenViews));
  EXPECT_EQ(s->InstanceAt(1, 0)->bitmap, c.BitmapAt(b + 1));
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap, c.BitmapAt(b + 2));
  EXPECT_EQ(s->InstanceAt(1, 2)->bitmap, c.BitmapAt(b + 5));
}

TEST(AssignBitmaps, ViewsThenFramesFillsEachFrameFirst) {
  Collection c;
  const size_t b = AddBitmaps(&c, 6);
  CollectionSequence* s = AddSequence(&c, "walk", 2, 3);
  EXPECT_EQ(AssignedCell(AssignOrder::kViewsThenFrames, 4, 2, 3), (SequenceCell{1, 1}));
  ASSERT_TRUE(AssignBitmaps(&c, 0, Range(b, 6), AssignOrder::kViewsThenFrames));
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap, c.BitmapAt(b + 1));
  EXPECT_EQ(s->InstanceAt(1, 0)->bitmap, c.BitmapAt(b + 3));
}

TEST(AssignBitmaps, AWrongCountIsRefused) {
  Collection c;
  const size_t b = AddBitmaps(&c, 5);
  AddSequence(&c, "walk", 2, 3);
  const std::vector<uint8_t> before = test::Saved(c);
  OperationResult r = AssignBitmaps(&c, 0, Range(b, 5), AssignOrder::kViewsThenFrames);
  EXPECT_FALSE(r);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].text, "5 bitmaps were seleced, expected 6");
  EXPECT_EQ(test::Saved(c), before);
}

TEST(AssignBitmaps, MirroredSequencesFillStoredViewsAndRebuildTheRest) {
  Collection c;
  const size_t b = AddBitmaps(&c, 5);
  CollectionSequence* s = AddSequence(&c, "walk", 1, 8);
  s->header.flags |= kSequenceMirrored;
  ASSERT_TRUE(AssignBitmaps(&c, 0, Range(b, 5), AssignOrder::kViewsThenFrames));
  EXPECT_EQ(s->InstanceAt(0, 7)->bitmap, c.BitmapAt(b + 1));
  EXPECT_EQ(s->InstanceAt(0, 7)->flags & kInstanceMirrorX, kInstanceMirrorX);
}

TEST(DropBitmaps, FillsConsecutiveViewsContinuingOnTheNextFrame) {
  Collection c;
  const size_t b = AddBitmaps(&c, 3);
  CollectionSequence* s = AddSequence(&c, "walk", 2, 2);
  OperationResult r = DropBitmaps(&c, 0, {0, 1}, Range(b, 3));
  ASSERT_TRUE(r);
  EXPECT_EQ(s->InstanceAt(0, 1)->bitmap, c.BitmapAt(b));
  EXPECT_EQ(s->InstanceAt(1, 0)->bitmap, c.BitmapAt(b + 1));
  EXPECT_EQ(s->InstanceAt(1, 1)->bitmap, c.BitmapAt(b + 2));
  EXPECT_EQ(s->InstanceAt(0, 0)->bitmap, nullptr);
}

TEST(DropBitmaps, ADropPastTheGridIsRefusedWhole) {
  Collection c;
  const size_t b = AddBitmaps(&c, 3);
  AddSequence(&c, "walk", 2, 2);
  EXPECT_FALSE(DropCells(*c.sequences[0], {1, 0}, 3).has_value());
  EXPECT_TRUE(DropCells(*c.sequences[0], {1, 0}, 2).has_value());
  const std::vector<uint8_t> before = test::Saved(c);
  EXPECT_FALSE(DropBitmaps(&c, 0, {1, 0}, Range(b, 3)));
  EXPECT_FALSE(DropBitmaps(&c, 0, {2, 0}, Range(b, 1)));
  EXPECT_EQ(test::Saved(c), before);
}

TEST(DropBitmaps, TheWrongKindIsRefusedWhole) {
  Collection c;
  const size_t b = AddBitmaps(&c, 1);
  const size_t sh = AddBitmaps(&c, 1, kBitmapShadow);
  CollectionSequence* s = AddSequence(&c, "walk", 2, 2);
  const std::vector<uint8_t> before = test::Saved(c);
  EXPECT_FALSE(DropBitmaps(&c, 0, {0, 0}, {b, sh}));
  EXPECT_FALSE(DropShadows(&c, 0, 0, {sh, b}));
  EXPECT_FALSE(DropShadows(&c, 0, 1, {sh, sh}));
  EXPECT_EQ(test::Saved(c), before);
  ASSERT_TRUE(DropShadows(&c, 0, 0, {sh, sh}));
  EXPECT_EQ(s->frames[1].shadow.bitmap, c.BitmapAt(sh));
}

TEST(Animation, TicksPerFrameZeroCountsAsOne) {
  // 30 ticks a second: with 0 ticks per frame, one second advances 30 frames.
  EXPECT_EQ(AnimationFrame(0, kTicksPerSecond, 0, 100), 30);
  EXPECT_EQ(AnimationFrame(0, kTicksPerSecond, 1, 100), 30);
  EXPECT_EQ(AnimationFrame(2, 9, 3, 100), 5);
  EXPECT_EQ(AnimationFrame(3, 4, 2, 4), 1);  // wraps
  EXPECT_EQ(AnimationFrame(0, 10, 0, 0), 0);
}

}  // namespace
}  // namespace brae
