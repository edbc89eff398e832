// The demo game's sounds and loose images: 'soun' tags with mono and stereo permutations
// encoded from generated tones (one permutation without packets, one stereo record with an
// odd packet count), and a folder of BMP, PNG and TIFF pictures for the image conversion.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "media/BmpFormat.h"
#include "media/Ima4.h"
#include "media/MediaFile.h"
#include "mkdemo/DemoGame.h"

namespace brae::demo {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

struct DemoPermutation {
  std::string name;  // at most 25 characters
  int channels = 1;
  uint32_t rate = 22050;
  std::vector<uint8_t> packets;  // interleaved by channel
};

// A decaying chord, a different pitch per channel, as IMA4 packets. frames × channels
// packets, minus drop_last when a trailing incomplete frame is wanted.
std::vector<uint8_t> TonePackets(double hz, int channels, uint32_t rate, int frames,
                                 int drop_last = 0) {
  std::vector<uint8_t> packets;
  std::vector<Ima4EncoderState> states(static_cast<size_t>(channels));
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      int16_t samples[kIma4PacketSamples];
      for (size_t i = 0; i < kIma4PacketSamples; ++i) {
        const double t = double(size_t(f) * kIma4PacketSamples + i) / rate;
        const double pitch = hz * (c == 0 ? 1.0 : 1.5);
        const double level = 14000 * std::exp(-2.5 * t);
        samples[i] = int16_t(
            level * (std::sin(2 * M_PI * pitch * t) + 0.3 * std::sin(2 * M_PI * 2 * pitch * t)) /
            1.3);
      }
      uint8_t packet[kIma4PacketBytes];
      EncodeIma4Packet(samples, 1, &states[size_t(c)], packet);
      packets.insert(packets.end(), packet, packet + kIma4PacketBytes);
    }
  }
  packets.resize(packets.size() - size_t(drop_last) * kIma4PacketBytes);
  return packets;
}

// Sound tag data as stored: the 64-byte header, the permutation records, the sound records,
// then every record's packets in order.
std::vector<uint8_t> SoundData(const std::vector<DemoPermutation>& perms) {
  const uint32_t n = uint32_t(perms.size());
  const uint32_t permutations_at = 64;
  const uint32_t records_at = permutations_at + 32 * n;
  std::vector<uint8_t> b(records_at + 32 * n, 0);
  Put32(b, 20, records_at);
  Put32(b, 36, n);
  Put32(b, 40, permutations_at);
  for (uint32_t i = 0; i < n; ++i) {
    const DemoPermutation& p = perms[i];
    const size_t at = permutations_at + 32 * i;
    for (size_t c = 0; c < p.name.size() && c < 25; ++c) b[at + 6 + c] = uint8_t(p.name[c]);
    const size_t r = records_at + 32 * i;
    const uint32_t packet_count = uint32_t(p.packets.size() / kIma4PacketBytes);
    Put32(b, r, packet_count > 0 ? 1 : 0);
    Put16(b, r + 4, 16);
    Put16(b, r + 8, uint16_t(p.channels));
    Put32(b, r + 12, p.rate << 16);
    Put32(b, r + 16, packet_count);
  }
  for (const DemoPermutation& p : perms) b.insert(b.end(), p.packets.begin(), p.packets.end());
  return b;
}

DemoTag SoundTag(const char (&id)[5], const std::string& name,
                 const std::vector<DemoPermutation>& perms) {
  DemoTag t;
  t.group = Code("soun");
  t.subgroup = Code(id);
  t.name = name;
  t.data = SoundData(perms);
  return t;
}

