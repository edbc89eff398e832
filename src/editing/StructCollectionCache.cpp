#include "editing/StructCollectionCache.h"

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "core/MessageLog.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"

namespace brae {

StructCollectionCache::StructCollectionCache() = default;
StructCollectionCache::~StructCollectionCache() = default;

Collection* StructCollectionCache::Find(uint32_t tag_id) const {
  for (const Entry& e : entries_)
    if (e.tag_id == tag_id) return e.collection.get();
  return nullptr;
}

int StructCollectionCache::References(uint32_t tag_id) const {
  for (const Entry& e : entries_)
    if (e.tag_id == tag_id) return e.references;
  return 0;
}

Collection* StructCollectionCache::Acquire(uint32_t tag_id) {
  for (Entry& e : entries_)
    if (e.tag_id == tag_id) {
      ++e.references;
      return e.collection.get();
    }
  if (tag_id == kNoSubgroup) return nullptr;
  Codex& codex = TheCodex();
  TagRecord* record = codex.FindTag(kCollectionGroup, tag_id);
  if (!record) return nullptr;
  TagHeader header;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) return nullptr;
  auto collection = std::make_unique<Collection>();
  CollectionLoadOptions options;
  options.with_pixels = false;
  CollectionResult result = ReadCollection(*stream, header, options, collection.get());
  codex.EndTagRead(record);
  if (!result) {
    Log(0, "Codex", "The collection '%s' could not be loaded for a form: %s", header.Name().c_str(),
        result.message.c_str());
    return nullptr;
  }
  ++loads_;
  entries_.push_back(Entry{std::move(collection), tag_id, 1});
  return entries_.back().collection.get();
}

void StructCollectionCache::Release(uint32_t tag_id) {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].tag_id == tag_id) {
      if (--entries_[i].references <= 0) entries_.erase(entries_.begin() + long(i));
      return;
    }
}

StructCollectionCache& TheStructCollectionCache() {
  static StructCollectionCache cache;
  return cache;
}

}  // namespace brae
