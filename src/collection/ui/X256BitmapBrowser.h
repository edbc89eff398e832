#pragma once
// One bitmap tab of the collection editor: the bitmaps (mode 0) or the shadows (mode 1) of a
// collection as a thumbnail grid ("Bitmaps Grid") or a table ("Bitmaps Table"), with the
// count label, the context menu of the bitmap commands, bitmap windows opened by a double
// click, and reordering by dragging rows of the table.
//
// Every command of the context menu ends in one hook method below (On...). The hooks receive
// the bitmaps the command acts on; after a hook has changed the collection it calls
// CollectionChanged, which refreshes the views and emits `changed`.

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "toolkit/ListGridWindow.h"

namespace brae {

class BitmapTextures;
class BitmapWindow;
class ExternalBitmapEdits;
class Collection;
class CollectionBitmap;
class Menu;
class TextBox;
class UndoableAction;
class UndoStack;
struct OperationResult;

enum BrowserMode : int { kBrowseBitmaps = 0, kBrowseShadows = 1 };

// Context menu ids: the "Selected" submenu's, then the "All" submenu's.
enum BitmapCommand : int {
  kCommandRename = 0,
  kCommandExportSelected = 1,
  kCommandExportAll = 2,
  kCommandExportPlateSelected = 3,
  kCommandExportPlateAll = 4,
  kCommandExportAlphaPlateSelected = 5,
  kCommandExportAlphaPlateAll = 6,
  kCommandExportAlphaSelected = 7,
  kCommandExportAlphaAll = 8,
  kCommandReplaceSelected = 9,
  kCommandReplaceAll = 10,
  kCommandReplaceAlphaSelected = 11,
  kCommandReplaceAlphaAll = 12,
  kCommandReplaceFromPlateSelected = 13,
  kCommandReplaceFromPlateAll = 14,
  kCommandReplaceAlphaFromPlateSelected = 15,
  kCommandReplaceAlphaFromPlateAll = 16,
  kCommandDeleteSelected = 17,
  kCommandDeleteAll = 18,
  kCommandRemoveAlphaSelected = 19,
  kCommandRemoveAlphaAll = 20,
  kCommandConvertToRleSelected = 21,
  kCommandConvertToRawSelected = 22,
  kCommandConvertToRleAll = 23,
  kCommandConvertToRawAll = 24,
  kCommandCropSelected = 25,
  kCommandCropAll = 26,
  kCommandUncropSelected = 27,
  kCommandUncropAll = 28,
  kCommandAddFromFiles = 29,
  kCommandAddFromPlate = 30,
  // Top level, on the selection: the round trip through the user's own paint program.
  kCommandEditExternally = 31,
  kCommandStopExternalEditing = 32,
};

// The bitmaps a command acts on, in list order, and whether they are every listed bitmap
// ("all") or the selection.
struct BitmapTargets {
  std::vector<CollectionBitmap*> bitmaps;
  bool all = false;
};

class X256BitmapBrowser : public ListGridWindow {
 public:
  X256BitmapBrowser(int mode, Collection* collection, BitmapTextures* textures,
                    Window* parent = nullptr);
  ~X256BitmapBrowser() override;
  const char* ClassName() const override { return "X256BitmapBrowser"; }

  int Mode() const { return mode_; }
  Collection* GetCollection() const { return collection_; }
  // The listed bitmaps, in collection order (row value and cell index = position here).
  const std::vector<CollectionBitmap*>& Listed() const { return listed_; }
  Window* CountLabel() const { return count_label_; }
  // The targets of the "Selected" submenu: the selection of the view shown, in list order.
  std::vector<CollectionBitmap*> SelectedBitmaps() const;

  // Fills the views again from the collection (after a load or a change).
  void Refresh();
  // Only the grey shading of unused bitmaps (after the sequences changed).
  void RefreshUsage();
  // A command changed the collection: the textures of the bitmaps named (every texture when
  // the palette changed) are built again, the views refreshed, and `changed` emitted.
  void CollectionChanged(const std::vector<CollectionBitmap*>& changed_bitmaps,
                         bool palette_changed);

  // The context menu: built for the current selection, shown at (x, y), its choice run.
  Menu* BuildContextMenu() const;
  void ShowContextMenu(int x, int y);
  // Runs a context menu command by id.
  void RunCommand(int command);

  // Bitmap windows.
  BitmapWindow* OpenBitmapWindow(CollectionBitmap* bitmap);
  BitmapWindow* FindBitmapWindow(const CollectionBitmap* bitmap) const;
  const std::vector<BitmapWindow*>& BitmapWindows() const { return windows_; }
  void CloseBitmapWindows();

  // Where a listed bitmap's thumbnail is drawn (screen coordinates; empty when the grid is
  // not shown or the cell is scrolled away).
  Rect ThumbnailRect(int listed_index) const;