Image Picture(PixelFormat format, int width, int height, int variant) {
  Image image;
  image.format = format;
  image.width = width;
  image.height = height;
  image.pixels.resize(image.PixelBytes());
  if (format == PixelFormat::kIndexed) {
    image.palette.count = 16;
    for (int i = 0; i < 16; ++i) {
      image.palette.entries[i] = Rgb{uint8_t(i * 17), uint8_t(255 - i * 13), uint8_t(64 + i * 8)};
    }
  }
  const int bpp = BytesPerPixel(format);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &image.pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(bpp)];
      const double u = double(x) / width, v = double(y) / height;
      const int shade = int(127 + 120 * std::sin(6.28 * (u * (variant + 1) + v)));
      switch (format) {
        case PixelFormat::kIndexed:
          p[0] = uint8_t(((x / 4) + (y / 4) * variant) % 16);
          break;
        case PixelFormat::kGrey:
          p[0] = uint8_t(shade);
          break;
        case PixelFormat::kRgb:
        case PixelFormat::kRgba:
          p[0] = uint8_t(shade);
          p[1] = uint8_t(255 * v);
          p[2] = uint8_t(255 * u);
          if (format == PixelFormat::kRgba) {
            const double d = std::hypot(u - 0.5, v - 0.5);
            p[3] = uint8_t(d > 0.5 ? 0 : 255 * (1 - 2 * d));
          }
          break;
        default:
          break;
      }
    }
  }
  return image;
}

// The bytes of a picture written by the image writers (through a scratch file for PNG and TIFF).
std::vector<uint8_t> ImageBytes(const Image& image, const char* extension) {
  std::vector<uint8_t> bytes;
  if (std::string(extension) == ".bmp") {
    EncodeBmp(image, &bytes);
    return bytes;
  }
  MediaFile file("/tmp/brae-mkdemo-" + std::to_string(::getpid()) + extension);
  file.image = image;
  if (!file.Write()) return bytes;
  if (std::FILE* f = std::fopen(file.path.c_str(), "rb")) {
    uint8_t buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(f);
  }
  std::remove(file.path.c_str());
  return bytes;
}

}  // namespace

void AddMediaDemo(DemoGame& game) {
  // One second of tone is 345 mono packets at 22050 Hz.
  // In an archive of kind 2, which the default working set makes active.
  DemoArchive& sounds = game.Archive("tags", "vorn2 sounds", 2);
  sounds.name = "Vorn II Sounds";
  sounds.description = "The game's sounds";
  sounds.tags.push_back(SoundTag("bell", "Bell",
                                 {{"Bell Mono", 1, 22050, TonePackets(660, 1, 22050, 345)},
                                  {"Bell Stereo", 2, 44100, TonePackets(440, 2, 44100, 345)},
                                  {"Silence", 1, 22050, {}}}));
  // A stereo record with three packets: one whole frame and an incomplete one.
  game.AddLocal(
      SoundTag("horn", "Horn",
               {{"Horn Low", 1, 11025, TonePackets(110, 1, 11025, 690)},
                {"Horn Odd Stereo", 2, 22050, TonePackets(220, 2, 22050, 2, 1)},
                {"A Horn Of Twentyfive Char", 1, 22050, TonePackets(330, 1, 22050, 40)}}));

  game.AddFile("images/photo.png", ImageBytes(Picture(PixelFormat::kRgb, 64, 48, 1), ".png"));
  game.AddFile("images/sprite.png", ImageBytes(Picture(PixelFormat::kRgba, 32, 32, 2), ".png"));
  game.AddFile("images/backdrop.bmp", ImageBytes(Picture(PixelFormat::kRgb, 40, 30, 3), ".bmp"));
  game.AddFile("images/icons/icon.bmp",
               ImageBytes(Picture(PixelFormat::kIndexed, 16, 16, 1), ".bmp"));
  game.AddFile("images/icons/glow.tiff",
               ImageBytes(Picture(PixelFormat::kRgba, 24, 24, 4), ".tiff"));
  game.AddFile("images/icons/mask.tiff",
               ImageBytes(Picture(PixelFormat::kGrey, 24, 24, 2), ".tiff"));
  const std::string note = "Pictures for brae-cli convert-images.\n";
  game.AddFile("images/readme.txt", std::vector<uint8_t>(note.begin(), note.end()));
}

}  // namespace brae::demo

namespace brae::demo {

void AddSoundUpdates(DemoArchive& addon) {
  // The bell: the mono permutation plays at half the rate, the silence is gone.
  addon.tags.push_back(SoundTag("bell", "Bell",
                                {{"Bell Mono", 1, 11025, TonePackets(660, 1, 22050, 345)},
                                 {"Bell Stereo", 2, 44100, TonePackets(440, 2, 44100, 345)}}));
}

}  // namespace brae::demo
