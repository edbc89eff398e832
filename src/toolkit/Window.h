#pragma once
// The toolkit's base class: a tree of rectangles with flags, a title, a font and virtual hooks.
// Every control, list, menu and editor is a Window. Windows are created by their openers and
// never deleted directly: Close defers the deletion to a safe point of the frame.
//
// Index
//   flags, hit parts, states ........ WindowFlag, HitPart, WindowState
//   Window: virtual operations ...... in slot order, from the destructor to Title
//   Window: tree, geometry, focus ... SetParent, SetFrame, BringToFront, SetFocus, Close, ...
//   global operations ............... SetMenuBar, CloseAllWindows, NextCascadePosition, ...

#include <cstdint>
#include <string>

#include "core/Prefs.h"
#include "toolkit/Event.h"
#include "toolkit/Rect.h"
#include "toolkit/Signals.h"

namespace brae {

struct Font;

enum WindowFlag : uint32_t {
  kWindowVisible = 0x1,
  kWindowEnabled = 0x2,
  kWindowTitleBar = 0x4,
  kWindowShadow = 0x8,
  kWindowThinBorder = 0x10,
  kWindowThickBorder = 0x20,
  kWindowResizable = 0x40,
  kWindowWhiteBackground = 0x80,
  kWindowGreyBackground = 0x100,
  kWindowDialogFrame = 0x200,
  kWindowCloseBox = 0x400,
  kWindowZoomBox = 0x800,
  kWindowCollapseBox = 0x1000,
  kWindowNoOverview = 0x2000,
  kWindowTopLevel = 0x4000,
  kWindowFocusable = 0x8000,
  kWindowCentred = 0x10000,
  kWindowOverlay = 0x40000,
};

enum HitPart : uint32_t {
  HitNone = 0,
  HitClient = 1,
  HitTitleBar = 2,
  HitLeftEdge = 4,
  HitTopEdge = 8,
  HitRightEdge = 16,
  HitBottomEdge = 32,
  HitCloseBox = 1024,
  HitZoomBox = 2048,
  HitCollapseBox = 4096,
  HitOtherFrame = 0x80000000u,
};
constexpr uint32_t kHitEdges = HitLeftEdge | HitTopEdge | HitRightEdge | HitBottomEdge;
constexpr uint32_t kHitBoxes = HitCloseBox | HitZoomBox | HitCollapseBox;

enum WindowState : int {
  kStateNormal = 0,
  kStateCollapsed = 1,
  kStateZoomed = 2,
  kStateClosed = 3
};

enum DrawState : uint32_t {
  kDrawClient = 1,
  kDrawFrame = 2,
  kDrawOverview = 4,
  kDrawDestroying = 8,
};

enum EdgeBit : uint32_t { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };

constexpr int kTitleBarHeight = 22;
constexpr int kShadowSize = 16;
constexpr int kCollapsedHeight = 30;

class Window : public CleanHeapObject<has_slots<void>>, public PlacementTarget {
 public:
  // The payload of a drag: subclasses add their fields.
  class DragDropData {
   public:
    DragDropData(int drag_type, Window* drag_source) : type(drag_type), source(drag_source) {}
    virtual ~DragDropData() = default;
    int type = 0;
    Window* source = nullptr;
  };

