#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FontBuilder.h"
#include "TempDir.h"
#include "toolkit/Font.h"
#include "toolkit/RectPacker.h"

namespace brae {
namespace {

struct FontDeleter {
  void operator()(Font* f) const { FreeFont(f); }
};
using FontPtr = std::unique_ptr<Font, FontDeleter>;

FontPtr Make(const test::FontSpec& spec = {}) {
  std::string error;
  FontPtr font(LoadFontFromBytes(test::BuildFont(spec), false, &error));
  EXPECT_TRUE(font) << error;
  return font;
}

int GlyphsDrawn(const Font* font, const char* text, int flags, const Rect& rect,
                std::vector<PlacedGlyph>* out = nullptr) {
  std::vector<PlacedGlyph> glyphs;
  LayoutText(font, text, 0, flags, rect, &glyphs);
  if (out) *out = glyphs;
  return static_cast<int>(glyphs.size());
}

TEST(FontLoading, ReadsHeaderStylesAndAdvances) {
  FontPtr font = Make();
  EXPECT_EQ(font->header[0], 10);
  EXPECT_EQ(LineHeight(font.get()), 14);
  for (int s = 0; s < 4; ++s) EXPECT_TRUE(font->styles[s].Present());
  EXPECT_EQ(GlyphAdvance(font.get(), 0, 0, 'A', 'B'), 6);
  EXPECT_EQ(GlyphAdvance(font.get(), 1, 0, 'A', 'B'), 7);
  EXPECT_EQ(GlyphAdvance(font.get(), 0, 0, ' ', 'B'), 4);
  EXPECT_EQ(GlyphAdvance(font.get(), 0, 0, 5, 'B'), 0);  // control codes advance nothing
  EXPECT_FALSE(font->atlases.empty());
}

TEST(FontLoading, EveryTruncationFails) {
  std::vector<uint8_t> bytes = test::BuildFont({});
  for (size_t size : {size_t(0), size_t(15), size_t(16), size_t(17), size_t(100), bytes.size() / 2,
                      bytes.size() - 16, bytes.size() - 1}) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
    std::string error;
    EXPECT_EQ(LoadFontFromBytes(cut, false, &error), nullptr) << size;
    EXPECT_FALSE(error.empty());
  }
}

TEST(FontLoading, HostileGlyphRecordsAreRejected) {
  // A glyph claiming 65535 x 65535 pixels in a file of a few kilobytes: refused, not allocated.
  std::vector<uint8_t> bytes = test::BuildFont({});
  bytes[16] = bytes[17] = bytes[18] = bytes[19] = 0xFF;
  std::string error;
  EXPECT_EQ(LoadFontFromBytes(bytes, false, &error), nullptr);
  EXPECT_EQ(error, "short glyph bitmap");
  // An advance run running past the 224 entries of its table.
  bytes = test::BuildFont({});
  bytes[16 + 8 + 1] = 200;  // first run 201 long, second 112: overflow
  EXPECT_EQ(LoadFontFromBytes(bytes, false, &error), nullptr);
  EXPECT_EQ(error, "bad advance table");
  EXPECT_EQ(LoadFont("/nonexistent/plume.braefont", false), nullptr);
}

TEST(FontLoading, TallGlyphIsPackedRotatedAndStoredTransposed) {
  test::FontSpec spec;
  spec.special_code = 'I';
  spec.special_width = 2;
  spec.special_height = 30;
  spec.special_advance = 3;
  FontPtr font = Make(spec);
  const Glyph& g = font->styles[0].glyphs['I' - 0x20];
  EXPECT_TRUE(g.rotated);
  // The glyph's pixel (x 1, y 0) is 255 (odd index); transposed it sits at atlas (0, 1).
  const std::vector<uint8_t>& atlas = font->atlas_pixels[g.atlas];
  int stride = font->atlases[g.atlas].width;
  EXPECT_EQ(atlas[(g.atlas_y + 1) * stride + g.atlas_x + 0], 255);
  EXPECT_EQ(atlas[(g.atlas_y + 0) * stride + g.atlas_x + 0], 128);
}

TEST(FontLayout, TabAdvancesToNextMultipleOfSpaceTimesTabWidth) {
  test::FontSpec spec;
  spec.space_advance = 4;
  spec.tab_spaces = 8;
  FontPtr font = Make(spec);
  EXPECT_EQ(GlyphAdvance(font.get(), 0, 10, 9, 'a'), 22);
  EXPECT_EQ(GlyphAdvance(font.get(), 0, 32, 9, 'a'), 32);
}

TEST(FontLayout, MarkupSwitchesStylesAndBarsOtherwiseDraw) {
  FontPtr font = Make();
  std::vector<PlacedGlyph> glyphs;
  Rect wide(0, 0, 1000, 100);
  EXPECT_EQ(GlyphsDrawn(font.get(), "|x", 0, wide), 2);
  EXPECT_EQ(GlyphsDrawn(font.get(), "||bA", 0, wide, &glyphs), 2);
  EXPECT_EQ(glyphs[0].code, '|');
  EXPECT_EQ(glyphs[0].style, 0);
  EXPECT_EQ(glyphs[1].style, 1);
  EXPECT_EQ(GlyphsDrawn(font.get(), "|i|BA|pB", 0, wide, &glyphs), 2);
  EXPECT_EQ(glyphs[0].style, 1);
  EXPECT_EQ(glyphs[1].style, 0);
  EXPECT_EQ(MeasureText(font.get(), "|bAB", 0), 14);
}

TEST(FontLayout, MissingStyleIsNeverSelected) {
  test::FontSpec spec;
  spec.styles[1] = false;
  FontPtr font = Make(spec);
  std::vector<PlacedGlyph> glyphs;
  GlyphsDrawn(font.get(), "|bAB", 0, Rect(0, 0, 500, 50), &glyphs);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0].style, 0);
  // A start style that is absent falls back to the first present one.
  spec.styles[0] = false;
  spec.styles[1] = true;
  FontPtr no_plain = Make(spec);
  EXPECT_EQ(no_plain->StartStyle(0), 1);
}

