// ListWindow
//
// Index
//   drag data ............ ListItemDDData and its drag image
//   rows ................. AddRow, RemoveRow, Clear, Expand, Collapse, the shown-row array
//   selection ............ Select, SelectAll, ranges, the current row
//   columns, sorting ..... AddColumn, SortBy, Sort
//   geometry, scrolling .. RowAt, RowRect, ScrollToRow, UpdateScroll
//   input ................ keys, mouse, drag and drop
//   drawing .............. header and the rows on screen

#include "toolkit/ListWindow.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kIndent = 12;
constexpr int kExpanderWidth = 12;
constexpr int kDragThreshold = 4;
constexpr uint32_t kListBackground = 0xFF1E1E1Eu;
constexpr uint32_t kSelectionFocused = 0xFF2E6AA8u;
constexpr uint32_t kSelectionUnfocused = 0xFF505050u;

void Piece(int slot, const Rect& r, uint32_t fallback) {
  if (r.IsEmpty()) return;
  Skin* skin = Ui().skin;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height());
    skin->FlushSprites();
  } else {
    SetColor(fallback);
    FillRect(r);
  }
}

bool LooksNumeric(const std::string& s, double* value) {
  if (s.empty()) return false;
  char c = s[0];
  if (!(c >= '0' && c <= '9') && !(c == '-' && s.size() > 1 && s[1] >= '0' && s[1] <= '9'))
    return false;
  char* end = nullptr;
  *value = std::strtod(s.c_str(), &end);
  return end && *end == 0;
}

// Numbers compare as numbers, everything else without regard to case.
int CompareCells(const std::string& a, const std::string& b) {
  double x, y;
  if (LooksNumeric(a, &x) && LooksNumeric(b, &y)) return x < y ? -1 : (x > y ? 1 : 0);
  return strcasecmp(a.c_str(), b.c_str());
}

// A cell worked out once per sort: its lower-case text and, when it is one, its number. Keys
// compare exactly as CompareCells compares the texts they were made from.
struct CellKey {
  bool numeric = false;
  double number = 0;
  std::string lower;

  explicit CellKey(const std::string& text) : lower(text) {
    numeric = LooksNumeric(text, &number);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  }
  int Compare(const CellKey& o) const {
    if (numeric && o.numeric) return number < o.number ? -1 : (number > o.number ? 1 : 0);
    return std::strcmp(lower.c_str(), o.lower.c_str());
  }
};

const std::string kEmpty;

// A row's own colour, lightened towards white (keeping its hue) as far as text on the dark list
// background needs to be read.
uint32_t ReadableRowColour(uint32_t colour) {
  constexpr int kLeastBrightness = 120;  // of 255, weighted as the eye weighs red, green, blue
  int c[3] = {int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)};
  int brightness = (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
  if (brightness >= kLeastBrightness) return colour;
  int share = (kLeastBrightness - brightness) * 256 / (255 - brightness);  // of 256 to white
  uint32_t out = colour & 0xFF000000u;
  for (int i = 0; i < 3; ++i)
    out |= uint32_t(std::min(255, c[i] + ((255 - c[i]) * share + 255) / 256)) << (8 * i);
  return out;
}

void DrawRowsDragImage(Rect* out, int x, int y, Window::DragDropData* data) {
  auto* d = static_cast<ListWindow::ListItemDDData*>(data);
  int h = LineHeight(DefaultFont()) + 6;
  Rect r(12, 12, 12 + 180, 12 + h);
  if (out) {
    *out = r;
    return;
  }
  Rect at = r.Offset(x, y);
  SetColor(0xC0302820u);
  FillRect(at);
  SetColor(0xFFFFFFFFu);
  std::string label =
      d->rows.size() == 1 ? d->rows[0]->text : std::to_string(d->rows.size()) + " rows";
  DrawText(DefaultFont(), label.c_str(), 0, kTextCentreVertically,
           Rect(at.x0 + 4, at.y0, at.x1 - 4, at.y1));
}

}  // namespace

const std::string& ListRow::Cell(int column) const {
  if (column <= 0) return text;
  size_t i = static_cast<size_t>(column - 1);
  return i < cells.size() ? cells[i] : kEmpty;
}

// ---------------------------------------------------------------------------------------------
// Drag data
// ---------------------------------------------------------------------------------------------

