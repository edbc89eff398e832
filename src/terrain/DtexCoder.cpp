#include "terrain/DtexCoder.h"

#include <algorithm>
#include <cstring>

#include "terrain/DtexBitStream.h"

namespace brae {

namespace {

constexpr int kHeaderBits = 26;
constexpr int kParameterBits = 3;
constexpr int kBitsPerBlock = 3 * kParameterBits;
constexpr int kAllZero = 7;  // Rice parameter of a block channel that is zero throughout
constexpr int kMaxRice = 6;

// ---- Transform

inline uint8_t ZigZag(int residual) {
  const int8_t r = int8_t(uint8_t(residual));
  return uint8_t(r >= 0 ? 2 * r : -2 * r - 1);
}

inline int UnZigZag(uint8_t e) {
  return (e & 1) ? -((int(e) + 1) >> 1) : (e >> 1);
}

struct Quantities {
  int q[3];  // primary value, primary - first secondary, primary - second secondary
};

inline Quantities Quantify(const uint8_t* px, int primary) {
  const int cp = px[primary];
  return {{cp, cp - px[(primary + 2) % 3], cp - px[(primary + 1) % 3]}};
}

// The three predictions for pixel (x, y) of mode from its neighbours (never pixel (0, 0)).
inline void Predict(const uint8_t* px, int x, int y, int stride, int mode, int* pred,
                    int* primary) {
  if (y == 0) {
    *primary = 0;
    const Quantities l = Quantify(px - 3, 0);
    for (int j = 0; j < 3; ++j) pred[j] = l.q[j];
  } else if (x == 0) {
    *primary = mode;
    const Quantities u = Quantify(px - stride, mode);
    for (int j = 0; j < 3; ++j) pred[j] = u.q[j];
  } else {
    *primary = mode;
    const Quantities l = Quantify(px - 3, mode);
    const Quantities u = Quantify(px - stride, mode);
    const Quantities ul = Quantify(px - stride - 3, mode);
    for (int j = 0; j < 3; ++j) pred[j] = Med7(l.q[j], u.q[j], ul.q[j]);
  }
}

void Transform(const uint8_t* rgb, int width, int height, int mode, uint8_t* residuals) {
  const int stride = 3 * width;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = 3 * (size_t(y) * width + x);
      const uint8_t* px = rgb + at;
      uint8_t* out = residuals + at;
      if (x == 0 && y == 0) {
        std::memcpy(out, px, 3);
        continue;
      }
      int pred[3], primary;
      Predict(px, x, y, stride, mode, pred, &primary);
      const Quantities actual = Quantify(px, primary);
      for (int j = 0; j < 3; ++j) out[j] = ZigZag(pred[j] - actual.q[j]);
    }
  }
}

// ---- Rice parameters

struct BlockGrid {
  int across, down;
  explicit BlockGrid(int width, int height)
      : across((width + kDtexBlockSize - 1) / kDtexBlockSize),
        down((height + kDtexBlockSize - 1) / kDtexBlockSize) {}
  size_t Count() const { return size_t(across) * down; }
};

// The parameter and its cost for one channel of a block, from its values directly: the cost of
// k is the sum of (v >> k) plus (k + 1) bits per value, as from the histogram.
int ChooseFromValues(const uint8_t* residuals, int width, int x0, int y0, int x1, int y1,
                     int channel, uint64_t* cost) {
  uint64_t shifted[kMaxRice + 1] = {};
  uint32_t count = 0;
  bool all_zero = true;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* row = residuals + 3 * (size_t(y) * width) + channel;
    for (int x = x0; x < x1; ++x) {
      const uint32_t v = row[3 * x];
      all_zero &= v == 0;
      for (int k = 0; k <= kMaxRice; ++k) shifted[k] += v >> k;
    }
    count += uint32_t(x1 - x0);
  }
  if (all_zero) {
    *cost = 0;
    return kAllZero;
  }
  uint64_t previous = shifted[0] + count;
  for (int k = 1; k <= kMaxRice; ++k) {
    const uint64_t c = shifted[k] + uint64_t(k + 1) * count;
    if (c > previous) {
      *cost = previous;
      return k - 1;
    }
    previous = c;
  }
  *cost = previous;
  return kMaxRice;
}

