// Building the generated form of a large structure: 300 members of every kind of control in
// 20 frames (goal: under 30 ms). Draws nothing; with a display the program's font and skin
// measure the texts as in the program.
#include <benchmark/benchmark.h>

#include "editing/StructEditor.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

void BM_BuildFormOf300MembersIn20Frames(benchmark::State& state) {
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
BENCHMARK(BM_BuildFormOf300MembersIn20Frames)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
