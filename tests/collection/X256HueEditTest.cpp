// The Hue Changes tab of the collection editor on the demo sprites: its rows and menu, new,
// rename and delete with their question and the open-editor refusal, the hue change editor's
// fields and conversions, marker drags on the colour bar with real mouse events, the preview
// of the thumbnails, and undo and redo of every kind of change.
#include <cstring>

#include "CollectionEditorFixture.h"
#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/HueChangeOperations.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/ColorBar.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256HueBrowser.h"
#include "collection/ui/X256HueEdit.h"
#include "editing/EditingFixture.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ColorButton.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Menu.h"
#include "toolkit/TabWindow.h"
#include "toolkit/TextBox.h"
#include "toolkit/TextPopup.h"

namespace brae {
namespace {

constexpr int kHueTab = 3;

std::vector<std::string> HueNames(const Collection& c) {
  std::vector<std::string> out;
  for (const HueChange& h : c.hue_changes) out.push_back(HueChangeName(h));
  return out;
}

std::vector<std::string> HueRows(X256HueBrowser* browser) {
  std::vector<std::string> out;
  for (size_t i = 0; i < browser->ShownCount(); ++i) out.push_back(browser->ShownRow(i)->text);
  return out;
}

class X256HueEditTest : public test::CollectionEditorTest {
 protected:
  // The demo sprites ("Team Red", "Team Blue") with the Hue Changes tab shown.
  X256HueBrowser* OpenHues() {
    editor = dynamic_cast<X256Edit*>(OpenTag(Find(".256", "dspr")));
    Frame();
    if (!editor) return nullptr;
    editor->Tabs()->SelectTab(kHueTab);
    Frame();
    return editor->HueBrowser();
  }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  static Point RowPoint(ListWindow* list, size_t row) {
    Rect r = list->RowRect(row);
    return Point{r.x0 + 30, (r.y0 + r.y1) / 2};
  }
  void DoubleClick(Point p) {
    now += 1.0;
    QueueMousePosition(p.x, p.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
    Frame();
  }
  void ClickAt(Point p) {
    now += 1.0;
    QueueMousePosition(p.x, p.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
  }
  // Presses the left button at from, moves through the points and releases at the last one.
  void Drag(Point from, const std::vector<Point>& through) {
    now += 1.0;
    QueueMousePosition(from.x, from.y);
    QueueMouseButton(0, 1);
    Frame();
    for (const Point& p : through) {
      QueueMousePosition(p.x, p.y);
      Frame();
    }
    QueueMouseButton(0, 0);
    Frame();
  }
  // The point of the bar at a hue in degrees.
  static Point BarPoint(ColorBar* bar, int degrees) {
    return Point{bar->ClientRect().x0 + degrees, Centre(bar->ClientRect()).y};
  }
  // The menu shown by a right click at the point, described as "label=id" items.
  std::string RightClickMenu(Point at, const std::string& choose = "") {
    std::string seen;
    int menu_pumps = 0;
    on_pump = [&](int) {
      AnswerBox();
      const ModalEntry* top = TopModal();
      auto* menu = top ? dynamic_cast<Menu*>(top->window) : nullptr;
      if (!menu || menu->IsClosed()) return;
      if (++menu_pumps != 2) return;
      MenuItem* chosen = nullptr;
      for (MenuItem* item : menu->Shown()) {
        if (!seen.empty()) seen += ", ";
        if (item->IsSeparator()) {
          seen += "-";
          continue;
        }
        seen += std::string(item->Title()) + "=" + std::to_string(item->Command());
        if (!item->IsEnabled()) seen += " (disabled)";
        if (choose == item->Title()) chosen = item;
      }
      test::SaveScreenshot("x256_hue_menu");
      chosen ? menu->Choose(chosen) : menu->Dismiss();
    };
    now += 1.0;
    QueueMousePosition(at.x, at.y);
    QueueMouseButton(1, 1);
    QueueMouseButton(1, 0);
    Frame();
    on_pump = [this](int) { AnswerBox(); };
    Frame();
    return seen;
  }
  // While a command runs, the in-place rename pop-up gets the text typed and Enter.
  void TypeIntoRenamePopup(const std::string& text) {
    on_pump = [this, text, typed = false](int) mutable {
      AnswerBox();
      const ModalEntry* top = TopModal();
      auto* popup = top ? dynamic_cast<TextPopup*>(top->window) : nullptr;
      if (!popup || popup->IsClosed() || typed) return;
      typed = true;
      popup->Box()->SetText("");
      for (char ch : text) QueueCharEvent(static_cast<uint8_t>(ch));
      QueueKeyEvent(kKeyEnter, 1);
      QueueKeyEvent(kKeyEnter, 0);
    };
  }
  // Clicks into a text box, replaces its text by typing and presses Enter.
  void TypeInto(TextBox* box, const std::string& text) {
    ClickAt(Centre(box->Frame()));
    box->SelectAll();
    for (char ch : text) QueueCharEvent(static_cast<uint8_t>(ch));
    QueueKeyEvent(kKeyEnter, 1);
    QueueKeyEvent(kKeyEnter, 0);
    Frame();
  }
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  X256HueEdit* OpenEditorOf(X256HueBrowser* browser, size_t row) {
    // Hue editors opened before may cover the list.
    editor->BringToFront();
    Frame();
    DoubleClick(RowPoint(browser, row));
    return browser->FindHueEditor(row);
  }

  X256Edit* editor = nullptr;
};

TEST_F(X256HueEditTest, TheTabListsTheHueChangesWithTheirMenu) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  EXPECT_EQ(editor->Tabs()->Page(kHueTab), browser);
  EXPECT_STREQ(browser->Title(), "Hue Changes");
  EXPECT_EQ(HueRows(browser), (std::vector<std::string>{"Team Red", "Team Blue"}));
  EXPECT_EQ(RightClickMenu(RowPoint(browser, 1)), "Rename=0, Delete=1, New Hue Change=2");
  EXPECT_EQ(browser->SelectedIndices(), std::vector<size_t>{1});
  browser->ToggleSelected(browser->ShownRow(0));
  EXPECT_EQ(RightClickMenu(RowPoint(browser, 0)),
            "Rename=0 (disabled), Delete=1, New Hue Change=2");
  EXPECT_FALSE(editor->IsDirty());
}

TEST_F(X256HueEditTest, NewRenameAndDeleteAreEachUndoneAndRedone) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  RightClickMenu(RowPoint(browser, 0), "New Hue Change");
  EXPECT_EQ(HueNames(c), (std::vector<std::string>{"Team Red", "Team Blue", "New Hue Change"}));
  EXPECT_EQ(HueRows(browser), HueNames(c));
  EXPECT_EQ(browser->SelectedIndices(), std::vector<size_t>{2});
  const HueChange& fresh = c.hue_changes[2];
  EXPECT_EQ(fresh.start_hue, 0x5556);
  EXPECT_EQ(fresh.median_hue, 0x8001);
  EXPECT_EQ(fresh.end_hue, 0xAAAB);
  EXPECT_TRUE(editor->IsDirty());

