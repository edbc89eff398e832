#pragma once
// Images on the clipboard as device-independent bitmaps: window snapshots (Control+F12) and the
// detail texture editor's copy and paste.

#include <cstdint>
#include <vector>

namespace brae {

// Window snapshots go to the clipboard from now on.
void SendSnapshotsToClipboard();
bool CopyImageToClipboard(const std::vector<uint8_t>& dib);
// A 24-bit bitmap from the clipboard; false when it holds no image.
bool PasteImageFromClipboard(std::vector<uint8_t>* dib);

}  // namespace brae
