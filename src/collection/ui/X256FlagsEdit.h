#pragma once
// The "Flags" tab of the collection editor: under "Can be used for:", one box per collection
// flag bit (textures, monsters, projectiles, scenery, atmospheric effects, interfaces). A box
// sets or clears its bit only; the change is undoable and emits `changed`.

#include <vector>

#include "toolkit/Window.h"

namespace brae {

class CheckBox;
class Collection;
class UndoStack;

class X256FlagsEdit : public Window {
 public:
  explicit X256FlagsEdit(Collection* collection, Window* parent = nullptr);
  const char* ClassName() const override { return "X256FlagsEdit"; }

  void SetUndo(UndoStack* stack) { undo_ = stack; }
  // The boxes, in the order of CollectionFlagBoxes().
  const std::vector<CheckBox*>& Boxes() const { return boxes_; }
  // The boxes show the collection's bits again (after a load, an undo or a redo).
  void Refresh();
  // A box (its index) was toggled to its new state.
  void OnBoxClicked(int box);

  void Layout() override;
  void DrawContent() override;

  Signal<> changed;

 private:
  void FlagsRestored();

  Collection* collection_;
  std::vector<CheckBox*> boxes_;
  UndoStack* undo_ = nullptr;
};

}  // namespace brae
