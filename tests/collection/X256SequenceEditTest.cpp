// The sequence editor on the demo sprites: opening it from the Sequences tab with its grid,
// fields and check boxes; drags from the Bitmaps and Shadows tables and within the grid (a drop
// past the grid is refused whole); field edits, resizing, mirror toggles and imports with their
// undo and redo; and a save after a session of edits that reads back to the same bytes.
#include <filesystem>

#include "CollectionEditorFixture.h"
#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/SequenceAssign.h"
#include "collection/ui/SequenceGridView.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "collection/ui/X256SequenceEdit.h"
#include "collection/ui/X256SequenceFrameEdit.h"
#include "editing/EditingFixture.h"
#include "media/MediaFile.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"
#include "toolkit/TabWindow.h"

namespace brae {
namespace {

class X256SequenceEditTest : public test::CollectionEditorTest {
 protected:
  // The demo sprites.
  X256Edit* OpenSprites() {
    auto* editor = dynamic_cast<X256Edit*>(OpenTag(Find(".256", "dspr")));
    if (!editor) return nullptr;
    // Narrowed to the left part of the 800 × 600 test screen, beside the sequence editor.
    editor->SetFrame(Rect(0, 0, 250, 600));
    Frame();
    return editor;
  }
  // The sequence editor of the sequence at index, right of the collection editor.
  X256SequenceEdit* OpenSequence(X256Edit* editor, size_t index) {
    X256SequenceEdit* s = editor->OpenSequenceEditor(editor->GetCollection().SequenceAt(index));
    if (!s) return nullptr;
    // The test screen is 800 × 600: the editor is narrowed to the right part of it.
    s->SetFrame(Rect(250, 60, 800, 600));
    Frame();
    return s;
  }
  static Point CellPoint(X256SequenceEdit* s, int frame, int column) {
    return Centre(s->Grid()->CellRect({frame, column}));
  }
  static Point RowPoint(ListWindow* list, size_t row) {
    Rect r = list->RowRect(row);
    return Point{r.x0 + 30, (r.y0 + r.y1) / 2};
  }
  // A mouse drag; `during` runs while the pointer is over the target, before the release.
  void Drag(Point from, Point to, const std::function<void()>& during = nullptr) {
    now += 1.0;
    QueueMousePosition(from.x, from.y);
    QueueMouseButton(0, 1);
    Frame();
    QueueMousePosition(from.x, from.y + 10);
    Frame();
    QueueMousePosition(to.x, to.y);
    Frame();
    QueueMousePosition(to.x + 1, to.y);
    Frame();
    if (during) during();
    QueueMouseButton(0, 0);
    Frame();
    Frame();
  }
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  // Types into a field as the user does: a click, the old text selected, the new typed, Enter.
  void TypeIntoField(TextBox* box, const std::string& text) {
    Point p = Centre(box->Frame());
    Click(p.x, p.y);
    box->SelectAll();
    if (text.empty()) {
      Tap(kKeyBackspace);
    } else {
      Type(text);
    }
    Tap(kKeyEnter);
  }
  void FocusGrid(X256SequenceEdit* s) {
    Point p = CellPoint(s, 0, 0);
    Click(p.x, p.y);
  }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  static void CopyShot(const std::string& name) {
    test::SaveScreenshot(name);
    std::error_code ec;
    std::filesystem::create_directories("/tmp/shots", ec);
    std::filesystem::copy_file(test::ScreenshotDir() + "/" + name + ".png",
                               "/tmp/shots/" + name + ".png",
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
};

TEST_F(X256SequenceEditTest, OpensFromTheSequencesTabWithTheGridFieldsAndCheckBoxes) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  editor->Tabs()->SelectTab(2);
  Frame();
  X256SequenceBrowser* browser = editor->SequenceBrowser();
  EXPECT_FALSE(browser->HasOpenEditors());
  // A double click on "Walk" opens its editor; another brings the same one to the front.
  for (int i = 0; i < 2; ++i) {
    now += 1.0;
    Point p = RowPoint(browser, 0);
    QueueMousePosition(p.x, p.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
    Frame();
  }
  ASSERT_EQ(browser->Editors().size(), 1u);
  auto* s = dynamic_cast<X256SequenceEdit*>(browser->Editors()[0]);
  ASSERT_TRUE(s);
  EXPECT_TRUE(browser->HasOpenEditors());
  EXPECT_EQ(s->EditedSequence(), editor->GetCollection().SequenceAt(0));
  EXPECT_STREQ(s->Title(), "Walk");
  // Its 800 x 600 client does not fit the 800 x 600 test screen with a frame: the window is
  // shrunk to the screen, title bar and close box in reach.
  EXPECT_EQ(s->Frame(), Ui().layer0->ClientRect());
  EXPECT_STREQ(s->Grid()->Title(), "Views");

  // Eight mirrored views: the shadow column and five view columns from 0 to 180 degrees.
  const std::string deg(1, char(161));
  std::vector<std::string> titles;
  for (int c = 0; c < s->Grid()->ColumnCount(); ++c) titles.push_back(s->Grid()->ColumnTitle(c));
  EXPECT_EQ(titles, (std::vector<std::string>{"Shadow", "0" + deg, "45" + deg, "90" + deg,
                                              "135" + deg, "180" + deg}));
  EXPECT_EQ(s->Field(kFieldFrames)->Text(), "4");
  EXPECT_EQ(s->Field(kFieldViews)->Text(), "8");
  EXPECT_EQ(s->Field(kFieldTicksPerFrame)->Text(), "3");
  EXPECT_EQ(s->Field(kFieldKeyFrame)->Text(), "1");
  EXPECT_EQ(s->Field(kFieldTransferPeriod)->Text(), "12");
  EXPECT_EQ(s->Field(kFieldFirstSound)->Text(), "step");
  EXPECT_EQ(s->Field(kFieldKeySound)->Text(), "");
  EXPECT_EQ(s->ModeChoice()->Text(), "Fade In");
  EXPECT_TRUE(s->Check(kCheckUseMirroring)->IsChecked());
  EXPECT_FALSE(s->Check(kCheckNoRotation)->IsChecked());
  std::vector<std::string> labels;
  for (const auto& l : s->Labels()) labels.push_back(l.first);
  EXPECT_EQ(labels,
            (std::vector<std::string>{
                "Frames:", "Views:", "Ticks per Frame:", "Key Frame:", "Loop Frame:", "Mode:",
                "Transfer Period:", "First Sound Tag:", "Key Sound Tag:", "Last Sound Tag:"}));
  std::vector<std::string> modes;
  for (int i = 0; i < s->ModeChoice()->ItemCount(); ++i)
    modes.push_back(s->ModeChoice()->ItemAt(i).text);
  EXPECT_EQ(modes, (std::vector<std::string>{"None", "Fade Out", "Fade In", "Appearing",
                                             "Disappearing", "Cycle"}));
  // Only the rows on screen are drawn: all four here.
  EXPECT_EQ(s->Grid()->DrawnRows(), 4);
  // A picture is drawn in a view cell: something brighter than the cell background.
  Rect cell = s->Grid()->CellRect({0, 1});
  bool drawn = false;
  for (int x = cell.x0 + 8; x < cell.x1 - 8 && !drawn; x += 2)
    drawn = At(x, (cell.y0 + cell.y1) / 2).Brightness() > 3 * 0x50;
  EXPECT_TRUE(drawn);
  CopyShot("sequence_edit_grid");

  // A cell without a bitmap shows "<no bitmap>": the "No Frames" sequence grown by a frame.
  // Closing unregisters the window, so the Optimize tab may run again.
  EXPECT_TRUE(TryClose(s));
  EXPECT_FALSE(browser->HasOpenEditors());
}

TEST_F(X256SequenceEditTest,
       DraggedBitmapsFillCellsFromTheTableOrGridAndAPastTheGridDropIsRefused) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  Collection& c = editor->GetCollection();
  CollectionSequence* walk = c.SequenceAt(0);
  ListWindow* table = editor->BitmapBrowser()->List();
  // "Ground Tile" (row 4) onto frame 3, the last stored view (column 5).
  CollectionBitmap* tile = c.BitmapAt(4);
  ASSERT_EQ(tile->name, "Ground Tile");
  CollectionBitmap* before = walk->InstanceAt(3, 4)->bitmap;
  Drag(RowPoint(table, 4), CellPoint(s, 3, 5), [&] {
    EXPECT_EQ(s->Grid()->DropTargets().size(), 1u);
    CopyShot("sequence_edit_drag");
  });
  EXPECT_EQ(walk->InstanceAt(3, 4)->bitmap, tile);
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_TRUE(c.IsBitmapUsed(tile));

  // Two rows (the second added with Shift as the drag starts) dropped on the last cell would
  // run past the grid: nothing changes.
  const std::vector<uint8_t> saved = Saved(c);
  table->Select(table->ShownRow(0), false);
  Frame();
  auto drag_two = [&](Point to, const std::function<void()>& during = nullptr) {
    Key(kKeyLeftShift, true);
    Drag(RowPoint(table, 1), to, during);
    Key(kKeyLeftShift, false);
  };
  drag_two(CellPoint(s, 3, 5), [&] { EXPECT_TRUE(s->Grid()->DropTargets().empty()); });
  EXPECT_EQ(table->SelectedCount(), 2u);
  EXPECT_TRUE(Saved(c) == saved);
  // Bitmaps on the shadow column are the wrong kind: refused too.
  drag_two(CellPoint(s, 0, 0));
  EXPECT_TRUE(Saved(c) == saved);
  // The same two rows on frame 2, view 4 continue on frame 3, view 0.
  drag_two(CellPoint(s, 2, 5), [&] { EXPECT_EQ(s->Grid()->DropTargets().size(), 2u); });
  EXPECT_EQ(walk->InstanceAt(2, 4)->bitmap, c.BitmapAt(0));
  EXPECT_EQ(walk->InstanceAt(3, 0)->bitmap, c.BitmapAt(1));

  // A shadow from the Shadows table onto the shadow column of frame 1.
  editor->Tabs()->SelectTab(1);
  Frame();
  CollectionBitmap* shadow = c.BitmapAt(5);
  walk->frames[1].shadow.bitmap = nullptr;
  ListWindow* shadows = editor->ShadowBrowser()->List();
  Drag(RowPoint(shadows, 0), CellPoint(s, 1, 0));
  EXPECT_EQ(walk->frames[1].shadow.bitmap, shadow);

  // Each drop is one undo step; undo walks back to the first drop's state and redo forward.
  FocusGrid(s);
  ControlKey('Z');  // the shadow
  EXPECT_EQ(walk->frames[1].shadow.bitmap, nullptr);
  ControlKey('Z');  // the two rows
  EXPECT_EQ(walk->InstanceAt(3, 0)->bitmap, c.BitmapAt((3 + 0) % 4));
  ControlKey('Z');  // the tile
  EXPECT_EQ(walk->InstanceAt(3, 4)->bitmap, before);
  ControlKey('Y');
  EXPECT_EQ(walk->InstanceAt(3, 4)->bitmap, tile);
  EXPECT_EQ(s->Grid()->ColumnCount(), 6);

  // A multi-selection made first drags whole from a plain press on one of its rows...
  editor->Tabs()->SelectTab(0);
  Frame();
  auto click_then_shift_click = [&](Point first, Point last) {
    Click(first.x, first.y);
    Key(kKeyLeftShift, true);
    Click(last.x, last.y);
    Key(kKeyLeftShift, false);
  };
  click_then_shift_click(RowPoint(table, 0), RowPoint(table, 1));
  ASSERT_EQ(table->SelectedCount(), 2u);
  Drag(RowPoint(table, 1), CellPoint(s, 2, 5));
  EXPECT_EQ(table->SelectedCount(), 2u);
  EXPECT_EQ(walk->InstanceAt(2, 4)->bitmap, c.BitmapAt(0));
  EXPECT_EQ(walk->InstanceAt(3, 0)->bitmap, c.BitmapAt(1));
  // ...and from the thumbnail grid: thumbnails 2 and 3 onto frame 0, views 0 and 1.
  X256BitmapBrowser* browser = editor->BitmapBrowser();
  browser->SetView(kShowGrid);
  Frame();
  GridWindow* grid = browser->Grid();
  click_then_shift_click(Centre(grid->PictureRect(2)), Centre(grid->PictureRect(3)));
  ASSERT_EQ(grid->SelectedCells(), (std::vector<int>{2, 3}));
  Drag(Centre(grid->PictureRect(3)), CellPoint(s, 0, 1), [&] { CopyShot("grid_drag_two"); });
  EXPECT_EQ(walk->InstanceAt(0, 0)->bitmap, c.BitmapAt(2));
  EXPECT_EQ(walk->InstanceAt(0, 1)->bitmap, c.BitmapAt(3));
}

TEST_F(X256SequenceEditTest, ControlSInTheSequenceAndFrameEditorsSavesTheCollection) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  ListWindow* table = editor->BitmapBrowser()->List();
  const std::string local = LocalPath(kCollectionGroup, editor->Header().Name());
  Drag(RowPoint(table, 4), CellPoint(s, 3, 5));
  ASSERT_TRUE(editor->IsDirty());
  FocusGrid(s);
  ControlKey('S');
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_TRUE(std::filesystem::exists(local));
  std::filesystem::remove(local);

