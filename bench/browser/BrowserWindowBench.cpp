// The archive browser window on a 100,000-tag installation: opening it (index, lists, tree) and
// the full rebuild of its tag tree widget. Runs the toolkit without drawing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "LargeInstallation.h"
#include "core/Prefs.h"
#include "editing/browser/ArchiveBrowser.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Frame.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

const std::string& Installation() {
  static const std::string root = [] {
    bench::GiveEveryGroupAnEditor();
    return bench::WriteLargeInstallation("brae-bench-browser-window");
  }();
  return root;
}

void StartUi() {
  InitUi(false);
  HandleScreenResize(1280, 1024);
  Ui().running = true;
}

void BM_OpenBrowserOnLoadedIndex(benchmark::State& state) {
  const std::string& root = Installation();
  for (auto _ : state) {
    state.PauseTiming();
    StartUi();
    ThePrefs().Clear();
    state.ResumeTiming();
    TheCodex().LoadCodex(root);
    ArchiveBrowser* browser = ShowArchiveBrowser();
    benchmark::DoNotOptimize(browser->TagTree()->RowCount());
    state.PauseTiming();
    ShutdownUi();
    TheCodex().ShutdownCodex();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenBrowserOnLoadedIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WindowTagTreeRebuild(benchmark::State& state) {
  StartUi();
  ThePrefs().Clear();
  TheCodex().LoadCodex(Installation());
  ArchiveBrowser* browser = ShowArchiveBrowser();
  for (auto _ : state) {
    browser->Model().RebuildTagTree();
    browser->Sync();
  }
  state.counters["rows"] = double(browser->TagTree()->RowCount());
  ShutdownUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_WindowTagTreeRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
