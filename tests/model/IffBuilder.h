#pragma once
// A small IFF builder for hand-made LightWave objects in tests: big-endian values, chunks and
// sub-chunks with their pad bytes, and the FORM around them.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace brae {
namespace test {

struct Iff {
  std::vector<uint8_t> b;
  void U2(uint16_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
  }
  void U4(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (24 - 8 * i)));
  }
  void Id(const char* s) { b.insert(b.end(), s, s + 4); }
  void F4(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U4(v);
  }
  void S0(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    if (b.size() & 1) b.push_back(0);
  }
  // Appends a chunk with the given body; odd bodies get their pad byte.
  void Chunk(const char* id, const std::vector<uint8_t>& body, bool sub = false) {
    Id(id);
    if (sub) {
      U2(uint16_t(body.size()));
    } else {
      U4(uint32_t(body.size()));
    }
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
  }
  std::vector<uint8_t> Form(const char* type = "LWO2") const {
    Iff f;
    f.Id("FORM");
    f.U4(uint32_t(b.size() + 4));
    f.Id(type);
    f.b.insert(f.b.end(), b.begin(), b.end());
    return f.b;
  }
};

}  // namespace test
}  // namespace brae
