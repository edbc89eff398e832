// Detail map tag data of both versions from arbitrary bytes; what reads must write and re-read.
#include <cstdlib>

#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (uint16_t version : {1, 2}) {
    brae::MemorySource source(data, size);
    auto map = brae::ReadDetailMap(source, version);
    if (!map) continue;
    const auto bytes = brae::SerializeDetailMap(*map);
    brae::MemorySource again(bytes);
    if (!brae::ReadDetailMap(again, 2)) std::abort();
  }
  return 0;
}
