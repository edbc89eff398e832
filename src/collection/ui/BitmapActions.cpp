#include "collection/ui/BitmapActions.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "collection/BitmapOperations.h"
#include "collection/Collection.h"

namespace brae {

namespace {

bool SameBitmap(const CollectionBitmap& a, const CollectionBitmap& b) {
  return a.name == b.name && a.width == b.width && a.height == b.height && a.flags == b.flags &&
         a.bytes_per_pixel == b.bytes_per_pixel &&
         a.high_colour_size_code == b.high_colour_size_code &&
         std::memcmp(a.table_carried, b.table_carried, sizeof a.table_carried) == 0 &&
         a.pixels == b.pixels;
}

// Restores the snapshot, then gives every restored bitmap that equals one of the bitmaps
// before the restore that bitmap's object back (and moves the references to it), so that the
// bitmaps the command did not touch keep their windows, textures and selection.
void RestoreKeepingObjects(const BitmapSnapshot& snapshot, Collection* collection) {
  std::vector<std::unique_ptr<CollectionBitmap>> old;
  old.swap(collection->bitmaps);
  snapshot.Restore(collection);
  std::unordered_multimap<std::string, size_t> by_name;
  for (size_t i = 0; i < old.size(); ++i) by_name.emplace(old[i]->name, i);
  std::vector<bool> used(old.size(), false);
  std::unordered_map<const CollectionBitmap*, CollectionBitmap*> kept;  // restored -> old
  for (auto& slot : collection->bitmaps) {
    auto range = by_name.equal_range(slot->name);
    for (auto it = range.first; it != range.second; ++it) {
      const size_t i = it->second;
      if (used[i] || !SameBitmap(*old[i], *slot)) continue;
      used[i] = true;
      kept[slot.get()] = old[i].get();
      slot.swap(old[i]);
      break;
    }
  }
  if (kept.empty()) return;
  auto follow = [&kept](CollectionBitmap*& ref) {
    auto it = kept.find(ref);
    if (it != kept.end()) ref = it->second;
  };
  for (auto& sequence : collection->sequences)
    for (CollectionFrame& frame : sequence->frames) {
      for (auto& view : frame.views)
        if (view) {
          follow(view->bitmap);
          follow(view->alt_bitmap);
        }
      follow(frame.shadow.bitmap);
    }
}

}  // namespace

BitmapSnapshotAction::BitmapSnapshotAction(Collection* collection, BitmapSnapshot before,
                                           CollectionRestored restored)
    : collection_(collection), before_(std::move(before)), restored_(std::move(restored)) {}

int BitmapSnapshotAction::Do() {
  // The first Do happened as the command itself; only redo comes here.
  if (!after_) return 1;
  RestoreKeepingObjects(*after_, collection_);
  if (restored_) restored_(true, 0);
  return 1;
}

void BitmapSnapshotAction::Undo() {
  if (!after_) after_.emplace(*collection_);
  RestoreKeepingObjects(before_, collection_);
  if (restored_) restored_(true, 0);
}

RenameAction::RenameAction(Collection* collection, size_t index, std::string before,
                           std::string after, CollectionRestored restored)
    : collection_(collection),
      index_(index),
      before_(std::move(before)),
      after_(std::move(after)),
      restored_(std::move(restored)) {}

bool RenameAction::Set(const std::string& name) {
  if (!collection_->BitmapAt(index_)) return false;
  RenameBitmap(collection_, index_, name);
  if (restored_) restored_(false, index_);
  return true;
}

int RenameAction::Do() {
  return Set(after_) ? 1 : 0;
}

void RenameAction::Undo() {
  Set(before_);
}

}  // namespace brae
