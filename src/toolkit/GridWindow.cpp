#include "toolkit/GridWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {
constexpr int kEdgeZone = 16;
}

GridWindow::GridWindow(uint32_t style, uint32_t flags, Window* parent)
    : ScrollableWindow(flags | kWindowFocusable, parent), style_(style) {
  UpdateScroll();
}

// ---- cells ----------------------------------------------------------------------------------

int GridWindow::AddCell(const char* caption, uint32_t colour) {
  GridCell c;
  if (caption) {
    c.caption = caption;
  } else {
    char number[16];
    std::snprintf(number, sizeof number, "%d", CellCount());
    c.caption = number;
  }
  c.colour = colour;
  cells_.push_back(c);
  UpdateScroll();
  InvalidateClient();
  return CellCount() - 1;
}

void GridWindow::SetCellCount(int count) {
  while (CellCount() > count) cells_.pop_back();
  while (CellCount() < count) AddCell();
  if (current_ >= count) current_ = -1;
  UpdateScroll();
}

void GridWindow::Clear() {
  cells_.clear();
  current_ = -1;
  UpdateScroll();
  InvalidateClient();
}

// ---- layout ---------------------------------------------------------------------------------

int GridWindow::CaptionHeight() const {
  return caption_lines_ * LineHeight(this);
}
int GridWindow::PitchX() const {
  return static_cast<int>(cell_w_ * zoom_) + spacing_;
}
int GridWindow::PitchY() const {
  return static_cast<int>(cell_h_ * zoom_) + CaptionHeight() + spacing_;
}
int GridWindow::Columns() const {
  if (fixed_columns_ > 0) return fixed_columns_;
  return std::max(client.Width() / std::max(PitchX(), 1), 1);
}

void GridWindow::SetCellSize(int w, int h) {
  cell_w_ = std::max(w, 1);
  cell_h_ = std::max(h, 1);
  UpdateScroll();
}
void GridWindow::SetZoom(double zoom) {
  zoom_ = std::max(zoom, 0.01);
  UpdateScroll();
}
void GridWindow::SetFixedColumns(int columns) {
  fixed_columns_ = std::max(columns, 0);
  UpdateScroll();
}
void GridWindow::SetSpacing(int spacing) {
  spacing_ = std::max(spacing, 0);
  UpdateScroll();
}

void GridWindow::UpdateScroll() {
  int rows = (CellCount() + Columns() - 1) / Columns();
  SetLineStep(PitchY());
  SetScroll(kScrollVTotal | kScrollVPage, rows * PitchY() + spacing_, 0,
            std::max(client.Height(), 1));
  InvalidateClient();
}

void GridWindow::Layout() {
  UpdateScroll();
}

void GridWindow::VerticalScrolled(int) {
  InvalidateClient();
}

Rect GridWindow::CellRect(int index) const {
  int col = index % Columns(), row = index / Columns();
  int x = client.x0 + spacing_ + col * PitchX();
  int y = client.y0 + spacing_ + row * PitchY() - VPos();
  return Rect(x, y, x + PitchX() - spacing_, y + PitchY() - spacing_);
}

Rect GridWindow::PictureRect(int index) const {
  Rect r = CellRect(index);
  return Rect(r.x0, r.y0, r.x1, r.y0 + PictureHeight());
}

int GridWindow::CellAt(int x, int y) const {
  int cx = x - client.x0 - spacing_, cy = y - client.y0 - spacing_ + VPos();
  if (cx < 0 || cy < 0 || x >= client.x1 || y >= client.y1) return -1;
  int col = cx / PitchX(), row = cy / PitchY();
  if (col >= Columns() || cx % PitchX() >= PitchX() - spacing_ ||
      cy % PitchY() >= PitchY() - spacing_)
    return -1;
  int index = row * Columns() + col;
  return index < CellCount() ? index : -1;
}

void GridWindow::ScrollToCell(int index) {
  if (index < 0 || index >= CellCount()) return;
  Rect r = CellRect(index);
  if (r.y0 < client.y0)
    ScrollTo(VPos() - (client.y0 - r.y0) - spacing_);
  else if (r.y1 > client.y1)
    ScrollTo(VPos() + (r.y1 - client.y1) + spacing_);
}

// ---- selection ------------------------------------------------------------------------------

void GridWindow::SelectCell(int index, bool selected) {
  if (index < 0 || index >= CellCount()) return;
  cells_[static_cast<size_t>(index)].selected = selected;
  InvalidateClient();
}

