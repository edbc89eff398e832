#pragma once
// Kinds of files the program reads and writes: the detected groups and types, their
// extensions, and the file-type groups that drive every open, save and folder dialog (titles,
// the preference keys that remember the last folder and format, and the format filters).

#include <string>
#include <vector>

namespace brae {

enum class MediaGroup { kAny = 0, kTagFile = 1, kArchive = 2, kSound = 3, kModel = 4, kImage = 5 };
enum class MediaType { kUnknown = 0, kWav = 3, kLwo = 4, kBmp = 5, kPng = 6, kTiff = 7 };

struct MediaTypeInfo {
  MediaType type;
  const char* extension;  // with its dot
  MediaGroup group;
};

// The extension table, in its fixed order.
const std::vector<MediaTypeInfo>& MediaTypeTable();
const MediaTypeInfo& MediaTypeInfoOf(MediaType type);
// The type of a path's extension (".tif" also counts as TIFF), compared without regard to case.
MediaType MediaTypeFromPath(const std::string& path);

struct FileFormat {
  const char* name;     // "PNG Image"
  const char* pattern;  // "*.png"
  MediaType type;
};

struct FileTypeGroup {
  MediaGroup group;
  const char* save_title;
  const char* open_title;
  const char* open_multiple_title;
  const char* folder_title;
  const char* save_path_key;
  const char* open_path_key;
  const char* folder_path_key;
  const char* save_format_key;  // none (nullptr) for groups without a format choice
  const char* open_format_key;
  const char* folder_format_key;
  std::vector<FileFormat> formats;
};

// The rows for groups 0 (any), 5 (image), 4 (model), 3 (sound) and 2 (archive).
const std::vector<FileTypeGroup>& FileTypeGroups();
// The row of a group; groups without a row of their own use the row of group 0.
const FileTypeGroup& FindFileTypeGroup(MediaGroup group);

// The colour table file type and the texts of its dialogs.
constexpr const char* kColorTableFormatName = "Adobe Color Table";
constexpr const char* kColorTablePattern = "*.act";
constexpr const char* kColorTableExtension = ".act";
constexpr const char* kExportColorTableTitle = "Export Color Table";
constexpr const char* kImportColorTableTitle = "Import Color Table";
constexpr const char* kColorTableSaveFailed = "The color table could not be saved.";
constexpr const char* kColorTableOpenFailed = "The color table could not be opened.";

// Texts of the file dialogs.
constexpr const char* kFileReadFailed =
    "The selected file could not be read (inaccessable or invalid format).";
constexpr const char* kFilesReadFailed =
    "Some of the selected files could not be read (inaccessable or invalid format).";
constexpr const char* kFoldersFilter = "Folders";
constexpr const char* kFolderSelectButton = "Select";
constexpr const char* kFolderNameLabel = "Folder Name:";
constexpr const char* kTargetFormatLabel = "Target Format:";
constexpr const char* kFormatChoiceText = "%s (%s)";  // name, pattern

}  // namespace brae
