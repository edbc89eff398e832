#pragma once
// The palette rule by which 8-bit images become collection bitmaps: the image's colours are
// found in (or merged into) the collection palette, and every pixel takes the index of the
// first palette entry of its colour.

#include <cstdint>
#include <memory>
#include <string>

#include "collection/Collection.h"
#include "media/Image.h"

namespace brae {

// Whether a collection still has the palette of a new one for importing: no bitmaps, and
// entries 1 to 255 all equal to entry 0.
bool CollectionTakesImagePalette(const Collection& collection);

// Maps an image's palette onto a working palette. The image's entries from its count on are
// taken as copies of entry 0.
//
// Without replace, the working palette is the given one (or the image's own when take_image
// says so); colours not found are put into the free slots: entries 2 to 255 that repeat the
// colour of a lower entry (determined before merging). Entries 0 and 1 are never given away,
// since pixels on them are transparent. False when the free slots run out; the palette is then
// unchanged. With replace, the working palette is the image's.
class PaletteMerger {
 public:
  // map[i] is the working-palette index of image palette entry i after a successful Merge.
  bool Merge(const Palette& image_palette, bool replace, bool take_image,
             CollectionPalette* palette, uint8_t map[256]) const;
};

// Makes a bitmap from an image in the two-byte form (alpha, index) whose indices are mapped by
// map: pixels on index 0 or 1 (or with alpha 0) become transparent (alpha 0, index 0), any of
// them on index 0 (or with alpha 0) makes the bitmap RLE; an alpha strictly between 0 and 255
// makes it two bytes per pixel; other pixels get alpha 255 (or their own alpha).
std::unique_ptr<CollectionBitmap> BitmapFromMappedImage(const Image& image, const uint8_t map[256],
                                                        const std::string& name);

// The same for a one-byte colour-indexed plate region: width × height pixels starting at
// pixels, rows stride bytes apart.
std::unique_ptr<CollectionBitmap> BitmapFromIndexedPixels(const uint8_t* pixels, size_t stride,
                                                          int width, int height,
                                                          const uint8_t map[256],
                                                          const std::string& name);

// The image converted to the two-byte form (alpha, index) through the media library's pixel
// conversion: colour-indexed images keep their palette; others get one of at most 254 computed
// colours from entry 2 on, entries 0 and 1 (whose pixels would be transparent) holding the
// collection's entries 0 and 1 and used by no pixel. False when the image cannot be converted.
bool ToIndexedAlpha(Image* image, const CollectionPalette& collection_palette);

}  // namespace brae
