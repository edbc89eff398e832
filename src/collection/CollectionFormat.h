#pragma once
// Loading and saving the data of a collection tag ('.256').
//
// The loaders take the tag data (everything after the 64-byte tag header) and the tag header,
// whose user data field holds the authoritative collection flags and whose name names the
// collection. Every count, offset and size is checked against the data before anything is
// allocated or read; a bad collection fails with a reason, a bad bitmap block becomes the
// checkerboard placeholder.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collection/Collection.h"
#include "tagstore/TagHeader.h"

namespace brae {

class FileStream;

constexpr uint32_t kCollectionGroup = FourCC(".256");

struct CollectionLoadOptions {
  bool with_pixels = true;  // false: names and sizes of bitmaps only (structure editors)
  size_t max_bitmap_pixels = size_t(1) << 24;  // per bitmap; larger ones become placeholders
  size_t max_pixel_bytes = size_t(1) << 30;    // all bitmaps together, in the working form
  size_t max_cells = size_t(1) << 22;          // frame × view cells of all sequences together
};

struct CollectionResult {
  bool ok = false;
  std::string message;   // why it failed
  int placeholders = 0;  // bitmap blocks that could not be decoded
  explicit operator bool() const { return ok; }
};

CollectionResult LoadCollection(const uint8_t* data, size_t size, const TagHeader& header,
                                const CollectionLoadOptions& options, Collection* out);
// Reads header.size bytes of tag data from the stream's position (checked against the file).
CollectionResult ReadCollection(FileStream& stream, const TagHeader& header,
                                const CollectionLoadOptions& options, Collection* out);

// Builds the tag data of a collection. Fails for a collection loaded without pixels and for
// bitmaps whose sizes cannot be stored.
CollectionResult SaveCollection(const Collection& collection, std::vector<uint8_t>* data);
// Writes the tag data at the stream's position and prepares the tag header: group '.256',
// version 4, the collection flags as user data and the data size.
CollectionResult WriteCollection(FileStream& stream, const Collection& collection,
                                 TagHeader* header);
// The header fields that a save sets (group, version, user data, size).
void PrepareCollectionHeader(const Collection& collection, size_t data_size, TagHeader* header);

}  // namespace brae
