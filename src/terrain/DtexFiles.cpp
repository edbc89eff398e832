#include "terrain/DtexFiles.h"

#include <unistd.h>

#include <cstdlib>

#include "core/FileModes.h"
#include "media/FileTypes.h"
#include "media/MediaFile.h"
#include "tagstore/FileSystem.h"

namespace brae {

namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// The folder part of a path, with its trailing "/" ("" for a bare name).
std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates an empty scratch file beside path that keeps its extension (the writers choose the
// format by it), with the permissions of the file it replaces or a new file's. Empty on failure.
std::string MakeScratchFile(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.find_last_of('.');
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  std::string scratch = FolderPart(path) + ".brae-export-XXXXXX" + extension;
  const int fd = ::mkstemps(scratch.data(), int(extension.size()));
  if (fd < 0) return {};
  ::close(fd);
  if (!GiveReplacingFileMode(scratch, path)) {
    RemoveFile(scratch);
    return {};
  }
  return scratch;
}

}  // namespace

bool CheckDtexImport(PixelFormat format, int width, int height, std::string* error) {
  if (format != PixelFormat::kRgb) {
    return Fail(error, std::string("the image is not an RGB image (it is ") +
                           PixelFormatName(format) + ")");
  }
  if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)) return Fail(error, kDtexPowerOfTwoText);
  if (width > kDtexMaxImportSide || height > kDtexMaxImportSide) {
    return Fail(error, kDtexTooLargeText);
  }
  return true;
}

std::optional<DtexImage> DtexFromImage(const Image& image, std::string* error) {
  if (!CheckDtexImport(image.format, image.width, image.height, error)) return std::nullopt;
  if (image.pixels.size() != image.PixelBytes()) {
    Fail(error, "the image's pixels are incomplete");
    return std::nullopt;
  }
  DtexImage dtex;
  dtex.width = image.width;
  dtex.height = image.height;
  dtex.pixels = image.pixels;
  return dtex;
}

Image ImageFromDtex(const DtexImage& dtex) {
  Image image;
  image.format = PixelFormat::kRgb;
  image.width = dtex.width;
  image.height = dtex.height;
  image.pixels = dtex.pixels;
  return image;
}

std::optional<DtexImage> ReadDtexImageFile(const std::string& path, std::string* error) {
  MediaFile file(path, MediaGroup::kImage);
  if (!file.ReadHeader()) {
    Fail(error, file.Error());
    return std::nullopt;
  }
  if (!CheckDtexImport(file.image.format, file.image.width, file.image.height, error)) {
    return std::nullopt;
  }
  if (!file.ReadPixels()) {
    Fail(error, file.Error());
    return std::nullopt;
  }
  return DtexFromImage(file.image, error);
}

bool WriteDtexImageFile(const DtexImage& dtex, const std::string& path, std::string* error) {
  const MediaType type = MediaTypeFromPath(path);
  if (type != MediaType::kBmp && type != MediaType::kPng && type != MediaType::kTiff) {
    return Fail(error, "'" + path + "' does not end in .bmp, .png, .tif or .tiff");
  }
  if (dtex.width < 1 || dtex.height < 1 ||
      dtex.pixels.size() != size_t(dtex.width) * size_t(dtex.height) * 3) {
    return Fail(error, "the texture has no complete pixels");
  }
  MediaFile file(MakeScratchFile(path));
  if (file.path.empty()) return Fail(error, kDtexWriteFailedText);
  file.image = ImageFromDtex(dtex);
  if (!file.Write() || !RenameFile(file.path, path)) {
    RemoveFile(file.path);
    return Fail(error, kDtexWriteFailedText);
  }
  return true;
}

}  // namespace brae
