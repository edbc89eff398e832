#pragma once
// Members of a record named by a path, and their values as the forms show and take them:
// "speed", "effects[2]", "flags.bit3", "effects[1].strength". Scripts and the command line use
// these; every store goes through the same integer writer and conversions as the form controls.

#include <cstdint>
#include <string>
#include <vector>

#include "editing/structdefs/StructDefinition.h"

namespace brae {

class StructRegistry;

// One element (or one bit of it) of a member, somewhere inside a root record.
struct MemberPlace {
  const StructDefinition* structure = nullptr;  // the structure that holds the member
  const StructMember* member = nullptr;
  size_t base = 0;  // where that structure's record starts inside the root record
  int index = 0;    // the element
  int bit = -1;     // a bit of an integer element, or -1 for the whole value
  std::string path;
};

// Resolves a path against a root structure. False with a message naming the path for unknown
// members, indices outside the member, bits of members that are no integers, padding, and paths
// that end at an embedded structure.
bool ResolveMemberPath(const StructDefinition& root, const std::string& path, MemberPlace* out,
                       std::string* error);

// Every value of a record in member order: each element of each member, embedded structures
// member by member. Padding is left out.
std::vector<MemberPlace> ListMemberPlaces(const StructDefinition& root);

// Names of tags, for tag members: the tags of a group (any group for -1) by id and by name.
class TagNames {
 public:
  virtual ~TagNames() = default;
  // The tag's name, or false when the group has no tag with that id.
  virtual bool NameOf(int64_t group, uint32_t id, std::string* name) const = 0;
  // Ids of the tags of the group whose name is exactly this one.
  virtual std::vector<uint32_t> IdsNamed(int64_t group, const std::string& name) const = 0;
};

// The value as a form shows it: converted numbers, enumeration texts, "Name (id)" for tags
// ("none" for no tag), "true"/"false" for bits, the index for sequences ("none" for -1).
std::string FormatMemberValue(const MemberPlace& place, const uint8_t* record, size_t record_size,
                              const TagNames* tags);

// What a value typed for the place stores, checked against the record as it stands (lower
// bounds are read from it). False with a message naming the path when the text is malformed, an
// enumeration text or tag is unknown, or the member takes no values.
bool ParseMemberValue(const MemberPlace& place, const std::string& text, const uint8_t* record,
                      size_t record_size, const TagNames* tags, int64_t* stored,
                      std::string* error);

// Stores a value made by ParseMemberValue: the element's integer, or the bit set or cleared.
bool StoreMemberValue(const MemberPlace& place, int64_t stored, uint8_t* record,
                      size_t record_size);

// After a tag member of the root structure changed: the sequence members that the structure's
// form lists from that tag's collection (items whose "tag" names it) are set to -1. Returns the
// number of elements reset.
int ResetDependentSequences(const StructRegistry& registry, const StructDefinition& root,
                            const std::string& tag_member, uint8_t* record, size_t record_size);

}  // namespace brae
