#pragma once
// Folder trees of frame images for the collection builders' tests, written by the tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BitmapTestSupport.h"
#include "collection/CollectionBuilder.h"

namespace brae::test {

// A rectangle of a frame image.
struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  bool Holds(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// An 8-bit image with the distinct palette: colour inside the box, index 2 elsewhere (2, so
// that an image without an alpha image has no transparent pixel).
inline Image FrameImage(int w, int h, const Box& box, uint8_t colour) {
  std::vector<uint8_t> pixels(size_t(w) * size_t(h), 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (box.Holds(x, y)) pixels[size_t(y * w + x)] = colour;
  return IndexedImage(w, h, ImagePalette(DistinctPalette()), pixels);
}

// An 8-bit greyscale image: 255 inside the box, 0 elsewhere.
inline Image AlphaImage(int w, int h, const Box& box) {
  Image image;
  image.format = PixelFormat::kGrey;
  image.width = w;
  image.height = h;
  image.pixels.assign(size_t(w) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (box.Holds(x, y)) image.pixels[size_t(y * w + x)] = 255;
  return image;
}

// An RGBA image: a colour gradient inside the box with a soft edge, transparent elsewhere.
inline Image RgbaImage(int w, int h, const Box& box, int seed) {
  Image image;
  image.format = PixelFormat::kRgba;
  image.width = w;
  image.height = h;
  image.pixels.assign(size_t(w) * size_t(h) * 4, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!box.Holds(x, y)) continue;
      uint8_t* p = &image.pixels[size_t(y * w + x) * 4];
      p[0] = uint8_t(x * 9 + seed), p[1] = uint8_t(y * 7 + 40), p[2] = uint8_t(200 - x - seed);
      const bool edge = x == box.x || y == box.y;
      p[3] = edge ? 128 : 255;
    }
  }
  return image;
}

inline void WriteImage(const std::string& path, const Image& image) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  ASSERT_TRUE(WriteImageFile(path, image)) << path;
}

// "%03d" numbering, so that files sort as written.
inline std::string Numbered(const std::string& folder, const std::string& stem, int n,
                            const std::string& tail = ".png") {
  char text[32];
  std::snprintf(text, sizeof text, "%03d", n);
  return folder + "/" + stem + text + tail;
}

// A sequence folder of views × frames images (or count files), file k coloured 10 + k.
inline void WriteSequence(const std::string& folder, int count, int size = 4) {
  for (int k = 0; k < count; ++k)
    WriteImage(Numbered(folder, "f", k + 1),
               FrameImage(size, size, Box{0, 0, size, size}, uint8_t(10 + k)));
}

// Collects the log lines of a build.
struct LogLines {
  std::string text;
  BuildLog Sink() {
    return [this](const std::string& line) { text += line; };
  }
  bool Has(const std::string& part) const { return text.find(part) != std::string::npos; }
};

// The collection the high-resolution builder renders again: "Hero" with one sequence "walk" of
// frames × views bitmaps "old0", "old1", ... of 4 × 6 pixels (255 and 30 + frame in turn),
// registered at (2, 5).
inline void MakeOldHero(Collection* c, int frames, int views) {
  c->name = "Hero";
  c->palette = DistinctPalette();
  auto s = std::make_unique<CollectionSequence>();
  s->name = "walk";
  s->Resize(frames, views);
  for (int f = 0; f < frames; ++f) {
    for (int v = 0; v < views; ++v) {
      auto b = CollectionBitmap::MakeIndexed("old" + std::to_string(f * views + v), 4, 6);
      for (size_t i = 0; i < 24; ++i)
        b->pixels[i * 2] = 255, b->pixels[i * 2 + 1] = uint8_t(30 + f);
      CollectionInstance* in = s->InstanceAt(f, v);
      in->bitmap = c->AddBitmap(std::move(b));
      in->reg_x = 2, in->reg_y = 5;
    }
  }
  c->AddSequence(std::move(s));
}

}  // namespace brae::test
