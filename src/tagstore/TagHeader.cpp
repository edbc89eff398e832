#include "tagstore/TagHeader.h"

#include <cstring>

#include "core/MessageLog.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagGroups.h"

namespace brae {

std::string TagHeader::Name() const {
  return std::string(name, strnlen(name, kTagNameSize));
}

void TagHeader::SetName(const std::string& text) {
  std::memset(name, 0, kTagNameSize);
  std::memcpy(name, text.data(), std::min(text.size(), kTagNameSize - 1));
}

const FieldLayout& TagHeaderLayout() {
  static const FieldLayout layout{64, 1, 1, 2, 0, 31, 0, 1, 4, 5, 2, 1, 1, 2, 0, 1, 2};
  return layout;
}

const FieldLayout& OldTagHeaderLayout() {
  static const FieldLayout layout{64, 31, 0, 1, 4, 3, 2, 2, 1, 4, 2};
  return layout;
}

TagHeader ConvertOldTagHeader(const OldTagHeader& old) {
  TagHeader h;
  std::memcpy(h.name, old.name, kTagNameSize);
  h.name[kTagNameSize - 1] = 0;
  h.group = old.group;
  h.subgroup = old.subgroup;
  h.version = static_cast<uint16_t>(old.version & 0xFFFF);
  h.offset = old.offset;
  h.size = old.size;
  h.signature = kSignatureVorn;
  return h;
}

bool ParseTagHeader(const uint8_t* bytes, TagHeader* out) {
  const uint32_t signature = (uint32_t(bytes[60]) << 24) | (uint32_t(bytes[61]) << 16) |
                             (uint32_t(bytes[62]) << 8) | bytes[63];
  if (signature == kSignatureVrn2) {
    ConvertFromFile(bytes, out, 1, TagHeaderLayout());
    return true;
  }
  if (signature == kSignatureVorn) {
    OldTagHeader old;
    ConvertFromFile(bytes, &old, 1, OldTagHeaderLayout());
    *out = ConvertOldTagHeader(old);
    return true;
  }
  return false;
}

void SerializeTagHeader(const TagHeader& header, uint8_t* bytes) {
  ConvertToFile(&header, bytes, 1, TagHeaderLayout());
}

size_t ReadTagHeaders(TagHeader* headers, FileStream& stream, size_t count) {
  if (count == 0) return 0;
  std::vector<uint8_t> bytes(kTagHeaderSize * count);
  if (!stream.Read(bytes.data(), bytes.size())) return 0;
  const uint8_t* first_signature = bytes.data() + 60;
  const uint32_t signature = (uint32_t(first_signature[0]) << 24) |
                             (uint32_t(first_signature[1]) << 16) |
                             (uint32_t(first_signature[2]) << 8) | first_signature[3];
  if (signature == kSignatureVrn2) {
    ConvertFromFile(bytes.data(), headers, count, TagHeaderLayout());
  } else if (signature == kSignatureVorn) {
    for (size_t i = 0; i < count; ++i) {
      OldTagHeader old;
      ConvertFromFile(bytes.data() + i * kTagHeaderSize, &old, 1, OldTagHeaderLayout());
      headers[i] = ConvertOldTagHeader(old);
    }
  } else {
    return 0;
  }
  return bytes.size();
}

size_t WriteTagHeaders(const TagHeader* headers, FileStream& stream, size_t count) {
  return WriteRecords(headers, count, TagHeaderLayout(), stream);
}

bool IsValidTagHeader(const TagHeader& header) {
  return header.signature == kSignatureVorn || header.signature == kSignatureVrn2;
}

bool ValidateTagHeaderBytes(TagHeader* header, uint64_t file_length) {
  ConvertRecords(header, 1, TagHeaderLayout());
  return IsValidTagHeader(*header) && file_length >= kTagHeaderSize &&
         uint64_t(header->size) == file_length - kTagHeaderSize;
}

bool ReadLocalTagHeader(TagHeader* header, FileStream& stream, const std::string& file_name,
                        const TagGroup* expected_group) {
  const uint64_t length = stream.Length();
  if (length < kTagHeaderSize || length - kTagHeaderSize > 0xFFFFFFFFu) return false;
  if (ReadTagHeaders(header, stream, 1) == 0 || !IsValidTagHeader(*header)) return false;
  if (std::strstr(std::string(header->name, kTagNameSize).c_str(), "ovo made this")) {
    std::memset(header->name, 0, kTagNameSize);
    std::memcpy(header->name, file_name.data(), std::min(file_name.size(), kTagNameSize));
    header->name[kTagNameSize - 1] = 0;
  }
  header->size = static_cast<uint32_t>(length - kTagHeaderSize);
  if (expected_group && header->group != expected_group->code) {
    const TagGroup* found = FindTagGroup(header->group);
    if (!found) return false;
    Log(0, "Codex", "'%s', a '%s' file, was found in the '%s' folder.\n", file_name.c_str(),
        found->plural, expected_group->plural);
    return false;
  }
  return true;
}

void SanitizeTagName(TagHeader* header, const std::string& name) {
  char field[kTagNameSize] = {};
  const size_t length = std::min(strnlen(name.c_str(), name.size()), kTagNameSize - 1);
  std::memcpy(field, name.data(), length);
  for (size_t i = 0; i < length; ++i) {
    switch (field[i]) {
      case '\\':
      case '/':
      case '|':
      case '"':
      case '<':
      case '>':
      case '*':
      case '?':
      case ':':
        field[i] = '_';
        break;
      default:
        break;
    }
  }
  size_t end = length;
  while (end > 1 && (field[end - 1] == '.' || field[end - 1] == ' ')) field[--end] = 0;
  std::memcpy(header->name, field, kTagNameSize);
}

uint32_t TagidFromName(const char (&name)[kTagNameSize]) {
  char copy[kTagNameSize + 1] = {};
  std::memcpy(copy, name, kTagNameSize);
  char id[4] = {' ', ' ', ' ', ' '};
  size_t p = 0;
  const char* separators = " \t\n()[]{}?!:;-";
  size_t i = 0;
  const size_t length = std::strlen(copy);
  while (i < length && p < 4) {
    while (i < length && std::strchr(separators, copy[i])) ++i;
    size_t start = i;
    while (i < length && !std::strchr(separators, copy[i])) ++i;
    size_t word = i - start;
    if (word == 0) break;
    size_t n = std::min(word, 4 - p);
    std::memcpy(id + p, copy + start, n);
    p = std::max<size_t>(p + 1, 2);
  }
  return MakeFourCC(id[0], id[1], id[2], id[3]);
}

void MakeTagidFromName(TagHeader* header, const TagidRegistry* registry) {
  uint32_t id = TagidFromName(header->name);
  // Every id but one is a candidate, so the walk always ends; it is bounded all the same.
  for (uint64_t tries = 0; registry && tries < 0xFFFFFFFFull; ++tries) {
    if (id == kNoSubgroup || !registry->IsTagidTaken(header->group, id)) break;
    ++id;
  }
  header->subgroup = id;
}

void PrepareLocalHeader(TagHeader* header, uint32_t group, uint32_t subgroup) {
  header->identifier = -1;
  header->type = 0;
  header->group = group;
  header->subgroup = subgroup;
  header->offset = kTagHeaderSize;
  header->size = 0;
  header->foundation_index = 255;
  header->owner_index = 255;
  header->signature = kSignatureVrn2;
}

}  // namespace brae
