#pragma once
// Hue, saturation and value of palette colours; hue-change masks and the colour of
// high-colour pixels.

#include <cstdint>

#include "collection/Collection.h"

namespace brae {

struct Hsv {
  double h = 0;  // [0, 1)
  double s = 0;  // [0, 1]
  double v = 0;  // [0, 1]
};

// Components in [0, 1].
Hsv RgbToHsv(double r, double g, double b);
void HsvToRgb(const Hsv& hsv, double* r, double* g, double* b);

// Whether a 16-bit hue lies in the hue change's range (start <= h < end, or wrapped).
bool HueInRange(uint16_t hue, uint16_t start, uint16_t end);
// Whether palette colour c falls in the hue change (saturation strictly above the minimum).
bool HueChangeAffects(const HueChange& change, const PaletteColor& c);
// Recomputes the 32-byte mask of affected palette entries.
void ComputeHueChangeMask(HueChange* change, const CollectionPalette& palette);
bool HueChangeMaskBit(const HueChange& change, int index);

// The red, green, blue and alpha of one 8-byte high-colour pixel (working form), with the
// collection's hue changes applied to the layers that name one.
void HighColourPixelRgba(const Collection& collection, const uint8_t* pixel, uint8_t rgba[4]);

}  // namespace brae
