// The reference index over the 100,000-tag installation: the first full scan (every tag of a
// group that can hold references read once), and the questions asked afterwards.
#include <benchmark/benchmark.h>

#include <memory>

#include "LargeInstallation.h"
#include "editing/structdefs/StructRegistry.h"
#include "references/ReferenceIndex.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

constexpr int kArchives = 40;
constexpr int kTagsPerArchive = 2500;

struct Installation {
  Codex codex;
  StructRegistry registry;
  Installation() {
    demo::LargeGameShape shape{kArchives, kTagsPerArchive, true, 20};
    shape.references = true;
    codex.LoadCodex(bench::WriteLargeInstallation("brae-bench-references", shape));
    registry.AddDefinitionText(demo::LargeReferenceDefinitions());
    registry.BuildRegistry();
  }
};

Installation& TheInstallation() {
  static Installation* installation = new Installation();
  return *installation;
}

// A scanned index shared by the query benchmarks.
ReferenceIndex& ScannedIndex() {
  static ReferenceIndex* index = [] {
    Installation& i = TheInstallation();
    auto* built = new ReferenceIndex(i.codex, &i.registry);
    built->ScanAll();
    return built;
  }();
  return *index;
}

void BM_FullScan(benchmark::State& state) {
  Installation& installation = TheInstallation();
  size_t reads = 0;
  for (auto _ : state) {
    ReferenceIndex index(installation.codex, &installation.registry);
    index.ScanAll();
    reads = index.ReadCount();
    benchmark::DoNotOptimize(reads);
  }
  state.counters["tags_read"] = double(reads);
}
BENCHMARK(BM_FullScan)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UsagesQuery(benchmark::State& state) {
  ReferenceIndex& index = ScannedIndex();
  uint32_t id = 0;
  size_t found = 0;
  for (auto _ : state) {
    // Ids spread over the installation, each asked once per round.
    found += index.Usages({FourCC("soun"), (id * 7919u) % 50000u}).size();
    ++id;
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_UsagesQuery)->Unit(benchmark::kMicrosecond);

void BM_ReferencesQuery(benchmark::State& state) {
  ReferenceIndex& index = ScannedIndex();
  std::vector<TagRecord*> meshes;
  TheInstallation().codex.ListTagsOfGroup(FourCC("mesh"), &meshes);
  size_t i = 0, found = 0;
  for (auto _ : state) {
    TagRecord* r = meshes[i++ % meshes.size()];
    found += index.References({r->group, r->subgroup}).size();
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_ReferencesQuery)->Unit(benchmark::kMicrosecond);

// One tag saved locally: its entries are read again before the next usages question.
void BM_QueryAfterOneTagChanged(benchmark::State& state) {
  ReferenceIndex& index = ScannedIndex();
  std::vector<TagRecord*> collections;
  TheInstallation().codex.ListTagsOfGroup(FourCC(".256"), &collections);
  size_t i = 0, found = 0;
  for (auto _ : state) {
    TagRecord* r = collections[i++ % collections.size()];
    index.Invalidate({r->group, r->subgroup});
    found += index.Usages({FourCC("soun"), r->subgroup + 1}).size();
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_QueryAfterOneTagChanged)->Unit(benchmark::kMicrosecond);

void BM_BrokenReferences(benchmark::State& state) {
  ReferenceIndex& index = ScannedIndex();
  size_t broken = 0;
  for (auto _ : state) broken = index.BrokenReferences().size();
  state.counters["broken"] = double(broken);
}
BENCHMARK(BM_BrokenReferences)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
