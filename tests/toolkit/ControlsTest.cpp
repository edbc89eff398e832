// The controls driven through the event queue as a user drives them, without GL.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextBoxAction.h"
#include "toolkit/TextClipboard.h"
#include "toolkit/TextPopup.h"

namespace brae {
namespace {

class Controls : public test::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    platform::SetClipboardInProcess(true);
    platform::ClearClipboard();
    host = new Window(kWindowVisible | kWindowFocusable | kWindowGreyBackground);
    host->SetFrame(Rect(0, 0, 800, 600));
  }
  void TypeText(const std::string& text) {
    for (char c : text) QueueCharEvent(static_cast<uint8_t>(c));
    Frame();
  }
  void Control(int key) {
    QueueKeyEvent(kKeyLeftControl, 1);
    QueueKeyEvent(key, 1);
    QueueKeyEvent(key, 0);
    QueueKeyEvent(kKeyLeftControl, 0);
    Frame();
  }
  TextBox* FocusedBox(int kind) {
    auto* box = new TextBox(kind, host);
    box->SetFrame(Rect(10, 10, 200, 30));
    box->SetFocus(0);
    return box;
  }

  Window* host = nullptr;
};

// Counts a signal's emissions.
struct Counter : public has_slots<void> {
  int plain = 0;
  std::vector<int> values;
  void Hit() { ++plain; }
  void Value(int v) { values.push_back(v); }
};

// ---- buttons ----------------------------------------------------------------------------------

TEST_F(Controls, PushButtonFiresOnlyWhenReleasedOverIt) {
  auto* b = new Button(host, 7);
  b->SetTitle("Go");
  b->SetFrame(Rect(100, 100, 180, 124));
  Counter c;
  b->clicked.Connect(&c, &Counter::Hit);
  b->clicked_with_value.Connect(&c, &Counter::Value);
  Press(120, 110);
  EXPECT_EQ(b->ButtonState(), kButtonPressedOff);
  Move(400, 400);  // outside: the look returns to off
  EXPECT_EQ(b->ButtonState(), kButtonOff);
  Release(400, 400);
  EXPECT_EQ(c.plain, 0);
  now += 1;
  // Out and back in before the release fires it.
  Press(120, 110);
  Move(400, 400);
  Move(130, 112);
  EXPECT_EQ(b->ButtonState(), kButtonPressedOff);
  Release(130, 112);
  EXPECT_EQ(c.plain, 1);
  EXPECT_EQ(c.values, std::vector<int>{7});
  EXPECT_EQ(b->ButtonState(), kButtonOff);  // a push button springs back
}

TEST_F(Controls, CheckBoxClickedTwiceFiresTwiceAndEndsUnchecked) {
  auto* box = new CheckBox(host, 3);
  box->SetTitle("Remember");
  box->SetFrame(Rect(50, 50, 200, 70));
  Counter c;
  box->clicked_with_value.Connect(&c, &Counter::Value);
  Click(60, 60);
  EXPECT_EQ(box->ButtonState(), 1);
  EXPECT_EQ(box->GetCheckState(), 1);
  Click(60, 60);
  EXPECT_EQ(box->ButtonState(), 0);
  EXPECT_EQ(c.values, (std::vector<int>{3, 3}));
  // Remembered dialog values set it silently.
  box->SetCheckState(1);
  EXPECT_EQ(box->GetCheckState(), 1);
  EXPECT_EQ(c.values.size(), 2u);
  EXPECT_STREQ(static_cast<ControlValueTarget*>(box)->ClassName(), "CheckBox");
}

TEST_F(Controls, SpaceAndEnterDriveAFocusedButtonOtherKeysCancel) {
  auto* b = new Button(host, 1);
  b->SetFrame(Rect(100, 100, 180, 124));
  Counter c;
  b->clicked.Connect(&c, &Counter::Hit);
  b->SetFocus(0);
  Key(kKeySpace, true);
  EXPECT_EQ(b->ButtonState(), kButtonPressedOff);
  Key(kKeySpace, false);
  EXPECT_EQ(c.plain, 1);
  Key(kKeyEnter, true);
  Key('X', true);  // cancels the pending press
  EXPECT_EQ(b->ButtonState(), kButtonOff);
  Key('X', false);
  Key(kKeyEnter, false);
  EXPECT_EQ(c.plain, 1);
  // Losing the focus while pressed restores the state without firing.
  Key(kKeySpace, true);
  host->SetFocus(0);
  Key(kKeySpace, false);
  EXPECT_EQ(b->ButtonState(), kButtonOff);
  EXPECT_EQ(c.plain, 1);
}

