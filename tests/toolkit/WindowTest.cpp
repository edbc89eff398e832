// The window core driven without GL: tree, geometry, states, focus, closing, placement.
#include <gtest/gtest.h>

#include "UiFixture.h"
#include "core/Prefs.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

using WindowCore = test::UiFixture;

constexpr uint32_t kDocument = kWindowVisible | kWindowTitleBar | kWindowShadow |
                               kWindowThickBorder | kWindowResizable | kWindowGreyBackground |
                               kWindowCloseBox | kWindowZoomBox | kWindowCollapseBox;

// Minimum frame 100 x 50.
class MinSizeWindow : public Window {
 public:
  MinSizeWindow() : Window(kWindowVisible) {}
  void ClientSizeToFrame(Point* size, int w, int h) override {
    size->x = std::max(w, 100);
    size->y = std::max(h, 50);
  }
};

TEST_F(WindowCore, LayersAndWhereNewWindowsLand) {
  UiState& ui = Ui();
  EXPECT_STREQ(ui.root->Title(), "root");
  EXPECT_EQ(ui.root->first_child, ui.layer1);  // layer 1 floats in front
  EXPECT_EQ(ui.layer0->Parent(), ui.root);
  EXPECT_EQ(ui.layer0->Frame(), Rect(0, 0, 800, 600));
  auto* a = new Window(kWindowVisible);
  auto* b = new Window(kWindowVisible);
  EXPECT_EQ(a->Parent(), ui.layer0);
  EXPECT_EQ(ui.layer0->FirstChild(), b);
  auto* pop = new Window(kWindowVisible | kWindowOverlay);
  EXPECT_EQ(pop->Parent(), ui.layer1);
  EXPECT_EQ(ui.layer1->FirstChild(), pop);
  a->BringToFront();
  EXPECT_EQ(ui.layer0->FirstChild(), a);
  a->SendToBack();
  EXPECT_EQ(ui.layer0->FirstChild(), b);
  EXPECT_EQ(ui.layer0->ChildCount(), 2);
}

TEST_F(WindowCore, MinimumSizeKeepsTheEdgeThatDidNotMove) {
  auto* w = new MinSizeWindow();
  w->SetFrame(Rect(200, 100, 400, 200));
  // Resized by its left edge to 20 pixels: the right edge stays, 100 wide.
  w->SetFrame(Rect(380, 100, 400, 200));
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(300, 100, 400, 200));
  // By the right edge: the left edge stays.
  w->SetFrame(Rect(300, 100, 310, 200));
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(300, 100, 400, 200));
  // Both moved: the near edge stays.
  w->SetFrame(Rect(10, 10, 20, 20));
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(10, 10, 110, 60));
}

TEST_F(WindowCore, ClientAreaTitleBarAndHitParts) {
  auto* w = new Window(kDocument);
  w->SetFrame(Rect(100, 100, 400, 300));
  int bw = w->BorderWidth();
  EXPECT_EQ(w->ClientRect(), Rect(100 + bw, 100 + 2 * bw + 22, 400 - bw, 300 - bw));
  EXPECT_EQ(w->HitTest(250, 200), HitClient);
  EXPECT_EQ(w->HitTest(150, 100 + bw + 5), HitTitleBar);
  Rect close = w->TitleBoxRect(HitCloseBox);
  Rect zoom = w->TitleBoxRect(HitZoomBox);
  EXPECT_LT(zoom.x1, close.x0);
  EXPECT_EQ(w->HitTest((close.x0 + close.x1) / 2, (close.y0 + close.y1) / 2), HitCloseBox);
  EXPECT_EQ(w->HitTest((zoom.x0 + zoom.x1) / 2, (zoom.y0 + zoom.y1) / 2), HitZoomBox);
  EXPECT_EQ(w->HitTest(100, 200), HitLeftEdge);
  EXPECT_EQ(w->HitTest(399, 299), HitRightEdge | HitBottomEdge);
  EXPECT_EQ(w->HitTest(100, 299), HitLeftEdge | HitBottomEdge);
  EXPECT_EQ(w->HitTest(50, 50), HitNone);
  w->SetEdges(kEdgeTop | kEdgeRight | kEdgeBottom);  // no left border any more
  EXPECT_EQ(w->ClientRect().x0, 100);
}

