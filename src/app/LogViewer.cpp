#include "app/LogViewer.h"

#include "app/RootMenu.h"
#include "toolkit/MessageBox.h"

namespace brae {

// The viewer window needs the list and splitter controls; until it exists the log keeps its
// text and the command says so.
void AttachLogViewer() {}

void ShowLogViewer() {
  ShowMessageBox(kNotAvailableTitle, kNotAvailableText, {"OK"});
}

}  // namespace brae
