#pragma once
// What differs between two copies of one tag, as rows of a path and the old and new value in
// text. Structure-defined tags are compared member by member in the form's own texts; the
// formats Brae knows are compared by their parts; anything else byte by byte.

#include <cstdint>
#include <string>
#include <vector>

#include "tagstore/TagHeader.h"

namespace brae {

class StructRegistry;
class TagNames;

struct TagDifference {
  std::string path;
  std::string old_value;  // empty where the part is new
  std::string new_value;  // empty where the part is gone
};

struct TagDiff {
  bool ok = true;
  std::string error;  // which side could not be read, and why
  std::vector<TagDifference> differences;
  bool Equal() const { return ok && differences.empty(); }
};

// One copy of a tag: its header (version, user data and name matter to some formats) and its
// data.
struct TagCopy {
  TagHeader header;
  std::vector<uint8_t> data;
};

// What the comparison may look things up in: the structure definitions of the groups, and the
// names of tags for tag members and sounds (both may be none).
struct DiffContext {
  const StructRegistry* definitions = nullptr;
  const TagNames* names = nullptr;
};

// The differences from old_copy to new_copy of a tag of the group. Identical copies give no
// rows; data that one side cannot be read as gives ok == false with a message.
TagDiff CompareTagCopies(uint32_t group, const TagCopy& old_copy, const TagCopy& new_copy,
                         const DiffContext& context);

// Which comparison a group gets: the name of the way of comparing ("structure", "collection",
// "mesh", "detail map", "text", "sound" or "bytes").
const char* DiffKindOf(uint32_t group, const DiffContext& context);

// ---- The comparisons of each kind (in their own files)

// Ranges of differing bytes: differences fewer than kByteGap equal bytes apart form one range,
// shown as "bytes A-B" (inclusive offsets) with the count and the first bytes of each side in
// hexadecimal; a change of length adds "length".
constexpr size_t kByteGap = 4;
void CompareBytes(const std::vector<uint8_t>& old_data, const std::vector<uint8_t>& new_data,
                  std::vector<TagDifference>* out);
// Changed lines of the text the text editor shows, in the order of a unified diff: each hunk's
// removed lines ("-N", the old line number) before its added ones ("+N", the new line number).
void CompareText(uint32_t group, const std::vector<uint8_t>& old_data,
                 const std::vector<uint8_t>& new_data, std::vector<TagDifference>* out);
bool CompareStructures(uint32_t group, const TagCopy& old_copy, const TagCopy& new_copy,
                       const DiffContext& context, TagDiff* out);
bool CompareCollections(const TagCopy& old_copy, const TagCopy& new_copy,
                        const DiffContext& context, TagDiff* out);
bool CompareMeshes(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out);
bool CompareDetailMaps(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out);
bool CompareSounds(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out);

// A tag as tag members show it: "Name (id)", the id alone when unnamed, "none" for 0xFFFFFFFF.
std::string TagIdText(const TagNames* names, int64_t group, uint32_t id);

}  // namespace brae
