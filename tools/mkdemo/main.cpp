// mkdemo [--large|--compare] GAMEDIR: writes the demo Vorn II game folder (or a 100,000-tag
// one, or one with edited copies to compare).
#include <cstdio>
#include <cstring>

#include "mkdemo/DemoGame.h"

int main(int argc, char** argv) {
  const bool large = argc == 3 && std::strcmp(argv[1], "--large") == 0;
  const bool compare = argc == 3 && std::strcmp(argv[1], "--compare") == 0;
  if (argc != 2 && !large && !compare) {
    std::fprintf(stderr, "usage: mkdemo [--large|--compare] GAMEDIR\n");
    return 2;
  }
  const char* folder = argv[argc - 1];
  brae::demo::DemoGame game = large     ? brae::demo::MakeLargeGame({})
                              : compare ? brae::demo::MakeCompareDemoGame()
                                        : brae::demo::MakeDemoGame();
  if (!game.Write(folder)) {
    std::fprintf(stderr, "mkdemo: could not write the demo game folder '%s'\n", folder);
    return 2;
  }
  std::printf("%s\n", folder);
  return 0;
}
