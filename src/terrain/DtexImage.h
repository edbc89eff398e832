#pragma once
// Detail texture images ('dtex' tag data): the 20-byte head and the coded image, and the
// whole-image operations of the detail texture editor.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brae {

class ByteSource;

constexpr size_t kDtexHeadSize = 20;

struct DtexImage {
  int width = 0;
  int height = 0;
  uint32_t carried = 0;         // the head's word at offset 12, kept as read (0 in new tags)
  std::vector<uint8_t> pixels;  // width * height RGB triples, row-major, row 0 first
};

// Parses the tag data. nullopt, with a reason in error, when it is incomplete, the coded image
// cannot be decoded or its size disagrees with the head.
std::optional<DtexImage> ParseDtexData(ByteSource& data, std::string* error = nullptr);
std::optional<DtexImage> ParseDtexData(const std::vector<uint8_t>& bytes,
                                       std::string* error = nullptr);
// The tag data of an image; empty when the image cannot be coded (a dimension outside 1-4095).
std::vector<uint8_t> SerializeDtexData(const DtexImage& image);

// A 256 x 256 chequerboard of 16-pixel squares, white where (x >> 4) XOR (y >> 4) is odd.
DtexImage MakeCheckerboardDtex();

bool IsPowerOfTwo(int value);

// Adds to each channel 128 minus its mean (floored), clamped to 0-255.
void MeanCenterRgb(DtexImage& image);
// Adds to all three channels 128 minus the mean luma as the editor computes it.
void MeanCenterLuma(DtexImage& image);
// Moves pixel (x, y) to ((x + width/2) mod width, (y + height/2) mod height).
void WrapHalf(DtexImage& image);

}  // namespace brae
