#pragma once
// Input: the 32-entry event ring filled by the platform callbacks, the per-frame drain, the
// event-handler stack with the default dispatcher, global keys, hover and cursor, mouse
// tracking with drag and drop, modal loops and the mouse lock.

#include "toolkit/UiState.h"

namespace brae {

// ---- intake (the platform callbacks call these; ignored while the toolkit is not running) ----
void QueueKeyEvent(int code, int pressed);
void QueueCharEvent(unsigned codepoint);
void QueueMouseButton(int button, int pressed);
// The position in the OS window's device pixels; events carry it divided by the interface scale.
void QueueMousePosition(double x, double y);
void QueueWheel(double dx, double dy);
void QueueCloseRequest();
// Moves the mouse pointer to a point in logical pixels.
void WarpMouse(int x, int y);
// Appends an already made event (for example a press re-queued for the window under the mouse).
bool QueueEvent(const Event& event);

// ---- dispatch ----
void DrainEvents();
int DefaultDispatcher(EventType type, Event* event);
// Offers the event to the target's ancestors (top-most first), then to the target.
int DeliverEvent(Window* target, EventType type, Event* event);
void PushEventHandler(EventHandler handler);
void PopEventHandler();

// ---- hover, cursor, state queries ----
void UpdateHover();
bool IsHovered(const Window* window);
Point MousePosition();
int ModifierFlags();
bool IsKeyDown(int key);
void SetMouseLock(bool on);
void Beep();

// ---- mouse tracking, drag and drop ----
// Returns 0 when a mouse tracking is already running. A null callback calls the window's
// TrackMouse. The drag data (may be null) is owned and deleted by the toolkit.
int BeginMouseTracking(Window* window, Window::DragDropData* data, TrackingCallback callback);
bool IsMouseTracking();
void RegisterDragRenderer(int drag_type, DragRenderer renderer);

// ---- modal loops ----
int RunModal(Window* window, int flags, int* ended_normally = nullptr);
void EndModal(int result);
const ModalEntry* TopModal();
// The window is the top modal window or lies inside it (true when no modal loop runs).
bool IsInsideModal(const Window* window);
bool IsOnModalStack(const Window* window);
// One step of the quit unwinding; returns whether anything was popped.
bool StepModalUnwinding();

}  // namespace brae
