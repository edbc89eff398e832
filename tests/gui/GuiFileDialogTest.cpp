// The file, folder and colour table dialogs driven as a user would, over a generated folder
// tree; afterwards the group's preference keys hold the folder and the format.
#include <filesystem>

#include "../TempDir.h"
#include "GuiHarness.h"
#include "core/Prefs.h"
#include "media/ui/MediaDialogs.h"
#include "toolkit/MessageBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

// root/ alpha/ beta/inner/ one.png two.png three.bmp four.tiff broken.png notes.txt
class GuiFileDialogs : public test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (!platform::MainWindow()) return;
    root = temp.Path();
    fs::create_directories(root + "/alpha");
    fs::create_directories(root + "/beta/inner");
    WriteImage("one.png", 4);
    WriteImage("two.png", 40);
    WriteImage("three.bmp", 8);
    WriteImage("four.tiff", 8);
    test::WriteFile(root + "/broken.png", "not a picture");
    test::WriteFile(root + "/notes.txt", "text");
    start_folder = fs::current_path();
    // The clock starts again in every test; forget the last test's clicks.
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
    for (const char* key : {"LastImageOpenPath", "LastImageOpenFormat", "LastImageSavePath",
                            "LastImageSaveFormat", "LastImageFolderPath", "LastImageFolderFormat"})
      SetPrefString(key, "");
    SetPrefString("LastImageOpenPath", root);
    SetPrefString("LastImageFolderPath", root);
    SetPrefString("LastImageSavePath", root);
  }
  void TearDown() override {
    if (platform::MainWindow()) {
      EXPECT_EQ(fs::current_path(), start_folder);
    }
    GuiTest::TearDown();
  }
  void WriteImage(const char* name, int width) {
    MediaFile f(root + "/" + name);
    f.image.format = PixelFormat::kRgb;
    f.image.width = width;
    f.image.height = 4;
    f.image.pixels.assign(f.image.PixelBytes(), 0x80);
    ASSERT_TRUE(f.Write()) << name << " " << f.Error();
  }
  FileDialogWindow* Dialog() {
    const ModalEntry* top = TopModal();
    return top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
  }
  static std::vector<std::string> Names(FileDialogWindow* d) {
    std::vector<std::string> out;
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i)
      out.push_back(d->Entries()->ShownRow(i)->text);
    return out;
  }
  static ListRow* RowNamed(FileDialogWindow* d, const std::string& text) {
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i)
      if (d->Entries()->ShownRow(i)->text == text) return d->Entries()->ShownRow(i);
    return nullptr;
  }
  static Point Centre(Window* w) {
    Rect r = w->Frame();
    return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
  }
  void ClickAt(Point p) {
    now += 1.0;  // a single click, never the second half of a double click
    test::QueueClick(p.x, p.y);
  }
  void DoubleClickRow(FileDialogWindow* d, ListRow* row) {
    ASSERT_NE(row, nullptr);
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i)
      if (d->Entries()->ShownRow(i) == row) {
        Rect r = d->Entries()->RowRect(i);
        Point p{r.x0 + 20, (r.y0 + r.y1) / 2};
        ClickAt(p);
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
  }
  void Type(const std::string& text) {
    for (char ch : text) QueueCharEvent(static_cast<uint8_t>(ch));
  }

  test::TempDir temp;
  std::string root;
  fs::path start_folder;
};

