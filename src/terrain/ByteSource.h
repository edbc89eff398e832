#pragma once
// Random-access reading of one tag's data, from a file or from memory. Readers of stored
// terrain data go through it so that every offset and length is checked against the bytes
// that really exist before anything is allocated.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brae {

class FileStream;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes available from position 0 (the start of the tag data).
  virtual uint64_t Size() const = 0;
  // All or nothing: false when [position, position + bytes) is not entirely available.
  virtual bool ReadAt(uint64_t position, void* out, size_t bytes) = 0;

  bool Has(uint64_t position, uint64_t bytes) const {
    return position <= Size() && bytes <= Size() - position;
  }
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit MemorySource(const std::vector<uint8_t>& bytes)
      : MemorySource(bytes.data(), bytes.size()) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t position, void* out, size_t bytes) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// The bytes of a file from a data offset to the end of the file.
class FileSource : public ByteSource {
 public:
  FileSource(FileStream& stream, uint64_t data_offset);
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t position, void* out, size_t bytes) override;

 private:
  FileStream& stream_;
  uint64_t offset_;
  uint64_t size_;
};

}  // namespace brae
