// The cost of one snapshot of an unsaved editor on the main thread (goal: under 20 ms each):
// the editor's data written as its save writes it into a temporary file. The sync and rename
// that follow run on the committer's thread; their time is the "commit_ms" counter. The largest
// demo collection, the detail map of a 16 x 16-chunk terrain (512 x 512 vertices, as the mesh
// editor benchmark builds it) and a record of a 300-member form.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FieldLayout.h"
#include "tagstore/FileStream.h"
#include "tagstore/Snapshot.h"
#include "terrain/DetailMap.h"

namespace brae {
namespace {

std::string SnapshotPath() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() / "brae-bench-snapshots";
    std::filesystem::create_directories(dir);
    return (dir / "bench.snap").string();
  }();
  return path;
}

void Snapshot(benchmark::State& state, uint32_t group, const SnapshotDataWriter& write) {
  SnapshotInfo info;
  info.group = info.editor_group = group;
  info.subgroup = info.editor_subgroup = 0x62656e63;  // 'benc'
  info.name = info.editor_name = "Bench";
  info.game_folder = "/games/bench/";
  double commit_seconds = 0;
  for (auto _ : state) {
    std::string temp;
    if (!WriteSnapshotTemp(SnapshotPath(), info, write, &temp, nullptr)) {
      state.SkipWithError("write");
      break;
    }
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    if (!CommitSnapshotFile(temp, SnapshotPath(), nullptr)) state.SkipWithError("commit");
    commit_seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.ResumeTiming();
  }
  state.counters["commit_ms"] =
      1000 * commit_seconds / double(std::max<int64_t>(1, state.iterations()));
  state.counters["bytes"] = double(std::filesystem::file_size(SnapshotPath()));
}

void BM_SnapshotOfTheLargestDemoCollection(benchmark::State& state) {
  const demo::DemoTag* largest = nullptr;
  const std::vector<demo::DemoTag> tags = demo::DemoCollectionTags();
  for (const demo::DemoTag& t : tags)
    if (!largest || t.data.size() > largest->data.size()) largest = &t;
  TagHeader header;
  header.size = uint32_t(largest->data.size());
  header.version = largest->version;
  Collection collection;
  if (!LoadCollection(largest->data.data(), largest->data.size(), header, {}, &collection))
    return state.SkipWithError("the demo collection does not load");
  Snapshot(state, FourCC(".256"), [&](FileStream& stream, TagHeader& h) {
    return bool(WriteCollection(stream, collection, &h));
  });
  state.SetLabel(largest->name);
}
BENCHMARK(BM_SnapshotOfTheLargestDemoCollection)->Unit(benchmark::kMillisecond);

void BM_SnapshotOfA16x16ChunkDetailMap(benchmark::State& state) {
  constexpr int kSide = 32 * 16;
  DetailMap map = CreateBlankDetailMap(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      map.vertex_details[size_t(y) * kSide + x] = uint8_t(1 + ((x / 7 + y / 5) % 3));
  Snapshot(state, FourCC("dmap"), [&](FileStream& stream, TagHeader& h) {
    const size_t size = WriteDetailMap(map, stream, &h);
    h.size = uint32_t(size);
    return size != 0;
  });
}
BENCHMARK(BM_SnapshotOfA16x16ChunkDetailMap)->Unit(benchmark::kMillisecond);

void BM_SnapshotOfA300MemberForm(benchmark::State& state) {
  StructRegistry& registry = TheStructRegistry();
  registry.Clear();
  registry.AddDefinitionText(demo::LargeFormDefinitionText("part", 300, 20));
  registry.BuildRegistry();
  const StructDefinition* definition = registry.FindStructDefinition("part");
  std::vector<uint8_t> record(definition->Size(), 0);
  Snapshot(state, FourCC("part"), [&](FileStream& stream, TagHeader& h) {
    std::vector<uint8_t> file(definition->Size());
    ConvertToFile(record.data(), file.data(), 1, definition->FieldDescription());
    h.size = uint32_t(file.size());
    return stream.Write(file.data(), file.size());
  });
  registry.Clear();
}
BENCHMARK(BM_SnapshotOfA300MemberForm)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
