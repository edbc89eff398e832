#pragma once
// The viewer of sound tags ('soun'): the permutations in a list with their duration, bit
// depth, channels and sample rate, a waveform strip of the selected one, and the WAV export of
// all or the selected permutations. Sounds are not edited: WriteTagData fails.

#include <string>
#include <vector>

#include "editing/TagEdit.h"
#include "media/Sound.h"
#include "media/ui/SoundPlayer.h"

namespace brae {

class Button;
class ListWindow;

extern const char kSoundFolderTitle[];  // "Choose Sound Folder"

// The strip under the list: the samples of one permutation, lowest to highest per column.
class WaveformStrip : public Window {
 public:
  explicit WaveformStrip(Window* parent);
  const char* ClassName() const override { return "WaveformStrip"; }
  // The samples shown (none clears the strip).
  void Show(const std::vector<int16_t>* samples);
  bool HasSamples() const { return samples_ && !samples_->empty(); }
  // The loudest sample's magnitude, the strip's full height (at least 1).
  int Peak() const { return peak_; }
  void DrawContent() override;

 private:
  const std::vector<int16_t>* samples_ = nullptr;
  int peak_ = 1;
};

class SoundEdit : public TagEdit {
 public:
  explicit SoundEdit(TagRecord* record);
  const char* ClassName() const override { return "SoundEdit"; }
  void Layout() override;
  int WriteTagData(FileStream& stream, TagHeader& header) override;
  int ReadTagData(FileStream& stream, TagHeader& header) override;

  // Asks for the folder and writes the permutations; returns how many files were written.
  size_t ExportAll();
  size_t ExportSelected();
  // Plays the current (or first selected) permutation through the default audio output;
  // Space does the same. Returns the permutation started, or -1.
  int PlaySelected();
  int KeyDown(Event* event) override;
  // The permutation most recently asked to play (-1 for none), whether or not a device played it.
  int LastPlayed() const { return last_played_; }
  Button* PlayButton() const { return play_; }

  const Sound& GetSound() const { return sound_; }
  ListWindow* List() const { return list_; }
  Button* ExportAllButton() const { return export_all_; }
  Button* ExportSelectedButton() const { return export_selected_; }
  WaveformStrip* Strip() const { return strip_; }
  // Record indices of the selected rows, in record order.
  std::vector<size_t> SelectedPermutations() const;

 private:
  void Fill();
  void OnSelectionChanged();
  void OnExportAllClicked() { ExportAll(); }
  void OnExportSelectedClicked() { ExportSelected(); }
  void OnPlayClicked() { PlaySelected(); }
  size_t Export(const std::vector<size_t>& indices);

  Sound sound_;
  ListWindow* list_ = nullptr;
  WaveformStrip* strip_ = nullptr;
  Button* export_all_ = nullptr;
  Button* export_selected_ = nullptr;
  Button* play_ = nullptr;  // only when the build can play sounds
  SoundPlayer player_;
  int last_played_ = -1;
};

// The editor factory of 'soun' and its registration in the group table.
TagEdit* NewSoundEdit(TagRecord* record);
void RegisterSoundEditor();

}  // namespace brae
