// Structure-defined tags compared member by member, with the paths and values that
// "brae-cli get" prints.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "compare/TagDiff.h"
#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructArrays.h"
#include "editing/structdefs/StructRegistry.h"

namespace brae {

namespace {

bool LoadRecord(const StructDefinition& def, const TagCopy& copy, const char* side,
                std::vector<uint8_t>* record, std::string* error) {
  if (copy.data.size() != def.Size()) {
    *error = std::string(side) + " copy: the tag holds " + std::to_string(copy.data.size()) +
             " bytes; '" + def.name + "' has " + std::to_string(def.Size());
    return false;
  }
  record->resize(def.Size());
  if (!record->empty())
    ConvertFromFile(copy.data.data(), record->data(), 1, def.FieldDescription());
  return true;
}

// The root member a path starts with, and the element it names ("effects[2].kind" → effects, 2).
std::string RootName(const std::string& path, int* index) {
  const size_t end = path.find_first_of("[.");
  *index = -1;
  if (end != std::string::npos && path[end] == '[') *index = std::atoi(path.c_str() + end + 1);
  return path.substr(0, end);
}

}  // namespace

bool CompareStructures(uint32_t group, const TagCopy& old_copy, const TagCopy& new_copy,
                       const DiffContext& context, TagDiff* out) {
  const StructDefinition* def =
      context.definitions ? context.definitions->DefinitionForGroup(group) : nullptr;
  if (!def) {
    out->ok = false;
    out->error = "no structure definition for the group";
    return false;
  }
  std::vector<uint8_t> a, b;
  if (!LoadRecord(*def, old_copy, "old", &a, &out->error) ||
      !LoadRecord(*def, new_copy, "new", &b, &out->error)) {
    out->ok = false;
    return false;
  }
  // Arrays whose elements in use a member counts: elements beyond the count are not compared
  // but shown as added or removed.
  std::map<std::string, StructArray> arrays;
  for (const auto& member : def->members) {
    const auto* array = dynamic_cast<const VornStructMember*>(member.get());
    if (!array || array->count <= 1) continue;
    StructArray counted = StructArray::For(*def, *array);
    if (counted.runtime_count) arrays[array->name] = counted;
  }
  std::string reported;  // the last element reported as a whole
  for (const MemberPlace& place : ListMemberPlaces(*def)) {
    int index = -1;
    auto found = arrays.find(RootName(place.path, &index));
    if (found != arrays.end() && index >= 0) {
      const bool in_a = index < found->second.Count(a.data(), a.size());
      const bool in_b = index < found->second.Count(b.data(), b.size());
      if (!in_a && !in_b) continue;
      if (in_a != in_b) {
        const std::string element = found->first + "[" + std::to_string(index) + "]";
        if (element != reported)
          out->differences.push_back({element, in_a ? "in use" : "", in_b ? "added" : "removed"});
        reported = element;
        continue;
      }
    }
    std::string before = FormatMemberValue(place, a.data(), a.size(), context.names);
    std::string after = FormatMemberValue(place, b.data(), b.size(), context.names);
    if (before != after) out->differences.push_back({place.path, before, after});
  }
  return true;
}

}  // namespace brae
