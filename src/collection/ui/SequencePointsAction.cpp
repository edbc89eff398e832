#include "collection/ui/SequencePointsAction.h"

#include <utility>

#include "collection/Collection.h"

namespace brae {

SequencePointsAction::SequencePointsAction(Collection* collection, size_t sequence,
                                           std::vector<PointChange> changes,
                                           std::function<void()> restored)
    : collection_(collection),
      sequence_(sequence),
      changes_(std::move(changes)),
      restored_(std::move(restored)) {}

bool SequencePointsAction::Apply(bool forward) {
  if (!ApplyPointChanges(collection_->SequenceAt(sequence_), changes_, forward)) return false;
  if (restored_) restored_();
  return true;
}

int SequencePointsAction::Do() {
  return Apply(true) ? 1 : 0;
}

void SequencePointsAction::Undo() {
  Apply(false);
}

}  // namespace brae
