#pragma once
// A deterministic picture that looks like a photograph to a colour quantiser: a graded sky, a
// shaded sun and balls, hills with textured ground, striped buildings, soft shadows and fine
// noise everywhere: at 1024 x 1024 about 235,000 distinct colours, as many as a real photograph
// of that size tends to have.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/Image.h"

namespace brae::bench {

// with_alpha gives an RGBA picture whose lower right corner fades out to alpha 0; otherwise RGB.
inline Image MakePhotoImage(int size, bool with_alpha) {
  Image image;
  image.format = with_alpha ? PixelFormat::kRgba : PixelFormat::kRgb;
  image.width = image.height = size;
  image.pixels.resize(image.PixelBytes());
  const int bpp = BytesPerPixel(image.format);
  uint32_t seed = 20240611u;
  auto noise = [&seed](double amplitude) {
    seed = seed * 1664525u + 1013904223u;
    return amplitude * (double(seed >> 8) / double(1u << 24) - 0.5) * 2;
  };
  struct Ball {
    double x, y, radius, r, g, b;
  };
  const Ball balls[] = {{0.78, 0.18, 0.09, 255, 220, 120},  // the sun
                        {0.25, 0.72, 0.11, 200, 40, 40},
                        {0.42, 0.80, 0.07, 40, 90, 210},
                        {0.60, 0.76, 0.05, 230, 200, 30}};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size, v = (y + 0.5) / size;
      // Sky: deep blue at the top to a hazy orange at the horizon.
      double r = 40 + 190 * v * v + 10 * std::sin(9 * u);
      double g = 80 + 110 * v + 8 * std::sin(7 * u + 3 * v);
      double b = 190 - 80 * v;
      // Hills: a wavy horizon; grass turning to earth, with a coarse texture.
      const double horizon = 0.55 + 0.06 * std::sin(7 * u) + 0.03 * std::sin(23 * u + 1);
      if (v > horizon) {
        const double depth = (v - horizon) / (1 - horizon);
        const double texture = 12 * std::sin(60 * u + 40 * v) * std::sin(90 * v - 20 * u);
        r = 60 + 90 * depth + texture;
        g = 120 - 30 * depth + 20 * std::sin(15 * u) + texture;
        b = 40 + 30 * depth + 0.5 * texture;
      }
      // Buildings: two blocks with lit windows in stripes.
      if (u > 0.05 && u < 0.2 && v > 0.35 && v < horizon + 0.02) {
        const bool window = std::fmod(u * 80, 1.0) < 0.5 && std::fmod(v * 60, 1.0) < 0.4;
        r = window ? 235 : 90 + 40 * u;
        g = window ? 210 : 85 + 20 * v;
        b = window ? 130 : 95;
      }
      if (u > 0.26 && u < 0.34 && v > 0.42 && v < horizon + 0.02) {
        const double stripe = 30 * std::sin(u * 400);
        r = 150 + stripe;
        g = 140 + stripe;
        b = 150 + 0.5 * stripe;
      }
      // Balls, shaded from the upper left, with a soft shadow below each.
      for (const Ball& ball : balls) {
        const double dx = u - ball.x, dy = v - ball.y;
        const double d2 = dx * dx + dy * dy;
        const double sy = dy - ball.radius * 0.9;
        const double shadow = std::exp(-(dx * dx * 4 + sy * sy * 60) / (ball.radius * ball.radius));
        r *= 1 - 0.5 * shadow;
        g *= 1 - 0.5 * shadow;
        b *= 1 - 0.5 * shadow;
        if (d2 < ball.radius * ball.radius) {
          const double nz = std::sqrt(1 - d2 / (ball.radius * ball.radius));
          const double light =
              std::max(0.0, (-dx / ball.radius * 0.5 - dy / ball.radius * 0.6 + nz * 0.62));
          const double specular = std::pow(light, 30) * 120;
          r = ball.r * (0.25 + 0.75 * light) + specular;
          g = ball.g * (0.25 + 0.75 * light) + specular;
          b = ball.b * (0.25 + 0.75 * light) + specular;
        }
      }
      r += noise(6);
      g += noise(6);
      b += noise(6);
      uint8_t* p = &image.pixels[(size_t(y) * size_t(size) + size_t(x)) * size_t(bpp)];
      p[0] = uint8_t(std::clamp(r, 0.0, 255.0));
      p[1] = uint8_t(std::clamp(g, 0.0, 255.0));
      p[2] = uint8_t(std::clamp(b, 0.0, 255.0));
      if (with_alpha) {
        const double fade = (u + v - 1.6) / 0.3;  // 0 on the diagonal u + v = 1.6, 1 at 1.9
        p[3] = uint8_t(fade <= 0 ? 255 : fade >= 1 ? 0 : 255 * (1 - fade));
      }
    }
  }
  return image;
}

}  // namespace brae::bench
