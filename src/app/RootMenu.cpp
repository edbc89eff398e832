// The root menu and the application commands.
//
// Index
//   the fixed items ........ RootMenuItems, TopMenus
//   RootMenu ............... construction, the "Window" menu, command dispatch
//   commands ............... RunRootCommand and the single commands

#include "app/RootMenu.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/AddonCommands.h"
#include "app/LogViewer.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "app/WindowSpy.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "media/ImageConversion.h"
#include "platform/Platform.h"
#include "references/ReferenceLines.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UiScale.h"
#include "toolkit/UiState.h"

namespace brae {

const char* const kNotAvailableTitle = "Not Available";
const char* const kNotAvailableText = "This command is not available yet.";
const char* const kVornFolderTitle = "Select your Vorn II folder";
const char* const kVornFolderExplanation =
    "Brae needs the folder that holds the game's tags, plugins and local folders.";

namespace {

RootMenu* g_root_menu = nullptr;

void ShowNotAvailable() {
  ShowMessageBox(kNotAvailableTitle, kNotAvailableText, {"OK"});
}

// Runs the step when it is provided, else says that the command is not available yet.
template <typename Function, typename... Args>
void RunOrRefuse(const Function& step, Args&&... args) {
  if (step)
    step(std::forward<Args>(args)...);
  else
    ShowNotAvailable();
}

}  // namespace

AppServices& TheAppServices() {
  static AppServices services;
  return services;
}

// ---------------------------------------------------------------------------------------------
// The fixed items
// ---------------------------------------------------------------------------------------------

const std::vector<RootMenuItem>& RootMenuItems() {
  static const std::vector<RootMenuItem> items = {
      {"File", "Add Archives", kCmdAddArchives},
      {"File", "New Collection", kCmdNewCollection},
      {"File", "New Detail Texture From Image File", kCmdNewDtexFromImage},
      {"File", "New Detail Texture From Clipboard", kCmdNewDtexFromClipboard},
      {"File", "New Model From LWO", kCmdNewModelFromLwo},
      {"File", "New Script", kCmdNewScript},
      {"File", "", kCmdSeparator},
      {"File", "Exit", kCmdExit},
      {"Tools", "Reload Local Folder", kCmdReloadLocalFolder},
      {"Tools", "Reload Plugins Folder", kCmdReloadPluginsFolder},
      {"Tools", "Choose Vorn Folder", kCmdChooseVornFolder},
      {"Tools", "Archive Browser", kCmdArchiveBrowser},
      {"Tools", "Log Viewer", kCmdLogViewer},
      {"Tools", "", kCmdSeparator},
      {"Tools", "Build Dtex Add-on", kCmdBuildDtexAddon},
      {"Tools", "Build Regular Add-on", kCmdBuildRegularAddon},
      {"Tools", "Recursive Image Conversion", kCmdImageConversion},
      {"Tools", "Build Standard Collection", kCmdBuildStandardCollection},
      {"Tools", "Build High-Res Collection", kCmdBuildHighResCollection},
      {"Debug", "Window Spy", kCmdWindowSpy},
      {"Help", "About Brae...", kCmdAbout},
  };
  return items;
}

const std::vector<TopMenu>& TopMenus() {
  static const std::vector<TopMenu> menus = {
      {"File", 0}, {"Tools", 0}, {"Window", kCmdWindowMenu}, {"Debug", 0}, {"Help", 0}};
  return menus;
}

// ---------------------------------------------------------------------------------------------
// RootMenu
// ---------------------------------------------------------------------------------------------

RootMenu::RootMenu() : Window(0) {
  SetTitle("BraeRootMenu");
}

RootMenu::~RootMenu() {
  // The quit closes every layer-0 window, this invisible one included.
  if (g_root_menu == this) g_root_menu = nullptr;
}

int RootMenu::HandleEvent(Window* target, EventType type, Event* event) {
  if (type == EventType::ScreenResized) {
    // The OS window's own size (words 2 and 3, device pixels) rather than the logical screen.
    bool device = event->words[2] > 0 && event->words[3] > 0;
    SetPrefInt("OsWindowSizeX", event->words[device ? 2 : 0]);
    SetPrefInt("OsWindowSizeY", event->words[device ? 3 : 1]);
  }
  return Window::HandleEvent(target, type, event);
}

void RootMenu::OnMenuOpening(int item_id) {
  if (item_id == kCmdInterfaceScale) MarkScaleItems();
  if (item_id != kCmdWindowMenu) return;
  window_list_ = VisibleLayerWindows();
  if (window_list_.size() > static_cast<size_t>(kCmdLastWindow - kCmdFirstWindow + 1))
    window_list_.resize(kCmdLastWindow - kCmdFirstWindow + 1);
  RebuildWindowMenu();
}

void RootMenu::InstallMenuBar() {
  if (menu_bar_) return;
  menu_bar_ = new Menu(true);
  for (const TopMenu& top : TopMenus()) {
    MenuItem* item = AddMenuItem(menu_bar_, top.label, nullptr, top.id);
    if (top.id == kCmdWindowMenu) {
      window_item_ = item;
      // A placeholder so the item opens a submenu; it is rebuilt on every opening.
      AddMenuItem(menu_bar_, "Close All Windows", item, kCmdCloseAllWindows);
      continue;
    }
    for (const RootMenuItem& entry : RootMenuItems()) {
      if (std::string(entry.menu) != top.label) continue;
      if (entry.id == kCmdSeparator)
        AddSeparator(menu_bar_, item);
      else
        AddMenuItem(menu_bar_, entry.label, item, entry.id);
      // The choice of interface scale follows the viewers of the program's own state.
      if (entry.id == kCmdLogViewer)
        AddScaleItems(AddMenuItem(menu_bar_, "Interface Scale", item, kCmdInterfaceScale));
    }
  }
  menu_bar_->item_opening.Connect(this, &RootMenu::ItemOpening);
  menu_bar_->item_chosen.Connect(this, &RootMenu::ItemChosen);
  SetMenuBar(menu_bar_);
  menu_bar_->SetVisible(true);
}

void RootMenu::AddScaleItems(MenuItem* parent) {
  scale_item_ = parent;
  AddMenuItem(menu_bar_, "Automatic", parent, kCmdUiScaleAutomatic);
  for (int i = 0; i <= kCmdUiScaleLast - kCmdUiScaleFirst; ++i)
    AddMenuItem(menu_bar_, "", parent, kCmdUiScaleFirst + i);
  MarkScaleItems();
}

void RootMenu::MarkScaleItems() {
  if (!scale_item_) return;
  std::string chosen = "0";
  GetPrefString("UiScale", &chosen);
  float asked = AskedUiScale(chosen);
  bool automatic = asked == 0.0f;
  for (MenuItem* item : scale_item_->Items()) {
    char label[64];
    bool marked;
    if (item->Command() == kCmdUiScaleAutomatic) {
      std::snprintf(label, sizeof label, "Automatic (%d%%)",
                    static_cast<int>(std::lround(NearestUiScale(platform::ContentScale()) * 100)));
      marked = automatic;
    } else {
      float step = kUiScales[item->Command() - kCmdUiScaleFirst];
      std::snprintf(label, sizeof label, "%d%%", static_cast<int>(std::lround(step * 100)));
      marked = !automatic && step == asked;
    }
    // A bullet (0xA5 in the character set) marks the choice in force.
    item->SetTitle((std::string(marked ? "\xA5 " : "   ") + label).c_str());
  }
}

void RootMenu::RebuildWindowMenu() {
  if (!window_item_) return;
  std::vector<MenuItem*> old = window_item_->Items();
  for (MenuItem* item : old) RemoveMenuItem(item);
  AddMenuItem(menu_bar_, "Close All Windows", window_item_, kCmdCloseAllWindows);
  int id = kCmdFirstWindow;
  for (Window* window : window_list_) {
    const char* title = window->Title();
    AddMenuItem(menu_bar_, title ? title : "(unnamed)", window_item_, id++);
  }
}

void RootMenu::ItemOpening(MenuItem* item) {
  if (item) OnMenuOpening(item->Command());
}

void RootMenu::ItemChosen(MenuItem* item) {
  if (item) OnMenuCommand(item->Command());
}

void RootMenu::OnMenuCommand(int id) {
  if (id == kCmdCloseAllWindows) {
    CloseListedWindows(window_list_);
    window_list_.clear();
    return;
  }
  if (id == kCmdUiScaleAutomatic) {
    ChooseUiScale(0.0f);
    return;
  }
  if (id >= kCmdUiScaleFirst && id <= kCmdUiScaleLast) {
    ChooseUiScale(kUiScales[id - kCmdUiScaleFirst]);
    return;
  }
  if (id >= kCmdFirstWindow && id <= kCmdLastWindow) {
    size_t index = static_cast<size_t>(id - kCmdFirstWindow);
    if (index >= window_list_.size()) return;
    // The list may be stale: only bring a window that is still in layer 0 to the front.
    Window* window = window_list_[index];
    for (Window* w : VisibleLayerWindows())
      if (w == window) {
        window->BringToFront();
        window->SetFocus();
      }
    return;
  }
  RunRootCommand(id);
}

RootMenu* CreateRootMenu() {
  if (!g_root_menu) {
    g_root_menu = new RootMenu();
    g_root_menu->InstallMenuBar();
  }
  return g_root_menu;
}

RootMenu* TheRootMenu() {
  return g_root_menu;
}

void DestroyRootMenu() {
  delete g_root_menu;
  g_root_menu = nullptr;
}

std::vector<Window*> VisibleLayerWindows() {
  std::vector<Window*> windows;
  Window* layer = Ui().layer0;
  if (!layer) return windows;
  for (Window* w = layer->first_child; w; w = w->next_sibling)
    if (w->IsVisible() && !w->IsClosed()) windows.push_back(w);
  return windows;
}

int CloseListedWindows(const std::vector<Window*>& windows) {
  // Windows closed meanwhile (by an earlier window's close) are skipped.
  int closed = 0;
  for (Window* window : windows) {
    bool still_there = false;
    for (Window* w = Ui().layer0 ? Ui().layer0->first_child : nullptr; w; w = w->next_sibling)
      if (w == window && !w->IsClosed()) still_there = true;
    if (!still_there || !(window->Flags() & kWindowCloseBox)) continue;
    if (!window->RequestClose(1)) break;
    window->Close();
    ++closed;
  }
  ProcessDeferredDeletions();
  return closed;
}

// ---------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------

bool RunRootCommand(int id) {
  AppServices& services = TheAppServices();
  switch (id) {
    case kCmdExit:
      QueueCloseRequest();
      return true;
    case kCmdAddArchives:
      AddArchivesCommand();
      return true;
    case kCmdNewCollection:
      NewTagOfGroup(FourCC(".256"));
      return true;
    case kCmdNewScript:
      NewTagOfGroup(FourCC("scri"));
      return true;
    case kCmdNewModelFromLwo:
      RunOrRefuse(services.new_model_from_lwo);
      return true;
    case kCmdNewDtexFromImage:
    case kCmdNewDtexFromClipboard:
      RunOrRefuse(services.new_detail_texture, id);
      return true;
    case kCmdArchiveBrowser:
      OpenArchiveBrowser();
      return true;
    case kCmdLogViewer:
      ShowLogViewer();
      return true;
    case kCmdReloadLocalFolder:
      TheCodex().PollLocalFolder(true);
      return true;
    case kCmdReloadPluginsFolder:
      ReloadPluginsFolder();
      return true;
    case kCmdChooseVornFolder:
      ChooseVornFolder();
      return true;
    case kCmdBuildDtexAddon:
      BuildDtexAddonCommand();
      return true;
    case kCmdBuildRegularAddon:
      BuildRegularAddonCommand();
      return true;
    case kCmdImageConversion:
      RecursiveImageConversion();
      return true;
    case kCmdBuildStandardCollection:
      RunOrRefuse(services.build_standard_collection);
      return true;
    case kCmdBuildHighResCollection:
      RunOrRefuse(services.build_high_res_collection);
      return true;
    case kCmdWindowSpy:
      ShowWindowSpy();
      return true;
    case kCmdAbout:
      RunAbout();
      return true;
    default:
      return false;
  }
}

void AddArchivesCommand() {
  AppServices& services = TheAppServices();
  if (!services.choose_files) {
    ShowNotAvailable();
    return;
  }
  std::vector<std::string> files;
  if (!services.choose_files("Select Archives", &files)) return;
  if (services.add_archives) {
    services.add_archives(files);
    return;
  }
  for (const std::string& file : files)
    if (!TheCodex().AddArchive(file))
      Log(1, "Codex", "Could not add the archive '%s'\n", file.c_str());
}

void NewTagOfGroup(uint32_t group) {
  const TagGroup* entry = FindTagGroup(group);
  if (!entry) return;
  AppServices& services = TheAppServices();
  if (!services.create_and_open) {
    ShowNotAvailable();
    return;
  }
  char title[96], create[96];
  std::snprintf(title, sizeof title, "Enter Name for %s", entry->singular);
  std::snprintf(create, sizeof create, "Create %s", entry->singular);
  std::string name;
  if (ShowInputBox(title, {create, "Cancel"}, &name) != 0) return;
  if (name.empty()) {
    ShowMessageBox("Not Created", "You must specify a name.", {"OK"});
    return;
  }
  services.create_and_open(group, name);
}

void OpenArchiveBrowser() {
  if (TheAppServices().open_archive_browser)
    TheAppServices().open_archive_browser();
  else if (TheStartupHooks().open_archive_browser)
    TheStartupHooks().open_archive_browser();
  else
    ShowNotAvailable();
}

void CloseArchiveBrowserIfOpen() {
  if (TheStartupHooks().close_archive_browser) TheStartupHooks().close_archive_browser();
}

void ReloadTagIndex(const std::string& game_folder) {
  CloseArchiveBrowserIfOpen();
  // The game folder brings its own structure definitions (no tag is open at this point).
  if (TheStartupHooks().load_definitions) TheStartupHooks().load_definitions();
  if (TheStartupHooks().register_editors) TheStartupHooks().register_editors();
  TheReferenceIndex().InvalidateAll();  // it knew the old definitions
  TheCodex().LoadCodex(game_folder);
  OpenArchiveBrowser();
}

void ReloadPluginsFolder() {
  // The browser goes first: it must not show archives while they are unloaded, and opening it
  // again restores the working set it saved. Archives found again keep their active state
  // without a browser too.
  CloseArchiveBrowserIfOpen();
  Codex& codex = TheCodex();
  std::vector<std::string> active;
  for (ArchiveRecord* archive : codex.ActiveArchives()) active.push_back(archive->path);
  codex.ReloadArchives();
  std::vector<ArchiveRecord*> set;
  for (const std::string& path : active)
    if (ArchiveRecord* archive = codex.FindArchiveByPath(path)) set.push_back(archive);
  codex.SetActiveArchives(set);
  OpenArchiveBrowser();
}

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string InFolder(const std::string& folder, const char* name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The game folder question; false when cancelled or when no question can be asked.
bool AskGameFolder(std::string* folder) {
  AppServices& services = TheAppServices();
  bool chosen = false;
  if (services.choose_game_folder) {
    chosen = services.choose_game_folder(folder);
  } else if (services.choose_folder) {
    chosen = services.choose_folder(kVornFolderTitle, folder);
  } else {
    ShowNotAvailable();
  }
  return chosen && !folder->empty();
}

}  // namespace

bool LooksLikeGameFolder(const std::string& folder) {
  return IsFolder(InFolder(folder, "tags"));
}

bool HoldsGameData(const std::string& folder) {
  return LooksLikeGameFolder(folder) || IsFolder(InFolder(folder, "local"));
}

void AskForGameFolderIfMissing() {
  std::string folder = GameFolderInForce();
  if (HoldsGameData(folder)) return;
  if (!AskGameFolder(&folder)) {
    Log(0, "Brae",
        "No Vorn II folder was chosen; \"Choose Vorn Folder\" in the Tools menu asks again.\n");
    return;
  }
  UseGameFolder(folder);
}

void ChooseVornFolder() {
  if (TheCodex().TotalUserCount() > 0) {
    ShowMessageBox("Error", "Please close all open tags first.", {"OK"});
    return;
  }
  std::string folder = GameFolderInForce();
  if (!AskGameFolder(&folder)) return;
  UseGameFolder(folder);
}

void UseGameFolder(std::string folder) {
  if (folder.back() != '/') folder += '/';
  SetGameFolderInForce(folder);
  ReloadTagIndex(folder);
}

void RecursiveImageConversion() {
  AppServices& services = TheAppServices();
  if (!services.choose_conversion) {
    ShowNotAvailable();
    return;
  }
  std::string folder;
  int mode = 0, target = static_cast<int>(MediaType::kPng);
  if (!services.choose_conversion(kConversionFolderTitle, &folder, &target, &mode)) return;
  const int count =
      ConvertImagesInFolder(folder, static_cast<MediaType>(target),
                            mode == 1 ? ConversionMode::kAlphaOnly : ConversionMode::kFull)
          .converted;
  char text[64];
  std::snprintf(text, sizeof text, kConversionDoneText, count);
  ShowMessageBox(kConversionDoneTitle, text, {"OK"});
}

}  // namespace brae