  // Where the commands keep their undo actions (none: they are not kept), and what an undo or
  // redo calls after it changed the collection (replaced: every bitmap object is new; else only
  // the bitmap at index changed). Without it the browser refreshes itself.
  void SetUndo(UndoStack* stack, std::function<void(bool replaced, size_t index)> restored);
  UndoStack* Undos() const { return undo_; }
  // Who keeps the bitmaps that are being edited in an external editor (none: not offered).
  void SetExternalEdits(ExternalBitmapEdits* edits) { external_ = edits; }
  // An external editor saved the bitmap at index into path: it is replaced in place (keeping its
  // name) as one undo step, with the replace's messages.
  void ReplaceFromExternalFile(size_t index, const std::string& path);
  // After an undo or redo: the views and textures are built again and `changed` emitted.
  void CollectionRestored(bool replaced, size_t index);

  Signal<> changed;
  Signal<> windows_changed;

  // ---- the hooks of the bitmap commands ----
  virtual void OnRenameBitmap(CollectionBitmap* bitmap);
  virtual void OnExportBitmaps(const BitmapTargets& targets);
  virtual void OnExportAlphas(const BitmapTargets& targets);
  virtual void OnExportPlate(const BitmapTargets& targets);
  virtual void OnExportAlphaPlate(const BitmapTargets& targets);
  virtual void OnReplaceBitmaps(const BitmapTargets& targets);
  virtual void OnReplaceAlphas(const BitmapTargets& targets);
  virtual void OnReplaceFromPlate(const BitmapTargets& targets);
  virtual void OnReplaceAlphasFromPlate(const BitmapTargets& targets);
  virtual void OnRemoveAlpha(const BitmapTargets& targets);
  virtual void OnConvertToRle(const BitmapTargets& targets);
  virtual void OnConvertToRaw(const BitmapTargets& targets);
  virtual void OnCropTransparency(const BitmapTargets& targets);
  virtual void OnUncropTransparency(const BitmapTargets& targets);
  virtual void OnDeleteBitmaps(const BitmapTargets& targets);
  // "Add Bitmap(s) from File(s)" in bitmap mode, "Add Shadow(s) from File(s)" in shadow mode.
  virtual void OnImportBitmaps();
  virtual void OnImportShadows();
  virtual void OnImportPlate();
  // Rows of the table dropped before the listed bitmap at `before` (Listed().size(): at the
  // end): the bitmaps move there in the collection's bitmap list.
  virtual void OnMoveBitmaps(const std::vector<CollectionBitmap*>& bitmaps, int before);
  // "Edit in External Editor" and "Stop External Editing" on the selection.
  virtual void OnEditExternally(const BitmapTargets& targets);
  virtual void OnStopExternalEditing(const BitmapTargets& targets);

  // ---- overrides ----
  int HandleEvent(Window* target, EventType type, Event* event) override;
  void Layout() override;
  void DrawContent() override;

 private:
  void DrawThumbnail(int index, const Rect& picture);
  std::string CellText(const ListRow* row, int column) const;
  void OnRowActivated(ListRow* row);
  void OnCellActivated(int cell);
  void OnDeleteRequested();
  void OnViewChanged(int view);
  void OnWindowClosed(BitmapWindow* window);
  int OnDrag(ListRow* target, ListWindow::ListItemDDData* data, bool dropped);
  Window::DragDropData* GridDragData(const std::vector<int>& cells);
  void UpdateCountLabel();
  BitmapTargets Selection() const;
  BitmapTargets Everything() const;
  // The collection indices of the bitmaps, in their order.
  void RunHook(int command);
  void FocusView();
  std::vector<size_t> IndicesOf(const std::vector<CollectionBitmap*>& bitmaps) const;
  // The open-window guard: shows the message and returns false when a bitmap is open.
  bool NoneOpen(const std::vector<size_t>& indices, const char* action) const;
  // After a command: refreshes what it changed (every texture when the palette changed),
  // keeps its undo action (made by make_action) when it changed something, and shows its
  // messages.
  void Finish(const OperationResult& result, bool palette_changed,
              const std::function<UndoableAction*()>& make_action);
  std::function<void(bool, size_t)> RestoredCallback();
  bool EditNameInPlace(CollectionBitmap* bitmap, std::string* name);
  void ExportOneOrMany(const BitmapTargets& targets, bool alpha);
  void ExportPlateOf(const BitmapTargets& targets, bool alpha);
  void ReplaceFromFilesOf(const BitmapTargets& targets, bool alphas);
  void ReplaceFromPlateOf(const BitmapTargets& targets, bool alphas);

  int mode_;
  Collection* collection_;
  BitmapTextures* textures_;
  Window* count_label_ = nullptr;
  std::vector<CollectionBitmap*> listed_;
  std::unordered_set<const CollectionBitmap*> used_;
  std::vector<BitmapWindow*> windows_;
  UndoStack* undo_ = nullptr;
  std::function<void(bool, size_t)> restored_;
  TextBox* rename_box_ = nullptr;  // lent to the in-place rename pop-up
  ExternalBitmapEdits* external_ = nullptr;
};

}  // namespace brae
