#pragma once
// The frame editor: one cell (frame and view) of a sequence of an open collection editor, with
// the frame and view lists, "<" and ">", "Animate"/"Stop", "Zoom:", "Background:" and the seven
// "Show" check boxes around its X256SequenceFrameView. Registration and key points are moved
// with the arrow keys and mouse drags while a move mode is held; every move is one step on the
// collection editor's undo stack (Control+Z, Control+Y), a whole drag being one step.

#include <cstdint>

#include "collection/SequenceMoves.h"
#include "collection/ui/SequenceEditorWindow.h"
#include "toolkit/Window.h"

namespace brae {

class BackgroundPicker;
class Button;
class CheckBox;
class ComboBox;
class ListWindow;
class X256Edit;
class X256SequenceFrameView;
struct ListRow;

constexpr const char* kFrameEditTitleFormat = "%s (Frame %d @ %d%c)";
constexpr const char* kFrameRowFormat = "Frame %u";
constexpr const char* kViewRowFormat = "%u%c";
constexpr int kFrameEditZooms[] = {50, 100, 200, 300, 400, 500};
constexpr int kDefaultFrameEditZoom = 100;

class X256SequenceFrameEdit : public Window, public SequenceEditorWindow {
 public:
  // Registers with the editor's Sequences tab and shows the cell (clamped to the grid).
  X256SequenceFrameEdit(X256Edit* editor, CollectionSequence* sequence, int frame, int view);
  ~X256SequenceFrameEdit() override;
  const char* ClassName() const override { return "X256SequenceFrameEdit"; }

  // ---- SequenceEditorWindow ----
  CollectionSequence* EditedSequence() const override { return sequence_; }
  Window* AsWindow() override { return this; }
  void SequencesChanged() override;

  // ---- the cell ----
  int FrameIndex() const { return frame_; }
  int ViewIndex() const { return view_; }
  // Shows a cell (clamped to the grid): title, lists and picture follow.
  void ShowCell(int frame, int view);
  // Navigation: the frame steps inside the grid, the view wraps.
  void StepCell(int frames, int views);

  // ---- moves (each call of MoveBy, or each drag, is one undo step) ----
  void MoveBy(MoveMode mode, int dx, int dy);
  void BeginMoveDrag();
  void DragMove(MoveMode mode, int dx, int dy);
  void EndMoveDrag();

  // ---- animation ----
  void Animate();
  void Stop();
  bool IsPlaying() const { return playing_; }

  void SetZoom(int percent);

  // ---- the parts, for the tests ----
  X256SequenceFrameView* View() const { return view_window_; }
  ListWindow* FrameList() const { return frame_list_; }
  ListWindow* ViewList() const { return view_list_; }
  Button* PreviousButton() const { return previous_; }
  Button* NextButton() const { return next_; }
  Button* AnimateButton() const { return animate_; }
  ComboBox* ZoomChoice() const { return zoom_; }
  BackgroundPicker* Background() const { return background_; }
  CheckBox* ShowBox(int part) const { return shows_[part]; }

  void Layout() override;
  void DrawContent() override;
  void WillClose() override;
  void Idle() override;
  int KeyDown(Event* event) override;

 private:
  void FillLists();
  void UpdateTitle();
  void SelectRows();
  void EnableControls();
  void OnFrameRow();
  void OnViewRow();
  void OnPrevious();
  void OnNext();
  void OnAnimate();
  void OnZoom(int value);
  void OnBackground(uint32_t colour);
  void OnShowClicked();
  // The change is kept on the undo stack (when it changed anything) and announced.
  void Record(const SequencePoints& before);
  void Detach();

  X256Edit* editor_;
  CollectionSequence* sequence_;
  int frame_ = 0, view_ = 0;
  X256SequenceFrameView* view_window_ = nullptr;
  ListWindow* frame_list_ = nullptr;
  ListWindow* view_list_ = nullptr;
  Button* previous_ = nullptr;
  Button* next_ = nullptr;
  Button* animate_ = nullptr;
  ComboBox* zoom_ = nullptr;
  BackgroundPicker* background_ = nullptr;
  CheckBox* shows_[7] = {};
  int listed_frames_ = -1, listed_views_ = -1;
  int background_label_y_ = 0;
  bool filling_ = false;  // the lists are being filled or selected by the program
  // A running drag: the points before it began.
  bool dragging_ = false;
  SequencePoints drag_before_;
  // Animation: the frame and the clock when "Animate" was pressed.
  bool playing_ = false;
  int play_start_frame_ = 0;
  double play_start_time_ = 0;
};

// Opens the frame editor of a sequence at a cell, or brings the one already open for that
// sequence to the front and shows the cell there.
X256SequenceFrameEdit* OpenSequenceFrameEditor(X256Edit* editor, CollectionSequence* sequence,
                                               int frame, int view);

}  // namespace brae
