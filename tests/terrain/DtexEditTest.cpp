// The detail texture editor on the demo textures: its size and pixels, the right-click menu,
// copy and paste through our own X11 selection, the paste refusals and the beep, mean centring,
// the half-size wrap with Shift, and the root menu's "New Detail Texture From Clipboard".
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "editing/EditingFixture.h"
#include "editing/StandInPaintProgram.h"
#include "media/MediaFile.h"
#include "media/ui/FileDialog.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"
#include "terrain/DtexFiles.h"
#include "terrain/DtexTag.h"
#include "terrain/ui/DtexEdit.h"
#include "terrain/ui/DtexTextures.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"

namespace brae {
namespace {

// A window shows a picture of this width, but never gets narrower than its title bar needs.
int WidthFor(Window* w, int picture_width) {
  return std::max(w->FrameSizeForClient(picture_width, picture_width).x, w->TitleBarMinimumWidth());
}

using test::EditingTest;

// The scripted user in front of a file dialog: act prepares it (its title and proposed name
// are noted), then OK is pressed.
class DialogScript {
 public:
  std::string title, proposed;
  template <typename Test>
  void Use(Test* test, std::function<void(FileDialogWindow*)> act) {
    title.clear();
    proposed.clear();
    test->on_pump = [this, test, act, step = 0](int) mutable {
      test->AnswerBoxForScript();
      const ModalEntry* top = TopModal();
      auto* d = top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
      if (!d || d->IsClosed()) return;
      ++step;
      if (step == 2) {
        title = d->Title() ? d->Title() : "";
        proposed = d->NameField()->Text();
        if (act) act(d);
      }
      // The pointer goes to OK first; the click follows once it is there.
      const Rect ok = d->OkButton()->Frame();
      if (step == 4) QueueMousePosition((ok.x0 + ok.x1) / 2, (ok.y0 + ok.y1) / 2);
      if (step == 6) {
        test->now += 1.0;
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
    };
  }
};

std::string DescribeMenu(const Menu* menu) {
  std::string out;
  for (MenuItem* item : menu->Shown()) {
    if (!out.empty()) out += ", ";
    out += item->Title() ? item->Title() : "";
  }
  return out;
}

class DtexEditTest : public EditingTest {
 public:
  void AnswerBoxForScript() { AnswerBox(); }
  using EditingTest::now;
  using EditingTest::on_pump;