TEST_F(WindowCore, AddingATitleBarKeepsTheClientSizeAndMovesChildren) {
  auto* w = new Window(kWindowVisible | kWindowThickBorder);
  w->SetFrame(Rect(50, 50, 250, 150));
  auto* child = new Window(kWindowVisible, w);
  child->SetFrame(Rect(10, 10, 20, 20));
  Point size = w->ClientSize();
  w->AddFlags(kWindowTitleBar);
  EXPECT_EQ(w->ClientSize().x, size.x);
  EXPECT_EQ(w->ClientSize().y, size.y);
  EXPECT_EQ(child->Frame().y0, w->ClientRect().y0 + 10);
}

TEST_F(WindowCore, ZoomCollapseRestoreAndTitleDoubleClick) {
  auto* w = new Window(kDocument);
  w->SetFrame(Rect(100, 80, 300, 280));
  w->SetWindowState(kStateZoomed);
  EXPECT_EQ(w->Frame(), Rect(0, 0, 800, 600));
  w->SetWindowState(kStateCollapsed);  // a zoomed window is restored first
  EXPECT_EQ(w->State(), kStateCollapsed);
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(100, 80, 300, 80 + kCollapsedHeight));
  w->SetFrame(Rect(150, 90, 350, 120));  // moved while collapsed
  w->SetWindowState(kStateNormal);       // expands at the current position with the normal size
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(150, 90, 350, 290));
  // A title-bar double click zooms, a second restores.
  auto double_click = [&](int x, int y) {
    Press(x, y);
    now += 0.05;
    Release(x, y);
    now += 0.05;
    Press(x, y);
    Release(x, y);
    now += 1.0;
  };
  double_click(200, w->TitleBarRect().y0 + 5);
  EXPECT_EQ(w->State(), kStateZoomed);
  double_click(400, w->TitleBarRect().y0 + 5);
  EXPECT_EQ(w->State(), kStateNormal);
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(150, 90, 350, 290));
}

class Redirector : public Window {
 public:
  explicit Redirector(Window* to) : Window(kWindowVisible | kWindowFocusable), to(to) {}
  Window* FocusGained(Window*, int) override { return to; }
  Window* to;
};

class FocusProbe : public Window {
 public:
  FocusProbe() : Window(kWindowVisible | kWindowFocusable) {}
  void FocusLost(Window*, int reason) override { lost_reason = reason; }
  Window* FocusGained(Window*, int reason) override {
    gained_reason = reason;
    return nullptr;
  }
  int lost_reason = -1, gained_reason = -1;
};

TEST_F(WindowCore, FocusGainedCanPassTheFocusOnWithTheSameReason) {
  auto* first = new FocusProbe();
  auto* target = new FocusProbe();
  auto* redirector = new Redirector(target);
  first->SetFocus(0);
  EXPECT_EQ(Ui().focus, first);
  EXPECT_EQ(redirector->SetFocus(7), 1);
  EXPECT_EQ(Ui().focus, target);
  EXPECT_EQ(first->lost_reason, 7);
  EXPECT_EQ(target->gained_reason, 7);
  // The focus-lost signal carries the reason too.
  struct Listener : has_slots<void> {
    void Lost(int r) { reason = r; }
    int reason = -1;
  } listener;
  Connect(target->focus_lost_signal, &listener, &Listener::Lost);
  first->SetFocus(3);
  EXPECT_EQ(listener.reason, 3);
}

TEST_F(WindowCore, FocusChainThroughNonFocusableParents) {
  auto* top = new Window(kWindowVisible);
  auto* field = new FocusProbe();
  field->SetParent(top);
  auto* other = new FocusProbe();
  other->SetFocus(0);
  top->SetFocus(0);  // not focusable: follows its focus child
  EXPECT_EQ(Ui().focus, field);
  EXPECT_TRUE(field->HasFocus());
  top->SetDefaultChild(field);
  EXPECT_TRUE(top->HasFocus());
  // Hiding the focus window passes the focus to its next visible sibling.
  auto* sibling = new FocusProbe();
  sibling->SetParent(top);
  field->BringToFront();
  field->SetFocus(0);
  field->SetVisible(false);
  EXPECT_EQ(Ui().focus, sibling);
}

