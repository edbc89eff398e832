// Snapshot files: writing (temporary file, sync, rename) and reading with full checks.
//
// Index
//   trailer bytes ........ Put*, TrailerReader
//   checksum ............. Fnv1a
//   writing .............. WriteSnapshotTemp, CommitSnapshotFile, WriteSnapshotFile
//   reading .............. ParseSnapshot, ReadSnapshotFile

#include "tagstore/Snapshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tagstore/FileStream.h"
#include "tagstore/FileSystem.h"

namespace brae {

namespace {

constexpr char kMagic[4] = {'B', 'R', 'S', 'N'};
constexpr uint32_t kVersion = 1;
// Magic, version, four codes, time, data size, checksum, three empty strings, trailer size.
constexpr size_t kSmallestTrailer = 4 + 4 + 16 + 8 + 8 + 8 + 6 + 4;

// ---- trailer bytes --------------------------------------------------------------------------

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(v >> (8 * i)));
}
void PutU64(std::vector<uint8_t>* out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out->push_back(uint8_t(v >> (8 * i)));
}
bool PutText(std::vector<uint8_t>* out, const std::string& text) {
  if (text.size() > 0xFFFF) return false;
  out->push_back(uint8_t(text.size()));
  out->push_back(uint8_t(text.size() >> 8));
  out->insert(out->end(), text.begin(), text.end());
  return true;
}

// Reads the trailer's fields in order; every read checks the bounds.
class TrailerReader {
 public:
  TrailerReader(const uint8_t* at, size_t size) : at_(at), left_(size) {}
  bool U32(uint32_t* v) {
    uint64_t wide = 0;
    if (!Little(4, &wide)) return false;
    *v = uint32_t(wide);
    return true;
  }
  bool U64(uint64_t* v) { return Little(8, v); }
  bool Text(std::string* text) {
    uint64_t length = 0;
    if (!Little(2, &length) || length > left_) return false;
    text->assign(reinterpret_cast<const char*>(at_), size_t(length));
    Skip(size_t(length));
    return true;
  }
  bool Magic() {
    if (left_ < 4 || std::memcmp(at_, kMagic, 4) != 0) return false;
    Skip(4);
    return true;
  }
  size_t Left() const { return left_; }

 private:
  bool Little(size_t bytes, uint64_t* v) {
    if (left_ < bytes) return false;
    *v = 0;
    for (size_t i = 0; i < bytes; ++i) *v |= uint64_t(at_[i]) << (8 * i);
    Skip(bytes);
    return true;
  }
  void Skip(size_t bytes) {
    at_ += bytes;
    left_ -= bytes;
  }
  const uint8_t* at_;
  size_t left_;
};

// ---- checksum -------------------------------------------------------------------------------

constexpr uint64_t kFnvStart = 0xcbf29ce484222325ull;

uint64_t Fnv1a(const uint8_t* bytes, size_t size, uint64_t hash) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

// The checksum of the first size bytes of the stream.
bool StreamChecksum(FileStream& stream, uint64_t size, uint64_t* hash) {
  if (!stream.Seek(0)) return false;
  std::vector<uint8_t> block(1 << 16);
  *hash = kFnvStart;
  while (size > 0) {
    const size_t n = size_t(std::min<uint64_t>(size, block.size()));
    if (!stream.Read(block.data(), n)) return false;
    *hash = Fnv1a(block.data(), n, *hash);
    size -= n;
  }
  return true;
}

std::vector<uint8_t> Trailer(const SnapshotInfo& info, uint64_t data_size, uint64_t checksum) {
  std::vector<uint8_t> t(kMagic, kMagic + 4);
  PutU32(&t, kVersion);
  PutU32(&t, info.group);
  PutU32(&t, info.subgroup);
  PutU32(&t, info.editor_group);
  PutU32(&t, info.editor_subgroup);
  PutU64(&t, uint64_t(info.time));
  PutU64(&t, data_size);
  PutU64(&t, checksum);
  if (!PutText(&t, info.name) || !PutText(&t, info.editor_name) || !PutText(&t, info.game_folder))
    return {};
  PutU32(&t, uint32_t(t.size() + 4));
  t.insert(t.end(), kMagic, kMagic + 4);
  return t;
}

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

}  // namespace

// ---- writing --------------------------------------------------------------------------------

