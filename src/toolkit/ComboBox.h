#pragma once
// The combo box: a text field, a 14 x 14 dropdown button and a hidden list of items (text and
// value). Opening grows the combo by the list's height, downwards or, when the screen above
// offers more room, upwards, and runs it as a modal loop until an item is chosen or the user
// clicks elsewhere.

#include <string>
#include <vector>

#include "toolkit/TextBox.h"

namespace brae {

constexpr uint32_t kComboFlags = 0x8103;
constexpr int kComboEditable = 2;  // style bit
constexpr int kComboButtonSize = 14;

class ComboBox : public Window {
 public:
  struct Item {
    std::string text;
    int value = 0;
  };

  class DropdownButton : public Window {
   public:
    explicit DropdownButton(ComboBox* combo);
    const char* ClassName() const override { return "ComboBox::DropdownButton"; }
    void ClientMouseButton(Event* event) override;
    void DrawContent() override;
    bool pressed_look = false;

   private:
    ComboBox* combo_;
  };

  // The list of items shown while the combo is open.
  class ItemList : public Window {
   public:
    explicit ItemList(ComboBox* combo);
    const char* ClassName() const override { return "ComboBox::ItemList"; }
    void ClientMouseButton(Event* event) override;
    void ClientMouseMove(Event* event) override;
    void ClientWheel(Event* event) override;
    void DrawContent() override;
    int RowAt(int y) const;
    void ShowRow(int row);

    std::vector<Item> items;
    int selected = -1;
    int hover = -1;
    int first_row = 0;

   private:
    ComboBox* combo_;
  };

  ComboBox(Window* parent, int style);
  const char* ClassName() const override { return "ComboBox"; }

  void AddItem(const char* text, int value, bool at_front = false);
  void Clear();
  void SelectValue(int value);
  // 0 when nothing is selected.
  int SelectedValue() const;
  int SelectedIndex() const { return list_->selected; }
  int ItemCount() const { return static_cast<int>(list_->items.size()); }
  const Item& ItemAt(int index) const { return list_->items[index]; }
  void SetWidth(int width);
  void SetListRows(int rows, bool fit_width);
  void Open();
  void Close();
  bool IsOpen() const { return open_; }
  bool OpenedUpwards() const { return upwards_; }
  bool IsEditable() const { return style_ & kComboEditable; }
  std::string Text() const { return field_->Text(); }
  void SetText(const char* text) { field_->SetText(text); }

  TextBox* TextField() const { return field_; }
  DropdownButton* Button() const { return button_; }
  ItemList* List() const { return list_; }

  // Sets the text, closes the combo and emits item_chosen with the item's value.
  void ChooseRow(int row);

  int HandleEvent(Window* target, EventType type, Event* event) override;
  void ClientMouseButton(Event* event) override;
  Window* FocusGained(Window* old_focus, int reason) override;
  void Layout() override;
  void DrawContent() override;

  Signal<int> item_chosen;

 private:
  int RowHeight() const;
  int ListHeight() const;
  void MoveSelection(int delta);
  void SelectMatchingText();

  int style_;
  TextBox* field_;
  DropdownButton* button_;
  ItemList* list_;
  bool open_ = false;
  bool upwards_ = false;
  Rect closed_frame_;  // parent-relative
  int list_rows_ = 8;
  std::string text_at_open_;
};

}  // namespace brae
