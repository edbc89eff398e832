#include "collection/ui/HueChangeActions.h"

#include <algorithm>
#include <cstring>

#include "collection/Collection.h"

namespace brae {

namespace {

void Insert(Collection* c, size_t index, const HueChange& h) {
  index = std::min(index, c->hue_changes.size());
  c->hue_changes.insert(c->hue_changes.begin() + std::ptrdiff_t(index), h);
}

void Remove(Collection* c, size_t index) {
  c->hue_changes.erase(c->hue_changes.begin() + std::ptrdiff_t(index));
}

}  // namespace

// ---- insert

HueChangeInsertAction::HueChangeInsertAction(Collection* collection, size_t index,
                                             HueChangesRestored restored)
    : collection_(collection), index_(index), restored_(std::move(restored)) {}

int HueChangeInsertAction::Do() {
  if (!parked_valid_ || index_ > collection_->hue_changes.size()) return 0;
  Insert(collection_, index_, parked_);
  parked_valid_ = false;
  if (restored_) restored_(HueListChange::kInserted, index_);
  return 1;
}

void HueChangeInsertAction::Undo() {
  const HueChange* h = collection_->HueChangeAt(index_);
  if (!h) return;
  parked_ = *h;
  parked_valid_ = true;
  Remove(collection_, index_);
  if (restored_) restored_(HueListChange::kRemoved, index_);
}

// ---- delete

HueChangeDeleteAction::HueChangeDeleteAction(Collection* collection,
                                             std::vector<std::pair<size_t, HueChange>> removed,
                                             HueChangesRestored restored)
    : collection_(collection), removed_(std::move(removed)), restored_(std::move(restored)) {}

int HueChangeDeleteAction::Do() {
  if (removed_now_) return 1;
  for (auto it = removed_.rbegin(); it != removed_.rend(); ++it)
    if (it->first >= collection_->hue_changes.size()) return 0;
  // From the back, so that the indices before each removal are those recorded.
  for (auto it = removed_.rbegin(); it != removed_.rend(); ++it) {
    Remove(collection_, it->first);
    if (restored_) restored_(HueListChange::kRemoved, it->first);
  }
  removed_now_ = true;
  return 1;
}

void HueChangeDeleteAction::Undo() {
  if (!removed_now_) return;
  for (const auto& r : removed_) {
    Insert(collection_, r.first, r.second);
    if (restored_) restored_(HueListChange::kInserted, r.first);
  }
  removed_now_ = false;
}

// ---- rename

HueChangeRenameAction::HueChangeRenameAction(Collection* collection, size_t index,
                                             const HueChange& before, const HueChange& after,
                                             HueChangesRestored restored)
    : collection_(collection), index_(index), restored_(std::move(restored)) {
  std::memcpy(before_, before.name, sizeof before_);
  std::memcpy(after_, after.name, sizeof after_);
}

bool HueChangeRenameAction::Set(const char* name) {
  HueChange* h = collection_->HueChangeAt(index_);
  if (!h) return false;
  std::memcpy(h->name, name, sizeof h->name);
  if (restored_) restored_(HueListChange::kEdited, index_);
  return true;
}

int HueChangeRenameAction::Do() {
  return Set(after_) ? 1 : 0;
}

void HueChangeRenameAction::Undo() {
  Set(before_);
}

// ---- fields

HueChangeFieldAction::HueChangeFieldAction(Collection* collection, size_t index,
                                           const HueChange& before, const HueChange& after,
                                           HueChangesRestored restored)
    : collection_(collection),
      index_(index),
      before_(before),
      after_(after),
      restored_(std::move(restored)) {}

bool HueChangeFieldAction::Set(const HueChange& record) {
  HueChange* h = collection_->HueChangeAt(index_);
  if (!h) return false;
  // The name belongs to the rename action: an edit of the fields never touches it.
  char name[sizeof h->name];
  std::memcpy(name, h->name, sizeof name);
  *h = record;
  std::memcpy(h->name, name, sizeof name);
  if (restored_) restored_(HueListChange::kEdited, index_);
  return true;
}

int HueChangeFieldAction::Do() {
  return Set(after_) ? 1 : 0;
}

void HueChangeFieldAction::Undo() {
  Set(before_);
}

// ---- marker drag

HueMarkerDragAction::HueMarkerDragAction(Collection* collection, size_t index,
                                         const HueChange& before, const HueChange& after,
                                         HueChangesRestored restored)
    : collection_(collection),
      index_(index),
      before_{before.start_hue, before.median_hue, before.end_hue},
      after_{after.start_hue, after.median_hue, after.end_hue},
      restored_(std::move(restored)) {}

bool HueMarkerDragAction::Set(const Hues& hues) {
  HueChange* h = collection_->HueChangeAt(index_);
  if (!h) return false;
  h->start_hue = hues.start;
  h->median_hue = hues.median;
  h->end_hue = hues.end;
  if (restored_) restored_(HueListChange::kEdited, index_);
  return true;
}

int HueMarkerDragAction::Do() {
  return Set(after_) ? 1 : 0;
}

void HueMarkerDragAction::Undo() {
  Set(before_);
}

}  // namespace brae
