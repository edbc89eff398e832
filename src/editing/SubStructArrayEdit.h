#pragma once
// The list editor of an array of embedded structures in a form: one row per element in use,
// labelled by the "text_target" member, with Add, Delete and Duplicate; a double-click opens
// the element in a nested form.

#include <string>

#include "editing/structdefs/StructArrays.h"
#include "toolkit/Window.h"

namespace brae {

class Button;
class ListWindow;
struct ListRow;
class StructEditor;

class SubStructArrayEdit : public Window {
 public:
  SubStructArrayEdit(Window* parent, StructEditor* owner, const VornStructMember* array,
                     const std::string& text_target, const std::string& title);
  const char* ClassName() const override { return "SubStructArrayEdit"; }
  void DrawContent() override;

  // Lists the elements again and updates the buttons.
  void Refill();
  // The operations of the buttons and the double-click (each returns whether it did anything).
  bool Add();
  bool Duplicate();
  bool DeleteSelected();
  bool OpenRow(ListRow* row);

  ListWindow* List() const { return list_; }
  Button* AddButton() const { return add_; }
  Button* DeleteButton() const { return delete_; }
  Button* DuplicateButton() const { return duplicate_; }
  const StructArray& Array() const { return array_; }
  const StructDefinition* Embedded() const { return array_.array->embedded; }

 private:
  void UpdateButtons();
  void OnActivated(ListRow* row);
  void OnAdd() { Add(); }
  void OnDelete() { DeleteSelected(); }
  void OnDuplicate() { Duplicate(); }
  bool AppendAndOpen(int copy_from);
  std::string RowLabel(int index, bool* shown);

  StructEditor* owner_;
  StructArray array_;
  const StructMember* text_member_ = nullptr;
  std::string title_;
  ListWindow* list_ = nullptr;
  Button* add_ = nullptr;
  Button* delete_ = nullptr;
  Button* duplicate_ = nullptr;
};

}  // namespace brae
