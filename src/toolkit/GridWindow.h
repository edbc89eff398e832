#pragma once
// A scrolling grid of equal cells (a picture and a caption each), with keyboard movement,
// multiple selection with a rubber band, and scrolling near the edges while dragging.

#include <functional>
#include <string>
#include <vector>

#include "toolkit/ScrollableWindow.h"

namespace brae {

enum GridStyle : uint32_t { kGridMultipleSelection = 1 };

struct GridCell {
  std::string caption;
  uint32_t colour = 0xFF808080u;  // the picture's colour when nothing else draws it
  bool selected = false;
};

constexpr double kGridAutoScrollInterval = 1.0 / 3.0;
constexpr int kGridDragThreshold = 4;

class GridWindow : public ScrollableWindow {
 public:
  GridWindow(uint32_t style, uint32_t flags, Window* parent = nullptr);
  const char* ClassName() const override { return "GridWindow"; }

  // ---- cells ----
  // A cell with the caption given, or its number ("%d") when the caption is null.
  int AddCell(const char* caption = nullptr, uint32_t colour = 0xFF808080u);
  void SetCellCount(int count);
  void Clear();
  int CellCount() const { return static_cast<int>(cells_.size()); }
  const GridCell& Cell(int index) const { return cells_[static_cast<size_t>(index)]; }

  // ---- layout ----
  void SetCellSize(int width, int height);
  void SetZoom(double zoom);
  void SetFixedColumns(int columns);  // 0: as many as fit
  void SetSpacing(int spacing);
  int Columns() const;
  int PitchX() const;
  int PitchY() const;
  int CaptionHeight() const;
  int PictureHeight() const { return static_cast<int>(cell_h_ * zoom_); }
  // The cell's picture area in screen coordinates.
  Rect PictureRect(int index) const;
  Rect CellRect(int index) const;  // screen coordinates
  int CellAt(int x, int y) const;  // -1 on empty space

  // ---- selection ----
  int CurrentCell() const { return current_; }
  void SetCurrentCell(int index, bool extend);
  void SelectCell(int index, bool selected);
  void SelectAll();
  void ClearSelection();
  std::vector<int> SelectedCells() const;
  void ScrollToCell(int index);
  bool RubberBandActive() const { return banding_; }
  Rect RubberBand() const;

  Signal<> selection_changed;
  Signal<int> cell_activated;
  std::function<void(GridWindow*)> delete_callback;
  // When set, pressing on a cell and moving the mouse drags the selected cells (or the pressed
  // one when it is not selected) with the data this makes of them.
  std::function<DragDropData*(GridWindow*, const std::vector<int>& cells)> drag_data;
  // Draws the picture of a cell (client coordinates) instead of the plain colour when set.
  std::function<void(int index, const Rect& picture)> draw_picture;

  // ---- overrides ----
  void Layout() override;
  void Idle() override;
  void DrawContent() override;
  int KeyDown(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void ClientMouseMove(Event* event) override;
  void VerticalScrolled(int position) override;
  // Draws one cell in client coordinates; subclasses draw their pictures.
  virtual void DrawCell(int index, const Rect& cell_rect);

 private:
  void UpdateScroll();
  void TrackBand(int start_x, int start_y, int x, int y, int phase);
  void ApplyBand();
  int EdgeDirection() const;

  uint32_t style_;
  std::vector<GridCell> cells_;
  int cell_w_ = 96, cell_h_ = 96, caption_lines_ = 3, spacing_ = 8;
  double zoom_ = 1.0;
  int fixed_columns_ = 0;
  int current_ = -1;
  bool banding_ = false;
  Point band_start_;  // in content coordinates (scroll included)
  Point band_end_;
  std::vector<bool> band_base_;
  double last_auto_scroll_ = 0;
  // The press that may start a drag; a press on a multi-selection keeps it until the release.
  int press_cell_ = -1;
  Point press_point_;
  bool select_on_release_ = false;
};

}  // namespace brae
