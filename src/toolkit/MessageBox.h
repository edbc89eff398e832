#pragma once
// The toolkit's message box: a title, an optional message and up to four buttons, run as a
// modal loop. (The full controls set replaces its simple buttons later; the call stays.)

#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

class MessageBoxWindow : public Window {
 public:
  MessageBoxWindow(const char* title, const char* message, const std::vector<std::string>& labels);
  const char* ClassName() const override { return "MessageBoxWindow"; }
  void DrawContent() override;
  int KeyDown(Event* event) override;

  // Ends the loop with the button's index and closes the box.
  void Choose(int index);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  Window* ButtonAt(int index) const { return buttons_[index]; }

 private:
  std::string message_;
  Rect message_rect_;
  std::vector<Window*> buttons_;
};

// Returns the index of the pressed button (labels beyond the fourth are ignored).
int ShowMessageBox(const char* title, const char* message, const std::vector<std::string>& labels);
// A message box titled "Error" with the single button "OK".
void ShowError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace brae