TEST(FontLayout, WrappingBreaksAtSpacesThenBeforeTheOverflowingCharacter) {
  FontPtr font = Make();  // advance 6, space 4
  // "AAAA BBBB" in 40 pixels: "AAAA" (24) fits, the space breaks.
  TextLine line = BreakLine(font.get(), "AAAA BBBB", 0, 0, 40, true);
  EXPECT_EQ(line.end, 4);
  EXPECT_EQ(line.next, 5);
  // A word wider than the rectangle without spaces: broken before the first that does not fit.
  line = BreakLine(font.get(), "AAAAAAAAAA", 0, 0, 20, true);
  EXPECT_EQ(line.end, 3);
  EXPECT_EQ(line.next, 3);
  // A single character wider than the line is placed alone.
  line = BreakLine(font.get(), "AB", 0, 0, 3, true);
  EXPECT_EQ(line.end, 1);
  EXPECT_EQ(WrappedTextHeight(font.get(), "AB", 0, 3, 0), 2 * 14);
  EXPECT_EQ(WrappedTextHeight(font.get(), "", 0, 3, 0), 14);
  EXPECT_EQ(WrappedTextHeight(font.get(), "one\ntwo\r\nthree", 0, 1000, 0), 3 * 14);
}

TEST(FontLayout, MeasureHitTestAndNullInputs) {
  FontPtr font = Make();
  EXPECT_EQ(MeasureText(font.get(), "AB\nABCD", 0), 24);
  EXPECT_EQ(MeasureText(nullptr, "AB", 0), 0);
  EXPECT_EQ(MeasureText(font.get(), nullptr, 0), 0);
  EXPECT_EQ(DrawText(nullptr, "AB", 0, 0, Rect(0, 0, 10, 10)), 0);
  EXPECT_EQ(HitTestText(font.get(), "ABC", 0, 2), 0);  // before the middle of A
  EXPECT_EQ(HitTestText(font.get(), "ABC", 0, 4), 1);  // past the middle of A
  EXPECT_EQ(HitTestText(font.get(), "ABC", 0, 13), 2);
  EXPECT_EQ(HitTestText(font.get(), "ABC", 0, 100), 3);
}

