#pragma once
// The undoable actions of the sequence editor, one class per operation, kept on the collection
// editor's undo stack. They name the sequence by its index in the collection's list and keep
// its content with every bitmap reference as a bitmap index, so they stay valid however the
// sequence and bitmap objects are replaced by other actions.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "collection/Collection.h"
#include "collection/ui/BitmapActions.h"
#include "toolkit/UndoStack.h"

namespace brae {

// A sequence's content with its bitmap references as indices into the bitmap list.
class SequenceState {
 public:
  SequenceState(const Collection& collection, const CollectionSequence& sequence);
  // Puts the content back into the sequence, resolving the references in the collection.
  void Restore(const Collection& collection, CollectionSequence* into) const;

 private:
  CollectionSequence content_;
  std::vector<int> references_;  // per frame: each instance's bitmap and alternate, the shadow
};

// Called after an undo or redo changed a sequence (bitmaps_changed: the bitmap list or the
// palette changed as well).
using SequenceRestored = std::function<void(bool bitmaps_changed)>;

// Changes confined to one sequence: its content before the change, and after it (taken when
// first undone).
class SequenceEditAction : public UndoableAction {
 public:
  // before: the sequence before the change, which has already been made.
  SequenceEditAction(Collection* collection, size_t index, SequenceState before,
                     SequenceRestored restored);
  int Do() override;
  void Undo() override;
  virtual const char* Name() const = 0;

 private:
  Collection* collection_;
  size_t index_;
  SequenceState before_;
  std::optional<SequenceState> after_;
  SequenceRestored restored_;
};

#define BRAE_SEQUENCE_ACTION(Class, label)              \
  class Class : public SequenceEditAction {             \
   public:                                              \
    using SequenceEditAction::SequenceEditAction;       \
    const char* Name() const override { return label; } \
  };
BRAE_SEQUENCE_ACTION(SequenceFieldAction, "Field")
BRAE_SEQUENCE_ACTION(SequenceResizeAction, "Resize")
BRAE_SEQUENCE_ACTION(SequenceFlagAction, "Sequence Flag")
BRAE_SEQUENCE_ACTION(SequenceMirrorAction, "Mirror")
BRAE_SEQUENCE_ACTION(SequenceShadowLightAction, "Shadow Is Light")
BRAE_SEQUENCE_ACTION(SequenceDropAction, "Drop")
#undef BRAE_SEQUENCE_ACTION

// Imports into the grid: bitmaps appended to the collection's list, perhaps a new palette, and
// the sequence's cells. Undo parks the appended bitmaps (their objects stay) and puts the
// palette and the sequence back; redo returns them.
class SequenceImportAction : public UndoableAction {
 public:
  SequenceImportAction(Collection* collection, size_t index, SequenceState before,
                       const CollectionPalette& palette_before, size_t added,
                       SequenceRestored restored);
  ~SequenceImportAction() override;
  int Do() override;
  void Undo() override;
  virtual const char* Name() const = 0;

 private:
  Collection* collection_;
  size_t index_;
  SequenceState before_;
  std::optional<SequenceState> after_;
  CollectionPalette palette_before_, palette_after_{};
  size_t added_;
  std::vector<std::unique_ptr<CollectionBitmap>> parked_;
  SequenceRestored restored_;
};

class SequenceBitmapImportAction : public SequenceImportAction {
 public:
  using SequenceImportAction::SequenceImportAction;
  const char* Name() const override { return "Bitmap Import"; }
};
class SequencePlateImportAction : public SequenceImportAction {
 public:
  using SequenceImportAction::SequenceImportAction;
  const char* Name() const override { return "Bitmap Import From Plate"; }
};

// Alpha imports change only the pixels of the cells' bitmaps.
class SequenceAlphaImportAction : public BitmapSnapshotAction {
 public:
  using BitmapSnapshotAction::BitmapSnapshotAction;
  const char* Name() const override { return "Alpha Import"; }
};
class SequenceAlphaPlateImportAction : public BitmapSnapshotAction {
 public:
  using BitmapSnapshotAction::BitmapSnapshotAction;
  const char* Name() const override { return "Alpha Import From Plate"; }
};

}  // namespace brae
