#pragma once
// A window with scroll bars in its frame: vertical and horizontal totals, positions and pages,
// thumbs, arrows and tracks that repeat while held, and the wheel.

#include <algorithm>

#include "toolkit/Window.h"

namespace brae {

// Results of the scroll-bar hit test.
enum ScrollPart : int {
  kScrollNone = 0,
  kScrollVThumb = 1,
  kScrollUpArrow = 2,
  kScrollDownArrow = 3,
  kScrollTrackAbove = 4,
  kScrollTrackBelow = 5,
  kScrollHThumb = 6,
  kScrollLeftArrow = 7,
  kScrollRightArrow = 8,
  kScrollTrackLeft = 9,
  kScrollTrackRight = 10,
  kScrollCorner = 11,
};

// Which values SetScroll takes.
enum ScrollMask : int {
  kScrollVTotal = 1,
  kScrollVPos = 2,
  kScrollVPage = 4,
  kScrollHTotal = 8,
  kScrollHPos = 16,
  kScrollHPage = 32,
};

constexpr int kScrollArrowLength = 14;
constexpr int kMinThumbLength = 14;
constexpr double kArrowRepeat = 1.0 / 30.0;
constexpr double kTrackRepeat = 0.2;

// Thumb of a bar: none when the track is shorter than 15 pixels or nothing can scroll.
struct ThumbSpan {
  bool present = false;
  int offset = 0;  // from the start of the track
  int length = 0;
};
ThumbSpan ComputeThumb(int bar_length, int total, int page, int position);

class ScrollableWindow : public Window {
 public:
  explicit ScrollableWindow(uint32_t flags, Window* parent = nullptr);
  const char* ClassName() const override { return "ScrollableWindow"; }

  // ---- overrides ----
  void FrameToClient(const Rect& frame, Rect* client) override;
  void ClientSizeToFrame(Point* size, int client_width, int client_height) override;
  void DrawFrame() override;
  void FrameMouseButton(Event* event) override;
  void ClientWheel(Event* event) override;
  void FrameWheel(Event* event) override;
  void Idle() override;
  uint32_t HitTest(int x, int y) override;

  // ---- appended virtual operations ----
  virtual void HorizontalScrolled(int /*position*/) {}
  virtual void VerticalScrolled(int /*position*/) {}
  virtual void ScrollReserved() {}

  // ---- scrolling ----
  void SetScroll(int mask, int v_total, int v_pos, int v_page, int h_total = 0, int h_pos = 0,
                 int h_page = 0);
  void ScrollTo(int position) { SetScroll(kScrollVPos, 0, position, 0); }
  void ScrollBy(int lines) { ScrollTo(v_pos_ + lines * line_step_); }
  void ScrollByPages(int pages) { ScrollTo(v_pos_ + pages * std::max(v_page_, 1)); }
  void ScrollToH(int position) { SetScroll(kScrollHPos, 0, 0, 0, 0, position, 0); }
  void ScrollByH(int lines) { ScrollToH(h_pos_ + lines * line_step_); }
  void ScrollByPagesH(int pages) { ScrollToH(h_pos_ + pages * std::max(h_page_, 1)); }
  void SetLineStep(int step) { line_step_ = std::max(step, 1); }
  int LineStep() const { return line_step_; }

  int VTotal() const { return v_total_; }
  int VPos() const { return v_pos_; }
  int VPage() const { return v_page_; }
  int HTotal() const { return h_total_; }
  int HPos() const { return h_pos_; }
  int HPage() const { return h_page_; }

  // ---- geometry (screen coordinates) ----
  int ScrollBarWidth() const;
  bool HasVBar() const { return v_page_ > 0; }
  bool HasHBar() const { return h_page_ > 0; }
  Rect VBarRect() const;
  Rect HBarRect() const;
  Rect VThumbRect() const;  // empty without a thumb
  Rect HThumbRect() const;
  int ScrollBarHitTest(int x, int y) const;
  int PressedPart() const { return pressed_part_; }

 private:
  void StepPart(int part);
  void TrackScroll(int start_x, int start_y, int x, int y, int phase);
  void InvalidateBars();

  int v_total_ = 0, v_pos_ = 0, v_page_ = 0;
  int h_total_ = 0, h_pos_ = 0, h_page_ = 0;
  int line_step_ = 1;
  int pressed_part_ = kScrollNone;
  double last_repeat_ = 0;
  int drag_start_pos_ = 0;
};

}  // namespace brae
