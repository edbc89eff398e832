// Speed of the model import on a LightWave object of 50,000 textured triangles written by our
// own writer (goal: the whole import under 300 ms): reading, converting, building the tags, and
// the whole import into a game's local folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "core/MessageLog.h"
#include "mkdemo/DemoGame.h"
#include "model/GeomFormat.h"
#include "model/LwoReader.h"
#include "model/LwoWriter.h"
#include "model/ModelImport.h"
#include "model/ModelTextures.h"
#include "model/SheetModel.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

using bench::Files;
using bench::kColumns;
using bench::kRows;
using bench::Sheet;

void BM_ReadLwo(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadLwo(Files().Object()));
}
BENCHMARK(BM_ReadLwo)->Unit(benchmark::kMillisecond);

void BM_ConvertToModel(benchmark::State& state) {
  auto object = ReadLwo(Files().Object());
  for (auto _ : state) {
    IntermediateModel model;
    ConvertLwoToModel(*object, Files().Folder(), &model, nullptr);
    benchmark::DoNotOptimize(model);
  }
}
BENCHMARK(BM_ConvertToModel)->Unit(benchmark::kMillisecond);

void BM_BuildGeometryAndModelTags(benchmark::State& state) {
  const IntermediateModel model = Sheet();
  for (auto _ : state) {
    GeomData geom;
    MakeGeomData(model, 1, &geom, nullptr);
    benchmark::DoNotOptimize(SerializeGeom(geom));
    benchmark::DoNotOptimize(SerializeMode(2, geom));
  }
}
BENCHMARK(BM_BuildGeometryAndModelTags)->Unit(benchmark::kMillisecond);

// The whole import, four tags written into the local folder (a new name each time).
void BM_WholeImport(benchmark::State& state) {
  Codex codex;
  codex.LoadCodex(Files().Game());
  static int n = 0;  // the benchmark runs this function more than once on one game folder
  for (auto _ : state) {
    const ModelImportResult r =
        ImportModel(codex, Files().Object(), "Sheet " + std::to_string(n++));
    if (!r.ok) {
      const std::string why = r.error + ": " + TheMessageLog().Text("Codex");
      state.SkipWithError(why.c_str());
      break;
    }
    TheMessageLog().Clear();
  }
  state.counters["triangles"] = double(kColumns * kRows * 2);
}
BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
