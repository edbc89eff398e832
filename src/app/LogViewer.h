#pragma once
// The log viewer ("Log Viewer"): one page per message-log category, shown by messages of level
// 1 or more.

namespace brae {

// Attaches the viewer to the message log: from now on new text goes to its pages.
void AttachLogViewer();
// Creates the viewer if needed, shows it and brings it to the front.
void ShowLogViewer();

}  // namespace brae
