#include "editing/CodexGroupBox.h"

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"

namespace brae {

CodexGroupBox::CodexGroupBox(uint32_t group, Window* parent, int style) : ComboBox(parent, style) {
  if (group == kNoSubgroup) return;
  Codex& codex = TheCodex();
  codex.ListTagsOfGroup(group, &records_);
  TagHeader header;
  for (size_t i = 0; i < records_.size(); ++i) {
    codex.GetEffectiveHeader(records_[i], &header);
    AddItem(header.Name().c_str(), static_cast<int>(i));
  }
}

CodexGroupBox::~CodexGroupBox() = default;

TagRecord* CodexGroupBox::RecordAt(int index) const {
  if (index < 0 || index >= static_cast<int>(records_.size())) return nullptr;
  return records_[index];
}

}  // namespace brae
