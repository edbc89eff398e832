#pragma once
// IMA ADPCM in 34-byte packets of 64 samples (IMA4): a big-endian header holding the initial
// predictor (upper 9 bits) and step index (lower 7 bits), then 32 bytes of 4-bit codes, the
// low nibble of each byte first.

#include <cstddef>
#include <cstdint>

namespace brae {

constexpr size_t kIma4PacketBytes = 34;
constexpr size_t kIma4PacketSamples = 64;
constexpr int kImaMaxStepIndex = 88;

extern const int16_t kImaStepTable[kImaMaxStepIndex + 1];
extern const int8_t kImaIndexTable[16];

// Decodes one packet into 64 samples written stride samples apart. A step index above 88 is
// taken as 88.
void DecodeIma4Packet(const uint8_t* packet, int16_t* out, size_t stride);

// Encoder state carried from one packet of a channel to the next.
struct Ima4EncoderState {
  int predictor = 0;
  int step_index = 0;
};

// Encodes 64 samples read stride samples apart. The packet starts from the state's predictor
// reduced to the 9 bits the header can hold, so decoding reproduces the encoder's predictions.
void EncodeIma4Packet(const int16_t* samples, size_t stride, Ima4EncoderState* state,
                      uint8_t* packet);

}  // namespace brae
