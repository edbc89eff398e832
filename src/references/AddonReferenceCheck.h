#pragma once
// The add-on check: references from the tags going into an add-on to tags that players will
// not have, that is tags neither in the add-on nor in the game's own archives (kinds 2 and 3,
// active or not: every player has them). Add-ons of other authors do not count.

#include <string>
#include <vector>

#include "references/ReferenceIndex.h"
#include "tagstore/AddonBuilder.h"

namespace brae {

// Whether a loaded archive of kind 2 or 3 holds the tag (for a group-less key: in any group).
bool IsInGameArchives(const Codex& codex, TagKey key);

// The references of the records (in their order) that fail the check; optional ones are left
// out.
std::vector<TagReference> FindAddonMissingReferences(Codex& codex, ReferenceIndex& index,
                                                     const std::vector<TagRecord*>& records);

// The tag a key names in the working set (for a group-less key: the first group that has the
// id), or none.
TagRecord* FindReferencedTag(const Codex& codex, TagKey key);
// Its effective name, or "" when the working set lacks it.
std::string ReferencedTagName(const Codex& codex, TagKey key);

// "Name (grp id) path -> grp id", the line a list of references shows; the target's name is
// given when the working set has it.
std::string DescribeReference(const Codex& codex, const TagReference& reference);
// A code as its four characters, "any" for kAnyGroup.
std::string KeyGroupText(uint32_t group);

class IndexAddonReferenceCheck : public AddonReferenceCheck {
 public:
  explicit IndexAddonReferenceCheck(ReferenceIndex& index) : index_(index) {}
  std::vector<std::string> MissingReferences(Codex& codex,
                                             const std::vector<TagRecord*>& records) override;

 private:
  ReferenceIndex& index_;
};

}  // namespace brae
