#include "media/ui/FileDialog.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "media/FileTypes.h"
#include "toolkit/Font.h"

namespace brae {
namespace fs = std::filesystem;

namespace {

constexpr int kContentW = 520, kRowH = 24, kGap = 8, kListH = 240, kLabelW = 110;
constexpr int kUpW = 56;

std::string FormatDate(const fs::file_time_type& when) {
  using namespace std::chrono;
  auto sys = time_point_cast<system_clock::duration>(when - fs::file_time_type::clock::now() +
                                                     system_clock::now());
  std::time_t t = system_clock::to_time_t(sys);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
  return text;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         strcasecmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// A header click sorts through the dialog, so that folders stay above the files.
class FileEntryList : public ListWindow {
 public:
  FileEntryList(uint32_t style, FileDialogWindow* dialog)
      : ListWindow(style, kWindowVisible | kWindowEnabled | kWindowFocusable, dialog),
        dialog_(dialog) {}
  void ClientMouseButton(Event* e) override {
    if (e->Button() == 0 && e->Pressed() && e->Y() < client.y0 + HeaderHeight()) {
      int column = ColumnAt(e->X());
      if (column >= 0)
        dialog_->SortEntries(column, column == dialog_->SortColumn() && !dialog_->SortDescending());
      return;
    }
    ListWindow::ClientMouseButton(e);
  }

 private:
  FileDialogWindow* dialog_;
};

}  // namespace

std::string PatternExtension(const std::string& pattern) {
  if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0 || pattern == "*.*") return {};
  return pattern.substr(1);
}

FileDialogWindow::FileDialogWindow(FileDialogKind kind, const char* title,
                                   std::vector<FileFilter> filters, int filter,
                                   std::vector<DialogChoice> choices, std::string explanation)
    : kind_(kind),
      filters_(std::move(filters)),
      choices_(std::move(choices)),
      explanation_(std::move(explanation)) {
  if (filters_.empty()) filters_.push_back({"All files", "*.*"});
  filter_ = std::clamp(filter, 0, static_cast<int>(filters_.size()) - 1);
  SetTitle(title);
  bool folder_kind = kind_ == FileDialogKind::kFolder;
  int rows = 2 + static_cast<int>(choices_.size()) - (folder_kind ? 1 : 0) +
             (explanation_.empty() ? 0 : 1);
  SetContentSize(kContentW, kRowH + kGap + kListH + rows * (kRowH + kGap));
  Rect c = ContentRect();
  int y = c.y0;

  path_field_ = new TextBox(kTextSingleLine, this);
  path_field_->SetFrame(Rect(c.x0, y, c.x1 - kUpW - kGap, y + kRowH - 2));
  path_field_->enter.Connect(this, &FileDialogWindow::PathEntered);
  up_ = new Button(this, 2);
  up_->SetTitle("Up");
  up_->SetFrame(Rect(c.x1 - kUpW, y, c.x1, y + kRowH - 2));
  up_->clicked.Connect(this, &FileDialogWindow::GoUp);
  y += kRowH + kGap;
  if (!explanation_.empty()) {
    explanation_rect_ = Rect(c.x0, y, c.x1, y + kRowH);
    y += kRowH + kGap;
  }

  uint32_t style = kListColumnHeader;
  if (kind_ == FileDialogKind::kOpenMultiple) style |= kListMultipleSelection;
  entries_ = new FileEntryList(style, this);
  entries_->SetFrame(Rect(c.x0, y, c.x1, y + kListH));
  entries_->AddColumn("Name", 270);
  entries_->AddColumn("Size", 90);
  entries_->AddColumn("Date", 140);
  entries_->row_activated.Connect(this, &FileDialogWindow::ActivateRow);
  entries_->selection_changed.Connect(this, &FileDialogWindow::RowSelected);
  y += kListH + kGap;

  name_label_ = Rect(c.x0, y, c.x0 + kLabelW, y + kRowH);
  name_field_ = new TextBox(kTextSingleLine, this);
  name_field_->SetFrame(Rect(c.x0 + kLabelW, y, c.x1, y + kRowH - 2));
  y += kRowH + kGap;

  if (!folder_kind) {
    filter_label_ = Rect(c.x0, y, c.x0 + kLabelW, y + kRowH);
    filter_combo_ = new ComboBox(this, 0);
    filter_combo_->SetFrame(Rect(c.x0 + kLabelW, y, c.x1, y + kRowH - 2));
    for (size_t i = 0; i < filters_.size(); ++i) {
      std::string text = filters_[i].name + " (" + filters_[i].pattern + ")";
      filter_combo_->AddItem(text.c_str(), static_cast<int>(i) + 1);
    }
    filter_combo_->SelectValue(filter_ + 1);
    filter_combo_->item_chosen.Connect(this, &FileDialogWindow::FilterChosen);
    y += kRowH + kGap;
  } else {
    ok_->SetTitle(kFolderSelectButton);
  }

  for (DialogChoice& choice : choices_) {
    choice_labels_.push_back(Rect(c.x0, y, c.x0 + kLabelW, y + kRowH));
    auto* combo = new ComboBox(this, 0);
    combo->SetFrame(Rect(c.x0 + kLabelW, y, c.x1, y + kRowH - 2));
    for (size_t i = 0; i < choice.items.size(); ++i)
      combo->AddItem(choice.items[i].c_str(), static_cast<int>(i) + 1);
    if (!choice.items.empty())
      combo->SelectValue(std::clamp(choice.chosen, 0, static_cast<int>(choice.items.size()) - 1) +
                         1);
    choice_combos_.push_back(combo);
    y += kRowH + kGap;
  }
  DialogWindow::SetTabOrder(entries_);
}

// ---- navigation
// ------------------------------------------------------------------------------------

bool FileDialogWindow::ShowFolder(const std::string& folder) {
  std::error_code ec;
  fs::path p = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  if (ec) return false;
  p = p.lexically_normal();
  if (!fs::is_directory(p, ec)) return false;
  std::vector<Entry> found;
  fs::directory_iterator it(p, fs::directory_options::skip_permission_denied, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    Entry e;
    e.name = it->path().filename().string();
    std::error_code entry_ec;
    e.folder = it->is_directory(entry_ec);
    if (!e.folder) {
      e.size = it->file_size(entry_ec);
      if (entry_ec) e.size = 0;
    }
    auto when = it->last_write_time(entry_ec);
    if (!entry_ec) e.date = FormatDate(when);
    found.push_back(std::move(e));
  }
  std::string text = p.string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  folder_ = text;
  entries_data_ = std::move(found);
  path_field_->SetText(folder_.c_str());
  if (kind_ == FileDialogKind::kFolder) name_field_->SetText(p.filename().string().c_str());
  Refill();
  return true;
}

void FileDialogWindow::GoUp() {
  fs::path p(folder_);
  if (p.has_parent_path() && p.parent_path() != p) ShowFolder(p.parent_path().string());
}

void FileDialogWindow::SetFilter(int index) {
  if (index < 0 || index >= static_cast<int>(filters_.size())) return;
  filter_ = index;
  if (filter_combo_ && filter_combo_->SelectedValue() != index + 1)
    filter_combo_->SelectValue(index + 1);
  Refill();
}

void FileDialogWindow::FilterChosen(int value) {
  SetFilter(value - 1);
}

bool FileDialogWindow::Matches(const std::string& name) const {
  if (kind_ == FileDialogKind::kFolder) return false;  // the folder chooser lists folders only
  std::string ext = PatternExtension(filters_[static_cast<size_t>(filter_)].pattern);
  if (ext.empty()) return true;
  if (EndsWithNoCase(name, ext)) return true;
  return ext == ".tiff" && EndsWithNoCase(name, ".tif");
}

void FileDialogWindow::SortEntries(int column, bool descending) {
  sort_column_ = std::clamp(column, 0, 2);
  sort_descending_ = descending;
  Refill();
}

void FileDialogWindow::Refill() {
  std::vector<const Entry*> shown;
  for (const Entry& e : entries_data_)
    if (e.folder || Matches(e.name)) shown.push_back(&e);
  auto less = [this](const Entry* a, const Entry* b) {
    if (a->folder != b->folder) return a->folder;  // folders first, whatever the order
    int cmp = 0;
    if (sort_column_ == kFileColumnSize)
      cmp = a->size < b->size ? -1 : (a->size > b->size ? 1 : 0);
    else if (sort_column_ == kFileColumnDate)
      cmp = a->date.compare(b->date);
    if (cmp == 0) cmp = strcasecmp(a->name.c_str(), b->name.c_str());
    if (cmp == 0) cmp = a->name.compare(b->name);
    return sort_descending_ ? cmp > 0 : cmp < 0;
  };
  std::sort(shown.begin(), shown.end(), less);
  entries_->Clear();
  for (const Entry* e : shown) {
    int index = static_cast<int>(e - entries_data_.data());
    std::string label = e->folder ? "[" + e->name + "]" : e->name;
    if (e->folder && is_marked_folder && is_marked_folder((fs::path(folder_) / e->name).string()))
      label = "|b" + label;
    ListRow* row =
        entries_->AddRow(nullptr, label.c_str(), 0, index | (e->folder ? kFolderBit : 0));
    entries_->SetCell(row, kFileColumnSize, e->folder ? "" : std::to_string(e->size).c_str());
    entries_->SetCell(row, kFileColumnDate, e->date.c_str());
  }
  InvalidateClient();
}

void FileDialogWindow::RowSelected() {
  std::vector<ListRow*> rows = entries_->SelectedRows();
  if (kind_ == FileDialogKind::kFolder) return;
  std::string names;
  int files = 0;
  for (ListRow* row : rows) {
    if (row->value & kFolderBit) continue;
    const Entry& e = entries_data_[static_cast<size_t>(row->value & ~kFolderBit)];
    if (files++) names += ' ';
    names += rows.size() > 1 ? "\"" + e.name + "\"" : e.name;
  }
  if (files) name_field_->SetText(names.c_str());
}

void FileDialogWindow::ActivateRow(ListRow* row) {
  if (!row) return;
  const Entry& e = entries_data_[static_cast<size_t>(row->value & ~kFolderBit)];
  if (e.folder) {
    ShowFolder((fs::path(folder_) / e.name).string());
    return;
  }
  name_field_->SetText(e.name.c_str());
  ok_->KeyPress();
  ok_->KeyRelease();
}

void FileDialogWindow::PathEntered(int pressed) {
  if (!pressed) return;
  std::string text = path_field_->Text();
  if (!ShowFolder(text)) {
    if (AcceptTyped(text)) {
      ok_->KeyPress();
      ok_->KeyRelease();
    } else {
      path_field_->SetText(folder_.c_str());
    }
  }
}

// ---- accepting
// -------------------------------------------------------------------------------------

bool FileDialogWindow::AcceptTyped(const std::string& text) {
  if (text.empty()) return false;
  fs::path p(text);
  if (p.is_relative()) p = fs::path(folder_) / p;
  std::error_code ec;
  if (fs::is_directory(p, ec)) {
    if (kind_ != FileDialogKind::kFolder) {
      ShowFolder(p.string());
      name_field_->SetText("");
      return false;
    }
    ShowFolder(p.string());
    return true;
  }
  if (kind_ == FileDialogKind::kFolder) return false;
  std::string path = p.lexically_normal().string();
  if (kind_ == FileDialogKind::kSave) {
    std::string ext = PatternExtension(filters_[static_cast<size_t>(filter_)].pattern);
    if (!ext.empty() && MediaTypeFromPath(path) == MediaType::kUnknown &&
        !EndsWithNoCase(path, ext))
      path += ext;
    if (!fs::is_directory(fs::path(path).parent_path(), ec)) return false;
  } else if (!fs::is_regular_file(path, ec)) {
    // A name typed (or proposed) without its extension: the chosen filter's.
    std::string ext = PatternExtension(filters_[static_cast<size_t>(filter_)].pattern);
    if (ext.empty() || MediaTypeFromPath(path) != MediaType::kUnknown ||
        !fs::is_regular_file(path + ext, ec))
      return false;
    path += ext;
  }
  chosen_ = {path};
  return true;
}

int FileDialogWindow::OnOk() {
  chosen_.clear();
  // Enter after typing a path: go there (a folder) or take it (a file).
  std::string typed_path = path_field_->Text();
  if (!typed_path.empty() && typed_path != folder_) {
    if (ShowFolder(typed_path)) return 0;
    path_field_->SetText(folder_.c_str());
    if (kind_ == FileDialogKind::kFolder || !AcceptTyped(typed_path)) return 0;
    for (size_t i = 0; i < choices_.size(); ++i)
      choices_[i].chosen = std::max(0, choice_combos_[i]->SelectedValue() - 1);
    return 1;
  }
  if (kind_ == FileDialogKind::kFolder) {
    const std::string& typed = name_field_->Text();
    fs::path here(folder_);
    if (!typed.empty() && typed != here.filename().string()) {
      std::error_code ec;
      fs::path p = fs::path(typed).is_relative() ? here / typed : fs::path(typed);
      if (fs::is_directory(p, ec) && fs::path(p).lexically_normal() != here) {
        ShowFolder(p.string());
        return 0;
      }
    }
    chosen_ = {folder_};
  } else {
    std::vector<ListRow*> rows = entries_->SelectedRows();
    // Enter on a selected folder opens it rather than accepting.
    if (rows.size() == 1 && (rows[0]->value & kFolderBit)) {
      ActivateRow(rows[0]);
      return 0;
    }
    std::vector<std::string> files;
    for (ListRow* row : rows)
      if (!(row->value & kFolderBit))
        files.push_back(
            (fs::path(folder_) / entries_data_[static_cast<size_t>(row->value)].name).string());
    if (files.size() > 1 && kind_ == FileDialogKind::kOpenMultiple) {
      chosen_ = files;
    } else if (!AcceptTyped(name_field_->Text())) {
      return 0;
    }
  }
  for (size_t i = 0; i < choices_.size(); ++i)
    choices_[i].chosen = std::max(0, choice_combos_[i]->SelectedValue() - 1);
  return 1;
}

void FileDialogWindow::DrawContent() {
  DialogWindow::DrawContent();
  auto label = [this](const char* text, const Rect& r) {
    if (r.Width() > 0) DrawText(DefaultFont(), text, 0, kTextCentreVertically, r);
  };
  label(kind_ == FileDialogKind::kFolder ? kFolderNameLabel : "File Name:", name_label_);
  if (filter_combo_) label("Files of Type:", filter_label_);
  label(explanation_.c_str(), explanation_rect_);
  for (size_t i = 0; i < choices_.size(); ++i) label(choices_[i].label.c_str(), choice_labels_[i]);
}

}  // namespace brae
