// Input and dispatch driven through the event queue, without GL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiFixture.h"
#include "platform/Platform.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

using Input = test::UiFixture;

// Records what reaches it.
class Recorder : public Window {
 public:
  explicit Recorder(std::vector<std::string>* log, const char* name,
                    uint32_t flags = kWindowVisible | kWindowFocusable, Window* parent = nullptr)
      : Window(flags, parent), log(log), name(name) {}
  int KeyDown(Event* e) override {
    if (e->words[1]) log->push_back(name + " key " + std::to_string(e->words[0]));
    return handles_keys;
  }
  void CharTyped(Event* e) override {
    log->push_back(name + " char " + std::to_string(e->words[0]));
  }
  void ClientMouseButton(Event* e) override {
    log->push_back(name + (e->words[5] ? " press " : " release ") + std::to_string(e->words[4]));
  }
  void ClientDoubleClick(Event*) override { log->push_back(name + " double"); }
  void ClientWheel(Event* e) override {
    log->push_back(name + " wheel " + std::to_string(e->words[4]) + ">" +
                   std::to_string(e->words[5]));
  }
  int DragDrop(int, int, int hovering, DragDropData*) override {
    log->push_back(name + (hovering ? " drag over" : " dropped"));
    return accepts;
  }
  std::vector<std::string>* log;
  std::string name;
  int handles_keys = 0;
  int accepts = 0;
};

struct CountedData : Window::DragDropData {
  CountedData(Window* source, int* deleted) : DragDropData(77, source), deleted(deleted) {}
  ~CountedData() override { ++*deleted; }
  int* deleted;
};

TEST_F(Input, DoubleClickTiming) {
  std::vector<std::string> log;
  auto* w = new Recorder(&log, "w");
  w->SetFrame(Rect(0, 0, 200, 200));
  Press(50, 50);
  now += 0.05;
  Release(50, 50);
  now += 0.15;  // 0.15 s after the release
  Press(50, 50);
  Release(50, 50);
  now += 0.1;  // a third quick click, within 0.3 s of the double click: an ordinary press
  Press(50, 50);
  Release(50, 50);
  EXPECT_EQ(log, (std::vector<std::string>{"w press 0", "w release 0", "w double", "w release 0",
                                           "w press 0", "w release 0"}));
  log.clear();
  now += 1;
  Press(50, 50);
  Release(50, 50);
  now += 0.05;
  Press(51, 50);  // moved by one pixel: no double click
  EXPECT_EQ(log, (std::vector<std::string>{"w press 0", "w release 0", "w press 0"}));
  Release(51, 50);
  now += 0.05;
  Press(51, 50, 1);  // another button: no double click either
  EXPECT_EQ(log.back(), "w press 1");
  Release(51, 50, 1);
}

TEST_F(Input, UnhandledKeyClimbsEveryAncestorThenStops) {
  std::vector<std::string> log;
  auto* top = new Recorder(&log, "top", kWindowVisible);
  auto* middle = new Recorder(&log, "middle", kWindowVisible, top);
  auto* leaf = new Recorder(&log, "leaf", kWindowVisible | kWindowFocusable, middle);
  leaf->SetFocus(0);
  Tap('Q');
  EXPECT_EQ(log, (std::vector<std::string>{"leaf key 81", "middle key 81", "top key 81"}));
  log.clear();
  middle->handles_keys = 1;
  Tap('Q');
  EXPECT_EQ(log, (std::vector<std::string>{"leaf key 81", "middle key 81"}));
}

