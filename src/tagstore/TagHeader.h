#pragma once
// The 64-byte tag header, its two on-disk layouts and the rules for names and tagids.

#include <cstdint>
#include <string>

#include "tagstore/FieldLayout.h"
#include "tagstore/FourCC.h"

namespace brae {

class FileStream;
struct TagGroup;

constexpr uint32_t kSignatureVrn2 = FourCC("vrn2");
constexpr uint32_t kSignatureVorn = FourCC("vorn");
constexpr size_t kTagHeaderSize = 64;
constexpr size_t kTagNameSize = 32;

// Host order in memory; big-endian in files.
struct TagHeader {
  int16_t identifier = 0;
  uint8_t flags = 0;
  uint8_t type = 0;
  char name[kTagNameSize] = {};
  uint32_t group = 0;
  uint32_t subgroup = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t user_data = 0;
  uint16_t version = 0;
  uint8_t foundation_index = 0;
  uint8_t owner_index = 0;
  uint32_t signature = 0;

  std::string Name() const;               // up to the first NUL
  void SetName(const std::string& text);  // raw copy, at most 31 characters, zero-filled
};
static_assert(sizeof(TagHeader) == kTagHeaderSize, "the tag header is 64 bytes");

// The older 'vorn' layout, only ever read.
struct OldTagHeader {
  char name[32];
  uint32_t group;
  uint32_t subgroup;
  uint32_t version;
  uint16_t unused_a;
  uint16_t unused_b;
  uint32_t offset;
  uint32_t size;
  uint32_t unused_c;
  uint32_t signature;
};
static_assert(sizeof(OldTagHeader) == kTagHeaderSize, "the old tag header is 64 bytes");

const FieldLayout& TagHeaderLayout();
const FieldLayout& OldTagHeaderLayout();

// Maps a converted 'vorn' header onto the current layout (keeps the 'vorn' signature).
TagHeader ConvertOldTagHeader(const OldTagHeader& old);
// Parses one 64-byte header from file bytes in either layout; false for an unknown signature.
bool ParseTagHeader(const uint8_t* bytes, TagHeader* out);
void SerializeTagHeader(const TagHeader& header, uint8_t* bytes);

// Reads count headers; the signature of the first as stored decides the layout. 64 × count or 0.
size_t ReadTagHeaders(TagHeader* headers, FileStream& stream, size_t count);
size_t WriteTagHeaders(const TagHeader* headers, FileStream& stream, size_t count);
bool IsValidTagHeader(const TagHeader& header);
// Converts one header in place (current layout) and checks signature and size field.
bool ValidateTagHeaderBytes(TagHeader* header, uint64_t file_length);

// Reads the header of a loose tag file. A name holding "ovo made this" is replaced by the
// file name; the size becomes the file length minus 64; with an expected group, a header of
// another group is refused (logged).
bool ReadLocalTagHeader(TagHeader* header, FileStream& stream, const std::string& file_name,
                        const TagGroup* expected_group);

// Puts a name into the header's name field in a form that is safe as a file name.
void SanitizeTagName(TagHeader* header, const std::string& name);

// Whether a tag of a group with an effective copy already uses a tagid. The Codex answers.
class TagidRegistry {
 public:
  virtual ~TagidRegistry() = default;
  virtual bool IsTagidTaken(uint32_t group, uint32_t subgroup) const = 0;
};

// The four characters derived from the name (before checking for collisions).
uint32_t TagidFromName(const char (&name)[kTagNameSize]);
// Gives the header a tagid derived from its name that no tag of its group uses yet.
void MakeTagidFromName(TagHeader* header, const TagidRegistry* registry);

// A header prepared for a loose file in the local folder.
void PrepareLocalHeader(TagHeader* header, uint32_t group, uint32_t subgroup);

}  // namespace brae
