// brae-cli set --all over 10,000 structure-defined tags: the whole command (loading the game,
// reading, changing and writing every tag as a local file) as a modder runs it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

constexpr int kTags = 10000;

// The demo game with an archive of 10,000 'wind' tags (the demo definitions describe them).
const std::string& GameWithManyWinds() {
  static const std::string dir = [] {
    std::string path = (fs::temp_directory_path() / "brae-bench-set-all").string();
    fs::remove_all(path);
    demo::DemoGame game = demo::MakeDemoGame();
    demo::DemoArchive& archive = game.Archive("tags", "winds", 2);
    for (int i = 0; i < kTags; ++i) {
      demo::DemoTag tag;
      tag.group = demo::Code("wind");
      tag.subgroup = 0x57000000u | uint32_t(i);
      tag.name = "Wind " + std::to_string(i);
      tag.data = {0, 1, 0x10, 0, 0, 1, 0, 0};  // East, speed 8, gustiness 1.0
      archive.tags.push_back(tag);
    }
    if (!game.Write(path)) std::abort();
    return path;
  }();
  return dir;
}

void BM_SetAllOverTenThousandTags(benchmark::State& state) {
  const std::string& game = GameWithManyWinds();
  std::string cli = (fs::read_symlink("/proc/self/exe").parent_path() / "brae-cli").string();
  int round = 0;
  for (auto _ : state) {
    // Each round stores another value, so that every tag is written every time.
    std::string command = cli + " set '" + game +
                          "' wind --all speed=" + std::to_string(2 + round++ % 2) + " >/dev/null";
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
      state.SkipWithError("brae-cli set failed");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["tags"] = kTags;
}
BENCHMARK(BM_SetAllOverTenThousandTags)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace brae
