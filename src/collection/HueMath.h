#pragma once
// Hue, saturation and value of palette colours; hue-change masks and the colour of
// high-colour pixels.

#include <cstdint>
#include <vector>

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

// A palette colour's hue, saturation and value as 16-bit fractions (hue of a full turn,
// saturation and value of 65535), read from its 16-bit components as the mask does.
struct Hsv16 {
  uint16_t h = 0;
  uint16_t s = 0;
  uint16_t v = 0;
};
Hsv16 PaletteColourHsv(const PaletteColor& c);
// The hue change preview: every hue change whose replacement byte is not 0, in list order,
// moves the hues of the entries it affects by (h - median) + replacement hue (reversed:
// (median - h) + replacement hue) and scales their saturation and value by the replacement's.
// Entries no hue change affects keep their colour; the stored palette is not touched.
CollectionPalette HuePreviewPalette(const CollectionPalette& palette,
                                    const std::vector<HueChange>& changes);

// The red, green, blue and alpha of one 8-byte high-colour pixel (working form), with the
// collection's hue changes applied to the layers that name one.
void HighColourPixelRgba(const Collection& collection, const uint8_t* pixel, uint8_t rgba[4]);

}  // namespace brae
