// The toolkit in a real window: what it draws, where it redraws, and the windows a user sees.
#include <algorithm>
#include <cstring>

#include "GuiHarness.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

using Gui = test::GuiTest;
using test::Pixel;

constexpr uint32_t kDocument = kWindowVisible | test::kDocumentWindow;

// A window that fills its client with one colour and can show text samples.
class Painter : public Window {
 public:
  explicit Painter(uint32_t flags = kDocument) : Window(flags) {}
  void DrawContent() override {
    if (colour) {
      SetColor(colour);
      FillRect(Rect(0, 0, client.Width(), client.Height()));
    }
    int y = 8;
    for (const char* line : lines) {
      SetColor(0xFFFFFFFFu);
      DrawTextInRect(this, line, Rect(8, y, client.Width() - 8, y + 200), text_flags);
      y += text_flags & kTextWrap
               ? WrappedTextHeight(GetFont(), line, 0, client.Width() - 16, 0) + 6
               : LineHeight(this) + 4;
    }
  }
  uint32_t colour = 0;
  std::vector<const char*> lines;
  int text_flags = kTextShadow;
};

TEST_F(Gui, DesktopWindowFrameAndShadow) {
  auto* back = new Painter();
  back->SetTitle("Behind");
  back->SetFrame(Rect(60, 60, 360, 300));
  auto* w = new Painter();
  w->SetTitle("Document");
  w->SetFrame(Rect(200, 150, 560, 420));
  w->SetFocus(0);
  EXPECT_EQ(Frame(), 1);
  test::SaveScreenshot("window-frames");
  Pixel desktop = At(700, 550);
  EXPECT_NEAR(desktop.r, 74, 6);
  EXPECT_NEAR(desktop.b, 96, 6);
  Pixel client = At(380, 300);
  EXPECT_LT(client.Brightness(), desktop.Brightness() / 2);  // the grey background is darker
  Pixel shadow = At(570, 300);
  EXPECT_LT(shadow.Brightness(), desktop.Brightness());
  Pixel active_title = At(420, w->TitleBarRect().y0 + 11);
  EXPECT_GT(active_title.r, active_title.b + 40);  // the focused window's title is amber
  Pixel inactive_title = At(200, back->TitleBarRect().y0 + 11);
  EXPECT_LT(std::abs(inactive_title.r - inactive_title.b), 30);
  // The front window covers the one behind it.
  EXPECT_NEAR(At(300, 250).Brightness(), client.Brightness(), 12);
}

// Windows as the editors make them: a title bar, no focus of their own, controls inside.
constexpr uint32_t kEditorLike = kDocument & ~kWindowFocusable;

