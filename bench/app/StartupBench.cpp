// Start-up of the whole program on a 100,000-tag installation, from RunBrae to the first frame
// drawn with the archive browser showing every tag. Needs a display (runs under xvfb-run).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "LargeInstallation.h"
#include "app/ProgramHooks.h"
#include "app/Startup.h"
#include "editing/browser/ArchiveBrowser.h"
#include "toolkit/Input.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

// A program folder: res/ linked to the built resources beside this executable, preferences
// naming the installation and turning the splash off.
const std::string& ProgramFolder() {
  static const std::string root = [] {
    std::string dir = (fs::temp_directory_path() / "brae-bench-startup").string();
    fs::remove_all(dir);
    fs::create_directories(dir + "/res");
    fs::create_symlink(bench::WriteLargeInstallation("brae-bench-startup-game"), dir + "/game");
    fs::path built = fs::read_symlink("/proc/self/exe").parent_path() / "res";
    for (const char* name : {"plume.braefont", "texturepack", "brae.bmp"})
      fs::create_symlink(built / name, fs::path(dir) / "res" / name);
    return dir;
  }();
  return root;
}

void WritePrefs(const std::string& dir) {
  std::ofstream(dir + "/res/prefs.txt") << "VornPath \"" << dir << "/game/\"\nShowSplash 0\n";
}

// Argument 0: the program as it is (the tree shows the groups that have editors); 1: every group
// is given an editor first, so the tree shows all 100,000 tags.
void BM_StartupToFirstFrame(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no display (run under xvfb-run)");
    return;
  }
  const std::string& dir = ProgramFolder();
  InstallProgramHooks();
  if (state.range(0)) bench::GiveEveryGroupAnEditor();
  size_t rows = 0;
  for (auto _ : state) {
    WritePrefs(dir);  // each run saves its own; every start is the same
    auto start = std::chrono::steady_clock::now();
    double seconds = -1;
    BraeOptions options;
    options.folder = dir;
    int pumps_after = 0;
    options.after_pump = [&] {
      // The first pump of the running program: everything pending is on the screen and input
      // is accepted (earlier pumps run while start-up still holds input back).
      if (!Ui().running) return;
      if (seconds < 0) {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (ArchiveBrowser* browser = TheArchiveBrowser()) rows = browser->TagTree()->RowCount();
      }
      // The first frame drops input queued before it; quit a few pumps later.
      if (++pumps_after == 3) {
        Ui().quit_hook = nullptr;  // quit without asking
        QueueCloseRequest();
      }
    };
    RunBrae(options);
    if (seconds < 0) {
      state.SkipWithError("the program ended before its first frame");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["rows"] = double(rows);
}
BENCHMARK(BM_StartupToFirstFrame)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace brae
