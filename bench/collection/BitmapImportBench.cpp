// The bitmap browser's bulk operations: importing 500 PNG files (goal: under 1.5 s), and
// exporting and importing a plate of 500 bitmaps.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "collection/CollectionImport.h"
#include "collection/Plates.h"
#include "media/PngFormat.h"

namespace brae {
namespace {

constexpr int kFiles = 500;

CollectionPalette BenchPalette() {
  CollectionPalette p{};
  for (int i = 0; i < 256; ++i)
    p[size_t(i)] = PaletteColor{uint8_t(i), uint8_t(255 - i), uint8_t((i * 37) & 255)};
  return p;
}

// A folder of its own, removed at exit.
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

// 500 64 × 64 PNG files: a disc over index 0, colour-indexed with the collection's palette,
// or (rgba) the same colours as RGBA pixels with a soft edge, which the import converts.
std::vector<std::string> MakePngFiles(bool rgba) {
  {
    std::vector<std::string> list;
    const CollectionPalette palette = BenchPalette();
    Image image;
    image.format = PixelFormat::kIndexed;
    image.width = image.height = 64;
    image.palette.count = 256;
    for (int i = 0; i < 256; ++i)
      image.palette.entries[i] =
          Rgb{palette[size_t(i)].r, palette[size_t(i)].g, palette[size_t(i)].b};
    for (int n = 0; n < kFiles; ++n) {
      image.pixels.assign(64 * 64, 0);
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
          const int dx = x - 32, dy = y - 32;
          if (dx * dx + dy * dy <= 30 * 30)
            image.pixels[size_t(y * 64 + x)] = uint8_t(2 + (x * 3 + y * 5 + n) % 254);
        }
      }
      list.push_back(BenchFolder() + (rgba ? "/rgba " : "/sprite ") + std::to_string(n) + ".png");
      if (!rgba) {
        WritePng(list.back(), image);
        continue;
      }
      Image colour;
      colour.format = PixelFormat::kRgba;
      colour.width = colour.height = 64;
      colour.pixels.resize(64 * 64 * 4);
      for (size_t i = 0; i < 64 * 64; ++i) {
        const Rgb& e = image.palette.entries[image.pixels[i]];
        const int dx = int(i % 64) - 32, dy = int(i / 64) - 32;
        const int d = dx * dx + dy * dy;
        colour.pixels[i * 4] = e.r, colour.pixels[i * 4 + 1] = e.g, colour.pixels[i * 4 + 2] = e.b;
        colour.pixels[i * 4 + 3] = uint8_t(image.pixels[i] ? (d > 28 * 28 ? 128 : 255) : 0);
      }
      WritePng(list.back(), colour);
    }
    return list;
  }
}

const std::vector<std::string>& PngFiles() {
  static const std::vector<std::string> files = MakePngFiles(false);
  return files;
}

std::unique_ptr<Collection> SeededCollection() {
  auto c = std::make_unique<Collection>();
  c->palette = BenchPalette();
  c->AddBitmap(CollectionBitmap::MakeIndexed("seed", 1, 1));
  return c;
}

void BM_ImportPngFiles500(benchmark::State& state) {
  const std::vector<std::string>& files = PngFiles();
  for (auto _ : state) {
    auto c = SeededCollection();
    OperationResult r = ImportBitmapsFromFiles(c.get(), files, nullptr);
    if (!r || r.bitmaps.size() != files.size()) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(c->bitmaps.data());
  }
}
BENCHMARK(BM_ImportPngFiles500)->Unit(benchmark::kMillisecond);

// The same pictures as RGBA files: each is converted (its palette computed) on the way in, as
// the user asks for.
void BM_ImportRgbaPngFiles500(benchmark::State& state) {
  static const std::vector<std::string> files = MakePngFiles(true);
  for (auto _ : state) {
    auto c = SeededCollection();
    const Question yes = [](const std::string&) { return true; };
    OperationResult r = ImportBitmapsFromFiles(c.get(), files, yes, yes);
    if (!r || r.bitmaps.size() != files.size()) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(c->bitmaps.data());
  }
}
BENCHMARK(BM_ImportRgbaPngFiles500)->Unit(benchmark::kMillisecond);

// The 500 imported bitmaps.
const Collection& ImportedCollection() {
  static const std::unique_ptr<Collection> c = [] {
    auto made = SeededCollection();
    ImportBitmapsFromFiles(made.get(), PngFiles(), nullptr);
    made->bitmaps.erase(made->bitmaps.begin());
    return made;
  }();
  return *c;
}

std::vector<size_t> AllIndices(const Collection& c) {
  std::vector<size_t> v;
  for (size_t i = 0; i < c.bitmaps.size(); ++i) v.push_back(i);
  return v;
}

void BM_PlateExport500(benchmark::State& state) {
  const Collection& c = ImportedCollection();
  const std::vector<size_t> all = AllIndices(c);
  const std::string path = BenchFolder() + "/export plate.png";
  for (auto _ : state) {
    OperationResult r = ExportPlate(c, all, PlateOptions(), path);
    if (!r) state.SkipWithError(r.Text().c_str());
  }
}
BENCHMARK(BM_PlateExport500)->Unit(benchmark::kMillisecond);

void BM_PlateImport500(benchmark::State& state) {
  const Collection& c = ImportedCollection();
  const std::string path = BenchFolder() + "/import plate.png";
  ExportPlate(c, AllIndices(c), PlateOptions(), path);
  for (auto _ : state) {
    auto target = SeededCollection();
    OperationResult r = AddBitmapsFromPlate(target.get(), path);
    if (!r || r.bitmaps.size() != size_t(kFiles)) state.SkipWithError("plate import failed");
    benchmark::DoNotOptimize(target->bitmaps.data());
  }
}
BENCHMARK(BM_PlateImport500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
