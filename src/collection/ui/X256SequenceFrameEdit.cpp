#include "collection/ui/X256SequenceFrameEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "collection/Collection.h"
#include "collection/SequenceOperations.h"
#include "collection/ui/BackgroundPicker.h"
#include "collection/ui/SequencePointsAction.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "collection/ui/X256SequenceFrameView.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"

namespace brae {

namespace {

constexpr uint32_t kFrameEditFlags = kWindowGreyBackground | kWindowEnabled | kWindowTitleBar |
                                     kWindowShadow | kWindowThickBorder | kWindowResizable |
                                     kWindowCloseBox | kWindowCollapseBox | kWindowFocusable;
constexpr uint32_t kControlFlags = kWindowVisible | kWindowEnabled | kWindowFocusable;
constexpr int kInitialWidth = 720;
constexpr int kInitialHeight = 480;
constexpr int kMargin = 8;
constexpr int kListWidth = 120;
constexpr int kStripHeight = 28;
constexpr int kColumnWidth = 160;
constexpr int kCheckRowHeight = 24;
constexpr uint32_t kLabelColour = 0xFFFFFFFFu;
constexpr const char* kAnimateTitle = "Animate";
constexpr const char* kStopTitle = "Stop";
constexpr const char* kZoomLabel = "Zoom:";
constexpr const char* kBackgroundLabel = "Background:";
constexpr const char* kShowTitles[kFrameViewPartCount] = {
    "Show Reg Point", "Show Key Point", "Show Selection Box", "Show Origin",
    "Show Bitmap",    "Show Shadow",    "Show Contrail"};

}  // namespace

X256SequenceFrameEdit::X256SequenceFrameEdit(X256Edit* editor, CollectionSequence* sequence,
                                             int frame, int view)
    : Window(kFrameEditFlags), editor_(editor), sequence_(sequence) {
  frame_list_ = new ListWindow(0, kControlFlags, this);
  frame_list_->SetTitle("Frames");
  frame_list_->selection_changed.Connect(this, &X256SequenceFrameEdit::OnFrameRow);
  view_list_ = new ListWindow(0, kControlFlags, this);
  view_list_->SetTitle("Views");
  view_list_->selection_changed.Connect(this, &X256SequenceFrameEdit::OnViewRow);
  previous_ = new Button(this);
  previous_->SetTitle("<");
  previous_->clicked.Connect(this, &X256SequenceFrameEdit::OnPrevious);
  next_ = new Button(this);
  next_->SetTitle(">");
  next_->clicked.Connect(this, &X256SequenceFrameEdit::OnNext);
  animate_ = new Button(this);
  animate_->SetTitle(kAnimateTitle);
  animate_->clicked.Connect(this, &X256SequenceFrameEdit::OnAnimate);
  zoom_ = new ComboBox(this, 0);
  zoom_->SetTitle("Zoom");
  for (int z : kFrameEditZooms) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", z);
    zoom_->AddItem(text, z);
  }
  zoom_->SelectValue(kDefaultFrameEditZoom);
  zoom_->item_chosen.Connect(this, &X256SequenceFrameEdit::OnZoom);
  background_ = new BackgroundPicker(this);
  background_->chosen.Connect(this, &X256SequenceFrameEdit::OnBackground);
  view_window_ = new X256SequenceFrameView(this, &editor->Textures());
  view_window_->SetSequence(sequence_);
  view_window_->SetBackground(background_->ChosenColour());
  for (int i = 0; i < kFrameViewPartCount; ++i) {
    shows_[i] = new CheckBox(this);
    shows_[i]->SetTitle(kShowTitles[i]);
    shows_[i]->SetChecked(view_window_->IsShown(i));
    shows_[i]->clicked.Connect(this, &X256SequenceFrameEdit::OnShowClicked);
  }

  PlaceAtCascade(FrameSizeForClient(kInitialWidth, kInitialHeight));
  Layout();
  editor_->SequenceBrowser()->RegisterEditor(this);
  FillLists();
  frame_ = -1;  // so that the first cell is shown in full
  ShowCell(frame, view);
  EnableControls();
  SetVisible(true);
  BringToFront();
  view_window_->SetFocus(0);
}

X256SequenceFrameEdit::~X256SequenceFrameEdit() {
  Detach();
}

