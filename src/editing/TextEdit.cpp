#include "editing/TextEdit.h"

#include "tagstore/FileStream.h"
#include "tagstore/TextTagData.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr int kInitialWidth = 640;
constexpr int kInitialHeight = 480;
// Texts of any length stay editable (the box's own limit is meant for form fields).
constexpr int kMaxTextLength = 1 << 24;

}  // namespace

TextEdit::TextEdit(TagRecord* record) : TagEdit(record) {
  Point size;
  ClientSizeToFrame(&size, kInitialWidth, kInitialHeight);
  SetFrame(Rect(0, 0, size.x, size.y));
  box_ = new TextBox(kTextMultiLineEdit, this);
  box_->SetMaxLength(kMaxTextLength);
  box_->changed.Connect(this, &TextEdit::OnTextChanged);
  SetDefaultChild(box_);
  focus_child = box_;
  Layout();
}

void TextEdit::Layout() {
  if (box_) box_->SetFrame(Rect(0, 0, ClientSize().x, ClientSize().y));
}

void TextEdit::OnTextChanged() {
  MarkChanged();
}

int TextEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  uint64_t position = stream.Tell(), length = stream.Length();
  if (position > length || header.size > length - position) return 0;  // short read
  std::string data(header.size, '\0');
  if (header.size && !stream.Read(data.data(), data.size())) return 0;
  box_->SetText(TextFromTagData(header.group, data).c_str());
  box_->SetSelection(0, 0);
  box_->Undos().Clear();
  return 1;
}

int TextEdit::WriteTagData(FileStream& stream, TagHeader& header) {
  std::string data = TagDataFromText(box_->Text());
  (void)header;
  if (data.empty()) return 1;
  return stream.Write(data.data(), data.size());
}

TagEdit* NewTextEdit(TagRecord* record) {
  return new TextEdit(record);
}

}  // namespace brae
