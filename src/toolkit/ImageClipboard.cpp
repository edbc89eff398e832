#include "toolkit/ImageClipboard.h"

#include "platform/Clipboard.h"
#include "toolkit/UiState.h"

namespace brae {

void SendSnapshotsToClipboard() {
  Ui().snapshot_sink = [](const std::vector<uint8_t>& dib) { platform::SetClipboardDib(dib); };
}

bool CopyImageToClipboard(const std::vector<uint8_t>& dib) {
  return platform::SetClipboardDib(dib);
}

bool PasteImageFromClipboard(std::vector<uint8_t>* dib) {
  return platform::GetClipboardDib(dib);
}

}  // namespace brae