TEST_F(Gui, OpeningFocusesTheFirstControlAndOnlyTheFocusedWindowShowsActive) {
  // The title bar's colour where no text is: amber when active, grey otherwise.
  auto ShowsActive = [this](Window* w) {
    Rect bar = w->TitleBarRect();
    Pixel p = At(bar.x0 + 120, bar.y0 + 11);
    return p.r > p.b + 40;
  };
  auto* browser = new Painter(kEditorLike);
  browser->SetTitle("Browser");
  browser->SetFrame(Rect(20, 20, 380, 300));
  auto* list = new TextBox(kTextSelectable, browser);
  list->SetFrame(Rect(150, 10, 340, 200));
  browser->Activate(0);
  EXPECT_EQ(Ui().focus, list);
  // An editor opens (shown, in front, focused): the control that reads first in its form takes
  // the keys, although it is neither the first nor the last one made.
  auto* editor = new Painter(kEditorLike);
  editor->SetTitle("Editor");
  editor->SetFrame(Rect(200, 150, 560, 420));
  auto* form = new Window(kWindowVisible, editor);
  form->SetFrame(Rect(0, 0, 340, 240));
  auto* label = new Window(kWindowVisible, form);
  label->SetFrame(Rect(10, 150, 200, 170));
  auto* second = new TextBox(kTextInteger, form);
  second->SetFrame(Rect(100, 50, 180, 70));
  auto* first = new TextBox(kTextInteger, form);
  first->SetFrame(Rect(100, 10, 180, 30));
  auto* third = new TextBox(kTextInteger, form);
  third->SetFrame(Rect(100, 90, 180, 110));
  editor->Activate(0);
  EXPECT_EQ(Ui().focus, first);
  QueueCharEvent('7');
  Frame();
  EXPECT_EQ(first->Text(), "7");
  EXPECT_TRUE(ShowsActive(editor));
  EXPECT_FALSE(ShowsActive(browser));
  // The focus goes back to the browser without a change of order: both titles change.
  list->SetFocus(1);
  Frame();
  EXPECT_TRUE(ShowsActive(browser));
  EXPECT_FALSE(ShowsActive(editor));
  // A window without any control (the window spy) takes the focus itself.
  auto* spy = new Painter(kEditorLike);
  spy->SetTitle("Spy");
  spy->SetFrame(Rect(420, 20, 780, 140));
  spy->Activate(0);
  Frame();
  EXPECT_EQ(Ui().focus, spy);
  EXPECT_TRUE(ShowsActive(spy));
  EXPECT_FALSE(ShowsActive(browser));
  EXPECT_FALSE(ShowsActive(editor));
  // A press on a label activates its window, whose control of before takes the keys again.
  Rect l = label->Frame();
  Click(l.x0 + 5, l.y0 + 5);
  EXPECT_EQ(Ui().focus, first);
  EXPECT_TRUE(ShowsActive(editor));
  EXPECT_FALSE(ShowsActive(spy));
  test::SaveScreenshot("focus-active-title");
  // A message box takes the focus while it asks; once answered, the keys return to the editor.
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
    if (!box || box->IsClosed()) return;
    EXPECT_TRUE(box->IsAncestorOf(Ui().focus));
    box->Choose(1);
  };
  ShowMessageBox("Save?", "Do you wish to save your changes to 'Editor'?",
                 {"Save", "Discard", "Cancel"});
  on_pump = nullptr;
  Frame();
  EXPECT_EQ(Ui().focus, first);
  EXPECT_TRUE(ShowsActive(editor));
}

TEST_F(Gui, WindowsAreOpaqueUnderTheirTitleBars) {
  auto* behind = new Painter();
  behind->SetTitle("Behind");
  behind->colour = 0xFF0000FFu;  // red
  behind->SetFrame(Rect(0, 0, 800, 560));
  auto* front = new Painter();
  front->SetTitle("Front");
  front->SetFrame(Rect(100, 100, 500, 400));
  Frame();
  auto expect_opaque_band = [&](Window* w) {
    Rect bar = w->TitleBarRect();
    ASSERT_LT(bar.y1, w->ClientRect().y0);
    for (int y = bar.y1; y < w->ClientRect().y0; ++y)
      for (int x = bar.x0; x < bar.x1; x += 7) {
        Pixel p = At(x, y);
        ASSERT_FALSE(p.r > 200 && p.g < 80) << "the window behind shows at " << x << ", " << y;
      }
  };
  expect_opaque_band(front);
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
    if (!box || !box->IsVisible() || pumps < 3) return;
    expect_opaque_band(box);
    test::SaveScreenshot("message-box-over-red");
    box->Choose(0);
  };
  ShowMessageBox("Save?", "Do you wish to save your changes to 'Hill Ogre'?",
                 {"Save", "Discard", "Cancel"});
  // A pop-up menu is one even panel inside its one-pixel edge.
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Open (enter)", nullptr, 1);
  AddMenuItem(menu, "Get Info (cmd-I)", nullptr, 2);
  AddMenuItem(menu, "Delete (del)", nullptr, 3);
  pumps = 0;
  on_pump = [&](int n) {
    if (n != 3) return;
    DrawPending();
    Rect client = menu->ClientRect();
    int y = (client.y0 + client.y1) / 2;
    Pixel inner = At(client.x0 + 6, y), edge = At(client.x0, y);
    EXPECT_NEAR(inner.r, 56, 6);  // the panel's face, not its edge stretched over it
    EXPECT_NEAR(inner.b, 70, 6);
    EXPECT_NEAR(edge.r, 20, 6);
    EXPECT_EQ(At(client.x1 - 6, y).Brightness(), inner.Brightness());
    test::SaveScreenshot("popup-menu-over-red");
    QueueKeyEvent(kKeyEscape, 1);
  };
  EXPECT_EQ(PopUpMenu(menu, 300, 200), -1);
}

