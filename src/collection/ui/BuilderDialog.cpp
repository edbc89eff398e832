#include "collection/ui/BuilderDialog.h"

#include "core/MessageLog.h"
#include "media/ui/MediaDialogs.h"
#include "toolkit/Frame.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

constexpr int kContentWidth = 440;
constexpr int kLabelWidth = 136;
constexpr int kChooserWidth = 28;
constexpr int kRowGap = 8;

}  // namespace

BuilderDialog::BuilderDialog(const char* title, int rows) : rows_(rows) {
  SetTitle(title);
  SetContentSize(kContentWidth, rows * (LineHeight(this) + kRowGap));
}

int BuilderDialog::RequestClose(int reason) {
  if (building_ && reason != 0) return 0;
  return DialogWindow::RequestClose(reason);
}

Rect BuilderDialog::RowRect(int row) const {
  const Rect content = ContentRect();
  const int y = content.y0 + row * (LineHeight(this) + kRowGap);
  return Rect(content.x0 + kLabelWidth, y, content.x1, y + LineHeight(this) + 4);
}

TextBox* BuilderDialog::AddTextRow(const char* label, int max_length) {
  const int row = next_row_++;
  labels_.push_back({label, ContentRect().x0, RowRect(row).y0 + 2});
  auto* box = new TextBox(kTextSingleLine, this);
  box->SetMaxLength(max_length);
  box->SetFrame(RowRect(row));
  return box;
}

TextBox* BuilderDialog::AddFolderRow(const char* label, const char* chooser_title) {
  TextBox* box = AddTextRow(label);
  Rect r = box->ParentRelativeFrame();
  box->SetFrame(Rect(r.x0, r.y0, r.x1 - kChooserWidth - 4, r.y1));
  auto* chooser = new Button(this, int(choosers_.size()));
  chooser->SetTitle("...");
  chooser->SetFrame(Rect(r.x1 - kChooserWidth, r.y0, r.x1, r.y1));
  chooser->clicked_with_value.Connect(this, &BuilderDialog::ChooserClicked);
  choosers_.push_back({box, chooser_title});
  return box;
}

CheckBox* BuilderDialog::AddCheckRow(const char* label) {
  const int row = next_row_++;
  auto* check = new CheckBox(this);
  check->SetTitle(label);
  check->SizeToFit();
  const Rect r = RowRect(row);
  const Rect size = check->Frame();
  check->SetFrame(
      Rect(ContentRect().x0, r.y0, ContentRect().x0 + size.Width(), r.y0 + size.Height()));
  return check;
}

void BuilderDialog::AddLabel(const char* label, int row) {
  labels_.push_back({label, ContentRect().x0, RowRect(row).y0 + 2});
}

void BuilderDialog::AddPairRow(const char* label, const char* first, const char* second,
                               TextBox** a, TextBox** b) {
  const int row = next_row_++;
  const Rect r = RowRect(row);
  labels_.push_back({label, ContentRect().x0, r.y0 + 2});
  const int half = r.Width() / 2;
  TextBox** boxes[2] = {a, b};
  const char* names[2] = {first, second};
  for (int i = 0; i < 2; ++i) {
    const int x = r.x0 + i * half;
    labels_.push_back({names[i], x, r.y0 + 2});
    *boxes[i] = new TextBox(kTextSingleLine, this);
    (*boxes[i])->SetMaxLength(16);
    (*boxes[i])->SetFrame(Rect(x + 24, r.y0, x + half - 12, r.y1));
  }
}

void BuilderDialog::ChooserClicked(int index) {
  if (index < 0 || size_t(index) >= choosers_.size() || building_) return;
  TextBox* box = choosers_[size_t(index)].first;
  std::string folder = box->Text();
  if (FolderDialog(choosers_[size_t(index)].second, &folder, nullptr, MediaGroup::kAny))
    box->SetText(folder.c_str());
}

Point BuilderDialog::LabelPosition(const std::string& text) const {
  for (const Label& l : labels_)
    if (l.text == text) return Point{client.x0 + l.x, client.y0 + l.y};
  return Point{-1, -1};
}

void BuilderDialog::DrawContent() {
  DialogWindow::DrawContent();
  SetColor(0xFF000000);
  for (const Label& l : labels_) DrawText(this, l.text.c_str(), l.x, l.y);
}

void BuilderDialog::ShowRefusal(const std::string& text) {
  ShowMessageBox("Error", text.c_str(), {"OK"});
}

BuildLog BuilderDialog::LogTo(const std::string& category) {
  first_line_ = true;
  return [this, category](const std::string& text) {
    // The first line shows the log viewer with the build's page; the rest only record.
    Log(first_line_ ? 1 : 0, category.c_str(), "%s", text.c_str());
    first_line_ = false;
  };
}

BuildProgressSink BuilderDialog::Progress() {
  last_pump_ = std::chrono::steady_clock::time_point{};
  return [this](const BuildProgress&) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_pump_ < std::chrono::milliseconds(100)) return;
    last_pump_ = now;
    // One frame of the program: the log viewer shows the new lines; input still reaches the
    // dialog, which refuses OK, Cancel and closing while it builds.
    if (Ui().frame_function) Ui().frame_function();
  };
}

}  // namespace brae
