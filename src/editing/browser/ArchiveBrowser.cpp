#include "editing/browser/ArchiveBrowser.h"

// Index
//   the one browser ...................... ShowArchiveBrowser, CloseArchiveBrowser
//   lists with right-click menus ......... BrowserList
//   construction and layout .............. ArchiveBrowser, BuildChildren, Layout
//   mirroring the model .................. Sync, FillArchiveList, FillTagTree
//   commands, menus and keys ............. RunTagCommand, RunArchiveCommand, KeyDown
//   dialogs .............................. AskText, AskQuestion, ShowMessage, ChooseFolder

#include "core/Prefs.h"
#include "editing/browser/UsagesWindow.h"
#include "references/ReferenceLines.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

constexpr uint32_t kBrowserFlags = kWindowVisible | kWindowEnabled | kWindowTitleBar |
                                   kWindowShadow | kWindowThickBorder | kWindowResizable |
                                   kWindowGreyBackground | kWindowZoomBox | kWindowCollapseBox |
                                   kWindowFocusable;
constexpr int kArchiveColumnWidth = 196;
const char* const kPlacementKey = "ArchiveBrowserPlacement";

ArchiveBrowser* g_browser = nullptr;

// The toolkit's colours hold red in the low byte.
uint32_t PackColour(Colour c) {
  return 0xFF000000u | (uint32_t(c.b) << 16) | (uint32_t(c.g) << 8) | c.r;
}

// A list that opens its owner's context menu on a right click and passes Control shortcuts up.
class BrowserList : public ListWindow {
 public:
  BrowserList(uint32_t style, ArchiveBrowser* owner, int role)
      : ListWindow(style, kWindowVisible | kWindowFocusable), owner_(owner), role_(role) {}
  void ClientMouseButton(Event* event) override {
    if (event->Button() == 1 && event->Pressed()) {
      if (ListRow* row = RowAt(event->X(), event->Y()))
        if (!row->IsSelected()) Select(row, false);
      if (role_ == 2)
        owner_->TagTreeMenu(event->X(), event->Y());
      else
        owner_->ArchiveListMenu(role_ == 0, event->X(), event->Y());
      return;
    }
    ListWindow::ClientMouseButton(event);
  }
  int KeyDown(Event* event) override {
    if (event->Modifiers() & kModControl) return owner_->KeyDown(event);
    return ListWindow::KeyDown(event);
  }

 private:
  ArchiveBrowser* owner_;
  int role_;  // 0 active list, 1 inactive list, 2 tag tree
};

// The right side: the filter field above the tag tree.
class TagPane : public Window {
 public:
  TagPane() : Window(kWindowVisible) {}
  void Attach(TextBox* filter, ListWindow* tree) {
    filter_ = filter;
    tree_ = tree;
  }
  void Layout() override {
    if (!filter_ || !tree_) return;
    int h = tree_->RowHeight() + 8;
    filter_->SetFrame(Rect(0, 0, client.Width(), h));
    tree_->SetFrame(Rect(0, h + 2, client.Width(), client.Height()));
  }

 private:
  TextBox* filter_ = nullptr;
  ListWindow* tree_ = nullptr;
};

}  // namespace

// ---- The one browser

ArchiveBrowserHooks& TheArchiveBrowserHooks() {
  static ArchiveBrowserHooks hooks;
  return hooks;
}

ArchiveBrowser* TheArchiveBrowser() {
  return g_browser;
}

ArchiveBrowser* ShowArchiveBrowser() {
  if (!g_browser) g_browser = new ArchiveBrowser();
  TheCodex().PollLocalFolder(true);
  g_browser->Sync();
  g_browser->SetFlags(g_browser->Flags() | kWindowVisible);
  g_browser->BringToFront();
  // The keyboard lands in the filter field: typing narrows the tree at once, Tab reaches it.
  g_browser->FilterField()->SetFocus();
  return g_browser;
}

void CloseArchiveBrowser() {
  if (!g_browser) return;
  ArchiveBrowser* browser = g_browser;
  g_browser = nullptr;
  browser->Close();
}

void AddArchivesToBrowser(const std::vector<std::string>& paths) {
  ArchiveBrowser* browser = ShowArchiveBrowser();
  browser->Model().AddArchives(paths);
  browser->Sync();
}

// ---- Construction and layout

ArchiveBrowser::ArchiveBrowser() : Window(kBrowserFlags) {
  SetTitle("Archive Browser");
  SetFrame(Rect(40, 40, 940, 640));
  ThePrefs().GetWindowPlacement(this, kPlacementKey, true);
  BuildChildren();
  // The reference index hears of Codex changes before the browser and the windows it opens.
  ReferenceIndex& references = TheReferenceIndex();
  model_ = std::make_unique<ArchiveBrowserModel>(TheCodex(), ThePrefs(), *this);
  model_->SetUsageCounter([&references](const TagRecord* record) {
    return UsagesLostByDeleting(TheCodex(), references, record);
  });
  model_->Start();
  Sync();
}

