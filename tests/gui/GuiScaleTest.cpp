// The toolkit at an interface scale of 2: laid out and driven in logical pixels, drawn with
// twice as many device pixels, text from the font's 2x rendering.
#include <cstdlib>
#include <string>

#include "GuiHarness.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"

namespace brae {
namespace {

class GuiScale : public test::GuiTest {
 protected:
  void SetUp() override {
    test::GuiTest::SetUp();
    if (IsSkipped()) return;
    SetUiScale(2.0f);
    Frame();
  }
  // The device pixel in the middle of a logical coordinate at scale 2.
  static int Device(int logical) { return 2 * logical + 1; }
  void Press(const Point& logical) {
    QueueMousePosition(Device(logical.x), Device(logical.y));
    QueueMouseButton(0, 1);
    Frame();
  }
  void DragTo(const Point& logical) {
    QueueMousePosition(Device(logical.x), Device(logical.y));
    Frame();
    QueueMouseButton(0, 0);
    Frame();
    now += 0.5;
  }
};

// White text on black, one word at a known pen position.
class Ink : public Window {
 public:
  Ink() : Window(kWindowVisible) {}
  void DrawContent() override {
    SetColor(0xFF000000u);
    FillRect(Rect(0, 0, client.Width(), client.Height()));
    SetColor(0xFFFFFFFFu);
    DrawText(this, "H", 4, 4);
  }
};

TEST_F(GuiScale, TextIsTheDoubleFontsGlyphPixelForPixel) {
  const UiState& ui = Ui();
  EXPECT_EQ(ui.screen_width, ui.device_width / 2);
  EXPECT_EQ(ui.screen_height, ui.device_height / 2);
  Font* sharp = LoadFont(std::string(BRAE_BUILD_DIR) + "/bin/res/plume@2x.braefont", false);
  ASSERT_TRUE(sharp);
  auto* ink = new Ink();
  ink->SetFrame(Rect(30, 20, 90, 60));
  Frame();
  test::SaveScreenshot("scale2-glyph");
  // The pen stands at the text's left edge, the baseline the font's baseline offset lower;
  // the 2x glyph sits at twice those plus its own offsets.
  const Glyph& g = sharp->styles[kStylePlain].glyphs['H' - 0x20];
  ASSERT_GT(g.width * g.height, 0);
  int x0 = 2 * (ink->client.x0 + 4) + g.x_offset;
  int y0 = 2 * (ink->client.y0 + 4 + ui.default_font->header[0]) + g.y_offset;
  const std::vector<uint8_t>& atlas = sharp->atlas_pixels[g.atlas];
  int stride = sharp->atlases[g.atlas].width;
  int mismatches = 0, ink_pixels = 0;
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x) {
      int ax = g.rotated ? g.atlas_x + y : g.atlas_x + x;
      int ay = g.rotated ? g.atlas_y + x : g.atlas_y + y;
      int coverage = atlas[static_cast<size_t>(ay) * stride + ax];
      int drawn = At(x0 + x, y0 + y).Brightness() / 3;
      if (std::abs(drawn - coverage) > 8) ++mismatches;
      if (coverage > 128) ++ink_pixels;
    }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(ink_pixels, 2 * g.height);  // two stems at least: a real glyph was compared
  FreeFont(sharp);
}

TEST_F(GuiScale, ClicksDragsAndScrollBarsMeetTheLogicalPixels) {
  auto* doc = new Window(kWindowVisible | test::kDocumentWindow);
  doc->SetTitle("List");
  doc->SetFrame(Rect(20, 20, 300, 260));
  auto* list = new ListWindow(0, kWindowVisible, doc);
  list->AddColumn("Name", 180);
  for (int i = 0; i < 200; ++i) list->AddRow(nullptr, ("Row " + std::to_string(i)).c_str(), 0, i);
  list->SetFrame(Rect(0, 0, doc->ClientRect().Width(), doc->ClientRect().Height()));
  Frame();

  // A click at device (2x + 1, 2y + 1) reaches the row at logical (x, y).
  Rect row3 = list->RowRect(3);
  Press(test::Centre(row3));
  DragTo(test::Centre(row3));
  ASSERT_TRUE(list->CurrentRow());
  EXPECT_EQ(list->CurrentRow()->value, 3);

  // Dragging the title bar by 60 x 30 device pixels moves the window 30 x 15 logical pixels.
  Rect frame = doc->Frame();
  Point grip{frame.x0 + 40, doc->TitleBarRect().y0 + 8};
  Press(grip);
  DragTo(Point{grip.x + 30, grip.y + 15});
  EXPECT_EQ(doc->Frame(), frame.Offset(30, 15));

  // The scroll bar's thumb dragged 40 logical pixels scrolls as far as at scale 1.
  auto drag_thumb = [&](float scale) {
    SetUiScale(scale);
    list->ScrollTo(0);
    Frame();
    Point from = test::Centre(list->VThumbRect());
    auto device = [scale](int v) { return v * scale + scale / 2; };
    QueueMousePosition(device(from.x), device(from.y));
    QueueMouseButton(0, 1);
    Frame();
    QueueMousePosition(device(from.x), device(from.y + 40));
    Frame();
    QueueMouseButton(0, 0);
    Frame();
    now += 0.5;
    return list->VPos();
  };
  int at_two = drag_thumb(2.0f);
  EXPECT_GT(at_two, 0);
  EXPECT_EQ(at_two, drag_thumb(1.0f));
}

// A change of scale is a new logical screen size: the menu bar spans it, layer 0 starts below.
TEST_F(GuiScale, TheMenuBarSpansTheScreenAtEveryScale) {
  auto* bar = new Menu(true);
  SetMenuBar(bar);
  AddMenuItem(bar, "File", nullptr, 0);
  Frame();
  EXPECT_EQ(bar->Frame(), Rect(0, 0, 400, bar->Frame().Height()));
  SetUiScale(1.0f);
  Frame();
  EXPECT_EQ(bar->Frame(), Rect(0, 0, 800, bar->Frame().Height()));
  EXPECT_EQ(Ui().layer0->Frame(), Rect(0, bar->Frame().Height(), 800, 600));
  EXPECT_GT(At(790, 4).Brightness(), 60);  // drawn out to the right edge, not left black
}

}  // namespace
}  // namespace brae
