// mkdemo GAMEDIR: writes the demo Vorn II game folder.
#include <cstdio>

#include "mkdemo/DemoGame.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkdemo GAMEDIR\n");
    return 2;
  }
  if (!brae::demo::MakeDemoGame().Write(argv[1])) {
    std::fprintf(stderr, "mkdemo: could not write the demo game folder '%s'\n", argv[1]);
    return 2;
  }
  std::printf("%s\n", argv[1]);
  return 0;
}
