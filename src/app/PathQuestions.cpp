#include "app/PathQuestions.h"

#include "app/RootMenu.h"
#include "media/FileTypes.h"
#include "media/ImageConversion.h"
#include "toolkit/MessageBox.h"

namespace brae {

bool AskFolderPath(const char* title, std::string* folder) {
  std::string text = *folder;
  if (ShowInputBox(title, {"OK", "Cancel"}, &text) != 0 || text.empty()) return false;
  *folder = text;
  return true;
}

bool AskArchivePaths(const char* title, std::vector<std::string>* files) {
  std::string text;
  if (ShowInputBox(title, {"OK", "Cancel"}, &text) != 0) return false;
  files->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) files->push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return !files->empty();
}

bool AskConversion(const char* title, std::string* folder, int* target, int* mode) {
  if (!AskFolderPath(title, folder)) return false;
  int format = ShowMessageBox("Target Format:", nullptr, {"BMP", "PNG", "TIFF", "Cancel"});
  if (format < 0 || format > 2) return false;
  static const MediaType kTargets[] = {MediaType::kBmp, MediaType::kPng, MediaType::kTiff};
  *target = static_cast<int>(kTargets[format]);
  int chosen = ShowMessageBox(kConversionModeLabel, nullptr,
                              {kConversionModeFull, kConversionModeAlphaOnly, "Cancel"});
  if (chosen < 0 || chosen > 1) return false;
  *mode = chosen;
  return true;
}

void InstallPathQuestions() {
  AppServices& services = TheAppServices();
  if (!services.choose_folder) services.choose_folder = AskFolderPath;
  if (!services.choose_files) services.choose_files = AskArchivePaths;
  if (!services.choose_conversion) services.choose_conversion = AskConversion;
}

}  // namespace brae
