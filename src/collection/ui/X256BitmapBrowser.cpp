#include "collection/ui/X256BitmapBrowser.h"

// Index
//   the count label ...................... CountLabelWindow
//   construction, layout, filling ........ X256BitmapBrowser, Layout, Refresh, RefreshUsage
//   thumbnails and row texts ............. DrawThumbnail, ThumbnailRect, CellText
//   context menu and commands ............ HandleEvent, BuildContextMenu, RunCommand
//   the command hooks .................... OnRenameBitmap ... OnMoveBitmaps
//   bitmap windows ....................... OpenBitmapWindow, CloseBitmapWindows

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <unordered_map>

#include "collection/BitmapExport.h"
#include "collection/BitmapOperations.h"
#include "collection/BitmapReplace.h"
#include "collection/Collection.h"
#include "collection/CollectionImport.h"
#include "collection/Plates.h"
#include "collection/ui/BitmapActions.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/BitmapWindow.h"
#include "collection/ui/ExternalBitmapEdits.h"
#include "core/Prefs.h"
#include "media/ui/MediaDialogs.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextPopup.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr uint32_t kBrowserFlags = kWindowVisible | kWindowEnabled;
constexpr uint32_t kListStyle = kListMultipleSelection | kListColumnHeader | kListDragRows;
constexpr uint32_t kUsedColour = 0xFFFFFFFFu;
constexpr uint32_t kUnusedColour = 0xFFC0C0C0u;  // (192, 192, 192)
constexpr uint32_t kPictureBackground = 0xFF2A2A2Au;
constexpr int kThumbnailSide = 80;
constexpr int kThumbnailMargin = 2;
constexpr int kStripHeight = 32;
constexpr uint32_t kStripBackground = 0xFF262626u;
// Ids of the items that only open a submenu (never returned as a command).
constexpr int kSubmenuSelected = 100;
constexpr int kSubmenuAll = 101;
constexpr int kSubmenuFormat = 102;

// The count label: its title, drawn at the left of the strip above the views.
class CountLabelWindow : public Window {
 public:
  explicit CountLabelWindow(Window* parent) : Window(kWindowVisible, parent) {}
  const char* ClassName() const override { return "Label"; }
  void DrawContent() override {
    SetColor(0xFFFFFFFFu);
    DrawTextInRect(this, Title(), Rect(0, 0, client.Width(), client.Height()),
                   kTextCentreVertically | kTextShadow);
  }
};

// The ids of the "All" submenu.
bool IsAllCommand(int command) {
  switch (command) {
    case kCommandExportAll:
    case kCommandExportPlateAll:
    case kCommandExportAlphaPlateAll:
    case kCommandExportAlphaAll:
    case kCommandReplaceAll:
    case kCommandReplaceAlphaAll:
    case kCommandReplaceFromPlateAll:
    case kCommandReplaceAlphaFromPlateAll:
    case kCommandDeleteAll:
    case kCommandRemoveAlphaAll:
    case kCommandConvertToRleAll:
    case kCommandConvertToRawAll:
    case kCommandCropAll:
    case kCommandUncropAll:
      return true;
    default:
      return false;
  }
}

Rect ThumbnailBox(const Rect& picture) {
  return picture.Inset(kThumbnailMargin);
}

}  // namespace

// ---- construction, layout, filling ----------------------------------------------------------

X256BitmapBrowser::X256BitmapBrowser(int mode, Collection* collection, BitmapTextures* textures,
                                     Window* parent)
    : ListGridWindow(kListStyle, kGridMultipleSelection, kBrowserFlags, parent),
      mode_(mode == kBrowseShadows ? kBrowseShadows : kBrowseBitmaps),
      collection_(collection),
      textures_(textures) {
  SetTitle(mode_ == kBrowseBitmaps ? "Bitmaps" : "Shadows");
  count_label_ = new CountLabelWindow(this);
  ListWindow* list = List();
  list->SetTitle("Bitmaps Table");
  list->AddColumn("Name", 256);
  list->AddColumn("Bits", 48);
  list->AddColumn("Format", 40);
  list->AddColumn("Dimensions", 128);
  list->cell_text = [this](const ListRow* row, int column) { return CellText(row, column); };
  list->row_activated.Connect(this, &X256BitmapBrowser::OnRowActivated);
  list->delete_requested.Connect(this, &X256BitmapBrowser::OnDeleteRequested);
  list->drag_hook = [this](ListWindow*, ListRow* target, ListWindow::ListItemDDData* data,
                           bool dropped) { return OnDrag(target, data, dropped); };
  GridWindow* grid = Grid();
  grid->SetTitle("Bitmaps Grid");
  grid->SetCellSize(kThumbnailSide, kThumbnailSide);
  grid->draw_picture = [this](int index, const Rect& picture) { DrawThumbnail(index, picture); };
  grid->cell_activated.Connect(this, &X256BitmapBrowser::OnCellActivated);
  grid->delete_callback = [this](GridWindow*) { OnDeleteRequested(); };
  grid->drag_data = [this](GridWindow*, const std::vector<int>& cells) {
    return GridDragData(cells);
  };
  view_changed.Connect(this, &X256BitmapBrowser::OnViewChanged);
  focus_child = list;
  Refresh();
  Layout();
}