  explicit Window(uint32_t flags, Window* parent = nullptr);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // ---- virtual operations, in slot order -----------------------------------------------------
  ~Window() override;
  const char* ClassName() const override { return "Window"; }
  virtual int HandleEvent(Window* target, EventType type, Event* event);
  virtual void ConstrainFrame(const Rect& old_frame, const Rect& requested, Rect* out);
  virtual void FrameToClient(const Rect& frame, Rect* client);
  virtual void ClientSizeToFrame(Point* size, int client_width, int client_height);
  virtual int RequestClose(int reason);
  virtual void WillClose() {}
  virtual void Idle() {}
  virtual void Moved(int /*old_x*/, int /*old_y*/, int /*new_x*/, int /*new_y*/) {}
  virtual void Layout() {}
  virtual void DrawContent() {}
  virtual void DrawFrame();
  virtual void DrawBackground();
  virtual int KeyDown(Event*) { return 0; }
  virtual void CharTyped(Event*) {}
  virtual void ClientMouseButton(Event*) {}
  virtual void FrameMouseButton(Event* event);
  virtual void ClientDoubleClick(Event*) {}
  virtual void FrameDoubleClick(Event* event);
  virtual void ClientMouseMove(Event*) {}
  virtual void FrameMouseMove(Event*) {}
  virtual void ClientWheel(Event*) {}
  virtual void FrameWheel(Event*) {}
  virtual void ClientMouseLeft() {}
  virtual void FrameMouseLeft() {}
  virtual void ChildAdded(Window*) {}
  virtual void ChildRemoved(Window*) {}
  virtual void FocusLost(Window* /*new_focus*/, int /*reason*/) {}
  // Null, or a window to which the focus is passed on instead.
  virtual Window* FocusGained(Window* /*old_focus*/, int /*reason*/) { return nullptr; }
  virtual void ParentChanged(Window* /*old_parent*/, Window* /*new_parent*/) {}
  virtual void FlagsChanged(uint32_t changed);
  virtual void TrackMouse(int /*start_x*/, int /*start_y*/, int /*x*/, int /*y*/, int /*phase*/) {}
  virtual int DragDrop(int /*x*/, int /*y*/, int /*hovering*/, DragDropData*) { return 0; }
  virtual uint32_t HitTest(int x, int y);
  virtual void SetTitle(const char* title);
  virtual const char* Title() const { return has_title_ ? title_.c_str() : nullptr; }

  // ---- flags ----------------------------------------------------------------------------------
  uint32_t Flags() const { return flags; }
  void SetFlags(uint32_t new_flags);
  void AddFlags(uint32_t bits) { SetFlags(flags | bits); }
  void RemoveFlags(uint32_t bits) { SetFlags(flags & ~bits); }
  void SetVisible(bool visible) {
    visible ? AddFlags(kWindowVisible) : RemoveFlags(kWindowVisible);
  }
  bool IsVisible() const { return flags & kWindowVisible; }
  void SetEnabled(bool enabled) {
    enabled ? AddFlags(kWindowEnabled) : RemoveFlags(kWindowEnabled);
  }
  bool IsEnabled() const { return flags & kWindowEnabled; }
  void SetEdges(uint32_t new_edges);
  // It and every ancestor up to its top-level window are visible and none is collapsed.
  bool IsEffectivelyVisible() const;

  // ---- tree -----------------------------------------------------------------------------------
  void SetParent(Window* new_parent);
  Window* Parent() const { return parent; }
  Window* FirstChild() const { return first_child; }
  Window* NextSibling() const { return next_sibling; }
  int ChildCount() const { return child_count; }
  bool IsAncestorOf(const Window* other) const;
  // The window directly below a top-level (0x4000) window on the path to the root.
  Window* TopLevel();
  void BringToFront();
  void SendToBack();
  void Activate(int reason = 0);
  void SetTabOrder(Window** windows, int count);
  Window* SetDefaultChild(Window* child);
  Window* DefaultChild() const { return default_child; }