  TypeIntoRenamePopup("Team Green");
  browser->RunCommand(kHueChangeRename);
  Frame();
  EXPECT_EQ(HueRows(browser)[2], "Team Green");

  browser->Select(browser->ShownRow(0), false);
  answers = {1};  // Cancel
  browser->RunCommand(kHueChangeDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Confirm Delete");
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected hue change?");
  EXPECT_EQ(c.hue_changes.size(), 3u);
  browser->ToggleSelected(browser->ShownRow(1));
  answers = {0};
  boxes.clear();
  browser->RunCommand(kHueChangeDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected hue changes?");
  EXPECT_EQ(HueRows(browser), std::vector<std::string>{"Team Green"});

  // Back through the delete, the rename and the new hue change, then forward again.
  ControlKey('Z');
  EXPECT_EQ(HueRows(browser), (std::vector<std::string>{"Team Red", "Team Blue", "Team Green"}));
  ControlKey('Z');
  EXPECT_EQ(HueRows(browser)[2], "New Hue Change");
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(HueRows(browser), (std::vector<std::string>{"Team Red", "Team Blue"}));
  ControlKey('Y');
  ControlKey('Y');
  ControlKey('Y');
  EXPECT_EQ(HueNames(c), std::vector<std::string>{"Team Green"});
  EXPECT_EQ(HueRows(browser), HueNames(c));
}

TEST_F(X256HueEditTest, DoubleClickOpensOneEditorAndAnOpenHueChangeIsNotDeleted) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  X256HueEdit* hue = OpenEditorOf(browser, 1);
  ASSERT_TRUE(hue);
  EXPECT_STREQ(hue->Title(), "Team Blue");
  EXPECT_EQ(CountLayer0("X256HueEdit"), 1);
  test::SaveScreenshot("x256_hue_editor");
  // A second double click brings the same window to the front.
  editor->BringToFront();
  Frame();
  EXPECT_EQ(OpenEditorOf(browser, 1), hue);
  EXPECT_EQ(CountLayer0("X256HueEdit"), 1);

  browser->Select(browser->ShownRow(0), false);
  browser->ToggleSelected(browser->ShownRow(1));
  browser->RunCommand(kHueChangeDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message,
            "The hue change \"Team Blue\" is currently open. Please close it before deleting.");
  EXPECT_EQ(c.hue_changes.size(), 2u);
  EXPECT_FALSE(editor->Undos().CanUndo());
  // Closed, it may go.
  TryClose(hue);
  EXPECT_TRUE(browser->HueEditors().empty());
  answers = {0};
  browser->RunCommand(kHueChangeDelete);
  Frame();
  EXPECT_TRUE(c.hue_changes.empty());
}

TEST_F(X256HueEditTest, EditorsFollowTheirIndicesAndCloseWhenTheirHueChangeGoes) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  browser->RunCommand(kHueChangeNew);
  Frame();
  X256HueEdit* fresh = OpenEditorOf(browser, 2);
  ASSERT_TRUE(fresh);
  X256HueEdit* blue = OpenEditorOf(browser, 1);
  ASSERT_TRUE(blue);
  // Delete "Team Red": the blue editor now names index 0.
  TryClose(fresh);
  browser->Select(browser->ShownRow(0), false);
  answers = {0};
  browser->RunCommand(kHueChangeDelete);
  Frame();
  EXPECT_EQ(blue->Index(), 0u);
  EXPECT_STREQ(blue->Title(), "Team Blue");
  editor->Undo();  // "Team Red" is back in front of it
  EXPECT_EQ(blue->Index(), 1u);
  EXPECT_EQ(HueChangeName(*blue->Record()), "Team Blue");
  // Undoing the new hue change closes its editor.
  fresh = OpenEditorOf(browser, 2);
  ASSERT_TRUE(fresh);
  editor->Undo();
  Frame();
  EXPECT_EQ(c.hue_changes.size(), 2u);
  EXPECT_EQ(browser->HueEditors(), std::vector<X256HueEdit*>{blue});
  EXPECT_EQ(CountLayer0("X256HueEdit"), 1);
  // Closing the collection editor (its changes discarded) closes the hue editors.
  answers = {1};
  EXPECT_TRUE(TryClose(editor));
  Frame();
  EXPECT_EQ(CountLayer0("X256HueEdit"), 0);
}

TEST_F(X256HueEditTest, EveryFieldStoresItsConversionAndIsUndoneAlone) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  X256HueEdit* hue = OpenEditorOf(browser, 0);
  ASSERT_TRUE(hue);
  const HueChange original = c.hue_changes[0];
  EXPECT_EQ(hue->HueText(0), std::string("338") + char(161));
  EXPECT_EQ(hue->HueText(1), std::string("0") + char(161));
  EXPECT_EQ(hue->HueText(2), std::string("23") + char(161));
  EXPECT_TRUE(hue->ReplacementBox()->IsChecked());
  EXPECT_FALSE(hue->SolidBox()->IsChecked());
  EXPECT_EQ(hue->ColourButton()->Colour(), 200u | 40u << 8 | 40u << 16);