TEST_F(Input, GlobalKeysComeBeforeAnyWindow) {
  std::vector<std::string> log;
  auto* a = new Recorder(&log, "a");
  a->SetFrame(Rect(0, 0, 100, 100));
  auto* b = new Recorder(&log, "b");
  b->SetFrame(Rect(50, 50, 150, 150));
  b->SetFocus(0);
  Key(kKeyControl);
  Tap(kKeyF1);
  Key(kKeyControl, false);
  EXPECT_TRUE(Ui().debug_overlay);
  Tap(kKeyF11);  // the next visible sibling becomes active, the current one goes to the back
  EXPECT_EQ(Ui().focus, a);
  EXPECT_EQ(Ui().layer0->FirstChild(), a);
  Tap(kKeyF10);
  EXPECT_TRUE(IsOverviewRunning());
  Tap(kKeyF10);
  now += 1;
  Frame();
  EXPECT_FALSE(IsOverviewRunning());
  EXPECT_EQ(log, std::vector<std::string>{"b key 120"});  // only the Control key itself
  Ui().debug_overlay = false;
}

TEST_F(Input, ModifiersRepeatAndTheAltLayerOnCharacters) {
  std::vector<std::string> log;
  auto* w = new Recorder(&log, "w");
  w->SetFocus(0);
  struct Probe : Window {
    Probe() : Window(kWindowVisible | kWindowFocusable) {}
    int KeyDown(Event* e) override {
      mods.push_back(e->words[2]);
      return 1;
    }
    void CharTyped(Event* e) override { chars.push_back(e->words[0]); }
    std::vector<int> mods, chars;
  };
  auto* p = new Probe();
  p->SetFocus(0);
  QueueKeyEvent(kKeyLeftShift, 1);
  QueueKeyEvent('A', 1);
  QueueKeyEvent('A', 1);  // held: auto-repeat
  QueueKeyEvent('A', 0);
  QueueKeyEvent(kKeyRightShift, 0);
  Frame();
  ASSERT_EQ(p->mods.size(), 5u);
  EXPECT_EQ(p->mods[1], kModShift);
  EXPECT_EQ(p->mods[2], kModShift | kModRepeat);
  EXPECT_FALSE(IsKeyDown(kKeyShift));
  QueueKeyEvent(kKeyLeftAlt, 1);
  QueueCharEvent('e');
  QueueKeyEvent(kKeyLeftAlt, 0);
  QueueCharEvent('e');
  QueueCharEvent(0x00E9);  // typed as é: above 0x7E, becomes 0
  QueueCharEvent(0x4E00);  // unmappable: 255, then 0
  QueueCharEvent(0x1B);    // control characters are not queued
  Frame();
  EXPECT_EQ(p->chars, (std::vector<int>{0xAB, 'e', 0, 0}));
  QueueKeyEvent(kKeyLeftControl, 1);
  QueueKeyEvent('Z', 1);
  Frame();
  EXPECT_EQ(p->mods.back(), kModControl | kModCommand);
  QueueKeyEvent('Z', 0);
  QueueKeyEvent(kKeyLeftControl, 0);
  QueueKeyEvent(kKeyPadEnter, 1);
  QueueKeyEvent(kKeyPadEnter, 0);
  QueueKeyEvent(200, 1);  // beyond the key codes: dropped
  Frame();
  EXPECT_FALSE(IsKeyDown(kKeyEnter));
}

TEST_F(Input, RingHoldsThirtyTwoEvents) {
  UiState& ui = Ui();
  int dropped = ui.dropped_events;
  for (int i = 0; i < 40; ++i) QueueKeyEvent('A', i % 2 == 0);
  EXPECT_EQ(ui.ring_count, 32);
  EXPECT_EQ(ui.dropped_events, dropped + 8);
  Frame();
  EXPECT_EQ(ui.ring_count, 0);
  // Nothing is queued while the toolkit is not running.
  ui.running = false;
  QueueKeyEvent('A', 1);
  QueueMouseButton(0, 1);
  QueueCloseRequest();
  EXPECT_EQ(ui.ring_count, 0);
  ui.running = true;
}

