// The sound viewer on the demo sounds: its size and list texts, the waveform strip of the
// selected permutation, both exports through the folder dialog, and saving refused.
#include <algorithm>
#include <filesystem>

#include "editing/EditingFixture.h"
#include "media/Sound.h"
#include "media/Waveform.h"
#include "media/ui/FileDialog.h"
#include "media/ui/SoundEdit.h"
#include "toolkit/Button.h"
#include "toolkit/ListWindow.h"

namespace brae {
namespace {

class SoundEditTest : public test::EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override { demo::AddMediaDemo(game); }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterSoundEditor();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }
  SoundEdit* Open(const char (&subgroup)[5]) {
    auto* editor = dynamic_cast<SoundEdit*>(OpenTag(Find("soun", subgroup)));
    Frame();
    return editor;
  }
  static Point Centre(const Rect& r) { return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
  FileDialogWindow* Dialog() {
    const ModalEntry* top = TopModal();
    auto* d = top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
    return d && !d->IsClosed() ? d : nullptr;
  }
  // The folder dialog shows the folder and is accepted with a click on its OK button.
  void UseFolder(const std::string& folder) {
    dialog_title.clear();
    on_pump = [this, folder, step = 0](int) mutable {
      AnswerBox();
      FileDialogWindow* d = Dialog();
      if (!d) return;
      ++step;
      if (step == 2) {
        dialog_title = d->Title() ? d->Title() : "";
        d->ShowFolder(folder);
      }
      if (step == 4) {
        now += 1.0;
        Point ok = Centre(d->OkButton()->Frame());
        QueueMousePosition(ok.x, ok.y);
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
    };
  }
  std::vector<std::string> Row(SoundEdit* e, size_t i) {
    std::vector<std::string> cells;
    ListRow* row = e->List()->ShownRow(i);
    if (!row) return cells;
    for (int c = 0; c < 5; ++c) cells.push_back(e->List()->CellText(row, c));
    return cells;
  }
  std::string Folder() {
    const std::string f = dir_.Path() + "/wav";
    std::filesystem::create_directories(f);
    return f;
  }
  std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dialog_title;
};

TEST_F(SoundEditTest, ListsEveryPermutationWithItsProperties) {
  SoundEdit* e = Open("horn");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->ClientSize().x, 544);
  EXPECT_EQ(e->ClientSize().y, 256);
  ASSERT_EQ(e->List()->ColumnCount(), 5);
  EXPECT_EQ(e->List()->Column(0).title, "Name");
  EXPECT_EQ(e->List()->Column(4).title, "Sample Rate");
  ASSERT_EQ(e->List()->ShownCount(), 3u);
  // 690 packets of 64 samples at 11025 Hz: four whole seconds.
  EXPECT_EQ(Row(e, 0),
            (std::vector<std::string>{"Horn Low", "00:04", "16", "1 (mono)", "11025 Hz"}));
  EXPECT_EQ(Row(e, 1)[3], "2 (stereo)");
  EXPECT_EQ(Row(e, 2)[0], "A Horn Of Twentyfive Char");  // 25 characters, whole
  EXPECT_EQ(e->ExportAllButton()->Title(), std::string("Export All"));
  EXPECT_EQ(e->ExportSelectedButton()->Title(), std::string("Export Selected"));
  // Both buttons lie below the list and the strip, inside the window.
  EXPECT_GT(e->ExportAllButton()->Frame().y0, e->Strip()->Frame().y1 - 1);
  EXPECT_LE(e->ExportSelectedButton()->Frame().x1, e->ClientRect().x1);
}

TEST_F(SoundEditTest, SelectingAPermutationShowsItsWaveform) {
  SoundEdit* e = Open("bell");
  ASSERT_TRUE(e);
  EXPECT_FALSE(e->Strip()->HasSamples());
  Click(Centre(e->List()->RowRect(0)).x, Centre(e->List()->RowRect(0)).y);
  ASSERT_TRUE(e->Strip()->HasSamples());
  Frame();
  // The loudest column is drawn in the wave colour up to its highest sample; the quietest
  // leaves the top of the strip dark.
  const Rect strip = e->Strip()->ClientRect();
  const int width = strip.Width(), half = strip.Height() / 2, peak = e->Strip()->Peak();
  const std::vector<WaveColumn> columns = WaveformColumns(e->GetSound().samples[0], width);
  auto by_high = [](const WaveColumn& a, const WaveColumn& b) { return a.high < b.high; };
  const auto loud = std::max_element(columns.begin(), columns.end(), by_high);
  const auto quiet = std::min_element(columns.begin(), columns.end(), by_high);
  const int loud_x = strip.x0 + int(loud - columns.begin());
  const test::Pixel p = At(loud_x, strip.y0 + half - loud->high * half / peak + 1);
  EXPECT_GT(p.g, 150) << p.r << "," << p.g << "," << p.b;
  ASSERT_LT(quiet->high, peak / 2);
  const test::Pixel dark = At(strip.x0 + int(quiet - columns.begin()), strip.y0 + 1);
  EXPECT_LT(dark.g, 100);
  // The silent permutation has nothing to show.
  Click(Centre(e->List()->RowRect(2)).x, Centre(e->List()->RowRect(2)).y);
  EXPECT_FALSE(e->Strip()->HasSamples());
}

TEST_F(SoundEditTest, ExportAllWritesEveryPermutationWithSamples) {
  SoundEdit* e = Open("bell");
  ASSERT_TRUE(e);
  const std::string folder = Folder();
  UseFolder(folder);
  Click(Centre(e->ExportAllButton()->Frame()).x, Centre(e->ExportAllButton()->Frame()).y);
  Frame();
  EXPECT_EQ(dialog_title, "Choose Sound Folder");
  // "Silence" has no packets: no file.
  EXPECT_EQ(Files(folder), (std::vector<std::string>{"Bell Mono.wav", "Bell Stereo.wav"}));
  const std::string wav = test::ReadFile(folder + "/Bell Mono.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.size(), 44u + 345u * 64u * 2u);
}

TEST_F(SoundEditTest, ExportSelectedWritesOnlyTheSelectedRows) {
  SoundEdit* e = Open("horn");
  ASSERT_TRUE(e);
  e->List()->Select(e->List()->ShownRow(2), false);
  Frame();
  const std::string folder = Folder();
  UseFolder(folder);
  Click(Centre(e->ExportSelectedButton()->Frame()).x, Centre(e->ExportSelectedButton()->Frame()).y);
  Frame();
  EXPECT_EQ(Files(folder), (std::vector<std::string>{"A Horn Of Twentyfive Char.wav"}));
}

TEST_F(SoundEditTest, PlayAndSpacePlayTheSelectedPermutationWithoutComplaint) {
  SoundEdit* e = Open("horn");
  ASSERT_TRUE(e);
  if (!SoundPlayer::Available()) GTEST_SKIP() << "built without an audio library";
  ASSERT_NE(e->PlayButton(), nullptr);
  EXPECT_EQ(e->PlayButton()->Title(), std::string("Play"));
  // Nothing selected: nothing plays.
  Click(Centre(e->PlayButton()->Frame()).x, Centre(e->PlayButton()->Frame()).y);
  EXPECT_EQ(e->LastPlayed(), -1);
  Click(Centre(e->List()->RowRect(2)).x, Centre(e->List()->RowRect(2)).y);
  Click(Centre(e->PlayButton()->Frame()).x, Centre(e->PlayButton()->Frame()).y);
  EXPECT_EQ(e->LastPlayed(), 2);
  Click(Centre(e->List()->RowRect(0)).x, Centre(e->List()->RowRect(0)).y);
  Tap(' ');
  EXPECT_EQ(e->LastPlayed(), 0);
  // With or without an audio device, no message appears.
  EXPECT_TRUE(boxes.empty());
  TryClose(e);  // stops the playing
}

TEST_F(SoundEditTest, SavingIsRefused) {
  SoundEdit* e = Open("bell");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->SaveTag(), 0);
  TheCodex().PollLocalFolder(true);
  EXPECT_FALSE(std::filesystem::exists(LocalPath(kSoundGroup, "Bell")));
}

}  // namespace
}  // namespace brae