ListWindow::ListItemDDData::ListItemDDData(ListWindow* l, std::vector<ListRow*> r)
    : DragDropData(kListDragType, l), list(l), rows(std::move(r)) {
  static bool registered = false;
  if (!registered) {
    RegisterDragRenderer(kListDragType, DrawRowsDragImage);
    registered = true;
  }
}

ListWindow::ListItemDDData::~ListItemDDData() {
  if (list) list->ClearDropMarker();
}

// ---------------------------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------------------------

ListWindow::ListWindow(uint32_t style, uint32_t flags, Window* parent)
    : ScrollableWindow(flags | kWindowFocusable, parent), style_(style) {
  UpdateScroll();
}

ListWindow::~ListWindow() {
  // A drag still running must not reach back into this list.
  UiState& ui = Ui();
  if (ui.drag_data && ui.drag_data->type == kListDragType) {
    auto* d = static_cast<ListItemDDData*>(ui.drag_data);
    if (d->list == this) {
      d->list = nullptr;
      d->rows.clear();
      d->source = nullptr;
    }
  }
  for (ListRow* r : roots_) DeleteTree(r);
}

// ---------------------------------------------------------------------------------------------
// Rows
// ---------------------------------------------------------------------------------------------

void ListWindow::Reindex() {
  for (size_t i = stale_from_; i < shown_.size(); ++i) shown_[i]->shown_index = i;
  stale_from_ = shown_.size();
}

size_t ListWindow::ShownIndex(const ListRow* row) {
  if (!row->shown) return SIZE_MAX;
  if (row->shown_index >= shown_.size() || shown_[row->shown_index] != row) Reindex();
  return row->shown_index;
}

void ListWindow::CollectShown(ListRow* row, std::vector<ListRow*>* out) const {
  for (ListRow* c : row->children) {
    out->push_back(c);
    if (c->IsExpanded()) CollectShown(c, out);
  }
}

void ListWindow::RebuildShown() {
  for (ListRow* r : shown_) r->shown = false;
  shown_.clear();
  for (ListRow* r : roots_) {
    shown_.push_back(r);
    if (r->IsExpanded()) CollectShown(r, &shown_);
  }
  for (size_t i = 0; i < shown_.size(); ++i) {
    shown_[i]->shown = true;
    shown_[i]->shown_index = i;
  }
  stale_from_ = shown_.size();
}

ListRow* ListWindow::AddRow(ListRow* parent, const char* text, uint32_t flags, int value) {
  auto* row = new ListRow;
  row->parent = parent;
  row->flags = flags & ~kRowSelected;
  row->value = value;
  row->text = text ? text : "";
  row->depth = parent ? parent->depth + 1 : 0;
  row->colour = (flags & kRowGreyed) ? kRowColourGreyed : kRowColourNormal;
  ++row_count_;
  bool shown = !parent || (parent->shown && parent->IsExpanded());
  size_t pos = shown_.size();
  if (shown && parent) {
    ListRow* last = parent;
    while (last->IsExpanded() && !last->children.empty()) last = last->children.back();
    pos = ShownIndex(last) + 1;
  }
  (parent ? parent->children : roots_).push_back(row);
  if (shown) {
    shown_.insert(shown_.begin() + static_cast<ptrdiff_t>(pos), row);
    row->shown = true;
    row->shown_index = pos;
    if (pos + 1 < shown_.size()) MarkStale(pos + 1);
  }
  if (flags & kRowSelected) SetSelected(row, true);
  UpdateScroll();
  return row;
}

void ListWindow::SetCell(ListRow* row, int column, const char* text) {
  if (!row || column < 1) return;
  size_t i = static_cast<size_t>(column - 1);
  if (row->cells.size() <= i) row->cells.resize(i + 1);
  row->cells[i] = text ? text : "";
  InvalidateClient();
}

std::string ListWindow::CellText(const ListRow* row, int column) const {
  if (cell_text && row->cells.empty()) return cell_text(row, column);
  return row->Cell(column);
}

void ListWindow::DeleteTree(ListRow* row) {
  for (ListRow* c : row->children) DeleteTree(c);
  if (row->IsSelected()) --selected_count_;
  --row_count_;
  delete row;
}

