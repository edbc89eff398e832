#pragma once
// A toggle button drawn as a box with its label to the right; the state 0 or 1 is the checked
// value. Dialogs remember it through the preferences (DialogValues).

#include "core/Prefs.h"
#include "toolkit/Button.h"

namespace brae {

class CheckBox : public Button, public ControlValueTarget {
 public:
  explicit CheckBox(Window* parent, int value = 0, uint32_t flags = kButtonFlags);
  const char* ClassName() const override { return "CheckBox"; }

  bool IsChecked() const { return (state_ & 1) != 0 && state_ != kButtonPressedOff; }
  void SetChecked(bool checked) { SetButtonState(checked ? 1 : 0, 1); }
  // Box plus gap plus label.
  void SizeToFit() override;

  int GetCheckState() const override { return ButtonState() == kButtonOn; }
  void SetCheckState(int state) override { SetChecked(state != 0); }

  void DrawContent() override;
};

}  // namespace brae
