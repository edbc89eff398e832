#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/Ima4.h"
#include "media/Sound.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagHeader.h"

namespace brae {
namespace {

using test::BuildSoundData;
using test::TempDir;
using test::TestPermutation;

// Packets of a sine tone, interleaved by channel (channel c an octave above channel c - 1).
std::vector<uint8_t> TonePackets(int frames, int channels, double hz = 440, int rate = 22050) {
  std::vector<uint8_t> packets;
  std::vector<Ima4EncoderState> states(static_cast<size_t>(channels));
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      int16_t samples[64];
      for (int i = 0; i < 64; ++i) {
        const double t = double(f * 64 + i) / rate;
        samples[i] = int16_t(12000 * std::sin(2 * M_PI * hz * (c + 1) * t));
      }
      uint8_t packet[34];
      EncodeIma4Packet(samples, 1, &states[size_t(c)], packet);
      packets.insert(packets.end(), packet, packet + 34);
    }
  }
  return packets;
}

uint32_t LE32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}
uint16_t LE16(const std::vector<uint8_t>& b, size_t at) {
  return uint16_t(b[at] | b[at + 1] << 8);
}

// ---- IMA4 decoding

TEST(Ima4Test, HeaderPredictorAndFirstCodes) {
  // Header 0x1234: predictor 0x1200 (low 7 bits cleared), step index 0x34 = 52 (step 1060).
  uint8_t packet[34] = {0x12, 0x34};
  packet[2] = 0x07;  // code 7 then code 0
  int16_t out[64];
  DecodeIma4Packet(packet, out, 1);
  // code 7: diff = 132 + 1060 + 530 + 265 = 1987; index 52 + 8 = 60 (step 2272).
  EXPECT_EQ(out[0], 0x1200 + 1987);
  // code 0: diff = 2272 >> 3 = 284; index 59.
  EXPECT_EQ(out[1], 0x1200 + 1987 + 284);
}

TEST(Ima4Test, NegativePredictorClampingAndStride) {
  // Header 0x8000: predictor -32768, index 0. Code 15 subtracts and clamps at -32768.
  uint8_t packet[34] = {0x80, 0x00, 0xFF};  // code 15 twice
  int16_t out[128] = {};
  DecodeIma4Packet(packet, out, 2);
  EXPECT_EQ(out[0], -32768);
  EXPECT_EQ(out[2], -32768);
  EXPECT_EQ(out[1], 0);  // the other channel's slots are untouched
}

TEST(Ima4Test, StepIndexAbove88IsClamped) {
  uint8_t high[34] = {0x00, 0x7F, 0x01};  // index 127
  uint8_t top[34] = {0x00, 88, 0x01};
  int16_t a[64], b[64];
  DecodeIma4Packet(high, a, 1);
  DecodeIma4Packet(top, b, 1);
  EXPECT_EQ(std::vector<int16_t>(a, a + 64), std::vector<int16_t>(b, b + 64));
  EXPECT_EQ(b[0], 32767 / 8 + 32767 / 4);  // code 1 at the largest step
}

TEST(Ima4Test, EncoderRoundTripFollowsTheTone) {
  const std::vector<uint8_t> packets = TonePackets(20, 1);
  double signal = 0, noise = 0;
  for (int f = 0; f < 20; ++f) {
    int16_t out[64];
    DecodeIma4Packet(&packets[size_t(f) * 34], out, 1);
    for (int i = 0; i < 64; ++i) {
      const double want = 12000 * std::sin(2 * M_PI * 440 * double(f * 64 + i) / 22050);
      signal += want * want;
      noise += (out[i] - want) * (out[i] - want);
    }
  }
  EXPECT_GT(10 * std::log10(signal / noise), 20.0);
}

// ---- Reading sound tags

