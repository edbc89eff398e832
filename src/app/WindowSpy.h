#pragma once
// The window spy ("Window Spy", Debug menu): the live window tree in a list, refreshed with F5.

#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

class ListWindow;

// One window of the tree as the spy lists it.
struct WindowSpyRow {
  int depth = 0;     // 0 for the root window
  int parent = -1;   // index of the parent's row
  std::string text;  // the title, or "(unnamed)"
  std::string class_name;
  const Window* window = nullptr;
  bool has_children = false;
  bool expanded = false;  // top-level windows start expanded
};

// Walks the tree from root depth first, each window after its parent.
std::vector<WindowSpyRow> CollectWindowTree(const Window* root);

class WindowView : public Window {
 public:
  WindowView();
  const char* ClassName() const override { return "WindowView"; }
  int KeyDown(Event* event) override;
  void WillClose() override;
  void Layout() override;

  // Clears the list and fills it with the window tree again.
  void Refill();
  ListWindow* List() const { return list_; }
  // The spied window of a row's record.
  const Window* RowWindow(size_t record) const;

 private:
  ListWindow* list_ = nullptr;
  std::vector<WindowSpyRow> records_;
};

// Brings the existing spy to the front, or opens one.
void ShowWindowSpy();

}  // namespace brae
