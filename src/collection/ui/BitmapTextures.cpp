#include "collection/ui/BitmapTextures.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "collection/HueMath.h"
#include "toolkit/Texture.h"

namespace brae {

namespace {

int PowerOfTwoAtLeast(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

bool SameSource(const BitmapTextures::Texture& t, const CollectionBitmap& b) {
  return t.width == b.width && t.height == b.height && t.pixels == b.pixels.data() &&
         t.pixel_bytes == b.pixels.size() && t.flags == b.flags;
}

// The palette entries that show in an indexed bitmap (pixels with alpha above 0).
std::bitset<256> UsedEntries(const CollectionBitmap& b) {
  std::bitset<256> uses;
  if (b.IsHighColour() || b.IsShadow()) return uses;
  const size_t count = std::min(b.pixels.size() / 2, size_t(b.width) * size_t(b.height));
  const uint8_t* p = b.pixels.data();
  for (size_t i = 0; i < count; ++i, p += 2)
    if (p[0]) uses.set(p[1]);
  return uses;
}

bool SameHueChanges(const std::vector<HueChange>& a, const std::vector<HueChange>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(HueChange)) == 0);
}

}  // namespace

void BitmapToRgba(const Collection& collection, const CollectionBitmap& bitmap,
                  std::vector<uint8_t>* rgba) {
  BitmapToRgba(collection, collection.palette, bitmap, rgba);
}

void BitmapToRgba(const Collection& collection, const CollectionPalette& palette,
                  const CollectionBitmap& bitmap, std::vector<uint8_t>* rgba) {
  const size_t count = size_t(bitmap.width) * size_t(bitmap.height);
  rgba->resize(count * 4);
  if (bitmap.pixels.size() < count * size_t(bitmap.bytes_per_pixel)) {
    std::fill(rgba->begin(), rgba->end(), 0);
    return;
  }
  uint8_t* out = rgba->data();
  const uint8_t* in = bitmap.pixels.data();
  if (bitmap.IsHighColour()) {
    for (size_t i = 0; i < count; ++i, in += 8, out += 4) HighColourPixelRgba(collection, in, out);
    return;
  }
  const bool shadow = bitmap.IsShadow();
  for (size_t i = 0; i < count; ++i, in += 2, out += 4) {
    const uint8_t alpha = in[0], index = in[1];
    if (shadow) {
      out[0] = out[1] = out[2] = index;
    } else {
      const PaletteColor& c = palette[index];
      out[0] = c.r, out[1] = c.g, out[2] = c.b;
    }
    out[3] = alpha;
  }
}

BitmapTextures::~BitmapTextures() {
  for (auto& entry : textures_) Release(&entry.second);
}

void BitmapTextures::Release(Texture* texture) {
  if (texture->name) glDeleteTextures(1, &texture->name);
  texture->name = 0;
}

const CollectionPalette& BitmapTextures::PreviewPalette() {
  PreviewChanged();
  return preview_;
}

size_t BitmapTextures::PreviewChanged() {
  // Comparing what the preview was made from (768 bytes and the hue change records) is far
  // cheaper than working it out, and catches every change, reported or not.
  const bool same_palette = std::memcmp(preview_palette_.data(), collection_->palette.data(),
                                        sizeof preview_palette_) == 0;
  const bool same_changes = SameHueChanges(preview_changes_, collection_->hue_changes);
  if (preview_known_ && same_palette && same_changes) return 0;
  const CollectionPalette next = HuePreviewPalette(collection_->palette, collection_->hue_changes);
  std::bitset<256> changed;
  for (size_t i = 0; i < 256; ++i)
    if (!preview_known_ || next[i] != preview_[i]) changed.set(i);
  const bool recolour_high_colour = !preview_known_ || !same_changes;
  preview_ = next;
  preview_palette_ = collection_->palette;
  preview_changes_ = collection_->hue_changes;
  preview_known_ = true;
  size_t marked = 0;
  for (auto& entry : textures_) {
    Texture& t = entry.second;
    if (t.stale) continue;
    // High-colour pixels name their hue changes themselves.
    const bool high_colour = t.pixel_bytes == size_t(t.width) * size_t(t.height) * 8;
    if ((t.uses & changed).any() || (high_colour && recolour_high_colour)) {
      t.stale = true;
      ++marked;
    }
  }
  return marked;
}

