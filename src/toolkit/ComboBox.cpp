#include "toolkit/ComboBox.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kComboModalFlags = 11;  // keys and outside clicks to the combo; ends on quit
constexpr uint32_t kListColour = 0xFF262422u;
constexpr uint32_t kRowHighlight = 0xFF8A5A2Eu;
constexpr uint32_t kRowHover = 0xFF403C38u;

// The text field: a read-only one hands clicks to the combo.
class ComboField : public TextBox {
 public:
  ComboField(ComboBox* combo, bool editable) : TextBox(kTextSingleLine, combo), combo_(combo) {
    SetTitle(editable ? "ComboBox Textfield" : "ComboBox Text");
    if (!editable) SetOptions(false, false, false);
  }
  void ClientMouseButton(Event* e) override {
    if (IsEditable()) {
      TextBox::ClientMouseButton(e);
      return;
    }
    if (e->words[5] && !combo_->HasFocus()) combo_->SetFocus(1);
  }
  void DrawContent() override {
    if (!IsEditable()) {
      SetColor(0xFF1E1C1Au);
      FillRect(Rect(0, 0, client.Width(), client.Height()));
    }
    TextBox::DrawContent();
  }

 private:
  ComboBox* combo_;
};

}  // namespace

// ---- the dropdown button
// ----------------------------------------------------------------------------

ComboBox::DropdownButton::DropdownButton(ComboBox* combo)
    : Window(kWindowVisible | kWindowEnabled, combo), combo_(combo) {
  SetTitle("ComboBox Button");
}

void ComboBox::DropdownButton::ClientMouseButton(Event* e) {
  if (!e->words[5] || e->Button() != 0) return;
  if (!combo_->IsOpen())
    combo_->Open();
  else if (combo_->IsEditable())
    combo_->Close();
  else
    combo_->Cancel();
}

void ComboBox::DropdownButton::DrawContent() {
  Rect r(0, 0, client.Width(), client.Height());
  Skin* skin = Ui().skin;
  int slot = pressed_look ? kSkinComboArrowPressed : kSkinComboArrow;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, 0, 0, r.x1, r.y1);
    skin->FlushSprites();
    return;
  }
  SetColor(pressed_look ? 0xFF303030u : 0xFF707070u);
  FillRect(r);
  SetColor(0xFFFFFFFFu);
  for (int i = 0; i < 4; ++i) FillRect(Rect(3 + i, 5 + i, r.x1 - 3 - i, 6 + i));
}

// ---- the item list
// ----------------------------------------------------------------------------------

ComboBox::ItemList::ItemList(ComboBox* combo) : Window(kWindowEnabled, combo), combo_(combo) {
  SetTitle("ComboBox List");
}

// An open list lives in the top layer; when that goes first (the whole tree deleted), the combo
// must not reach for it any more.
ComboBox::ItemList::~ItemList() {
  if (parent != combo_ && combo_->list_ == this) combo_->list_ = nullptr;
}

int ComboBox::ItemList::RowAt(int y) const {
  int lh = std::max(1, LineHeight(this));
  if (y < client.y0) return -1;
  int row = first_row + (y - client.y0) / lh;
  return row < static_cast<int>(items.size()) ? row : -1;
}

void ComboBox::ItemList::ShowRow(int row) {
  int lh = std::max(1, LineHeight(this));
  int visible = std::max(1, client.Height() / lh);
  if (row < first_row) first_row = row;
  if (row >= first_row + visible) first_row = row - visible + 1;
  first_row = std::clamp(first_row, 0, std::max(0, static_cast<int>(items.size()) - visible));
  InvalidateClient();
}

void ComboBox::ItemList::ClientMouseButton(Event* e) {
  if (!e->words[5] || e->Button() != 0) return;
  int row = RowAt(e->Y());
  if (row >= 0) combo_->ChooseRow(row);
}

void ComboBox::ItemList::ClientMouseMove(Event* e) {
  int row = RowAt(e->Y());
  if (row != hover) {
    hover = row;
    InvalidateClient();
  }
}

void ComboBox::ItemList::ClientWheel(Event* e) {
  int lh = std::max(1, LineHeight(this));
  int visible = std::max(1, client.Height() / lh);
  first_row -= (e->WheelTo() - e->WheelFrom());
  first_row = std::clamp(first_row, 0, std::max(0, static_cast<int>(items.size()) - visible));
  InvalidateClient();
}

void ComboBox::ItemList::DrawContent() {
  Rect r(0, 0, client.Width(), client.Height());
  SetColor(kListColour);
  FillRect(r);
  int lh = std::max(1, LineHeight(this));
  for (int row = first_row, y = 0; row < static_cast<int>(items.size()) && y < r.y1;
       ++row, y += lh) {
    if (row == selected || row == hover) {
      SetColor(row == selected ? kRowHighlight : kRowHover);
      FillRect(Rect(0, y, r.x1, y + lh));
    }
    SetColor(0xFFFFFFFFu);
    DrawText(this, items[row].text.c_str(), 4, y, 0);
  }
  SetColor(0xFF101010u);
  FrameRect(r, 1, true);
}

