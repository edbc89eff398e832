// brae: the windowed program.
#include "app/Startup.h"
#include "editing/browser/ArchiveBrowser.h"

int main() {
  brae::TheStartupHooks().open_archive_browser = [] { brae::ShowArchiveBrowser(); };
  return brae::RunBrae(brae::BraeOptions{});
}
