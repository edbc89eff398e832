#include "collection/ui/X256HueBrowser.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "collection/Collection.h"
#include "collection/CollectionImport.h"
#include "collection/HueChangeOperations.h"
#include "collection/SequenceOperations.h"
#include "collection/ui/X256HueEdit.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextPopup.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr uint32_t kBrowserFlags = kWindowVisible | kWindowEnabled;
constexpr uint32_t kListStyle = kListMultipleSelection | kListColumnHeader;
constexpr const char* kRenameHueChangePrompt = "Enter Hue Change Name";
constexpr const char* kHueChangeDeleteButton = "Delete";

}  // namespace

X256HueBrowser::X256HueBrowser(Collection* collection, Window* parent)
    : CommandListWindow(kListStyle, kBrowserFlags, parent), collection_(collection) {
  SetTitle("Hue Changes");
  AddColumn("Name", 256);
  row_activated.Connect(this, &X256HueBrowser::OnRowActivated);
  delete_requested.Connect(this, &X256HueBrowser::OnDeleteRequested);
  Refresh();
}

X256HueBrowser::~X256HueBrowser() {
  CloseHueEditors();
}

void X256HueBrowser::SelectHueChange(size_t index) {
  if (ListRow* row = FindRowByValue(int(index))) {
    Select(row, false);
    ScrollToRow(row);
  }
}

void X256HueBrowser::Refresh() {
  const std::vector<size_t> selected = SelectedIndices();
  Clear();
  if (!collection_) return;
  for (size_t i = 0; i < collection_->hue_changes.size(); ++i) {
    ListRow* row = AddRow(nullptr, HueChangeName(collection_->hue_changes[i]).c_str(), 0, int(i));
    if (std::find(selected.begin(), selected.end(), i) != selected.end()) ToggleSelected(row);
  }
  for (X256HueEdit* editor : editors_) editor->Refresh();
  Invalidate();
}

void X256HueBrowser::Changed() {
  Refresh();
  changed.Emit();
}

