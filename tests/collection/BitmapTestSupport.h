#pragma once
// Collections and image files made by the tests of the bitmap operations.

#include <string>
#include <vector>

#include "TempDir.h"
#include "collection/CollectionFormat.h"
#include "media/MediaFile.h"

namespace brae::test {

// A palette of 256 distinct colours.
inline CollectionPalette DistinctPalette() {
  CollectionPalette p{};
  for (int i = 0; i < 256; ++i)
    p[size_t(i)] = PaletteColor{uint8_t(i), uint8_t(255 - i), uint8_t((i * 37) & 255)};
  return p;
}

inline Palette ImagePalette(const CollectionPalette& p, int count = 256) {
  Palette out;
  out.count = count;
  for (int i = 0; i < count; ++i)
    out.entries[i] = Rgb{p[size_t(i)].r, p[size_t(i)].g, p[size_t(i)].b};
  return out;
}

inline Image IndexedImage(int w, int h, const Palette& palette,
                          const std::vector<uint8_t>& pixels) {
  Image image;
  image.format = PixelFormat::kIndexed;
  image.width = w;
  image.height = h;
  image.palette = palette;
  image.pixels = pixels;
  image.pixels.resize(size_t(w) * size_t(h));
  return image;
}

inline bool WriteImageFile(const std::string& path, const Image& image) {
  MediaFile f(path, MediaGroup::kImage);
  f.image = image;
  return f.Write();
}

// A collection with the distinct palette and one opaque 2 × 2 bitmap "seed".
inline std::unique_ptr<Collection> SeededCollection() {
  auto c = std::make_unique<Collection>();
  c->name = "Test";
  c->palette = DistinctPalette();
  auto b = CollectionBitmap::MakeIndexed("seed", 2, 2);
  for (size_t i = 0; i < 4; ++i) b->pixels[i * 2] = 255, b->pixels[i * 2 + 1] = uint8_t(10 + i);
  c->AddBitmap(std::move(b));
  return c;
}

// A sequence with one frame of the given views, each placing a bitmap at a point.
inline CollectionSequence* AddPlacement(Collection* c, CollectionBitmap* b, int reg_x, int reg_y,
                                        uint32_t flags = 0) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = "s";
  CollectionInstance& in = *s->frames[0].views[0];
  in.bitmap = b;
  in.reg_x = int16_t(reg_x), in.reg_y = int16_t(reg_y);
  in.key_x = int16_t(reg_x + 1), in.key_y = int16_t(reg_y + 1);
  in.flags = flags;
  return c->AddSequence(std::move(s));
}

inline std::vector<uint8_t> Saved(const Collection& c) {
  std::vector<uint8_t> data;
  SaveCollection(c, &data);
  return data;
}

}  // namespace brae::test
