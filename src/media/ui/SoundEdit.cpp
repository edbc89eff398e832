#include "media/ui/SoundEdit.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "media/Waveform.h"
#include "media/ui/MediaDialogs.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Button.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"

namespace brae {

const char kSoundFolderTitle[] = "Choose Sound Folder";

namespace {

constexpr int kClientWidth = 544;
constexpr int kClientHeight = 256;
constexpr int kStripHeight = 40;
constexpr int kMargin = 4;

}  // namespace

// ---- The waveform strip

WaveformStrip::WaveformStrip(Window* parent) : Window(kWindowVisible | kWindowEnabled, parent) {}

void WaveformStrip::Show(const std::vector<int16_t>* samples) {
  samples_ = samples;
  peak_ = 1;
  if (samples) {
    for (int16_t v : *samples) peak_ = std::max(peak_, std::abs(int(v)));
  }
  InvalidateAll(this);
}

void WaveformStrip::DrawContent() {
  const Point size = ClientSize();
  SetColor(0xFF202020);
  FillRect(Rect(0, 0, size.x, size.y));
  const int middle = size.y / 2;
  SetColor(0xFF505050);
  FillRect(Rect(0, middle, size.x, middle + 1));
  if (!HasSamples()) return;
  SetColor(0xFF60D060);
  const std::vector<WaveColumn> columns = WaveformColumns(*samples_, size.x);
  for (size_t x = 0; x < columns.size(); ++x) {
    // Scaled to the loudest sample, so that quiet sounds show their shape too.
    const int top = middle - columns[x].high * (size.y / 2) / peak_;
    const int bottom = middle - columns[x].low * (size.y / 2) / peak_;
    FillRect(Rect(int(x), top, int(x) + 1, std::max(bottom, top + 1)));
  }
}

// ---- The viewer

SoundEdit::SoundEdit(TagRecord* record) : TagEdit(record) {
  const Point size = FrameSizeForClient(kClientWidth, kClientHeight);
  SetFrame(Rect(0, 0, size.x, size.y));
  list_ = new ListWindow(kListMultipleSelection | kListColumnHeader,
                         kWindowVisible | kWindowEnabled | kWindowFocusable, this);
  list_->AddColumn("Name", 176);
  list_->AddColumn("Duration", 72);
  list_->AddColumn("Bit Depth", 80);
  list_->AddColumn("Channels", 96);
  list_->AddColumn("Sample Rate", 104);
  list_->selection_changed.Connect(this, &SoundEdit::OnSelectionChanged);
  strip_ = new WaveformStrip(this);
  export_all_ = new Button(this);
  export_all_->SetTitle("Export All");
  export_all_->SizeToFit();
  export_all_->clicked.Connect(this, &SoundEdit::OnExportAllClicked);
  export_selected_ = new Button(this);
  export_selected_->SetTitle("Export Selected");
  export_selected_->SizeToFit();
  export_selected_->clicked.Connect(this, &SoundEdit::OnExportSelectedClicked);
  if (SoundPlayer::Available()) {
    play_ = new Button(this);
    play_->SetTitle("Play");
    play_->SizeToFit();
    play_->clicked.Connect(this, &SoundEdit::OnPlayClicked);
  }
  focus_child = list_;
  Layout();
}

void SoundEdit::Layout() {
  if (!list_) return;
  const Point size = ClientSize();
  const int button_height = StandardButtonHeight(this);
  const int buttons_top = size.y - button_height - kMargin;
  const int strip_top = buttons_top - kMargin - kStripHeight;
  list_->SetFrame(Rect(0, 0, size.x, std::max(0, strip_top - kMargin)));
  strip_->SetFrame(Rect(kMargin, strip_top, size.x - kMargin, strip_top + kStripHeight));
  const int all_width = export_all_->Frame().Width();
  const int selected_width = export_selected_->Frame().Width();
  int x = size.x - kMargin - selected_width;
  export_selected_->SetFrame(Rect(x, buttons_top, x + selected_width, buttons_top + button_height));
  x -= kMargin + all_width;
  export_all_->SetFrame(Rect(x, buttons_top, x + all_width, buttons_top + button_height));
  if (play_) {
    const int play_width = play_->Frame().Width();
    play_->SetFrame(Rect(kMargin, buttons_top, kMargin + play_width, buttons_top + button_height));
  }
}

int SoundEdit::WriteTagData(FileStream&, TagHeader&) {
  return 0;  // a viewer: sounds are never written
}

int SoundEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  Sound sound;
  if (!ReadSound(stream, header, &sound)) return 0;
  sound_ = std::move(sound);
  Fill();
  return 1;
}