TEST_F(GuiFileDialogs, OpenNavigatesTheTreeAndReadsTheChosenFile) {
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      EXPECT_EQ(d->Folder(), root);
      // Folders first, then the files of the first filter (bitmaps) only.
      EXPECT_EQ(Names(d), (std::vector<std::string>{"[alpha]", "[beta]", "three.bmp"}));
      test::SaveScreenshot("file-dialog-open");
      DoubleClickRow(d, RowNamed(d, "[beta]"));
    }
    if (n == 5) {
      EXPECT_EQ(d->Folder(), root + "/beta");
      EXPECT_EQ(Names(d), (std::vector<std::string>{"[inner]"}));
      ClickAt(Centre(d->UpButton()));
    }
    if (n == 7) {
      EXPECT_EQ(d->Folder(), root);
      // A typed path in the path field, then Enter.
      d->PathField()->SetFocus(0);
      d->PathField()->SetText("");
      Type(root + "/beta/inner");
    }
    if (n == 8) {
      EXPECT_EQ(d->PathField()->Text(), root + "/beta/inner");
      QueueKeyEvent(kKeyEnter, 1);
      QueueKeyEvent(kKeyEnter, 0);
    }
    if (n == 9) {
      EXPECT_EQ(d->Folder(), root + "/beta/inner");
      EXPECT_TRUE(Names(d).empty());
      d->GoUp();
      d->GoUp();
      d->SetFilter(2);  // TIFF
      EXPECT_EQ(Names(d), (std::vector<std::string>{"[alpha]", "[beta]", "four.tiff"}));
      DoubleClickRow(d, RowNamed(d, "four.tiff"));
    }
  };
  MediaFile file;
  ASSERT_TRUE(OpenFileDialog(nullptr, &file, MediaGroup::kImage));
  EXPECT_EQ(file.path, root + "/four.tiff");
  EXPECT_EQ(file.type, MediaType::kTiff);
  EXPECT_EQ(file.image.width, 8);
  std::string folder;
  int format = -1;
  EXPECT_TRUE(GetPrefString("LastImageOpenPath", &folder));
  EXPECT_EQ(folder, root);
  EXPECT_TRUE(GetPrefInt("LastImageOpenFormat", &format));
  EXPECT_EQ(format, 2);
}

TEST_F(GuiFileDialogs, OpenReportsAnUnreadableFile) {
  SetPrefInt("LastImageOpenFormat", 1);  // PNG
  bool reported = false;
  on_pump = [&](int n) {
    if (auto* box = dynamic_cast<MessageBoxWindow*>(TopModal() ? TopModal()->window : nullptr)) {
      EXPECT_STREQ(box->Title(), "Error");
      EXPECT_NE(box->MessageBox()->Text().find("could not be read"), std::string::npos);
      reported = true;
      box->Choose(0);
      return;
    }
    FileDialogWindow* d = Dialog();
    if (!d || n != 3) return;
    EXPECT_EQ(d->Filter(), 1);
    EXPECT_EQ(Names(d),
              (std::vector<std::string>{"[alpha]", "[beta]", "broken.png", "one.png", "two.png"}));
    d->NameField()->SetText("broken.png");
    ClickAt(Centre(d->OkButton()));
  };
  MediaFile file;
  EXPECT_FALSE(OpenFileDialog(nullptr, &file, MediaGroup::kImage));
  EXPECT_TRUE(reported);
}

TEST_F(GuiFileDialogs, OpenMultipleChoosesSeveralFilesSortedBySize) {
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      EXPECT_STREQ(d->Title(), "Open Multiple Images");
      // The format combo, as a user picks it: open it and choose "PNG Image".
      d->FilterCombo()->ChooseRow(1);
      // Two clicks on the "Size" header: ascending, then descending.
      int header_y = d->Entries()->RowRect(0).y0 - d->Entries()->HeaderHeight() / 2;
      int size_x = d->Entries()->ClientRect().x0 + 270 + 20;
      ClickAt(Point{size_x, header_y});
      ClickAt(Point{size_x, header_y});
    }
    if (n == 4) {
      EXPECT_EQ(d->SortColumn(), kFileColumnSize);
      EXPECT_TRUE(d->SortDescending());
      // Folders stay first in every order.
      EXPECT_EQ(Names(d), (std::vector<std::string>{"[beta]", "[alpha]", "two.png", "one.png",
                                                    "broken.png"}));
      d->SortEntries(kFileColumnName, false);
      d->Entries()->Select(RowNamed(d, "one.png"), false);
      d->Entries()->Select(RowNamed(d, "two.png"), true);
    }
    if (n == 5) {
      test::SaveScreenshot("file-dialog-open-multiple");
      ClickAt(Centre(d->OkButton()));
    }
  };
  std::vector<MediaFile> files;
  ASSERT_TRUE(OpenMultipleDialog(nullptr, &files, MediaGroup::kImage));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, root + "/one.png");
  EXPECT_EQ(files[1].path, root + "/two.png");
  EXPECT_EQ(files[1].image.width, 40);
  int format = -1;
  EXPECT_TRUE(GetPrefInt("LastImageOpenFormat", &format));
  EXPECT_EQ(format, 1);
}

