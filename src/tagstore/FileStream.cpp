#include "tagstore/FileStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace brae {

bool FileStream::Open(const std::string& path, Mode mode) {
  Close();
  const char* how = mode == kRead ? "rb" : mode == kReadWrite ? "r+b" : "w+b";
  file_ = std::fopen(path.c_str(), how);
  if (!file_) return false;
  position_ = written_end_ = 0;
  struct stat st;
  if (fstat(fileno(file_), &st) != 0 || !S_ISREG(st.st_mode)) {  // folders open on Linux
    Close();
    return false;
  }
  return true;
}

bool FileStream::Adopt(int fd) {
  Close();
  struct stat st;
  if (fd < 0) return false;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(file_ = fdopen(fd, "r+b"))) {
    ::close(fd);
    return false;
  }
  position_ = written_end_ = 0;
  return true;
}

bool FileStream::Close() {
  if (!file_) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

bool FileStream::Read(void* buffer, size_t bytes) {
  if (!file_) return false;
  const size_t done = std::fread(buffer, 1, bytes, file_);
  position_ += done;
  return done == bytes;
}

bool FileStream::Write(const void* buffer, size_t bytes) {
  if (!file_) return false;
  const size_t done = std::fwrite(buffer, 1, bytes, file_);
  position_ += done;
  written_end_ = std::max(written_end_, position_);
  return done == bytes;
}

bool FileStream::Seek(uint64_t position) {
  if (!file_ || fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) return false;
  position_ = position;
  return true;
}

bool FileStream::Truncate(uint64_t length) {
  return file_ && std::fflush(file_) == 0 &&
         ::ftruncate(fileno(file_), static_cast<off_t>(length)) == 0;
}

uint64_t FileStream::Tell() const {
  if (!file_) return 0;
  off_t p = ftello(file_);
  return p < 0 ? 0 : static_cast<uint64_t>(p);
}

uint64_t FileStream::Length() const {
  if (!file_) return 0;
  std::fflush(file_);
  struct stat st;
  if (fstat(fileno(file_), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

bool FileStream::Flush() {
  return file_ && std::fflush(file_) == 0;
}

}  // namespace brae

namespace brae {

bool FileStream::Sync() {
  return file_ && std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
}

}  // namespace brae

namespace brae {

bool CopyStreamBytes(FileStream& from, FileStream& to, uint64_t size) {
  std::vector<uint8_t> block(size_t(std::min<uint64_t>(size, 1 << 16)));
  while (size > 0) {
    const size_t n = size_t(std::min<uint64_t>(size, block.size()));
    if (!from.Read(block.data(), n) || !to.Write(block.data(), n)) return false;
    size -= n;
  }
  return true;
}

}  // namespace brae
