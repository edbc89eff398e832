#include "media/Sound.h"

#include <cstdio>
#include <cstring>

#include "media/Ima4.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagHeader.h"

namespace brae {

const FieldLayout& SoundHeaderLayout() {
  static const FieldLayout layout{64, 1, 2, 8, 1, 1, 2, 2, 2, 1,  1, 1,
                                  5,  1, 2, 1, 2, 1, 2, 1, 6, 12, 4};
  return layout;
}

const FieldLayout& SoundPermutationLayout() {
  static const FieldLayout layout{32, 2, 1, 1, 5, 26, 0};
  return layout;
}

const FieldLayout& SoundRecordLayout() {
  static const FieldLayout layout{32, 1, 2, 1, 1, 1, 1, 1, 1, 1, 5, 1, 2, 1, 2, 2, 2, 1, 6};
  return layout;
}

namespace {

bool Refuse(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

// Whether [offset, offset + bytes) lies inside the data.
bool Inside(uint64_t offset, uint64_t bytes, size_t size) {
  return offset <= size && bytes <= size - offset;
}

void DecodeRecord(const uint8_t* packets, const SoundRecord& record, std::vector<int16_t>* out) {
  const size_t channels = record.channels;
  // A trailing incomplete frame (a stereo record with an odd count) is not decoded.
  const size_t frames = record.packet_count / channels;
  out->assign(frames * kIma4PacketSamples * channels, 0);
  for (size_t f = 0; f < frames; ++f) {
    for (size_t c = 0; c < channels; ++c) {
      const uint8_t* packet = packets + (f * channels + c) * kIma4PacketBytes;
      DecodeIma4Packet(packet, out->data() + f * kIma4PacketSamples * channels + c, channels);
    }
  }
}

}  // namespace

bool ReadSound(const uint8_t* data, size_t size, Sound* out, std::string* error) {
  Sound sound;
  if (size < kSoundHeaderSize) return Refuse(error, "sound header truncated");
  ConvertFromFile(data, &sound.header, 1, SoundHeaderLayout());
  const uint64_t n = sound.header.permutation_count;

  if (n > 0) {
    if (!Inside(sound.header.permutations_offset, n * kSoundPermutationSize, size)) {
      return Refuse(error, "permutation records lie outside the tag data");
    }
    sound.permutations.resize(size_t(n));
    ConvertFromFile(data + sound.header.permutations_offset, sound.permutations.data(), size_t(n),
                    SoundPermutationLayout());
    for (SoundPermutation& p : sound.permutations) p.name[kPermutationNameSize - 1] = 0;
  }
  if (!Inside(sound.header.records_offset, n * kSoundRecordSize, size)) {
    return Refuse(error, "sound records lie outside the tag data");
  }
  sound.records.resize(size_t(n));
  ConvertFromFile(data + sound.header.records_offset, sound.records.data(), size_t(n),
                  SoundRecordLayout());

  // The packets of record 0, then of record 1, and so on follow the records directly.
  uint64_t packets_at = uint64_t(sound.header.records_offset) + n * kSoundRecordSize;
  sound.samples.resize(size_t(n));
  for (size_t i = 0; i < sound.records.size(); ++i) {
    const SoundRecord& r = sound.records[i];
    if (r.bits != 16 || r.channels < 1) {
      return Refuse(error,
                    "permutation " + std::to_string(i) + " is not 16-bit or has no channels");
    }
    if (r.packet_count == 0) continue;
    if (r.channels > 2 || !(r.flags & 1)) {
      return Refuse(error, "permutation " + std::to_string(i) + " has unsupported samples");
    }
    const uint64_t bytes = uint64_t(r.packet_count) * kIma4PacketBytes;
    if (!Inside(packets_at, bytes, size)) {
      return Refuse(error, "sample packets of permutation " + std::to_string(i) +
                               " lie outside the tag data");
    }
    DecodeRecord(data + packets_at, r, &sound.samples[i]);
    packets_at += bytes;
  }
  *out = std::move(sound);
  return true;
}

bool ReadSound(FileStream& stream, const TagHeader& header, Sound* out, std::string* error) {
  const uint64_t at = stream.Tell();
  const uint64_t length = stream.Length();
  if (at > length || header.size > length - at) return Refuse(error, "tag data truncated");
  std::vector<uint8_t> data(header.size);
  if (!data.empty() && !stream.Read(data.data(), data.size())) {
    return Refuse(error, "tag data could not be read");
  }
  return ReadSound(data.data(), data.size(), out, error);
}

std::string PermutationName(const SoundPermutation& permutation) {
  return std::string(permutation.name, strnlen(permutation.name, kPermutationNameSize));
}

uint32_t SampleRateHz(const SoundRecord& record) {
  return record.sample_rate >> 16;
}

int64_t DurationSeconds(const SoundRecord& record) {
  const uint32_t rate = SampleRateHz(record);
  if (rate == 0 || record.channels == 0) return -1;
  return int64_t(uint64_t(record.packet_count) * kIma4PacketSamples / record.channels / rate);
}

std::string FormatDuration(int64_t seconds) {
  if (seconds < 0) return "--:--";
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", int(seconds / 60), int(seconds % 60));
  }
  return text;
}

std::string FormatChannels(int channels) {
  if (channels == 1) return "1 (mono)";
  if (channels == 2) return "2 (stereo)";
  return std::to_string(channels);
}

std::string FormatBitDepth(int bits) {
  return std::to_string(bits);
}

std::string FormatSampleRate(uint32_t hz) {
  return std::to_string(hz) + " Hz";
}

WavDescription DescribeWav(const Sound& sound, size_t index) {
  WavDescription wav;
  if (index >= sound.records.size() || index >= sound.samples.size()) return wav;
  const std::vector<int16_t>& samples = sound.samples[index];
  if (samples.size() * sizeof(int16_t) > 0xFFFFFFFFu - 36) return wav;  // beyond what WAV holds
  // Exactly the decoded samples: a stereo record with an odd packet count has fewer samples
  // than 64 per packet.
  wav.data = samples.empty() ? nullptr : samples.data();
  wav.size = uint32_t(samples.size() * sizeof(int16_t));
  wav.bits = 16;
  wav.channels = sound.records[index].channels;
  wav.sample_rate = SampleRateHz(sound.records[index]);
  return wav;
}

std::string WavPathFor(const std::string& folder, const SoundPermutation& permutation) {
  std::string name = PermutationName(permutation);
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  std::string dir = folder;
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir + "/" + name + ".wav";
}

bool ExportPermutation(const Sound& sound, size_t index, const std::string& folder) {
  if (index >= sound.permutations.size()) return false;
  return WriteWav(DescribeWav(sound, index), WavPathFor(folder, sound.permutations[index]));
}

size_t ExportPermutations(const Sound& sound, const std::vector<size_t>& indices,
                          const std::string& folder) {
  size_t written = 0;
  for (size_t i : indices) written += ExportPermutation(sound, i, folder) ? 1 : 0;
  return written;
}

}  // namespace brae
