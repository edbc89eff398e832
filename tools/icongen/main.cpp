// icongen SIZE OUTPUT.png: paints the program's icon at SIZE x SIZE pixels: the splash picture's
// dusk sky and hills in a rounded square, written as an RGBA PNG.

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Rgba {
  double r, g, b, a;
};

// How much of the pixel lies inside a rounded square of the whole size (1 inside, 0 outside).
double Coverage(double x, double y, double size) {
  const double radius = size * 0.18;
  const double half = size / 2;
  const double dx = std::max(std::fabs(x - half) - (half - radius), 0.0);
  const double dy = std::max(std::fabs(y - half) - (half - radius), 0.0);
  return std::clamp(radius - std::hypot(dx, dy) + 0.5, 0.0, 1.0);
}

double Hill(double u, double phase) {
  return std::sin(u * 5.5 + phase) * 0.045 + std::sin(u * 13.0 + phase * 2.1) * 0.02;
}

Rgba Paint(double u, double v) {  // u, v in 0..1, v downwards
  Rgba c{0.10 + 0.75 * v * v, 0.12 + 0.40 * v * v, 0.28 + 0.10 * v, 1};
  const double sun = std::hypot(u - 0.68, v - 0.58) / 0.30;
  if (sun < 1) {
    const double a = std::pow(1 - sun, 2.0) * 0.95;
    c = {c.r + (1.0 - c.r) * a, c.g + (0.78 - c.g) * a, c.b + (0.45 - c.b) * a, 1};
  }
  const double layers[3][3] = {{0.20, 0.22, 0.30}, {0.13, 0.17, 0.20}, {0.07, 0.10, 0.11}};
  for (int layer = 0; layer < 3; ++layer) {
    if (v > 0.62 + layer * 0.11 + Hill(u, layer * 1.7))
      c = {layers[layer][0], layers[layer][1], layers[layer][2], 1};
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  const int size = argc == 3 ? std::atoi(argv[1]) : 0;
  if (size < 16 || size > 1024) {
    std::fprintf(stderr, "usage: icongen SIZE OUTPUT.png\n");
    return 2;
  }
  std::vector<unsigned char> pixels(size_t(size) * size * 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // Four samples per pixel smooth the hills' edges.
      Rgba sum{0, 0, 0, 0};
      for (int s = 0; s < 4; ++s) {
        const double px = x + 0.25 + 0.5 * (s & 1), py = y + 0.25 + 0.5 * (s >> 1);
        const Rgba c = Paint(px / size, py / size);
        sum = {sum.r + c.r / 4, sum.g + c.g / 4, sum.b + c.b / 4, 0};
      }
      unsigned char* p = &pixels[(size_t(y) * size + x) * 4];
      p[0] = static_cast<unsigned char>(std::clamp(sum.r, 0.0, 1.0) * 255 + 0.5);
      p[1] = static_cast<unsigned char>(std::clamp(sum.g, 0.0, 1.0) * 255 + 0.5);
      p[2] = static_cast<unsigned char>(std::clamp(sum.b, 0.0, 1.0) * 255 + 0.5);
      p[3] = static_cast<unsigned char>(Coverage(x + 0.5, y + 0.5, size) * 255 + 0.5);
    }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(size);
  image.height = static_cast<png_uint_32>(size);
  image.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&image, argv[2], 0, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
