// "Build Standard Collection" on a folder tree of 8 sequences × 8 views × 32 frames of 128 × 128
// images, half of them duplicates of the frame before (goal: under 2 s for the colour-indexed
// tree with alpha images), and the same tree rendered as RGBA, which takes the true-colour path
// (one palette computed over every frame, error diffusion).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "collection/CollectionBuilder.h"
#include "collection/CollectionFormat.h"
#include "media/MediaFile.h"

namespace brae {
namespace {

constexpr int kSequences = 8, kViews = 8, kFrames = 32, kSide = 128;

const std::string& BenchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "brae-bench-XXXXXX").string();
    std::string made = ::mkdtemp(pattern.data()) ? pattern : std::string(".");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(BenchFolder(), ec);
    });
    return made;
  }();
  return folder;
}

bool WriteImage(const std::string& path, const Image& image) {
  MediaFile f(path, MediaGroup::kImage);
  f.image = image;
  return f.Write();
}

// A figure that moves with the frame: a disc whose place and shading depend on the picture
// number; odd frames repeat the frame before, so half of the cells are duplicates.
bool InFigure(int x, int y, int n) {
  const int cx = 40 + (n * 7) % 48, cy = 44 + (n * 5) % 40, dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= 30 * 30;
}

uint8_t Shade(int x, int y, int n) {
  return uint8_t(2 + (x * (3 + n % 5) + y * (5 + n / 5 % 7) + n / 35 * 17 + n) % 254);
}

// Writes the tree once: colour-indexed frames with ".alpha" images, or RGBA frames.
std::string MakeTree(bool rgba) {
  const std::string root = BenchFolder() + (rgba ? "/rgba/" : "/indexed/");
  if (std::filesystem::exists(root)) return root;
  Image colour, alpha;
  colour.format = rgba ? PixelFormat::kRgba : PixelFormat::kIndexed;
  colour.width = colour.height = alpha.width = alpha.height = kSide;
  colour.palette.count = 256;
  for (int i = 0; i < 256; ++i)
    colour.palette.entries[i] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t((i * 37) & 255)};
  alpha.format = PixelFormat::kGrey;
  for (int s = 0; s < kSequences; ++s) {
    const std::string seq = root + "seq" + std::to_string(s) + "(8,32)/";
    std::filesystem::create_directories(seq);
    for (int v = 0; v < kViews; ++v) {
      for (int f = 0; f < kFrames; ++f) {
        const int n = (s * kViews + v) * kFrames + (f & ~1);
        colour.pixels.assign(size_t(kSide * kSide) * (rgba ? 4 : 1), 0);
        alpha.pixels.assign(size_t(kSide * kSide), 0);
        for (int y = 0; y < kSide; ++y) {
          for (int x = 0; x < kSide; ++x) {
            if (!InFigure(x, y, n)) continue;
            const size_t i = size_t(y * kSide + x);
            const uint8_t shade = Shade(x, y, n);
            alpha.pixels[i] = 255;
            if (!rgba) {
              colour.pixels[i] = shade;
              continue;
            }
            const Rgb& c = colour.palette.entries[shade];
            colour.pixels[i * 4] = c.r, colour.pixels[i * 4 + 1] = c.g;
            colour.pixels[i * 4 + 2] = c.b, colour.pixels[i * 4 + 3] = 255;
          }
        }
        char name[64];
        std::snprintf(name, sizeof name, "v%d f%02d", v, f);
        if (!WriteImage(seq + name + ".png", colour)) return "";
        if (!rgba && !WriteImage(seq + name + ".alpha.png", alpha)) return "";
      }
    }
  }
  return root;
}

void BuildTree(benchmark::State& state, bool rgba) {
  const std::string root = MakeTree(rgba);
  if (root.empty()) {
    state.SkipWithError("could not write the tree");
    return;
  }
  CollectionBuildSettings settings;
  settings.name = "Bench";
  settings.folder = root;
  settings.reg_x = 64;
  settings.reg_y = 100;
  size_t unique = 0, bytes = 0;
  for (auto _ : state) {
    CollectionBuildResult r = BuildCollectionFromFolder(settings, [](const std::string&) {});
    std::vector<uint8_t> data;
    if (!r.ok || !SaveCollection(*r.collection, &data)) {
      state.SkipWithError("the build failed");
      return;
    }
    unique = r.unique;
    bytes = data.size();
  }
  state.counters["bitmaps"] = double(unique);
  state.counters["tag_bytes"] = double(bytes);
}

void BM_BuildIndexedCollection(benchmark::State& state) {
  BuildTree(state, false);
}
BENCHMARK(BM_BuildIndexedCollection)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BuildRgbaCollection(benchmark::State& state) {
  BuildTree(state, true);
}
BENCHMARK(BM_BuildRgbaCollection)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace brae
