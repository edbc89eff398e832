#include "media/FileTypes.h"

#include "tagstore/FileSystem.h"

namespace brae {

const std::vector<MediaTypeInfo>& MediaTypeTable() {
  static const std::vector<MediaTypeInfo> table = {
      {MediaType::kUnknown, ".unknown", MediaGroup::kAny},
      {MediaType::kLwo, ".lwo", MediaGroup::kModel},
      {MediaType::kWav, ".wav", MediaGroup::kSound},
      {MediaType::kBmp, ".bmp", MediaGroup::kImage},
      {MediaType::kPng, ".png", MediaGroup::kImage},
      {MediaType::kTiff, ".tiff", MediaGroup::kImage},
  };
  return table;
}

const MediaTypeInfo& MediaTypeInfoOf(MediaType type) {
  for (const MediaTypeInfo& info : MediaTypeTable()) {
    if (info.type == type) return info;
  }
  return MediaTypeTable().front();
}

MediaType MediaTypeFromPath(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return MediaType::kUnknown;
  const std::string extension = name.substr(dot);
  if (EqualsNoCase(extension, ".tif")) return MediaType::kTiff;
  for (const MediaTypeInfo& info : MediaTypeTable()) {
    if (info.type != MediaType::kUnknown && EqualsNoCase(extension, info.extension)) {
      return info.type;
    }
  }
  return MediaType::kUnknown;
}

const std::vector<FileTypeGroup>& FileTypeGroups() {
  static const std::vector<FileTypeGroup> groups = {
      {MediaGroup::kAny,
       "Save File As",
       "Open File",
       "Open Multiple Files",
       "Choose Folder",
       "LastSavePath",
       "LastOpenPath",
       "LastFolderPath",
       nullptr,
       nullptr,
       nullptr,
       {{"All files", "*.*", MediaType::kUnknown}}},
      {MediaGroup::kImage,
       "Save Image As",
       "Open Image",
       "Open Multiple Images",
       "Choose Image Folder",
       "LastImageSavePath",
       "LastImageOpenPath",
       "LastImageFolderPath",
       "LastImageSaveFormat",
       "LastImageOpenFormat",
       "LastImageFolderFormat",
       {{"Bitmap Image", "*.bmp", MediaType::kBmp},
        {"PNG Image", "*.png", MediaType::kPng},
        {"TIFF Image", "*.tiff", MediaType::kTiff}}},
      {MediaGroup::kModel,
       "Save Model As",
       "Open Model",
       "Open Multiple Models",
       "Choose Model Folder",
       "LastModelSavePath",
       "LastModelOpenPath",
       "LastModelFolderPath",
       "LastModelSaveFormat",
       "LastModelOpenFormat",
       "LastModelFolderFormat",
       {{"LightWave Object", "*.lwo", MediaType::kLwo}}},
      {MediaGroup::kSound,
       "Save Sound As",
       "Open Sound",
       "Open Multiple Sounds",
       "Choose Sound Folder",
       "LastSoundSavePath",
       "LastSoundOpenPath",
       "LastSoundFolderPath",
       "LastSoundSaveFormat",
       "LastSoundOpenFormat",
       "LastSoundFolderFormat",
       {{"WAV Sound", "*.wav", MediaType::kWav}}},
      {MediaGroup::kArchive,
       "Save Archive As",
       "Open Archive",
       "Open Multiple Archives",
       "Choose Archive Folder",
       "LastArchiveSavePath",
       "LastArchiveOpenPath",
       "LastArchiveFolderPath",
       nullptr,
       nullptr,
       nullptr,
       {}},
  };
  return groups;
}

const FileTypeGroup& FindFileTypeGroup(MediaGroup group) {
  for (const FileTypeGroup& row : FileTypeGroups()) {
    if (row.group == group) return row;
  }
  return FileTypeGroups().front();
}

}  // namespace brae
