// Writing archives (add-on plugins).
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "core/FileModes.h"
#include "core/MessageLog.h"
#include "tagstore/Codex.h"

namespace brae {

namespace {

void CopyText(char* field, size_t field_size, const std::string& text) {
  std::memset(field, 0, field_size);
  std::memcpy(field, text.data(), std::min(text.size(), field_size - 1));
}

}  // namespace

bool Codex::WriteArchiveFile(std::vector<TagRecord*> records, uint16_t kind,
                             const std::string& file_name, const std::string& description,
                             uint16_t priority, FileStream& out) {
  if (records.size() > 0xFFFF) return false;
  std::vector<std::pair<TagHeader, TagRecord*>> sorted;
  for (TagRecord* r : records) {
    TagHeader h;
    GetEffectiveHeader(r, &h);
    sorted.emplace_back(h, r);
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
    if (a.first.group != b.first.group) return a.first.group < b.first.group;
    const int names = std::strncmp(a.first.name, b.first.name, kTagNameSize);
    if (names != 0) return names < 0;
    return a.first.subgroup < b.first.subgroup;
  });

  std::vector<MeshEntry> meshes;
  for (const auto& [h, r] : sorted) {
    if (h.group != FourCC("mesh")) continue;
    MeshEntry e;
    e.subgroup = h.subgroup;
    CopyText(e.name, sizeof e.name, h.Name());
    CopyText(e.title, sizeof e.title, h.Name());
    meshes.push_back(e);
  }
  if (meshes.size() > 0xFFFF) return false;
  if (!out.Seek(kArchiveHeaderSize)) return false;
  if (!meshes.empty() && WriteRecords(meshes.data(), meshes.size(), MeshEntryLayout(), out) == 0) {
    return false;
  }

  const uint64_t directory = kArchiveHeaderSize + kMeshEntrySize * meshes.size();
  uint64_t data_position = directory + kTagHeaderSize * sorted.size();
  for (size_t i = 0; i < sorted.size(); ++i) {
    TagRecord* record = sorted[i].second;
    TagHeader header;
    FileStream* in = BeginTagRead(record, &header);
    if (!in) return false;
    header.offset = uint32_t(data_position);
    header.signature = kSignatureVrn2;  // the directory holds current-layout headers only
    bool ok = data_position + header.size <= 0xFFFFFFFFull &&
              out.Seek(directory + kTagHeaderSize * i) &&
              WriteTagHeaders(&header, out, 1) == kTagHeaderSize && out.Seek(data_position) &&
              CopyStreamBytes(*in, out, header.size);
    EndTagRead(record);
    if (!ok) return false;
    data_position += header.size;
  }

  ArchiveHeader h;
  h.kind = kind;
  h.priority = kind == 1 ? 65535 : priority;
  CopyText(h.name, sizeof h.name, file_name);
  CopyText(h.description, sizeof h.description, description);
  h.mesh_entry_count = uint16_t(meshes.size());
  h.tag_count = uint16_t(sorted.size());
  h.file_size = uint32_t(data_position);
  h.directory_offset = uint32_t(directory);
  h.signature = kSignatureDng2;
  return out.Seek(0) && WriteRecords(&h, 1, ArchiveHeaderLayout(), out) == kArchiveHeaderSize &&
         out.Sync();
}

bool Codex::WriteArchive(const std::vector<TagRecord*>& records, uint16_t kind,
                         const std::string& file_name, const std::string& description,
                         uint16_t priority) {
  const std::string plugins = game_folder_ + "plugins/";
  const std::string target = plugins + file_name;
  if (game_folder_.empty() || IsUnsafeFileName(file_name) || !MakeFolder(plugins)) return false;

  // The archive loaded under the target's path is replaced only once the new file is complete,
  // and it stays loaded when anything fails.
  ArchiveRecord* old = FindArchiveByPath(target);
  if (old && ArchiveInUse(old)) return false;

  std::string temp = plugins + ".brae-addon-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  ::close(fd);
  FileStream out;
  bool ok = out.Open(temp, FileStream::kReadWrite) &&
            WriteArchiveFile(records, kind, file_name, description, priority, out);
  ok = out.Close() && ok;
  ok = ok && GiveReplacingFileMode(temp, target);
  if (!ok) {
    RemoveFile(temp);
    return false;
  }

  bool was_active = false;
  if (old) {
    was_active = old->active;
    if (!RemoveArchive(old)) {
      RemoveFile(temp);
      return false;
    }
  }
  if (!RenameFile(temp, target)) {
    RemoveFile(temp);
    if (old) RestoreArchive(target, was_active);
    return false;
  }
  if (!AddArchive(target)) {
    Log(0, "Codex", "the archive '%s' was written but could not be read back\n", file_name.c_str());
    return false;
  }
  return true;
}

void Codex::RestoreArchive(const std::string& path, bool active) {
  ArchiveRecord* archive = AddArchive(path);
  if (!archive || !active) return;
  std::vector<ArchiveRecord*> set = ActiveArchives();
  set.push_back(archive);
  SetActiveArchives(set);
}

}  // namespace brae
