#include "media/WavWriter.h"

#include <cstdio>
#include <cstring>

#include "tagstore/ByteOrder.h"

namespace brae {

std::vector<uint8_t> EncodeWav(const WavDescription& wav) {
  if (!wav.data || wav.size == 0 || wav.size > 0xFFFFFFFFu - 36) return {};
  std::vector<uint8_t> b(kWavHeaderBytes + wav.size);
  const uint16_t block = uint16_t((wav.bits / 8) * wav.channels);
  std::memcpy(&b[0], "RIFF", 4);
  StoreLE32(&b[4], wav.size + 36);
  std::memcpy(&b[8], "WAVE", 4);
  std::memcpy(&b[12], "fmt ", 4);
  StoreLE32(&b[16], 16);
  StoreLE16(&b[20], 1);  // PCM
  StoreLE16(&b[22], wav.channels);
  StoreLE32(&b[24], wav.sample_rate);
  StoreLE32(&b[28], wav.sample_rate * block);
  StoreLE16(&b[32], block);
  StoreLE16(&b[34], wav.bits);
  std::memcpy(&b[36], "data", 4);
  StoreLE32(&b[40], wav.size);
  // Samples are stored little-endian whatever the machine's order.
  uint8_t* out = &b[kWavHeaderBytes];
  for (uint32_t i = 0; i + 1 < wav.size; i += 2) StoreLE16(out + i, uint16_t(wav.data[i / 2]));
  return b;
}

bool WriteWav(const WavDescription& wav, const std::string& path) {
  const std::vector<uint8_t> bytes = EncodeWav(wav);
  if (bytes.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace brae
