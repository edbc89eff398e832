#pragma once
// The toolkit's message box: a title, an optional message (a read-only text box) and up to four
// buttons, centred on the screen and run as a modal loop. With an input field it is the input
// box that asks for a name.

#include <string>
#include <vector>

#include "toolkit/Button.h"
#include "toolkit/TextBox.h"

namespace brae {

constexpr uint32_t kMessageBoxFlags = 0x402AF;
constexpr int kMessageBoxMaxButtons = 4;

class MessageBoxWindow : public Window {
 public:
  // With_input adds a single-line text field under the title (the input box).
  MessageBoxWindow(const char* title, const char* message, const std::vector<std::string>& labels,
                   bool with_input = false);
  const char* ClassName() const override { return "MessageBoxWindow"; }
  int HandleEvent(Window* target, EventType type, Event* event) override;
  int RequestClose(int reason) override;

  // Ends the loop with the button's index and closes the box.
  void Choose(int index);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  Button* ButtonAt(int index) const { return buttons_[index]; }
  TextBox* MessageBox() const { return message_; }
  TextBox* InputField() const { return input_; }
  int Result() const { return result_; }
  // Where Choose leaves the field's text (the box itself is deleted soon after).
  void SetInputResult(std::string* out) { input_result_ = out; }

 private:
  void OnEnter(int pressed);
  int FocusedButton() const;

  TextBox* message_ = nullptr;
  TextBox* input_ = nullptr;
  std::vector<Button*> buttons_;
  int result_ = -1;
  std::string* input_result_ = nullptr;
};

// Returns the index of the pressed button (labels beyond the fourth are ignored).
int ShowMessageBox(const char* title, const char* message, const std::vector<std::string>& labels);
// Labels given as arguments, ended by a null pointer.
int ShowMessageBoxV(const char* title, const char* message, const char* first_label, ...);
// A message box titled "Error" with the single button "OK" and the formatted text (at most 1023
// characters).
void ShowError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The input box: the message box with a single-line field under the title, filled with *text;
// returns the index of the pressed button and hands back the field's text in *text.
int ShowInputBox(const char* title, const std::vector<std::string>& labels, std::string* text);

}  // namespace brae
