// Bitmaps edited in the user's paint program ("Edit in External Editor"): the stand-in program
// saves over the work file, and the bitmap takes the saved picture as one undo step, refuses a
// file it cannot use with the replace's message, and stops being watched when it is deleted or
// its editor closes.
#include <filesystem>

#include "CollectionEditorFixture.h"
#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/ui/ExternalBitmapEdits.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "editing/StandInPaintProgram.h"
#include "media/MediaFile.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"

namespace brae {
namespace {

using test::PumpUntil;
using test::SaveStyle;
using test::UseStandInPaintProgram;

class X256ExternalEditTest : public test::CollectionEditorTest {
 protected:
  void TearDown() override {
    test::CollectionEditorTest::TearDown();
    TheExternalEdits().Shutdown();
  }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  // Titles of the context menu's top level, "(off)" after disabled ones.
  static std::string TopLevel(X256BitmapBrowser* browser) {
    Menu* menu = browser->BuildContextMenu();
    std::string out;
    for (MenuItem* item : menu->Items())
      if (!item->IsSeparator())
        out += std::string(item->Title()) + (item->IsEnabled() ? "" : " (off)") + "; ";
    menu->Close();
    return out;
  }
};

TEST_F(X256ExternalEditTest, ASaveInThePaintProgramReplacesTheBitmapAsOneUndoStep) {
  auto* editor = dynamic_cast<X256Edit*>(OpenTag(Find(".256", "dspr")));
  ASSERT_TRUE(editor);
  Frame();
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ExternalBitmapEdits& external = editor->ExternalEdits();
  CollectionBitmap* body = c.bitmaps[0].get();  // "Body RAW 8", 32 x 32, used by a frame
  const CollectionInstance before_instance = *c.sequences[0]->InstanceAt(0, 0);
  const std::vector<uint8_t> before = Saved(c);

  // The picture the paint program saves: 5 x 3 with the collection's palette; indices 0 and 1
  // are transparent, the others keep the first palette entry of their colour.
  const std::vector<uint8_t> painted = {0, 1, 44, 45, 46, 47, 48, 44, 44, 44, 2, 3, 200, 201, 255};
  MediaFile saved(dir_.Path() + "/painted.png");
  saved.image.format = PixelFormat::kIndexed;
  saved.image.width = 5;
  saved.image.height = 3;
  saved.image.palette.count = 256;
  for (int i = 0; i < 256; ++i)
    saved.image.palette.entries[i] = Rgb{c.palette[i].r, c.palette[i].g, c.palette[i].b};
  saved.image.pixels = painted;
  ASSERT_TRUE(saved.Write());
  UseStandInPaintProgram(dir_.Path(), saved.path, SaveStyle::kInPlace);

  bitmaps->List()->Select(bitmaps->List()->ShownRow(0), false);
  EXPECT_NE(TopLevel(bitmaps).find("Edit in External Editor; Stop External Editing (off); "),
            std::string::npos);
  bitmaps->RunCommand(kCommandEditExternally);
  EXPECT_NE(TopLevel(bitmaps).find("Edit in External Editor; Stop External Editing; "),
            std::string::npos);
  // The work file: the bitmap as it was, 8-bit with the collection's palette.
  const std::string file = external.FileOf(body);
  EXPECT_EQ(std::filesystem::path(file).filename(), "Demo Sprites - Body RAW 8.png");
  MediaFile written(file);
  ASSERT_TRUE(written.ReadHeader() && written.ReadPixels());
  EXPECT_EQ(written.image.format, PixelFormat::kIndexed);
  EXPECT_EQ(written.image.width, 32);

  ASSERT_TRUE(PumpUntil([&] { return body->width == 5; }));
  EXPECT_TRUE(boxes.empty()) << boxes[0].message;  // the half-written file was never read
  EXPECT_EQ(c.bitmaps[0].get(), body);
  EXPECT_EQ(body->name, "Body RAW 8");
  EXPECT_EQ(body->height, 3);
  EXPECT_EQ(body->flags & kBitmapRle, kBitmapRle);  // an index-0 pixel
  for (size_t i = 0; i < painted.size(); ++i) {
    size_t first = 0;  // the first palette entry of the pixel's colour
    while (c.palette[first] != c.palette[painted[i]]) ++first;
    const bool clear = painted[i] <= 1;
    EXPECT_EQ(body->pixels[i * 2], clear ? 0 : 255) << i;
    EXPECT_EQ(body->pixels[i * 2 + 1], clear ? 0 : first) << i;
  }
  const CollectionInstance* instance = c.sequences[0]->InstanceAt(0, 0);
  EXPECT_EQ(instance->bitmap, body);
  EXPECT_EQ(instance->reg_x, before_instance.reg_x);
  EXPECT_EQ(instance->reg_y, before_instance.reg_y);
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_EQ(bitmaps->List()->CellText(bitmaps->List()->ShownRow(0), 3), "   5 x 3");
  test::SaveScreenshot("external_edit_came_back");

  Key(kKeyLeftControl, true);
  Tap('Z');
  Key(kKeyLeftControl, false);
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->Undos().CanUndo());

  // A file the replace cannot use: its message once, the bitmap left alone.
  test::WriteFile(dir_.Path() + "/broken.png", std::string(100, 'x'));
  UseStandInPaintProgram(dir_.Path(), dir_.Path() + "/broken.png", SaveStyle::kThroughRename);
  bitmaps->List()->Select(bitmaps->List()->ShownRow(0), false);
  bitmaps->RunCommand(kCommandEditExternally);
  ASSERT_TRUE(PumpUntil([&] { return !boxes.empty(); }));
  PumpUntil([] { return false; }, 0.5);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "'Demo Sprites - Body RAW 8.png': The file is not of the right format.");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->Undos().CanUndo());

  // Deleting a bitmap ends its watch; closing the editor ends the others and removes the files.
  SetPrefString(kExternalImageEditorKey, "true %f");
  bitmaps->List()->Select(bitmaps->List()->ShownRow(1), true);
  bitmaps->RunCommand(kCommandEditExternally);
  ASSERT_EQ(external.Count(), 2u);
  CollectionBitmap* second = c.bitmaps[1].get();
  const std::string second_file = external.FileOf(second);
  bitmaps->List()->Select(bitmaps->List()->ShownRow(1), false);
  answers = {0};  // "Delete"
  bitmaps->RunCommand(kCommandDeleteSelected);
  EXPECT_EQ(external.Count(), 1u);
  EXPECT_FALSE(std::filesystem::exists(second_file));
  editor->SetDirty(false);
  EXPECT_TRUE(TryClose(editor));
  EXPECT_EQ(TheExternalEdits().Count(), 0u);
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace brae
