// The recovery folder: the running session, and the catalogue of dead sessions' snapshots.
//
// Index
//   paths ............... RecoveryFolderFor, CanonicalFolder, names of sessions and snapshots
//   session ............. RecoverySession::Start, End, SnapshotPath
//   catalogue ........... RecoveryCatalog (claiming, listing, discarding, restoring, adopting)

#include "tagstore/Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/MessageLog.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"
#include "tagstore/FileSystem.h"

namespace brae {

namespace {

constexpr const char* kLogCategory = "Recovery";
constexpr const char* kLockName = "lock";
constexpr const char* kSnapshotExtension = ".snap";
constexpr const char* kDamagedFolder = "damaged";
// A session folder is built under this suffix and renamed once its lock is held, so nobody
// takes a half-made session for a dead one.
constexpr const char* kNewSuffix = ".new";
// Temporary files of snapshot writes (WriteSnapshotFile).
constexpr const char* kPartialInfix = ".part-";

std::string SnapshotStem(uint32_t group, uint32_t subgroup) {
  char stem[24];
  std::snprintf(stem, sizeof stem, "%08x-%08x", group, subgroup);
  return stem;
}

// Opens (creating) and locks a lock file without waiting; -1 when another process holds it.
int TakeLock(const std::string& path, bool create) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------------------------

std::string RecoveryFolderFor(const std::string& prefs_path) {
  const size_t slash = prefs_path.find_last_of('/');
  return (slash == std::string::npos ? std::string() : prefs_path.substr(0, slash + 1)) +
         "recovery/";
}

std::string CanonicalFolder(const std::string& folder) {
  char resolved[PATH_MAX];
  std::string path = ::realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string FormatSnapshotTime(int64_t time) {
  const std::time_t t = std::time_t(time);
  std::tm local{};
  char text[32] = "?";
  if (::localtime_r(&t, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// ---------------------------------------------------------------------------------------------
// Session
// ---------------------------------------------------------------------------------------------

bool RecoverySession::Start(const std::string& recovery_folder) {
  End();
  if (!MakeFolder(recovery_folder)) return false;
  const std::string name = std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr));
  const std::string building = recovery_folder + name + kNewSuffix;
  if (!MakeFolder(building)) return false;
  const int fd = TakeLock(building + "/" + kLockName, true);
  const std::string pid = std::to_string(::getpid()) + "\n";
  const bool ok = fd >= 0 && ::ftruncate(fd, 0) == 0 &&
                  ::write(fd, pid.data(), pid.size()) == ssize_t(pid.size()) &&
                  ::rename(building.c_str(), (recovery_folder + name).c_str()) == 0;
  if (!ok) {
    if (fd >= 0) ::close(fd);
    RemoveFile(building + "/" + kLockName);
    ::rmdir(building.c_str());
    return false;
  }
  lock_fd_ = fd;
  folder_ = recovery_folder + name + "/";
  return true;
}

void RecoverySession::End() {
  if (lock_fd_ < 0) return;
  bool has_snapshots = false;
  ScanFolder(
      folder_, false,
      [&](const FileInfoRecord&, const std::string&, const std::string& name) {
        has_snapshots |= EndsWith(name, kSnapshotExtension);
        return true;
      },
      nullptr);
  if (!has_snapshots) {
    RemoveFile(folder_ + kLockName);
    ::rmdir(folder_.c_str());
  }
  ::close(lock_fd_);
  lock_fd_ = -1;
}

std::string RecoverySession::SnapshotPath(uint32_t editor_group, uint32_t editor_subgroup) const {
  return folder_ + SnapshotStem(editor_group, editor_subgroup) + kSnapshotExtension;
}

// ---------------------------------------------------------------------------------------------
// Catalogue
// ---------------------------------------------------------------------------------------------

RecoveryCatalog::RecoveryCatalog(const std::string& recovery_folder) : folder_(recovery_folder) {
  ClaimDeadSessions();
}

RecoveryCatalog::~RecoveryCatalog() {
  for (const Claim& claim : claims_) {
    bool empty = true;
    ScanFolder(
        claim.folder, false,
        [&](const FileInfoRecord&, const std::string&, const std::string& name) {
          // A write cut short by the end of its program leaves its temporary file.
          if (name.find(kPartialInfix) != std::string::npos)
            RemoveFile(claim.folder + name);
          else
            empty &= name == kLockName;
          return true;
        },
        [&](const FileInfoRecord&, const std::string&, const std::string&) {
          empty = false;
          return false;
        });
    if (empty) {
      RemoveFile(claim.folder + kLockName);
      ::rmdir(claim.folder.c_str());
    }
    ::close(claim.fd);
  }
}

void RecoveryCatalog::ClaimDeadSessions() {
  ScanFolder(folder_, false, nullptr,
             [&](const FileInfoRecord&, const std::string&, const std::string& name) {
               if (name == kDamagedFolder || EndsWith(name, kNewSuffix)) return true;
               const std::string session = folder_ + name + "/";
               // A session whose lock file is missing died before it was made; it is dead too.
               const int fd = TakeLock(session + kLockName, true);
               if (fd >= 0) claims_.push_back({session, fd});
               return true;
             });
}

const std::vector<RecoverableSnapshot>& RecoveryCatalog::List(const std::string& game_folder) {
  snapshots_.clear();
  const std::string game = CanonicalFolder(game_folder);
  for (const Claim& claim : claims_) {
    const std::string session = FileNamePart(claim.folder.substr(0, claim.folder.size() - 1));
    std::vector<std::string> files;
    ScanFolder(
        claim.folder, false,
        [&](const FileInfoRecord&, const std::string&, const std::string& name) {
          if (EndsWith(name, kSnapshotExtension)) files.push_back(name);
          return true;
        },
        nullptr);
    for (const std::string& name : files) {
      RecoverableSnapshot s;
      s.path = claim.folder + name;
      s.id = session + "." + name.substr(0, name.size() - std::string(kSnapshotExtension).size());
      Snapshot read;
      std::string error;
      if (!ReadSnapshotFile(s.path, &read, &error)) {
        KeepAside(s.path, error);
        continue;
      }
      s.info = read.info;
      if (s.info.game_folder == game) snapshots_.push_back(s);
    }
  }
  std::stable_sort(snapshots_.begin(), snapshots_.end(),
                   [](const RecoverableSnapshot& a, const RecoverableSnapshot& b) {
                     return a.info.time < b.info.time;
                   });
  return snapshots_;
}

void RecoveryCatalog::KeepAside(const std::string& path, const std::string& reason) {
  const std::string aside_folder = folder_ + kDamagedFolder + "/";
  const std::string session = FileNamePart(path.substr(0, path.find_last_of('/')));
  const std::string aside = aside_folder + session + "." + FileNamePart(path);
  const bool moved = MakeFolder(aside_folder) && RenameFile(path, aside);
  Log(0, kLogCategory, "the snapshot '%s' cannot be read (%s); %s\n", path.c_str(), reason.c_str(),
      moved ? ("kept as '" + aside + "'").c_str() : "left where it is");
}

const RecoverableSnapshot* RecoveryCatalog::Find(const std::string& id) const {
  for (const RecoverableSnapshot& s : snapshots_)
    if (s.id == id) return &s;
  return nullptr;
}

void RecoveryCatalog::Forget(const std::string& id) {
  snapshots_.erase(std::remove_if(snapshots_.begin(), snapshots_.end(),
                                  [&](const RecoverableSnapshot& s) { return s.id == id; }),
                   snapshots_.end());
}

bool RecoveryCatalog::Discard(const std::string& id) {
  const RecoverableSnapshot* s = Find(id);
  if (!s || !RemoveFile(s->path)) return false;
  Forget(id);
  return true;
}

bool RecoveryCatalog::Restore(Codex& codex, const std::string& id, std::string* error) {
  const RecoverableSnapshot* s = Find(id);
  Snapshot snapshot;
  if (!s) {
    if (error) *error = "no such snapshot";
    return false;
  }
  if (!ReadSnapshotFile(s->path, &snapshot, error)) return false;
  const SnapshotInfo& info = snapshot.info;
  TagRecord* record = codex.FindTag(info.group, info.subgroup);
  if (!record || !codex.HasEffectiveInstance(record)) {
    TagHeader created;
    if (!record) record = codex.CreateTag(info.group, info.subgroup, info.name, &created, false);
    if (!record) {
      if (error) *error = "the tag cannot be created";
      return false;
    }
  }
  TagHeader header = info.header;
  FileStream* stream = codex.BeginTagWrite(record, &header);
  bool ok = stream && stream->Write(snapshot.data.data(), snapshot.data.size());
  if (stream) {
    header.size = uint32_t(snapshot.data.size());
    ok = codex.EndTagWrite(record, &header, ok) && ok;
  }
  if (!ok) {
    if (error) *error = "the local file cannot be written";
    return false;
  }
  return Discard(id);
}

bool RecoveryCatalog::Adopt(const std::string& id, const RecoverySession& session) {
  const RecoverableSnapshot* s = Find(id);
  if (!s || !session.IsStarted()) return false;
  if (!RenameFile(s->path, session.SnapshotPath(s->info.editor_group, s->info.editor_subgroup)))
    return false;
  Forget(id);
  return true;
}

}  // namespace brae