  Drag(RowPoint(table, 3), CellPoint(s, 1, 5));
  ASSERT_TRUE(editor->IsDirty());
  X256SequenceFrameEdit* frame_edit =
      OpenSequenceFrameEditor(editor, editor->GetCollection().SequenceAt(0), 1, 4);
  ASSERT_TRUE(frame_edit);
  Frame();
  ASSERT_TRUE(Ui().focus == frame_edit || frame_edit->IsAncestorOf(Ui().focus));
  ControlKey('S');
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_TRUE(std::filesystem::exists(local));
}

TEST_F(X256SequenceEditTest, CellsDraggedWithinTheGridKeepTheirLayout) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  CollectionSequence* walk = editor->GetCollection().SequenceAt(0);
  // Frame 0, views 0 and 1 selected, dragged to frame 1, view 2.
  Point a = CellPoint(s, 0, 1), b = CellPoint(s, 0, 2);
  Click(a.x, a.y);
  Key(kKeyLeftShift, true);
  Click(b.x, b.y);
  Key(kKeyLeftShift, false);
  ASSERT_EQ(s->Grid()->Selection().size(), 2u);
  CollectionBitmap* v0 = walk->InstanceAt(0, 0)->bitmap;
  CollectionBitmap* v1 = walk->InstanceAt(0, 1)->bitmap;
  CollectionBitmap* was = walk->InstanceAt(1, 2)->bitmap;
  ASSERT_NE(was, v0);
  Drag(a, CellPoint(s, 1, 3));
  EXPECT_EQ(walk->InstanceAt(1, 2)->bitmap, v0);
  EXPECT_EQ(walk->InstanceAt(1, 3)->bitmap, v1);
  // The same cells dropped on the last column would run past it.
  const std::vector<uint8_t> saved = Saved(editor->GetCollection());
  Click(a.x, a.y);
  Key(kKeyLeftShift, true);
  Click(b.x, b.y);
  Key(kKeyLeftShift, false);
  Drag(a, CellPoint(s, 1, 5));
  EXPECT_TRUE(Saved(editor->GetCollection()) == saved);
  FocusGrid(s);
  ControlKey('Z');
  EXPECT_EQ(walk->InstanceAt(1, 2)->bitmap, was);
}

TEST_F(X256SequenceEditTest, FieldEditsAndResizesAreStoredAndUndone) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 1);  // "Ground": one frame, one view
  ASSERT_TRUE(s);
  CollectionSequence* ground = editor->GetCollection().SequenceAt(1);
  CollectionBitmap* tile = ground->InstanceAt(0, 0)->bitmap;
  const int16_t reg_x = ground->InstanceAt(0, 0)->reg_x;

  TypeIntoField(s->Field(kFieldTicksPerFrame), "7");
  EXPECT_EQ(ground->header.ticks_per_frame, 7);
  TypeIntoField(s->Field(kFieldKeySound), "ab");
  EXPECT_EQ(ground->header.key_sound, 0x61622020u);
  TypeIntoField(s->Field(kFieldFirstSound), "");
  EXPECT_EQ(ground->header.first_sound, 0xFFFFFFFFu);
  // Text that does not parse is not stored; the field shows the stored value again.
  TypeIntoField(s->Field(kFieldLoopFrame), "70000");
  EXPECT_EQ(ground->header.loop_frame, 0);
  EXPECT_EQ(s->Field(kFieldLoopFrame)->Text(), "0");
  s->ModeChoice()->ChooseRow(1);  // "Fade Out"
  Frame();
  EXPECT_EQ(ground->header.transfer_mode, kTransferFadeOut);

  // Views 1 → 3 keeps view 0 and gives the new views the default registration point.
  TypeIntoField(s->Field(kFieldViews), "3");
  ASSERT_EQ(ground->ViewCount(), 3);
  EXPECT_EQ(ground->InstanceAt(0, 0)->bitmap, tile);
  EXPECT_EQ(ground->InstanceAt(0, 0)->reg_x, reg_x);
  for (int v = 1; v < 3; ++v) {
    EXPECT_EQ(ground->InstanceAt(0, v)->bitmap, nullptr);
    EXPECT_EQ(ground->InstanceAt(0, v)->reg_x, 20);
    EXPECT_EQ(ground->InstanceAt(0, v)->reg_y, 60);
  }
  EXPECT_EQ(s->Grid()->ColumnCount(), 4);
  TypeIntoField(s->Field(kFieldFrames), "2");
  EXPECT_EQ(ground->FrameCount(), 2);
  EXPECT_EQ(ground->frames[1].shadow.bitmap, nullptr);
  CopyShot("sequence_edit_resized");

  // Undo, one change at a time, from the grid.
  FocusGrid(s);
  ControlKey('Z');
  EXPECT_EQ(ground->FrameCount(), 1);
  EXPECT_EQ(s->Field(kFieldFrames)->Text(), "1");
  ControlKey('Z');
  EXPECT_EQ(ground->ViewCount(), 1);
  EXPECT_EQ(s->Grid()->ColumnCount(), 2);
  ControlKey('Z');
  EXPECT_EQ(ground->header.transfer_mode, kTransferCycle);
  EXPECT_EQ(s->ModeChoice()->Text(), "Cycle");
  ControlKey('Z');
  EXPECT_EQ(ground->header.first_sound, 0xFFFFFFFFu);  // it was none already: nothing kept
  EXPECT_EQ(ground->header.key_sound, PackSoundTag("ding"));
  EXPECT_EQ(s->Field(kFieldKeySound)->Text(), "ding");
  ControlKey('Z');
  EXPECT_EQ(ground->header.ticks_per_frame, 0);
  ControlKey('Y');
  EXPECT_EQ(ground->header.ticks_per_frame, 7);
  EXPECT_EQ(s->Field(kFieldTicksPerFrame)->Text(), "7");
  ControlKey('Y');
  ControlKey('Y');
  ControlKey('Y');
  EXPECT_EQ(ground->ViewCount(), 3);
  EXPECT_EQ(ground->InstanceAt(0, 2)->reg_y, 60);
  // The actions outlive the window: undone after it closed, they still work.
  EXPECT_TRUE(TryClose(s));
  EXPECT_TRUE(editor->Undo());
  EXPECT_EQ(ground->ViewCount(), 1);
  EXPECT_TRUE(editor->Redo());
  EXPECT_EQ(ground->ViewCount(), 3);
}

