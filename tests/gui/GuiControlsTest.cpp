// The controls in a real window: what they draw, and a screenshot of each for review.
#include "GuiHarness.h"
#include "platform/Clipboard.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ColorButton.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/ComboBox.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextClipboard.h"
#include "toolkit/TextPopup.h"

namespace brae {
namespace {

using test::Pixel;

class GuiControls : public test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (!platform::MainWindow()) return;
    platform::SetClipboardInProcess(true);
    panel = new Window(kWindowVisible | kWindowTitleBar | kWindowThickBorder |
                       kWindowGreyBackground | kWindowFocusable | kWindowShadow);
    panel->SetTitle("Controls");
    panel->SetFrame(Rect(20, 20, 620, 460));
    Frame();
  }
  void TearDown() override {
    platform::SetClipboardInProcess(false);
    GuiTest::TearDown();
  }
  Point Centre(Window* w) {
    Rect r = w->Frame();
    return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
  }
  // Puts a control at a position in the panel's client area.
  template <class T>
  T* Place(T* w, int x, int y, int width, int height) {
    w->SetFrame(Rect(x, y, x + width, y + height));
    return w;
  }

  Window* panel = nullptr;

  // A focused single-line box in which one character was typed at the given time.
  TextBox* TypedLine(double at) {
    auto* line = Place(new TextBox(kTextSingleLine, panel), 20, 20, 200, 22);
    line->SetFocus(0);
    now = at;
    QueueCharEvent('i');
    Frame();
    return line;
  }
  // How many pixels of the amber caret are lit on the line's text row.
  int CaretPixels(TextBox* line) {
    Rect r = line->ClientRect();
    int lit = 0;
    for (int x = r.x0; x < r.x0 + 30; ++x) {
      Pixel p = At(x, r.y0 + 11);
      if (p.r > 180 && p.g > 150 && p.b < 130) ++lit;
    }
    return lit;
  }
  // Runs frames only when the toolkit asks for one, as the program's loop does, up to a time.
  int RunUntil(double until) {
    int frames = 0;
    for (double wait; now + (wait = TimeUntilNextFrame(1.0)) <= until && frames < 1000; ++frames) {
      now += wait;
      Frame();
    }
    now = until;
    return frames;
  }
};

struct Hits : public has_slots<void> {
  std::vector<int> values;
  void Value(int v) { values.push_back(v); }
};

TEST_F(GuiControls, ButtonsAndCheckBoxesByMouseAndKeyboard) {
  auto* ok = new Button(panel, 1);
  ok->SetTitle("Push Me");
  ok->SizeToFit();
  Place(ok, 20, 20, ok->Frame().Width(), ok->Frame().Height());
  int label = TextWidth(ok, "Push Me");
  EXPECT_EQ(ok->Frame().Width() % 16, 0);
  EXPECT_GE(ok->Frame().Width(), label + 28 - 15);
  auto* off = new Button(panel, 2);
  off->SetTitle("Disabled");
  Place(off, 20, 60, 96, ok->Frame().Height());
  off->SetEnabled(false);
  auto* check = new CheckBox(panel, 3);
  check->SetTitle("Remember this choice");
  check->SizeToFit();
  Place(check, 20, 100, check->Frame().Width(), check->Frame().Height());
  Hits hits;
  ok->clicked_with_value.Connect(&hits, &Hits::Value);
  check->clicked_with_value.Connect(&hits, &Hits::Value);
  Frame();
  Point c = Centre(ok);
  Pixel face = At(ok->Frame().x0 + 4, c.y);
  // Pressed look while held.
  QueueMousePosition(c.x, c.y);
  QueueMouseButton(0, 1);
  Frame();
  Pixel pressed = At(ok->Frame().x0 + 4, c.y);
  EXPECT_NE(face.Brightness(), pressed.Brightness());
  test::SaveScreenshot("button-pressed");
  QueueMouseButton(0, 0);
  Frame();
  now += 1;
  Click(Centre(check).x - check->Frame().Width() / 2 + 5, Centre(check).y);
  EXPECT_TRUE(check->GetCheckState());
  check->SetFocus(0);
  Frame();
  test::SaveScreenshot("button-and-checkbox");
  Tap(kKeySpace);  // the focused check box toggles by keyboard
  EXPECT_FALSE(check->GetCheckState());
  EXPECT_EQ(hits.values, (std::vector<int>{1, 3, 3}));
}

