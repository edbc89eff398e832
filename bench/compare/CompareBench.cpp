// addon-diff's comparison over the 100,000-tag installation: an add-on of 2,500 tags, each
// overriding a tag of one of the installation's add-ons (half of them changed), compared with
// the copies it overrides.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "compare/CopyDiff.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

constexpr int kTagsPerArchive = 2500;

struct Installation {
  Codex codex;
  StructRegistry registry;
  const ArchiveRecord* update = nullptr;
  Installation() {
    demo::LargeGameShape shape;
    shape.references = true;
    demo::DemoGame game = demo::MakeLargeGame(shape);
    demo::DemoArchive& update = game.Archive("plugins", "update", 6, 1000);
    const demo::DemoArchive& source = game.Archives()[10];
    for (int t = 0; t < kTagsPerArchive; ++t) {
      demo::DemoTag tag = source.tags[size_t(t)];
      if (t % 2 && !tag.data.empty()) tag.data.back() ^= 1;
      update.tags.push_back(tag);
    }
    const std::string dir =
        (std::filesystem::temp_directory_path() / "brae-bench-addon-diff").string();
    std::filesystem::remove_all(dir);
    if (!game.Write(dir)) std::abort();
    codex.LoadCodex(dir);
    registry.AddDefinitionText(demo::LargeReferenceDefinitions());
    registry.BuildRegistry();
    for (size_t i = 0; i < codex.ArchiveCount(); ++i)
      if (codex.ArchiveAt(i)->file_name == "update") this->update = codex.ArchiveAt(i);
    if (!this->update) std::abort();
  }
};

void BM_AddonDiffOf2500Tags(benchmark::State& state) {
  static Installation* installation = new Installation();
  AddonDiff result;
  for (auto _ : state) {
    CodexTagNames names(installation->codex);
    result =
        CompareAddon(installation->codex, *installation->update, {&installation->registry, &names});
    benchmark::DoNotOptimize(result.changed);
  }
  state.counters["overriding"] = double(result.overriding);
  state.counters["changed"] = double(result.changed);
  state.counters["unreadable"] = double(result.unreadable);
}
BENCHMARK(BM_AddonDiffOf2500Tags)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace brae
