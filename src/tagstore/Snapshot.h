#pragma once
// Snapshot files: the unsaved data of one editor, kept so that a crash loses nothing.
//
// A snapshot file starts exactly like the local tag file a save would write (the 64-byte
// header, then the data as the editor writes it), followed by a trailer that says what the
// snapshot is (little-endian, like the program's other own files):
//   "BRSN", version (u32, 1), group, subgroup, editor group, editor subgroup (u32 each),
//   time (i64, seconds since 1970), data size (u64), checksum of header and data (u64),
//   name, editor name, game folder (each a u16 length and its bytes),
//   trailer size (u32, counting everything from "BRSN" to here), "BRSN".
// The written tag and the editor's tag differ when an editor saves another tag than its own
// (the mesh editor saves the detail map it paints).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tagstore/TagHeader.h"

namespace brae {

class FileStream;

struct SnapshotInfo {
  uint32_t group = 0;  // the tag a save writes
  uint32_t subgroup = 0;
  std::string name;
  uint32_t editor_group = 0;  // the tag whose editor shows the data again
  uint32_t editor_subgroup = 0;
  std::string editor_name;
  std::string game_folder;  // absolute, ends in "/"
  int64_t time = 0;
  TagHeader header;  // as the save would write it, size included
};

// Writes the data at the stream's position (just after the header), as WriteTagData does; may
// update the header (its size and version, as a save would).
using SnapshotDataWriter = std::function<bool(FileStream& stream, TagHeader& header)>;

// Writes the whole snapshot to a temporary file beside path, syncs it and renames it over path,
// so an interrupted write leaves the previous snapshot as it was.
bool WriteSnapshotFile(const std::string& path, const SnapshotInfo& info,
                       const SnapshotDataWriter& write_data, std::string* error);
// Its two halves, for a caller that leaves the slow sync to another thread: the whole snapshot
// written to a new temporary file beside path (*temp_path names it), then that file synced and
// renamed over path (removed when either fails).
bool WriteSnapshotTemp(const std::string& path, const SnapshotInfo& info,
                       const SnapshotDataWriter& write_data, std::string* temp_path,
                       std::string* error);
bool CommitSnapshotFile(const std::string& temp_path, const std::string& path, std::string* error);

// Parses a whole snapshot file's bytes; the data is returned by its place in bytes.
struct ParsedSnapshot {
  SnapshotInfo info;
  size_t data_offset = 0;
  size_t data_size = 0;
};
bool ParseSnapshot(const std::vector<uint8_t>& bytes, ParsedSnapshot* out, std::string* error);

// Reads and parses a snapshot file, keeping its data.
struct Snapshot {
  SnapshotInfo info;
  std::vector<uint8_t> data;
};
bool ReadSnapshotFile(const std::string& path, Snapshot* out, std::string* error);

}  // namespace brae
