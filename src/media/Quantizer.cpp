// Index
//   colour list ................ BuildColorList
//   Wu's quantiser ............. WuQuantize (moments, boxes, cuts)
//   nearest entry search ....... NearestColor
//   k-means .................... RefinePalette
//   error diffusion ............ MapWithDiffusion
#include "media/Quantizer.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace brae {

// ---------------------------------------------------------------------------------------------
// Colour list

namespace {

// Sorts keys (below 1 << bits) in place by least significant digits first, 12 bits at a time,
// through the scratch buffer; equal keys keep their order.
void RadixSort(std::vector<uint32_t>* keys, std::vector<uint32_t>* scratch, int bits,
               uint32_t (*key_of)(uint32_t, const void*), const void* context) {
  constexpr int kDigitBits = 12;
  constexpr size_t kDigits = size_t(1) << kDigitBits;
  scratch->resize(keys->size());
  std::vector<size_t> count(kDigits);
  for (int shift = 0; shift < bits; shift += kDigitBits) {
    std::fill(count.begin(), count.end(), 0);
    for (uint32_t v : *keys) ++count[(key_of(v, context) >> shift) & (kDigits - 1)];
    if (count[(key_of((*keys)[0], context) >> shift) & (kDigits - 1)] == keys->size()) {
      continue;  // one digit everywhere: nothing to reorder
    }
    size_t at = 0;
    for (size_t& c : count) {
      const size_t n = c;
      c = at;
      at += n;
    }
    for (uint32_t v : *keys) (*scratch)[count[(key_of(v, context) >> shift) & (kDigits - 1)]++] = v;
    keys->swap(*scratch);
  }
}

}  // namespace

