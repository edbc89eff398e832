// brae: the windowed program.
#include "app/ProgramHooks.h"
#include "app/Startup.h"

int main() {
  brae::InstallProgramHooks();
  return brae::RunBrae(brae::BraeOptions{});
}
