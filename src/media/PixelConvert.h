#pragma once
// Conversion of an image's pixels between the pixel formats, in place.

#include "media/Image.h"

namespace brae {

// Converts to the target format. Colour-indexed and the two-byte form convert into each other
// by dropping alpha or adding alpha 255; any other format becomes colour-indexed (or the
// two-byte form) through a computed palette of at most 256 entries and error diffusion.
// Grey from colour is the luminance. Converting to the format the image has does nothing.
bool ConvertPixelFormat(Image* image, PixelFormat target);

// Replaces an RGBA or two-byte image by a grey image of its alpha channel; false for formats
// without alpha.
bool ExtractAlphaChannel(Image* image);

bool HasAlphaChannel(PixelFormat format);

// The pixels as RGBA (colour-indexed through the palette, grey replicated, alpha 255 where the
// format has none).
std::vector<uint8_t> ExpandToRgba(const Image& image);

}  // namespace brae