TEST_F(Controls, SetButtonStateFiresUnlessSilent) {
  auto* toggle = new Button(host, 5);
  toggle->SetToggleMode(1);
  Counter c;
  toggle->clicked.Connect(&c, &Counter::Hit);
  toggle->SetButtonState(1, 0);
  toggle->SetButtonState(0, 0);  // a toggle fires on 0 too
  toggle->SetButtonState(1, 1);
  EXPECT_EQ(c.plain, 2);
  EXPECT_EQ(toggle->ButtonState(), 1);
  // Disabled buttons ignore the mouse.
  auto* off = new Button(host, 6);
  off->SetFrame(Rect(300, 300, 360, 320));
  off->clicked.Connect(&c, &Counter::Hit);
  off->SetEnabled(false);
  Click(310, 310);
  EXPECT_EQ(c.plain, 2);
}

// ---- text boxes -------------------------------------------------------------------------------

TEST_F(Controls, TextBoxKindsFollowTheTable) {
  const int lengths[] = {9999, 9999, 11, 8, 9999, 255, 9999};
  const bool editable[] = {false, false, true, true, true, true, true};
  const bool selectable[] = {false, true, true, true, true, true, true};
  for (int kind = 0; kind < 7; ++kind) {
    TextBox box(kind, host);
    EXPECT_EQ(box.MaxLength(), lengths[kind]) << kind;
    EXPECT_EQ(box.IsEditable(), editable[kind]) << kind;
    EXPECT_EQ(box.IsSelectable(), selectable[kind]) << kind;
    EXPECT_EQ(box.CanFocus(), editable[kind] || selectable[kind]) << kind;
  }
  EXPECT_TRUE(TextBox(kTextMultiLineEdit, host).IsMultiLine());
  EXPECT_FALSE(TextBox(kTextFree, host).IsMultiLine());
}

TEST_F(Controls, MinusInAnIntegerBoxOnlyAtTheStart) {
  TextBox* box = FocusedBox(kTextInteger);
  int beeps = platform::BeepCount();
  TypeText("-");
  EXPECT_EQ(box->Text(), "-");
  TypeText("12");
  EXPECT_EQ(box->Text(), "-12");
  EXPECT_EQ(platform::BeepCount(), beeps);
  TypeText("-");  // after a digit: rejected with a beep
  EXPECT_EQ(box->Text(), "-12");
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  TypeText("x.");
  EXPECT_EQ(box->Text(), "-12");
  EXPECT_EQ(platform::BeepCount(), beeps + 3);
}

TEST_F(Controls, PastingTwelveDigitsIntoAnIntegerBoxIsRejectedWhole) {
  TextBox* box = FocusedBox(kTextInteger);
  CopyTextToClipboard("123456789012");
  int beeps = platform::BeepCount();
  Control('V');
  EXPECT_EQ(box->Text(), "");
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  CopyTextToClipboard("12345678901");
  Control('V');
  EXPECT_EQ(box->Text(), "12345678901");
}

TEST_F(Controls, FilterRejectsLineBreaksAndTabsOutsideMultiLine) {
  TextBox* line = FocusedBox(kTextSingleLine);
  CopyTextToClipboard("two\nlines");
  Control('V');
  EXPECT_EQ(line->Text(), "");
  Tap(kKeyTab);  // a tab is refused too
  EXPECT_EQ(line->Text(), "");
  TextBox* real = FocusedBox(kTextReal);
  TypeText("-1.5e");
  EXPECT_EQ(real->Text(), "-1.5");
  TextBox* multi = FocusedBox(kTextMultiLineEdit);
  Control('V');
  EXPECT_EQ(multi->Text(), "two\nlines");
  Tap(kKeyEnter);
  EXPECT_EQ(multi->Text(), "two\nlines\n");
}

