// The loop waits for input between frames: what makes the toolkit ask for a frame without
// input, and that driving it only at the asked times loses nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "UiFixture.h"
#include "toolkit/ScrollableWindow.h"

namespace brae {
namespace {

constexpr double kLongest = 1.0;

class FrameScheduling : public test::UiFixture {
 protected:
  // Runs the loop as the program does: each frame at the time the toolkit asked for (a frame
  // takes 1/60 s), until the clock passes `until`. Returns the frames run.
  int RunIdleUntil(double until) {
    int frames = 0;
    while (true) {
      double wait = std::max(TimeUntilNextFrame(kLongest), 1.0 / 60);
      if (now + wait > until) break;
      now += wait;
      Frame();
      ++frames;
      if (frames > 10000) break;  // a loop that never waits
    }
    now = until;
    return frames;
  }
};

TEST_F(FrameScheduling, NothingToDoWaitsTheLongestAndPendingWorkNotAtAll) {
  Frame();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);

  QueueKeyEvent('A', 1);
  EXPECT_EQ(TimeUntilNextFrame(kLongest), 0);
  Frame();
  QueueKeyEvent('A', 0);
  Frame();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);

  auto* w = new Window(kWindowVisible);
  w->SetFrame(Rect(10, 10, 100, 100));
  Frame();
  w->Invalidate();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), 0);  // a pending redraw
  Frame();
  w->Close();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), 0);  // a deferred deletion
  Frame();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);
}

TEST_F(FrameScheduling, RequestsAreServedOnceAndTheEarliestWins) {
  Frame();
  RequestFrameAt(now + 0.3);
  RequestFrameAt(now + 0.7);
  EXPECT_NEAR(TimeUntilNextFrame(kLongest), 0.3, 1e-9);
  EXPECT_DOUBLE_EQ(TimeUntilNextFrame(0.1), 0.1);  // never longer than allowed
  now += 0.3;
  EXPECT_EQ(TimeUntilNextFrame(kLongest), 0);
  Frame();
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);
  RequestFrameAt(now + 0.5);
  Frame();  // an early frame (input) keeps a request that is not yet due
  EXPECT_NEAR(TimeUntilNextFrame(kLongest), 0.5, 1e-9);
}

TEST_F(FrameScheduling, AHeldScrollArrowRepeatsWithoutInput) {
  auto* w = new ScrollableWindow(kWindowVisible);
  w->SetFrame(Rect(100, 100, 300, 400));
  w->SetScroll(7, 100000, 0, 10);
  Rect bar = w->VBarRect();
  Press(bar.x0 + 4, bar.y1 - 4);  // the down arrow
  ASSERT_EQ(w->PressedPart(), kScrollDownArrow);
  RunIdleUntil(now + 1.0);
  EXPECT_NEAR(w->VPos(), 30, 1);  // thirty steps a second, as when every frame runs
  Release(bar.x0 + 4, bar.y1 - 4);
  RunIdleUntil(now + 0.1);  // at most the one repeat that was already asked for
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);
}

TEST_F(FrameScheduling, TheOverviewAnimatesToItsEndThenRests) {
  auto* w = new Window(kWindowVisible | kWindowTitleBar);
  w->SetFrame(Rect(50, 50, 300, 200));
  Frame();
  ToggleOverview();
  ASSERT_TRUE(IsOverviewRunning());
  int frames = RunIdleUntil(now + 1.0);
  EXPECT_GE(frames, 5);                               // the animation is drawn
  EXPECT_EQ(TimeUntilNextFrame(kLongest), kLongest);  // and then it rests
}

}  // namespace
}  // namespace brae
