#include "tagstore/Archive.h"

#include <cstring>

#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"
#include "tagstore/FileSystem.h"

namespace brae {

const FieldLayout& ArchiveHeaderLayout() {
  static const FieldLayout layout{128, 2, 1, 31, 0, 1, 4, 63, 0, 1, 4, 2, 1, 6, 2};
  return layout;
}

const FieldLayout& OldArchiveHeaderLayout() {
  static const FieldLayout layout{48, 2, 1, 31, 0, 1, 4, 2, 2, 2, 1};
  return layout;
}

const FieldLayout& MeshEntryLayout() {
  static const FieldLayout layout{112, 4, 2, 31, 0, 1, 4, 63, 0, 1, 4};
  return layout;
}

int ArchiveKindRank(uint16_t kind) {
  switch (kind) {
    case 1:
    case 5:
    case 6:
      return 2;
    case 2:
      return 1;
    case 3:
      return 0;
    default:
      return -1;
  }
}

ArchiveRecord::~ArchiveRecord() = default;

int ArchiveRecord::SortKey() const {
  if (!active) return -1;
  switch (header.kind) {
    case 3:
      return -3;
    case 2:
    case 4:
      return -2;
    case 6:
      return -1;
    default:
      return header.priority;
  }
}

bool ProbeArchiveHeader(const uint8_t* bytes, size_t available, uint64_t file_length,
                        ArchiveHeader* out) {
  if (available >= kArchiveHeaderSize) {
    ArchiveHeader h;
    ConvertFromFile(bytes, &h, 1, ArchiveHeaderLayout());
    h.directory_offset = uint32_t(kArchiveHeaderSize + kMeshEntrySize * h.mesh_entry_count);
    if (h.file_size == file_length && h.signature == kSignatureDng2) {
      *out = h;
      return true;
    }
  }
  if (available >= kOldArchiveHeaderSize) {
    OldArchiveHeader old;
    ConvertFromFile(bytes, &old, 1, OldArchiveHeaderLayout());
    const uint64_t directory_bytes = uint64_t(kTagHeaderSize) * old.tag_count;
    if (old.kind == 1 && old.one == 1 && directory_bytes <= file_length &&
        old.directory_offset == file_length - directory_bytes) {
      ArchiveHeader h;
      h.kind = 1;
      h.priority = 0;
      std::memcpy(h.name, old.name, sizeof h.name);
      h.tag_count = old.tag_count;
      h.directory_offset = old.directory_offset;
      h.file_size = uint32_t(file_length);
      h.mesh_entry_count = 0;
      h.signature = kSignatureVorn;
      *out = h;
      return true;
    }
  }
  return false;
}

std::unique_ptr<ArchiveRecord> OpenArchive(const std::string& path) {
  FileStream file;
  if (!file.Open(path, FileStream::kRead)) return nullptr;
  const uint64_t length = file.Length();
  if (length > 0xFFFFFFFFull) return nullptr;  // offsets are 32-bit

  uint8_t bytes[kArchiveHeaderSize] = {};
  const size_t available = size_t(std::min<uint64_t>(length, kArchiveHeaderSize));
  if (!file.Read(bytes, available)) return nullptr;

  auto archive = std::make_unique<ArchiveRecord>();
  if (!ProbeArchiveHeader(bytes, available, length, &archive->header)) return nullptr;
  ArchiveHeader& h = archive->header;
  const int rank = ArchiveKindRank(h.kind);
  if (rank < 0) return nullptr;

  // Every table must lie inside the file before anything is allocated for it.
  const uint64_t mesh_end = kArchiveHeaderSize + uint64_t(kMeshEntrySize) * h.mesh_entry_count;
  const uint64_t directory_end =
      uint64_t(h.directory_offset) + uint64_t(kTagHeaderSize) * h.tag_count;
  if (h.signature == kSignatureDng2 && mesh_end > length) return nullptr;
  if (directory_end > length) return nullptr;

  if (h.signature == kSignatureDng2 && h.mesh_entry_count > 0) {
    archive->mesh_entries.resize(h.mesh_entry_count);
    if (!file.Seek(kArchiveHeaderSize) ||
        ReadRecords(archive->mesh_entries.data(), h.mesh_entry_count, MeshEntryLayout(), file) ==
            0) {
      return nullptr;
    }
  }

  if (h.tag_count > 0) {
    std::vector<uint8_t> directory(size_t(kTagHeaderSize) * h.tag_count);
    if (!file.Seek(h.directory_offset) || !file.Read(directory.data(), directory.size()))
      return nullptr;
    archive->instances.reserve(h.tag_count);
    for (size_t i = 0; i < h.tag_count; ++i) {
      auto instance = std::make_unique<TagInstance>();
      const uint8_t* entry = directory.data() + i * kTagHeaderSize;
      if (h.signature == kSignatureDng2) {
        ConvertFromFile(entry, &instance->header, 1, TagHeaderLayout());
      } else {
        OldTagHeader old;
        ConvertFromFile(entry, &old, 1, OldTagHeaderLayout());
        instance->header = ConvertOldTagHeader(old);
      }
      instance->archive = archive.get();
      instance->rank = rank;
      archive->instances.push_back(std::move(instance));
    }
  }
  archive->path = path;
  archive->file_name = FileNamePart(path);
  return archive;
}

}  // namespace brae
