#pragma once
// What the archive browser shows and does, without any widget: the active and inactive archive
// lists with their three special items, the tag tree's items with their 128-byte rows, colours
// and dimming, the filter, the working set, the Codex listener and every command. The window
// (ArchiveBrowser) mirrors this state into its list widgets and supplies the dialogs through
// BrowserUi.
//
// Index
//   columns of the tag tree ........... kTagTreeColumns, FormatTagColumn
//   archive lists ...................... ArchiveItem, RebuildArchiveLists, MoveSelection
//   tag tree ............................ TagItem, RebuildTagTree, VisibleGroups, filter
//   commands ............................ Open, GetInfo, CopyToLocal, Duplicate, Delete, ...

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "tagstore/Codex.h"

namespace brae {

class Prefs;

// ---- Columns of the tag tree

enum class ColumnKind { kInteger, kText, kFourChars };

struct TagTreeColumn {
  const char* title;
  const char* format;
  ColumnKind kind;
  int bytes;
  int width;
  bool shown;  // at start
};

constexpr int kTagTreeColumnCount = 14;
constexpr size_t kTagRowSize = 128;
extern const TagTreeColumn kTagTreeColumns[kTagTreeColumnCount];

// The row a tag item carries: the effective header followed by the location text.
struct TagRow {
  TagHeader header;
  char location[64] = {};
};
static_assert(sizeof(TagRow) == kTagRowSize, "a tag row is 128 bytes");

// Byte offset of a column inside the row (the running sum of the widths before it).
int TagColumnOffset(int column);
// The column's text for a row, by the column's format.
std::string FormatTagColumn(const TagRow& row, int column);
// Sort priority of a column: its position among the columns shown at start, or -1.
int TagColumnSortPriority(int column);

// ---- Items

enum class SpecialArchive { kNone, kLocal, kFoundation, kCombined };

struct ArchiveItem {
  ArchiveRecord* archive = nullptr;  // none for the special items
  SpecialArchive special = SpecialArchive::kNone;
  bool selected = false;
  std::string Label() const;
};

struct Colour {
  uint8_t r, g, b;
  bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct TagItem {
  TagRecord* record = nullptr;
  TagRow row;
  bool dimmed = false;
  bool has_local = false;
  bool selected = false;
  char filter_key[40] = {};  // lower-case name, "\n", lower-case tagid
  uint64_t mark = 0;         // the rebuild that last collected it
  Colour TextColour() const;
};

struct GroupView {
  uint32_t group = 0;
  std::string label;           // "%s (%d)"
  bool has_editor = false;     // drawn with its colour halved when false
  std::vector<TagItem*> tags;  // sorted, filtered
};

// ---- Dialogs and windows the commands need; the window implements them.

class BrowserUi {
 public:
  virtual ~BrowserUi() = default;
  virtual void OpenTag(TagRecord* record) = 0;
  // Brings an existing information window (the 'info' user's pointer) to the front.
  virtual void BringInfoToFront(const void* info_window) = 0;
  virtual void OpenTagInfo(TagRecord* record) = 0;
  // False on Cancel.
  virtual bool AskText(const std::string& title, std::string* text) = 0;
  // True for the first button.
  virtual bool AskQuestion(const std::string& title, const std::string& message,
                           const std::string& yes, const std::string& no) = 0;
  virtual void ShowMessage(const std::string& title, const std::string& message) = 0;
  virtual bool ChooseFolder(const std::string& title, std::string* folder) = 0;
};

class ArchiveBrowserModel {
 public:
  ArchiveBrowserModel(Codex& codex, Prefs& prefs, BrowserUi& ui);
  ~ArchiveBrowserModel();
  ArchiveBrowserModel(const ArchiveBrowserModel&) = delete;
  ArchiveBrowserModel& operator=(const ArchiveBrowserModel&) = delete;

  // Restores the working set from "CodexWorkingSet" (or the default one), rebuilds the archive
  // lists and applies.
  void Start();

