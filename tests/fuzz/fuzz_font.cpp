// libFuzzer target: the bitmap font loader over arbitrary file contents, with a little layout
// of text in every font it accepts.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/Font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  brae::Font* font = brae::LoadFontFromBytes(bytes, false);
  if (!font) return 0;
  const char* text = "Ab |bBold|p wrap\tme, \xe9\xff";
  for (int style = 0; style < 4; ++style) {
    brae::MeasureText(font, text, style);
    brae::WrappedTextHeight(font, text, style, 40, 0);
    brae::HitTestText(font, text, style, 17);
  }
  brae::FreeFont(font);
  return 0;
}
