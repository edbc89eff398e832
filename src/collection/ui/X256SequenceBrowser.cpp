#include "collection/ui/X256SequenceBrowser.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

#include "collection/Collection.h"
#include "collection/CollectionImport.h"
#include "collection/SequenceOperations.h"
#include "collection/ui/SequenceActions.h"
#include "collection/ui/SequenceEditorWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextPopup.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr uint32_t kBrowserFlags = kWindowVisible | kWindowEnabled;
constexpr uint32_t kListStyle = kListMultipleSelection | kListColumnHeader | kListDragRows;
constexpr const char* kRenameSequencePrompt = "Enter Sequence Name";

}  // namespace

X256SequenceBrowser::X256SequenceBrowser(Collection* collection, Window* parent)
    : CommandListWindow(kListStyle, kBrowserFlags, parent), collection_(collection) {
  SetTitle("Sequences");
  AddColumn("Name", 256);
  row_activated.Connect(this, &X256SequenceBrowser::OnRowActivated);
  delete_requested.Connect(this, &X256SequenceBrowser::OnDeleteRequested);
  drag_hook = [this](ListWindow*, ListRow* target, ListItemDDData* data, bool dropped) {
    return OnDrag(target, data, dropped);
  };
  is_open = [this](size_t index) { return IsSequenceOpen(collection_->SequenceAt(index)); };
  Refresh();
}

X256SequenceBrowser::~X256SequenceBrowser() = default;

void X256SequenceBrowser::SelectSequence(size_t index) {
  if (ListRow* row = FindRowByValue(int(index))) {
    Select(row, false);
    ScrollToRow(row);
  }
}

void X256SequenceBrowser::Refresh() {
  std::unordered_set<const CollectionSequence*> selected;
  for (size_t i : SelectedIndices()) selected.insert(collection_->SequenceAt(i));
  Clear();
  if (!collection_) return;
  for (size_t i = 0; i < collection_->sequences.size(); ++i) {
    const CollectionSequence* s = collection_->sequences[i].get();
    ListRow* row = AddRow(nullptr, s->name.c_str(), 0, int(i));
    if (selected.count(s)) ToggleSelected(row);
  }
  Invalidate();
}

void X256SequenceBrowser::Changed() {
  Refresh();
  NotifyEditors();
  changed.Emit();
}

// ---- open editors ---------------------------------------------------------------------------

void X256SequenceBrowser::RegisterEditor(SequenceEditorWindow* editor) {
  if (editor && std::find(editors_.begin(), editors_.end(), editor) == editors_.end())
    editors_.push_back(editor);
}

void X256SequenceBrowser::UnregisterEditor(SequenceEditorWindow* editor) {
  editors_.erase(std::remove(editors_.begin(), editors_.end(), editor), editors_.end());
}

bool X256SequenceBrowser::IsSequenceOpen(const CollectionSequence* sequence) const {
  if (!sequence) return false;
  for (SequenceEditorWindow* e : editors_)
    if (e->EditedSequence() == sequence) return true;
  return false;
}

void X256SequenceBrowser::NotifyEditors(SequenceEditorWindow* except) {
  // Copied: closing a window unregisters it.
  std::vector<SequenceEditorWindow*> editors = editors_;
  for (SequenceEditorWindow* e : editors) {
    if (collection_->IndexOfSequence(e->EditedSequence()) < 0) {
      UnregisterEditor(e);
      e->AsWindow()->Close();
    } else if (e != except) {
      e->SequencesChanged();
    }
  }
}

void X256SequenceBrowser::CloseEditors() {
  std::vector<SequenceEditorWindow*> editors;
  editors.swap(editors_);
  for (SequenceEditorWindow* e : editors) e->AsWindow()->Close();
}

void X256SequenceBrowser::SequencesRestored() {
  Changed();
}

void X256SequenceBrowser::ShowMessages(const OperationResult& result) const {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

// ---- context menu ---------------------------------------------------------------------------

Menu* X256SequenceBrowser::BuildContextMenu() const {
  const size_t selected = SelectedIndices().size();
  auto* menu = new Menu(false);
  AddMenuItem(menu, kRenameMenuItem, nullptr, kSequenceRename, selected == 1);
  AddMenuItem(menu, kDuplicateMenuItem, nullptr, kSequenceDuplicate, selected == 1);
  AddMenuItem(menu, kDeleteMenuItem, nullptr, kSequenceDelete, selected > 0);
  AddSeparator(menu, nullptr);
  AddMenuItem(menu, kNewSequenceMenuItem, nullptr, kSequenceNew);
  return menu;
}

bool X256SequenceBrowser::RecordExists(size_t index) const {
  return collection_->SequenceAt(index) != nullptr;
}

void X256SequenceBrowser::OnCommand(int command, const std::vector<size_t>& selected) {
  switch (command) {
    case kSequenceRename:
      if (selected.size() == 1) OnRenameSequence(selected[0]);
      break;
    case kSequenceDuplicate:
      if (selected.size() == 1) OnDuplicateSequence(selected[0]);
      break;
    case kSequenceDelete:
      if (!selected.empty()) OnDeleteSequences(selected);
      break;
    case kSequenceNew:
      OnNewSequence();
      break;
    default:
      break;
  }
}

void X256SequenceBrowser::OnDeleteRequested() {
  const std::vector<size_t> selected = SelectedIndices();
  if (!selected.empty()) OnDeleteSequences(selected);
}

// ---- the commands ---------------------------------------------------------------------------

void X256SequenceBrowser::OnNewSequence() {
  OperationResult result = NewSequence(collection_);
  if (result.changed) {
    if (undo_)
      undo_->Perform(new SequenceInsertAction(collection_, result.sequences, kNewSequenceMenuItem,
                                              [this]() { SequencesRestored(); }),
                     true);
    Changed();
    SelectSequence(result.sequences[0]);
    ShowMessages(result);
    // The new sequence's name is edited at once.
    OnRenameSequence(result.sequences[0]);
    return;
  }
  ShowMessages(result);
}

// The name is edited in place over the row; false when the row is not shown.
bool X256SequenceBrowser::EditNameInPlace(size_t index, std::string* name) {
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
    rename_box_ = new TextBox(5, this, kWindowEnabled);
    rename_box_->SetMaxLength(int(kItemNameLength));
  }
  rename_box_->SetText(name->c_str());
  auto* popup = new TextPopup(this, Rect(corners[0].x, corners[0].y, corners[1].x, corners[1].y),
                              rename_box_);
  popup->Run();
  *name = rename_box_->Text();
  return true;
}

