#pragma once
// The menu bar at the top of the screen and the application commands it starts.
//
// Index
//   command ids ............ RootCommand
//   the fixed items ........ RootMenuItems, TopMenus
//   services ............... AppServices (steps that other parts of the program provide)
//   RootMenu ............... the invisible window that owns the menu bar
//   commands ............... RunRootCommand and the single commands

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

class TagRecord;

enum RootCommand : int {
  kCmdSeparator = -1,
  kCmdExit = 10000,
  kCmdAddArchives = 10001,
  kCmdNewCollection = 10002,
  kCmdNewModelFromLwo = 10003,
  kCmdNewScript = 10004,
  kCmdArchiveBrowser = 10200,
  kCmdLogViewer = 10201,
  kCmdReloadLocalFolder = 10202,
  kCmdReloadPluginsFolder = 10203,
  kCmdChooseVornFolder = 10204,
  kCmdBuildDtexAddon = 10205,
  kCmdBuildRegularAddon = 10206,
  kCmdImageConversion = 10208,
  kCmdBuildStandardCollection = 10209,
  kCmdBuildHighResCollection = 10210,
  kCmdInterfaceScale = 10211,  // the submenu of scales
  kCmdUiScaleAutomatic = 10220,
  kCmdUiScaleFirst = 10221,  // one per step of kUiScales, in order
  kCmdUiScaleLast = 10227,
  kCmdWindowMenu = 10300,
  kCmdCloseAllWindows = 10301,
  kCmdFirstWindow = 10302,
  kCmdLastWindow = 10399,
  kCmdWindowSpy = 11000,
  kCmdAbout = 12000,
  kCmdNewDtexFromImage = 13000,
  kCmdNewDtexFromClipboard = 13001,
};

struct RootMenuItem {
  const char* menu;   // "File", "Tools", "Debug", "Help"
  const char* label;  // empty for a separator
  int id;
};
// The fixed items in menu order (the "Window" menu is built when it opens).
const std::vector<RootMenuItem>& RootMenuItems();

struct TopMenu {
  const char* label;
  int id;
};
// "File", "Tools", "Window", "Debug", "Help".
const std::vector<TopMenu>& TopMenus();

// Steps that other parts of the program fill in at start-up; a command whose step is missing
// says that it is not available yet.
struct AppServices {
  std::function<void()> open_archive_browser;
  // Adds chosen archive files to the index (the archive browser puts them in the working set).
  std::function<void(const std::vector<std::string>& paths)> add_archives;
  // Creates a tag of the group with the name in the local folder and opens its editor.
  std::function<void(uint32_t group, const std::string& name)> create_and_open;
  std::function<void()> build_standard_collection;
  std::function<void()> build_high_res_collection;
  std::function<void()> new_model_from_lwo;
  std::function<void(int command)> new_detail_texture;
  // Asks for a folder ("Choose Vorn Folder", "Recursive Image Conversion"); false when cancelled.
  std::function<bool(const char* title, std::string* folder)> choose_folder;
  // Asks for the game folder ("Choose Vorn Folder" and the first start): the folder chooser
  // with kVornFolderTitle and kVornFolderExplanation; false when cancelled.
  std::function<bool(std::string* folder)> choose_game_folder;
  // Asks for archive files ("Add Archives"); false when cancelled.
  std::function<bool(const char* title, std::vector<std::string>* files)> choose_files;
  // Asks for the folder, the target format (a MediaType) and the mode: "Full" (0) or
  // "Alpha Only" (1).
  std::function<bool(const char* title, std::string* folder, int* target, int* mode)>
      choose_conversion;
};
AppServices& TheAppServices();

// Title and text of the message of a command that is not available yet.
extern const char* const kNotAvailableTitle;
extern const char* const kNotAvailableText;

class Menu;
class MenuItem;

class RootMenu : public Window {
 public:
  RootMenu();
  ~RootMenu() override;
  const char* ClassName() const override { return "RootMenu"; }
  int HandleEvent(Window* target, EventType type, Event* event) override;

  // The "Window" item lists "Close All Windows" and the visible layer-0 windows; the
  // "Interface Scale" item marks the scale in force.
  void OnMenuOpening(int item_id);
  void OnMenuCommand(int id);

  // The windows of the "Window" menu in menu order (valid until it is rebuilt).
  const std::vector<Window*>& WindowList() const { return window_list_; }
  Menu* MenuBar() const { return menu_bar_; }
  // Builds the menu bar with the fixed items and installs it with the toolkit.
  void InstallMenuBar();

 private:
  void ItemOpening(MenuItem* item);
  void ItemChosen(MenuItem* item);
  void RebuildWindowMenu();
  void AddScaleItems(MenuItem* parent);
  void MarkScaleItems();

  std::vector<Window*> window_list_;
  Menu* menu_bar_ = nullptr;
  MenuItem* window_item_ = nullptr;
  MenuItem* scale_item_ = nullptr;
};

// Creates the root menu once and installs its menu bar.
RootMenu* CreateRootMenu();
RootMenu* TheRootMenu();  // null before CreateRootMenu
void DestroyRootMenu();

// The visible windows of layer 0, front to back.
std::vector<Window*> VisibleLayerWindows();
// Asks each window with a close box RequestClose(1) and closes it; stops at the first refusal.
// Returns the number of windows closed.
int CloseListedWindows(const std::vector<Window*>& windows);

// Runs one application command; false for an unknown id.
bool RunRootCommand(int id);

// The single commands.
void AddArchivesCommand();
// The archive browser opened or brought to the front.
void OpenArchiveBrowser();
void NewTagOfGroup(uint32_t group);
void ReloadPluginsFolder();
void ChooseVornFolder();
void RecursiveImageConversion();
void ReloadTagIndex(const std::string& game_folder);

// ---- the game folder
extern const char* const kVornFolderTitle;        // "Select your Vorn II folder"
extern const char* const kVornFolderExplanation;  // the line above the folder list
// A folder that looks like a game folder: it holds a "tags" folder.
bool LooksLikeGameFolder(const std::string& folder);
// Whether the folder holds any game data (a "tags" or a "local" folder).
bool HoldsGameData(const std::string& folder);
// Makes the folder the game folder, stores it as "VornPath" and indexes it.
void UseGameFolder(std::string folder);
// At start-up, when the game folder in force holds no game data: asks for one. Cancel leaves
// the browser empty and says so in the log.
void AskForGameFolderIfMissing();

}  // namespace brae