ArchiveBrowser::~ArchiveBrowser() {
  // Shutdown deletes the window tree without closing each window; the placement is kept then too.
  if (!placement_saved_) ThePrefs().SetWindowPlacement(*this, kPlacementKey);
  if (g_browser == this) g_browser = nullptr;
}

void ArchiveBrowser::BuildChildren() {
  outer_ = new SplitterWindow(kWindowVisible, this);
  inner_ = new SplitterWindow(kWindowVisible);
  inner_->SetOrientation(kSplitStacked, false);
  active_list_ = new BrowserList(kListMultipleSelection | kListKeepSelectionOnEmpty, this, 0);
  active_list_->SetTitle("Active Archives List");
  inactive_list_ = new BrowserList(kListMultipleSelection, this, 1);
  inactive_list_->SetTitle("Inactive Archives List");
  auto* pane = new TagPane();
  tag_pane_ = pane;
  filter_ = new TextBox(kTextSingleLine, pane);
  filter_->SetTitle("Filter");
  tag_tree_ = new BrowserList(kListMultipleSelection | kListColumnHeader, this, 2);
  tag_tree_->SetTitle("Tag Tree");
  tag_tree_->SetParent(pane);
  pane->Attach(filter_, tag_tree_);
  for (int i = 0; i < kTagTreeColumnCount; ++i) {
    const TagTreeColumn& c = kTagTreeColumns[i];
    tag_tree_->AddColumn(c.title, c.width, c.shown ? 0u : uint32_t(kColumnHidden));
    tag_tree_->SetColumnPriority(i, TagColumnSortPriority(i));
  }
  // Tag rows store no text: their cells are formatted from the model's rows when drawn.
  tag_tree_->cell_text = [this](const ListRow* row, int column) {
    const TagItem* item = model_ ? model_->FindItem(RecordOf(row)) : nullptr;
    return item ? FormatTagColumn(item->row, column) : std::string();
  };
  inner_->SetPane(0, active_list_, 40);
  inner_->SetPane(1, inactive_list_, 40);
  outer_->SetPane(0, inner_, 80);
  outer_->SetPane(1, tag_pane_, 120);
  outer_->SetBarPosition(kArchiveColumnWidth);
  active_list_->selection_changed.Connect(this, &ArchiveBrowser::OnActiveSelection);
  inactive_list_->selection_changed.Connect(this, &ArchiveBrowser::OnInactiveSelection);
  tag_tree_->selection_changed.Connect(this, &ArchiveBrowser::OnTagSelection);
  tag_tree_->row_activated.Connect(this, &ArchiveBrowser::OnTagActivated);
  tag_tree_->delete_requested.Connect(this, &ArchiveBrowser::OnTagDelete);
  filter_->changed.Connect(this, &ArchiveBrowser::OnFilterChanged);
  // Tab moves the keyboard between the filter field and the tag tree.
  Window* ring[] = {filter_, tag_tree_};
  SetTabOrder(ring, 2);
}

void ArchiveBrowser::Layout() {
  if (!outer_) return;
  outer_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
  if (!outer_bar_placed_ && client.Width() > 0) {
    outer_->SetBarPosition(kArchiveColumnWidth);
    outer_bar_placed_ = true;
  }
  // The active list is exactly as tall as its content: its rows plus whatever its frame and
  // scroll bars take from the pane.
  int rows = int(active_list_->RowCount()) * active_list_->RowHeight();
  int pane = inner_->BarPosition();
  int overhead = std::max(0, pane - active_list_->ClientRect().Height());
  inner_->SetBarPosition(std::min(rows + overhead, std::max(40, client.Height() - 60)));
}

void ArchiveBrowser::WillClose() {
  ThePrefs().SetWindowPlacement(*this, kPlacementKey);
  placement_saved_ = true;
  model_->StopListening();
  if (g_browser == this) g_browser = nullptr;
}

void ArchiveBrowser::Idle() {
  Sync();
}

// ---- Mirroring the model

void ArchiveBrowser::Sync() {
  if (!model_ || syncing_ || IsClosed()) return;
  syncing_ = true;
  if (shown_lists_version_ != model_->ArchiveListVersion()) {
    shown_lists_version_ = model_->ArchiveListVersion();
    FillArchiveList(active_list_, model_->ActiveList());
    FillArchiveList(inactive_list_, model_->InactiveList());
    Layout();
  }
  std::vector<const TagRecord*> changed = model_->TakeChangedRows();
  if (shown_tree_version_ != model_->TreeVersion()) {
    shown_tree_version_ = model_->TreeVersion();
    FillTagTree();
  } else {
    for (const TagRecord* record : changed) RefreshRow(record);
  }
  syncing_ = false;
}

