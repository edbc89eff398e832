#pragma once
// A window that edits one sequence of an open collection editor (the sequence editor and the
// frame editor). Such windows register with the Sequences tab, which refuses to delete a
// sequence while one is open, closes them when their sequence leaves the collection (an undo
// of "New Sequence", say) and tells them about every other change of the sequences.

namespace brae {

class CollectionSequence;
class Window;

class SequenceEditorWindow {
 public:
  virtual ~SequenceEditorWindow() = default;
  virtual CollectionSequence* EditedSequence() const = 0;
  virtual Window* AsWindow() = 0;
  // Something in the collection's sequences changed (added, removed, renamed, reordered, or
  // edited by another window or an undo): lists, titles and pictures are brought up to date.
  virtual void SequencesChanged() = 0;
};

}  // namespace brae