TEST_F(Controls, SetFloatFitsTheMaximumLength) {
  TextBox box(kTextReal, host);
  box.SetFloat(3.25);
  EXPECT_EQ(box.Text(), "3.25");
  box.SetFloat(2.0);
  EXPECT_EQ(box.Text(), "2.0");
  box.SetFloat(-0.5);
  EXPECT_EQ(box.Text(), "-0.5");
  box.SetFloat(123456.0);  // six digits leave no room for decimals
  EXPECT_EQ(box.Text(), "123456");
  box.SetFloat(12345678.0);
  EXPECT_EQ(box.Text(), "invalid ???");
  EXPECT_EQ(TextBox::FormatReal(1.0 / 3.0, 8), "0.33333");
  box.SetInt(-42);
  EXPECT_EQ(box.Text(), "-42");
}

TEST_F(Controls, NumericBoxesReformatWhenTheyLoseTheFocus) {
  TextBox* integer = FocusedBox(kTextInteger);
  TypeText("-");
  host->SetFocus(0);
  EXPECT_EQ(integer->Text(), "0");
  TextBox* real = FocusedBox(kTextReal);
  TypeText("1.2.3");
  host->SetFocus(0);
  EXPECT_EQ(real->Text(), "0.0");
  TextBox* good = FocusedBox(kTextInteger);
  TypeText("17");
  host->SetFocus(0);
  EXPECT_EQ(good->Text(), "17");
  EXPECT_EQ(good->IntValue(), 17);
}

TEST_F(Controls, EditingKeysUndoRedoAndTheChangedSignal) {
  TextBox* box = FocusedBox(kTextSingleLine);
  Counter c;
  box->changed.Connect(&c, &Counter::Hit);
  TypeText("abc");
  EXPECT_EQ(c.plain, 3);
  Control('Z');
  EXPECT_EQ(box->Text(), "ab");
  Control('Z');
  Control('Y');
  EXPECT_EQ(box->Text(), "ab");
  TypeText("d");  // drops the redo branch
  EXPECT_EQ(box->Undos().Redo(), 0);
  EXPECT_EQ(box->Text(), "abd");
  Tap(kKeyHome);
  EXPECT_EQ(box->Caret(), 0);
  int before = c.plain;
  Tap(kKeyBackspace);  // at the start: nothing recorded, nothing changed
  EXPECT_EQ(c.plain, before);
  Tap(kKeyDelete);
  EXPECT_EQ(box->Text(), "bd");
  Tap(kKeyEnd);
  Tap(kKeyBackspace);
  EXPECT_EQ(box->Text(), "b");
  Control('Z');
  Control('Z');
  EXPECT_EQ(box->Text(), "abd");
  // Shift+Left selects; typing replaces the selection; undo brings it back.
  Tap(kKeyEnd);
  QueueKeyEvent(kKeyLeftShift, 1);
  QueueKeyEvent(kKeyLeft, 1);
  QueueKeyEvent(kKeyLeft, 0);
  QueueKeyEvent(kKeyLeft, 1);
  QueueKeyEvent(kKeyLeft, 0);
  QueueKeyEvent(kKeyLeftShift, 0);
  Frame();
  EXPECT_EQ(box->SelectedText(), "bd");
  TypeText("X");
  EXPECT_EQ(box->Text(), "aX");
  Control('Z');
  EXPECT_EQ(box->Text(), "abd");
  EXPECT_EQ(box->SelectedText(), "bd");
}

