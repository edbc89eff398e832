#pragma once
// The frame editor's drawing surface: one cell of a sequence drawn at a zoom around the frame's
// registration origin (the view's centre): the frame's shadow, the contrail (the cell shown
// before, at half opacity), the bitmap, its registration and key point markers, the origin cross
// and the selection box, with "Mouse / Arrow Keys: %s" naming the move mode the held keys pick.
// The arrow keys and mouse drags are handed to the owning frame editor: they move points while
// a mode is held and step through views and frames otherwise.

#include "collection/SequenceMoves.h"
#include "toolkit/Window.h"

namespace brae {

class BitmapTextures;
class CollectionSequence;
class X256SequenceFrameEdit;

// The seven "Show" check boxes, in their order.
enum FrameViewPart : int {
  kShowRegPoint = 0,
  kShowKeyPoint,
  kShowSelectionBox,
  kShowOrigin,
  kShowBitmap,
  kShowShadow,
  kShowContrail,
  kFrameViewPartCount,
};

class X256SequenceFrameView : public Window {
 public:
  X256SequenceFrameView(X256SequenceFrameEdit* owner, BitmapTextures* textures);
  const char* ClassName() const override { return "X256SequenceFrameView"; }

  void SetSequence(CollectionSequence* sequence) { sequence_ = sequence; }
  // The cell shown; the one shown before becomes the contrail when it differs.
  void SetCell(int frame, int view);
  int FrameIndex() const { return frame_; }
  int ViewIndex() const { return view_; }
  // The contrail's cell (-1 before the first change).
  int ContrailFrame() const { return contrail_frame_; }
  int ContrailView() const { return contrail_view_; }
  void SetZoom(int percent);
  int Zoom() const { return zoom_; }
  void SetBackground(uint32_t colour);
  uint32_t Background() const { return background_; }
  void SetShown(int part, bool shown);
  bool IsShown(int part) const { return shown_[part]; }
  // The mode the keys held now pick.
  static MoveMode HeldMoveMode();
  MoveMode ShownMoveMode() const { return shown_mode_; }
  // The text under the picture: "Mouse / Arrow Keys: %s".
  std::string MoveModeText() const;
  // Stops a running drag (its moves so far are kept as one step).
  void EndDrag();
  bool IsDragging() const { return dragging_; }

  // ---- geometry, in screen coordinates ----
  Point Origin() const;
  // Where the current cell's bitmap lies (empty without a bitmap).
  Rect BitmapRect() const;
  Point KeyPoint() const;

  void DrawContent() override;
  int KeyDown(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  void Idle() override;

 private:
  // A cell's bitmap rectangle relative to the origin, in screen pixels (floating: zooms
  // below 100% halve pixels).
  struct Box {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  };
  bool CellBox(int frame, int view, Box* box) const;
  void DrawCell(int frame, int view, float ox, float oy, float opacity);
  void DrawShadow(float ox, float oy);
  void DrawMarkers(float ox, float oy);

  X256SequenceFrameEdit* owner_;
  BitmapTextures* textures_;
  CollectionSequence* sequence_ = nullptr;
  int frame_ = 0, view_ = 0;
  int contrail_frame_ = -1, contrail_view_ = -1;
  int zoom_ = 100;
  uint32_t background_ = 0xFF404040u;
  bool shown_[kFrameViewPartCount] = {true, true, true, true, true, true, true};
  MoveMode shown_mode_ = MoveMode::kNone;
  // A running drag: its mode and the bitmap pixels already applied.
  bool dragging_ = false;
  MoveMode drag_mode_ = MoveMode::kNone;
  int applied_x_ = 0, applied_y_ = 0;
};

}  // namespace brae
