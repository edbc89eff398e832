#pragma once
// The window spy ("Window Spy", Debug menu): the live window tree in a list, refreshed with F5.

#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

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

// Brings the existing spy to the front, or opens one.
void ShowWindowSpy();

}  // namespace brae