TEST_F(Controls, CutCopyPasteAndSelectAll) {
  TextBox* box = FocusedBox(kTextSingleLine);
  TypeText("hello world");
  Control('A');
  EXPECT_EQ(box->SelectedText(), "hello world");
  Control('C');
  std::string clip;
  ASSERT_TRUE(PasteTextFromClipboard(&clip));
  EXPECT_EQ(clip, "hello world");
  Control('X');
  EXPECT_EQ(box->Text(), "");
  Control('V');
  Control('V');
  EXPECT_EQ(box->Text(), "hello worldhello world");
  Control('Z');
  EXPECT_EQ(box->Text(), "hello world");
  // 8-bit text survives the Unicode round trip (0x8A is a-umlaut in the character set).
  CopyTextToClipboard("caf\x8e");
  ASSERT_TRUE(PasteTextFromClipboard(&clip));
  EXPECT_EQ(clip, "caf\x8e");
}

TEST_F(Controls, EnterSignalInSingleLineBoxes) {
  TextBox* box = FocusedBox(kTextSingleLine);
  Counter c;
  box->enter.Connect(&c, &Counter::Value);
  Key(kKeyEnter, true);
  Key(kKeyEnter, false);
  EXPECT_EQ(c.values, (std::vector<int>{1, 0}));
  EXPECT_EQ(box->Text(), "");
}

TEST_F(Controls, MultiLineCaretMovesByLines) {
  TextBox* box = FocusedBox(kTextMultiLineEdit);
  box->SetFrame(Rect(10, 10, 300, 200));
  box->SetText("one\ntwo\nthree");
  EXPECT_EQ(box->Caret(), 13);
  Tap(kKeyUp);
  EXPECT_EQ(box->Caret(), 4);  // no font: every x is 0
  Tap(kKeyUp);
  EXPECT_EQ(box->Caret(), 0);
  Tap(kKeyUp);
  EXPECT_EQ(box->Caret(), 0);
  Tap(kKeyPageDown);
  EXPECT_EQ(box->Caret(), 13);
  Tap(kKeyHome);
  EXPECT_EQ(box->Caret(), 8);
  TextBox* line = FocusedBox(kTextSingleLine);
  line->SetText("abc");
  Tap(kKeyUp);
  EXPECT_EQ(line->Caret(), 0);
  Tap(kKeyDown);
  EXPECT_EQ(line->Caret(), 3);
}

TEST_F(Controls, CaretIsSolidAfterAChangeThenBlinks) {
  TextBox* box = FocusedBox(kTextSingleLine);
  now = 200.0;
  TypeText("a");
  EXPECT_TRUE(box->CaretVisibleAt(200.4));
  EXPECT_TRUE(box->CaretVisibleAt(201.2));   // first half of a second
  EXPECT_FALSE(box->CaretVisibleAt(201.7));  // second half
  host->SetFocus(0);
  EXPECT_FALSE(box->CaretVisibleAt(200.1));
  TextBox selectable(kTextSelectable, host);
  EXPECT_FALSE(selectable.CaretVisibleAt(200.1));  // not editable: no caret
}

TEST_F(Controls, TextBoxActionsUndoTheirEdits) {
  TextBox box(kTextSingleLine, host);
  box.SetText("abcdef");
  box.SetSelection(1, 3);
  UndoStack& undo = box.Undos();
  undo.Perform(new TextBoxAction(&box, TextBoxAction::kDeleteSelection), false);
  EXPECT_EQ(box.Text(), "adef");
  undo.Perform(new TextBoxAction(&box, TextBoxAction::kDeleteForward), false);
  EXPECT_EQ(box.Text(), "aef");
  box.SetSelection(3, 3);
  undo.Perform(new TextBoxAction(&box, TextBoxAction::kDeleteForward), false);  // at the end
  EXPECT_EQ(undo.Count(), 2u);
  undo.Undo();
  undo.Undo();
  EXPECT_EQ(box.Text(), "abcdef");
  EXPECT_EQ(box.SelectionStart(), 1);
  EXPECT_EQ(box.SelectionEnd(), 3);
  undo.Redo();
  EXPECT_EQ(box.Text(), "adef");
}

// ---- dialogs and message boxes
// --------------------------------------------------------------------

class RefusingDialog : public DialogWindow {
 public:
  int OnOk() override { return ++ok_calls >= 2; }
  int ok_calls = 0;
};

