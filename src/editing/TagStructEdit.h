#pragma once
// The tag editor of every group bound to a structure definition: one generated form over the
// tag's record, saved through the tag editor base.

#include <cstdint>
#include <vector>

#include "editing/TagEdit.h"

namespace brae {

class StructDefinition;
class StructEditor;

class TagStructEdit : public TagEdit {
 public:
  explicit TagStructEdit(TagRecord* record);
  const char* ClassName() const override { return "TagStructEdit"; }
  void Layout() override;
  int WriteTagData(FileStream& stream, TagHeader& header) override;
  int ReadTagData(FileStream& stream, TagHeader& header) override;
  int CreateNewTag(uint32_t group, const std::string& name) override;

  StructEditor* Editor() const { return editor_; }

 private:
  // Creates the root form for the group's definition over the tag data (none: a zero record);
  // false without a definition or a form.
  bool Build(uint32_t group, const std::vector<uint8_t>* file);
  void OnOk();
  void OnCancel();
  void OnChanged();

  StructEditor* editor_ = nullptr;
};

// The editor factory of the structure-defined groups.
TagEdit* NewTagStructEdit(TagRecord* record);

}  // namespace brae
