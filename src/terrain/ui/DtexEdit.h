#pragma once
// The editor of detail textures ('dtex'): the shared DtexTag resource shown at one pixel per
// texel (the window's client area is the texture's size, at most 512 x 512), with export,
// import, copy and paste of the image, saving and mean centring from the right-click menu and
// Control keys. Loading with Shift held swaps the image's halves so that tiling seams come to
// the middle.

#include <optional>
#include <string>
#include <vector>

#include "editing/TagEdit.h"
#include "terrain/DtexImage.h"
#include "toolkit/UndoStack.h"

namespace brae {

class DtexTag;

constexpr int kDtexEditMaxSide = 512;

// The right-click menu's commands, in menu order.
enum DtexCommand {
  kDtexExport = 1,
  kDtexImport,
  kDtexCopy,
  kDtexPaste,
  kDtexSave,
  kDtexMeanCenterRgb,
  kDtexMeanCenterLuma,
  kDtexEditExternally,
  kDtexStopExternalEditing,
};

class DtexEdit : public TagEdit {
 public:
  explicit DtexEdit(TagRecord* record);
  ~DtexEdit() override;
  const char* ClassName() const override { return "DtexEdit"; }

  int SaveTag() override;
  // Nothing of its own to snapshot.
  bool DescribeSnapshot(SnapshotInfo*, SnapshotDataWriter*) override { return false; }
  int LoadTag() override;
  int CreateNewTag(uint32_t group, const std::string& name) override;
  int DiscardChanges() override;
  void OpenEditor() override;
  void WillClose() override;
  void DrawContent() override;
  int KeyDown(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void Idle() override;

  void RunCommand(int command);
  // Each returns whether the image changed (or, for export and copy, was written out).
  bool ExportImage();
  bool ImportImage();
  bool CopyImage();
  bool PasteImage();
  void MeanCenter(bool luma);
  // "Edit in External Editor": the image is written as an RGB PNG into the external editor's work
  // folder and watched; each save there replaces the image as the import does (one undo step).
  bool EditExternally();
  void StopExternalEditing();
  bool IsEditedExternally() const { return external_watch_ != 0; }
  std::string ExternalFile() const;
  // The external editor saved the image into path.
  void ReplaceFromExternalFile(const std::string& path);
  // Puts an image in place (undo and redo of the external edits).
  void SetImage(const DtexImage& image);
  UndoStack& Undos() { return undo_; }

  DtexTag* Resource() const { return resource_; }

 private:
  // Replaces the image after the checks of import and paste; false after telling why.
  bool ReplaceImage(const DtexImage& image);
  void SizeToTexture();
  void ReleaseResource();

  DtexTag* resource_ = nullptr;
  UndoStack undo_;
  int external_watch_ = 0;
  bool wrapped_at_load_ = false;  // the halves were swapped: the tag differs from the stored one
};

// A 24-bit bitmap from the clipboard as a detail texture image; nothing for any other bitmap.
std::optional<DtexImage> DtexFromDib(const std::vector<uint8_t>& dib);

// The root menu's "New Detail Texture From Image File" (from_clipboard false) and "... From
// Clipboard": asks for the name, creates and opens the tag, fills it and saves it.
void NewDetailTexture(bool from_clipboard);

// The editor factory of the 'dtex' group, and its registration in the group table.
TagEdit* NewDtexEdit(TagRecord* record);
void RegisterDtexEditor();

}  // namespace brae
