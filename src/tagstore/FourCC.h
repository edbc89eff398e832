#pragma once
// Four-character codes: four characters packed into 32 bits, first character most significant.

#include <cstdint>
#include <string>

namespace brae {

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
         uint32_t(uint8_t(d));
}

constexpr uint32_t FourCC(const char (&s)[5]) {
  return MakeFourCC(s[0], s[1], s[2], s[3]);
}

// The subgroup id that means "none".
constexpr uint32_t kNoSubgroup = 0xFFFFFFFFu;

// The code's four characters, as shown to the user.
inline std::string FourCCToString(uint32_t code) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[i] = char((code >> (24 - 8 * i)) & 0xFF);
  return s;
}

}  // namespace brae
