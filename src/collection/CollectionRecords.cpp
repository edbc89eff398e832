#include "collection/CollectionRecords.h"

namespace brae {

namespace {
constexpr uint16_t k8 = 0, k16 = 1, k32 = 2, kZero8 = 4;
}  // namespace

const FieldLayout& CollectionHeaderLayout() {
  static const FieldLayout layout{320,     2,
                                  k32,              // carried value, flags
                                  56,      kZero8,  // reserved
                                  8,       FieldLayout::kNested,
                                  16,      3,
                                  k32,     1,
                                  4 | k32,          // group entries: count, offset, size
                                  56,      kZero8,  // reserved
                                  2,       k32,     // data base, total size
                                  64,      kZero8};
  return layout;
}

const FieldLayout& ColorTableLayout() {
  static const FieldLayout layout{2080, 1, k32, 28, kZero8, 1024, k16};
  return layout;
}

const FieldLayout& HueChangeLayout() {
  static const FieldLayout layout{128, 64, k8, 2, k16, 32, k8, 3, k16, 6, kZero8, 4, k16, 8, k8};
  return layout;
}

const FieldLayout& BitmapTableLayout() {
  static const FieldLayout layout{128, 64, k8, 2, k32, 1, 4 | k32, 2, k16, 32, kZero8, 16, k8};
  return layout;
}

const FieldLayout& InstanceLayout() {
  static const FieldLayout layout{64, 1,   k32, 8,   kZero8, 2,   k16, 8,     kZero8,
                                  4,  k16, 1,   k32, 2,      k16, 24,  kZero8};
  return layout;
}

const FieldLayout& SequenceTableLayout() {
  static const FieldLayout layout{128, 64, k8, 2, k32, 56, kZero8};
  return layout;
}

const FieldLayout& SequenceHeaderLayout() {
  static const FieldLayout layout{64, 2, k32, 8, k16, 3, k32, 2, k16, 3, k32, 3, k16, 6, kZero8};
  return layout;
}

const FieldLayout& FrameRecordLayout() {
  static const FieldLayout layout{46, 4, k16, 38, kZero8};
  return layout;
}

const FieldLayout& FrameShadowLayout() {
  static const FieldLayout layout{32, 3, k32, 1, k16, 18, kZero8};
  return layout;
}

const FieldLayout& BitmapHeaderLayout() {
  static const FieldLayout layout{52, 9, k16, 34, kZero8};
  return layout;
}

}  // namespace brae
