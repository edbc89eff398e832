#pragma once
// TIFF files through libtiff: 8-bit samples, one image, rows read and written one by one.

#include <string>

#include "media/Image.h"

namespace brae {

// Reads a TIFF file: minimum-is-black → grey, palette → colour-indexed, otherwise 3 samples →
// RGB and 4 → RGBA. With header_only, the pixels stay empty.
bool ReadTiff(const std::string& path, Image* out, bool header_only, std::string* error = nullptr);

// Writes colour-indexed, grey, RGB or RGBA pixels, deflate-compressed. The file is closed in
// every case; a row that fails makes the whole write fail.
bool WriteTiff(const std::string& path, const Image& image, std::string* error = nullptr);

}  // namespace brae
