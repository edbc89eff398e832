#pragma once
// The undoable actions of the sequence browser's commands, kept on the collection editor's
// undo stack. They name sequences by their index in the collection's sequence list; a removed
// sequence is parked in the action until it is put back, so the sequences a command did not
// touch keep their objects.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/UndoStack.h"

namespace brae {

class Collection;
class CollectionSequence;

// Called after an undo or redo changed the sequence list.
using SequencesRestored = std::function<void()>;

// "New Sequence" and "Duplicate": sequences that the command inserted at the given indices
// (ascending). Undo takes them out; Do puts them back.
class SequenceInsertAction : public UndoableAction {
 public:
  SequenceInsertAction(Collection* collection, std::vector<size_t> indices, const char* name,
                       SequencesRestored restored);
  ~SequenceInsertAction() override;
  int Do() override;
  void Undo() override;
  const char* Name() const { return name_; }

 private:
  Collection* collection_;
  std::vector<size_t> indices_;
  std::vector<std::unique_ptr<CollectionSequence>> parked_;
  const char* name_;
  SequencesRestored restored_;
};

// "Delete": the command removed the sequences at the given indices (ascending, as they were
// before); copies of them are kept. Undo puts them back; Do removes them again.
class SequenceDeleteAction : public UndoableAction {
 public:
  SequenceDeleteAction(Collection* collection,
                       std::vector<std::pair<size_t, std::unique_ptr<CollectionSequence>>> removed,
                       SequencesRestored restored);
  ~SequenceDeleteAction() override;
  int Do() override;
  void Undo() override;

 private:
  Collection* collection_;
  std::vector<size_t> indices_;
  std::vector<std::unique_ptr<CollectionSequence>> parked_;  // while undone: empty
  SequencesRestored restored_;
};

// "Rename": the sequence at index between two names.
class SequenceRenameAction : public UndoableAction {
 public:
  SequenceRenameAction(Collection* collection, size_t index, std::string before, std::string after,
                       SequencesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Set(const std::string& name);
  Collection* collection_;
  size_t index_;
  std::string before_, after_;
  SequencesRestored restored_;
};

// Dragging rows: the list's order before and after, as the old index of each new position.
class SequenceMoveAction : public UndoableAction {
 public:
  // order[i]: the index before the move of the sequence now at i.
  SequenceMoveAction(Collection* collection, std::vector<size_t> order, SequencesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Apply(bool forward);
  Collection* collection_;
  std::vector<size_t> order_;
  SequencesRestored restored_;
};

}  // namespace brae
