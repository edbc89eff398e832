#include "collection/ui/X256SequenceEdit.h"

#include <algorithm>

#include "collection/BitmapExport.h"
#include "collection/Collection.h"
#include "collection/CollectionImport.h"
#include "collection/Plates.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/SequenceEditActions.h"
#include "collection/ui/SequenceGridView.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "media/ui/MediaDialogs.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr uint32_t kEditorFlags = kWindowEnabled | kWindowTitleBar | kWindowShadow |
                                  kWindowThickBorder | kWindowCloseBox | kWindowCollapseBox |
                                  kWindowResizable | kWindowFocusable | kWindowGreyBackground;
constexpr int kInitialWidth = 800;
constexpr int kInitialHeight = 600;
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kNumberWidth = 56;
constexpr int kSoundWidth = 52;
constexpr int kModeWidth = 112;
constexpr uint32_t kLabelColour = 0xFFFFFFFFu;

struct FieldSpec {
  const char* label;
  int kind;
  int width;
};
const FieldSpec kFields[kFieldCount] = {
    {"Frames:", kTextInteger, kNumberWidth},
    {"Views:", kTextInteger, kNumberWidth},
    {"Ticks per Frame:", kTextInteger, kNumberWidth},
    {"Key Frame:", kTextInteger, kNumberWidth},
    {"Loop Frame:", kTextInteger, kNumberWidth},
    {"Transfer Period:", kTextInteger, kNumberWidth},
    {"First Sound Tag:", kTextSingleLine, kSoundWidth},
    {"Key Sound Tag:", kTextSingleLine, kSoundWidth},
    {"Last Sound Tag:", kTextSingleLine, kSoundWidth},
};
const char* const kCheckLabels[kCheckCount] = {"Use Mirroring", "No Rotation", "Horz. Mirror",
                                               "Vert. Mirror", "Shadow Is Light"};

// The header field behind a text field (frames and views resize instead).
SequenceField HeaderField(int field) {
  switch (field) {
    case kFieldTicksPerFrame:
      return SequenceField::kTicksPerFrame;
    case kFieldKeyFrame:
      return SequenceField::kKeyFrame;
    case kFieldLoopFrame:
      return SequenceField::kLoopFrame;
    case kFieldTransferPeriod:
      return SequenceField::kTransferPeriod;
    case kFieldFirstSound:
      return SequenceField::kFirstSound;
    case kFieldKeySound:
      return SequenceField::kKeySound;
    default:
      return SequenceField::kLastSound;
  }
}

bool IsSoundField(int field) {
  return field >= kFieldFirstSound;
}

}  // namespace

struct X256SequenceEdit::Listener : public SignalListener {
  Listener(X256SequenceEdit* o, int i) : owner(o), index(i) {}
  void OnEnter(int pressed) {
    if (pressed) owner->CommitField(index);
  }
  void OnFocusLost(int) { owner->CommitField(index); }
  void OnClicked() { owner->ToggleCheck(index, owner->checks_[size_t(index)]->IsChecked()); }
  X256SequenceEdit* owner;
  int index;
};

