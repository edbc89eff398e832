#pragma once
// Comparing the copies of a tag that the Codex knows: a tag in force against the copy it
// overrides (or a copy at a named location), and every tag of an add-on against the copies it
// overrides. The command line and the Compare window both go through these.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "compare/TagDiff.h"
#include "editing/structdefs/MemberText.h"

namespace brae {

class ArchiveRecord;
class Codex;
class TagInstance;
class TagRecord;

// Tag names from the Codex: each group's names are listed once, when first asked for.
class CodexTagNames : public TagNames {
 public:
  explicit CodexTagNames(const Codex& codex) : codex_(codex) {}
  bool NameOf(int64_t group, uint32_t id, std::string* name) const override;
  std::vector<uint32_t> IdsNamed(int64_t group, const std::string& name) const override;

 private:
  // A group's tags in index order, and the first name of each id (ids repeat across groups).
  struct Listing {
    std::vector<std::pair<uint32_t, std::string>> tags;
    std::map<uint32_t, std::string> first_name;
  };
  const Listing& Tags(int64_t group) const;
  const Codex& codex_;
  mutable std::map<int64_t, Listing> cache_;
};

// Where a copy lies: its archive's file name, or "local folder".
std::string CopyLocation(const TagInstance* copy);

// The copy that `copy` overrides: the best copy in an archive other than its own that it wins
// over by the Codex's order (rank, priority, file name), taken from the active archives, or
// when they hold none, from the inactive ones. None when it overrides nothing.
const TagInstance* OverriddenCopy(const TagRecord* record, const TagInstance* copy);

// The record's copy at a location (as CopyLocation names it), or none.
const TagInstance* CopyAt(const TagRecord* record, const std::string& location);

// Reads both copies and compares them (old_copy is the one overridden).
TagDiff CompareCopies(const Codex& codex, uint32_t group, const TagInstance* old_copy,
                      const TagInstance* new_copy, const DiffContext& context);

// The effective copy of a tag against the copy it overrides, or against the copy at `with`
// when that is not empty. False with a message when there is nothing to compare with.
bool CompareInForce(const Codex& codex, TagRecord* record, const std::string& with,
                    const DiffContext& context, std::string* old_location, TagDiff* out,
                    std::string* error);

// One tag of an add-on, compared with the copy it overrides (none: the tag is new).
struct AddonTagDiff {
  uint32_t group = 0;
  uint32_t subgroup = 0;
  std::string name;
  std::string overrides;  // the overridden copy's location; empty for a new tag
  TagDiff diff;
};

struct AddonDiff {
  std::vector<AddonTagDiff> tags;  // in the archive's directory order
  size_t new_tags = 0;
  size_t overriding = 0;
  size_t changed = 0;  // overriding tags whose copies differ
  size_t unreadable = 0;
};

// Every tag of the archive against the copies in the Codex it overrides. The archive may be
// one the Codex has loaded or one opened on its own (its copies then override the copies in
// force in the same way).
AddonDiff CompareAddon(const Codex& codex, const ArchiveRecord& archive,
                       const DiffContext& context);

}  // namespace brae
