// brae: the windowed program. `brae [GAMEDIR]` opens the game folder for this run only;
// `--help` and `--version` print and exit.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/ProgramHooks.h"
#include "app/Startup.h"

namespace {

constexpr const char* kUsage =
    "Usage: brae [GAMEDIR]\n"
    "Edits the data files (tags) of the game Vorn II.\n"
    "\n"
    "GAMEDIR   the game folder to open for this run; the stored one (\"VornPath\") stays.\n"
    "          Without it the stored folder opens, and a first start asks for it.\n"
    "\n"
    "Options:\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  brae::BraeOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!std::strcmp(arg, "--version")) {
      std::printf("brae %s\n", BRAE_VERSION);
      return 0;
    }
    if (arg[0] == '-' || !options.game_folder.empty()) {
      std::fprintf(stderr, "brae: unexpected argument '%s'\n%s", arg, kUsage);
      return 2;
    }
    std::error_code ec;
    std::string folder = std::filesystem::absolute(arg, ec).lexically_normal().string();
    if (ec || !std::filesystem::is_directory(folder, ec)) {
      std::fprintf(stderr, "brae: '%s' is not a folder\n", arg);
      return 2;
    }
    if (folder.back() != '/') folder += '/';
    options.game_folder = folder;
  }
  brae::InstallProgramHooks();
  return brae::RunBrae(options);
}
