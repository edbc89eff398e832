#include "model/ui/ViewTransformButton.h"

#include "platform/Platform.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/UiState.h"

namespace brae {

ViewTransformButton::ViewTransformButton(Window* parent, const char* label, Window* target,
                                         ModelView* view, ViewOperation operation, int icon_over,
                                         int icon_pressed, int icon_away)
    : Button(parent),
      target_(target),
      view_(view),
      operation_(operation),
      icons_{icon_over, icon_pressed, icon_away} {
  SetTitle(label);
  SizeToFit();
  start_ = *view;
}

void ViewTransformButton::ClientMouseButton(Event* e) {
  if (!e->Pressed() || e->Button() != 0 || !IsEnabled()) return;
  BeginMouseTracking(this, nullptr, nullptr);
}

void ViewTransformButton::TrackMouse(int, int, int x, int y, int phase) {
  UiState& ui = Ui();
  if (phase == 0) {
    // The pointer goes to the middle of the main window, out of sight, so that a long drag
    // never runs into the screen's edge.
    start_ = *view_;
    pointer_before_ = Point{x, y};
    last_ = Point{ui.screen_width / 2, ui.screen_height / 2};
    WarpMouse(last_.x, last_.y);
    platform::ShowCursor(false);
    total_x_ = total_y_ = 0;
    dragging_ = true;
    ShowState(kButtonPressedOff);
  } else if (phase == 1) {
    total_x_ += float(x - last_.x);
    total_y_ += float(y - last_.y);
    last_ = Point{x, y};
    operation_(view_, start_, total_x_, total_y_);
  } else {
    start_ = *view_;
    dragging_ = false;
    WarpMouse(pointer_before_.x, pointer_before_.y);
    platform::ShowCursor(true);
    ShowState(kButtonOff);
  }
  if (target_) InvalidateAll(target_);
}

}  // namespace brae
