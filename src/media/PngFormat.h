#pragma once
// PNG files through libpng: 8-bit grey, RGB, palette and RGBA only.

#include <string>

#include "media/Image.h"

namespace brae {

// Reads a PNG file. With header_only, fills format, size and palette and leaves the pixels
// empty. Refuses other bit depths and grey with alpha.
bool ReadPng(const std::string& path, Image* out, bool header_only, std::string* error = nullptr);

// Writes colour-indexed (with its palette), grey, RGB or RGBA pixels as 8-bit PNG.
bool WritePng(const std::string& path, const Image& image, std::string* error = nullptr);

}  // namespace brae
