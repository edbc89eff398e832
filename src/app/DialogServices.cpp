#include "app/DialogServices.h"

#include "app/RootMenu.h"
#include "media/FileTypes.h"
#include "media/ui/MediaDialogs.h"

namespace brae {

namespace {

bool ChooseFolder(const char* title, std::string* folder) {
  return FolderDialog(title, folder, nullptr, MediaGroup::kAny);
}

bool ChooseArchives(const char* title, std::vector<std::string>* files) {
  std::vector<MediaFile> chosen;
  if (!OpenMultipleDialog(title, &chosen, MediaGroup::kArchive)) return false;
  for (const MediaFile& f : chosen) files->push_back(f.path);
  return !files->empty();
}

// The folder, then "Target Format:" (the image formats) and "Mode:".
bool ChooseConversion(const char* title, std::string* folder, int* target, int* mode) {
  std::vector<DialogChoice> choices{{"Mode:", {"Full", "Alpha Only"}, 0}};
  int format = 0;
  if (!FolderDialog(title, folder, &format, MediaGroup::kImage, &choices)) return false;
  const auto& formats = FindFileTypeGroup(MediaGroup::kImage).formats;
  if (format < 0 || size_t(format) >= formats.size()) return false;
  *target = static_cast<int>(formats[size_t(format)].type);
  *mode = choices[0].chosen;
  return true;
}

}  // namespace

void InstallDialogServices() {
  AppServices& services = TheAppServices();
  services.choose_folder = ChooseFolder;
  services.choose_game_folder = [](std::string* folder) {
    return ExplainedFolderDialog(kVornFolderTitle, kVornFolderExplanation, folder,
                                 LooksLikeGameFolder);
  };
  services.choose_files = ChooseArchives;
  services.choose_conversion = ChooseConversion;
}

}  // namespace brae
