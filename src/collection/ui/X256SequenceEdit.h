#pragma once
// The editor of one sequence of an open collection: the "Views" grid of frames by views with
// the shadow column, the header fields ("Frames:", "Views:", "Ticks per Frame:", "Key Frame:",
// "Transfer Period:", "Mode:", "Loop Frame:" and the three sound tags), the sequence and cell
// check boxes, the grid's menu of imports and exports, and drops of bitmaps, shadows and grid
// cells. Every change is one undo action on the collection editor's undo stack.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "collection/SequenceAssign.h"
#include "collection/ui/SequenceEditorWindow.h"
#include "toolkit/Window.h"

namespace brae {

class CheckBox;
class ComboBox;
class Menu;
class SequenceGridView;
class TextBox;
class UndoableAction;
class X256Edit;

// The grid menu's command ids.
enum SequenceEditCommand : int {
  kSeqImportViewsThenFrames = 1,
  kSeqImportFramesThenViews = 2,
  kSeqImportPlate = 3,
  kSeqAlphaViewsThenFrames = 4,
  kSeqAlphaFramesThenViews = 5,
  kSeqAlphaPlate = 6,
  kSeqExportBitmaps = 7,
  kSeqExportBitmapPlate = 8,
  kSeqExportAlphas = 9,
  kSeqExportAlphaPlate = 10,
};

// The text fields, in layout order.
enum SequenceEditField : int {
  kFieldFrames,
  kFieldViews,
  kFieldTicksPerFrame,
  kFieldKeyFrame,
  kFieldLoopFrame,
  kFieldTransferPeriod,
  kFieldFirstSound,
  kFieldKeySound,
  kFieldLastSound,
  kFieldCount,
};

// The check boxes.
enum SequenceEditCheck : int {
  kCheckUseMirroring,
  kCheckNoRotation,
  kCheckHorzMirror,
  kCheckVertMirror,
  kCheckShadowIsLight,
  kCheckCount,
};

class X256SequenceEdit : public Window, public SequenceEditorWindow {
 public:
  X256SequenceEdit(X256Edit* editor, CollectionSequence* sequence);
  ~X256SequenceEdit() override;
  const char* ClassName() const override { return "X256SequenceEdit"; }

  // ---- SequenceEditorWindow ----
  CollectionSequence* EditedSequence() const override { return sequence_; }
  Window* AsWindow() override { return this; }
  void SequencesChanged() override;

  SequenceGridView* Grid() const { return grid_; }
  TextBox* Field(int field) const { return fields_[size_t(field)]; }
  ComboBox* ModeChoice() const { return mode_; }
  CheckBox* Check(int check) const { return checks_[size_t(check)]; }
  // The labels drawn left of the fields, with their places (client coordinates).
  const std::vector<std::pair<std::string, Rect>>& Labels() const { return labels_; }

  // Called with the cell when a view cell is double-clicked (opens the frame editor).
  std::function<void(CollectionSequence* sequence, int frame, int view)> open_frame_editor;

  // ---- commands (also reached from the fields, check boxes, menu and drops) ----
  // A field's text is stored when it parses and differs; otherwise the field shows the stored
  // value again.
  void CommitField(int field);
  void SetMode(uint16_t mode);
  void ToggleCheck(int check, bool on);
  void DropBitmaps(SequenceCell at, const std::vector<size_t>& bitmaps);
  void DropShadows(int frame, const std::vector<size_t>& shadows);
  void DropItems(SequenceCell at, const std::vector<GridDropItem>& items);
  Menu* BuildMenu() const;
  void RunCommand(int command);
  // The file dialogs' steps, separate so that each can be driven directly.
  void ImportBitmaps(const std::vector<std::string>& paths, AssignOrder order);
  void ImportPlate(const std::string& path);
  void ImportAlphas(const std::vector<std::string>& paths, AssignOrder order);
  void ImportAlphaPlate(const std::string& path);

  // ---- overrides ----
  void Layout() override;
  void DrawContent() override;
  void WillClose() override;
  int KeyDown(Event* event) override;

 private:
  size_t Index() const;
  // Fills fields, check boxes, grid and title from the sequence.
  void Refresh();
  void RefreshCellChecks();
  void RefreshTitle();
  // After a command: keeps its undo action when it changed something, refreshes, tells the
  // collection editor, and shows its messages.
  void Finish(const OperationResult& result, UndoableAction* action, bool bitmaps_changed);
  // What an undo or redo of this window's actions calls.
  std::function<void(bool bitmaps_changed)> RestoredCallback() const;
  void ShowMessages(const OperationResult& result) const;
  void ShowMenu(int x, int y);
  void ExportCells(bool alpha);
  void ExportPlate(bool alpha);

  // Receives a field's or check box's signals for it.
  struct Listener;
  void OnModeChosen(int value) { SetMode(uint16_t(value)); }

  X256Edit* editor_;
  CollectionSequence* sequence_;
  std::vector<std::unique_ptr<Listener>> listeners_;
  SequenceGridView* grid_ = nullptr;
  std::vector<TextBox*> fields_;
  ComboBox* mode_ = nullptr;
  std::vector<CheckBox*> checks_;
  std::vector<std::pair<std::string, Rect>> labels_;
  bool refreshing_ = false;
};

}  // namespace brae
