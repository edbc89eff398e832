#include "collection/ui/SequenceEditActions.h"

#include <utility>

namespace brae {

// ---- state

SequenceState::SequenceState(const Collection& collection, const CollectionSequence& sequence)
    : content_(sequence) {
  for (const CollectionFrame& frame : sequence.frames) {
    for (const auto& view : frame.views) {
      if (!view) continue;
      references_.push_back(collection.IndexOfBitmap(view->bitmap));
      references_.push_back(collection.IndexOfBitmap(view->alt_bitmap));
    }
    references_.push_back(collection.IndexOfBitmap(frame.shadow.bitmap));
  }
}

void SequenceState::Restore(const Collection& collection, CollectionSequence* into) const {
  *into = content_;
  size_t next = 0;
  auto resolve = [&]() -> CollectionBitmap* {
    const int index = next < references_.size() ? references_[next++] : -1;
    return index >= 0 ? collection.BitmapAt(size_t(index)) : nullptr;
  };
  for (CollectionFrame& frame : into->frames) {
    for (auto& view : frame.views) {
      if (!view) continue;
      view->bitmap = resolve();
      view->alt_bitmap = resolve();
    }
    frame.shadow.bitmap = resolve();
  }
}

// ---- edits confined to one sequence

SequenceEditAction::SequenceEditAction(Collection* collection, size_t index, SequenceState before,
                                       SequenceRestored restored)
    : collection_(collection),
      index_(index),
      before_(std::move(before)),
      restored_(std::move(restored)) {}

int SequenceEditAction::Do() {
  // The first Do happened as the command itself; only redo comes here.
  if (!after_) return 1;
  CollectionSequence* s = collection_->SequenceAt(index_);
  if (!s) return 0;
  after_->Restore(*collection_, s);
  if (restored_) restored_(false);
  return 1;
}

void SequenceEditAction::Undo() {
  CollectionSequence* s = collection_->SequenceAt(index_);
  if (!s) return;
  if (!after_) after_.emplace(*collection_, *s);
  before_.Restore(*collection_, s);
  if (restored_) restored_(false);
}

// ---- imports

SequenceImportAction::SequenceImportAction(Collection* collection, size_t index,
                                           SequenceState before,
                                           const CollectionPalette& palette_before, size_t added,
                                           SequenceRestored restored)
    : collection_(collection),
      index_(index),
      before_(std::move(before)),
      palette_before_(palette_before),
      added_(added),
      restored_(std::move(restored)) {}

SequenceImportAction::~SequenceImportAction() = default;

int SequenceImportAction::Do() {
  if (!after_) return 1;  // done by the command
  CollectionSequence* s = collection_->SequenceAt(index_);
  if (!s || parked_.size() != added_) return 0;
  for (auto& b : parked_) collection_->bitmaps.push_back(std::move(b));
  parked_.clear();
  collection_->palette = palette_after_;
  after_->Restore(*collection_, s);
  if (restored_) restored_(true);
  return 1;
}

void SequenceImportAction::Undo() {
  CollectionSequence* s = collection_->SequenceAt(index_);
  if (!s || collection_->bitmaps.size() < added_) return;
  if (!after_) after_.emplace(*collection_, *s);
  palette_after_ = collection_->palette;
  // The sequence first: afterwards nothing refers to the appended bitmaps.
  before_.Restore(*collection_, s);
  parked_.clear();
  const size_t keep = collection_->bitmaps.size() - added_;
  for (size_t i = keep; i < collection_->bitmaps.size(); ++i)
    parked_.push_back(std::move(collection_->bitmaps[i]));
  collection_->bitmaps.resize(keep);
  collection_->palette = palette_before_;
  if (restored_) restored_(true);
}

}  // namespace brae
