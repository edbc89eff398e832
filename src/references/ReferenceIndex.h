#pragma once
// The index of references between the tags of the working set: what each tag refers to, and
// which tags refer to a given one.
//
// A tag's references need its data, so they are read on demand: asking for one tag's
// references reads that tag; asking for usages or broken references reads every tag not read
// yet (once), after which answers come from memory. The index listens to the Codex: a tag that
// appears, changes or disappears (a local save, delete or rename) is read again when next
// needed, and only its own entries change; a change of the archives forgets everything.
//
// Whether a target exists is decided when asked, so a tag that comes or goes never leaves
// stale answers about the tags that refer to it.

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "references/TagReferences.h"

namespace brae {

class ArchiveRecord;
class Codex;
class StructRegistry;
class TagRecord;

class ReferenceIndex {
 public:
  // The registry gives the structure-defined groups (none: only the dedicated formats).
  ReferenceIndex(Codex& codex, const StructRegistry* registry);
  ~ReferenceIndex();
  ReferenceIndex(const ReferenceIndex&) = delete;
  ReferenceIndex& operator=(const ReferenceIndex&) = delete;

  // What the tag refers to, in the order its data stores them (empty for a tag that is not in
  // the working set).
  const std::vector<TagReference>& References(TagKey tag);
  // Every reference to the tag, by source tag (group, id) and then stored order.
  std::vector<TagReference> Usages(TagKey tag);
  // How many distinct tags refer to the tag.
  size_t UsageCount(TagKey tag);
  // Every reference of the working set whose target does not exist (optional ones left out).
  std::vector<TagReference> BrokenReferences();

  // Whether the target is in the working set (for a group-less target: in any group).
  bool TargetExists(const TagReference& reference) const;
  bool Exists(TagKey key) const;

  // Reads every tag not read yet.
  void ScanAll();
  // Forgets one tag's entries (read again when needed), or everything (also after the structure
  // definitions changed).
  void Invalidate(TagKey tag);
  void InvalidateAll();

  // Tags read since construction (for tests and the benchmark).
  size_t ReadCount() const { return read_count_; }

 private:
  static void OnCodexEvent(void* context, ArchiveRecord* archive, TagRecord* record, int event);
  // Reads the tag's references into the forward and reverse maps.
  void Scan(TagKey tag);
  void ScanPending();
  void ReadReferences(TagRecord* record, std::vector<TagReference>* out);

  Codex& codex_;
  ReferenceExtractor extractor_;
  std::map<TagKey, std::vector<TagReference>> forward_;  // tags read (with references or not)
  std::map<TagKey, std::set<TagKey>> reverse_;           // target → sources that name it
  std::set<TagKey> pending_;  // tags to read again before the next answer from the whole index
  bool complete_ = false;     // every tag of the working set has been read
  size_t read_count_ = 0;
};

}  // namespace brae
