#pragma once
// The "Views" grid of the sequence editor: one row per frame, the "Shadow" column and one
// column per stored view headed by its angle. Cells show their bitmap centred, scaled to fit and
// mirrored as their flags say, or "<no bitmap>". Cells are selected with the mouse (Control
// toggles, Shift extends), dragged to other cells (keeping their layout), and accept bitmaps
// and shadows dragged from the bitmap tabs' tables. Only the rows on screen are drawn; the
// columns and their headings are worked out when the sequence changes, not per frame.

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "collection/SequenceAssign.h"
#include "toolkit/ListWindow.h"
#include "toolkit/ScrollableWindow.h"

namespace brae {

class BitmapTextures;

// The drag type of cells dragged from a sequence grid.
constexpr int kSequenceGridDragType = 0x53514744;  // 'SQGD'

// A grid cell: column 0 is the shadow column, column c > 0 stored view c - 1.
struct GridCellRef {
  int frame = 0;
  int column = 0;
  bool operator<(const GridCellRef& o) const {
    return frame != o.frame ? frame < o.frame : column < o.column;
  }
  bool operator==(const GridCellRef& o) const { return frame == o.frame && column == o.column; }
};

class SequenceGridView : public ScrollableWindow {
 public:
  // Cells dragged out of a grid, relative to the cell the drag started on.
  class CellDragData : public Window::DragDropData {
   public:
    CellDragData(SequenceGridView* grid, std::vector<GridDropItem> items);
    std::vector<GridDropItem> items;
  };

  SequenceGridView(const Collection* collection, BitmapTextures* textures, Window* parent);
  const char* ClassName() const override { return "SequenceGridView"; }

  // The sequence shown; Refresh works out the columns again after it changed.
  void SetSequence(const CollectionSequence* sequence);
  void Refresh();

  // ---- geometry ----
  int ColumnCount() const { return int(titles_.size()); }
  const std::string& ColumnTitle(int column) const { return titles_[size_t(column)]; }
  int CellWidth() const { return kCellWidth; }
  int CellHeight() const { return kCellHeight; }
  int HeaderHeight() const;
  // Screen rectangle of a cell (also when scrolled away).
  Rect CellRect(GridCellRef cell) const;
  // The cell under a screen point; false on the header or past the grid.
  bool CellAt(int x, int y, GridCellRef* cell) const;
  // How many rows were drawn in the last redraw (only those on screen are).
  int DrawnRows() const { return drawn_rows_; }

  // ---- selection ----
  const std::set<GridCellRef>& Selection() const { return selection_; }
  void Select(GridCellRef cell, bool extend);
  void ClearSelection();
  // The selected view cells as sequence cells, and the frames of selected shadow cells.
  std::vector<SequenceCell> SelectedViewCells() const;
  std::vector<int> SelectedShadowFrames() const;

  // The cells a drag would fill at the moment (shown highlighted), empty when refused.
  const std::vector<GridCellRef>& DropTargets() const { return drop_targets_; }

  // ---- hooks (set by the sequence editor) ----
  // Bitmaps (collection indices) dropped from the Bitmaps table on a view cell.
  std::function<void(SequenceCell at, const std::vector<size_t>& bitmaps)> on_drop_bitmaps;
  // Shadows dropped from the Shadows table on the shadow column at a frame.
  std::function<void(int frame, const std::vector<size_t>& shadows)> on_drop_shadows;
  // Cells of a grid dropped at a cell (view -1: the shadow column).
  std::function<void(SequenceCell at, const std::vector<GridDropItem>& items)> on_drop_items;
  std::function<void(int frame, int view)> on_view_double_click;
  std::function<void(int x, int y)> on_context_menu;
  Signal<> selection_changed;

  // ---- overrides ----
  void Layout() override;
  void Idle() override;
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void ClientMouseMove(Event* event) override;
  int DragDrop(int x, int y, int hovering, DragDropData* data) override;

  static constexpr int kCellWidth = 88;
  static constexpr int kCellHeight = 72;

 private:
  void UpdateScroll();
  void DrawCell(GridCellRef cell, const Rect& r);
  // The drag's items as collection indices of bitmaps (from a bitmap tab's table); false when
  // the data is not a table of this collection's bitmaps.
  bool TableItems(DragDropData* data, std::vector<size_t>* bitmaps) const;
  // Works out where a drag at a cell would go (empty: refused).
  std::vector<GridCellRef> Targets(GridCellRef at, DragDropData* data) const;
  void SetDropTargets(std::vector<GridCellRef> targets);
  std::vector<GridDropItem> DragItems(GridCellRef origin) const;

  const Collection* collection_;
  BitmapTextures* textures_;
  const CollectionSequence* sequence_ = nullptr;
  std::vector<std::string> titles_;  // "Shadow", then one per stored view
  std::set<GridCellRef> selection_;
  GridCellRef anchor_;
  bool pressed_ = false;
  GridCellRef press_cell_;
  Point press_point_;
  std::vector<GridCellRef> drop_targets_;
  int drawn_rows_ = 0;
};

}  // namespace brae
