#pragma once
// Conversion of an image's pixels between the pixel formats, in place.

#include <cstddef>
#include <string>

#include "media/Image.h"

namespace brae {

// Converts to the target format. Colour-indexed and the two-byte form convert into each other
// by dropping alpha or adding alpha 255; any other format becomes colour-indexed (or the
// two-byte form) through a computed palette of at most max_colors (1-256) entries and error
// diffusion. Grey from colour is the luminance. Converting to the format the image has does
// nothing. False for an empty or inconsistent image or a max_colors outside 1-256.
bool ConvertPixelFormat(Image* image, PixelFormat target, int max_colors = kMaxPaletteSize);

// How well a converted picture keeps the colours of its original.
struct ColorFidelity {
  // Peak signal-to-noise ratio of the RGB channels in dB, 10 log10(255² / mean squared error);
  // infinite when every compared pixel kept its colour exactly.
  double psnr_db = 0;
  // The pixels compared: those whose alpha is not 0 in the original. A fully transparent
  // pixel's colour is never seen (and the quantiser does not look at it), so it does not count;
  // every other pixel counts fully, whatever its alpha. 0 when nothing could be compared.
  size_t pixels = 0;
};

// Compares two pictures of the same size in any formats (both seen as RGBA). The result has
// pixels 0 when the sizes differ or the original is fully transparent.
ColorFidelity CompareColors(const Image& original, const Image& converted);

// Reduces a picture to colour-indexed with a palette of at most max_colors entries (2-256),
// the same conversion as ConvertPixelFormat(kIndexed). Every format is accepted: RGB and RGBA
// directly, grey through RGB, and a colour-indexed picture (one- or two-byte form) is expanded
// to RGBA first, so that its palette is chosen again and can shrink. Alpha does not survive:
// the result has one byte per pixel. On success the image is replaced and fidelity (when given)
// compares the result with the original; on failure the image is left as it was and error says
// why.
bool QuantizeImage(Image* image, int max_colors, ColorFidelity* fidelity, std::string* error);

// Replaces an RGBA or two-byte image by a grey image of its alpha channel; false for formats
// without alpha.
bool ExtractAlphaChannel(Image* image);

bool HasAlphaChannel(PixelFormat format);

// The pixels as RGBA (colour-indexed through the palette, grey replicated, alpha 255 where the
// format has none).
std::vector<uint8_t> ExpandToRgba(const Image& image);

}  // namespace brae