TEST(SoundReadTest, MonoStereoAndEmptyPermutations) {
  TestPermutation mono{"Mono", 1, 16, 1, 22050, TonePackets(10, 1)};
  TestPermutation stereo{"Stereo", 1, 16, 2, 44100, TonePackets(4, 2)};
  TestPermutation empty{"Silent", 0, 16, 1, 11025, {}};
  const std::vector<uint8_t> data = BuildSoundData({mono, stereo, empty});
  Sound sound;
  std::string error;
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound, &error)) << error;
  ASSERT_EQ(sound.records.size(), 3u);
  EXPECT_EQ(PermutationName(sound.permutations[0]), "Mono");
  EXPECT_EQ(sound.header.unknown0, 0xA1B2C3D4u);
  EXPECT_EQ(sound.records[1].channels, 2);
  EXPECT_EQ(SampleRateHz(sound.records[1]), 44100u);
  EXPECT_EQ(sound.samples[0].size(), 640u);
  EXPECT_EQ(sound.samples[1].size(), 512u);
  EXPECT_TRUE(sound.samples[2].empty());

  // Stereo samples interleave the two channels' packets.
  int16_t left[64], right[64];
  DecodeIma4Packet(&stereo.packets[34 * 2], left, 1);
  DecodeIma4Packet(&stereo.packets[34 * 3], right, 1);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(sound.samples[1][size_t(128 + 2 * i)], left[i]);
    EXPECT_EQ(sound.samples[1][size_t(128 + 2 * i + 1)], right[i]);
  }
}

TEST(SoundReadTest, StereoWithThreePacketsDecodesOneFrame) {
  TestPermutation stereo{"Odd", 1, 16, 2, 22050, TonePackets(2, 2)};
  stereo.packets.resize(3 * 34);  // three packets: the third has no partner
  TestPermutation after{"After", 1, 16, 1, 22050, TonePackets(1, 1, 1000)};
  const std::vector<uint8_t> data = BuildSoundData({stereo, after});
  Sound sound;
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  EXPECT_EQ(sound.samples[0].size(), 128u);  // one frame of two packets
  // The next record's packets start after all three packets.
  int16_t expected[64];
  DecodeIma4Packet(&after.packets[0], expected, 1);
  EXPECT_EQ(sound.samples[1], std::vector<int16_t>(expected, expected + 64));

  // Its WAV holds exactly the decoded samples: 256 bytes, not 16 · 64 · 3 ÷ 8 = 384.
  const WavDescription wav = DescribeWav(sound, 0);
  EXPECT_EQ(wav.size, 256u);
  EXPECT_EQ(wav.channels, 2);
  TempDir dir;
  ASSERT_TRUE(ExportPermutation(sound, 0, dir.Path()));
  const std::vector<uint8_t> file = test::ReadBytes(dir.Path() + "/Odd.wav");
  ASSERT_EQ(file.size(), 44u + 256u);
  EXPECT_EQ(LE32(file, 4), 256u + 36u);
  EXPECT_EQ(LE32(file, 40), 256u);
  for (size_t i = 0; i < 128; ++i) {
    ASSERT_EQ(int16_t(LE16(file, 44 + 2 * i)), sound.samples[0][i]) << i;
  }
}

TEST(SoundReadTest, NoPermutationsAndRecordsWithoutPackets) {
  Sound sound;
  const std::vector<uint8_t> none = BuildSoundData({});
  ASSERT_TRUE(ReadSound(none.data(), none.size(), &sound));
  EXPECT_TRUE(sound.records.empty());
  // A record without packets needs neither flag bit 0 nor a channel count of 1 or 2.
  const std::vector<uint8_t> data = BuildSoundData({{"Three", 0, 16, 3, 22050, {}}});
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  EXPECT_TRUE(sound.samples[0].empty());
}

TEST(SoundReadTest, FromAStreamAtTheTagData) {
  TempDir dir;
  const std::vector<uint8_t> data = BuildSoundData({{"Mono", 1, 16, 1, 22050, TonePackets(2, 1)}});
  std::vector<uint8_t> file(64, 0xEE);  // stands in for the tag header
  file.insert(file.end(), data.begin(), data.end());
  test::WriteBytes(dir.Path() + "/s.tag", file);
  FileStream stream;
  ASSERT_TRUE(stream.Open(dir.Path() + "/s.tag", FileStream::kRead));
  ASSERT_TRUE(stream.Seek(64));
  TagHeader header;
  header.size = uint32_t(data.size());
  Sound sound;
  ASSERT_TRUE(ReadSound(stream, header, &sound));
  EXPECT_EQ(sound.samples[0].size(), 128u);
  // A size beyond the end of the file fails before anything is allocated for it.
  ASSERT_TRUE(stream.Seek(64));
  header.size = 0xFFFFFFF0u;
  EXPECT_FALSE(ReadSound(stream, header, &sound));
}

