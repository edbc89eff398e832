#include "compare/CopyDiff.h"

#include "tagstore/Codex.h"

namespace brae {

// ---- tag names

const CodexTagNames::Listing& CodexTagNames::Tags(int64_t group) const {
  auto found = cache_.find(group);
  if (found != cache_.end()) return found->second;
  std::vector<TagRecord*> records;
  if (group < 0)
    codex_.ListTags(&records);
  else
    codex_.ListTagsOfGroup(uint32_t(group), &records);
  Listing& list = cache_[group];
  for (TagRecord* r : records) {
    TagHeader header;
    codex_.GetEffectiveHeader(r, &header);
    list.tags.emplace_back(r->subgroup, header.Name());
    list.first_name.emplace(r->subgroup, header.Name());
  }
  return list;
}

bool CodexTagNames::NameOf(int64_t group, uint32_t id, std::string* name) const {
  const auto& names = Tags(group).first_name;
  auto found = names.find(id);
  if (found == names.end()) return false;
  *name = found->second;
  return true;
}

std::vector<uint32_t> CodexTagNames::IdsNamed(int64_t group, const std::string& name) const {
  std::vector<uint32_t> ids;
  for (const auto& [id, tag_name] : Tags(group).tags)
    if (tag_name == name) ids.push_back(id);
  return ids;
}

// ---- copies

namespace {

// Whether a wins over b in the Codex's order of archive copies.
bool Beats(const TagInstance* a, const TagInstance* b) {
  if (a->rank != b->rank) return a->rank > b->rank;
  if (a->archive->header.priority != b->archive->header.priority)
    return a->archive->header.priority > b->archive->header.priority;
  return a->archive->file_name > b->archive->file_name;
}

}  // namespace

std::string CopyLocation(const TagInstance* copy) {
  return Codex::LocationNameOf(copy);
}

const TagInstance* OverriddenCopy(const TagRecord* record, const TagInstance* copy) {
  if (!record || !copy) return nullptr;
  // Copies in active archives first; a tag that only inactive archives also hold (the game's
  // own, outside the working set) is compared with the best of those.
  for (bool active : {true, false}) {
    const TagInstance* best = nullptr;
    for (const TagInstance* other : record->instances) {
      if (other == copy || !other->archive || other->archive->active != active) continue;
      if (other->archive == copy->archive) continue;
      if (copy->archive && !Beats(copy, other)) continue;
      if (!best || Beats(other, best)) best = other;
    }
    if (best) return best;
  }
  return nullptr;
}

const TagInstance* CopyAt(const TagRecord* record, const std::string& location) {
  if (!record) return nullptr;
  for (const TagInstance* copy : record->instances)
    if (CopyLocation(copy) == location) return copy;
  return nullptr;
}

TagDiff CompareCopies(const Codex& codex, uint32_t group, const TagInstance* old_copy,
                      const TagInstance* new_copy, const DiffContext& context) {
  TagCopy copies[2];
  const TagInstance* instances[2] = {old_copy, new_copy};
  for (int side = 0; side < 2; ++side) {
    if (!codex.ReadCopy(instances[side], &copies[side].header, &copies[side].data)) {
      TagDiff diff;
      diff.ok = false;
      diff.error = std::string(side ? "new" : "old") + " copy: cannot read it from '" +
                   CopyLocation(instances[side]) + "'";
      return diff;
    }
  }
  return CompareTagCopies(group, copies[0], copies[1], context);
}

bool CompareInForce(const Codex& codex, TagRecord* record, const std::string& with,
                    const DiffContext& context, std::string* old_location, TagDiff* out,
                    std::string* error) {
  const TagInstance* current = codex.GetEffectiveInstance(record);
  if (!current) {
    *error = "the tag has no copy in force";
    return false;
  }
  const TagInstance* old_copy =
      with.empty() ? OverriddenCopy(record, current) : CopyAt(record, with);
  if (!old_copy) {
    *error = with.empty()
                 ? "the copy in force (" + CopyLocation(current) + ") overrides no other copy"
                 : "the tag has no copy in '" + with + "'";
    return false;
  }
  if (old_copy == current) {
    *error = "the copy in '" + with + "' is the copy in force";
    return false;
  }
  *old_location = CopyLocation(old_copy);
  *out = CompareCopies(codex, record->group, old_copy, current, context);
  return true;
}

AddonDiff CompareAddon(const Codex& codex, const ArchiveRecord& archive,
                       const DiffContext& context) {
  AddonDiff result;
  for (const auto& instance : archive.instances) {
    AddonTagDiff tag;
    tag.group = instance->header.group;
    tag.subgroup = instance->header.subgroup;
    tag.name = instance->header.Name();
    const TagRecord* record = codex.FindRecord(tag.group, tag.subgroup);
    // The copies of an archive the Codex has not loaded are weighed against the loaded ones
    // all the same.
    const TagInstance* old_copy = OverriddenCopy(record, instance.get());
    if (!old_copy) {
      ++result.new_tags;
      result.tags.push_back(std::move(tag));
      continue;
    }
    ++result.overriding;
    tag.overrides = CopyLocation(old_copy);
    tag.diff = CompareCopies(codex, tag.group, old_copy, instance.get(), context);
    if (!tag.diff.ok)
      ++result.unreadable;
    else if (!tag.diff.differences.empty())
      ++result.changed;
    result.tags.push_back(std::move(tag));
  }
  return result;
}

}  // namespace brae