TEST_F(X256SequenceEditTest, MirrorCheckBoxesActOnTheSelectedCellsAndAreUndone) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  CollectionSequence* walk = editor->GetCollection().SequenceAt(0);
  EXPECT_FALSE(s->Check(kCheckHorzMirror)->IsEnabled() && s->Grid()->Selection().empty());
  // Frame 0, views 1 and 2.
  Point a = CellPoint(s, 0, 2), b = CellPoint(s, 0, 3);
  Click(a.x, a.y);
  Key(kKeyLeftShift, true);
  Click(b.x, b.y);
  Key(kKeyLeftShift, false);
  EXPECT_TRUE(s->Check(kCheckHorzMirror)->IsEnabled());
  EXPECT_FALSE(s->Check(kCheckShadowIsLight)->IsEnabled());
  Point box = Centre(s->Check(kCheckVertMirror)->Frame());
  Click(box.x, box.y);
  EXPECT_TRUE(walk->InstanceAt(0, 1)->flags & kInstanceMirrorY);
  EXPECT_TRUE(walk->InstanceAt(0, 2)->flags & kInstanceMirrorY);
  // The mirrored views follow: view 7 mirrors view 1.
  EXPECT_TRUE(walk->InstanceAt(0, 7)->flags & kInstanceMirrorY);
  EXPECT_FALSE(walk->InstanceAt(1, 1)->flags & kInstanceMirrorY);
  // The shadow of frame 1 becomes light.
  Point shadow = CellPoint(s, 1, 0);
  Click(shadow.x, shadow.y);
  EXPECT_TRUE(s->Check(kCheckShadowIsLight)->IsEnabled());
  EXPECT_FALSE(s->Check(kCheckShadowIsLight)->IsChecked());
  box = Centre(s->Check(kCheckShadowIsLight)->Frame());
  Click(box.x, box.y);
  EXPECT_TRUE(walk->frames[1].shadow.flags & kShadowLight);
  // "Use Mirroring" off shows all eight views.
  box = Centre(s->Check(kCheckUseMirroring)->Frame());
  Click(box.x, box.y);
  EXPECT_FALSE(walk->IsMirrored());
  EXPECT_EQ(s->Grid()->ColumnCount(), 9);

  FocusGrid(s);
  ControlKey('Z');
  EXPECT_TRUE(walk->IsMirrored());
  EXPECT_EQ(s->Grid()->ColumnCount(), 6);
  ControlKey('Z');
  EXPECT_FALSE(walk->frames[1].shadow.flags & kShadowLight);
  ControlKey('Z');
  EXPECT_FALSE(walk->InstanceAt(0, 1)->flags & kInstanceMirrorY);
  EXPECT_FALSE(walk->InstanceAt(0, 7)->flags & kInstanceMirrorY);
  ControlKey('Y');
  EXPECT_TRUE(walk->InstanceAt(0, 2)->flags & kInstanceMirrorY);
}

