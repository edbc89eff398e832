#include "collection/CollectionOptimize.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "collection/BitmapOperations.h"

namespace brae {

namespace {

// Every bitmap some frame view or frame shadow shows.
std::unordered_set<const CollectionBitmap*> UsedBitmaps(const Collection& c) {
  std::unordered_set<const CollectionBitmap*> used;
  for (const auto& s : c.sequences) {
    for (const CollectionFrame& f : s->frames) {
      if (f.shadow.bitmap) used.insert(f.shadow.bitmap);
      for (const auto& v : f.views)
        if (v && v->bitmap) used.insert(v->bitmap);
    }
  }
  return used;
}

// Drops the bitmaps marked doomed from the list in one pass, keeping the others' order.
// References to them must have been cleared or moved already.
void RemoveMarked(Collection* c, const std::vector<bool>& doomed) {
  size_t kept = 0;
  for (size_t i = 0; i < c->bitmaps.size(); ++i) {
    if (doomed[i]) continue;
    if (kept != i) c->bitmaps[kept] = std::move(c->bitmaps[i]);
    ++kept;
  }
  c->bitmaps.resize(kept);
}

// Points every reference (views, alternates, frame shadows) at the bitmap the map gives.
void Redirect(Collection* c,
              const std::unordered_map<const CollectionBitmap*, CollectionBitmap*>& to) {
  if (to.empty()) return;
  auto follow = [&to](CollectionBitmap*& ref) {
    if (!ref) return false;
    auto it = to.find(ref);
    if (it == to.end()) return false;
    ref = it->second;
    return true;
  };
  for (auto& s : c->sequences) {
    for (CollectionFrame& f : s->frames) {
      follow(f.shadow.bitmap);
      for (auto& v : f.views) {
        if (!v) continue;
        follow(v->bitmap);
        if (follow(v->alt_bitmap) && !v->alt_bitmap) v->alt_bitmap_index = -1;
      }
    }
  }
}

// A word-at-a-time hash of what makes two bitmaps identical: size, flags and pixel bytes.
uint64_t BitmapHash(const CollectionBitmap& b) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  auto mix = [](uint64_t h, uint64_t v) {
    h ^= v * kMul;
    h = (h << 29) | (h >> 35);
    return h * 0xBF58476D1CE4E5B9ull;
  };
  uint64_t h = mix(0x2545F4914F6CDD1Dull, uint64_t(uint32_t(b.width)) << 32 | uint32_t(b.height));
  h = mix(h, uint64_t(b.flags) << 32 | uint32_t(b.bytes_per_pixel));
  const uint8_t* p = b.pixels.data();
  const size_t n = b.pixels.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    h = mix(h, word);
  }
  uint64_t tail = n;
  for (; i < n; ++i) tail = (tail << 8) | p[i];
  return mix(h, tail);
}

bool Identical(const CollectionBitmap& a, const CollectionBitmap& b) {
  return a.width == b.width && a.height == b.height && a.flags == b.flags &&
         a.bytes_per_pixel == b.bytes_per_pixel && a.pixels == b.pixels;
}

}  // namespace

const char* WasOrWere(int count) {
  return count == 1 ? " was" : "s were";
}

OperationResult DeleteUnusedBitmaps(Collection* collection) {
  OperationResult result;
  const std::unordered_set<const CollectionBitmap*> used = UsedBitmaps(*collection);
  std::vector<bool> doomed(collection->bitmaps.size(), false);
  int removed = 0;
  for (size_t i = 0; i < collection->bitmaps.size(); ++i) {
    if (used.count(collection->bitmaps[i].get())) continue;
    doomed[i] = true;
    ++removed;
  }
  if (removed) {
    // Only alternate placements can still name an unused bitmap.
    std::unordered_map<const CollectionBitmap*, CollectionBitmap*> cleared;
    for (size_t i = 0; i < doomed.size(); ++i)
      if (doomed[i]) cleared.emplace(collection->bitmaps[i].get(), nullptr);
    Redirect(collection, cleared);
    RemoveMarked(collection, doomed);
  }
  result.changed = removed > 0;
  result.Note(FormatMessage(kDeleteUnusedReport, removed, WasOrWere(removed)));
  return result;
}

OperationResult MergeIdenticalBitmaps(Collection* collection) {
  OperationResult result;
  // Each bitmap is compared only with the first bitmaps of its hash: the first identical
  // earlier bitmap is always such a first one, so it is the one found.
  std::unordered_map<uint64_t, std::vector<size_t>> firsts;
  firsts.reserve(collection->bitmaps.size());
  std::unordered_map<const CollectionBitmap*, CollectionBitmap*> merged;
  std::vector<bool> doomed(collection->bitmaps.size(), false);
  for (size_t i = 0; i < collection->bitmaps.size(); ++i) {
    CollectionBitmap* b = collection->bitmaps[i].get();
    if (!b->HasPixels()) continue;
    std::vector<size_t>& bucket = firsts[BitmapHash(*b)];
    bool found = false;
    for (size_t j : bucket) {
      if (!Identical(*collection->bitmaps[j], *b)) continue;
      merged.emplace(b, collection->bitmaps[j].get());
      doomed[i] = found = true;
      break;
    }
    if (!found) bucket.push_back(i);
  }
  const int removed = int(merged.size());
  if (removed) {
    Redirect(collection, merged);
    RemoveMarked(collection, doomed);
  }
  result.changed = removed > 0;
  result.Note(FormatMessage(kMergeReport, removed, WasOrWere(removed)));
  return result;
}

