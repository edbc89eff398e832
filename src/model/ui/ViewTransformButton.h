#pragma once
// A button that changes a 3-D view while it is dragged: on the press it hides the pointer in the
// middle of the main window, every move adds to the totals since the press and applies the
// operation to the view it started from, and the release keeps the changed view and puts the
// pointer back where it was.

#include "model/ModelView.h"
#include "toolkit/Button.h"

namespace brae {

class ViewTransformButton : public Button {
 public:
  // icons: over it and not pressed, over it and pressed, pointer elsewhere (numbers of the
  // toolkit's icon set).
  ViewTransformButton(Window* parent, const char* label, Window* target, ModelView* view,
                      ViewOperation operation, int icon_over, int icon_pressed, int icon_away);
  const char* ClassName() const override { return "ViewTransformButton"; }

  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;

  int Icon(int which) const { return icons_[which]; }
  // The totals since the press, and whether a drag is running.
  float TotalX() const { return total_x_; }
  float TotalY() const { return total_y_; }
  bool IsDragging() const { return dragging_; }

 private:
  Window* target_;
  ModelView* view_;
  ViewOperation operation_;
  int icons_[3];
  ModelView start_;
  bool dragging_ = false;
  float total_x_ = 0, total_y_ = 0;
  Point last_, pointer_before_;
};

}  // namespace brae
