#include "terrain/ui/DtexEdit.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "editing/EditorRegistry.h"
#include "editing/ExternalEdits.h"
#include "media/MediaFile.h"
#include "media/ui/MediaDialogs.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "terrain/DtexFiles.h"
#include "terrain/DtexTag.h"
#include "terrain/ui/DtexTextures.h"
#include "toolkit/Frame.h"
#include "toolkit/ImageClipboard.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"

namespace brae {

namespace {

constexpr uint32_t kDtexGroup = FourCC("dtex");
constexpr uint32_t kBackground = 0xFF303030u;

bool ShiftHeld() {
  return IsKeyDown(kKeyShift) || IsKeyDown(kKeyLeftShift) || IsKeyDown(kKeyRightShift);
}

void ShowOk(const char* title, const char* text) {
  ShowMessageBox(title, text, {"OK"});
}

}  // namespace

// One save of the external editor: the image before it and the image it brought.
class ExternalDtexEditAction : public UndoableAction {
 public:
  ExternalDtexEditAction(DtexEdit* editor, DtexImage before, DtexImage after)
      : editor_(editor), before_(std::move(before)), after_(std::move(after)) {}
  int Do() override {
    editor_->SetImage(after_);
    return 1;
  }
  void Undo() override { editor_->SetImage(before_); }

