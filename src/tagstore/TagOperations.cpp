// Operations that create or reshape tags in the local folder.
#include <cstring>
#include <vector>

#include "core/MessageLog.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {

const char* const kLog = "Codex";

// A header for a loose copy of another tag: identity of the record, fields for the local folder.
TagHeader LocalCopyHeader(const TagHeader& source, uint32_t group, uint32_t subgroup) {
  TagHeader h = source;
  PrepareLocalHeader(&h, group, subgroup);
  return h;
}

}  // namespace

TagRecord* Codex::CreateTag(uint32_t group, uint32_t subgroup, const std::string& name,
                            TagHeader* out_header, bool allow_overwrite) {
  TagHeader header;
  header.group = group;
  header.version = 1;
  header.owner_index = 255;
  header.signature = kSignatureVrn2;
  SanitizeTagName(&header, name);
  header.subgroup = subgroup;
  if (subgroup == kNoSubgroup) MakeTagidFromName(&header, this);

  const char* reason = nullptr;
  if (TagRecord* same_id = FindTag(group, header.subgroup)) {
    if (!allow_overwrite) {
      reason = "A file with the same tagid already exists";
    } else if (!DeleteLocalTag(same_id)) {
      reason = "An existing file could not be overwritten";
    }
  }
  if (!reason) {
    FileStream existing;
    TagHeader existing_header;
    if (existing.Open(LocalTagPath(group, header.Name()), FileStream::kRead) &&
        ReadLocalTagHeader(&existing_header, existing, header.Name(), nullptr)) {
      existing.Close();
      if (!allow_overwrite) {
        reason = "A file with the same name already exists";
      } else {
        TagRecord* owner = FindTag(existing_header.group, existing_header.subgroup);
        if (!owner || !DeleteLocalTag(owner)) reason = "An existing file could not be overwritten";
      }
    }
  }
  if (reason) {
    Log(2, kLog,
        "CreateTag(name='%s', tagid='%s', type='%s', allow_overwrite='%s') failed because '%s'.\n",
        name.c_str(), FourCCToString(subgroup).c_str(), GetGroupName(group).c_str(),
        allow_overwrite ? "True" : "False", reason);
    return nullptr;
  }
  TagRecord* record = FindOrCreateRecord(group, header.subgroup);
  if (out_header) *out_header = header;
  return record;
}

TagRecord* Codex::CreateTagUnderFreeName(uint32_t group, uint32_t subgroup, const std::string& name,
                                         TagHeader* out_header) {
  constexpr int kMaxNumber = 100;
  std::string candidate = name;
  for (int n = 1; n <= kMaxNumber && LocalFileExists(group, candidate); ++n) {
    const std::string suffix = " " + std::to_string(n);
    candidate = name.substr(0, kTagNameSize - 1 - suffix.size()) + suffix;
  }
  return CreateTag(group, subgroup, candidate, out_header, false);
}

TagRecord* Codex::DuplicateTag(TagRecord* record, const std::string* name) {
  if (!record) return nullptr;
  TagHeader source;
  GetEffectiveHeader(record, &source);
  const std::string base = name ? *name : source.Name();

  TagHeader header;
  TagRecord* copy =
      CreateTag(source.group, kNoSubgroup, name ? *name : base + " copy", &header, false);
  for (int n = 1; !copy && n <= 100; ++n) {
    const std::string numbered =
        name ? base + " copy " + std::to_string(n) : base + " copy " + std::to_string(n);
    copy = CreateTag(source.group, kNoSubgroup, numbered, &header, false);
  }
  if (!copy) return nullptr;

  TagHeader read_header;
  FileStream* in = BeginTagRead(record, &read_header);
  PrepareLocalHeader(&header, copy->group, copy->subgroup);
  const std::string file_name = copy->local ? copy->local->file_name : header.Name();
  FileStream* out = BeginTagWrite(copy, &header, file_name);
  bool ok = false;
  if (out) {
    const bool copied =
        in && out->Seek(kTagHeaderSize) && CopyStreamBytes(*in, *out, read_header.size);
    ok = EndTagWrite(copy, &header, copied);
  }
  EndTagRead(record);
  if (!ok) {
    DropRecordIfUnused(copy);
    return nullptr;
  }
  return copy;
}