void X256HueBrowser::ShowMessages(const OperationResult& result) const {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

HueChangesRestored X256HueBrowser::Restorer() {
  return [this](HueListChange change, size_t index) { OnHueChangesRestored(change, index); };
}

// ---- context menu ---------------------------------------------------------------------------

Menu* X256HueBrowser::BuildContextMenu() const {
  const size_t selected = SelectedIndices().size();
  auto* menu = new Menu(false);
  AddMenuItem(menu, kRenameMenuItem, nullptr, kHueChangeRename, selected == 1);
  AddMenuItem(menu, kDeleteMenuItem, nullptr, kHueChangeDelete, selected > 0);
  AddMenuItem(menu, kNewHueChangeMenuItem, nullptr, kHueChangeNew);
  return menu;
}

bool X256HueBrowser::RecordExists(size_t index) const {
  return collection_->HueChangeAt(index) != nullptr;
}

void X256HueBrowser::OnCommand(int command, const std::vector<size_t>& selected) {
  switch (command) {
    case kHueChangeRename:
      if (selected.size() == 1) OnRenameHueChange(selected[0]);
      break;
    case kHueChangeDelete:
      if (!selected.empty()) OnDeleteHueChanges(selected);
      break;
    case kHueChangeNew:
      OnNewHueChange();
      break;
    default:
      break;
  }
}

void X256HueBrowser::OnDeleteRequested() {
  const std::vector<size_t> selected = SelectedIndices();
  if (!selected.empty()) OnDeleteHueChanges(selected);
}

// ---- the commands ---------------------------------------------------------------------------

void X256HueBrowser::OnNewHueChange() {
  size_t index = 0;
  OperationResult result = NewHueChange(collection_, &index);
  if (!result.changed) {
    ShowMessages(result);
    return;
  }
  if (undo_) undo_->Perform(new HueChangeInsertAction(collection_, index, Restorer()), true);
  Changed();
  SelectHueChange(index);
}

bool X256HueBrowser::EditNameInPlace(size_t index, std::string* name) {
  ListRow* row = FindRowByValue(int(index));
  if (!row) return false;
  ScrollToRow(row);
  size_t shown = ShownCount();
  for (size_t i = 0; i < ShownCount(); ++i)
    if (ShownRow(i) == row) shown = i;
  if (shown == ShownCount()) return false;
  Rect screen = RowRect(shown);
  if (screen.IsEmpty()) return false;
  screen.x1 = std::min(screen.x1, screen.x0 + Column(0).width);
  Point corners[2] = {{screen.x0, screen.y0}, {screen.x1, screen.y1}};
  ScreenToClient(corners, 2);
  if (!rename_box_) {
    rename_box_ = new TextBox(kTextSingleLine, this, kWindowEnabled);
    rename_box_->SetMaxLength(int(kItemNameLength));
  }
  rename_box_->SetText(name->c_str());
  auto* popup = new TextPopup(this, Rect(corners[0].x, corners[0].y, corners[1].x, corners[1].y),
                              rename_box_);
  popup->Run();
  *name = rename_box_->Text();
  return true;
}

void X256HueBrowser::OnRenameHueChange(size_t index) {
  const HueChange* h = collection_->HueChangeAt(index);
  if (!h) return;
  std::string name = HueChangeName(*h);
  if (!EditNameInPlace(index, &name)) {
    if (ShowInputBox(kRenameHueChangePrompt, {"OK", kCancelButton}, &name) != 0) return;
  }
  ApplyRename(index, name);
}

void X256HueBrowser::OnDeleteHueChanges(const std::vector<size_t>& indices) {
  std::vector<std::pair<size_t, HueChange>> removed;
  OperationResult result = DeleteHueChanges(
      collection_, indices, [this](size_t i) { return FindHueEditor(i) != nullptr; },
      [](const std::string& text) {
        return ShowMessageBox(kConfirmDeleteTitle, text.c_str(),
                              {kHueChangeDeleteButton, kCancelButton}) == 0;
      },
      &removed);
  if (result.changed) {
    // The editors of hue changes after the removed ones follow them down the list.
    for (auto it = removed.rbegin(); it != removed.rend(); ++it)
      FollowIndices(HueListChange::kRemoved, it->first);
    if (undo_)
      undo_->Perform(new HueChangeDeleteAction(collection_, std::move(removed), Restorer()), true);
    Changed();
  }
  ShowMessages(result);
}

// ---- changes from the editors ---------------------------------------------------------------

void X256HueBrowser::ApplyRename(size_t index, const std::string& name) {
  const HueChange* h = collection_->HueChangeAt(index);
  if (!h) return;
  const HueChange before = *h;
  OperationResult result = RenameHueChange(collection_, index, name);
  if (result.changed) {
    if (undo_)
      undo_->Perform(new HueChangeRenameAction(collection_, index, before,
                                               collection_->hue_changes[index], Restorer()),
                     true);
    Changed();
  }
  ShowMessages(result);
}

void X256HueBrowser::ApplyFields(size_t index, const HueChange& after) {
  HueChange* h = collection_->HueChangeAt(index);
  if (!h) return;
  HueChange wanted = after;
  std::memcpy(wanted.name, h->name, sizeof wanted.name);
  if (std::memcmp(&wanted, h, sizeof wanted) == 0) return;
  const HueChange before = *h;
  *h = wanted;
  if (undo_)
    undo_->Perform(new HueChangeFieldAction(collection_, index, before, wanted, Restorer()), true);
  Changed();
}

void X256HueBrowser::PreviewHues(size_t index, const HueChange& live) {
  HueChange* h = collection_->HueChangeAt(index);
  if (!h) return;
  h->start_hue = live.start_hue;
  h->median_hue = live.median_hue;
  h->end_hue = live.end_hue;
  changed.Emit();
}

void X256HueBrowser::ApplyHueDrag(size_t index, const HueChange& before, const HueChange& after) {
  HueChange* h = collection_->HueChangeAt(index);
  if (!h) return;
  h->start_hue = after.start_hue;
  h->median_hue = after.median_hue;
  h->end_hue = after.end_hue;
  if (undo_)
    undo_->Perform(new HueMarkerDragAction(collection_, index, before, after, Restorer()), true);
  Changed();
}

void X256HueBrowser::OnHueChangesRestored(HueListChange change, size_t index) {
  FollowIndices(change, index);
  Changed();
}

void X256HueBrowser::FollowIndices(HueListChange change, size_t index) {
  std::vector<X256HueEdit*> gone;
  for (X256HueEdit* editor : editors_) {
    const size_t at = editor->Index();
    if (change == HueListChange::kInserted && at >= index) editor->SetIndex(at + 1);
    if (change == HueListChange::kRemoved) {
      if (at == index)
        gone.push_back(editor);
      else if (at > index)
        editor->SetIndex(at - 1);
    }
  }
  for (X256HueEdit* editor : gone) {
    OnEditorClosed(editor);
    editor->closed.Disconnect(this);
    editor->Detach();
  }
}

// ---- the editors ----------------------------------------------------------------------------

X256HueEdit* X256HueBrowser::FindHueEditor(size_t index) const {
  for (X256HueEdit* editor : editors_)
    if (editor->Index() == index) return editor;
  return nullptr;
}

X256HueEdit* X256HueBrowser::OpenHueEditor(size_t index) {
  if (!collection_->HueChangeAt(index)) return nullptr;
  if (X256HueEdit* open = FindHueEditor(index)) {
    open->BringToFront();
    open->SetFocus(0);
    return open;
  }
  auto* editor = new X256HueEdit(this, index);
  editor->closed.Connect(this, &X256HueBrowser::OnEditorClosed);
  editors_.push_back(editor);
  return editor;
}

void X256HueBrowser::OnEditorClosed(X256HueEdit* editor) {
  auto it = std::find(editors_.begin(), editors_.end(), editor);
  if (it != editors_.end()) editors_.erase(it);
}

void X256HueBrowser::CloseHueEditors() {
  std::vector<X256HueEdit*> open;
  open.swap(editors_);
  for (X256HueEdit* editor : open) {
    editor->closed.Disconnect(this);
    editor->Detach();
  }
}

void X256HueBrowser::OnRowActivated(ListRow* row) {
  if (row && row->value >= 0) OpenHueEditor(size_t(row->value));
}

}  // namespace brae
