#pragma once
// "Recursive Image Conversion": every image below a folder rewritten in one target type, or
// reduced to its alpha channel.

#include <functional>
#include <string>

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

// Converts every image below folder (recursively). Files that are not images are skipped, as
// are images already of the target type unless the mode is "Alpha Only" and the image is not
// grey. "Alpha Only" writes a grey image of the alpha channel (images without alpha are
// skipped) named with ".alpha" before the extension. The files are listed before any is
// written, so new files are not visited again. Returns the number of files written.
int ConvertImagesInFolder(const std::string& folder, MediaType target, ConversionMode mode,
                          const ConversionProgress& progress = nullptr);

// The path with its extension replaced (or added) and an optional suffix before it.
std::string ReplaceExtension(const std::string& path, const std::string& suffix,
                             const std::string& extension);

}  // namespace brae
