// Our readers' and writers' results compared with independent tools: ffmpeg's IMA QuickTime
// decoder for IMA4 packets and ImageMagick for the image files we write. Skipped when the
// tools are missing.
#include <gtest/gtest.h>

#include <cstring>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/Ima4.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"

namespace brae {
namespace {

using test::TempDir;

// The 80-bit IEEE extended number of a positive integer.
void PutExtended(std::vector<uint8_t>& b, size_t at, uint32_t value) {
  int exponent = 31;
  while (!(value & 0x80000000u)) {
    value <<= 1;
    --exponent;
  }
  test::PutBE16(b, at, uint16_t(16383 + exponent));
  test::PutBE32(b, at + 2, value);
  test::PutBE32(b, at + 6, 0);
}

// An AIFF-C file holding IMA4 packets, the container ffmpeg reads them from.
std::vector<uint8_t> AifcIma4(const std::vector<uint8_t>& packets, int channels, uint32_t rate) {
  std::vector<uint8_t> b(12 + 12 + 8 + 24 + 16, 0);
  std::memcpy(&b[0], "FORM", 4);
  std::memcpy(&b[8], "AIFC", 4);
  std::memcpy(&b[12], "FVER", 4);
  test::PutBE32(b, 16, 4);
  test::PutBE32(b, 20, 0xA2805140u);
  std::memcpy(&b[24], "COMM", 4);
  test::PutBE32(b, 28, 24);
  test::PutBE16(b, 32, uint16_t(channels));
  test::PutBE32(b, 34, uint32_t(packets.size() / 34 / size_t(channels)));
  test::PutBE16(b, 38, 16);
  PutExtended(b, 40, rate);
  std::memcpy(&b[50], "ima4", 4);
  // an empty compression name and its pad byte: b[54], b[55]
  std::memcpy(&b[56], "SSND", 4);
  test::PutBE32(b, 60, uint32_t(8 + packets.size()));
  b.insert(b.end(), packets.begin(), packets.end());
  test::PutBE32(b, 4, uint32_t(b.size() - 8));
  return b;
}

// The step index a packet ends with, from its codes alone.
int FinalStepIndex(const uint8_t* packet) {
  int index = std::min(packet[1] & 0x7F, 88);
  for (int i = 0; i < 32; ++i) {
    for (int code : {packet[2 + i] & 0x0F, packet[2 + i] >> 4}) {
      index = std::clamp(index + kImaIndexTable[code], 0, 88);
    }
  }
  return index;
}

// Random packets. ffmpeg carries the previous packet's exact predictor over when the next
// header repeats the step index (a QuickTime habit the stored format does not have), so each
// header's step index differs from the one its channel's previous packet ended with.
std::vector<uint8_t> RandomPackets(int frames, int channels, uint32_t seed) {
  std::vector<uint8_t> packets(size_t(frames * channels) * 34);
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  std::vector<int> last(size_t(channels), -1);
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      uint8_t* p = &packets[size_t(f * channels + c) * 34];
      for (int i = 2; i < 34; ++i) p[i] = uint8_t(next());
      int index = int(next() % 89);
      if (index == last[size_t(c)]) index = (index + 1) % 89;
      const uint16_t header = uint16_t((next() & 0xFF80) | uint32_t(index));
      p[0] = uint8_t(header >> 8);
      p[1] = uint8_t(header);
      last[size_t(c)] = FinalStepIndex(p);
    }
  }
  return packets;
}

TEST(CrossCheckTest, Ima4AgainstFfmpeg) {
  if (test::FindProgram({"ffmpeg"}).empty()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  for (int channels : {1, 2}) {
    const int frames = 300;
    const std::vector<uint8_t> packets = RandomPackets(frames, channels, 77u + uint32_t(channels));
    const std::string in = dir.Path() + "/in.aifc", out = dir.Path() + "/out.raw";
    test::WriteBytes(in, AifcIma4(packets, channels, 22050));
    ASSERT_EQ(test::RunCommand("ffmpeg -v error -y -i '" + in + "' -f s16le -acodec pcm_s16le '" +
                               out + "'"),
              0);
    const std::vector<uint8_t> theirs = test::ReadBytes(out);
    ASSERT_EQ(theirs.size(), size_t(frames) * 64 * size_t(channels) * 2);

    std::vector<int16_t> ours(size_t(frames) * 64 * size_t(channels));
    for (int f = 0; f < frames; ++f) {
      for (int c = 0; c < channels; ++c) {
        DecodeIma4Packet(&packets[size_t(f * channels + c) * 34],
                         &ours[size_t(f) * 64 * size_t(channels) + size_t(c)], size_t(channels));
      }
    }
    for (size_t i = 0; i < ours.size(); ++i) {
      const int16_t sample = int16_t(theirs[2 * i] | theirs[2 * i + 1] << 8);
      ASSERT_EQ(ours[i], sample) << "channels " << channels << " sample " << i;
    }
  }
}

TEST(CrossCheckTest, WrittenImagesAgainstImageMagick) {
  const std::string convert = test::FindProgram({"convert-im6.q16", "magick", "convert"});
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  for (const char* extension : {".bmp", ".png", ".tiff"}) {
    for (PixelFormat f :
         {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb, PixelFormat::kRgba}) {
      const std::string what = std::string(extension) + " " + PixelFormatName(f);
      MediaFile file(dir.Path() + "/x" + extension);
      file.image = test::MakeTestImage(f, 37, 11, true);
      ASSERT_TRUE(file.Write()) << what;
      const std::string raw = dir.Path() + "/x.rgba";
      ASSERT_EQ(test::RunCommand(convert + " '" + file.path + "' -depth 8 'rgba:" + raw + "'"), 0)
          << what;
      const std::vector<uint8_t> theirs = test::ReadBytes(raw);
      std::vector<uint8_t> ours = ExpandToRgba(file.image);
      if (f == PixelFormat::kRgba && std::string(extension) == ".tiff") {
        // ImageMagick reads RGBA TIFF files through libtiff's RGBA interface, which
        // premultiplies unassociated alpha as (v · a + 127) / 255.
        for (size_t i = 0; i < ours.size(); i += 4) {
          for (size_t c = 0; c < 3; ++c)
            ours[i + c] = uint8_t((ours[i + c] * ours[i + 3] + 127) / 255);
        }
      }
      ASSERT_EQ(theirs.size(), ours.size()) << what;
      for (size_t i = 0; i < ours.size(); ++i) {
        ASSERT_EQ(int(theirs[i]), int(ours[i])) << what << " byte " << i;
      }
    }
  }
}

}  // namespace
}  // namespace brae
