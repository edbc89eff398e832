// splashgen OUTPUT [FONTDIR]: paints the splash picture (res/brae.bmp): a dusk sky over rolling
// hills with the program's name, written as a 24-bit BMP.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 288;

struct Canvas {
  std::vector<float> rgb = std::vector<float>(kWidth * kHeight * 3, 0.0f);
  void Blend(int x, int y, float r, float g, float b, float a) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    float* p = &rgb[(y * kWidth + x) * 3];
    p[0] += (r - p[0]) * a, p[1] += (g - p[1]) * a, p[2] += (b - p[2]) * a;
  }
};

double Hill(double x, double phase, double scale) {
  return std::sin(x * 0.011 * scale + phase) * 18 + std::sin(x * 0.027 * scale + phase * 2.1) * 9 +
         std::sin(x * 0.063 * scale + phase * 0.7) * 4;
}

void Paint(Canvas* c) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double t = double(y) / kHeight;
      c->Blend(x, y, float(0.10 + 0.75 * t * t), float(0.12 + 0.40 * t * t), float(0.28 + 0.10 * t),
               1.0f);
    }
  // A low sun.
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double d = std::hypot(x - 372.0, y - 190.0);
      if (d < 120) c->Blend(x, y, 1.0f, 0.78f, 0.45f, float(std::pow(1 - d / 120, 2.5) * 0.9));
    }
  const float layers[3][3] = {{0.20f, 0.22f, 0.30f}, {0.13f, 0.17f, 0.20f}, {0.07f, 0.10f, 0.11f}};
  for (int layer = 0; layer < 3; ++layer) {
    double base = 190 + layer * 32;
    for (int x = 0; x < kWidth; ++x) {
      double top = base + Hill(x, layer * 1.7, 1.0 + layer * 0.4);
      for (int y = 0; y < kHeight; ++y) {
        double edge = std::clamp(y - top + 0.5, 0.0, 1.0);
        if (edge > 0)
          c->Blend(x, y, layers[layer][0], layers[layer][1], layers[layer][2], float(edge));
      }
    }
  }
}

void Text(Canvas* c, FT_Face face, int pixels, const std::string& text, int x, int baseline,
          float r, float g, float b) {
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
    FT_GlyphSlot s = face->glyph;
    for (int pass = 0; pass < 2; ++pass) {
      int off = pass == 0 ? 2 : 0;  // a soft shadow first
      for (unsigned row = 0; row < s->bitmap.rows; ++row)
        for (unsigned col = 0; col < s->bitmap.width; ++col) {
          float a = s->bitmap.buffer[row * s->bitmap.pitch + col] / 255.0f;
          int px = x + s->bitmap_left + int(col) + off,
              py = baseline - s->bitmap_top + int(row) + off;
          if (pass == 0)
            c->Blend(px, py, 0, 0, 0, a * 0.6f);
          else
            c->Blend(px, py, r, g, b, a);
        }
    }
    x += static_cast<int>(s->advance.x >> 6);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: splashgen OUTPUT [FONTDIR]\n");
    return 2;
  }
  std::string dir = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu";
  Canvas canvas;
  Paint(&canvas);
  FT_Library library;
  FT_Face bold, plain;
  if (FT_Init_FreeType(&library) ||
      FT_New_Face(library, (dir + "/DejaVuSans-Bold.ttf").c_str(), 0, &bold) ||
      FT_New_Face(library, (dir + "/DejaVuSans.ttf").c_str(), 0, &plain)) {
    std::fprintf(stderr, "splashgen: cannot load the fonts in %s\n", dir.c_str());
    return 2;
  }
  Text(&canvas, bold, 84, "Brae", 40, 120, 0.98f, 0.92f, 0.80f);
  Text(&canvas, plain, 17, "tag editor for Vorn II", 46, 152, 0.90f, 0.86f, 0.78f);
  FT_Done_Face(bold);
  FT_Done_Face(plain);
  FT_Done_FreeType(library);

  int stride = (kWidth * 3 + 3) & ~3;
  std::vector<uint8_t> file(54 + static_cast<size_t>(stride) * kHeight, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, kWidth);
  put32(22, kHeight);
  file[26] = 1, file[28] = 24;
  put32(34, static_cast<uint32_t>(stride * kHeight));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const float* p = &canvas.rgb[((kHeight - 1 - y) * kWidth + x) * 3];
      uint8_t* d = &file[54 + static_cast<size_t>(y) * stride + x * 3];
      for (int i = 0; i < 3; ++i)
        d[2 - i] = static_cast<uint8_t>(std::clamp(p[i], 0.0f, 1.0f) * 255 + 0.5f);
    }
  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size()) {
    std::fprintf(stderr, "splashgen: cannot write %s\n", argv[1]);
    return 2;
  }
  std::fclose(f);
  return 0;
}
