#include "toolkit/UndoStack.h"

#include <iterator>

namespace brae {

UndoStack::UndoStack() {
  actions_.push_back(std::make_unique<NullAction>());
  current_ = actions_.begin();
}

void UndoStack::Perform(UndoableAction* action, bool already_done) {
  std::unique_ptr<UndoableAction> owned(action);
  if (!owned) return;
  if (!already_done && !owned->Do()) return;
  actions_.erase(std::next(current_), actions_.end());
  actions_.push_back(std::move(owned));
  current_ = std::prev(actions_.end());
  count_ = actions_.size() - 1;
  // Beyond the depth limit the oldest action is forgotten.
  while (count_ > limit_) {
    actions_.erase(std::next(actions_.begin()));
    --count_;
  }
}

int UndoStack::Undo() {
  if (current_ == actions_.begin()) return 0;
  (*current_)->Undo();
  --current_;
  return 1;
}

int UndoStack::Redo() {
  auto next = std::next(current_);
  if (next == actions_.end()) return 0;
  current_ = next;
  (*current_)->Do();
  return 1;
}

bool UndoStack::CanUndo() const {
  return current_ != actions_.begin();
}
bool UndoStack::CanRedo() const {
  return std::next(List::const_iterator(current_)) != actions_.end();
}

void UndoStack::Clear() {
  actions_.erase(std::next(actions_.begin()), actions_.end());
  current_ = actions_.begin();
  count_ = 0;
}

}  // namespace brae
