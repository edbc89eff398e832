// The mesh editor on a generated terrain of 16 x 16 chunks (512 x 512 vertices) with a colour
// map of 512 bitmaps, a detail map of three materials and their detail textures: opening it up
// to its first drawn frame (goal: under 1 s), a frame looking over the whole mesh with detail
// textures on (the design goal is 60 frames per second on a real GPU; llvmpipe draws on the
// processor), and refreshing one chunk after an edit (goal: under 2 ms). Needs a display
// (xvfb-run).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "terrain/DetailMap.h"
#include "terrain/DtexImage.h"
#include "terrain/ui/MeshEdit.h"
#include "toolkit/BenchDisplay.h"
#include "toolkit/Frame.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

constexpr int kChunks = 16;

uint32_t Id(const char* s) {
  return MakeFourCC(s[0], s[1], s[2], s[3]);
}
constexpr int kSide = 32 * kChunks;

std::vector<uint8_t> MeshData() {
  std::vector<uint8_t> b(1024 + size_t(kSide) * kSide * 12, 0);
  StoreBE32(&b[0], FourCC("bigc"));
  StoreBE32(&b[4], 0xFFFFFFFFu);
  StoreBE16(&b[8], kChunks);
  StoreBE16(&b[10], kChunks);
  StoreBE32(&b[12], 1024);
  StoreBE16(&b[88], 200);
  StoreBE16(&b[90], 150);
  StoreBE32(&b[108], 0x8000);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      uint8_t* v = &b[1024 + 12 * (size_t(y) * kSide + x)];
      const double h = 4000 * std::sin(x * 0.03) * std::cos(y * 0.025);
      const bool lake = h < -3000;
      StoreBE16(v, uint16_t(int16_t(h)));
      StoreBE16(v + 4, uint16_t((lake ? 0x1800 : 0) | (6 << 4)));
      StoreBE16(v + 8, uint16_t(int16_t(lake ? -3000 : h)));
    }
  }
  return b;
}

std::vector<uint8_t> ColourMapData() {
  Collection c;
  c.name = "Big Colors";
  c.flags = kCollectionForTextures | kCollectionColorMap;
  for (int i = 0; i < 256; ++i) c.palette[size_t(i)] = {uint8_t(i), uint8_t(255 - i), 90};
  for (int k = 0; k < 2 * kChunks * kChunks; ++k) {
    auto b = CollectionBitmap::MakeIndexed("c" + std::to_string(k), 256, 256);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        uint8_t* p = b->Pixel(x, y);
        p[0] = 255;
        p[1] = uint8_t(k % 2 ? (x + y) / 2 : (x ^ y) + k);
      }
    }
    c.AddBitmap(std::move(b));
  }
  std::vector<uint8_t> data;
  if (!SaveCollection(c, &data)) std::abort();
  return data;
}

DetailMap BigDetailMap() {
  DetailMap map = CreateBlankDetailMap(kSide, kSide);
  const char* ids[3] = {"bgr1", "bgr2", "bgr3"};
  for (int m = 1; m <= 3; ++m) {
    map.materials[m].scale = 64;
    map.materials[m].entry.texture = Id(ids[m - 1]);
  }
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      map.vertex_details[size_t(y) * kSide + x] = uint8_t(1 + ((x / 7 + y / 5) % 3));
    }
  }
  return map;
}

DtexImage Texture(int seed) {
  DtexImage t;
  t.width = t.height = 128;
  t.pixels.resize(128 * 128 * 3);
  for (size_t i = 0; i < t.pixels.size(); ++i) t.pixels[i] = uint8_t(100 + (i * (seed + 3)) % 57);
  return t;
}

TagRecord* BigMesh() {
  static const std::string root = [] {
    std::string dir = (std::filesystem::temp_directory_path() / "brae-bench-mesh-editor").string();
    std::filesystem::remove_all(dir);
    demo::DemoGame game;
    demo::DemoArchive& archive = game.Archive("tags", "terrain", 2);
    auto tag = [](const char* group, const char* id, const char* name, std::vector<uint8_t> data,
                  uint16_t version, uint32_t user_data = 0) {
      demo::DemoTag t;
      t.group = Id(group);
      t.subgroup = Id(id);
      t.name = name;
      t.data = std::move(data);
      t.version = version;
      t.user_data = user_data;
      return t;
    };
    archive.tags.push_back(tag("mesh", "bigm", "Big Mesh", MeshData(), 11));
    archive.tags.push_back(tag(".256", "bigc", "Big Colors", ColourMapData(), 4,
                               kCollectionForTextures | kCollectionColorMap));
    archive.tags.push_back(
        tag("dmap", "bigc", "Big Colors", SerializeDetailMap(BigDetailMap()), 2));
    const char* ids[3] = {"bgr1", "bgr2", "bgr3"};
    for (int i = 0; i < 3; ++i) {
      archive.tags.push_back(tag("dtex", ids[i], ids[i], SerializeDtexData(Texture(i)), 1));
    }
    if (!game.Write(dir)) std::abort();
    return dir;
  }();
  TheCodex().LoadCodex(root);
  RegisterMeshEditor();
  return TheCodex().FindTag(FourCC("mesh"), FourCC("bigm"));
}

