#include "toolkit/MessageBox.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kButtonGap = 24;
constexpr int kMinButtonWidth = 96;
constexpr int kMaxMessageWidth = 512;
constexpr int kInputWidth = 320;

}  // namespace

MessageBoxWindow::MessageBoxWindow(const char* title, const char* message,
                                   const std::vector<std::string>& labels, bool with_input)
    : Window(kMessageBoxFlags) {
  SetTitle(title);
  const Font* font = GetFont();
  std::string text = message ? message : "";
  int count = std::min<int>(static_cast<int>(labels.size()), kMessageBoxMaxButtons);
  std::vector<int> widths;
  int total = 0;
  for (int i = 0; i < count; ++i) {
    widths.push_back(std::max(MeasureText(font, labels[i].c_str(), 0) + 32, kMinButtonWidth));
    total += widths.back() + (i ? kButtonGap : 0);
  }
  int message_width = std::min(MeasureText(font, text.c_str(), 0), kMaxMessageWidth);
  int inner = std::max(message_width, total);
  if (with_input) inner = std::max(inner, kInputWidth);
  int width = inner + 64;
  int message_height = text.empty() ? 0 : WrappedTextHeight(font, text.c_str(), 0, inner, 0);
  int input_height = with_input ? LineHeight(this) + 8 : 0;
  int button_height = StandardButtonHeight(this);
  int height = message_height + (text.empty() ? 0 : 24) + (with_input ? input_height + 24 : 0) +
               button_height + 64;

  Point frame_size = FrameSizeForClient(width, height);
  SetFrame(Rect(0, 0, frame_size.x, frame_size.y));
  CentreInParent();

  int y = 32;
  if (with_input) {
    input_ = new TextBox(kTextSingleLine, this);
    input_->SetFrame(Rect(32, y, width - 32, y + input_height));
    input_->enter.Connect(this, &MessageBoxWindow::OnEnter);
    y += input_height + 24;
  }
  if (!text.empty()) {
    message_ = new TextBox(kTextStatic, this);
    message_->SetFrame(Rect(32 - 3, y, width - 32 + 3, y + message_height + 4));
    message_->SetText(text.c_str());
  }
  int x = (width - total) / 2, by = height - 32 - button_height;
  for (int i = 0; i < count; ++i) {
    auto* button = new Button(this, i);
    button->SetTitle(labels[i].c_str());
    button->SetFrame(Rect(x, by, x + widths[i], by + button_height));
    button->clicked_with_value.Connect(this, &MessageBoxWindow::Choose);
    buttons_.push_back(button);
    x += widths[i] + kButtonGap;
  }
  std::vector<Window*> ring;
  if (input_) ring.push_back(input_);
  ring.insert(ring.end(), buttons_.begin(), buttons_.end());
  if (ring.size() > 1) SetTabOrder(ring.data(), static_cast<int>(ring.size()));
  if (!ring.empty()) focus_child = ring[0];
}

int MessageBoxWindow::FocusedButton() const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->HasFocus()) return static_cast<int>(i);
  return 0;
}

int MessageBoxWindow::HandleEvent(Window* target, EventType type, Event* e) {
  if (type == EventType::Key && e->words[1] && !buttons_.empty() &&
      (target == this || IsAncestorOf(target))) {
    int key = e->Key();
    int n = static_cast<int>(buttons_.size());
    bool in_field = input_ && target == input_;
    if (key == kKeyEnter || (key == kKeySpace && !in_field)) {
      Choose(FocusedButton());
      return 1;
    }
    if (key == kKeyEscape) {
      Choose(n - 1);
      return 1;
    }
    if (!in_field && (key == kKeyLeft || key == kKeyRight)) {
      int focused = FocusedButton();
      buttons_[(focused + (key == kKeyLeft ? n - 1 : 1)) % n]->SetFocus(2);
      return 1;
    }
  }
  return Window::HandleEvent(target, type, e);
}

void MessageBoxWindow::OnEnter(int pressed) {
  if (pressed) Choose(0);
}

int MessageBoxWindow::RequestClose(int) {
  Choose(static_cast<int>(buttons_.size()) - 1);
  return 0;
}

void MessageBoxWindow::Choose(int index) {
  if (IsClosed()) return;
  result_ = index;
  if (input_ && input_result_) *input_result_ = input_->Text();
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(index);
  Close();
}

namespace {

int RunBox(MessageBoxWindow* box) {
  if (box->InputField())
    box->InputField()->SetFocus(0);
  else if (box->ButtonCount() > 0)
    box->ButtonAt(0)->SetFocus(0);
  int result = RunModal(box, kModalKeysToWindow | kModalDim | kModalEndOnQuit);
  if (!box->IsClosed()) box->Close();
  return result;
}

}  // namespace

int ShowMessageBox(const char* title, const char* message, const std::vector<std::string>& labels) {
  return RunBox(new MessageBoxWindow(title, message, labels));
}

int ShowMessageBoxV(const char* title, const char* message, const char* first_label, ...) {
  std::vector<std::string> labels;
  va_list args;
  va_start(args, first_label);
  for (const char* label = first_label; label; label = va_arg(args, const char*))
    labels.push_back(label);
  va_end(args);
  return ShowMessageBox(title, message, labels);
}

void ShowError(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ShowMessageBox("Error", text, {"OK"});
}

int ShowInputBox(const char* title, const std::vector<std::string>& labels, std::string* text) {
  auto* box = new MessageBoxWindow(title, nullptr, labels, true);
  box->InputField()->SetText(text->c_str());
  box->InputField()->SelectAll();
  std::string entered = *text;
  box->SetInputResult(&entered);
  int result = RunBox(box);
  *text = entered;
  return result;
}

}  // namespace brae