 protected:
  void AddContent(demo::DemoGame& game) override { demo::AddTerrainDemo(game); }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterDtexEditor();
    platform::SetClipboardInProcess(false);
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }
  void TearDown() override {
    platform::ClearClipboard();
    EditingTest::TearDown();
  }
  DtexEdit* Open(const char (&id)[5]) {
    auto* editor = dynamic_cast<DtexEdit*>(OpenTag(Find("dtex", id)));
    Frame();
    return editor;
  }
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
    Frame();
  }
  // The texel at (x, y) of the editor's client area as drawn.
  test::Pixel Drawn(DtexEdit* editor, int x, int y) {
    const Rect r = editor->ClientRect();
    return At(r.x0 + x, r.y0 + y);
  }
  static const uint8_t* Texel(const DtexTag* tag, int x, int y) {
    return tag->Pixels().data() + 3 * (size_t(y) * tag->Width() + x);
  }
};

TEST_F(DtexEditTest, ShowsTheTextureAtOnePixelPerTexel) {
  DtexEdit* editor = Open("gras");
  ASSERT_TRUE(editor);
  DtexTag* tag = editor->Resource();
  ASSERT_TRUE(tag);
  EXPECT_EQ(editor->Frame().Width(), WidthFor(editor, 128));
  EXPECT_EQ(editor->ClientRect().Height(), 128);
  Frame();
  for (int y : {0, 37, 127}) {
    for (int x : {0, 64, 127}) {
      const test::Pixel p = Drawn(editor, x, y);
      const uint8_t* t = Texel(tag, x, y);
      EXPECT_EQ(p.r, t[0]) << x << "," << y;
      EXPECT_EQ(p.g, t[1]) << x << "," << y;
      EXPECT_EQ(p.b, t[2]) << x << "," << y;
    }
  }
  std::filesystem::create_directories("/tmp/shots");
  test::SaveScreenshot("dtex_edit");
  std::filesystem::copy_file(test::ScreenshotDir() + "/dtex_edit.png", "/tmp/shots/dtex_edit.png",
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(DtexTextureCount(), 1u);
  editor->Close();
  Frame();
  EXPECT_EQ(DtexTextureCount(), 0u);
  EXPECT_EQ(TheDtexManager().Count(), 0u);
}

TEST_F(DtexEditTest, TheRightClickMenuListsTheCommandsInOrder) {
  DtexEdit* editor = Open("gras");
  ASSERT_TRUE(editor);
  std::string seen;
  int pumps = 0;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* menu = top ? dynamic_cast<Menu*>(top->window) : nullptr;
    if (!menu || menu->IsClosed()) return;
    if (++pumps == 2) {
      seen = DescribeMenu(menu);
      // Mean Center rgb
      menu->Choose(menu->Shown()[5]);
    }
  };
  const Rect r = editor->ClientRect();
  now += 1.0;
  QueueMousePosition(r.x0 + 20, r.y0 + 20);
  QueueMouseButton(1, 1);
  QueueMouseButton(1, 0);
  Frame();
  on_pump = [this](int) { AnswerBox(); };
  EXPECT_EQ(
      seen,
      "Export (Cmd-E), Import (Cmd-I), Copy (Cmd-C), Paste (Cmd-V), Save Tag (Cmd-S), Mean "
      "Center rgb, Mean Center luma, <---separator--->, Edit in External Editor, Stop External "
      "Editing");
  // Mean centring moved every channel's mean to 128.
  EXPECT_TRUE(editor->IsDirty());
  uint64_t sum = 0;
  const auto& px = editor->Resource()->Pixels();
  for (size_t i = 0; i < px.size(); i += 3) sum += px[i];
  EXPECT_NEAR(double(sum) / double(px.size() / 3), 128.0, 1.0);
}

TEST_F(DtexEditTest, ASaveInThePaintProgramReplacesTheTextureAsOneUndoStep) {
  DtexEdit* editor = Open("gras");
  ASSERT_TRUE(editor);
  const std::vector<uint8_t> before = editor->Resource()->Pixels();
  const int before_width = editor->Resource()->Width();
  MediaFile painted(dir_.Path() + "/painted.png");
  painted.image.format = PixelFormat::kRgb;
  painted.image.width = 8;
  painted.image.height = 4;
  for (int i = 0; i < 8 * 4 * 3; ++i) painted.image.pixels.push_back(uint8_t(i * 7));
  ASSERT_TRUE(painted.Write());
  test::UseStandInPaintProgram(dir_.Path(), painted.path, test::SaveStyle::kThroughRename);

  editor->RunCommand(kDtexEditExternally);
  ASSERT_TRUE(editor->IsEditedExternally());
  EXPECT_EQ(std::filesystem::path(editor->ExternalFile()).extension(), ".png");
  ASSERT_TRUE(test::PumpUntil([&] { return editor->Resource()->Width() == 8; }));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(editor->Resource()->Height(), 4);
  EXPECT_EQ(editor->Resource()->Pixels(), painted.image.pixels);
  EXPECT_TRUE(editor->IsDirty());
  ControlKey('Z');
  EXPECT_EQ(editor->Resource()->Width(), before_width);
  EXPECT_EQ(editor->Resource()->Pixels(), before);

  const std::string file = editor->ExternalFile();
  editor->SetDirty(false);
  EXPECT_TRUE(TryClose(editor));
  EXPECT_EQ(TheExternalEdits().Count(), 0u);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(DtexEditTest, CopyAndPasteGoThroughOurOwnSelection) {
  DtexEdit* grass = Open("gras");
  ASSERT_TRUE(grass);
  const std::vector<uint8_t> pixels = grass->Resource()->Pixels();
  ControlKey('C');
  std::vector<uint8_t> dib;
  ASSERT_TRUE(platform::GetClipboardDib(&dib));
  EXPECT_EQ(dib[14], 24);  // a 24-bit bitmap

  DtexEdit* stone = Open("ston");
  ASSERT_TRUE(stone);
  EXPECT_EQ(stone->Frame().Width(), WidthFor(stone, 64));
  ControlKey('V');
  EXPECT_EQ(stone->Resource()->Width(), 128);
  EXPECT_EQ(stone->Resource()->Pixels(), pixels);
  EXPECT_EQ(stone->Frame().Width(), WidthFor(stone, 128));
  EXPECT_TRUE(stone->IsDirty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DtexEditTest, PasteRefusesOtherBitmapsAndSizes) {
  DtexEdit* editor = Open("ston");
  ASSERT_TRUE(editor);
  const std::vector<uint8_t> before = editor->Resource()->Pixels();
  // Not a power of two: the message, nothing changes.
  std::vector<uint8_t> rgb(48 * 32 * 3, 90);
  ASSERT_TRUE(platform::SetClipboardDib(platform::EncodeDib(rgb, 48, 32)));
  ControlKey('V');
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message, kDtexPowerOfTwoText);
  EXPECT_EQ(editor->Resource()->Pixels(), before);
  EXPECT_FALSE(editor->IsDirty());
  // A 32-bit bitmap: only the beep.
  std::vector<uint8_t> dib = platform::EncodeDib(std::vector<uint8_t>(16 * 16 * 3, 1), 16, 16);
  std::vector<uint8_t> wide(40);
  std::copy_n(dib.begin(), 40, wide.begin());
  wide[14] = 32;
  wide.resize(40 + 16 * 16 * 4, 7);
  ASSERT_TRUE(platform::SetClipboardDib(wide));
  const int beeps = platform::BeepCount();
  ControlKey('V');
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(editor->Resource()->Pixels(), before);
  EXPECT_EQ(DtexFromDib(wide), std::nullopt);
}

TEST_F(DtexEditTest, ShiftAtLoadingSwapsTheHalves) {
  DtexTag* plain = TheDtexManager().AcquireByTag(FourCC("dtex"), FourCC("ston"));
  ASSERT_TRUE(plain);
  const DtexImage original = plain->Image();
  TheDtexManager().Release(plain);
  Key(kKeyLeftShift, true);
  DtexEdit* editor = Open("ston");
  Key(kKeyLeftShift, false);
  ASSERT_TRUE(editor);
  const DtexTag* tag = editor->Resource();
  EXPECT_EQ(0, std::memcmp(Texel(tag, 32, 32), original.pixels.data(), 3));
  EXPECT_EQ(0, std::memcmp(Texel(tag, 0, 0), original.pixels.data() + 3 * (32 * 64 + 32), 3));
  EXPECT_TRUE(editor->IsDirty());
}

TEST_F(DtexEditTest, NewDetailTextureFromTheClipboard) {
  // An empty name is refused.
  input_text = "";
  answers = {0, 0};
  NewDetailTexture(true);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "Enter Name for Detail Texture");
  EXPECT_EQ(boxes[1].title, "Not Created");
  EXPECT_EQ(boxes[1].message, "You must specify a name to create a detail texture tag.");

  // Nothing on the clipboard: the beep, "Failed", and no tag left behind.
  boxes.clear();
  platform::ClearClipboard();
  input_text = "Empty Paste";
  answers = {0, 0};
  NewDetailTexture(true);
  Frame();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].title, "Failed");
  EXPECT_EQ(boxes[1].message, "Detail texture could not be created.");
  EXPECT_FALSE(TheCodex().LocalFileExists(FourCC("dtex"), "Empty Paste"));

  // A 32 x 16 picture becomes a new tag, saved at once.
  boxes.clear();
  std::vector<uint8_t> rgb(32 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 7);
  ASSERT_TRUE(platform::SetClipboardDib(platform::EncodeDib(rgb, 32, 16)));
  input_text = "Pasted";
  answers = {0};
  NewDetailTexture(true);
  Frame();
  EXPECT_EQ(boxes.size(), 1u);
  ASSERT_TRUE(TheCodex().LocalFileExists(FourCC("dtex"), "Pasted"));
  std::vector<TagRecord*> records;
  TheCodex().ListTagsOfGroup(FourCC("dtex"), &records);
  TagRecord* made = nullptr;
  for (TagRecord* r : records) {
    TagHeader h;
    TheCodex().GetEffectiveHeader(r, &h);
    if (h.Name() == "Pasted") made = r;
  }
  ASSERT_TRUE(made);
  auto* editor = dynamic_cast<DtexEdit*>(FindOpenEditor(made));
  ASSERT_TRUE(editor);
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_EQ(editor->Resource()->Pixels(), rgb);
}