TEST_F(GuiFileDialogs, SaveAddsTheFilterExtensionAndSetsTheType) {
  SetPrefInt("LastImageSaveFormat", 1);
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      EXPECT_STREQ(d->Title(), "Save Image As");
      EXPECT_EQ(d->NameField()->Text(), "picture");
      DoubleClickRow(d, RowNamed(d, "[alpha]"));
    }
    if (n == 5) {
      test::SaveScreenshot("file-dialog-save");
      ClickAt(Centre(d->OkButton()));
    }
  };
  MediaFile file("/nowhere/picture");
  ASSERT_TRUE(SaveFileDialog(nullptr, &file, MediaGroup::kImage));
  EXPECT_EQ(file.path, root + "/alpha/picture.png");
  EXPECT_EQ(file.type, MediaType::kPng);
  EXPECT_EQ(file.group, MediaGroup::kImage);
  std::string folder;
  EXPECT_TRUE(GetPrefString("LastImageSavePath", &folder));
  EXPECT_EQ(folder, root + "/alpha");
}

TEST_F(GuiFileDialogs, FolderChooserWithTargetFormatAndMode) {
  std::vector<DialogChoice> extra = {{"Mode:", {"Full", "Alpha Only"}, 0}};
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      EXPECT_STREQ(d->Title(), "Choose a folder");
      EXPECT_EQ(d->OkButton()->Title(), std::string("Select"));
      EXPECT_EQ(d->FilterCombo(), nullptr);
      // Folders only.
      EXPECT_EQ(Names(d), (std::vector<std::string>{"[alpha]", "[beta]"}));
      EXPECT_EQ(d->ChoiceCombo(0)->Text(), "Bitmap Image (*.bmp)");
      d->ChoiceCombo(0)->ChooseRow(2);
      d->ChoiceCombo(1)->ChooseRow(1);
      DoubleClickRow(d, RowNamed(d, "[beta]"));
    }
    if (n == 5) {
      EXPECT_EQ(d->NameField()->Text(), "beta");
      test::SaveScreenshot("folder-dialog");
      ClickAt(Centre(d->OkButton()));
    }
  };
  std::string folder;
  int format = -1;
  ASSERT_TRUE(FolderDialog("Choose a folder", &folder, &format, MediaGroup::kImage, &extra));
  EXPECT_EQ(folder, root + "/beta");
  EXPECT_EQ(format, 2);
  EXPECT_EQ(extra[0].chosen, 1);
  std::string stored;
  int stored_format = -1;
  EXPECT_TRUE(GetPrefString("LastImageFolderPath", &stored));
  EXPECT_EQ(stored, root + "/beta");
  EXPECT_TRUE(GetPrefInt("LastImageFolderFormat", &stored_format));
  EXPECT_EQ(stored_format, 2);
}

TEST_F(GuiFileDialogs, FolderNameFieldEntersATypedFolderAndCancelKeepsThePrefs) {
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      d->NameField()->SetText("beta/inner");
      ClickAt(Centre(d->OkButton()));  // enters the folder instead of accepting
    }
    if (n == 5) {
      EXPECT_EQ(d->Folder(), root + "/beta/inner");
      ClickAt(Centre(d->CancelButton()));
    }
  };
  std::string folder;
  EXPECT_FALSE(FolderDialog(nullptr, &folder, nullptr, MediaGroup::kImage));
  std::string stored;
  EXPECT_TRUE(GetPrefString("LastImageFolderPath", &stored));
  EXPECT_EQ(stored, root);
}