void ListWindow::RemoveRow(ListRow* row) {
  if (!row) return;
  auto inside = [row](const ListRow* r) {
    for (; r; r = r->parent)
      if (r == row) return true;
    return false;
  };
  if (inside(current_)) current_ = nullptr;
  if (inside(drop_marker_)) drop_marker_ = nullptr;
  if (inside(press_row_)) press_row_ = nullptr;
  if (row->shown) {
    size_t idx = ShownIndex(row);
    size_t end = idx + 1;
    while (end < shown_.size() && shown_[end]->depth > row->depth) ++end;
    for (size_t i = idx; i < end; ++i) shown_[i]->shown = false;
    shown_.erase(shown_.begin() + static_cast<ptrdiff_t>(idx),
                 shown_.begin() + static_cast<ptrdiff_t>(end));
    MarkStale(idx);
  }
  auto& siblings = row->parent ? row->parent->children : roots_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), row));
  size_t before = selected_count_;
  DeleteTree(row);
  UpdateScroll();
  InvalidateClient();
  if (selected_count_ != before) selection_changed.Emit();
}

void ListWindow::Clear() {
  bool had_selection = selected_count_ > 0;
  for (ListRow* r : roots_) DeleteTree(r);
  roots_.clear();
  shown_.clear();
  stale_from_ = 0;
  row_count_ = selected_count_ = 0;
  current_ = drop_marker_ = press_row_ = nullptr;
  UpdateScroll();
  InvalidateClient();
  if (had_selection) selection_changed.Emit();
}

void ListWindow::Expand(ListRow* row) {
  if (!row || row->IsExpanded()) return;
  row->flags |= kRowExpanded;
  if (row->shown && !row->children.empty()) {
    std::vector<ListRow*> more;
    CollectShown(row, &more);
    size_t at = ShownIndex(row) + 1;
    for (ListRow* r : more) r->shown = true;
    shown_.insert(shown_.begin() + static_cast<ptrdiff_t>(at), more.begin(), more.end());
    MarkStale(at);
    UpdateScroll();
  }
  InvalidateClient();
}

void ListWindow::Collapse(ListRow* row) {
  if (!row || !row->IsExpanded()) return;
  if (row->shown) {
    size_t idx = ShownIndex(row);
    size_t end = idx + 1;
    while (end < shown_.size() && shown_[end]->depth > row->depth) ++end;
    for (size_t i = idx + 1; i < end; ++i) shown_[i]->shown = false;
    shown_.erase(shown_.begin() + static_cast<ptrdiff_t>(idx + 1),
                 shown_.begin() + static_cast<ptrdiff_t>(end));
    MarkStale(idx + 1);
  }
  row->flags &= ~kRowExpanded;
  // The current row must stay on screen: it moves up to the collapsed row.
  for (ListRow* r = current_ ? current_->parent : nullptr; r; r = r->parent)
    if (r == row) current_ = row;
  UpdateScroll();
  InvalidateClient();
}

