#pragma once
// RIFF WAVE files of PCM samples (little-endian, 44-byte header).

#include <cstdint>
#include <string>
#include <vector>

namespace brae {

struct WavDescription {
  const int16_t* data = nullptr;  // 16-bit samples, interleaved by channel
  uint32_t size = 0;              // bytes of sample data
  uint32_t sample_rate = 0;
  uint16_t bits = 16;
  uint16_t channels = 0;
};

constexpr size_t kWavHeaderBytes = 44;

// The whole file image; empty when the description has no data.
std::vector<uint8_t> EncodeWav(const WavDescription& wav);
// Writes the file ("wb"). Without data no file is created and the result is false.
bool WriteWav(const WavDescription& wav, const std::string& path);

}  // namespace brae