TEST_F(Input, WheelCarriesPreviousAndNewPositions) {
  std::vector<std::string> log;
  auto* w = new Recorder(&log, "w");
  w->SetFrame(Rect(0, 0, 100, 100));
  Move(10, 10);
  QueueWheel(0, 1);
  QueueWheel(0, 2);
  QueueWheel(0.4, 0);  // less than a step: nothing yet
  Frame();
  EXPECT_EQ(log, (std::vector<std::string>{"w wheel 0>1", "w wheel 1>3"}));
}

TEST_F(Input, DraggingTheTitleBarMovesAndEdgesResize) {
  auto* w = new Window(kWindowVisible | kWindowTitleBar | kWindowThickBorder | kWindowResizable);
  w->SetFrame(Rect(100, 100, 300, 250));
  Press(150, 110);
  EXPECT_TRUE(IsMouseTracking());
  Move(180, 150);
  Release(180, 150);
  EXPECT_FALSE(IsMouseTracking());
  EXPECT_EQ(w->Frame(), Rect(130, 140, 330, 290));
  // The top may not leave the screen: the mouse stops at the grab offset.
  Press(150, 150);
  Move(150, 0);
  Release(150, 0);
  EXPECT_EQ(w->Frame().y0, 0);
  // The right edge drags the right side only.
  int right = w->Frame().x1;
  Press(right - 1, 100);
  Move(right + 49, 100);
  Release(right + 49, 100);
  EXPECT_EQ(w->Frame().Width(), 250);
}

TEST_F(Input, TitleBoxesAndTheCloseShortcut) {
  bool deleted = false;
  struct Tracked : Window {
    explicit Tracked(bool* d)
        : Window(kWindowVisible | kWindowTitleBar | kWindowThickBorder | kWindowCloseBox |
                 kWindowCollapseBox | kWindowFocusable),
          d(d) {}
    ~Tracked() override { *d = true; }
    bool* d;
  };
  auto* w = new Tracked(&deleted);
  w->SetFrame(Rect(100, 100, 300, 250));
  Rect collapse = w->TitleBoxRect(HitCollapseBox);
  Press(collapse.x0 + 3, collapse.y0 + 3);
  EXPECT_EQ(w->highlighted_box, HitCollapseBox);
  Release(collapse.x0 + 3, collapse.y0 + 3);
  EXPECT_EQ(w->State(), kStateCollapsed);
  now += 1;
  Rect close = w->TitleBoxRect(HitCloseBox);
  Press(close.x0 + 3, close.y0 + 3);
  Release(close.x0 - 30, close.y0 + 3);  // released elsewhere: nothing
  EXPECT_FALSE(deleted);
  w->SetFocus(0);
  Key(kKeyControl);
  Tap('W');
  Key(kKeyControl, false);
  EXPECT_TRUE(deleted);
}

TEST_F(Input, TabRingMovesTheFocus) {
  std::vector<std::string> log;
  auto* a = new Recorder(&log, "a");
  auto* b = new Recorder(&log, "b");
  auto* c = new Recorder(&log, "c");
  c->SetVisible(false);
  Window* ring[3] = {a, b, c};
  a->SetTabOrder(ring, 3);
  a->SetFocus(0);
  Tap(kKeyTab);
  EXPECT_EQ(Ui().focus, b);
  Tap(kKeyTab);  // c is hidden: skipped
  EXPECT_EQ(Ui().focus, a);
  Key(kKeyShift);
  Tap(kKeyTab);
  Key(kKeyShift, false);
  EXPECT_EQ(Ui().focus, b);
  for (const std::string& line : log) EXPECT_EQ(line.find("key 113"), std::string::npos) << line;
}

