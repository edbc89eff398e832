#include "media/MediaFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/BmpFormat.h"
#include "media/PixelConvert.h"
#include "media/PngFormat.h"
#include "media/TiffFormat.h"
#include "tagstore/Archive.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagHeader.h"

namespace brae {

namespace {

constexpr size_t kProbeBytes = 128;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FileStream stream;
  if (!stream.Open(path, FileStream::kRead)) return false;
  const uint64_t length = stream.Length();
  if (length > 0xFFFFFFFFu) return false;
  bytes->resize(size_t(length));
  return bytes->empty() || stream.Read(bytes->data(), bytes->size());
}

}  // namespace

bool DetectMediaKind(const uint8_t* b, size_t available, uint64_t file_length, MediaGroup* group,
                     MediaType* type) {
  *group = MediaGroup::kAny;
  *type = MediaType::kUnknown;
  if (available >= 2 && ((b[0] == 'M' && b[1] == 'M') || (b[0] == 'I' && b[1] == 'I'))) {
    *group = MediaGroup::kImage, *type = MediaType::kTiff;
  } else if (available >= 4 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
    *group = MediaGroup::kImage, *type = MediaType::kPng;
  } else if (available >= 2 && b[0] == 0x42 && b[1] == 0x4D) {
    *group = MediaGroup::kImage, *type = MediaType::kBmp;
  } else if (available >= 12 && std::memcmp(b + 8, "LWO2", 4) == 0) {
    *group = MediaGroup::kModel, *type = MediaType::kLwo;
  } else if (available >= 12 && std::memcmp(b + 8, "WAVE", 4) == 0) {
    *group = MediaGroup::kSound, *type = MediaType::kWav;
  } else {
    TagHeader tag;
    if (available >= kTagHeaderSize) {
      std::memcpy(&tag, b, kTagHeaderSize);
      if (ValidateTagHeaderBytes(&tag, file_length)) {
        *group = MediaGroup::kTagFile;
        return true;
      }
    }
    ArchiveHeader archive;
    if (!ProbeArchiveHeader(b, available, file_length, &archive)) return false;
    *group = MediaGroup::kArchive;
  }
  return true;
}

bool MediaFile::Failed(Failure failure, const std::string& reason) {
  failure_ = failure;
  reason_ = reason;
  error_ = "'" + path + "': " + reason;
  return false;
}

bool MediaFile::Detect(const uint8_t* bytes, size_t available, MediaGroup* found_group,
                       MediaType* found_type) const {
  return DetectMediaKind(bytes, available, size, found_group, found_type);
}

bool MediaFile::ReadHeader() {
  if (header_read) return true;
  FileStream stream;
  if (!stream.Open(path, FileStream::kRead)) {
    return Failed(Failure::kFileAccess, "cannot open the file");
  }
  size = stream.Length();
  uint8_t bytes[kProbeBytes] = {};
  const size_t available = size_t(std::min<uint64_t>(size, kProbeBytes));
  if (!stream.Read(bytes, available)) return Failed(Failure::kFileAccess, "cannot read the file");
  stream.Close();

  MediaGroup found_group;
  MediaType found_type;
  if (!Detect(bytes, available, &found_group, &found_type)) {
    return Failed(Failure::kUnknownKind, "not a file of any known kind");
  }
  if (group != MediaGroup::kAny && group != found_group) {
    return Failed(Failure::kWrongKind, "not of the expected kind");
  }
  if (group == MediaGroup::kImage && type != MediaType::kUnknown && type != found_type) {
    return Failed(Failure::kWrongKind, "not of the expected image type");
  }
  group = found_group;
  type = found_type;
  if (group == MediaGroup::kImage && !ReadImage(true)) return false;
  header_read = true;
  return true;
}

bool MediaFile::ReadImage(bool header_only) {
  std::string reason;
  Image read;
  bool ok = false;
  switch (type) {
    case MediaType::kBmp: {
      std::vector<uint8_t> bytes;
      if (!ReadWholeFile(path, &bytes)) return Failed(Failure::kFileAccess, "cannot read the file");
      ok = ReadBmp(bytes.data(), bytes.size(), &read, header_only, &reason);
      break;
    }
    case MediaType::kPng:
      ok = ReadPng(path, &read, header_only, &reason);
      break;
    case MediaType::kTiff:
      ok = ReadTiff(path, &read, header_only, &reason);
      break;
    default:
      return Failed(Failure::kWrongKind, "not an image");
  }
  if (!ok) return Failed(Failure::kInvalid, reason);
  image = std::move(read);
  return true;
}

bool MediaFile::ReadPixels() {
  if (pixels_read) return true;
  if (!ReadHeader()) return false;
  if (group != MediaGroup::kImage) return Failed(Failure::kWrongKind, "not an image");
  if (!ReadImage(false)) return false;
  pixels_read = true;
  return true;
}

bool MediaFile::Write() {
  const MediaType target = MediaTypeFromPath(path);
  std::string reason;
  bool ok = false;
  switch (target) {
    case MediaType::kBmp: {
      std::vector<uint8_t> bytes;
      if (!EncodeBmp(image, &bytes)) return Failed(Failure::kInvalid, "BMP cannot hold this image");
      FileStream stream;
      if (!stream.Open(path, FileStream::kCreate)) {
        return Failed(Failure::kFileAccess, "cannot create the file");
      }
      ok = stream.Write(bytes.data(), bytes.size());
      ok = stream.Close() && ok;
      if (!ok) reason = "cannot write the file";
      break;
    }
    case MediaType::kPng:
      ok = WritePng(path, image, &reason);
      break;
    case MediaType::kTiff:
      ok = WriteTiff(path, image, &reason);
      break;
    default:
      return Failed(Failure::kWrongKind, "no image extension");
  }
  if (!ok) return Failed(Failure::kInvalid, reason);
  group = MediaGroup::kImage;
  type = target;
  return true;
}

bool MediaFile::ConvertPixelFormat(PixelFormat target, int max_colors) {
  if (!brae::ConvertPixelFormat(&image, target, max_colors)) {
    return Failed(Failure::kInvalid, "the pixels cannot be converted");
  }
  return true;
}

}  // namespace brae
