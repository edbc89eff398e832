// The frame editor on the demo collection's "Walk" sequence: its title, lists and controls,
// navigation by keys, buttons and lists, the five move modes by arrow keys and by mouse drags at
// zoom 200, each press or drag one undo step, animation on the toolkit's clock, and the picture
// (bitmap, shadow, markers) read back from the screen.
#include <cmath>
#include <filesystem>

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/SequenceMoves.h"
#include "collection/SequenceOperations.h"
#include "collection/ui/BackgroundPicker.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "collection/ui/X256SequenceFrameEdit.h"
#include "collection/ui/X256SequenceFrameView.h"
#include "editing/EditingFixture.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/ListWindow.h"

namespace brae {
namespace {

using test::EditingTest;

struct Xy {
  int x, y;
  bool operator==(const Xy& o) const { return x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const Xy& p) {
  return os << "(" << p.x << ", " << p.y << ")";
}

class X256SequenceFrameEditTest : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override { demo::AddCollectionsDemo(game); }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterCollectionEditor();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }

  // Opens the demo sprites and the frame editor of "Walk" at a cell. Without mirroring, every
  // one of its 8 views is a cell of its own.
  X256SequenceFrameEdit* OpenWalk(int frame, int view, bool mirrored = false) {
    editor_ = dynamic_cast<X256Edit*>(OpenTag(Find(".256", "dspr")));
    Frame();
    if (!editor_) return nullptr;
    walk_ = editor_->GetCollection().sequences[0].get();
    if (!mirrored) walk_->header.flags &= ~kSequenceMirrored;
    X256SequenceFrameEdit* edit = OpenSequenceFrameEditor(editor_, walk_, frame, view);
    Frame();
    return edit;
  }
  Xy Reg(int f, int v) const {
    const CollectionInstance* in = walk_->InstanceAt(f, v);
    return Xy{in->reg_x, in->reg_y};
  }
  Xy KeyAt(int f, int v) const {
    const CollectionInstance* in = walk_->InstanceAt(f, v);
    return Xy{in->key_x, in->key_y};
  }
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  // Taps a key while others are held (pressed in order, released in reverse).
  void TapHolding(const std::vector<int>& held, int key) {
    for (int k : held) Key(k, true);
    Tap(key);
    for (auto it = held.rbegin(); it != held.rend(); ++it) Key(*it, false);
  }
  // A mouse drag in steps from a point by (dx, dy) while keys are held.
  void DragHolding(const std::vector<int>& held, Point from, int dx, int dy, int steps = 4) {
    for (int k : held) Key(k, true);
    now += 1.0;
    QueueMousePosition(from.x, from.y);
    QueueMouseButton(0, 1);
    Frame();
    for (int i = 1; i <= steps; ++i) {
      QueueMousePosition(from.x + dx * i / steps, from.y + dy * i / steps);
      Frame();
    }
    QueueMouseButton(0, 0);
    Frame();
    for (auto it = held.rbegin(); it != held.rend(); ++it) Key(*it, false);
  }
  static std::vector<std::string> Rows(ListWindow* list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list->ShownCount(); ++i) out.push_back(list->ShownRow(i)->text);
    return out;
  }
  static Point Centre(const Rect& r) { return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  static bool Near(const test::Pixel& p, int r, int g, int b, int tolerance = 12) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
  }

