// brae: the windowed program.
#include "app/EditingHooks.h"
#include "app/Startup.h"
#include "editing/TagEdit.h"
#include "editing/TagInfoWindow.h"
#include "editing/browser/ArchiveBrowser.h"

int main() {
  brae::InstallEditingHooks();
  brae::TheStartupHooks().open_archive_browser = [] { brae::ShowArchiveBrowser(); };
  brae::ArchiveBrowserHooks& browser = brae::TheArchiveBrowserHooks();
  browser.open_tag = [](brae::TagRecord* record) { brae::OpenTag(record); };
  browser.open_tag_info = [](brae::TagRecord* record) { brae::TagInfoWindow::Open(record); };
  return brae::RunBrae(brae::BraeOptions{});
}
