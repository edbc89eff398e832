#include "collection/Collection.h"

#include <algorithm>
#include <cstring>

namespace brae {

// ---- Names

void SetFixedName(char* field, size_t field_size, const std::string& text) {
  std::memset(field, 0, field_size);
  std::memcpy(field, text.data(), std::min(text.size(), field_size - 1));
}

std::string FixedName(const char* field, size_t field_size) {
  size_t n = 0;
  while (n < field_size && field[n]) ++n;
  return std::string(field, n);
}

HueChange MakeNewHueChange() {
  HueChange h;
  std::memset(&h, 0, sizeof h);
  h.start_hue = 0x5556;
  h.end_hue = 0xAAAB;
  h.median_hue = 0x8001;
  return h;
}

// ---- Bitmaps

uint32_t NewBitmapSerial() {
  static uint32_t next = 0;
  return ++next;
}

const char* CollectionBitmap::DepthText() const {
  if (IsHighColour()) return "32";
  return (flags & kBitmapTwoBytes) ? "16" : "8";
}

std::unique_ptr<CollectionBitmap> CollectionBitmap::MakeIndexed(const std::string& name, int width,
                                                                int height, uint16_t flags) {
  auto b = std::make_unique<CollectionBitmap>();
  b->name = name.substr(0, kItemNameLength);
  b->width = width;
  b->height = height;
  b->flags = flags;
  b->bytes_per_pixel = 2;
  b->pixels.assign(size_t(width) * size_t(height) * 2, 0);
  return b;
}

// ---- Sequences

CollectionSequence::CollectionSequence() {
  header.carried_a = 0x10000;  // 1.0
  header.flags = kSequenceHasFrames;
  header.first_sound = header.key_sound = header.last_sound = 0xFFFFFFFFu;
  header.default_reg_x = 20 * 65536;
  header.carried_c = -10 * 65536;
  header.default_reg_y = 60 * 65536;
  Resize(1, 1);
}

int CollectionSequence::StoredViewCount() const {
  const int views = header.view_count;
  if (!IsMirrored() || views < 3) return views;
  return views / 2 + 1;
}

void CollectionSequence::Resize(int frame_count, int view_count) {
  frame_count = std::max(0, std::min(frame_count, 0xFFFF));
  view_count = std::max(0, std::min(view_count, 0xFFFF));
  CollectionInstance fresh;
  fresh.reg_x = int16_t(header.default_reg_x / 65536);
  fresh.reg_y = int16_t(header.default_reg_y / 65536);
  frames.resize(size_t(frame_count));
  for (CollectionFrame& f : frames) {
    const size_t old = f.views.size();
    f.views.resize(size_t(view_count));
    for (size_t v = old; v < f.views.size(); ++v) f.views[v] = fresh;
  }
  header.view_count = uint16_t(view_count);
  header.frame_count = uint16_t(frame_count);
}

void CollectionSequence::RebuildMirroredViews() {
  if (!IsMirrored()) return;
  const int views = header.view_count;
  const int stored = StoredViewCount();
  for (CollectionFrame& frame : frames) {
    frame.views.resize(size_t(views));
    for (int v = stored; v < views; ++v) {
      const std::optional<CollectionInstance>& source = frame.views[size_t(views - v)];
      std::optional<CollectionInstance> copy = source;
      if (copy) {
        copy->flags ^= kInstanceMirrorX;
        const int width = copy->bitmap ? copy->bitmap->width : 0;
        copy->reg_x = int16_t(width - copy->reg_x);
      }
      frame.views[size_t(v)] = copy;
    }
  }
}

void CollectionSequence::ComputeExtents() {
  extents = SequenceExtents();
  for (const CollectionFrame& frame : frames) {
    for (const auto& view : frame.views) {
      if (!view || !view->bitmap) continue;
      extents.left = std::max(extents.left, int(view->reg_x));
      extents.top = std::max(extents.top, int(view->reg_y));
      extents.right = std::max(extents.right, view->bitmap->width - view->reg_x);
      extents.bottom = std::max(extents.bottom, view->bitmap->height - view->reg_y);
    }
  }
}

CollectionInstance* CollectionSequence::InstanceAt(int frame, int view) {
  if (frame < 0 || view < 0 || size_t(frame) >= frames.size()) return nullptr;
  auto& views = frames[size_t(frame)].views;
  if (size_t(view) >= views.size() || !views[size_t(view)]) return nullptr;
  return &*views[size_t(view)];
}

// ---- Collection

Collection::Collection() = default;
Collection::~Collection() = default;

void Collection::Clear() {
  name.clear();
  carried = 0;
  flags = kNewCollectionFlags;
  palette = CollectionPalette{};
  bitmaps.clear();
  hue_changes.clear();
  sequences.clear();
  has_pixels = true;
}

CollectionBitmap* Collection::BitmapAt(size_t index) const {
  return index < bitmaps.size() ? bitmaps[index].get() : nullptr;
}

CollectionSequence* Collection::SequenceAt(size_t index) const {
  return index < sequences.size() ? sequences[index].get() : nullptr;
}

HueChange* Collection::HueChangeAt(size_t index) {
  return index < hue_changes.size() ? &hue_changes[index] : nullptr;
}

const HueChange* Collection::HueChangeAt(size_t index) const {
  return index < hue_changes.size() ? &hue_changes[index] : nullptr;
}

int Collection::IndexOfBitmap(const CollectionBitmap* bitmap) const {
  if (!bitmap) return -1;
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    if (bitmaps[i].get() == bitmap) return int(i);
  }
  return -1;
}

