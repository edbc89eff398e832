#include "editing/Table.h"

#include "toolkit/Frame.h"

namespace brae {

namespace {

constexpr uint32_t kPlainFlags = kWindowVisible | kWindowEnabled;
constexpr uint32_t kFrameColour = 0xFF909090u;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;

}  // namespace

Table::Table(Window* parent, const TableShape& settings)
    : Window(kPlainFlags, parent), settings_(settings) {
  settings_.rows.clear();
}

void Table::AddCell(Window* window, bool framed) {
  if (rows_.empty()) AddRow();
  if (window->Parent() != this) window->SetParent(this);
  rows_.back().push_back(Cell{window, framed});
}

void Table::Arrange() {
  TableShape shape = settings_;
  for (const auto& row : rows_) {
    shape.rows.emplace_back();
    for (const Cell& cell : row) {
      Rect f = cell.window->ParentRelativeFrame();
      shape.rows.back().push_back(Point{f.Width(), f.Height()});
    }
  }
  TableGeometry g = ComputeTableLayout(shape);
  for (size_t r = 0; r < rows_.size(); ++r)
    for (size_t c = 0; c < rows_[r].size(); ++c) rows_[r][c].window->SetFrame(g.cells[r][c]);
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + g.size.x, f.y0 + g.size.y));
}

void Table::DrawContent() {
  if (!settings_.has_text) return;
  int w = ClientSize().x, h = ClientSize().y;
  int line = LineHeight(this);
  int top = settings_.text.empty() ? kTableTitledHeight / 4 : kTableTitleHeight / 2 + line / 2;
  SetColor(kFrameColour);
  FrameRect(Rect(kTableTitledWidth / 4, top, w - kTableTitledWidth / 4, h - kTableTitledHeight / 4),
            1, true);
  if (!settings_.text.empty()) {
    SetColor(kTextColour);
    DrawText(this, settings_.text.c_str(), kTableTitledWidth / 2, kTableTitleHeight / 2);
  }
}

FormLabel::FormLabel(Window* parent, const std::string& text) : Window(kPlainFlags, parent) {
  SetTitle(text.c_str());
  int width = TextWidth(this, text.c_str()) + 4;
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + width, f.y0 + LineHeight(this) + 4));
}

void FormLabel::DrawContent() {
  SetColor(kTextColour);
  DrawText(this, Title() ? Title() : "", 0, 2);
}

}  // namespace brae