// The pixels' colours are sorted as 24-bit numbers, counted in runs, and the distinct colours
// (in colour order) are then sorted stably by their counts; both sorts are radix sorts, which
// give the same order as comparison sorts (ascending, equal counts in colour order).
std::vector<WeightedColor> BuildColorList(const uint8_t* rgba, size_t pixel_count) {
  std::vector<uint32_t> keys, scratch;
  keys.reserve(pixel_count);
  for (size_t i = 0; i < pixel_count; ++i) {
    const uint8_t* p = rgba + 4 * i;
    if (p[3] != 0) keys.push_back((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
  }
  if (keys.empty()) return {};
  auto itself = [](uint32_t v, const void*) { return v; };
  RadixSort(&keys, &scratch, 24, itself, nullptr);
  std::vector<WeightedColor> distinct;
  uint32_t most = 0;
  for (size_t i = 0; i < keys.size();) {
    size_t j = i + 1;
    while (j < keys.size() && keys[j] == keys[i]) ++j;
    WeightedColor c;
    c.color = Rgb{uint8_t(keys[i] >> 16), uint8_t(keys[i] >> 8), uint8_t(keys[i])};
    c.weight = uint32_t(j - i);
    most = std::max(most, c.weight);
    distinct.push_back(c);
    i = j;
  }
  // Fewest pixels first; equal counts keep colour order, so the result is deterministic.
  std::vector<uint32_t> order(distinct.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = uint32_t(i);
  int bits = 0;
  while (bits < 32 && (most >> bits) != 0) ++bits;
  auto weight_of = [](uint32_t i, const void* list) {
    return static_cast<const WeightedColor*>(list)[i].weight;
  };
  RadixSort(&order, &scratch, bits, weight_of, distinct.data());
  std::vector<WeightedColor> list(distinct.size());
  for (size_t i = 0; i < order.size(); ++i) list[i] = distinct[order[i]];
  for (size_t i = 1; i < list.size(); ++i) {
    const uint64_t cap = (uint64_t(list[i - 1].weight) * 3) / 2 + 1;
    if (list[i].weight > cap) list[i].weight = uint32_t(cap);
  }
  return list;
}

// ---------------------------------------------------------------------------------------------
// Wu's quantiser

namespace {

constexpr int kLevels = 33;  // 32 levels per channel plus the zero plane of the running sums

struct Moments {
  std::vector<int64_t> w, r, g, b, sq;
  Moments() : w(Size()), r(Size()), g(Size()), b(Size()), sq(Size()) {}
  static size_t Size() { return size_t(kLevels) * kLevels * kLevels; }
  static size_t At(int ri, int gi, int bi) {
    return (size_t(ri) * kLevels + size_t(gi)) * kLevels + size_t(bi);
  }
};

struct Box {
  int r0, r1, g0, g1, b0, b1;  // lower bounds exclusive, upper bounds inclusive
  int64_t volume;
};

enum Axis { kRed, kGreen, kBlue };

void Accumulate(std::vector<int64_t>& m) {
  for (int r = 1; r < kLevels; ++r) {
    int64_t area[kLevels] = {};
    for (int g = 1; g < kLevels; ++g) {
      int64_t line = 0;
      for (int b = 1; b < kLevels; ++b) {
        line += m[Moments::At(r, g, b)];
        area[b] += line;
        m[Moments::At(r, g, b)] = m[Moments::At(r - 1, g, b)] + area[b];
      }
    }
  }
}

int64_t Volume(const Box& c, const std::vector<int64_t>& m) {
  return m[Moments::At(c.r1, c.g1, c.b1)] - m[Moments::At(c.r1, c.g1, c.b0)] -
         m[Moments::At(c.r1, c.g0, c.b1)] + m[Moments::At(c.r1, c.g0, c.b0)] -
         m[Moments::At(c.r0, c.g1, c.b1)] + m[Moments::At(c.r0, c.g1, c.b0)] +
         m[Moments::At(c.r0, c.g0, c.b1)] - m[Moments::At(c.r0, c.g0, c.b0)];
}

// The part of a box's sum that does not depend on the cut position.
int64_t Bottom(const Box& c, Axis axis, const std::vector<int64_t>& m) {
  switch (axis) {
    case kRed:
      return -m[Moments::At(c.r0, c.g1, c.b1)] + m[Moments::At(c.r0, c.g1, c.b0)] +
             m[Moments::At(c.r0, c.g0, c.b1)] - m[Moments::At(c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[Moments::At(c.r1, c.g0, c.b1)] + m[Moments::At(c.r1, c.g0, c.b0)] +
             m[Moments::At(c.r0, c.g0, c.b1)] - m[Moments::At(c.r0, c.g0, c.b0)];
    case kBlue:
      return -m[Moments::At(c.r1, c.g1, c.b0)] + m[Moments::At(c.r1, c.g0, c.b0)] +
             m[Moments::At(c.r0, c.g1, c.b0)] - m[Moments::At(c.r0, c.g0, c.b0)];
  }
  return 0;
}

// The part of a box's sum below the plane at pos.
int64_t Top(const Box& c, Axis axis, int pos, const std::vector<int64_t>& m) {
  switch (axis) {
    case kRed:
      return m[Moments::At(pos, c.g1, c.b1)] - m[Moments::At(pos, c.g1, c.b0)] -
             m[Moments::At(pos, c.g0, c.b1)] + m[Moments::At(pos, c.g0, c.b0)];
    case kGreen:
      return m[Moments::At(c.r1, pos, c.b1)] - m[Moments::At(c.r1, pos, c.b0)] -
             m[Moments::At(c.r0, pos, c.b1)] + m[Moments::At(c.r0, pos, c.b0)];
    case kBlue:
      return m[Moments::At(c.r1, c.g1, pos)] - m[Moments::At(c.r1, c.g0, pos)] -
             m[Moments::At(c.r0, c.g1, pos)] + m[Moments::At(c.r0, c.g0, pos)];
  }
  return 0;
}

double Variance(const Box& c, const Moments& m) {
  const double dr = double(Volume(c, m.r));
  const double dg = double(Volume(c, m.g));
  const double db = double(Volume(c, m.b));
  const double w = double(Volume(c, m.w));
  if (w <= 0) return 0;
  return double(Volume(c, m.sq)) - (dr * dr + dg * dg + db * db) / w;
}

struct Sums {
  int64_t r, g, b, w;
};

double SplitScore(const Sums& s) {
  return (double(s.r) * double(s.r) + double(s.g) * double(s.g) + double(s.b) * double(s.b)) /
         double(s.w);
}

// The best plane along one axis: the greatest sum of the two halves' squared-mean terms.
double Maximize(const Box& c, Axis axis, int first, int last, int* cut, const Sums& whole,
                const Moments& m) {
  const Sums base{Bottom(c, axis, m.r), Bottom(c, axis, m.g), Bottom(c, axis, m.b),
                  Bottom(c, axis, m.w)};
  double best = 0;
  *cut = -1;
  for (int i = first; i < last; ++i) {
    Sums half{base.r + Top(c, axis, i, m.r), base.g + Top(c, axis, i, m.g),
              base.b + Top(c, axis, i, m.b), base.w + Top(c, axis, i, m.w)};
    if (half.w == 0) continue;
    double score = SplitScore(half);
    Sums rest{whole.r - half.r, whole.g - half.g, whole.b - half.b, whole.w - half.w};
    if (rest.w == 0) continue;
    score += SplitScore(rest);
    if (score > best) {
      best = score;
      *cut = i;
    }
  }
  return best;
}

int64_t BoxVolume(const Box& c) {
  return int64_t(c.r1 - c.r0) * (c.g1 - c.g0) * (c.b1 - c.b0);
}

bool CutBox(Box* a, Box* b, const Moments& m) {
  const Sums whole{Volume(*a, m.r), Volume(*a, m.g), Volume(*a, m.b), Volume(*a, m.w)};
  int cut_r, cut_g, cut_b;
  const double max_r = Maximize(*a, kRed, a->r0 + 1, a->r1, &cut_r, whole, m);
  const double max_g = Maximize(*a, kGreen, a->g0 + 1, a->g1, &cut_g, whole, m);
  const double max_b = Maximize(*a, kBlue, a->b0 + 1, a->b1, &cut_b, whole, m);
  Axis axis;
  if (max_r >= max_g && max_r >= max_b) {
    axis = kRed;
    if (cut_r < 0) return false;  // no plane separates any weight
  } else if (max_g >= max_r && max_g >= max_b) {
    axis = kGreen;
  } else {
    axis = kBlue;
  }
  *b = *a;
  switch (axis) {
    case kRed:
      b->r0 = a->r1 = cut_r;
      break;
    case kGreen:
      b->g0 = a->g1 = cut_g;
      break;
    case kBlue:
      b->b0 = a->b1 = cut_b;
      break;
  }
  a->volume = BoxVolume(*a);
  b->volume = BoxVolume(*b);
  return true;
}

}  // namespace

std::vector<Rgb> WuQuantize(const std::vector<WeightedColor>& colors, int max_colors) {
  if (colors.empty() || max_colors < 1) return {};
  Moments m;
  for (const WeightedColor& c : colors) {
    const size_t at = Moments::At((c.color.r >> 3) + 1, (c.color.g >> 3) + 1, (c.color.b >> 3) + 1);
    const int64_t w = c.weight;
    m.w[at] += w;
    m.r[at] += w * c.color.r;
    m.g[at] += w * c.color.g;
    m.b[at] += w * c.color.b;
    m.sq[at] += w * (int64_t(c.color.r) * c.color.r + int64_t(c.color.g) * c.color.g +
                     int64_t(c.color.b) * c.color.b);
  }
  for (auto* moment : {&m.w, &m.r, &m.g, &m.b, &m.sq}) Accumulate(*moment);

  std::vector<Box> boxes(static_cast<size_t>(max_colors));
  std::vector<double> variance(size_t(max_colors), 0.0);
  boxes[0] = Box{0, kLevels - 1, 0, kLevels - 1, 0, kLevels - 1, 0};
  boxes[0].volume = BoxVolume(boxes[0]);
  int count = max_colors;
  int next = 0;
  for (int i = 1; i < max_colors; ++i) {
    if (CutBox(&boxes[size_t(next)], &boxes[size_t(i)], m)) {
      variance[size_t(next)] =
          boxes[size_t(next)].volume > 1 ? Variance(boxes[size_t(next)], m) : 0;
      variance[size_t(i)] = boxes[size_t(i)].volume > 1 ? Variance(boxes[size_t(i)], m) : 0;
    } else {
      variance[size_t(next)] = 0;  // this box cannot be cut; try the next best one
      --i;
    }
    next = 0;
    double best = variance[0];
    for (int k = 1; k <= i; ++k) {
      if (variance[size_t(k)] > best) {
        best = variance[size_t(k)];
        next = k;
      }
    }
    if (best <= 0) {
      count = i + 1;
      break;
    }
  }

  std::vector<Rgb> palette;
  for (int k = 0; k < count; ++k) {
    const Box& c = boxes[size_t(k)];
    const int64_t w = Volume(c, m.w);
    if (w <= 0) {
      palette.push_back(Rgb{});
      continue;
    }
    palette.push_back(
        Rgb{uint8_t(Volume(c, m.r) / w), uint8_t(Volume(c, m.g) / w), uint8_t(Volume(c, m.b) / w)});
  }
  return palette;
}

// ---------------------------------------------------------------------------------------------
// Nearest entry search

namespace {

// Least and greatest squared distance along one channel from v to the span [lo, hi].
inline void SpanDistances(int v, int lo, int hi, int* least, int* greatest) {
  const int below = v < lo ? lo - v : v > hi ? v - hi : 0;
  const int far = std::max(std::abs(v - lo), std::abs(v - hi));
  *least = below * below;
  *greatest = far * far;
}

}  // namespace

NearestColor::Cells::Cells(int bits)
    : first(size_t(1) << (3 * (8 - bits)), -1), count(first.size(), 0) {}

NearestColor::NearestColor(const std::vector<Rgb>& palette)
    : cells_(kCellBits), outer_(kOuterBits) {
  for (size_t i = 0; i < palette.size(); ++i) {
    const Rgb& e = palette[i];
    all_.push_back(Candidate{int16_t(e.r), int16_t(e.g), int16_t(e.b), uint16_t(i)});
  }
}

void NearestColor::Build(int r, int g, int b) const {
  const size_t outer = CellAt(r, g, b, kOuterBits);
  if (outer_.first[outer] < 0) Choose(r, g, b, kOuterBits, -1, all_.size(), &outer_);
  Choose(r, g, b, kCellBits, outer_.first[outer], outer_.count[outer], &cells_);
}

void NearestColor::Choose(int r, int g, int b, int bits, int32_t from, size_t count,
                          Cells* cells) const {
  const int span = (1 << bits) - 1;
  const int lo[3] = {r >> bits << bits, g >> bits << bits, b >> bits << bits};
  // Copied, as pool_ grows below.
  std::vector<Candidate> source(from < 0 ? all_.data() : pool_.data() + from,
                                (from < 0 ? all_.data() : pool_.data() + from) + count);
  std::vector<int> least(source.size());
  int bound = INT_MAX;
  for (size_t i = 0; i < source.size(); ++i) {
    const int v[3] = {source[i].r, source[i].g, source[i].b};
    int sum_least = 0, sum_greatest = 0;
    for (int c = 0; c < 3; ++c) {
      int l, g2;
      SpanDistances(v[c], lo[c], lo[c] + span, &l, &g2);
      sum_least += l;
      sum_greatest += g2;
    }
    least[i] = sum_least;
    bound = std::min(bound, sum_greatest);
  }
  const size_t cell = CellAt(r, g, b, bits);
  cells->first[cell] = int32_t(pool_.size());
  for (size_t i = 0; i < source.size(); ++i) {
    if (least[i] <= bound) pool_.push_back(source[i]);
  }
  cells->count[cell] = uint16_t(pool_.size() - size_t(cells->first[cell]));
}

// ---------------------------------------------------------------------------------------------
// k-means

namespace {

int SquaredDistance(const Rgb& a, const Rgb& b) {
  const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

// Gives every entry without colours one colour of the entry holding the most colours (never
// its last one): the colour lying farthest from that entry. Returns the colours moved.
size_t FillEmptyEntries(const std::vector<WeightedColor>& colors,
                        const std::vector<Rgb>& old_palette, std::vector<int>* assignment,
                        std::vector<size_t>* members, std::vector<Rgb>* palette) {
  const size_t k = palette->size();
  size_t moved = 0;
  for (size_t e = 0; e < k; ++e) {
    if ((*members)[e] != 0) continue;
    size_t donor = 0;
    for (size_t d = 1; d < k; ++d) {
      if ((*members)[d] > (*members)[donor]) donor = d;
    }
    if ((*members)[donor] <= 1) break;  // nobody can give a colour away
    size_t farthest = colors.size();
    int farthest_distance = -1;
    for (size_t c = 0; c < colors.size(); ++c) {
      if ((*assignment)[c] != int(donor)) continue;
      const int d = SquaredDistance(colors[c].color, old_palette[donor]);
      if (d > farthest_distance) {
        farthest_distance = d;
        farthest = c;
      }
    }
    (*assignment)[farthest] = int(e);
    --(*members)[donor];
    (*members)[e] = 1;
    (*palette)[e] = colors[farthest].color;
    ++moved;
  }
  return moved;
}

}  // namespace

namespace {

// k-means works on cells of 16 levels per channel: the colours are grouped by cell once, and
// each pass looks at the palette cell by cell.
constexpr int kPassCellBits = 4;
constexpr int kPassCellsPerSide = 256 >> kPassCellBits;
constexpr int kPassCellSpan = (1 << kPassCellBits) - 1;

size_t PassCellOf(const Rgb& c) {
  return (size_t(c.r >> kPassCellBits) * kPassCellsPerSide + size_t(c.g >> kPassCellBits)) *
             kPassCellsPerSide +
         size_t(c.b >> kPassCellBits);
}

// Least squared distance from an entry to any point of the cell whose lowest corner is lo.
int LeastToCell(const Rgb& e, const int lo[3]) {
  const int v[3] = {e.r, e.g, e.b};
  int sum = 0;
  for (int c = 0; c < 3; ++c) {
    int least, greatest;
    SpanDistances(v[c], lo[c], lo[c] + kPassCellSpan, &least, &greatest);
    sum += least;
  }
  return sum;
}

// The entries that can be nearest to a point of the cell, in entry order (as NearestColor keeps
// them), and a bound: every other entry lies farther than bound from every point of the cell.
void CellCandidates(const std::vector<Rgb>& palette, const int lo[3], std::vector<int>* least,
                    std::vector<uint16_t>* candidates, int* bound) {
  least->resize(palette.size());
  *bound = INT_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int v[3] = {palette[i].r, palette[i].g, palette[i].b};
    int sum_least = 0, sum_greatest = 0;
    for (int c = 0; c < 3; ++c) {
      int l, g2;
      SpanDistances(v[c], lo[c], lo[c] + kPassCellSpan, &l, &g2);
      sum_least += l;
      sum_greatest += g2;
    }
    (*least)[i] = sum_least;
    *bound = std::min(*bound, sum_greatest);
  }
  candidates->clear();
  for (size_t i = 0; i < palette.size(); ++i) {
    if ((*least)[i] <= *bound) candidates->push_back(uint16_t(i));
  }
}

// Squared distance and entry in one number that orders by distance, then by entry: the smaller
// of two keys belongs to the entry that wins.
using Rank = int64_t;
constexpr Rank kNoRank = INT64_MAX;
inline Rank RankKey(int squared_distance, int entry) {
  return Rank(squared_distance) << 16 | Rank(entry);
}
inline int RankedEntry(Rank key) {
  return int(key & 0xFFFF);
}

// Entry sums of the colours assigned to each entry.
struct EntrySums {
  std::vector<int64_t> r, g, b, weight;
  std::vector<size_t> members;
  explicit EntrySums(size_t k) : r(k), g(k), b(k), weight(k), members(k) {}
  void Add(size_t e, const WeightedColor& c, bool remove) {
    const int64_t w = remove ? -int64_t(c.weight) : int64_t(c.weight);
    r[e] += w * c.color.r;
    g[e] += w * c.color.g;
    b[e] += w * c.color.b;
    weight[e] += w;
    members[e] = remove ? members[e] - 1 : members[e] + 1;
  }
};

}  // namespace

// Every pass needs each colour's nearest entry, but from one pass to the next most entries stay
// where they are and most colours keep their entry. So each colour carries what the last pass
// learnt: its nearest entry and a bound below which no other entry ranks, ranks being RankKeys
// (distance, then entry number, so that ties fall as in a full search). An entry that has not
// moved ranks as it did, so only the colour's own entry and the entries that moved can change
// the answer, and of those only the ones that may rank below the bound (judged per cell first).
// When the best of these ranks below the bound, it is the nearest of all; otherwise the
// colour's cell candidates are searched, which also renews the bound. All of it is integer
// arithmetic, and the result is exactly that of a full search. The entry sums follow the
// assignments colour by colour.
int RefinePalette(const std::vector<WeightedColor>& colors, std::vector<Rgb>* palette,
                  int max_passes) {
  const size_t k = palette->size();
  if (k == 0 || colors.empty()) return 0;
  const size_t n = colors.size();

  // The colours grouped by cell: order[p] is the colour at place p.
  struct Run {
    size_t cell, begin, end;
  };
  std::vector<uint32_t> order(n);
  std::vector<Run> runs;
  {
    std::vector<uint32_t> starts(size_t(kPassCellsPerSide) * kPassCellsPerSide * kPassCellsPerSide +
                                 1);
    for (const WeightedColor& c : colors) ++starts[PassCellOf(c.color) + 1];
    for (size_t i = 1; i < starts.size(); ++i) {
      if (starts[i] != 0) runs.push_back({i - 1, starts[i - 1], starts[i - 1] + starts[i]});
      starts[i] += starts[i - 1];
    }
    for (size_t c = 0; c < n; ++c) order[starts[PassCellOf(colors[c].color)]++] = uint32_t(c);
  }
  std::vector<Rgb> placed(n);
  for (size_t p = 0; p < n; ++p) placed[p] = colors[order[p]].color;

  std::vector<int> assigned(n, -1);  // by place: the entry the colour counts for
  std::vector<int> nearest(n, -1);   // by place: the nearest entry found in the last pass
  std::vector<Rank> bound(n, 0);     // by place: every other entry's RankKey is at least this
  std::vector<Rank> run_bound(runs.size(), 0);                  // the greatest bound in each run
  std::vector<std::vector<uint16_t>> run_entries(runs.size());  // nearest entries in each run
  std::vector<size_t> seen(k, 0);  // the listing that last took each entry
  size_t listing = 0;
  bool assignments_changed = true;  // outside the search, so every run must be looked at
  std::vector<Rgb> searched;        // the palette of the last pass
  std::vector<uint8_t> entry_moved(k);
  std::vector<uint16_t> moved, candidates;
  std::vector<std::pair<Rank, uint16_t>> near_moved;  // (RankKey of the least distance, entry)
  std::vector<int> least;
  EntrySums sums(k);
  int passes = 0;
  while (passes < max_passes) {
    ++passes;
    const std::vector<Rgb>& pal = *palette;
    moved.clear();
    for (size_t e = 0; e < k; ++e) {
      entry_moved[e] = searched.empty() || pal[e] != searched[e];
      if (entry_moved[e]) moved.push_back(uint16_t(e));
    }
    size_t changed = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
      const Run& run = runs[r];
      const int lo[3] = {int(run.cell / (kPassCellsPerSide * kPassCellsPerSide)) << kPassCellBits,
                         int(run.cell / kPassCellsPerSide % kPassCellsPerSide) << kPassCellBits,
                         int(run.cell % kPassCellsPerSide) << kPassCellBits};
      near_moved.clear();
      for (uint16_t e : moved) {
        const Rank least_key = RankKey(LeastToCell(pal[e], lo), e);
        if (least_key < run_bound[r]) near_moved.push_back({least_key, e});
      }
      if (near_moved.empty() && !assignments_changed) {
        bool any_moved = false;
        for (uint16_t e : run_entries[r]) any_moved = any_moved || entry_moved[e];
        if (!any_moved) continue;  // nothing in this cell can have changed
      }
      run_entries[r].clear();
      ++listing;
      bool have_candidates = false;
      int cell_bound = 0;
      Rank greatest_bound = 0;
      for (size_t p = run.begin; p < run.end; ++p) {
        int entry = nearest[p];
        // When neither the colour's entry nor any entry that might come nearer moved, the
        // answer and the bound stand.
        if (entry < 0 || entry_moved[size_t(entry)] || !near_moved.empty()) {
          const Rgb& col = placed[p];
          if (entry >= 0) {
            const Rank limit = bound[p];
            Rank best = RankKey(SquaredDistance(col, pal[size_t(entry)]), entry), second = kNoRank;
            for (const auto& [least_key, e] : near_moved) {
              if (least_key >= limit || e == entry) continue;
              const Rank key = RankKey(SquaredDistance(col, pal[e]), e);
              if (key < best) {
                second = best;
                best = key;
              } else if (key < second) {
                second = key;
              }
            }
            if (best < limit) {
              entry = RankedEntry(best);
              bound[p] = std::min(limit, second);
            } else {
              entry = -1;
            }
          }
          if (entry < 0) {
            if (!have_candidates) {
              CellCandidates(pal, lo, &least, &candidates, &cell_bound);
              have_candidates = true;
            }
            Rank best = kNoRank, second = kNoRank;
            for (uint16_t i : candidates) {
              const Rank key = RankKey(SquaredDistance(col, pal[i]), i);
              if (key < best) {
                second = best;
                best = key;
              } else if (key < second) {
                second = key;
              }
            }
            entry = RankedEntry(best);
            bound[p] = std::min(second, RankKey(cell_bound + 1, 0));
          }
          nearest[p] = entry;
        }
        greatest_bound = std::max(greatest_bound, bound[p]);
        if (seen[size_t(entry)] != listing) {
          seen[size_t(entry)] = listing;
          run_entries[r].push_back(uint16_t(entry));
        }
        if (entry != assigned[p]) {
          const WeightedColor& c = colors[order[p]];
          if (assigned[p] >= 0) sums.Add(size_t(assigned[p]), c, true);
          sums.Add(size_t(entry), c, false);
          assigned[p] = entry;
          ++changed;
        }
      }
      run_bound[r] = greatest_bound;
    }
    assignments_changed = false;

    searched = *palette;
    for (size_t e = 0; e < k; ++e) {
      const int64_t w = sums.weight[e];
      if (w == 0) continue;
      (*palette)[e] = Rgb{uint8_t((sums.r[e] + w / 2) / w), uint8_t((sums.g[e] + w / 2) / w),
                          uint8_t((sums.b[e] + w / 2) / w)};
    }
    // Entries are means of their current colours; a pass that moved nothing is the last.
    if (std::find(sums.members.begin(), sums.members.end(), 0) != sums.members.end()) {
      std::vector<int> assignment(n);  // by colour, as FillEmptyEntries looks at them
      for (size_t p = 0; p < n; ++p) assignment[order[p]] = assigned[p];
      std::vector<size_t> members = sums.members;
      const size_t refilled = FillEmptyEntries(colors, searched, &assignment, &members, palette);
      if (refilled > 0) {
        assignments_changed = true;
        sums = EntrySums(k);
        for (size_t p = 0; p < n; ++p) {
          assigned[p] = assignment[order[p]];
          sums.Add(size_t(assigned[p]), colors[order[p]], false);
        }
      }
      changed += refilled;
    }
    if (changed == 0) break;
  }
  return passes;
}

std::vector<Rgb> ChoosePalette(const std::vector<WeightedColor>& colors, int max_colors) {
  std::vector<Rgb> palette;
  if (colors.empty()) return {Rgb{}};
  if (int(colors.size()) <= max_colors) {
    for (const WeightedColor& c : colors) palette.push_back(c.color);
    return palette;
  }
  palette = WuQuantize(colors, max_colors);
  RefinePalette(colors, &palette);
  return palette;
}

// ---------------------------------------------------------------------------------------------
// Error diffusion

namespace {

// Adds part of an error to one channel of a neighbour, keeping it within 0..255.
inline void Spread(int* channel, int error, int weight) {
  const int v = *channel + error * weight / 64;
  *channel = v < 0 ? 0 : v > 255 ? 255 : v;
}

void LoadRow(const uint8_t* rgba, int width, int y, int* row) {
  const uint8_t* p = rgba + size_t(y) * size_t(width) * 4;
  for (int x = 0; x < width; ++x) {
    row[3 * x] = p[4 * x];
    row[3 * x + 1] = p[4 * x + 1];
    row[3 * x + 2] = p[4 * x + 2];
  }
}

}  // namespace

void MapWithDiffusion(const uint8_t* rgba, int width, int height, const std::vector<Rgb>& palette,
                      int bytes_per_pixel, uint8_t* out) {
  if (width <= 0 || height <= 0 || palette.empty()) return;
  MapWithDiffusion(rgba, width, height, palette, NearestColor(palette), bytes_per_pixel, out);
}

void MapWithDiffusion(const uint8_t* rgba, int width, int height, const std::vector<Rgb>& palette,
                      const NearestColor& nearest, int bytes_per_pixel, uint8_t* out) {
  if (width <= 0 || height <= 0 || palette.empty()) return;
  // Two rows of width + 2 pixels: the spare pixel at each end takes the shares that fall
  // outside the picture, and the row below the last one is never read, so no spread needs a
  // test.
  const size_t row_ints = (size_t(width) + 2) * 3;
  std::vector<int> current(row_ints), below(row_ints);
  LoadRow(rgba, width, 0, current.data() + 3);
  for (int y = 0; y < height; ++y) {
    if (y + 1 < height) LoadRow(rgba, width, y + 1, below.data() + 3);
    int* px = current.data() + 3;
    int* down = below.data() + 3;
    const size_t row_at = size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x, px += 3, down += 3) {
      const int index = nearest.Find(px[0], px[1], px[2]);
      const Rgb& e = palette[size_t(index)];
      const int error[3] = {px[0] - e.r, px[1] - e.g, px[2] - e.b};
      for (int ch = 0; ch < 3; ++ch) {
        Spread(&px[3 + ch], error[ch], 21);
        Spread(&down[ch - 3], error[ch], 9);
        Spread(&down[ch], error[ch], 15);
        Spread(&down[3 + ch], error[ch], 3);
      }
      const size_t at = row_at + size_t(x);
      if (bytes_per_pixel == 2) {
        out[2 * at] = rgba[4 * at + 3];
        out[2 * at + 1] = uint8_t(index);
      } else {
        out[at] = uint8_t(index);
      }
    }
    std::swap(current, below);
  }
}

}  // namespace brae
