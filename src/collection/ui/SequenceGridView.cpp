#include "collection/ui/SequenceGridView.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "collection/Collection.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"

namespace brae {

namespace {

constexpr uint32_t kGridFlags = kWindowVisible | kWindowEnabled | kWindowFocusable;
constexpr uint32_t kBackground = 0xFF1E1E1Eu;
constexpr uint32_t kCellBackground = 0xFF303030u;
constexpr uint32_t kHeaderBackground = 0xFF484848u;
constexpr uint32_t kLineColour = 0xFF202020u;
constexpr uint32_t kSelectedColour = 0xFFE0C060u;
constexpr uint32_t kDropColour = 0x6060C0E0u;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;
constexpr uint32_t kNoBitmapColour = 0xFF909090u;
constexpr int kDragThreshold = 4;
constexpr int kCellPadding = 4;

void DrawGridDragImage(Rect* out, int x, int y, Window::DragDropData* data) {
  auto* d = static_cast<SequenceGridView::CellDragData*>(data);
  Rect r(12, 12, 12 + 120, 12 + LineHeight(DefaultFont()) + 6);
  if (out) {
    *out = r;
    return;
  }
  Rect at = r.Offset(x, y);
  SetColor(0xC0302820u);
  FillRect(at);
  SetColor(0xFFFFFFFFu);
  std::string label = std::to_string(d->items.size()) + (d->items.size() == 1 ? " cell" : " cells");
  DrawText(DefaultFont(), label.c_str(), 0, kTextCentreVertically,
           Rect(at.x0 + 4, at.y0, at.x1 - 4, at.y1));
}

}  // namespace

SequenceGridView::CellDragData::CellDragData(SequenceGridView* grid, std::vector<GridDropItem> i)
    : DragDropData(kSequenceGridDragType, grid), items(std::move(i)) {
  static bool registered = false;
  if (!registered) {
    RegisterDragRenderer(kSequenceGridDragType, DrawGridDragImage);
    registered = true;
  }
}

SequenceGridView::SequenceGridView(const Collection* collection, BitmapTextures* textures,
                                   Window* parent)
    : ScrollableWindow(kGridFlags, parent), collection_(collection), textures_(textures) {
  SetTitle("Views");
  Refresh();
}

void SequenceGridView::SetSequence(const CollectionSequence* sequence) {
  sequence_ = sequence;
  selection_.clear();
  Refresh();
}

void SequenceGridView::Refresh() {
  titles_.assign(1, "Shadow");
  if (sequence_)
    for (const ViewColumn& c : ViewColumns(*sequence_)) titles_.push_back(ViewColumnTitle(c.angle));
  // Cells that no longer exist leave the selection.
  const int frames = sequence_ ? sequence_->FrameCount() : 0;
  for (auto it = selection_.begin(); it != selection_.end();) {
    if (it->frame >= frames || it->column >= ColumnCount())
      it = selection_.erase(it);
    else
      ++it;
  }
  UpdateScroll();
}

int SequenceGridView::HeaderHeight() const {
  return LineHeight(this) + 6;
}

void SequenceGridView::UpdateScroll() {
  const int frames = sequence_ ? sequence_->FrameCount() : 0;
  SetLineStep(kCellHeight);
  SetScroll(kScrollVTotal | kScrollVPage | kScrollHTotal | kScrollHPage, frames * kCellHeight, 0,
            std::max(client.Height() - HeaderHeight(), 1), ColumnCount() * kCellWidth, 0,
            std::max(client.Width(), 1));
  InvalidateClient();
}

void SequenceGridView::Layout() {
  UpdateScroll();
}

void SequenceGridView::Idle() {
  ScrollableWindow::Idle();
  // A drag that left the grid or ended elsewhere leaves no highlight behind.
  if (!drop_targets_.empty() && (!Ui().drag_data || Ui().hover != this)) SetDropTargets({});
}

Rect SequenceGridView::CellRect(GridCellRef cell) const {
  const int x = client.x0 + cell.column * kCellWidth - HPos();
  const int y = client.y0 + HeaderHeight() + cell.frame * kCellHeight - VPos();
  return Rect(x, y, x + kCellWidth, y + kCellHeight);
}

bool SequenceGridView::CellAt(int x, int y, GridCellRef* cell) const {
  if (!sequence_ || x < client.x0 || x >= client.x1 || y < client.y0 + HeaderHeight() ||
      y >= client.y1)
    return false;
  const int cx = x - client.x0 + HPos();
  const int cy = y - client.y0 - HeaderHeight() + VPos();
  const int column = cx / kCellWidth, frame = cy / kCellHeight;
  if (column >= ColumnCount() || frame >= sequence_->FrameCount()) return false;
  *cell = GridCellRef{frame, column};
  return true;
}

// ---- drawing ----------------------------------------------------------------------------------

void SequenceGridView::DrawCell(GridCellRef cell, const Rect& r) {
  SetColor(kCellBackground);
  FillRect(Rect(r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1));
  const CollectionFrame& frame = sequence_->frames[size_t(cell.frame)];
  const CollectionBitmap* bitmap = nullptr;
  bool mirror_x = false, mirror_y = false;
  if (cell.column == 0) {
    bitmap = frame.shadow.bitmap;
    mirror_x = frame.shadow.flags & kShadowMirrorX;
    mirror_y = frame.shadow.flags & kShadowMirrorY;
  } else if (size_t(cell.column - 1) < frame.views.size()) {
    const auto& view = frame.views[size_t(cell.column - 1)];
    if (view) {
      bitmap = view->bitmap;
      mirror_x = view->flags & kInstanceMirrorX;
      mirror_y = view->flags & kInstanceMirrorY;
    }
  }
  const Rect box(r.x0 + kCellPadding, r.y0 + kCellPadding, r.x1 - kCellPadding,
                 r.y1 - kCellPadding);
  if (bitmap && bitmap->HasPixels() && textures_) {
    const Rect fit = FitBitmap(bitmap->width, bitmap->height, box);
    const float cx = (fit.x0 + fit.x1) * 0.5f, cy = (fit.y0 + fit.y1) * 0.5f;
    glPushMatrix();
    glTranslatef(cx, cy, 0);
    glScalef(mirror_x ? -1.f : 1.f, mirror_y ? -1.f : 1.f, 1.f);
    glTranslatef(-cx, -cy, 0);
    textures_->Draw(bitmap, fit);
    glPopMatrix();
  } else {
    SetColor(kNoBitmapColour);
    DrawTextInRect(this, "<no bitmap>", box, kTextCentre | kTextCentreVertically);
  }
  if (selection_.count(cell)) {
    SetColor(kSelectedColour);
    FrameRect(r, 2, true);
  }
}

void SequenceGridView::DrawContent() {
  SetColor(kBackground);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  drawn_rows_ = 0;
  if (!sequence_) return;
  const int header = HeaderHeight();
  const int frames = sequence_->FrameCount();
  const int first_row = std::max(0, VPos() / kCellHeight);
  const int last_row = std::min(frames - 1, (VPos() + client.Height() - header) / kCellHeight);
  const int first_column = std::max(0, HPos() / kCellWidth);
  const int last_column = std::min(ColumnCount() - 1, (HPos() + client.Width()) / kCellWidth);
  for (int f = first_row; f <= last_row; ++f) {
    ++drawn_rows_;
    for (int c = first_column; c <= last_column; ++c)
      DrawCell({f, c}, CellRect({f, c}).Offset(-client.x0, -client.y0));
  }
  for (const GridCellRef& t : drop_targets_) {
    SetColor(kDropColour);
    FillRect(CellRect(t).Offset(-client.x0, -client.y0));
  }
  // The headings stay on top while the rows scroll.
  SetColor(kHeaderBackground);
  FillRect(Rect(0, 0, client.Width(), header));
  for (int c = first_column; c <= last_column; ++c) {
    const int x = c * kCellWidth - HPos();
    SetColor(kLineColour);
    FillRect(Rect(x + kCellWidth - 1, 0, x + kCellWidth, header));
    SetColor(kTextColour);
    DrawTextInRect(this, titles_[size_t(c)].c_str(), Rect(x, 0, x + kCellWidth, header),
                   kTextCentre | kTextCentreVertically);
  }
}

// ---- selection --------------------------------------------------------------------------------

void SequenceGridView::Select(GridCellRef cell, bool extend) {
  if (!extend) {
    selection_.clear();
    anchor_ = cell;
    selection_.insert(cell);
  } else {
    // A rectangle from the anchor.
    selection_.clear();
    for (int f = std::min(anchor_.frame, cell.frame); f <= std::max(anchor_.frame, cell.frame); ++f)
      for (int c = std::min(anchor_.column, cell.column);
           c <= std::max(anchor_.column, cell.column); ++c)
        selection_.insert({f, c});
  }
  InvalidateClient();
  selection_changed.Emit();
}

void SequenceGridView::ClearSelection() {
  selection_.clear();
  InvalidateClient();
  selection_changed.Emit();
}

std::vector<SequenceCell> SequenceGridView::SelectedViewCells() const {
  std::vector<SequenceCell> out;
  for (const GridCellRef& c : selection_)
    if (c.column > 0) out.push_back({c.frame, c.column - 1});
  return out;
}

std::vector<int> SequenceGridView::SelectedShadowFrames() const {
  std::vector<int> out;
  for (const GridCellRef& c : selection_)
    if (c.column == 0) out.push_back(c.frame);
  return out;
}

// ---- mouse ------------------------------------------------------------------------------------

void SequenceGridView::ClientMouseButton(Event* event) {
  pressed_ = false;
  if (!event->Pressed()) return;
  SetFocus(1);
  GridCellRef cell;
  const bool on_cell = CellAt(event->X(), event->Y(), &cell);
  if (event->Button() == 1) {
    if (on_cell && !selection_.count(cell)) Select(cell, false);
    if (on_context_menu) on_context_menu(event->X(), event->Y());
    return;
  }
  if (event->Button() != 0 || !on_cell) return;
  const int mods = event->Modifiers();
  if (mods & kModShift) {
    Select(cell, true);
  } else if (mods & kModControl) {
    if (!selection_.erase(cell)) selection_.insert(cell);
    anchor_ = cell;
    InvalidateClient();
    selection_changed.Emit();
  } else {
    if (!selection_.count(cell)) Select(cell, false);
    pressed_ = true;
    press_cell_ = cell;
    press_point_ = Point{event->X(), event->Y()};
  }
}

void SequenceGridView::ClientDoubleClick(Event* event) {
  GridCellRef cell;
  if (!CellAt(event->X(), event->Y(), &cell)) return;
  Select(cell, false);
  if (cell.column > 0 && on_view_double_click) on_view_double_click(cell.frame, cell.column - 1);
}

std::vector<GridDropItem> SequenceGridView::DragItems(GridCellRef origin) const {
  std::vector<GridDropItem> items;
  for (const GridCellRef& c : selection_) {
    GridDropItem item;
    item.frame = c.frame - origin.frame;
    item.view = c.column - origin.column;
    item.shadow = c.column == 0;
    const CollectionFrame& frame = sequence_->frames[size_t(c.frame)];
    const CollectionBitmap* b = nullptr;
    if (item.shadow)
      b = frame.shadow.bitmap;
    else if (const auto& view = frame.views[size_t(c.column - 1)])
      b = view->bitmap;
    item.bitmap = collection_->IndexOfBitmap(b);
    items.push_back(item);
  }
  return items;
}

void SequenceGridView::ClientMouseMove(Event* event) {
  if (!pressed_ || !Ui().button) {
    pressed_ = false;
    return;
  }
  if (std::abs(event->X() - press_point_.x) < kDragThreshold &&
      std::abs(event->Y() - press_point_.y) < kDragThreshold)
    return;
  pressed_ = false;
  if (!sequence_ || selection_.empty()) return;
  BeginMouseTracking(this, new CellDragData(this, DragItems(press_cell_)), nullptr);
}

// ---- dropping ---------------------------------------------------------------------------------

bool SequenceGridView::TableItems(DragDropData* data, std::vector<size_t>* bitmaps) const {
  if (!data || data->type != kListDragType) return false;
  auto* rows = static_cast<ListWindow::ListItemDDData*>(data);
  // The tables of the bitmap tabs: their rows' values are places in the tab's list.
  auto* browser = rows->list ? dynamic_cast<X256BitmapBrowser*>(rows->list->Parent()) : nullptr;
  if (!browser || browser->GetCollection() != collection_) return false;
  for (ListRow* row : rows->rows) {
    if (row->value < 0 || size_t(row->value) >= browser->Listed().size()) return false;
    const int index = collection_->IndexOfBitmap(browser->Listed()[size_t(row->value)]);
    if (index < 0) return false;
    bitmaps->push_back(size_t(index));
  }
  return !bitmaps->empty();
}

std::vector<GridCellRef> SequenceGridView::Targets(GridCellRef at, DragDropData* data) const {
  std::vector<GridCellRef> targets;
  if (!sequence_ || !data) return targets;
  if (data->type == kSequenceGridDragType) {
    auto* cells = static_cast<CellDragData*>(data);
    const SequenceCell drop{at.frame, at.column - 1};
    if (!CanDropGridItems(*collection_, *sequence_, drop, cells->items)) return targets;
    for (const GridDropItem& item : cells->items)
      targets.push_back({at.frame + item.frame, at.column + item.view});
    return targets;
  }
  std::vector<size_t> bitmaps;
  if (!TableItems(data, &bitmaps)) return targets;
  if (at.column == 0) {
    if (!CanDropShadows(*collection_, *sequence_, at.frame, bitmaps)) return targets;
    for (size_t k = 0; k < bitmaps.size(); ++k) targets.push_back({at.frame + int(k), 0});
    return targets;
  }
  const SequenceCell drop{at.frame, at.column - 1};
  if (!CanDropBitmaps(*collection_, *sequence_, drop, bitmaps)) return targets;
  const auto cells = DropCells(*sequence_, drop, bitmaps.size());
  for (const SequenceCell& c : *cells) targets.push_back({c.frame, c.view + 1});
  return targets;
}

void SequenceGridView::SetDropTargets(std::vector<GridCellRef> targets) {
  if (targets == drop_targets_) return;
  drop_targets_ = std::move(targets);
  InvalidateClient();
}

int SequenceGridView::DragDrop(int x, int y, int hovering, DragDropData* data) {
  GridCellRef at;
  std::vector<GridCellRef> targets;
  if (CellAt(x, y, &at)) targets = Targets(at, data);
  if (hovering) {
    const int accepted = targets.empty() ? 0 : 1;
    SetDropTargets(std::move(targets));
    return accepted;
  }
  SetDropTargets({});
  if (targets.empty()) return 0;
  if (data->type == kSequenceGridDragType) {
    if (on_drop_items)
      on_drop_items({at.frame, at.column - 1}, static_cast<CellDragData*>(data)->items);
    return 1;
  }
  std::vector<size_t> bitmaps;
  TableItems(data, &bitmaps);
  if (at.column == 0) {
    if (on_drop_shadows) on_drop_shadows(at.frame, bitmaps);
  } else if (on_drop_bitmaps) {
    on_drop_bitmaps({at.frame, at.column - 1}, bitmaps);
  }
  return 1;
}

}  // namespace brae
