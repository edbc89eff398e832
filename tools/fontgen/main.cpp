// fontgen [--factor N] OUTPUT [FONTDIR]: rasterises DejaVu Sans into the toolkit's bitmap font
// file (plain, bold, oblique and an outline style dilated from the plain glyphs), for the codes
// 0x20..0xFF of the game's character set, with pair advances from the font's kerning. With a
// factor the glyphs are N times as large: the sharper rendering for an interface scale.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/CharMap.h"

namespace {

constexpr int kPixelSize = 13;  // at factor 1
int g_factor = 1;
constexpr int kTabSpaces = 8;
constexpr int kCodes = 224;

struct GlyphBitmap {
  int width = 0, height = 0, x_offset = 0, y_offset = 0;
  std::vector<uint8_t> pixels;
  std::vector<int> advance = std::vector<int>(kCodes, 0);
};

class Writer {
 public:
  void U16(int v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  void I32(int32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes.push_back(static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
  }
  std::vector<uint8_t> bytes;
};

int Clamp8(int v) {
  return std::clamp(v, -128, 127);
}

std::vector<GlyphBitmap> RenderStyle(FT_Library library, const std::string& path) {
  FT_Face face;
  if (FT_New_Face(library, path.c_str(), 0, &face)) {
    std::fprintf(stderr, "fontgen: cannot open %s\n", path.c_str());
    std::exit(2);
  }
  FT_Set_Pixel_Sizes(face, 0, kPixelSize * g_factor);
  std::vector<GlyphBitmap> glyphs(kCodes);
  std::vector<FT_UInt> index(kCodes);
  for (int i = 0; i < kCodes; ++i) {
    uint16_t unicode = brae::CharToUnicode(static_cast<uint8_t>(0x20 + i));
    index[i] = FT_Get_Char_Index(face, unicode == 0xA0 ? 0x20 : unicode);
  }
  std::vector<int> base_advance(kCodes);
  for (int i = 0; i < kCodes; ++i) {
    GlyphBitmap& g = glyphs[i];
    if (FT_Load_Glyph(face, index[i], FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) continue;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    base_advance[i] = static_cast<int>(std::lround(slot->advance.x / 64.0));
    if (bm.width == 0 || bm.rows == 0) continue;
    g.width = static_cast<int>(bm.width);
    g.height = static_cast<int>(bm.rows);
    g.x_offset = slot->bitmap_left;
    g.y_offset = -slot->bitmap_top;
    g.pixels.resize(static_cast<size_t>(g.width) * g.height);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) g.pixels[y * g.width + x] = bm.buffer[y * bm.pitch + x];
  }
  bool kerning = FT_HAS_KERNING(face);
  for (int i = 0; i < kCodes; ++i)
    for (int j = 0; j < kCodes; ++j) {
      int adv = base_advance[i];
      if (kerning) {
        FT_Vector k;
        if (!FT_Get_Kerning(face, index[i], index[j], FT_KERNING_DEFAULT, &k))
          adv += static_cast<int>(std::lround(k.x / 64.0));
      }
      glyphs[i].advance[j] = Clamp8(adv);
    }
  FT_Done_Face(face);
  return glyphs;
}

// The outline style: every plain glyph grown by r pixels on each side.
std::vector<GlyphBitmap> Dilate(const std::vector<GlyphBitmap>& plain, int r) {
  std::vector<GlyphBitmap> out = plain;
  for (size_t i = 0; i < plain.size(); ++i) {
    const GlyphBitmap& p = plain[i];
    if (!p.width || !p.height) continue;
    GlyphBitmap& g = out[i];
    g.width = p.width + 2 * r;
    g.height = p.height + 2 * r;
    g.x_offset = p.x_offset - r;
    g.y_offset = p.y_offset - r;
    g.pixels.assign(static_cast<size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        int best = 0;
        for (int dy = -r; dy <= r; ++dy)
          for (int dx = -r; dx <= r; ++dx) {
            int sx = x - r + dx, sy = y - r + dy;
            if (sx >= 0 && sy >= 0 && sx < p.width && sy < p.height)
              best = std::max<int>(best, p.pixels[sy * p.width + sx]);
          }
        g.pixels[y * g.width + x] = static_cast<uint8_t>(best);
      }
  }
  return out;
}

void WriteStyle(Writer* w, const std::vector<GlyphBitmap>& glyphs) {
  for (const GlyphBitmap& g : glyphs) {
    w->U16(g.width);
    w->U16(g.height);
    w->U16(g.x_offset & 0xFFFF);
    w->U16(g.y_offset & 0xFFFF);
    // Run-length coded advances: value, run length minus 1.
    for (int i = 0; i < kCodes;) {
      int run = 1;
      while (i + run < kCodes && run < 256 && g.advance[i + run] == g.advance[i]) ++run;
      w->bytes.push_back(static_cast<uint8_t>(static_cast<int8_t>(g.advance[i])));
      w->bytes.push_back(static_cast<uint8_t>(run - 1));
      i += run;
    }
    w->bytes.insert(w->bytes.end(), g.pixels.begin(), g.pixels.end());
  }
  w->I32(0);
  w->I32(0);
  w->I32(0);
  w->I32(1);  // style present
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--factor") {
    g_factor = std::atoi(argv[2]);
    argv += 2;
    argc -= 2;
  }
  if (argc < 2 || g_factor < 1 || g_factor > 4) {
    std::fprintf(stderr, "usage: fontgen [--factor N] OUTPUT [FONTDIR]\n");
    return 2;
  }
  std::string dir = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu";
  FT_Library library;
  if (FT_Init_FreeType(&library)) return 2;
  FT_Face metrics_face;
  std::string plain_path = dir + "/DejaVuSans.ttf";
  if (FT_New_Face(library, plain_path.c_str(), 0, &metrics_face)) {
    std::fprintf(stderr, "fontgen: cannot open %s\n", plain_path.c_str());
    return 2;
  }
  FT_Set_Pixel_Sizes(metrics_face, 0, kPixelSize * g_factor);
  int ascender = static_cast<int>(std::ceil(metrics_face->size->metrics.ascender / 64.0));
  int descender = static_cast<int>(std::ceil(-metrics_face->size->metrics.descender / 64.0));
  FT_Done_Face(metrics_face);

  std::vector<GlyphBitmap> plain = RenderStyle(library, plain_path);
  std::vector<GlyphBitmap> bold = RenderStyle(library, dir + "/DejaVuSans-Bold.ttf");
  std::vector<GlyphBitmap> italic = RenderStyle(library, dir + "/DejaVuSans-Oblique.ttf");
  std::vector<GlyphBitmap> outline = Dilate(plain, g_factor);
  FT_Done_FreeType(library);

  Writer w;
  w.I32(ascender);
  w.I32(0);
  w.I32(ascender + descender);
  w.I32(kTabSpaces);
  WriteStyle(&w, plain);
  WriteStyle(&w, bold);
  WriteStyle(&w, italic);
  WriteStyle(&w, outline);

  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(w.bytes.data(), 1, w.bytes.size(), f) != w.bytes.size()) {
    std::fprintf(stderr, "fontgen: cannot write %s\n", argv[1]);
    return 2;
  }
  std::fclose(f);
  return 0;
}