class SelfCloser : public Window {
 public:
  explicit SelfCloser(bool* deleted)
      : Window(kWindowVisible | kWindowFocusable), deleted(deleted) {}
  ~SelfCloser() override { *deleted = true; }
  void ClientMouseButton(Event* e) override {
    if (!e->words[5]) return;
    Close();
    alive_after_close = !*deleted;
    Close();  // twice: the second does nothing
  }
  void WillClose() override { ++will_close; }
  bool* deleted;
  bool alive_after_close = false;
  int will_close = 0;
};

TEST_F(WindowCore, ClosingFromInsideAHandlerDeletesAfterIt) {
  bool deleted = false;
  auto* w = new SelfCloser(&deleted);
  w->SetFrame(Rect(10, 10, 110, 110));
  QueueMousePosition(50, 50);
  QueueMouseButton(0, 1);
  Frame();
  EXPECT_TRUE(deleted);
  EXPECT_EQ(Ui().focus == w, false);
  EXPECT_EQ(Ui().hover, Ui().layer0);  // the hover moved on after the deletion
}

TEST_F(WindowCore, DeletedWindowReleasesFocusHoverAndItsQueuedChildren) {
  bool child_deleted = false;
  auto* parent = new Window(kWindowVisible);
  parent->SetFrame(Rect(0, 0, 200, 200));
  auto* child = new SelfCloser(&child_deleted);
  child->SetParent(parent);
  child->SetFrame(Rect(0, 0, 50, 50));
  child->SetFocus(0);
  Move(10, 10);
  EXPECT_EQ(Ui().hover, child);
  parent->Close();
  child->Close();
  ProcessDeferredDeletions();  // the parent's deletion takes the queued child with it
  EXPECT_TRUE(child_deleted);
  EXPECT_NE(Ui().focus, child);
  EXPECT_EQ(Ui().hover, Ui().layer0);
  EXPECT_TRUE(Ui().deferred_deletions.empty());
}

TEST_F(WindowCore, ClosedListenerIsNeverCalledAgain) {
  struct Listener : Window {
    Listener() : Window(kWindowVisible) {}
    void Clicked() { ++calls; }
    int calls = 0;
  };
  Signal<> clicked;
  auto* listener = new Listener();
  Connect(clicked, listener, &Listener::Clicked);
  clicked.Emit();
  EXPECT_EQ(listener->calls, 1);
  listener->Close();  // disconnects at once, deleted later
  clicked.Emit();
  EXPECT_EQ(listener->calls, 1);
  ProcessDeferredDeletions();
  clicked.Emit();
  EXPECT_EQ(clicked.SlotCount(), 0u);
}

TEST_F(WindowCore, CascadePositions) {
  HandleScreenResize(1280, 1024);
  EXPECT_EQ(NextCascadePosition().x, 64);
  Point p = NextCascadePosition();
  EXPECT_EQ(p.x, 112);
  EXPECT_EQ(p.y, 112);
  for (int i = 0; i < 10; ++i) p = NextCascadePosition();
  EXPECT_LE(p.y - 64 + 560, 1024);  // restarted before passing the screen
  HandleScreenResize(800, 600);
  Ui().cascade = Point{};
  EXPECT_EQ(NextCascadePosition().x, 64);
  EXPECT_EQ(NextCascadePosition().x, 64);  // 48 + 560 passes 600: back to the start
}

TEST_F(WindowCore, PlacementThroughThePreferences) {
  HandleScreenResize(1024, 768);
  Prefs prefs;
  auto* w = new Window(kDocument);
  prefs.SetString("TestPlacement", "0 900 700 1300 1000");
  ASSERT_TRUE(prefs.GetWindowPlacement(w, "TestPlacement", true));
  EXPECT_EQ(w->ParentRelativeFrame(), Rect(624, 468, 1024, 768));
  prefs.SetString("Zoomed", "2 10 20 310 220");
  ASSERT_TRUE(prefs.GetWindowPlacement(w, "Zoomed", false));
  EXPECT_EQ(w->State(), kStateZoomed);
  prefs.SetWindowPlacement(*w, "Stored");
  std::string text;
  prefs.GetString("Stored", &text);
  EXPECT_EQ(text, "2 10 20 310 220");
  prefs.SetString("Broken", "1 2 3");
  EXPECT_FALSE(prefs.GetWindowPlacement(w, "Broken", false));
}

