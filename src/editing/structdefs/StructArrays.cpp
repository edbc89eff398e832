#include "editing/structdefs/StructArrays.h"

#include <algorithm>
#include <cstring>

#include "editing/structdefs/StructValues.h"

namespace brae {

namespace {

bool IsIntegerMember(const StructMember& m) {
  return m.HasValue() && m.type != kMemberColor && m.ElementSize() <= 4;
}

}  // namespace

bool WriteMemberBit(const StructMember& member, uint8_t* record, size_t record_size, int bit,
                    bool on) {
  if (!IsIntegerMember(member) || bit < 0 || bit >= int(member.ElementSize() * 8)) return false;
  uint32_t value = uint32_t(ReadInteger(member, record, record_size, 0));
  uint32_t mask = uint32_t(1) << bit;
  value = on ? (value | mask) : (value & ~mask);
  return WriteInteger(member, record, record_size, 0, int64_t(int32_t(value)));
}

bool ReadMemberBit(const StructMember& member, const uint8_t* record, size_t record_size, int bit) {
  if (!IsIntegerMember(member) || bit < 0 || bit >= int(member.ElementSize() * 8)) return false;
  return (uint32_t(ReadInteger(member, record, record_size, 0)) >> bit) & 1;
}

StructArray StructArray::For(const StructDefinition& owner, const VornStructMember& array) {
  StructArray a;
  a.owner = &owner;
  a.array = &array;
  if (!array.runtime_count.empty()) {
    const StructMember* count = owner.FindMember(array.runtime_count);
    if (count && IsIntegerMember(*count)) a.runtime_count = count;
  }
  return a;
}

int StructArray::Count(const uint8_t* record, size_t record_size) const {
  if (!runtime_count) return Declared();
  int n = ReadInteger(*runtime_count, record, record_size, 0);
  return std::clamp(n, 0, Declared());
}

bool StructArray::SetCount(uint8_t* record, size_t record_size, int count) const {
  if (!runtime_count) return false;
  return WriteInteger(*runtime_count, record, record_size, 0, std::clamp(count, 0, Declared()));
}

bool StructArray::CanAdd(const uint8_t* record, size_t record_size) const {
  return runtime_count && Count(record, record_size) < Declared();
}

bool StructArray::Delete(uint8_t* record, size_t record_size, int index) const {
  const int n = Count(record, record_size), declared = Declared();
  const size_t element = ElementSize();
  if (index < 0 || index >= n || !element) return false;
  if (array->offset + size_t(declared) * element > record_size) return false;
  if (index + 1 < n)
    std::memmove(record + ElementOffset(index), record + ElementOffset(index + 1),
                 size_t(n - 1 - index) * element);
  SetCount(record, record_size, n - 1);
  std::memset(record + ElementOffset(n - 1), 0, size_t(declared - (n - 1)) * element);
  return true;
}

int StructArray::Append(uint8_t* record, size_t record_size, int copy_from) const {
  const int n = Count(record, record_size);
  const size_t element = ElementSize();
  if (!CanAdd(record, record_size) || !element) return -1;
  if (array->offset + size_t(Declared()) * element > record_size) return -1;
  if (copy_from >= 0 && copy_from >= n) return -1;
  SetCount(record, record_size, n + 1);
  if (copy_from >= 0)
    std::memcpy(record + ElementOffset(n), record + ElementOffset(copy_from), element);
  return n;
}

}  // namespace brae
