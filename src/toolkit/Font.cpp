#include "toolkit/Font.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "toolkit/RectPacker.h"
#include "toolkit/Texture.h"

namespace brae {

// ---------------------------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------------------------
namespace {

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Has(size_t n) const { return bytes_.size() - pos_ >= n; }
  bool U16(uint16_t* v) {
    if (!Has(2)) return false;
    *v = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool I32(int32_t* v) {
    if (!Has(4)) return false;
    uint32_t u = bytes_[pos_] | (bytes_[pos_ + 1] << 8) | (bytes_[pos_ + 2] << 16) |
                 (static_cast<uint32_t>(bytes_[pos_ + 3]) << 24);
    *v = static_cast<int32_t>(u);
    pos_ += 4;
    return true;
  }
  bool Byte(uint8_t* v) {
    if (!Has(1)) return false;
    *v = bytes_[pos_++];
    return true;
  }
  const uint8_t* Take(size_t n) {
    if (!Has(n)) return nullptr;
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += n;
    return p;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

bool ReadAdvanceRuns(Reader* in, int8_t* advance) {
  int filled = 0;
  while (filled < kGlyphCount) {
    uint8_t value, run;
    if (!in->Byte(&value) || !in->Byte(&run)) return false;
    // A run that would overflow the table is bad data, not something to write past.
    if (filled + run + 1 > kGlyphCount) return false;
    std::memset(advance + filled, value, run + 1u);
    filled += run + 1;
  }
  return true;
}

struct PendingBitmap {
  int style, code;
  const uint8_t* pixels;
};

bool PackAndStore(Font* font, const std::vector<PendingBitmap>& bitmaps, bool upload) {
  int max_size = 2048;
  if (upload) {
    GLint gl_max = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &gl_max);
    if (gl_max > 0) max_size = gl_max;
  }
  std::vector<PackInput> inputs;
  for (const PendingBitmap& b : bitmaps) {
    const Glyph& g = font->styles[b.style].glyphs[b.code];
    inputs.push_back(PackInput{g.width, g.height});
  }
  std::vector<PackPlacement> places;
  std::vector<AtlasSize> sizes;
  if (!PackRects(inputs, max_size, 1, &places, &sizes)) return false;
  std::vector<std::vector<uint8_t>> pixels(sizes.size());
  for (size_t a = 0; a < sizes.size(); ++a)
    pixels[a].assign(static_cast<size_t>(sizes[a].width) * sizes[a].height, 0);
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    Glyph& g = font->styles[bitmaps[i].style].glyphs[bitmaps[i].code];
    const PackPlacement& p = places[i];
    g.atlas = p.atlas;
    g.atlas_x = p.x;
    g.atlas_y = p.y;
    g.rotated = p.rotated;
    std::vector<uint8_t>& dst = pixels[p.atlas];
    int stride = sizes[p.atlas].width;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        uint8_t v = bitmaps[i].pixels[y * g.width + x];
        // Rotated glyphs are stored transposed.
        int ax = p.rotated ? p.x + y : p.x + x;
        int ay = p.rotated ? p.y + x : p.y + y;
        dst[static_cast<size_t>(ay) * stride + ax] = v;
      }
  }
  for (size_t a = 0; a < sizes.size(); ++a) {
    FontAtlas atlas{sizes[a].width, sizes[a].height, 0};
    if (upload) {
      atlas.texture =
          UploadTexture(atlas.width, atlas.height, GL_ALPHA, GL_LINEAR, pixels[a].data());
    }
    font->atlases.push_back(atlas);
  }
  if (!upload) font->atlas_pixels = std::move(pixels);
  return true;
}

}  // namespace

int Font::StartStyle(int requested) const {
  if (requested >= 0 && requested < kStyleCount && styles[requested].Present()) return requested;
  for (int s = 0; s < kStyleCount; ++s)
    if (styles[s].Present()) return s;
  return 0;
}