void ArchiveBrowser::FillArchiveList(ListWindow* list, const std::vector<ArchiveItem>& items) {
  list->Clear();
  for (size_t i = 0; i < items.size(); ++i) {
    ListRow* row = list->AddRow(nullptr, items[i].Label().c_str(), 0, int(i) + 1);
    if (items[i].selected) list->ToggleSelected(row);
  }
}

void ArchiveBrowser::FillTagTree() {
  std::vector<TagRecord*> selected;
  for (TagItem* item : model_->SelectedTags()) selected.push_back(item->record);
  tag_tree_->Clear();
  row_records_.clear();
  row_of_.clear();
  ListRow* first_selected = nullptr;
  for (const GroupView& group : model_->VisibleGroups()) {
    ListRow* group_row = tag_tree_->AddRow(nullptr, "", kRowExpanded, 0);
    tag_tree_->SetCell(group_row, 3, group.label.c_str());
    group_row->colour = group.has_editor ? 0xFFFFFFFFu : 0xFF7F7F7Fu;
    for (TagItem* item : group.tags) {
      row_records_.push_back(item->record);
      ListRow* row = tag_tree_->AddRow(group_row, "", 0, int(row_records_.size()));
      row_of_[item->record] = row;
      FillRow(row, *item);
      if (item->selected) {
        tag_tree_->ToggleSelected(row);
        if (!first_selected) first_selected = row;
      }
    }
  }
  // A sort the user chose from the column headers outlasts the refill.
  if (tag_tree_->HasChosenSortOrder()) tag_tree_->Sort();
  if (first_selected) tag_tree_->ScrollToRow(first_selected);
}

void ArchiveBrowser::FillRow(ListRow* row, const TagItem& item) {
  row->colour = PackColour(item.TextColour());
}

void ArchiveBrowser::RefreshRow(const TagRecord* record) {
  ListRow* row = RowOf(record);
  TagItem* item = model_->FindItem(record);
  if (!row || !item) return;
  FillRow(row, *item);
  tag_tree_->InvalidateClient();
}

TagRecord* ArchiveBrowser::RecordOf(const ListRow* row) const {
  if (!row || row->value <= 0 || size_t(row->value) > row_records_.size()) return nullptr;
  return row_records_[size_t(row->value) - 1];
}

ListRow* ArchiveBrowser::RowOf(const TagRecord* record) const {
  auto it = row_of_.find(record);
  return it == row_of_.end() ? nullptr : it->second;
}

void ArchiveBrowser::ReadArchiveSelection(bool active) {
  ListWindow* list = active ? active_list_ : inactive_list_;
  std::vector<bool> selected(active ? model_->ActiveList().size() : model_->InactiveList().size());
  for (ListRow* row : list->SelectedRows())
    if (row->value > 0 && size_t(row->value) <= selected.size()) selected[row->value - 1] = true;
  if (active)
    model_->SetActiveSelection(selected);
  else
    model_->SetInactiveSelection(selected);
}

void ArchiveBrowser::ReadTagSelection() {
  std::vector<TagRecord*> records;
  for (ListRow* row : tag_tree_->SelectedRows())
    if (TagRecord* record = RecordOf(row)) records.push_back(record);
  model_->SelectTags(records);
}

void ArchiveBrowser::OnActiveSelection() {
  if (syncing_) return;
  ReadArchiveSelection(true);
  Sync();
}

void ArchiveBrowser::OnInactiveSelection() {
  if (!syncing_) ReadArchiveSelection(false);
}

void ArchiveBrowser::OnTagSelection() {
  if (!syncing_) ReadTagSelection();
}

void ArchiveBrowser::OnTagActivated(ListRow*) {
  if (syncing_) return;
  ReadTagSelection();
  model_->Open();
}

void ArchiveBrowser::OnTagDelete() {
  RunTagCommand(kBrowserDelete);
}

void ArchiveBrowser::OnFilterChanged() {
  if (syncing_) return;
  ReadTagSelection();
  model_->SetFilter(filter_->Text());
  Sync();
}

// ---- Commands, menus and keys

void ArchiveBrowser::RunTagCommand(int command) {
  ReadTagSelection();
  switch (command) {
    case kBrowserOpen:
      model_->Open();
      break;
    case kBrowserGetInfo:
      model_->GetInfo();
      break;
    case kBrowserCopyToLocal:
      model_->CopyToLocal();
      break;
    case kBrowserDuplicate:
      model_->Duplicate();
      break;
    case kBrowserDelete:
      model_->Delete();
      break;
    case kBrowserToggleHidden:
      model_->ToggleHiddenGroups();
      break;
    case kBrowserFindUsages:
      FindUsages();
      return;
    default:
      return;
  }
  Sync();
}

