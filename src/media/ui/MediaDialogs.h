#pragma once
// The open, open-multiple, save and folder dialogs of the file-type groups, which remember the
// last folder and format under each group's preference keys, and the colour table dialogs.

#include <functional>
#include <string>
#include <vector>

#include "media/ColorTable.h"
#include "media/MediaFile.h"
#include "media/ui/FileDialog.h"

namespace brae {

// Each returns false when the user cancels (or, for the open dialogs, after reporting a file
// that cannot be read). A null title takes the group's own title.
bool SaveFileDialog(const char* title, MediaFile* file, MediaGroup group);
// The open dialog offers the file name of file->path (when it has one) in its name field; a
// name without extension is taken with the chosen filter's.
bool OpenFileDialog(const char* title, MediaFile* file, MediaGroup group);
// With choices, their labelled combos are added (their chosen items are updated on OK). With
// all_read, it tells whether every chosen file could be read (the others are reported and left
// out of files).
bool OpenMultipleDialog(const char* title, std::vector<MediaFile>* files, MediaGroup group,
                        std::vector<DialogChoice>* choices = nullptr, bool* all_read = nullptr);
// With a format out, "Target Format:" listing the group's formats comes first, then the
// caller's choices (their chosen items are updated).
bool FolderDialog(const char* title, std::string* folder, int* format, MediaGroup group,
                  std::vector<DialogChoice>* choices = nullptr);

// A folder chooser that explains itself in a line above the list and shows the folders that
// marked() says yes to in bold. It starts in *folder when that is a folder, else in the home
// folder, and remembers nothing.
bool ExplainedFolderDialog(const char* title, const char* explanation, std::string* folder,
                           const std::function<bool(const std::string& path)>& marked);

bool ExportColorTableDialog(const std::string& proposed_name, const Rgb table[kMaxPaletteSize],
                            int count);
bool ImportColorTableDialog(const std::string& proposed_name, Rgb table[kMaxPaletteSize],
                            int* count);

}  // namespace brae
