#pragma once
// TIFF files through libtiff: the first image of a file, in strips or tiles, with any
// compression libtiff decodes. Writing produces 8-bit samples, rows written one by one.

#include <string>

#include "media/Image.h"

namespace brae {

// Reads a TIFF file with 1-, 2-, 4-, 8- or 16-bit unsigned samples (16-bit samples keep their
// high byte; grey below 8 bits is scaled to 0-255): grey (minimum-is-black or -white) → grey,
// grey with alpha → RGBA, palette of up to 256 colours → colour-indexed with the stored
// indices, RGB and YCbCr → RGB, RGB with alpha → RGBA (premultiplied colours are divided back).
// CMYK, L*a*b*, floating-point or signed samples, more than 4 samples and larger palettes are
// refused with a reason. With header_only, the pixels stay empty.
bool ReadTiff(const std::string& path, Image* out, bool header_only, std::string* error = nullptr);

// Writes colour-indexed, grey, RGB or RGBA pixels, deflate-compressed. The file is closed in
// every case; a row that fails makes the whole write fail.
bool WriteTiff(const std::string& path, const Image& image, std::string* error = nullptr);

}  // namespace brae
