// Toolkit speed: an idle frame, the idle program's share of a core, a full redraw of 50
// overlapping windows with text, and the layout of a long wrapped paragraph.
// The windowed cases need a display (run under xvfb-run); without one they are skipped.

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "BenchDisplay.h"
#include "platform/Platform.h"
#include "tagstore/Codex.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Skin.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

using bench::ResPath;

class TextWindow : public Window {
 public:
  explicit TextWindow(int i)
      : Window(kWindowVisible | kWindowTitleBar | kWindowShadow | kWindowThickBorder |
               kWindowResizable | kWindowGreyBackground | kWindowCloseBox | kWindowZoomBox |
               kWindowCollapseBox) {
    title_ = "Window " + std::to_string(i);
    SetTitle(title_.c_str());
  }
  void DrawContent() override {
    SetColor(0xFFFFFFFFu);
    DrawTextInRect(this,
                   "The quick brown fox jumps over the lazy dog. |bBold text|p and |iitalic text|p "
                   "wrap inside the window's client area, line after line.",
                   Rect(6, 6, client.Width() - 6, client.Height() - 6), kTextWrap | kTextShadow);
  }
  std::string title_;
};

// The toolkit with n overlapping windows; GL only when there is a display.
void SetUpUi(bool gl, int windows) {
  bench::StartUi(gl);
  for (int i = 0; i < windows; ++i) {
    auto* w = new TextWindow(i);
    int x = (i * 37) % 700, y = (i * 53) % 450;
    w->SetFrame(Rect(x, y, x + 300, y + 260));
  }
  UiFrame();
}

void BM_IdleFrame(benchmark::State& state) {
  SetUpUi(false, 10);
  for (auto _ : state) benchmark::DoNotOptimize(UiFrame());
  bench::StopUi();
}
BENCHMARK(BM_IdleFrame);

// The pump's work in an idle frame, without its 1 ms sleep: poll, the Codex's folder poll, frame.
void BM_IdlePumpWork(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  SetUpUi(true, 10);
  for (auto _ : state) {
    platform::PollEvents();
    TheCodex().PollLocalFolder(false);
    benchmark::DoNotOptimize(UiFrame());
  }
  bench::StopUi();
}
BENCHMARK(BM_IdlePumpWork);

// The idle program for one second as the pump runs it (1 ms sleep per idle frame): the counter
// is the share of one core used.
void BM_IdleProgramCpu(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  SetUpUi(true, 10);
  double share = 0;
  for (auto _ : state) {
    std::clock_t cpu = std::clock();
    double start = platform::Now();
    while (platform::Now() - start < 1.0) {
      platform::PollEvents();
      TheCodex().PollLocalFolder(false);
      if (!UiFrame()) platform::Sleep(0.001);
    }
    share = double(std::clock() - cpu) / CLOCKS_PER_SEC / (platform::Now() - start);
  }
  state.counters["core_share_percent"] = share * 100.0;
  bench::StopUi();
}
BENCHMARK(BM_IdleProgramCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FullRedraw50Windows(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  SetUpUi(true, 50);
  for (auto _ : state) {
    RequestRedraw();
    UiFrame();
    glFinish();
  }
  bench::StopUi();
}
BENCHMARK(BM_FullRedraw50Windows)->Unit(benchmark::kMillisecond);

void BM_WrappedParagraphLayout(benchmark::State& state) {
  static Font* font = LoadFont(ResPath("plume.braefont"), false);
  if (!font) {
    state.SkipWithError("no font");
    return;
  }
  std::string text;
  const char* words[] = {"tag ", "|bbold|p ", "archive ", "collection ", "mesh ", "detail ", "a "};
  for (int i = 0; text.size() < 10000; ++i) text += words[i % 7];
  text.resize(10000);
  std::vector<PlacedGlyph> glyphs;
  for (auto _ : state) {
    glyphs.clear();
    benchmark::DoNotOptimize(
        LayoutText(font, text.c_str(), 0, kTextWrap, Rect(0, 0, 400, 1 << 30), &glyphs));
  }
  state.counters["glyphs"] = static_cast<double>(glyphs.size());
}
BENCHMARK(BM_WrappedParagraphLayout)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brae
