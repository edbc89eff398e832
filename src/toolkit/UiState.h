#pragma once
// The toolkit's one global state: the window tree's roots, focus, hover, the modal stack, mouse
// tracking, the event ring and the redraw bookkeeping.

#include <bitset>
#include <functional>
#include <map>
#include <vector>

#include "toolkit/Event.h"
#include "toolkit/Rect.h"
#include "toolkit/Window.h"

namespace brae {

class Skin;

using EventHandler = int (*)(EventType type, Event* event);
// Draws the drag image at (x, y) when out is null; otherwise stores its rectangle (relative to
// the mouse) in out.
using DragRenderer = void (*)(Rect* out, int x, int y, Window::DragDropData* data);
using TrackingCallback =
    std::function<void(Window* window, int start_x, int start_y, int x, int y, int phase)>;

struct ModalEntry {
  Window* window = nullptr;
  int flags = 0;
  uint64_t serial = 0;
};

enum ModalFlag : int {
  kModalKeysToWindow = 1,
  kModalMouseToWindow = 2,
  kModalDim = 4,
  kModalEndOnQuit = 8,
};

enum RedrawFlag : int {
  kRedrawFull = 1,
  kRedrawResized = 2,
  kRedrawOverview = 4,
  kRedrawOverviewLeaving = 8,
  kRedrawOverviewSettled = 16,
  kRedrawDuringResize = 32,
  kRedrawDeleting = 128,
};

constexpr int kEventRingSize = 32;
constexpr int kMaxDirtyRects = 32;

// No window has asked for a frame (see RequestFrameAt).
constexpr double kNoFrameRequested = 1e300;

struct UiState {
  // ---- window core ----
  Window* root = nullptr;
  Window* layer0 = nullptr;
  Window* layer1 = nullptr;
  Window* focus = nullptr;
  Window* menu_bar = nullptr;
  // The screen in logical pixels: every rectangle, event position and layout rule uses these.
  int screen_width = 0, screen_height = 0;
  // The interface scale and the OS window's size in device pixels; logical = device / scale.
  float scale = 1.0f;
  int device_width = 0, device_height = 0;
  const Font* default_font = nullptr;
  Skin* skin = nullptr;
  std::vector<Window*> deferred_deletions;
  Point cascade;

  // ---- input ----
  Window* hover = nullptr;
  uint32_t hover_part = 0;
  std::vector<ModalEntry> modal_stack;
  uint64_t modal_serial = 0;
  int modal_result = 0;
  int modal_ended_normally = 0;
  bool modal_ending = false;
  bool unwinding = false;

  bool tracking = false;
  Window* tracking_window = nullptr;
  Window::DragDropData* drag_data = nullptr;
  Point track_start, track_current, track_previous;
  TrackingCallback tracking_callback;
  DragRenderer drag_renderer = nullptr;
  bool drag_accepted = false;
  Rect drag_image_rect;
  std::map<int, DragRenderer> drag_renderers;

  bool mouse_lock = false;
  Point lock_saved_position;
  double raw_mouse_x = 0, raw_mouse_y = 0;
  Point previous_mouse, mouse;
  int previous_wheel = 0, wheel = 0, previous_hwheel = 0, hwheel = 0;
  double wheel_accum = 0, hwheel_accum = 0;
  bool previous_button = false, button = false;
  int modifiers = 0;
  std::bitset<160> previous_keys, keys;
  std::vector<EventHandler> handlers;
  std::function<int()> frame_function;
  std::function<int()> quit_hook;

  Event ring[kEventRingSize];
  int ring_count = 0, ring_read = 0, ring_write = 0;
  int dropped_events = 0;

  // Double-click detection: the previous button event.
  double last_button_time = -1e9;
  int last_button = -1;
  double last_button_x = -1e9, last_button_y = -1e9;
  double last_double_click_time = -1e9;

  // ---- frame and redraw ----
  bool running = false;
  bool suspended = false;
  bool first_frame = false;
  Window* dim_window = nullptr;
  Rect dirty[kMaxDirtyRects];
  int dirty_count = 0;
  Rect current_clip;
  bool partial_redraw = false;
  bool debug_overlay = false;
  bool debug_rects = false;
  int redraw_flags = 0;
  double fov = 45.0, near_plane = 0.1, far_plane = 10000.0;
  int frames_rendered = 0;
  double next_frame_time = kNoFrameRequested;  // the earliest frame asked for (RequestFrameAt)
  bool has_gl = false;                         // drawing happens only with a GL context

  // Overview mode.
  double overview_start = 0;
  double overview_fraction = 0;  // 0 resting .. 1 overview layout
  std::map<Window*, Rect> overview_targets;

  // The last window snapshot (a 24-bit device-independent bitmap), for the clipboard.
  std::vector<uint8_t> last_snapshot;
  std::function<void(const std::vector<uint8_t>& dib)> snapshot_sink;

  // Time source: the platform clock unless a test replaces it.
  std::function<double()> clock;
};

UiState& Ui();
double UiNow();

}  // namespace brae
