#include "editing/structdefs/StructDefinition.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>

#include "tagstore/FourCC.h"

namespace brae {

namespace {

// Indexed by MemberType.
const MemberTypeInfo kTypes[kMemberTypeCount] = {
    {"padding", 1, false, 1, 1, 0, false},
    {"substruct", 0, false, 1, 1, 0, false},
    {"tag", 4, true, 1, 1, 0, true},
    {"long", 4, true, 1, 1, 3, true},
    {"long_time", 4, true, 1, 30, 3, true},
    {"long_world", 4, true, 1, 512, 3, true},
    {"", 4, true, 1, 1, 3, true},
    {"fixed", 4, true, 1, 65536, 3, true},
    {"short", 2, true, 1, 1, 3, true},
    {"short_time", 2, true, 1, 30, 3, true},
    {"short_world", 2, true, 1, 512, 3, true},
    {"short_enum", 2, true, 1, 1, 3, true},
    {"sequence_index", 2, true, 1, 1, 3, true},
    {"fixed_fraction", 2, false, 1, 65536, 3, true},
    {"short_fixed", 2, true, 1, 256, 3, true},
    {"angular_velocity", 2, true, 360.0 * 30.0, 65536, 0, true},
    {"angle", 2, true, 360, 65536, 0, true},
    {"byte", 1, true, 1, 1, 3, true},
    {"byte_enum", 1, true, 1, 1, 3, true},
    {"short_fixed_fraction", 1, false, 1, 256, 3, true},
    {"color", 2, false, 1, 1, 0, false},
};

std::string Attribute(const tinyxml2::XMLElement& e, const char* name) {
  const char* v = e.Attribute(name);
  return v ? std::string(v) : std::string();
}

std::unique_ptr<StructMember> MakeMember(const tinyxml2::XMLElement& e) {
  MemberType type;
  if (!MemberTypeFromElement(e.Name(), &type)) return nullptr;
  std::unique_ptr<StructMember> member;
  if (type == kMemberTag) {
    auto tag = std::make_unique<TagMember>();
    const std::string group = Attribute(e, "group");
    if (group.size() == 4) tag->group = MakeFourCC(group[0], group[1], group[2], group[3]);
    member = std::move(tag);
  } else if (type == kMemberShortEnum || type == kMemberByteEnum) {
    auto choices = std::make_unique<EnumMember>(type);
    for (const tinyxml2::XMLElement* c = e.FirstChildElement("member"); c;
         c = c->NextSiblingElement("member")) {
      const char* text = c->Attribute("text");
      int value = 0;
      if (!text || c->QueryIntAttribute("value", &value) != tinyxml2::XML_SUCCESS) break;
      choices->choices.push_back({text, value});
    }
    member = std::move(choices);
  } else {
    auto plain = std::make_unique<VornStructMember>(type);
    if (type == kMemberSubstruct) plain->struct_name = Attribute(e, "struct");
    member = std::move(plain);
  }
  member->name = Attribute(e, "name");
  int count = 1;
  if (e.QueryIntAttribute("count", &count) != tinyxml2::XML_SUCCESS) count = 1;
  member->count = type == kMemberColor ? 4 : std::max(0, count);
  member->lower_bound = Attribute(e, "lower_bound");
  member->runtime_count = Attribute(e, "runtime_count");
  return member;
}

void PushPairs(std::vector<uint16_t>* words, size_t count, uint16_t kind) {
  while (count > 0) {
    const size_t n = std::min<size_t>(count, 0xFFFF);
    words->push_back(uint16_t(n));
    words->push_back(kind);
    count -= n;
  }
}

}  // namespace

const MemberTypeInfo& GetMemberTypeInfo(MemberType type) {
  return kTypes[(type >= 0 && type < kMemberTypeCount) ? type : kMemberPadding];
}

bool MemberTypeFromElement(const char* element, MemberType* type) {
  if (!element || !*element) return false;
  for (int i = 0; i < kMemberTypeCount; ++i) {
    if (std::strcmp(kTypes[i].element, element) == 0) {
      *type = MemberType(i);
      return true;
    }
  }
  return false;
}

size_t VornStructMember::ElementSize() const {
  if (type == kMemberSubstruct) return embedded ? embedded->Size() : 0;
  return StructMember::ElementSize();
}

const StructMember* StructDefinition::FindMember(const std::string& member_name) const {
  for (const auto& m : members) {
    if (m->name == member_name) return m.get();
  }
  return nullptr;
}

void StructDefinition::LayOutMembers() {
  size_t offset = 0;
  for (auto& m : members) {
    m->offset = offset;
    offset += m->Size();
  }
  size_ = offset;
  description_.reset();
}

void StructDefinition::AppendDescription(std::vector<uint16_t>* words) const {
  words->push_back(uint16_t(size_ & 0x7FFF));
  for (const auto& m : members) {
    if (m->Size() == 0) continue;  // contributes no bytes, and a zero count would end the walk
    if (m->type == kMemberSubstruct) {
      const auto* v = static_cast<const VornStructMember*>(m.get());
      // Each nested description covers count records of the embedded structure.
      for (size_t left = size_t(m->count); left > 0;) {
        const size_t n = std::min<size_t>(left, 0xFFFF);
        words->push_back(uint16_t(n));
        words->push_back(FieldLayout::kNested);
        v->embedded->AppendDescription(words);
        left -= n;
      }
      continue;
    }
    const size_t width = m->ElementSize();
    uint16_t kind = width == 1 ? 0 : width == 2 ? 1 : 2;
    if (m->type == kMemberPadding) kind |= FieldLayout::kZero;
    PushPairs(words, size_t(m->count), kind);
  }
}

const FieldLayout& StructDefinition::FieldDescription() const {
  if (!description_) {
    description_ = std::make_unique<FieldLayout>(std::initializer_list<uint16_t>{});
    AppendDescription(&description_->words);
  }
  return *description_;
}

std::unique_ptr<StructDefinition> StructDefinition::Parse(const tinyxml2::XMLElement& element) {
  const char* name = element.Attribute("name");
  if (!name) return nullptr;
  auto def = std::make_unique<StructDefinition>();
  def->name = name;
  for (const tinyxml2::XMLElement* e = element.FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (auto member = MakeMember(*e)) def->members.push_back(std::move(member));
  }
  def->LayOutMembers();
  return def;
}

}  // namespace brae
