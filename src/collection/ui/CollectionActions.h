#pragma once
// The undoable actions of the "Color Table", "Flags" and "Optimize" tabs, kept on the
// collection editor's undo stack: one class per command. Palette entries and bitmaps are named
// by index. The optimisations that remove or change bitmaps keep whole-collection snapshots
// (BitmapSnapshotAction); the others keep only the values they changed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collection/Collection.h"
#include "collection/ui/BitmapActions.h"
#include "toolkit/UndoStack.h"

namespace brae {

// Called after an undo or redo changed the setting the action holds.
using SettingRestored = std::function<void()>;

// Double-clicking a swatch: one palette entry between two colours.
class PaletteEntryAction : public UndoableAction {
 public:
  PaletteEntryAction(Collection* collection, size_t index, PaletteColor before, PaletteColor after,
                     SettingRestored restored);
  int Do() override;
  void Undo() override;

 private:
  void Set(PaletteColor colour);
  Collection* collection_;
  size_t index_;
  PaletteColor before_, after_;
  SettingRestored restored_;
};

// "Load Color Table...": the whole palette between two tables.
class PaletteLoadAction : public UndoableAction {
 public:
  PaletteLoadAction(Collection* collection, const CollectionPalette& before,
                    const CollectionPalette& after, SettingRestored restored);
  int Do() override;
  void Undo() override;

 private:
  void Set(const CollectionPalette& palette);
  Collection* collection_;
  CollectionPalette before_, after_;
  SettingRestored restored_;
};

// A box of the "Flags" tab: the collection flags between two values.
class CollectionFlagsAction : public UndoableAction {
 public:
  CollectionFlagsAction(Collection* collection, uint32_t before, uint32_t after,
                        SettingRestored restored);
  int Do() override;
  void Undo() override;

 private:
  void Set(uint32_t flags);
  Collection* collection_;
  uint32_t before_, after_;
  SettingRestored restored_;
};

// "Auto Rename Bitmaps": every bitmap's name before and after, by index. Nothing is done when
// the list no longer has as many bitmaps.
class AutoRenameAction : public UndoableAction {
 public:
  AutoRenameAction(Collection* collection, std::vector<std::string> before,
                   std::vector<std::string> after, CollectionRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Set(const std::vector<std::string>& names);
  Collection* collection_;
  std::vector<std::string> before_, after_;
  CollectionRestored restored_;
};

// The optimisations that remove bitmaps or change their pixels.
class DeleteUnusedAction : public BitmapSnapshotAction {
 public:
  using BitmapSnapshotAction::BitmapSnapshotAction;
  const char* Name() const override { return "Delete Unused Bitmaps"; }
};
class MergeIdenticalAction : public BitmapSnapshotAction {
 public:
  using BitmapSnapshotAction::BitmapSnapshotAction;
  const char* Name() const override { return "Merge Identical Bitmaps"; }
};
class CropAllAction : public BitmapSnapshotAction {
 public:
  using BitmapSnapshotAction::BitmapSnapshotAction;
  const char* Name() const override { return "Crop All Bitmaps"; }
};

// Every bitmap's name, in list order.
std::vector<std::string> BitmapNames(const Collection& collection);

}  // namespace brae
