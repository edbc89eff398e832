// Opening and indexing a large installation, polling the local folder, looking tags up.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "LargeInstallation.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"

namespace brae {
namespace {

constexpr int kArchives = 40;
constexpr int kTagsPerArchive = 2500;  // 100,000 tags in all

// A generated installation, written once per run: 40 add-ons of 2,500 tags each spread over
// every group, some tags shadowing others, plus a few local files.
const std::string& Installation() {
  static const std::string root =
      bench::WriteLargeInstallation("brae-bench-install", {kArchives, kTagsPerArchive, true, 20});
  return root;
}

void BM_LoadCodex(benchmark::State& state) {
  const std::string& root = Installation();
  for (auto _ : state) {
    // Only the load is timed: a fresh index each time, torn down outside the measurement.
    state.PauseTiming();
    auto codex = std::make_unique<Codex>();
    state.ResumeTiming();
    codex->LoadCodex(root);
    benchmark::DoNotOptimize(codex->ArchiveCount());
    state.PauseTiming();
    codex.reset();
    state.ResumeTiming();
  }
  const double tags = double(kArchives) * kTagsPerArchive;
  // Reported as seconds per tag (shown with an n suffix for nanoseconds).
  state.counters["per_tag"] = benchmark::Counter(
      tags, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadCodex)->Unit(benchmark::kMillisecond);

void BM_OpenArchivesOnly(benchmark::State& state) {
  const std::string& root = Installation();
  for (auto _ : state) {
    int tags = 0;
    for (int a = 0; a < kArchives; ++a) {
      auto archive =
          OpenArchive(root + (a < 4 ? "/tags/" : "/plugins/") + "archive" + std::to_string(a));
      tags += int(archive->instances.size());
    }
    benchmark::DoNotOptimize(tags);
  }
}
BENCHMARK(BM_OpenArchivesOnly)->Unit(benchmark::kMillisecond);

struct Loaded {
  Loaded() { codex.LoadCodex(Installation()); }
  Codex codex;
};
Loaded& LoadedCodex() {
  static Loaded loaded;
  return loaded;
}

void BM_PollNothingChanged(benchmark::State& state) {
  Codex& codex = LoadedCodex().codex;
  codex.PollLocalFolder(true);
  for (auto _ : state) codex.PollLocalFolder(false);
}
BENCHMARK(BM_PollNothingChanged);

void BM_ForcedPoll(benchmark::State& state) {
  Codex& codex = LoadedCodex().codex;
  for (auto _ : state) codex.PollLocalFolder(true);
}
BENCHMARK(BM_ForcedPoll)->Unit(benchmark::kMicrosecond);

void BM_FindTag(benchmark::State& state) {
  Codex& codex = LoadedCodex().codex;
  const TagGroup* groups = TagGroupTable();
  uint32_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(codex.FindTag(groups[i % kTagGroupCount].code, (i * 7919u) % 50000u));
    ++i;
  }
}
BENCHMARK(BM_FindTag);

void BM_ListTags(benchmark::State& state) {
  Codex& codex = LoadedCodex().codex;
  std::vector<TagRecord*> out;
  for (auto _ : state) {
    out.clear();
    codex.ListTags(&out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["records"] = double(out.size());
}
BENCHMARK(BM_ListTags)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
