#include "terrain/DtexImage.h"

#include <algorithm>
#include <cstring>

#include "tagstore/ByteOrder.h"
#include "terrain/ByteSource.h"
#include "terrain/DtexCoder.h"

namespace brae {

namespace {

uint8_t AddClamped(uint8_t value, int64_t offset) {
  return uint8_t(std::clamp<int64_t>(int64_t(value) + offset, 0, 255));
}

}  // namespace

std::optional<DtexImage> ParseDtexData(ByteSource& data, std::string* error) {
  auto fail = [&](const char* text) -> std::optional<DtexImage> {
    if (error) *error = text;
    return std::nullopt;
  };
  uint8_t head[kDtexHeadSize];
  if (!data.ReadAt(0, head, sizeof head)) return fail("the detail texture head is incomplete");
  const uint32_t width = LoadBE32(head), height = LoadBE32(head + 4);
  const uint32_t length = LoadLE32(head + 16);
  if (length % 4 != 0) return fail("the coded image's length is not a whole number of words");
  if (!data.Has(kDtexHeadSize, length)) return fail("the coded image is incomplete");

  std::vector<uint32_t> words(length / 4);
  std::vector<uint8_t> raw(length);
  if (length && !data.ReadAt(kDtexHeadSize, raw.data(), length)) {
    return fail("the coded image could not be read");
  }
  for (size_t i = 0; i < words.size(); ++i) words[i] = LoadLE32(raw.data() + 4 * i);

  DtexImage image;
  image.carried = LoadBE32(head + 12);
  if (!DecodeDtex(words.data(), words.size(), &image.pixels, &image.width, &image.height, error)) {
    return std::nullopt;
  }
  if (uint32_t(image.width) != width || uint32_t(image.height) != height) {
    return fail("the coded image's size differs from the head's");
  }
  return image;
}

std::optional<DtexImage> ParseDtexData(const std::vector<uint8_t>& bytes, std::string* error) {
  MemorySource source(bytes);
  return ParseDtexData(source, error);
}

std::vector<uint8_t> SerializeDtexData(const DtexImage& image) {
  if (image.pixels.size() != size_t(std::max(image.width, 0)) * std::max(image.height, 0) * 3) {
    return {};
  }
  DtexCode code;
  if (!EncodeDtex(image.pixels.data(), image.width, image.height, &code)) return {};
  std::vector<uint8_t> out(kDtexHeadSize + code.ByteLength(), 0);
  StoreBE32(out.data(), uint32_t(image.width));
  StoreBE32(out.data() + 4, uint32_t(image.height));
  StoreBE32(out.data() + 12, image.carried);
  StoreLE32(out.data() + 16, uint32_t(code.ByteLength()));
  for (size_t i = 0; i < code.words.size(); ++i) {
    StoreLE32(out.data() + kDtexHeadSize + 4 * i, code.words[i]);
  }
  return out;
}

DtexImage MakeCheckerboardDtex() {
  DtexImage image;
  image.width = image.height = 256;
  image.pixels.resize(256 * 256 * 3);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const uint8_t v = ((x >> 4) ^ (y >> 4)) & 1 ? 255 : 0;
      std::memset(image.pixels.data() + 3 * (y * 256 + x), v, 3);
    }
  }
  return image;
}

bool IsPowerOfTwo(int value) {
  return value > 0 && (value & (value - 1)) == 0;
}

void MeanCenterRgb(DtexImage& image) {
  const size_t n = image.pixels.size() / 3;
  if (n == 0) return;
  uint64_t sum[3] = {};
  for (size_t i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c) sum[c] += image.pixels[3 * i + c];
  }
  int64_t offset[3];
  for (int c = 0; c < 3; ++c) offset[c] = 128 - int64_t(sum[c] / n);
  for (size_t i = 0; i < n; ++i) {
    for (int c = 0; c < 3; ++c)
      image.pixels[3 * i + c] = AddClamped(image.pixels[3 * i + c], offset[c]);
  }
}

void MeanCenterLuma(DtexImage& image) {
  const size_t n = image.pixels.size() / 3;
  if (n == 0) return;
  uint64_t lumas = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = image.pixels.data() + 3 * i;
    lumas += (77u * p[0] + 151u * p[1] + 28u * p[2]) >> 8;
  }
  // The stored formula divides by n / 256, which is 0 below 256 pixels; there the same
  // quantity is computed without flooring n / 256 first.
  const uint64_t mean = n >= 256 ? (lumas / 255) / (n / 256) : (lumas * 256) / (255 * uint64_t(n));
  const int64_t offset = 128 - int64_t(mean);
  for (uint8_t& v : image.pixels) v = AddClamped(v, offset);
}

void WrapHalf(DtexImage& image) {
  const int w = image.width, h = image.height;
  if (w <= 0 || h <= 0 || image.pixels.size() != size_t(w) * h * 3) return;
  std::vector<uint8_t> out(image.pixels.size());
  for (int y = 0; y < h; ++y) {
    const int ty = (y + h / 2) % h;
    for (int x = 0; x < w; ++x) {
      const int tx = (x + w / 2) % w;
      std::memcpy(out.data() + 3 * (size_t(ty) * w + tx),
                  image.pixels.data() + 3 * (size_t(y) * w + x), 3);
    }
  }
  image.pixels.swap(out);
}

}  // namespace brae
