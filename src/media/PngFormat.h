#pragma once
// PNG files through libpng. Reading takes every colour type and bit depth, interlaced or not;
// writing produces 8-bit grey, RGB, palette and RGBA files.

#include <cstdint>
#include <string>

#include "media/Image.h"

namespace brae {

// Reads a PNG file. Palette images of any depth are colour-indexed with one byte per index and
// the palette as stored (a tRNS chunk on them is ignored); grey below 8 bits is scaled to
// 0-255; 16-bit samples keep their high byte; grey with alpha, and grey or RGB with a tRNS
// chunk, become RGBA. Gamma and colour-space chunks are not applied: pixels come as stored.
// With header_only, fills format, size and palette (the same as the full read) and leaves the
// pixels empty.
bool ReadPng(const std::string& path, Image* out, bool header_only, std::string* error = nullptr);

// The alpha of every palette entry of a colour-indexed PNG file as its tRNS chunk gives it
// (255 for the entries it leaves out, and for every entry without the chunk or of another
// colour type). False when the file cannot be read.
bool ReadPngPaletteAlpha(const std::string& path, uint8_t alpha[kMaxPaletteSize]);

// Writes colour-indexed (with its palette), grey, RGB or RGBA pixels as 8-bit PNG.
bool WritePng(const std::string& path, const Image& image, std::string* error = nullptr);

}  // namespace brae
