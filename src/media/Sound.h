#pragma once
// Sound tags ('soun'): permutations, each a separately recorded variant, with IMA4 sample
// packets decoded on reading; durations, the texts of the sound list, and WAV export.

#include <cstdint>
#include <string>
#include <vector>

#include "media/WavWriter.h"
#include "tagstore/FieldLayout.h"
#include "tagstore/FourCC.h"

namespace brae {

class FileStream;
struct TagHeader;

constexpr uint32_t kSoundGroup = FourCC("soun");
constexpr size_t kSoundHeaderSize = 64;
constexpr size_t kSoundPermutationSize = 32;
constexpr size_t kSoundRecordSize = 32;
constexpr size_t kPermutationNameSize = 26;

// Host order in memory; big-endian in tags.
struct SoundHeader {
  uint32_t unknown0 = 0;
  uint16_t unknown4[8] = {};
  uint32_t records_offset = 0;  // from the start of the tag data
  uint32_t unknown24[2] = {};
  uint16_t unknown32 = 0;
  uint16_t reserved34 = 0;
  uint32_t permutation_count = 0;
  uint32_t permutations_offset = 0;
  uint32_t unknown44 = 0;
  uint32_t reserved48 = 0;
  uint8_t reserved52[12] = {};
};
static_assert(sizeof(SoundHeader) == kSoundHeaderSize, "sound header is 64 bytes");

struct SoundPermutation {
  uint16_t unknown0[2] = {};
  uint16_t reserved4 = 0;
  char name[kPermutationNameSize] = {};  // 25 characters and a terminating zero
};
static_assert(sizeof(SoundPermutation) == kSoundPermutationSize, "permutation is 32 bytes");

struct SoundRecord {
  uint32_t flags = 0;  // bit 0: has sample packets
  uint16_t bits = 0;   // always 16
  uint16_t unknown6 = 0;
  uint16_t channels = 0;
  uint16_t reserved10 = 0;
  uint32_t sample_rate = 0;   // 16.16 fixed point
  uint32_t packet_count = 0;  // all channels together
  uint32_t unknown20[2] = {};
  uint32_t reserved28 = 0;
};
static_assert(sizeof(SoundRecord) == kSoundRecordSize, "sound record is 32 bytes");

const FieldLayout& SoundHeaderLayout();
const FieldLayout& SoundPermutationLayout();
const FieldLayout& SoundRecordLayout();

struct Sound {
  SoundHeader header;
  std::vector<SoundPermutation> permutations;
  std::vector<SoundRecord> records;           // record i belongs to permutation i
  std::vector<std::vector<int16_t>> samples;  // decoded, interleaved by channel, per record
};

// Reads a sound from its tag data. Every offset and count is checked against the data; a
// record with packets must be 16-bit, mono or stereo, with flag bit 0 set. A stereo record
// with an odd packet count decodes only its whole frames.
bool ReadSound(const uint8_t* data, size_t size, Sound* out, std::string* error = nullptr);
// Reads the tag data (header.size bytes) from a stream positioned at its start.
bool ReadSound(FileStream& stream, const TagHeader& header, Sound* out,
               std::string* error = nullptr);

// The permutation's name, up to its terminating zero (25 characters at most).
std::string PermutationName(const SoundPermutation& permutation);
// The integer part of the sample rate.
uint32_t SampleRateHz(const SoundRecord& record);
// (P · 64) ÷ channels ÷ rate in whole seconds; -1 when the rate or channel count is 0.
int64_t DurationSeconds(const SoundRecord& record);

// Texts of the sound list.
std::string FormatDuration(int64_t seconds);  // "%02d:%02d", from one hour "%02d:%02d:%02d"
std::string FormatChannels(int channels);     // "1 (mono)", "2 (stereo)" or the number
std::string FormatBitDepth(int bits);         // "%d"
std::string FormatSampleRate(uint32_t hz);    // "%d Hz"

// The WAV description of record i: exactly its decoded samples.
WavDescription DescribeWav(const Sound& sound, size_t index);
// "<folder>/<name>.wav"; separators inside the name are replaced so the file stays in folder.
std::string WavPathFor(const std::string& folder, const SoundPermutation& permutation);
// Writes permutation i into folder; false when it has no samples or the file cannot be made.
bool ExportPermutation(const Sound& sound, size_t index, const std::string& folder);
// Writes the given permutations into folder; one that cannot be written is skipped and the
// others are still written. Returns how many files were written.
size_t ExportPermutations(const Sound& sound, const std::vector<size_t>& indices,
                          const std::string& folder);

}  // namespace brae
