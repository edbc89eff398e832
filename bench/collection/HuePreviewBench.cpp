// The hue change preview on a grid of 500 drawn bitmaps: a changed hue change works out the
// preview palette once and refills, in place, only the textures of bitmaps that use an entry
// whose colour changed (goal: a redraw well under a 60 Hz frame, 16 ms). For comparison, the
// same grid redrawn unchanged, and redrawn with every texture dropped and built again. Needs a
// display (xvfb-run).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "collection/CollectionFormat.h"
#include "collection/HueChangeOperations.h"
#include "collection/ui/BitmapTextures.h"
#include "mkdemo/DemoLargeCollection.h"
#include "tagstore/FourCC.h"
#include "toolkit/BenchDisplay.h"

namespace brae {
namespace {

constexpr int kBitmaps = 500;
constexpr int kCell = 32;
constexpr int kColumns = 1024 / kCell;

// The generated collection with one hue change over a third of the hue circle.
Collection& GridCollection() {
  static Collection* collection = [] {
    auto* c = new Collection;
    demo::DemoTag tag = demo::LargeCollectionTag(kBitmaps, FourCC("hueb"), "Hue Bench");
    TagHeader header;
    CollectionLoadOptions options;
    if (!LoadCollection(tag.data.data(), tag.data.size(), header, options, c)) std::abort();
    HueChange h = MakeNewHueChange();
    h.start_hue = HueFromDegrees(0);
    h.median_hue = HueFromDegrees(60);
    h.end_hue = HueFromDegrees(120);
    h.replacement_mode = 1;
    SetReplacementColour(&h, 40, 80, 220);
    c->hue_changes.push_back(h);
    return c;
  }();
  return *collection;
}

void DrawGrid(BitmapTextures* textures, const Collection& c) {
  glViewport(0, 0, 1024, 768);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1024, 768, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT);
  for (size_t i = 0; i < c.bitmaps.size(); ++i) {
    const CollectionBitmap* b = c.bitmaps[i].get();
    const int x = int(i % kColumns) * kCell, y = int(i / kColumns) * kCell;
    textures->Draw(b, FitBitmap(b->width, b->height, Rect(x, y, x + kCell, y + kCell)));
  }
  glFinish();
}

// Each turn moves the replacement colour between two hues, as a drag of the colour button
// would; the preview changes for every entry in the range.
void NextHue(Collection* c, int turn) {
  SetReplacementColour(&c->hue_changes[0], turn % 2 ? 220 : 40, 80, turn % 2 ? 40 : 220);
}

void BM_HuePreviewRedrawOf500BitmapGrid(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  Collection& c = GridCollection();
  bench::StartUi(true);
  BitmapTextures textures(&c);
  DrawGrid(&textures, c);
  const size_t built = textures.BuildCount();
  int turn = 0;
  size_t marked = 0;
  for (auto _ : state) {
    NextHue(&c, ++turn);
    marked += textures.PreviewChanged();
    DrawGrid(&textures, c);
  }
  state.counters["bitmaps"] = double(c.bitmaps.size());
  state.counters["refilled_per_change"] = double(marked) / double(turn);
  state.counters["rebuilt"] = double(textures.BuildCount() - built);
  bench::StopUi();
}
BENCHMARK(BM_HuePreviewRedrawOf500BitmapGrid)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The floor: the same grid drawn again with nothing changed.
void BM_Redraw500BitmapGridUnchanged(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  Collection& c = GridCollection();
  bench::StartUi(true);
  BitmapTextures textures(&c);
  DrawGrid(&textures, c);
  for (auto _ : state) DrawGrid(&textures, c);
  state.counters["bitmaps"] = double(c.bitmaps.size());
  bench::StopUi();
}
BENCHMARK(BM_Redraw500BitmapGridUnchanged)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_RebuildEveryTextureOf500BitmapGrid(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  Collection& c = GridCollection();
  bench::StartUi(true);
  BitmapTextures textures(&c);
  DrawGrid(&textures, c);
  int turn = 0;
  for (auto _ : state) {
    NextHue(&c, ++turn);
    textures.InvalidateAll();
    DrawGrid(&textures, c);
  }
  state.counters["bitmaps"] = double(c.bitmaps.size());
  bench::StopUi();
}
BENCHMARK(BM_RebuildEveryTextureOf500BitmapGrid)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace brae