 private:
  DtexEdit* editor_;  // owns the undo stack that holds this action
  DtexImage before_, after_;
};

// The editor has no child controls: it takes the keys itself.
DtexEdit::DtexEdit(TagRecord* record) : TagEdit(record) {
  AddFlags(kWindowFocusable);
}

DtexEdit::~DtexEdit() {
  StopExternalEditing();
  undo_.Clear();
  ReleaseResource();
}

void DtexEdit::ReleaseResource() {
  if (!resource_) return;
  ReleaseDtex(resource_);
  resource_ = nullptr;
}

void DtexEdit::WillClose() {
  StopExternalEditing();
  undo_.Clear();
  ReleaseResource();
  TagEdit::WillClose();
}

// ---- the tag --------------------------------------------------------------------------------

int DtexEdit::LoadTag() {
  if (!record_) return 0;
  // The resource reads the tag itself (or is already open in another editor).
  DtexTag* tag = TheDtexManager().Acquire(record_);
  if (!tag) return 0;
  ReleaseResource();
  resource_ = tag;
  header_ = tag->header;
  wrapped_at_load_ = ShiftHeld();
  if (wrapped_at_load_) resource_->WrapHalf();
  DtexTexture(resource_);
  return 1;
}

int DtexEdit::SaveTag() {
  if (!resource_ || !resource_->Save()) return 0;
  header_ = resource_->header;
  return 1;
}

int DtexEdit::CreateNewTag(uint32_t group, const std::string& name) {
  DtexTag* tag = TheDtexManager().CreateNew(group, name, kNoSubgroup);
  if (!tag) return 0;
  ReleaseResource();
  resource_ = tag;
  record_ = tag->record();
  header_ = tag->header;
  return 1;
}

int DtexEdit::DiscardChanges() {
  // Other users (a mesh editor) keep the resource: give them the stored pixels back.
  if (resource_ && resource_->reference_count > 1) resource_->Load();
  return 1;
}

void DtexEdit::OpenEditor() {
  SizeToTexture();
  TagEdit::OpenEditor();
  if (wrapped_at_load_) SetDirty(true);
}

void DtexEdit::SizeToTexture() {
  const int w = resource_ ? std::min(resource_->Width(), kDtexEditMaxSide) : 256;
  const int h = resource_ ? std::min(resource_->Height(), kDtexEditMaxSide) : 256;
  const Point size = FrameSizeForClient(std::max(w, 1), std::max(h, 1));
  const Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
  InvalidateClient();
}

// ---- drawing --------------------------------------------------------------------------------

void DtexEdit::DrawContent() {
  SetColor(kBackground);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  const GLuint texture = DtexTexture(resource_);
  if (!texture) return;
  // One pixel per texel from the top-left corner; larger textures show their top-left part.
  const int w = resource_->Width(), h = resource_->Height();
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2i(0, 0);
  glTexCoord2f(1, 0), glVertex2i(w, 0);
  glTexCoord2f(1, 1), glVertex2i(w, h);
  glTexCoord2f(0, 1), glVertex2i(0, h);
  glEnd();
  // The mesh editors draw the same texture with filtering.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glPopAttrib();
}

// ---- commands -------------------------------------------------------------------------------

int DtexEdit::KeyDown(Event* event) {
  // Releases arrive here too; the commands run on the press.
  if (!event->Pressed()) return 0;
  if (!(event->Modifiers() & kModControl)) return TagEdit::KeyDown(event);
  switch (event->Key()) {
    case 'Z':
      undo_.Undo();
      return 1;
    case 'Y':
      undo_.Redo();
      return 1;
    case 'E':
      RunCommand(kDtexExport);
      return 1;
    case 'I':
      RunCommand(kDtexImport);
      return 1;
    case 'C':
    case 'X':
      RunCommand(kDtexCopy);
      return 1;
    case 'V':
      RunCommand(kDtexPaste);
      return 1;
    default:
      return TagEdit::KeyDown(event);
  }
}

void DtexEdit::ClientMouseButton(Event* event) {
  if (event->Button() != 1 || !event->Pressed()) return;
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Export (Cmd-E)", nullptr, kDtexExport);
  AddMenuItem(menu, "Import (Cmd-I)", nullptr, kDtexImport);
  AddMenuItem(menu, "Copy (Cmd-C)", nullptr, kDtexCopy);
  AddMenuItem(menu, "Paste (Cmd-V)", nullptr, kDtexPaste);
  AddMenuItem(menu, "Save Tag (Cmd-S)", nullptr, kDtexSave);
  AddMenuItem(menu, "Mean Center rgb", nullptr, kDtexMeanCenterRgb);
  AddMenuItem(menu, "Mean Center luma", nullptr, kDtexMeanCenterLuma);
  AddSeparator(menu, nullptr);
  AddMenuItem(menu, "Edit in External Editor", nullptr, kDtexEditExternally);
  AddMenuItem(menu, "Stop External Editing", nullptr, kDtexStopExternalEditing,
              IsEditedExternally());
  const int command = PopUpMenu(menu, event->X(), event->Y());
  menu->Close();
  if (command > 0) RunCommand(command);
}

void DtexEdit::RunCommand(int command) {
  switch (command) {
    case kDtexExport:
      ExportImage();
      break;
    case kDtexImport:
      ImportImage();
      break;
    case kDtexCopy:
      CopyImage();
      break;
    case kDtexPaste:
      PasteImage();
      break;
    case kDtexSave:
      SaveWithMessages();
      break;
    case kDtexMeanCenterRgb:
      MeanCenter(false);
      break;
    case kDtexMeanCenterLuma:
      MeanCenter(true);
      break;
    case kDtexEditExternally:
      EditExternally();
      break;
    case kDtexStopExternalEditing:
      StopExternalEditing();
      break;
    default:
      break;
  }
  // The keys come back here once the command's dialogs and message boxes are gone.
  if (!IsClosed()) SetFocus(0);
}

bool DtexEdit::ExportImage() {
  if (!resource_) return false;
  MediaFile file(header_.Name());
  if (!SaveFileDialog("Export Detail Texture", &file, MediaGroup::kImage)) return false;
  std::string error;
  if (!WriteDtexImageFile(resource_->Image(), file.path, &error)) {
    ShowOk("Error", kDtexWriteFailedText);
    return false;
  }
  return true;
}

bool DtexEdit::ImportImage() {
  if (!resource_) return false;
  MediaFile file;
  if (!OpenFileDialog("Import Detail Texture", &file, MediaGroup::kImage)) return false;
  std::string error;
  std::optional<DtexImage> image = ReadDtexImageFile(file.path, &error);
  if (!image) {
    // An image of the wrong size is explained; anything else that is not RGB changes nothing.
    if (error == kDtexPowerOfTwoText) ShowOk("Error", kDtexPowerOfTwoText);
    if (error == kDtexTooLargeText) ShowOk("Error", kDtexTooLargeText);
    return false;
  }
  return ReplaceImage(*image);
}

bool DtexEdit::CopyImage() {
  if (!resource_) return false;
  return CopyImageToClipboard(
      platform::EncodeDib(resource_->Pixels(), resource_->Width(), resource_->Height()));
}

std::optional<DtexImage> DtexFromDib(const std::vector<uint8_t>& dib) {
  // The 40-byte header's bit count (offset 14) must say 24.
  if (dib.size() < 40 || (dib[14] | dib[15] << 8) != 24) return std::nullopt;
  DtexImage image;
  if (!platform::DecodeDib(dib, &image.width, &image.height, &image.pixels)) return std::nullopt;
  return image;
}

bool DtexEdit::PasteImage() {
  if (!resource_) return false;
  std::vector<uint8_t> dib;
  std::optional<DtexImage> image;
  if (PasteImageFromClipboard(&dib)) image = DtexFromDib(dib);
  if (!image) {
    platform::Beep();
    return false;
  }
  std::string error;
  if (!CheckDtexImport(PixelFormat::kRgb, image->width, image->height, &error)) {
    ShowOk("Error", error.c_str());
    return false;
  }
  return ReplaceImage(*image);
}

bool DtexEdit::ReplaceImage(const DtexImage& image) {
  if (!IsPowerOfTwo(image.width) || !IsPowerOfTwo(image.height)) {
    ShowOk("Error", kDtexPowerOfTwoText);
    return false;
  }
  if (!resource_->SetPixels(image.pixels.data(), image.width, image.height)) return false;
  SizeToTexture();
  SetDirty(true);
  return true;
}

void DtexEdit::MeanCenter(bool luma) {
  if (!resource_) return;
  if (luma) {
    resource_->MeanCenterLuma();
  } else {
    resource_->MeanCenterRgb();
  }
  SetDirty(true);
  InvalidateClient();
}

// ---- the external editor -----------------------------------------------------------------

void DtexEdit::Idle() {
  TagEdit::Idle();
  if (external_watch_) TheExternalEdits().Poll();
}

std::string DtexEdit::ExternalFile() const {
  return TheExternalEdits().PathOf(external_watch_);
}

bool DtexEdit::EditExternally() {
  if (!resource_) return false;
  ExternalEdits& edits = TheExternalEdits();
  if (edits.WorkFolder().empty()) {
    ShowOk("Error", "The work folder for the external editor could not be made.");
    return false;
  }
  const bool known = external_watch_ != 0;
  const std::string path = known ? ExternalFile() : edits.FreePath(header_.Name(), ".png");
  std::string error;
  if (!WriteDtexImageFile(resource_->Image(), path, &error)) {
    ShowOk("Error", kDtexWriteFailedText);
    return false;
  }
  if (known) {
    edits.Remember(external_watch_);
  } else {
    external_watch_ =
        edits.Watch(path, [this](const std::string& p) { ReplaceFromExternalFile(p); });
  }
  if (StartExternalImageEditor({path})) return true;
  if (!known) StopExternalEditing();
  return false;
}

void DtexEdit::StopExternalEditing() {
  if (!external_watch_) return;
  TheExternalEdits().Unwatch(external_watch_);
  external_watch_ = 0;
}

void DtexEdit::ReplaceFromExternalFile(const std::string& path) {
  if (!resource_) return;
  DtexImage before = resource_->Image();
  std::string error;
  if (!ReplaceDtexFromFile(resource_, path, &error)) {
    ShowOk("Error", error.c_str());
    return;
  }
  undo_.Perform(new ExternalDtexEditAction(this, std::move(before), resource_->Image()), true);
  SizeToTexture();
  SetDirty(true);
}

void DtexEdit::SetImage(const DtexImage& image) {
  if (!resource_ || !resource_->SetPixels(image.pixels.data(), image.width, image.height)) return;
  SizeToTexture();
  SetDirty(true);
}

// ---- creating from the root menu ------------------------------------------------------------

void NewDetailTexture(bool from_clipboard) {
  std::string name;
  if (ShowInputBox("Enter Name for Detail Texture", {"Create Detail Texture", "Cancel"}, &name) !=
      0) {
    return;
  }
  if (name.empty()) {
    ShowOk("Not Created", "You must specify a name to create a detail texture tag.");
    return;
  }
  auto* editor = dynamic_cast<DtexEdit*>(CreateAndOpen(kDtexGroup, name));
  if (!editor) return;
  const bool filled = from_clipboard ? editor->PasteImage() : editor->ImportImage();
  if (!filled || !editor->SaveWithMessages()) {
    ShowOk("Failed", "Detail texture could not be created.");
    // Nothing of the unfinished tag stays behind.
    TagRecord* record = editor->Record();
    editor->SetDirty(false);
    editor->Close();
    if (record) TheCodex().DeleteLocalTag(record);
    return;
  }
  editor->SetDirty(false);
}

TagEdit* NewDtexEdit(TagRecord* record) {
  return new DtexEdit(record);
}

void RegisterDtexEditor() {
  SetGroupEditorFactory(kDtexGroup, NewDtexEdit);
}

}  // namespace brae
