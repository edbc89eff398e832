#pragma once
// Reduction of RGBA pixels to a palette of at most 256 colours: a weighted colour list, Wu's
// quantiser for the first palette, k-means refinement, then mapping with error diffusion.
// Entries are numbered in 16 bits, so the functions taking a palette accept up to 65535 entries.

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

// Nearest palette entry by squared RGB distance; the first entry of the smallest distance wins.
// The colour cube is split into cells of 4 levels per channel; each cell, on first use, keeps
// the entries that can be nearest to some point inside it (those whose least distance to the
// cell is no more than the smallest greatest distance of any entry), so a search looks at a
// few entries only. A cell picks its entries from those of the larger cell (16 levels) around
// it, which is built the same way from the whole palette.
class NearestColor {
 public:
  explicit NearestColor(const std::vector<Rgb>& palette);
  int Find(int r, int g, int b, int* distance = nullptr) const {
    const size_t cell = CellAt(r, g, b, kCellBits);
    if (cells_.first[cell] < 0) Build(r, g, b);
    const Candidate* c = pool_.data() + cells_.first[cell];
    const Candidate* end = c + cells_.count[cell];
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
  static constexpr int kCellBits = 2;
  static constexpr int kOuterBits = 4;
  struct Candidate {
    int16_t r, g, b;
    uint16_t index;
  };
  // Where each cell's candidates lie in pool_: first (-1 until built) and count.
  struct Cells {
    std::vector<int32_t> first;
    std::vector<uint16_t> count;
    explicit Cells(int bits);
  };
  static size_t CellAt(int r, int g, int b, int bits) {
    const int side = 256 >> bits;
    return (size_t(r >> bits) * size_t(side) + size_t(g >> bits)) * size_t(side) +
           size_t(b >> bits);
  }
  void Build(int r, int g, int b) const;
  // Appends the candidates of the cell of the given size around (r, g, b), chosen from
  // pool_[from, from + count) (or from all_ when from is -1), to pool_.
  void Choose(int r, int g, int b, int bits, int32_t from, size_t count, Cells* cells) const;

  std::vector<Candidate> all_;  // the whole palette
  mutable Cells cells_, outer_;
  mutable std::vector<Candidate> pool_;
};

// Maps RGBA pixels to palette indices, rows top to bottom, spreading each pixel's error to the
// neighbours not yet visited. bytes_per_pixel is 1 (index) or 2 (alpha, then index).
void MapWithDiffusion(const uint8_t* rgba, int width, int height, const std::vector<Rgb>& palette,
                      int bytes_per_pixel, uint8_t* out);
// The same with a search made for the palette: many pictures mapped to one palette share it, so
// its cells are built once for all of them.
void MapWithDiffusion(const uint8_t* rgba, int width, int height, const std::vector<Rgb>& palette,
                      const NearestColor& nearest, int bytes_per_pixel, uint8_t* out);

}  // namespace brae