  // Compares the opaque pixels of a cell's bitmap, away from the markers, with their preview
  // palette colours on the screen (mirrored as the instance says); returns how many were compared.
  int CheckBitmapPixels(X256SequenceFrameView* view, CollectionSequence& sequence, int f, int v,
                        int zoom, float opacity = 1.0f) {
    const CollectionInstance& in = *sequence.InstanceAt(f, v);
    const CollectionBitmap& bitmap = *in.bitmap;
    const Point origin = view->Origin();
    const Rect box(origin.x - in.reg_x * zoom, origin.y - in.reg_y * zoom,
                   origin.x + (bitmap.width - in.reg_x) * zoom,
                   origin.y + (bitmap.height - in.reg_y) * zoom);
    const Rect shown = view->ClientRect();
    const Point key = view->KeyPoint();
    // Bitmaps are shown with the collection's hue changes applied.
    const CollectionPalette& palette = editor_->Textures().PreviewPalette();
    const int screen_w = Ui().screen_width, screen_h = Ui().screen_height;
    const std::vector<uint8_t> screen = test::ReadScreen(screen_w, screen_h);
    int checked = 0;
    for (int by = 1; by < bitmap.height - 1; ++by) {
      for (int bx = 1; bx < bitmap.width - 1; ++bx) {
        const int sx = box.x0 + bx * zoom + zoom / 2, sy = box.y0 + by * zoom + zoom / 2;
        if (std::abs(sx - origin.x) < 16 && std::abs(sy - origin.y) < 16) continue;
        if (std::abs(sx - key.x) < 8 && std::abs(sy - key.y) < 8) continue;
        if (sx < shown.x0 + 2 || sx > shown.x1 - 2 || sy < shown.y0 + 2) continue;
        if (sy > shown.y1 - 24) continue;  // the mode text
        if (sx < 0 || sy < 0 || sx >= screen_w || sy >= screen_h) continue;
        const int px = (in.flags & kInstanceMirrorX) ? bitmap.width - 1 - bx : bx;
        const int py = (in.flags & kInstanceMirrorY) ? bitmap.height - 1 - by : by;
        const uint8_t* p = bitmap.Pixel(px, py);
        if (p[0] != 255) continue;
        const PaletteColor& colour = palette[p[1]];
        const uint8_t* rgb = &screen[(size_t(sy) * screen_w + sx) * 3];
        EXPECT_TRUE(Near(test::Pixel{rgb[0], rgb[1], rgb[2]}, int(colour.r * opacity),
                         int(colour.g * opacity), int(colour.b * opacity), 3))
            << "bitmap pixel " << bx << ", " << by << " of frame " << f << ", view " << v;
        ++checked;
      }
    }
    return checked;
  }

  X256Edit* editor_ = nullptr;
  CollectionSequence* walk_ = nullptr;
};

const std::string kDegree(1, kDegreeSign);

TEST_F(X256SequenceFrameEditTest, OpensOnTheCellWithTitleListsAndControls) {
  X256SequenceFrameEdit* edit = OpenWalk(1, 2);
  ASSERT_TRUE(edit);
  EXPECT_EQ(std::string(edit->Title()), "Walk (Frame 1 @ 90" + kDegree + ")");
  EXPECT_EQ(Rows(edit->FrameList()),
            (std::vector<std::string>{"Frame 0", "Frame 1", "Frame 2", "Frame 3"}));
  std::vector<std::string> views;
  for (int angle : {0, 45, 90, 135, 180, 225, 270, 315})
    views.push_back(std::to_string(angle) + kDegree);
  EXPECT_EQ(Rows(edit->ViewList()), views);
  EXPECT_TRUE(edit->FrameList()->ShownRow(1)->IsSelected());
  EXPECT_TRUE(edit->ViewList()->ShownRow(2)->IsSelected());
  EXPECT_STREQ(edit->PreviousButton()->Title(), "<");
  EXPECT_STREQ(edit->NextButton()->Title(), ">");
  EXPECT_STREQ(edit->AnimateButton()->Title(), "Animate");
  std::vector<std::string> zooms;
  for (int i = 0; i < edit->ZoomChoice()->ItemCount(); ++i)
    zooms.push_back(edit->ZoomChoice()->ItemAt(i).text);
  EXPECT_EQ(zooms, (std::vector<std::string>{"50%", "100%", "200%", "300%", "400%", "500%"}));
  EXPECT_EQ(edit->ZoomChoice()->SelectedValue(), 100);
  EXPECT_EQ(edit->View()->Zoom(), 100);
  const Rect swatch = edit->Background()->SwatchRect(0);
  EXPECT_EQ(swatch.Width(), 24);
  EXPECT_EQ(swatch.Height(), 24);
  std::vector<std::string> shows;
  for (int i = 0; i < kFrameViewPartCount; ++i) shows.push_back(edit->ShowBox(i)->Title());
  EXPECT_EQ(shows, (std::vector<std::string>{"Show Reg Point", "Show Key Point",
                                             "Show Selection Box", "Show Origin", "Show Bitmap",
                                             "Show Shadow", "Show Contrail"}));
  EXPECT_EQ(edit->View()->MoveModeText(), "Mouse / Arrow Keys: Navigate");
  // Registered with the Sequences tab; opening again brings the same window to the cell.
  EXPECT_TRUE(editor_->SequenceBrowser()->IsSequenceOpen(walk_));
  EXPECT_EQ(OpenSequenceFrameEditor(editor_, walk_, 3, 0), edit);
  EXPECT_EQ(edit->FrameIndex(), 3);
  EXPECT_EQ(edit->ViewIndex(), 0);
  EXPECT_EQ(std::string(edit->Title()), "Walk (Frame 3 @ 0" + kDegree + ")");
  EXPECT_EQ(CountLayer0("X256SequenceFrameEdit"), 1);
  test::SaveScreenshot("x256_frame_editor");
  // Closing unregisters it.
  EXPECT_TRUE(TryClose(edit));
  EXPECT_FALSE(editor_->SequenceBrowser()->HasOpenEditors());
}