// ---- the combo
// -----------------------------------------------------------------------------------------

ComboBox::ComboBox(Window* parent, int style) : Window(kComboFlags, parent), style_(style) {
  field_ = new ComboField(this, IsEditable());
  button_ = new DropdownButton(this);
  list_ = new ItemList(this);
  Rect r = ParentRelativeFrame();
  SetFrame(Rect(r.x0, r.y0, r.x0 + 120, r.y0 + RowHeight()));
}

ComboBox::~ComboBox() {
  if (list_ && list_->parent != this) delete list_;
}

int ComboBox::RowHeight() const {
  return std::max(LineHeight(this), 16);
}

int ComboBox::ListHeight() const {
  int rows = std::min(std::max(list_rows_, 1), ItemCount() + 1);
  return LineHeight(this) * rows;
}

void ComboBox::AddItem(const char* text, int value, bool at_front) {
  Item item{text ? text : "", value};
  auto& items = list_->items;
  if (at_front) {
    items.insert(items.begin(), item);
    if (list_->selected >= 0) ++list_->selected;
  } else {
    items.push_back(item);
  }
  list_->InvalidateClient();
}

void ComboBox::Clear() {
  list_->items.clear();
  list_->selected = list_->hover = -1;
  list_->first_row = 0;
  field_->SetText("");
}

void ComboBox::SelectValue(int value) {
  for (int i = 0; i < ItemCount(); ++i) {
    if (list_->items[i].value == value) {
      list_->selected = i;
      field_->SetText(list_->items[i].text.c_str());
      list_->ShowRow(i);
      return;
    }
  }
}

int ComboBox::SelectedValue() const {
  int s = list_->selected;
  return s >= 0 && s < ItemCount() ? list_->items[s].value : 0;
}

void ComboBox::SetWidth(int width) {
  Rect r = ParentRelativeFrame();
  SetFrame(Rect(r.x0, r.y0, r.x0 + width, r.y0 + frame.Height()));
}

void ComboBox::SetListRows(int rows, bool fit_width) {
  list_rows_ = rows;
  if (!fit_width) return;
  int widest = 0;
  for (const Item& item : list_->items)
    widest = std::max(widest, TextWidth(this, item.text.c_str()));
  SetWidth(widest + 18);
}

void ComboBox::Layout() {
  int w = client.Width();
  int row = RowHeight();
  field_->SetFrame(Rect(0, 0, std::max(0, w - kComboButtonSize), row));
  int by = (row - kComboButtonSize) / 2;
  button_->SetFrame(Rect(w - kComboButtonSize, by, w, by + kComboButtonSize));
}

// The item showing the field's text: the selected one when it does (two items may share a
// text), else the first that does, else none.
void ComboBox::SelectMatchingText() {
  const std::string& text = field_->Text();
  int s = list_->selected;
  if (s >= 0 && s < ItemCount() && list_->items[s].text == text) return;
  list_->selected = -1;
  for (int i = 0; i < ItemCount(); ++i) {
    if (list_->items[i].text == text) {
      list_->selected = i;
      return;
    }
  }
}

// The open list belongs to the top layer, so no window clips it: below the combo, or above it
// when the screen there shows more of it; shortened to the whole rows the screen has room for.
void ComboBox::PlaceList() {
  int row = std::max(1, LineHeight(this));
  int wanted = ListHeight();
  Point screen = ScreenSize();
  int below = std::max(0, screen.y - frame.y1);
  int above = std::max(0, frame.y0);
  upwards_ = std::min(wanted, above) > std::min(wanted, below);
  int room = upwards_ ? above : below;
  int height = wanted <= room ? wanted : std::max(row, room / row * row);
  int top = upwards_ ? frame.y0 - height : frame.y1;
  Rect r(frame.x0, top, frame.x1, top + height);
  if (Window* layer = Ui().layer1) {
    list_->SetParent(layer);
    r = r.Offset(-layer->ClientRect().x0, -layer->ClientRect().y0);
  }
  list_->SetFrame(r);
}

void ComboBox::Open() {
  if (open_ || !list_) return;
  text_at_open_ = field_->Text();
  selected_at_open_ = list_->selected;
  if (!field_->Text().empty()) SelectMatchingText();
  open_ = true;
  button_->pressed_look = true;
  button_->Invalidate();
  if (IsEditable()) {
    field_->SetFocus(1);
    field_->SelectAll();
  } else if (!HasFocus()) {
    SetFocus(1);
  }
  PlaceList();
  list_->AddFlags(kWindowShadow);
  list_->SetVisible(true);
  if (list_->selected >= 0) list_->ShowRow(list_->selected);
  if (!IsOnModalStack(this)) {
    RunModal(this, kComboModalFlags);
    Close();
  }
}

