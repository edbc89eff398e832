#include "collection/ui/SequenceActions.h"

#include <algorithm>

#include "collection/Collection.h"

namespace brae {

namespace {

void Insert(Collection* c, size_t index, std::unique_ptr<CollectionSequence> s) {
  index = std::min(index, c->sequences.size());
  c->sequences.insert(c->sequences.begin() + std::ptrdiff_t(index), std::move(s));
}

std::unique_ptr<CollectionSequence> Take(Collection* c, size_t index) {
  if (index >= c->sequences.size()) return nullptr;
  std::unique_ptr<CollectionSequence> s = std::move(c->sequences[index]);
  c->sequences.erase(c->sequences.begin() + std::ptrdiff_t(index));
  return s;
}

}  // namespace

// ---- insert

SequenceInsertAction::SequenceInsertAction(Collection* collection, std::vector<size_t> indices,
                                           const char* name, SequencesRestored restored)
    : collection_(collection),
      indices_(std::move(indices)),
      name_(name),
      restored_(std::move(restored)) {}

SequenceInsertAction::~SequenceInsertAction() = default;

int SequenceInsertAction::Do() {
  if (parked_.size() != indices_.size()) return 0;
  for (size_t i = 0; i < indices_.size(); ++i) {
    if (indices_[i] > collection_->sequences.size()) return 0;
    Insert(collection_, indices_[i], std::move(parked_[i]));
  }
  parked_.clear();
  if (restored_) restored_();
  return 1;
}

void SequenceInsertAction::Undo() {
  parked_.clear();
  parked_.resize(indices_.size());
  for (size_t i = indices_.size(); i-- > 0;) parked_[i] = Take(collection_, indices_[i]);
  if (restored_) restored_();
}

// ---- delete

SequenceDeleteAction::SequenceDeleteAction(
    Collection* collection,
    std::vector<std::pair<size_t, std::unique_ptr<CollectionSequence>>> removed,
    SequencesRestored restored)
    : collection_(collection), restored_(std::move(restored)) {
  for (auto& r : removed) {
    indices_.push_back(r.first);
    parked_.push_back(std::move(r.second));
  }
}

SequenceDeleteAction::~SequenceDeleteAction() = default;

int SequenceDeleteAction::Do() {
  if (!parked_.empty()) return 1;  // already done
  parked_.clear();
  parked_.resize(indices_.size());
  for (size_t i = indices_.size(); i-- > 0;) parked_[i] = Take(collection_, indices_[i]);
  if (restored_) restored_();
  return 1;
}

void SequenceDeleteAction::Undo() {
  for (size_t i = 0; i < indices_.size(); ++i) {
    if (parked_[i]) Insert(collection_, indices_[i], std::move(parked_[i]));
  }
  parked_.clear();
  if (restored_) restored_();
}

// ---- rename

SequenceRenameAction::SequenceRenameAction(Collection* collection, size_t index, std::string before,
                                           std::string after, SequencesRestored restored)
    : collection_(collection),
      index_(index),
      before_(std::move(before)),
      after_(std::move(after)),
      restored_(std::move(restored)) {}

bool SequenceRenameAction::Set(const std::string& name) {
  CollectionSequence* s = collection_->SequenceAt(index_);
  if (!s) return false;
  s->name = name;
  if (restored_) restored_();
  return true;
}

int SequenceRenameAction::Do() {
  return Set(after_) ? 1 : 0;
}

void SequenceRenameAction::Undo() {
  Set(before_);
}

// ---- move

SequenceMoveAction::SequenceMoveAction(Collection* collection, std::vector<size_t> order,
                                       SequencesRestored restored)
    : collection_(collection), order_(std::move(order)), restored_(std::move(restored)) {}

bool SequenceMoveAction::Apply(bool forward) {
  auto& list = collection_->sequences;
  if (list.size() != order_.size()) return false;
  std::vector<std::unique_ptr<CollectionSequence>> next(list.size());
  for (size_t i = 0; i < order_.size(); ++i) {
    if (forward) {
      next[i] = std::move(list[order_[i]]);
    } else {
      next[order_[i]] = std::move(list[i]);
    }
  }
  list = std::move(next);
  if (restored_) restored_();
  return true;
}

int SequenceMoveAction::Do() {
  return Apply(true) ? 1 : 0;
}

void SequenceMoveAction::Undo() {
  Apply(false);
}

}  // namespace brae
