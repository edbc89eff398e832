#include "collection/ui/X256Edit.h"

#include <utility>

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/BitmapWindow.h"
#include "collection/ui/ExternalBitmapEdits.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256ColorTableEdit.h"
#include "collection/ui/X256FlagsEdit.h"
#include "collection/ui/X256HueBrowser.h"
#include "collection/ui/X256OptimizeEdit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "collection/ui/X256SequenceEdit.h"
#include "collection/ui/X256SequenceFrameEdit.h"
#include "core/MessageLog.h"
#include "editing/ExternalEdits.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TabWindow.h"

namespace brae {

namespace {

constexpr int kInitialWidth = 575;
constexpr int kInitialHeight = 360;
constexpr const char* kLogCategory = "Collections";

// Moves a loaded collection into the one the tabs show.
void TakeCollection(Collection* into, Collection* from) {
  std::swap(into->name, from->name);
  std::swap(into->carried, from->carried);
  std::swap(into->flags, from->flags);
  std::swap(into->palette, from->palette);
  into->bitmaps.swap(from->bitmaps);
  into->hue_changes.swap(from->hue_changes);
  into->sequences.swap(from->sequences);
  std::swap(into->has_pixels, from->has_pixels);
}

}  // namespace

int SwapAlternatePlacements(Collection* collection) {
  int switched = 0;
  for (auto& sequence : collection->sequences)
    for (CollectionFrame& frame : sequence->frames)
      for (auto& view : frame.views) {
        if (!view || !(view->flags & kInstanceAlternateValid)) continue;
        std::swap(view->bitmap, view->alt_bitmap);
        std::swap(view->reg_x, view->alt_reg_x);
        std::swap(view->reg_y, view->alt_reg_y);
        ++switched;
      }
  return switched;
}

X256Edit::X256Edit(TagRecord* record)
    : TagEdit(record),
      collection_(std::make_unique<Collection>()),
      textures_(std::make_unique<BitmapTextures>(collection_.get())) {
  Point size = FrameSizeForClient(kInitialWidth, kInitialHeight);
  SetFrame(Rect(0, 0, size.x, size.y));
  tabs_ = new TabWindow(kWindowVisible | kWindowEnabled, this);
  tabs_->SetTitle("Tabs");
  bitmaps_ = new X256BitmapBrowser(kBrowseBitmaps, collection_.get(), textures_.get(), tabs_);
  shadows_ = new X256BitmapBrowser(kBrowseShadows, collection_.get(), textures_.get(), tabs_);
  sequences_ = new X256SequenceBrowser(collection_.get(), tabs_);
  hues_ = new X256HueBrowser(collection_.get(), tabs_);
  color_table_ = new X256ColorTableEdit(collection_.get(), textures_.get(), tabs_);
  flags_ = new X256FlagsEdit(collection_.get(), tabs_);
  optimize_ = new X256OptimizeEdit(collection_.get(), tabs_);
  bitmaps_->changed.Connect(this, &X256Edit::OnBitmapsChanged);
  shadows_->changed.Connect(this, &X256Edit::OnShadowsChanged);
  sequences_->changed.Connect(this, &X256Edit::OnSequencesChanged);
  sequences_->SetUndo(&undo_);
  color_table_->changed.Connect(this, &X256Edit::OnPaletteChanged);
  color_table_->SetUndo(&undo_);
  flags_->changed.Connect(this, &X256Edit::OnFlagsChanged);
  flags_->SetUndo(&undo_);
  optimize_->changed.Connect(this, &X256Edit::OnOptimized);
  optimize_->windows_open = [this] {
    return !bitmaps_->BitmapWindows().empty() || !shadows_->BitmapWindows().empty() ||
           sequences_->HasOpenEditors();
  };
  hues_->changed.Connect(this, &X256Edit::OnHuesChanged);
  hues_->SetUndo(&undo_);
  sequences_->open_editor = [this](CollectionSequence* s) { OpenSequenceEditor(s); };
  open_frame_editor = [this](CollectionSequence* s, int frame, int view) {
    OpenSequenceFrameEditor(this, s, frame, view);
  };
  auto restored = [this](bool replaced, size_t index) { OnRestored(replaced, index); };
  bitmaps_->SetUndo(&undo_, restored);
  shadows_->SetUndo(&undo_, restored);
  external_ = std::make_unique<ExternalBitmapEdits>(collection_.get(), bitmaps_, shadows_);
  bitmaps_->SetExternalEdits(external_.get());
  shadows_->SetExternalEdits(external_.get());
  optimize_->SetUndo(&undo_, restored);
  // Keys go to the table of the tab shown, then up to the editor.
  tabs_->focus_child = bitmaps_;
  focus_child = tabs_;
  Layout();
}

X256Edit::~X256Edit() {
  if (external_) external_->StopAll();
  // The bitmap and sequence windows draw from this editor's textures: they go first.
  if (sequences_) sequences_->CloseEditors();
  if (bitmaps_) bitmaps_->CloseBitmapWindows();
  if (shadows_) shadows_->CloseBitmapWindows();
  if (hues_) hues_->CloseHueEditors();
}

void X256Edit::Layout() {
  if (tabs_) tabs_->SetFrame(Rect(0, 0, ClientSize().x, ClientSize().y));
}

void X256Edit::WillClose() {
  external_->StopAll();
  sequences_->CloseEditors();
  bitmaps_->CloseBitmapWindows();
  shadows_->CloseBitmapWindows();
  hues_->CloseHueEditors();
  TagEdit::WillClose();
}

void X256Edit::FillTabs() {
  undo_.Clear();
  // The bitmaps of a collection loaded again are other bitmaps.
  external_->StopAll();
  textures_->InvalidateAll();
  sequences_->CloseEditors();
  bitmaps_->CloseBitmapWindows();
  shadows_->CloseBitmapWindows();
  bitmaps_->Refresh();
  shadows_->Refresh();
  sequences_->Refresh();
  flags_->Refresh();
  color_table_->InvalidateClient();
  hues_->CloseHueEditors();
  hues_->Refresh();
  alternate_ = false;
}

// ---- loading and saving ---------------------------------------------------------------------

int X256Edit::ReadTagData(FileStream& stream, TagHeader& header) {
  Collection loaded;
  CollectionLoadOptions options;
  options.with_pixels = true;
  CollectionResult result = ReadCollection(stream, header, options, &loaded);
  if (!result) {
    Log(0, kLogCategory, "the collection '%s' could not be loaded: %s\n", header.Name().c_str(),
        result.message.c_str());
    return 0;
  }
  if (loaded.IsColorMap()) {
    ShowMessageBox("Unsupported",
                   "The collection is a color map, which is currently not supported for "
                   "editing.\nUse Morrow instead.",
                   {"Close"});
    return 0;
  }
  if (result.placeholders)
    Log(0, kLogCategory, "the collection '%s': %d bitmaps could not be decoded\n",
        header.Name().c_str(), result.placeholders);
  TakeCollection(collection_.get(), &loaded);
  FillTabs();
  SetDirty(false);
  return 1;
}

int X256Edit::WriteTagData(FileStream& stream, TagHeader& header) {
  CollectionResult result = WriteCollection(stream, *collection_, &header);
  if (!result) {
    Log(0, kLogCategory, "the collection '%s' could not be saved: %s\n", header.Name().c_str(),
        result.message.c_str());
    return 0;
  }
  return 1;
}

int X256Edit::CreateNewTag(uint32_t group, const std::string& name) {
  if (!TagEdit::CreateNewTag(group, name)) return 0;
  Collection fresh;
  fresh.name = header_.Name();
  TakeCollection(collection_.get(), &fresh);
  FillTabs();
  return 1;
}

// ---- changes and keys -----------------------------------------------------------------------

void X256Edit::Idle() {
  TagEdit::Idle();
  // The external editor's saves come back here, between frames.
  if (external_->Count()) TheExternalEdits().Poll();
}

void X256Edit::OnBitmapsChanged() {
  MarkChanged();
  external_->Prune();
  // The textures are shared: what changed for one tab is redrawn in the other and in the open
  // sequence windows.
  shadows_->InvalidateClient();
  sequences_->NotifyEditors();
}

void X256Edit::OnShadowsChanged() {
  MarkChanged();
  external_->Prune();
  bitmaps_->InvalidateClient();
  sequences_->NotifyEditors();
}

void X256Edit::OnSequencesChanged() {
  MarkChanged();
  // Which bitmaps are used may have changed.
  bitmaps_->RefreshUsage();
  shadows_->RefreshUsage();
}

void X256Edit::SequenceEdited(SequenceEditorWindow* from) {
  MarkChanged();
  bitmaps_->RefreshUsage();
  shadows_->RefreshUsage();
  sequences_->NotifyEditors(from);
}

void X256Edit::OnPaletteChanged() {
  MarkChanged();
  // The colour table tab has dropped every texture: whatever shows a bitmap draws it again.
  bitmaps_->InvalidateClient();
  shadows_->InvalidateClient();
  for (X256BitmapBrowser* browser : {bitmaps_, shadows_})
    for (BitmapWindow* window : browser->BitmapWindows()) window->InvalidateClient();
  sequences_->NotifyEditors();
}

void X256Edit::OnFlagsChanged() {
  MarkChanged();
}

void X256Edit::OnOptimized() {
  // Bitmaps were removed, merged, cropped or renamed: every tab that lists them is rebuilt.
  OnRestored(true, 0);
}

void X256Edit::OnHuesChanged() {
  MarkChanged();
  // The preview palette is worked out once; the textures it changes are refilled as they are
  // drawn, wherever a bitmap of this collection is on screen.
  if (textures_->PreviewChanged() > 0) RequestRedraw();
}

X256SequenceEdit* X256Edit::OpenSequenceEditor(CollectionSequence* sequence) {
  if (collection_->IndexOfSequence(sequence) < 0) return nullptr;
  for (SequenceEditorWindow* e : sequences_->Editors()) {
    auto* open = dynamic_cast<X256SequenceEdit*>(e);
    if (open && open->EditedSequence() == sequence) {
      open->BringToFront();
      open->SetFocus(0);
      return open;
    }
  }
  auto* editor = new X256SequenceEdit(this, sequence);
  editor->open_frame_editor = [this](CollectionSequence* s, int frame, int view) {
    if (open_frame_editor) open_frame_editor(s, frame, view);
  };
  return editor;
}

void X256Edit::OnRestored(bool replaced, size_t index) {
  external_->Prune();
  if (replaced) {
    // Every bitmap object is new: both tabs are built again.
    textures_->InvalidateAll();
    shadows_->Refresh();
    sequences_->Refresh();
    sequences_->NotifyEditors();
    bitmaps_->CollectionRestored(true, index);
    return;
  }
  const CollectionBitmap* b = collection_->BitmapAt(index);
  (b && b->IsShadow() ? shadows_ : bitmaps_)->CollectionRestored(false, index);
}

bool X256Edit::Undo() {
  return undo_.Undo() != 0;
}

bool X256Edit::Redo() {
  return undo_.Redo() != 0;
}

void X256Edit::ToggleAlternatePlacement() {
  alternate_ = !alternate_;
  SwapAlternatePlacements(collection_.get());
  bitmaps_->RefreshUsage();
  shadows_->RefreshUsage();
  Invalidate();
}

int X256Edit::KeyDown(Event* event) {
  if (event->Key() == 'T' && (event->Modifiers() & kModControl)) {
    if (event->Pressed() && !(event->Modifiers() & kModRepeat)) ToggleAlternatePlacement();
    return 1;
  }
  if ((event->Key() == 'Z' || event->Key() == 'Y') && (event->Modifiers() & kModControl)) {
    if (event->Pressed()) event->Key() == 'Z' ? Undo() : Redo();
    return 1;
  }
  return TagEdit::KeyDown(event);
}

TagEdit* NewX256Edit(TagRecord* record) {
  return new X256Edit(record);
}

void RegisterCollectionEditor() {
  SetGroupEditorFactory(kCollectionGroup, NewX256Edit);
}

}  // namespace brae
