#include "references/ReferenceIndex.h"

#include <algorithm>

#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "terrain/ByteSource.h"

namespace brae {

namespace {

// A tag's data as stored: from the stream's position, at most the header's size and never past
// the end of the file.
class TagDataSource : public ByteSource {
 public:
  TagDataSource(FileStream& stream, uint64_t declared_size) : stream_(stream) {
    offset_ = stream.Tell();
    const uint64_t length = stream.Length();
    size_ = std::min<uint64_t>(declared_size, length > offset_ ? length - offset_ : 0);
  }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t position, void* out, size_t bytes) override {
    return Has(position, bytes) && stream_.Seek(offset_ + position) && stream_.Read(out, bytes);
  }

 private:
  FileStream& stream_;
  uint64_t offset_ = 0;
  uint64_t size_ = 0;
};

const std::vector<TagReference>& NoReferences() {
  static const std::vector<TagReference> none;
  return none;
}

}  // namespace

ReferenceIndex::ReferenceIndex(Codex& codex, const StructRegistry* registry)
    : codex_(codex), extractor_(registry) {
  codex_.SetCodexListener(&ReferenceIndex::OnCodexEvent, this, true);
}

ReferenceIndex::~ReferenceIndex() {
  codex_.SetCodexListener(&ReferenceIndex::OnCodexEvent, this, false);
}

void ReferenceIndex::OnCodexEvent(void* context, ArchiveRecord*, TagRecord* record, int event) {
  auto* self = static_cast<ReferenceIndex*>(context);
  switch (event) {
    case kTagAppeared:
    case kTagChanged:
    case kTagDisappeared:
      if (record) self->Invalidate({record->group, record->subgroup});
      break;
    case kActiveSetChanged:
    case kArchiveAdded:
    case kArchiveRemoving:
      self->InvalidateAll();
      break;
    default:  // data changed in memory only: what is stored still holds
      break;
  }
}

void ReferenceIndex::Invalidate(TagKey tag) {
  pending_.insert(tag);
}

void ReferenceIndex::InvalidateAll() {
  extractor_.ForgetDefinitions();
  forward_.clear();
  reverse_.clear();
  pending_.clear();
  complete_ = false;
}

void ReferenceIndex::ReadReferences(TagRecord* record, std::vector<TagReference>* out) {
  TagHeader header;
  FileStream* stream = codex_.BeginTagRead(record, &header);
  if (!stream) return;
  ++read_count_;
  header.group = record->group;
  header.subgroup = record->subgroup;
  TagDataSource data(*stream, header.size);
  extractor_.Extract(data, header, out);
  codex_.EndTagRead(record);
}

void ReferenceIndex::Scan(TagKey tag) {
  pending_.erase(tag);
  auto old = forward_.find(tag);
  if (old != forward_.end()) {
    for (const TagReference& r : old->second) {
      auto sources = reverse_.find(r.target);
      if (sources == reverse_.end()) continue;
      sources->second.erase(tag);
      if (sources->second.empty()) reverse_.erase(sources);
    }
    forward_.erase(old);
  }
  if (!extractor_.MayHoldReferences(tag.group)) return;
  TagRecord* record = codex_.FindTag(tag.group, tag.id);
  if (!record) return;
  // A record being read by someone else right now is left for the next question.
  if (record->read_stream) {
    pending_.insert(tag);
    return;
  }
  std::vector<TagReference>& refs = forward_[tag];
  ReadReferences(record, &refs);
  for (const TagReference& r : refs) reverse_[r.target].insert(tag);
}

void ReferenceIndex::ScanPending() {
  // Tags that cannot be read now go back to pending_ for the next round.
  std::set<TagKey> now;
  now.swap(pending_);
  for (TagKey tag : now) Scan(tag);
}

void ReferenceIndex::ScanAll() {
  ScanPending();
  if (complete_) return;
  std::vector<TagRecord*> records;
  codex_.ListTags(&records);
  uint32_t last_group = 0;
  bool group_holds = false;
  for (size_t i = 0; i < records.size(); ++i) {
    const TagKey key{records[i]->group, records[i]->subgroup};
    // Records come grouped, so the group question is asked once per group.
    if (i == 0 || key.group != last_group) {
      last_group = key.group;
      group_holds = extractor_.MayHoldReferences(key.group);
    }
    if (group_holds && !forward_.count(key)) Scan(key);
  }
  complete_ = true;
}

const std::vector<TagReference>& ReferenceIndex::References(TagKey tag) {
  if (pending_.count(tag) || !forward_.count(tag)) Scan(tag);
  auto found = forward_.find(tag);
  return found == forward_.end() ? NoReferences() : found->second;
}

std::vector<TagReference> ReferenceIndex::Usages(TagKey tag) {
  ScanAll();
  std::set<TagKey> sources;
  for (TagKey target : {tag, TagKey{kAnyGroup, tag.id}}) {
    auto found = reverse_.find(target);
    if (found != reverse_.end()) sources.insert(found->second.begin(), found->second.end());
  }
  std::vector<TagReference> usages;
  for (TagKey source : sources) {
    for (const TagReference& r : forward_[source]) {
      if (r.target == tag || (r.target.group == kAnyGroup && r.target.id == tag.id))
        usages.push_back(r);
    }
  }
  return usages;
}

size_t ReferenceIndex::UsageCount(TagKey tag) {
  std::set<TagKey> sources;
  for (const TagReference& r : Usages(tag)) sources.insert(r.source);
  return sources.size();
}

std::vector<TagReference> ReferenceIndex::BrokenReferences() {
  ScanAll();
  std::vector<TagReference> broken;
  for (const auto& [source, refs] : forward_)
    for (const TagReference& r : refs)
      if (!r.optional && !TargetExists(r)) broken.push_back(r);
  return broken;
}

bool ReferenceIndex::Exists(TagKey key) const {
  if (key.group != kAnyGroup) return codex_.FindTag(key.group, key.id) != nullptr;
  const TagGroup* groups = TagGroupTable();
  for (int i = 0; i < kTagGroupCount; ++i)
    if (codex_.FindTag(groups[i].code, key.id)) return true;
  return false;
}

bool ReferenceIndex::TargetExists(const TagReference& reference) const {
  return Exists(reference.target);
}

}  // namespace brae
