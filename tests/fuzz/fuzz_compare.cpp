// libFuzzer target: two copies of a tag compared, for every kind of comparison (structures of
// the demo definitions, collections, meshes, detail maps, sounds, texts, bytes). The input is
// the first copy; the second is the input with its middle byte changed, or its first half.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DemoDefinitions.h"
#include "compare/TagDiff.h"
#include "tagstore/FourCC.h"

namespace {

brae::TagCopy Copy(uint32_t group, std::vector<uint8_t> data) {
  brae::TagCopy copy;
  copy.header.group = group;
  copy.header.version = group == brae::FourCC("mesh") ? 11 : data.size() % 2 ? 1 : 2;
  copy.header.user_data = data.size() > 3 ? data[3] : 0;
  copy.header.SetName("fuzz");
  copy.data = std::move(data);
  return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const EchoTags names;
  const brae::DiffContext context{&DemoRegistry(), &names};
  const std::vector<uint8_t> whole(data, data + size);
  std::vector<uint8_t> changed = whole;
  if (!changed.empty()) changed[changed.size() / 2] ^= 0x5A;
  const std::vector<uint8_t> half(data, data + size / 2);
  for (const char* group :
       {"arti", "mons", "wind", ".256", "mesh", "dmap", "soun", "text", "stli", "scen"}) {
    const uint32_t code = brae::MakeFourCC(group[0], group[1], group[2], group[3]);
    const brae::TagCopy a = Copy(code, whole), b = Copy(code, changed), c = Copy(code, half);
    brae::CompareTagCopies(code, a, b, context);
    brae::CompareTagCopies(code, b, a, context);
    brae::CompareTagCopies(code, a, c, context);
    brae::CompareTagCopies(code, c, a, context);
    // A copy equal to itself differs in nothing.
    const brae::TagDiff same = brae::CompareTagCopies(code, a, a, context);
    if (same.ok && !same.differences.empty()) __builtin_trap();
  }
  return 0;
}
