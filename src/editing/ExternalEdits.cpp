#include "editing/ExternalEdits.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "collection/BitmapEditing.h"
#include "collection/BitmapExport.h"
#include "core/ExternalProgram.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FolderWatch.h"
#include "toolkit/MessageBox.h"

namespace brae {

namespace {

constexpr const char* kLogCategory = "External Editor";

// FNV-1a over the file's bytes; 0 for a file that cannot be read.
uint64_t ContentHash(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  uint64_t hash = 1469598103934665603ull;
  std::istreambuf_iterator<char> it(in), end;
  for (; it != end; ++it) {
    hash ^= uint8_t(*it);
    hash *= 1099511628211ull;
  }
  return hash;
}

void RemoveFolder(const std::string& folder) {
  std::vector<std::string> files;
  ScanFolder(
      folder, false,
      [&](const FileInfoRecord&, const std::string& dir, const std::string& name) {
        files.push_back(dir + name);
        return true;
      },
      nullptr);
  for (const std::string& f : files) RemoveFile(f);
  ::rmdir(folder.c_str());
}

}  // namespace

ExternalEdits::ExternalEdits() = default;

ExternalEdits::~ExternalEdits() {
  Shutdown();
}

const std::string& ExternalEdits::WorkFolder() {
  if (!folder_.empty()) return folder_;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brae-edits-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    Log(0, kLogCategory, "the work folder '%s' could not be made\n", pattern.c_str());
    return folder_;
  }
  folder_ = pattern + "/";
  watch_ = std::make_unique<FolderWatch>();
  watch_->ReportCompletedFiles(true);
  watch_->Watch(folder_, nullptr);
  watch_->Poll([](WatchedFolder&, WatchEntry*, int) {});  // arms the notification
  return folder_;
}

std::string ExternalEdits::FreePath(const std::string& name, const std::string& extension) {
  const std::string folder = WorkFolder();
  const std::string base = SafeFileName(name);
  for (int n = 1;; ++n) {
    std::string path = folder + base + (n > 1 ? " " + std::to_string(n) : "") + extension;
    bool used = false;
    for (const auto& [id, entry] : watches_) used = used || EqualsNoCase(entry.path, path);
    if (!used) return path;
  }
}

int ExternalEdits::Watch(const std::string& path, Handler handler) {
  WorkFolder();
  const int id = next_id_++;
  watches_[id] = Entry{path, ContentHash(path), std::move(handler)};
  return id;
}

void ExternalEdits::Remember(int id) {
  auto it = watches_.find(id);
  if (it != watches_.end()) it->second.content = ContentHash(it->second.path);
}

void ExternalEdits::Unwatch(int id) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  RemoveFile(it->second.path);
  watches_.erase(it);
}

std::string ExternalEdits::PathOf(int id) const {
  auto it = watches_.find(id);
  return it == watches_.end() ? std::string() : it->second.path;
}

int ExternalEdits::NotifyDescriptor() const {
  return watch_ && !watches_.empty() ? watch_->NotifyDescriptor() : -1;
}

void ExternalEdits::Poll() {
  if (polling_ || !watch_ || !watch_->MayHaveChanged()) return;
  polling_ = true;
  std::vector<std::string> completed;  // file names
  watch_->Poll([&](WatchedFolder&, WatchEntry* entry, int event) {
    if (entry && event == kFileCompleted) completed.push_back(entry->name);
  });
  // The handlers run after the poll: they may start or end watches and show message boxes.
  for (const std::string& name : completed) {
    int id = 0;
    for (const auto& [i, entry] : watches_)
      if (FileNamePart(entry.path) == name) id = i;
    if (!id) continue;
    Entry& entry = watches_[id];
    const uint64_t content = ContentHash(entry.path);
    if (content == 0 || content == entry.content) continue;
    entry.content = content;
    const std::string path = entry.path;
    Handler handler = entry.handler;  // the handler may end its own watch
    handler(path);
  }
  polling_ = false;
}

void ExternalEdits::Shutdown() {
  watches_.clear();
  watch_.reset();
  if (!folder_.empty()) RemoveFolder(folder_);
  folder_.clear();
}

ExternalEdits& TheExternalEdits() {
  static ExternalEdits edits;
  return edits;
}

bool StartExternalImageEditor(const std::vector<std::string>& paths) {
  std::string command = kDefaultExternalImageEditor;
  GetPrefString(kExternalImageEditorKey, &command);
  std::string error;
  if (StartProgram(command, paths, &error)) return true;
  Log(0, kLogCategory, "'%s' could not be started: %s\n", command.c_str(), error.c_str());
  ShowMessageBox("Error",
                 FormatMessage(kExternalEditorFailed, command.c_str(), error.c_str()).c_str(),
                 {"OK"});
  return false;
}

}  // namespace brae
