#include "collection/ui/CommandListWindow.h"

#include <algorithm>

#include "toolkit/Event.h"
#include "toolkit/Menu.h"

namespace brae {

std::vector<size_t> CommandListWindow::SelectedIndices() const {
  std::vector<size_t> out;
  for (ListRow* row : SelectedRows())
    if (row->value >= 0 && RecordExists(size_t(row->value))) out.push_back(size_t(row->value));
  std::sort(out.begin(), out.end());
  return out;
}

void CommandListWindow::ShowContextMenu(int x, int y) {
  Menu* menu = BuildContextMenu();
  const int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command >= 0 && command < CommandCount()) RunCommand(command);
}

void CommandListWindow::RunCommand(int command) {
  OnCommand(command, SelectedIndices());
  if (!IsClosed() && IsEffectivelyVisible()) SetFocus(1);
}

void CommandListWindow::ClientMouseButton(Event* event) {
  if (event->Button() == 1 && event->Pressed()) {
    SetFocus(1);
    if (ListRow* row = RowAt(event->X(), event->Y()))
      if (!row->IsSelected()) Select(row, false);
    ShowContextMenu(event->X(), event->Y());
    return;
  }
  ListWindow::ClientMouseButton(event);
}

}  // namespace brae