void GridWindow::ClearSelection() {
  for (GridCell& c : cells_) c.selected = false;
  InvalidateClient();
}

void GridWindow::SelectAll() {
  for (GridCell& c : cells_) c.selected = true;
  InvalidateClient();
  selection_changed.Emit();
}

std::vector<int> GridWindow::SelectedCells() const {
  std::vector<int> out;
  for (int i = 0; i < CellCount(); ++i)
    if (cells_[static_cast<size_t>(i)].selected) out.push_back(i);
  return out;
}

void GridWindow::SetCurrentCell(int index, bool extend) {
  if (index < 0 || index >= CellCount()) return;
  bool multiple = style_ & kGridMultipleSelection;
  if (extend && multiple && current_ >= 0) {
    for (int i = std::min(current_, index); i <= std::max(current_, index); ++i)
      SelectCell(i, true);
  } else {
    ClearSelection();
    SelectCell(index, true);
  }
  current_ = index;
  ScrollToCell(index);
  selection_changed.Emit();
}

// ---- input ----------------------------------------------------------------------------------

int GridWindow::KeyDown(Event* e) {
  if (!e->words[1]) return 0;
  int key = e->Key(), mods = e->Modifiers();
  bool shift = mods & kModShift, alt = mods & kModAlt;
  int cols = Columns(), n = CellCount();
  int cur = current_;
  switch (key) {
    case 'A':
      if (!(mods & kModControl)) return 0;
      if (style_ & kGridMultipleSelection) SelectAll();
      return 1;
    case kKeyBackspace:
    case kKeyDelete:
      if (delete_callback) delete_callback(this);
      return 1;
    case kKeyEnter:
      if (!(mods & kModRepeat))
        for (int i : SelectedCells()) cell_activated.Emit(i);
      return 1;
    default:
      break;
  }
  if (n == 0) return 0;
  int target;
  int row_start = cur < 0 ? 0 : cur - cur % cols;
  switch (key) {
    case kKeyUp:
      target = cur < 0 ? 0 : (cur - cols >= 0 ? cur - cols : cur);
      break;
    case kKeyDown:
      target = cur < 0 ? 0 : (cur + cols < n ? cur + cols : cur);
      break;
    case kKeyLeft:
      target = cur < 0 ? 0 : (alt ? row_start : std::max(cur - 1, row_start));
      break;
    case kKeyRight: {
      int row_end = std::min(row_start + cols, n) - 1;
      target = cur < 0 ? 0 : (alt ? row_end : std::min(cur + 1, row_end));
      break;
    }
    default:
      return 0;
  }
  SetCurrentCell(target, shift);
  return 1;
}

void GridWindow::ClientMouseButton(Event* e) {
  if (e->Button() != 0) return;
  if (!e->Pressed()) {
    if (select_on_release_ && press_cell_ >= 0 && press_cell_ < CellCount())
      SetCurrentCell(press_cell_, false);
    select_on_release_ = false;
    press_cell_ = -1;
    return;
  }
  int mods = e->Modifiers();
  bool multiple = style_ & kGridMultipleSelection;
  int cell = CellAt(e->X(), e->Y());
  select_on_release_ = false;
  press_cell_ = drag_data && cell >= 0 ? cell : -1;
  press_point_ = Point{e->X(), e->Y()};
  if (cell >= 0) {
    if (press_cell_ >= 0 && !(mods & (kModShift | kModControl)) &&
        cells_[static_cast<size_t>(cell)].selected && SelectedCells().size() > 1) {
      select_on_release_ = true;
      return;
    }
    if (multiple && (mods & kModControl)) {
      SelectCell(cell, !cells_[static_cast<size_t>(cell)].selected);
      current_ = cell;
      selection_changed.Emit();
    } else {
      SetCurrentCell(cell, multiple && (mods & kModShift));
    }
    return;
  }
  ClearSelection();
  selection_changed.Emit();
  if (!multiple) return;
  band_start_ = band_end_ = Point{e->X() - client.x0, e->Y() - client.y0 + VPos()};
  band_base_.assign(cells_.size(), false);
  banding_ = true;
  last_auto_scroll_ = UiNow();
  BeginMouseTracking(this, nullptr, [this](Window*, int sx, int sy, int x, int y, int phase) {
    TrackBand(sx, sy, x, y, phase);
  });
}

