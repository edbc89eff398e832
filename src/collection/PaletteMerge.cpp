#include "collection/PaletteMerge.h"

#include <algorithm>
#include <unordered_map>

#include "media/PixelConvert.h"

namespace brae {

namespace {

uint32_t Key(const PaletteColor& c) {
  return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

PaletteColor ImageEntry(const Palette& palette, int i) {
  const int count = palette.count > 0 ? std::min(palette.count, kMaxPaletteSize) : 1;
  const Rgb& e = palette.entries[i < count ? i : 0];
  return PaletteColor{e.r, e.g, e.b};
}

}  // namespace

bool CollectionTakesImagePalette(const Collection& collection) {
  if (!collection.bitmaps.empty()) return false;
  for (int i = 1; i < 256; ++i) {
    if (collection.palette[size_t(i)] != collection.palette[0]) return false;
  }
  return true;
}

bool PaletteMerger::Merge(const Palette& image_palette, bool replace, bool take_image,
                          CollectionPalette* palette, uint8_t map[256]) const {
  CollectionPalette working = *palette;
  if (replace || take_image) {
    for (int i = 0; i < 256; ++i) working[size_t(i)] = ImageEntry(image_palette, i);
  }
  // The first index of every colour.
  std::unordered_map<uint32_t, int> first;
  first.reserve(512);
  for (int i = 255; i >= 0; --i) first[Key(working[size_t(i)])] = i;
  if (!replace && !take_image) {
    // Index 1 is never handed out: pixels landing on 0 or 1 become transparent, so a colour
    // put there would vanish from the image.
    std::vector<int> free_slots;
    for (int i = 2; i < 256; ++i) {
      if (first[Key(working[size_t(i)])] < i) free_slots.push_back(i);
    }
    size_t next = 0;
    for (int i = 0; i < 256; ++i) {
      const PaletteColor colour = ImageEntry(image_palette, i);
      if (first.count(Key(colour))) continue;
      if (next >= free_slots.size()) return false;
      const int slot = free_slots[next++];
      working[size_t(slot)] = colour;
      first[Key(colour)] = slot;
    }
  }
  for (int i = 0; i < 256; ++i) map[i] = uint8_t(first[Key(ImageEntry(image_palette, i))]);
  *palette = working;
  return true;
}

std::unique_ptr<CollectionBitmap> BitmapFromMappedImage(const Image& image, const uint8_t map[256],
                                                        const std::string& name) {
  auto b = CollectionBitmap::MakeIndexed(name, image.width, image.height);
  const size_t count = size_t(image.width) * size_t(image.height);
  bool rle = false, partial = false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t alpha = image.pixels[i * 2];
    const uint8_t index = map[image.pixels[i * 2 + 1]];
    uint8_t* out = &b->pixels[i * 2];
    if (alpha == 0 || index <= 1) {
      if (alpha == 0 || index == 0) rle = true;
      out[0] = 0, out[1] = 0;
      continue;
    }
    if (alpha < 255) partial = true;
    out[0] = alpha, out[1] = index;
  }
  b->flags = uint16_t((rle ? kBitmapRle : 0) | (partial ? kBitmapTwoBytes : 0));
  return b;
}

std::unique_ptr<CollectionBitmap> BitmapFromIndexedPixels(const uint8_t* pixels, size_t stride,
                                                          int width, int height,
                                                          const uint8_t map[256],
                                                          const std::string& name) {
  auto b = CollectionBitmap::MakeIndexed(name, width, height);
  bool rle = false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + size_t(y) * stride;
    for (int x = 0; x < width; ++x) {
      const uint8_t index = map[row[x]];
      uint8_t* out = b->Pixel(x, y);
      if (index <= 1) {
        if (index == 0) rle = true;
        continue;  // transparent: alpha 0, index 0
      }
      out[0] = 255, out[1] = index;
    }
  }
  b->flags = rle ? kBitmapRle : 0;
  return b;
}

bool ToIndexedAlpha(Image* image, const CollectionPalette& collection_palette) {
  const bool computed =
      image->format != PixelFormat::kIndexed && image->format != PixelFormat::kIndexedAlpha;
  if (image->format == PixelFormat::kIndexed && image->palette.count <= 0) {
    image->palette.count = 1;  // entry 0 stands for every index
  }
  if (!ConvertPixelFormat(image, PixelFormat::kIndexedAlpha, computed ? 254 : kMaxPaletteSize) ||
      image->format != PixelFormat::kIndexedAlpha ||
      image->pixels.size() != size_t(image->width) * size_t(image->height) * 2)
    return false;
  if (computed) {
    const int count = std::min(image->palette.count, 254);
    for (int i = count - 1; i >= 0; --i) image->palette.entries[i + 2] = image->palette.entries[i];
    for (int i = 0; i < 2; ++i) {
      const PaletteColor& c = collection_palette[size_t(i)];
      image->palette.entries[i] = Rgb{c.r, c.g, c.b};
    }
    image->palette.count = count + 2;
    for (size_t i = 1; i < image->pixels.size(); i += 2)
      image->pixels[i] = uint8_t(std::min(image->pixels[i] + 2, 255));
  }
  return true;
}

}  // namespace brae
