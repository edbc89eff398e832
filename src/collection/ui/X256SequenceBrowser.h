#pragma once
// The Sequences tab of the collection editor: one row per sequence, by name, in collection
// order, with the context menu "Rename", "Duplicate", "Delete", "New Sequence", reordering by
// dragging rows, and a double click that opens a sequence's editor. Every change is kept as
// one undo action on the editor's undo stack and emits `changed`.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "collection/ui/CommandListWindow.h"

namespace brae {

class Collection;
class CollectionSequence;
class Menu;
class SequenceEditorWindow;
class TextBox;
class UndoStack;
struct OperationResult;

// Context menu ids.
enum SequenceCommand : int {
  kSequenceRename = 0,
  kSequenceDuplicate = 1,
  kSequenceDelete = 2,
  kSequenceNew = 3,
};

class X256SequenceBrowser : public CommandListWindow {
 public:
  X256SequenceBrowser(Collection* collection, Window* parent = nullptr);
  ~X256SequenceBrowser() override;
  const char* ClassName() const override { return "X256SequenceBrowser"; }

  Collection* GetCollection() const { return collection_; }
  // Selects the row of the sequence at index (alone).
  void SelectSequence(size_t index);

  // Fills the rows again from the collection (after a load or a change); the selection
  // survives by sequence.
  void Refresh();

  Menu* BuildContextMenu() const override;

  // Where the commands keep their undo actions (none: they are not kept).
  void SetUndo(UndoStack* stack) { undo_ = stack; }
  UndoStack* Undos() const { return undo_; }
  // After an undo or redo changed the sequence list: the rows are built again and `changed`
  // emitted.
  void SequencesRestored();

  // Whether the sequence at index has an open editor window. Deleting it is refused. By
  // default the registered windows answer.
  std::function<bool(size_t index)> is_open;
  // Opens the editor of a sequence (or brings it to the front); called on a double click.
  std::function<void(CollectionSequence* sequence)> open_editor;

  // ---- the open sequence and frame editors ----
  void RegisterEditor(SequenceEditorWindow* editor);
  void UnregisterEditor(SequenceEditorWindow* editor);
  const std::vector<SequenceEditorWindow*>& Editors() const { return editors_; }
  bool HasOpenEditors() const { return !editors_.empty(); }
  bool IsSequenceOpen(const CollectionSequence* sequence) const;
  // Closes every registered window whose sequence is no longer in the collection and tells
  // the others that the sequences changed. `except` (if any) made the change itself.
  void NotifyEditors(SequenceEditorWindow* except = nullptr);
  void CloseEditors();

  Signal<> changed;

  // ---- the commands ----
  virtual void OnNewSequence();
  virtual void OnRenameSequence(size_t index);
  virtual void OnDuplicateSequence(size_t index);
  virtual void OnDeleteSequences(const std::vector<size_t>& indices);
  // Rows dropped before the sequence at `before` (the list's size: at the end).
  virtual void OnMoveSequences(const std::vector<size_t>& indices, size_t before);
  virtual void OnOpenSequence(size_t index);

 protected:
  int CommandCount() const override { return kSequenceNew + 1; }
  void OnCommand(int command, const std::vector<size_t>& selected) override;
  bool RecordExists(size_t index) const override;

 private:
  void OnRowActivated(ListRow* row);
  void OnDeleteRequested();
  int OnDrag(ListRow* target, ListItemDDData* data, bool dropped);
  // After a command changed the sequence list: the rows are built again, `changed` emitted.
  void Changed();
  void ShowMessages(const OperationResult& result) const;
  bool EditNameInPlace(size_t index, std::string* name);

  Collection* collection_;
  UndoStack* undo_ = nullptr;
  TextBox* rename_box_ = nullptr;  // lent to the in-place rename pop-up
  std::vector<SequenceEditorWindow*> editors_;
};

}  // namespace brae