TEST_F(X256SequenceFrameEditTest, ArrowsButtonsAndListsNavigate) {
  X256SequenceFrameEdit* edit = OpenWalk(0, 0);
  ASSERT_TRUE(edit);
  Tap(kKeyLeft);  // views wrap
  EXPECT_EQ(edit->ViewIndex(), 7);
  Tap(kKeyRight);
  Tap(kKeyRight);
  EXPECT_EQ(edit->ViewIndex(), 1);
  Tap(kKeyDown);
  Tap(kKeyDown);
  EXPECT_EQ(edit->FrameIndex(), 2);
  Tap(kKeyUp);
  EXPECT_EQ(edit->FrameIndex(), 1);
  Tap(kKeyUp);
  Tap(kKeyUp);  // frames stop at the first
  EXPECT_EQ(edit->FrameIndex(), 0);
  EXPECT_EQ(std::string(edit->Title()), "Walk (Frame 0 @ 45" + kDegree + ")");
  // The contrail is the cell shown before.
  EXPECT_EQ(edit->View()->ContrailFrame(), 1);
  EXPECT_EQ(edit->View()->ContrailView(), 1);

  const Point next = Centre(edit->NextButton()->Frame());
  Click(next.x, next.y);
  Click(next.x, next.y);
  EXPECT_EQ(edit->FrameIndex(), 2);
  const Point previous = Centre(edit->PreviousButton()->Frame());
  Click(previous.x, previous.y);
  EXPECT_EQ(edit->FrameIndex(), 1);

  const Rect frame_row = edit->FrameList()->RowRect(3);
  Click(frame_row.x0 + 20, Centre(frame_row).y);
  EXPECT_EQ(edit->FrameIndex(), 3);
  const Rect view_row = edit->ViewList()->RowRect(6);
  Click(view_row.x0 + 20, Centre(view_row).y);
  EXPECT_EQ(edit->ViewIndex(), 6);
  EXPECT_EQ(std::string(edit->Title()), "Walk (Frame 3 @ 270" + kDegree + ")");
  // Navigation changes nothing in the collection.
  EXPECT_FALSE(editor_->Undos().CanUndo());
  EXPECT_FALSE(editor_->IsDirty());
}