// Hostile sound data: every count and offset is checked before use.
TEST(SoundReadTest, HostileDataFailsCleanly) {
  const std::vector<uint8_t> good = BuildSoundData(
      {{"A", 1, 16, 1, 22050, TonePackets(2, 1)}, {"B", 1, 16, 2, 22050, TonePackets(1, 2)}});
  Sound sound;
  ASSERT_TRUE(ReadSound(good.data(), good.size(), &sound));
  struct Patch {
    const char* what;
    size_t at;
    int bytes;
    uint32_t value;
  };
  const size_t rec0 = 64 + 2 * 32, rec1 = rec0 + 32;
  const Patch patches[] = {
      {"permutation count 0xFFFFFFFF", 36, 4, 0xFFFFFFFFu},
      {"permutation count 3", 36, 4, 3},
      {"permutation offset past the end", 40, 4, uint32_t(good.size())},
      {"permutation offset wrapping", 40, 4, 0xFFFFFFF0u},
      {"record offset past the end", 20, 4, uint32_t(good.size()) - 40},
      {"record offset wrapping", 20, 4, 0xFFFFFFE0u},
      {"packet count 0xFFFFFFFF", rec0 + 16, 4, 0xFFFFFFFFu},
      {"packet count one too many", rec1 + 16, 4, 3},
      {"8 bits", rec0 + 4, 2, 8},
      {"3 channels with packets", rec1 + 8, 2, 3},
      {"0 channels", rec0 + 8, 2, 0},
      {"flag bit 0 clear", rec1, 4, 2},
  };
  for (const Patch& p : patches) {
    std::vector<uint8_t> b = good;
    if (p.bytes == 2) {
      test::PutBE16(b, p.at, uint16_t(p.value));
    } else {
      test::PutBE32(b, p.at, p.value);
    }
    std::string error;
    EXPECT_FALSE(ReadSound(b.data(), b.size(), &sound, &error)) << p.what;
    EXPECT_FALSE(error.empty()) << p.what;
  }
  // A record without packets still must be 16-bit with a channel.
  std::vector<uint8_t> b = BuildSoundData({{"Z", 0, 8, 1, 22050, {}}});
  EXPECT_FALSE(ReadSound(b.data(), b.size(), &sound));
  b = BuildSoundData({{"Z", 0, 16, 0, 22050, {}}});
  EXPECT_FALSE(ReadSound(b.data(), b.size(), &sound));
  // Every truncation of a good tag fails.
  for (size_t size = 0; size < good.size(); ++size) {
    ASSERT_FALSE(ReadSound(good.data(), size, &sound)) << size;
  }
}

TEST(SoundReadTest, NamesAreAtMost25Characters) {
  std::vector<uint8_t> data = BuildSoundData({{"ABCDEFGHIJKLMNOPQRSTUVWXY", 0, 16, 1, 22050, {}}});
  Sound sound;
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  EXPECT_EQ(PermutationName(sound.permutations[0]), "ABCDEFGHIJKLMNOPQRSTUVWXY");
  // A name field without its terminating zero is cut at 25 characters.
  for (size_t i = 0; i < 26; ++i) data[64 + 6 + i] = 'Q';
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  EXPECT_EQ(PermutationName(sound.permutations[0]), std::string(25, 'Q'));
}

// ---- Durations and list texts

