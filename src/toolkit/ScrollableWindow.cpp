#include "toolkit/ScrollableWindow.h"

#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kDefaultBarWidth = 16;

void Piece(int slot, const Rect& r, uint32_t fallback) {
  if (r.IsEmpty()) return;
  Skin* skin = Ui().skin;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height());
  } else {
    SetColor(fallback);
    FillRect(r);
  }
}

bool IsArrow(int part) {
  return part == kScrollUpArrow || part == kScrollDownArrow || part == kScrollLeftArrow ||
         part == kScrollRightArrow;
}
bool IsTrack(int part) {
  return part == kScrollTrackAbove || part == kScrollTrackBelow || part == kScrollTrackLeft ||
         part == kScrollTrackRight;
}

}  // namespace

ThumbSpan ComputeThumb(int bar_length, int total, int page, int position) {
  ThumbSpan thumb;
  int track = bar_length - 2 * kScrollArrowLength;
  if (track < 15 || total - page < 1 || total <= 0) return thumb;
  thumb.present = true;
  thumb.length =
      std::max(kMinThumbLength, static_cast<int>(static_cast<int64_t>(track) * page / total));
  thumb.length = std::min(thumb.length, track);
  thumb.offset =
      static_cast<int>(static_cast<int64_t>(track - thumb.length) * position / (total - page));
  return thumb;
}

ScrollableWindow::ScrollableWindow(uint32_t flags, Window* parent) : Window(flags, parent) {}

int ScrollableWindow::ScrollBarWidth() const {
  int w = 0, h = 0;
  if (Ui().skin) Ui().skin->ImageSize(kSkinScrollTrackV, &w, &h);
  return w > 0 ? w : kDefaultBarWidth;
}

void ScrollableWindow::FrameToClient(const Rect& f, Rect* out) {
  Window::FrameToClient(f, out);
  int bw = ScrollBarWidth();
  if (HasVBar()) out->x1 = std::max(out->x0, out->x1 - bw);
  if (HasHBar()) out->y1 = std::max(out->y0, out->y1 - bw);
}

void ScrollableWindow::ClientSizeToFrame(Point* size, int w, int h) {
  int bw = ScrollBarWidth();
  Window::ClientSizeToFrame(size, w + (HasVBar() ? bw : 0), h + (HasHBar() ? bw : 0));
}

Rect ScrollableWindow::VBarRect() const {
  if (!HasVBar()) return Rect();
  return Rect(client.x1, client.y0, client.x1 + ScrollBarWidth(), client.y1);
}

Rect ScrollableWindow::HBarRect() const {
  if (!HasHBar()) return Rect();
  return Rect(client.x0, client.y1, client.x1, client.y1 + ScrollBarWidth());
}

Rect ScrollableWindow::VThumbRect() const {
  Rect bar = VBarRect();
  ThumbSpan t = ComputeThumb(bar.Height(), v_total_, v_page_, v_pos_);
  if (!HasVBar() || !t.present) return Rect();
  int y = bar.y0 + kScrollArrowLength + t.offset;
  return Rect(bar.x0, y, bar.x1, y + t.length);
}

Rect ScrollableWindow::HThumbRect() const {
  Rect bar = HBarRect();
  ThumbSpan t = ComputeThumb(bar.Width(), h_total_, h_page_, h_pos_);
  if (!HasHBar() || !t.present) return Rect();
  int x = bar.x0 + kScrollArrowLength + t.offset;
  return Rect(x, bar.y0, x + t.length, bar.y1);
}