void ArchiveBrowser::FindUsages() {
  std::vector<TagItem*> selected = model_->SelectedTags();
  if (selected.empty()) return;
  const TagRecord* record = selected.front()->record;
  UsagesWindow::Open({record->group, record->subgroup});
}

void ArchiveBrowser::RunArchiveCommand(int command, bool from_active) {
  ReadArchiveSelection(true);
  ReadArchiveSelection(false);
  switch (command) {
    case kBrowserDefaultWorkingSet:
      model_->DefaultWorkingSet();
      break;
    case kBrowserMoveSelection:
      model_->MoveSelection(from_active);
      break;
    case kBrowserDisassemble:
      model_->Disassemble(from_active);
      break;
    default:
      return;
  }
  Sync();
}

void ArchiveBrowser::TagTreeMenu(int x, int y) {
  ReadTagSelection();
  bool any = model_->HasTagSelection();
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Open (enter)", nullptr, kBrowserOpen, any);
  AddMenuItem(menu, "Get Info (cmd-I)", nullptr, kBrowserGetInfo, any);
  AddMenuItem(menu, "Copy To Local (cmd-K)", nullptr, kBrowserCopyToLocal, any);
  AddMenuItem(menu, "Duplicate (cmd-D)", nullptr, kBrowserDuplicate, any);
  AddMenuItem(menu, "Delete (del)", nullptr, kBrowserDelete, any);
  AddMenuItem(menu, "Find Usages (cmd-U)", nullptr, kBrowserFindUsages, any);
  AddSeparator(menu, nullptr);
  AddMenuItem(menu, "Toggle Hidden Groups (cmd-T)", nullptr, kBrowserToggleHidden);
  int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command > 0) RunTagCommand(command);
}

void ArchiveBrowser::ArchiveListMenu(bool active, int x, int y) {
  ReadArchiveSelection(active);
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Default Working Set", nullptr, kBrowserDefaultWorkingSet);
  AddMenuItem(menu, active ? "Deactivate Selection" : "Activate Selection", nullptr,
              kBrowserMoveSelection, model_->CanMoveSelection(active));
  AddMenuItem(menu, "Disassemble Archive", nullptr, kBrowserDisassemble,
              model_->CanDisassemble(active));
  int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command > 0) RunArchiveCommand(command, active);
}

int ArchiveBrowser::KeyDown(Event* event) {
  // Key events come for presses and releases; a command runs once, on the press.
  if (!event->Pressed() || !(event->Modifiers() & kModControl)) return 0;
  switch (event->Key()) {
    case 'O':
      RunTagCommand(kBrowserOpen);
      return 1;
    case 'I':
      RunTagCommand(kBrowserGetInfo);
      return 1;
    case 'K':
      RunTagCommand(kBrowserCopyToLocal);
      return 1;
    case 'D':
      RunTagCommand(kBrowserDuplicate);
      return 1;
    case 'T':
      RunTagCommand(kBrowserToggleHidden);
      return 1;
    case 'U':
      RunTagCommand(kBrowserFindUsages);
      return 1;
    default:
      return 0;
  }
}

// ---- Dialogs

void ArchiveBrowser::OpenTag(TagRecord* record) {
  if (TheArchiveBrowserHooks().open_tag) TheArchiveBrowserHooks().open_tag(record);
}

void ArchiveBrowser::BringInfoToFront(const void* info_window) {
  // The 'info' user of a record is its tag information window.
  auto* window = static_cast<Window*>(const_cast<void*>(info_window));
  if (window) window->Activate(0);
}

void ArchiveBrowser::OpenTagInfo(TagRecord* record) {
  if (TheArchiveBrowserHooks().open_tag_info) TheArchiveBrowserHooks().open_tag_info(record);
}

bool ArchiveBrowser::AskText(const std::string& title, std::string* text) {
  return ShowInputBox(title.c_str(), {"OK", "Cancel"}, text) == 0;
}

bool ArchiveBrowser::AskQuestion(const std::string& title, const std::string& message,
                                 const std::string& yes, const std::string& no) {
  return ShowMessageBox(title.c_str(), message.c_str(), {yes, no}) == 0;
}

void ArchiveBrowser::ShowMessage(const std::string& title, const std::string& message) {
  ShowMessageBox(title.c_str(), message.c_str(), {"OK"});
}

bool ArchiveBrowser::ChooseFolder(const std::string& title, std::string* folder) {
  if (TheArchiveBrowserHooks().choose_folder)
    return TheArchiveBrowserHooks().choose_folder(title, folder);
  // Without the platform's folder dialog the path is typed in.
  if (ShowInputBox(title.c_str(), {"OK", "Cancel"}, folder) != 0 || folder->empty()) return false;
  if (folder->back() != '/') *folder += '/';
  return true;
}

}  // namespace brae