TEST_F(X256SequenceEditTest, ImportsIntoTheGridAreUndoneAndARefusedPlateAddsNothing) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  Collection& c = editor->GetCollection();
  CollectionSequence* walk = c.SequenceAt(0);
  const size_t bitmaps = c.bitmaps.size();
  const std::vector<uint8_t> original = Saved(c);
  // Twenty files (4 frames × 5 stored views), frames first: file 1 lands in frame 1, view 0.
  const std::string folder = dir_.Path() + "/frames";
  std::filesystem::create_directories(folder);
  std::vector<std::string> files;
  for (int k = 0; k < 20; ++k) {
    MediaFile f(folder + "/pose" + std::to_string(k) + ".bmp");
    f.image.format = PixelFormat::kIndexed;
    f.image.width = 4, f.image.height = 3;
    f.image.palette.count = 256;
    for (int i = 0; i < 256; ++i)
      f.image.palette.entries[i] =
          Rgb{c.palette[size_t(i)].r, c.palette[size_t(i)].g, c.palette[size_t(i)].b};
    f.image.pixels.assign(12, uint8_t(40 + k));
    ASSERT_TRUE(f.Write());
    files.push_back(f.path);
  }
  s->ImportBitmaps(files, AssignOrder::kFramesThenViews);
  ASSERT_EQ(c.bitmaps.size(), bitmaps + 20);
  EXPECT_EQ(walk->InstanceAt(1, 0)->bitmap->name, "pose1");
  EXPECT_EQ(editor->BitmapBrowser()->Listed().size(), 26u);
  const std::vector<uint8_t> imported = Saved(c);
  FocusGrid(s);
  ControlKey('Z');
  EXPECT_EQ(c.bitmaps.size(), bitmaps);
  EXPECT_TRUE(Saved(c) == original);
  EXPECT_EQ(editor->BitmapBrowser()->Listed().size(), 6u);
  ControlKey('Y');
  EXPECT_TRUE(Saved(c) == imported);

  // A plate of the wrong count: the message, and no bitmap of it stays.
  const std::string plate = folder + "/walk plate.bmp";
  ASSERT_TRUE(ExportSequencePlate(c, 1, false, plate));  // "Ground": one cell
  answers.clear();
  boxes.clear();
  s->ImportPlate(plate);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "Invalid number of images in plate. It must contain exactly 20 images.");
  EXPECT_TRUE(Saved(c) == imported);
}