TEST_F(X256SequenceFrameEditTest, ArrowKeysMoveByOneBitmapPixelInEachMode) {
  X256SequenceFrameEdit* edit = OpenWalk(1, 2);
  ASSERT_TRUE(edit);
  // Taken from a fresh copy so that each mode is measured against the points it started from.
  auto expect_only = [&](const SequencePoints& before, const std::vector<Xy>& cells) {
    const auto changes = ChangedPoints(before, CaptureSequencePoints(*walk_));
    std::vector<Xy> changed;
    for (const PointChange& c : changes) changed.push_back(Xy{c.frame, c.view});
    EXPECT_EQ(changed, cells);
  };

  SequencePoints before = CaptureSequencePoints(*walk_);
  Xy key = KeyAt(1, 2);
  TapHolding({kKeyF1}, kKeyRight);
  EXPECT_EQ(KeyAt(1, 2), (Xy{key.x + 1, key.y}));
  expect_only(before, {{1, 2}});
  EXPECT_EQ(edit->FrameIndex(), 1);  // a mode is held: no navigation
  EXPECT_EQ(edit->ViewIndex(), 2);

  before = CaptureSequencePoints(*walk_);
  Xy reg = Reg(1, 2);
  TapHolding({kKeyLeftShift}, kKeyLeft);  // the bitmap follows: the point grows
  EXPECT_EQ(Reg(1, 2), (Xy{reg.x + 1, reg.y}));
  expect_only(before, {{1, 2}});
  TapHolding({kKeyF2}, kKeyDown);
  EXPECT_EQ(Reg(1, 2), (Xy{reg.x + 1, reg.y - 1}));

  std::vector<Xy> whole_frame, whole_view, every_cell;
  for (int v = 0; v < 8; ++v) whole_frame.push_back(Xy{1, v});
  for (int f = 0; f < 4; ++f) whole_view.push_back(Xy{f, 2});
  for (int f = 0; f < 4; ++f)
    for (int v = 0; v < 8; ++v) every_cell.push_back(Xy{f, v});
  for (const auto& keys :
       std::vector<std::vector<int>>{{kKeyF1 + 2}, {kKeyLeftShift, kKeyLeftAlt}}) {
    before = CaptureSequencePoints(*walk_);
    const Xy r = Reg(1, 5);
    TapHolding(keys, kKeyUp);
    EXPECT_EQ(Reg(1, 5), (Xy{r.x, r.y + 1}));
    expect_only(before, whole_frame);
  }
  for (const auto& keys :
       std::vector<std::vector<int>>{{kKeyF4}, {kKeyLeftShift, kKeyLeftControl}}) {
    before = CaptureSequencePoints(*walk_);
    const Xy r = Reg(3, 2);
    TapHolding(keys, kKeyRight);
    EXPECT_EQ(Reg(3, 2), (Xy{r.x - 1, r.y}));
    expect_only(before, whole_view);
  }
  for (const auto& keys :
       std::vector<std::vector<int>>{{kKeyF5}, {kKeyLeftShift, kKeyLeftAlt, kKeyLeftControl}}) {
    before = CaptureSequencePoints(*walk_);
    const Xy r = Reg(0, 7);
    TapHolding(keys, kKeyDown);
    EXPECT_EQ(Reg(0, 7), (Xy{r.x, r.y - 1}));
    expect_only(before, every_cell);
  }
  // One undo step per press: 1 + 2 + 2 + 2 + 2.
  EXPECT_EQ(editor_->Undos().Count(), 9u);
  EXPECT_TRUE(editor_->IsDirty());
  // The held keys name the mode under the picture.
  Key(kKeyF1 + 2, true);
  EXPECT_EQ(edit->View()->MoveModeText(), "Mouse / Arrow Keys: Move Frame");
  Key(kKeyF1 + 2, false);
  Key(kKeyLeftShift, true);
  Key(kKeyLeftControl, true);
  EXPECT_EQ(edit->View()->MoveModeText(), "Mouse / Arrow Keys: Move View");
  Key(kKeyLeftControl, false);
  EXPECT_EQ(edit->View()->MoveModeText(), "Mouse / Arrow Keys: Move Bitmap");
  test::SaveScreenshot("x256_frame_editor_move_bitmap");
  Key(kKeyLeftShift, false);
  EXPECT_EQ(edit->View()->MoveModeText(), "Mouse / Arrow Keys: Navigate");
}

TEST_F(X256SequenceFrameEditTest, MovesStopAtThe16BitLimits) {
  X256SequenceFrameEdit* edit = OpenWalk(0, 0);
  ASSERT_TRUE(edit);
  walk_->InstanceAt(0, 0)->reg_x = 32767;
  walk_->InstanceAt(0, 0)->key_y = -32768;
  TapHolding({kKeyLeftShift}, kKeyLeft);
  EXPECT_EQ(Reg(0, 0).x, 32767);
  TapHolding({kKeyF1}, kKeyUp);
  EXPECT_EQ(KeyAt(0, 0).y, -32768);
  EXPECT_FALSE(editor_->Undos().CanUndo());  // nothing changed, nothing kept
}