void SoundEdit::Fill() {
  list_->Clear();
  strip_->Show(nullptr);
  for (size_t i = 0; i < sound_.permutations.size() && i < sound_.records.size(); ++i) {
    const SoundRecord& r = sound_.records[i];
    ListRow* row =
        list_->AddRow(nullptr, PermutationName(sound_.permutations[i]).c_str(), 0, int(i));
    const int64_t seconds = DurationSeconds(r);
    list_->SetCell(row, 1, seconds < 0 ? "--:--" : FormatDuration(seconds).c_str());
    list_->SetCell(row, 2, FormatBitDepth(r.bits).c_str());
    list_->SetCell(row, 3, FormatChannels(r.channels).c_str());
    list_->SetCell(row, 4, FormatSampleRate(SampleRateHz(r)).c_str());
  }
}

std::vector<size_t> SoundEdit::SelectedPermutations() const {
  std::vector<size_t> indices;
  for (ListRow* row : list_->SelectedRows()) indices.push_back(size_t(row->value));
  std::sort(indices.begin(), indices.end());
  return indices;
}

void SoundEdit::OnSelectionChanged() {
  ListRow* row = list_->CurrentRow();
  if (!row || !row->IsSelected()) {
    const std::vector<size_t> selected = SelectedPermutations();
    strip_->Show(selected.empty() ? nullptr : &sound_.samples[selected.front()]);
    return;
  }
  const size_t index = size_t(row->value);
  strip_->Show(index < sound_.samples.size() ? &sound_.samples[index] : nullptr);
}

size_t SoundEdit::Export(const std::vector<size_t>& indices) {
  std::string folder;
  if (!FolderDialog(kSoundFolderTitle, &folder, nullptr, MediaGroup::kSound)) return 0;
  return ExportPermutations(sound_, indices, folder);
}

size_t SoundEdit::ExportAll() {
  std::vector<size_t> all(std::min(sound_.permutations.size(), sound_.records.size()));
  std::iota(all.begin(), all.end(), size_t(0));
  return Export(all);
}

size_t SoundEdit::ExportSelected() {
  return Export(SelectedPermutations());
}

int SoundEdit::PlaySelected() {
  int index = -1;
  if (ListRow* row = list_->CurrentRow(); row && row->IsSelected()) {
    index = row->value;
  } else if (const std::vector<size_t> selected = SelectedPermutations(); !selected.empty()) {
    index = int(selected.front());
  }
  if (index < 0 || size_t(index) >= sound_.records.size()) return -1;
  last_played_ = index;
  const SoundRecord& r = sound_.records[size_t(index)];
  player_.Play(sound_.samples[size_t(index)], r.channels, int(SampleRateHz(r)));
  return index;
}

int SoundEdit::KeyDown(Event* e) {
  if (e->Pressed() && e->Key() == ' ' && !(e->Modifiers() & ~kModRepeat)) {
    PlaySelected();
    return 1;
  }
  return TagEdit::KeyDown(e);
}

TagEdit* NewSoundEdit(TagRecord* record) {
  return new SoundEdit(record);
}

void RegisterSoundEditor() {
  SetGroupEditorFactory(kSoundGroup, NewSoundEdit);
}

}  // namespace brae
