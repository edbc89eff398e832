// Mesh tag data of version 11 from arbitrary bytes.
#include "terrain/ByteSource.h"
#include "terrain/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::MemorySource source(data, size);
  brae::ReadMesh(source, brae::kMeshVersion);
  brae::ReadMediaParameters(source);
  return 0;
}