void X256SequenceFrameEdit::WillClose() {
  Detach();
}

void X256SequenceFrameEdit::Detach() {
  playing_ = false;
  if (view_window_) view_window_->SetSequence(nullptr);
  if (editor_) editor_->SequenceBrowser()->UnregisterEditor(this);
  editor_ = nullptr;
}

// ---- layout ---------------------------------------------------------------------------------

void X256SequenceFrameEdit::Layout() {
  if (!view_window_) return;
  const int w = client.Width(), h = client.Height();
  const int bottom = h - kMargin;
  const int split = kMargin + (bottom - kMargin) * 2 / 3;
  frame_list_->SetFrame(Rect(kMargin, kMargin, kMargin + kListWidth, split - 4));
  view_list_->SetFrame(Rect(kMargin, split + 4, kMargin + kListWidth, bottom));

  // The strip above the picture: "<", ">", "Animate", "Zoom:".
  const int left = 2 * kMargin + kListWidth;
  const int button_h = StandardButtonHeight(this);
  const int y = kMargin + (kStripHeight - button_h) / 2;
  int x = left;
  previous_->SetFrame(Rect(x, y, x + 28, y + button_h));
  x += 32;
  next_->SetFrame(Rect(x, y, x + 28, y + button_h));
  x += 36;
  animate_->SetFrame(Rect(x, y, x + 80, y + button_h));
  x += 92 + TextWidth(this, kZoomLabel) + 6;
  const int combo_h = LineHeight(this) + 6;
  const int combo_y = kMargin + (kStripHeight - combo_h) / 2;
  zoom_->SetFrame(Rect(x, combo_y, x + 70, combo_y + combo_h));

  // The column right of the picture: the "Show" boxes, then "Background:" and the swatches.
  const int column = std::max(left + 16, w - kMargin - kColumnWidth);
  int cy = kMargin + kStripHeight + 4;
  for (int i = 0; i < kFrameViewPartCount; ++i) {
    shows_[i]->SetFrame(Rect(column, cy, column + kColumnWidth, cy + kCheckRowHeight - 4));
    cy += kCheckRowHeight;
  }
  background_label_y_ = cy + 8;
  cy = background_label_y_ + LineHeight(this) + 4;
  background_->SetFrame(
      Rect(column, cy, column + kColumnWidth, cy + background_->HeightFor(kColumnWidth)));
  view_window_->SetFrame(
      Rect(left, kMargin + kStripHeight + 4, std::max(left + 16, column - 8), bottom));
}

void X256SequenceFrameEdit::DrawContent() {
  // The labels of the zoom choice and the swatches.
  SetColor(kLabelColour);
  const Rect zoom = zoom_->ParentRelativeFrame();
  const int y = kMargin + (kStripHeight - LineHeight(this)) / 2;
  DrawText(this, kZoomLabel, zoom.x0 - TextWidth(this, kZoomLabel) - 6, y, kTextShadow);
  DrawText(this, kBackgroundLabel, background_->ParentRelativeFrame().x0, background_label_y_,
           kTextShadow);
}

// ---- the cell, the lists and the title ------------------------------------------------------

void X256SequenceFrameEdit::FillLists() {
  const int frames = sequence_ ? sequence_->FrameCount() : 0;
  const int views = sequence_ ? sequence_->ViewCount() : 0;
  filling_ = true;
  if (frames != listed_frames_) {
    frame_list_->Clear();
    for (int f = 0; f < frames; ++f) {
      char text[32];
      std::snprintf(text, sizeof text, kFrameRowFormat, unsigned(f));
      frame_list_->AddRow(nullptr, text, 0, f);
    }
    listed_frames_ = frames;
  }
  if (views != listed_views_) {
    view_list_->Clear();
    for (int v = 0; v < views; ++v) {
      char text[32];
      std::snprintf(text, sizeof text, kViewRowFormat, unsigned(ViewAngle(v, views)), kDegreeSign);
      view_list_->AddRow(nullptr, text, 0, v);
    }
    listed_views_ = views;
  }
  filling_ = false;
}

void X256SequenceFrameEdit::UpdateTitle() {
  if (!sequence_) return;
  char text[160];
  std::snprintf(text, sizeof text, kFrameEditTitleFormat, sequence_->name.c_str(), frame_,
                ViewAngle(view_, sequence_->ViewCount()), kDegreeSign);
  if (!Title() || text != std::string(Title())) SetTitle(text);
}