void GridWindow::ClientMouseMove(Event* e) {
  if (press_cell_ < 0 || press_cell_ >= CellCount() || !Ui().button) {
    press_cell_ = -1;
    return;
  }
  if (std::abs(e->X() - press_point_.x) < kGridDragThreshold &&
      std::abs(e->Y() - press_point_.y) < kGridDragThreshold)
    return;
  std::vector<int> dragged = cells_[static_cast<size_t>(press_cell_)].selected
                                 ? SelectedCells()
                                 : std::vector<int>{press_cell_};
  press_cell_ = -1;
  select_on_release_ = false;
  if (DragDropData* data = drag_data(this, dragged)) BeginMouseTracking(this, data, nullptr);
}

void GridWindow::ClientDoubleClick(Event* e) {
  int cell = CellAt(e->X(), e->Y());
  if (cell >= 0) cell_activated.Emit(cell);
}

Rect GridWindow::RubberBand() const {
  return Rect(std::min(band_start_.x, band_end_.x), std::min(band_start_.y, band_end_.y),
              std::max(band_start_.x, band_end_.x), std::max(band_start_.y, band_end_.y));
}

void GridWindow::ApplyBand() {
  Rect band = RubberBand();
  for (int i = 0; i < CellCount(); ++i) {
    Rect r = CellRect(i).Offset(-client.x0, VPos() - client.y0);
    cells_[static_cast<size_t>(i)].selected = band.Intersects(r);
  }
  InvalidateClient();
}

void GridWindow::TrackBand(int, int, int x, int y, int phase) {
  if (phase == 0) return;
  band_end_ = Point{x - client.x0, y - client.y0 + VPos()};
  ApplyBand();
  if (phase == 2) {
    banding_ = false;
    InvalidateClient();
    selection_changed.Emit();
  }
}

int GridWindow::EdgeDirection() const {
  Point m = MousePosition();
  if (m.y < client.y0 + kEdgeZone) return -1;
  if (m.y > client.y1 - kEdgeZone) return 1;
  return 0;
}

void GridWindow::Idle() {
  ScrollableWindow::Idle();
  if (!banding_) return;
  double now = UiNow();
  int dir = EdgeDirection();
  if (!dir) {
    last_auto_scroll_ = now;
    return;
  }
  while (now - last_auto_scroll_ >= kGridAutoScrollInterval - 1e-6) {
    last_auto_scroll_ += kGridAutoScrollInterval;
    ScrollTo(VPos() + dir * PitchY());
    Point m = MousePosition();
    band_end_ = Point{m.x - client.x0, m.y - client.y0 + VPos()};
    ApplyBand();
  }
  RequestFrameAt(last_auto_scroll_ + kGridAutoScrollInterval);
}

// ---- drawing --------------------------------------------------------------------------------

void GridWindow::DrawCell(int index, const Rect& r) {
  const GridCell& c = cells_[static_cast<size_t>(index)];
  int pic_h = static_cast<int>(cell_h_ * zoom_);
  if (c.selected) {
    SetColor(HasFocus() ? 0xFF2E6AA8u : 0xFF505050u);
    FillRect(r.Inset(-3));
  }
  Rect picture(r.x0, r.y0, r.x1, r.y0 + pic_h);
  if (draw_picture) {
    draw_picture(index, picture);
  } else {
    SetColor(c.colour);
    FillRect(picture);
  }
  if (index == current_ && HasFocus()) {
    SetColor(0xFF60C0E0u);
    FrameRect(r.Inset(-3), 1, true);
  }
  SetColor(0xFFFFFFFFu);
  DrawTextInRect(this, c.caption.c_str(), Rect(r.x0, r.y0 + pic_h + 2, r.x1, r.y1),
                 kTextCentre | kTextWrap | kTextShadow);
}

void GridWindow::DrawContent() {
  SetColor(0xFF1E1E1Eu);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  int cols = Columns();
  int first_row = std::max(0, (VPos() - spacing_) / PitchY());
  int last_row = (VPos() + client.Height()) / PitchY() + 1;
  for (int row = first_row; row <= last_row; ++row)
    for (int col = 0; col < cols; ++col) {
      int i = row * cols + col;
      if (i >= CellCount()) break;
      DrawCell(i, CellRect(i).Offset(-client.x0, -client.y0));
    }
  if (banding_) {
    Rect b = RubberBand().Offset(0, -VPos());
    SetColor(0x4060C0E0u);
    FillRect(b);
    SetColor(0xFF60C0E0u);
    FrameRect(b, 1, true);
  }
}

}  // namespace brae
