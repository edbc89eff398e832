#include "media/ui/MediaDialogs.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/Prefs.h"
#include "toolkit/MessageBox.h"

namespace brae {
namespace fs = std::filesystem;

namespace {

// Keeps the process's current folder as it was, whatever the dialog does.
class CurrentFolderKeeper {
 public:
  CurrentFolderKeeper() { saved_ = fs::current_path(ec_); }
  ~CurrentFolderKeeper() {
    std::error_code ec;
    if (!ec_) fs::current_path(saved_, ec);
  }

 private:
  std::error_code ec_;
  fs::path saved_;
};

std::vector<FileFilter> FiltersOf(const FileTypeGroup& row) {
  std::vector<FileFilter> out;
  for (const FileFormat& f : row.formats) out.push_back({f.name, f.pattern});
  if (out.empty()) out.push_back({"All files", "*.*"});
  return out;
}

int PrefIntOr(const char* key, int fallback) {
  int value = fallback;
  if (key) GetPrefInt(key, &value);
  return value;
}

std::string StartFolder(const char* path_key, const std::string& proposed) {
  std::string folder;
  if (path_key && GetPrefString(path_key, &folder) && !folder.empty()) return folder;
  if (!proposed.empty()) {
    fs::path parent = fs::path(proposed).parent_path();
    if (!parent.empty()) return parent.string();
  }
  std::error_code ec;
  return fs::current_path(ec).string();
}

// Runs a dialog in its start folder; the chosen paths, or an empty list on Cancel.
// With choices, the dialog's choices are handed back there after OK.
std::vector<std::string> RunFileDialog(FileDialogWindow* dialog, const std::string& start,
                                       const char* path_key, const char* format_key,
                                       std::vector<DialogChoice>* choices = nullptr) {
  if (!dialog->ShowFolder(start)) {
    std::error_code ec;
    dialog->ShowFolder(fs::current_path(ec).string());
  }
  std::vector<std::string> chosen;
  if (dialog->RunDialog() == 1) {
    chosen = dialog->Chosen();
    if (choices) *choices = dialog->Choices();
    if (path_key) SetPrefString(path_key, dialog->Folder());
    if (format_key) SetPrefInt(format_key, dialog->Filter());
  }
  if (!dialog->IsClosed()) dialog->Close();
  return chosen;
}

}  // namespace

bool SaveFileDialog(const char* title, MediaFile* file, MediaGroup group) {
  CurrentFolderKeeper keep;
  const FileTypeGroup& row = FindFileTypeGroup(group);
  auto* dialog = new FileDialogWindow(FileDialogKind::kSave, title ? title : row.save_title,
                                      FiltersOf(row), PrefIntOr(row.save_format_key, 0));
  dialog->NameField()->SetText(fs::path(file->path).filename().string().c_str());
  std::vector<std::string> chosen = RunFileDialog(
      dialog, StartFolder(row.save_path_key, file->path), row.save_path_key, row.save_format_key);
  if (chosen.empty()) return false;
  file->path = chosen.front();
  file->type = MediaTypeFromPath(file->path);
  file->group = file->type == MediaType::kUnknown ? group : MediaTypeInfoOf(file->type).group;
  return true;
}

bool OpenFileDialog(const char* title, MediaFile* file, MediaGroup group) {
  CurrentFolderKeeper keep;
  const FileTypeGroup& row = FindFileTypeGroup(group);
  auto* dialog = new FileDialogWindow(FileDialogKind::kOpen, title ? title : row.open_title,
                                      FiltersOf(row), PrefIntOr(row.open_format_key, 0));
  // A proposed name is offered in the name field.
  if (!file->path.empty())
    dialog->NameField()->SetText(fs::path(file->path).filename().string().c_str());
  std::vector<std::string> chosen = RunFileDialog(
      dialog, StartFolder(row.open_path_key, file->path), row.open_path_key, row.open_format_key);
  if (chosen.empty()) return false;
  MediaFile picked(chosen.front(), group, file->type);
  if (!picked.ReadHeader()) {
    ShowMessageBox("Error", kFileReadFailed, {"OK"});
    return false;
  }
  *file = std::move(picked);
  return true;
}

bool OpenMultipleDialog(const char* title, std::vector<MediaFile>* files, MediaGroup group,
                        std::vector<DialogChoice>* choices, bool* all_read_out) {
  CurrentFolderKeeper keep;
  if (all_read_out) *all_read_out = true;
  const FileTypeGroup& row = FindFileTypeGroup(group);
  auto* dialog = new FileDialogWindow(
      FileDialogKind::kOpenMultiple, title ? title : row.open_multiple_title, FiltersOf(row),
      PrefIntOr(row.open_format_key, 0), choices ? *choices : std::vector<DialogChoice>());
  std::vector<DialogChoice> chosen_items;
  std::vector<std::string> chosen =
      RunFileDialog(dialog, StartFolder(row.open_path_key, ""), row.open_path_key,
                    row.open_format_key, choices ? &chosen_items : nullptr);
  files->clear();
  if (chosen.empty()) return false;
  if (choices)
    for (size_t i = 0; i < choices->size() && i < chosen_items.size(); ++i)
      (*choices)[i].chosen = chosen_items[i].chosen;
  bool all_read = true;
  for (const std::string& path : chosen) {
    MediaFile f(path, group);
    if (f.ReadHeader())
      files->push_back(std::move(f));
    else
      all_read = false;
  }
  if (!all_read) ShowMessageBox("Error", kFilesReadFailed, {"OK"});
  if (all_read_out) *all_read_out = all_read;
  return !files->empty();
}

bool FolderDialog(const char* title, std::string* folder, int* format, MediaGroup group,
                  std::vector<DialogChoice>* choices) {
  CurrentFolderKeeper keep;
  const FileTypeGroup& row = FindFileTypeGroup(group);
  std::vector<DialogChoice> all;
  if (format) {
    DialogChoice target{kTargetFormatLabel, {}, PrefIntOr(row.folder_format_key, 0)};
    for (const FileFormat& f : row.formats) {
      char text[128];
      std::snprintf(text, sizeof text, kFormatChoiceText, f.name, f.pattern);
      target.items.push_back(text);
    }
    all.push_back(target);
  }
  if (choices) all.insert(all.end(), choices->begin(), choices->end());
  auto* dialog = new FileDialogWindow(FileDialogKind::kFolder, title ? title : row.folder_title,
                                      {{kFoldersFilter, ""}}, 0, all);
  std::string start = StartFolder(row.folder_path_key, folder ? *folder : "");
  if (!dialog->ShowFolder(start)) {
    std::error_code ec;
    dialog->ShowFolder(fs::current_path(ec).string());
  }
  bool ok = dialog->RunDialog() == 1;
  if (ok) {
    *folder = dialog->Folder();
    const std::vector<DialogChoice>& result = dialog->Choices();
    size_t first = 0;
    if (format) {
      *format = result[0].chosen;
      first = 1;
      if (row.folder_format_key) SetPrefInt(row.folder_format_key, *format);
    }
    if (choices)
      for (size_t i = 0; i < choices->size(); ++i) (*choices)[i].chosen = result[first + i].chosen;
    if (row.folder_path_key) SetPrefString(row.folder_path_key, *folder);
  }
  if (!dialog->IsClosed()) dialog->Close();
  return ok;
}

bool ExplainedFolderDialog(const char* title, const char* explanation, std::string* folder,
                           const std::function<bool(const std::string& path)>& marked) {
  CurrentFolderKeeper keep;
  auto* dialog = new FileDialogWindow(FileDialogKind::kFolder, title, {{kFoldersFilter, ""}}, 0, {},
                                      explanation);
  dialog->is_marked_folder = marked;
  const char* home = std::getenv("HOME");
  if (!dialog->ShowFolder(*folder) && !(home && dialog->ShowFolder(home))) {
    std::error_code ec;
    dialog->ShowFolder(fs::current_path(ec).string());
  }
  const bool ok = dialog->RunDialog() == 1;
  if (ok) *folder = dialog->Folder();
  if (!dialog->IsClosed()) dialog->Close();
  return ok;
}

// ---- colour tables
// ---------------------------------------------------------------------------------

namespace {

std::string WithActExtension(const std::string& name) {
  if (name.empty()) return name;
  fs::path p(name);
  if (p.extension() == kColorTableExtension) return name;
  return name + kColorTableExtension;
}

std::vector<std::string> RunColorTableDialog(FileDialogKind kind, const char* title,
                                             const std::string& proposed) {
  CurrentFolderKeeper keep;
  auto* dialog =
      new FileDialogWindow(kind, title, {{kColorTableFormatName, kColorTablePattern}}, 0);
  std::string name = WithActExtension(proposed);
  dialog->NameField()->SetText(fs::path(name).filename().string().c_str());
  return RunFileDialog(dialog, StartFolder(nullptr, name), nullptr, nullptr);
}

}  // namespace

bool ExportColorTableDialog(const std::string& proposed_name, const Rgb table[kMaxPaletteSize],
                            int count) {
  std::vector<std::string> chosen =
      RunColorTableDialog(FileDialogKind::kSave, kExportColorTableTitle, proposed_name);
  if (chosen.empty()) return false;
  if (!WriteColorTable(chosen.front(), table, count)) {
    ShowMessageBox("Error", kColorTableSaveFailed, {"OK"});
    return false;
  }
  return true;
}

bool ImportColorTableDialog(const std::string& proposed_name, Rgb table[kMaxPaletteSize],
                            int* count) {
  std::vector<std::string> chosen =
      RunColorTableDialog(FileDialogKind::kOpen, kImportColorTableTitle, proposed_name);
  if (chosen.empty()) return false;
  if (!ReadColorTable(chosen.front(), table, count)) {
    ShowMessageBox("Error", kColorTableOpenFailed, {"OK"});
    return false;
  }
  return true;
}

}  // namespace brae
