#pragma once
// The lossless predictive coder of detail textures: a 26-bit header, a table of Rice
// parameters per 8 x 8 block and channel, then the Rice-coded residuals of every pixel.
// Stored tags depend on it bit for bit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brae {

constexpr int kDtexMaxDimension = 4095;  // 12-bit fields
constexpr int kDtexBlockSize = 8;

// The prediction of the coder: a weighted median of the left, upper and upper-left values.
int Med7(int left, int up, int up_left);

// The Rice parameter for a block channel from its residual histogram (256 entries) and pixel
// count: 7 when every value is 0, else the k in 0-6 at which the cost stops falling. The
// cost in bits is stored in cost when given.
int ChooseRiceParameter(const uint32_t* histogram, uint32_t count, uint64_t* cost = nullptr);

struct DtexCode {
  std::vector<uint32_t> words;  // host order; N / 4 of them
  int mode = 0;
  uint64_t payload_bits = 0;  // P: the bits after the 26-bit header
  size_t ByteLength() const { return words.size() * 4; }
};

// Codes an RGB image (width * height triples, row-major). False when a dimension is not in
// 1-4095.
bool EncodeDtex(const uint8_t* rgb, int width, int height, DtexCode* out);
// Codes with a fixed mode (0-2) instead of choosing the cheapest.
bool EncodeDtexWithMode(const uint8_t* rgb, int width, int height, int mode, DtexCode* out);
// The total cost of each mode, as the encoder compares them.
void DtexModeCosts(const uint8_t* rgb, int width, int height, uint64_t costs[3]);

// Decodes count words. False, with a reason in error, for a bad header or a stream that ends
// before every pixel is decoded.
bool DecodeDtex(const uint32_t* words, size_t count, std::vector<uint8_t>* rgb, int* width,
                int* height, std::string* error = nullptr);

}  // namespace brae