TEST_F(Input, DragAndDropRefusedAndAccepted) {
  std::vector<std::string> log;
  auto* source = new Recorder(&log, "source");
  source->SetFrame(Rect(0, 0, 100, 100));
  auto* target = new Recorder(&log, "target");
  target->SetFrame(Rect(200, 0, 300, 100));
  int deleted = 0;
  Move(10, 10);
  ASSERT_EQ(BeginMouseTracking(source, new CountedData(source, &deleted), nullptr), 1);
  EXPECT_EQ(BeginMouseTracking(source, new CountedData(source, &deleted), nullptr), 0);
  EXPECT_EQ(deleted, 1);  // a refused tracking does not leak its data
  Move(250, 50);
  EXPECT_EQ(platform::CurrentCursorShape(), 8);  // "not allowed"
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(log, (std::vector<std::string>{"target drag over"}));
  EXPECT_EQ(deleted, 2);
  log.clear();
  target->accepts = 1;
  Move(10, 10);
  BeginMouseTracking(source, new CountedData(source, &deleted), nullptr);
  Move(250, 50);
  EXPECT_EQ(platform::CurrentCursorShape(), 7);
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(log, (std::vector<std::string>{"target drag over", "target dropped"}));
  EXPECT_EQ(deleted, 3);
  EXPECT_FALSE(IsMouseTracking());
}

TEST_F(Input, HoverCursorShapes) {
  auto* w = new Window(kWindowVisible | kWindowTitleBar | kWindowThickBorder | kWindowResizable);
  w->SetFrame(Rect(100, 100, 300, 250));
  w->SetClientCursor(5);
  Move(100, 150);
  EXPECT_EQ(platform::CurrentCursorShape(), 1);
  Move(200, 249);
  EXPECT_EQ(platform::CurrentCursorShape(), 2);
  Move(100, 100);
  EXPECT_EQ(platform::CurrentCursorShape(), 3);
  Move(299, 100);
  EXPECT_EQ(platform::CurrentCursorShape(), 4);
  Move(200, 200);
  EXPECT_EQ(platform::CurrentCursorShape(), 5);
  EXPECT_TRUE(IsHovered(w));
  Move(500, 500);
  EXPECT_EQ(platform::CurrentCursorShape(), 0);
}

// A dialog that the frame function drives: each frame runs the next scripted step.
class Script {
 public:
  void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }
  void Install() {
    Ui().frame_function = [this] {
      if (next_ < steps_.size()) steps_[next_++]();
      ++frames_;
      if (frames_ > 500) EndModal(-99);  // a stuck loop ends the test instead of hanging it
      return UiFrame();
    };
  }
  size_t next_ = 0;
  int frames_ = 0;

 private:
  std::vector<std::function<void()>> steps_;
};

TEST_F(Input, ModalLoopRoutesEventsAndBeepsOutside) {
  std::vector<std::string> log;
  auto* outside = new Recorder(&log, "outside");
  outside->SetFrame(Rect(0, 0, 100, 100));
  auto* dialog = new Recorder(&log, "dialog");
  dialog->SetFrame(Rect(300, 300, 400, 400));
  int beeps = platform::BeepCount();
  Script script;
  script.Add([] {
    QueueMousePosition(50, 50);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
  });
  script.Add([] { QueueCharEvent('x'); });
  script.Add([] {
    QueueMousePosition(350, 350);
    QueueMouseButton(0, 1);
  });
  script.Add([] { EndModal(42); });
  script.Install();
  int ended = -1;
  int result = RunModal(dialog, 0, &ended);
  EXPECT_EQ(result, 42);
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(log, (std::vector<std::string>{"dialog char 120", "dialog press 0"}));
  EXPECT_TRUE(Ui().modal_stack.empty());
  EXPECT_TRUE(Ui().handlers.empty());
}

TEST_F(Input, ModalFlagsSendOutsideEventsToTheWindow) {
  std::vector<std::string> log;
  auto* other = new Recorder(&log, "other");
  other->SetFrame(Rect(0, 0, 100, 100));
  auto* modal = new Recorder(&log, "modal");
  modal->SetFrame(Rect(300, 300, 400, 400));
  other->SetFocus(0);
  Script script;
  script.Add([&] { other->SetFocus(0); });  // the focus outside the modal window
  script.Add([] {
    QueueKeyEvent('K', 1);
    QueueMousePosition(50, 50);
    QueueMouseButton(0, 1);
  });
  script.Add([] { EndModal(1); });
  script.Install();
  RunModal(modal, kModalKeysToWindow | kModalMouseToWindow);
  EXPECT_EQ(log, (std::vector<std::string>{"modal key 75", "modal press 0"}));
}

