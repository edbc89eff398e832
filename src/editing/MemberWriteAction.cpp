#include "editing/MemberWriteAction.h"

#include <cstring>

#include "editing/StructEditor.h"

namespace brae {

MemberWriteAction::MemberWriteAction(StructEditor* root, size_t member_offset, int element,
                                     size_t element_size, int32_t before, int32_t after)
    : root_(root),
      member_offset_(member_offset),
      element_(element),
      element_size_(element_size),
      before_(before),
      after_(after) {}

bool MemberWriteAction::Store(int32_t value) {
  std::vector<uint8_t>& bytes = root_->RootBytes();
  size_t at = member_offset_ + size_t(element_) * element_size_;
  if (element_ < 0 || at + element_size_ > bytes.size()) return false;
  if (element_size_ == 1) {
    bytes[at] = uint8_t(value);
  } else if (element_size_ == 2) {
    int16_t v = int16_t(value);
    std::memcpy(&bytes[at], &v, 2);
  } else if (element_size_ == 4) {
    std::memcpy(&bytes[at], &value, 4);
  } else {
    return false;
  }
  root_->RefreshAll();
  root_->changed.Emit();
  return true;
}

int MemberWriteAction::Do() {
  return Store(after_) ? 1 : 0;
}

void MemberWriteAction::Undo() {
  Store(before_);
}

}  // namespace brae