TEST_F(Gui, MovingAndResizingRepaintOnlyWhatChanged) {
  auto* w = new Painter();
  w->SetTitle("Drag me");
  w->colour = 0xFF0000C0u;
  w->SetFrame(Rect(100, 100, 300, 250));
  Frame();
  Pixel desktop = At(700, 500);
  EXPECT_EQ(At(200, 200).r, 0xC0);
  // Drag the title bar by (300, 200), as a user does.
  int y = w->TitleBarRect().y0 + 10;
  QueueMousePosition(150, y);
  QueueMouseButton(0, 1);
  Frame();
  for (int step = 1; step <= 4; ++step) {
    QueueMousePosition(150 + 75 * step, y + 50 * step);
    Frame();
  }
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(w->Frame(), Rect(400, 300, 600, 450));
  EXPECT_EQ(At(500, 380).r, 0xC0);                                   // the window's new place
  EXPECT_NEAR(At(200, 200).Brightness(), desktop.Brightness(), 20);  // its old place is desktop
  // Resize by the bottom-right corner; the minimum size holds.
  QueueMousePosition(599, 449);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(700, 560);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_EQ(w->Frame(), Rect(400, 300, 701, 561));
  EXPECT_EQ(At(690, 540).r, 0xC0);
  test::SaveScreenshot("window-moved");
  now += 1;  // not a double click
  QueueMousePosition(700, 560);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(100, 100);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  // The title bar keeps room for "Drag me" and the boxes.
  Point min;
  w->ClientSizeToFrame(&min, 0, 0);
  EXPECT_EQ(w->Frame().Width(), std::max(min.x, w->TitleBarMinimumWidth()));
  EXPECT_GT(w->Frame().Width(), MeasureText(w->GetFont(), "Drag me", 0));
  EXPECT_EQ(w->Frame().Height(), min.y);
  EXPECT_EQ(w->Frame().x0, 400);
}

TEST_F(Gui, TextStylesWrappingAndAlignment) {
  auto* w = new Painter();
  w->SetTitle("Text");
  w->SetFrame(Rect(20, 20, 520, 400));
  w->lines = {"Plain text: The quick brown fox jumps over the lazy dog.",
              "|bBold|p, |iitalic|p and |ooutline|p styles; a bar: | and ||b bold after a bar",
              "Character set: \x80\x81\x82\x83 \x8e\x8f\x90 \xa5 \xa9 \xaa \xc7\xc8 \xd2\xd3 \xdb",
              "Tabs:\tone\ttwo\tthree"};
  auto* wrapped = new Painter();
  wrapped->SetTitle("Wrapped");
  wrapped->SetFrame(Rect(540, 20, 780, 400));
  wrapped->text_flags = kTextWrap | kTextShadow;
  wrapped->lines = {
      "A wrapped paragraph breaks at the spaces between words and keeps every line "
      "inside the window's client area.",
      "Averyveryverylongwordwithoutanyspacesisbrokenbeforethefirstcharacterthatdoesnotfit."};
  auto* centred = new Painter(kWindowVisible | kWindowThinBorder | kWindowGreyBackground);
  centred->SetFrame(Rect(20, 420, 520, 480));
  centred->text_flags = kTextCentre | kTextShadow;
  centred->lines = {"Centred line"};
  Frame();
  test::SaveScreenshot("text-styles");
  // Text is drawn: some pixels of the first line are bright.
  int bright = 0;
  for (int x = 30; x < 400; ++x)
    if (At(x, w->ClientRect().y0 + 14).Brightness() > 500) ++bright;
  EXPECT_GT(bright, 20);
  // The centred line leaves both ends of its window empty.
  Pixel left = At(centred->ClientRect().x0 + 5, centred->ClientRect().y0 + 14);
  EXPECT_LT(left.Brightness(), 200);
}

