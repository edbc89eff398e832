#include "tagstore/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace brae {

void NormalizeFolderPath(std::string* path) {
  for (char& c : *path) {
    if (c == '\\') c = '/';
    if (c == '*' || c == '?' || c == '<' || c == '>' || c == '|') c = '_';
  }
  if (path->empty() || path->back() != '/') path->push_back('/');
}

std::string NormalizedFolderPath(std::string path) {
  NormalizeFolderPath(&path);
  return path;
}

namespace {

int64_t Nanoseconds(const struct timespec& t) {
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileInfoRecord InfoFromStat(const struct stat& st) {
  FileInfoRecord info;
  if (st.st_mode & S_IRUSR) info.flags |= FileInfoRecord::kReadable;
  if (st.st_mode & S_IWUSR) info.flags |= FileInfoRecord::kWritable;
  if (S_ISDIR(st.st_mode)) info.flags |= FileInfoRecord::kFolder;
  info.size = static_cast<uint32_t>(st.st_size);
  info.access_time = Nanoseconds(st.st_atim);
  info.modify_time = Nanoseconds(st.st_mtim);
  info.create_time = Nanoseconds(st.st_ctim);
  return info;
}

std::string WithoutTrailingSlash(const std::string& path) {
  if (path.size() > 1 && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

bool IsSkippedName(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
         strcasecmp(name, ".ds_store") == 0 || strcasecmp(name, "thumbs.db") == 0 ||
         strcasecmp(name, "desktop.ini") == 0;
}

}  // namespace

bool FileInfo(const std::string& path, FileInfoRecord* info) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    *info = FileInfoRecord();
    return false;
  }
  *info = InfoFromStat(st);
  return true;
}

bool FolderExists(const std::string& path) {
  FileInfoRecord info;
  return FileInfo(WithoutTrailingSlash(path), &info) && (info.flags & FileInfoRecord::kFolder);
}

bool FileExists(const std::string& path) {
  FileInfoRecord info;
  return FileInfo(WithoutTrailingSlash(path), &info) && !(info.flags & FileInfoRecord::kFolder);
}

bool IsPlainFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SyncFileSystemOf(const std::string& path) {
  int fd = ::open(WithoutTrailingSlash(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

bool MakeFolder(const std::string& path) {
  std::string p = WithoutTrailingSlash(path);
  if (p.empty()) return false;
  if (FolderExists(p)) return true;
  size_t slash = p.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolder(p.substr(0, slash))) return false;
  if (::mkdir(p.c_str(), 0777) != 0 && errno != EEXIST) return false;
  return FolderExists(p);
}

bool ScanFolder(std::string path, bool recurse, const ScanCallback& on_file,
                const ScanCallback& on_folder) {
  NormalizeFolderPath(&path);
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return false;
  std::vector<std::string> names;
  while (struct dirent* e = ::readdir(dir)) {
    if (!IsSkippedName(e->d_name)) names.emplace_back(e->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());

  for (const std::string& name : names) {
    struct stat st;
    if (::stat((path + name).c_str(), &st) != 0) continue;  // vanished meanwhile
    FileInfoRecord info = InfoFromStat(st);
    if (info.flags & FileInfoRecord::kFolder) {
      if (on_folder && !on_folder(info, path, name)) return false;
      if (recurse && !ScanFolder(path + name, true, on_file, on_folder)) return false;
    } else if (on_file && !on_file(info, path, name)) {
      return false;
    }
  }
  return true;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return CompareNoCase(a, b) == 0;
}

std::string FileNamePart(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool RemoveFile(const std::string& path) {
  return std::remove(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace brae

namespace brae {

bool ExchangeFiles(const std::string& a, const std::string& b) {
  return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

bool RenameFileNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot rename without replacing: check first.
  if (FileExists(to) || FolderExists(to)) return false;
  return RenameFile(from, to);
}

bool IsUnsafeFileName(const std::string& name) {
  return name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
         name.find('\\') != std::string::npos || name.find('\0') != std::string::npos;
}

}  // namespace brae
