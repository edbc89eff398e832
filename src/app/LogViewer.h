#pragma once
// The log viewer ("Log Viewer"): one page per message-log category, shown by messages of level
// 1 or more. Closing it only hides it, so the log survives.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

class ListWindow;
struct ListRow;
class SplitterWindow;
class TextBox;

class MessageLogWindow : public Window {
 public:
  MessageLogWindow();
  ~MessageLogWindow() override;
  const char* ClassName() const override { return "MessageLogWindow"; }
  int RequestClose(int reason) override;
  void Layout() override;

  // Appends text to the category's page (created when new); level 1 or more shows the viewer
  // with that page selected.
  void Append(int level, const std::string& category, const std::string& text);
  void ShowViewer();

  ListWindow* Categories() const { return list_; }
  // The text box of a category's page, or null.
  TextBox* PageText(const std::string& category) const;
  // The category of the selected page ("" when none).
  std::string SelectedCategory() const;

 private:
  struct Page {
    std::string category;
    ListRow* row = nullptr;
    TextBox* text = nullptr;
  };
  Page* FindPage(const std::string& category) const;
  Page* CreatePage(const std::string& category);
  void SelectionChanged();

  SplitterWindow* splitter_ = nullptr;
  ListWindow* list_ = nullptr;
  std::vector<std::unique_ptr<Page>> pages_;
  Page* shown_ = nullptr;
};

// The one viewer; null before it was needed.
MessageLogWindow* TheLogViewer();
// Attaches the viewer to the message log: from now on new text goes to its pages.
void AttachLogViewer();
// Creates the viewer if needed, shows it and brings it to the front.
void ShowLogViewer();

}  // namespace brae
