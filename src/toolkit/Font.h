#pragma once
// The bitmap font ("res/plume.braefont"): four styles of 224 glyphs (codes 0x20..0xFF) with
// per-pair advances, packed into alpha texture atlases. Text may switch styles inline with
// "|b" (bold), "|i" (italic), "|o" (outline) and "|p" (plain).
//
// Index
//   file model ........................ Glyph, FontStyle, Font
//   loading ........................... LoadFont, LoadFontFromBytes, FreeFont
//   sharper renderings ................ ScaledResourcePath, SetTextScale, RenderingFor
//   measuring and layout (no GL) ...... LineHeight, GlyphAdvance, MeasureText, WrappedTextHeight,
//                                       HitTestText, BreakLine, LayoutText
//   drawing ........................... DrawText

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Rect.h"

namespace brae {

constexpr int kGlyphCount = 224;
constexpr int kStyleCount = 4;
// The largest factor of the sharper renderings that the build makes of the font and the skin.
constexpr int kMaxRenderingFactor = 3;

enum FontStyleIndex { kStylePlain = 0, kStyleBold = 1, kStyleItalic = 2, kStyleOutline = 3 };

enum TextDrawFlags : int {
  kTextMultiLine = 4,
  kTextWrap = 8,
  kTextCentre = 16,
  kTextRight = 32,
  kTextCentreVertically = 64,
  kTextShadow = 0x100,
  kTextCallerBatch = 0x200,
};

struct Glyph {
  uint16_t width = 0, height = 0;
  int16_t x_offset = 0, y_offset = 0;
  int8_t advance[kGlyphCount] = {};  // advance when followed by code 0x20 + i
  int atlas = -1;
  int atlas_x = 0, atlas_y = 0;
  bool rotated = false;
};

struct FontStyle {
  Glyph glyphs[kGlyphCount];
  int32_t trailer[4] = {};
  bool Present() const { return trailer[3] & 1; }
};

struct FontAtlas {
  int width = 0, height = 0;
  unsigned texture = 0;  // GL texture name; 0 when not uploaded
};

struct Font {
  int32_t header[4] = {};  // baseline offset, unused, line height, tab width in spaces
  FontStyle styles[kStyleCount];
  std::vector<FontAtlas> atlases;
  // Glyph bitmaps are kept only when the font was loaded without GL (tests, tools).
  std::vector<std::vector<uint8_t>> atlas_pixels;
  // Sharper renderings of the same text for an interface scale above 1 (owned, by ascending
  // factor): glyph bitmaps and offsets `factor` times as large. Layout always uses this font's
  // own advances and line height, so text takes the same logical pixels at every scale.
  int factor = 1;
  std::vector<Font*> renderings;

  // The style drawing starts with: the requested one, else the first present one.
  int StartStyle(int requested) const;
};

// Loads and uploads the font; null on a missing or short file. Without a current GL context
// (upload false) the atlases stay in memory. With upload, the renderings at 2x and 3x beside it
// (ScaledResourcePath) join it when they exist.
Font* LoadFont(const std::string& path, bool upload = true);
// A resource file's rendering at a factor: "res/plume.braefont" at 2 is "res/plume@2x.braefont",
// "res/texturepack" at 3 is "res/texturepack@3x".
std::string ScaledResourcePath(const std::string& path, int factor);
// The scale text is drawn at (the interface scale); DrawText draws with RenderingFor(font, it).
void SetTextScale(float scale);
// The rendering of the lowest factor at or above scale, else the largest one there is.
const Font* RenderingFor(const Font* font, float scale);
Font* LoadFontFromBytes(const std::vector<uint8_t>& bytes, bool upload,
                        std::string* error = nullptr);
void FreeFont(Font* font);

// Measuring and layout. A null font or text measures 0.
int LineHeight(const Font* font);
int GlyphAdvance(const Font* font, int style, int x, int code, int next_code);
int MeasureText(const Font* font, const char* text, int style);
int WrappedTextHeight(const Font* font, const char* text, int style, int width, int flags);
int HitTestText(const Font* font, const char* text, int style, int x);

// Applies a markup code at text[i] ("|" and a style letter) to *style; returns whether it was one.
bool ApplyMarkup(const Font* font, const char* text, int* style);

// One line of text: [start, end) is drawn; the next line starts at next with next_style.
struct TextLine {
  int start = 0, end = 0, next = 0;
  int style = 0, next_style = 0;
  int width = 0;
  bool last = false;  // the text ended on this line
};
TextLine BreakLine(const Font* font, const char* text, int start, int style, int width, bool wrap);

struct PlacedGlyph {
  int x, y;  // top-left of the glyph bitmap
  uint8_t style, code;
};
// Positions the glyphs as DrawText would; returns the width of the widest line.
int LayoutText(const Font* font, const char* text, int style, int flags, const Rect& rect,
               std::vector<PlacedGlyph>* glyphs);

// Draws in the current GL colour inside rect; returns the width of the widest line drawn.
int DrawText(const Font* font, const char* text, int style, int flags, const Rect& rect);

}  // namespace brae
