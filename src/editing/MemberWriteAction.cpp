#include "editing/MemberWriteAction.h"

#include "editing/StructEditor.h"
#include "editing/structdefs/StructValues.h"

namespace brae {

MemberWriteAction::MemberWriteAction(StructEditor* root, MemberType type, size_t member_offset,
                                     int count, int element, int32_t before, int32_t after)
    : root_(root),
      type_(type),
      member_offset_(member_offset),
      count_(count),
      element_(element),
      before_(before),
      after_(after) {}

bool MemberWriteAction::Store(int32_t value) {
  // The member as it lies in the root record; the integer writer does the store.
  StructMember member(type_);
  member.offset = member_offset_;
  member.count = count_;
  std::vector<uint8_t>& bytes = root_->RootBytes();
  if (!WriteInteger(member, bytes.data(), bytes.size(), element_, value)) return false;
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
