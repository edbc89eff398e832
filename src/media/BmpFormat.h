#pragma once
// Windows bitmaps: uncompressed 8-, 24- and 32-bit files with the 40-byte information header.

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
