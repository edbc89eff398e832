// Building the generated form of a large structure: 300 members of every kind of control in
// 20 frames (goal: under 30 ms), with an empty index and with the 100,000-tag installation
// (its tag lists then hold every collection). Draws nothing; with a display the program's
// font and skin measure the texts as in the program.
#include <benchmark/benchmark.h>

#include "LargeInstallation.h"
#include "editing/StructEditor.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

void BuildLargeForm(benchmark::State& state) {
  StructRegistry& registry = TheStructRegistry();
  registry.Clear();
  registry.AddDefinitionText(demo::LargeFormDefinitionText("part", 300, 20));
  registry.BuildRegistry();
  const StructDefinition* definition = registry.FindStructDefinition("part");
  bench::StartUi(bench::TheDisplay().ok);
  size_t controls = 0;
  for (auto _ : state) {
    auto* editor = new StructEditor(definition, nullptr);
    bool built = editor->BuildForm();
    benchmark::DoNotOptimize(built);
    state.PauseTiming();
    controls = editor->Listeners().size();
    editor->Close();
    ProcessDeferredDeletions();
    state.ResumeTiming();
  }
  state.counters["controls"] = double(controls);
  state.counters["font"] = bench::TheDisplay().ok ? 1 : 0;
  bench::StopUi();
  registry.Clear();
}

void BM_BuildFormOf300MembersIn20Frames(benchmark::State& state) {
  BuildLargeForm(state);
}
BENCHMARK(BM_BuildFormOf300MembersIn20Frames)->Unit(benchmark::kMillisecond);

void BM_BuildFormOf300MembersOnTheLargeIndex(benchmark::State& state) {
  static const std::string root = bench::WriteLargeInstallation("brae-bench-struct-form");
  TheCodex().LoadCodex(root);
  std::vector<TagRecord*> collections;
  TheCodex().ListTagsOfGroup(FourCC(".256"), &collections);
  BuildLargeForm(state);
  state.counters["collections"] = double(collections.size());
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_BuildFormOf300MembersOnTheLargeIndex)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
