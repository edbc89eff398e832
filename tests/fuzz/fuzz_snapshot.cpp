// Snapshot files of unsaved editors from arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tagstore/Snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  brae::ParsedSnapshot parsed;
  std::string error;
  if (brae::ParseSnapshot(bytes, &parsed, &error) &&
      (parsed.data_offset + parsed.data_size > size || parsed.info.header.size != parsed.data_size))
    std::abort();
  return 0;
}