TEST_F(X256SequenceFrameEditTest, MouseDragsAtZoom200MoveByHalfThePointerAndUndoAsOneStep) {
  X256SequenceFrameEdit* edit = OpenWalk(2, 1);
  ASSERT_TRUE(edit);
  edit->ZoomChoice()->ChooseRow(2);
  Frame();
  ASSERT_EQ(edit->View()->Zoom(), 200);
  const Point origin = edit->View()->Origin();
  const std::vector<uint8_t> at_start = Saved(editor_->GetCollection());

  const Xy reg = Reg(2, 1);
  DragHolding({kKeyLeftShift}, origin, 20, -11, 5);
  EXPECT_EQ(Reg(2, 1), (Xy{reg.x - 10, reg.y + 5}));
  EXPECT_EQ(editor_->Undos().Count(), 1u);  // one step for the whole drag
  const std::vector<uint8_t> after_drag = Saved(editor_->GetCollection());

  const Xy key = KeyAt(2, 1);
  DragHolding({kKeyF1}, origin, -8, 6);
  EXPECT_EQ(KeyAt(2, 1), (Xy{key.x - 4, key.y + 3}));
  EXPECT_EQ(editor_->Undos().Count(), 2u);

  const Xy other_frame = Reg(3, 1), other_view = Reg(2, 4);
  DragHolding({kKeyF4}, origin, 6, 0);  // every frame of view 1
  EXPECT_EQ(Reg(3, 1), (Xy{other_frame.x - 3, other_frame.y}));
  EXPECT_EQ(Reg(2, 4), other_view);
  DragHolding({kKeyLeftShift, kKeyLeftAlt}, origin, 0, 4);  // every view of frame 2
  EXPECT_EQ(Reg(2, 4), (Xy{other_view.x, other_view.y - 2}));
  DragHolding({kKeyLeftShift, kKeyLeftAlt, kKeyLeftControl}, origin, 2, 2);  // every cell
  EXPECT_EQ(Reg(0, 7).x, walk_->InstanceAt(0, 7)->reg_x);
  EXPECT_EQ(editor_->Undos().Count(), 5u);

  // A plain drag (no mode) moves nothing.
  DragHolding({}, origin, 30, 30);
  EXPECT_EQ(editor_->Undos().Count(), 5u);

  for (int i = 0; i < 4; ++i) ControlKey('Z');
  EXPECT_EQ(Saved(editor_->GetCollection()), after_drag);
  ControlKey('Z');
  EXPECT_EQ(Saved(editor_->GetCollection()), at_start);
  EXPECT_EQ(Reg(2, 1), reg);
  ControlKey('Y');
  EXPECT_EQ(Saved(editor_->GetCollection()), after_drag);
  EXPECT_EQ(Reg(2, 1), (Xy{reg.x - 10, reg.y + 5}));
}

TEST_F(X256SequenceFrameEditTest, MovesOnAMirroredViewSurviveSavingAndLoading) {
  X256SequenceFrameEdit* edit = OpenWalk(0, 6, /*mirrored=*/true);
  ASSERT_TRUE(edit);
  const Xy shown = Reg(0, 6), stored = Reg(0, 2);
  TapHolding({kKeyLeftShift}, kKeyRight);
  EXPECT_EQ(Reg(0, 6), (Xy{shown.x - 1, shown.y}));
  EXPECT_EQ(Reg(0, 2), (Xy{stored.x + 1, stored.y}));
  Collection reloaded;
  const std::vector<uint8_t> data = Saved(editor_->GetCollection());
  TagHeader header;
  header.size = uint32_t(data.size());
  header.user_data = editor_->GetCollection().flags;  // the flags' authoritative copy
  ASSERT_TRUE(LoadCollection(data.data(), data.size(), header, CollectionLoadOptions(), &reloaded));
  EXPECT_EQ(reloaded.sequences[0]->InstanceAt(0, 6)->reg_x, shown.x - 1);
  // What the model holds is what a reload gives back, byte for byte.
  EXPECT_EQ(Saved(reloaded), data);
  ControlKey('Z');
  EXPECT_EQ(Reg(0, 6), shown);
  EXPECT_EQ(Reg(0, 2), stored);
}

