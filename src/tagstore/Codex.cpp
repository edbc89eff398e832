// The Codex: records and instances, users, the read and write brackets, archives, the local
// folder and listeners. Tag operations that build on these live in TagOperations.cpp.
//
// Sections: lookup · users · reading and writing · records and instances · archives ·
//           local folder · listeners · start-up and shutdown
#include "tagstore/Codex.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "core/FileModes.h"
#include "core/MessageLog.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {
const char* const kLog = "Codex";
}

Codex& TheCodex() {
  static Codex codex;
  return codex;
}

Codex::Codex() = default;

Codex::~Codex() {
  // Local instances are owned by records and archive instances by archives; records point at
  // both, so records go first.
  index_.clear();
  archives_.clear();
}

// ---------------------------------------------------------------------------------------------
// Lookup

TagRecord* Codex::FindTag(uint32_t group, uint32_t subgroup) const {
  if (subgroup == kNoSubgroup) return nullptr;
  auto g = index_.find(group);
  if (g == index_.end()) return nullptr;
  auto r = g->second.find(subgroup);
  if (r == g->second.end() || !HasEffectiveInstance(r->second.get())) return nullptr;
  return r->second.get();
}

TagRecord* Codex::FindRecord(uint32_t group, uint32_t subgroup) const {
  auto g = index_.find(group);
  if (g == index_.end()) return nullptr;
  auto r = g->second.find(subgroup);
  return r == g->second.end() ? nullptr : r->second.get();
}

TagInstance* Codex::GetEffectiveInstance(const TagRecord* record) const {
  if (!record) return nullptr;
  if (record->local) return record->local.get();
  TagInstance* best = nullptr;
  for (TagInstance* candidate : record->instances) {
    if (!candidate->archive || !candidate->archive->active) continue;
    if (!best) {
      best = candidate;
      continue;
    }
    const ArchiveRecord* a = candidate->archive;
    const ArchiveRecord* b = best->archive;
    bool better = false;
    if (candidate->rank != best->rank) {
      better = candidate->rank > best->rank;
    } else if (a->header.priority != b->header.priority) {
      better = a->header.priority > b->header.priority;
    } else {
      better = a->file_name > b->file_name;  // equal names keep the first attached
    }
    if (better) best = candidate;
  }
  return best;
}

void Codex::GetEffectiveHeader(const TagRecord* record, TagHeader* out) const {
  if (const TagInstance* instance = GetEffectiveInstance(record)) {
    *out = instance->header;
    return;
  }
  *out = TagHeader();
  if (record) {
    out->group = record->group;
    out->subgroup = record->subgroup;
  }
  out->SetName("~codex_placeholder~");
}

std::string Codex::GetLocationName(const TagRecord* record) const {
  return LocationNameOf(GetEffectiveInstance(record));
}

const char* Codex::LocationNameOf(const TagInstance* instance) {
  if (!instance) return "unknown";
  if (instance->archive) return instance->archive->file_name.c_str();
  if (instance->rank == kLocalRank) return "local folder";
  return "unknown";
}

void Codex::ListTags(std::vector<TagRecord*>* out) const {
  for (const auto& [group, records] : index_) {
    for (const auto& [id, record] : records) {
      if (HasEffectiveInstance(record.get())) out->push_back(record.get());
    }
  }
}

void Codex::ListLocalTags(std::vector<TagRecord*>* out) const {
  for (const auto& [group, records] : index_) {
    for (const auto& [id, record] : records) {
      if (record->local) out->push_back(record.get());
    }
  }
}

void Codex::ListTagsOfGroup(uint32_t group, std::vector<TagRecord*>* out) const {
  auto g = index_.find(group);
  if (g == index_.end()) return;
  for (const auto& [id, record] : g->second) {
    if (HasEffectiveInstance(record.get())) out->push_back(record.get());
  }
}

