#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Signals.h"
#include "toolkit/UndoStack.h"

namespace brae {
namespace {

struct Receiver : has_slots<void> {
  explicit Receiver(std::vector<std::string>* log, std::string name)
      : log(log), name(std::move(name)) {}
  void Plain() { log->push_back(name); }
  void WithValue(int v) { log->push_back(name + std::to_string(v)); }
  std::vector<std::string>* log;
  std::string name;
  Receiver* victim = nullptr;
  void KillVictim() {
    log->push_back(name);
    delete victim;
  }
};

TEST(Signals, EmitWithoutSlotsDoesNothing) {
  Signal<> s;
  s.Emit();
  Signal<int> t;
  t.Emit(3);
  EXPECT_EQ(s.SlotCount(), 0u);
}

TEST(Signals, ConnectionOrderDuplicatesAndDisconnect) {
  std::vector<std::string> log;
  Receiver a(&log, "a"), b(&log, "b"), c(&log, "c");
  Signal<int> s;
  Connect(s, &a, &Receiver::WithValue);
  Connect(s, &b, &Receiver::WithValue);
  Connect(s, &a, &Receiver::WithValue);
  Connect(s, &c, &Receiver::WithValue);
  s.Emit(1);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "a1", "c1"}));
  // Removing the first slot's receiver moves the last further slot to the front.
  Disconnect(s, &a);
  log.clear();
  s.Emit(2);
  EXPECT_EQ(log, (std::vector<std::string>{"c2", "b2"}));
  EXPECT_EQ(a.ConnectedSignalCount(), 0u);
}

TEST(Signals, DestroyingEitherSideDisconnects) {
  std::vector<std::string> log;
  Signal<> s;
  auto r = std::make_unique<Receiver>(&log, "r");
  Connect(s, r.get(), &Receiver::Plain);
  r.reset();
  s.Emit();
  EXPECT_TRUE(log.empty());
  Receiver keep(&log, "k");
  {
    Signal<> temporary;
    Connect(temporary, &keep, &Receiver::Plain);
    EXPECT_EQ(keep.ConnectedSignalCount(), 1u);
  }
  EXPECT_EQ(keep.ConnectedSignalCount(), 0u);
}

TEST(Signals, ReceiverDeletedByAnEarlierSlotIsNotCalled) {
  std::vector<std::string> log;
  Signal<> s;
  auto* killer = new Receiver(&log, "killer");
  auto* victim = new Receiver(&log, "victim");
  killer->victim = victim;
  Connect(s, killer, &Receiver::KillVictim);
  Connect(s, victim, &Receiver::Plain);
  s.Emit();
  EXPECT_EQ(log, (std::vector<std::string>{"killer"}));
  delete killer;
}

// An action on a shared text, counting its deletions.
struct TypeChar : UndoableAction {
  TypeChar(std::string* text, char c, int* deleted, bool fail = false)
      : text(text), c(c), deleted(deleted), fail(fail) {}
  ~TypeChar() override { ++*deleted; }
  int Do() override {
    if (fail) return 0;
    text->push_back(c);
    return 1;
  }
  void Undo() override { text->pop_back(); }
  std::string* text;
  char c;
  int* deleted;
  bool fail;
};

TEST(UndoStackTest, UndoRedoAndTheDiscardedBranch) {
  std::string text;
  int deleted = 0;
  UndoStack stack;
  EXPECT_EQ(stack.Undo(), 0);
  EXPECT_FALSE(stack.CanUndo());
  for (char c : std::string("abc")) stack.Perform(new TypeChar(&text, c, &deleted), false);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(stack.Undo(), 1);
  EXPECT_EQ(text, "ab");
  EXPECT_TRUE(stack.CanRedo());
  stack.Perform(new TypeChar(&text, 'd', &deleted), false);
  EXPECT_EQ(text, "abd");
  EXPECT_EQ(deleted, 1);  // the undone "c" went with the redo branch
  EXPECT_EQ(stack.Redo(), 0);
  EXPECT_EQ(stack.Undo(), 1);
  EXPECT_EQ(stack.Redo(), 1);
  EXPECT_EQ(text, "abd");
  EXPECT_EQ(stack.Count(), 3u);
}

TEST(UndoStackTest, FailedActionRecordsNothingAndAlreadyDoneIsNotRedone) {
  std::string text = "x";
  int deleted = 0;
  UndoStack stack;
  stack.Perform(new TypeChar(&text, 'a', &deleted, true), false);
  EXPECT_EQ(deleted, 1);
  EXPECT_FALSE(stack.CanUndo());
  text += "b";
  stack.Perform(new TypeChar(&text, 'b', &deleted), true);
  EXPECT_EQ(text, "xb");
  stack.Undo();
  EXPECT_EQ(text, "x");
  stack.Clear();
  EXPECT_EQ(deleted, 2);
  EXPECT_FALSE(stack.CanUndo());
  EXPECT_FALSE(stack.CanRedo());
}

TEST(UndoStackTest, DepthLimitForgetsTheOldest) {
  std::string text;
  int deleted = 0;
  UndoStack stack;
  stack.SetLimit(2);
  for (char c : std::string("abcd")) stack.Perform(new TypeChar(&text, c, &deleted), false);
  EXPECT_EQ(stack.Count(), 2u);
  EXPECT_EQ(stack.Undo() + stack.Undo() + stack.Undo(), 2);
  EXPECT_EQ(text, "ab");
}

}  // namespace
}  // namespace brae