ListRow* ListWindow::FindRowByValue(int value) const {
  std::vector<const ListRow*> stack(roots_.rbegin(), roots_.rend());
  while (!stack.empty()) {
    const ListRow* r = stack.back();
    stack.pop_back();
    if (r->value == value) return const_cast<ListRow*>(r);
    stack.insert(stack.end(), r->children.rbegin(), r->children.rend());
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------------------------

void ListWindow::SetSelected(ListRow* row, bool selected) {
  if (!row || row->IsSelected() == selected) return;
  if (selected && (row->flags & kRowGreyed)) return;
  row->flags ^= kRowSelected;
  selected ? ++selected_count_ : --selected_count_;
}

void ListWindow::ClearSelection() {
  if (!selected_count_) return;
  std::vector<ListRow*> stack(roots_.begin(), roots_.end());
  while (!stack.empty() && selected_count_) {
    ListRow* r = stack.back();
    stack.pop_back();
    SetSelected(r, false);
    stack.insert(stack.end(), r->children.begin(), r->children.end());
  }
  InvalidateClient();
}

std::vector<ListRow*> ListWindow::SelectedRows() const {
  std::vector<ListRow*> out;
  if (!selected_count_) return out;
  std::vector<ListRow*> stack(roots_.rbegin(), roots_.rend());
  while (!stack.empty() && out.size() < selected_count_) {
    ListRow* r = stack.back();
    stack.pop_back();
    if (r->IsSelected()) out.push_back(r);
    stack.insert(stack.end(), r->children.rbegin(), r->children.rend());
  }
  return out;
}

void ListWindow::SelectRange(ListRow* from, ListRow* to) {
  size_t a = from && from->shown ? ShownIndex(from) : 0;
  size_t b = ShownIndex(to);
  if (a > b) std::swap(a, b);
  for (size_t i = a; i <= b && i < shown_.size(); ++i) SetSelected(shown_[i], true);
}

void ListWindow::Select(ListRow* row, bool extend) {
  if (!row) return;
  bool multiple = style_ & kListMultipleSelection;
  if (extend && multiple && row->shown) {
    SelectRange(current_, row);
  } else {
    ClearSelection();
    SetSelected(row, true);
  }
  current_ = row;
  InvalidateClient();
  selection_changed.Emit();
}

void ListWindow::ToggleSelected(ListRow* row) {
  if (!row) return;
  if (!(style_ & kListMultipleSelection)) return Select(row, false);
  SetSelected(row, !row->IsSelected());
  current_ = row;
  InvalidateClient();
  selection_changed.Emit();
}

void ListWindow::SelectAll() {
  std::vector<ListRow*> stack(roots_.begin(), roots_.end());
  while (!stack.empty()) {
    ListRow* r = stack.back();
    stack.pop_back();
    SetSelected(r, true);
    stack.insert(stack.end(), r->children.begin(), r->children.end());
  }
  InvalidateClient();
  selection_changed.Emit();
}

void ListWindow::SetCurrentRow(ListRow* row, bool extend) {
  if (!row || !row->shown) return;
  MoveCurrent(static_cast<long long>(ShownIndex(row)), extend);
}

void ListWindow::MoveCurrent(long long target, bool extend) {
  if (shown_.empty()) return;
  target = std::clamp<long long>(target, 0, static_cast<long long>(shown_.size()) - 1);
  ListRow* row = shown_[static_cast<size_t>(target)];
  Select(row, extend && (style_ & kListMultipleSelection));
  ScrollToRow(row);
}

void ListWindow::Activate(ListRow* row) {
  if (row) row_activated.Emit(row);
}

// ---------------------------------------------------------------------------------------------
// Columns and sorting
// ---------------------------------------------------------------------------------------------

void ListWindow::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= ColumnCount()) return;
  columns_[static_cast<size_t>(column)].width = width;
  UpdateScroll();
  InvalidateClient();
}

int ListWindow::RowTextWidth(const ListRow* row) const {
  // As DrawRow lays a row out, with 2 pixels to spare at the right.
  return 2 + row->depth * kIndent + kExpanderWidth + 2 +
         MeasureText(GetFont(), row->text.c_str(), 0) + 2;
}

int ListWindow::AddColumn(const char* title, int width, uint32_t flags) {
  ListColumn c;
  c.title = title ? title : "";
  c.width = width;
  c.flags = flags;
  c.priority = static_cast<int>(columns_.size());
  columns_.push_back(c);
  UpdateScroll();
  InvalidateClient();
  return static_cast<int>(columns_.size()) - 1;
}

bool ListWindow::LessBySortKeys(const ListRow* a, const ListRow* b, size_t from_key) const {
  for (size_t k = from_key; k < sort_order_.size(); ++k) {
    int c = sort_order_[k];
    int cmp = CompareCells(CellText(a, c), CellText(b, c));
    if (cmp)
      return (columns_[static_cast<size_t>(c)].flags & kColumnDescending) ? cmp > 0 : cmp < 0;
  }
  return false;
}

// The first sort keys of every row are worked out once; the later ones only break ties.
void ListWindow::SortChildren(std::vector<ListRow*>* rows) {
  struct Entry {
    ListRow* row;
    std::vector<CellKey> keys;
  };
  constexpr size_t kCachedKeys = 3;
  const size_t cached = std::min(kCachedKeys, sort_order_.size());
  std::vector<Entry> entries;
  entries.reserve(rows->size());
  for (ListRow* r : *rows) {
    Entry e{r, {}};
    e.keys.reserve(cached);
    for (size_t k = 0; k < cached; ++k) e.keys.emplace_back(CellText(r, sort_order_[k]));
    entries.push_back(std::move(e));
  }
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    for (size_t k = 0; k < cached; ++k) {
      int cmp = a.keys[k].Compare(b.keys[k]);
      if (cmp)
        return (columns_[static_cast<size_t>(sort_order_[k])].flags & kColumnDescending) ? cmp > 0
                                                                                         : cmp < 0;
    }
    return LessBySortKeys(a.row, b.row, cached);
  });
  for (size_t i = 0; i < entries.size(); ++i) (*rows)[i] = entries[i].row;
  for (ListRow* r : *rows)
    if (r->children.size() > 1) SortChildren(&r->children);
}