TEST(SoundTextTest, DurationsAndColumns) {
  SoundRecord r;
  r.channels = 1;
  r.sample_rate = 22050u << 16 | 0x8000;  // the fraction is ignored
  r.packet_count = 10;
  EXPECT_EQ(DurationSeconds(r), 0);  // 640 samples
  r.packet_count = 22050 * 75 / 64 + 1;
  EXPECT_EQ(DurationSeconds(r), 75);
  EXPECT_EQ(FormatDuration(DurationSeconds(r)), "01:15");
  r.channels = 2;
  EXPECT_EQ(DurationSeconds(r), 37);
  r.packet_count = 0;
  EXPECT_EQ(FormatDuration(DurationSeconds(r)), "00:00");
  EXPECT_EQ(FormatDuration(3600 + 62), "01:01:02");
  EXPECT_EQ(FormatDuration(3599), "59:59");
  r.sample_rate = 0x8000;  // integer part 0
  EXPECT_EQ(DurationSeconds(r), -1);
  EXPECT_EQ(FormatDuration(-1), "--:--");
  EXPECT_EQ(FormatChannels(1), "1 (mono)");
  EXPECT_EQ(FormatChannels(2), "2 (stereo)");
  EXPECT_EQ(FormatChannels(6), "6");
  EXPECT_EQ(FormatBitDepth(16), "16");
  EXPECT_EQ(FormatSampleRate(22050), "22050 Hz");
}

// ---- WAV export

TEST(WavExportTest, MonoTenPacketsByteForByte) {
  const std::vector<uint8_t> data =
      BuildSoundData({{"Mono Ten", 1, 16, 1, 22050, TonePackets(10, 1)}});
  Sound sound;
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  TempDir dir;
  ASSERT_TRUE(ExportPermutation(sound, 0, dir.Path() + "/"));
  const std::vector<uint8_t> b = test::ReadBytes(dir.Path() + "/Mono Ten.wav");
  ASSERT_EQ(b.size(), 44u + 1280u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(LE32(b, 4), 1316u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(LE32(b, 16), 16u);
  EXPECT_EQ(LE16(b, 20), 1);
  EXPECT_EQ(LE16(b, 22), 1);
  EXPECT_EQ(LE32(b, 24), 22050u);
  EXPECT_EQ(LE32(b, 28), 44100u);
  EXPECT_EQ(LE16(b, 32), 2);
  EXPECT_EQ(LE16(b, 34), 16);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(LE32(b, 40), 1280u);
  EXPECT_EQ(int16_t(LE16(b, 44 + 2 * 100)), sound.samples[0][100]);
}

TEST(WavExportTest, EmptyRecordsWriteNoFileAndFailuresSkipOnlyThatFile) {
  const std::vector<uint8_t> data = BuildSoundData(
      {{"Silent", 0, 16, 1, 22050, {}}, {"Sound", 1, 16, 1, 22050, TonePackets(1, 1)}});
  Sound sound;
  ASSERT_TRUE(ReadSound(data.data(), data.size(), &sound));
  TempDir dir;
  EXPECT_FALSE(ExportPermutation(sound, 0, dir.Path()));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Silent.wav"));
  EXPECT_TRUE(ExportPermutation(sound, 1, dir.Path()));
  EXPECT_FALSE(ExportPermutation(sound, 1, dir.Path() + "/missing"));
  EXPECT_FALSE(ExportPermutation(sound, 7, dir.Path()));
  WavDescription nothing;
  EXPECT_FALSE(WriteWav(nothing, dir.Path() + "/n.wav"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/n.wav"));
}

TEST(WavExportTest, NamesStayInsideTheFolder) {
  SoundPermutation p;
  std::snprintf(p.name, sizeof p.name, "../../etc/x\\y");
  EXPECT_EQ(WavPathFor("/out/", p), "/out/.._.._etc_x_y.wav");
  std::snprintf(p.name, sizeof p.name, "ABCDEFGHIJKLMNOPQRSTUVWXY");
  EXPECT_EQ(WavPathFor("/out", p), "/out/ABCDEFGHIJKLMNOPQRSTUVWXY.wav");
}

}  // namespace
}  // namespace brae

namespace brae {
namespace {

// The fuzzer's seed inputs are valid sound data.
TEST(SoundReadTest, FuzzSeedsAreReadable) {
  const std::string dir = std::string(BRAE_TEST_DATA_DIR) + "/../fuzz/seeds/fuzz_sound";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::vector<uint8_t> b = test::ReadBytes(entry.path().string());
    Sound sound;
    EXPECT_TRUE(ReadSound(b.data(), b.size(), &sound)) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace brae
