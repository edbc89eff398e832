#include "tagstore/SpareFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tagstore/FileSystem.h"

namespace brae {

void SpareFiles::SetFolder(const std::string& folder) {
  folder_ = folder;
  scanned_ = false;
  free_.clear();
}

void SpareFiles::Scan() {
  scanned_ = true;
  // Names only: Open looks at each file when it takes it.
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, "spare-", 6) == 0) free_.push_back(folder_ + entry->d_name);
  }
  ::closedir(dir);
}

int SpareFiles::Open(std::string* path) {
  if (folder_.empty()) return -1;
  if (!scanned_) Scan();
  while (!free_.empty()) {
    std::string spare = std::move(free_.back());
    free_.pop_back();
    // Only a plain file of its own is written over: never what a link leads to.
    int fd = ::open(spare.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1) {
      *path = spare;
      return fd;
    }
    if (fd >= 0) ::close(fd);
  }
  if (!MakeFolder(folder_)) return -1;
  std::string fresh = folder_ + "spare-XXXXXX";
  int fd = ::mkstemp(fresh.data());
  if (fd >= 0) *path = fresh;
  return fd;
}

void SpareFiles::Keep(const std::string& path) {
  free_.push_back(path);
}

}  // namespace brae
