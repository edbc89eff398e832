#include "app/WindowSpy.h"

#include "app/RootMenu.h"
#include "toolkit/MessageBox.h"

namespace brae {
namespace {

void AddWindow(const Window* window, int depth, int parent, std::vector<WindowSpyRow>* rows) {
  WindowSpyRow row;
  row.depth = depth;
  row.parent = parent;
  const char* title = window->Title();
  row.text = title ? title : "(unnamed)";
  row.class_name = window->ClassName();
  row.window = window;
  row.has_children = window->FirstChild() != nullptr;
  row.expanded = (window->Flags() & kWindowTopLevel) != 0;
  int index = static_cast<int>(rows->size());
  rows->push_back(row);
  for (const Window* child = window->FirstChild(); child; child = child->NextSibling())
    AddWindow(child, depth + 1, index, rows);
}

}  // namespace

std::vector<WindowSpyRow> CollectWindowTree(const Window* root) {
  std::vector<WindowSpyRow> rows;
  if (root) AddWindow(root, 0, -1, &rows);
  return rows;
}

// The spy's window needs the list control; until it exists the command says so.
void ShowWindowSpy() {
  ShowMessageBox(kNotAvailableTitle, kNotAvailableText, {"OK"});
}

}  // namespace brae