TEST_F(WindowCore, InvalidationMergesDirtyRectangles) {
  UiState& ui = Ui();
  auto* w = new Window(kWindowVisible);
  w->SetFrame(Rect(0, 0, 400, 400));
  Frame();
  ASSERT_EQ(ui.dirty_count, 0);
  Invalidate(w, Rect(10, 10, 50, 50), false);
  Invalidate(w, Rect(100, 100, 150, 150), false);
  Invalidate(w, Rect(20, 20, 30, 30), false);  // inside an existing one: nothing changes
  EXPECT_EQ(ui.dirty_count, 2);
  Invalidate(w, Rect(0, 0, 200, 200), false);  // contains both: replaces them
  EXPECT_EQ(ui.dirty_count, 1);
  EXPECT_EQ(ui.dirty[0], Rect(0, 0, 200, 200));
  Invalidate(w, Rect(-50, 500, 0, 700), false);  // off screen: dropped
  EXPECT_EQ(ui.dirty_count, 1);
  for (int i = 0; i < 31; ++i) Invalidate(w, Rect(300 + i, 300, 301 + i, 301), false);
  EXPECT_EQ(ui.dirty_count, 32);
  EXPECT_FALSE(ui.redraw_flags & kRedrawFull);
  Invalidate(w, Rect(390, 390, 395, 395), false);  // the 33rd: a full redraw
  EXPECT_TRUE(ui.redraw_flags & kRedrawFull);
  Frame();
  auto* hidden = new Window(0);
  hidden->SetFrame(Rect(0, 0, 10, 10));
  Frame();  // joining the layer invalidated the window it passed
  Invalidate(hidden, Rect(0, 0, 10, 10), false);
  EXPECT_EQ(ui.dirty_count, 0);
  Invalidate(hidden, Rect(0, 0, 10, 10), true);
  EXPECT_EQ(ui.dirty_count, 1);
}

TEST_F(WindowCore, IdleFramesDrawNothing) {
  auto* w = new Window(kDocument);
  w->SetFrame(Rect(10, 10, 200, 200));
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(Frame(), 0);
  w->SetTitle("changed");
  EXPECT_EQ(Frame(), 1);
}

TEST_F(WindowCore, ResizeKeepsZoomedFillingAndCentredCentred) {
  auto* zoomed = new Window(kDocument);
  zoomed->SetFrame(Rect(10, 10, 200, 200));
  zoomed->SetWindowState(kStateZoomed);
  auto* centred = new Window(kWindowVisible | kWindowCentred);
  centred->SetFrame(Rect(0, 0, 100, 50));
  centred->CentreInParent();
  auto* front = new Window(kWindowVisible);
  front->SetFrame(Rect(0, 0, 10, 10));
  HandleScreenResize(1000, 700);
  EXPECT_EQ(zoomed->Frame(), Rect(0, 0, 1000, 700));
  EXPECT_EQ(centred->Frame(), Rect(450, 325, 550, 375));
  EXPECT_EQ(Ui().layer0->FirstChild(), front);
  EXPECT_TRUE(Ui().redraw_flags & kRedrawFull);
}

TEST_F(WindowCore, MenuBarMovesLayerZeroDown) {
  auto* bar = new Window(kWindowVisible | kWindowOverlay);
  bar->SetFrame(Rect(0, 0, 800, 22));
  SetMenuBar(bar);
  EXPECT_EQ(Ui().layer0->Frame(), Rect(0, 22, 800, 600));
  auto* w = new Window(kDocument);
  w->SetWindowState(kStateZoomed);
  EXPECT_EQ(w->Frame(), Rect(0, 22, 800, 600));
}

}  // namespace
}  // namespace brae
