#pragma once
// Reduction of RGBA pixels to a palette of at most 256 colours: a weighted colour list, Wu's
// quantiser for the first palette, k-means refinement, then mapping with error diffusion.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/Image.h"

namespace brae {

struct WeightedColor {
  Rgb color;
  uint32_t weight = 0;
};

// The distinct colours of the pixels whose alpha is not 0, ordered by the number of pixels
// using each (fewest first); each weight is that number, capped at 1.5 × the previous
// weight + 1.
std::vector<WeightedColor> BuildColorList(const uint8_t* rgba, size_t pixel_count);

// Wu's colour quantiser on 32 levels per channel: at most max_colors box means. Fewer when no
// box has any variance left to cut.
std::vector<Rgb> WuQuantize(const std::vector<WeightedColor>& colors, int max_colors);

// k-means passes until no colour changes entry (bounded by max_passes). Returns the passes run.
int RefinePalette(const std::vector<WeightedColor>& colors, std::vector<Rgb>* palette,
                  int max_passes = 200);

// The palette for a list of colours: the colours themselves when they fit, else Wu's palette
// refined by k-means. Never empty: a list without colours gives one black entry.
std::vector<Rgb> ChoosePalette(const std::vector<WeightedColor>& colors, int max_colors);

// Maps RGBA pixels to palette indices, rows top to bottom, spreading each pixel's error to the
// neighbours not yet visited. bytes_per_pixel is 1 (index) or 2 (alpha, then index).
void MapWithDiffusion(const uint8_t* rgba, int width, int height, const std::vector<Rgb>& palette,
                      int bytes_per_pixel, uint8_t* out);

// Nearest palette entry by squared RGB distance; the first entry of the smallest distance wins.
// The colour cube is split into cells of 8 levels per channel; each cell, on first use, keeps
// the entries that can be nearest to some point inside it (those whose least distance to the
// cell is no more than the smallest greatest distance of any entry), so a search looks at a
// few entries only.
class NearestColor {
 public:
  explicit NearestColor(const std::vector<Rgb>& palette);
  int Find(int r, int g, int b, int* distance = nullptr) const {
    const size_t cell =
        (size_t(r >> kCellBits) * kCellsPerSide + size_t(g >> kCellBits)) * kCellsPerSide +
        size_t(b >> kCellBits);
    if (first_[cell] < 0) Build(cell);
    const Candidate* c = pool_.data() + first_[cell];
    const Candidate* end = c + count_[cell];
    // The least of distance × 65536 + entry: the first entry of the smallest distance, found
    // without a branch per candidate.
    int64_t best = int64_t(INT_MAX) << 16;
    for (; c != end; ++c) {
      const int dr = r - c->r, dg = g - c->g, db = b - c->b;
      best = std::min(best, int64_t(dr * dr + dg * dg + db * db) << 16 | c->index);
    }
    if (distance) *distance = int(best >> 16);
    return int(best & 0xFFFF);
  }

 private:
  static constexpr int kCellBits = 3;
  static constexpr int kCellsPerSide = 256 >> kCellBits;
  struct Candidate {
    int16_t r, g, b;
    uint16_t index;
  };
  void Build(size_t cell) const;

  std::vector<Rgb> palette_;
  // Built on first use: each cell's candidates lie at first_[cell] (-1 until built) in pool_.
  mutable std::vector<int32_t> first_;
  mutable std::vector<uint16_t> count_;
  mutable std::vector<Candidate> pool_;
};

}  // namespace brae
