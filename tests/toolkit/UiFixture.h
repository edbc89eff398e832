#pragma once
// A toolkit without GL for logic tests: the window tree at 800 x 600, input accepted, a clock
// the test sets, and helpers that queue the events the platform callbacks would queue.

#include <gtest/gtest.h>

#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/UiState.h"

namespace brae::test {

class UiFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    UiState& ui = Ui();
    ui.clock = [this] { return now; };
    ui.partial_redraw = true;
    InitUi(false);
    HandleScreenResize(800, 600);
    ui.running = true;
    ui.frame_function = [] { return UiFrame(); };
    Frame();
  }
  void TearDown() override {
    ShutdownUi();
    UiState& ui = Ui();
    ui.clock = nullptr;
    ui.frame_function = nullptr;
    ui.quit_hook = nullptr;
    ui.keys.reset();
    ui.modifiers = 0;
    ui.last_button_time = ui.last_double_click_time = -1e9;
    ui.last_button = -1;
  }

  int Frame() { return UiFrame(); }
  void Key(int code, bool pressed = true) {
    QueueKeyEvent(code, pressed);
    Frame();
  }
  void Tap(int code) {
    QueueKeyEvent(code, 1);
    QueueKeyEvent(code, 0);
    Frame();
  }
  void Move(int x, int y) {
    QueueMousePosition(x, y);
    Frame();
  }
  void Press(int x, int y, int button = 0) {
    QueueMousePosition(x, y);
    QueueMouseButton(button, 1);
    Frame();
  }
  void Release(int x, int y, int button = 0) {
    QueueMousePosition(x, y);
    QueueMouseButton(button, 0);
    Frame();
  }
  void Click(int x, int y, int button = 0) {
    Press(x, y, button);
    now += 0.05;
    Release(x, y, button);
    now += 0.5;  // far from the next click: no double click by accident
  }

  double now = 100.0;
};

}  // namespace brae::test