TEST_F(DtexEditTest, ExportAndImportThroughTheDialogs) {
  DtexEdit* editor = Open("gras");
  ASSERT_TRUE(editor);
  const std::string folder = TheCodex().GameFolder() + "pictures";
  std::filesystem::create_directories(folder);
  DialogScript script;
  script.Use(this, [&](FileDialogWindow* d) {
    d->ShowFolder(folder);
    d->NameField()->SetText("grass out.png");
  });
  editor->RunCommand(kDtexExport);
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  EXPECT_EQ(script.title, "Export Detail Texture");
  EXPECT_EQ(script.proposed, "Grass");
  MediaFile written(folder + "/grass out.png");
  ASSERT_TRUE(written.ReadPixels()) << written.Error();
  EXPECT_EQ(written.image.pixels, editor->Resource()->Pixels());

  // A 48 x 32 picture is refused with the message; a 64 x 32 one replaces the texture.
  for (int w : {48, 64}) {
    MediaFile picture(folder + "/in" + std::to_string(w) + ".png");
    picture.image.format = PixelFormat::kRgb;
    picture.image.width = w;
    picture.image.height = 32;
    picture.image.pixels.assign(picture.image.PixelBytes(), uint8_t(w));
    ASSERT_TRUE(picture.Write());
  }
  for (int w : {48, 64}) {
    boxes.clear();
    script.Use(this, [&](FileDialogWindow* d) {
      d->ShowFolder(folder);
      d->NameField()->SetText(("in" + std::to_string(w) + ".png").c_str());
    });
    editor->RunCommand(kDtexImport);
    on_pump = [this](int) { AnswerBox(); };
    Frame();
    EXPECT_EQ(script.title, "Import Detail Texture");
    if (w == 48) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].message, kDtexPowerOfTwoText);
      EXPECT_EQ(editor->Resource()->Width(), 128);
    } else {
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(editor->Resource()->Width(), 64);
      EXPECT_EQ(editor->Resource()->Pixels()[0], 64);
      EXPECT_EQ(editor->Frame().Width(), WidthFor(editor, 64));
      EXPECT_TRUE(editor->IsDirty());
    }
  }
}

}  // namespace
}  // namespace brae
