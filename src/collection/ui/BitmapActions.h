#pragma once
// The undoable actions of the bitmap browsers' commands, one class per command, kept on the
// collection editor's undo stack. They name bitmaps by their index in the collection's bitmap
// list, so they stay valid however the bitmap objects are replaced.
//
// Most commands change pixels, sizes, the list or the palette: their actions keep a snapshot of
// everything the bitmap commands change from before the command, and take the one after it
// when they are first undone. Restoring a snapshot gives the bitmaps the command did not touch
// their own objects back, so their windows, textures and selection stay. A rename keeps only
// the two names.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "collection/BitmapEditing.h"
#include "toolkit/UndoStack.h"

namespace brae {

class Collection;

// Called after an undo or redo changed the collection, with whether the bitmap objects were
// replaced (every view and texture must be built again) or only the listed bitmap changed.
using CollectionRestored = std::function<void(bool replaced, size_t index)>;

class BitmapSnapshotAction : public UndoableAction {
 public:
  // before: the collection before the command, which has already been carried out.
  BitmapSnapshotAction(Collection* collection, BitmapSnapshot before, CollectionRestored restored);
  int Do() override;
  void Undo() override;
  // The command's name (for the log and tests).
  virtual const char* Name() const = 0;

 private:
  Collection* collection_;
  BitmapSnapshot before_;
  std::optional<BitmapSnapshot> after_;
  CollectionRestored restored_;
};

// One class per command.
#define BRAE_BITMAP_ACTION(Class, label)                \
  class Class : public BitmapSnapshotAction {           \
   public:                                              \
    using BitmapSnapshotAction::BitmapSnapshotAction;   \
    const char* Name() const override { return label; } \
  };
BRAE_BITMAP_ACTION(ImportBitmapsAction, "Add Bitmap(s) from File(s)")
BRAE_BITMAP_ACTION(ImportShadowsAction, "Add Shadow(s) from File(s)")
BRAE_BITMAP_ACTION(ImportPlateAction, "Add Bitmap(s) from Plate")
BRAE_BITMAP_ACTION(ReplaceAction, "Replace")
BRAE_BITMAP_ACTION(ReplaceAlphaAction, "Replace Alpha")
BRAE_BITMAP_ACTION(ReplaceFromPlateAction, "Replace from Plate")
BRAE_BITMAP_ACTION(ReplaceAlphaFromPlateAction, "Replace Alpha from Plate")
BRAE_BITMAP_ACTION(RemoveAlphaAction, "Remove Alpha")
BRAE_BITMAP_ACTION(ConvertToRleAction, "Convert to RLE")
BRAE_BITMAP_ACTION(ConvertToRawAction, "Convert to RAW")
BRAE_BITMAP_ACTION(CropAction, "Crop Transparency")
BRAE_BITMAP_ACTION(UncropAction, "Uncrop Transparency")
BRAE_BITMAP_ACTION(DeleteAction, "Delete")
BRAE_BITMAP_ACTION(MoveAction, "Move")
BRAE_BITMAP_ACTION(ExternalEditAction, "Edit in External Editor")
#undef BRAE_BITMAP_ACTION

// "Rename": the bitmap at index between two names.
class RenameAction : public UndoableAction {
 public:
  RenameAction(Collection* collection, size_t index, std::string before, std::string after,
               CollectionRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Set(const std::string& name);
  Collection* collection_;
  size_t index_;
  std::string before_, after_;
  CollectionRestored restored_;
};

}  // namespace brae
