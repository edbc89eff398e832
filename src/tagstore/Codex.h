#pragma once
// The Codex: the one index of every tag that the loaded archives and the local folder provide.
//
// Index
//   records, instances, effective copies ... FindTag, GetEffectiveInstance, lists
//   users ................................... AddTagUser, RemoveTagUser, FindTagUser
//   reading and writing tag data ............ BeginTagRead/EndTagRead, BeginTagWrite/EndTagWrite,
//                                             BeginWriteBatch/EndWriteBatch
//   archives ................................ AddArchive, RemoveArchive, SetActiveArchives
//   local folder ............................ SetLocalFolder, PollLocalFolder
//   listeners ............................... SetCodexListener, NotifyCodexListeners
//   tag operations (TagOperations.cpp) ...... CreateTag, DuplicateTag, ChangeTagInfo,
//                                             CopyToLocal, UnpackArchive

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tagstore/Archive.h"
#include "tagstore/FileStream.h"
#include "tagstore/FolderWatch.h"
#include "tagstore/SpareFiles.h"
#include "tagstore/TagHeader.h"

namespace brae {

class TagRecord;

// Location rank of the local folder.
constexpr int kLocalRank = 3;

class TagInstance {
 public:
  ArchiveRecord* archive = nullptr;  // none for a local file
  TagHeader header;
  int rank = 0;
  std::string file_name;  // local files only
  TagRecord* record = nullptr;
};

struct TagUser {
  uint32_t kind;  // 'edit', 'tres', 'info'
  const void* pointer;
};

constexpr uint32_t kUserEditor = FourCC("edit");
constexpr uint32_t kUserResource = FourCC("tres");
constexpr uint32_t kUserInfo = FourCC("info");

class TagRecord {
 public:
  uint32_t group = 0;
  uint32_t subgroup = 0;
  std::vector<TagUser> users;
  std::vector<TagInstance*> instances;  // in the order attached
  std::unique_ptr<TagInstance> local;   // the local instance, owned here

  // Between BeginTagWrite and EndTagWrite.
  std::unique_ptr<FileStream> write_stream;
  std::string pending_file_name;
  std::string pending_path;       // where the file goes when the write succeeds
  std::string pending_temp_path;  // where it is written meanwhile
  // Between BeginTagRead and EndTagRead.
  std::unique_ptr<FileStream> read_stream;
  bool local_read = false;
};

enum CodexEvent {
  kTagAppeared = 1,
  kTagChanged = 2,
  kTagDataChanged = 3,
  kTagDisappeared = 4,
  kActiveSetChanged = 5,
  kArchiveAdded = 6,
  kArchiveRemoving = 7,
};

using CodexListener = void (*)(void* context, ArchiveRecord* archive, TagRecord* record, int event);

class Codex : public TagidRegistry {
 public:
  Codex();
  ~Codex() override;
  Codex(const Codex&) = delete;
  Codex& operator=(const Codex&) = delete;

  // ---- Lookup
  TagRecord* FindTag(uint32_t group, uint32_t subgroup) const;
  TagInstance* GetEffectiveInstance(const TagRecord* record) const;
  bool HasEffectiveInstance(const TagRecord* record) const { return GetEffectiveInstance(record); }
  void GetEffectiveHeader(const TagRecord* record, TagHeader* out) const;
  std::string GetLocationName(const TagRecord* record) const;
  // The same for an instance already looked up (none gives "unknown").
  static const char* LocationNameOf(const TagInstance* instance);
  void ListTags(std::vector<TagRecord*>* out) const;
  void ListLocalTags(std::vector<TagRecord*>* out) const;
  void ListTagsOfGroup(uint32_t group, std::vector<TagRecord*>* out) const;
  bool HasActiveArchiveCopy(const TagRecord* record) const;
  bool LocalFileExists(uint32_t group, const std::string& name) const;
  // Every record, with or without an effective copy (index order).
  void ListAllRecords(std::vector<TagRecord*>* out) const;
  // The record of an identity, with or without an effective copy.
  TagRecord* FindRecord(uint32_t group, uint32_t subgroup) const;
  bool IsTagidTaken(uint32_t group, uint32_t subgroup) const override;

  // ---- Users
  size_t AddTagUser(TagRecord* record, uint32_t kind, const void* pointer);
  void RemoveTagUser(TagRecord* record, uint32_t kind, const void* pointer);
  bool FindTagUser(const TagRecord* record, size_t index, TagUser* out) const;
  size_t TotalUserCount() const;

  // ---- Reading and writing tag data
  FileStream* BeginTagRead(TagRecord* record, TagHeader* out_header);
  void EndTagRead(TagRecord* record);
  FileStream* BeginTagWrite(TagRecord* record, TagHeader* header,
                            const std::string& file_name = "");
  bool EndTagWrite(TagRecord* record, const TagHeader* header, bool success);
  // Reads one copy of a tag, in force or not (comparisons read the copies an archive or the
  // local folder shadows): its current header and its data. False when the file cannot be read
  // or the data lies outside it.
  bool ReadCopy(const TagInstance* instance, TagHeader* header, std::vector<uint8_t>* data) const;
  // Writes of many tags at once. Between BeginWriteBatch and EndWriteBatch each successful
  // EndTagWrite leaves its complete file in its temporary place; EndWriteBatch flushes the file
  // system once and only then moves every file over its tag's file, so that no tag's file is
  // replaced by data not yet on disk, without a flush per tag. Returns the records whose files
  // could not be put in place (their previous files stay as they were). A batch writes into
  // spare files and swaps each with its tag's file (see SpareFiles).
  void BeginWriteBatch();
  std::vector<TagRecord*> EndWriteBatch();