TEST_F(X256SequenceFrameEditTest, AnimationFollowsTheClockWithControlsDisabled) {
  X256SequenceFrameEdit* edit = OpenWalk(1, 3);
  ASSERT_TRUE(edit);
  walk_->header.ticks_per_frame = 0;  // counted as 1: 30 frames per second
  const Point animate = Centre(edit->AnimateButton()->Frame());
  const double start = now;  // the click's frame runs at this time
  Click(animate.x, animate.y);
  ASSERT_TRUE(edit->IsPlaying());
  EXPECT_STREQ(edit->AnimateButton()->Title(), "Stop");
  EXPECT_FALSE(edit->FrameList()->IsEnabled());
  EXPECT_FALSE(edit->ViewList()->IsEnabled());
  EXPECT_FALSE(edit->PreviousButton()->IsEnabled());
  EXPECT_FALSE(edit->NextButton()->IsEnabled());
  for (int tick = 1; tick <= 9; ++tick) {
    now = start + tick / 30.0 + 0.001;
    Frame();
    EXPECT_EQ(edit->FrameIndex(), (1 + tick) % 4) << "tick " << tick;
    // The next tick is asked for.
    EXPECT_LE(Ui().next_frame_time, start + (tick + 1) / 30.0 + 0.0001);
  }
  // Navigation keys are ignored while playing.
  Tap(kKeyRight);
  EXPECT_EQ(edit->ViewIndex(), 3);
  // With 3 ticks per frame a second shows 10 frames.
  walk_->header.ticks_per_frame = 3;
  now = start + 1.0 + 0.001;
  Frame();
  EXPECT_EQ(edit->FrameIndex(), (1 + 10) % 4);
  Click(animate.x, animate.y);
  EXPECT_FALSE(edit->IsPlaying());
  EXPECT_STREQ(edit->AnimateButton()->Title(), "Animate");
  EXPECT_TRUE(edit->FrameList()->IsEnabled());
  EXPECT_TRUE(edit->NextButton()->IsEnabled());
  const int stopped = edit->FrameIndex();
  now += 2.0;
  Frame();
  EXPECT_EQ(edit->FrameIndex(), stopped);
  EXPECT_FALSE(editor_->IsDirty());
}

TEST_F(X256SequenceFrameEditTest, AShrunkSequenceClampsTheCellAndTheLists) {
  X256SequenceFrameEdit* edit = OpenWalk(3, 6);
  ASSERT_TRUE(edit);
  ASSERT_TRUE(ResizeSequence(&editor_->GetCollection(), 0, 2, 4).changed);
  editor_->SequenceEdited(nullptr);
  Frame();
  EXPECT_EQ(edit->FrameIndex(), 1);
  EXPECT_EQ(edit->ViewIndex(), 3);
  EXPECT_EQ(Rows(edit->FrameList()).size(), 2u);
  EXPECT_EQ(Rows(edit->ViewList()).size(), 4u);
  EXPECT_EQ(std::string(edit->Title()), "Walk (Frame 1 @ 270" + kDegree + ")");
}

TEST_F(X256SequenceFrameEditTest, AVerticallyMirroredCellIsDrawnUpsideDown) {
  ASSERT_TRUE(OpenWalk(0, 0));
  CollectionSequence* ground = editor_->GetCollection().sequences[1].get();
  ASSERT_TRUE(ground->InstanceAt(0, 0)->flags & kInstanceMirrorY);
  X256SequenceFrameEdit* edit = OpenSequenceFrameEditor(editor_, ground, 0, 0);
  ASSERT_TRUE(edit);
  edit->SetZoom(200);
  Frame();
  EXPECT_GT(CheckBitmapPixels(edit->View(), *ground, 0, 0, 2), 400);
  EXPECT_EQ(CountLayer0("X256SequenceFrameEdit"), 2);
}

