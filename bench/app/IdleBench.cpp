// What the idle program costs: the real brae, started on the demo game in its own process, left
// alone with the archive browser open; its processor time (every thread) over ten seconds and
// over the ten seconds after, read from /proc, beside that of a bare loop that only sleeps 1 ms,
// measured the same way in the same run. Needs a display (runs under xvfb-run).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

constexpr double kMeasuredSeconds = 10.0;

// A program folder: the program and its res/ beside it, the demo game, preferences naming it.
std::string ProgramFolder() {
  std::string dir = (fs::temp_directory_path() / "brae-bench-idle").string();
  fs::remove_all(dir);
  fs::create_directories(dir + "/res");
  fs::path built = fs::read_symlink("/proc/self/exe").parent_path();
  fs::copy_file(built / "brae", fs::path(dir) / "brae");
  for (const char* name : {"plume.braefont", "texturepack", "brae.bmp"})
    fs::create_symlink(built / "res" / name, fs::path(dir) / "res" / name);
  if (!demo::MakeDemoGame().Write(dir + "/game")) return "";
  std::ofstream(dir + "/res/prefs.txt") << "VornPath \"" << dir << "/game/\"\nShowSplash 0\n";
  return dir;
}

// Processor time of every thread of a process, in seconds (nanosecond resolution).
double CpuSeconds(pid_t pid) {
  double total = 0;
  std::error_code ec;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "schedstat");
    unsigned long long on_cpu_ns = 0;
    if (in >> on_cpu_ns) total += double(on_cpu_ns) * 1e-9;
  }
  return total;
}

// Waits until the process has used no more than 20 ms in half a second (start-up is over).
bool WaitUntilSettled(pid_t pid, double timeout_seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  double last = CpuSeconds(pid);
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    double now = CpuSeconds(pid);
    if (now - last < 0.02) return true;
    last = now;
  }
  return false;
}

// Share of one core the process uses over the measured time.
double MeasureShare(pid_t pid) {
  double start = CpuSeconds(pid);
  auto from = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(kMeasuredSeconds));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
  return (CpuSeconds(pid) - start) / seconds;
}

void Stop(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

void BM_IdleProgram(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no display (run under xvfb-run)");
    return;
  }
  std::string dir = ProgramFolder();
  if (dir.empty()) {
    state.SkipWithError("the demo game could not be written");
    return;
  }
  for (auto _ : state) {
    pid_t program = fork();
    if (program == 0) {
      std::string path = dir + "/brae";
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (!WaitUntilSettled(program, 30)) {
      Stop(program);
      state.SkipWithError("the program did not settle");
      return;
    }
    double program_share = MeasureShare(program);
    // The next ten seconds: a text field's caret stops blinking 10 s after its last input.
    double later_share = MeasureShare(program);
    Stop(program);

    pid_t sleeper = fork();
    if (sleeper == 0) {
      timespec millisecond{0, 1000000};
      for (;;) nanosleep(&millisecond, nullptr);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double sleeper_share = MeasureShare(sleeper);
    Stop(sleeper);

    state.SetIterationTime(kMeasuredSeconds);
    state.counters["idle_cpu_percent"] = 100.0 * program_share;
    state.counters["next_10s_idle_cpu_percent"] = 100.0 * later_share;
    state.counters["bare_1ms_sleep_percent"] = 100.0 * sleeper_share;
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_IdleProgram)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace brae
