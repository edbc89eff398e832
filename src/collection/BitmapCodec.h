#pragma once
// Bitmap data blocks of a collection: the 52-byte bitmap header, the row gap and the pixel
// data in its three kinds (indexed RAW, indexed RLE, the high-colour stream).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collection/Collection.h"

namespace brae {

// Largest bitmap that a block may decode to (4096 × 4096 pixels).
constexpr size_t kMaxBitmapPixels = size_t(1) << 24;

// Decodes one block (its size known from the bitmap table) into the working form: 2 bytes per
// pixel (alpha, index) for indexed bitmaps, 8 for high-colour ones. Leaves name alone. False,
// with a reason, when the block cannot be decoded; out is then unspecified.
bool DecodeBitmapBlock(const uint8_t* block, size_t size, const CollectionPalette& palette,
                       CollectionBitmap* out, std::string* error,
                       size_t max_pixels = kMaxBitmapPixels);

// Appends the block that stores a bitmap (its header, the zero row gap, the pixels).
void EncodeBitmapBlock(const CollectionBitmap& bitmap, std::vector<uint8_t>* out);

// Turns a bitmap into the 256 × 256 checkerboard that stands in for an undecodable block.
// The bitmap's flags decide its colours: from 0x80 up, indices 0 and 255; otherwise the
// palette entries nearest to black and to white.
void MakePlaceholderBitmap(const CollectionPalette& palette, uint16_t flags, CollectionBitmap* out);
// The palette index (1 to 255) nearest to a colour; the first wins ties.
int NearestPaletteIndex(const CollectionPalette& palette, const PaletteColor& colour);

// The high-colour pixel stream: pixel_count pixels of 8 bytes each in the working form.
// False when the stream ends early or a run passes the last pixel.
bool DecodeHighColourStream(const uint8_t* data, size_t size, size_t pixel_count, uint8_t* pixels);
void EncodeHighColourStream(const uint8_t* pixels, size_t pixel_count, std::vector<uint8_t>* out);

}  // namespace brae
