#include "toolkit/TextClipboard.h"

#include "platform/Clipboard.h"
#include "toolkit/CharMap.h"

namespace brae {

void CopyTextToClipboard(const std::string& text) {
  platform::SetClipboardText(text, ToUnicode(text));
}

bool PasteTextFromClipboard(std::string* text) {
  std::u16string unicode;
  if (platform::GetClipboardUnicode(&unicode)) {
    *text = FromUnicode(unicode);
    return true;
  }
  return platform::GetClipboardEightBit(text);
}

}  // namespace brae