// Chooses every block's parameters; returns P (residual bits plus 9 bits per block).
uint64_t ChooseParameters(const uint8_t* residuals, int width, int height, uint8_t* parameters) {
  const BlockGrid grid(width, height);
  uint64_t total = 0;
  for (int by = 0; by < grid.down; ++by) {
    for (int bx = 0; bx < grid.across; ++bx) {
      const int x0 = bx * kDtexBlockSize, y0 = by * kDtexBlockSize;
      const int x1 = std::min(x0 + kDtexBlockSize, width);
      const int y1 = std::min(y0 + kDtexBlockSize, height);
      uint8_t* k = parameters + 3 * (size_t(by) * grid.across + bx);
      for (int j = 0; j < 3; ++j) {
        uint64_t cost;
        k[j] = uint8_t(ChooseFromValues(residuals, width, x0, y0, x1, y1, j, &cost));
        total += cost;
      }
      total += kBitsPerBlock;
    }
  }
  return total;
}

bool ValidDimensions(int width, int height) {
  return width >= 1 && height >= 1 && width <= kDtexMaxDimension && height <= kDtexMaxDimension;
}

void WriteStream(const uint8_t* residuals, const uint8_t* parameters, int width, int height,
                 int mode, uint64_t payload_bits, DtexCode* out) {
  out->mode = mode;
  out->payload_bits = payload_bits;
  out->words.assign(size_t((payload_bits + 89) / 32), 0);
  BitWriter writer(out->words.data(), out->words.size());
  writer.Put(uint32_t(width), 12);
  writer.Put(uint32_t(height), 12);
  writer.Put(uint32_t(mode), 2);
  const BlockGrid grid(width, height);
  for (size_t b = 0; b < grid.Count(); ++b) {
    for (int j = 0; j < 3; ++j) writer.Put(parameters[3 * b + j], kParameterBits);
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* block_row = parameters + 3 * size_t(y / kDtexBlockSize) * grid.across;
    for (int x = 0; x < width; ++x) {
      const uint8_t* k = block_row + 3 * (x / kDtexBlockSize);
      const uint8_t* e = residuals + 3 * (size_t(y) * width + x);
      for (int j = 0; j < 3; ++j) {
        if (k[j] != kAllZero) WriteRice(writer, e[j], k[j]);
      }
    }
  }
  writer.Finish();
}

}  // namespace

int Med7(int left, int up, int up_left) {
  const int lo = std::min(left, up), hi = std::max(left, up);
  if (up_left >= hi) return (7 * lo + hi) >> 3;
  if (up_left > lo) return left + up - up_left;
  return (7 * hi + lo) >> 3;
}

int ChooseRiceParameter(const uint32_t* histogram, uint32_t count, uint64_t* cost) {
  uint64_t c = 0;
  int k = kAllZero;
  if (histogram[0] != count) {
    uint64_t previous = 0;
    for (k = 0; k <= kMaxRice; ++k) {
      c = 0;
      for (int v = 0; v < 256; ++v) c += uint64_t(histogram[v]) * uint64_t((v >> k) + k + 1);
      if (k > 0 && c > previous) {
        c = previous;
        --k;
        break;
      }
      previous = c;
    }
    if (k > kMaxRice) k = kMaxRice;
  }
  if (cost) *cost = c;
  return k;
}

void DtexModeCosts(const uint8_t* rgb, int width, int height, uint64_t costs[3]) {
  std::vector<uint8_t> residuals(size_t(width) * height * 3);
  std::vector<uint8_t> parameters(BlockGrid(width, height).Count() * 3);
  for (int mode = 0; mode < 3; ++mode) {
    Transform(rgb, width, height, mode, residuals.data());
    costs[mode] = ChooseParameters(residuals.data(), width, height, parameters.data());
  }
}

