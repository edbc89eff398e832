#pragma once
// The textures of a collection's bitmaps, shared by the editor's browsers and bitmap windows.
// A bitmap's texture is built the first time it is drawn and kept until that bitmap (or the
// palette, for every bitmap) is reported changed; drawing an unchanged bitmap builds nothing.
//
// Indexed bitmaps are drawn through the preview palette: the collection palette with its hue
// changes applied. When the hue changes (or the palette) change, the preview palette is worked
// out once, and only the textures of bitmaps that use an entry whose colour changed are marked
// stale; a stale texture is refilled in place (a table look-up per pixel, no new texture) when
// it is next drawn, so only bitmaps on screen cost anything.

#include <GL/gl.h>

#include <bitset>
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
// The same through a given palette for the indexed pixels (the preview palette).
void BitmapToRgba(const Collection& collection, const CollectionPalette& palette,
                  const CollectionBitmap& bitmap, std::vector<uint8_t>* rgba);

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
    // The palette entries the pixels use (none for shadows); a preview change that touches
    // none of them leaves the texture as it is.
    std::bitset<256> uses;
    bool stale = false;  // refilled through the preview palette when next drawn
  };

  // The bitmap's texture, built when missing or stale; none for a bitmap without pixels.
  const Texture* Get(const CollectionBitmap* bitmap);
  // Draws the bitmap into a rectangle (drawing coordinates), scaled, with its alpha.
  void Draw(const CollectionBitmap* bitmap, const Rect& where);

  // The bitmap's pixels or flags changed: its texture is built again when next drawn.
  void Invalidate(const CollectionBitmap* bitmap);
  // Every texture is dropped and built again when next drawn (the bitmap objects changed).
  void InvalidateAll();
  // The palette or the hue changes changed: the preview palette is worked out again and the
  // textures it changes are refilled when next drawn. Returns how many were marked.
  size_t PreviewChanged();
  // The palette indexed bitmaps are drawn with.
  const CollectionPalette& PreviewPalette();
  // Drops the textures of bitmaps that are no longer in the collection.
  void Prune();

  size_t BuildCount() const { return builds_; }
  size_t RefillCount() const { return refills_; }
  size_t TextureCount() const { return textures_.size(); }

 private:
  void Release(Texture* texture);
  void Fill(Texture* texture, const CollectionBitmap& bitmap);

  const Collection* collection_;
  std::unordered_map<const CollectionBitmap*, Texture> textures_;
  std::vector<uint8_t> scratch_;
  CollectionPalette preview_{};
  bool preview_known_ = false;
  // What the preview was worked out from.
  CollectionPalette preview_palette_{};
  std::vector<HueChange> preview_changes_;
  size_t builds_ = 0;
  size_t refills_ = 0;
};

// The largest rectangle of the bitmap's proportions that fits in the box, centred: integer
// enlargements (crisp pixels) for small bitmaps, reductions for large ones.
Rect FitBitmap(int width, int height, const Rect& box);

}  // namespace brae
