#include "media/Waveform.h"

#include <algorithm>

namespace brae {

std::vector<WaveColumn> WaveformColumns(const std::vector<int16_t>& samples, int width) {
  std::vector<WaveColumn> columns;
  if (samples.empty() || width <= 0) return columns;
  columns.resize(size_t(width));
  const size_t n = samples.size();
  for (size_t c = 0; c < size_t(width); ++c) {
    const size_t begin = c * n / size_t(width);
    const size_t end = std::max(begin + 1, (c + 1) * n / size_t(width));
    if (begin >= n) {
      columns[c] = columns[c ? c - 1 : 0];
      continue;
    }
    const auto [low, high] = std::minmax_element(samples.begin() + long(begin),
                                                 samples.begin() + long(std::min(end, n)));
    columns[c] = {*low, *high};
  }
  return columns;
}

}  // namespace brae