TEST(FontLayout, AlignmentAndLineLimits) {
  FontPtr font = Make();
  std::vector<PlacedGlyph> glyphs;
  GlyphsDrawn(font.get(), "AB", kTextCentre, Rect(0, 0, 112, 20), &glyphs);
  EXPECT_EQ(glyphs[0].x, 50);
  GlyphsDrawn(font.get(), "AB", kTextRight, Rect(0, 0, 112, 20), &glyphs);
  EXPECT_EQ(glyphs[0].x, 100);
  GlyphsDrawn(font.get(), "AB", kTextCentreVertically, Rect(0, 0, 100, 34), &glyphs);
  EXPECT_EQ(glyphs[0].y, 10);  // (34 - 14) / 2 + baseline 10 - 10
  // Without the several-lines flag only the first line is drawn.
  EXPECT_EQ(GlyphsDrawn(font.get(), "AB\nCD", 0, Rect(0, 0, 100, 100)), 2);
  EXPECT_EQ(GlyphsDrawn(font.get(), "AB\nCD", kTextMultiLine, Rect(0, 0, 100, 100)), 4);
  // Drawing stops below the rectangle's bottom.
  EXPECT_EQ(GlyphsDrawn(font.get(), "A\nB\nC\nD", kTextMultiLine, Rect(0, 0, 100, 20)), 2);
}

TEST(FontLoading, GeneratedProgramFontHasEveryStyle) {
  std::string path = std::string(BRAE_BUILD_DIR) + "/bin/res/plume.braefont";
  FontPtr font(LoadFont(path, false));
  ASSERT_TRUE(font) << path;
  for (int s = 0; s < 4; ++s) EXPECT_TRUE(font->styles[s].Present());
  EXPECT_GT(font->header[2], 8);
  EXPECT_GT(font->styles[0].glyphs['A' - 0x20].width, 0);
  EXPECT_GT(MeasureText(font.get(), "|bBrae", 0), MeasureText(font.get(), "Brae", 0));
}

TEST(RectPacking, EverythingPlacedWithoutOverlap) {
  std::vector<PackInput> rects;
  for (int i = 0; i < 300; ++i) rects.push_back(PackInput{1 + (i * 7) % 23, 1 + (i * 13) % 31});
  rects.push_back(PackInput{0, 5});
  std::vector<PackPlacement> places;
  std::vector<AtlasSize> atlases;
  ASSERT_TRUE(PackRects(rects, 128, 1, &places, &atlases));
  EXPECT_EQ(places.back().atlas, -1);
  for (size_t i = 0; i + 1 < rects.size(); ++i) {
    ASSERT_GE(places[i].atlas, 0);
    int w = places[i].rotated ? rects[i].height : rects[i].width;
    int h = places[i].rotated ? rects[i].width : rects[i].height;
    EXPECT_LE(places[i].x + w, atlases[places[i].atlas].width);
    EXPECT_LE(places[i].y + h, atlases[places[i].atlas].height);
    for (size_t j = 0; j < i; ++j) {
      if (places[j].atlas != places[i].atlas) continue;
      int w2 = places[j].rotated ? rects[j].height : rects[j].width;
      int h2 = places[j].rotated ? rects[j].width : rects[j].height;
      bool apart = places[i].x + w <= places[j].x || places[j].x + w2 <= places[i].x ||
                   places[i].y + h <= places[j].y || places[j].y + h2 <= places[i].y;
      EXPECT_TRUE(apart) << i << " " << j;
    }
  }
  EXPECT_FALSE(PackRects({PackInput{200, 3}}, 128, 1, &places, &atlases));
}

}  // namespace
}  // namespace brae
