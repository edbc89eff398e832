#include "collection/ui/X256ColorTableEdit.h"

#include <algorithm>

#include "collection/Collection.h"
#include "collection/CollectionSettings.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/CollectionActions.h"
#include "media/ui/MediaDialogs.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/Frame.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr uint32_t kBackground = 0xFF202020u;
constexpr uint32_t kSwatchBorder = 0xFF000000u;

}  // namespace

X256ColorTableEdit::X256ColorTableEdit(Collection* collection, BitmapTextures* textures,
                                       Window* parent)
    : Window(kWindowVisible | kWindowEnabled | kWindowFocusable, parent),
      collection_(collection),
      textures_(textures) {
  SetTitle("Color Table");
}

int X256ColorTableEdit::Columns() const {
  return std::max(1, client.Width() / kSwatchSize);
}

Rect X256ColorTableEdit::SwatchRect(int index) const {
  const int columns = Columns();
  const int x = (index % columns) * kSwatchSize, y = (index / columns) * kSwatchSize;
  return Rect(x, y, x + kSwatchSize, y + kSwatchSize);
}

int X256ColorTableEdit::SwatchAt(int screen_x, int screen_y) const {
  const int x = screen_x - client.x0, y = screen_y - client.y0;
  if (x < 0 || y < 0 || x >= Columns() * kSwatchSize) return -1;
  const int index = (y / kSwatchSize) * Columns() + x / kSwatchSize;
  return index < int(collection_->palette.size()) ? index : -1;
}

void X256ColorTableEdit::DrawContent() {
  SetColor(kBackground);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  for (int i = 0; i < int(collection_->palette.size()); ++i) {
    const Rect r = SwatchRect(i);
    SetColor(kSwatchBorder);
    FillRect(r);
    SetColor(0xFF000000u | PackColour(collection_->palette[size_t(i)]));
    FillRect(r.Inset(1));
  }
}

// ---- commands -------------------------------------------------------------------------------

Menu* X256ColorTableEdit::BuildContextMenu() const {
  auto* menu = new Menu(false);
  AddMenuItem(menu, kSaveColorTableItem, nullptr, kColorTableSave);
  AddMenuItem(menu, kLoadColorTableItem, nullptr, kColorTableLoad);
  return menu;
}

void X256ColorTableEdit::ShowContextMenu(int x, int y) {
  Menu* menu = BuildContextMenu();
  const int command = PopUpMenu(menu, x, y);
  menu->Close();
  RunCommand(command);
}

void X256ColorTableEdit::RunCommand(int command) {
  if (command == kColorTableSave) SaveTable();
  if (command == kColorTableLoad) LoadTable();
  TakeFocusBack();
}

// After a dialog the keys (Control+Z among them) come here again, then go up to the editor.
void X256ColorTableEdit::TakeFocusBack() {
  if (!IsClosed() && IsEffectivelyVisible()) SetFocus(1);
}

void X256ColorTableEdit::ClientMouseButton(Event* event) {
  if (!event->Pressed()) return;
  SetFocus(1);
  if (event->Button() == 1) ShowContextMenu(event->X(), event->Y());
}

void X256ColorTableEdit::ClientDoubleClick(Event* event) {
  if (event->Button() != 0) return;
  const int index = SwatchAt(event->X(), event->Y());
  if (index < 0) return;
  EditSwatch(index);
  TakeFocusBack();
}

void X256ColorTableEdit::EditSwatch(int index) {
  if (index < 0 || size_t(index) >= collection_->palette.size()) return;
  const PaletteColor before = collection_->palette[size_t(index)];
  uint32_t picked = PackColour(before);
  if (!PickColour(&picked)) return;
  const OperationResult result = SetPaletteEntry(collection_, size_t(index), UnpackColour(picked));
  if (!result.changed) return;
  if (undo_)
    undo_->Perform(
        new PaletteEntryAction(collection_, size_t(index), before,
                               collection_->palette[size_t(index)], [this] { PaletteRestored(); }),
        true);
  PaletteChanged();
}

void X256ColorTableEdit::SaveTable() {
  Rgb table[kMaxPaletteSize];
  PaletteToTable(collection_->palette, table);
  ExportColorTableDialog(collection_->name, table, kMaxPaletteSize);
}

void X256ColorTableEdit::LoadTable() {
  Rgb table[kMaxPaletteSize];
  int count = 0;
  if (!ImportColorTableDialog(collection_->name, table, &count)) return;
  const CollectionPalette before = collection_->palette;
  const OperationResult result = SetPaletteFromTable(collection_, table);
  ShowMessages(result);
  if (!result.changed) return;
  if (undo_)
    undo_->Perform(new PaletteLoadAction(collection_, before, collection_->palette,
                                         [this] { PaletteRestored(); }),
                   true);
  PaletteChanged();
}

void X256ColorTableEdit::PaletteRestored() {
  PaletteChanged();
}

void X256ColorTableEdit::PaletteChanged() {
  if (textures_) textures_->InvalidateAll();
  InvalidateClient();
  changed.Emit();
}

void X256ColorTableEdit::ShowMessages(const OperationResult& result) const {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

}  // namespace brae
