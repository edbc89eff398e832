#pragma once
// The Hue Changes tab of the collection editor: one row per hue change, by name, in collection
// order, with the context menu "Rename", "Delete", "New Hue Change", and a double click that
// opens the hue change's editor (or brings it to the front). The open editors register here;
// their edits come back through the Apply functions, so that every change of the tab and its
// editors is one undo action on the editor's undo stack and emits `changed`.

#include <cstddef>
#include <string>
#include <vector>

#include "collection/ui/CommandListWindow.h"
#include "collection/ui/HueChangeActions.h"

namespace brae {

class Collection;
class Menu;
class TextBox;
class UndoStack;
class X256HueEdit;
struct OperationResult;

// Context menu ids.
enum HueChangeCommand : int {
  kHueChangeRename = 0,
  kHueChangeDelete = 1,
  kHueChangeNew = 2,
};

class X256HueBrowser : public CommandListWindow {
 public:
  explicit X256HueBrowser(Collection* collection, Window* parent = nullptr);
  ~X256HueBrowser() override;
  const char* ClassName() const override { return "X256HueBrowser"; }

  Collection* GetCollection() const { return collection_; }
  void SelectHueChange(size_t index);
  // Fills the rows again from the collection (after a load or a change) and refreshes the open
  // editors; the selection survives by index.
  void Refresh();

  Menu* BuildContextMenu() const override;

  void SetUndo(UndoStack* stack) { undo_ = stack; }
  UndoStack* Undos() const { return undo_; }

  // ---- the editors ----
  X256HueEdit* OpenHueEditor(size_t index);
  X256HueEdit* FindHueEditor(size_t index) const;
  const std::vector<X256HueEdit*>& HueEditors() const { return editors_; }
  // Closes every editor (the collection is replaced or the tab goes away).
  void CloseHueEditors();

  // ---- changes from the editors: each is one undo action, then `changed` ----
  void ApplyRename(size_t index, const std::string& name);
  // A field edit: the record as the editor wants it (the name is not taken from it).
  void ApplyFields(size_t index, const HueChange& after);
  // A marker drag in progress: the hues are shown at once, no undo action yet.
  void PreviewHues(size_t index, const HueChange& live);
  // The drag is over: one action from the hues before it to those after it.
  void ApplyHueDrag(size_t index, const HueChange& before, const HueChange& after);

  // After an undo or redo: editors follow their hue changes' indices, an editor whose hue
  // change was removed closes, the rows are built again and `changed` emitted.
  void OnHueChangesRestored(HueListChange change, size_t index);

  Signal<> changed;

  // ---- the commands ----
  virtual void OnNewHueChange();
  virtual void OnRenameHueChange(size_t index);
  virtual void OnDeleteHueChanges(const std::vector<size_t>& indices);

 protected:
  int CommandCount() const override { return kHueChangeNew + 1; }
  void OnCommand(int command, const std::vector<size_t>& selected) override;
  bool RecordExists(size_t index) const override;

 private:
  void OnRowActivated(ListRow* row);
  void OnDeleteRequested();
  void OnEditorClosed(X256HueEdit* editor);
  // The list changed at index: editors after it move with their hue changes; the editor of a
  // removed hue change closes.
  void FollowIndices(HueListChange change, size_t index);
  void Changed();
  void ShowMessages(const OperationResult& result) const;
  bool EditNameInPlace(size_t index, std::string* name);
  HueChangesRestored Restorer();

  Collection* collection_;
  UndoStack* undo_ = nullptr;
  std::vector<X256HueEdit*> editors_;
  TextBox* rename_box_ = nullptr;
};

}  // namespace brae
