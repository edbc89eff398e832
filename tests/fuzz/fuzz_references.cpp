// libFuzzer target: the reference readers of every format from arbitrary bytes. The first byte
// picks the group (the dedicated formats and the demo game's structure-defined groups) and the
// detail map version; the rest is the tag's data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "DemoDefinitions.h"
#include "references/TagReferences.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<uint32_t> groups = {brae::FourCC(".256"), brae::FourCC("mesh"), brae::FourCC("dmap"),
                                  brae::FourCC("geom"), brae::FourCC("core"), brae::FourCC("mode")};
  for (const brae::BoundGroup& g : DemoRegistry().BoundGroups()) groups.push_back(g.group);
  brae::TagHeader header;
  header.group = groups[data[0] % groups.size()];
  header.subgroup = 1;
  header.version = (data[0] & 0x80) ? 1 : 2;
  brae::MemorySource source(data + 1, size - 1);
  brae::ReferenceExtractor extractor(&DemoRegistry());
  std::vector<brae::TagReference> refs;
  extractor.MayHoldReferences(header.group);
  extractor.Extract(source, header, &refs);
  return 0;
}
