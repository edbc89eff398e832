#include "terrain/RunLength.h"

#include <algorithm>
#include <cstring>

#include "terrain/ByteSource.h"

namespace brae {

std::vector<uint8_t> EncodeRunLength(const uint8_t* bytes, size_t count) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < count) {
    const uint8_t value = bytes[i];
    size_t run = 1;
    while (run < 256 && i + run < count && bytes[i + run] == value) ++run;
    out.push_back(value);
    out.push_back(uint8_t(run - 1));
    i += run;
  }
  return out;
}

bool DecodeRunLength(ByteSource& source, uint64_t position, size_t expected,
                     std::vector<uint8_t>* out, uint64_t* bytes_read) {
  // Every pair yields at least one byte, so no more than 2 * expected coded bytes are needed;
  // refuse up front when even the best case cannot fit in what is there.
  if (!source.Has(position, 0)) return false;
  const uint64_t available = source.Size() - position;
  if (uint64_t(expected) > (available / 2) * 256) return false;

  out->assign(expected, 0);
  uint8_t buffer[8192];
  size_t produced = 0;
  uint64_t at = position;
  while (produced < expected) {
    const uint64_t remaining_pairs = (expected - produced);
    const size_t chunk = size_t(std::min<uint64_t>(
        {uint64_t(sizeof buffer), remaining_pairs * 2, (source.Size() - at) & ~uint64_t(1)}));
    if (chunk < 2 || !source.ReadAt(at, buffer, chunk)) return false;
    for (size_t p = 0; p < chunk && produced < expected; p += 2) {
      const size_t run = size_t(buffer[p + 1]) + 1;
      if (run > expected - produced) return false;  // would pass the expected length
      std::memset(out->data() + produced, buffer[p], run);
      produced += run;
      at += 2;
    }
  }
  if (bytes_read) *bytes_read = at - position;
  return true;
}

}  // namespace brae