TEST_F(X256SequenceEditTest, ASavedSessionOfEditsReadsBackByteForByte) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  Collection& c = editor->GetCollection();
  ListWindow* table = editor->BitmapBrowser()->List();
  Drag(RowPoint(table, 3), CellPoint(s, 1, 3));
  TypeIntoField(s->Field(kFieldKeyFrame), "2");
  TypeIntoField(s->Field(kFieldLastSound), "end");
  TypeIntoField(s->Field(kFieldViews), "12");
  TypeIntoField(s->Field(kFieldFrames), "5");
  Point cell = CellPoint(s, 3, 2);
  Click(cell.x, cell.y);
  const uint32_t mirrored = c.SequenceAt(0)->InstanceAt(3, 1)->flags & kInstanceMirrorX;
  Point box = Centre(s->Check(kCheckHorzMirror)->Frame());
  Click(box.x, box.y);
  ASSERT_EQ(c.SequenceAt(0)->ViewCount(), 12);
  ASSERT_EQ(c.SequenceAt(0)->FrameCount(), 5);
  EXPECT_NE(c.SequenceAt(0)->InstanceAt(3, 1)->flags & kInstanceMirrorX, mirrored);
  const std::vector<uint8_t> model = Saved(c);
  // Control+S on the collection editor writes the tag; reading it gives the same bytes.
  editor->BringToFront();
  editor->SetFocus(0);
  Frame();
  ControlS();
  EXPECT_FALSE(editor->IsDirty());
  const std::string data = LooseData(kCollectionGroup, "Demo Sprites");
  EXPECT_TRUE(data == std::string(model.begin(), model.end()));
  Collection back;
  TagHeader header;
  header.user_data = c.flags;
  const std::vector<uint8_t> bytes(data.begin(), data.end());
  ASSERT_TRUE(
      LoadCollection(bytes.data(), bytes.size(), header, CollectionLoadOptions(), &back).ok);
  const std::vector<uint8_t> again = Saved(back);
  EXPECT_TRUE(again == model);
  for (size_t i = 0; i < std::min(again.size(), model.size()); ++i)
    if (again[i] != model[i]) {
      ADD_FAILURE() << "first difference at " << i << " of " << model.size() << " / "
                    << again.size();
      break;
    }
}