X256SequenceEdit::X256SequenceEdit(X256Edit* editor, CollectionSequence* sequence)
    : Window(kEditorFlags), editor_(editor), sequence_(sequence) {
  Collection* collection = &editor_->GetCollection();
  for (int f = 0; f < kFieldCount; ++f) {
    auto* box = new TextBox(kFields[f].kind, this);
    box->SetMaxLength(IsSoundField(f) ? 4 : 5);
    listeners_.push_back(std::make_unique<Listener>(this, f));
    box->enter.Connect(listeners_.back().get(), &Listener::OnEnter);
    box->focus_lost_signal.Connect(listeners_.back().get(), &Listener::OnFocusLost);
    fields_.push_back(box);
  }
  mode_ = new ComboBox(this, 0);
  for (const TransferModeChoice& c : TransferModeChoices()) mode_->AddItem(c.label, c.value);
  mode_->SetListRows(int(TransferModeChoices().size()), true);
  mode_->item_chosen.Connect(this, &X256SequenceEdit::OnModeChosen);
  for (int c = 0; c < kCheckCount; ++c) {
    auto* check = new CheckBox(this);
    check->SetToggleMode(1);
    check->SetTitle(kCheckLabels[c]);
    check->SizeToFit();
    checks_.push_back(check);
    listeners_.push_back(std::make_unique<Listener>(this, c));
    check->clicked.Connect(listeners_.back().get(), &Listener::OnClicked);
  }
  grid_ = new SequenceGridView(collection, &editor_->Textures(), this);
  grid_->on_drop_bitmaps = [this](SequenceCell at, const std::vector<size_t>& b) {
    DropBitmaps(at, b);
  };
  grid_->on_drop_shadows = [this](int frame, const std::vector<size_t>& s) {
    DropShadows(frame, s);
  };
  grid_->on_drop_items = [this](SequenceCell at, const std::vector<GridDropItem>& items) {
    DropItems(at, items);
  };
  grid_->on_view_double_click = [this](int frame, int view) {
    if (open_frame_editor) open_frame_editor(sequence_, frame, view);
  };
  grid_->on_context_menu = [this](int x, int y) { ShowMenu(x, y); };
  grid_->selection_changed.Connect(this, &X256SequenceEdit::RefreshCellChecks);
  grid_->SetSequence(sequence_);

  Point size = FrameSizeForClient(kInitialWidth, kInitialHeight);
  PlaceAtCascade(size);
  editor_->SequenceBrowser()->RegisterEditor(this);
  Refresh();
  focus_child = grid_;
  SetVisible(true);
  BringToFront();
  SetFocus(0);
}

X256SequenceEdit::~X256SequenceEdit() {
  if (editor_) editor_->SequenceBrowser()->UnregisterEditor(this);
}

void X256SequenceEdit::WillClose() {
  listeners_.clear();  // no field is committed while the window goes
  if (editor_) editor_->SequenceBrowser()->UnregisterEditor(this);
  editor_ = nullptr;
  sequence_ = nullptr;
  grid_->SetSequence(nullptr);
}

size_t X256SequenceEdit::Index() const {
  const int i = editor_ ? editor_->GetCollection().IndexOfSequence(sequence_) : -1;
  return i < 0 ? size_t(-1) : size_t(i);
}

// ---- layout and drawing -----------------------------------------------------------------------

void X256SequenceEdit::Layout() {
  if (!grid_) return;
  labels_.clear();
  const int row_height = LineHeight(this) + 8;
  const int width = ClientSize().x;
  int x = kMargin, y = kMargin;
  // One row of labelled fields; wraps to the next row when the window is too narrow.
  auto place = [&](const char* label, Window* control, int control_width) {
    const int label_width = TextWidth(this, label) + 4;
    if (x > kMargin && x + label_width + control_width > width - kMargin) {
      x = kMargin;
      y += row_height + kGap;
    }
    labels_.push_back({label, Rect(x, y, x + label_width, y + row_height)});
    x += label_width;
    control->SetFrame(Rect(x, y, x + control_width, y + row_height));
    x += control_width + 2 * kGap;
  };
  for (int f = kFieldFrames; f <= kFieldLoopFrame; ++f)
    place(kFields[f].label, fields_[size_t(f)], kFields[f].width);
  x = kMargin;
  y += row_height + kGap;
  place("Mode:", mode_, kModeWidth);
  for (int f = kFieldTransferPeriod; f < kFieldCount; ++f)
    place(kFields[f].label, fields_[size_t(f)], kFields[f].width);
  x = kMargin;
  y += row_height + kGap;
  for (int c = 0; c < kCheckCount; ++c) {
    Rect r = checks_[size_t(c)]->ParentRelativeFrame();
    // A little more room between the sequence's boxes and the cells' boxes.
    if (c == kCheckHorzMirror) x += 3 * kGap;
    checks_[size_t(c)]->SetFrame(Rect(x, y, x + r.Width(), y + row_height));
    x += r.Width() + 3 * kGap;
  }
  y += row_height + kGap;
  grid_->SetFrame(Rect(0, y, width, ClientSize().y));
}

