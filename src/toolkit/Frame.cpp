// The toolkit frame and redraw.
//
// Index
//   start-up and shutdown of the tree ... InitUi, ShutdownUi, RunMainLoop
//   one frame ........................... UiFrame, CallIdle
//   frame scheduling .................... RequestFrameAt, TimeUntilNextFrame
//   invalidation ........................ RequestRedraw, Invalidate, InvalidateAll
//   drawing the tree .................... DrawDirty, DrawTree, DrawWindow, DrawOverlay
//   drawing set-up for windows .......... BeginDraw, EndDraw, text, SetColor, FillRect, FrameRect
//   screen resizing ..................... HandleScreenResize
//   overview mode ....................... ToggleOverview, AdvanceOverview, OverviewHandler
//   snapshots, suspension ............... TakeSnapshot, MakeSnapshotDib, SuspendUi

#include "toolkit/Frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "toolkit/Font.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"

namespace brae {

int DrawDirty();
int DrawPending() {
  return DrawDirty();
}
void TakeSnapshot(Window* w);

namespace {

constexpr double kOverviewSeconds = 0.25;

Rect ScreenRect() {
  return Rect(0, 0, Ui().screen_width, Ui().screen_height);
}

void ClearScreen() {
  if (!Ui().has_gl) return;
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown of the tree
// ---------------------------------------------------------------------------------------------

void InitUi(bool has_gl) {
  UiState& ui = Ui();
  ui.has_gl = has_gl;
  ui.fov = 45.0;
  ui.near_plane = 0.1;
  ui.far_plane = 10000.0;
  ui.root = new Window(kWindowTopLevel | kWindowVisible);
  ui.root->SetTitle("root");
  ui.layer1 = new Window(kWindowTopLevel | kWindowVisible);
  ui.layer1->SetTitle("layer1");
  ui.layer1->SetParent(ui.root);
  ui.layer0 = new Window(kWindowTopLevel | kWindowVisible | kWindowWhiteBackground);
  ui.layer0->SetTitle("layer0");
  ui.layer0->SetParent(ui.root);
  ui.focus = ui.layer0;
  ui.hover = ui.layer0;
  ClearScreen();
  RequestRedraw();
}

void ShutdownUi() {
  UiState& ui = Ui();
  ProcessDeferredDeletions();
  while (!ui.modal_stack.empty()) ui.modal_stack.pop_back();
  ui.handlers.clear();
  delete ui.drag_data;
  ui.drag_data = nullptr;
  ui.tracking = false;
  ui.tracking_window = nullptr;
  ui.tracking_callback = nullptr;
  Window* root = ui.root;
  ui.running = false;
  delete root;
  ui.root = ui.layer0 = ui.layer1 = nullptr;
  ui.focus = ui.hover = ui.menu_bar = ui.dim_window = nullptr;
  ui.deferred_deletions.clear();
  ui.ring_count = ui.ring_read = ui.ring_write = 0;
  ui.dirty_count = 0;
  ui.redraw_flags = 0;
  ui.next_frame_time = kNoFrameRequested;
  ui.overview_targets.clear();
  ui.modal_ending = ui.unwinding = false;
  ui.cascade = Point{};
}

void RunMainLoop() {
  UiState& ui = Ui();
  if (ui.frame_function) ui.frame_function();
  RequestRedraw();
  ui.running = true;
  ui.first_frame = true;
  if (ui.has_gl) DrawDirty();
  while (ui.running && ui.frame_function) ui.frame_function();
}

// ---------------------------------------------------------------------------------------------
// One frame
// ---------------------------------------------------------------------------------------------
namespace {

void CallIdle(Window* w) {
  for (Window* c = w->first_child; c;) {
    Window* next = c->next_sibling;
    CallIdle(c);
    c = next;
  }
  w->Idle();
}

void AdvanceOverview();

}  // namespace

int UiFrame() {
  UiState& ui = Ui();
  if (ui.first_frame) {
    ui.first_frame = false;
    return 1;
  }
  if (!ui.running) return 0;
  ProcessDeferredDeletions();
  if (ui.modal_ending) {
    ui.modal_ending = false;
    return 0;
  }
  if (ui.unwinding && StepModalUnwinding()) return 0;
  // A modal window deleted from under its loop: end the loop.
  if (!ui.modal_stack.empty() && !ui.modal_stack.back().window) {
    EndModal(0);
    return 0;
  }
  // Requests that fall due now are served by this frame; windows that still need frames ask
  // again from their Idle().
  if (ui.next_frame_time <= UiNow()) ui.next_frame_time = kNoFrameRequested;
  DrainEvents();
  if (!ui.running || ui.modal_ending) return 0;
  if (ui.root) CallIdle(ui.root);
  AdvanceOverview();
  return DrawDirty();
}

// ---------------------------------------------------------------------------------------------
// Frame scheduling
// ---------------------------------------------------------------------------------------------

void RequestFrameAt(double when) {
  UiState& ui = Ui();
  ui.next_frame_time = std::min(ui.next_frame_time, when);
}

void RequestFrame() {
  RequestFrameAt(UiNow());
}

double TimeUntilNextFrame(double max_wait) {
  UiState& ui = Ui();
  bool modal_lost = !ui.modal_stack.empty() && !ui.modal_stack.back().window;
  if (ui.first_frame || ui.modal_ending || ui.unwinding || modal_lost || ui.ring_count > 0 ||
      !ui.deferred_deletions.empty() || ui.dirty_count > 0 || (ui.redraw_flags & kRedrawFull))
    return 0;
  if (ui.next_frame_time >= kNoFrameRequested) return max_wait;
  return std::clamp(ui.next_frame_time - UiNow(), 0.0, max_wait);
}

// ---------------------------------------------------------------------------------------------
// Invalidation
// ---------------------------------------------------------------------------------------------

void RequestRedraw() {
  UiState& ui = Ui();
  ui.redraw_flags |= kRedrawFull;
  ui.dirty_count = 0;
}

void Invalidate(Window* window, const Rect& rect, bool force) {
  UiState& ui = Ui();
  if (ui.redraw_flags & kRedrawFull) return;
  if (!force && (!window || !window->IsEffectivelyVisible())) return;
  if (IsOverviewRunning()) {
    RequestRedraw();
    return;
  }
  Rect r = rect.Intersection(ScreenRect());
  if (r.IsEmpty()) return;
  if (!ui.partial_redraw) {
    RequestRedraw();
    return;
  }
  for (int i = 0; i < ui.dirty_count; ++i)
    if (ui.dirty[i].Contains(r)) return;
  int kept = 0;
  for (int i = 0; i < ui.dirty_count; ++i)
    if (!r.Contains(ui.dirty[i])) ui.dirty[kept++] = ui.dirty[i];
  ui.dirty_count = kept;
  if (ui.dirty_count >= kMaxDirtyRects) {
    RequestRedraw();
    return;
  }
  ui.dirty[ui.dirty_count++] = r;
}

void InvalidateAll(Window* window) {
  window->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Drawing the tree
// ---------------------------------------------------------------------------------------------
namespace {

Rect WithShadow(const Window* w) {
  Rect f = w->frame;
  if (w->flags & kWindowShadow) f = Rect(f.x0, f.y0, f.x1 + kShadowSize, f.y1 + kShadowSize);
  return f;
}

void SetScissor(const Rect& r) {
  Rect d = DeviceRect(r);
  glScissor(d.x0, Ui().device_height - d.y1, std::max(0, d.Width()), std::max(0, d.Height()));
}

void SetScreenScissor() {
  glScissor(0, 0, Ui().device_width, Ui().device_height);
}

void DimScreen(const Rect& clip) {
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 1, 1, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, Ui().device_width, Ui().device_height);
  SetScissor(clip);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glColor4ub(0, 0, 0, 128);
  glRectf(0, 0, 1, 1);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void DrawWindow(Window* w, const Rect& parent_clip) {
  UiState& ui = Ui();
  if (!w->IsVisible()) return;
  bool overview = IsOverviewRunning();
  Rect outer = WithShadow(w);
  Rect clip = overview ? ScreenRect() : parent_clip.Intersection(outer);
  w->draw_state &= ~(kDrawClient | kDrawFrame);
  if (clip.IsEmpty()) return;
  if (w == ui.dim_window) DimScreen(ui.current_clip);
  bool collapsed = w->State() == kStateCollapsed;
  Rect client_clip = overview ? clip : clip.Intersection(w->client);
  if (!collapsed && !client_clip.IsEmpty()) {
    w->draw_state |= kDrawClient;
    w->clip = client_clip;
    BeginDraw(w, true);
    w->DrawBackground();
    if (ui.skin) ui.skin->FlushSprites();
    w->DrawContent();
    EndDraw();
  }
  if (w->frame != w->client || (w->flags & kWindowShadow) || overview) {
    w->draw_state |= kDrawFrame;
    w->clip = clip;
    BeginDraw(w, false);
    w->DrawFrame();
    EndDraw();
  }
  if (!collapsed) {
    Rect child_clip = overview ? clip : clip.Intersection(w->client);
    if (!child_clip.IsEmpty())
      for (Window* c = w->last_child; c; c = c->prev_sibling) DrawWindow(c, child_clip);
  }
  if (w->snapshot_request) TakeSnapshot(w);
}

void DrawTree(const Rect& clip) {
  UiState& ui = Ui();
  ui.current_clip = clip;
  glEnable(GL_SCISSOR_TEST);
  for (Window* c = ui.root->last_child; c; c = c->prev_sibling) DrawWindow(c, clip);
}

void OutlineRect(const Rect& r) {
  BeginDraw(Ui().root, false);
  SetScreenScissor();
  SetColor(0xFF00FFFFu);
  FrameRect(r, 1, true);
  EndDraw();
}

std::string ChainText(Window* from) {
  std::string text;
  Window* chain[64];
  int n = 0;
  for (Window* w = from; w && n < 64; w = w->parent) chain[n++] = w;
  for (int i = n - 1; i >= 0; --i) {
    text += chain[i]->ClassName();
    if (i) text += " -> ";
  }
  return text;
}

void DrawOverlay() {
  UiState& ui = Ui();
  char line[64];
  std::snprintf(line, sizeof line, "frames rendered: %d", ui.frames_rendered);
  std::string focus = "focus: " + ChainText(ui.focus);
  std::string modal = "modal stack: ";
  for (size_t i = 0; i < ui.modal_stack.size(); ++i) {
    Window* w = ui.modal_stack[i].window;
    modal += (i ? ", " : "") + std::string(w ? w->ClassName() : "(gone)");
  }
  std::string text = std::string(line) + "\n" + focus + "\n" + modal;
  const Font* font = ui.default_font;
  int width = std::max(200, MeasureText(font, text.c_str(), 0) + 12);
  Rect box(4, 4, 4 + width, 4 + 3 * LineHeight(font) + 8);
  BeginDraw(ui.root, false);
  SetScreenScissor();
  SetColor(0xC0000000u);
  FillRect(box);
  SetColor(0xFF40FF40u);
  DrawText(font, text.c_str(), 0, kTextMultiLine | kTextShadow, box.Inset(4).Offset(2, 0));
  EndDraw();
}

void DrawDragImage() {
  UiState& ui = Ui();
  if (!ui.tracking || !ui.drag_data || !ui.drag_renderer) return;
  BeginDraw(ui.root, false);
  SetScreenScissor();
  ui.drag_renderer(nullptr, ui.track_current.x, ui.track_current.y, ui.drag_data);
  EndDraw();
}

Window* FindDimWindow() {
  UiState& ui = Ui();
  for (size_t i = ui.modal_stack.size(); i-- > 0;)
    if (ui.modal_stack[i].flags & kModalDim) return ui.modal_stack[i].window;
  return nullptr;
}

}  // namespace

int DrawDirty() {
  UiState& ui = Ui();
  bool full = ui.redraw_flags & kRedrawFull;
  bool drew = full || ui.dirty_count > 0;
  if (drew && ui.has_gl && ui.root) {
    ui.dim_window = FindDimWindow();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (full) {
      DrawTree(ScreenRect());
    } else {
      for (int i = 0; i < ui.dirty_count; ++i) DrawTree(ui.dirty[i]);
      if (ui.debug_rects)
        for (int i = 0; i < ui.dirty_count; ++i) OutlineRect(ui.dirty[i]);
    }
    DrawDragImage();
    if (!ui.running) DimScreen(ScreenRect());
    ++ui.frames_rendered;
    if (ui.debug_overlay) DrawOverlay();
    glDisable(GL_SCISSOR_TEST);
  }
  ui.redraw_flags &= ~(kRedrawFull | kRedrawResized);
  ui.dirty_count = 0;
  return drew ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Drawing set-up for windows
// ---------------------------------------------------------------------------------------------
namespace {

// Where a rectangle of a window lands on screen: itself, or scaled into the overview layout.
Rect MappedRect(Window* w, const Rect& r, float* scale_x, float* scale_y) {
  UiState& ui = Ui();
  *scale_x = *scale_y = 1.0f;
  if (!IsOverviewRunning()) return r;
  Window* top = w;
  while (top && !ui.overview_targets.count(top)) top = top->parent;
  if (!top) return r;
  const Rect& from = top->resting_frame;
  const Rect& to = ui.overview_targets[top];
  double f = ui.overview_fraction;
  // 16.16 fixed point interpolation of the two rectangles.
  int32_t t = static_cast<int32_t>(f * 65536.0);
  auto lerp = [t](int a, int b) {
    return a + static_cast<int>((static_cast<int64_t>(b - a) * t) >> 16);
  };
  Rect now(lerp(from.x0, to.x0), lerp(from.y0, to.y0), lerp(from.x1, to.x1), lerp(from.y1, to.y1));
  float sx = from.Width() > 0 ? float(now.Width()) / from.Width() : 1.0f;
  float sy = from.Height() > 0 ? float(now.Height()) / from.Height() : 1.0f;
  *scale_x = sx;
  *scale_y = sy;
  return Rect(now.x0 + int((r.x0 - from.x0) * sx), now.y0 + int((r.y0 - from.y0) * sy),
              now.x0 + int((r.x1 - from.x0) * sx), now.y0 + int((r.y1 - from.y0) * sy));
}

}  // namespace

namespace {
// Immediate drawing goes over what was queued before it.
void FlushQueuedSprites() {
  if (Skin* skin = Ui().skin) skin->FlushSprites();
}
}  // namespace

void BeginDraw(Window* w, bool client, bool three_d) {
  UiState& ui = Ui();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glColor4f(1, 1, 1, 1);
  Rect r = (client || three_d) ? w->client : w->frame;
  float sx, sy;
  Rect on_screen = MappedRect(w, r, &sx, &sy);
  SetScissor(IsOverviewRunning() ? ScreenRect() : w->clip);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (three_d) {
    // 3-D views render at the full device resolution.
    Rect d = DeviceRect(on_screen);
    glViewport(d.x0, ui.device_height - d.y1, std::max(1, d.Width()), std::max(1, d.Height()));
    double aspect = r.Height() > 0 ? double(r.Width()) / r.Height() : 1.0;
    gluPerspective(ui.fov, aspect, ui.near_plane, ui.far_plane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
  } else {
    // The whole screen as viewport, in logical pixels drawn at the scale; the scissor limits
    // drawing to the window.
    glViewport(0, 0, ui.device_width, ui.device_height);
    glOrtho(0, ui.device_width / ui.scale, ui.device_height / ui.scale, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(float(on_screen.x0), float(on_screen.y0), 0);
    glScalef(sx, sy, 1);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
  }
}

void EndDraw() {
  UiState& ui = Ui();
  if (ui.skin) ui.skin->FlushSprites();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glViewport(0, 0, ui.device_width, ui.device_height);
}

int TextWidth(const Window* w, const char* text) {
  return MeasureText(w->GetFont(), text, 0);
}
int LineHeight(const Window* w) {
  return LineHeight(w->GetFont());
}

int DrawText(const Window* w, const char* text, int x, int y, int flags) {
  FlushQueuedSprites();
  return DrawText(w->GetFont(), text, 0, flags,
                  Rect(x, y, x + (1 << 20), y + LineHeight(w->GetFont())));
}

int DrawTextInRect(const Window* w, const char* text, const Rect& rect, int flags) {
  FlushQueuedSprites();
  return DrawText(w->GetFont(), text, 0, flags, rect);
}

void SetColor(uint32_t c) {
  glColor4ub(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, (c >> 24) & 0xFF);
}

void FillRect(const Rect& r) {
  if (r.IsEmpty()) return;
  FlushQueuedSprites();
  glDisable(GL_TEXTURE_2D);
  glRecti(r.x0, r.y0, r.x1, r.y1);
}

void FrameRect(const Rect& r, int width, bool inside) {
  Rect o = inside ? r
                  : Rect(r.x0 - width / 2, r.y0 - width / 2, r.x1 + (width - width / 2),
                         r.y1 + (width - width / 2));
  FillRect(Rect(o.x0, o.y0, o.x1, o.y0 + width));
  FillRect(Rect(o.x0, o.y1 - width, o.x1, o.y1));
  FillRect(Rect(o.x0, o.y0 + width, o.x0 + width, o.y1 - width));
  FillRect(Rect(o.x1 - width, o.y0 + width, o.x1, o.y1 - width));
}

// ---------------------------------------------------------------------------------------------
// Screen resizing
// ---------------------------------------------------------------------------------------------
namespace {

bool Broadcast(Window* w, Event* e) {
  if (w->HandleEvent(w, EventType::ScreenResized, e)) return true;
  for (Window* c = w->first_child; c; c = c->next_sibling)
    if (Broadcast(c, e)) return true;
  return false;
}

}  // namespace

Rect DeviceRect(const Rect& r) {
  float s = Ui().scale;
  if (s == 1.0f) return r;
  auto at = [s](int v) { return static_cast<int>(std::lround(v * s)); };
  return Rect(at(r.x0), at(r.y0), at(r.x1), at(r.y1));
}

void HandleScreenResize(int device_width, int device_height) {
  UiState& ui = Ui();
  if (device_width < 1 || device_height < 1 || !ui.root) return;
  ProcessDeferredDeletions();
  Window* front = ui.layer0->first_child;
  ui.device_width = device_width;
  ui.device_height = device_height;
  // Rounded up, so that the layers cover the last device column and row.
  int width = static_cast<int>(std::ceil(device_width / ui.scale - 1e-4));
  int height = static_cast<int>(std::ceil(device_height / ui.scale - 1e-4));
  ui.screen_width = width;
  ui.screen_height = height;
  ui.root->SetFrame(Rect(0, 0, width, height));
  ui.layer1->SetFrame(Rect(0, 0, width, height));
  // The menu bar spans the screen at every width (a wider OS window, a smaller scale).
  if (Window* bar = ui.menu_bar) bar->SetFrame(Rect(0, 0, width, bar->Frame().Height()));
  int top = ui.menu_bar ? ui.menu_bar->Frame().Height() : 0;
  ui.layer0->SetFrame(Rect(0, top, width, height));
  ui.redraw_flags |= kRedrawResized;
  RequestRedraw();
  ClearScreen();
  for (Window* layer : {ui.layer0, ui.layer1})
    for (Window* w = layer->first_child; w; w = w->next_sibling) {
      if (w->State() == kStateZoomed)
        w->SetFrame(Rect(0, 0, layer->client.Width(), layer->client.Height()));
      if (w->flags & kWindowCentred) w->CentreInParent();
      // Windows left outside the smaller screen are pulled back to where they can be reached.
      if (w->IsLayerWindow()) w->KeepInsideParent();
    }
  if (front && ui.layer0->first_child != front && front->parent == ui.layer0) front->BringToFront();
  Event e;
  e.type = EventType::ScreenResized;
  e.words[0] = width;
  e.words[1] = height;
  e.words[2] = device_width;  // the OS window's own size, for those who remember it
  e.words[3] = device_height;
  Broadcast(ui.root, &e);
  if ((ui.redraw_flags & kRedrawDuringResize) && ui.frame_function) ui.frame_function();
}

// ---------------------------------------------------------------------------------------------
// Overview mode
// ---------------------------------------------------------------------------------------------
namespace {

int OverviewHandler(EventType type, Event* e);

void LayoutOverview(const std::vector<Window*>& windows, const Rect& area) {
  UiState& ui = Ui();
  int n = static_cast<int>(windows.size());
  int cols =
      static_cast<int>(std::ceil(std::sqrt(double(n) * area.Width() / std::max(1, area.Height()))));
  cols = std::clamp(cols, 1, n);
  int rows = (n + cols - 1) / cols;
  int cell_w = area.Width() / cols, cell_h = area.Height() / rows;
  for (int i = 0; i < n; ++i) {
    Window* w = windows[i];
    Rect f = w->resting_frame;
    double scale = std::min({1.0, double(cell_w - 24) / std::max(1, f.Width()),
                             double(cell_h - 24) / std::max(1, f.Height())});
    scale = std::max(scale, 0.05);
    int tw = int(f.Width() * scale), th = int(f.Height() * scale);
    int cx = area.x0 + (i % cols) * cell_w + cell_w / 2,
        cy = area.y0 + (i / cols) * cell_h + cell_h / 2;
    ui.overview_targets[w] = Rect(cx - tw / 2, cy - th / 2, cx - tw / 2 + tw, cy - th / 2 + th);
    w->draw_state |= kDrawOverview;
  }
}

void EndOverview() {
  UiState& ui = Ui();
  for (auto& entry : ui.overview_targets) entry.first->draw_state &= ~kDrawOverview;
  ui.overview_targets.clear();
  ui.redraw_flags &= ~(kRedrawOverview | kRedrawOverviewLeaving | kRedrawOverviewSettled);
  ui.overview_fraction = 0;
  auto& h = ui.handlers;
  h.erase(std::remove(h.begin(), h.end(), OverviewHandler), h.end());
  RequestRedraw();
  UpdateHover();
}

void AdvanceOverview() {
  UiState& ui = Ui();
  if (!IsOverviewRunning()) return;
  double t = std::clamp((UiNow() - ui.overview_start) / kOverviewSeconds, 0.0, 1.0);
  double eased = (1.0 - std::cos(M_PI * t)) / 2.0;
  bool leaving = ui.redraw_flags & kRedrawOverviewLeaving;
  ui.overview_fraction = leaving ? 1.0 - eased : eased;
  if (t >= 1.0 && leaving) {
    EndOverview();
    return;
  }
  if (!(ui.redraw_flags & kRedrawOverviewSettled)) RequestRedraw();
  if (t >= 1.0) ui.redraw_flags |= kRedrawOverviewSettled;
  if (t < 1.0) RequestFrame();
}

void LeaveOverview() {
  UiState& ui = Ui();
  if (ui.redraw_flags & kRedrawOverviewLeaving) return;
  ui.redraw_flags |= kRedrawOverviewLeaving;
  ui.redraw_flags &= ~kRedrawOverviewSettled;
  // Start from where the animation stands.
  double f = ui.overview_fraction;
  double t = std::acos(std::clamp(1.0 - 2.0 * f, -1.0, 1.0)) / M_PI;
  ui.overview_start = UiNow() - (1.0 - t) * kOverviewSeconds;
}

int OverviewHandler(EventType type, Event* e) {
  UiState& ui = Ui();
  if (type == EventType::Key && e->words[1] && e->words[0] == kKeyF10) {
    LeaveOverview();
  } else if (type == EventType::MouseButton && e->words[5]) {
    for (Window* w = ui.layer0->first_child; w; w = w->next_sibling) {
      auto it = ui.overview_targets.find(w);
      if (it != ui.overview_targets.end() && it->second.Contains(e->words[0], e->words[1])) {
        w->Activate(1);
        break;
      }
    }
    LeaveOverview();
  }
  return 1;
}

}  // namespace

bool IsOverviewRunning() {
  return Ui().redraw_flags & kRedrawOverview;
}

void ToggleOverview() {
  UiState& ui = Ui();
  if (IsOverviewRunning()) {
    LeaveOverview();
    return;
  }
  std::vector<Window*> windows;
  for (Window* w = ui.layer0->first_child; w; w = w->next_sibling)
    if (w->IsVisible() && !w->IsClosed() && !(w->flags & kWindowNoOverview)) windows.push_back(w);
  if (windows.empty()) return;
  ui.redraw_flags |= kRedrawOverview;
  ui.redraw_flags &= ~(kRedrawOverviewLeaving | kRedrawOverviewSettled);
  ui.overview_fraction = 0;
  ui.overview_start = UiNow();
  LayoutOverview(windows, ui.layer0->client.Inset(16));
  PushEventHandler(OverviewHandler);
  RequestRedraw();
}

// ---------------------------------------------------------------------------------------------
// Snapshots and suspension
// ---------------------------------------------------------------------------------------------

std::vector<uint8_t> MakeSnapshotDib(const std::vector<uint8_t>& rgb, int width, int height) {
  int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> dib(40 + static_cast<size_t>(stride) * height, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  dib[12] = 1;   // planes
  dib[14] = 24;  // bits per pixel
  put32(20, static_cast<uint32_t>(stride * height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = &rgb[static_cast<size_t>(height - 1 - y) * width * 3];
    uint8_t* dst = &dib[40 + static_cast<size_t>(y) * stride];
    for (int x = 0; x < width; ++x) {
      dst[x * 3 + 0] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3 + 0];
    }
  }
  return dib;
}

void TakeSnapshot(Window* w) {
  UiState& ui = Ui();
  Rect r = (w->snapshot_request == 2 ? w->client : w->frame).Intersection(ScreenRect());
  w->snapshot_request = 0;
  // The picture has the pixels the user sees: device pixels.
  r = DeviceRect(r).Intersection(Rect(0, 0, ui.device_width, ui.device_height));
  if (r.IsEmpty()) return;
  int width = r.Width(), height = r.Height();
  std::vector<uint8_t> bottom_up(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(r.x0, ui.device_height - r.y1, width, height, GL_RGB, GL_UNSIGNED_BYTE,
               bottom_up.data());
  std::vector<uint8_t> top_down(bottom_up.size());
  for (int y = 0; y < height; ++y)
    std::copy_n(&bottom_up[static_cast<size_t>(height - 1 - y) * width * 3], width * 3,
                &top_down[static_cast<size_t>(y) * width * 3]);
  ui.last_snapshot = MakeSnapshotDib(top_down, width, height);
  if (ui.snapshot_sink) ui.snapshot_sink(ui.last_snapshot);
}

void SuspendUi(bool suspend) {
  UiState& ui = Ui();
  if (ui.frame_function) ui.frame_function();
  ui.suspended = suspend;
  RequestRedraw();
  ui.first_frame = true;
  ui.running = !suspend;
  if (ui.has_gl) DrawDirty();
  if (ui.frame_function) ui.frame_function();
}

}  // namespace brae
