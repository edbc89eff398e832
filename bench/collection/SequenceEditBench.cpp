// The sequence editor on a generated sequence of 64 frames by 16 views, each cell placing one
// of 64 bitmaps: opening its window up to its first drawn frame (goal: under 200 ms) and
// redrawing its grid, alternately scrolled by a row (goal: under 16 ms of processor time, the
// drawing included). Needs a display (xvfb-run).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <filesystem>

#include "collection/CollectionFormat.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/SequenceGridView.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceEdit.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Frame.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

constexpr int kFrames = 64;
constexpr int kViews = 16;
constexpr int kBitmaps = 64;

demo::DemoTag SequenceCollectionTag() {
  Collection c;
  c.name = "Big Sequence";
  for (int i = 1; i < 256; ++i)
    c.palette[size_t(i)] = PaletteColor{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)};
  for (int i = 0; i < kBitmaps; ++i) {
    const int w = 24 + (i * 13) % 40, h = 24 + (i * 29) % 40;
    auto b = CollectionBitmap::MakeIndexed("Pose " + std::to_string(i), w, h, kBitmapRle);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* px = b->Pixel(x, y);
        if ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) > w * h / 4) continue;
        px[0] = 255;
        px[1] = uint8_t(1 + (x * 3 + y * 5 + i) % 255);
      }
    c.AddBitmap(std::move(b));
  }
  auto s = std::make_unique<CollectionSequence>();
  s->name = "Everything";
  s->Resize(kFrames, kViews);
  for (int f = 0; f < kFrames; ++f) {
    for (int v = 0; v < kViews; ++v) {
      CollectionInstance* in = s->InstanceAt(f, v);
      in->bitmap = c.BitmapAt(size_t(f + v) % kBitmaps);
      in->flags = (f + v) % 3 == 0 ? kInstanceMirrorX : 0;
    }
    s->frames[size_t(f)].shadow.bitmap = c.BitmapAt(size_t(f) % kBitmaps);
  }
  c.AddSequence(std::move(s));
  demo::DemoTag tag;
  tag.group = kCollectionGroup;
  tag.subgroup = FourCC("sq64");
  tag.name = c.name;
  tag.version = kCollectionVersion;
  tag.user_data = c.flags;
  SaveCollection(c, &tag.data);
  return tag;
}

// The game with the collection, written once, and its editor open.
X256Edit* OpenCollection() {
  static const std::string root = [] {
    std::string dir =
        (std::filesystem::temp_directory_path() / "brae-bench-sequence-editor").string();
    std::filesystem::remove_all(dir);
    demo::DemoGame game;
    game.Archive("tags", "sprites", 2).tags.push_back(SequenceCollectionTag());
    if (!game.Write(dir)) std::abort();
    return dir;
  }();
  TheCodex().LoadCodex(root);
  RegisterCollectionEditor();
  return static_cast<X256Edit*>(OpenTag(TheCodex().FindTag(kCollectionGroup, FourCC("sq64"))));
}

void Close(Window* window) {
  window->Close();
  ProcessDeferredDeletions();
  UiFrame();
}

void BM_OpenSequenceEditorOf64FramesBy16ViewsToItsFirstFrame(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  bench::StartUi(true);
  X256Edit* editor = OpenCollection();
  if (!editor) {
    state.SkipWithError("the collection did not open");
    return;
  }
  UiFrame();
  CollectionSequence* sequence = editor->GetCollection().SequenceAt(0);
  int columns = 0;
  for (auto _ : state) {
    X256SequenceEdit* window = editor->OpenSequenceEditor(sequence);
    UiFrame();
    glFinish();
    state.PauseTiming();
    columns = window->Grid()->ColumnCount();
    Close(window);
    state.ResumeTiming();
  }
  state.counters["columns"] = double(columns);
  Close(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_OpenSequenceEditorOf64FramesBy16ViewsToItsFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_RedrawSequenceGridOf64FramesBy16Views(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  bench::StartUi(true);
  X256Edit* editor = OpenCollection();
  if (!editor) {
    state.SkipWithError("the collection did not open");
    return;
  }
  X256SequenceEdit* window = editor->OpenSequenceEditor(editor->GetCollection().SequenceAt(0));
  UiFrame();
  SequenceGridView* grid = window->Grid();
  size_t redraws = 0;
  for (auto _ : state) {
    // Every other redraw scrolls by a row, so new rows come into view.
    if (redraws % 2)
      grid->ScrollBy(grid->VPos() + grid->VPage() >= grid->VTotal() ? -grid->VTotal() : 1);
    grid->InvalidateClient();
    UiFrame();
    glFinish();
    ++redraws;
  }
  state.counters["rows_drawn"] = double(grid->DrawnRows());
  state.counters["textures"] = double(editor->Textures().TextureCount());
  Close(window);
  Close(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_RedrawSequenceGridOf64FramesBy16Views)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
}  // namespace brae
