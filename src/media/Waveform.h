#pragma once
// The overview of a sound's samples for the waveform strip: per pixel column the lowest and
// highest sample (all channels) of the samples that fall into it.

#include <cstdint>
#include <vector>

namespace brae {

struct WaveColumn {
  int16_t low = 0, high = 0;
};

// width columns over the interleaved samples; empty for no samples or no width.
std::vector<WaveColumn> WaveformColumns(const std::vector<int16_t>& samples, int width);

}  // namespace brae
