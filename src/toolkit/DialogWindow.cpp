#include "toolkit/DialogWindow.h"

#include <algorithm>

#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/TextBox.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kMinClientWidth = 168;
constexpr int kButtonInset = 8;

// Enter belongs to a multi-line editor when one has the focus.
bool EnterIsTyped(Window* target) {
  auto* box = dynamic_cast<TextBox*>(target);
  return box && box->IsMultiLine() && box->IsEditable();
}

}  // namespace

DialogWindow::DialogWindow(uint32_t flags, Window* parent) : Window(flags, parent) {
  ok_ = new Button(this, 0);
  ok_->SetTitle("OK");
  cancel_ = new Button(this, 1);
  cancel_->SetTitle("Cancel");
  ok_->clicked_with_value.Connect(this, &DialogWindow::ButtonClicked);
  cancel_->clicked_with_value.Connect(this, &DialogWindow::ButtonClicked);
  SetContentSize(kMinClientWidth - 2 * kDialogMargin, 0);
  Layout();
}

Rect DialogWindow::ContentRect() const {
  int bh = StandardButtonHeight(this);
  return Rect(kDialogMargin, kDialogMargin, std::max(kDialogMargin, client.Width() - kDialogMargin),
              std::max(kDialogMargin, client.Height() - kDialogMargin - bh));
}

void DialogWindow::SetContentSize(int width, int height) {
  Point size = FrameSizeForClient(width + 2 * kDialogMargin,
                                  height + StandardButtonHeight(this) + 2 * kDialogMargin);
  Rect r = ParentRelativeFrame();
  SetFrame(Rect(r.x0, r.y0, r.x0 + size.x, r.y0 + size.y));
}

// The first control is also where the dialog's focus goes when it opens.
void DialogWindow::SetTabOrder(Window* first_control) {
  Window* ring[3] = {first_control, ok_, cancel_};
  if (!first_control) {
    Window::SetTabOrder(ring + 1, 2);
    return;
  }
  Window::SetTabOrder(ring, 3);
  if (IsAncestorOf(first_control))
    for (Window* w = first_control; w != this; w = w->parent) w->parent->focus_child = w;
}

void DialogWindow::ConstrainFrame(const Rect& old_frame, const Rect& requested, Rect* out) {
  Point min = FrameSizeForClient(kMinClientWidth, StandardButtonHeight(this) + 2 * kDialogMargin);
  Rect r = requested;
  if (r.Width() < min.x) {
    if (r.x1 == old_frame.x1 && r.x0 != old_frame.x0)
      r.x0 = r.x1 - min.x;
    else
      r.x1 = r.x0 + min.x;
  }
  if (r.Height() < min.y) {
    if (r.y1 == old_frame.y1 && r.y0 != old_frame.y0)
      r.y0 = r.y1 - min.y;
    else
      r.y1 = r.y0 + min.y;
  }
  Window::ConstrainFrame(old_frame, r, out);
}

void DialogWindow::Layout() {
  if (!ok_ || !cancel_) return;
  int bh = StandardButtonHeight(this);
  int right = client.Width() - kButtonInset;
  int y = client.Height() - kButtonInset - bh;
  cancel_->SetFrame(Rect(right - kDialogButtonWidth, y, right, y + bh));
  right -= kDialogButtonWidth + kButtonInset;
  ok_->SetFrame(Rect(right - kDialogButtonWidth, y, right, y + bh));
}

int DialogWindow::HandleEvent(Window* target, EventType type, Event* e) {
  const ModalEntry* top = TopModal();
  bool running_modal = top && top->window == this;
  if (type == EventType::Key && running_modal && (target == this || IsAncestorOf(target))) {
    int key = e->Key();
    bool pressed = e->words[1] != 0;
    Button* button = key == kKeyEnter && !EnterIsTyped(target) ? ok_
                     : key == kKeyEscape                       ? cancel_
                                                               : nullptr;
    if (button) {
      if (pressed && !(e->words[2] & kModRepeat)) {
        if (key_button_ && key_button_ != button) key_button_->CancelKeyPress();
        key_button_ = button;
        button->KeyPress();
      } else if (!pressed && key_button_ == button) {
        key_button_ = nullptr;
        button->KeyRelease();
      }
      return 1;
    }
    if (pressed && key_button_) {
      key_button_->CancelKeyPress();
      key_button_ = nullptr;
    }
  }
  return Window::HandleEvent(target, type, e);
}

void DialogWindow::ButtonClicked(int value) {
  int allowed = value == 0 ? OnOk() : OnCancel();
  if (!allowed) {
    Beep();
    return;
  }
  Finish(value == 0 ? 1 : 0);
}

void DialogWindow::Finish(int result) {
  SetVisible(false);
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(result);
}

int DialogWindow::RequestClose(int) {
  ButtonClicked(1);
  return 0;  // the dialog hides; its opener closes it
}

int DialogWindow::RunDialog() {
  CentreInParent();
  SetVisible(true);
  Activate(0);
  return RunModal(this, kModalKeysToWindow | kModalDim | kModalEndOnQuit);
}

}  // namespace brae
