#include "mkdemo/DemoGame.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "tagstore/TagGroups.h"

namespace brae::demo {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& s, size_t field) {
  std::memcpy(b.data() + at, s.data(), std::min(s.size(), field - 1));
}

bool MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string part = path.substr(0, i);
      struct stat st;
      if (::stat(part.c_str(), &st) != 0 && ::mkdir(part.c_str(), 0777) != 0) return false;
    }
  }
  return true;
}

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && !MakeFolders(path.substr(0, slash))) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

std::string GroupFolder(uint32_t group) {
  return GroupFolderName(group);
}

std::vector<uint8_t> TagHeaderBytes(const DemoTag& tag, int16_t identifier, uint32_t offset,
                                    uint32_t size, bool local) {
  std::vector<uint8_t> b(64, 0);
  Put16(b, 0, uint16_t(identifier));
  b[2] = tag.flags;
  b[3] = 0;
  PutText(b, 4, tag.name, 32);
  Put32(b, 36, tag.group);
  Put32(b, 40, tag.subgroup);
  Put32(b, 44, offset);
  Put32(b, 48, size);
  Put32(b, 52, tag.user_data);
  Put16(b, 56, tag.version);
  b[58] = local ? 255 : 1;
  b[59] = local ? 255 : 2;
  Put32(b, 60, Code("vrn2"));
  return b;
}

std::vector<uint8_t> OldTagHeaderBytes(const DemoTag& tag, uint32_t offset) {
  std::vector<uint8_t> b(64, 0);
  PutText(b, 0, tag.name, 32);
  Put32(b, 32, tag.group);
  Put32(b, 36, tag.subgroup);
  Put32(b, 40, tag.version);
  Put16(b, 44, 7);  // dropped by readers
  Put16(b, 46, 9);
  Put32(b, 48, offset);
  Put32(b, 52, uint32_t(tag.data.size()));
  Put32(b, 56, 0x12345678);  // dropped by readers
  Put32(b, 60, Code("vorn"));
  return b;
}

std::vector<uint8_t> LooseTagBytes(const DemoTag& tag) {
  std::vector<uint8_t> b = TagHeaderBytes(tag, -1, 64, uint32_t(tag.data.size()), true);
  b.insert(b.end(), tag.data.begin(), tag.data.end());
  return b;
}

std::vector<uint8_t> ArchiveBytes(const DemoArchive& a) {
  std::vector<uint8_t> out;
  if (a.old_layout) {
    // Header, then the data, then the directory at the very end.
    out.assign(48, 0);
    Put16(out, 0, 1);
    Put16(out, 2, 1);
    PutText(out, 4, a.name, 32);
    std::vector<uint8_t> directory;
    for (const DemoTag& t : a.tags) {
      std::vector<uint8_t> h = OldTagHeaderBytes(t, uint32_t(out.size()));
      directory.insert(directory.end(), h.begin(), h.end());
      out.insert(out.end(), t.data.begin(), t.data.end());
    }
    Put32(out, 40, uint32_t(out.size()));
    Put16(out, 44, uint16_t(a.tags.size()));
    out.insert(out.end(), directory.begin(), directory.end());
    return out;
  }
  std::vector<const DemoTag*> meshes;
  for (const DemoTag& t : a.tags) {
    if (t.group == Code("mesh")) meshes.push_back(&t);
  }
  const uint32_t directory = 128 + 112 * uint32_t(meshes.size());
  out.assign(directory + 64 * a.tags.size(), 0);
  Put16(out, 0, a.kind);
  Put16(out, 2, a.kind == 1 ? 65535 : a.priority);
  PutText(out, 4, a.name, 32);
  PutText(out, 36, a.description, 64);
  Put16(out, 100, uint16_t(meshes.size()));
  Put16(out, 102, uint16_t(a.tags.size()));
  Put32(out, 120, directory);
  Put32(out, 124, Code("dng2"));
  for (size_t i = 0; i < meshes.size(); ++i) {
    size_t at = 128 + 112 * i;
    Put32(out, at, meshes[i]->subgroup);
    PutText(out, at + 16, meshes[i]->name, 32);
    PutText(out, at + 48, meshes[i]->name, 64);
  }
  for (size_t i = 0; i < a.tags.size(); ++i) {
    const DemoTag& t = a.tags[i];
    std::vector<uint8_t> h =
        TagHeaderBytes(t, int16_t(i + 1), uint32_t(out.size()), uint32_t(t.data.size()), false);
    std::memcpy(out.data() + directory + 64 * i, h.data(), 64);
    out.insert(out.end(), t.data.begin(), t.data.end());
  }
  Put32(out, 112, uint32_t(out.size()));
  return out;
}

DemoArchive& DemoGame::Archive(const std::string& folder, const std::string& file_name,
                               uint16_t kind, uint16_t priority, bool old_layout) {
  for (DemoArchive& a : archives_) {
    if (a.folder == folder && a.file_name == file_name) return a;
  }
  DemoArchive a;
  a.folder = folder;
  a.file_name = file_name;
  a.kind = kind;
  a.priority = priority;
  a.name = file_name;
  a.old_layout = old_layout;
  archives_.push_back(a);
  return archives_.back();
}

void DemoGame::AddLocal(const DemoTag& tag, const std::string& file_name) {
  local_.emplace_back(tag, file_name.empty() ? tag.name : file_name);
}

void DemoGame::AddFile(const std::string& relative_path, const std::vector<uint8_t>& bytes) {
  files_[relative_path] = bytes;
}

bool DemoGame::Write(const std::string& root_in) const {
  std::string root = root_in;
  if (root.empty() || root.back() != '/') root += '/';
  bool ok =
      MakeFolders(root + "tags") && MakeFolders(root + "plugins") && MakeFolders(root + "local");
  for (const DemoArchive& a : archives_) {
    ok = WriteWhole(root + a.folder + "/" + a.file_name, ArchiveBytes(a)) && ok;
  }
  for (const auto& [tag, file] : local_) {
    ok =
        WriteWhole(root + "local/" + GroupFolder(tag.group) + "/" + file, LooseTagBytes(tag)) && ok;
  }
  for (const auto& [path, bytes] : files_) ok = WriteWhole(root + path, bytes) && ok;
  return ok;
}

DemoGame MakeDemoGame() {
  DemoGame game;
  AddTagstoreDemo(game);
  AddTerrainDemo(game);
  AddMediaDemo(game);
  AddCollectionsDemo(game);
  AddStructsDemo(game);
  AddEditingDemo(game);
  return game;
}

}  // namespace brae::demo
