#pragma once
// Questions for folders and files asked with the input box, used by the root menu's commands
// until the file dialogs of the media part are installed in their place.

#include <string>
#include <vector>

namespace brae {

// A folder typed into the input box (preset with *folder); false when cancelled or empty.
bool AskFolderPath(const char* title, std::string* folder);
// One or more archive paths, separated by ";"; false when cancelled or empty.
bool AskArchivePaths(const char* title, std::vector<std::string>* files);
// The folder, then the target format ("BMP", "PNG", "TIFF") and the mode ("Full", "Alpha Only").
bool AskConversion(const char* title, std::string* folder, int* target, int* mode);
// Installs the questions above for every command whose dialog is not provided yet.
void InstallPathQuestions();

}  // namespace brae