X256BitmapBrowser::~X256BitmapBrowser() {
  CloseBitmapWindows();
}

void X256BitmapBrowser::Layout() {
  ListGridWindow::Layout();
  if (count_label_) {
    int right = ViewButton() ? ViewButton()->ParentRelativeFrame().x0 - 8 : client.Width();
    count_label_->SetFrame(Rect(8, 0, std::max(8, right), kStripHeight));
  }
}

// The strip above the views (count label and view button) on a plain background.
void X256BitmapBrowser::DrawContent() {
  SetColor(kStripBackground);
  FillRect(Rect(0, 0, client.Width(), kStripHeight));
}

void X256BitmapBrowser::Refresh() {
  // The selection survives by bitmap.
  std::unordered_set<const CollectionBitmap*> selected;
  for (CollectionBitmap* b : SelectedBitmaps()) selected.insert(b);

  listed_.clear();
  if (collection_)
    for (const auto& b : collection_->bitmaps)
      if (b->IsShadow() == (mode_ == kBrowseShadows)) listed_.push_back(b.get());

  ListWindow* list = List();
  GridWindow* grid = Grid();
  list->Clear();
  grid->Clear();
  for (size_t i = 0; i < listed_.size(); ++i) {
    const CollectionBitmap* b = listed_[i];
    ListRow* row = list->AddRow(nullptr, b->name.c_str(), 0, int(i));
    int cell = grid->AddCell(b->name.c_str());
    if (selected.count(b)) {
      list->ToggleSelected(row);
      grid->SelectCell(cell, true);
    }
  }
  if (list->HasChosenSortOrder()) list->Sort();
  RefreshUsage();
  UpdateCountLabel();
  if (textures_) textures_->Prune();
  // Windows of bitmaps that left the list close.
  std::vector<BitmapWindow*> gone;
  for (BitmapWindow* w : windows_)
    if (std::find(listed_.begin(), listed_.end(), w->Bitmap()) == listed_.end())
      gone.push_back(w);
    else
      w->Refresh();
  for (BitmapWindow* w : gone) w->Detach();
  InvalidateClient();
}

void X256BitmapBrowser::RefreshUsage() {
  used_.clear();
  if (collection_) {
    for (const auto& s : collection_->sequences)
      for (const CollectionFrame& f : s->frames) {
        for (const auto& view : f.views)
          if (view && view->bitmap) used_.insert(view->bitmap);
        if (f.shadow.bitmap) used_.insert(f.shadow.bitmap);
      }
  }
  for (ListRow* row : List()->Roots()) {
    size_t i = size_t(row->value);
    if (i < listed_.size()) row->colour = used_.count(listed_[i]) ? kUsedColour : kUnusedColour;
  }
  List()->InvalidateClient();
}

void X256BitmapBrowser::UpdateCountLabel() {
  char text[64];
  const int count = int(listed_.size());
  std::snprintf(text, sizeof text, "%3d %s%s:", count,
                mode_ == kBrowseBitmaps ? "Bitmap" : "Shadow", count == 1 ? "" : "s");
  count_label_->SetTitle(text);
  count_label_->InvalidateClient();
}

void X256BitmapBrowser::CollectionChanged(const std::vector<CollectionBitmap*>& changed_bitmaps,
                                          bool palette_changed) {
  if (textures_) {
    if (palette_changed)
      textures_->InvalidateAll();
    else
      for (CollectionBitmap* b : changed_bitmaps) textures_->Invalidate(b);
  }
  Refresh();
  for (BitmapWindow* w : windows_) w->InvalidateClient();
  changed.Emit();
}

// ---- thumbnails and row texts ---------------------------------------------------------------

void X256BitmapBrowser::DrawThumbnail(int index, const Rect& picture) {
  SetColor(kPictureBackground);
  FillRect(picture);
  if (index < 0 || size_t(index) >= listed_.size() || !textures_) return;
  const CollectionBitmap* b = listed_[size_t(index)];
  textures_->Draw(b, FitBitmap(b->width, b->height, ThumbnailBox(picture)));
}

Rect X256BitmapBrowser::ThumbnailRect(int listed_index) const {
  if (View() != kShowGrid || listed_index < 0 || size_t(listed_index) >= listed_.size())
    return Rect();
  const CollectionBitmap* b = listed_[size_t(listed_index)];
  Rect r = FitBitmap(b->width, b->height, ThumbnailBox(Grid()->PictureRect(listed_index)));
  return r.Intersects(Grid()->ClientRect()) ? r : Rect();
}

std::string X256BitmapBrowser::CellText(const ListRow* row, int column) const {
  size_t i = size_t(row->value);
  if (i >= listed_.size()) return std::string();
  const CollectionBitmap* b = listed_[i];
  char text[64];
  switch (column) {
    case 0:
      return b->name;
    case 1:
      std::snprintf(text, sizeof text, "%s bit", b->DepthText());
      return text;
    case 2:
      return b->IsRle() ? "RLE" : "RAW";
    case 3:
      std::snprintf(text, sizeof text, "%4d x %d", b->width, b->height);
      return text;
    default:
      return std::string();
  }
}