// Point tests here exclude the far edges so that neighbouring parts never overlap.
int ScrollableWindow::ScrollBarHitTest(int x, int y) const {
  auto inside = [&](const Rect& r) { return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1; };
  if (HasVBar() && HasHBar() &&
      inside(
          Rect(client.x1, client.y1, client.x1 + ScrollBarWidth(), client.y1 + ScrollBarWidth())))
    return kScrollCorner;
  Rect v = VBarRect();
  if (HasVBar() && inside(v)) {
    if (y < v.y0 + kScrollArrowLength) return kScrollUpArrow;
    if (y >= v.y1 - kScrollArrowLength) return kScrollDownArrow;
    Rect t = VThumbRect();
    if (t.IsEmpty()) return kScrollTrackBelow;
    if (y < t.y0) return kScrollTrackAbove;
    if (y >= t.y1) return kScrollTrackBelow;
    return kScrollVThumb;
  }
  Rect h = HBarRect();
  if (HasHBar() && inside(h)) {
    if (x < h.x0 + kScrollArrowLength) return kScrollLeftArrow;
    if (x >= h.x1 - kScrollArrowLength) return kScrollRightArrow;
    Rect t = HThumbRect();
    if (t.IsEmpty()) return kScrollTrackRight;
    if (x < t.x0) return kScrollTrackLeft;
    if (x >= t.x1) return kScrollTrackRight;
    return kScrollHThumb;
  }
  return kScrollNone;
}

uint32_t ScrollableWindow::HitTest(int x, int y) {
  if (ScrollBarHitTest(x, y) != kScrollNone) return HitOtherFrame;
  return Window::HitTest(x, y);
}

void ScrollableWindow::SetScroll(int mask, int v_total, int v_pos, int v_page, int h_total,
                                 int h_pos, int h_page) {
  bool had_v = HasVBar(), had_h = HasHBar();
  int old_v = v_pos_, old_h = h_pos_;
  if (mask & kScrollVTotal) v_total_ = std::max(v_total, 0);
  if (mask & kScrollVPage) v_page_ = std::max(v_page, 0);
  if (mask & kScrollVPos) v_pos_ = v_pos;
  if (mask & kScrollHTotal) h_total_ = std::max(h_total, 0);
  if (mask & kScrollHPage) h_page_ = std::max(h_page, 0);
  if (mask & kScrollHPos) h_pos_ = h_pos;
  v_pos_ = std::clamp(v_pos_, 0, std::max(v_total_ - v_page_, 0));
  h_pos_ = std::clamp(h_pos_, 0, std::max(h_total_ - h_page_, 0));
  if (had_v != HasVBar() || had_h != HasHBar()) SetFrame(ParentRelativeFrame());
  if (v_pos_ != old_v) VerticalScrolled(v_pos_);
  if (h_pos_ != old_h) HorizontalScrolled(h_pos_);
  Invalidate();
}

void ScrollableWindow::InvalidateBars() {
  InvalidateRect(VBarRect().Union(HBarRect()));
}

// ---- input ----------------------------------------------------------------------------------

void ScrollableWindow::StepPart(int part) {
  switch (part) {
    case kScrollUpArrow:
      ScrollBy(-1);
      break;
    case kScrollDownArrow:
      ScrollBy(1);
      break;
    case kScrollTrackAbove:
      ScrollByPages(-1);
      break;
    case kScrollTrackBelow:
      ScrollByPages(1);
      break;
    case kScrollLeftArrow:
      ScrollByH(-1);
      break;
    case kScrollRightArrow:
      ScrollByH(1);
      break;
    case kScrollTrackLeft:
      ScrollByPagesH(-1);
      break;
    case kScrollTrackRight:
      ScrollByPagesH(1);
      break;
    default:
      break;
  }
}

void ScrollableWindow::FrameMouseButton(Event* e) {
  if (e->Pressed() && e->Button() == 0) {
    int part = ScrollBarHitTest(e->X(), e->Y());
    if (part != kScrollNone && part != kScrollCorner) {
      if (!BeginMouseTracking(this, nullptr,
                              [this](Window*, int sx, int sy, int x, int y, int phase) {
                                TrackScroll(sx, sy, x, y, phase);
                              }))
        return;
      pressed_part_ = part;
      drag_start_pos_ = part == kScrollHThumb ? h_pos_ : v_pos_;
      last_repeat_ = UiNow();
      StepPart(part);
      InvalidateBars();
      return;
    }
  }
  Window::FrameMouseButton(e);
}

