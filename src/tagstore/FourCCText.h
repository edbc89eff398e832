#pragma once
// Four-character codes as text that can be passed back on a command line or read from a column.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tagstore/FourCC.h"

namespace brae {

// The code's four characters when each is printable ASCII, else "0x" and eight hex digits.
inline std::string FourCCText(uint32_t code) {
  bool printable = true;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint8_t c = uint8_t(code >> shift);
    printable = printable && c >= 0x20 && c <= 0x7E;
  }
  if (printable) return FourCCToString(code);
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", unsigned(code));
  return text;
}

// Reads FourCCText's forms back: exactly four characters, or 0x followed by eight hex digits.
inline bool ParseFourCCText(const std::string& text, uint32_t* code) {
  if (text.size() == 4) {
    *code = MakeFourCC(text[0], text[1], text[2], text[3]);
    return true;
  }
  if (text.size() == 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      text.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
    *code = uint32_t(std::strtoul(text.c_str() + 2, nullptr, 16));
    return true;
  }
  return false;
}

}  // namespace brae