bool EncodeDtexWithMode(const uint8_t* rgb, int width, int height, int mode, DtexCode* out) {
  if (!ValidDimensions(width, height) || mode < 0 || mode > 2) return false;
  std::vector<uint8_t> residuals(size_t(width) * height * 3);
  std::vector<uint8_t> parameters(BlockGrid(width, height).Count() * 3);
  Transform(rgb, width, height, mode, residuals.data());
  const uint64_t bits = ChooseParameters(residuals.data(), width, height, parameters.data());
  WriteStream(residuals.data(), parameters.data(), width, height, mode, bits, out);
  return true;
}

bool EncodeDtex(const uint8_t* rgb, int width, int height, DtexCode* out) {
  if (!ValidDimensions(width, height)) return false;
  const size_t blocks = BlockGrid(width, height).Count();
  std::vector<uint8_t> residuals(size_t(width) * height * 3);
  std::vector<uint8_t> parameters(blocks * 3);
  int best_mode = 0;
  uint64_t best_bits = 0;
  for (int mode = 0; mode < 3; ++mode) {
    Transform(rgb, width, height, mode, residuals.data());
    const uint64_t bits = ChooseParameters(residuals.data(), width, height, parameters.data());
    if (mode == 0 || bits < best_bits) {
      best_mode = mode;
      best_bits = bits;
    }
  }
  // The scratch holds the last mode tried; redo the winner unless it was that one.
  if (best_mode != 2) {
    Transform(rgb, width, height, best_mode, residuals.data());
    ChooseParameters(residuals.data(), width, height, parameters.data());
  }
  WriteStream(residuals.data(), parameters.data(), width, height, best_mode, best_bits, out);
  return true;
}

bool DecodeDtex(const uint32_t* words, size_t count, std::vector<uint8_t>* rgb, int* width,
                int* height, std::string* error) {
  auto fail = [&](const char* text) {
    if (error) *error = text;
    return false;
  };
  BitReader reader(words, count);
  const int w = int(reader.Get(12));
  const int h = int(reader.Get(12));
  const int mode = int(reader.Get(2));
  if (!reader.ok()) return fail("the coded image has no header");
  if (w == 0 || h == 0) return fail("the coded image has no pixels");
  if (mode > 2) return fail("the coded image has an unknown mode");
  const BlockGrid grid(w, h);
  // Each block costs at least its nine parameter bits: refuse sizes the words cannot hold.
  if (uint64_t(grid.Count()) * kBitsPerBlock + kHeaderBits > uint64_t(count) * 32) {
    return fail("the coded image is truncated");
  }
  std::vector<uint8_t> parameters(grid.Count() * 3);
  for (uint8_t& k : parameters) k = uint8_t(reader.Get(kParameterBits));

  std::vector<uint8_t> out(size_t(w) * h * 3);
  const int stride = 3 * w;
  for (int y = 0; y < h && reader.ok(); ++y) {
    const uint8_t* block_row = parameters.data() + 3 * size_t(y / kDtexBlockSize) * grid.across;
    for (int x = 0; x < w; ++x) {
      const uint8_t* k = block_row + 3 * (x / kDtexBlockSize);
      uint8_t e[3];
      for (int j = 0; j < 3; ++j) {
        e[j] = k[j] == kAllZero ? 0 : ReadRice(reader, k[j]);
      }
      uint8_t* px = out.data() + 3 * (size_t(y) * w + x);
      if (x == 0 && y == 0) {
        std::memcpy(px, e, 3);
        continue;
      }
      int pred[3], primary;
      Predict(px, x, y, stride, mode, pred, &primary);
      const int a = pred[0] - UnZigZag(e[0]);
      const int d1 = pred[1] - UnZigZag(e[1]);
      const int d2 = pred[2] - UnZigZag(e[2]);
      px[primary] = uint8_t(a);
      px[(primary + 2) % 3] = uint8_t(a - d1);
      px[(primary + 1) % 3] = uint8_t(a - d2);
    }
  }
  if (!reader.ok()) return fail("the coded image is truncated");
  rgb->swap(out);
  *width = w;
  *height = h;
  return true;
}

}  // namespace brae
