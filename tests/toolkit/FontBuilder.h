#pragma once
// Builds small font files for tests: every glyph a filled box, fixed advances, optional styles.

#include <cstdint>
#include <vector>

namespace brae::test {

struct FontSpec {
  int baseline = 10, line_height = 12, tab_spaces = 8;
  int glyph_width = 5, glyph_height = 8, advance = 6, space_advance = 4;
  bool styles[4] = {true, true, true, true};
  // A glyph of this code gets these bitmap sizes (a tall one packs rotated).
  int special_code = 0, special_width = 0, special_height = 0, special_advance = 0;
};

inline void Put32(std::vector<uint8_t>* b, int32_t v) {
  for (int i = 0; i < 4; ++i)
    b->push_back(static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}
inline void Put16(std::vector<uint8_t>* b, int v) {
  b->push_back(static_cast<uint8_t>(v & 0xFF));
  b->push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

inline std::vector<uint8_t> BuildFont(const FontSpec& s) {
  std::vector<uint8_t> b;
  Put32(&b, s.baseline);
  Put32(&b, 0);
  Put32(&b, s.line_height);
  Put32(&b, s.tab_spaces);
  for (int style = 0; style < 4; ++style) {
    for (int code = 0x20; code < 0x100; ++code) {
      bool space = code == 0x20;
      int w = space ? 0 : s.glyph_width, h = space ? 0 : s.glyph_height;
      int adv = space ? s.space_advance : s.advance + (style == 1 ? 1 : 0);
      if (code == s.special_code)
        w = s.special_width, h = s.special_height, adv = s.special_advance;
      Put16(&b, w);
      Put16(&b, h);
      Put16(&b, 0);
      Put16(&b, -s.baseline & 0xFFFF);
      // Advances: one run of 224 is too long for a byte; two runs of 112.
      for (int r = 0; r < 2; ++r) {
        b.push_back(static_cast<uint8_t>(adv));
        b.push_back(111);
      }
      for (int i = 0; i < w * h; ++i) b.push_back(static_cast<uint8_t>(i % 2 ? 255 : 128));
    }
    Put32(&b, 0);
    Put32(&b, 0);
    Put32(&b, 0);
    Put32(&b, s.styles[style] ? 1 : 0);
  }
  return b;
}

}  // namespace brae::test
