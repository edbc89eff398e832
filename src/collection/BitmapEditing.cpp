#include "collection/BitmapEditing.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

namespace brae {

OperationResult& OperationResult::Error(const std::string& text) {
  ok = false;
  messages.push_back({"Error", text});
  return *this;
}

OperationResult& OperationResult::Note(const std::string& text) {
  messages.push_back({"", text});
  return *this;
}

std::string OperationResult::Text() const {
  std::string all;
  for (const OperationMessage& m : messages) all += m.text + "\n";
  return all;
}

std::string FormatMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? size_t(n) : 0, '\0');
  if (n > 0) std::vsnprintf(&text[0], size_t(n) + 1, format, args);
  va_end(args);
  return text;
}

std::string FileBaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

uint8_t PixelAlpha(const CollectionBitmap& bitmap, size_t i) {
  if (bitmap.IsHighColour()) return bitmap.pixels[i * 8 + 3] & 31 ? 255 : 0;
  return bitmap.pixels[i * 2];
}

void TakePicture(CollectionBitmap* target, CollectionBitmap&& source) {
  target->width = source.width;
  target->height = source.height;
  target->flags = source.flags;
  target->bytes_per_pixel = 2;
  target->pixels = std::move(source.pixels);
}

void ApplyAlpha(CollectionBitmap* bitmap, const uint8_t* values, size_t stride) {
  bool partial = false;
  for (int y = 0; y < bitmap->height; ++y) {
    const uint8_t* row = values + size_t(y) * stride;
    for (int x = 0; x < bitmap->width; ++x) {
      bitmap->Pixel(x, y)[0] = row[x];
      if (row[x] > 0 && row[x] < 255) partial = true;
    }
  }
  bitmap->flags =
      uint16_t(partial ? bitmap->flags | kBitmapTwoBytes : bitmap->flags & ~kBitmapTwoBytes);
}

BitmapSnapshot::BitmapSnapshot(const Collection& collection) : palette_(collection.palette) {
  for (const auto& b : collection.bitmaps) bitmaps_.push_back(*b);
  for (const auto& s : collection.sequences) {
    for (const CollectionFrame& f : s->frames) {
      for (const auto& v : f.views) {
        Placement p;
        if (v) {
          p.bitmap = collection.IndexOfBitmap(v->bitmap);
          p.alt_bitmap = collection.IndexOfBitmap(v->alt_bitmap);
          p.alt_bitmap_index = v->alt_bitmap_index;
          p.reg_x = v->reg_x, p.reg_y = v->reg_y, p.key_x = v->key_x, p.key_y = v->key_y;
          p.alt_reg_x = v->alt_reg_x, p.alt_reg_y = v->alt_reg_y;
        }
        placements_.push_back(p);
      }
      shadows_.push_back(collection.IndexOfBitmap(f.shadow.bitmap));
    }
  }
}

void BitmapSnapshot::Restore(Collection* collection) const {
  collection->palette = palette_;
  collection->bitmaps.clear();
  for (const CollectionBitmap& b : bitmaps_)
    collection->bitmaps.push_back(std::make_unique<CollectionBitmap>(b));
  size_t view = 0, frame = 0;
  for (auto& s : collection->sequences) {
    for (CollectionFrame& f : s->frames) {
      for (auto& v : f.views) {
        if (view >= placements_.size()) return;
        const Placement& p = placements_[view++];
        if (!v) continue;
        v->bitmap = p.bitmap >= 0 ? collection->BitmapAt(size_t(p.bitmap)) : nullptr;
        v->alt_bitmap = p.alt_bitmap >= 0 ? collection->BitmapAt(size_t(p.alt_bitmap)) : nullptr;
        v->alt_bitmap_index = p.alt_bitmap_index;
        v->reg_x = p.reg_x, v->reg_y = p.reg_y, v->key_x = p.key_x, v->key_y = p.key_y;
        v->alt_reg_x = p.alt_reg_x, v->alt_reg_y = p.alt_reg_y;
      }
      if (frame >= shadows_.size()) return;
      const int shadow = shadows_[frame++];
      f.shadow.bitmap = shadow >= 0 ? collection->BitmapAt(size_t(shadow)) : nullptr;
    }
  }
}

namespace {

int16_t Moved(int16_t value, int by) {
  return int16_t(std::clamp(int(value) + by, -32768, 32767));
}

// Moves the points of every instance whose bitmap (or valid alternate bitmap) has a shift.
template <typename ShiftOf>
void MoveEveryInstance(Collection* collection, const ShiftOf& shift_of) {
  for (auto& s : collection->sequences) {
    for (CollectionFrame& f : s->frames) {
      for (auto& v : f.views) {
        if (!v) continue;
        const auto pick = [&v](const PointShift& p) {
          return std::make_pair((v->flags & kInstanceMirrorX) ? p.mirror_dx : p.dx,
                                (v->flags & kInstanceMirrorY) ? p.mirror_dy : p.dy);
        };
        if (const PointShift* p = shift_of(v->bitmap)) {
          const auto [mx, my] = pick(*p);
          v->reg_x = Moved(v->reg_x, mx), v->reg_y = Moved(v->reg_y, my);
          v->key_x = Moved(v->key_x, mx), v->key_y = Moved(v->key_y, my);
        }
        if (!(v->flags & kInstanceAlternateValid)) continue;
        if (const PointShift* p = shift_of(v->alt_bitmap)) {
          const auto [mx, my] = pick(*p);
          v->alt_reg_x = Moved(v->alt_reg_x, mx), v->alt_reg_y = Moved(v->alt_reg_y, my);
        }
      }
    }
  }
}

}  // namespace

void MoveInstancePoints(Collection* collection, const CollectionBitmap* bitmap, int dx, int dy,
                        int mirror_dx, int mirror_dy) {
  if (!bitmap) return;
  const PointShift shift{dx, dy, mirror_dx, mirror_dy};
  MoveEveryInstance(collection,
                    [&](const CollectionBitmap* b) { return b == bitmap ? &shift : nullptr; });
}

void MoveInstancePoints(Collection* collection,
                        const std::unordered_map<const CollectionBitmap*, PointShift>& shifts) {
  if (shifts.empty()) return;
  MoveEveryInstance(collection, [&](const CollectionBitmap* b) -> const PointShift* {
    auto it = shifts.find(b);
    return it == shifts.end() ? nullptr : &it->second;
  });
}

}  // namespace brae