  // Minimum saturation: 50 % stores 32768 and shows 50.
  TypeInto(hue->SaturationBox(), "50");
  EXPECT_EQ(c.hue_changes[0].min_saturation, 32768);
  EXPECT_EQ(hue->SaturationBox()->Text(), "50");
  EXPECT_TRUE(editor->IsDirty());
  TypeInto(hue->SaturationBox(), "100");
  EXPECT_EQ(c.hue_changes[0].min_saturation, 65535);
  // Use As.
  hue->UseAsChoice()->ChooseRow(2);
  Frame();
  EXPECT_EQ(c.hue_changes[0].use_as, 2);
  // Reversed, by a click on the box.
  ClickAt(Centre(hue->ReversedBox()->Frame()));
  EXPECT_EQ(c.hue_changes[0].flags & 1, 1);
  // Solid colour: bit 1 added to the replacement byte; without replacement the byte is 0.
  ClickAt(Centre(hue->SolidBox()->Frame()));
  EXPECT_EQ(c.hue_changes[0].replacement_mode, 3);
  ClickAt(Centre(hue->ReplacementBox()->Frame()));
  EXPECT_EQ(c.hue_changes[0].replacement_mode, 0);
  // The colour button: the picker's colour stored as components × 256.
  on_pump = [this](int) {
    AnswerBox();
    auto* picker = TopModal() ? dynamic_cast<ColorPickerWindow*>(TopModal()->window) : nullptr;
    if (!picker || picker->IsClosed() || picker->NewColour() == 0x302010u) return;
    picker->SetColour(0x302010u);
    Point ok = Centre(picker->OkButton()->Frame());
    QueueMousePosition(ok.x, ok.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
  };
  ClickAt(Centre(hue->ColourButton()->Frame()));
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  EXPECT_EQ(c.hue_changes[0].replacement[0], 0x1000);
  EXPECT_EQ(c.hue_changes[0].replacement[1], 0x2000);
  EXPECT_EQ(c.hue_changes[0].replacement[2], 0x3000);
  // The name box renames, and the title follows.
  TypeInto(hue->NameBox(), "Team Crimson");
  EXPECT_EQ(HueChangeName(c.hue_changes[0]), "Team Crimson");
  EXPECT_STREQ(hue->Title(), "Team Crimson");
  EXPECT_EQ(HueRows(browser)[0], "Team Crimson");

  const HueChange edited = c.hue_changes[0];
  // Each edit is its own undo step, and the controls follow.
  editor->Undo();
  EXPECT_STREQ(hue->Title(), "Team Red");
  EXPECT_EQ(hue->NameBox()->Text(), "Team Red");
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].replacement[0], original.replacement[0]);
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].replacement_mode, 3);
  EXPECT_TRUE(hue->ReplacementBox()->IsChecked());
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].replacement_mode, 1);
  EXPECT_FALSE(hue->SolidBox()->IsChecked());
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].flags, original.flags);
  EXPECT_FALSE(hue->ReversedBox()->IsChecked());
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].use_as, original.use_as);
  EXPECT_EQ(hue->UseAsChoice()->SelectedValue(), original.use_as);
  editor->Undo();
  EXPECT_EQ(c.hue_changes[0].min_saturation, 32768);
  editor->Undo();
  EXPECT_EQ(std::memcmp(&c.hue_changes[0], &original, sizeof original), 0);
  EXPECT_EQ(hue->SaturationBox()->Text(),
            std::to_string(MinSaturationPercent(original.min_saturation)));
  EXPECT_FALSE(editor->Undos().CanUndo());
  // Control+Y in the hue editor redoes on the collection editor's stack, and redoing every
  // step comes back to the edited hue change.
  hue->SetFocus(0);
  ControlKey('Y');
  EXPECT_EQ(c.hue_changes[0].min_saturation, 32768);
  while (editor->Redo()) {
  }
  EXPECT_EQ(std::memcmp(&c.hue_changes[0], &edited, sizeof edited), 0);
  EXPECT_STREQ(hue->Title(), "Team Crimson");
  EXPECT_TRUE(hue->SolidBox()->IsChecked());
  EXPECT_FALSE(hue->ReplacementBox()->IsChecked());
  EXPECT_EQ(hue->ColourButton()->Colour(), 0x302010u);
}

