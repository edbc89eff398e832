#pragma once
// Windows bitmaps. Reading takes the OS/2 core header (12 bytes) and the information headers
// of 40, 52, 56, 108 and 124 bytes; 1-, 4- and 8-bit palettes (uncompressed, or RLE4 and RLE8);
// 16-bit 5-5-5 and bit-field pixels; 24 bits; 32 bits with or without bit fields; bottom-up
// or top-down rows. Writing produces uncompressed 8-, 24- and 32-bit files with the 40-byte
// information header.
//
// Formats read: palette images are colour-indexed (one byte per index, the palette as
// stored); 16- and 24-bit images are RGB; a 16- or 32-bit image with an alpha bit field is
// RGBA. A 32-bit image without bit fields is RGBA when any of its fourth bytes is non-zero and
// RGB otherwise: Windows writes 0 there for opaque pictures. That rule looks at every pixel,
// so the header-only read scans them too and reports the same format as the full read.

#include <cstdint>
#include <string>
#include <vector>

#include "media/Image.h"

namespace brae {

constexpr size_t kBmpHeaderBytes = 54;  // 14-byte file header and 40-byte information header

// Decodes a whole BMP file held in memory. With header_only, fills format, size and palette
// and leaves the pixels empty. False (with a reason in error when given) for anything the
// reader does not accept or for too few bytes.
bool ReadBmp(const uint8_t* bytes, size_t size, Image* out, bool header_only,
             std::string* error = nullptr);

// Encodes colour-indexed, grey, RGB or RGBA pixels as a BMP file. False for other formats.
bool EncodeBmp(const Image& image, std::vector<uint8_t>* out);

}  // namespace brae