// ---- selection ------------------------------------------------------------------------------

std::vector<CollectionBitmap*> X256BitmapBrowser::SelectedBitmaps() const {
  std::vector<CollectionBitmap*> out;
  if (View() == kShowGrid) {
    for (int cell : Grid()->SelectedCells())
      if (size_t(cell) < listed_.size()) out.push_back(listed_[size_t(cell)]);
  } else {
    for (ListRow* row : List()->SelectedRows())
      if (size_t(row->value) < listed_.size()) out.push_back(listed_[size_t(row->value)]);
  }
  return out;
}

BitmapTargets X256BitmapBrowser::Selection() const {
  BitmapTargets t;
  t.bitmaps = SelectedBitmaps();
  return t;
}

BitmapTargets X256BitmapBrowser::Everything() const {
  BitmapTargets t;
  t.bitmaps = listed_;
  t.all = true;
  return t;
}

// The view switched: it takes over the other view's selection.
void X256BitmapBrowser::OnViewChanged(int view) {
  ListWindow* list = List();
  GridWindow* grid = Grid();
  if (view == kShowGrid) {
    grid->ClearSelection();
    for (ListRow* row : list->SelectedRows()) grid->SelectCell(row->value, true);
  } else {
    std::vector<int> cells = grid->SelectedCells();
    list->ClearSelection();
    if (cells.empty()) return;
    std::unordered_map<int, ListRow*> rows;
    for (ListRow* row : list->Roots()) rows[row->value] = row;
    for (int cell : cells)
      if (ListRow* row = rows[cell]) list->ToggleSelected(row);
  }
}

// ---- context menu and commands --------------------------------------------------------------

int X256BitmapBrowser::HandleEvent(Window* target, EventType type, Event* event) {
  if (type == EventType::MouseButton && event->Button() == 1 && event->Pressed() && target &&
      event->Part() == HitClient) {
    ListWindow* list = List();
    GridWindow* grid = Grid();
    if (target == list || list->IsAncestorOf(target)) {
      list->SetFocus(1);
      if (ListRow* row = list->RowAt(event->X(), event->Y()))
        if (!row->IsSelected()) list->Select(row, false);
      ShowContextMenu(event->X(), event->Y());
      return 1;
    }
    if (target == grid || grid->IsAncestorOf(target)) {
      grid->SetFocus(1);
      int cell = grid->CellAt(event->X(), event->Y());
      if (cell >= 0 && !grid->Cell(cell).selected) grid->SetCurrentCell(cell, false);
      ShowContextMenu(event->X(), event->Y());
      return 1;
    }
  }
  return ListGridWindow::HandleEvent(target, type, event);
}

Menu* X256BitmapBrowser::BuildContextMenu() const {
  const bool bitmaps = mode_ == kBrowseBitmaps;
  const size_t selected = SelectedBitmaps().size();
  const char* noun = bitmaps ? "Bitmap" : "Shadow";
  auto* menu = new Menu(false);
  if (selected == 1) AddMenuItem(menu, "Rename", nullptr, kCommandRename);

  struct Entry {
    const char* label;
    int selected_id, all_id;
    bool shadows;  // also offered for shadows
  };
  // (nullptr: a separator; "Format": the format submenu)
  static const Entry kEntries[] = {
      {"Export", kCommandExportSelected, kCommandExportAll, true},
      {"Export Alpha", kCommandExportAlphaSelected, kCommandExportAlphaAll, false},
      {"Export Plate", kCommandExportPlateSelected, kCommandExportPlateAll, false},
      {"Export Alpha Plate", kCommandExportAlphaPlateSelected, kCommandExportAlphaPlateAll, false},
      {nullptr, 0, 0, true},
      {"Replace", kCommandReplaceSelected, kCommandReplaceAll, true},
      {"Replace Alpha", kCommandReplaceAlphaSelected, kCommandReplaceAlphaAll, false},
      {"Replace from Plate", kCommandReplaceFromPlateSelected, kCommandReplaceFromPlateAll, false},
      {"Replace Alpha from Plate", kCommandReplaceAlphaFromPlateSelected,
       kCommandReplaceAlphaFromPlateAll, false},
      {nullptr, 0, 0, false},
      {"Remove Alpha", kCommandRemoveAlphaSelected, kCommandRemoveAlphaAll, false},
      {"Format", 0, 0, false},
      {"Crop Transparency", kCommandCropSelected, kCommandCropAll, false},
      {"Uncrop Transparency", kCommandUncropSelected, kCommandUncropAll, false},
      {nullptr, 0, 0, true},
      {"Delete", kCommandDeleteSelected, kCommandDeleteAll, true},
  };
  auto fill = [&](MenuItem* parent, bool all) {
    for (const Entry& e : kEntries) {
      if (!bitmaps && !e.shadows) continue;
      if (!e.label) {
        AddSeparator(menu, parent);
      } else if (std::string(e.label) == "Format") {
        MenuItem* format = AddMenuItem(menu, "Format", parent, kSubmenuFormat);
        AddMenuItem(menu, "Convert to RLE", format,
                    all ? kCommandConvertToRleAll : kCommandConvertToRleSelected);
        AddMenuItem(menu, "Convert to RAW", format,
                    all ? kCommandConvertToRawAll : kCommandConvertToRawSelected);
      } else {
        AddMenuItem(menu, e.label, parent, all ? e.all_id : e.selected_id);
      }
    }
  };
  std::string selected_title = std::string("Selected ") + noun + (selected == 1 ? "" : "s");
  fill(AddMenuItem(menu, selected_title.c_str(), nullptr, kSubmenuSelected, selected > 0), false);
  std::string all_title = std::string("All ") + noun + "s";
  fill(AddMenuItem(menu, all_title.c_str(), nullptr, kSubmenuAll, !listed_.empty()), true);
  if (external_) {
    bool editing = false;
    for (const CollectionBitmap* b : SelectedBitmaps())
      editing = editing || external_->IsEditing(b);
    AddSeparator(menu, nullptr);
    AddMenuItem(menu, kEditExternallyItem, nullptr, kCommandEditExternally, selected > 0);
    AddMenuItem(menu, kStopExternalEditingItem, nullptr, kCommandStopExternalEditing, editing);
  }
  AddSeparator(menu, nullptr);
  AddMenuItem(menu, bitmaps ? "Add Bitmap(s) from File(s)" : "Add Shadow(s) from File(s)", nullptr,
              kCommandAddFromFiles);
  if (bitmaps) AddMenuItem(menu, "Add Bitmap(s) from Plate", nullptr, kCommandAddFromPlate);
  return menu;
}