void ListWindow::SetColumnPriority(int column, int priority) {
  if (column >= 0 && column < ColumnCount())
    columns_[static_cast<size_t>(column)].priority = priority;
}

void ListWindow::Sort() {
  sort_order_.clear();
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].priority >= 0) sort_order_.push_back(static_cast<int>(i));
  std::stable_sort(sort_order_.begin(), sort_order_.end(), [this](int a, int b) {
    return columns_[static_cast<size_t>(a)].priority < columns_[static_cast<size_t>(b)].priority;
  });
  SortChildren(&roots_);
  RebuildShown();
  InvalidateClient();
}

void ListWindow::SortBy(int column, bool descending) {
  if (columns_.empty() && column == 0) AddColumn("", std::max(client.Width(), 100));
  if (column < 0 || column >= ColumnCount()) return;
  ListColumn& chosen = columns_[static_cast<size_t>(column)];
  if (chosen.priority < 0) chosen.priority = ColumnCount();  // joins the sort keys first
  for (ListColumn& c : columns_)
    if (c.priority >= 0 && c.priority < chosen.priority) ++c.priority;
  chosen.priority = 0;
  chosen.flags =
      descending ? (chosen.flags | kColumnDescending) : (chosen.flags & ~kColumnDescending);
  sort_chosen_ = true;
  Sort();
}

// ---------------------------------------------------------------------------------------------
// Geometry and scrolling
// ---------------------------------------------------------------------------------------------

int ListWindow::RowHeight() const {
  return std::max(LineHeight(this) + 2, 14);
}

int ListWindow::HeaderHeight() const {
  return (style_ & kListColumnHeader) ? RowHeight() + 4 : 0;
}

void ListWindow::UpdateScroll() {
  int page = std::max(1, (client.Height() - HeaderHeight()) / RowHeight());
  int columns_width = 0;
  for (const ListColumn& c : columns_)
    if (!(c.flags & kColumnHidden)) columns_width += c.width;
  int h_page = columns_width > client.Width() ? std::max(client.Width(), 1) : 0;
  SetScroll(kScrollVTotal | kScrollVPage | kScrollHTotal | kScrollHPage,
            static_cast<int>(shown_.size()), 0, page, columns_width, 0, h_page);
}

void ListWindow::Layout() {
  UpdateScroll();
}

void ListWindow::VerticalScrolled(int) {
  InvalidateClient();
}

Rect ListWindow::RowRect(size_t index) const {
  int rh = RowHeight();
  int y = client.y0 + HeaderHeight() + (static_cast<int>(index) - VPos()) * rh;
  return Rect(client.x0, y, client.x1, y + rh);
}

ListRow* ListWindow::RowAt(int x, int y) {
  int top = client.y0 + HeaderHeight();
  if (y < top || y >= client.y1 || x < client.x0 || x >= client.x1) return nullptr;
  size_t i = static_cast<size_t>(VPos() + (y - top) / RowHeight());
  return i < shown_.size() ? shown_[i] : nullptr;
}

int ListWindow::ColumnAt(int x) const {
  int left = client.x0 - HPos();
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].flags & kColumnHidden) continue;
    if (x >= left && x < left + columns_[i].width) return static_cast<int>(i);
    left += columns_[i].width;
  }
  return -1;
}

void ListWindow::ScrollToRow(ListRow* row) {
  if (!row || !row->shown) return;
  int idx = static_cast<int>(ShownIndex(row));
  if (idx < VPos())
    ScrollTo(idx);
  else if (idx >= VPos() + VPage())
    ScrollTo(idx - VPage() + 1);
}

// ---------------------------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------------------------

