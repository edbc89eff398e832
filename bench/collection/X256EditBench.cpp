// The collection editor on a generated collection of 2,000 bitmaps: opening it up to its first
// drawn frame (goal: under 300 ms) and scrolling its thumbnail grid by a page (goal: under
// 16 ms of processor time, the drawing included). Needs a display (xvfb-run).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <filesystem>

#include "collection/CollectionFormat.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "mkdemo/DemoGame.h"
#include "mkdemo/DemoLargeCollection.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Frame.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

constexpr int kBitmaps = 2000;

// The game with the large collection, written once, and the Codex over it.
TagRecord* LargeCollection() {
  static const std::string root = [] {
    std::string dir =
        (std::filesystem::temp_directory_path() / "brae-bench-collection-editor").string();
    std::filesystem::remove_all(dir);
    demo::DemoGame game;
    demo::DemoArchive& archive = game.Archive("tags", "sprites", 2);
    archive.tags.push_back(demo::LargeCollectionTag(kBitmaps, FourCC("larg"), "Large Sprites"));
    if (!game.Write(dir)) std::abort();
    return dir;
  }();
  TheCodex().LoadCodex(root);
  RegisterCollectionEditor();
  return TheCodex().FindTag(kCollectionGroup, FourCC("larg"));
}

void CloseEditor(Window* editor) {
  editor->Close();
  ProcessDeferredDeletions();
  UiFrame();
}

void BM_OpenCollectionOf2000BitmapsToItsFirstFrame(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  TagRecord* record = LargeCollection();
  bench::StartUi(true);
  UiFrame();
  size_t listed = 0;
  for (auto _ : state) {
    TagEdit* editor = OpenTag(record);
    UiFrame();
    glFinish();
    state.PauseTiming();
    if (!editor) {
      state.SkipWithError("the collection did not open");
      break;
    }
    listed = static_cast<X256Edit*>(editor)->BitmapBrowser()->Listed().size();
    CloseEditor(editor);
    state.ResumeTiming();
  }
  state.counters["bitmaps"] = double(listed);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_OpenCollectionOf2000BitmapsToItsFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ScrollThumbnailGridOfThe2000BitmapsByAPage(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  TagRecord* record = LargeCollection();
  bench::StartUi(true);
  auto* editor = static_cast<X256Edit*>(OpenTag(record));
  if (!editor) {
    state.SkipWithError("the collection did not open");
    return;
  }
  X256BitmapBrowser* browser = editor->BitmapBrowser();
  browser->SetView(kShowGrid);
  UiFrame();
  GridWindow* grid = browser->Grid();
  size_t pages = 0;
  for (auto _ : state) {
    if (grid->VPos() + grid->ClientSize().y >= grid->VTotal())
      grid->ScrollTo(0);
    else
      grid->ScrollByPages(1);
    UiFrame();
    glFinish();
    ++pages;
  }
  state.counters["textures"] = double(editor->Textures().TextureCount());
  state.counters["columns"] = double(grid->Columns());
  CloseEditor(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_ScrollThumbnailGridOfThe2000BitmapsByAPage)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
}  // namespace brae
