#include "media/Ima4.h"

namespace brae {

const int16_t kImaStepTable[kImaMaxStepIndex + 1] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int8_t kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

namespace {

inline int ClampIndex(int index) {
  return index < 0 ? 0 : index > kImaMaxStepIndex ? kImaMaxStepIndex : index;
}

inline int ClampSample(int v) {
  return v < -32768 ? -32768 : v > 32767 ? 32767 : v;
}

// Applies one code to the predictor and step index.
inline void Step(int code, int* predictor, int* index) {
  const int step = kImaStepTable[*index];
  int diff = step >> 3;
  if (code & 4) diff += step;
  if (code & 2) diff += step >> 1;
  if (code & 1) diff += step >> 2;
  *predictor = ClampSample((code & 8) ? *predictor - diff : *predictor + diff);
  *index = ClampIndex(*index + kImaIndexTable[code]);
}

}  // namespace

void DecodeIma4Packet(const uint8_t* packet, int16_t* out, size_t stride) {
  const uint16_t header = uint16_t((packet[0] << 8) | packet[1]);
  int predictor = int16_t(header & 0xFF80);
  int index = ClampIndex(header & 0x7F);
  for (size_t i = 0; i < 32; ++i) {
    const uint8_t byte = packet[2 + i];
    Step(byte & 0x0F, &predictor, &index);
    out[(2 * i) * stride] = int16_t(predictor);
    Step(byte >> 4, &predictor, &index);
    out[(2 * i + 1) * stride] = int16_t(predictor);
  }
}

void EncodeIma4Packet(const int16_t* samples, size_t stride, Ima4EncoderState* state,
                      uint8_t* packet) {
  int predictor = int16_t(uint16_t(state->predictor) & 0xFF80);
  int index = ClampIndex(state->step_index);
  const uint16_t header = uint16_t((uint16_t(predictor) & 0xFF80) | index);
  packet[0] = uint8_t(header >> 8);
  packet[1] = uint8_t(header);
  for (size_t i = 0; i < kIma4PacketSamples; ++i) {
    const int step = kImaStepTable[index];
    int diff = samples[i * stride] - predictor;
    int code = 0;
    if (diff < 0) {
      code = 8;
      diff = -diff;
    }
    if (diff >= step) {
      code |= 4;
      diff -= step;
    }
    if (diff >= step >> 1) {
      code |= 2;
      diff -= step >> 1;
    }
    if (diff >= step >> 2) code |= 1;
    Step(code, &predictor, &index);
    uint8_t& byte = packet[2 + i / 2];
    if (i % 2 == 0) {
      byte = uint8_t(code);
    } else {
      byte = uint8_t(byte | (code << 4));
    }
  }
  state->predictor = predictor;
  state->step_index = index;
}

}  // namespace brae