TagRecord* Codex::ChangeTagInfo(TagRecord* record, uint32_t new_subgroup,
                                const std::string* new_name) {
  if (!record) return nullptr;
  if (new_subgroup == kNoSubgroup && !new_name) return record;

  if (!record->local) {
    record = DuplicateTag(record, nullptr);
    PollLocalFolder(true);
    if (!record || !record->local) return nullptr;
  }
  TagHeader header = record->local->header;
  std::string path = LocalTagPath(record->group, record->local->file_name);

  if (new_name) {
    SanitizeTagName(&header, *new_name);
    const std::string new_path = LocalTagPath(record->group, header.Name());
    // Another local tag's file is never replaced by a rename.
    if (new_path != path &&
        (IsUnsafeFileName(header.Name()) || !RenameFileNoReplace(path, new_path))) {
      Log(0, kLog, "ChangeTagInfo: rename('%s','%s') failed.\n", path.c_str(), new_path.c_str());
      return nullptr;
    }
    record->local->file_name = header.Name();
    path = new_path;
  }

  {
    FileStream file;
    if (new_subgroup != kNoSubgroup) header.subgroup = new_subgroup;
    TagHeader on_disk = header;
    on_disk.signature = kSignatureVrn2;  // the header is written in the current layout
    if (!file.Open(path, FileStream::kReadWrite) || !file.Seek(0) ||
        WriteTagHeaders(&on_disk, file, 1) != kTagHeaderSize || !file.Close()) {
      Log(0, kLog, "ChangeTagInfo: header update failed on '%s'.\n", path.c_str());
      return nullptr;
    }
  }

  const uint32_t group = record->group;
  const uint32_t subgroup = new_subgroup != kNoSubgroup ? new_subgroup : record->subgroup;
  // The file now holds another identity. The old one gives up its copy here: after a rename the
  // poll sees the file under its new name only, and a removal under the old name no longer
  // matches the copy's file name, so nothing else would take the copy from the old identity.
  if (subgroup != record->subgroup) ReleaseLocalCopy(record);  // may free the record
  PollLocalFolder(true);
  TagRecord* result = FindTag(group, subgroup);
  if (!result) {
    Log(0, kLog, "ChangeTagInfo: FindTag('%s', '%s') failed '%s'.\n", FourCCToString(group).c_str(),
        FourCCToString(subgroup).c_str(), path.c_str());
  }
  return result;
}

bool Codex::CopyToLocal(TagRecord* record) {
  if (!record || record->local) return false;
  TagHeader source;
  FileStream* in = BeginTagRead(record, &source);
  if (!in) return false;
  TagHeader header = LocalCopyHeader(source, record->group, record->subgroup);
  FileStream* out = BeginTagWrite(record, &header, header.Name());
  bool ok = false;
  if (out) {
    const bool copied = out->Seek(kTagHeaderSize) && CopyStreamBytes(*in, *out, source.size);
    ok = EndTagWrite(record, nullptr, copied);
  }
  EndTagRead(record);
  return ok;
}

bool Codex::UnpackArchive(ArchiveRecord* archive, const std::string& folder_in) {
  if (!archive) return false;
  FileStream in;
  if (!in.Open(archive->path, FileStream::kRead)) return false;
  const uint64_t length = in.Length();
  const std::string folder = NormalizedFolderPath(folder_in);
  for (const auto& instance : archive->instances) {
    const TagHeader& source = instance->header;
    const uint32_t group = instance->record ? instance->record->group : source.group;
    const uint32_t subgroup = instance->record ? instance->record->subgroup : source.subgroup;
    TagHeader header = LocalCopyHeader(source, group, subgroup);
    // Names come from the archive: made safe as file names, they cannot leave the folder.
    SanitizeTagName(&header, source.Name());
    const std::string name = header.Name();
    const std::string group_folder = GroupFolderPath(folder, group);
    if (name.empty() || name == "." || uint64_t(source.offset) + source.size > length ||
        !MakeFolder(group_folder)) {
      Log(0, kLog, "UnpackArchive: skipped the tag '%s' of '%s'.\n", name.c_str(),
          archive->file_name.c_str());
      continue;
    }
    FileStream out;
    if (!out.Open(group_folder + "/" + name, FileStream::kCreate)) continue;
    const bool ok = WriteTagHeaders(&header, out, 1) == kTagHeaderSize && in.Seek(source.offset) &&
                    CopyStreamBytes(in, out, source.size);
    if (!out.Close() || !ok) {
      Log(0, kLog, "UnpackArchive: couldn't write '%s'.\n", name.c_str());
    }
  }
  return true;
}

}  // namespace brae
