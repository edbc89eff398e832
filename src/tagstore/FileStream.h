#pragma once
// A file opened for reading and/or writing, closed when the object goes away.

#include <cstdint>
#include <cstdio>
#include <string>

namespace brae {

class FileStream {
 public:
  enum Mode { kRead, kReadWrite, kCreate /* create or truncate, read and write */ };

  FileStream() = default;
  ~FileStream() { Close(); }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;
  FileStream(FileStream&& other) noexcept
      : file_(other.file_), position_(other.position_), written_end_(other.written_end_) {
    other.file_ = nullptr;
  }

  bool Open(const std::string& path, Mode mode);
  // Takes over a descriptor open for reading and writing, at its start; it must be a regular
  // file. The descriptor is closed on failure too.
  bool Adopt(int fd);
  // Closes the file; false when buffered data could not be written.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }

  // All-or-nothing transfers: false on a short read or write.
  bool Read(void* buffer, size_t bytes);
  bool Write(const void* buffer, size_t bytes);
  bool Seek(uint64_t position);
  uint64_t Tell() const;
  // Length of the file in bytes (the stream's own file information).
  uint64_t Length() const;
  bool Flush();
  // Flushes and asks the system to put the data on disk.
  bool Sync();
  // The end of the furthest write since the file was opened (0 without writes).
  uint64_t WrittenEnd() const { return written_end_; }
  // Cuts (or extends) the file to a length.
  bool Truncate(uint64_t length);

 private:
  std::FILE* file_ = nullptr;
  // Kept here rather than asked of the stream, which would cost a system call per write.
  uint64_t position_ = 0;
  uint64_t written_end_ = 0;
};

// Copies size bytes from the current position of one stream to the other's, in blocks.
bool CopyStreamBytes(FileStream& from, FileStream& to, uint64_t size);

}  // namespace brae