TEST_F(X256HueEditTest, DraggingTheStartMarkerPastTheMedianDragsItAlongInOneUndoStep) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  browser->RunCommand(kHueChangeNew);
  Frame();
  X256HueEdit* hue = OpenEditorOf(browser, 2);
  ASSERT_TRUE(hue);
  ColorBar* bar = hue->Bar();
  EXPECT_EQ(bar->ClientRect().Width(), 360);
  EXPECT_EQ(bar->ClientRect().Height(), 20);
  const size_t steps = editor->Undos().Count();
  // The start marker from 120° to 200°, past the median at 180°.
  Drag(BarPoint(bar, 120), {BarPoint(bar, 150), BarPoint(bar, 190), BarPoint(bar, 200)});
  test::SaveScreenshot("x256_hue_colour_bar");
  const HueChange& h = c.hue_changes[2];
  EXPECT_EQ(h.start_hue, HueFromDegrees(200));
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  EXPECT_EQ(h.end_hue, 0xAAAB);
  EXPECT_EQ(hue->HueText(1), std::string("200") + char(161));
  EXPECT_EQ(editor->Undos().Count(), steps + 1);
  // The median cannot leave the range: dragged from 200° to 230° and on to 300°, it stays
  // at 230°.
  Drag(BarPoint(bar, 200), {});  // a click on start and median moves nothing
  EXPECT_EQ(editor->Undos().Count(), steps + 1);
  Drag(BarPoint(bar, 240), {BarPoint(bar, 250)});  // widen the range first
  EXPECT_EQ(h.end_hue, HueFromDegrees(250));
  const HueChange widened = h;
  Drag(BarPoint(bar, 200), {BarPoint(bar, 170)});  // the start, back out of the median
  EXPECT_EQ(h.start_hue, HueFromDegrees(170));
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  Drag(BarPoint(bar, 200), {BarPoint(bar, 230), BarPoint(bar, 300)});
  EXPECT_EQ(h.median_hue, HueFromDegrees(230));
  // The end marker past the right edge stops at 360°.
  Drag(BarPoint(bar, 250), {BarPoint(bar, 300), BarPoint(bar, 420)});
  EXPECT_EQ(h.end_hue, 65535);
  EXPECT_EQ(editor->Undos().Count(), steps + 5);
  // One undo per drag.
  editor->Undo();
  EXPECT_EQ(h.end_hue, HueFromDegrees(250));
  editor->Undo();
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  editor->Undo();
  EXPECT_EQ(std::memcmp(&h, &widened, sizeof h), 0);
  editor->Undo();
  editor->Undo();
  EXPECT_EQ(h.start_hue, 0x5556);
  EXPECT_EQ(h.median_hue, 0x8001);
  EXPECT_EQ(h.end_hue, 0xAAAB);
  EXPECT_EQ(bar->Current().start_hue, 0x5556);
  editor->Redo();
  EXPECT_EQ(h.median_hue, HueFromDegrees(200));
  EXPECT_EQ(bar->Current().median_hue, HueFromDegrees(200));
}

