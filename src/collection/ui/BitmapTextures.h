#pragma once
// The textures of a collection's bitmaps, shared by the editor's browsers and bitmap windows.
// A bitmap's texture is built the first time it is drawn and kept until that bitmap (or the
// palette, for every bitmap) is reported changed; drawing an unchanged bitmap builds nothing.

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "collection/Collection.h"
#include "toolkit/Rect.h"

namespace brae {

// The RGBA pixels of a bitmap, rows top to bottom: indexed bitmaps through the collection
// palette, shadows as grey (the index is the grey value), high-colour pixels with the
// collection's hue changes applied. Alpha is the bitmap's own.
void BitmapToRgba(const Collection& collection, const CollectionBitmap& bitmap,
                  std::vector<uint8_t>* rgba);

class BitmapTextures {
 public:
  explicit BitmapTextures(const Collection* collection) : collection_(collection) {}
  ~BitmapTextures();
  BitmapTextures(const BitmapTextures&) = delete;
  BitmapTextures& operator=(const BitmapTextures&) = delete;

  struct Texture {
    GLuint name = 0;
    int width = 0, height = 0;          // the bitmap's size
    int tex_width = 0, tex_height = 0;  // the texture's (powers of two)
    // What the texture was built from; a different buffer or size means a changed bitmap.
    const uint8_t* pixels = nullptr;
    size_t pixel_bytes = 0;
    uint16_t flags = 0;
  };

  // The bitmap's texture, built when missing or stale; none for a bitmap without pixels.
  const Texture* Get(const CollectionBitmap* bitmap);
  // Draws the bitmap into a rectangle (drawing coordinates), scaled, with its alpha.
  void Draw(const CollectionBitmap* bitmap, const Rect& where);

  // The bitmap's pixels or flags changed: its texture is built again when next drawn.
  void Invalidate(const CollectionBitmap* bitmap);
  // The palette or the hue changes changed: every texture is built again when next drawn.
  void InvalidateAll();
  // Drops the textures of bitmaps that are no longer in the collection.
  void Prune();

  size_t BuildCount() const { return builds_; }
  size_t TextureCount() const { return textures_.size(); }

 private:
  void Release(Texture* texture);

  const Collection* collection_;
  std::unordered_map<const CollectionBitmap*, Texture> textures_;
  std::vector<uint8_t> scratch_;
  size_t builds_ = 0;
};

// The largest rectangle of the bitmap's proportions that fits in the box, centred: integer
// enlargements (crisp pixels) for small bitmaps, reductions for large ones.
Rect FitBitmap(int width, int height, const Rect& box);

}  // namespace brae
