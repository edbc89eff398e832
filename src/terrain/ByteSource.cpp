#include "terrain/ByteSource.h"

#include <cstring>

#include "tagstore/FileStream.h"

namespace brae {

bool MemorySource::ReadAt(uint64_t position, void* out, size_t bytes) {
  if (!Has(position, bytes)) return false;
  if (bytes) std::memcpy(out, data_ + position, bytes);
  return true;
}

FileSource::FileSource(FileStream& stream, uint64_t data_offset)
    : stream_(stream), offset_(data_offset) {
  const uint64_t length = stream.Length();
  size_ = length > data_offset ? length - data_offset : 0;
}

bool FileSource::ReadAt(uint64_t position, void* out, size_t bytes) {
  if (!Has(position, bytes)) return false;
  return stream_.Seek(offset_ + position) && stream_.Read(out, bytes);
}

}  // namespace brae