void X256SequenceFrameEdit::SelectRows() {
  filling_ = true;
  if (ListRow* row = frame_list_->ShownRow(size_t(std::max(0, frame_)))) {
    if (!row->IsSelected()) frame_list_->Select(row, false);
    frame_list_->ScrollToRow(row);
  }
  if (ListRow* row = view_list_->ShownRow(size_t(std::max(0, view_)))) {
    if (!row->IsSelected()) view_list_->Select(row, false);
    view_list_->ScrollToRow(row);
  }
  filling_ = false;
}

void X256SequenceFrameEdit::ShowCell(int frame, int view) {
  const int frames = sequence_ ? sequence_->FrameCount() : 0;
  const int views = sequence_ ? sequence_->ViewCount() : 0;
  frame = frames > 0 ? std::clamp(frame, 0, frames - 1) : 0;
  view = views > 0 ? std::clamp(view, 0, views - 1) : 0;
  if (frame == frame_ && view == view_) return;
  frame_ = frame;
  view_ = view;
  view_window_->SetCell(frame_, view_);
  UpdateTitle();
  SelectRows();
}

void X256SequenceFrameEdit::StepCell(int frames, int views) {
  if (!sequence_ || playing_) return;
  ShowCell(StepFrame(frame_, frames, sequence_->FrameCount()),
           StepView(view_, views, sequence_->ViewCount()));
}

void X256SequenceFrameEdit::SequencesChanged() {
  if (!sequence_) return;
  FillLists();
  // The grid may have shrunk.
  const int frames = sequence_->FrameCount(), views = sequence_->ViewCount();
  const int frame = frames > 0 ? std::min(frame_, frames - 1) : 0;
  const int view = views > 0 ? std::min(view_, views - 1) : 0;
  if (frame != frame_ || view != view_) {
    ShowCell(frame, view);
  } else {
    UpdateTitle();
    SelectRows();
  }
  EnableControls();
  view_window_->InvalidateClient();
}

void X256SequenceFrameEdit::OnFrameRow() {
  if (filling_ || playing_) return;
  std::vector<ListRow*> rows = frame_list_->SelectedRows();
  if (!rows.empty()) ShowCell(rows.front()->value, view_);
}

void X256SequenceFrameEdit::OnViewRow() {
  if (filling_ || playing_) return;
  std::vector<ListRow*> rows = view_list_->SelectedRows();
  if (!rows.empty()) ShowCell(frame_, rows.front()->value);
}

void X256SequenceFrameEdit::OnPrevious() {
  StepCell(-1, 0);
}

void X256SequenceFrameEdit::OnNext() {
  StepCell(1, 0);
}

// ---- moves ----------------------------------------------------------------------------------

void X256SequenceFrameEdit::Record(const SequencePoints& before) {
  if (!editor_ || !sequence_) return;
  std::vector<PointChange> changes = ChangedPoints(before, CaptureSequencePoints(*sequence_));
  if (changes.empty()) return;
  Collection& collection = editor_->GetCollection();
  const int index = collection.IndexOfSequence(sequence_);
  if (index < 0) return;
  X256Edit* editor = editor_;
  editor_->Undos().Perform(new SequencePointsAction(&collection, size_t(index), std::move(changes),
                                                    [editor] { editor->SequenceEdited(nullptr); }),
                           true);
}

void X256SequenceFrameEdit::MoveBy(MoveMode mode, int dx, int dy) {
  if (!editor_ || !sequence_ || playing_) return;
  const SequencePoints before = CaptureSequencePoints(*sequence_);
  if (!ApplySequenceMove(sequence_, mode, frame_, view_, dx, dy)) return;
  Record(before);
  view_window_->InvalidateClient();
  editor_->SequenceEdited(this);
}

void X256SequenceFrameEdit::BeginMoveDrag() {
  if (!sequence_) return;
  dragging_ = true;
  drag_before_ = CaptureSequencePoints(*sequence_);
}

void X256SequenceFrameEdit::DragMove(MoveMode mode, int dx, int dy) {
  if (!dragging_ || !editor_ || !sequence_) return;
  if (!ApplySequenceMove(sequence_, mode, frame_, view_, dx, dy)) return;
  view_window_->InvalidateClient();
  editor_->SequenceEdited(this);
}