void X256SequenceEdit::DrawContent() {
  SetColor(kLabelColour);
  for (const auto& label : labels_)
    DrawTextInRect(this, label.first.c_str(), label.second, kTextCentreVertically);
}

// ---- refreshing -------------------------------------------------------------------------------

void X256SequenceEdit::RefreshTitle() {
  SetTitle(sequence_ ? sequence_->name.c_str() : "");
}

void X256SequenceEdit::Refresh() {
  if (!sequence_) return;
  refreshing_ = true;
  const SequenceHeaderRecord& h = sequence_->header;
  auto set_number = [this](int field, int value) {
    fields_[size_t(field)]->SetText(std::to_string(value).c_str());
  };
  set_number(kFieldFrames, sequence_->FrameCount());
  set_number(kFieldViews, sequence_->ViewCount());
  set_number(kFieldTicksPerFrame, h.ticks_per_frame);
  set_number(kFieldKeyFrame, h.key_frame);
  set_number(kFieldLoopFrame, h.loop_frame);
  set_number(kFieldTransferPeriod, h.transfer_period);
  fields_[kFieldFirstSound]->SetText(SoundTagText(h.first_sound).c_str());
  fields_[kFieldKeySound]->SetText(SoundTagText(h.key_sound).c_str());
  fields_[kFieldLastSound]->SetText(SoundTagText(h.last_sound).c_str());
  mode_->SelectValue(ShownTransferMode(h.transfer_mode));
  checks_[kCheckUseMirroring]->SetChecked(h.flags & kSequenceMirrored);
  checks_[kCheckNoRotation]->SetChecked(h.flags & kSequenceNoRotation);
  grid_->Refresh();
  RefreshCellChecks();
  RefreshTitle();
  refreshing_ = false;
  InvalidateClient();
}

void X256SequenceEdit::RefreshCellChecks() {
  if (!sequence_) return;
  const std::vector<SequenceCell> views = grid_->SelectedViewCells();
  const std::vector<int> shadows = grid_->SelectedShadowFrames();
  auto all_views = [&](uint32_t flag) {
    bool any = false;
    for (SequenceCell c : views) {
      const CollectionInstance* i = sequence_->InstanceAt(c.frame, c.view);
      if (!i) continue;
      if (!(i->flags & flag)) return false;
      any = true;
    }
    return any;
  };
  bool light = !shadows.empty();
  for (int f : shadows) light = light && (sequence_->frames[size_t(f)].shadow.flags & kShadowLight);
  checks_[kCheckHorzMirror]->SetEnabled(!views.empty());
  checks_[kCheckVertMirror]->SetEnabled(!views.empty());
  checks_[kCheckShadowIsLight]->SetEnabled(!shadows.empty());
  checks_[kCheckHorzMirror]->SetChecked(all_views(kInstanceMirrorX));
  checks_[kCheckVertMirror]->SetChecked(all_views(kInstanceMirrorY));
  checks_[kCheckShadowIsLight]->SetChecked(light);
}

void X256SequenceEdit::SequencesChanged() {
  if (!editor_ || editor_->GetCollection().IndexOfSequence(sequence_) < 0) return;
  Refresh();
}

