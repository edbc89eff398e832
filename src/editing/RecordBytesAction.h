#pragma once
// The undoable change of a run of record bytes by an array edit (delete, add, duplicate): the
// bytes before and after, named by their offset in the root record.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/UndoStack.h"

namespace brae {

class StructEditor;

class RecordBytesAction : public UndoableAction {
 public:
  RecordBytesAction(StructEditor* root, size_t offset, std::vector<uint8_t> before,
                    std::vector<uint8_t> after);
  int Do() override;
  void Undo() override;

 private:
  bool Store(const std::vector<uint8_t>& bytes);
  StructEditor* root_;
  size_t offset_;
  std::vector<uint8_t> before_, after_;
};

}  // namespace brae
