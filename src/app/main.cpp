// brae: the windowed program.
#include "app/EditingHooks.h"
#include "app/Startup.h"

int main() {
  brae::InstallEditingHooks();
  return brae::RunBrae(brae::BraeOptions{});
}