void X256BitmapBrowser::ShowContextMenu(int x, int y) {
  Menu* menu = BuildContextMenu();
  int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command >= 0 && command <= kCommandStopExternalEditing) RunCommand(command);
}

void X256BitmapBrowser::RunCommand(int command) {
  RunHook(command);
  FocusView();
}

// The keys go back to the view shown once a command's dialogs and message boxes are gone.
void X256BitmapBrowser::FocusView() {
  if (IsClosed()) return;
  Window* view = View() == kShowGrid ? static_cast<Window*>(Grid()) : List();
  if (view->IsEffectivelyVisible()) view->SetFocus(1);
}

void X256BitmapBrowser::RunHook(int command) {
  const bool bitmaps = mode_ == kBrowseBitmaps;
  BitmapTargets targets = IsAllCommand(command) ? Everything() : Selection();
  switch (command) {
    case kCommandRename:
      if (targets.bitmaps.size() == 1) OnRenameBitmap(targets.bitmaps[0]);
      return;
    case kCommandAddFromFiles:
      bitmaps ? OnImportBitmaps() : OnImportShadows();
      return;
    case kCommandAddFromPlate:
      if (bitmaps) OnImportPlate();
      return;
    default:
      break;
  }
  if (targets.bitmaps.empty()) return;
  switch (command) {
    case kCommandExportSelected:
    case kCommandExportAll:
      OnExportBitmaps(targets);
      return;
    case kCommandReplaceSelected:
    case kCommandReplaceAll:
      OnReplaceBitmaps(targets);
      return;
    case kCommandDeleteSelected:
    case kCommandDeleteAll:
      OnDeleteBitmaps(targets);
      return;
    case kCommandEditExternally:
      OnEditExternally(targets);
      return;
    case kCommandStopExternalEditing:
      OnStopExternalEditing(targets);
      return;
    default:
      break;
  }
  if (!bitmaps) return;  // the other commands are not offered for shadows
  switch (command) {
    case kCommandExportAlphaSelected:
    case kCommandExportAlphaAll:
      OnExportAlphas(targets);
      break;
    case kCommandExportPlateSelected:
    case kCommandExportPlateAll:
      OnExportPlate(targets);
      break;
    case kCommandExportAlphaPlateSelected:
    case kCommandExportAlphaPlateAll:
      OnExportAlphaPlate(targets);
      break;
    case kCommandReplaceAlphaSelected:
    case kCommandReplaceAlphaAll:
      OnReplaceAlphas(targets);
      break;
    case kCommandReplaceFromPlateSelected:
    case kCommandReplaceFromPlateAll:
      OnReplaceFromPlate(targets);
      break;
    case kCommandReplaceAlphaFromPlateSelected:
    case kCommandReplaceAlphaFromPlateAll:
      OnReplaceAlphasFromPlate(targets);
      break;
    case kCommandRemoveAlphaSelected:
    case kCommandRemoveAlphaAll:
      OnRemoveAlpha(targets);
      break;
    case kCommandConvertToRleSelected:
    case kCommandConvertToRleAll:
      OnConvertToRle(targets);
      break;
    case kCommandConvertToRawSelected:
    case kCommandConvertToRawAll:
      OnConvertToRaw(targets);
      break;
    case kCommandCropSelected:
    case kCommandCropAll:
      OnCropTransparency(targets);
      break;
    case kCommandUncropSelected:
    case kCommandUncropAll:
      OnUncropTransparency(targets);
      break;
    default:
      break;
  }
}