void ComboBox::Close() {
  if (!open_) return;
  open_ = false;
  button_->pressed_look = false;
  button_->Invalidate();
  upwards_ = false;
  if (list_) {
    list_->SetVisible(false);
    list_->RemoveFlags(kWindowShadow);
    list_->hover = -1;
    list_->SetParent(this);
    if (field_->Text().empty()) {
      if (ItemCount() > 0) list_->selected = 0;
    } else {
      SelectMatchingText();
    }
    if (list_->selected >= 0 && list_->selected < ItemCount())
      field_->SetText(list_->items[list_->selected].text.c_str());
  }
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(0);
}

void ComboBox::Cancel() {
  if (!open_) return;
  field_->SetText(text_at_open_.c_str());
  if (list_) list_->selected = selected_at_open_;
  Close();
}

void ComboBox::ChooseRow(int row) {
  if (row < 0 || row >= ItemCount()) return;
  list_->selected = row;
  field_->SetText(list_->items[row].text.c_str());
  int value = list_->items[row].value;
  Close();
  item_chosen.Emit(value);
}

void ComboBox::MoveSelection(int delta) {
  if (ItemCount() == 0) return;
  int row = std::clamp(list_->selected + delta, 0, ItemCount() - 1);
  if (list_->selected < 0) row = delta > 0 ? 0 : ItemCount() - 1;
  list_->selected = row;
  field_->SetText(list_->items[row].text.c_str());
  if (IsEditable()) field_->SelectAll();
  list_->ShowRow(row);
}

// While the combo runs modal, mouse events outside it arrive here as client events: those over
// the open list are the list's.
bool ComboBox::ForwardToList(EventType type, Event* e) {
  if (!list_ || !list_->IsVisible()) return false;
  if (!list_->Frame().Contains(e->X(), e->Y())) {
    if (type == EventType::MouseMove && list_->hover != -1) {
      list_->hover = -1;
      list_->InvalidateClient();
    }
    return false;
  }
  if (type == EventType::MouseButton || type == EventType::DoubleClick)
    list_->ClientMouseButton(e);
  else if (type == EventType::MouseMove)
    list_->ClientMouseMove(e);
  else if (type == EventType::Wheel)
    list_->ClientWheel(e);
  return true;
}

int ComboBox::HandleEvent(Window* target, EventType type, Event* e) {
  if (open_ && target == this && e->IsMouse() && ForwardToList(type, e)) return 1;
  if (type == EventType::MouseButton && target == this && open_) {
    ClientMouseButton(e);
    if (!open_) return 1;
  }
  if (type == EventType::Key && (target == this || target == field_)) {
    int key = e->Key();
    bool pressed = e->words[1] != 0;
    bool ours = key == kKeyUp || key == kKeyDown ||
                (open_ && (key == kKeyEnter || key == kKeyEscape || key == kKeyTab));
    if (ours) {
      if (!pressed) return 1;
      if (key == kKeyUp || key == kKeyDown) {
        if (!open_)
          Open();
        else
          MoveSelection(key == kKeyUp ? -1 : 1);
      } else if (key == kKeyEnter || key == kKeyTab) {
        int row = list_->selected;
        if (row >= 0 && list_->items[row].text == field_->Text())
          ChooseRow(row);
        else
          Close();
        if (key == kKeyTab) {
          bool back = e->words[2] & kModShift;
          for (Window* w = back ? tab_prev : tab_next; w && w != this;
               w = back ? w->tab_prev : w->tab_next) {
            if (w->IsVisible() && w->IsEnabled()) {
              w->SetFocus(2);
              break;
            }
          }
        }
      } else {  // Escape
        Cancel();
      }
      return 1;
    }
  }
  return Window::HandleEvent(target, type, e);
}

void ComboBox::ClientMouseButton(Event* e) {
  if (!e->words[5] || !open_) return;
  if (frame.Contains(e->X(), e->Y())) return;
  // A press outside ends the loop and goes on to the window under the mouse. It chooses
  // nothing: what an editable combo's field holds stays, the others show their value again.
  Event again = *e;
  again.type = EventType::MouseButton;
  again.words[5] = 1;
  IsEditable() ? Close() : Cancel();
  QueueEvent(again);
}

Window* ComboBox::FocusGained(Window*, int) {
  // An editable combo types into its field.
  return IsEditable() ? field_ : nullptr;
}

void ComboBox::DrawContent() {}

}  // namespace brae
