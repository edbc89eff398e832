// Loading and saving a collection of 500 bitmaps (64 × 64, a mix of RAW and RLE, one and two
// bytes per pixel) with 50 sequences of 8 frames and 5 views.
#include <benchmark/benchmark.h>

#include "collection/CollectionFormat.h"

namespace brae {
namespace {

std::unique_ptr<Collection> MakeBigCollection() {
  auto c = std::make_unique<Collection>();
  c->name = "Bench";
  for (int i = 0; i < 256; ++i)
    c->palette[size_t(i)] = PaletteColor{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
  for (int n = 0; n < 500; ++n) {
    const uint16_t flags = uint16_t((n % 2 ? kBitmapRle : 0) | (n % 3 == 0 ? kBitmapTwoBytes : 0));
    auto b = CollectionBitmap::MakeIndexed("bitmap " + std::to_string(n), 64, 64, flags);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const int dx = x - 32, dy = y - 32;
        if (dx * dx + dy * dy > 30 * 30) continue;
        uint8_t* p = b->Pixel(x, y);
        p[0] = 255;
        p[1] = uint8_t(1 + (x * 3 + y * 5 + n) % 255);
      }
    }
    c->AddBitmap(std::move(b));
  }
  for (int s = 0; s < 50; ++s) {
    auto seq = std::make_unique<CollectionSequence>();
    seq->name = "sequence " + std::to_string(s);
    seq->Resize(8, 5);
    for (int f = 0; f < 8; ++f) {
      for (int v = 0; v < 5; ++v)
        seq->frames[size_t(f)].views[size_t(v)]->bitmap =
            c->BitmapAt(size_t((s * 10 + f + v) % 500));
    }
    c->AddSequence(std::move(seq));
  }
  return c;
}

const std::vector<uint8_t>& BigCollectionData() {
  static const std::vector<uint8_t> data = [] {
    std::vector<uint8_t> d;
    SaveCollection(*MakeBigCollection(), &d);
    return d;
  }();
  return data;
}

void BM_CollectionLoad500(benchmark::State& state) {
  const std::vector<uint8_t>& data = BigCollectionData();
  TagHeader header;
  for (auto _ : state) {
    Collection c;
    CollectionResult r =
        LoadCollection(data.data(), data.size(), header, CollectionLoadOptions(), &c);
    if (!r) state.SkipWithError(r.message.c_str());
    benchmark::DoNotOptimize(c.bitmaps.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  state.counters["tag_bytes"] = double(data.size());
}
BENCHMARK(BM_CollectionLoad500)->Unit(benchmark::kMillisecond);

void BM_CollectionLoadStructureOnly500(benchmark::State& state) {
  const std::vector<uint8_t>& data = BigCollectionData();
  CollectionLoadOptions options;
  options.with_pixels = false;
  for (auto _ : state) {
    Collection c;
    LoadCollection(data.data(), data.size(), TagHeader(), options, &c);
    benchmark::DoNotOptimize(c.bitmaps.data());
  }
}
BENCHMARK(BM_CollectionLoadStructureOnly500)->Unit(benchmark::kMicrosecond);

void BM_CollectionSave500(benchmark::State& state) {
  auto c = MakeBigCollection();
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    SaveCollection(*c, &out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}
BENCHMARK(BM_CollectionSave500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