void CloseEditor(Window* editor) {
  editor->Close();
  ProcessDeferredDeletions();
  UiFrame();
}

void BM_OpenMeshOf16x16ChunksToItsFirstFrame(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return;
  }
  TagRecord* record = BigMesh();
  bench::StartUi(true);
  UiFrame();
  for (auto _ : state) {
    TagEdit* editor = OpenTag(record);
    UiFrame();
    glFinish();
    state.PauseTiming();
    if (!editor || !static_cast<MeshEdit*>(editor)->HasDetailMap()) {
      state.SkipWithError("the mesh did not open with its detail map");
      break;
    }
    CloseEditor(editor);
    state.ResumeTiming();
  }
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_OpenMeshOf16x16ChunksToItsFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opens the mesh and looks down over all of it.
MeshEdit* OpenOverview(benchmark::State& state) {
  if (!bench::TheDisplay().ok) {
    state.SkipWithError("no display");
    return nullptr;
  }
  TagRecord* record = BigMesh();
  bench::StartUi(true);
  auto* editor = static_cast<MeshEdit*>(OpenTag(record));
  if (!editor) {
    state.SkipWithError("the mesh did not open");
    return nullptr;
  }
  MeshCamera& c = editor->Camera();
  c.x = kSide / 2.0f, c.y = -260, c.height = 520, c.yaw = 180, c.pitch = -50;
  editor->detail_textures = true;
  editor->show_info = false;
  UiFrame();
  return editor;
}

void BM_FrameOverTheWhole16x16ChunkMesh(benchmark::State& state) {
  MeshEdit* editor = OpenOverview(state);
  if (!editor) return;
  for (auto _ : state) {
    editor->InvalidateClient();
    UiFrame();
    glFinish();
  }
  state.counters["cells"] = editor->LastInfo().cells_drawn;
  state.counters["chunks_full"] = editor->LastInfo().full;
  CloseEditor(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_FrameOverTheWhole16x16ChunkMesh)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RefreshOneChunkAfterAnEdit(benchmark::State& state) {
  MeshEdit* editor = OpenOverview(state);
  if (!editor) return;
  int i = 0;
  for (auto _ : state) {
    editor->Map()->vertex_details[size_t(40) * kSide + 40] = uint8_t(1 + (++i % 3));
    editor->RefreshChunks(40, 40, 40, 40);  // inside chunk (1, 1) only
    glFinish();
  }
  CloseEditor(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_RefreshOneChunkAfterAnEdit)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One dab of the largest brush with its chunk refresh, as a stroke paints it.
void BM_DabOfRadius10WithChunkRefresh(benchmark::State& state) {
  MeshEdit* editor = OpenOverview(state);
  if (!editor) return;
  editor->brush_radius = 10.0f;
  editor->round_brush = true;
  editor->vertex_brush = state.range(0) == 0;
  editor->BeginStroke(true);
  int i = 0;
  for (auto _ : state) {
    editor->brush_material = 1 + (++i % 3);
    editor->StrokeDab(100.0f + float(i % 7), 100.0f);
    glFinish();
  }
  editor->EndStroke();
  CloseEditor(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_DabOfRadius10WithChunkRefresh)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("triangles")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Undo and redo of one stroke that covers the whole map (all chunks refreshed).
void BM_UndoWholeMapStroke(benchmark::State& state) {
  MeshEdit* editor = OpenOverview(state);
  if (!editor) return;
  editor->brush_radius = 10.0f;
  editor->round_brush = false;
  editor->brush_material = 9;
  editor->BeginStroke(true);
  for (int y = 0; y < kSide + 20; y += 20) {
    for (int x = 0; x < kSide + 20; x += 20) editor->StrokeDab(float(x), float(y));
  }
  editor->EndStroke();
  bool undo = true;
  for (auto _ : state) {
    if (undo) {
      editor->Undos().Undo();
    } else {
      editor->Undos().Redo();
    }
    undo = !undo;
    glFinish();
  }
  CloseEditor(editor);
  bench::StopUi();
  TheCodex().ShutdownCodex();
}
BENCHMARK(BM_UndoWholeMapStroke)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brae
