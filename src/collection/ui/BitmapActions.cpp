#include "collection/ui/BitmapActions.h"

#include <utility>

#include "collection/BitmapOperations.h"
#include "collection/Collection.h"

namespace brae {

BitmapSnapshotAction::BitmapSnapshotAction(Collection* collection, BitmapSnapshot before,
                                           CollectionRestored restored)
    : collection_(collection), before_(std::move(before)), restored_(std::move(restored)) {}

int BitmapSnapshotAction::Do() {
  // The first Do happened as the command itself; only redo comes here.
  if (!after_) return 1;
  after_->Restore(collection_);
  if (restored_) restored_(true, 0);
  return 1;
}

void BitmapSnapshotAction::Undo() {
  if (!after_) after_.emplace(*collection_);
  before_.Restore(collection_);
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