void X256SequenceEdit::ShowMessages(const OperationResult& result) const {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

SequenceRestored X256SequenceEdit::RestoredCallback() const {
  // The undo stack belongs to the collection editor and may outlive this window: the callback
  // refers to the editor only.
  X256Edit* editor = editor_;
  return [editor](bool bitmaps_changed) {
    if (bitmaps_changed) {
      editor->Textures().InvalidateAll();
      editor->BitmapBrowser()->CollectionRestored(true, 0);
      editor->ShadowBrowser()->Refresh();
    }
    editor->SequenceEdited(nullptr);
  };
}

void X256SequenceEdit::Finish(const OperationResult& result, UndoableAction* action,
                              bool bitmaps_changed) {
  if (result.changed && editor_) {
    if (action) editor_->Undos().Perform(action, true);
    if (bitmaps_changed) {
      editor_->BitmapBrowser()->CollectionChanged({}, true);
      editor_->ShadowBrowser()->Refresh();
    }
    Refresh();
    editor_->SequenceEdited(this);
  } else {
    delete action;
    Refresh();  // a refused edit shows the stored values again
  }
  ShowMessages(result);
}

// ---- fields and check boxes -------------------------------------------------------------------

void X256SequenceEdit::CommitField(int field) {
  if (refreshing_ || !editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  const size_t index = Index();
  const std::string text = fields_[size_t(field)]->Text();
  SequenceState before(*c, *sequence_);
  SequenceRestored restored = RestoredCallback();
  if (field == kFieldFrames || field == kFieldViews) {
    uint32_t value = 0;
    if (!ParseFieldNumber(text, &value)) return Refresh();
    const int frames = field == kFieldFrames ? int(value) : sequence_->FrameCount();
    const int views = field == kFieldViews ? int(value) : sequence_->ViewCount();
    OperationResult result = ResizeSequence(c, index, frames, views);
    return Finish(result, new SequenceResizeAction(c, index, std::move(before), restored), false);
  }
  uint32_t value = 0;
  if (IsSoundField(field)) {
    value = PackSoundTag(text);
  } else if (!ParseFieldNumber(text, &value)) {
    return Refresh();
  }
  OperationResult result = SetSequenceField(c, index, HeaderField(field), value);
  Finish(result, new SequenceFieldAction(c, index, std::move(before), restored), false);
}

void X256SequenceEdit::SetMode(uint16_t mode) {
  if (refreshing_ || !editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  OperationResult result = SetSequenceField(c, Index(), SequenceField::kTransferMode, mode);
  Finish(result, new SequenceFieldAction(c, Index(), std::move(before), RestoredCallback()), false);
}

void X256SequenceEdit::ToggleCheck(int check, bool on) {
  if (refreshing_ || !editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  const size_t index = Index();
  SequenceState before(*c, *sequence_);
  SequenceRestored restored = RestoredCallback();
  switch (check) {
    case kCheckUseMirroring:
    case kCheckNoRotation: {
      const uint32_t flag = check == kCheckUseMirroring ? kSequenceMirrored : kSequenceNoRotation;
      Finish(SetSequenceFlag(c, index, flag, on),
             new SequenceFlagAction(c, index, std::move(before), restored), false);
      break;
    }
    case kCheckHorzMirror:
    case kCheckVertMirror: {
      const uint32_t flag = check == kCheckHorzMirror ? kInstanceMirrorX : kInstanceMirrorY;
      Finish(SetCellFlag(c, index, grid_->SelectedViewCells(), flag, on),
             new SequenceMirrorAction(c, index, std::move(before), restored), false);
      break;
    }
    default:
      Finish(SetShadowFlag(c, index, grid_->SelectedShadowFrames(), kShadowLight, on),
             new SequenceShadowLightAction(c, index, std::move(before), restored), false);
      break;
  }
}

// ---- drops ------------------------------------------------------------------------------------

void X256SequenceEdit::DropBitmaps(SequenceCell at, const std::vector<size_t>& bitmaps) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  OperationResult result = brae::DropBitmaps(c, Index(), at, bitmaps);
  Finish(result, new SequenceDropAction(c, Index(), std::move(before), RestoredCallback()), false);
}

void X256SequenceEdit::DropShadows(int frame, const std::vector<size_t>& shadows) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  OperationResult result = brae::DropShadows(c, Index(), frame, shadows);
  Finish(result, new SequenceDropAction(c, Index(), std::move(before), RestoredCallback()), false);
}

void X256SequenceEdit::DropItems(SequenceCell at, const std::vector<GridDropItem>& items) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  OperationResult result = DropGridItems(c, Index(), at, items);
  Finish(result, new SequenceDropAction(c, Index(), std::move(before), RestoredCallback()), false);
}

// ---- the grid's menu --------------------------------------------------------------------------

Menu* X256SequenceEdit::BuildMenu() const {
  auto* menu = new Menu(false);
  MenuItem* import = AddMenuItem(menu, "Bitmap Import", nullptr, 0);
  AddMenuItem(menu, "Assign views, then frames", import, kSeqImportViewsThenFrames);
  AddMenuItem(menu, "Assign frames, then views", import, kSeqImportFramesThenViews);
  AddMenuItem(menu, "From Plate", import, kSeqImportPlate);
  MenuItem* alpha = AddMenuItem(menu, "Alpha Import", nullptr, 0);
  AddMenuItem(menu, "Assign views, then frames", alpha, kSeqAlphaViewsThenFrames);
  AddMenuItem(menu, "Assign frames, then views", alpha, kSeqAlphaFramesThenViews);
  AddMenuItem(menu, "From Plate", alpha, kSeqAlphaPlate);
  MenuItem* exports = AddMenuItem(menu, "Export", nullptr, 0);
  AddMenuItem(menu, "Bitmaps", exports, kSeqExportBitmaps);
  AddMenuItem(menu, "Bitmap Plate", exports, kSeqExportBitmapPlate);
  AddMenuItem(menu, "Alphas", exports, kSeqExportAlphas);
  AddMenuItem(menu, "Alpha Plate", exports, kSeqExportAlphaPlate);
  return menu;
}

void X256SequenceEdit::ShowMenu(int x, int y) {
  Menu* menu = BuildMenu();
  const int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command > 0) RunCommand(command);
}