  // ---- Records and instances
  TagRecord* FindOrCreateRecord(uint32_t group, uint32_t subgroup);
  TagInstance* CreateLocalInstance(const TagHeader& header, const std::string& file_name);
  // As above; same_file_entered tells a refusal because this very file is already entered.
  TagInstance* CreateLocalInstance(const TagHeader& header, const std::string& file_name,
                                   bool* same_file_entered);
  void AttachInstance(TagRecord* record, TagInstance* instance);
  void DetachInstance(TagInstance* instance);
  bool CloseLocalTags();
  bool DeleteLocalTag(TagRecord* record);

  // ---- Archives
  ArchiveRecord* AddArchive(const std::string& path);
  ArchiveRecord* FindArchiveByPath(const std::string& path) const;
  ArchiveRecord* ArchiveAt(size_t index) const;
  size_t ArchiveCount() const { return archives_.size(); }
  // Removes the archive and takes it out of the list; false when its tags are in use.
  bool RemoveArchive(ArchiveRecord* archive);
  bool UnloadAllArchives();
  // True when a tag of the archive has a user (an open editor or shared resource).
  bool ArchiveInUse(const ArchiveRecord* archive) const;
  void SetActiveArchives(const std::vector<ArchiveRecord*>& archives);
  std::vector<ArchiveRecord*> ActiveArchives() const;
  // Every archive of kind 2, 3 or 6 becomes active.
  void ActivateDefaultWorkingSet();
  bool WriteArchive(const std::vector<TagRecord*>& records, uint16_t kind,
                    const std::string& file_name, const std::string& description,
                    uint16_t priority);
  // Every file directly inside <game>/tags and then <game>/plugins.
  void LoadGameArchives();

  // ---- Game and local folder
  void SetGameFolder(const std::string& path);  // normalised, ends in "/"
  const std::string& GameFolder() const { return game_folder_; }
  void SetLocalFolder(const std::string& path);
  const std::string& LocalFolder() const { return local_folder_; }
  std::string LocalTagPath(uint32_t group, const std::string& file_name) const;
  void PollLocalFolder(bool force);
  bool IsDirty() const { return dirty_; }
  FolderWatch& Watch() { return watch_; }

  // ---- Listeners
  void SetCodexListener(CodexListener function, void* context, bool on);
  void NotifyCodexListeners(int event, TagRecord* record, ArchiveRecord* archive);

  // ---- Tag operations (TagOperations.cpp)
  TagRecord* CreateTag(uint32_t group, uint32_t subgroup, const std::string& name,
                       TagHeader* out_header, bool allow_overwrite);
  // CreateTag without overwriting, under the first of name, "name 1", "name 2", ... whose local
  // file is free (the number always fits in the name), so that the tag never takes another's file.
  TagRecord* CreateTagUnderFreeName(uint32_t group, uint32_t subgroup, const std::string& name,
                                    TagHeader* out_header);
  TagRecord* DuplicateTag(TagRecord* record, const std::string* name);
  TagRecord* ChangeTagInfo(TagRecord* record, uint32_t new_subgroup, const std::string* new_name);
  bool CopyToLocal(TagRecord* record);
  bool UnpackArchive(ArchiveRecord* archive, const std::string& folder);

  // ---- Start-up and shutdown (without the windows: the program adds those steps)
  // Unloads everything, loads the game's archives and the local folder and activates the
  // default working set.
  void LoadCodex(const std::string& game_folder);
  void ReloadArchives();
  void ShutdownCodex();

 private:
  friend class CodexWatchHandler;
  void DropRecordIfUnused(TagRecord* record);
  void SortArchives();
  bool DetachArchiveInstances(ArchiveRecord* archive);
  void OnWatchEvent(WatchedFolder& folder, WatchEntry* entry, int event);
  bool WriteArchiveFile(std::vector<TagRecord*> records, uint16_t kind,
                        const std::string& file_name, const std::string& description,
                        uint16_t priority, FileStream& out);
  void RestoreArchive(const std::string& path, bool active);
  bool ReadLocalFileHeader(const WatchedFolder& folder, const WatchEntry& entry,
                           TagHeader* header) const;
  // Moves a written file over the tag's file and enters it; false leaves the old file. With
  // keep_replaced the two files swap and the replaced one becomes a spare.
  bool PlaceWrittenFile(TagRecord* record, const std::string& temp_path, const std::string& path,
                        const std::string& file_name, const TagHeader& header,
                        bool keep_replaced = false);
  void AddLocalFile(WatchedFolder& folder, WatchEntry& entry);
  void UpdateLocalFile(WatchedFolder& folder, WatchEntry& entry);
  void RemoveLocalFile(WatchedFolder& folder, WatchEntry& entry);
  // The record gives up its local copy: listeners hear of it (event 2 when an active archive
  // still holds the tag, else 4, sent while the record still shows) and the copy is detached.
  // The record may be freed.
  void ReleaseLocalCopy(TagRecord* record);

  std::map<uint32_t, std::map<uint32_t, std::unique_ptr<TagRecord>>> index_;
  std::vector<std::unique_ptr<ArchiveRecord>> archives_;
  std::vector<std::pair<CodexListener, void*>> listeners_;
  std::string game_folder_;
  std::string local_folder_;
  FolderWatch watch_;
  bool dirty_ = false;
  // Files written during a write batch, waiting for EndWriteBatch.
  struct StagedWrite {
    TagRecord* record;
    std::string temp_path, path, file_name;
    TagHeader header;
  };
  bool batching_ = false;
  std::vector<StagedWrite> staged_;
  SpareFiles spares_;  // what batches write into
  uint64_t next_load_sequence_ = 0;
  size_t local_count_ = 0;  // records with a local instance
};

// The process-wide Codex.
Codex& TheCodex();

}  // namespace brae
