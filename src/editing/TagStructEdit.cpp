#include "editing/TagStructEdit.h"

#include <algorithm>
#include <vector>

#include "editing/StructEditor.h"
#include "editing/structdefs/StructRegistry.h"
#include "tagstore/FileStream.h"
#include "tagstore/FourCC.h"

namespace brae {

namespace {

// The form's vertical scroll bar, and the smallest window of a form that does not fit.
constexpr int kScrollBarRoom = 16;
constexpr int kMinimumWidth = 240;
constexpr int kMinimumHeight = 120;

}  // namespace

TagStructEdit::TagStructEdit(TagRecord* record) : TagEdit(record) {}

bool TagStructEdit::Build(uint32_t group, const std::vector<uint8_t>* file) {
  if (editor_) return false;
  const StructDefinition* definition =
      TheStructRegistry().FindStructDefinition(FourCCToString(group));
  if (!definition || definition->Size() == 0) return false;
  auto* editor = new StructEditor(definition, this);
  // The controls show the record from the start (sequence lists load their collections).
  if (file)
    ConvertFromFile(file->data(), editor->RootBytes().data(), 1, definition->FieldDescription());
  if (!editor->BuildForm()) {
    editor->Close();
    return false;
  }
  editor_ = editor;
  editor_->ok_pressed.Connect(this, &TagStructEdit::OnOk);
  editor_->cancel_pressed.Connect(this, &TagStructEdit::OnCancel);
  editor_->changed.Connect(this, &TagStructEdit::OnChanged);
  // The window shows the whole form; only a form larger than the room for windows scrolls.
  Point form = editor_->FormSize();
  Point room = Parent() ? Parent()->ClientSize() : ScreenSize();
  Point size = FrameSizeForClient(form.x, form.y);
  if (size.y > room.y) {
    size = FrameSizeForClient(form.x + kScrollBarRoom, form.y);
    size.y = std::max(room.y, kMinimumHeight);
  }
  size.x = std::min(size.x, std::max(room.x, kMinimumWidth));
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
  Layout();
  return true;
}

void TagStructEdit::Layout() {
  if (editor_) editor_->SetFrame(Rect(0, 0, ClientSize().x, ClientSize().y));
}

int TagStructEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  const StructDefinition* definition =
      TheStructRegistry().FindStructDefinition(FourCCToString(header.group));
  if (!definition || header.size != definition->Size()) return 0;
  uint64_t position = stream.Tell(), length = stream.Length();
  if (position > length || header.size > length - position) return 0;
  std::vector<uint8_t> file(header.size);
  if (!file.empty() && !stream.Read(file.data(), file.size())) return 0;
  if (editor_) {
    // Loaded again (the same tag reread): the form shows the new bytes.
    ConvertFromFile(file.data(), editor_->RootBytes().data(), 1, definition->FieldDescription());
    editor_->RefreshAll();
  } else if (!Build(header.group, &file)) {
    return 0;
  }
  editor_->ClearUndo();
  return 1;
}

int TagStructEdit::WriteTagData(FileStream& stream, TagHeader& header) {
  if (!editor_) return 0;
  const StructDefinition* definition = editor_->Definition();
  std::vector<uint8_t> file(definition->Size());
  ConvertToFile(editor_->RootBytes().data(), file.data(), 1, definition->FieldDescription());
  header.size = uint32_t(file.size());
  if (file.empty()) return 1;
  return stream.Write(file.data(), file.size()) ? 1 : 0;
}

int TagStructEdit::CreateNewTag(uint32_t group, const std::string& name) {
  if (!editor_ && !Build(group, nullptr)) return 0;
  return TagEdit::CreateNewTag(group, name);
}

void TagStructEdit::OnOk() {
  SetDirty(true);
  // A failed save has shown its message; the editor stays open with the changes.
  if (SaveWithMessages()) Close();
}

void TagStructEdit::OnCancel() {
  SetDirty(false);
  Close();
}

void TagStructEdit::OnChanged() {
  MarkChanged();
}

TagEdit* NewTagStructEdit(TagRecord* record) {
  return new TagStructEdit(record);
}

}  // namespace brae