void X256BitmapBrowser::OnDeleteRequested() {
  BitmapTargets targets = Selection();
  if (!targets.bitmaps.empty()) OnDeleteBitmaps(targets);
  FocusView();
}

// ---- the command hooks ----------------------------------------------------------------------
// Each hook asks what it needs (dialogs, questions), runs the collection library's operation,
// refreshes the views, keeps an undo action when something changed and shows the messages.

namespace {

// A question with two buttons in a plain message box; true for the first.
Question AskWith(const char* yes, const char* no = kCancelButton) {
  return [yes, no](const std::string& text) {
    return ShowMessageBox("", text.c_str(), {yes, no}) == 0;
  };
}

void ShowMessages(const OperationResult& result) {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

std::vector<std::string> PathsOf(const std::vector<MediaFile>& files) {
  std::vector<std::string> paths;
  for (const MediaFile& f : files) paths.push_back(f.path);
  return paths;
}

int MappingPreference() {
  int mode = 0;
  GetPrefInt(kBitmapImportMappingModeKey, &mode);
  return mode == 1 ? 1 : 0;
}

// The collection as it was before a command: the snapshot for its undo action and the palette
// to tell whether every texture must be built again.
struct Before {
  explicit Before(const Collection& c)
      : snapshot(std::make_shared<BitmapSnapshot>(c)), palette(c.palette) {}
  std::shared_ptr<BitmapSnapshot> snapshot;
  CollectionPalette palette;
};

template <class Action>
std::function<UndoableAction*()> MakeSnapshotAction(Collection* c, const Before& before,
                                                    std::function<void(bool, size_t)> restored) {
  std::shared_ptr<BitmapSnapshot> snapshot = before.snapshot;
  return
      [c, snapshot, restored]() -> UndoableAction* { return new Action(c, *snapshot, restored); };
}

}  // namespace

void X256BitmapBrowser::SetUndo(UndoStack* stack,
                                std::function<void(bool replaced, size_t index)> restored) {
  undo_ = stack;
  restored_ = std::move(restored);
}

std::function<void(bool, size_t)> X256BitmapBrowser::RestoredCallback() {
  if (restored_) return restored_;
  return [this](bool replaced, size_t index) { CollectionRestored(replaced, index); };
}

void X256BitmapBrowser::CollectionRestored(bool replaced, size_t index) {
  if (replaced) {
    CollectionChanged({}, true);
    return;
  }
  std::vector<CollectionBitmap*> changed_bitmaps;
  if (CollectionBitmap* b = collection_->BitmapAt(index)) changed_bitmaps.push_back(b);
  CollectionChanged(changed_bitmaps, false);
}

std::vector<size_t> X256BitmapBrowser::IndicesOf(
    const std::vector<CollectionBitmap*>& bitmaps) const {
  std::vector<size_t> out;
  for (CollectionBitmap* b : bitmaps) {
    int i = collection_->IndexOfBitmap(b);
    if (i >= 0) out.push_back(size_t(i));
  }
  return out;
}

bool X256BitmapBrowser::NoneOpen(const std::vector<size_t>& indices, const char* action) const {
  std::optional<std::string> message = OpenBitmapMessage(
      *collection_, indices,
      [this](size_t i) { return FindBitmapWindow(collection_->BitmapAt(i)) != nullptr; }, action);
  if (!message) return true;
  ShowMessageBox("", message->c_str(), {"OK"});
  return false;
}

void X256BitmapBrowser::Finish(const OperationResult& result, bool palette_changed,
                               const std::function<UndoableAction*()>& make_action) {
  if (result.changed) {
    if (undo_ && make_action) undo_->Perform(make_action(), true);
    std::vector<CollectionBitmap*> changed_bitmaps;
    for (size_t i : result.bitmaps)
      if (CollectionBitmap* b = collection_->BitmapAt(i)) changed_bitmaps.push_back(b);
    CollectionChanged(changed_bitmaps, palette_changed);
  }
  ShowMessages(result);
}

// In the table, the name is edited in place over its cell; false when the table does not show
// the bitmap's row (or the edit left the name as it was).
bool X256BitmapBrowser::EditNameInPlace(CollectionBitmap* bitmap, std::string* name) {
  if (View() != kShowList) return false;
  ListWindow* list = List();
  ListRow* row = nullptr;
  size_t shown = 0;
  for (size_t i = 0; i < list->ShownCount(); ++i) {
    ListRow* r = list->ShownRow(i);
    if (size_t(r->value) < listed_.size() && listed_[size_t(r->value)] == bitmap) {
      row = r;
      shown = i;
      break;
    }
  }
  if (!row) return false;
  list->ScrollToRow(row);
  Rect screen = list->RowRect(shown);
  if (screen.IsEmpty()) return false;
  screen.x1 = std::min(screen.x1, screen.x0 + list->Column(0).width);
  Point corners[2] = {{screen.x0, screen.y0}, {screen.x1, screen.y1}};
  list->ScreenToClient(corners, 2);
  if (!rename_box_) {
    rename_box_ = new TextBox(5, list, kWindowEnabled);
    rename_box_->SetMaxLength(int(kItemNameLength));
  }
  rename_box_->SetText(bitmap->name.c_str());
  auto* popup = new TextPopup(list, Rect(corners[0].x, corners[0].y, corners[1].x, corners[1].y),
                              rename_box_);
  popup->Run();
  *name = rename_box_->Text();
  return true;
}

void X256BitmapBrowser::OnRenameBitmap(CollectionBitmap* bitmap) {
  const int index = collection_->IndexOfBitmap(bitmap);
  if (index < 0) return;
  std::string name = bitmap->name;
  if (!EditNameInPlace(bitmap, &name)) {
    if (ShowInputBox(kRenamePrompt, {"OK", kCancelButton}, &name) != 0) return;
  }
  const std::string before = bitmap->name;
  OperationResult result = RenameBitmap(collection_, size_t(index), name);
  const std::string after = bitmap->name;
  auto restored = RestoredCallback();
  Finish(result, false, [&]() -> UndoableAction* {
    return new RenameAction(collection_, size_t(index), before, after, restored);
  });
}

void X256BitmapBrowser::ExportOneOrMany(const BitmapTargets& targets, bool alpha) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty()) return;
  OperationResult result;
  if (indices.size() == 1) {
    MediaFile file(SafeFileName(DefaultExportName(*targets.bitmaps[0], alpha)));
    if (!SaveFileDialog(alpha ? kExportAlphaTitle : kExportBitmapTitle, &file, MediaGroup::kImage))
      return;
    result = ExportBitmapToFile(*collection_, indices[0], alpha, file.path);
  } else {
    std::vector<DialogChoice> choices = {
        {kExportModeLabel, {kExportByNumbering, kExportByBitmapName}, MappingPreference()}};
    std::string folder;
    int format = 0;
    if (!FolderDialog(kExportFolderTitle, &folder, &format, MediaGroup::kImage, &choices)) return;
    SetPrefInt(kBitmapImportMappingModeKey, choices[0].chosen);
    const std::vector<FileFormat>& formats = FindFileTypeGroup(MediaGroup::kImage).formats;
    MediaType type = format >= 0 && size_t(format) < formats.size() ? formats[size_t(format)].type
                                                                    : MediaType::kBmp;
    result = ExportBitmapsToFolder(
        *collection_, indices, folder,
        choices[0].chosen == 1 ? ExportNaming::kByName : ExportNaming::kByNumbering, alpha, type);
  }
  ShowMessages(result);
}

