#pragma once
// A multi-column, hierarchical list. Only the rows whose ancestors are all expanded are kept in
// a flat array of shown rows; drawing, scrolling and hit testing look at the rows on screen
// only, sorting is O(n log n), and adding or removing a row edits the array in place.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/ScrollableWindow.h"

namespace brae {

enum ListStyle : uint32_t {
  kListMultipleSelection = 8,
  kListColumnHeader = 32,
  kListDragRows = 64,
  kListKeepSelectionOnEmpty = 128,
  kListSingleClickActivates = 0x100,
};

enum ListRowFlag : uint32_t {
  kRowSelected = 1,
  kRowExpanded = 2,
  kRowGreyed = 64,  // greyed and not selectable
};

enum ListColumnFlag : uint32_t {
  kColumnHidden = 2,
  kColumnDescending = 4,
};

constexpr uint32_t kRowColourNormal = 0xFFFFFFFFu;
constexpr uint32_t kRowColourGreyed = 0xFF808080u;
constexpr int kListDragType = 1;

struct ListRow {
  ListRow* parent = nullptr;
  std::vector<ListRow*> children;
  uint32_t flags = 0;
  int value = 0;
  std::string text;
  uint32_t colour = kRowColourNormal;
  int depth = 0;
  std::vector<std::string> cells;  // columns 1, 2, ...

  bool IsSelected() const { return flags & kRowSelected; }
  bool IsExpanded() const { return flags & kRowExpanded; }
  // The text stored for a column (0 is the row's own text).
  const std::string& Cell(int column) const;

 private:
  friend class ListWindow;
  size_t shown_index = 0;  // valid below the list's stale mark
  bool shown = false;
};

struct ListColumn {
  std::string title;
  int width = 100;
  uint32_t flags = 0;
  int priority = 0;  // 0 is the first sort key; a column below 0 takes no part in sorting
};

class ListWindow : public ScrollableWindow {
 public:
  class ListItemDDData : public Window::DragDropData {
   public:
    ListItemDDData(ListWindow* list, std::vector<ListRow*> rows);
    ~ListItemDDData() override;
    ListWindow* list;
    std::vector<ListRow*> rows;
  };

  ListWindow(uint32_t style, uint32_t flags, Window* parent = nullptr);
  ~ListWindow() override;
  const char* ClassName() const override { return "ListWindow"; }

  // ---- rows ----
  ListRow* AddRow(ListRow* parent, const char* text, uint32_t flags = 0, int value = 0);
  void SetCell(ListRow* row, int column, const char* text);
  // Rows without stored cells take every column's text from this hook when it is set, so a
  // list of many rows formats only what is drawn or compared.
  std::function<std::string(const ListRow* row, int column)> cell_text;
  // The text shown in a column: the stored one, or the hook's.
  std::string CellText(const ListRow* row, int column) const;
  void RemoveRow(ListRow* row);
  void Clear();
  void Expand(ListRow* row);
  void Collapse(ListRow* row);
  ListRow* FindRowByValue(int value) const;
  size_t RowCount() const { return row_count_; }
  size_t ShownCount() const { return shown_.size(); }
  ListRow* ShownRow(size_t index) const { return index < shown_.size() ? shown_[index] : nullptr; }
  const std::vector<ListRow*>& Roots() const { return roots_; }

  // ---- selection ----
  void Select(ListRow* row, bool extend);
  void SelectAll();
  void ClearSelection();
  void ToggleSelected(ListRow* row);
  std::vector<ListRow*> SelectedRows() const;
  size_t SelectedCount() const { return selected_count_; }
  ListRow* CurrentRow() const { return current_; }
  void SetCurrentRow(ListRow* row, bool extend);

  // ---- columns and sorting ----
  int AddColumn(const char* title, int width, uint32_t flags = 0);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const ListColumn& Column(int index) const { return columns_[index]; }
  // A column wider than the list scrolls horizontally.
  void SetColumnWidth(int column, int width);
  // The width of the first column that shows the row's whole text (indent and expander too).
  int RowTextWidth(const ListRow* row) const;
  void SetColumnPriority(int column, int priority);
  // Makes the column the first sort key (with the given direction) and sorts.
  void SortBy(int column, bool descending);
  void Sort();
  // Whether a sort order was chosen (SortBy); rows added later arrive unsorted until Sort().
  bool HasChosenSortOrder() const { return sort_chosen_; }

  // ---- geometry ----
  void ScrollToRow(ListRow* row);
  int RowHeight() const;
  int HeaderHeight() const;
  // The row under a screen point (null for the header or empty space).
  ListRow* RowAt(int x, int y);
  int ColumnAt(int x) const;               // header column under a screen x, or -1
  Rect RowRect(size_t shown_index) const;  // screen coordinates
  int DrawnRowCount() const { return drawn_rows_; }
  ListRow* DropMarker() const { return drop_marker_; }

  uint32_t Style() const { return style_; }

  // ---- signals and hooks ----
  Signal<> selection_changed;
  Signal<ListRow*> row_activated;
  Signal<> delete_requested;
  // Asked while rows are dragged over the list (dropped 0) and on the drop (dropped 1); the
  // target is the row under the mouse or null. Returns nonzero to accept.
  std::function<int(ListWindow*, ListRow* target, ListItemDDData*, bool dropped)> drag_hook;

  // ---- overrides ----
  void Layout() override;
  void DrawContent() override;
  int KeyDown(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void ClientMouseMove(Event* event) override;
  int DragDrop(int x, int y, int hovering, DragDropData* data) override;
  void VerticalScrolled(int position) override;

 private:
  void UpdateScroll();
  size_t ShownIndex(const ListRow* row);
  void Reindex();
  void MarkStale(size_t from) { stale_from_ = std::min(stale_from_, from); }
  void CollectShown(ListRow* row, std::vector<ListRow*>* out) const;
  void RebuildShown();
  void DeleteTree(ListRow* row);
  void SetSelected(ListRow* row, bool selected);
  void SelectRange(ListRow* from, ListRow* to);
  void Activate(ListRow* row);
  void MoveCurrent(long long target_index, bool extend);
  void ClearDropMarker();
  void DrawHeader();
  void DrawRow(ListRow* row, const Rect& r, int text_x0);
  bool LessBySortKeys(const ListRow* a, const ListRow* b, size_t from_key) const;
  void SortChildren(std::vector<ListRow*>* rows);

  uint32_t style_;
  std::vector<ListRow*> roots_;
  std::vector<ListRow*> shown_;
  size_t stale_from_ = 0;
  size_t row_count_ = 0;
  size_t selected_count_ = 0;
  ListRow* current_ = nullptr;
  std::vector<ListColumn> columns_;
  std::vector<int> sort_order_;  // column indices, first sort key first
  bool sort_chosen_ = false;
  ListRow* drop_marker_ = nullptr;
  ListRow* press_row_ = nullptr;
  Point press_point_;
  // A press on a row of a multi-selection keeps it for a drag; a release without one selects
  // only that row.
  bool select_on_release_ = false;
  int drawn_rows_ = 0;
  friend class ListItemDDData;
};

}  // namespace brae