void BitmapTextures::Fill(Texture* t, const CollectionBitmap& bitmap) {
  BitmapToRgba(*collection_, preview_, bitmap, &scratch_);
  t->uses = UsedEntries(bitmap);
  t->stale = false;
  glBindTexture(GL_TEXTURE_2D, t->name);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, t->width, t->height, GL_RGBA, GL_UNSIGNED_BYTE,
                  scratch_.data());
}

const BitmapTextures::Texture* BitmapTextures::Get(const CollectionBitmap* bitmap) {
  if (!bitmap || !bitmap->HasPixels() || bitmap->width <= 0 || bitmap->height <= 0) return nullptr;
  PreviewChanged();
  auto found = textures_.find(bitmap);
  if (found != textures_.end() && found->second.name && SameSource(found->second, *bitmap)) {
    if (found->second.stale) {
      // Same size and pixels, other colours: the texture is refilled in place.
      Fill(&found->second, *bitmap);
      ++refills_;
    }
    return &found->second;
  }
  Texture& t = textures_[bitmap];
  Release(&t);
  t.width = bitmap->width;
  t.height = bitmap->height;
  t.tex_width = PowerOfTwoAtLeast(t.width);
  t.tex_height = PowerOfTwoAtLeast(t.height);
  t.pixels = bitmap->pixels.data();
  t.pixel_bytes = bitmap->pixels.size();
  t.flags = bitmap->flags;
  // Power-of-two textures work everywhere; the bitmap sits in the top-left corner.
  t.name = UploadTexture(t.tex_width, t.tex_height, GL_RGBA, GL_NEAREST, nullptr);
  Fill(&t, *bitmap);
  ++builds_;
  return &t;
}

void BitmapTextures::Draw(const CollectionBitmap* bitmap, const Rect& where) {
  const Texture* t = Get(bitmap);
  if (!t || where.Width() <= 0 || where.Height() <= 0) return;
  const float u = float(t->width) / float(t->tex_width);
  const float v = float(t->height) / float(t->tex_height);
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, t->name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2i(where.x0, where.y0);
  glTexCoord2f(u, 0), glVertex2i(where.x1, where.y0);
  glTexCoord2f(u, v), glVertex2i(where.x1, where.y1);
  glTexCoord2f(0, v), glVertex2i(where.x0, where.y1);
  glEnd();
  glPopAttrib();
}

void BitmapTextures::Invalidate(const CollectionBitmap* bitmap) {
  auto found = textures_.find(bitmap);
  if (found == textures_.end()) return;
  Release(&found->second);
  textures_.erase(found);
}

void BitmapTextures::InvalidateAll() {
  for (auto& entry : textures_) Release(&entry.second);
  textures_.clear();
  preview_known_ = false;
}

void BitmapTextures::Prune() {
  std::unordered_set<const CollectionBitmap*> present;
  for (const auto& b : collection_->bitmaps) present.insert(b.get());
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (present.count(it->first)) {
      ++it;
    } else {
      Release(&it->second);
      it = textures_.erase(it);
    }
  }
}

Rect FitBitmap(int width, int height, const Rect& box) {
  if (width <= 0 || height <= 0 || box.Width() <= 0 || box.Height() <= 0) return Rect();
  int w, h;
  if (width <= box.Width() && height <= box.Height()) {
    const int scale = std::max(1, std::min(box.Width() / width, box.Height() / height));
    w = width * scale;
    h = height * scale;
  } else if (int64_t(width) * box.Height() >= int64_t(height) * box.Width()) {
    w = box.Width();
    h = std::max(1, int(int64_t(height) * box.Width() / width));
  } else {
    h = box.Height();
    w = std::max(1, int(int64_t(width) * box.Height() / height));
  }
  const int x = box.x0 + (box.Width() - w) / 2, y = box.y0 + (box.Height() - h) / 2;
  return Rect(x, y, x + w, y + h);
}

}  // namespace brae
