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

bool ConvertOne(const std::string& path, MediaType target, ConversionMode mode) {
  MediaFile file(path, MediaGroup::kImage);
  if (!file.ReadHeader()) return false;  // not an image
  const bool alpha_only = mode == ConversionMode::kAlphaOnly;
  const bool grey = file.image.format == PixelFormat::kGrey;
  if (file.type == target && !(alpha_only && !grey)) return false;
  if (!file.ReadPixels()) return false;
  std::string suffix;
  if (alpha_only) {
    if (!ExtractAlphaChannel(&file.image)) return false;
    suffix = ".alpha";
  }
  file.path = ReplaceExtension(path, suffix, MediaTypeInfoOf(target).extension);
  return file.Write();
}

}  // namespace

int ConvertImagesInFolder(const std::string& folder, MediaType target, ConversionMode mode,
                          const ConversionProgress& progress) {
  if (MediaTypeInfoOf(target).group != MediaGroup::kImage) return 0;
  std::vector<std::string> paths;
  ScanFolder(
      folder, true,
      [&](const FileInfoRecord&, const std::string& dir, const std::string& name) {
        paths.push_back(dir + name);
        return true;
      },
      [](const FileInfoRecord&, const std::string&, const std::string&) { return true; });
  int count = 0;
  for (const std::string& path : paths) {
    if (progress) progress(path);
    if (ConvertOne(path, target, mode)) ++count;
  }
  return count;
}

}  // namespace brae
