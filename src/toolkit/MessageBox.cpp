#include "toolkit/MessageBox.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"

namespace brae {
namespace {

constexpr uint32_t kMessageBoxFlags = 0x402AF;
constexpr int kMaxButtons = 4;

int ButtonHeight() {
  int w = 0, h = 0;
  if (Ui().skin) Ui().skin->ImageSize(kSkinButton, &w, &h);
  return std::max(LineHeight(DefaultFont()) + 6, h);
}

// A push button that reports to its message box.
class MessageBoxButton : public Window {
 public:
  MessageBoxButton(MessageBoxWindow* box, int index, const std::string& label)
      : Window(kWindowVisible | kWindowEnabled | kWindowFocusable, box), box_(box) {
    user_value = index;
    SetTitle(label.c_str());
  }
  const char* ClassName() const override { return "Button"; }

  void ClientMouseButton(Event* e) override {
    if (!e->words[5] || e->words[4] != 0) return;
    BeginMouseTracking(this, nullptr, nullptr);
  }
  void TrackMouse(int, int, int x, int y, int phase) override {
    bool inside = client.Contains(x, y);
    bool look = phase < 2 && inside;
    if (look != pressed_) {
      pressed_ = look;
      Invalidate();
    }
    if (phase == 2 && inside) box_->Choose(user_value);
  }
  void DrawContent() override {
    Skin* skin = Ui().skin;
    Rect r(0, 0, client.Width(), client.Height());
    if (skin && skin->Image(kSkinButton)) {
      skin->QueueImage(pressed_ ? kSkinButtonPressed : kSkinButton, 0, 0, r.x1, r.y1);
      skin->FlushSprites();
    } else {
      SetColor(pressed_ ? 0xFF303030u : 0xFF606060u);
      FillRect(r);
    }
    SetColor(0xFFFFFFFFu);
    DrawTextInRect(this, Title(), r.Offset(pressed_ ? 1 : 0, pressed_ ? 1 : 0),
                   kTextCentre | kTextCentreVertically | kTextShadow);
    if (HasFocus()) {
      SetColor(0xFF60C0E0u);  // amber
      FrameRect(r.Inset(2), 1, true);
    }
  }

 private:
  MessageBoxWindow* box_;
  bool pressed_ = false;
};

}  // namespace

MessageBoxWindow::MessageBoxWindow(const char* title, const char* message,
                                   const std::vector<std::string>& labels)
    : Window(kMessageBoxFlags) {
  SetTitle(title);
  message_ = message ? message : "";
  const Font* font = GetFont();
  int count = std::min<int>(static_cast<int>(labels.size()), kMaxButtons);
  std::vector<int> widths;
  int total = 0;
  for (int i = 0; i < count; ++i) {
    widths.push_back(std::max(MeasureText(font, labels[i].c_str(), 0) + 32, 96));
    total += widths.back() + (i ? 24 : 0);
  }
  int message_width = std::min(MeasureText(font, message_.c_str(), 0), 512);
  int width = std::max(message_width, total) + 64;
  int message_height =
      message_.empty() ? 0 : WrappedTextHeight(font, message_.c_str(), 0, width - 64, 0);
  int button_height = ButtonHeight();
  int height = message_height + (message_.empty() ? 0 : 24) + button_height + 64;

  // The client gets the computed size; the frame is built around it.
  Point frame_size;
  Rect probe;
  FrameToClient(Rect(0, 0, 1000, 1000), &probe);
  frame_size.x = width + (1000 - probe.Width());
  frame_size.y = height + (1000 - probe.Height());
  SetFrame(Rect(0, 0, frame_size.x, frame_size.y));
  CentreInParent();
  message_rect_ = Rect(32, 32, width - 32, 32 + message_height);
  int x = (width - total) / 2, y = height - 32 - button_height;
  for (int i = 0; i < count; ++i) {
    auto* button = new MessageBoxButton(this, i, labels[i]);
    button->SetFrame(Rect(x, y, x + widths[i], y + button_height));
    buttons_.push_back(button);
    x += widths[i] + 24;
  }
  if (!buttons_.empty()) {
    SetTabOrder(buttons_.data(), static_cast<int>(buttons_.size()));
    focus_child = buttons_[0];
  }
}

void MessageBoxWindow::DrawContent() {
  if (message_.empty()) return;
  SetColor(0xFFFFFFFFu);
  DrawTextInRect(this, message_.c_str(), message_rect_, kTextWrap | kTextShadow);
}

int MessageBoxWindow::KeyDown(Event* e) {
  if (!e->words[1] || buttons_.empty()) return 1;
  int key = e->words[0];
  int focused = 0;
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->HasFocus()) focused = static_cast<int>(i);
  int n = static_cast<int>(buttons_.size());
  if (key == kKeyEnter || key == kKeySpace)
    Choose(focused);
  else if (key == kKeyEscape)
    Choose(n - 1);
  else if (key == kKeyLeft)
    buttons_[(focused + n - 1) % n]->SetFocus(2);
  else if (key == kKeyRight)
    buttons_[(focused + 1) % n]->SetFocus(2);
  return 1;
}

void MessageBoxWindow::Choose(int index) {
  if (IsClosed()) return;
  if (IsOnModalStack(this) && TopModal()->window == this) EndModal(index);
  Close();
}

int ShowMessageBox(const char* title, const char* message, const std::vector<std::string>& labels) {
  auto* box = new MessageBoxWindow(title, message, labels);
  if (box->ButtonCount() > 0) box->ButtonAt(0)->SetFocus(0);
  int result = RunModal(box, kModalKeysToWindow | kModalDim);
  if (!box->IsClosed()) box->Close();
  return result;
}

void ShowError(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ShowMessageBox("Error", text, {"OK"});
}

}  // namespace brae
