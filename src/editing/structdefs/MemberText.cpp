#include "editing/structdefs/MemberText.h"

#include <tinyxml2.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "editing/structdefs/StructArrays.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/FourCCText.h"

namespace brae {

namespace {

constexpr int64_t kNone = -1;

// ---- paths

// "name" or "name[12]".
bool SplitSegment(const std::string& segment, std::string* name, int* index, bool* indexed) {
  *indexed = false;
  *index = 0;
  size_t open = segment.find('[');
  if (open == std::string::npos) {
    *name = segment;
    return !segment.empty() && segment.find(']') == std::string::npos;
  }
  if (segment.back() != ']' || open == 0) return false;
  *name = segment.substr(0, open);
  std::string digits = segment.substr(open + 1, segment.size() - open - 2);
  if (digits.empty() || digits.size() > 6 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *index = std::atoi(digits.c_str());
  *indexed = true;
  return true;
}

// "bit3" → 3.
bool ParseBitSegment(const std::string& segment, int* bit) {
  if (segment.size() < 4 || segment.compare(0, 3, "bit") != 0) return false;
  std::string digits = segment.substr(3);
  if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *bit = std::atoi(digits.c_str());
  return true;
}

bool TakesBits(const StructMember& m) {
  return m.type == kMemberLong || m.type == kMemberShort || m.type == kMemberByte;
}

bool IsEnum(const StructMember& m) {
  return m.type == kMemberShortEnum || m.type == kMemberByteEnum || m.type == kMemberLongEnum;
}

bool IsPlainInteger(const StructMember& m) {
  return TakesBits(m) || m.type == kMemberColor;
}

// Stores a parsed value; true, for the parsers' returns.
bool Take(int64_t value, int64_t* stored) {
  *stored = value;
  return true;
}

bool Fail(std::string* error, const std::string& path, const std::string& why) {
  if (error) *error = "'" + path + "': " + why;
  return false;
}

// ---- numbers and ids

bool ParseInteger(const std::string& text, int64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || *end || end == text.c_str()) return false;
  *value = v;
  return true;
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty() || text.size() > 64) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (*end || end == text.c_str() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
  return true;
}

// ---- the record of a place

const uint8_t* Record(const MemberPlace& p, const uint8_t* root, size_t root_size) {
  if (!p.structure || p.base + p.structure->Size() > root_size) return nullptr;
  return root + p.base;
}

int64_t LowerBound(const MemberPlace& p, const uint8_t* record) {
  return LowerBoundValue(*p.structure, *p.member, record, p.structure->Size());
}

const EnumChoice* ChoiceOf(const EnumMember& e, int64_t value) {
  for (const EnumChoice& c : e.choices)
    if (c.value == value) return &c;
  return nullptr;
}

std::string ChoiceList(const EnumMember& e) {
  std::string list;
  for (const EnumChoice& c : e.choices) list += (list.empty() ? "" : ", ") + c.text;
  return list;
}

// ---- parsing by kind

bool ParseBit(const MemberPlace& p, const std::string& text, int64_t* stored, std::string* error) {
  for (const char* on : {"true", "on", "yes", "1"})
    if (SameIgnoringCase(text, on)) return Take(1, stored);
  for (const char* off : {"false", "off", "no", "0"})
    if (SameIgnoringCase(text, off)) return Take(0, stored);
  return Fail(error, p.path, "expected true or false, not '" + text + "'");
}

bool ParseTag(const MemberPlace& p, const std::string& text, const TagNames* tags, int64_t* stored,
              std::string* error) {
  const auto& member = static_cast<const TagMember&>(*p.member);
  if (text == "none") return Take(kNone, stored);
  std::string group =
      member.HasGroup() ? " of group '" + FourCCText(uint32_t(member.group)) + "'" : "";
  std::string name;
  uint32_t id = 0;
  // "Name (id)", as the value is shown.
  size_t open = text.rfind(" (");
  if (open != std::string::npos && text.back() == ')' &&
      ParseFourCCText(text.substr(open + 2, text.size() - open - 3), &id)) {
    if (tags && !tags->NameOf(member.group, id, &name))
      return Fail(error, p.path, "no tag '" + FourCCText(id) + "'" + group);
    return Take(int64_t(id), stored);
  }
  if (ParseFourCCText(text, &id) && (!tags || tags->NameOf(member.group, id, &name)))
    return Take(int64_t(id), stored);
  if (!tags) return Fail(error, p.path, "expected a tag id or none, not '" + text + "'");
  std::vector<uint32_t> ids = tags->IdsNamed(member.group, text);
  if (ids.empty()) return Fail(error, p.path, "no tag named '" + text + "'" + group);
  if (ids.size() > 1)
    return Fail(error, p.path,
                std::to_string(ids.size()) + " tags are named '" + text + "'; give its id");
  *stored = int64_t(ids[0]);
  return true;
}

bool ParseEnum(const MemberPlace& p, const std::string& text, int64_t* stored, std::string* error) {
  const auto* e = dynamic_cast<const EnumMember*>(p.member);
  if (!e || e->choices.empty()) {
    int64_t v = 0;
    if (!ParseInteger(text, &v))
      return Fail(error, p.path, "expected a number, not '" + text + "'");
    return Take(v, stored);
  }
  for (const EnumChoice& c : e->choices)
    if (c.text == text) return Take(c.value, stored);
  for (const EnumChoice& c : e->choices)
    if (SameIgnoringCase(c.text, text)) return Take(c.value, stored);
  int64_t v = 0;
  if (ParseInteger(text, &v) && ChoiceOf(*e, v)) return Take(v, stored);
  return Fail(error, p.path, "'" + text + "' is none of: " + ChoiceList(*e));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------------------------

bool ResolveMemberPath(const StructDefinition& root, const std::string& path, MemberPlace* out,
                       std::string* error) {
  MemberPlace place;
  place.path = path;
  place.structure = &root;
  size_t start = 0;
  while (true) {
    size_t dot = path.find('.', start);
    std::string segment = path.substr(start, dot == std::string::npos ? dot : dot - start);
    if (place.member) {  // the segment after a value member can only name a bit
      int bit = -1;
      if (!ParseBitSegment(segment, &bit) || dot != std::string::npos)
        return Fail(error, path, "'" + place.member->name + "' has no members");
      if (!TakesBits(*place.member))
        return Fail(error, path, "'" + place.member->name + "' holds no bits");
      int bits = int(place.member->ElementSize()) * 8;
      if (bit >= bits) return Fail(error, path, "bit outside 0.." + std::to_string(bits - 1));
      place.bit = bit;
      break;
    }
    std::string name;
    int index = 0;
    bool indexed = false;
    if (!SplitSegment(segment, &name, &index, &indexed))
      return Fail(error, path, "malformed member name '" + segment + "'");
    const StructMember* member = place.structure->FindMember(name);
    if (!member || member->type == kMemberPadding)
      return Fail(error, path, "no member '" + name + "' in '" + place.structure->name + "'");
    if (index >= member->count)
      return Fail(error, path, "index outside 0.." + std::to_string(member->count - 1));
    if (member->type == kMemberSubstruct) {
      const auto* sub = static_cast<const VornStructMember*>(member);
      if (!sub->embedded) return Fail(error, path, "'" + name + "' has no structure");
      if (dot == std::string::npos) {
        return Fail(error, path,
                    "'" + name + "' is a structure; name one of its members (" + name +
                        (member->count > 1 ? "[0]" : "") + "." +
                        (sub->embedded->members.empty() ? "..." : sub->embedded->members[0]->name) +
                        ")");
      }
      place.base += member->offset + size_t(index) * member->ElementSize();
      place.structure = sub->embedded;
    } else {
      place.member = member;
      place.index = index;
    }
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (!place.member) return Fail(error, path, "names no member");
  *out = place;
  return true;
}

namespace {

void ListPlaces(const StructDefinition& def, size_t base, const std::string& prefix,
                std::vector<MemberPlace>* out) {
  for (const auto& m : def.members) {
    if (m->type == kMemberPadding || m->Size() == 0) continue;
    for (int i = 0; i < m->count; ++i) {
      std::string path = prefix + m->name;
      if (m->count > 1) path += "[" + std::to_string(i) + "]";
      if (m->type == kMemberSubstruct) {
        const auto* sub = static_cast<const VornStructMember*>(m.get());
        if (sub->embedded)
          ListPlaces(*sub->embedded, base + m->offset + size_t(i) * m->ElementSize(), path + ".",
                     out);
        continue;
      }
      MemberPlace place;
      place.structure = &def;
      place.member = m.get();
      place.base = base;
      place.index = i;
      place.path = path;
      out->push_back(place);
    }
  }
}

}  // namespace

std::vector<MemberPlace> ListMemberPlaces(const StructDefinition& root) {
  std::vector<MemberPlace> places;
  ListPlaces(root, 0, "", &places);
  return places;
}

// ---------------------------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------------------------

std::string FormatMemberValue(const MemberPlace& p, const uint8_t* root, size_t root_size,
                              const TagNames* tags) {
  const uint8_t* record = Record(p, root, root_size);
  if (!record || !p.member) return "";
  const StructMember& m = *p.member;
  const size_t size = p.structure->Size();
  const int64_t stored = ReadStoredValue(m, record, size, p.index);
  if (p.bit >= 0) {
    bool on = p.index == 0 ? ReadMemberBit(m, record, size, p.bit)
                           : (ReadInteger(m, record, size, p.index) >> p.bit) & 1;
    return on ? "true" : "false";
  }
  if (m.type == kMemberTag) {
    if (stored == kNone) return "none";
    std::string name;
    const auto& tag = static_cast<const TagMember&>(m);
    if (tags && tags->NameOf(tag.group, uint32_t(stored), &name))
      return name + " (" + FourCCText(uint32_t(stored)) + ")";
    return FourCCText(uint32_t(stored));
  }
  if (m.type == kMemberSequenceIndex) return stored == kNone ? "none" : std::to_string(stored);
  if (IsEnum(m)) {
    if (const auto* e = dynamic_cast<const EnumMember*>(&m)) {
      const EnumChoice* choice = ChoiceOf(*e, stored);
      if (!choice && stored == kNone) choice = ChoiceOf(*e, 0);
      if (choice) return choice->text;
    }
    return std::to_string(stored);
  }
  if (m.type == kMemberColor) return std::to_string(stored);
  if (IsPlainInteger(m)) return std::to_string(stored + LowerBound(p, record));
  return DisplayText(m, stored, LowerBound(p, record));
}

bool ParseMemberValue(const MemberPlace& p, const std::string& text, const uint8_t* root,
                      size_t root_size, const TagNames* tags, int64_t* stored, std::string* error) {
  const uint8_t* record = Record(p, root, root_size);
  if (!record || !p.member) return Fail(error, p.path, "outside the record");
  const StructMember& m = *p.member;
  if (p.bit >= 0) return ParseBit(p, text, stored, error);
  if (m.type == kMemberTag) return ParseTag(p, text, tags, stored, error);
  if (IsEnum(m)) return ParseEnum(p, text, stored, error);
  if (m.type == kMemberSequenceIndex) {
    int64_t v = 0;
    if (text == "none") return Take(kNone, stored);
    if (!ParseInteger(text, &v) || v < 0 || v > std::numeric_limits<int16_t>::max())
      return Fail(error, p.path, "expected a sequence number or none, not '" + text + "'");
    return Take(v, stored);
  }
  if (IsPlainInteger(m)) {
    // As the integer boxes do: the lower bound comes off, the value is stored as it is.
    int64_t v = 0;
    if (!ParseInteger(text, &v) || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
      return Fail(error, p.path, "expected a whole number, not '" + text + "'");
    *stored = m.type == kMemberColor ? v : v - LowerBound(p, record);
    return true;
  }
  if (!m.HasValue()) return Fail(error, p.path, "takes no value");
  double entered = 0;
  if (!ParseNumber(text, &entered))
    return Fail(error, p.path, "expected a number, not '" + text + "'");
  *stored = EntryValue(m, entered, LowerBound(p, record));
  return true;
}

bool StoreMemberValue(const MemberPlace& p, int64_t stored, uint8_t* root, size_t root_size) {
  if (!p.structure || !p.member || p.base + p.structure->Size() > root_size) return false;
  uint8_t* record = root + p.base;
  const size_t size = p.structure->Size();
  // Bits of element 0 are what the form's check boxes edit.
  if (p.bit >= 0 && p.index == 0) return WriteMemberBit(*p.member, record, size, p.bit, stored);
  if (p.bit >= 0) {
    int64_t value = ReadInteger(*p.member, record, size, p.index);
    int64_t mask = int64_t(1) << p.bit;
    stored = stored ? (value | mask) : (value & ~mask);
  }
  return WriteInteger(*p.member, record, size, p.index, stored);
}

// ---------------------------------------------------------------------------------------------
// Dependent sequences
// ---------------------------------------------------------------------------------------------

namespace {

int ResetItems(const tinyxml2::XMLElement& container, const StructDefinition& root,
               const std::string& tag_member, uint8_t* record, size_t record_size) {
  int reset = 0;
  for (const tinyxml2::XMLElement* e = container.FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (std::strcmp(e->Name(), "item") != 0) {
      reset += ResetItems(*e, root, tag_member, record, record_size);
      continue;
    }
    const char* tag = e->Attribute("tag");
    const char* target = e->Attribute("target");
    if (!tag || !target || tag_member != tag) continue;
    const StructMember* m = root.FindMember(target);
    if (!m || m->type != kMemberSequenceIndex) continue;
    int index = e->IntAttribute("index", 0);
    if (index < 0 || index >= m->count) continue;
    if (ReadInteger(*m, record, record_size, index) == kNone) continue;
    if (WriteInteger(*m, record, record_size, index, kNone)) ++reset;
  }
  return reset;
}

}  // namespace

int ResetDependentSequences(const StructRegistry& registry, const StructDefinition& root,
                            const std::string& tag_member, uint8_t* record, size_t record_size) {
  const tinyxml2::XMLElement* form = registry.FindFormDefinition(root.name);
  if (!form || record_size < root.Size()) return 0;
  return ResetItems(*form, root, tag_member, record, record_size);
}

}  // namespace brae