int ListWindow::KeyDown(Event* e) {
  if (!e->words[1]) return 0;
  int key = e->Key(), mods = e->Modifiers();
  bool shift = mods & kModShift;
  bool multiple = style_ & kListMultipleSelection;
  long long cur = current_ && current_->shown ? static_cast<long long>(ShownIndex(current_)) : -1;
  switch (key) {
    case 'A':
      if (!(mods & kModControl)) return 0;
      if (multiple) SelectAll();
      return 1;
    case kKeyBackspace:
    case kKeyDelete:
      if (selected_count_) delete_requested.Emit();
      return 1;
    case kKeyEnter:
      if (!(mods & kModRepeat))
        for (ListRow* r : SelectedRows()) Activate(r);
      return 1;
    case kKeyHome:
      MoveCurrent(0, shift);
      return 1;
    case kKeyEnd:
      MoveCurrent(static_cast<long long>(shown_.size()) - 1, shift);
      return 1;
    case kKeyPageUp:
      MoveCurrent(std::max(cur, 0LL) - VPage(), shift);
      return 1;
    case kKeyPageDown:
      MoveCurrent(cur + VPage(), shift);
      return 1;
    case kKeyUp:
      MoveCurrent(cur < 0 ? 0 : cur - 1, shift);
      return 1;
    case kKeyDown:
      MoveCurrent(cur + 1, shift);
      return 1;
    case kKeyLeft:
    case kKeyPadMinus:
      for (ListRow* r : SelectedRows()) Collapse(r);
      return 1;
    case kKeyRight:
    case kKeyPadPlus:
      for (ListRow* r : SelectedRows()) Expand(r);
      return 1;
    default:
      return 0;
  }
}

void ListWindow::ClientMouseButton(Event* e) {
  if (e->Button() != 0) return;
  if (!e->Pressed()) {
    if (select_on_release_ && press_row_) {
      Select(press_row_, false);
      if (style_ & kListSingleClickActivates) Activate(press_row_);
    }
    select_on_release_ = false;
    press_row_ = nullptr;
    return;
  }
  select_on_release_ = false;
  int x = e->X(), y = e->Y(), mods = e->Modifiers();
  if (y < client.y0 + HeaderHeight()) {
    int column = ColumnAt(x);
    if (column >= 0)
      SortBy(column, !(columns_[static_cast<size_t>(column)].flags & kColumnDescending));
    return;
  }
  ListRow* row = RowAt(x, y);
  if (!row) {
    if (!(style_ & kListKeepSelectionOnEmpty) && !(mods & (kModShift | kModControl)) &&
        selected_count_) {
      ClearSelection();
      selection_changed.Emit();
    }
    return;
  }
  int expander_x = client.x0 - HPos() + 2 + row->depth * kIndent;
  if (!row->children.empty() && x >= expander_x && x < expander_x + kExpanderWidth) {
    row->IsExpanded() ? Collapse(row) : Expand(row);
    return;
  }
  if (row->flags & kRowGreyed) return;
  bool multiple = style_ & kListMultipleSelection;
  if ((style_ & kListDragRows) && multiple && row->IsSelected() && selected_count_ > 1 &&
      !(mods & (kModShift | kModControl))) {
    select_on_release_ = true;
    press_row_ = row;
    press_point_ = Point{x, y};
    return;
  }
  if (multiple && (mods & kModControl))
    ToggleSelected(row);
  else
    Select(row, multiple && (mods & kModShift));
  if (style_ & kListSingleClickActivates) Activate(row);
  if (style_ & kListDragRows) {
    press_row_ = row;
    press_point_ = Point{x, y};
  }
}

void ListWindow::ClientDoubleClick(Event* e) {
  ListRow* row = RowAt(e->X(), e->Y());
  if (!row || (row->flags & kRowGreyed)) return;
  if (!row->IsSelected()) Select(row, false);
  Activate(row);
}

void ListWindow::ClientMouseMove(Event* e) {
  if (!press_row_ || !Ui().button) {
    press_row_ = nullptr;
    return;
  }
  if (std::abs(e->X() - press_point_.x) < kDragThreshold &&
      std::abs(e->Y() - press_point_.y) < kDragThreshold)
    return;
  std::vector<ListRow*> rows;
  if (press_row_->IsSelected())
    rows = SelectedRows();
  else
    rows.push_back(press_row_);
  press_row_ = nullptr;
  select_on_release_ = false;
  BeginMouseTracking(this, new ListItemDDData(this, std::move(rows)), nullptr);
}

