#include "media/ImageConversion.h"

#include <vector>

#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "tagstore/FileSystem.h"

namespace brae {

std::string ReplaceExtension(const std::string& path, const std::string& suffix,
                             const std::string& extension) {
  const size_t slash = path.find_last_of("/\\");
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  const std::string stem =
      dot != std::string::npos && dot > name_start ? path.substr(0, dot) : path;
  return stem + suffix + extension;
}

namespace {

enum class Outcome { kConverted, kSkipped, kFailed };

const char* TypeName(MediaType type) {
  switch (type) {
    case MediaType::kBmp:
      return "BMP";
    case MediaType::kPng:
      return "PNG";
    case MediaType::kTiff:
      return "TIFF";
    default:
      return "?";
  }
}

Outcome ConvertOne(const std::string& path, MediaType target, ConversionMode mode,
                   std::string* reason) {
  MediaFile file(path);
  const bool header = file.ReadHeader();
  // Files of no known kind, or of a known kind other than images, are not images. Anything
  // else that fails here is an image (or an unreadable file) that cannot be converted.
  if ((!header && file.LastFailure() == MediaFile::Failure::kUnknownKind) ||
      (header && file.group != MediaGroup::kImage)) {
    *reason = "not an image";
    return Outcome::kSkipped;
  }
  if (!header) {
    *reason = file.Reason();
    return Outcome::kFailed;
  }
  const bool alpha_only = mode == ConversionMode::kAlphaOnly;
  const bool grey = file.image.format == PixelFormat::kGrey;
  if (file.type == target && !(alpha_only && !grey)) {
    *reason = std::string("already a ") + TypeName(target) + " file";
    return Outcome::kSkipped;
  }
  if (alpha_only && !HasAlphaChannel(file.image.format)) {
    *reason = "no alpha channel";
    return Outcome::kSkipped;
  }
  if (!file.ReadPixels()) {
    *reason = file.Reason();
    return Outcome::kFailed;
  }
  std::string suffix;
  if (alpha_only) {
    if (!ExtractAlphaChannel(&file.image)) {
      *reason = "the alpha channel cannot be extracted";
      return Outcome::kFailed;
    }
    suffix = ".alpha";
  }
  file.path = ReplaceExtension(path, suffix, MediaTypeInfoOf(target).extension);
  if (!file.Write()) {
    *reason = "cannot write '" + file.path + "': " + file.Reason();
    return Outcome::kFailed;
  }
  return Outcome::kConverted;
}

}  // namespace

ConversionResult ConvertImagesInFolder(const std::string& folder, MediaType target,
                                       ConversionMode mode, const ConversionProgress& progress) {
  ConversionResult result;
  if (MediaTypeInfoOf(target).group != MediaGroup::kImage) return result;
  std::vector<std::string> paths;
  ScanFolder(
      folder, true,
      [&](const FileInfoRecord&, const std::string& dir, const std::string& name) {
        paths.push_back(dir + name);
        return true;
      },
      [](const FileInfoRecord&, const std::string&, const std::string&) { return true; });
  for (const std::string& path : paths) {
    if (progress) progress(path);
    std::string reason;
    switch (ConvertOne(path, target, mode, &reason)) {
      case Outcome::kConverted:
        ++result.converted;
        break;
      case Outcome::kSkipped:
        result.skipped.push_back({path, reason});
        break;
      case Outcome::kFailed:
        result.failed.push_back({path, reason});
        break;
    }
  }
  return result;
}

}  // namespace brae
