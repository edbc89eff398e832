#include "references/ReferenceLines.h"

#include <set>

#include "editing/structdefs/StructRegistry.h"
#include "references/AddonReferenceCheck.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"

namespace brae {

ReferenceIndex& TheReferenceIndex() {
  static ReferenceIndex* index = new ReferenceIndex(TheCodex(), &TheStructRegistry());
  return *index;
}

std::vector<ReferenceLine> ReferenceLines(const Codex& codex, ReferenceIndex& index, TagKey tag) {
  std::vector<ReferenceLine> lines;
  for (const TagReference& r : index.References(tag)) {
    const bool exists = index.TargetExists(r);
    if (!exists && r.optional) continue;
    ReferenceLine line;
    line.target = r.target;
    line.missing = !exists;
    line.text = r.path + " -> " + KeyGroupText(r.target.group) + " " + FourCCToString(r.target.id) +
                " " + (exists ? "'" + ReferencedTagName(codex, r.target) + "'" : "(missing)");
    lines.push_back(line);
  }
  return lines;
}

std::vector<UsageRow> UsageRows(const Codex& codex, ReferenceIndex& index, TagKey tag) {
  std::vector<UsageRow> rows;
  for (const TagReference& r : index.Usages(tag)) {
    TagRecord* source = codex.FindTag(r.source.group, r.source.id);
    if (!source) continue;
    UsageRow row;
    row.source = r.source;
    row.group = FourCCToString(r.source.group);
    row.name = ReferencedTagName(codex, r.source);
    row.path = r.path;
    row.location = codex.GetLocationName(source);
    rows.push_back(row);
  }
  return rows;
}

size_t UsagesLostByDeleting(const Codex& codex, ReferenceIndex& index, const TagRecord* record) {
  if (!record || codex.HasActiveArchiveCopy(record)) return 0;
  const TagKey key{record->group, record->subgroup};
  std::set<TagKey> sources;
  for (const TagReference& r : index.Usages(key))
    if (!r.optional && !(r.source == key)) sources.insert(r.source);
  return sources.size();
}

}  // namespace brae