int Collection::IndexOfSerial(uint32_t serial) const {
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    if (bitmaps[i]->serial == serial) return int(i);
  }
  return -1;
}

int Collection::IndexOfSequence(const CollectionSequence* sequence) const {
  for (size_t i = 0; i < sequences.size(); ++i) {
    if (sequences[i].get() == sequence) return int(i);
  }
  return -1;
}

CollectionBitmap* Collection::AddBitmap(std::unique_ptr<CollectionBitmap> bitmap) {
  bitmaps.push_back(std::move(bitmap));
  return bitmaps.back().get();
}

void Collection::ReplaceBitmapReferences(const CollectionBitmap* from, CollectionBitmap* to) {
  if (!from) return;
  for (auto& sequence : sequences) {
    for (CollectionFrame& frame : sequence->frames) {
      for (auto& view : frame.views) {
        if (!view) continue;
        if (view->bitmap == from) view->bitmap = to;
        if (view->alt_bitmap == from) {
          view->alt_bitmap = to;
          if (!to) view->alt_bitmap_index = -1;
        }
      }
      if (frame.shadow.bitmap == from) frame.shadow.bitmap = to;
    }
  }
}

void Collection::RemoveBitmap(size_t index) {
  if (index >= bitmaps.size()) return;
  ReplaceBitmapReferences(bitmaps[index].get(), nullptr);
  bitmaps.erase(bitmaps.begin() + std::ptrdiff_t(index));
}

void Collection::MoveBitmap(size_t from, size_t to) {
  if (from >= bitmaps.size() || to >= bitmaps.size() || from == to) return;
  auto moving = std::move(bitmaps[from]);
  bitmaps.erase(bitmaps.begin() + std::ptrdiff_t(from));
  bitmaps.insert(bitmaps.begin() + std::ptrdiff_t(to), std::move(moving));
}

bool Collection::IsBitmapUsed(const CollectionBitmap* bitmap) const {
  if (!bitmap) return false;
  for (const auto& sequence : sequences) {
    for (const CollectionFrame& frame : sequence->frames) {
      if (frame.shadow.bitmap == bitmap) return true;
      for (const auto& view : frame.views) {
        if (view && view->bitmap == bitmap) return true;
      }
    }
  }
  return false;
}

CollectionSequence* Collection::AddSequence(std::unique_ptr<CollectionSequence> sequence) {
  sequences.push_back(std::move(sequence));
  return sequences.back().get();
}

void Collection::RemoveSequence(size_t index) {
  if (index < sequences.size()) sequences.erase(sequences.begin() + std::ptrdiff_t(index));
}

}  // namespace brae
