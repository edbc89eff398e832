#pragma once
// A list of a collection's named records (sequences, hue changes) whose rows carry their
// record's index, with a context menu of commands numbered from 0: a left click selects the row
// under the pointer (keeping a selection that holds it) and pops the menu up.
#include <cstddef>
#include <vector>

#include "toolkit/ListWindow.h"

namespace brae {

class Menu;

class CommandListWindow : public ListWindow {
 public:
  using ListWindow::ListWindow;

  // The indices carried by the selected rows whose records still exist, ascending.
  std::vector<size_t> SelectedIndices() const;

  // The context menu: built for the current selection, shown at (x, y), its choice run.
  virtual Menu* BuildContextMenu() const = 0;
  void ShowContextMenu(int x, int y);
  // Runs a command, then gives the focus back to the list if it is still shown.
  void RunCommand(int command);

  void ClientMouseButton(Event* event) override;

 protected:
  virtual int CommandCount() const = 0;
  virtual void OnCommand(int command, const std::vector<size_t>& selected) = 0;
  virtual bool RecordExists(size_t index) const = 0;
};

}  // namespace brae