void Codex::ListAllRecords(std::vector<TagRecord*>* out) const {
  for (const auto& [group, records] : index_) {
    for (const auto& [id, record] : records) out->push_back(record.get());
  }
}

bool Codex::HasActiveArchiveCopy(const TagRecord* record) const {
  for (const TagInstance* instance : record->instances) {
    if (instance != record->local.get() && instance->archive && instance->archive->active)
      return true;
  }
  return false;
}

bool Codex::LocalFileExists(uint32_t group, const std::string& name) const {
  TagHeader header;
  SanitizeTagName(&header, name);
  return FileExists(LocalTagPath(group, header.Name()));
}

bool Codex::IsTagidTaken(uint32_t group, uint32_t subgroup) const {
  return FindTag(group, subgroup) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Users

size_t Codex::AddTagUser(TagRecord* record, uint32_t kind, const void* pointer) {
  for (const TagUser& u : record->users) {
    if (u.kind == kind && u.pointer == pointer) return record->users.size();
  }
  record->users.push_back(TagUser{kind, pointer});
  return record->users.size();
}

void Codex::RemoveTagUser(TagRecord* record, uint32_t kind, const void* pointer) {
  auto& users = record->users;
  users.erase(
      std::remove_if(users.begin(), users.end(),
                     [&](const TagUser& u) { return u.kind == kind && u.pointer == pointer; }),
      users.end());
  DropRecordIfUnused(record);
}

bool Codex::FindTagUser(const TagRecord* record, size_t index, TagUser* out) const {
  if (!record || index >= record->users.size()) return false;
  *out = record->users[index];
  return true;
}

size_t Codex::TotalUserCount() const {
  size_t total = 0;
  for (const auto& [group, records] : index_) {
    for (const auto& [id, record] : records) {
      if (HasEffectiveInstance(record.get())) total += record->users.size();
    }
  }
  return total;
}

// ---------------------------------------------------------------------------------------------
// Reading and writing

FileStream* Codex::BeginTagRead(TagRecord* record, TagHeader* out_header) {
  TagInstance* instance = GetEffectiveInstance(record);
  if (!instance) return nullptr;
  if (out_header) *out_header = instance->header;
  EndTagRead(record);

  auto stream = std::make_unique<FileStream>();
  if (instance->archive) {
    const TagHeader& h = instance->header;
    if (!stream->Open(instance->archive->path, FileStream::kRead)) {
      Log(0, kLog, "couldn't open archive '%s' for reading\n",
          instance->archive->file_name.c_str());
      return nullptr;
    }
    // A directory entry that points past the end of its archive is never read.
    if (uint64_t(h.offset) + h.size > stream->Length() || !stream->Seek(h.offset)) {
      Log(0, kLog, "the tag '%s' lies outside its archive '%s'\n", h.Name().c_str(),
          instance->archive->file_name.c_str());
      return nullptr;
    }
    record->local_read = false;
  } else {
    const std::string path = LocalTagPath(record->group, instance->file_name);
    TagHeader header;
    if (!stream->Open(path, FileStream::kRead) ||
        !ReadLocalTagHeader(&header, *stream, instance->file_name, nullptr)) {
      Log(0, kLog, "couldn't open local file '%s' for reading\n", instance->file_name.c_str());
      return nullptr;
    }
    // The instance follows the file, and the caller gets the header that matches the data.
    instance->header = header;
    if (out_header) *out_header = header;
    record->local_read = true;
  }
  record->read_stream = std::move(stream);
  return record->read_stream.get();
}

void Codex::EndTagRead(TagRecord* record) {
  if (!record) return;
  record->read_stream.reset();
  record->local_read = false;
}

bool Codex::ReadCopy(const TagInstance* instance, TagHeader* header,
                     std::vector<uint8_t>* data) const {
  if (!instance || (!instance->archive && !instance->record)) return false;
  FileStream stream;
  if (instance->archive) {
    *header = instance->header;
    if (!stream.Open(instance->archive->path, FileStream::kRead) ||
        uint64_t(header->offset) + header->size > stream.Length() || !stream.Seek(header->offset))
      return false;
  } else {
    const std::string path = LocalTagPath(instance->record->group, instance->file_name);
    if (!stream.Open(path, FileStream::kRead) ||
        !ReadLocalTagHeader(header, stream, instance->file_name, nullptr) ||
        !stream.Seek(kTagHeaderSize))
      return false;
  }
  data->assign(header->size, 0);
  return data->empty() || stream.Read(data->data(), data->size());
}

FileStream* Codex::BeginTagWrite(TagRecord* record, TagHeader* header,
                                 const std::string& file_name) {
  if (!record || !header) return nullptr;
  PrepareLocalHeader(header, record->group, record->subgroup);
  std::string name = file_name;
  if (name.empty() && record->local) name = record->local->file_name;
  if (name.empty()) name = header->Name();
  if (IsUnsafeFileName(name)) {
    // Names from archives may hold path separators: never let one lead out of the folder.
    TagHeader safe;
    SanitizeTagName(&safe, name);
    name = safe.Name();
  }
  if (IsUnsafeFileName(name)) {
    Log(0, kLog, "couldn't open tag file '%s' for writing\n", name.c_str());
    return nullptr;
  }

  const std::string group_folder = GroupFolderPath(local_folder_, record->group);
  if (local_folder_.empty() || !MakeFolder(local_folder_) || !MakeFolder(group_folder)) {
    Log(0, kLog, "couldn't open tag file '%s' for writing\n", name.c_str());
    return nullptr;
  }
  // Close any write left open, dropping its temporary file.
  if (record->write_stream) {
    record->write_stream.reset();
    RemoveFile(record->pending_temp_path);
  }
  record->pending_file_name = name;
  record->pending_path = group_folder + "/" + name;

  // The data goes to a temporary file in the local folder itself, outside every group folder,
  // so the watch never lists it; EndTagWrite moves it into place. A failed save thus never
  // touches the existing local copy. A batch writes into spare files instead.
  std::string temp = local_folder_ + ".brae-save-XXXXXX";
  int fd = batching_ ? spares_.Open(&temp) : ::mkstemp(temp.data());
  auto stream = std::make_unique<FileStream>();
  bool ok = stream->Adopt(fd);
  TagHeader written = *header;
  ok = ok && WriteTagHeaders(&written, *stream, 1) == kTagHeaderSize;
  if (!ok) {
    if (fd >= 0) RemoveFile(temp);
    Log(0, kLog, "couldn't open tag file '%s' for writing\n", name.c_str());
    record->pending_file_name.clear();
    record->pending_path.clear();
    return nullptr;
  }
  record->pending_temp_path = temp;
  record->write_stream = std::move(stream);
  return record->write_stream.get();
}

bool Codex::EndTagWrite(TagRecord* record, const TagHeader* header, bool success) {
  if (!record || !record->write_stream) return false;
  FileStream& stream = *record->write_stream;
  TagHeader read_back;
  bool ok = success;
  if (ok) {
    // A spare may be longer than what was written into it.
    ok = (!batching_ || stream.Truncate(stream.WrittenEnd())) && stream.Seek(0) &&
         ReadLocalTagHeader(&read_back, stream, record->pending_file_name, nullptr);
    if (ok && header) {
      read_back.user_data = header->user_data;
      read_back.version = header->version;
    }
    ok = ok && stream.Seek(0) && WriteTagHeaders(&read_back, stream, 1) == kTagHeaderSize;
    // A batch flushes the whole file system once, in EndWriteBatch.
    ok = ok && (batching_ || stream.Sync());
  }
  ok = record->write_stream->Close() && ok;
  record->write_stream.reset();
  if (ok && batching_) {
    staged_.push_back({record, record->pending_temp_path, record->pending_path,
                       record->pending_file_name, read_back});
  } else if (ok) {
    ok = PlaceWrittenFile(record, record->pending_temp_path, record->pending_path,
                          record->pending_file_name, read_back);
  } else {
    RemoveFile(record->pending_temp_path);
  }
  record->pending_file_name.clear();
  record->pending_path.clear();
  record->pending_temp_path.clear();
  dirty_ = true;
  return ok;
}

bool Codex::PlaceWrittenFile(TagRecord* record, const std::string& temp_path,
                             const std::string& path, const std::string& file_name,
                             const TagHeader& header, bool keep_replaced) {
  if (!GiveReplacingFileMode(temp_path, path)) {
    RemoveFile(temp_path);
    return false;
  }
  if (keep_replaced && IsPlainFile(path) && ExchangeFiles(temp_path, path)) {
    spares_.Keep(temp_path);
  } else if (!RenameFile(temp_path, path)) {
    RemoveFile(temp_path);
    return false;
  }
  if (record->local) {
    record->local->header = header;
  } else {
    CreateLocalInstance(header, file_name);
  }
  return true;
}

void Codex::BeginWriteBatch() {
  batching_ = true;
}

std::vector<TagRecord*> Codex::EndWriteBatch() {
  batching_ = false;
  std::vector<StagedWrite> staged;
  staged.swap(staged_);
  std::vector<TagRecord*> failed;
  if (staged.empty()) return failed;
  // Nothing is moved into place unless every written file is on disk.
  const bool synced = SyncFileSystemOf(local_folder_);
  if (!synced) Log(0, kLog, "couldn't flush the local folder's files to disk\n");
  for (StagedWrite& w : staged) {
    if (!synced) RemoveFile(w.temp_path);
    if (!synced || !PlaceWrittenFile(w.record, w.temp_path, w.path, w.file_name, w.header, true))
      failed.push_back(w.record);
  }
  dirty_ = true;
  return failed;
}

// ---------------------------------------------------------------------------------------------
// Records and instances

TagRecord* Codex::FindOrCreateRecord(uint32_t group, uint32_t subgroup) {
  auto& slot = index_[group][subgroup];
  if (!slot) {
    slot = std::make_unique<TagRecord>();
    slot->group = group;
    slot->subgroup = subgroup;
  }
  return slot.get();
}

void Codex::DropRecordIfUnused(TagRecord* record) {
  if (!record || !record->users.empty() || !record->instances.empty() || record->local) return;
  if (record->read_stream || record->write_stream) return;
  auto g = index_.find(record->group);
  if (g == index_.end()) return;
  g->second.erase(record->subgroup);
  if (g->second.empty()) index_.erase(g);
}

TagInstance* Codex::CreateLocalInstance(const TagHeader& header, const std::string& file_name) {
  return CreateLocalInstance(header, file_name, nullptr);
}

TagInstance* Codex::CreateLocalInstance(const TagHeader& header, const std::string& file_name,
                                        bool* same_file_entered) {
  if (same_file_entered) *same_file_entered = false;
  TagRecord* record = FindOrCreateRecord(header.group, header.subgroup);
  if (record->local) {
    if (record->local->file_name != file_name) {
      Log(1, kLog,
          "duplicate tagids detected: in the '%s' folder, '%s' and '%s' have the same tagids.\n",
          GetGroupName(header.group).c_str(), file_name.c_str(), record->local->file_name.c_str());
    } else if (same_file_entered) {
      *same_file_entered = true;
    }
    return nullptr;
  }
  auto* instance = new TagInstance();
  instance->header = header;
  instance->rank = kLocalRank;
  instance->file_name = file_name;
  AttachInstance(record, instance);
  return instance;
}

void Codex::AttachInstance(TagRecord* record, TagInstance* instance) {
  record->instances.push_back(instance);
  if (instance->rank == kLocalRank && !instance->archive) {
    record->local.reset(instance);
    ++local_count_;
  }
  instance->record = record;
  dirty_ = true;
}

void Codex::DetachInstance(TagInstance* instance) {
  TagRecord* record = instance->record;
  if (!record) return;
  auto& list = record->instances;
  list.erase(std::remove(list.begin(), list.end(), instance), list.end());
  instance->record = nullptr;
  if (record->local.get() == instance) {
    record->local.reset();
    --local_count_;
  }
  dirty_ = true;
  DropRecordIfUnused(record);
}

bool Codex::CloseLocalTags() {
  if (local_count_ == 0) return true;
  std::vector<TagRecord*> local;
  ListLocalTags(&local);
  for (TagRecord* record : local) {
    if (!record->users.empty()) return false;
    DetachInstance(record->local.get());
  }
  return true;
}

bool Codex::DeleteLocalTag(TagRecord* record) {
  if (!record || !record->users.empty() || !record->local) return false;
  const std::string path = LocalTagPath(record->group, record->local->file_name);
  // Only a file that still holds this tag goes: one that another program (or a change not yet
  // polled) gave another identity belongs to that one now.
  FileStream file;
  TagHeader header;
  const bool holds_tag = file.Open(path, FileStream::kRead) &&
                         ReadLocalTagHeader(&header, file, record->local->file_name, nullptr) &&
                         header.group == record->group && header.subgroup == record->subgroup;
  file.Close();
  if (!holds_tag) {
    Log(0, kLog, "DeleteLocalTag: '%s' no longer holds the tag '%s'; not deleted.\n", path.c_str(),
        FourCCToString(record->subgroup).c_str());
    PollLocalFolder(true);
    return false;
  }
  if (!RemoveFile(path)) return false;
  PollLocalFolder(true);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Archives

ArchiveRecord* Codex::AddArchive(const std::string& path) {
  if (ArchiveRecord* loaded = FindArchiveByPath(path)) return loaded;
  std::unique_ptr<ArchiveRecord> archive = OpenArchive(path);
  if (!archive) return nullptr;
  archive->load_sequence = next_load_sequence_++;
  for (auto& instance : archive->instances) {
    AttachInstance(FindOrCreateRecord(instance->header.group, instance->header.subgroup),
                   instance.get());
  }
  archives_.push_back(std::move(archive));
  ArchiveRecord* added = archives_.back().get();
  NotifyCodexListeners(kArchiveAdded, nullptr, added);
  return added;
}

ArchiveRecord* Codex::FindArchiveByPath(const std::string& path) const {
  for (const auto& a : archives_) {
    if (a->path == path) return a.get();
  }
  return nullptr;
}

ArchiveRecord* Codex::ArchiveAt(size_t index) const {
  return index < archives_.size() ? archives_[index].get() : nullptr;
}

bool Codex::ArchiveInUse(const ArchiveRecord* archive) const {
  for (const auto& instance : archive->instances) {
    if (instance->record && !instance->record->users.empty()) return true;
  }
  return false;
}

bool Codex::DetachArchiveInstances(ArchiveRecord* archive) {
  NotifyCodexListeners(kArchiveRemoving, nullptr, archive);
  if (ArchiveInUse(archive)) return false;
  for (auto& instance : archive->instances) DetachInstance(instance.get());
  return true;
}

bool Codex::RemoveArchive(ArchiveRecord* archive) {
  auto it = std::find_if(archives_.begin(), archives_.end(),
                         [&](const auto& a) { return a.get() == archive; });
  if (it == archives_.end() || !DetachArchiveInstances(archive)) return false;
  archives_.erase(it);
  return true;
}

bool Codex::UnloadAllArchives() {
  bool all = true;
  std::vector<std::unique_ptr<ArchiveRecord>> survivors;
  for (auto& archive : archives_) {
    if (DetachArchiveInstances(archive.get())) {
      archive.reset();
    } else {
      survivors.push_back(std::move(archive));
      all = false;
    }
  }
  archives_ = std::move(survivors);
  return all;
}

void Codex::SortArchives() {
  std::stable_sort(archives_.begin(), archives_.end(), [](const auto& a, const auto& b) {
    const int ka = a->SortKey(), kb = b->SortKey();
    return ka != kb ? ka < kb : a->file_name < b->file_name;
  });
}

void Codex::SetActiveArchives(const std::vector<ArchiveRecord*>& wanted) {
  std::vector<ArchiveRecord*> unique;
  for (ArchiveRecord* a : wanted) {
    if (a && std::find(unique.begin(), unique.end(), a) == unique.end()) unique.push_back(a);
  }
  // Walk in load order, so that kinds 1 and 5 are numbered as the game folder lists them.
  std::sort(unique.begin(), unique.end(), [](const ArchiveRecord* a, const ArchiveRecord* b) {
    return a->load_sequence < b->load_sequence;
  });
  for (auto& a : archives_) a->active = false;
  uint16_t position = 0;
  for (ArchiveRecord* a : unique) {
    a->active = true;
    const uint16_t kind = a->header.kind;
    if (kind != 2 && kind != 3 && kind != 4 && kind != 6) a->header.priority = position++;
  }
  SortArchives();
  NotifyCodexListeners(kActiveSetChanged, nullptr, nullptr);
}

std::vector<ArchiveRecord*> Codex::ActiveArchives() const {
  std::vector<ArchiveRecord*> active;
  for (const auto& a : archives_) {
    if (a->active) active.push_back(a.get());
  }
  std::stable_sort(active.begin(), active.end(),
                   [](const ArchiveRecord* a, const ArchiveRecord* b) {
                     const int ka = a->SortKey(), kb = b->SortKey();
                     return ka != kb ? ka < kb : a->file_name < b->file_name;
                   });
  return active;
}

void Codex::ActivateDefaultWorkingSet() {
  std::vector<ArchiveRecord*> set;
  for (const auto& a : archives_) {
    const uint16_t kind = a->header.kind;
    if (kind == 2 || kind == 3 || kind == 6) set.push_back(a.get());
  }
  SetActiveArchives(set);
}

void Codex::LoadGameArchives() {
  for (const char* sub : {"tags", "plugins"}) {
    ScanFolder(
        game_folder_ + sub, false,
        [&](const FileInfoRecord&, const std::string& folder, const std::string& name) {
          AddArchive(folder + name);
          return true;
        },
        nullptr);
  }
}

// ---------------------------------------------------------------------------------------------
// Game and local folder

void Codex::SetGameFolder(const std::string& path) {
  game_folder_ = NormalizedFolderPath(path);
}

std::string Codex::LocalTagPath(uint32_t group, const std::string& file_name) const {
  return brae::LocalTagPath(local_folder_, group, file_name);
}

void Codex::SetLocalFolder(const std::string& path) {
  local_folder_ = NormalizedFolderPath(path);
  spares_.SetFolder(local_folder_.empty() ? "" : local_folder_ + ".brae-spares/");
  CloseLocalTags();
  watch_.Clear();
  TagGroup* groups = TagGroupTable();
  for (int i = 0; i < kTagGroupCount; ++i) {
    watch_.Watch(GroupFolderPath(local_folder_, groups[i].code), &groups[i]);
  }
  watch_.Poll([this](WatchedFolder& f, WatchEntry* e, int event) { OnWatchEvent(f, e, event); });
  dirty_ = false;
}

void Codex::PollLocalFolder(bool force) {
  if (!force && !dirty_ && !watch_.MayHaveChanged()) return;
  watch_.Poll([this](WatchedFolder& f, WatchEntry* e, int event) { OnWatchEvent(f, e, event); });
  dirty_ = false;
}

void Codex::OnWatchEvent(WatchedFolder& folder, WatchEntry* entry, int event) {
  if (!entry) return;
  switch (event) {
    case kFileAdded:
      AddLocalFile(folder, *entry);
      break;
    case kFileModified:
      UpdateLocalFile(folder, *entry);
      break;
    case kFileRemoved:
      RemoveLocalFile(folder, *entry);
      break;
    default:
      break;
  }
}

bool Codex::ReadLocalFileHeader(const WatchedFolder& folder, const WatchEntry& entry,
                                TagHeader* header) const {
  FileStream stream;
  return stream.Open(entry.path, FileStream::kRead) &&
         ReadLocalTagHeader(header, stream, entry.name, static_cast<const TagGroup*>(folder.user));
}

void Codex::AddLocalFile(WatchedFolder& folder, WatchEntry& entry) {
  TagHeader header;
  if (!ReadLocalFileHeader(folder, entry, &header)) return;
  bool same_file = false;
  TagInstance* instance = CreateLocalInstance(header, entry.name, &same_file);
  if (!instance && !same_file) return;
  TagRecord* record = FindOrCreateRecord(header.group, header.subgroup);
  if (same_file) record->local->header = header;  // the file may have changed meanwhile
  entry.user = record->subgroup;
  NotifyCodexListeners(HasActiveArchiveCopy(record) ? kTagChanged : kTagAppeared, record, nullptr);
}

void Codex::UpdateLocalFile(WatchedFolder& folder, WatchEntry& entry) {
  const auto* group = static_cast<const TagGroup*>(folder.user);
  TagRecord* record = FindTag(group->code, entry.user);
  if (!record) {
    AddLocalFile(folder, entry);
    return;
  }
  TagHeader header;
  if (!ReadLocalFileHeader(folder, entry, &header)) {
    RemoveLocalFile(folder, entry);
    return;
  }
  if (record->local && record->local->file_name == entry.name &&
      header.subgroup == record->subgroup) {
    record->local->header = header;
    NotifyCodexListeners(kTagChanged, record, nullptr);
    return;
  }
  RemoveLocalFile(folder, entry);
  AddLocalFile(folder, entry);
}

void Codex::RemoveLocalFile(WatchedFolder& folder, WatchEntry& entry) {
  const auto* group = static_cast<const TagGroup*>(folder.user);
  TagRecord* record = FindTag(group->code, entry.user);
  // Only the file that was entered for this identity gives it up (a refused duplicate does not).
  if (!record || !record->local || record->local->file_name != entry.name) return;
  ReleaseLocalCopy(record);
}

void Codex::ReleaseLocalCopy(TagRecord* record) {
  if (HasActiveArchiveCopy(record)) {
    DetachInstance(record->local.get());
    NotifyCodexListeners(kTagChanged, record, nullptr);
  } else {
    NotifyCodexListeners(kTagDisappeared, record, nullptr);
    DetachInstance(record->local.get());
  }
}

// ---------------------------------------------------------------------------------------------
// Listeners

void Codex::SetCodexListener(CodexListener function, void* context, bool on) {
  auto pair = std::make_pair(function, context);
  auto it = std::find(listeners_.begin(), listeners_.end(), pair);
  if (on && it == listeners_.end()) listeners_.push_back(pair);
  if (!on && it != listeners_.end()) listeners_.erase(it);
}

void Codex::NotifyCodexListeners(int event, TagRecord* record, ArchiveRecord* archive) {
  // A listener may remove itself while being called: walk a copy.
  const auto listeners = listeners_;
  for (const auto& [function, context] : listeners) function(context, archive, record, event);
}

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown

void Codex::LoadCodex(const std::string& game_folder) {
  UnloadAllArchives();
  CloseLocalTags();
  watch_.Clear();
  SetGameFolder(game_folder);
  LoadGameArchives();
  SetLocalFolder(game_folder_ + "local");
  ActivateDefaultWorkingSet();
}

void Codex::ReloadArchives() {
  UnloadAllArchives();
  LoadGameArchives();
}

void Codex::ShutdownCodex() {
  if (UnloadAllArchives() && CloseLocalTags()) watch_.Clear();
}

}  // namespace brae