namespace {

std::vector<std::string> PathsOf(const std::vector<MediaFile>& files) {
  std::vector<std::string> paths;
  for (const MediaFile& f : files) paths.push_back(f.path);
  return paths;
}

}  // namespace

void X256SequenceEdit::RunCommand(int command) {
  if (!editor_ || !sequence_) return;
  std::vector<MediaFile> files;
  bool all_read = true;
  const bool views_first =
      command == kSeqImportViewsThenFrames || command == kSeqAlphaViewsThenFrames;
  const AssignOrder order =
      views_first ? AssignOrder::kViewsThenFrames : AssignOrder::kFramesThenViews;
  switch (command) {
    case kSeqImportViewsThenFrames:
    case kSeqImportFramesThenViews:
      // A file that could not be read was reported by the dialog: then nothing is imported.
      if (OpenMultipleDialog(kImportBitmapsTitle, &files, MediaGroup::kImage, nullptr, &all_read) &&
          all_read)
        ImportBitmaps(PathsOf(files), order);
      break;
    case kSeqImportPlate: {
      MediaFile file(SafeFileName(SequencePlateName(*sequence_, false)));
      if (OpenFileDialog(kImportPlateTitle, &file, MediaGroup::kImage)) ImportPlate(file.path);
      break;
    }
    case kSeqAlphaViewsThenFrames:
    case kSeqAlphaFramesThenViews:
      if (OpenMultipleDialog(kImportAlphasTitle, &files, MediaGroup::kImage, nullptr, &all_read) &&
          all_read)
        ImportAlphas(PathsOf(files), order);
      break;
    case kSeqAlphaPlate: {
      MediaFile file(SafeFileName(SequencePlateName(*sequence_, true)));
      if (OpenFileDialog(kImportPlateTitle, &file, MediaGroup::kImage)) ImportAlphaPlate(file.path);
      break;
    }
    case kSeqExportBitmaps:
    case kSeqExportAlphas:
      ExportCells(command == kSeqExportAlphas);
      break;
    case kSeqExportBitmapPlate:
    case kSeqExportAlphaPlate:
      ExportPlate(command == kSeqExportAlphaPlate);
      break;
    default:
      break;
  }
}

