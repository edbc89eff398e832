#pragma once
// The toolkit's own file dialog: a path field with "Up", the folder's entries (folders first,
// then the files that match the chosen filter) sortable by name, size and date, the format
// filters as a combo, a name field and any extra labelled choices. One window serves the open,
// open-multiple, save and folder dialogs. It never changes the process's current folder.

#include <functional>
#include <string>
#include <vector>

#include "toolkit/ComboBox.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/ListWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

enum class FileDialogKind { kOpen, kOpenMultiple, kSave, kFolder };

struct FileFilter {
  std::string name;     // "PNG Image"
  std::string pattern;  // "*.png", "*.*"; empty for the folder chooser's "Folders"
};

// An extra labelled combo ("Target Format:", "Mode:", "Replace:"); chosen is in and out.
struct DialogChoice {
  std::string label;
  std::vector<std::string> items;
  int chosen = 0;
};

enum FileColumn { kFileColumnName = 0, kFileColumnSize = 1, kFileColumnDate = 2 };

class FileDialogWindow : public DialogWindow {
 public:
  // With an explanation, that line stands above the list.
  FileDialogWindow(FileDialogKind kind, const char* title, std::vector<FileFilter> filters,
                   int filter, std::vector<DialogChoice> choices = {},
                   std::string explanation = {});
  const char* ClassName() const override { return "FileDialogWindow"; }

  // ---- navigation ----
  // Shows a folder; false (and nothing changes) when it cannot be listed.
  bool ShowFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  void GoUp();
  void SetFilter(int index);
  int Filter() const { return filter_; }
  void SortEntries(int column, bool descending);
  int SortColumn() const { return sort_column_; }
  bool SortDescending() const { return sort_descending_; }
  // Enters the folder of a row, or accepts the file of a row.
  void ActivateRow(ListRow* row);

  // ---- results (valid after OK) ----
  const std::vector<std::string>& Chosen() const { return chosen_; }
  const std::vector<DialogChoice>& Choices() const { return choices_; }

  // ---- parts, for callers and tests ----
  TextBox* PathField() const { return path_field_; }
  TextBox* NameField() const { return name_field_; }
  ListWindow* Entries() const { return entries_; }
  ComboBox* FilterCombo() const { return filter_combo_; }
  Button* UpButton() const { return up_; }
  ComboBox* ChoiceCombo(size_t i) const { return choice_combos_[i]; }
  // Entry rows carry their index here; folders are marked by this bit in ListRow::value.
  static constexpr int kFolderBit = 1 << 30;
  const std::string& Explanation() const { return explanation_; }

  // Folders (by full path) that this says yes to are listed in bold.
  std::function<bool(const std::string& path)> is_marked_folder;

  int OnOk() override;
  void DrawContent() override;

 private:
  void Refill();
  void RowSelected();
  void PathEntered(int pressed);
  void FilterChosen(int value);
  bool Matches(const std::string& name) const;
  // Acts on a typed name or path: a folder is entered (false), a file is accepted (true).
  bool AcceptTyped(const std::string& text);

  struct Entry {
    std::string name;
    bool folder = false;
    unsigned long long size = 0;
    std::string date;  // "YYYY-MM-DD HH:MM", sorts as text
  };

  FileDialogKind kind_;
  std::vector<FileFilter> filters_;
  int filter_ = 0;
  std::vector<DialogChoice> choices_;
  std::string explanation_;
  std::string folder_;
  std::vector<Entry> entries_data_;
  int sort_column_ = kFileColumnName;
  bool sort_descending_ = false;
  std::vector<std::string> chosen_;

  TextBox* path_field_ = nullptr;
  Button* up_ = nullptr;
  ListWindow* entries_ = nullptr;
  TextBox* name_field_ = nullptr;
  ComboBox* filter_combo_ = nullptr;
  std::vector<ComboBox*> choice_combos_;
  Rect name_label_, filter_label_, explanation_rect_;
  std::vector<Rect> choice_labels_;
};

// The extension of a filter pattern ("*.png" -> ".png"); empty for "*.*" and "".
std::string PatternExtension(const std::string& pattern);

}  // namespace brae
