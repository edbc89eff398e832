#pragma once
// "Recursive Image Conversion": every image below a folder rewritten in one target type, or
// reduced to its alpha channel.

#include <functional>
#include <string>
#include <vector>

#include "media/FileTypes.h"

namespace brae {

enum class ConversionMode { kFull = 0, kAlphaOnly = 1 };

// Texts of the command.
constexpr const char* kConversionFolderTitle = "Choose a folder";
constexpr const char* kConversionModeLabel = "Mode:";
constexpr const char* kConversionModeFull = "Full";
constexpr const char* kConversionModeAlphaOnly = "Alpha Only";
constexpr const char* kConversionProgressPrefix = "Processing... ";
constexpr const char* kConversionDoneTitle = "Operation complete";
constexpr const char* kConversionDoneText = "%d files processed";

// Told the path of each file before it is looked at.
using ConversionProgress = std::function<void(const std::string& path)>;

// A file the conversion skipped or could not convert, and why.
struct ConversionNote {
  std::string path;
  std::string reason;
};

// What became of the files below the folder.
struct ConversionResult {
  int converted = 0;                    // files written
  std::vector<ConversionNote> skipped;  // not images, already of the target type, no alpha
  std::vector<ConversionNote> failed;   // images that could not be read or written
};

// Converts every image below folder (recursively). Files that are not images are skipped, as
// are images already of the target type unless the mode is "Alpha Only" and the image is not
// grey. "Alpha Only" writes a grey image of the alpha channel (images without alpha are
// skipped) named with ".alpha" before the extension. An image that cannot be read or whose
// result cannot be written is a failure; the others go on. The files are listed before any is
// written, so new files are not visited again.
ConversionResult ConvertImagesInFolder(const std::string& folder, MediaType target,
                                       ConversionMode mode,
                                       const ConversionProgress& progress = nullptr);

// The path with its extension replaced (or added) and an optional suffix before it.
std::string ReplaceExtension(const std::string& path, const std::string& suffix,
                             const std::string& extension);

}  // namespace brae
