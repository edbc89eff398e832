#include "references/AddonReferenceCheck.h"

#include <set>

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {

bool RecordInGameArchives(const TagRecord* record) {
  if (!record) return false;
  for (const TagInstance* instance : record->instances) {
    if (!instance->archive) continue;
    const uint16_t kind = instance->archive->header.kind;
    if (kind == 2 || kind == 3) return true;
  }
  return false;
}

bool Covered(const std::set<TagKey>& addon, TagKey key) {
  if (key.group != kAnyGroup) return addon.count(key) > 0;
  for (TagKey k : addon)
    if (k.id == key.id) return true;
  return false;
}

}  // namespace

TagRecord* FindReferencedTag(const Codex& codex, TagKey key) {
  if (key.group != kAnyGroup) return codex.FindTag(key.group, key.id);
  const TagGroup* groups = TagGroupTable();
  for (int i = 0; i < kTagGroupCount; ++i)
    if (TagRecord* record = codex.FindTag(groups[i].code, key.id)) return record;
  return nullptr;
}

std::string ReferencedTagName(const Codex& codex, TagKey key) {
  TagRecord* record = FindReferencedTag(codex, key);
  if (!record) return "";
  TagHeader header;
  codex.GetEffectiveHeader(record, &header);
  return header.Name();
}

std::string KeyGroupText(uint32_t group) {
  return group == kAnyGroup ? "any" : FourCCToString(group);
}

bool IsInGameArchives(const Codex& codex, TagKey key) {
  if (key.group != kAnyGroup) return RecordInGameArchives(codex.FindRecord(key.group, key.id));
  const TagGroup* groups = TagGroupTable();
  for (int i = 0; i < kTagGroupCount; ++i)
    if (RecordInGameArchives(codex.FindRecord(groups[i].code, key.id))) return true;
  return false;
}

std::vector<TagReference> FindAddonMissingReferences(Codex& codex, ReferenceIndex& index,
                                                     const std::vector<TagRecord*>& records) {
  std::set<TagKey> addon;
  for (const TagRecord* r : records) addon.insert({r->group, r->subgroup});
  std::vector<TagReference> missing;
  for (const TagRecord* r : records) {
    for (const TagReference& ref : index.References({r->group, r->subgroup})) {
      if (ref.optional || Covered(addon, ref.target) || IsInGameArchives(codex, ref.target))
        continue;
      missing.push_back(ref);
    }
  }
  return missing;
}

std::string DescribeReference(const Codex& codex, const TagReference& reference) {
  std::string line =
      ReferencedTagName(codex, reference.source) + " (" + FourCCToString(reference.source.group) +
      " " + FourCCToString(reference.source.id) + ") " + reference.path + " -> " +
      KeyGroupText(reference.target.group) + " " + FourCCToString(reference.target.id);
  const std::string target = ReferencedTagName(codex, reference.target);
  if (!target.empty()) line += " (" + target + ")";
  return line;
}

std::vector<std::string> IndexAddonReferenceCheck::MissingReferences(
    Codex& codex, const std::vector<TagRecord*>& records) {
  std::vector<std::string> lines;
  for (const TagReference& r : FindAddonMissingReferences(codex, index_, records))
    lines.push_back(DescribeReference(codex, r));
  return lines;
}

}  // namespace brae
