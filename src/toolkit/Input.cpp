// Input events and dispatch.
//
// Index
//   intake (platform callbacks) ...... QueueKeyEvent .. QueueCloseRequest
//   drain and close logic ............ DrainEvents
//   dispatchers and global keys ...... DefaultDispatcher, DeliverEvent, GlobalKeys
//   hover and cursor ................. UpdateHover
//   mouse tracking, drag and drop .... BeginMouseTracking, TrackingHandler
//   modal loops ...................... RunModal, EndModal, ModalDispatcher, StepModalUnwinding
//   mouse lock ....................... SetMouseLock

#include "toolkit/Input.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"
#include "toolkit/CharMap.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"

namespace brae {

// ---------------------------------------------------------------------------------------------
// Intake
// ---------------------------------------------------------------------------------------------

bool QueueEvent(const Event& event) {
  UiState& ui = Ui();
  if (ui.ring_count >= kEventRingSize) {
    ++ui.dropped_events;
    return false;
  }
  ui.ring[ui.ring_write] = event;
  ui.ring_write = (ui.ring_write + 1) % kEventRingSize;
  ++ui.ring_count;
  return true;
}

void QueueKeyEvent(int code, int pressed) {
  if (!Ui().running) return;
  if (code == kKeyLeftShift || code == kKeyRightShift)
    code = kKeyShift;
  else if (code == kKeyLeftControl || code == kKeyRightControl)
    code = kKeyControl;
  else if (code == kKeyLeftAlt || code == kKeyRightAlt)
    code = kKeyAlt;
  else if (code == kKeyPadEnter)
    code = kKeyEnter;
  if (code < 0 || code >= kKeyCodeLimit) return;
  Event e;
  e.type = EventType::Key;
  e.words[0] = code;
  e.words[1] = pressed ? 1 : 0;
  QueueEvent(e);
}

void QueueCharEvent(unsigned codepoint) {
  if (!Ui().running || codepoint < 32 || codepoint > 0xFFFF) return;
  int code = FromUnicodeChar(codepoint);
  if (code < 32 || code > 255) return;
  Event e;
  e.type = EventType::Char;
  e.words[0] = code;
  e.words[1] = 1;
  QueueEvent(e);
}

namespace {

// Mouse positions arrive in device pixels; events carry logical pixels.
int Logical(double device) {
  return static_cast<int>(std::floor(device / Ui().scale));
}

}  // namespace

void WarpMouse(int x, int y) {
  platform::WarpCursor(x * Ui().scale, y * Ui().scale);
}

void QueueMouseButton(int button, int pressed) {
  UiState& ui = Ui();
  if (!ui.running || button < 0 || button > 2) return;
  double now = UiNow();
  Event e;
  e.type = EventType::MouseButton;
  if (pressed && button == ui.last_button && ui.raw_mouse_x == ui.last_button_x &&
      ui.raw_mouse_y == ui.last_button_y && now - ui.last_button_time < 0.2 &&
      now - ui.last_double_click_time > 0.3) {
    e.type = EventType::DoubleClick;
    ui.last_double_click_time = now;
  }
  ui.last_button_time = now;
  ui.last_button = button;
  ui.last_button_x = ui.raw_mouse_x;
  ui.last_button_y = ui.raw_mouse_y;
  e.words[0] = Logical(ui.raw_mouse_x);
  e.words[1] = Logical(ui.raw_mouse_y);
  e.words[4] = button;
  e.words[5] = pressed ? 1 : 0;
  QueueEvent(e);
}

void QueueMousePosition(double x, double y) {
  UiState& ui = Ui();
  if (!ui.running) return;
  ui.raw_mouse_x = x;
  ui.raw_mouse_y = y;
  Event e;
  e.type = EventType::MouseMove;
  if (ui.mouse_lock) {
    double cx = ui.device_width / 2, cy = ui.device_height / 2;
    int dx = static_cast<int>(std::lround((x - cx) / ui.scale));
    int dy = static_cast<int>(std::lround((y - cy) / ui.scale));
    if (!dx && !dy) return;  // the warp back itself
    e.words[0] = dx;
    e.words[1] = dy;
    platform::WarpCursor(cx, cy);
  } else {
    e.words[0] = Logical(x);
    e.words[1] = Logical(y);
  }
  QueueEvent(e);
}

void QueueWheel(double dx, double dy) {
  UiState& ui = Ui();
  if (!ui.running) return;
  auto queue = [&](double* accum, double delta, bool horizontal) {
    int from = static_cast<int>(std::lround(*accum));
    *accum += delta;
    int to = static_cast<int>(std::lround(*accum));
    if (from == to) return;
    Event e;
    e.type = EventType::Wheel;
    e.words[0] = Logical(ui.raw_mouse_x);
    e.words[1] = Logical(ui.raw_mouse_y);
    e.words[3] = horizontal ? kModHorizontalWheel : 0;
    e.words[4] = from;
    e.words[5] = to;
    QueueEvent(e);
  };
  if (dy != 0) queue(&ui.wheel_accum, dy, false);
  if (dx != 0) queue(&ui.hwheel_accum, dx, true);
}

void QueueCloseRequest() {
  UiState& ui = Ui();
  if (!ui.running) return;
  if (!ui.modal_stack.empty() && (ui.modal_stack.back().flags & kModalEndOnQuit))
    ui.unwinding = true;
  Event e;
  e.type = EventType::CloseRequest;
  QueueEvent(e);
}

// ---------------------------------------------------------------------------------------------
// Drain
// ---------------------------------------------------------------------------------------------
namespace {

int ModalDispatcher(EventType type, Event* e);
int TrackingHandler(EventType type, Event* e);

void UpdateInputState(Event* e, int* repeat) {
  UiState& ui = Ui();
  switch (e->type) {
    case EventType::Key: {
      int code = e->words[0];
      bool pressed = e->words[1] != 0;
      if (ui.keys[code] == pressed) {
        *repeat = kModRepeat;
      } else {
        ui.previous_keys = ui.keys;
        ui.keys[code] = pressed;
        ui.modifiers = (ui.keys[kKeyShift] ? kModShift : 0) | (ui.keys[kKeyAlt] ? kModAlt : 0) |
                       (ui.keys[kKeyControl] ? kModControl | kModCommand : 0);
      }
      break;
    }
    case EventType::MouseButton:
    case EventType::DoubleClick:
      ui.previous_button = ui.button;
      ui.button = e->words[5] != 0;
      break;
    case EventType::MouseMove:
      ui.previous_mouse = ui.mouse;
      if (!ui.mouse_lock) ui.mouse = Point{e->words[0], e->words[1]};
      UpdateHover();
      break;
    case EventType::Wheel:
      if (e->words[3] & kModHorizontalWheel) {
        ui.previous_hwheel = ui.hwheel;
        ui.hwheel = e->words[5];
      } else {
        ui.previous_wheel = ui.wheel;
        ui.wheel = e->words[5];
      }
      break;
    default:
      break;
  }
}

void CompleteEvent(Event* e, int repeat) {
  UiState& ui = Ui();
  if (e->type == EventType::Key || e->type == EventType::Char) {
    e->words[2] |= ui.modifiers | repeat;
    if (e->type == EventType::Char) e->words[0] = AltCharacter(e->words[0], ui.modifiers & kModAlt);
  } else if (e->IsMouse()) {
    e->words[2] = static_cast<int32_t>(ui.hover_part);
    e->words[3] |= ui.modifiers;
    if (!(ui.mouse_lock && e->type == EventType::MouseMove)) {
      e->words[0] = ui.mouse.x;
      e->words[1] = ui.mouse.y;
    }
  }
}

void HandleCloseRequest() {
  UiState& ui = Ui();
  if (IsOverviewRunning()) {
    ToggleOverview();
    for (int guard = 0; guard < 600 && IsOverviewRunning() && ui.frame_function; ++guard)
      ui.frame_function();
  }
  if (!ui.handlers.empty() && ui.handlers.back() != DefaultDispatcher) {
    Beep();
    return;
  }
  if (!ui.quit_hook || ui.quit_hook()) ui.running = false;
}

}  // namespace

void DrainEvents() {
  UiState& ui = Ui();
  while (ui.ring_count > 0) {
    Event e = ui.ring[ui.ring_read];
    ui.ring_read = (ui.ring_read + 1) % kEventRingSize;
    --ui.ring_count;
    int repeat = 0;
    UpdateInputState(&e, &repeat);
    CompleteEvent(&e, repeat);
    if (e.type == EventType::CloseRequest) {
      HandleCloseRequest();
    } else if (!ui.handlers.empty()) {
      ui.handlers.back()(e.type, &e);
    } else {
      DefaultDispatcher(e.type, &e);
    }
    ProcessDeferredDeletions();
    if (!ui.running) break;
  }
}

// ---------------------------------------------------------------------------------------------
// Dispatchers and global keys
// ---------------------------------------------------------------------------------------------
namespace {

int GlobalKeys(Event* e) {
  UiState& ui = Ui();
  if (!e->words[1]) return 0;
  int key = e->words[0], mods = e->words[2];
  if (key == kKeyF4 && (mods & kModAlt)) {
    QueueCloseRequest();
    return 1;
  }
  if (key == kKeyF1 && (mods & kModControl)) {
    ui.debug_overlay = !ui.debug_overlay;
    RequestRedraw();
    return 1;
  }
  if (key == kKeyF2 && (mods & kModControl)) {
    ui.debug_rects = !ui.debug_rects;
    RequestRedraw();
    return 1;
  }
  if (key == kKeyF10) {
    if (ui.modal_stack.empty() && !ui.tracking) ToggleOverview();
    return 1;
  }
  if (key == kKeyF11 && ui.focus) {
    Window* top = ui.focus->TopLevel();
    Window* next = nullptr;
    for (Window* s = top->next_sibling; s && !next; s = s->next_sibling)
      if (s->IsVisible() && !s->IsClosed()) next = s;
    if (!next && top->parent)
      for (Window* s = top->parent->first_child; s && s != top && !next; s = s->next_sibling)
        if (s->IsVisible() && !s->IsClosed()) next = s;
    if (next) {
      next->Activate(0);
      top->SendToBack();
    }
    return 1;
  }
  if (key == kKeyF12 && (mods & kModControl) && ui.focus) {
    Window* top = ui.focus->TopLevel();
    top->snapshot_request = (mods & kModShift) ? 2 : 1;
    top->Invalidate();
    return 1;
  }
  return 0;
}

}  // namespace

int DeliverEvent(Window* target, EventType type, Event* e) {
  if (!target) return 0;
  Window* chain[64];
  int n = 0;
  for (Window* a = target->parent; a && n < 64; a = a->parent) chain[n++] = a;
  for (int i = n - 1; i >= 0; --i)
    if (chain[i]->HandleEvent(target, type, e)) return 1;
  return target->HandleEvent(target, type, e);
}

int DefaultDispatcher(EventType type, Event* e) {
  UiState& ui = Ui();
  if (type == EventType::Key && GlobalKeys(e)) return 1;
  if (type == EventType::Key || type == EventType::Char) return DeliverEvent(ui.focus, type, e);
  if (e->IsMouse()) return DeliverEvent(ui.hover, type, e);
  return 0;
}

void PushEventHandler(EventHandler handler) {
  Ui().handlers.push_back(handler);
  UpdateHover();
}

void PopEventHandler() {
  UiState& ui = Ui();
  if (!ui.handlers.empty()) ui.handlers.pop_back();
  UpdateHover();
}

namespace {
void RemoveHandler(EventHandler handler) {
  auto& h = Ui().handlers;
  for (size_t i = h.size(); i-- > 0;)
    if (h[i] == handler) {
      h.erase(h.begin() + static_cast<long>(i));
      break;
    }
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Hover and cursor
// ---------------------------------------------------------------------------------------------
namespace {

bool FindHover(Window* parent, int x, int y, Window** found, uint32_t* part) {
  UiState& ui = Ui();
  for (Window* c = parent->first_child; c; c = c->next_sibling) {
    if (!c->IsVisible() || c->IsClosed() || (c->draw_state & kDrawDestroying)) continue;
    if (c->first_child && c->State() != kStateCollapsed && FindHover(c, x, y, found, part))
      return true;
    if (c == ui.layer1) continue;
    if (uint32_t p = c->HitTest(x, y)) {
      *found = c;
      *part = p;
      return true;
    }
  }
  return false;
}

int CursorFor(Window* w, uint32_t part) {
  UiState& ui = Ui();
  if (!w || IsOverviewRunning() || (ui.tracking && ui.tracking_window != w)) return 0;
  bool resizable = (w->flags & kWindowThickBorder) && (w->flags & kWindowResizable) &&
                   w->State() == kStateNormal;
  if (resizable && part != HitOtherFrame && (part & kHitEdges) && !(part & ~kHitEdges)) {
    switch (part) {
      case HitLeftEdge:
      case HitRightEdge:
        return 1;
      case HitTopEdge:
      case HitBottomEdge:
        return 2;
      case HitLeftEdge | HitTopEdge:
      case HitRightEdge | HitBottomEdge:
        return 3;
      default:
        return 4;
    }
  }
  if (part == HitClient) return w->ClientCursor();
  return 0;
}

}  // namespace

bool IsInsideModal(const Window* w) {
  const ModalEntry* top = TopModal();
  if (!top) return true;
  return w && top->window && (w == top->window || top->window->IsAncestorOf(w));
}

void UpdateHover() {
  UiState& ui = Ui();
  if (!ui.root) return;
  Window* found = nullptr;
  uint32_t part = 0;
  if (!IsOverviewRunning()) FindHover(ui.root, ui.mouse.x, ui.mouse.y, &found, &part);
  if (found && !IsInsideModal(found)) {
    found = nullptr;
    part = 0;
  }
  if (found != ui.hover || part != ui.hover_part) {
    Window* old = ui.hover;
    uint32_t old_part = ui.hover_part;
    ui.hover = found;
    ui.hover_part = part;
    if (old && (ui.modal_stack.empty() || IsInsideModal(old))) {
      if (old_part == HitClient)
        old->ClientMouseLeft();
      else
        old->FrameMouseLeft();
    }
  }
  if (!(ui.tracking && ui.drag_data)) platform::SetCursorShape(CursorFor(found, part));
}

bool IsHovered(const Window* w) {
  return w && Ui().hover == w;
}
Point MousePosition() {
  return Ui().mouse;
}
int ModifierFlags() {
  return Ui().modifiers;
}
bool IsKeyDown(int key) {
  return key >= 0 && key < kKeyStateCount && Ui().keys[key];
}
void Beep() {
  platform::Beep();
}

// ---------------------------------------------------------------------------------------------
// Mouse tracking, drag and drop
// ---------------------------------------------------------------------------------------------
namespace {

void InvalidateDragImage(Point at) {
  UiState& ui = Ui();
  if (!ui.drag_data || !ui.drag_renderer) return;
  Invalidate(nullptr, ui.drag_image_rect.Offset(at.x, at.y), true);
}

int TrackingHandler(EventType type, Event* e) {
  UiState& ui = Ui();
  if (type == EventType::MouseMove) {
    InvalidateDragImage(ui.track_current);
    ui.track_previous = ui.track_current;
    ui.track_current = Point{e->words[0], e->words[1]};
    if (ui.tracking_window)
      ui.tracking_callback(ui.tracking_window, ui.track_start.x, ui.track_start.y,
                           ui.track_current.x, ui.track_current.y, 1);
    if (ui.drag_data) {
      InvalidateDragImage(ui.track_current);
      Window* target = ui.hover;
      ui.drag_accepted =
          target && target->DragDrop(ui.track_current.x, ui.track_current.y, 1, ui.drag_data);
      platform::SetCursorShape(ui.drag_accepted ? 7 : 8);
    }
  } else if (type == EventType::MouseButton && !e->words[5]) {
    Point at{e->words[0], e->words[1]};
    Window::DragDropData* data = ui.drag_data;
    if (data && ui.drag_accepted && ui.hover) ui.hover->DragDrop(at.x, at.y, 0, data);
    RemoveHandler(TrackingHandler);
    Window* window = ui.tracking_window;
    TrackingCallback callback = std::move(ui.tracking_callback);
    Point start = ui.track_start;
    InvalidateDragImage(ui.track_current);
    ui.tracking = false;
    ui.tracking_window = nullptr;
    ui.tracking_callback = nullptr;
    ui.drag_data = nullptr;
    ui.drag_renderer = nullptr;
    ui.drag_accepted = false;
    UpdateHover();
    if (window) callback(window, start.x, start.y, at.x, at.y, 2);
    delete data;
  }
  return 1;
}

}  // namespace

int BeginMouseTracking(Window* window, Window::DragDropData* data, TrackingCallback callback) {
  UiState& ui = Ui();
  if (ui.tracking || !window) {
    delete data;
    return 0;
  }
  ui.tracking = true;
  ui.tracking_window = window;
  ui.track_start = ui.track_current = ui.track_previous = ui.mouse;
  ui.tracking_callback =
      callback ? std::move(callback) : [](Window* w, int sx, int sy, int x, int y, int phase) {
        w->TrackMouse(sx, sy, x, y, phase);
      };
  ui.drag_data = data;
  ui.drag_accepted = false;
  ui.drag_renderer = nullptr;
  if (data) {
    auto it = ui.drag_renderers.find(data->type);
    if (it != ui.drag_renderers.end()) {
      ui.drag_renderer = it->second;
      ui.drag_renderer(&ui.drag_image_rect, 0, 0, data);
      InvalidateDragImage(ui.mouse);
    }
  }
  PushEventHandler(TrackingHandler);
  ui.tracking_callback(window, ui.track_start.x, ui.track_start.y, ui.track_start.x,
                       ui.track_start.y, 0);
  return 1;
}

bool IsMouseTracking() {
  return Ui().tracking;
}

void RegisterDragRenderer(int drag_type, DragRenderer renderer) {
  Ui().drag_renderers[drag_type] = renderer;
}

// ---------------------------------------------------------------------------------------------
// Modal loops
// ---------------------------------------------------------------------------------------------
namespace {

int ModalDispatcher(EventType type, Event* e) {
  UiState& ui = Ui();
  const ModalEntry* top = TopModal();
  if (!top || !top->window) return 1;
  Window* modal = top->window;
  if (type == EventType::Key || type == EventType::Char) {
    if (type == EventType::Key && GlobalKeys(e)) return 1;
    if (ui.focus && (ui.focus == modal || modal->IsAncestorOf(ui.focus)))
      return DeliverEvent(ui.focus, type, e);
    if (top->flags & kModalKeysToWindow) return DeliverEvent(modal, type, e);
    return 1;
  }
  if (e->IsMouse()) {
    if (ui.hover && (ui.hover == modal || modal->IsAncestorOf(ui.hover)))
      return DeliverEvent(ui.hover, type, e);
    if (top->flags & kModalMouseToWindow) {
      e->words[2] = HitClient;
      return DeliverEvent(modal, type, e);
    }
    if (type == EventType::MouseButton && e->words[5]) Beep();
    return 1;
  }
  return 0;
}

bool StackHolds(uint64_t serial) {
  for (const ModalEntry& m : Ui().modal_stack)
    if (m.serial == serial) return true;
  return false;
}

void PopModalEntry() {
  UiState& ui = Ui();
  RemoveHandler(ModalDispatcher);
  ui.modal_stack.pop_back();
  UpdateHover();
}

}  // namespace

const ModalEntry* TopModal() {
  UiState& ui = Ui();
  return ui.modal_stack.empty() ? nullptr : &ui.modal_stack.back();
}

bool IsOnModalStack(const Window* w) {
  for (const ModalEntry& m : Ui().modal_stack)
    if (m.window == w) return true;
  return false;
}

int RunModal(Window* window, int flags, int* ended_normally) {
  UiState& ui = Ui();
  if (flags & kModalDim) RequestRedraw();
  ui.handlers.push_back(ModalDispatcher);
  ModalEntry entry{window, flags, ++ui.modal_serial};
  ui.modal_stack.push_back(entry);
  UpdateHover();
  if (window) window->Activate(0);
  while (StackHolds(entry.serial)) {
    if (!ui.frame_function || (!ui.running && !ui.suspended)) {
      // Nothing can end the loop any more: leave it rather than spin.
      while (StackHolds(entry.serial)) PopModalEntry();
      break;
    }
    ui.frame_function();
  }
  if (flags & kModalDim) RequestRedraw();
  if (ended_normally) *ended_normally = ui.modal_ended_normally;
  return ui.modal_result;
}

void EndModal(int result) {
  UiState& ui = Ui();
  if (ui.modal_stack.empty()) return;
  ui.modal_result = result;
  ui.modal_ended_normally = 0;
  ui.modal_ending = true;
  PopModalEntry();
}

bool StepModalUnwinding() {
  UiState& ui = Ui();
  if (!ui.unwinding) return false;
  if (!ui.modal_stack.empty() && (ui.modal_stack.back().flags & kModalEndOnQuit)) {
    ui.modal_result = 0;
    ui.modal_ended_normally = 1;
    PopModalEntry();
    return true;
  }
  ui.unwinding = false;
  return false;
}

// ---------------------------------------------------------------------------------------------
// Mouse lock
// ---------------------------------------------------------------------------------------------

void SetMouseLock(bool on) {
  UiState& ui = Ui();
  if (on == ui.mouse_lock) return;
  if (on) {
    ui.lock_saved_position = ui.mouse;
    ui.mouse_lock = true;
    platform::WarpCursor(ui.device_width / 2, ui.device_height / 2);
    platform::ShowCursor(false);
  } else {
    ui.mouse_lock = false;
    Point p = ui.lock_saved_position;
    double x = p.x * ui.scale, y = p.y * ui.scale;
    platform::WarpCursor(x, y);
    QueueMousePosition(x, y);
    platform::ShowCursor(true);
  }
}

}  // namespace brae