void X256SequenceFrameEdit::EndMoveDrag() {
  if (!dragging_) return;
  dragging_ = false;
  // The whole drag is one step.
  Record(drag_before_);
  drag_before_.clear();
}

// ---- animation ------------------------------------------------------------------------------

void X256SequenceFrameEdit::OnAnimate() {
  playing_ ? Stop() : Animate();
}

void X256SequenceFrameEdit::Animate() {
  if (playing_ || !sequence_ || sequence_->FrameCount() <= 0) return;
  view_window_->EndDrag();
  playing_ = true;
  play_start_frame_ = frame_;
  play_start_time_ = UiNow();
  EnableControls();
  RequestFrame();
}

void X256SequenceFrameEdit::Stop() {
  if (!playing_) return;
  playing_ = false;
  EnableControls();
}

void X256SequenceFrameEdit::EnableControls() {
  const bool free = !playing_;
  frame_list_->SetEnabled(free);
  view_list_->SetEnabled(free);
  previous_->SetEnabled(free);
  next_->SetEnabled(free);
  animate_->SetTitle(playing_ ? kStopTitle : kAnimateTitle);
  animate_->SetEnabled(playing_ || (sequence_ && sequence_->FrameCount() > 0));
  Invalidate();
}

void X256SequenceFrameEdit::Idle() {
  if (!playing_ || !sequence_) return;
  if (sequence_->FrameCount() <= 0) {
    Stop();
    return;
  }
  const uint32_t ticks = ElapsedTicks(UiNow() - play_start_time_);
  ShowCell(AnimationFrame(play_start_frame_, ticks, sequence_->header.ticks_per_frame,
                          sequence_->FrameCount()),
           view_);
  // The next tick.
  RequestFrameAt(play_start_time_ + double(ticks + 1) / kTicksPerSecond);
}

// ---- options --------------------------------------------------------------------------------

void X256SequenceFrameEdit::SetZoom(int percent) {
  zoom_->SelectValue(percent);
  view_window_->SetZoom(percent);
}

void X256SequenceFrameEdit::OnZoom(int value) {
  view_window_->SetZoom(value);
}

void X256SequenceFrameEdit::OnBackground(uint32_t colour) {
  view_window_->SetBackground(colour);
}

void X256SequenceFrameEdit::OnShowClicked() {
  for (int i = 0; i < kFrameViewPartCount; ++i) view_window_->SetShown(i, shows_[i]->IsChecked());
}

int X256SequenceFrameEdit::KeyDown(Event* event) {
  if ((event->Key() == 'Z' || event->Key() == 'Y') && (event->Modifiers() & kModControl)) {
    if (event->Pressed() && editor_) event->Key() == 'Z' ? editor_->Undo() : editor_->Redo();
    return 1;
  }
  // Control+S saves the collection, as it does in the collection editor.
  if (editor_ && event->Key() == 'S' && (event->Modifiers() & kModControl)) {
    if (event->Pressed()) editor_->SaveWithMessages();
    return 1;
  }
  // Arrows that the focused control left alone (a check box, a button) go to the picture.
  switch (event->Key()) {
    case kKeyLeft:
    case kKeyRight:
    case kKeyUp:
    case kKeyDown:
      return view_window_->KeyDown(event);
    default:
      return 0;
  }
}

// ---- opening --------------------------------------------------------------------------------

X256SequenceFrameEdit* OpenSequenceFrameEditor(X256Edit* editor, CollectionSequence* sequence,
                                               int frame, int view) {
  if (!editor || !sequence) return nullptr;
  for (SequenceEditorWindow* open : editor->SequenceBrowser()->Editors()) {
    auto* frame_edit = dynamic_cast<X256SequenceFrameEdit*>(open->AsWindow());
    if (!frame_edit || frame_edit->IsClosed() || frame_edit->EditedSequence() != sequence) continue;
    frame_edit->ShowCell(frame, view);
    frame_edit->BringToFront();
    frame_edit->View()->SetFocus(0);
    return frame_edit;
  }
  return new X256SequenceFrameEdit(editor, sequence, frame, view);
}

}  // namespace brae
