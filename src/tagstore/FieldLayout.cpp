#include "tagstore/FieldLayout.h"

#include <cstring>

#include "tagstore/FileStream.h"

namespace brae {

namespace {

// Walks one record of a layout starting at word index i (the size word). Converts from src to
// dst when both are given; src and dst may be the same buffer. Returns the bytes walked and
// leaves i after the layout's last pair.
size_t WalkRecord(const std::vector<uint16_t>& w, size_t& i, const uint8_t* src, uint8_t* dst) {
  const size_t size = w[i] & 0x7FFF;
  ++i;
  size_t walked = 0;
  while (walked < size && i + 1 < w.size()) {
    const uint16_t count = w[i];
    const uint16_t kind = w[i + 1];
    i += 2;
    if (kind == FieldLayout::kNested) {
      const size_t nested_start = i;
      size_t end = i;
      for (uint16_t n = 0; n < count; ++n) {
        end = nested_start;
        walked += WalkRecord(w, end, src ? src + walked : nullptr, dst ? dst + walked : nullptr);
      }
      if (count == 0) {
        WalkRecord(w, end, nullptr, nullptr);  // skip the unused nested layout
      }
      i = end;
      continue;
    }
    const size_t width = size_t{1} << (kind & 3);
    const size_t bytes = width * count;
    if (src && dst) {
      const uint8_t* s = src + walked;
      uint8_t* d = dst + walked;
      if (kind & FieldLayout::kZero) {
        std::memset(d, 0, bytes);
      } else if ((kind & FieldLayout::kNoSwap) || width == 1) {
        if (s != d) std::memmove(d, s, bytes);
      } else {
        for (size_t e = 0; e < count; ++e, s += width, d += width) {
          uint8_t t[4];
          std::memcpy(t, s, width);
          for (size_t b = 0; b < width; ++b) d[b] = t[width - 1 - b];
        }
      }
    }
    walked += bytes;
  }
  return walked;
}

size_t Walk(const FieldLayout& layout, const uint8_t* src, uint8_t* dst) {
  if (layout.words.empty()) return 0;
  size_t i = 0;
  return WalkRecord(layout.words, i, src, dst);
}

}  // namespace

size_t FieldLayout::WalkedSize() const {
  return Walk(*this, nullptr, nullptr);
}

void ConvertRecords(void* buffer, size_t count, const FieldLayout& layout) {
  auto* p = static_cast<uint8_t*>(buffer);
  const size_t stride = layout.RecordSize();
  for (size_t r = 0; r < count; ++r, p += stride) Walk(layout, p, p);
}

void ConvertFromFile(const void* file_bytes, void* records, size_t count,
                     const FieldLayout& layout) {
  const auto* s = static_cast<const uint8_t*>(file_bytes);
  auto* d = static_cast<uint8_t*>(records);
  const size_t in_stride = layout.WalkedSize();
  const size_t out_stride = layout.RecordSize();
  for (size_t r = 0; r < count; ++r, s += in_stride, d += out_stride) {
    if (out_stride > in_stride) std::memset(d + in_stride, 0, out_stride - in_stride);
    Walk(layout, s, d);
  }
}

void ConvertToFile(const void* records, void* file_bytes, size_t count, const FieldLayout& layout) {
  const auto* s = static_cast<const uint8_t*>(records);
  auto* d = static_cast<uint8_t*>(file_bytes);
  const size_t in_stride = layout.RecordSize();
  const size_t out_stride = layout.WalkedSize();
  for (size_t r = 0; r < count; ++r, s += in_stride, d += out_stride) Walk(layout, s, d);
}

size_t ReadRecords(void* buffer, size_t count, const FieldLayout& layout, FileStream& stream) {
  const size_t stated = layout.RecordSize();
  const bool walk_first = !layout.words.empty() && (layout.words[0] & FieldLayout::kWalkFirst);
  const size_t walked = walk_first ? layout.WalkedSize() : stated;
  if (walked == stated) {
    if (!stream.Read(buffer, stated * count)) return 0;
    ConvertRecords(buffer, count, layout);
    return stated * count;
  }
  std::vector<uint8_t> temp(walked * count);
  if (!stream.Read(temp.data(), temp.size())) return 0;
  ConvertFromFile(temp.data(), buffer, count, layout);
  return temp.size();
}

size_t WriteRecords(const void* buffer, size_t count, const FieldLayout& layout,
                    FileStream& stream) {
  const size_t walked = layout.WalkedSize();
  std::vector<uint8_t> temp(walked * count);
  ConvertToFile(buffer, temp.data(), count, layout);
  if (!stream.Write(temp.data(), temp.size())) return 0;
  return temp.size();
}

}  // namespace brae
