#pragma once
// The generic dialog frame: content above a row with "OK" and "Cancel". Enter and Escape drive
// the two buttons while the dialog is the running modal window.

#include "toolkit/Button.h"

namespace brae {

constexpr uint32_t kDialogFlags = 0x402EF;
constexpr int kDialogButtonWidth = 64;
constexpr int kDialogMargin = 16;

class DialogWindow : public Window {
 public:
  explicit DialogWindow(uint32_t flags = kDialogFlags, Window* parent = nullptr);
  const char* ClassName() const override { return "DialogWindow"; }

  // Nonzero lets the dialog close.
  virtual int OnOk() { return 1; }
  virtual int OnCancel() { return 1; }

  // The content area: 16-pixel margins, above the button row (client-local).
  Rect ContentRect() const;
  // Makes the client (w + 32) x (h + button height + 32).
  void SetContentSize(int width, int height);
  // Links the first content control, OK and Cancel into the tab ring.
  void SetTabOrder(Window* first_control);
  // Runs the dialog as a modal loop; 1 for OK, 0 for Cancel.
  int RunDialog();

  Button* OkButton() const { return ok_; }
  Button* CancelButton() const { return cancel_; }

  int HandleEvent(Window* target, EventType type, Event* event) override;
  void ConstrainFrame(const Rect& old_frame, const Rect& requested, Rect* out) override;
  int RequestClose(int reason) override;
  void Layout() override;

 protected:
  void ButtonClicked(int value);
  void Finish(int result);

  Button* ok_ = nullptr;
  Button* cancel_ = nullptr;
  Button* key_button_ = nullptr;  // the button an Enter or Escape press is driving
};

}  // namespace brae
