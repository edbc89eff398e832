#pragma once
// Building big-endian test data by hand.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace brae::test {

class Bytes {
 public:
  Bytes& U8(std::initializer_list<int> values) {
    for (int v : values) b.push_back(uint8_t(v));
    return *this;
  }
  Bytes& U16(std::initializer_list<int> values) {
    for (int v : values) b.push_back(uint8_t(v >> 8)), b.push_back(uint8_t(v));
    return *this;
  }
  Bytes& U32(uint32_t v) {
    for (int i = 24; i >= 0; i -= 8) b.push_back(uint8_t(v >> i));
    return *this;
  }
  Bytes& Zeros(size_t n) {
    b.insert(b.end(), n, 0);
    return *this;
  }
  std::vector<uint8_t> b;
};

// A 52-byte bitmap header.
inline Bytes BitmapHeader(int width, int height, int flags, int depth, int size_code,
                          int encoding = 0) {
  Bytes h;
  h.U16({width, height, width * (size_code + 1), flags, depth, 0, 0, size_code, encoding})
      .Zeros(34);
  return h;
}

}  // namespace brae::test
