#pragma once
// What the windows show of the reference index: the lines of a tag's references (missing
// targets marked) and the rows of its usages. Plain functions, so that the windows stay thin.

#include <string>
#include <vector>

#include "references/ReferenceIndex.h"

namespace brae {

// The index of the program, over TheCodex() and TheStructRegistry(); created on first use.
// Start-up creates it before any window listens to the Codex, so that its entries are current
// whenever a window is told of a change.
ReferenceIndex& TheReferenceIndex();

struct ReferenceLine {
  std::string text;  // "path -> grp id 'Name'", or "path -> grp id (missing)"
  bool missing = false;
  TagKey target;
};
// The tag's references, in stored order; optional references without a target are left out.
std::vector<ReferenceLine> ReferenceLines(const Codex& codex, ReferenceIndex& index, TagKey tag);

struct UsageRow {
  TagKey source;
  std::string group;     // four characters
  std::string name;      // the source tag's name
  std::string path;      // the member or field that holds the reference
  std::string location;  // where the source's copy in force lies
};
std::vector<UsageRow> UsageRows(const Codex& codex, ReferenceIndex& index, TagKey tag);

// How many other tags would lose their target if the record's local copy went: none when an
// active archive still holds the tag.
size_t UsagesLostByDeleting(const Codex& codex, ReferenceIndex& index, const TagRecord* record);

}  // namespace brae