  // ---- geometry -------------------------------------------------------------------------------
  void SetFrame(const Rect& parent_relative);
  Rect Frame() const { return frame; }  // screen coordinates
  Rect ClientRect() const { return client; }
  Point ClientSize() const { return Point{client.Width(), client.Height()}; }
  // The frame in the parent's client coordinates.
  Rect ParentRelativeFrame() const;
  Rect TitleBarRect() const;
  Rect TitleBoxRect(uint32_t box) const;
  int BorderWidth() const;
  void ScreenToClient(Point* points, int count) const;
  void ClientToScreen(Point* points, int count) const;
  void CentreInParent();
  // Moves the window, and shrinks it where it is larger, so that the whole frame (its title bar
  // and title boxes first of all) lies inside the parent's client area.
  void KeepInsideParent();
  // Places a new window of this frame size at the next cascade position, kept inside the parent.
  void PlaceAtCascade(Point frame_size);
  // The frame width the title bar needs to show the whole title beside its boxes; 0 without one.
  int TitleBarMinimumWidth() const;
  // A titled window directly in layer 0 or 1: one that the user moves and places.
  bool IsLayerWindow() const;
  // The frame size that gives exactly this client size (FrameToClient's inverse).
  Point FrameSizeForClient(int client_width, int client_height);

  // ---- state, placement -----------------------------------------------------------------------
  int State() const { return window_state; }
  void SetWindowState(int state);
  void GetPlacement(int* state, int* x0, int* y0, int* x1, int* y1) const override;
  void SetPlacement(int state, int x0, int y0, int x1, int y1) override;
  void GetScreenSize(int* width, int* height) const override;

  // ---- focus, closing -------------------------------------------------------------------------
  // Returns 1 when FocusGained passed the focus on to another window.
  int SetFocus(int reason = 0);
  bool HasFocus() const;
  bool CanFocus() const { return flags & kWindowFocusable; }
  void Close();
  bool IsClosed() const { return window_state == kStateClosed; }

  // ---- font, drawing helpers ------------------------------------------------------------------
  const Font* GetFont() const;
  void SetFont(const Font* f) { font = f; }
  void Invalidate();  // the frame, with its shadow
  void InvalidateRect(const Rect& screen_rect);
  void InvalidateClient();
  void SetClientCursor(int shape) { client_cursor = shape; }
  int ClientCursor() const { return client_cursor; }
  void RequestSnapshot(int what) { snapshot_request = what; }

  // ---- fields (read freely; change through the operations above) -----------------------------
  Window* prev_sibling = nullptr;
  Window* next_sibling = nullptr;
  Window* parent = nullptr;
  Window* focus_child = nullptr;
  Window* default_child = nullptr;
  Window* tab_next = nullptr;
  Window* tab_prev = nullptr;
  Window* first_child = nullptr;
  Window* last_child = nullptr;
  int child_count = 0;
  uint32_t flags = 0;
  uint32_t edges = 15;
  uint32_t draw_state = 0;
  int user_value = 0;
  int user_value2 = 0;
  int window_state = kStateNormal;
  const Font* font = nullptr;
  uint32_t highlighted_box = 0;
  int client_cursor = 0;
  int snapshot_request = 0;
  Rect resting_frame, resting_client;
  Rect frame;
  Rect client;
  Rect normal_frame;
  Rect clip;
  Signal<int> focus_lost_signal;

 protected:
  // Helpers of the default frame handling (move, resize, title boxes).
  void StartFrameTracking(uint32_t part);

 private:
  friend struct WindowInternals;
  void Unlink();
  void LinkAsFirst(Window* new_parent);
  void LinkAsLast(Window* new_parent);
  void ApplyFrame(const Rect& screen_frame);
  void MoveDescendants(int dx, int dy);
  Rect FrameWithShadow(const Rect& r) const;
  Rect ZoomedFrame() const;

  std::string title_;
  bool has_title_ = false;
};

// ---- global operations ------------------------------------------------------------------------
// Remembers the menu bar and gives layer 0 the screen below it.
void SetMenuBar(Window* menu_bar);
// Asks every layer-0 window, front to back, RequestClose(0); stops at the first refusal.
int CloseAllWindows();
const Font* DefaultFont();
void SetDefaultFont(const Font* font);
Point ScreenSize();
Point NextCascadePosition();
// Deletes the windows whose deletion was deferred, then recomputes the hover.
void ProcessDeferredDeletions();

}  // namespace brae
