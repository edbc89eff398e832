// brae: the windowed program.
#include "app/DialogServices.h"
#include "app/EditingHooks.h"
#include "app/Startup.h"

int main() {
  brae::InstallEditingHooks();
  brae::InstallDialogServices();
  return brae::RunBrae(brae::BraeOptions{});
}
