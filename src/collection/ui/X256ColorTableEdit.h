#pragma once
// The "Color Table" tab of the collection editor: the 256 palette entries as swatches of
// 22 × 22 pixels in index order, filling the rows as wide as the tab allows. Double-clicking a
// swatch opens the colour picker on it; the context menu saves the palette as a colour table
// file or loads one in its place. Every change is undoable and emits `changed`.

#include <cstddef>

#include "toolkit/Window.h"

namespace brae {

class BitmapTextures;
class Collection;
class Menu;
class UndoStack;
struct OperationResult;

// Context menu ids.
enum ColorTableCommand : int { kColorTableSave = 1, kColorTableLoad = 2 };

class X256ColorTableEdit : public Window {
 public:
  X256ColorTableEdit(Collection* collection, BitmapTextures* textures, Window* parent = nullptr);
  const char* ClassName() const override { return "X256ColorTableEdit"; }

  void SetUndo(UndoStack* stack) { undo_ = stack; }
  // Swatches per row at the current width (at least one).
  int Columns() const;
  // A swatch's place, client-local; and the swatch under a screen point (-1: none).
  Rect SwatchRect(int index) const;
  int SwatchAt(int screen_x, int screen_y) const;

  Menu* BuildContextMenu() const;
  void ShowContextMenu(int x, int y);
  void RunCommand(int command);
  // The colour picker on one entry; a confirmed colour is stored.
  void EditSwatch(int index);
  // "Save Color Table As..." / "Load Color Table..." through the colour table dialogs.
  void SaveTable();
  void LoadTable();
  // An undo or redo changed the palette.
  void PaletteRestored();

  void ClientMouseButton(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void DrawContent() override;

  Signal<> changed;

 private:
  // The palette changed: every bitmap is drawn again with it.
  void PaletteChanged();
  void TakeFocusBack();
  void ShowMessages(const OperationResult& result) const;

  Collection* collection_;
  BitmapTextures* textures_;
  UndoStack* undo_ = nullptr;
};

}  // namespace brae