void X256BitmapBrowser::OnExportBitmaps(const BitmapTargets& targets) {
  ExportOneOrMany(targets, false);
}

void X256BitmapBrowser::OnExportAlphas(const BitmapTargets& targets) {
  ExportOneOrMany(targets, true);
}

void X256BitmapBrowser::ExportPlateOf(const BitmapTargets& targets, bool alpha) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty()) return;
  MediaFile file(SafeFileName(DefaultPlateName(*collection_, alpha)));
  if (!SaveFileDialog(kExportPlateTitle, &file, MediaGroup::kImage)) return;
  PlateOptions options;
  options.alpha = alpha;
  ShowMessages(ExportPlate(*collection_, indices, options, file.path));
}

void X256BitmapBrowser::OnExportPlate(const BitmapTargets& targets) {
  ExportPlateOf(targets, false);
}

void X256BitmapBrowser::OnExportAlphaPlate(const BitmapTargets& targets) {
  ExportPlateOf(targets, true);
}

void X256BitmapBrowser::ReplaceFromFilesOf(const BitmapTargets& targets, bool alphas) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty() || !NoneOpen(indices, kActionReplacing)) return;
  const ReplaceKind kind = alphas                    ? ReplaceKind::kAlpha
                           : mode_ == kBrowseShadows ? ReplaceKind::kShadow
                                                     : ReplaceKind::kBitmap;
  std::vector<DialogChoice> choices = {
      {kReplaceModeLabel, {kReplaceByOrder, kReplaceByName}, MappingPreference()}};
  std::vector<MediaFile> files;
  bool all_read = true;
  if (!OpenMultipleDialog(ReplaceDialogTitle(kind, indices.size()), &files, MediaGroup::kImage,
                          &choices, &all_read) ||
      !all_read)
    return;  // a file that could not be read was reported: nothing is replaced
  SetPrefInt(kBitmapImportMappingModeKey, choices[0].chosen);
  Before before(*collection_);
  OperationResult result =
      ReplaceFromFiles(collection_, indices, PathsOf(files),
                       choices[0].chosen == 1 ? ReplaceMapping::kByName : ReplaceMapping::kByOrder,
                       kind, AskWith(kReplaceButton));
  auto restored = RestoredCallback();
  Finish(result, collection_->palette != before.palette,
         alphas ? MakeSnapshotAction<ReplaceAlphaAction>(collection_, before, restored)
                : MakeSnapshotAction<ReplaceAction>(collection_, before, restored));
}

