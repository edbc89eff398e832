#pragma once
// Structure definitions: the layout of a fixed-size tag record, read from an XML "struct"
// element. Members follow each other without gaps; every multi-byte member is big-endian in
// files and host order in a record in memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tagstore/FieldLayout.h"

namespace tinyxml2 {
class XMLElement;
}

namespace brae {

class StructDefinition;

// Member types by their code; the element name of each is in MemberTypeInfo.
enum MemberType : int {
  kMemberPadding = 0,
  kMemberSubstruct = 1,
  kMemberTag = 2,
  kMemberLong = 3,
  kMemberLongTime = 4,
  kMemberLongWorld = 5,
  kMemberLongEnum = 6,  // has no element name
  kMemberFixed = 7,
  kMemberShort = 8,
  kMemberShortTime = 9,
  kMemberShortWorld = 10,
  kMemberShortEnum = 11,
  kMemberSequenceIndex = 12,
  kMemberFixedFraction = 13,
  kMemberShortFixed = 14,
  kMemberAngularVelocity = 15,
  kMemberAngle = 16,
  kMemberByte = 17,
  kMemberByteEnum = 18,
  kMemberShortFixedFraction = 19,
  kMemberColor = 20,
  kMemberTypeCount = 21,
};

struct MemberTypeInfo {
  const char* element;  // the XML element name ("" for code 6)
  int size;             // element size in bytes (0 for a substruct: the embedded size)
  bool is_signed;
  // Shown value = stored × numerator / denominator.
  double numerator;
  double denominator;
  int decimals;
  bool has_value;  // false for padding, substruct and color
};

const MemberTypeInfo& GetMemberTypeInfo(MemberType type);
// The type of an element name; false for names that are no member type.
bool MemberTypeFromElement(const char* element, MemberType* type);

class StructMember {
 public:
  explicit StructMember(MemberType t) : type(t) {}
  virtual ~StructMember() = default;

  MemberType type;
  std::string name;
  int count = 1;
  size_t offset = 0;
  std::string lower_bound;    // member whose value is added for display
  std::string runtime_count;  // member that counts the elements in use

  const MemberTypeInfo& Info() const { return GetMemberTypeInfo(type); }
  virtual size_t ElementSize() const { return size_t(Info().size); }
  size_t Size() const { return size_t(count) * ElementSize(); }
  // Whether the member holds integers that the value conversions apply to.
  bool HasValue() const { return Info().has_value; }
};

class VornStructMember : public StructMember {
 public:
  using StructMember::StructMember;
  // Substructs: the embedded structure, by name and once resolved.
  std::string struct_name;
  const StructDefinition* embedded = nullptr;
  size_t ElementSize() const override;
};

class TagMember : public VornStructMember {
 public:
  TagMember() : VornStructMember(kMemberTag) {}
  int64_t group = -1;  // the group code the referenced tag must have, or -1
  bool HasGroup() const { return group >= 0; }
};

struct EnumChoice {
  std::string text;
  int value;
};

class EnumMember : public VornStructMember {
 public:
  using VornStructMember::VornStructMember;
  std::vector<EnumChoice> choices;  // in file order
};

class StructDefinition {
 public:
  std::string name;
  std::vector<std::unique_ptr<StructMember>> members;

  // The record size: the sum of the members' sizes (valid once offsets are laid out).
  size_t Size() const { return size_; }
  const StructMember* FindMember(const std::string& member_name) const;
  // Recomputes the offsets and the size from the members (embedded sizes must be known).
  void LayOutMembers();
  // The description that converts the record between file and memory order; built on first
  // use. Records larger than 32767 bytes cannot be described (see StructRegistry).
  const FieldLayout& FieldDescription() const;

  // Parses a "struct" element; none without a "name". Members of unknown types are left out.
  static std::unique_ptr<StructDefinition> Parse(const tinyxml2::XMLElement& element);

 private:
  void AppendDescription(std::vector<uint16_t>* words) const;
  size_t size_ = 0;
  mutable std::unique_ptr<FieldLayout> description_;
};

}  // namespace brae
