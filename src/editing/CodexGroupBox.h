#pragma once
// A drop-down list of the tags of one group, for tools that let the user pick a tag.

#include <cstdint>
#include <vector>

#include "toolkit/ComboBox.h"

namespace brae {

class TagRecord;

class CodexGroupBox : public ComboBox {
 public:
  // A group of 0xFFFFFFFF leaves the list empty.
  CodexGroupBox(uint32_t group, Window* parent, int style);
  ~CodexGroupBox() override;

  // The record of an item (each item's value is its index), or none.
  TagRecord* RecordAt(int index) const;
  TagRecord* SelectedRecord() const { return RecordAt(SelectedIndex()); }

 private:
  std::vector<TagRecord*> records_;
};

}  // namespace brae