bool WriteSnapshotTemp(const std::string& path, const SnapshotInfo& info,
                       const SnapshotDataWriter& write_data, std::string* temp_path,
                       std::string* error) {
  std::string temp = path + ".part-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Fail(error, "cannot create a temporary file");
  ::close(fd);
  FileStream stream;
  // The header as the save's write bracket prepares it.
  TagHeader header = info.header;
  PrepareLocalHeader(&header, info.group, info.subgroup);
  uint8_t header_bytes[kTagHeaderSize] = {};
  bool ok = stream.Open(temp, FileStream::kReadWrite) &&
            stream.Write(header_bytes, sizeof header_bytes) && write_data(stream, header);
  const uint64_t length = ok ? stream.Length() : 0;
  ok = ok && length >= kTagHeaderSize && length - kTagHeaderSize <= 0xFFFFFFFFu;
  uint64_t checksum = 0;
  if (ok) {
    header.size = uint32_t(length - kTagHeaderSize);
    SerializeTagHeader(header, header_bytes);
    ok = stream.Seek(0) && stream.Write(header_bytes, sizeof header_bytes) &&
         StreamChecksum(stream, length, &checksum);
  }
  SnapshotInfo written = info;
  written.header = header;
  const std::vector<uint8_t> trailer = Trailer(written, length - kTagHeaderSize, checksum);
  ok =
      ok && !trailer.empty() && stream.Seek(length) && stream.Write(trailer.data(), trailer.size());
  ok = stream.Close() && ok;
  if (ok) {
    *temp_path = temp;
    return true;
  }
  RemoveFile(temp);
  return Fail(error, "cannot write the snapshot");
}

bool CommitSnapshotFile(const std::string& temp_path, const std::string& path, std::string* error) {
  const int fd = ::open(temp_path.c_str(), O_RDONLY);
  bool ok = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  if (ok && RenameFile(temp_path, path)) return true;
  RemoveFile(temp_path);
  return Fail(error, "cannot write the snapshot");
}

bool WriteSnapshotFile(const std::string& path, const SnapshotInfo& info,
                       const SnapshotDataWriter& write_data, std::string* error) {
  std::string temp;
  return WriteSnapshotTemp(path, info, write_data, &temp, error) &&
         CommitSnapshotFile(temp, path, error);
}

// ---- reading --------------------------------------------------------------------------------

bool ParseSnapshot(const std::vector<uint8_t>& bytes, ParsedSnapshot* out, std::string* error) {
  const size_t n = bytes.size();
  if (n < kTagHeaderSize + kSmallestTrailer + 4 ||
      std::memcmp(bytes.data() + n - 4, kMagic, 4) != 0)
    return Fail(error, "not a snapshot");
  const uint8_t* size_at = bytes.data() + n - 8;
  const uint32_t trailer_size = uint32_t(size_at[0]) | uint32_t(size_at[1]) << 8 |
                                uint32_t(size_at[2]) << 16 | uint32_t(size_at[3]) << 24;
  if (trailer_size < kSmallestTrailer || trailer_size > n - 4 - kTagHeaderSize)
    return Fail(error, "damaged snapshot trailer");
  const size_t trailer_start = n - 4 - trailer_size;
  TrailerReader r(bytes.data() + trailer_start, trailer_size - 4);
  SnapshotInfo& info = out->info;
  uint32_t version = 0;
  uint64_t time = 0, data_size = 0, checksum = 0;
  if (!r.Magic() || !r.U32(&version) || version != kVersion || !r.U32(&info.group) ||
      !r.U32(&info.subgroup) || !r.U32(&info.editor_group) || !r.U32(&info.editor_subgroup) ||
      !r.U64(&time) || !r.U64(&data_size) || !r.U64(&checksum) || !r.Text(&info.name) ||
      !r.Text(&info.editor_name) || !r.Text(&info.game_folder) || r.Left() != 0)
    return Fail(error, "damaged snapshot trailer");
  info.time = int64_t(time);
  if (data_size != trailer_start - kTagHeaderSize)
    return Fail(error, "snapshot data of the wrong size");
  if (Fnv1a(bytes.data(), trailer_start, kFnvStart) != checksum)
    return Fail(error, "snapshot checksum mismatch");
  if (!ParseTagHeader(bytes.data(), &info.header) || info.header.size != data_size ||
      info.header.group != info.group || info.header.subgroup != info.subgroup)
    return Fail(error, "damaged snapshot header");
  out->data_offset = kTagHeaderSize;
  out->data_size = size_t(data_size);
  return true;
}

bool ReadSnapshotFile(const std::string& path, Snapshot* out, std::string* error) {
  FileStream stream;
  if (!stream.Open(path, FileStream::kRead)) return Fail(error, "cannot open the snapshot");
  std::vector<uint8_t> bytes(size_t(stream.Length()));
  if (!stream.Read(bytes.data(), bytes.size())) return Fail(error, "cannot read the snapshot");
  ParsedSnapshot parsed;
  if (!ParseSnapshot(bytes, &parsed, error)) return false;
  out->info = parsed.info;
  out->data.assign(bytes.begin() + long(parsed.data_offset),
                   bytes.begin() + long(parsed.data_offset + parsed.data_size));
  return true;
}

}  // namespace brae
