#pragma once
// Helpers of the media tests: generated pictures and a byte-level builder of sound tag data
// written independently of the reader.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/Image.h"

namespace brae::test {

// A deterministic picture of any format: gradients with a little noise; colour-indexed
// formats get a 16-entry palette (or 256 when full_palette).
inline Image MakeTestImage(PixelFormat format, int width, int height, bool full_palette = false) {
  Image image;
  image.format = format;
  image.width = width;
  image.height = height;
  image.pixels.resize(image.PixelBytes());
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
  };
  const int colours = full_palette ? 256 : 16;
  if (format == PixelFormat::kIndexed || format == PixelFormat::kIndexedAlpha) {
    image.palette.count = colours;
    for (int i = 0; i < colours; ++i) {
      image.palette.entries[i] = Rgb{uint8_t(i * 16 + 3), uint8_t(255 - i * 7), uint8_t(i * 31)};
    }
  }
  const int bpp = BytesPerPixel(format);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &image.pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(bpp)];
      switch (format) {
        case PixelFormat::kIndexed:
          p[0] = uint8_t((x + y + next() % 3) % colours);
          break;
        case PixelFormat::kIndexedAlpha:
          p[0] = next();
          p[1] = uint8_t((x * 3 + y) % colours);
          break;
        case PixelFormat::kGrey:
          p[0] = uint8_t(x * 7 + y * 3 + next() % 4);
          break;
        case PixelFormat::kRgb:
        case PixelFormat::kRgba:
          p[0] = uint8_t(x * 5);
          p[1] = uint8_t(y * 9);
          p[2] = uint8_t(next());
          if (format == PixelFormat::kRgba) p[3] = uint8_t((x * y) & 0xFF);
          break;
        case PixelFormat::kNone:
          break;
      }
    }
  }
  return image;
}

inline void PutBE16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}
inline void PutBE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// One permutation of a sound tag as stored.
struct TestPermutation {
  std::string name;
  uint32_t flags = 1;
  uint16_t bits = 16;
  uint16_t channels = 1;
  uint32_t rate_hz = 22050;
  std::vector<uint8_t> packets;         // 34 bytes each, interleaved by channel
  uint32_t packet_count = 0xFFFFFFFFu;  // default: packets.size() / 34
};

// Sound tag data: 64-byte header, the permutation records right after it, then the sound
// records and their packets.
inline std::vector<uint8_t> BuildSoundData(const std::vector<TestPermutation>& perms) {
  const uint32_t n = uint32_t(perms.size());
  const uint32_t permutations_at = 64;
  const uint32_t records_at = permutations_at + 32 * n;
  std::vector<uint8_t> b(records_at + 32 * n, 0);
  PutBE32(b, 0, 0xA1B2C3D4);  // uninterpreted fields carry noise
  PutBE16(b, 4, 0x1234);
  PutBE32(b, 20, records_at);
  PutBE32(b, 36, n);
  PutBE32(b, 40, permutations_at);
  for (uint32_t i = 0; i < n; ++i) {
    const TestPermutation& p = perms[i];
    const size_t at = permutations_at + 32 * i;
    PutBE16(b, at, 7);
    for (size_t c = 0; c < p.name.size() && c < 25; ++c) b[at + 6 + c] = uint8_t(p.name[c]);
    const size_t r = records_at + 32 * i;
    PutBE32(b, r, p.flags);
    PutBE16(b, r + 4, p.bits);
    PutBE16(b, r + 8, p.channels);
    PutBE32(b, r + 12, p.rate_hz << 16);
    PutBE32(b, r + 16,
            p.packet_count != 0xFFFFFFFFu ? p.packet_count : uint32_t(p.packets.size() / 34));
  }
  for (const TestPermutation& p : perms) b.insert(b.end(), p.packets.begin(), p.packets.end());
  return b;
}

// Runs a shell command; its exit status.
inline int RunCommand(const std::string& command) {
  return std::system(command.c_str());
}

// The first of the named programs found on the PATH, or empty.
inline std::string FindProgram(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (RunCommand("command -v '" + name + "' >/dev/null 2>&1") == 0) return name;
  }
  return "";
}

}  // namespace brae::test