TEST_F(X256SequenceEditTest, TheGridMenuDoubleClickRenamesAndTheOpenSequenceGuard) {
  X256Edit* editor = OpenSprites();
  ASSERT_TRUE(editor);
  X256SequenceEdit* s = OpenSequence(editor, 0);
  ASSERT_TRUE(s);
  // The grid's menu.
  Menu* menu = s->BuildMenu();
  std::vector<std::string> seen;
  for (MenuItem* item : menu->Items()) {
    std::string line = item->Title();
    for (MenuItem* sub : item->Items())
      line += std::string(" | ") + sub->Title() + "=" + std::to_string(sub->Command());
    seen.push_back(line);
  }
  menu->Close();
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "Bitmap Import | Assign views, then frames=1 | Assign frames, then views=2 | "
                      "From Plate=3",
                      "Alpha Import | Assign views, then frames=4 | Assign frames, then views=5 | "
                      "From Plate=6",
                      "Export | Bitmaps=7 | Bitmap Plate=8 | Alphas=9 | Alpha Plate=10"}));
  // A right click on the grid shows it (dismissed here).
  bool shown = false;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* popup = top ? dynamic_cast<Menu*>(top->window) : nullptr;
    if (!popup || popup->IsClosed()) return;
    shown = true;
    popup->Dismiss();
  };
  Point p = CellPoint(s, 1, 2);
  now += 1.0;
  QueueMousePosition(p.x, p.y);
  QueueMouseButton(1, 1);
  QueueMouseButton(1, 0);
  Frame();
  Frame();
  on_pump = [this](int) { AnswerBox(); };
  EXPECT_TRUE(shown);

  // A double click on a view cell asks for the frame editor of that cell; on the shadow column
  // it does not.
  std::vector<std::string> opened;
  editor->open_frame_editor = [&](CollectionSequence* seq, int frame, int view) {
    opened.push_back(seq->name + " " + std::to_string(frame) + " " + std::to_string(view));
  };
  for (Point at : {CellPoint(s, 2, 4), CellPoint(s, 2, 0)}) {
    now += 1.0;
    QueueMousePosition(at.x, at.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
    Frame();
  }
  EXPECT_EQ(opened, std::vector<std::string>{"Walk 2 3"});

  // Renamed elsewhere, the title follows.
  editor->GetCollection().SequenceAt(0)->name = "Stroll";
  editor->SequenceBrowser()->SequencesRestored();
  EXPECT_STREQ(s->Title(), "Stroll");
  // Deleting the open sequence is refused.
  boxes.clear();
  editor->SequenceBrowser()->SelectSequence(0);
  editor->SequenceBrowser()->RunCommand(kSequenceDelete);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "The sequence \"Stroll\" is currently open. Please close it before deleting.");
  EXPECT_EQ(editor->GetCollection().sequences.size(), 3u);
}

}  // namespace
}  // namespace brae
