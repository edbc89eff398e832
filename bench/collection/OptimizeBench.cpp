// The Optimize tab's operations over a collection of 5,000 bitmaps (64 × 64 RLE discs, one in
// five a copy of an earlier bitmap, one in a hundred fully transparent) placed by 200
// sequences of 8 frames and 5 views: merging identical bitmaps (goal: under 100 ms) and
// cropping every bitmap.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "collection/CollectionOptimize.h"

namespace brae {
namespace {

constexpr int kBitmaps = 5000;
constexpr int kSide = 64;

std::unique_ptr<Collection> MakeOptimizeCollection() {
  auto c = std::make_unique<Collection>();
  c->name = "Bench";
  for (int n = 0; n < kBitmaps; ++n) {
    if (n % 5 == 4) {
      // A copy of an earlier bitmap under another name.
      auto copy = std::make_unique<CollectionBitmap>(*c->bitmaps[size_t(n / 2)]);
      copy->name = "copy " + std::to_string(n);
      c->AddBitmap(std::move(copy));
      continue;
    }
    auto b = CollectionBitmap::MakeIndexed("bitmap " + std::to_string(n), kSide, kSide, kBitmapRle);
    const int radius = n % 100 == 7 ? 0 : 8 + n % 20;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const int dx = x - 32, dy = y - 32;
        if (dx * dx + dy * dy >= radius * radius) continue;
        uint8_t* p = b->Pixel(x, y);
        p[0] = 255;
        p[1] = uint8_t(1 + (x * 3 + y * 5 + n) % 255);
      }
    }
    c->AddBitmap(std::move(b));
  }
  for (int s = 0; s < 200; ++s) {
    auto seq = std::make_unique<CollectionSequence>();
    seq->name = "sequence " + std::to_string(s);
    seq->Resize(8, 5);
    for (int f = 0; f < 8; ++f)
      for (int v = 0; v < 5; ++v)
        seq->frames[size_t(f)].views[size_t(v)]->bitmap =
            c->BitmapAt(size_t((s * 25 + f * 5 + v) % kBitmaps));
    c->AddSequence(std::move(seq));
  }
  return c;
}

// Runs one operation per iteration on a freshly built collection (the build is not timed).
template <OperationResult (*Operation)(Collection*)>
void RunOnFreshCollection(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<Collection> c = MakeOptimizeCollection();
    state.ResumeTiming();
    OperationResult r = Operation(c.get());
    benchmark::DoNotOptimize(r.changed);
    state.PauseTiming();
    if (!r.changed) state.SkipWithError("nothing changed");
    c.reset();
    state.ResumeTiming();
  }
}

void BM_MergeIdentical5000(benchmark::State& state) {
  RunOnFreshCollection<MergeIdenticalBitmaps>(state);
}
BENCHMARK(BM_MergeIdentical5000)->Unit(benchmark::kMillisecond);

void BM_CropAll5000(benchmark::State& state) {
  RunOnFreshCollection<CropAllBitmaps>(state);
}
BENCHMARK(BM_CropAll5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