OperationResult CropAllBitmaps(Collection* collection) {
  OperationResult result;
  int cropped = 0, removed = 0;
  int64_t pixels = 0;
  std::unordered_map<const CollectionBitmap*, PointShift> shifts;
  std::unordered_map<const CollectionBitmap*, CollectionBitmap*> cleared;
  std::vector<bool> doomed(collection->bitmaps.size(), false);
  for (size_t i = collection->bitmaps.size(); i-- > 0;) {
    CollectionBitmap* b = collection->bitmaps[i].get();
    if (b->IsShadow() || !b->HasPixels()) continue;
    if (IsFullyTransparent(*b)) {
      pixels += int64_t(b->width) * b->height;
      cleared.emplace(b, nullptr);
      doomed[i] = true;
      ++removed;
      continue;
    }
    const std::optional<CropCut> cut = CropPixels(b);
    if (!cut) continue;
    pixels += cut->removed;
    shifts.emplace(b, PointShift{-cut->left, -cut->top, -cut->right, -cut->bottom});
    ++cropped;
  }
  MoveInstancePoints(collection, shifts);
  if (removed) {
    Redirect(collection, cleared);
    RemoveMarked(collection, doomed);
  }
  std::string report = FormatMessage(kCropReport, cropped, WasOrWere(cropped), int(pixels));
  if (removed) report += FormatMessage(kCropAllTransparentReport, removed, WasOrWere(removed));
  result.changed = cropped > 0 || removed > 0;
  result.Note(report);
  return result;
}

std::string AutoBitmapName(const std::string& sequence, int stored_views, int frames, int frame,
                           int view) {
  std::string name;
  if (stored_views <= 1 && frames <= 1)
    name = sequence;
  else if (stored_views <= 1)
    name = FormatMessage("%s %.2d", sequence.c_str(), frame);
  else if (frames <= 1)
    name = FormatMessage("%s %.2d", sequence.c_str(), view);
  else
    name = FormatMessage("%s %.2d~%.2d", sequence.c_str(), frame, view);
  if (name.size() > kItemNameLength) name.resize(kItemNameLength);
  return name;
}

OperationResult AutoRenameBitmaps(Collection* collection) {
  OperationResult result;
  std::unordered_set<const CollectionBitmap*> met;
  int renamed = 0;
  for (const auto& s : collection->sequences) {
    const int views = s->StoredViewCount(), frames = s->FrameCount();
    for (int f = 0; f < frames; ++f) {
      const CollectionFrame& frame = s->frames[size_t(f)];
      for (int v = 0; v < views && size_t(v) < frame.views.size(); ++v) {
        const auto& instance = frame.views[size_t(v)];
        if (!instance || !instance->bitmap || !met.insert(instance->bitmap).second) continue;
        const std::string name = AutoBitmapName(s->name, views, frames, f, v);
        ++renamed;
        if (instance->bitmap->name == name) continue;
        instance->bitmap->name = name;
        result.changed = true;
        result.bitmaps.push_back(size_t(collection->IndexOfBitmap(instance->bitmap)));
      }
    }
  }
  if (renamed)
    result.messages.push_back({kRenameReportTitle, FormatMessage(kRenameReport, renamed)});
  return result;
}

uint32_t RoundUpToPowerOfTwo(uint32_t v) {
  uint32_t p = 1;
  while (p < v && p < 0x80000000u) p <<= 1;
  return p < v ? 0 : p;
}

RuntimePixels CountRuntimePixels(const Collection& collection) {
  RuntimePixels counts;
  for (const auto& b : collection.bitmaps) {
    const uint32_t w = uint32_t(b->width), h = uint32_t(b->height);
    counts.area += w * h;
    counts.pow2_area += RoundUpToPowerOfTwo(w) * RoundUpToPowerOfTwo(h);
  }
  return counts;
}

OperationResult RuntimeSize(const Collection& collection) {
  OperationResult result;
  const RuntimePixels n = CountRuntimePixels(collection);
  const double mb = 1048576.0;
  result.messages.push_back(
      {kRuntimeSizeTitle,
       FormatMessage(kRuntimeSizeReport, double(n.pow2_area) * 2 / mb, double(n.area) * 2 / mb,
                     double(n.pow2_area) * 4 / mb, double(n.area) * 4 / mb)});
  return result;
}

}  // namespace brae
