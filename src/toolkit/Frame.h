#pragma once
// The frame: start-up of the window tree, one toolkit frame (input, idle, redraw of the dirty
// rectangles), invalidation, the drawing set-up that windows use, screen resizing, the overview
// mode, snapshots and the suspension around native dialogs.

#include <cstdint>
#include <vector>

#include "toolkit/UiState.h"

namespace brae {

// Creates root, layer 0 and layer 1 and requests a full redraw. has_gl: a GL context is current.
void InitUi(bool has_gl = true);
// Deletes the whole window tree (every window) and resets the state.
void ShutdownUi();
void RunMainLoop();
// One frame; returns whether anything was drawn.
int UiFrame();
// Draws what is pending (full redraw or dirty rectangles) at once; returns whether it drew.
int DrawPending();
void SuspendUi(bool suspend);

// ---- frame scheduling ----
// The loop waits for input between frames. A window that must change without input (blinking,
// animation, auto-scroll while the mouse is held still) asks for a frame at a time on UiNow()'s
// clock, usually from its Idle(); the earliest request wins.
void RequestFrameAt(double when);
// Asks for the next frame as soon as possible.
void RequestFrame();
// Seconds the loop may wait for input before the toolkit needs a frame: 0 when work is waiting
// (queued events, deferred deletions, pending redraws, a modal loop that is ending), else the
// time until the earliest request, at most max_wait.
double TimeUntilNextFrame(double max_wait);

void RequestRedraw();
void Invalidate(Window* window, const Rect& rect, bool force);
void InvalidateAll(Window* window);

// The GLFW size callback, with the framebuffer's size in device pixels; the screen becomes that
// size divided by the interface scale.
void HandleScreenResize(int device_width, int device_height);
// A rectangle in logical pixels as device pixels (edges rounded to the nearest pixel; y down).
Rect DeviceRect(const Rect& logical);

// ---- drawing set-up (between BeginDraw and EndDraw coordinates are local to the rectangle) ----
void BeginDraw(Window* window, bool client, bool three_d = false);
void EndDraw();
int TextWidth(const Window* window, const char* text);
int LineHeight(const Window* window);
// Draws one line with its top-left corner at (x, y).
int DrawText(const Window* window, const char* text, int x, int y, int flags = 0);
int DrawTextInRect(const Window* window, const char* text, const Rect& rect, int flags);
// Packed colour: red in the low byte, then green, blue, alpha.
void SetColor(uint32_t colour);
void FillRect(const Rect& rect);
void FrameRect(const Rect& rect, int line_width, bool inside);

// ---- overview mode ----
void ToggleOverview();
bool IsOverviewRunning();

// ---- snapshots ----
// A 24-bit bottom-up BGR device-independent bitmap (40-byte header) of top-down RGB rows.
std::vector<uint8_t> MakeSnapshotDib(const std::vector<uint8_t>& rgb_top_down, int width,
                                     int height);

}  // namespace brae
