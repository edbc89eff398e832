#pragma once
// Archive files: the current 'dng2' layout (read and written) and the older layout (read).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tagstore/FieldLayout.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagHeader.h"

namespace brae {

class TagInstance;

constexpr uint32_t kSignatureDng2 = FourCC("dng2");
constexpr size_t kArchiveHeaderSize = 128;
constexpr size_t kMeshEntrySize = 112;
constexpr size_t kOldArchiveHeaderSize = 48;

// Host order in memory; big-endian in files.
struct ArchiveHeader {
  uint16_t kind = 0;
  uint16_t priority = 0;
  char name[32] = {};
  char description[64] = {};
  uint16_t mesh_entry_count = 0;
  uint16_t tag_count = 0;
  uint32_t reserved_a = 0;
  uint32_t reserved_b = 0;
  uint32_t file_size = 0;
  uint32_t reserved_c = 0;
  uint32_t directory_offset = 0;
  uint32_t signature = 0;
};
static_assert(sizeof(ArchiveHeader) == kArchiveHeaderSize, "archive header is 128 bytes");

struct OldArchiveHeader {
  uint16_t kind;
  uint16_t one;
  char name[32];
  uint32_t unused_a;
  uint32_t directory_offset;
  uint16_t tag_count;
  uint16_t unused_b;
};
static_assert(sizeof(OldArchiveHeader) == kOldArchiveHeaderSize, "old archive header is 48 bytes");

struct MeshEntry {
  uint32_t subgroup = 0;
  uint32_t reserved[3] = {};
  char name[32] = {};
  char title[64] = {};
};
static_assert(sizeof(MeshEntry) == kMeshEntrySize, "mesh entry is 112 bytes");

const FieldLayout& ArchiveHeaderLayout();
const FieldLayout& OldArchiveHeaderLayout();
const FieldLayout& MeshEntryLayout();

// Location rank of an archive kind: 1, 5, 6 → 2; 2 → 1; 3 → 0; anything else → -1 (unreadable).
int ArchiveKindRank(uint16_t kind);

// Parses the first bytes of a file (at least 128, or fewer when the file is shorter) as an
// archive header of either layout, checking it against the file length. The result is the
// header in the current layout (signature 'dng2' or 'vorn'). False when it is no archive.
bool ProbeArchiveHeader(const uint8_t* bytes, size_t available, uint64_t file_length,
                        ArchiveHeader* out);

class ArchiveRecord {
 public:
  ArchiveRecord() = default;
  ~ArchiveRecord();
  ArchiveRecord(const ArchiveRecord&) = delete;
  ArchiveRecord& operator=(const ArchiveRecord&) = delete;

  ArchiveHeader header;
  std::vector<std::unique_ptr<TagInstance>> instances;  // one per directory entry
  std::vector<MeshEntry> mesh_entries;
  std::string path;       // full path of the archive file
  std::string file_name;  // the part after the last "/" or "\"
  bool active = false;
  uint64_t load_sequence = 0;  // the order in which archives were loaded

  // Display and list order key: kind 3 → -3, kinds 2 and 4 → -2, kind 6 → -1, else priority;
  // an inactive archive sorts with -1.
  int SortKey() const;
};

// Opens and reads an archive's header and directory; none when it is unreadable.
std::unique_ptr<ArchiveRecord> OpenArchive(const std::string& path);

}  // namespace brae