TEST_F(X256SequenceFrameEditTest, ASequenceWithoutFramesShowsNothingToMove) {
  ASSERT_TRUE(OpenWalk(0, 0));
  CollectionSequence* empty = editor_->GetCollection().sequences[2].get();
  ASSERT_EQ(empty->FrameCount(), 0);
  X256SequenceFrameEdit* edit = OpenSequenceFrameEditor(editor_, empty, 2, 5);
  ASSERT_TRUE(edit);
  EXPECT_EQ(std::string(edit->Title()), "No Frames (Frame 0 @ 240" + kDegree + ")");
  EXPECT_EQ(edit->FrameList()->ShownCount(), 0u);
  EXPECT_EQ(edit->ViewList()->ShownCount(), 3u);
  EXPECT_FALSE(edit->AnimateButton()->IsEnabled());
  TapHolding({kKeyLeftShift}, kKeyRight);
  TapHolding({kKeyF5}, kKeyRight);
  Tap(kKeyDown);
  Tap(kKeyRight);
  EXPECT_EQ(edit->ViewIndex(), 0);
  EXPECT_EQ(edit->FrameIndex(), 0);
  EXPECT_FALSE(editor_->Undos().CanUndo());
}

TEST_F(X256SequenceFrameEditTest, ClosesWhenAnUndoTakesItsSequenceAway) {
  ASSERT_TRUE(OpenWalk(0, 0));
  X256SequenceBrowser* browser = editor_->SequenceBrowser();
  browser->SelectSequence(1);
  browser->RunCommand(kSequenceDuplicate);
  Frame();
  ASSERT_EQ(editor_->GetCollection().sequences.size(), 4u);
  CollectionSequence* copy = editor_->GetCollection().sequences[2].get();
  ASSERT_EQ(copy->name, "Ground copy");
  X256SequenceFrameEdit* edit = OpenSequenceFrameEditor(editor_, copy, 0, 0);
  Frame();
  ASSERT_TRUE(edit);
  EXPECT_EQ(CountLayer0("X256SequenceFrameEdit"), 2);
  // Renaming shows in the title; the undo of the duplicate closes the window.
  copy->name = "Floor";
  editor_->SequenceEdited(nullptr);
  EXPECT_EQ(std::string(edit->Title()), "Floor (Frame 0 @ 0" + kDegree + ")");
  ControlKey('Z');  // the frame editor has the keys
  EXPECT_EQ(editor_->GetCollection().sequences.size(), 3u);
  EXPECT_EQ(CountLayer0("X256SequenceFrameEdit"), 1);
  EXPECT_EQ(browser->Editors().size(), 1u);
}