  // ---- Archive lists
  std::vector<ArchiveItem>& ActiveList() { return active_; }
  std::vector<ArchiveItem>& InactiveList() { return inactive_; }
  void RebuildArchiveLists();
  void Apply();
  // Selecting in the active list rebuilds the tag tree.
  void SetActiveSelection(const std::vector<bool>& selected);
  void SetInactiveSelection(const std::vector<bool>& selected);
  // Context menu commands; from_active tells which list's menu.
  void DefaultWorkingSet();
  bool CanMoveSelection(bool from_active) const;
  void MoveSelection(bool from_active);
  bool CanDisassemble(bool from_active) const;
  void Disassemble(bool from_active);
  void AddArchives(const std::vector<std::string>& paths);

  // ---- Tag tree
  void RebuildTagTree();
  bool IsShown(const TagRecord* record) const;
  bool ShowHiddenGroups() const { return show_hidden_groups_; }
  // Case-insensitive substring of the name or tagid; empty shows all.
  void SetFilter(const std::string& text);
  const std::string& Filter() const { return filter_; }
  // The visible tree: groups in code order, each with its sorted, filtered tags.
  const std::vector<GroupView>& VisibleGroups();
  size_t ItemCount() const { return items_.size(); }
  TagItem* FindItem(const TagRecord* record);
  void SelectTags(const std::vector<TagRecord*>& records);
  std::vector<TagItem*> SelectedTags();
  // Bumped whenever the tree's content changes (the window rebuilds its list then).
  uint64_t TreeVersion() const { return tree_version_; }
  uint64_t ArchiveListVersion() const { return lists_version_; }
  // Items refreshed in place since the last call (their place in the tree is unchanged).
  std::vector<const TagRecord*> TakeChangedRows();

  // ---- Tag tree commands
  bool HasTagSelection();
  void Open();
  void GetInfo();
  void CopyToLocal();
  void Duplicate();
  void Delete();
  void ToggleHiddenGroups();
  // Counts the tags that would be left without their target when a record's local copy is
  // deleted; Delete names that number in its question. The reference index provides it.
  void SetUsageCounter(std::function<size_t(const TagRecord*)> counter) {
    usage_counter_ = std::move(counter);
  }

  // A closed browser stops following the Codex before it is deleted (archives may be unloaded
  // in between).
  void StopListening();
  // The Codex listener.
  static void Listener(void* context, ArchiveRecord* archive, TagRecord* record, int event);
  void OnCodexEvent(ArchiveRecord* archive, TagRecord* record, int event);

 private:
  void SaveWorkingSet();
  std::vector<ArchiveRecord*> ActiveListArchives() const;
  void CollectSelectedRecords(std::vector<TagRecord*>* out) const;
  bool IsCollected(const TagRecord* record) const;
  void UpdateItem(TagRecord* record);
  void FillItem(TagItem& item);
  bool ComputeDimmed(TagItem& item);
  void RemoveItem(const TagRecord* record);
  void ForgetArchive(const ArchiveRecord* archive);
  void EnsureSelectionInActive();
  void SortListsByArchiveOrder();
  void TreeChanged();
  void ChangeActiveSet(const std::function<void()>& change);
  void SortItems();

  Codex& codex_;
  Prefs& prefs_;
  BrowserUi& ui_;
  std::vector<ArchiveItem> active_;
  std::vector<ArchiveItem> inactive_;
  std::unordered_map<const TagRecord*, TagItem> items_;
  bool show_hidden_groups_ = false;
  bool adding_archives_ = false;
  bool changing_active_set_ = false;
  std::string filter_;
  std::vector<GroupView> groups_;
  std::map<uint32_t, std::vector<TagItem*>> sorted_;  // by group, in row order
  bool order_dirty_ = true;
  std::function<size_t(const TagRecord*)> usage_counter_;
  std::vector<const TagRecord*> changed_rows_;
  bool groups_dirty_ = true;
  uint64_t rebuild_mark_ = 0;
  uint64_t tree_version_ = 0;
  uint64_t lists_version_ = 0;
};

}  // namespace brae