TEST_F(GuiFileDialogs, ColorTableExportThenImport) {
  Rgb table[kMaxPaletteSize] = {};
  for (int i = 0; i < 16; ++i) table[i] = Rgb{uint8_t(i), uint8_t(2 * i), uint8_t(3 * i)};
  on_pump = [&](int n) {
    FileDialogWindow* d = Dialog();
    if (!d) return;
    if (n == 3) {
      test::SaveScreenshot(std::string("color-table-") +
                           (std::string(d->Title()) == "Export Color Table" ? "export" : "import"));
      ClickAt(Centre(d->OkButton()));
    }
  };
  // The dialogs start in the proposed name's folder.
  ASSERT_TRUE(ExportColorTableDialog(root + "/palette", table, 16));
  EXPECT_EQ(test::ReadBytes(root + "/palette.act").size(), 772u);
  pumps = 0;
  Rgb back[kMaxPaletteSize] = {};
  int count = 0;
  ASSERT_TRUE(ImportColorTableDialog(root + "/palette", back, &count));
  EXPECT_EQ(count, 16);
  EXPECT_EQ(back[15].g, 30);
}

TEST_F(GuiFileDialogs, OpenMultipleReportsFilesThatCannotBeRead) {
  SetPrefInt("LastImageOpenFormat", 1);  // PNG
  bool reported = false;
  on_pump = [&](int n) {
    if (auto* box = dynamic_cast<MessageBoxWindow*>(TopModal() ? TopModal()->window : nullptr)) {
      EXPECT_STREQ(box->Title(), "Error");
      EXPECT_NE(box->MessageBox()->Text().find("Some of the selected files"), std::string::npos);
      reported = true;
      box->Choose(0);
      return;
    }
    FileDialogWindow* d = Dialog();
    if (!d || n != 3) return;
    // Enter on a selected folder enters it; Up comes back.
    d->Entries()->Select(RowNamed(d, "[alpha]"), false);
    d->Entries()->SetFocus(0);
    QueueKeyEvent(kKeyEnter, 1);
    QueueKeyEvent(kKeyEnter, 0);
  };
  on_pump = [&, first = on_pump](int n) {
    FileDialogWindow* d = Dialog();
    if (d && n == 5) {
      EXPECT_EQ(d->Folder(), root + "/alpha");
      d->GoUp();
      d->Entries()->Select(RowNamed(d, "broken.png"), false);
      d->Entries()->Select(RowNamed(d, "one.png"), true);
      ClickAt(Centre(d->OkButton()));
      return;
    }
    first(n);
  };
  std::vector<MediaFile> files;
  EXPECT_TRUE(OpenMultipleDialog(nullptr, &files, MediaGroup::kImage));
  EXPECT_TRUE(reported);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].path, root + "/one.png");
}

TEST_F(GuiFileDialogs, ImportReportsATooShortColorTable) {
  test::WriteFile(root + "/short.act", std::string(700, '\x10'));
  bool reported = false;
  on_pump = [&](int n) {
    if (auto* box = dynamic_cast<MessageBoxWindow*>(TopModal() ? TopModal()->window : nullptr)) {
      EXPECT_EQ(box->MessageBox()->Text(), "The color table could not be opened.");
      reported = true;
      box->Choose(0);
      return;
    }
    FileDialogWindow* d = Dialog();
    if (!d || n != 3) return;
    EXPECT_EQ(Names(d), (std::vector<std::string>{"[alpha]", "[beta]", "short.act"}));
    EXPECT_EQ(d->NameField()->Text(), "short.act");
    ClickAt(Centre(d->OkButton()));
  };
  Rgb table[kMaxPaletteSize] = {};
  int count = 0;
  EXPECT_FALSE(ImportColorTableDialog(root + "/short", table, &count));
  EXPECT_TRUE(reported);
}

}  // namespace
}  // namespace brae