TEST_F(X256SequenceFrameEditTest, DrawsTheBitmapShadowAndEveryMarker) {
  X256SequenceFrameEdit* edit = OpenWalk(1, 1);
  ASSERT_TRUE(edit);
  edit->SetZoom(300);
  X256SequenceFrameView* view = edit->View();
  const Point background_swatch = Centre(edit->Background()->SwatchRect(0).Offset(
      edit->Background()->ClientRect().x0, edit->Background()->ClientRect().y0));
  Click(background_swatch.x, background_swatch.y);  // black
  ASSERT_EQ(view->Background(), 0xFF000000u);
  Frame();

  const CollectionInstance& in = *walk_->InstanceAt(1, 1);
  const Rect box = view->BitmapRect();
  const Point origin = view->Origin();
  const Point key = view->KeyPoint();
  EXPECT_GT(CheckBitmapPixels(view, *walk_, 1, 1, 3), 40);
  EXPECT_EQ(box.x0, origin.x - in.reg_x * 3);
  EXPECT_EQ(box.y0, origin.y - in.reg_y * 3);
  // The markers: registration point (red) on the origin, key point (green), origin cross
  // (cyan), selection box (yellow) just outside the bitmap.
  EXPECT_TRUE(Near(At(origin.x - 3, origin.y + 1), 255, 0, 0));
  EXPECT_TRUE(Near(At(key.x - 3, key.y + 1), 0, 255, 0));
  EXPECT_TRUE(Near(At(origin.x - 10, origin.y), 0, 255, 255));
  EXPECT_TRUE(Near(At(origin.x, origin.y + 10), 0, 255, 255));
  EXPECT_TRUE(Near(At(box.x0 - 1, (box.y0 + box.y1) / 2 + 5), 255, 255, 0));
  // The shadow: five times its size around the origin moved by its offset; its grey shows below
  // the bitmap.
  const CollectionShadow& shadow = walk_->frames[1].shadow;
  ASSERT_TRUE(shadow.bitmap);
  const int shadow_y = origin.y + shadow.DisplayOffsetY() * 3;
  const int shadow_x = origin.x + shadow.DisplayOffsetX() * 3;
  ASSERT_GT(shadow_y + shadow.bitmap->height * 15 / 2 - 8, box.y1 + 4);
  const test::Pixel under = At(shadow_x, shadow_y + shadow.bitmap->height * 15 / 2 - 8);
  EXPECT_GT(under.Brightness(), 60) << "shadow";
  EXPECT_TRUE(under.r == under.g && under.g == under.b) << "grey shadow";

  // Hiding the markers and the bitmap leaves the background there.
  for (int part :
       {kShowRegPoint, kShowKeyPoint, kShowOrigin, kShowSelectionBox, kShowBitmap, kShowShadow}) {
    const Point at = Centre(edit->ShowBox(part)->Frame());
    Click(at.x, at.y);
    EXPECT_FALSE(edit->ShowBox(part)->IsChecked());
    EXPECT_FALSE(view->IsShown(part));
  }
  Frame();
  EXPECT_TRUE(Near(At(origin.x - 3, origin.y + 1), 0, 0, 0));
  EXPECT_TRUE(Near(At(key.x - 3, key.y + 1), 0, 0, 0));
  EXPECT_TRUE(Near(At(box.x0 - 1, (box.y0 + box.y1) / 2 + 5), 0, 0, 0));
  // A view mirrored horizontally, and the contrail of the cell before at half opacity (on the
  // black background, with nothing else drawn).
  const Point bitmap_box = Centre(edit->ShowBox(kShowBitmap)->Frame());
  const Point contrail_box = Centre(edit->ShowBox(kShowContrail)->Frame());
  Tap(kKeyLeft);
  Tap(kKeyLeft);  // view 7, a mirrored copy of view 1
  ASSERT_EQ(edit->ViewIndex(), 7);
  ASSERT_TRUE(walk_->InstanceAt(1, 7)->flags & kInstanceMirrorX);
  Click(bitmap_box.x, bitmap_box.y);
  ASSERT_TRUE(view->IsShown(kShowBitmap));
  Frame();
  EXPECT_GT(CheckBitmapPixels(view, *walk_, 1, 7, 3), 40);
  Click(bitmap_box.x, bitmap_box.y);
  Click(contrail_box.x, contrail_box.y);
  Tap(kKeyRight);
  ASSERT_EQ(view->ContrailView(), 7);
  ASSERT_TRUE(view->IsShown(kShowContrail));
  ASSERT_FALSE(view->IsShown(kShowBitmap));
  Frame();
  EXPECT_GT(CheckBitmapPixels(view, *walk_, 1, 7, 3, 0.5f), 40);
  Tap(kKeyLeft);

  for (int part : {kShowRegPoint, kShowKeyPoint, kShowOrigin, kShowSelectionBox, kShowBitmap,
                   kShowShadow, kShowContrail}) {
    const Point at = Centre(edit->ShowBox(part)->Frame());
    if (!edit->ShowBox(part)->IsChecked()) Click(at.x, at.y);
    EXPECT_TRUE(view->IsShown(part));
  }
  // Every marker and the contrail of the frame shown before (its bitmap moved aside), on the
  // dark grey swatch, for the picture.
  const Point grey_swatch = Centre(edit->Background()->SwatchRect(1).Offset(
      edit->Background()->ClientRect().x0, edit->Background()->ClientRect().y0));
  Click(grey_swatch.x, grey_swatch.y);
  Key(kKeyLeftShift, true);
  for (int i = 0; i < 16; ++i) Tap(kKeyLeft);
  for (int i = 0; i < 12; ++i) Tap(kKeyUp);
  Key(kKeyLeftShift, false);
  Tap(kKeyDown);
  Frame();
  EXPECT_EQ(view->ContrailFrame(), 1);
  test::SaveScreenshot("x256_frame_editor_markers");
}

}  // namespace
}  // namespace brae
