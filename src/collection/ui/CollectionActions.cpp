#include "collection/ui/CollectionActions.h"

#include <utility>

namespace brae {

PaletteEntryAction::PaletteEntryAction(Collection* collection, size_t index, PaletteColor before,
                                       PaletteColor after, SettingRestored restored)
    : collection_(collection),
      index_(index),
      before_(before),
      after_(after),
      restored_(std::move(restored)) {}

void PaletteEntryAction::Set(PaletteColor colour) {
  if (index_ >= collection_->palette.size()) return;
  collection_->palette[index_] = colour;
  if (restored_) restored_();
}

int PaletteEntryAction::Do() {
  Set(after_);
  return 1;
}

void PaletteEntryAction::Undo() {
  Set(before_);
}

PaletteLoadAction::PaletteLoadAction(Collection* collection, const CollectionPalette& before,
                                     const CollectionPalette& after, SettingRestored restored)
    : collection_(collection), before_(before), after_(after), restored_(std::move(restored)) {}

void PaletteLoadAction::Set(const CollectionPalette& palette) {
  collection_->palette = palette;
  if (restored_) restored_();
}

int PaletteLoadAction::Do() {
  Set(after_);
  return 1;
}

void PaletteLoadAction::Undo() {
  Set(before_);
}

CollectionFlagsAction::CollectionFlagsAction(Collection* collection, uint32_t before,
                                             uint32_t after, SettingRestored restored)
    : collection_(collection), before_(before), after_(after), restored_(std::move(restored)) {}

void CollectionFlagsAction::Set(uint32_t flags) {
  collection_->flags = flags;
  if (restored_) restored_();
}

int CollectionFlagsAction::Do() {
  Set(after_);
  return 1;
}

void CollectionFlagsAction::Undo() {
  Set(before_);
}

std::vector<std::string> BitmapNames(const Collection& collection) {
  std::vector<std::string> names;
  names.reserve(collection.bitmaps.size());
  for (const auto& b : collection.bitmaps) names.push_back(b->name);
  return names;
}

AutoRenameAction::AutoRenameAction(Collection* collection, std::vector<std::string> before,
                                   std::vector<std::string> after, CollectionRestored restored)
    : collection_(collection),
      before_(std::move(before)),
      after_(std::move(after)),
      restored_(std::move(restored)) {}

bool AutoRenameAction::Set(const std::vector<std::string>& names) {
  if (names.size() != collection_->bitmaps.size()) return false;
  for (size_t i = 0; i < names.size(); ++i) collection_->bitmaps[i]->name = names[i];
  // Only names changed, but every row of both bitmap tabs may show one.
  if (restored_) restored_(true, 0);
  return true;
}

int AutoRenameAction::Do() {
  return Set(after_) ? 1 : 0;
}

void AutoRenameAction::Undo() {
  Set(before_);
}

}  // namespace brae
