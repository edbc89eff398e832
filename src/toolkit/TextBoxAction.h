#pragma once
// One undoable edit of a text box: typing, pasting, deleting a character either way, cutting.

#include <string>

#include "toolkit/UndoStack.h"

namespace brae {

class TextBox;

class TextBoxAction : public UndoableAction {
 public:
  enum Kind : int {
    kType = 0,            // type a character, replacing the selection
    kInsert = 1,          // insert text (paste), replacing the selection
    kDeleteBackward = 2,  // the character before the caret
    kDeleteForward = 3,   // the character after the caret
    kDeleteSelection = 4  // cut
  };

  // Remembers the box's caret and selection as the "before" state.
  TextBoxAction(TextBox* box, Kind kind, char character = 0, std::string text = {});
  int Do() override;
  void Undo() override;

  Kind GetKind() const { return kind_; }

 private:
  void TakeSelection();

  TextBox* box_;
  Kind kind_;
  char character_;
  std::string inserted_;
  std::string removed_;
  bool removed_taken_ = false;
  int before_anchor_, before_caret_;
  int after_anchor_ = 0, after_caret_ = 0;
};

}  // namespace brae
