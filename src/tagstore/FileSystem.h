#pragma once
// Paths, folder listing and file information.

#include <cstdint>
#include <functional>
#include <string>

namespace brae {

struct FileInfoRecord {
  enum Flags : uint32_t { kReadable = 1, kWritable = 2, kFolder = 4 };
  uint32_t flags = 0;
  uint32_t size = 0;        // 32-bit, as stored in the formats
  int64_t access_time = 0;  // nanoseconds since the epoch
  int64_t modify_time = 0;
  int64_t create_time = 0;  // status-change time on Linux

  bool operator==(const FileInfoRecord& o) const {
    return flags == o.flags && size == o.size && access_time == o.access_time &&
           modify_time == o.modify_time && create_time == o.create_time;
  }
  bool operator!=(const FileInfoRecord& o) const { return !(*this == o); }
};

// Every "\" becomes "/", each of * ? < > | becomes "_", and a trailing "/" is added.
void NormalizeFolderPath(std::string* path);
std::string NormalizedFolderPath(std::string path);

// Success and the record; all zero when the path does not exist.
bool FileInfo(const std::string& path, FileInfoRecord* info);
bool FolderExists(const std::string& path);
// Flushes every written file of the file system that holds the path to disk.
bool SyncFileSystemOf(const std::string& path);
bool FileExists(const std::string& path);
// A regular file itself, not a link to one.
bool IsPlainFile(const std::string& path);

// Creates the folder and any missing folders above it; true when it exists afterwards.
bool MakeFolder(const std::string& path);

// Callback: (entry information, folder path ending in "/", entry name) → continue?
using ScanCallback = std::function<bool(const FileInfoRecord& entry, const std::string& folder,
                                        const std::string& name)>;
// Lists one folder (sorted by name), calling on_file for files and on_folder for sub-folders
// (descending when recurse is set and on_folder accepted). Skips ".", "..", ".ds_store",
// "thumbs.db" and "desktop.ini" (without regard to case). False when a callback stopped it
// or the folder cannot be listed.
bool ScanFolder(std::string path, bool recurse, const ScanCallback& on_file,
                const ScanCallback& on_folder);

// Case-insensitive (ASCII) comparison of names, as the file system rules expect.
int CompareNoCase(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::string& a, const std::string& b);

// The part after the last "/" or "\".
std::string FileNamePart(const std::string& path);

bool RemoveFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);
// Swaps two existing files in one step, each taking the other's name. False when the file
// system cannot (the files stay as they were).
bool ExchangeFiles(const std::string& a, const std::string& b);

}  // namespace brae

namespace brae {
// Renames without ever replacing an existing file; false when the target exists.
bool RenameFileNoReplace(const std::string& from, const std::string& to);
// True when a name would lead out of the folder it is placed in ("/", "\", ".", ".." or empty).
bool IsUnsafeFileName(const std::string& name);
}  // namespace brae
