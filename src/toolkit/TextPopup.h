#pragma once
// A borderless pop-up over a rectangle of its parent that borrows a text box for in-place
// editing: it fills itself with the box and selects all of its text. Enter in the box ends it;
// a press outside ends it too and goes on to the window under the mouse. The box is handed back
// to its owner when the pop-up closes (never deleted).

#include "toolkit/TextBox.h"

namespace brae {

class TextPopup : public Window {
 public:
  // rect is in the parent's client coordinates.
  TextPopup(Window* parent, const Rect& rect, TextBox* box);
  const char* ClassName() const override { return "TextPopup"; }

  // Runs the pop-up's modal loop and closes it: 0 ended by Enter, 1 by a press outside.
  int Run();

  void ClientMouseButton(Event* event) override;
  void WillClose() override;
  void Layout() override;
  TextBox* Box() const { return box_; }

 private:
  void OnEnter(int pressed);

  TextBox* box_;
  Window* box_parent_;
  Rect box_frame_;
  bool box_visible_;
};

}  // namespace brae