TEST_F(Controls, DialogEnterDrivesOkAndARefusalBeeps) {
  auto* dialog = new RefusingDialog();
  dialog->SetContentSize(200, 80);
  EXPECT_EQ(dialog->ClientSize().x, 232);
  EXPECT_EQ(dialog->ClientSize().y, 80 + StandardButtonHeight(dialog) + 32);
  Rect ok = dialog->OkButton()->Frame(), cancel = dialog->CancelButton()->Frame();
  EXPECT_EQ(ok.Width(), 64);
  EXPECT_GT(cancel.x0, ok.x0);  // Cancel rightmost
  EXPECT_EQ(dialog->ClientRect().x1 - cancel.x1, 8);
  int beeps = platform::BeepCount();
  int step = 0;
  Ui().frame_function = [&] {
    ++step;
    if (step == 2) {
      QueueKeyEvent(kKeyEnter, 1);
      QueueKeyEvent(kKeyEnter, 0);  // refused: beep, still open
    }
    if (step == 4) {
      EXPECT_EQ(dialog->OkButton()->ButtonState(), kButtonOff);
      QueueKeyEvent(kKeyEnter, 1);
    }
    if (step == 5) {
      EXPECT_TRUE(dialog->OkButton()->IsPressedLook());
      QueueKeyEvent(kKeyEnter, 0);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  EXPECT_EQ(dialog->RunDialog(), 1);
  EXPECT_EQ(dialog->ok_calls, 2);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  dialog->Close();
  // Minimum client size.
  auto* small = new DialogWindow();
  small->SetContentSize(0, 0);
  EXPECT_EQ(small->ClientSize().x, 168);
}

TEST_F(Controls, DialogEscapeAndCloseBoxCancel) {
  auto* dialog = new DialogWindow();
  int step = 0;
  Ui().frame_function = [&] {
    if (++step == 2) {
      QueueKeyEvent(kKeyEscape, 1);
      QueueKeyEvent(kKeyEscape, 0);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  EXPECT_EQ(dialog->RunDialog(), 0);
  step = 0;
  Ui().frame_function = [&] {
    if (++step == 2) {
      EXPECT_EQ(dialog->RequestClose(1), 0);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  EXPECT_EQ(dialog->RunDialog(), 0);
  dialog->Close();
}

TEST_F(Controls, MessageBoxLayoutAndFiveLabels) {
  MessageBoxWindow* box = new MessageBoxWindow("Error", "Something", {"A", "B", "C", "D", "E"});
  EXPECT_EQ(box->ButtonCount(), 4);
  // No font: each button is 96 wide, 24 apart.
  EXPECT_EQ(box->ButtonAt(0)->Frame().Width(), 96);
  EXPECT_EQ(box->ButtonAt(1)->Frame().x0 - box->ButtonAt(0)->Frame().x1, 24);
  EXPECT_EQ(box->ClientSize().x, 4 * 96 + 3 * 24 + 64);
  ASSERT_TRUE(box->MessageBox());
  EXPECT_EQ(box->MessageBox()->Text(), "Something");
  EXPECT_FALSE(box->MessageBox()->IsEditable());
  box->Close();
}

TEST_F(Controls, ShowErrorAndTheInputBox) {
  int step = 0;
  std::string seen_title, seen_text;
  Ui().frame_function = [&] {
    ++step;
    if (step == 2) {
      auto* box = dynamic_cast<MessageBoxWindow*>(TopModal()->window);
      seen_title = box->Title();
      seen_text = box->MessageBox()->Text();
      EXPECT_EQ(box->ButtonCount(), 1);
      QueueKeyEvent(kKeyEnter, 1);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  ShowError("Could not read '%s' (%d).", "a.bmp", 3);
  EXPECT_EQ(seen_title, "Error");
  EXPECT_EQ(seen_text, "Could not read 'a.bmp' (3).");

  step = 0;
  Ui().frame_function = [&] {
    ++step;
    if (step == 2) {
      QueueCharEvent('x');  // replaces the selected proposal
      QueueCharEvent('y');
    }
    if (step == 3) QueueKeyEvent(kKeyEnter, 1);
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  std::string name = "old copy";
  EXPECT_EQ(ShowInputBox("Enter Name for Duplicate Tag", {"OK", "Cancel"}, &name), 0);
  EXPECT_EQ(name, "xy");

  step = 0;
  Ui().frame_function = [&] {
    if (++step == 2) QueueKeyEvent(kKeyEscape, 1);
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  name = "keep";
  EXPECT_EQ(ShowInputBox("Enter Name for Mesh", {"Create Mesh", "Cancel"}, &name), 1);
}

// ---- combo boxes
// --------------------------------------------------------------------------------------

TEST_F(Controls, ComboOpensChoosesAndCloses) {
  auto* combo = new ComboBox(host, 0);
  combo->SetFrame(Rect(100, 100, 220, 120));
  combo->AddItem("Alpha", 10);
  combo->AddItem("Beta", 20);
  combo->AddItem("Gamma", 30);
  combo->AddItem("First", 5, true);
  EXPECT_EQ(combo->SelectedValue(), 0);
  combo->SelectValue(20);
  EXPECT_EQ(combo->SelectedValue(), 20);
  EXPECT_EQ(combo->Text(), "Beta");
  EXPECT_STREQ(combo->Button()->Title(), "ComboBox Button");
  EXPECT_STREQ(combo->List()->Title(), "ComboBox List");
  Counter c;
  combo->item_chosen.Connect(&c, &Counter::Value);
  int step = 0;
  bool was_open = false;
  Ui().frame_function = [&] {
    ++step;
    if (step == 2) {
      was_open = combo->IsOpen() && combo->List()->IsVisible();
      EXPECT_FALSE(combo->OpenedUpwards());
      EXPECT_EQ(combo->List()->Parent(), Ui().layer1);  // above every window
      EXPECT_EQ(combo->List()->Frame().y0, combo->Frame().y1);
      EXPECT_TRUE(combo->List()->Flags() & kWindowShadow);
      QueueKeyEvent(kKeyDown, 1);
      QueueKeyEvent(kKeyDown, 0);
    }
    if (step == 3) {
      QueueKeyEvent(kKeyEnter, 1);
      QueueKeyEvent(kKeyEnter, 0);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  combo->SetFocus(0);
  Tap(kKeyDown);  // opens the closed combo
  EXPECT_TRUE(was_open);
  EXPECT_FALSE(combo->IsOpen());
  EXPECT_EQ(combo->Text(), "Gamma");
  EXPECT_EQ(c.values, std::vector<int>{30});
  EXPECT_FALSE(combo->List()->IsVisible());
  EXPECT_EQ(combo->List()->Parent(), combo);
  EXPECT_EQ(combo->Frame(), Rect(100, 100, 220, 120));
  EXPECT_FALSE(combo->List()->Flags() & kWindowShadow);
  combo->Clear();
  EXPECT_EQ(combo->ItemCount(), 0);
  EXPECT_EQ(combo->SelectedValue(), 0);
}

TEST_F(Controls, ComboNearTheBottomOpensUpwardsAndAnOutsideClickCloses) {
  auto* combo = new ComboBox(host, kComboEditable);
  for (int i = 0; i < 20; ++i) combo->AddItem(("Item " + std::to_string(i)).c_str(), i);
  combo->SetListRows(6, false);
  combo->SetFrame(Rect(100, 580, 220, 596));
  Rect closed = combo->Frame();
  auto* other = new Button(host, 9);
  other->SetFrame(Rect(400, 100, 480, 124));
  Counter c;
  other->clicked.Connect(&c, &Counter::Hit);
  int step = 0;
  Rect list_frame;
  bool upwards = false;
  Ui().frame_function = [&] {
    ++step;
    if (step == 2) {
      upwards = combo->OpenedUpwards();
      list_frame = combo->List()->Frame();
      EXPECT_EQ(Ui().focus, combo->TextField());  // editable: the field takes the focus
      QueueMousePosition(440, 112);
      QueueMouseButton(0, 1);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  combo->Open();
  EXPECT_TRUE(upwards);
  EXPECT_EQ(list_frame.y1, closed.y0);
  EXPECT_EQ(list_frame.y0, closed.y0 - LineHeight(combo) * 6);
  EXPECT_FALSE(combo->IsOpen());
  EXPECT_EQ(combo->Frame(), closed);
  // The press outside went on to the button under the mouse.
  Frame();  // the frame that finishes the ended loop
  Frame();
  EXPECT_TRUE(other->IsPressedLook());
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(c.plain, 1);
}

// Down opens, Up moves to another item, then the user leaves without choosing: by Escape, the
// dropdown button or a press elsewhere. The combo shows the value it showed before, also when
// that value has no item of its own.
TEST_F(Controls, ACancelledComboShowsItsValueAgain) {
  auto* combo = new ComboBox(host, 0);
  combo->SetFrame(Rect(100, 100, 220, 120));
  combo->AddItem("<none>", -1);
  combo->AddItem("Alpha", 10);
  combo->AddItem("Beta", 20);
  Counter chosen;
  combo->item_chosen.Connect(&chosen, &Counter::Value);
  Rect button = combo->Button()->Frame();
  const std::function<void()> leave[] = {[] { QueueKeyEvent(kKeyEscape, 1); },
                                         [&] {
                                           QueueMousePosition(button.x0 + 4, button.y0 + 4);
                                           QueueMouseButton(0, 1);
                                         },
                                         [] {
                                           QueueMousePosition(600, 500);
                                           QueueMouseButton(0, 1);
                                         }};
  for (bool has_item : {true, false}) {
    for (const auto& how : leave) {
      if (has_item) {
        combo->SelectValue(20);
      } else {  // a stored value no item stands for
        combo->List()->selected = -1;
        combo->SetText("thun");
      }
      int step = 0;
      Ui().frame_function = [&] {
        if (++step == 2) {
          QueueKeyEvent(kKeyUp, 1);
          QueueKeyEvent(kKeyUp, 0);
        }
        if (step == 3) how();
        if (step > 50) EndModal(-1);
        return UiFrame();
      };
      combo->SetFocus(0);
      Tap(kKeyDown);
      Ui().frame_function = [] { return UiFrame(); };
      QueueKeyEvent(kKeyEscape, 0);
      QueueMouseButton(0, 0);
      Frame();
      EXPECT_FALSE(combo->IsOpen());
      EXPECT_EQ(combo->Text(), has_item ? "Beta" : "thun");
      EXPECT_EQ(combo->SelectedIndex(), has_item ? 2 : -1);
    }
  }
  EXPECT_TRUE(chosen.values.empty());
}

// ---- the text pop-up
// ----------------------------------------------------------------------------------

TEST_F(Controls, TextPopupBorrowsTheBoxAndGivesItBack) {
  auto* owner = new Window(kWindowVisible, host);
  owner->SetFrame(Rect(20, 20, 400, 300));
  auto* box = new TextBox(kTextSingleLine, owner);
  box->SetFrame(Rect(0, 0, 50, 20));
  box->SetVisible(false);
  box->SetText("cell");
  auto* popup = new TextPopup(owner, Rect(40, 40, 140, 60), box);
  EXPECT_EQ(box->Parent(), popup);
  EXPECT_EQ(box->SelectedText(), "cell");
  int step = 0;
  Ui().frame_function = [&] {
    if (++step == 2) {
      QueueCharEvent('7');
      QueueKeyEvent(kKeyEnter, 1);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  EXPECT_EQ(popup->Run(), 0);
  Frame();
  EXPECT_EQ(box->Parent(), owner);
  EXPECT_FALSE(box->IsVisible());
  EXPECT_EQ(box->Text(), "7");
  // A press outside ends it with 1.
  auto* again = new TextPopup(owner, Rect(40, 40, 140, 60), box);
  step = 0;
  Ui().frame_function = [&] {
    if (++step == 2) {
      QueueMousePosition(700, 500);
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
    }
    if (step > 50) EndModal(-1);
    return UiFrame();
  };
  EXPECT_EQ(again->Run(), 1);
  Frame();
  EXPECT_EQ(box->Parent(), owner);
}

}  // namespace
}  // namespace brae
