#include "editing/structdefs/StructValues.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace brae {

namespace {

// The element's bytes when the record holds them.
bool ElementAt(const StructMember& m, size_t record_size, int index, size_t* at, size_t* width) {
  if (index < 0 || index >= m.count) return false;
  *width = m.ElementSize();
  *at = m.offset + size_t(index) * *width;
  return (*width == 1 || *width == 2 || *width == 4) && *at + *width <= record_size;
}

int64_t ClampToWidth(const StructMember& m, int64_t v) {
  const MemberTypeInfo& info = m.Info();
  int64_t lo, hi;
  switch (info.size) {
    case 1:
      lo = info.is_signed ? -128 : 0, hi = info.is_signed ? 127 : 255;
      break;
    case 2:
      lo = info.is_signed ? -32768 : 0, hi = info.is_signed ? 32767 : 65535;
      break;
    default:
      lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
      break;
  }
  return std::min(hi, std::max(lo, v));
}

}  // namespace

int32_t ReadInteger(const StructMember& m, const uint8_t* record, size_t record_size, int index) {
  size_t at, width;
  if (!ElementAt(m, record_size, index, &at, &width)) return 0;
  if (width == 1) return int8_t(record[at]);
  if (width == 2) {
    int16_t v;
    std::memcpy(&v, record + at, 2);
    return v;
  }
  int32_t v;
  std::memcpy(&v, record + at, 4);
  return v;
}

int64_t ReadStoredValue(const StructMember& m, const uint8_t* record, size_t record_size,
                        int index) {
  const int32_t v = ReadInteger(m, record, record_size, index);
  if (m.Info().is_signed) return v;
  switch (m.ElementSize()) {
    case 1:
      return uint8_t(v);
    case 2:
      return uint16_t(v);
    default:
      return uint32_t(v);
  }
}

bool WriteInteger(const StructMember& m, uint8_t* record, size_t record_size, int index,
                  int64_t value) {
  size_t at, width;
  if (!ElementAt(m, record_size, index, &at, &width)) return false;
  if (width == 1) {
    record[at] = uint8_t(value);
  } else if (width == 2) {
    const uint16_t v = uint16_t(value);
    std::memcpy(record + at, &v, 2);
  } else {
    const uint32_t v = uint32_t(value);
    std::memcpy(record + at, &v, 4);
  }
  return true;
}

int64_t LowerBoundValue(const StructDefinition& def, const StructMember& m, const uint8_t* record,
                        size_t record_size) {
  if (m.lower_bound.empty()) return 0;
  const StructMember* bound = def.FindMember(m.lower_bound);
  return bound ? ReadStoredValue(*bound, record, record_size, 0) : 0;
}

double DisplayValue(const StructMember& m, int64_t stored, int64_t lower_bound) {
  const MemberTypeInfo& info = m.Info();
  const double value = double(stored + lower_bound) * info.numerator / info.denominator;
  const double scale = std::pow(10.0, info.decimals);
  return std::round(value * scale) / scale;  // half away from zero
}

std::string DisplayText(const StructMember& m, int64_t stored, int64_t lower_bound) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", m.Info().decimals, DisplayValue(m, stored, lower_bound));
  return text;
}

int64_t EntryValue(const StructMember& m, double entered, int64_t lower_bound) {
  const MemberTypeInfo& info = m.Info();
  double v = std::floor(entered * info.denominator / info.numerator + 0.5);
  if (std::isnan(v)) v = 0;
  const double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  int64_t stored = int64_t(std::min(hi, std::max(lo, v)));
  // The bound comes off before clamping, so that the stored value is what fits the member.
  stored -= lower_bound;
  return ClampToWidth(m, stored);
}

std::string ShowMember(const StructDefinition& def, const StructMember& m, const uint8_t* record,
                       int index) {
  const int64_t stored = ReadStoredValue(m, record, def.Size(), index);
  return DisplayText(m, stored, LowerBoundValue(def, m, record, def.Size()));
}

bool EnterMember(const StructDefinition& def, const StructMember& m, uint8_t* record, int index,
                 double entered) {
  const int64_t stored = EntryValue(m, entered, LowerBoundValue(def, m, record, def.Size()));
  return WriteInteger(m, record, def.Size(), index, stored);
}

}  // namespace brae
