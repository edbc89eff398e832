#include "editing/RecordBytesAction.h"

#include <algorithm>

#include "editing/StructEditor.h"

namespace brae {

RecordBytesAction::RecordBytesAction(StructEditor* root, size_t offset, std::vector<uint8_t> before,
                                     std::vector<uint8_t> after)
    : root_(root), offset_(offset), before_(std::move(before)), after_(std::move(after)) {}

bool RecordBytesAction::Store(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t>& record = root_->RootBytes();
  if (offset_ > record.size() || bytes.size() > record.size() - offset_) return false;
  std::copy(bytes.begin(), bytes.end(), record.begin() + long(offset_));
  root_->RefreshAll();
  root_->changed.Emit();
  return true;
}

int RecordBytesAction::Do() {
  return Store(after_) ? 1 : 0;
}

void RecordBytesAction::Undo() {
  Store(before_);
}

}  // namespace brae
