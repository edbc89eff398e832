#include "collection/ui/ExternalBitmapEdits.h"

#include <algorithm>

#include "collection/BitmapExport.h"
#include "collection/Collection.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "editing/ExternalEdits.h"
#include "toolkit/MessageBox.h"

namespace brae {

ExternalBitmapEdits::ExternalBitmapEdits(Collection* collection, X256BitmapBrowser* bitmaps,
                                         X256BitmapBrowser* shadows)
    : collection_(collection), bitmaps_(bitmaps), shadows_(shadows) {}

ExternalBitmapEdits::~ExternalBitmapEdits() {
  StopAll();
}

const ExternalBitmapEdits::Entry* ExternalBitmapEdits::Find(uint32_t serial) const {
  for (const Entry& e : entries_)
    if (e.serial == serial) return &e;
  return nullptr;
}

bool ExternalBitmapEdits::IsEditing(const CollectionBitmap* bitmap) const {
  return bitmap && Find(bitmap->serial);
}

std::string ExternalBitmapEdits::FileOf(const CollectionBitmap* bitmap) const {
  const Entry* e = bitmap ? Find(bitmap->serial) : nullptr;
  return e ? TheExternalEdits().PathOf(e->watch) : std::string();
}

void ExternalBitmapEdits::Start(const std::vector<CollectionBitmap*>& bitmaps) {
  ExternalEdits& edits = TheExternalEdits();
  if (edits.WorkFolder().empty()) {
    ShowMessageBox("Error", "The work folder for the external editor could not be made.", {"OK"});
    return;
  }
  std::vector<std::string> paths;
  std::vector<uint32_t> started;
  for (const CollectionBitmap* b : bitmaps) {
    const int index = collection_->IndexOfBitmap(b);
    if (index < 0) continue;
    const Entry* known = Find(b->serial);
    const std::string path = known ? edits.PathOf(known->watch)
                                   : edits.FreePath(collection_->name + " - " + b->name, ".png");
    const OperationResult written = WriteBitmapForEditing(*collection_, size_t(index), path);
    if (!written) {
      for (const OperationMessage& m : written.messages)
        ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
      continue;
    }
    if (known) {
      edits.Remember(known->watch);
    } else {
      const uint32_t serial = b->serial;
      const int watch =
          edits.Watch(path, [this, serial](const std::string& p) { OnWritten(serial, p); });
      entries_.push_back(Entry{serial, watch});
      started.push_back(serial);
    }
    paths.push_back(path);
  }
  if (paths.empty() || StartExternalImageEditor(paths)) return;
  // Nothing will edit the files that were new: their watches end at once.
  for (uint32_t serial : started) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [serial](const Entry& e) { return e.serial == serial; });
    if (it == entries_.end()) continue;
    edits.Unwatch(it->watch);
    entries_.erase(it);
  }
}

void ExternalBitmapEdits::Stop(const std::vector<CollectionBitmap*>& bitmaps) {
  for (const CollectionBitmap* b : bitmaps) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [b](const Entry& e) { return e.serial == b->serial; });
    if (it == entries_.end()) continue;
    TheExternalEdits().Unwatch(it->watch);
    entries_.erase(it);
  }
}

void ExternalBitmapEdits::StopAll() {
  for (const Entry& e : entries_) TheExternalEdits().Unwatch(e.watch);
  entries_.clear();
}

void ExternalBitmapEdits::Prune() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (collection_->IndexOfSerial(it->serial) >= 0) {
      ++it;
      continue;
    }
    TheExternalEdits().Unwatch(it->watch);
    it = entries_.erase(it);
  }
}

void ExternalBitmapEdits::OnWritten(uint32_t serial, const std::string& path) {
  const int index = collection_->IndexOfSerial(serial);
  if (index < 0) {
    Prune();
    return;
  }
  const CollectionBitmap* b = collection_->BitmapAt(size_t(index));
  (b->IsShadow() ? shadows_ : bitmaps_)->ReplaceFromExternalFile(size_t(index), path);
}

}  // namespace brae
