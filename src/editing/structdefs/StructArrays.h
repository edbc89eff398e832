#pragma once
// Editing operations on the record bytes that the structure editor performs besides plain
// member writes: bits of integer members, and the elements of arrays of embedded structures
// (count, delete, add, duplicate) with their "runtime_count" member.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editing/structdefs/StructDefinition.h"

namespace brae {

// Sets or clears bit `bit` (0 to 31) of element 0 through the integer writer. False when the
// member holds no integer or the bit lies outside the element's width.
bool WriteMemberBit(const StructMember& member, uint8_t* record, size_t record_size, int bit,
                    bool on);
bool ReadMemberBit(const StructMember& member, const uint8_t* record, size_t record_size, int bit);

// An array of embedded structures inside one record of `owner`.
struct StructArray {
  const StructDefinition* owner = nullptr;
  const VornStructMember* array = nullptr;
  const StructMember* runtime_count = nullptr;  // none when the array has no usable count

  // Finds the array member's "runtime_count" member in the owner (an integer member).
  static StructArray For(const StructDefinition& owner, const VornStructMember& array);
  int Declared() const { return array ? array->count : 0; }
  size_t ElementSize() const { return array ? array->ElementSize() : 0; }
  size_t ElementOffset(int index) const { return array->offset + size_t(index) * ElementSize(); }
  // The number of elements in use: the runtime count clamped to 0..declared, or the declared
  // count without a runtime count member.
  int Count(const uint8_t* record, size_t record_size) const;
  // Stores min(count, declared) into the runtime count member; false without one.
  bool SetCount(uint8_t* record, size_t record_size, int count) const;
  // Whether "Add" is offered at all and whether it can add now.
  bool CanOfferAdd() const { return runtime_count != nullptr; }
  bool CanAdd(const uint8_t* record, size_t record_size) const;

  // Removes element `index` of the n in use: later elements move down one, the count becomes
  // n - 1 and elements n - 1 to declared - 1 are cleared. False for an index not in use.
  bool Delete(uint8_t* record, size_t record_size, int index) const;
  // Makes room for one more element (the count becomes n + 1, at most declared) and, for a
  // duplicate, copies element `copy_from` over the new one. Returns the new element's index,
  // or -1 when nothing can be added.
  int Append(uint8_t* record, size_t record_size, int copy_from = -1) const;
};

}  // namespace brae