TEST_F(X256HueEditTest, DraggingTheMarkersIntoAWrappedRangeRecoloursRedAndNotGreen) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  // Only the new hue change recolours.
  for (HueChange& h : c.hue_changes) h.replacement_mode = 0;
  browser->RunCommand(kHueChangeNew);
  Frame();
  X256HueEdit* hue = OpenEditorOf(browser, 2);
  ASSERT_TRUE(hue);
  ClickAt(Centre(hue->ReplacementBox()->Frame()));  // toward black
  ASSERT_EQ(c.hue_changes[2].replacement_mode, 1);
  ColorBar* bar = hue->Bar();
  // The end from 240° down to 60° (the range now wraps from 120°), then the start from 120°
  // up to 300°: the median at 180° falls outside 300°–60° and is pulled to 300°.
  Drag(BarPoint(bar, 240), {BarPoint(bar, 150), BarPoint(bar, 60)});
  Drag(BarPoint(bar, 120), {BarPoint(bar, 200), BarPoint(bar, 300)});
  const HueChange& h = c.hue_changes[2];
  EXPECT_EQ(HueDegrees(h.start_hue), 300);
  EXPECT_EQ(HueDegrees(h.end_hue), 60);
  EXPECT_EQ(HueDegrees(h.median_hue), 300);
  test::SaveScreenshot("x256_hue_wrapped_range");
  // The demo palette's hue wheel: entry 2 is red (0°), entry 15 green (117°), entry 36 magenta
  // (306°), entry 9 yellow-orange (63°, past the end).
  const CollectionPalette& preview = editor->Textures().PreviewPalette();
  for (int i : {2, 36}) {
    EXPECT_NE(preview[size_t(i)], c.palette[size_t(i)]) << i;
    EXPECT_EQ(preview[size_t(i)], (PaletteColor{0, 0, 0})) << i;
  }
  for (int i : {15, 9}) EXPECT_EQ(preview[size_t(i)], c.palette[size_t(i)]) << i;
  // The mask written on save agrees.
  std::vector<uint8_t> data = Saved(c);
  Collection reloaded;
  TagHeader header;
  ASSERT_TRUE(LoadCollection(data.data(), data.size(), header, CollectionLoadOptions(), &reloaded));
  const HueChange& saved = reloaded.hue_changes[2];
  EXPECT_TRUE(saved.mask[2 / 8] & (1 << (2 % 8)));
  EXPECT_FALSE(saved.mask[15 / 8] & (1 << (15 % 8)));
}