void X256BitmapBrowser::OnReplaceBitmaps(const BitmapTargets& targets) {
  ReplaceFromFilesOf(targets, false);
}

void X256BitmapBrowser::OnReplaceAlphas(const BitmapTargets& targets) {
  ReplaceFromFilesOf(targets, true);
}

void X256BitmapBrowser::ReplaceFromPlateOf(const BitmapTargets& targets, bool alphas) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty() || !NoneOpen(indices, kActionReplacing)) return;
  MediaFile file(SafeFileName(DefaultPlateName(*collection_, alphas)));
  if (!OpenFileDialog(kImportPlateTitle, &file, MediaGroup::kImage)) return;
  Before before(*collection_);
  OperationResult result = alphas ? ReplaceAlphaFromPlate(collection_, indices, file.path)
                                  : ReplaceFromPlate(collection_, indices, file.path);
  auto restored = RestoredCallback();
  Finish(result, collection_->palette != before.palette,
         alphas ? MakeSnapshotAction<ReplaceAlphaFromPlateAction>(collection_, before, restored)
                : MakeSnapshotAction<ReplaceFromPlateAction>(collection_, before, restored));
}

void X256BitmapBrowser::OnReplaceFromPlate(const BitmapTargets& targets) {
  ReplaceFromPlateOf(targets, false);
}

void X256BitmapBrowser::OnReplaceAlphasFromPlate(const BitmapTargets& targets) {
  ReplaceFromPlateOf(targets, true);
}

