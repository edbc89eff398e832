#pragma once
// The collections listed by structure forms ("sequence_index" items and array rows), shared by
// every open structure editor: each is loaded without pixels the first time an editor asks for
// it and freed when the last editor that asked for it lets go.

#include <cstdint>
#include <memory>
#include <vector>

namespace brae {

class Collection;

class StructCollectionCache {
 public:
  StructCollectionCache();
  ~StructCollectionCache();
  StructCollectionCache(const StructCollectionCache&) = delete;
  StructCollectionCache& operator=(const StructCollectionCache&) = delete;

  // The collection of the '.256' tag with this id, loaded when no one holds it yet; counts one
  // more reference. None (and no reference) when the tag is missing or does not load.
  Collection* Acquire(uint32_t tag_id);
  // The collection when it is loaded; adds no reference.
  Collection* Find(uint32_t tag_id) const;
  // Gives up one reference; the last one frees the collection.
  void Release(uint32_t tag_id);

  int References(uint32_t tag_id) const;
  size_t LoadedCount() const { return entries_.size(); }
  // The number of loads so far (a shared copy is loaded once).
  int LoadCount() const { return loads_; }

 private:
  struct Entry {
    std::unique_ptr<Collection> collection;
    uint32_t tag_id = 0;
    int references = 0;
  };
  std::vector<Entry> entries_;
  int loads_ = 0;
};

StructCollectionCache& TheStructCollectionCache();

}  // namespace brae
