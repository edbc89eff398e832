#pragma once
// Push buttons and toggle buttons. The label is the window title. A press by mouse or by Space or
// Enter shows the pressed look; the release over the button fires it.

#include "toolkit/Window.h"

namespace brae {

enum ButtonStateValue : int {
  kButtonOff = 0,
  kButtonOn = 1,
  kButtonPressedOn = 2,   // pressed while on
  kButtonPressedOff = 3,  // pressed while off
};

constexpr uint32_t kButtonFlags = kWindowVisible | kWindowEnabled | kWindowFocusable;

class Button : public Window {
 public:
  explicit Button(Window* parent, int value = 0, uint32_t flags = kButtonFlags);
  const char* ClassName() const override { return "Button"; }

  // Fires when the new state is 1, or 0 on a toggle; a push button that fires returns to 0.
  // Unless silent, firing emits clicked_with_value (the user value), then clicked.
  virtual void SetButtonState(int state, int silent);
  // Width = max(skin minimum, label width) + 28, rounded down to a multiple of 16.
  virtual void SizeToFit();

  int ButtonState() const { return state_; }
  int ToggleMode() const { return toggle_mode_; }
  void SetToggleMode(int mode) { toggle_mode_ = mode; }
  bool IsPressedLook() const { return state_ >= kButtonPressedOn; }

  // Drives a press and release as the keyboard does (dialogs use it for Enter and Escape).
  void KeyPress();
  void KeyRelease();
  void CancelKeyPress();

  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  int KeyDown(Event* event) override;
  void FocusLost(Window* new_focus, int reason) override;
  void DrawContent() override;

  Signal<> clicked;
  Signal<int> clicked_with_value;

 protected:
  // The state the release lands in when it is over the button.
  int ReleasedState() const { return toggle_mode_ ? (state_at_press_ ? 0 : 1) : 1; }
  void ShowState(int state);
  int PressedLookFor(int remembered) const {
    return remembered == kButtonOn ? kButtonPressedOn : kButtonPressedOff;
  }

  int toggle_mode_ = 0;
  int state_ = kButtonOff;
  int state_at_press_ = kButtonOff;
  bool key_pending_ = false;
};

// Height of a standard button: max(line height, skin minimum height).
int StandardButtonHeight(const Window* window = nullptr);

}  // namespace brae