Font* LoadFontFromBytes(const std::vector<uint8_t>& bytes, bool upload, std::string* error) {
  auto fail = [&](const char* why) -> Font* {
    if (error) *error = why;
    return nullptr;
  };
  auto font = std::make_unique<Font>();
  Reader in(bytes);
  for (int32_t& h : font->header)
    if (!in.I32(&h)) return fail("short font header");
  std::vector<PendingBitmap> bitmaps;
  for (int s = 0; s < kStyleCount; ++s) {
    for (int c = 0; c < kGlyphCount; ++c) {
      Glyph& g = font->styles[s].glyphs[c];
      uint16_t xo, yo;
      if (!in.U16(&g.width) || !in.U16(&g.height) || !in.U16(&xo) || !in.U16(&yo))
        return fail("short glyph record");
      g.x_offset = static_cast<int16_t>(xo);
      g.y_offset = static_cast<int16_t>(yo);
      if (!ReadAdvanceRuns(&in, g.advance)) return fail("bad advance table");
      if (g.width && g.height) {
        const uint8_t* pixels = in.Take(static_cast<size_t>(g.width) * g.height);
        if (!pixels) return fail("short glyph bitmap");
        bitmaps.push_back(PendingBitmap{s, c, pixels});
      }
    }
    for (int32_t& t : font->styles[s].trailer)
      if (!in.I32(&t)) return fail("short style trailer");
  }
  if (!PackAndStore(font.get(), bitmaps, upload)) return fail("glyph too large for an atlas");
  return font.release();
}

namespace {

Font* LoadFontFile(const std::string& path, bool upload) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  return LoadFontFromBytes(bytes, upload);
}

float g_text_scale = 1.0f;

}  // namespace

std::string ScaledResourcePath(const std::string& path, int factor) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  return path.substr(0, dot) + "@" + std::to_string(factor) + "x" + path.substr(dot);
}

Font* LoadFont(const std::string& path, bool upload) {
  Font* font = LoadFontFile(path, upload);
  if (!font || !upload) return font;
  for (int factor = 2; factor <= kMaxRenderingFactor; ++factor)
    if (Font* sharper = LoadFontFile(ScaledResourcePath(path, factor), upload)) {
      sharper->factor = factor;
      font->renderings.push_back(sharper);
    }
  return font;
}

void FreeFont(Font* font) {
  if (!font) return;
  for (Font* r : font->renderings) FreeFont(r);
  for (FontAtlas& a : font->atlases)
    if (a.texture) glDeleteTextures(1, &a.texture);
  delete font;
}

void SetTextScale(float scale) {
  g_text_scale = scale;
}

const Font* RenderingFor(const Font* font, float scale) {
  if (!font || scale <= 1.0f || font->renderings.empty()) return font;
  for (const Font* r : font->renderings)
    if (r->factor >= scale - 1e-3f) return r;
  return font->renderings.back();
}

// ---------------------------------------------------------------------------------------------
// Measuring and layout
// ---------------------------------------------------------------------------------------------

int LineHeight(const Font* font) {
  return font ? font->header[2] + 2 : 2;
}

int GlyphAdvance(const Font* font, int style, int x, int code, int next_code) {
  if (!font) return 0;
  code &= 0xFF;
  next_code &= 0xFF;
  if (code == 9) {
    int tab = GlyphAdvance(font, style, 0, ' ', ' ') * font->header[3];
    if (tab <= 0) return 0;
    return (x / tab + 1) * tab - x;
  }
  if (code < 0x20) return 0;
  if (next_code < 0x20) next_code = 0x20;
  return font->styles[style].glyphs[code - 0x20].advance[next_code - 0x20];
}

bool ApplyMarkup(const Font* font, const char* text, int* style) {
  if (text[0] != '|') return false;
  int wanted;
  switch (text[1]) {
    case 'b':
    case 'B':
      wanted = kStyleBold;
      break;
    case 'i':
    case 'I':
      wanted = kStyleItalic;
      break;
    case 'o':
    case 'O':
      wanted = kStyleOutline;
      break;
    case 'p':
    case 'P':
      wanted = kStylePlain;
      break;
    default:
      return false;
  }
  if (font->styles[wanted].Present()) *style = wanted;
  return true;
}