// A large edit box keeps a thin frame: its field colour reaches to a few pixels from the edge
// (a stretched frame picture grew a wide grey band with the box).
TEST_F(GuiControls, LargeTextBoxKeepsAThinFrame) {
  auto* box = Place(new TextBox(kTextMultiLineEdit, panel), 10, 10, 560, 380);
  Frame();
  Rect r = box->ClientRect();
  Pixel centre = At((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
  for (Point p : {Point{r.x0 + 4, r.y1 - 4}, Point{r.x1 - 4, r.y0 + 4}, Point{r.x1 - 4, r.y1 - 4},
                  Point{(r.x0 + r.x1) / 2, r.y1 - 3}}) {
    Pixel near_edge = At(p.x, p.y);
    EXPECT_EQ(near_edge.r, centre.r) << p.x << "," << p.y;
    EXPECT_EQ(near_edge.g, centre.g) << p.x << "," << p.y;
    EXPECT_EQ(near_edge.b, centre.b) << p.x << "," << p.y;
  }
  EXPECT_LT(centre.r, 60);  // the dark field, not the frame's grey
}

TEST_F(GuiControls, TextBoxesTypeSelectByMouseAndScroll) {
  auto* line = new TextBox(kTextSingleLine, panel);
  Place(line, 20, 20, 200, 22);
  auto* number = new TextBox(kTextInteger, panel);
  Place(number, 20, 60, 100, 22);
  auto* real = new TextBox(kTextReal, panel);
  Place(real, 140, 60, 100, 22);
  real->SetFloat(3.25);
  auto* multi = new TextBox(kTextMultiLineEdit, panel);
  Place(multi, 20, 100, 260, 120);
  multi->SetText(
      "A multi-line box wraps its words at the edge of the box. Line feeds start new lines.\n"
      "Second paragraph.\nThird.\nFourth.\nFifth.\nSixth.\nSeventh.\nEighth.\nNinth.");
  auto* label = new TextBox(kTextStatic, panel);
  Place(label, 300, 20, 260, 80);
  label->SetText("A read-only message: kind 0 boxes draw no field and take no focus.");
  line->SetFocus(0);
  for (char ch : std::string("Hello, world")) QueueCharEvent(static_cast<uint8_t>(ch));
  Frame();
  EXPECT_EQ(line->Text(), "Hello, world");
  // Drag from the start of the text to the right, outside the box: the selection reaches the end.
  Rect r = line->ClientRect();
  QueueMousePosition(r.x0 + 3, r.y0 + 8);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(r.x0 + 40, r.y0 + 8);
  Frame();
  EXPECT_GT(line->SelectionEnd(), 0);
  QueueMousePosition(r.x1 + 50, r.y0 + 8);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(line->SelectedText(), "Hello, world");
  Pixel selected = At(r.x0 + 6, r.y0 + 10);
  EXPECT_GT(selected.b, selected.r);  // the selection colour is blue
  now += 1;
  number->SetFocus(0);
  QueueCharEvent('-');
  QueueCharEvent('4');
  QueueCharEvent('2');
  Frame();
  EXPECT_EQ(number->Text(), "-42");
  EXPECT_EQ(real->Text(), "3.25");
  Frame();
  test::SaveScreenshot("text-boxes");
  // A long single line scrolls to keep the caret visible.
  line->SetFocus(0);
  for (int i = 0; i < 40; ++i) QueueCharEvent('x');
  Frame();
  EXPECT_GT(line->ScrollX(), 0);
  // Multi-line: Control+End style movement by keys and the wheel.
  multi->SetFocus(0);
  for (int i = 0; i < 12; ++i) Tap(kKeyDown);
  EXPECT_GT(multi->ScrollY(), 0);
  Frame();
  test::SaveScreenshot("text-box-multiline-scrolled");
}

TEST_F(GuiControls, MultiLineDragAutoScrollsAtMostThirtyTimesASecond) {
  auto* multi = new TextBox(kTextMultiLineEdit, panel);
  Place(multi, 20, 20, 260, 60);
  std::string text;
  for (int i = 0; i < 30; ++i) text += "Line " + std::to_string(i) + "\n";
  multi->SetText(text.c_str());
  multi->SetSelection(0, 0);
  Frame();
  EXPECT_EQ(multi->ScrollY(), 0);
  Rect r = multi->ClientRect();
  QueueMousePosition(r.x0 + 5, r.y0 + 5);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(r.x0 + 5, r.y1 + 40);  // below the box
  Frame();
  int first = multi->ScrollY();
  EXPECT_GT(first, 0);
  Frame();  // same time: no further scrolling
  EXPECT_EQ(multi->ScrollY(), first);
  now += 0.05;
  Frame();  // idle keeps scrolling while the mouse stays outside
  EXPECT_GT(multi->ScrollY(), first);
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_GT(multi->SelectionEnd(), 10);
}

TEST_F(GuiControls, TextSetBeforeTheBoxHasItsSizeShowsFromTheStart) {
  auto* box = new TextBox(kTextSingleLine, panel);  // no size yet
  box->SetFocus(0);
  box->SetText("Welcome Text");
  Place(box, 20, 20, 200, 22);
  Frame();
  EXPECT_EQ(box->ScrollX(), 0);
  // A text longer than the box also starts in view; the view follows the caret once it moves.
  auto* narrow = new TextBox(kTextSingleLine, panel);
  narrow->SetText("A name much longer than this narrow box can show at once");
  Place(narrow, 20, 60, 80, 22);
  narrow->SetFocus(0);
  Frame();
  EXPECT_EQ(narrow->ScrollX(), 0);
  QueueCharEvent('!');
  Frame();
  EXPECT_GT(narrow->ScrollX(), 0);
  // Growing the box never leaves the text scrolled further than it needs.
  Place(narrow, 20, 60, 560, 22);
  Frame();
  EXPECT_EQ(narrow->ScrollX(), 0);
}

TEST_F(GuiControls, CaretBlinks) {
  TextBox* line = TypedLine(300.0);
  EXPECT_GT(CaretPixels(line), 0);
  now = 301.6;  // second half of a second, long after the change
  Frame();
  EXPECT_EQ(CaretPixels(line), 0);
  now = 302.1;
  Frame();
  EXPECT_GT(CaretPixels(line), 0);
}

// The program's loop waits for input and runs frames only when the toolkit asks for one: the
// caret must still blink on time, and nothing else may wake the loop.
TEST_F(GuiControls, CaretBlinksWhenFramesRunOnlyAtTheAskedTimes) {
  TextBox* line = TypedLine(400.2);
  EXPECT_LE(RunUntil(403.0), 12);  // a frame or two per change of the caret
  for (double t = 403.05; t < 405.0; t += 0.1) {
    RunUntil(t);
    EXPECT_EQ(CaretPixels(line) > 0, line->CaretVisibleAt(now)) << "at " << now;
  }
  panel->SetFocus(0);
  RunUntil(now + 0.1);
  EXPECT_EQ(TimeUntilNextFrame(1.0), 1.0);  // no caret: nothing to wake for
}

// Blinking wakes the program twice a second: a caret left alone for 10 s stops blinking and stays
// shown, and only its own rectangle is redrawn when it blinks.
TEST_F(GuiControls, CaretStopsBlinkingAfterTenSecondsWithoutInputAndRestartsOnAKey) {
  TextBox* line = TypedLine(500.2);
  Rect r = line->ClientRect();

  // Still blinking 9 s after the key; a blink dirties only the caret's 2-pixel rectangle.
  RunUntil(509.4);
  ASSERT_GT(CaretPixels(line), 0);
  now = 509.5;
  line->Idle();
  ASSERT_EQ(Ui().dirty_count, 1);
  Rect dirty = Ui().dirty[0];
  EXPECT_EQ(dirty.Width(), 2);
  EXPECT_GT(dirty.Height(), 4);
  EXPECT_LE(dirty.Height(), LineHeight(line));
  EXPECT_TRUE(r.Contains(dirty));
  Frame();
  EXPECT_EQ(CaretPixels(line), 0);

  // 10 s after the key (at 510.2) the caret comes back and stays, and nothing wakes the loop.
  RunUntil(510.3);
  EXPECT_GT(CaretPixels(line), 0);
  EXPECT_EQ(TimeUntilNextFrame(1.0), 1.0);
  RunUntil(515.7);  // the second half of a second, when a blinking caret is off
  EXPECT_GT(CaretPixels(line), 0);

  // A key that changes nothing starts the blinking again, from its solid half second.
  QueueKeyEvent(kKeyRight, 1);
  QueueKeyEvent(kKeyRight, 0);
  Frame();
  EXPECT_LT(TimeUntilNextFrame(1.0), 1.0);
  RunUntil(516.7);
  EXPECT_EQ(CaretPixels(line), 0);
  RunUntil(517.2);
  EXPECT_GT(CaretPixels(line), 0);
}

TEST_F(GuiControls, ComboBoxOpensChoosesAndOpensUpwardsNearTheBottom) {
  auto* combo = new ComboBox(panel, 0);
  Place(combo, 20, 20, 160, 16);
  const char* names[] = {"Bitmap (BMP)", "Portable Network Graphics (PNG)", "Tagged Image (TIFF)"};
  for (int i = 0; i < 3; ++i) combo->AddItem(names[i], i + 1);
  combo->SetListRows(6, true);
  combo->SelectValue(1);
  Hits hits;
  combo->item_chosen.Connect(&hits, &Hits::Value);
  Frame();
  on_pump = [&](int n) {
    if (n == 2) {
      test::SaveScreenshot("combo-open");
      Rect list = combo->List()->Frame();
      int lh = LineHeight(combo);
      QueueMousePosition(list.x0 + 10, list.y0 + lh + lh / 2);  // the second item
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
  };
  Point b = Centre(combo->Button());
  test::QueueClick(b.x, b.y);
  Frame();
  EXPECT_EQ(combo->Text(), "Portable Network Graphics (PNG)");
  EXPECT_EQ(hits.values, std::vector<int>{2});
  EXPECT_EQ(combo->SelectedValue(), 2);
  // Near the bottom of the screen the list opens above the field.
  auto* low = new ComboBox(nullptr, kComboEditable);
  low->SetFrame(Rect(300, Ui().screen_height - 30, 460, Ui().screen_height - 14));
  for (int i = 0; i < 10; ++i) low->AddItem(("Choice " + std::to_string(i)).c_str(), i);
  pumps = 0;
  bool upwards = false;
  on_pump = [&](int n) {
    if (n == 2) {
      upwards = low->OpenedUpwards();
      test::SaveScreenshot("combo-open-upwards");
      QueueKeyEvent(kKeyEscape, 1);
    }
  };
  Frame();  // the frame that finishes the first loop
  now += 1;
  b = Centre(low->Button());
  test::QueueClick(b.x, b.y);
  Frame();
  EXPECT_TRUE(upwards);
  EXPECT_FALSE(low->IsOpen());
}

// A combo at the bottom of a small frame inside the panel: its open list lies in the top layer,
// over the frame's edge, the panel's and every other window, drawn whole; it takes clicks there.
// Near the bottom of the screen it opens upwards, and a long list keeps to the screen.
TEST_F(GuiControls, AnOpenComboListIsAboveEveryWindowAndInsideTheScreen) {
  auto* group = new Window(kWindowVisible | kWindowThinBorder | kWindowGreyBackground, panel);
  Place(group, 20, 330, 200, 60);
  auto* combo = new ComboBox(group, 0);
  Place(combo, 10, 34, 160, 16);
  const char* sizes[] = {"Tiny", "Small", "Medium", "Large", "Huge"};
  for (int i = 0; i < 5; ++i) combo->AddItem(sizes[i], i);
  combo->SelectValue(2);
  auto* other = new Window(kWindowVisible | kWindowTitleBar | kWindowThickBorder |
                           kWindowWhiteBackground | kWindowShadow);
  other->SetTitle("Another window");
  other->SetFrame(Rect(40, 440, 400, 590));
  Hits hits;
  combo->item_chosen.Connect(&hits, &Hits::Value);
  Frame();
  int lh = LineHeight(combo);
  Rect list;
  Pixel last_row;
  bool in_top_layer = false;
  on_pump = [&](int n) {
    if (n != 2) return;
    list = combo->List()->Frame();
    in_top_layer = combo->List()->Parent() == Ui().layer1;
    test::SaveScreenshot("combo-open-over-windows");
    last_row = At(list.x1 - 4, list.y0 + 4 * lh + lh / 2);
    QueueMousePosition(list.x0 + 10, list.y0 + 3 * lh + lh / 2);  // "Large"
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
  };
  Point b = Centre(combo->Button());
  test::QueueClick(b.x, b.y);
  Frame();
  EXPECT_TRUE(in_top_layer);
  EXPECT_EQ(list, Rect(combo->Frame().x0, combo->Frame().y1, combo->Frame().x1,
                       combo->Frame().y1 + 6 * lh));  // five items and one row more
  EXPECT_GT(list.y1, other->Frame().y0);              // it reaches over another window
  EXPECT_NEAR(last_row.r, 0x22, 8);  // the list's own colour, not the window's white
  EXPECT_NEAR(last_row.b, 0x26, 8);
  EXPECT_EQ(hits.values, std::vector<int>{3});
  EXPECT_EQ(combo->Text(), "Large");
  EXPECT_EQ(combo->List()->Parent(), combo);

  // At the bottom of the screen the list opens upwards; a long one keeps to the screen.
  Frame();
  now += 1;
  auto* strip = new Window(kWindowVisible | kWindowGreyBackground);
  strip->SetFrame(Rect(20, Ui().screen_height - 40, 300, Ui().screen_height - 10));
  auto* low = new ComboBox(strip, 0);
  Place(low, 10, 4, 160, 16);
  for (int i = 0; i < 80; ++i) low->AddItem(("Choice " + std::to_string(i)).c_str(), i);
  low->SetListRows(80, false);
  bool upwards = false;
  pumps = 0;
  on_pump = [&](int n) {
    if (n != 2) return;
    upwards = low->OpenedUpwards();
    list = low->List()->Frame();
    QueueKeyEvent(kKeyEscape, 1);
  };
  b = Centre(low->Button());
  test::QueueClick(b.x, b.y);
  Frame();
  EXPECT_TRUE(upwards);
  EXPECT_EQ(list.y1, low->Frame().y0);
  EXPECT_GE(list.y0, 0);
  EXPECT_LT(list.y0, lh);  // as many whole rows as the screen above has room for
  EXPECT_EQ(list.Height() % lh, 0);
}

TEST_F(GuiControls, DialogAndMessageBoxes) {
  auto* dialog = new DialogWindow();
  dialog->SetTitle("Build Add-on plugin");
  dialog->SetContentSize(300, 60);
  auto* name = new TextBox(kTextSingleLine, dialog);
  Rect content = dialog->ContentRect();
  name->SetFrame(Rect(content.x0, content.y0, content.x1, content.y0 + 22));
  name->SetText("My Plugin");
  dialog->SetTabOrder(name);
  on_pump = [&](int n) {
    if (n == 3) {
      test::SaveScreenshot("dialog-window");
      Point ok = Centre(dialog->OkButton());
      test::QueueClick(ok.x, ok.y);
    }
  };
  EXPECT_EQ(dialog->RunDialog(), 1);
  dialog->Close();
  pumps = 0;
  on_pump = [&](int n) {
    if (n == 4) {
      auto* box = dynamic_cast<MessageBoxWindow*>(TopModal()->window);
      ASSERT_TRUE(box);
      EXPECT_EQ(box->ButtonCount(), 4);
      test::SaveScreenshot("message-box-five-labels");
      QueueKeyEvent(kKeyEscape, 1);
    }
  };
  EXPECT_EQ(ShowMessageBox("Five Labels", "Only the first four labels become buttons.",
                           {"One", "Two", "Three", "Four", "Five"}),
            3);
  pumps = 0;
  on_pump = [&](int n) {
    if (n == 4) {
      test::SaveScreenshot("error-box");
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  ShowError(
      "The file '%s' could not be read. The message is wrapped when it is longer than "
      "the widest a message box may be, so that it stays readable.",
      "terrain.tif");
  pumps = 0;
  std::string text = "Mesh 1";
  on_pump = [&](int n) {
    if (n == 4) {
      test::SaveScreenshot("input-box");
      QueueKeyEvent(kKeyEnd, 1);
      QueueCharEvent('0');
    }
    if (n == 5) QueueKeyEvent(kKeyEnter, 1);
  };
  EXPECT_EQ(ShowInputBox("Enter Name for Mesh", {"Create Mesh", "Cancel"}, &text), 0);
  EXPECT_EQ(text, "Mesh 10");
}

// Typing into a dialog that has just opened goes into the first control of its tab ring, not
// into the control made last.
TEST_F(GuiControls, ADialogOpensWithItsFirstControlFocused) {
  auto* dialog = new DialogWindow();
  dialog->SetTitle("Build Regular Add-on");
  dialog->SetContentSize(300, 60);
  Rect content = dialog->ContentRect();
  auto* name = new TextBox(kTextSingleLine, dialog);
  name->SetFrame(Rect(content.x0, content.y0, content.x1, content.y0 + 22));
  auto* priority = new TextBox(kTextSingleLine, dialog);
  priority->SetFrame(Rect(content.x0, content.y0 + 30, content.x0 + 80, content.y0 + 52));
  dialog->SetTabOrder(name);
  on_pump = [&](int n) {
    if (n == 2) {
      QueueCharEvent('A');
      QueueCharEvent('b');
    }
    if (n == 3) QueueKeyEvent(kKeyEnter, 1);
    if (n == 4) QueueKeyEvent(kKeyEnter, 0);
  };
  EXPECT_EQ(dialog->RunDialog(), 1);
  EXPECT_EQ(name->Text(), "Ab");
  EXPECT_EQ(priority->Text(), "");
  dialog->Close();
}

TEST_F(GuiControls, ColorButtonOpensThePickerAndTakesTheNewColour) {
  auto* swatch = new ColorButton(panel, 0x0000FF);  // red
  Place(swatch, 20, 20, 48, 24);
  Hits hits;
  swatch->colour_changed.Connect(&hits, &Hits::Value);
  Frame();
  Pixel red = At(Centre(swatch).x, Centre(swatch).y);
  EXPECT_GT(red.r, 200);
  EXPECT_LT(red.b, 50);
  on_pump = [&](int n) {
    auto* picker = dynamic_cast<ColorPickerWindow*>(TopModal()->window);
    if (!picker) return;
    if (n == 3) {
      test::SaveScreenshot("color-picker");
      // Type a new colour into the hexadecimal field, then confirm.
      picker->Field(3)->SetFocus(0);
      QueueKeyEvent(kKeyLeftControl, 1);
      QueueKeyEvent('A', 1);
      QueueKeyEvent('A', 0);
      QueueKeyEvent(kKeyLeftControl, 0);
      for (char ch : std::string("00C040")) QueueCharEvent(static_cast<uint8_t>(ch));
    }
    if (n == 4) {
      EXPECT_EQ(picker->NewColour(), 0x40C000u);
      EXPECT_EQ(picker->Field(1)->Text(), "192");
      EXPECT_EQ(picker->OldColour(), 0x0000FFu);
      test::SaveScreenshot("color-picker-changed");
      // A click in the hue square changes the colour too; then OK.
      Rect sq = picker->SquareRect().Offset(picker->ClientRect().x0, picker->ClientRect().y0);
      QueueMousePosition(sq.x0 + sq.Width() * 2 / 3, sq.y0 + 2);  // blue, fully saturated
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
    if (n == 6) {
      Point ok = Centre(picker->OkButton());
      test::QueueClick(ok.x, ok.y);
    }
  };
  test::QueueClick(Centre(swatch).x, Centre(swatch).y);
  Frame();
  ASSERT_EQ(hits.values.size(), 1u);
  uint32_t chosen = swatch->Colour();
  EXPECT_GT((chosen >> 16) & 0xFF, 150u);  // blue at the value the hex field gave
  EXPECT_LT(chosen & 0xFF, 40u);
  Frame();
  test::SaveScreenshot("color-button");
}

TEST_F(GuiControls, TextPopupEditsInPlace) {
  auto* owner = new TextBox(kTextInteger, panel);
  Place(owner, 0, 0, 10, 10);
  owner->SetVisible(false);
  owner->SetInt(128);
  auto* popup = new TextPopup(panel, Rect(100, 100, 200, 122), owner);
  on_pump = [&](int n) {
    if (n == 2) {
      test::SaveScreenshot("text-popup");
      QueueCharEvent('6');
      QueueCharEvent('4');
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  EXPECT_EQ(popup->Run(), 0);
  EXPECT_EQ(owner->IntValue(), 64);
}

TEST_F(GuiControls, ClipboardTextThroughGlfw) {
  platform::SetClipboardInProcess(false);
  auto* line = new TextBox(kTextSingleLine, panel);
  Place(line, 20, 20, 200, 22);
  line->SetText("Caf\x8e au lait");  // 0x8E is e-acute in the character set
  line->SetFocus(0);
  line->SelectAll();
  QueueKeyEvent(kKeyLeftControl, 1);
  QueueKeyEvent('C', 1);
  QueueKeyEvent('C', 0);
  QueueKeyEvent(kKeyLeftControl, 0);
  Frame();
  const char* utf8 = glfwGetClipboardString(nullptr);
  ASSERT_TRUE(utf8);
  EXPECT_STREQ(utf8, "Caf\xc3\xa9 au lait");
  glfwSetClipboardString(nullptr, "na\xc3\xafve");  // i-diaeresis from another program
  std::string pasted;
  ASSERT_TRUE(PasteTextFromClipboard(&pasted));
  EXPECT_EQ(pasted, "na\x95ve");
}

}  // namespace
}  // namespace brae
