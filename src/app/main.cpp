// brae: the windowed program.
#include "app/DialogServices.h"
#include "app/EditingHooks.h"
#include "app/RootMenu.h"
#include "app/Startup.h"
#include "editing/TagEdit.h"
#include "editing/TagInfoWindow.h"
#include "editing/browser/ArchiveBrowser.h"

int main() {
  brae::InstallEditingHooks();
  brae::InstallDialogServices();
  brae::TheStartupHooks().open_archive_browser = [] { brae::ShowArchiveBrowser(); };
  brae::TheStartupHooks().close_archive_browser = [] { brae::CloseArchiveBrowser(); };
  brae::ArchiveBrowserHooks& browser = brae::TheArchiveBrowserHooks();
  browser.open_tag = [](brae::TagRecord* record) { brae::OpenTag(record); };
  browser.open_tag_info = [](brae::TagRecord* record) { brae::TagInfoWindow::Open(record); };
  browser.choose_folder = [](const std::string& title, std::string* folder) {
    return brae::TheAppServices().choose_folder(title.c_str(), folder);
  };
  // Archives added from the root menu join the browser's working set.
  brae::TheAppServices().add_archives = brae::AddArchivesToBrowser;
  return brae::RunBrae(brae::BraeOptions{});
}