TEST_F(Input, QuitUnwindsModalLoopsThenAsks) {
  auto* outer = new Window(kWindowVisible);
  auto* inner = new Window(kWindowVisible);
  int asked = 0;
  Ui().quit_hook = [&] {
    ++asked;
    EXPECT_TRUE(Ui().modal_stack.empty());
    return 1;
  };
  int inner_ended = -1, outer_ended = -1;
  Script script;
  script.Add([&] { RunModal(inner, kModalEndOnQuit, &inner_ended); });
  script.Add([] { QueueCloseRequest(); });  // runs inside the inner loop
  script.Install();
  RunModal(outer, kModalEndOnQuit, &outer_ended);
  EXPECT_EQ(inner_ended, 1);
  EXPECT_EQ(outer_ended, 1);
  EXPECT_EQ(asked, 0);  // the close request is still queued for the main loop
  Frame();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(Ui().running);
  Ui().running = true;
}

TEST_F(Input, CloseRequestDuringTrackingOrModalBeeps) {
  int asked = 0;
  Ui().quit_hook = [&] {
    ++asked;
    return 0;
  };
  auto* w = new Window(kWindowVisible);
  int beeps = platform::BeepCount();
  BeginMouseTracking(w, nullptr, [](Window*, int, int, int, int, int) {});
  QueueCloseRequest();
  Frame();
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(asked, 0);
  QueueMouseButton(0, 0);
  Frame();
  QueueCloseRequest();
  Frame();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Ui().running);  // the hook refused
  // Alt+F4 is the same request.
  Key(kKeyAlt);
  Tap(kKeyF4);
  Key(kKeyAlt, false);
  Frame();
  EXPECT_EQ(asked, 2);
}

TEST_F(Input, ClosingTheModalWindowEndsItsLoop) {
  auto* dialog = new Window(kWindowVisible | kWindowTitleBar | kWindowCloseBox);
  Script script;
  script.Add([&] {
    if (dialog->RequestClose(1)) dialog->Close();
  });
  script.Install();
  int ended = -1;
  EXPECT_EQ(RunModal(dialog, 0, &ended), 0);
  EXPECT_EQ(ended, 0);
}

TEST_F(Input, DeletingTheModalWindowEndsItsLoop) {
  auto* dialog = new Window(kWindowVisible);
  Script script;
  script.Add([&] { dialog->Close(); });  // no RequestClose: only the deletion tells the loop
  script.Install();
  int ended = -1;
  EXPECT_EQ(RunModal(dialog, kModalDim, &ended), 0);
  EXPECT_EQ(ended, 0);
  EXPECT_LT(script.frames_, 10);
  EXPECT_TRUE(Ui().modal_stack.empty());
  EXPECT_TRUE(Ui().handlers.empty());
}

TEST_F(Input, MouseLockReportsMovementAndRestoresThePosition) {
  struct Mover : Window {
    Mover() : Window(kWindowVisible) {}
    void ClientMouseMove(Event* e) override { moves.push_back({e->words[0], e->words[1]}); }
    std::vector<std::pair<int, int>> moves;
  };
  auto* w = new Mover();
  w->SetFrame(Rect(0, 0, 800, 600));
  Move(100, 120);
  w->moves.clear();
  SetMouseLock(true);
  QueueMousePosition(405, 297);  // 5 right and 3 up from the centre
  Frame();
  ASSERT_EQ(w->moves.size(), 1u);
  EXPECT_EQ(w->moves[0], std::make_pair(5, -3));
  SetMouseLock(false);
  Frame();
  EXPECT_EQ(MousePosition().x, 100);
  EXPECT_EQ(MousePosition().y, 120);
}

}  // namespace
}  // namespace brae
