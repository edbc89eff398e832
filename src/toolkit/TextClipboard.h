#pragma once
// The program's 8-bit text on the clipboard: copied both as 8-bit and as Unicode text; pasting
// prefers the Unicode text and falls back to the 8-bit text.

#include <string>

namespace brae {

void CopyTextToClipboard(const std::string& text);
// False when the clipboard holds no text.
bool PasteTextFromClipboard(std::string* text);

}  // namespace brae
