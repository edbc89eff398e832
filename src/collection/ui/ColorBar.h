#pragma once
// The hue bar of a hue change editor: the hue circle from 0° to 360° left to right, one pixel
// per degree, with the hue change's range lit and the rest dimmed, and its start, median and
// end hues as markers that the mouse drags. A drag moves the marker under the pointer; the
// median follows the range's ends and never leaves the range.

#include "collection/CollectionRecords.h"
#include "collection/HueChangeOperations.h"
#include "toolkit/Window.h"

namespace brae {

constexpr int kColorBarWidth = 360;
constexpr int kColorBarHeight = 20;

class ColorBar : public Window {
 public:
  explicit ColorBar(Window* parent);
  const char* ClassName() const override { return "ColorBar"; }

  // The hues shown (the rest of the record is kept as given).
  void SetHueChange(const HueChange& change);
  const HueChange& Current() const { return current_; }
  // The record as it was when the running (or last) drag started.
  const HueChange& DragStart() const { return drag_start_; }
  HueMarker Dragging() const { return dragging_; }
  // A marker's x in screen coordinates (the centre of its degree).
  int MarkerScreenX(HueMarker marker) const;

  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  void DrawContent() override;

  Signal<> moved;       // a marker moved during a drag
  Signal<> drag_ended;  // a drag that moved something is over

 private:
  HueChange current_{};
  HueChange drag_start_{};
  HueMarker dragging_ = HueMarker::kNone;
};

}  // namespace brae
