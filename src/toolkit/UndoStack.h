#pragma once
// The undo stack: reversible edit operations, with a redo branch after the current one.

#include <climits>
#include <list>
#include <memory>

namespace brae {

class UndoableAction {
 public:
  virtual ~UndoableAction() = default;
  // Carries the action out (also used for redo); returns false when it could not be done.
  virtual int Do() = 0;
  virtual void Undo() = 0;
};

// The bottom of every stack: always done, undoes nothing.
class NullAction : public UndoableAction {
 public:
  int Do() override { return 1; }
  void Undo() override {}
};

class UndoStack {
 public:
  UndoStack();

  // Runs the action (unless already done), drops the redo branch and makes it current.
  // An action whose Do fails is deleted and nothing changes.
  void Perform(UndoableAction* action, bool already_done);
  int Undo();
  int Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  void Clear();

  size_t Count() const { return count_; }
  void SetLimit(size_t limit) { limit_ = limit; }

 private:
  using List = std::list<std::unique_ptr<UndoableAction>>;
  List actions_;
  List::iterator current_;
  size_t count_ = 0;
  size_t limit_ = static_cast<size_t>(-1);
};

}  // namespace brae
