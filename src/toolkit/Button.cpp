#include "toolkit/Button.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr uint32_t kLabelColour = 0xFFFFFFFFu;
constexpr uint32_t kDisabledColour = 0xFF808080u;
constexpr uint32_t kFocusColour = 0xFF60C0E0u;
constexpr int kButtonLabelFlags = 0x156;  // shadow, centred vertically and horizontally

bool IsActivationKey(int key) {
  return key == kKeySpace || key == kKeyEnter;
}

}  // namespace

int StandardButtonHeight(const Window* window) {
  int w = 0, h = 0;
  if (Ui().skin) Ui().skin->ImageSize(kSkinButton, &w, &h);
  int line = window ? LineHeight(window) : LineHeight(DefaultFont());
  return std::max(line, h);
}

Button::Button(Window* parent, int value, uint32_t flags) : Window(flags, parent) {
  user_value = value;
}

void Button::ShowState(int state) {
  if (state == state_) return;
  state_ = state;
  Invalidate();
}

void Button::SetButtonState(int state, int silent) {
  bool fires = state == kButtonOn || (toggle_mode_ && state == kButtonOff);
  if (fires && !toggle_mode_) state = kButtonOff;
  ShowState(state);
  if (!fires || silent) return;
  clicked_with_value.Emit(user_value);
  clicked.Emit();
}

void Button::SizeToFit() {
  int min_w = 0, min_h = 0;
  if (Ui().skin) Ui().skin->ImageSize(kSkinButton, &min_w, &min_h);
  int width = std::max(min_w, TextWidth(this, Title())) + 28;
  width -= width % 16;
  int height = std::max(LineHeight(this), min_h);
  Rect r = ParentRelativeFrame();
  SetFrame(Rect(r.x0, r.y0, r.x0 + width, r.y0 + height));
}

void Button::ClientMouseButton(Event* e) {
  if (!e->words[5] || e->Button() != 0 || !IsEnabled()) return;
  state_at_press_ = toggle_mode_ ? (state_ & 1) : kButtonOff;
  key_pending_ = false;
  BeginMouseTracking(this, nullptr, nullptr);
}

void Button::TrackMouse(int, int, int x, int y, int phase) {
  bool over = HitTest(x, y) == HitClient;
  if (phase < 2) {
    ShowState(over ? PressedLookFor(state_at_press_) : state_at_press_);
    return;
  }
  if (over)
    SetButtonState(ReleasedState(), 0);
  else
    ShowState(state_at_press_);
}

void Button::KeyPress() {
  if (key_pending_) return;
  state_at_press_ = toggle_mode_ ? (state_ & 1) : kButtonOff;
  key_pending_ = true;
  ShowState(PressedLookFor(state_at_press_));
}

void Button::KeyRelease() {
  if (!key_pending_) return;
  key_pending_ = false;
  SetButtonState(ReleasedState(), 0);
}

void Button::CancelKeyPress() {
  if (!key_pending_) return;
  key_pending_ = false;
  ShowState(state_at_press_);
}

int Button::KeyDown(Event* e) {
  if (Ui().focus != this || !IsEnabled()) return 0;
  bool pressed = e->words[1] != 0;
  if (IsActivationKey(e->Key())) {
    if (pressed && !(e->words[2] & kModRepeat))
      KeyPress();
    else if (!pressed)
      KeyRelease();
  } else if (pressed) {
    CancelKeyPress();
  }
  return 0;  // the key goes on to the parent
}

void Button::FocusLost(Window*, int) {
  CancelKeyPress();
  if (IsPressedLook() && !IsMouseTracking()) ShowState(state_at_press_);
}

void Button::DrawContent() {
  Rect r(0, 0, client.Width(), client.Height());
  Skin* skin = Ui().skin;
  bool pressed = IsPressedLook();
  int slot = !IsEnabled() ? kSkinButtonDisabled : pressed ? kSkinButtonPressed : kSkinButton;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, 0, 0, r.x1, r.y1);
    skin->FlushSprites();
  } else {
    SetColor(pressed ? 0xFF303030u : 0xFF606060u);
    FillRect(r);
  }
  SetColor(IsEnabled() ? kLabelColour : kDisabledColour);
  int shift = pressed ? 1 : 0;
  DrawTextInRect(this, Title(), r.Offset(shift, shift), kButtonLabelFlags);
  if (HasFocus()) {
    SetColor(kFocusColour);
    FrameRect(r.Inset(2), 1, true);
  }
}

}  // namespace brae
