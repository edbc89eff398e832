// A list of 100,000 rows: filling, sorting by a column, scrolling a page, one full redraw, and
// adding or removing one row in the middle. Only the redraw needs a display.

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchDisplay.h"
#include "platform/Platform.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Skin.h"

namespace brae {
namespace {

constexpr int kRows = 100000;

void StartUi(bool gl) {
  bench::StartUi(gl);
  UiFrame();
}

using bench::StopUi;

ListWindow* MakeList() {
  auto* list = new ListWindow(kListColumnHeader | kListMultipleSelection, kWindowVisible);
  list->SetFrame(Rect(20, 20, 1000, 740));
  list->AddColumn("Name", 300);
  list->AddColumn("Size", 120);
  return list;
}

void Fill(ListWindow* list) {
  for (int i = 0; i < kRows; ++i) {
    // Names in a scrambled order so that sorting has work to do.
    int key = static_cast<int>((static_cast<unsigned>(i) * 2654435761u) % 1000003u);
    ListRow* r = list->AddRow(nullptr, ("Tag " + std::to_string(key)).c_str(), 0, i);
    list->SetCell(r, 1, std::to_string(key % 5000).c_str());
  }
}

void BM_ListFill100k(benchmark::State& state) {
  StartUi(false);
  for (auto _ : state) {
    ListWindow* list = MakeList();
    Fill(list);
    state.PauseTiming();
    delete list;
    state.ResumeTiming();
  }
  StopUi();
}
BENCHMARK(BM_ListFill100k)->Unit(benchmark::kMillisecond);

void BM_ListSortByColumn100k(benchmark::State& state) {
  StartUi(false);
  ListWindow* list = MakeList();
  Fill(list);
  bool descending = false;
  for (auto _ : state) {
    list->SortBy(1, descending);
    descending = !descending;
  }
  StopUi();
}
BENCHMARK(BM_ListSortByColumn100k)->Unit(benchmark::kMillisecond);

void BM_ListScrollPage100k(benchmark::State& state) {
  StartUi(false);
  ListWindow* list = MakeList();
  Fill(list);
  list->SetFocus();
  list->SetCurrentRow(list->ShownRow(0), false);
  for (auto _ : state) {
    list->ScrollByPages(1);
    if (list->VPos() >= list->VTotal() - list->VPage()) list->ScrollTo(0);
    benchmark::DoNotOptimize(list->RowAt(500, 400));
  }
  StopUi();
}
BENCHMARK(BM_ListScrollPage100k);

void BM_ListAddRemoveMiddleRow100k(benchmark::State& state) {
  StartUi(false);
  ListWindow* list = MakeList();
  Fill(list);
  for (auto _ : state) {
    ListRow* r = list->AddRow(nullptr, "Extra", 0, -1);
    list->RemoveRow(list->ShownRow(kRows / 2));
    benchmark::DoNotOptimize(r);
  }
  StopUi();
}
BENCHMARK(BM_ListAddRemoveMiddleRow100k);

void BM_ListFullRedraw100k(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  StartUi(true);
  ListWindow* list = MakeList();
  Fill(list);
  list->ScrollTo(kRows / 2);
  for (auto _ : state) {
    RequestRedraw();
    UiFrame();
    glFinish();
  }
  StopUi();
}
BENCHMARK(BM_ListFullRedraw100k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