TEST_F(X256HueEditTest, ThumbnailsShowThePreviewAndAChangeRefillsWithoutRebuilding) {
  X256HueBrowser* browser = OpenHues();
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const CollectionPalette stored = c.palette;
  X256HueEdit* hue = OpenEditorOf(browser, 1);  // "Team Blue": 180° to 247.5°, solid
  ASSERT_TRUE(hue);
  editor->BringToFront();
  editor->Tabs()->SelectTab(0);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  Click(Centre(bitmaps->ViewButton()->Frame()).x, Centre(bitmaps->ViewButton()->Frame()).y);
  Frame();
  ASSERT_EQ(bitmaps->View(), kShowGrid);
  // The bitmaps are drawn through the palette with the hue changes applied.
  const CollectionPalette preview = editor->Textures().PreviewPalette();
  auto check_thumbnail = [&](const CollectionPalette& want, int* differing) {
    const CollectionBitmap* b = bitmaps->Listed()[3];
    Rect r = bitmaps->ThumbnailRect(3);
    const int scale = std::max(1, r.Width() / b->width);
    int checked = 0;
    for (int y = 0; y < b->height; y += 2)
      for (int x = 0; x < b->width; x += 2) {
        const uint8_t* px = b->Pixel(x, y);
        if (px[0] != 255) continue;
        test::Pixel p = At(r.x0 + x * scale + scale / 2, r.y0 + y * scale + scale / 2);
        EXPECT_EQ(p.r, want[px[1]].r) << x << "," << y;
        EXPECT_EQ(p.g, want[px[1]].g) << x << "," << y;
        EXPECT_EQ(p.b, want[px[1]].b) << x << "," << y;
        if (want[px[1]] != stored[px[1]]) ++*differing;
        ++checked;
      }
    EXPECT_GT(checked, 20);
  };
  int recoloured = 0;
  check_thumbnail(preview, &recoloured);
  EXPECT_GT(recoloured, 0);  // the demo's blue disc lies in "Team Blue"
  test::SaveScreenshot("x256_hue_preview");
  // Turning the replacement off in the hue editor: the thumbnails go back to the stored
  // palette; textures are refilled, none is built again.
  const size_t built = editor->Textures().BuildCount();
  const size_t refilled = editor->Textures().RefillCount();
  hue->BringToFront();
  Frame();
  ClickAt(Centre(hue->ReplacementBox()->Frame()));
  editor->BringToFront();
  Frame();
  Frame();
  EXPECT_EQ(c.hue_changes[1].replacement_mode, 0);
  EXPECT_EQ(c.palette, stored);
  const CollectionPalette after = editor->Textures().PreviewPalette();
  EXPECT_NE(after, preview);
  int still = 0;
  check_thumbnail(after, &still);
  EXPECT_EQ(still, 0);
  EXPECT_EQ(editor->Textures().BuildCount(), built);
  EXPECT_GT(editor->Textures().RefillCount(), refilled);
  // Bitmaps that use no entry the change touched are not refilled.
  EXPECT_LT(editor->Textures().RefillCount() - refilled, bitmaps->Listed().size());
  // Undo brings the preview back.
  editor->Undo();
  Frame();
  Frame();
  recoloured = 0;
  check_thumbnail(preview, &recoloured);
  EXPECT_GT(recoloured, 0);
}

}  // namespace
}  // namespace brae
