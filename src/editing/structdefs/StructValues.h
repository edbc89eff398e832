#pragma once
// Reading and writing member values in a record (host order in memory), and the conversions
// between stored integers and the numbers shown in the forms.

#include <cstdint>
#include <string>

#include "editing/structdefs/StructDefinition.h"

namespace brae {

// The element's value, sign-extended from its 1, 2 or 4 bytes; 0 for an index outside the
// member or a record too short to hold it.
int32_t ReadInteger(const StructMember& member, const uint8_t* record, size_t record_size,
                    int index);
// The element's value read as the member's type says (unsigned for the fraction types).
int64_t ReadStoredValue(const StructMember& member, const uint8_t* record, size_t record_size,
                        int index);
// Stores the value truncated to the element's width. False for an index outside the member.
bool WriteInteger(const StructMember& member, uint8_t* record, size_t record_size, int index,
                  int64_t value);

// The value of the member's "lower_bound" member (element 0), or 0 when it has none.
int64_t LowerBoundValue(const StructDefinition& definition, const StructMember& member,
                        const uint8_t* record, size_t record_size);

// Shown value: (stored + lower bound) × factor, rounded half away from zero to the type's
// decimals.
double DisplayValue(const StructMember& member, int64_t stored, int64_t lower_bound);
std::string DisplayText(const StructMember& member, int64_t stored, int64_t lower_bound);
// The stored value of an entered number: entered / factor + 0.5 rounded down, saturated to 32
// bits; the lower bound is subtracted and the result clamped to the member's width.
int64_t EntryValue(const StructMember& member, double entered, int64_t lower_bound);

// The whole round of a number box, on a record of the definition.
std::string ShowMember(const StructDefinition& definition, const StructMember& member,
                       const uint8_t* record, int index);
bool EnterMember(const StructDefinition& definition, const StructMember& member, uint8_t* record,
                 int index, double entered);

}  // namespace brae
