#pragma once
// The undoable action of the frame editor's point moves, kept on the collection editor's undo
// stack: the registration and key points of the cells that one arrow press or one mouse drag
// changed, before and after, for the sequence named by its index in the collection's list.

#include <cstddef>
#include <functional>
#include <vector>

#include "collection/SequenceMoves.h"
#include "toolkit/UndoStack.h"

namespace brae {

class Collection;

class SequencePointsAction : public UndoableAction {
 public:
  // restored is called after Do (a redo) or Undo changed the points.
  SequencePointsAction(Collection* collection, size_t sequence, std::vector<PointChange> changes,
                       std::function<void()> restored);
  int Do() override;
  void Undo() override;

  size_t SequenceIndex() const { return sequence_; }
  const std::vector<PointChange>& Changes() const { return changes_; }

 private:
  bool Apply(bool forward);
  Collection* collection_;
  size_t sequence_;
  std::vector<PointChange> changes_;
  std::function<void()> restored_;
};

}  // namespace brae
