#include "core/FileModes.h"

#include <sys/stat.h>

namespace brae {

namespace {

mode_t NewFileMode() {
  // The umask can only be read by setting it; the program has one thread.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool GiveReplacingFileMode(const std::string& temp_path, const std::string& target_path) {
  struct stat existing;
  const bool replaces = ::stat(target_path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  const mode_t mode = replaces ? existing.st_mode & 07777 : NewFileMode();
  // A reused file often has the mode already; changing it anyway would cost a journal entry.
  struct stat temp;
  if (::stat(temp_path.c_str(), &temp) == 0 && (temp.st_mode & 07777) == mode) return true;
  return ::chmod(temp_path.c_str(), mode) == 0;
}

}  // namespace brae
