#pragma once
// The plain-text editor of the text, script, dialogue, string list and template groups: one
// multi-line text box filling the client area.

#include "editing/TagEdit.h"

namespace brae {

class TextBox;

class TextEdit : public TagEdit {
 public:
  explicit TextEdit(TagRecord* record);
  const char* ClassName() const override { return "TextEdit"; }
  void Layout() override;
  int WriteTagData(FileStream& stream, TagHeader& header) override;
  int ReadTagData(FileStream& stream, TagHeader& header) override;

  TextBox* Box() const { return box_; }

 private:
  void OnTextChanged();
  TextBox* box_ = nullptr;
};

// The editor factory of the text groups.
TagEdit* NewTextEdit(TagRecord* record);

}  // namespace brae