void X256BitmapBrowser::OnRemoveAlpha(const BitmapTargets& targets) {
  Before before(*collection_);
  OperationResult result = RemoveAlpha(collection_, IndicesOf(targets.bitmaps));
  Finish(result, false,
         MakeSnapshotAction<RemoveAlphaAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnConvertToRle(const BitmapTargets& targets) {
  Before before(*collection_);
  OperationResult result = ConvertBitmaps(collection_, IndicesOf(targets.bitmaps), true);
  Finish(result, false,
         MakeSnapshotAction<ConvertToRleAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnConvertToRaw(const BitmapTargets& targets) {
  Before before(*collection_);
  OperationResult result = ConvertBitmaps(collection_, IndicesOf(targets.bitmaps), false);
  Finish(result, false,
         MakeSnapshotAction<ConvertToRawAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnCropTransparency(const BitmapTargets& targets) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty() || !NoneOpen(indices, kActionCropping)) return;
  Before before(*collection_);
  OperationResult result =
      CropBitmaps(collection_, indices, targets.all ? RowScope::kAll : RowScope::kSelected,
                  AskWith(kCropButton));
  Finish(result, false, MakeSnapshotAction<CropAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnUncropTransparency(const BitmapTargets& targets) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty() || !NoneOpen(indices, kActionCropping)) return;
  std::string text;
  if (ShowInputBox(kUncropPrompt, {kUncropButton, kCancelButton}, &text) != 0) return;
  int size = 0;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() && *end == '\0' && value > 0 && value <= kMaxUncropSize)
    size = int(value);
  Before before(*collection_);
  OperationResult result = UncropBitmaps(collection_, indices, size);
  Finish(result, false, MakeSnapshotAction<UncropAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnDeleteBitmaps(const BitmapTargets& targets) {
  std::vector<size_t> indices = IndicesOf(targets.bitmaps);
  if (indices.empty() || !NoneOpen(indices, kActionDeleting)) return;
  Before before(*collection_);
  OperationResult result =
      DeleteBitmaps(collection_, indices, targets.all ? RowScope::kAll : RowScope::kSelected,
                    AskWith(kDeleteButton));
  Finish(result, false, MakeSnapshotAction<DeleteAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnImportBitmaps() {
  std::vector<MediaFile> files;
  bool all_read = true;
  // A file that could not be read was reported by the dialog: then nothing is added.
  if (!OpenMultipleDialog("Import Bitmaps", &files, MediaGroup::kImage, nullptr, &all_read) ||
      !all_read)
    return;
  Before before(*collection_);
  OperationResult result = ImportBitmapsFromFiles(
      collection_, PathsOf(files), AskWith(kReplaceButton), AskWith(kConvertButton, kSkipButton));
  Finish(result, collection_->palette != before.palette,
         MakeSnapshotAction<ImportBitmapsAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnImportShadows() {
  std::vector<MediaFile> files;
  bool all_read = true;
  // A file that could not be read was reported by the dialog: then nothing is added.
  if (!OpenMultipleDialog("Import Shadows", &files, MediaGroup::kImage, nullptr, &all_read) ||
      !all_read)
    return;
  Before before(*collection_);
  OperationResult result = ImportShadowsFromFiles(collection_, PathsOf(files));
  Finish(result, false,
         MakeSnapshotAction<ImportShadowsAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnImportPlate() {
  MediaFile file(SafeFileName(DefaultPlateName(*collection_, false)));
  if (!OpenFileDialog(kImportPlateTitle, &file, MediaGroup::kImage)) return;
  Before before(*collection_);
  OperationResult result = AddBitmapsFromPlate(collection_, file.path);
  Finish(result, collection_->palette != before.palette,
         MakeSnapshotAction<ImportPlateAction>(collection_, before, RestoredCallback()));
}

void X256BitmapBrowser::OnMoveBitmaps(const std::vector<CollectionBitmap*>& bitmaps, int before) {
  std::vector<size_t> indices = IndicesOf(bitmaps);
  if (indices.empty()) return;
  // The drop position in the collection's list: the place of the listed bitmap dropped on, or
  // the end of the list.
  size_t drop = collection_->bitmaps.size();
  if (before >= 0 && size_t(before) < listed_.size()) {
    int at = collection_->IndexOfBitmap(listed_[size_t(before)]);
    if (at >= 0) drop = size_t(at);
  }
  Before snapshot(*collection_);
  OperationResult result = MoveBitmaps(collection_, indices, drop);
  Finish(result, false, MakeSnapshotAction<MoveAction>(collection_, snapshot, RestoredCallback()));
}

void X256BitmapBrowser::OnEditExternally(const BitmapTargets& targets) {
  if (external_) external_->Start(targets.bitmaps);
}

void X256BitmapBrowser::OnStopExternalEditing(const BitmapTargets& targets) {
  if (external_) external_->Stop(targets.bitmaps);
}

void X256BitmapBrowser::ReplaceFromExternalFile(size_t index, const std::string& path) {
  if (!collection_->BitmapAt(index)) return;
  Before before(*collection_);
  OperationResult result = ReplaceBitmapFromFile(collection_, index, path, AskWith(kReplaceButton));
  Finish(result, collection_->palette != before.palette,
         MakeSnapshotAction<ExternalEditAction>(collection_, before, RestoredCallback()));
}

// ---- dragging rows --------------------------------------------------------------------------

int X256BitmapBrowser::OnDrag(ListRow* target, ListWindow::ListItemDDData* data, bool dropped) {
  // Only rows of this table, shown in collection order, can be dropped into it.
  if (!data || data->list != List() || List()->HasChosenSortOrder()) return 0;
  if (!dropped) return 1;
  std::vector<int> indices;
  for (ListRow* row : data->rows)
    if (size_t(row->value) < listed_.size()) indices.push_back(row->value);
  std::sort(indices.begin(), indices.end());
  std::vector<CollectionBitmap*> moved;
  for (int i : indices) moved.push_back(listed_[size_t(i)]);
  if (moved.empty()) return 0;
  int before =
      target && size_t(target->value) < listed_.size() ? target->value : int(listed_.size());
  OnMoveBitmaps(moved, before);
  return 1;
}

Window::DragDropData* X256BitmapBrowser::GridDragData(const std::vector<int>& cells) {
  // The grid's cells are the table's rows by value: a drag from either view carries rows.
  std::vector<ListRow*> by_cell(listed_.size(), nullptr);
  for (size_t i = 0; ListRow* row = List()->ShownRow(i); ++i)
    if (size_t(row->value) < by_cell.size()) by_cell[size_t(row->value)] = row;
  std::vector<ListRow*> rows;
  for (int cell : cells)
    if (cell >= 0 && size_t(cell) < by_cell.size() && by_cell[size_t(cell)])
      rows.push_back(by_cell[size_t(cell)]);
  if (rows.empty()) return nullptr;
  return new ListWindow::ListItemDDData(List(), std::move(rows));
}

// ---- bitmap windows -------------------------------------------------------------------------

void X256BitmapBrowser::OnRowActivated(ListRow* row) {
  if (row && size_t(row->value) < listed_.size()) OpenBitmapWindow(listed_[size_t(row->value)]);
}

void X256BitmapBrowser::OnCellActivated(int cell) {
  if (cell >= 0 && size_t(cell) < listed_.size()) OpenBitmapWindow(listed_[size_t(cell)]);
}

BitmapWindow* X256BitmapBrowser::FindBitmapWindow(const CollectionBitmap* bitmap) const {
  for (BitmapWindow* w : windows_)
    if (w->Bitmap() == bitmap) return w;
  return nullptr;
}

BitmapWindow* X256BitmapBrowser::OpenBitmapWindow(CollectionBitmap* bitmap) {
  if (!bitmap) return nullptr;
  if (BitmapWindow* open = FindBitmapWindow(bitmap)) {
    open->BringToFront();
    open->SetFocus(0);
    return open;
  }
  auto* window = new BitmapWindow(bitmap, textures_);
  window->closed.Connect(this, &X256BitmapBrowser::OnWindowClosed);
  windows_.push_back(window);
  windows_changed.Emit();
  return window;
}

void X256BitmapBrowser::OnWindowClosed(BitmapWindow* window) {
  auto it = std::find(windows_.begin(), windows_.end(), window);
  if (it == windows_.end()) return;
  windows_.erase(it);
  windows_changed.Emit();
}

void X256BitmapBrowser::CloseBitmapWindows() {
  std::vector<BitmapWindow*> open;
  open.swap(windows_);
  for (BitmapWindow* w : open) {
    w->closed.Disconnect(this);
    w->Detach();
  }
}

}  // namespace brae