TEST_F(Gui, PartialRedrawTouchesOnlyTheDirtyRectangle) {
  auto* w = new Painter(kWindowVisible);
  w->colour = 0xFF0000FFu;  // red
  w->SetFrame(Rect(100, 100, 300, 300));
  Frame();
  EXPECT_EQ(At(150, 150).r, 255);
  w->colour = 0xFFFF0000u;  // blue, but only a small part is invalidated
  Invalidate(w, Rect(200, 200, 220, 220), false);
  EXPECT_EQ(Frame(), 1);
  Pixel inside = At(210, 210), outside = At(150, 150);
  EXPECT_EQ(inside.b, 255);
  EXPECT_EQ(inside.r, 0);
  EXPECT_EQ(outside.r, 255);
  // An idle frame draws nothing and leaves the pixels alone.
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(At(150, 150).r, 255);
  // The outlines of redrawn rectangles (Control+F2).
  Key(kKeyControl, true);
  Tap(kKeyF2);
  Key(kKeyControl, false);
  Invalidate(w, Rect(120, 120, 180, 180), false);
  Frame();
  Pixel edge = At(120, 150);
  EXPECT_EQ(edge.g, 255);
  test::SaveScreenshot("debug-rectangles");
}

TEST_F(Gui, MessageBoxAnsweredWithTheMouseAndTheKeyboard) {
  auto* w = new Painter();
  w->SetTitle("Editor");
  w->SetFrame(Rect(40, 40, 400, 300));
  Frame();
  Pixel before = At(60, 200);
  on_pump = [&](int n) {
    if (n == 3) {
      test::SaveScreenshot("really-quit");
      // The box dims what lies below it.
      EXPECT_LT(At(60, 200).Brightness(), before.Brightness());
      auto* box = dynamic_cast<MessageBoxWindow*>(TopModal()->window);
      ASSERT_TRUE(box);
      EXPECT_STREQ(box->Title(), "Really Quit Brae?");
      Rect quit = box->ButtonAt(0)->Frame();
      test::QueueClick((quit.x0 + quit.x1) / 2, (quit.y0 + quit.y1) / 2);
    }
  };
  EXPECT_EQ(ShowMessageBox("Really Quit Brae?", nullptr, {"Quit", "Don't Quit"}), 0);
  pumps = 0;
  on_pump = [&](int n) {
    if (n == 2) QueueKeyEvent(kKeyEscape, 1);
  };
  EXPECT_EQ(ShowMessageBox("Really Quit Brae?", nullptr, {"Quit", "Don't Quit"}), 1);
  pumps = 0;
  on_pump = [&](int n) {
    if (n == 2) {
      QueueKeyEvent(kKeyRight, 1);
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  EXPECT_EQ(
      ShowMessageBox("Save?", "Do you wish to save your changes?", {"Save", "Discard", "Cancel"}),
      1);
  pumps = 0;
  on_pump = [&](int n) {
    if (n == 4) {  // drawn by now (the first frame after the previous box only ends its loop)
      auto* box = dynamic_cast<MessageBoxWindow*>(TopModal()->window);
      EXPECT_EQ(box->ButtonCount(), 4);  // a fifth label is ignored
      test::SaveScreenshot("message-box-buttons");
      QueueKeyEvent(kKeyEnter, 1);
    }
  };
  EXPECT_EQ(ShowMessageBox("Error", "Five labels were given; the box shows only the first four.",
                           {"One", "Two", "Three", "Four", "Five"}),
            0);
  Frame();
  EXPECT_EQ(Ui().layer1->FirstChild(), nullptr);  // the boxes are gone
}

TEST_F(Gui, OverviewModeArrangesAndRestoresWindows) {
  std::vector<Painter*> windows;
  for (int i = 0; i < 4; ++i) {
    auto* w = new Painter();
    char title[32];
    std::snprintf(title, sizeof title, "Window %d", i + 1);
    w->SetTitle(title);
    w->colour = 0xFF203040u + 0x202020u * static_cast<uint32_t>(i);
    w->SetFrame(Rect(40 + 60 * i, 40 + 40 * i, 500 + 60 * i, 400 + 40 * i));
    windows.push_back(w);
  }
  Frame();
  Tap(kKeyF10);
  ASSERT_TRUE(IsOverviewRunning());
  now += 0.3;
  Frame();
  Frame();
  test::SaveScreenshot("overview");
  EXPECT_NEAR(Ui().overview_fraction, 1.0, 1e-6);
  // A press on a window activates it and leaves the overview.
  Rect target = Ui().overview_targets[windows[0]];
  Click((target.x0 + target.x1) / 2, (target.y0 + target.y1) / 2);
  now += 0.3;
  Frame();
  EXPECT_FALSE(IsOverviewRunning());
  EXPECT_EQ(Ui().layer0->FirstChild(), windows[0]);
  EXPECT_EQ(windows[0]->Frame(), Rect(40, 40, 500, 400));  // never really moved
}

TEST_F(Gui, SnapshotOfTheFocusWindow) {
  auto* w = new Painter();
  w->colour = 0xFF00FF00u;
  w->SetFrame(Rect(100, 100, 301, 200));
  w->SetFocus(0);
  Frame();
  Key(kKeyControl, true);
  Key(kKeyShift, true);
  Tap(kKeyF12);
  Key(kKeyShift, false);
  Key(kKeyControl, false);
  const std::vector<uint8_t>& dib = Ui().last_snapshot;
  Rect client = w->ClientRect();
  int stride = (client.Width() * 3 + 3) & ~3;
  ASSERT_EQ(dib.size(), 40u + static_cast<size_t>(stride) * client.Height());
  EXPECT_EQ(dib[0], 40);
  EXPECT_EQ(dib[14], 24);
  EXPECT_EQ(dib[40 + 1], 255);  // green, stored blue-green-red
  EXPECT_EQ(dib[40 + 2], 0);
}

TEST_F(Gui, DebugOverlayShowsFocusAndModalStack) {
  auto* w = new Painter();
  w->SetTitle("Focused");
  w->SetFrame(Rect(100, 100, 400, 300));
  w->SetFocus(0);
  Key(kKeyControl, true);
  Tap(kKeyF1);
  Key(kKeyControl, false);
  EXPECT_TRUE(Ui().debug_overlay);
  test::SaveScreenshot("debug-overlay");
  int green = 0;
  for (int x = 8; x < 150; ++x)
    for (int y = 6; y < 20; ++y)
      if (At(x, y).g > 200 && At(x, y).r < 150) ++green;
  EXPECT_GT(green, 10);
}

TEST_F(Gui, SuspensionDimsTheScreenAndIgnoresInput) {
  auto* w = new Painter();
  w->SetFrame(Rect(100, 100, 400, 300));
  Frame();
  Pixel before = At(600, 500);
  SuspendUi(true);
  EXPECT_FALSE(Ui().running);
  EXPECT_LT(At(600, 500).Brightness(), before.Brightness() * 3 / 4);
  QueueKeyEvent('A', 1);
  QueueMouseButton(0, 1);
  EXPECT_EQ(Ui().ring_count, 0);
  test::SaveScreenshot("suspended");
  SuspendUi(false);
  Frame();
  EXPECT_TRUE(Ui().running);
  EXPECT_EQ(At(600, 500).Brightness(), before.Brightness());
}

void RedSquare(Rect* out, int x, int y, Window::DragDropData*) {
  if (out) {
    *out = Rect(-8, -8, 8, 8);
    return;
  }
  SetColor(0xFF0000FFu);
  FillRect(Rect(x - 8, y - 8, x + 8, y + 8));
}

TEST_F(Gui, DragImageFollowsTheMouse) {
  RegisterDragRenderer(5, RedSquare);
  auto* source = new Painter();
  source->SetFrame(Rect(50, 50, 250, 250));
  QueueMousePosition(100, 120);
  Frame();
  BeginMouseTracking(source, new Window::DragDropData(5, source), nullptr);
  QueueMousePosition(500, 400);
  Frame();
  EXPECT_EQ(At(500, 400).r, 255);
  test::SaveScreenshot("drag-image");
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_NE(At(500, 400).r, 255);
}

TEST_F(Gui, ModalWindowDimsEverythingBelow) {
  auto* below = new Painter();
  below->SetFrame(Rect(20, 20, 300, 200));
  auto* dialog = new Painter(kDocument | kWindowOverlay);
  dialog->SetTitle("Modal");
  dialog->SetFrame(Rect(300, 250, 600, 450));
  Frame();
  Pixel before = At(100, 100), dialog_before = At(450, 350);
  on_pump = [&](int n) {
    if (n == 3) {
      EXPECT_LT(At(100, 100).Brightness(), before.Brightness());
      EXPECT_EQ(At(450, 350).Brightness(), dialog_before.Brightness());
      test::SaveScreenshot("modal-dim");
      EndModal(7);
    }
  };
  EXPECT_EQ(RunModal(dialog, kModalDim), 7);
  Frame();
  EXPECT_EQ(At(100, 100).Brightness(), before.Brightness());
}

}  // namespace
}  // namespace brae
