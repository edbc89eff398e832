// Window core: construction, flags, the tree and z-order, geometry, states, focus, closing and
// destruction. Event handling defaults are in WindowInput.cpp, drawing defaults in WindowDraw.cpp.

#include "toolkit/Window.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

// The focusable control that reads first (top to bottom, then left to right) among the shown,
// enabled descendants; controls are not searched inside.
Window* FirstControl(Window* w) {
  Window* best = nullptr;
  for (Window* c = w->first_child; c; c = c->next_sibling) {
    if (!c->IsVisible() || !c->IsEnabled() || c->IsClosed()) continue;
    Window* found = c->CanFocus() ? c : c->State() == kStateCollapsed ? nullptr : FirstControl(c);
    if (!found) continue;
    Rect a = found->Frame(), b = best ? best->Frame() : Rect();
    if (!best || a.y0 < b.y0 || (a.y0 == b.y0 && a.x0 < b.x0)) best = found;
  }
  return best;
}

// Redraws the title bars that show whether they contain the focus, along the path from a
// window to its top level, except those that contain the other window too.
void InvalidateTitleBars(Window* from, const Window* other) {
  for (Window* w = from; w && !(w->flags & kWindowTopLevel); w = w->parent)
    if ((w->flags & kWindowTitleBar) && !(other && (w == other || w->IsAncestorOf(other))))
      brae::Invalidate(w, w->TitleBarRect(), false);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and destruction
// ---------------------------------------------------------------------------------------------

Window::Window(uint32_t initial_flags, Window* parent_window) {
  UiState& ui = Ui();
  if (parent_window) font = parent_window->font;
  SetFlags(initial_flags);
  flags |= kWindowEnabled;
  edges = 15;
  if (!(flags & kWindowTopLevel)) {
    Window* target = parent_window              ? parent_window
                     : (flags & kWindowOverlay) ? ui.layer1
                                                : ui.layer0;
    if (target) SetParent(target);
  }
  SetFrame(Rect());
}

Window::~Window() {
  UiState& ui = Ui();
  draw_state |= kDrawDestroying;
  bool was_visible = IsEffectivelyVisible();
  Rect old_frame = FrameWithShadow(frame);
  if (ui.focus == this) ui.focus = nullptr;
  if (ui.hover == this) ui.hover = nullptr;
  if (ui.tracking_window == this) ui.tracking_window = nullptr;
  if (ui.dim_window == this) ui.dim_window = nullptr;
  if (ui.menu_bar == this) ui.menu_bar = nullptr;
  ui.overview_targets.erase(this);
  auto& deferred = ui.deferred_deletions;
  deferred.erase(std::remove(deferred.begin(), deferred.end(), this), deferred.end());
  // A modal window that disappears ends its loop rather than leaving it waiting forever.
  if (!ui.modal_stack.empty() && ui.modal_stack.back().window == this) EndModal(0);
  for (ModalEntry& e : ui.modal_stack)
    if (e.window == this) e.window = nullptr;

  if (tab_next && tab_next != this) {
    tab_next->tab_prev = tab_prev;
    tab_prev->tab_next = tab_next;
  }
  tab_next = tab_prev = nullptr;

  Window* layer = parent;
  while (layer && !(layer->flags & kWindowTopLevel)) layer = layer->parent;
  bool parent_dying = parent && (parent->draw_state & kDrawDestroying);
  if (!parent_dying && layer && layer->focus_child == this) {
    for (Window* s = next_sibling; s; s = s->next_sibling)
      if (s->IsVisible() && !s->IsClosed()) {
        s->Activate(0);
        break;
      }
  }
  if (parent) {
    Window* old_parent = parent;
    if (old_parent->focus_child == this) old_parent->focus_child = nullptr;
    if (old_parent->default_child == this) old_parent->default_child = nullptr;
    ParentChanged(old_parent, nullptr);
    Unlink();
    old_parent->ChildRemoved(this);
  }
  while (first_child) delete first_child;
  if (!ui.focus && layer && !parent_dying && !(layer->draw_state & kDrawDestroying)) {
    Window* deepest = layer;
    while (deepest->focus_child) deepest = deepest->focus_child;
    if (deepest == ui.layer1 && ui.layer0) {
      // The last pop-up or dialog is gone: the keys return to the ordinary windows.
      deepest = ui.layer0;
      while (deepest->focus_child) deepest = deepest->focus_child;
    }
    ui.focus = deepest;
    InvalidateTitleBars(deepest, nullptr);
  }
  if (was_visible) brae::Invalidate(nullptr, old_frame, true);
}

// ---------------------------------------------------------------------------------------------
// Flags
// ---------------------------------------------------------------------------------------------

void Window::SetFlags(uint32_t new_flags) {
  uint32_t changed = flags ^ new_flags;
  flags = new_flags;
  if (changed) FlagsChanged(changed);
  // A window of a layer that is shown gets its title bar onto the screen.
  if ((changed & flags & kWindowVisible) && IsLayerWindow()) KeepInsideParent();
}

void Window::SetEdges(uint32_t new_edges) {
  if (edges == new_edges) return;
  edges = new_edges;
  SetFrame(ParentRelativeFrame());
}

void Window::FlagsChanged(uint32_t changed) {
  UiState& ui = Ui();
  if (changed & kWindowVisible) {
    brae::Invalidate(this, FrameWithShadow(frame), true);
    if (!(flags & kWindowVisible) && ui.focus && (ui.focus == this || IsAncestorOf(ui.focus))) {
      for (Window* s = next_sibling; s; s = s->next_sibling)
        if (s->IsVisible()) {
          s->SetFocus(0);
          break;
        }
    }
    UpdateHover();
  } else if (changed == kWindowEnabled) {
    Invalidate();
  }
  if ((changed & kWindowShadow) && IsEffectivelyVisible())
    brae::Invalidate(this, Rect(frame.x0, frame.y0, frame.x1 + kShadowSize, frame.y1 + kShadowSize),
                     false);
  const uint32_t geometry =
      kWindowVisible | kWindowEnabled | kWindowTitleBar | kWindowThinBorder | kWindowThickBorder;
  if (changed & geometry) {
    Rect old_client = client;
    SetFrame(ParentRelativeFrame());
    if ((changed & (kWindowTitleBar | kWindowThinBorder | kWindowThickBorder)) &&
        !frame.IsEmpty()) {
      MoveDescendants(client.x0 - old_client.x0, client.y0 - old_client.y0);
      // Keep the client size: the frame grows or shrinks around it.
      Rect f = ParentRelativeFrame();
      f.x1 += old_client.Width() - client.Width();
      f.y1 += old_client.Height() - client.Height();
      SetFrame(f);
    }
  }
  if ((changed & kWindowFocusable) && parent && parent->focus_child == this)
    parent->focus_child = nullptr;
}

bool Window::IsEffectivelyVisible() const {
  for (const Window* w = this; w; w = w->parent) {
    if (!(w->flags & kWindowVisible)) return false;
    if (w != this && w->window_state == kStateCollapsed) return false;
    if (w->flags & kWindowTopLevel) return true;
  }
  return false;  // not attached to the window tree
}

// ---------------------------------------------------------------------------------------------
// Tree and z-order
// ---------------------------------------------------------------------------------------------

void Window::Unlink() {
  if (!parent) return;
  if (prev_sibling)
    prev_sibling->next_sibling = next_sibling;
  else
    parent->first_child = next_sibling;
  if (next_sibling)
    next_sibling->prev_sibling = prev_sibling;
  else
    parent->last_child = prev_sibling;
  --parent->child_count;
  prev_sibling = next_sibling = nullptr;
  parent = nullptr;
}

void Window::LinkAsFirst(Window* p) {
  parent = p;
  prev_sibling = nullptr;
  next_sibling = p->first_child;
  if (p->first_child)
    p->first_child->prev_sibling = this;
  else
    p->last_child = this;
  p->first_child = this;
  ++p->child_count;
}

void Window::LinkAsLast(Window* p) {
  parent = p;
  next_sibling = nullptr;
  prev_sibling = p->last_child;
  if (p->last_child)
    p->last_child->next_sibling = this;
  else
    p->first_child = this;
  p->last_child = this;
  ++p->child_count;
}

void Window::SetParent(Window* new_parent) {
  if (new_parent == parent || new_parent == this) return;
  Window* old_parent = parent;
  if (old_parent) {
    if (old_parent->focus_child == this) old_parent->focus_child = nullptr;
    if (old_parent->default_child == this) old_parent->default_child = nullptr;
  }
  if (new_parent && CanFocus()) new_parent->focus_child = this;
  ParentChanged(old_parent, new_parent);
  if (old_parent) {
    Unlink();
    old_parent->ChildRemoved(this);
  }
  if (new_parent) {
    LinkAsLast(new_parent);
    BringToFront();
    new_parent->ChildAdded(this);
  }
}

bool Window::IsAncestorOf(const Window* other) const {
  for (const Window* w = other ? other->parent : nullptr; w; w = w->parent)
    if (w == this) return true;
  return false;
}

Window* Window::TopLevel() {
  Window* w = this;
  while (w->parent && !(w->parent->flags & kWindowTopLevel)) w = w->parent;
  return w;
}

void Window::BringToFront() {
  if ((flags & kWindowTopLevel) || !parent || parent->first_child == this) return;
  Window* passed = parent->first_child;
  Window* p = parent;
  Unlink();
  LinkAsFirst(p);
  Invalidate();
  if (passed) passed->Invalidate();
}

void Window::SendToBack() {
  if ((flags & kWindowTopLevel) || !parent || parent->last_child == this) return;
  Window* p = parent;
  Unlink();
  LinkAsLast(p);
  Invalidate();
}

void Window::Activate(int reason) {
  BringToFront();
  SetFocus(reason);
}

void Window::SetTabOrder(Window** windows, int count) {
  for (int i = 0; i < count; ++i) {
    windows[i]->tab_next = windows[(i + 1) % count];
    windows[i]->tab_prev = windows[(i + count - 1) % count];
  }
}

Window* Window::SetDefaultChild(Window* child) {
  Window* old = default_child;
  default_child = child;
  return old;
}

// ---------------------------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------------------------

int Window::BorderWidth() const {
  const Skin* skin = Ui().skin;
  if (flags & kWindowThickBorder) return skin ? skin->ThickBorderWidth() : 4;
  if (flags & kWindowThinBorder) return skin ? skin->ThinBorderWidth() : 1;
  return 0;
}

Rect Window::ParentRelativeFrame() const {
  if (!parent) return frame;
  return frame.Offset(-parent->client.x0, -parent->client.y0);
}

Rect Window::FrameWithShadow(const Rect& r) const {
  if (!(flags & kWindowShadow)) return r;
  return Rect(r.x0, r.y0, r.x1 + kShadowSize, r.y1 + kShadowSize);
}

void Window::SetFrame(const Rect& rect) {
  Rect requested = parent ? rect.Offset(parent->client.x0, parent->client.y0) : rect;
  Rect out;
  ConstrainFrame(frame, requested, &out);
  ApplyFrame(out);
}

void Window::ApplyFrame(const Rect& out) {
  Rect new_client;
  FrameToClient(out, &new_client);
  Rect old_frame = frame, old_client = client;
  frame = out;
  client = new_client;
  if (window_state == kStateNormal) normal_frame = ParentRelativeFrame();
  if (!(draw_state & kDrawOverview)) {
    resting_frame = frame;
    resting_client = client;
  }
  bool moved = old_frame.x0 != frame.x0 || old_frame.y0 != frame.y0;
  if (moved) {
    MoveDescendants(frame.x0 - old_frame.x0, frame.y0 - old_frame.y0);
    Moved(old_frame.x0, old_frame.y0, frame.x0, frame.y0);
  }
  bool resized = old_frame.Width() != frame.Width() || old_frame.Height() != frame.Height() ||
                 old_client.Width() != client.Width() || old_client.Height() != client.Height();
  if (moved || resized) Layout();
  if (IsEffectivelyVisible() && (moved || resized || old_client != client)) {
    UpdateHover();
    brae::Invalidate(this, FrameWithShadow(old_frame).Union(FrameWithShadow(frame)), false);
  }
}

void Window::MoveDescendants(int dx, int dy) {
  if (!dx && !dy) return;
  for (Window* c = first_child; c; c = c->next_sibling) {
    c->frame = c->frame.Offset(dx, dy);
    c->client = c->client.Offset(dx, dy);
    c->resting_frame = c->resting_frame.Offset(dx, dy);
    c->resting_client = c->resting_client.Offset(dx, dy);
    c->MoveDescendants(dx, dy);
  }
}

void Window::ConstrainFrame(const Rect& old_frame, const Rect& req, Rect* out) {
  Point min;
  if (window_state == kStateCollapsed)
    min = Point{req.Width(), req.Height()};
  else
    ClientSizeToFrame(&min, 0, 0);
  min.x = std::max(min.x, TitleBarMinimumWidth());
  *out = req;
  if (req.Width() < min.x) {
    if (req.x0 == old_frame.x0)
      out->x1 = req.x0 + min.x;
    else if (req.x1 == old_frame.x1)
      out->x0 = req.x1 - min.x;
    else
      out->x1 = req.x0 + min.x;
  }
  if (req.Height() < min.y) {
    if (req.y0 == old_frame.y0)
      out->y1 = req.y0 + min.y;
    else if (req.y1 == old_frame.y1)
      out->y0 = req.y1 - min.y;
    else
      out->y1 = req.y0 + min.y;
  }
}

void Window::FrameToClient(const Rect& f, Rect* c) {
  int bw = BorderWidth();
  *c = f;
  if (edges & kEdgeLeft) c->x0 += bw;
  if (edges & kEdgeTop) c->y0 += bw;
  if (edges & kEdgeRight) c->x1 -= bw;
  if (edges & kEdgeBottom) c->y1 -= bw;
  if (flags & kWindowTitleBar) {
    c->y0 += kTitleBarHeight;
    if (flags & kWindowThickBorder) c->y0 += bw;
  }
  // A collapsed or tiny frame has an empty client, never a negative one.
  c->x1 = std::max(c->x1, c->x0);
  c->y1 = std::max(c->y1, c->y0);
}

void Window::ClientSizeToFrame(Point* size, int cw, int ch) {
  int thick = (flags & kWindowThickBorder) ? BorderWidth() : 0;
  size->x = cw + ((edges & kEdgeLeft) ? thick : 0) + ((edges & kEdgeRight) ? thick : 0);
  size->y = ch + ((edges & kEdgeTop) ? thick : 0) + ((edges & kEdgeBottom) ? thick : 0);
  int title = 0;
  if (flags & kWindowTitleBar) {
    title = kTitleBarHeight;
    if (!(flags & kWindowThickBorder)) title += 2 * BorderWidth();
    size->y += title;
  }
  if (flags & kWindowDialogFrame) {
    size->y -= title;
    size->x += 64;
    size->y += 64;
  }
}

Rect Window::TitleBarRect() const {
  int bw = BorderWidth();
  int x0 = frame.x0 + ((edges & kEdgeLeft) ? bw : 0);
  int x1 = frame.x1 - ((edges & kEdgeRight) ? bw : 0);
  int y0 = frame.y0 + ((edges & kEdgeTop) ? bw : 0);
  return Rect(x0, y0, x1, y0 + kTitleBarHeight);
}

Rect Window::TitleBoxRect(uint32_t box) const {
  int w = 16, h = 16;
  if (const Skin* skin = Ui().skin) {
    skin->ImageSize(kSkinCloseBox, &w, &h);
    if (!w || !h) w = h = 16;
  }
  int bw = BorderWidth();
  Rect bar = TitleBarRect();
  int right = bar.x1 - std::max(bw, 3);
  int top = bar.y0 + (kTitleBarHeight - h) / 2;
  const uint32_t order[3] = {HitCloseBox, HitZoomBox, HitCollapseBox};
  const uint32_t present[3] = {kWindowCloseBox, kWindowZoomBox, kWindowCollapseBox};
  for (int i = 0; i < 3; ++i) {
    if (!(flags & present[i])) continue;
    Rect r(right - w, top, right, top + h);
    if (order[i] == box) return r;
    right -= w + 2 * std::max(bw, 1);
  }
  return Rect();
}

uint32_t Window::HitTest(int x, int y) {
  if (!frame.Contains(x, y)) return HitNone;
  if (!client.IsEmpty() && client.Contains(x, y)) return HitClient;
  if ((flags & kWindowTitleBar) && TitleBarRect().Contains(x, y)) {
    const uint32_t boxes[3] = {HitCloseBox, HitZoomBox, HitCollapseBox};
    const uint32_t present[3] = {kWindowCloseBox, kWindowZoomBox, kWindowCollapseBox};
    for (int i = 0; i < 3; ++i)
      if ((flags & present[i]) && TitleBoxRect(boxes[i]).Contains(x, y)) return boxes[i];
    return HitTitleBar;
  }
  if (flags & kWindowThickBorder) {
    int bw = BorderWidth();
    uint32_t part = 0;
    if ((edges & kEdgeTop) && y < frame.y0 + bw) part |= HitTopEdge;
    if ((edges & kEdgeBottom) && y >= frame.y1 - bw) part |= HitBottomEdge;
    if ((edges & kEdgeLeft) && x < frame.x0 + bw) return part | HitLeftEdge;
    if ((edges & kEdgeRight) && x >= frame.x1 - bw) part |= HitRightEdge;
    if (part) return part;
  }
  return HitOtherFrame;
}

void Window::ScreenToClient(Point* points, int count) const {
  for (int i = 0; i < count; ++i) {
    points[i].x -= client.x0;
    points[i].y -= client.y0;
  }
}

void Window::ClientToScreen(Point* points, int count) const {
  for (int i = 0; i < count; ++i) {
    points[i].x += client.x0;
    points[i].y += client.y0;
  }
}

void Window::KeepInsideParent() {
  if (!parent || window_state == kStateZoomed || window_state == kStateClosed) return;
  Point room = parent->ClientSize();
  Rect f = ParentRelativeFrame();
  int w = std::min(f.Width(), room.x), h = std::min(f.Height(), room.y);
  int x = std::clamp(f.x0, 0, std::max(0, room.x - w));
  int y = std::clamp(f.y0, 0, std::max(0, room.y - h));
  if (Rect(x, y, x + w, y + h) != f) SetFrame(Rect(x, y, x + w, y + h));
}

bool Window::IsLayerWindow() const {
  const UiState& ui = Ui();
  return (flags & kWindowTitleBar) && parent && (parent == ui.layer0 || parent == ui.layer1);
}

void Window::PlaceAtCascade(Point frame_size) {
  Point at = NextCascadePosition();
  SetFrame(Rect(at.x, at.y, at.x + frame_size.x, at.y + frame_size.y));
  KeepInsideParent();
}

int Window::TitleBarMinimumWidth() const {
  if (!(flags & kWindowTitleBar)) return 0;
  int bw = BorderWidth();
  int box_width = 16, box_height = 16;
  if (const Skin* skin = Ui().skin) {
    skin->ImageSize(kSkinCloseBox, &box_width, &box_height);
    if (!box_width || !box_height) box_width = 16;
  }
  // As DrawFrame lays the bar out: title from 6 pixels in, 4 pixels before the boxes.
  int width = 6 + MeasureText(GetFont(), Title(), 0) + 4 + std::max(bw, 3);
  for (uint32_t box : {kWindowCloseBox, kWindowZoomBox, kWindowCollapseBox})
    if (flags & box) width += box_width + 2 * std::max(bw, 1);
  if (edges & kEdgeLeft) width += bw;
  if (edges & kEdgeRight) width += bw;
  return width;
}

void Window::CentreInParent() {
  Rect area = parent ? parent->client : Rect(0, 0, Ui().screen_width, Ui().screen_height);
  int w = frame.Width(), h = frame.Height();
  int x = (area.Width() - w) / 2, y = (area.Height() - h) / 2;
  SetFrame(Rect(x, y, x + w, y + h));
}

// ---------------------------------------------------------------------------------------------
// Window states and placement
// ---------------------------------------------------------------------------------------------

Rect Window::ZoomedFrame() const {
  if (!parent) return Rect(0, 0, Ui().screen_width, Ui().screen_height);
  return Rect(0, 0, parent->client.Width(), parent->client.Height());
}

void Window::SetWindowState(int state) {
  if (state == window_state || window_state == kStateClosed || state < 0 || state > 2) return;
  switch (state) {
    case kStateNormal: {
      int old = window_state;
      Rect normal = normal_frame;
      window_state = kStateNormal;
      if (old == kStateCollapsed) {
        // Expanding keeps the current position and restores the normal size.
        Rect at = ParentRelativeFrame();
        SetFrame(Rect(at.x0, at.y0, at.x0 + normal.Width(), at.y0 + normal.Height()));
      } else {
        SetFrame(normal);
      }
      break;
    }
    case kStateZoomed:
      if (window_state == kStateCollapsed) SetWindowState(kStateNormal);
      window_state = kStateZoomed;
      SetFrame(ZoomedFrame());
      break;
    case kStateCollapsed: {
      if (window_state == kStateZoomed) SetWindowState(kStateNormal);
      Rect at = ParentRelativeFrame();
      window_state = kStateCollapsed;
      SetFrame(Rect(at.x0, at.y0, at.x1, at.y0 + kCollapsedHeight));
      break;
    }
  }
  Invalidate();
}

void Window::GetPlacement(int* state, int* x0, int* y0, int* x1, int* y1) const {
  Rect r = ParentRelativeFrame();
  *state = window_state == kStateClosed ? kStateNormal : window_state;
  if (window_state != kStateNormal) {
    // The stored frame is the one the window returns to; zoomed and collapsed frames follow.
    if (window_state == kStateCollapsed)
      r = Rect(r.x0, r.y0, r.x0 + normal_frame.Width(), r.y0 + normal_frame.Height());
    else
      r = normal_frame;
  }
  *x0 = r.x0, *y0 = r.y0, *x1 = r.x1, *y1 = r.y1;
}

void Window::SetPlacement(int state, int x0, int y0, int x1, int y1) {
  SetWindowState(kStateNormal);
  SetFrame(Rect(x0, y0, x1, y1));
  // A placement saved on a larger screen.
  if (IsLayerWindow()) KeepInsideParent();
  SetWindowState(state);
}

void Window::GetScreenSize(int* width, int* height) const {
  *width = Ui().screen_width;
  *height = Ui().screen_height;
}

// ---------------------------------------------------------------------------------------------
// Title, font, invalidation
// ---------------------------------------------------------------------------------------------

void Window::SetTitle(const char* text) {
  has_title_ = text != nullptr;
  title_ = text ? text : "";
  if (!(flags & kWindowTitleBar)) return;
  brae::Invalidate(this, TitleBarRect(), false);
  // A placed window grows when its title (a dirty mark, say) needs more room.
  if (!frame.IsEmpty() && frame.Width() < TitleBarMinimumWidth()) SetFrame(ParentRelativeFrame());
}

const Font* Window::GetFont() const {
  return font ? font : Ui().default_font;
}

void Window::Invalidate() {
  brae::Invalidate(this, FrameWithShadow(frame), false);
}
void Window::InvalidateRect(const Rect& r) {
  brae::Invalidate(this, r, false);
}
void Window::InvalidateClient() {
  brae::Invalidate(this, client, false);
}

// ---------------------------------------------------------------------------------------------
// Focus
// ---------------------------------------------------------------------------------------------

// A window that cannot take the focus passes it down its focus-child chain; where the chain ends
// at a window that cannot take it either, its first control takes it. A window with a title bar
// and no control takes the focus itself, so that it shows as the active window and gets keys.
int Window::SetFocus(int reason) {
  UiState& ui = Ui();
  Window* target = this;
  if (!CanFocus()) {
    while (target->focus_child) target = target->focus_child;
    if (!target->CanFocus())
      if (Window* control = FirstControl(target)) target = control;
    if (target == this && !(flags & kWindowTitleBar)) return 0;
  }
  for (Window* w = target; w->parent; w = w->parent) w->parent->focus_child = w;
  Window* old = ui.focus;
  if (old && old != target) {
    old->focus_lost_signal.Emit(reason);
    old->FocusLost(target, reason);
    Window* redirect = target->FocusGained(old, reason);
    static int depth = 0;
    if (redirect && redirect != target && depth < 8) {
      ++depth;
      redirect->SetFocus(reason);
      --depth;
      return 1;
    }
  }
  ui.focus = target;
  if (old && old != target) {
    old->Invalidate();
    InvalidateTitleBars(old, target);
    InvalidateTitleBars(target, old);
  }
  target->Invalidate();
  return 0;
}

bool Window::HasFocus() const {
  const Window* f = Ui().focus;
  return f && (f == this || (default_child && f == default_child));
}

// ---------------------------------------------------------------------------------------------
// Closing
// ---------------------------------------------------------------------------------------------

int Window::RequestClose(int /*reason*/) {
  UiState& ui = Ui();
  if (!ui.modal_stack.empty() && ui.modal_stack.back().window == this) {
    EndModal(0);
  } else {
    for (auto it = ui.modal_stack.begin(); it != ui.modal_stack.end(); ++it)
      if (it->window == this) {
        it->window = nullptr;  // its loop ends when it reaches the top
        break;
      }
  }
  return 1;
}

void Window::Close() {
  if (window_state == kStateClosed) return;
  WillClose();
  DisconnectAllSignals();
  Ui().deferred_deletions.push_back(this);
  window_state = kStateClosed;
}

// ---------------------------------------------------------------------------------------------
// Global operations
// ---------------------------------------------------------------------------------------------

void ProcessDeferredDeletions() {
  UiState& ui = Ui();
  if (ui.deferred_deletions.empty()) return;
  ui.redraw_flags |= kRedrawDeleting;
  while (!ui.deferred_deletions.empty()) {
    Window* w = ui.deferred_deletions.front();
    ui.deferred_deletions.erase(ui.deferred_deletions.begin());
    delete w;  // its destructor also drops queued descendants
  }
  ui.redraw_flags &= ~kRedrawDeleting;
  UpdateHover();
}

void SetMenuBar(Window* menu_bar) {
  UiState& ui = Ui();
  ui.menu_bar = menu_bar;
  if (!ui.layer0) return;
  int top = menu_bar ? menu_bar->Frame().Height() : 0;
  ui.layer0->SetFrame(Rect(0, top, ui.screen_width, ui.screen_height));
}

int CloseAllWindows() {
  UiState& ui = Ui();
  if (!ui.layer0) return 1;
  for (Window* w = ui.layer0->first_child; w; w = w->next_sibling) {
    if (w->IsClosed()) continue;
    if (!w->RequestClose(0)) {
      ProcessDeferredDeletions();
      return 0;
    }
    w->Close();
  }
  ProcessDeferredDeletions();
  return 1;
}

const Font* DefaultFont() {
  return Ui().default_font;
}
void SetDefaultFont(const Font* f) {
  Ui().default_font = f;
}
Point ScreenSize() {
  return Point{Ui().screen_width, Ui().screen_height};
}

Point NextCascadePosition() {
  UiState& ui = Ui();
  Point result{ui.cascade.x + 64, ui.cascade.y + 64};
  ui.cascade.x += 48;
  ui.cascade.y += 48;
  if (ui.cascade.x + 560 > ui.screen_width || ui.cascade.y + 560 > ui.screen_height)
    ui.cascade = Point{};
  return result;
}

Point Window::FrameSizeForClient(int client_width, int client_height) {
  constexpr int kProbe = 4096;
  Rect probe;
  FrameToClient(Rect(0, 0, kProbe, kProbe), &probe);
  return Point{client_width + kProbe - probe.Width(), client_height + kProbe - probe.Height()};
}

}  // namespace brae