void ScrollableWindow::TrackScroll(int start_x, int start_y, int x, int y, int phase) {
  if (phase == 2) {
    pressed_part_ = kScrollNone;
    InvalidateBars();
    return;
  }
  if (phase != 1) return;
  if (pressed_part_ == kScrollVThumb) {
    int track = VBarRect().Height() - 2 * kScrollArrowLength;
    int room = track - VThumbRect().Height();
    if (room > 0)
      ScrollTo(drag_start_pos_ +
               static_cast<int>(static_cast<int64_t>(y - start_y) * (v_total_ - v_page_) / room));
  } else if (pressed_part_ == kScrollHThumb) {
    int track = HBarRect().Width() - 2 * kScrollArrowLength;
    int room = track - HThumbRect().Width();
    if (room > 0)
      ScrollToH(drag_start_pos_ +
                static_cast<int>(static_cast<int64_t>(x - start_x) * (h_total_ - h_page_) / room));
  }
}

void ScrollableWindow::Idle() {
  if (!IsArrow(pressed_part_) && !IsTrack(pressed_part_)) return;
  double interval = IsArrow(pressed_part_) ? kArrowRepeat : kTrackRepeat;
  double now = UiNow();
  Point m = MousePosition();
  if (ScrollBarHitTest(m.x, m.y) != pressed_part_) {
    last_repeat_ = now;  // resumes with a full delay when the mouse comes back
    return;              // (a mouse move brings it back, so no frame is needed meanwhile)
  }
  // A small tolerance keeps 1/30 s steps from slipping a frame through rounding.
  while (now - last_repeat_ >= interval - 1e-6 && pressed_part_ != kScrollNone) {
    last_repeat_ += interval;
    StepPart(pressed_part_);
  }
  if (pressed_part_ != kScrollNone) RequestFrameAt(last_repeat_ + interval);
}

void ScrollableWindow::ClientWheel(Event* e) {
  int delta = e->WheelFrom() - e->WheelTo();
  if (e->Modifiers() & kModHorizontalWheel)
    ScrollToH(h_pos_ + delta);
  else
    ScrollTo(v_pos_ + delta);
}

void ScrollableWindow::FrameWheel(Event* e) {
  ClientWheel(e);
}

// ---- drawing --------------------------------------------------------------------------------

void ScrollableWindow::DrawFrame() {
  Window::DrawFrame();
  int ox = -frame.x0, oy = -frame.y0;
  if (HasVBar()) {
    Rect bar = VBarRect().Offset(ox, oy);
    Piece(kSkinScrollTrackV, bar, 0xFF2A2A2Au);
    Piece(pressed_part_ == kScrollUpArrow ? kSkinArrowUpPressed : kSkinArrowUp,
          Rect(bar.x0, bar.y0, bar.x1, bar.y0 + kScrollArrowLength), 0xFF909090u);
    Piece(pressed_part_ == kScrollDownArrow ? kSkinArrowDownPressed : kSkinArrowDown,
          Rect(bar.x0, bar.y1 - kScrollArrowLength, bar.x1, bar.y1), 0xFF909090u);
    Piece(kSkinScrollThumbV, VThumbRect().Offset(ox, oy), 0xFFB0B0B0u);
  }
  if (HasHBar()) {
    Rect bar = HBarRect().Offset(ox, oy);
    Piece(kSkinScrollTrackH, bar, 0xFF2A2A2Au);
    Piece(pressed_part_ == kScrollLeftArrow ? kSkinArrowLeftPressed : kSkinArrowLeft,
          Rect(bar.x0, bar.y0, bar.x0 + kScrollArrowLength, bar.y1), 0xFF909090u);
    Piece(pressed_part_ == kScrollRightArrow ? kSkinArrowRightPressed : kSkinArrowRight,
          Rect(bar.x1 - kScrollArrowLength, bar.y0, bar.x1, bar.y1), 0xFF909090u);
    Piece(kSkinScrollThumbH, HThumbRect().Offset(ox, oy), 0xFFB0B0B0u);
  }
  if (HasVBar() && HasHBar()) {
    int bw = ScrollBarWidth();
    Piece(kSkinScrollCorner,
          Rect(client.x1, client.y1, client.x1 + bw, client.y1 + bw).Offset(ox, oy), 0xFF404040u);
  }
  if (Ui().skin) Ui().skin->FlushSprites();
}

}  // namespace brae
