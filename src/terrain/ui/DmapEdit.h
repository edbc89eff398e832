#pragma once
// A detail map tag ('dmap') opened on its own: a read-only text of the detail textures its
// materials name. Painting happens in the mesh editor.

#include <string>

#include "editing/TagEdit.h"

namespace brae {

class TextBox;

class DmapEdit : public TagEdit {
 public:
  explicit DmapEdit(TagRecord* record);
  const char* ClassName() const override { return "DmapEdit"; }

  int ReadTagData(FileStream& stream, TagHeader& header) override;
  int SaveTag() override;
  // Nothing of its own to snapshot.
  bool DescribeSnapshot(SnapshotInfo*, SnapshotDataWriter*) override { return false; }
  void OpenEditor() override;
  void Layout() override;

  const std::string& Text() const { return text_; }

 private:
  TextBox* view_ = nullptr;
  std::string text_;
};

TagEdit* NewDmapEdit(TagRecord* record);
void RegisterDmapEditor();

}  // namespace brae
