// Archives and loose tag files from arbitrary bytes: opened, indexed and unpacked.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "tagstore/Archive.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("archive", 0);
  if (fd < 0) return 0;
  if (size > 0 && write(fd, data, size) != ssize_t(size)) {
    close(fd);
    return 0;
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (auto archive = brae::OpenArchive(path)) {
    for (const auto& instance : archive->instances) (void)instance->header.Name();
  }
  brae::FileStream stream;
  if (stream.Open(path, brae::FileStream::kRead)) {
    brae::TagHeader header;
    brae::ReadLocalTagHeader(&header, stream, "fuzz", nullptr);
  }
  close(fd);
  return 0;
}