void X256SequenceBrowser::OnRenameSequence(size_t index) {
  CollectionSequence* s = collection_->SequenceAt(index);
  if (!s) return;
  std::string name = s->name;
  if (!EditNameInPlace(index, &name)) {
    if (ShowInputBox(kRenameSequencePrompt, {"OK", kCancelButton}, &name) != 0) return;
  }
  const std::string before = s->name;
  OperationResult result = RenameSequence(collection_, index, name);
  if (result.changed) {
    if (undo_)
      undo_->Perform(new SequenceRenameAction(collection_, index, before, s->name,
                                              [this]() { SequencesRestored(); }),
                     true);
    Changed();
  }
  ShowMessages(result);
}

void X256SequenceBrowser::OnDuplicateSequence(size_t index) {
  OperationResult result = DuplicateSequence(collection_, index);
  if (result.changed) {
    if (undo_)
      undo_->Perform(new SequenceInsertAction(collection_, result.sequences, kDuplicateMenuItem,
                                              [this]() { SequencesRestored(); }),
                     true);
    Changed();
    SelectSequence(result.sequences[0]);
  }
  ShowMessages(result);
}

void X256SequenceBrowser::OnDeleteSequences(const std::vector<size_t>& indices) {
  // Copies of the sequences, for the undo action, taken before they go.
  std::vector<std::pair<size_t, std::unique_ptr<CollectionSequence>>> removed;
  for (size_t i : indices)
    if (CollectionSequence* s = collection_->SequenceAt(i))
      removed.emplace_back(i, std::make_unique<CollectionSequence>(*s));
  std::sort(removed.begin(), removed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  OperationResult result =
      DeleteSequences(collection_, indices, is_open, [](const std::string& text) {
        return ShowMessageBox(kConfirmDeleteTitle, text.c_str(),
                              {kSequenceDeleteButton, kCancelButton}) == 0;
      });
  if (result.changed) {
    if (undo_)
      undo_->Perform(new SequenceDeleteAction(collection_, std::move(removed),
                                              [this]() { SequencesRestored(); }),
                     true);
    Changed();
  }
  ShowMessages(result);
}

void X256SequenceBrowser::OnMoveSequences(const std::vector<size_t>& indices, size_t before) {
  std::vector<const CollectionSequence*> old_order;
  for (auto& s : collection_->sequences) old_order.push_back(s.get());
  OperationResult result = MoveSequences(collection_, indices, before);
  if (result.changed) {
    std::vector<size_t> order;
    for (auto& s : collection_->sequences)
      order.push_back(
          size_t(std::find(old_order.begin(), old_order.end(), s.get()) - old_order.begin()));
    if (undo_)
      undo_->Perform(
          new SequenceMoveAction(collection_, std::move(order), [this]() { SequencesRestored(); }),
          true);
    Changed();
  }
  ShowMessages(result);
}

void X256SequenceBrowser::OnOpenSequence(size_t index) {
  CollectionSequence* s = collection_->SequenceAt(index);
  if (s && open_editor) open_editor(s);
}

void X256SequenceBrowser::OnRowActivated(ListRow* row) {
  if (row && row->value >= 0) OnOpenSequence(size_t(row->value));
}

int X256SequenceBrowser::OnDrag(ListRow* target, ListItemDDData* data, bool dropped) {
  // Only rows of this list, shown in collection order, can be dropped into it.
  if (!data || data->list != this || HasChosenSortOrder()) return 0;
  if (!dropped) return 1;
  std::vector<size_t> indices;
  for (ListRow* row : data->rows)
    if (row->value >= 0 && collection_->SequenceAt(size_t(row->value)))
      indices.push_back(size_t(row->value));
  if (indices.empty()) return 0;
  const size_t before =
      target && target->value >= 0 ? size_t(target->value) : collection_->sequences.size();
  OnMoveSequences(indices, before);
  return 1;
}

}  // namespace brae
