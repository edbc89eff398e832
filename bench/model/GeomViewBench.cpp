// The geometry viewer's frame time on an imported model of 50,000 textured triangles: one
// whole redraw of its 400 × 400 view per iteration (run under xvfb-run).
#include <benchmark/benchmark.h>

#include "core/MessageLog.h"
#include "editing/TagEdit.h"
#include "model/ModelImport.h"
#include "model/SheetModel.h"
#include "model/ui/GeomEdit.h"
#include "tagstore/Codex.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Frame.h"

namespace brae {
namespace {

void BM_GeomViewFrame(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  Codex& codex = TheCodex();
  codex.LoadCodex(bench::Files().Game());
  static int run = 0;  // the function runs more than once on one game folder
  const ModelImportResult r =
      ImportModel(codex, bench::Files().Object(), "Viewed Sheet " + std::to_string(run++));
  if (!r.ok) {
    state.SkipWithError(r.error.c_str());
    return;
  }
  bench::StartUi(true);
  RegisterGeomEditor();
  auto* viewer = dynamic_cast<GeomEdit*>(OpenTag(r.geom));
  if (!viewer) {
    state.SkipWithError("the viewer did not open");
    bench::StopUi();
    return;
  }
  UiFrame();
  for (auto _ : state) {
    InvalidateAll(viewer);
    UiFrame();
    glFinish();
  }
  state.counters["triangles"] = double(viewer->Model().triangles.size());
  bench::StopUi();
  codex.ShutdownCodex();
}
BENCHMARK(BM_GeomViewFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
