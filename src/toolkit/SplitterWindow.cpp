#include "toolkit/SplitterWindow.h"

#include <algorithm>

#include "platform/Platform.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {
constexpr int kCursorSizeWestEast = 1;
constexpr int kCursorSizeNorthSouth = 2;
}  // namespace

SplitterWindow::SplitterWindow(uint32_t flags, Window* parent) : Window(flags, parent) {
  SetTitle("SplitterWindow");
}

int SplitterWindow::BarThickness() const {
  const Skin* skin = Ui().skin;
  int w = skin ? skin->ThickBorderWidth() : 0;
  return w > 0 ? w : 4;
}

int SplitterWindow::ClampBar(int position) const {
  int total = Total();
  int smaller = std::min(minimums_[0], minimums_[1]);
  if (total < 2 * smaller) return std::max(total / 2, 0);
  int low = minimums_[0];
  int high = total - BarThickness() - minimums_[1];
  position = std::min(std::max(position, low), std::max(high, low));
  return std::clamp(position, 0, std::max(total, 0));
}

Rect SplitterWindow::BarRect() const {
  int t = BarThickness();
  if (orientation_ == kSplitSideBySide)
    return Rect(client.x0 + bar_, client.y0, client.x0 + bar_ + t, client.y1);
  return Rect(client.x0, client.y0 + bar_, client.x1, client.y0 + bar_ + t);
}

Window* SplitterWindow::SetPane(int index, Window* pane, int minimum_size) {
  index &= 1;
  Window* old = panes_[index];
  panes_[index] = nullptr;  // ChildRemoved must not see it as a pane any more
  if (old && old != pane && old->Parent() == this) {
    old->Invalidate();
    old->SetParent(nullptr);
  }
  panes_[index] = pane;
  minimums_[index] = std::max(minimum_size, 0);
  if (pane && pane->Parent() != this) pane->SetParent(this);
  bar_ = ClampBar(bar_);
  LayoutPanes();
  return old == pane ? nullptr : old;
}

void SplitterWindow::SetOrientation(int orientation, bool fixed) {
  orientation_ = orientation ? kSplitStacked : kSplitSideBySide;
  fixed_ = fixed;
  bar_ = ClampBar(bar_);
  LayoutPanes();
}

void SplitterWindow::SetBarPosition(int position) {
  bar_ = ClampBar(position);
  LayoutPanes();
}

void SplitterWindow::LayoutPanes() {
  int w = client.Width(), h = client.Height(), t = BarThickness();
  if (panes_[0] && panes_[1]) {
    if (orientation_ == kSplitSideBySide) {
      panes_[0]->SetFrame(Rect(0, 0, bar_, h));
      panes_[1]->SetFrame(Rect(bar_ + t, 0, w, h));
    } else {
      panes_[0]->SetFrame(Rect(0, 0, w, bar_));
      panes_[1]->SetFrame(Rect(0, bar_ + t, w, h));
    }
  } else if (Window* only = panes_[0] ? panes_[0] : panes_[1]) {
    only->SetFrame(Rect(0, 0, w, h));
  }
  InvalidateClient();
}

void SplitterWindow::Layout() {
  bar_ = ClampBar(bar_);
  LayoutPanes();
}

void SplitterWindow::ChildRemoved(Window* child) {
  for (Window*& p : panes_)
    if (p == child) p = nullptr;
}

void SplitterWindow::DrawContent() {
  if (!panes_[0] || !panes_[1]) return;
  Rect r = BarRect().Offset(-client.x0, -client.y0);
  int slot = orientation_ == kSplitSideBySide ? kSkinSplitterV : kSkinSplitterH;
  Skin* skin = Ui().skin;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height(), kSpriteTile);
    skin->FlushSprites();
  } else {
    SetColor(0xFF707070u);
    FillRect(r);
  }
}

void SplitterWindow::ClientMouseButton(Event* e) {
  if (!e->Pressed() || e->Button() != 0 || fixed_ || !panes_[0] || !panes_[1]) return;
  if (!BarRect().Contains(e->X(), e->Y())) return;
  drag_start_bar_ = bar_;
  BeginMouseTracking(this, nullptr, [this](Window*, int sx, int sy, int x, int y, int phase) {
    if (phase != 1) return;
    int moved = orientation_ == kSplitSideBySide ? x - sx : y - sy;
    SetBarPosition(drag_start_bar_ + moved);
  });
}

void SplitterWindow::ClientMouseMove(Event* e) {
  bool over = panes_[0] && panes_[1] && BarRect().Contains(e->X(), e->Y());
  int shape =
      over ? (orientation_ == kSplitSideBySide ? kCursorSizeWestEast : kCursorSizeNorthSouth) : 0;
  if (shape != ClientCursor()) {
    SetClientCursor(shape);
    platform::SetCursorShape(shape);
  }
}

}  // namespace brae
