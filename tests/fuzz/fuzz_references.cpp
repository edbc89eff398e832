// libFuzzer target: the reference readers of every format from arbitrary bytes. The first byte
// picks the group (the dedicated formats and the demo game's structure-defined groups) and the
// detail map version; the rest is the tag's data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "references/TagReferences.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"

namespace {

const brae::StructRegistry& Registry() {
  static brae::StructRegistry* registry = [] {
    auto* r = new brae::StructRegistry();
    r->AddDefinitionText(brae::demo::DemoDefinitionText());
    r->BuildRegistry();
    return r;
  }();
  return *registry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<uint32_t> groups = {brae::FourCC(".256"), brae::FourCC("mesh"), brae::FourCC("dmap"),
                                  brae::FourCC("geom"), brae::FourCC("core"), brae::FourCC("mode")};
  for (const brae::BoundGroup& g : Registry().BoundGroups()) groups.push_back(g.group);
  brae::TagHeader header;
  header.group = groups[data[0] % groups.size()];
  header.subgroup = 1;
  header.version = (data[0] & 0x80) ? 1 : 2;
  brae::MemorySource source(data + 1, size - 1);
  brae::ReferenceExtractor extractor(&Registry());
  std::vector<brae::TagReference> refs;
  extractor.MayHoldReferences(header.group);
  extractor.Extract(source, header, &refs);
  return 0;
}
