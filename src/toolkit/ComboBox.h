#pragma once
// The combo box: a text field, a 14 x 14 dropdown button and a hidden list of items (text and
// value). Opening shows the list in the top layer, above every window, below the combo or, when
// the screen above offers more room, above it, and runs the combo as a modal loop until an item
// is chosen or the user clicks elsewhere. Only a chosen item changes the value: a combo closed
// any other way shows what it showed before it opened.

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
    ~ItemList() override;
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
  ~ComboBox() override;
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
  // Closes the open combo showing the text and item it showed before it opened.
  void Cancel();
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
  void PlaceList();
  void MoveSelection(int delta);
  void SelectMatchingText();
  bool ForwardToList(EventType type, Event* event);

  int style_;
  TextBox* field_;
  DropdownButton* button_;
  ItemList* list_;
  bool open_ = false;
  bool upwards_ = false;
  int list_rows_ = 8;
  std::string text_at_open_;
  int selected_at_open_ = -1;
};

}  // namespace brae
