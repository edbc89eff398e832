#pragma once
// The undoable write of one member element of a structure form. It names the bytes by the
// member's offset in the root record and the element index, so it stays valid whichever form
// (root or nested) made it and after that form has closed.

#include <cstddef>
#include <cstdint>

#include "editing/structdefs/StructDefinition.h"
#include "toolkit/UndoStack.h"

namespace brae {

class StructEditor;

class MemberWriteAction : public UndoableAction {
 public:
  // root: the editor that owns the record and the undo stack holding this action. The member
  // is described by its type, its offset in the root record and its count.
  MemberWriteAction(StructEditor* root, MemberType type, size_t member_offset, int count,
                    int element, int32_t before, int32_t after);
  int Do() override;
  void Undo() override;

  size_t MemberOffset() const { return member_offset_; }
  int Element() const { return element_; }

 private:
  bool Store(int32_t value);
  StructEditor* root_;
  MemberType type_;
  size_t member_offset_;
  int count_;
  int element_;
  int32_t before_, after_;
};

}  // namespace brae
