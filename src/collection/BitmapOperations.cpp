#include "collection/BitmapOperations.h"

#include <algorithm>
#include <set>

namespace brae {

namespace {

bool IsPowerOfTwo(int v) {
  return v > 0 && (v & (v - 1)) == 0;
}

// The bitmaps named by indices, each once, in list order; none for an index past the end.
std::vector<CollectionBitmap*> Listed(const Collection& c, const std::vector<size_t>& indices) {
  std::vector<CollectionBitmap*> out;
  std::set<size_t> seen;
  for (size_t i : indices) {
    if (seen.insert(i).second && c.BitmapAt(i)) out.push_back(c.BitmapAt(i));
  }
  return out;
}

// Copies a region of a bitmap into a fresh pixel buffer of new_w × new_h, the region's pixel
// (0, 0) landing at (to_x, to_y); everything else zero (transparent).
void Reframe(CollectionBitmap* b, int from_x, int from_y, int w, int h, int new_w, int new_h,
             int to_x, int to_y) {
  const size_t bpp = size_t(b->bytes_per_pixel);
  std::vector<uint8_t> out(size_t(new_w) * size_t(new_h) * bpp, 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = b->Pixel(from_x, from_y + y);
    std::copy(
        src, src + size_t(w) * bpp,
        out.begin() + std::ptrdiff_t((size_t(to_y + y) * size_t(new_w) + size_t(to_x)) * bpp));
  }
  b->pixels = std::move(out);
  b->width = new_w;
  b->height = new_h;
}

}  // namespace

const char* SelectedMenuTitle(size_t count, bool shadows) {
  if (shadows) return count == 1 ? kSelectedShadow : kSelectedShadows;
  return count == 1 ? kSelectedBitmap : kSelectedBitmaps;
}

std::string BitmapBitsText(const CollectionBitmap& bitmap) {
  return FormatMessage("%s bit", bitmap.DepthText());
}

const char* BitmapFormatText(const CollectionBitmap& bitmap) {
  return bitmap.IsRle() ? "RLE" : "RAW";
}

std::string BitmapDimensionsText(const CollectionBitmap& bitmap) {
  return FormatMessage("%4d x %d", bitmap.width, bitmap.height);
}

std::string BitmapCountLabel(size_t count, bool shadows) {
  return FormatMessage("%3d %s%s:", int(count), shadows ? "Shadow" : "Bitmap",
                       count == 1 ? "" : "s");
}

const char* ScopeText(RowScope scope, size_t count) {
  if (scope == RowScope::kSelected) return "the selected";
  return count == 1 ? "the only" : "all";
}

std::string CropQuestion(RowScope scope, size_t count) {
  return FormatMessage(kCropQuestion, ScopeText(scope, count), count == 1 ? "" : "s");
}

std::string DeleteQuestion(RowScope scope, size_t count, bool shadows) {
  return FormatMessage(kDeleteQuestion, ScopeText(scope, count), shadows ? "shadow" : "bitmap",
                       count == 1 ? "" : "s");
}

std::optional<std::string> OpenBitmapMessage(const Collection& collection,
                                             const std::vector<size_t>& indices,
                                             const std::function<bool(size_t)>& is_open,
                                             const char* action) {
  if (!is_open) return std::nullopt;
  for (size_t i : indices) {
    const CollectionBitmap* b = collection.BitmapAt(i);
    if (b && is_open(i)) return FormatMessage(kBitmapOpenMessage, b->name.c_str(), action);
  }
  return std::nullopt;
}

bool IsFullyTransparent(const CollectionBitmap& b) {
  const size_t n = size_t(b.width) * size_t(b.height);
  if (b.pixels.size() < n * size_t(b.bytes_per_pixel)) return false;
  for (size_t i = 0; i < n; ++i)
    if (PixelAlpha(b, i)) return false;
  return true;
}

std::optional<CropCut> CropPixels(CollectionBitmap* b) {
  if (!b->HasPixels()) return std::nullopt;
  if (!b->IsHighColour() && !b->IsRle() && IsPowerOfTwo(b->width) && IsPowerOfTwo(b->height))
    return std::nullopt;
  int left = b->width, top = b->height, right = -1, bottom = -1;
  for (int y = 0; y < b->height; ++y) {
    for (int x = 0; x < b->width; ++x) {
      if (!PixelAlpha(*b, size_t(y) * size_t(b->width) + size_t(x))) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;  // fully transparent
  const int w = right - left + 1, h = bottom - top + 1;
  if (w == b->width && h == b->height) return std::nullopt;
  CropCut cut;
  cut.left = left, cut.top = top;
  cut.right = b->width - 1 - right, cut.bottom = b->height - 1 - bottom;
  cut.removed = int64_t(b->width) * b->height - int64_t(w) * h;
  Reframe(b, left, top, w, h, w, h, 0, 0);
  return cut;
}

OperationResult CropBitmaps(Collection* collection, const std::vector<size_t>& indices,
                            RowScope scope, const Question& confirm) {
  OperationResult result;
  if (confirm && !confirm(CropQuestion(scope, indices.size()))) {
    result.ok = false;
    return result;
  }
  int cropped = 0;
  int64_t removed = 0;
  for (CollectionBitmap* b : Listed(*collection, indices)) {
    const std::optional<CropCut> cut = CropPixels(b);
    if (!cut) continue;
    removed += cut->removed;
    MoveInstancePoints(collection, b, -cut->left, -cut->top, -cut->right, -cut->bottom);
    result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
    ++cropped;
  }
  result.changed = cropped > 0;
  result.Note(FormatMessage(kCropReport, cropped, cropped == 1 ? " was" : "s were", int(removed)));
  return result;
}

OperationResult UncropBitmaps(Collection* collection, const std::vector<size_t>& indices,
                              std::optional<int> size) {
  OperationResult result;
  if (!size) {
    result.ok = false;
    return result;
  }
  const int n = *size;
  if (n < 1 || n > kMaxUncropSize) return result.Error(kUncropInvalidSize);
  for (CollectionBitmap* b : Listed(*collection, indices)) {
    if (!b->HasPixels() || b->width > n || b->height > n) continue;
    if (b->width == n && b->height == n) continue;
    const int left = (n - b->width) / 2, top = (n - b->height) / 2;
    const int right = n - b->width - left, bottom = n - b->height - top;
    Reframe(b, 0, 0, b->width, b->height, n, n, left, top);
    MoveInstancePoints(collection, b, left, top, right, bottom);
    result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
  }
  result.changed = !result.bitmaps.empty();
  return result;
}

OperationResult ConvertBitmaps(Collection* collection, const std::vector<size_t>& indices,
                               bool rle) {
  OperationResult result;
  for (CollectionBitmap* b : Listed(*collection, indices)) {
    if (b->IsHighColour() || b->IsRle() == rle) continue;
    b->flags = uint16_t(rle ? b->flags | kBitmapRle : b->flags & ~kBitmapRle);
    result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
  }
  result.changed = !result.bitmaps.empty();
  return result;
}

OperationResult RemoveAlpha(Collection* collection, const std::vector<size_t>& indices) {
  OperationResult result;
  for (CollectionBitmap* b : Listed(*collection, indices)) {
    if (b->IsHighColour() || !(b->flags & kBitmapTwoBytes)) continue;
    b->flags = uint16_t(b->flags & ~kBitmapTwoBytes);
    // The working form shows what a save and load will give: 0 stays clear, others opaque.
    for (size_t i = 0; i + 1 < b->pixels.size(); i += 2) {
      if (b->pixels[i]) b->pixels[i] = 255;
    }
    result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
  }
  result.changed = !result.bitmaps.empty();
  return result;
}

OperationResult RenameBitmap(Collection* collection, size_t index, const std::string& name) {
  OperationResult result;
  CollectionBitmap* b = collection->BitmapAt(index);
  if (!b) return result.Error("There is no such bitmap.");
  const std::string kept = name.substr(0, kItemNameLength);
  if (kept == b->name) return result;
  b->name = kept;
  result.changed = true;
  result.bitmaps.push_back(index);
  return result;
}

OperationResult DeleteBitmaps(Collection* collection, const std::vector<size_t>& indices,
                              RowScope scope, const Question& confirm) {
  OperationResult result;
  const std::vector<CollectionBitmap*> doomed = Listed(*collection, indices);
  bool shadows = !doomed.empty();
  for (const CollectionBitmap* b : doomed) shadows = shadows && b->IsShadow();
  if (confirm && !confirm(DeleteQuestion(scope, indices.size(), shadows))) {
    result.ok = false;
    return result;
  }
  for (CollectionBitmap* b : doomed) {
    result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
    collection->RemoveBitmap(size_t(collection->IndexOfBitmap(b)));
  }
  result.changed = !doomed.empty();
  return result;
}

OperationResult MoveBitmaps(Collection* collection, const std::vector<size_t>& indices,
                            size_t drop_position) {
  OperationResult result;
  std::vector<CollectionBitmap*> moving = Listed(*collection, indices);
  std::sort(moving.begin(), moving.end(), [&](CollectionBitmap* a, CollectionBitmap* b) {
    return collection->IndexOfBitmap(a) < collection->IndexOfBitmap(b);
  });
  if (moving.empty()) return result;
  drop_position = std::min(drop_position, collection->bitmaps.size());
  // The bitmap before which the moved ones go (none: the end), skipping moved ones.
  CollectionBitmap* before = nullptr;
  for (size_t i = drop_position; i < collection->bitmaps.size(); ++i) {
    CollectionBitmap* b = collection->bitmaps[i].get();
    if (std::find(moving.begin(), moving.end(), b) == moving.end()) {
      before = b;
      break;
    }
  }
  std::vector<CollectionBitmap*> old_order;
  for (auto& b : collection->bitmaps) old_order.push_back(b.get());
  std::vector<std::unique_ptr<CollectionBitmap>> kept, taken;
  for (auto& b : collection->bitmaps) {
    (std::find(moving.begin(), moving.end(), b.get()) != moving.end() ? taken : kept)
        .push_back(std::move(b));
  }
  std::vector<std::unique_ptr<CollectionBitmap>> order;
  for (auto& b : kept) {
    if (b.get() == before) {
      for (auto& t : taken) order.push_back(std::move(t));
    }
    order.push_back(std::move(b));
  }
  if (!before) {
    for (auto& t : taken) order.push_back(std::move(t));
  }
  bool same = true;
  for (size_t i = 0; i < order.size(); ++i) same = same && order[i].get() == old_order[i];
  collection->bitmaps = std::move(order);
  for (CollectionBitmap* b : moving) result.bitmaps.push_back(size_t(collection->IndexOfBitmap(b)));
  result.changed = !same;
  return result;
}

}  // namespace brae
