// Window's default event handling: routing inside the window, keys climbing the ancestors, the
// tab ring, and the frame's own mouse handling (move, resize, title boxes, double clicks).

#include <algorithm>
#include <memory>

#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/UiState.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

bool IsCloseShortcut(const Event* e) {
  int key = e->words[0], mods = e->words[2];
  return (key == 'W' && (mods & kModControl)) || (key == kKeyF4 && (mods & kModCommand));
}

Window* NextInTabRing(Window* from, bool backwards) {
  Window* w = from;
  for (int guard = 0; guard < 1000; ++guard) {
    w = backwards ? w->tab_prev : w->tab_next;
    if (!w || w == from) return nullptr;
    if (w->IsVisible() && w->IsEnabled()) return w;
  }
  return nullptr;
}

}  // namespace

int Window::HandleEvent(Window* target, EventType type, Event* e) {
  if (type == EventType::Key && (flags & kWindowCloseBox) && e->words[1] && IsCloseShortcut(e)) {
    const ModalEntry* top = TopModal();
    bool modal_inside = top && top->window && IsAncestorOf(top->window);
    if (!modal_inside) {
      if (RequestClose(1)) Close();
      return 1;
    }
  }
  if (target != this) return 0;
  if (static_cast<int>(type) < 0 || type > EventType::Wheel) return 0;
  uint32_t part = e->Part();
  switch (type) {
    case EventType::Key:
      if (e->words[0] == kKeyTab && tab_next && tab_next != this) {
        if (e->words[1]) {
          if (Window* next = NextInTabRing(this, e->words[2] & kModShift)) next->SetFocus(2);
        }
        return 1;
      }
      for (Window* w = this; w; w = w->parent)
        if (w->KeyDown(e)) break;
      return 1;
    case EventType::Char:
      CharTyped(e);
      return 1;
    case EventType::MouseButton: {
      int passed_on = 0;
      if (e->words[5]) {
        Window* top = TopLevel();
        top->BringToFront();
        if (!HasFocus()) passed_on = SetFocus(1);
        // A press on a part that takes no focus still activates its window.
        Window* focus = Ui().focus;
        if (focus != top && !top->IsAncestorOf(focus)) top->SetFocus(1);
      }
      if (part == HitClient) {
        if (!passed_on) ClientMouseButton(e);
      } else {
        FrameMouseButton(e);
      }
      return 1;
    }
    case EventType::DoubleClick:
      part == HitClient ? ClientDoubleClick(e) : FrameDoubleClick(e);
      return 1;
    case EventType::MouseMove:
      part == HitClient ? ClientMouseMove(e) : FrameMouseMove(e);
      return 1;
    case EventType::Wheel:
      part == HitClient ? ClientWheel(e) : FrameWheel(e);
      return 1;
    default:
      return 0;
  }
}

void Window::FrameMouseButton(Event* e) {
  if (!e->words[5] || e->words[4] == 1) return;
  uint32_t part = e->Part();
  bool edge = part != HitOtherFrame && (part & kHitEdges) && !(part & ~kHitEdges);
  if ((flags & kWindowThickBorder) && (flags & kWindowResizable) && window_state == kStateNormal &&
      edge)
    StartFrameTracking(part);
  else if ((flags & kWindowTitleBar) && window_state != kStateZoomed && part == HitTitleBar)
    StartFrameTracking(part);
  else if (part == HitCloseBox || part == HitZoomBox || part == HitCollapseBox)
    StartFrameTracking(part);
}

void Window::StartFrameTracking(uint32_t part) {
  if (part & kHitBoxes) {
    auto callback = [part](Window* w, int, int, int x, int y, int phase) {
      bool over = w->TitleBoxRect(part).Contains(x, y);
      uint32_t highlight = (phase < 2 && over) ? part : 0;
      if (highlight != w->highlighted_box) {
        w->highlighted_box = highlight;
        brae::Invalidate(w, w->TitleBarRect(), false);
      }
      if (phase != 2 || !over) return;
      if (part == HitCloseBox) {
        if (w->RequestClose(1)) w->Close();
      } else if (part == HitZoomBox) {
        w->SetWindowState(w->State() == kStateZoomed ? kStateNormal : kStateZoomed);
      } else {
        w->SetWindowState(w->State() == kStateCollapsed ? kStateNormal : kStateCollapsed);
      }
    };
    BeginMouseTracking(this, nullptr, callback);
    return;
  }
  Rect start = ParentRelativeFrame();
  Point mouse = MousePosition();
  int grab_y = mouse.y - frame.y0;
  int top = frame.y0;
  auto callback = [part, start, grab_y, top](Window* w, int sx, int sy, int x, int y, int phase) {
    if (phase == 0) return;
    UiState& ui = Ui();
    x = std::clamp(x, 0, std::max(0, ui.screen_width - 1));
    y = std::clamp(y, 0, std::max(0, ui.screen_height - 1));
    if (part == HitTitleBar || (part & (HitLeftEdge | HitTopEdge)))
      y = std::max(y, grab_y);
    else if (part & HitBottomEdge)
      y = std::max(y, top);
    int dx = x - sx, dy = y - sy;
    Rect r = start;
    if (part == HitTitleBar) {
      r = r.Offset(dx, dy);
    } else {
      if (part & HitLeftEdge) r.x0 += dx;
      if (part & HitRightEdge) r.x1 += dx;
      if (part & HitTopEdge) r.y0 += dy;
      if (part & HitBottomEdge) r.y1 += dy;
    }
    w->SetFrame(r);
  };
  BeginMouseTracking(this, nullptr, callback);
}

void Window::FrameDoubleClick(Event* e) {
  if (e->Part() != HitTitleBar) return;
  if (window_state == kStateZoomed || window_state == kStateCollapsed)
    SetWindowState(kStateNormal);
  else if (window_state == kStateNormal && (flags & kWindowThickBorder) &&
           (flags & kWindowResizable))
    SetWindowState(kStateZoomed);
}

}  // namespace brae
