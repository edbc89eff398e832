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
  if (combo_->IsOpen())
    combo_->Close();
  else
    combo_->Open();
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
  Rect r = open_ ? closed_frame_ : ParentRelativeFrame();
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
  int w = client.Width(), h = client.Height();
  int row = RowHeight();
  int row_top = open_ && upwards_ ? h - row : 0;
  field_->SetFrame(Rect(0, row_top, std::max(0, w - kComboButtonSize), row_top + row));
  int by = row_top + (row - kComboButtonSize) / 2;
  button_->SetFrame(Rect(w - kComboButtonSize, by, w, by + kComboButtonSize));
  if (open_) {
    int lh = ListHeight();
    int top = upwards_ ? 0 : row;
    list_->SetFrame(Rect(0, top, w, top + lh));
  }
}

void ComboBox::SelectMatchingText() {
  const std::string& text = field_->Text();
  for (int i = 0; i < ItemCount(); ++i) {
    if (list_->items[i].text == text) {
      list_->selected = i;
      return;
    }
  }
}

void ComboBox::Open() {
  if (open_) return;
  if (!field_->Text().empty()) SelectMatchingText();
  text_at_open_ = field_->Text();
  open_ = true;
  button_->pressed_look = true;
  button_->Invalidate();
  if (IsEditable()) {
    field_->SetFocus(1);
    field_->SelectAll();
  } else if (!HasFocus()) {
    SetFocus(1);
  }
  closed_frame_ = ParentRelativeFrame();
  int lh = ListHeight();
  Point screen = ScreenSize();
  int visible_below = std::min(lh, std::max(0, screen.y - frame.y1));
  int visible_above = std::min(lh, std::max(0, frame.y0));
  upwards_ = visible_above > visible_below;
  Rect r = closed_frame_;
  if (upwards_)
    r.y0 -= lh;
  else
    r.y1 += lh;
  BringToFront();
  SetFrame(r);
  AddFlags(kWindowShadow);
  list_->SetVisible(true);
  Layout();
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
  list_->SetVisible(false);
  list_->hover = -1;
  SetFrame(
      Rect(closed_frame_.x0, closed_frame_.y0, closed_frame_.x1, closed_frame_.y0 + RowHeight()));
  RemoveFlags(kWindowShadow);
  upwards_ = false;
  Layout();
  if (field_->Text().empty()) {
    if (ItemCount() > 0) list_->selected = 0;
  } else {
    SelectMatchingText();
  }
  if (list_->selected >= 0 && list_->selected < ItemCount())
    field_->SetText(list_->items[list_->selected].text.c_str());
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(0);
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

int ComboBox::HandleEvent(Window* target, EventType type, Event* e) {
  if (type == EventType::MouseButton && target == this && open_) {
    // Outside presses arrive here as client events while the combo runs modal.
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
        field_->SetText(text_at_open_.c_str());
        Close();
      }
      return 1;
    }
  }
  return Window::HandleEvent(target, type, e);
}

void ComboBox::ClientMouseButton(Event* e) {
  if (!e->words[5] || !open_) return;
  if (frame.Contains(e->X(), e->Y())) return;
  // A press outside ends the loop and goes on to the window under the mouse.
  Event again = *e;
  again.type = EventType::MouseButton;
  again.words[5] = 1;
  Close();
  QueueEvent(again);
}

Window* ComboBox::FocusGained(Window*, int) {
  // An editable combo types into its field.
  return IsEditable() ? field_ : nullptr;
}

void ComboBox::DrawContent() {}

}  // namespace brae