int ListWindow::DragDrop(int x, int y, int hovering, DragDropData* data) {
  if (!drag_hook || !data || data->type != kListDragType) return 0;
  auto* rows = static_cast<ListItemDDData*>(data);
  ListRow* target = RowAt(x, y);
  if (hovering) {
    if (target != drop_marker_) {
      drop_marker_ = target;
      InvalidateClient();
    }
    return drag_hook(this, target, rows, false);
  }
  int accepted = drag_hook(this, target, rows, true);
  ClearDropMarker();
  return accepted;
}

void ListWindow::ClearDropMarker() {
  drop_marker_ = nullptr;
  InvalidateClient();
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

void ListWindow::DrawHeader() {
  int h = HeaderHeight();
  int x = -HPos();
  int first_key = sort_order_.empty() ? -1 : sort_order_[0];
  auto draw_one = [&](const char* title, int width, int index) {
    Rect r(x, 0, x + width, h);
    Piece(kSkinListHeader, r, 0xFF484848u);
    SetColor(0xFF202020u);
    FillRect(Rect(r.x1 - 1, 0, r.x1, h));
    SetColor(0xFFFFFFFFu);
    DrawTextInRect(this, title, Rect(r.x0 + 4, 0, r.x1 - 14, h), kTextCentreVertically);
    if (index == first_key) {
      bool down = columns_[static_cast<size_t>(index)].flags & kColumnDescending;
      DrawTextInRect(this, down ? "v" : "^", Rect(r.x1 - 12, 0, r.x1 - 2, h),
                     kTextCentreVertically);
    }
    x += width;
  };
  if (columns_.empty()) {
    draw_one("", client.Width(), -1);
    return;
  }
  for (size_t i = 0; i < columns_.size(); ++i)
    if (!(columns_[i].flags & kColumnHidden))
      draw_one(columns_[i].title.c_str(), columns_[i].width, static_cast<int>(i));
}

void ListWindow::DrawRow(ListRow* row, const Rect& r, int) {
  if (row->IsSelected()) {
    SetColor(HasFocus() ? kSelectionFocused : kSelectionUnfocused);
    FillRect(r);
  }
  if (row == current_ && HasFocus()) {
    SetColor(0xFF60C0E0u);
    FrameRect(r, 1, true);
  }
  int x = r.x0 - HPos();
  int indent = 2 + row->depth * kIndent;
  if (!row->children.empty()) {
    SetColor(0xFFC0C0C0u);
    DrawTextInRect(this, row->IsExpanded() ? "-" : "+",
                   Rect(x + indent, r.y0, x + indent + kExpanderWidth, r.y1),
                   kTextCentre | kTextCentreVertically);
  }
  int text_left = x + indent + kExpanderWidth + 2;
  SetColor(ReadableRowColour(row->colour));
  if (columns_.empty()) {
    DrawTextInRect(this, row->text.c_str(), Rect(text_left, r.y0, r.x1, r.y1),
                   kTextCentreVertically | kTextShadow);
    return;
  }
  int left = x;
  bool first = true;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].flags & kColumnHidden) continue;
    int right = left + columns_[i].width;
    int from = first ? text_left : left + 4;
    if (right > 0 && left < r.x1)
      DrawTextInRect(this, CellText(row, static_cast<int>(i)).c_str(),
                     Rect(from, r.y0, right - 2, r.y1), kTextCentreVertically | kTextShadow);
    left = right;
    first = false;
  }
}

void ListWindow::DrawContent() {
  int w = client.Width(), h = client.Height();
  SetColor(kListBackground);
  FillRect(Rect(0, 0, w, h));
  int header = HeaderHeight();
  if (header) DrawHeader();
  int rh = RowHeight();
  size_t first = static_cast<size_t>(VPos());
  size_t last = std::min(shown_.size(), first + static_cast<size_t>(VPage()) + 1);
  drawn_rows_ = 0;
  for (size_t i = first; i < last; ++i) {
    int y = header + static_cast<int>(i - first) * rh;
    if (y >= h) break;
    DrawRow(shown_[i], Rect(0, y, w, y + rh), 0);
    if (shown_[i] == drop_marker_) {
      SetColor(0xFF40A0FFu);
      FillRect(Rect(0, y, w, y + 2));
    }
    ++drawn_rows_;
  }
}

}  // namespace brae
