#pragma once
// The editor of collection tags ('.256'): the collection loaded with its pixels and shown in
// the tab window "Tabs" (bitmaps, shadows, sequences, hue changes, colour table, flags,
// optimisation), saved back through the collection writer. Control+T switches the instances
// that have an alternate placement between it and their primary one.

#include <functional>
#include <memory>

#include "editing/TagEdit.h"
#include "toolkit/UndoStack.h"

namespace brae {

class BitmapTextures;
class Collection;
class ExternalBitmapEdits;
class CollectionSequence;
class SequenceEditorWindow;
class TabWindow;
class X256BitmapBrowser;
class X256ColorTableEdit;
class X256FlagsEdit;
class X256OptimizeEdit;
class X256HueBrowser;
class X256SequenceBrowser;
class X256SequenceEdit;

class X256Edit : public TagEdit {
 public:
  explicit X256Edit(TagRecord* record);
  ~X256Edit() override;
  const char* ClassName() const override { return "X256Edit"; }
  void Layout() override;
  void WillClose() override;
  void Idle() override;
  int KeyDown(Event* event) override;
  int WriteTagData(FileStream& stream, TagHeader& header) override;
  int ReadTagData(FileStream& stream, TagHeader& header) override;
  int CreateNewTag(uint32_t group, const std::string& name) override;

  Collection& GetCollection() const { return *collection_; }
  BitmapTextures& Textures() const { return *textures_; }
  TabWindow* Tabs() const { return tabs_; }
  X256BitmapBrowser* BitmapBrowser() const { return bitmaps_; }
  X256BitmapBrowser* ShadowBrowser() const { return shadows_; }
  X256SequenceBrowser* SequenceBrowser() const { return sequences_; }
  X256ColorTableEdit* ColorTableTab() const { return color_table_; }
  X256FlagsEdit* FlagsTab() const { return flags_; }
  X256OptimizeEdit* OptimizeTab() const { return optimize_; }
  X256HueBrowser* HueBrowser() const { return hues_; }
  // The bitmaps being edited in an external editor.
  ExternalBitmapEdits& ExternalEdits() const { return *external_; }
  bool ShowsAlternatePlacement() const { return alternate_; }
  void ToggleAlternatePlacement();
  // The bitmap and sequence commands' undo stack (Control+Z, Control+Y); emptied when the tag is
  // loaded.
  UndoStack& Undos() { return undo_; }
  bool Undo();
  bool Redo();
  // A sequence or frame editor changed its sequence: the tag is dirty, the bitmap tabs show
  // the new usage and the other open sequence windows are brought up to date.
  void SequenceEdited(SequenceEditorWindow* from);
  // Opens the editor of a sequence, or brings its open one to the front.
  X256SequenceEdit* OpenSequenceEditor(CollectionSequence* sequence);
  // Opens the frame editor of a cell (double click on a view cell of a sequence editor).
  std::function<void(CollectionSequence* sequence, int frame, int view)> open_frame_editor;

 private:
  void FillTabs();
  void OnBitmapsChanged();
  void OnShadowsChanged();
  void OnSequencesChanged();
  void OnPaletteChanged();
  void OnFlagsChanged();
  void OnOptimized();
  void OnHuesChanged();
  // An undo or redo changed the collection (replaced: every bitmap object is new).
  void OnRestored(bool replaced, size_t index);

  std::unique_ptr<Collection> collection_;
  std::unique_ptr<BitmapTextures> textures_;
  TabWindow* tabs_ = nullptr;
  X256BitmapBrowser* bitmaps_ = nullptr;
  X256BitmapBrowser* shadows_ = nullptr;
  X256SequenceBrowser* sequences_ = nullptr;
  X256ColorTableEdit* color_table_ = nullptr;
  X256FlagsEdit* flags_ = nullptr;
  X256OptimizeEdit* optimize_ = nullptr;
  X256HueBrowser* hues_ = nullptr;
  bool alternate_ = false;
  UndoStack undo_;
  std::unique_ptr<ExternalBitmapEdits> external_;
};

// Switches every instance whose alternate fields are valid (flag 0x20) between its primary
// bitmap and registration point and its alternate ones; returns how many were switched.
int SwapAlternatePlacements(Collection* collection);

// The editor factory of the '.256' group, and its registration in the group table.
TagEdit* NewX256Edit(TagRecord* record);
void RegisterCollectionEditor();

}  // namespace brae
