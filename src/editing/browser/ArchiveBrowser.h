#pragma once
// The archive browser window: the active and inactive archive lists on the left, the tag tree
// on the right, the filter field above it. Its state and commands live in ArchiveBrowserModel;
// this window mirrors them into list widgets and supplies the dialogs.

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "editing/browser/ArchiveBrowserModel.h"
#include "toolkit/ListWindow.h"
#include "toolkit/SplitterWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

// What the browser asks of the tag editors (set at start-up by the editing framework).
struct ArchiveBrowserHooks {
  std::function<void(TagRecord*)> open_tag;
  std::function<void(TagRecord*)> open_tag_info;
  // The platform's folder dialog; false when cancelled.
  std::function<bool(const std::string& title, std::string* folder)> choose_folder;
};
ArchiveBrowserHooks& TheArchiveBrowserHooks();

// Command ids of the context menus.
enum ArchiveBrowserCommand {
  kBrowserOpen = 1,
  kBrowserGetInfo,
  kBrowserCopyToLocal,
  kBrowserDuplicate,
  kBrowserDelete,
  kBrowserToggleHidden,
  kBrowserDefaultWorkingSet,
  kBrowserMoveSelection,
  kBrowserDisassemble,
  kBrowserFindUsages,
};

class ArchiveBrowser : public Window, public BrowserUi {
 public:
  ArchiveBrowser();
  ~ArchiveBrowser() override;
  const char* ClassName() const override { return "ArchiveBrowser"; }

  ArchiveBrowserModel& Model() { return *model_; }
  ListWindow* ActiveList() const { return active_list_; }
  ListWindow* InactiveList() const { return inactive_list_; }
  ListWindow* TagTree() const { return tag_tree_; }
  TextBox* FilterField() const { return filter_; }
  // The record shown by a tag tree row, or none for a group row.
  TagRecord* RecordOf(const ListRow* row) const;
  ListRow* RowOf(const TagRecord* record) const;

  // Runs a context menu command (as chosen from the menus).
  void RunTagCommand(int command);
  // "Find Usages": the usages window of the first selected tag.
  void FindUsages();
  void RunArchiveCommand(int command, bool from_active);
  // Brings the widgets up to date with the model (called every idle and after commands).
  void Sync();

  // ---- Window
  void Layout() override;
  void WillClose() override;
  int KeyDown(Event* event) override;
  void Idle() override;

  // ---- BrowserUi
  void OpenTag(TagRecord* record) override;
  void BringInfoToFront(const void* info_window) override;
  void OpenTagInfo(TagRecord* record) override;
  bool AskText(const std::string& title, std::string* text) override;
  bool AskQuestion(const std::string& title, const std::string& message, const std::string& yes,
                   const std::string& no) override;
  void ShowMessage(const std::string& title, const std::string& message) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;

  // The context menus (also used by the right click on the lists).
  void TagTreeMenu(int x, int y);
  void ArchiveListMenu(bool active, int x, int y);

 private:
  void BuildChildren();
  void FillArchiveList(ListWindow* list, const std::vector<ArchiveItem>& items);
  void FillTagTree();
  void FillRow(ListRow* row, const TagItem& item);
  void RefreshRow(const TagRecord* record);
  void ReadArchiveSelection(bool active);
  void ReadTagSelection();
  void OnActiveSelection();
  void OnInactiveSelection();
  void OnTagSelection();
  void OnTagActivated(ListRow* row);
  void OnTagDelete();
  void OnFilterChanged();

  std::unique_ptr<ArchiveBrowserModel> model_;
  SplitterWindow* outer_ = nullptr;
  SplitterWindow* inner_ = nullptr;
  ListWindow* active_list_ = nullptr;
  ListWindow* inactive_list_ = nullptr;
  ListWindow* tag_tree_ = nullptr;
  Window* tag_pane_ = nullptr;  // the filter field above the tag tree
  TextBox* filter_ = nullptr;
  std::vector<TagRecord*> row_records_;                    // row value - 1
  std::unordered_map<const TagRecord*, ListRow*> row_of_;  // rows of the current fill
  uint64_t shown_tree_version_ = ~0ull;
  uint64_t shown_lists_version_ = ~0ull;
  bool syncing_ = false;
  bool outer_bar_placed_ = false;
  bool placement_saved_ = false;
};

// The one archive browser: created when missing, shown, brought to the front and focused.
ArchiveBrowser* ShowArchiveBrowser();
void CloseArchiveBrowser();
ArchiveBrowser* TheArchiveBrowser();
// The root menu's "Add Archives": the chosen files join the loaded archives and the working set.
void AddArchivesToBrowser(const std::vector<std::string>& paths);

}  // namespace brae