TextLine BreakLine(const Font* font, const char* text, int start, int style, int width, bool wrap) {
  TextLine line;
  line.start = start;
  line.style = style;
  int x = 0;
  int glyphs = 0;
  int space_at = -1, space_width = 0, space_style = style;
  int i = start;
  for (;;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0) {
      line.end = line.next = i;
      line.last = true;
      break;
    }
    if (c == 10 || c == 13) {
      line.end = i;
      line.next = i + ((c == 13 && text[i + 1] == 10) ? 2 : 1);
      break;
    }
    if (ApplyMarkup(font, text + i, &style)) {
      i += 2;
      continue;
    }
    int adv = GlyphAdvance(font, style, x, c, static_cast<unsigned char>(text[i + 1]));
    if (wrap && glyphs > 0 && x + adv > width) {
      if (c == ' ' || c == 9) {  // the overflowing space itself is the break
        line.end = i;
        line.next = i + 1;
      } else if (space_at >= 0) {
        line.end = space_at;
        line.next = space_at + 1;
        x = space_width;
        style = space_style;
      } else {
        line.end = line.next = i;
      }
      break;
    }
    if (c == ' ' || c == 9) {
      space_at = i;
      space_width = x;
      space_style = style;
    }
    x += adv;
    ++glyphs;
    ++i;
  }
  line.width = x;
  line.next_style = style;
  return line;
}

int MeasureText(const Font* font, const char* text, int style) {
  if (!font || !text || !*text) return 0;
  style = font->StartStyle(style);
  int widest = 0;
  int pos = 0;
  for (;;) {
    TextLine line = BreakLine(font, text, pos, style, 0, false);
    widest = std::max(widest, line.width);
    if (line.last || text[line.next] == 0) break;
    pos = line.next;
    style = line.next_style;
  }
  return widest;
}

int WrappedTextHeight(const Font* font, const char* text, int style, int width, int flags) {
  (void)flags;
  if (!font) return 0;
  int lines = 1;
  if (text && *text) {
    style = font->StartStyle(style);
    int pos = 0;
    lines = 0;
    for (;;) {
      TextLine line = BreakLine(font, text, pos, style, width, true);
      ++lines;
      if (line.last || text[line.next] == 0) break;
      pos = line.next;
      style = line.next_style;
    }
  }
  return std::max(lines, 1) * LineHeight(font);
}

int HitTestText(const Font* font, const char* text, int style, int x) {
  if (!font || !text) return 0;
  style = font->StartStyle(style);
  int pen = 0;
  int i = 0;
  for (;;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0 || c == 10 || c == 13) return i;
    if (ApplyMarkup(font, text + i, &style)) {
      i += 2;
      continue;
    }
    int adv = GlyphAdvance(font, style, pen, c, static_cast<unsigned char>(text[i + 1]));
    if (pen + adv >= x) return x > pen + adv / 2 ? i + 1 : i;
    pen += adv;
    ++i;
  }
}

