// libFuzzer target: the sound tag reader over arbitrary tag data, with the WAV encoding of
// every permutation it accepts.
#include <cstddef>
#include <cstdint>

#include "media/Sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::Sound sound;
  if (!brae::ReadSound(data, size, &sound)) return 0;
  for (size_t i = 0; i < sound.records.size(); ++i) {
    brae::EncodeWav(brae::DescribeWav(sound, i));
    brae::FormatDuration(brae::DurationSeconds(sound.records[i]));
    brae::PermutationName(sound.permutations[i]);
  }
  return 0;
}