void X256SequenceEdit::ImportBitmaps(const std::vector<std::string>& paths, AssignOrder order) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  const CollectionPalette palette = c->palette;
  OperationResult result =
      ImportSequenceBitmaps(c, Index(), paths, order, [](const std::string& text) {
        return ShowMessageBox("", text.c_str(), {kReplaceButton, kCancelButton}) == 0;
      });
  Finish(result,
         new SequenceBitmapImportAction(c, Index(), std::move(before), palette,
                                        result.bitmaps.size(), RestoredCallback()),
         true);
}

void X256SequenceEdit::ImportPlate(const std::string& path) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  SequenceState before(*c, *sequence_);
  const CollectionPalette palette = c->palette;
  OperationResult result = ImportSequencePlate(c, Index(), path);
  Finish(result,
         new SequencePlateImportAction(c, Index(), std::move(before), palette,
                                       result.bitmaps.size(), RestoredCallback()),
         true);
}

void X256SequenceEdit::ImportAlphas(const std::vector<std::string>& paths, AssignOrder order) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  BitmapSnapshot before(*c);
  OperationResult result = ImportSequenceAlphas(c, Index(), paths, order);
  X256Edit* editor = editor_;
  Finish(result,
         new SequenceAlphaImportAction(c, std::move(before),
                                       [editor](bool replaced, size_t) {
                                         editor->Textures().InvalidateAll();
                                         editor->BitmapBrowser()->CollectionRestored(replaced, 0);
                                         editor->SequenceEdited(nullptr);
                                       }),
         true);
}

void X256SequenceEdit::ImportAlphaPlate(const std::string& path) {
  if (!editor_ || Index() == size_t(-1)) return;
  Collection* c = &editor_->GetCollection();
  BitmapSnapshot before(*c);
  OperationResult result = ImportSequenceAlphaPlate(c, Index(), path);
  X256Edit* editor = editor_;
  Finish(result,
         new SequenceAlphaPlateImportAction(c, std::move(before),
                                            [editor](bool replaced, size_t) {
                                              editor->Textures().InvalidateAll();
                                              editor->BitmapBrowser()->CollectionRestored(replaced,
                                                                                          0);
                                              editor->SequenceEdited(nullptr);
                                            }),
         true);
}

void X256SequenceEdit::ExportCells(bool alpha) {
  std::string folder;
  int format = 0;
  if (!FolderDialog(kExportFolderTitle, &folder, &format, MediaGroup::kImage)) return;
  if (!editor_ || Index() == size_t(-1)) return;
  const std::vector<FileFormat>& formats = FindFileTypeGroup(MediaGroup::kImage).formats;
  const MediaType type = format >= 0 && size_t(format) < formats.size()
                             ? formats[size_t(format)].type
                             : MediaType::kBmp;
  ShowMessages(ExportSequenceBitmaps(editor_->GetCollection(), Index(), folder, alpha, type));
}

void X256SequenceEdit::ExportPlate(bool alpha) {
  MediaFile file(SafeFileName(SequencePlateName(*sequence_, alpha)));
  if (!SaveFileDialog(alpha ? kExportAlphaPlateTitle : kExportPlateTitle, &file,
                      MediaGroup::kImage))
    return;
  if (!editor_ || Index() == size_t(-1)) return;
  ShowMessages(ExportSequencePlate(editor_->GetCollection(), Index(), alpha, file.path));
}

// ---- keys -------------------------------------------------------------------------------------

int X256SequenceEdit::KeyDown(Event* event) {
  // Control+Z and Control+Y work the collection editor's undo stack from here too.
  if (editor_ && (event->Key() == 'Z' || event->Key() == 'Y') &&
      (event->Modifiers() & kModControl)) {
    if (event->Pressed()) event->Key() == 'Z' ? editor_->Undo() : editor_->Redo();
    return 1;
  }
  // Control+S saves the collection, as it does in the collection editor.
  if (editor_ && event->Key() == 'S' && (event->Modifiers() & kModControl)) {
    if (event->Pressed()) editor_->SaveWithMessages();
    return 1;
  }
  return Window::KeyDown(event);
}

}  // namespace brae
