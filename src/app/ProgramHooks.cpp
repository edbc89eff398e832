#include "app/ProgramHooks.h"

#include "app/DialogServices.h"
#include "app/EditingHooks.h"
#include "app/RootMenu.h"
#include "app/Startup.h"
#include "collection/ui/AutoCollectionDialog.h"
#include "collection/ui/AutoUpResDialog.h"
#include "editing/TagEdit.h"
#include "editing/TagInfoWindow.h"
#include "editing/browser/ArchiveBrowser.h"

namespace brae {

void InstallProgramHooks() {
  InstallEditingHooks();
  InstallDialogServices();
  TheStartupHooks().open_archive_browser = [] { ShowArchiveBrowser(); };
  TheStartupHooks().close_archive_browser = [] { CloseArchiveBrowser(); };
  ArchiveBrowserHooks& browser = TheArchiveBrowserHooks();
  browser.open_tag = [](TagRecord* record) { OpenTag(record); };
  browser.open_tag_info = [](TagRecord* record) { TagInfoWindow::Open(record); };
  browser.choose_folder = [](const std::string& title, std::string* folder) {
    return TheAppServices().choose_folder(title.c_str(), folder);
  };
  // Archives added from the root menu join the browser's working set.
  TheAppServices().add_archives = AddArchivesToBrowser;
  TheAppServices().build_standard_collection = RunAutoCollectionDialog;
  TheAppServices().build_high_res_collection = RunAutoUpResDialog;
}

}  // namespace brae
