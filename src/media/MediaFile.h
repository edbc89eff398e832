#pragma once
// A file on disk that may hold a picture (or another kind of media): what it is, its header
// and its pixels, each read on demand, and writing in the format the path's extension names.

#include <cstdint>
#include <string>

#include "media/FileTypes.h"
#include "media/Image.h"

namespace brae {

class MediaFile {
 public:
  MediaFile() = default;
  // group and type are what the caller accepts: kAny takes any file; an image group with a
  // fixed type accepts only that type.
  explicit MediaFile(std::string path, MediaGroup group = MediaGroup::kAny,
                     MediaType type = MediaType::kUnknown)
      : path(std::move(path)), group(group), type(type) {}

  // Detects the file's group and type; for images also reads the size, format and palette.
  // False when the file cannot be read or is not of the accepted group or type.
  bool ReadHeader();
  // Reads the header when needed, then the pixels of an image.
  bool ReadPixels();
  // Writes the pixels as BMP, PNG or TIFF after the path's extension.
  bool Write();
  // Converts the pixels in place (see ConvertPixelFormat in PixelConvert.h); max_colors bounds
  // the palette of a conversion to colour-indexed.
  bool ConvertPixelFormat(PixelFormat target, int max_colors = kMaxPaletteSize);

  // What kind of failure the last operation met.
  enum class Failure {
    kNone,
    kFileAccess,   // the file cannot be opened, read or created
    kUnknownKind,  // the bytes are of no kind the program knows
    kWrongKind,    // of a known kind, but not of the accepted group or type
    kInvalid,      // of the right kind, but the reader or writer refused it
  };

  // Why the last operation failed: the path and the reason.
  const std::string& Error() const { return error_; }
  // The reason alone.
  const std::string& Reason() const { return reason_; }
  Failure LastFailure() const { return failure_; }

  std::string path;
  MediaGroup group = MediaGroup::kAny;
  MediaType type = MediaType::kUnknown;
  uint64_t size = 0;  // file size in bytes
  Image image;
  bool header_read = false;
  bool pixels_read = false;

 private:
  bool Detect(const uint8_t* bytes, size_t available, MediaGroup* group, MediaType* type) const;
  bool ReadImage(bool header_only);
  bool Failed(Failure failure, const std::string& reason);

  std::string error_;
  std::string reason_;
  Failure failure_ = Failure::kNone;
};

// Detection by the first bytes of a file (at most 128 of them): the group and type of the data.
// False when none of the known kinds matches.
bool DetectMediaKind(const uint8_t* bytes, size_t available, uint64_t file_length,
                     MediaGroup* group, MediaType* type);

}  // namespace brae