int LayoutText(const Font* font, const char* text, int style, int flags, const Rect& rect,
               std::vector<PlacedGlyph>* glyphs) {
  if (!font || !text || !*text) return 0;
  bool wrap = flags & kTextWrap;
  bool multi = wrap || (flags & kTextMultiLine);
  int line_height = LineHeight(font);
  int top = rect.y0 + font->header[0];
  if (flags & kTextCentreVertically) top += std::max(0, (rect.Height() - line_height) / 2);
  style = font->StartStyle(style);
  int widest = 0;
  int pos = 0;
  for (int baseline = top;; baseline += line_height) {
    if (baseline - font->header[0] > rect.y1) break;
    TextLine line = BreakLine(font, text, pos, style, rect.Width(), wrap);
    int free_width = rect.Width() - line.width;
    int x = rect.x0;
    if (free_width > 0 || wrap) {
      if (flags & kTextCentre)
        x += free_width / 2;
      else if (flags & kTextRight)
        x += free_width;
    }
    int s = line.style;
    int pen = 0;
    for (int i = line.start; i < line.end;) {
      if (ApplyMarkup(font, text + i, &s)) {
        i += 2;
        continue;
      }
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (!multi && x + pen > rect.x1) break;
      if (c >= 0x20) {
        const Glyph& g = font->styles[s].glyphs[c - 0x20];
        if (g.width && g.height && glyphs)
          glyphs->push_back(
              PlacedGlyph{x + pen + g.x_offset, baseline + g.y_offset, static_cast<uint8_t>(s), c});
      }
      pen += GlyphAdvance(font, s, pen, c, static_cast<unsigned char>(text[i + 1]));
      ++i;
    }
    widest = std::max(widest, std::min(pen, multi ? pen : rect.Width()));
    if (!multi || line.last || text[line.next] == 0) break;
    pos = line.next;
    style = line.next_style;
  }
  return widest;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

int DrawText(const Font* font, const char* text, int style, int flags, const Rect& rect) {
  if (!font || !text || !*text) return 0;
  thread_local std::vector<PlacedGlyph> placed;
  placed.clear();
  int widest = LayoutText(font, text, style, flags, rect, &placed);
  if (placed.empty()) return widest;
  // At an interface scale the glyphs come from a sharper rendering, placed at the same pen
  // positions and drawn 1/factor as large, so that one bitmap pixel meets one device pixel.
  const Font* look = RenderingFor(font, g_text_scale);
  const float unit = 1.0f / look->factor;
  bool own_batch = !(flags & kTextCallerBatch);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  if (own_batch) {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  for (size_t a = 0; a < look->atlases.size(); ++a) {
    const FontAtlas& atlas = look->atlases[a];
    bool any = false;
    for (const PlacedGlyph& p : placed)
      if (look->styles[p.style].glyphs[p.code - 0x20].atlas == static_cast<int>(a)) any = true;
    if (!any) continue;
    if (own_batch) {
      glBindTexture(GL_TEXTURE_2D, atlas.texture);
      glBegin(GL_QUADS);
    }
    float sx = 1.0f / atlas.width, sy = 1.0f / atlas.height;
    auto quad = [&](const Glyph& g, float x, float y) {
      float w = g.width * unit, h = g.height * unit;
      float u0 = g.atlas_x * sx, v0 = g.atlas_y * sy;
      if (!g.rotated) {
        float u1 = (g.atlas_x + g.width) * sx, v1 = (g.atlas_y + g.height) * sy;
        glTexCoord2f(u0, v0);
        glVertex2f(x, y);
        glTexCoord2f(u1, v0);
        glVertex2f(x + w, y);
        glTexCoord2f(u1, v1);
        glVertex2f(x + w, y + h);
        glTexCoord2f(u0, v1);
        glVertex2f(x, y + h);
      } else {
        // Stored transposed: atlas x runs down the glyph, atlas y across it.
        float u1 = (g.atlas_x + g.height) * sx, v1 = (g.atlas_y + g.width) * sy;
        glTexCoord2f(u0, v0);
        glVertex2f(x, y);
        glTexCoord2f(u0, v1);
        glVertex2f(x + w, y);
        glTexCoord2f(u1, v1);
        glVertex2f(x + w, y + h);
        glTexCoord2f(u1, v0);
        glVertex2f(x, y + h);
      }
    };
    for (const PlacedGlyph& p : placed) {
      const Glyph& g = look->styles[p.style].glyphs[p.code - 0x20];
      if (g.atlas != static_cast<int>(a)) continue;
      // Back from the placed bitmap to the pen and the baseline, then to this rendering's bitmap.
      const Glyph& laid = font->styles[p.style].glyphs[p.code - 0x20];
      float x = p.x - laid.x_offset + g.x_offset * unit;
      float y = p.y - laid.y_offset + g.y_offset * unit;
      if (flags & kTextShadow) {
        glColor4f(0, 0, 0, colour[3]);
        quad(g, x + 1.0f, y + 1.0f);
        glColor4fv(colour);
      }
      quad(g, x, y);
    }
    if (own_batch) glEnd();
  }
  if (own_batch) glPopAttrib();
  glColor4fv(colour);
  return widest;
}

}  // namespace brae
