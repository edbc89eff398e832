#include "collection/HueMath.h"

#include <algorithm>
#include <cmath>

namespace brae {

Hsv RgbToHsv(double r, double g, double b) {
  Hsv out;
  const double max = std::max(r, std::max(g, b));
  const double min = std::min(r, std::min(g, b));
  const double d = max - min;
  out.v = max;
  out.s = max > 0 ? d / max : 0;
  if (d <= 0) return out;
  double h;
  if (max == r) {
    h = (g - b) / d;
  } else if (max == g) {
    h = 2 + (b - r) / d;
  } else {
    h = 4 + (r - g) / d;
  }
  h /= 6;
  if (h < 0) h += 1;
  if (h >= 1) h -= 1;
  out.h = h;
  return out;
}

void HsvToRgb(const Hsv& hsv, double* r, double* g, double* b) {
  const double v = hsv.v;
  if (hsv.s <= 0) {
    *r = *g = *b = v;
    return;
  }
  double h = (hsv.h - std::floor(hsv.h)) * 6;
  const int sector = std::min(5, int(h));
  const double f = h - sector;
  const double p = v * (1 - hsv.s);
  const double q = v * (1 - hsv.s * f);
  const double t = v * (1 - hsv.s * (1 - f));
  switch (sector) {
    case 0:
      *r = v, *g = t, *b = p;
      break;
    case 1:
      *r = q, *g = v, *b = p;
      break;
    case 2:
      *r = p, *g = v, *b = t;
      break;
    case 3:
      *r = p, *g = q, *b = v;
      break;
    case 4:
      *r = t, *g = p, *b = v;
      break;
    default:
      *r = v, *g = p, *b = q;
      break;
  }
}

bool HueInRange(uint16_t hue, uint16_t start, uint16_t end) {
  if (start <= end) return start <= hue && hue < end;
  return hue >= start || hue < end;
}

bool HueChangeAffects(const HueChange& change, const PaletteColor& c) {
  // The palette's 16-bit components hold the 8-bit value in the high byte.
  const Hsv16 hsv = PaletteColourHsv(c);
  return hsv.s > change.min_saturation && HueInRange(hsv.h, change.start_hue, change.end_hue);
}

void ComputeHueChangeMask(HueChange* change, const CollectionPalette& palette) {
  std::fill(std::begin(change->mask), std::end(change->mask), uint8_t(0));
  for (int i = 0; i < 256; ++i) {
    if (HueChangeAffects(*change, palette[size_t(i)])) change->mask[i / 8] |= uint8_t(1 << (i % 8));
  }
}

bool HueChangeMaskBit(const HueChange& change, int index) {
  return index >= 0 && index < 256 && (change.mask[index / 8] >> (index % 8)) & 1;
}

Hsv16 PaletteColourHsv(const PaletteColor& c) {
  const Hsv hsv = RgbToHsv(c.r * 256 / 65535.0, c.g * 256 / 65535.0, c.b * 256 / 65535.0);
  Hsv16 out;
  out.h = uint16_t(uint32_t(hsv.h * 65536.0));
  out.s = uint16_t(uint32_t(hsv.s * 65535.0));
  out.v = uint16_t(uint32_t(hsv.v * 65535.0));
  return out;
}

namespace {

uint8_t ToByte(double v);

// The replacement colour's hue, saturation and value (its components hold 8 bits in the high
// byte, read as 16-bit values).
Hsv16 ReplacementHsv(const HueChange& change) {
  const Hsv hsv = RgbToHsv(change.replacement[0] / 65535.0, change.replacement[1] / 65535.0,
                           change.replacement[2] / 65535.0);
  Hsv16 out;
  out.h = uint16_t(uint32_t(hsv.h * 65536.0));
  out.s = uint16_t(uint32_t(hsv.s * 65535.0));
  out.v = uint16_t(uint32_t(hsv.v * 65535.0));
  return out;
}

PaletteColor Recoloured(const HueChange& change, const Hsv16& rep, const Hsv16& in) {
  const int median = change.median_hue;
  const int shifted = (change.flags & 1) ? (median - in.h) + rep.h : (in.h - median) + rep.h;
  Hsv out;
  out.h = double(uint16_t(shifted & 0xFFFF)) / 65536.0;
  out.s = double(uint32_t(in.s) * rep.s / 65536) / 65535.0;
  out.v = double(uint32_t(in.v) * rep.v / 65536) / 65535.0;
  double r, g, b;
  HsvToRgb(out, &r, &g, &b);
  return PaletteColor{ToByte(r), ToByte(g), ToByte(b)};
}

}  // namespace

CollectionPalette HuePreviewPalette(const CollectionPalette& palette,
                                    const std::vector<HueChange>& changes) {
  CollectionPalette out = palette;
  for (const HueChange& change : changes) {
    if (change.replacement_mode == 0) continue;
    const Hsv16 rep = ReplacementHsv(change);
    // Each hue change sees the colours the ones before it left.
    for (PaletteColor& c : out) {
      const Hsv16 hsv = PaletteColourHsv(c);
      if (hsv.s > change.min_saturation && HueInRange(hsv.h, change.start_hue, change.end_hue))
        c = Recoloured(change, rep, hsv);
    }
  }
  return out;
}

namespace {

uint8_t ToByte(double v) {
  return uint8_t(std::clamp(int(std::lround(v * 255.0)), 0, 255));
}

// One colour layer (c2, c1, c0 as stored in reverse order) with its hue change number k:
// 0 plain red, green, blue; k > 0 hue, value, saturation recoloured by hue change k - 1.
void LayerColour(const Collection& collection, const uint8_t* c, int k, int out[3]) {
  const uint8_t x = c[2], y = c[1], z = c[0];
  if (k == 0) {
    out[0] = x, out[1] = y, out[2] = z;
    return;
  }
  int hue = x, value = y, saturation = z;
  const HueChange* change = collection.HueChangeAt(size_t(k - 1));
  if (change && change->replacement_mode >= 2) {
    for (int i = 0; i < 3; ++i) out[i] = change->replacement[i] >> 8;
    return;
  }
  if (change && change->replacement_mode == 1) {
    const Hsv rep = RgbToHsv(change->replacement[0] / 65535.0, change->replacement[1] / 65535.0,
                             change->replacement[2] / 65535.0);
    const int rep_hue = int(uint32_t(rep.h * 65536.0) & 0xFFFF) >> 8;
    const int rep_sat = int(uint32_t(rep.s * 65535.0)) >> 8;
    const int rep_val = int(uint32_t(rep.v * 65535.0)) >> 8;
    const int median = change->median_hue >> 8;
    hue = (change->flags & 1) ? (median - hue) + rep_hue : (hue - median) + rep_hue;
    hue &= 255;
    saturation = saturation * rep_sat / 256;
    value = value * rep_val / 256;
  }
  Hsv hsv;
  hsv.h = hue / 256.0;
  hsv.s = saturation / 255.0;
  hsv.v = value / 255.0;
  double r, g, b;
  HsvToRgb(hsv, &r, &g, &b);
  out[0] = ToByte(r), out[1] = ToByte(g), out[2] = ToByte(b);
}

}  // namespace

void HighColourPixelRgba(const Collection& collection, const uint8_t* pixel, uint8_t rgba[4]) {
  const uint8_t tag = pixel[3];
  rgba[3] = uint8_t((tag % 32) * 255 / 31);
  int first[3];
  LayerColour(collection, pixel, tag / 32, first);
  if (pixel[0] & 1) {
    int second[3];
    LayerColour(collection, pixel + 4, pixel[7] / 32, second);
    const int w = pixel[7] % 32;
    for (int i = 0; i < 3; ++i) first[i] = (second[i] * w + first[i] * (64 - w)) / 64;
  }
  for (int i = 0; i < 3; ++i) rgba[i] = uint8_t(first[i]);
}

}  // namespace brae
