#pragma once
// Two panes with a draggable bar between them, side by side (orientation 0, a vertical bar) or
// stacked (orientation 1, a horizontal bar).

#include "toolkit/Window.h"

namespace brae {

enum SplitterOrientation : int { kSplitSideBySide = 0, kSplitStacked = 1 };

class SplitterWindow : public Window {
 public:
  explicit SplitterWindow(uint32_t flags, Window* parent = nullptr);
  const char* ClassName() const override { return "SplitterWindow"; }

  // Returns the window it replaces, detached (not deleted).
  Window* SetPane(int index, Window* pane, int minimum_size);
  Window* Pane(int index) const { return panes_[index & 1]; }
  void SetOrientation(int orientation, bool fixed);
  int Orientation() const { return orientation_; }
  bool IsFixed() const { return fixed_; }
  void SetBarPosition(int position);
  int BarPosition() const { return bar_; }
  int BarThickness() const;
  Rect BarRect() const;  // screen coordinates
  // The bar position limited by the panes' minimums.
  int ClampBar(int position) const;

  void Layout() override;
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;
  void ClientMouseMove(Event* event) override;
  void ChildRemoved(Window* child) override;

 private:
  void LayoutPanes();
  int Total() const { return orientation_ == kSplitSideBySide ? client.Width() : client.Height(); }

  int orientation_ = kSplitSideBySide;
  bool fixed_ = false;
  Window* panes_[2] = {nullptr, nullptr};
  int minimums_[2] = {0, 0};
  int bar_ = 0;
  int drag_start_bar_ = 0;
};

}  // namespace brae
