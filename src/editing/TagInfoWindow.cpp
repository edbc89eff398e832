// The tag information window.
//
// Index
//   override chain ........ OverrideChainLines
//   window ................ construction, Bind, Refresh, DrawContent
//   applying and closing .. Apply, RequestClose, KeyDown

#include "editing/TagInfoWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editing/CompareWindow.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/Button.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr int kWidth = 400;
constexpr int kMargin = 12;
constexpr int kLabelWidth = 90;  // at least; wider when the font needs it
constexpr int kLabelGap = 8;
constexpr int kRowGap = 6;
constexpr int kNameLength = 32;
constexpr int kSubgroupLength = 4;
const char* const kLabels[] = {
    "Tag Name:", "Tag Subgroup:", "Tag Group:", "Tag Size:", "Tag Location:"};
constexpr int kRowCount = 5;
constexpr size_t kMaxReferenceLines = 12;         // then "... and N more"
constexpr uint32_t kMissingColour = 0xFF0000FFu;  // red (red in the low byte)

// The reference lines shown: all of them, or the first ones and a line counting the rest.
size_t ShownReferenceLines(size_t count) {
  return count > kMaxReferenceLines ? kMaxReferenceLines + 1 : count;
}

std::string CopyName(const TagInstance* instance) {
  if (instance->archive) {
    std::string name = instance->archive->file_name;
    if (!instance->archive->active) name += " (inactive)";
    return name;
  }
  return "local folder";
}

}  // namespace

int TagInfoWindow::LabelColumnWidth() const {
  int width = kLabelWidth;
  for (const char* label : kLabels) width = std::max(width, TextWidth(this, label) + kLabelGap);
  return width;
}

uint32_t PackSubgroupText(const std::string& text) {
  uint32_t code = 0;
  for (size_t i = 0; i < 4; ++i)
    code = (code << 8) | (i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  return code;
}

// ---- override chain -------------------------------------------------------------------------

std::vector<std::string> OverrideChainLines(const Codex& codex, const TagRecord* record) {
  std::vector<std::string> lines;
  if (!record) return lines;
  const TagInstance* effective = codex.GetEffectiveInstance(record);
  if (effective) lines.push_back(CopyName(effective) + " (in force)");
  for (const TagInstance* instance : record->instances)
    if (instance != effective) lines.push_back(CopyName(instance));
  return lines;
}

std::vector<std::string> OverrideChainLocations(const Codex& codex, const TagRecord* record) {
  std::vector<std::string> locations;
  if (!record) return locations;
  const TagInstance* effective = codex.GetEffectiveInstance(record);
  if (effective) locations.push_back(Codex::LocationNameOf(effective));
  for (const TagInstance* instance : record->instances)
    if (instance != effective) locations.push_back(Codex::LocationNameOf(instance));
  return locations;
}

// ---- window ---------------------------------------------------------------------------------

TagInfoWindow::TagInfoWindow(TagRecord* record) : Window(kTagInfoFlags) {
  name_box_ = new TextBox(kTextSingleLine, this);
  name_box_->SetMaxLength(kNameLength);
  subgroup_box_ = new TextBox(kTextSingleLine, this);
  subgroup_box_->SetMaxLength(kSubgroupLength);
  Window* ring[] = {name_box_, subgroup_box_};
  SetTabOrder(ring, 2);
  focus_child = name_box_;
  Bind(record);
  name_box_->SetText(header_.Name().c_str());
  subgroup_box_->SetText(FourCCToString(header_.subgroup).c_str());
  name_box_->changed.Connect(this, &TagInfoWindow::OnFieldChanged);
  subgroup_box_->changed.Connect(this, &TagInfoWindow::OnFieldChanged);
  Refresh();
  TheCodex().SetCodexListener(&TagInfoWindow::OnCodexEvent, this, true);
}

TagInfoWindow::~TagInfoWindow() {
  TheCodex().SetCodexListener(&TagInfoWindow::OnCodexEvent, this, false);
  if (record_) TheCodex().RemoveTagUser(record_, kUserInfo, this);
}

void TagInfoWindow::Bind(TagRecord* record) {
  Codex& codex = TheCodex();
  if (record_) codex.RemoveTagUser(record_, kUserInfo, this);
  record_ = record;
  if (!record_) return;
  codex.AddTagUser(record_, kUserInfo, this);
  codex.GetEffectiveHeader(record_, &header_);
}

void TagInfoWindow::Refresh() {
  Codex& codex = TheCodex();
  if (record_) codex.GetEffectiveHeader(record_, &header_);
  location_ = codex.GetLocationName(record_);
  chain_ = OverrideChainLines(codex, record_);
  chain_locations_ = OverrideChainLocations(codex, record_);
  RebuildCompareButtons();
  references_.clear();
  if (record_ && codex.HasEffectiveInstance(record_))
    references_ = ReferenceLines(codex, TheReferenceIndex(), {record_->group, record_->subgroup});
  int line = LineHeight(this);
  int row = line + 8;
  int x = kMargin + LabelColumnWidth(), right = kWidth - kMargin;
  name_box_->SetFrame(Rect(x, kMargin, right, kMargin + row));
  subgroup_box_->SetFrame(Rect(x, kMargin + row + kRowGap, x + 64, kMargin + 2 * row + kRowGap));
  int height = kMargin + kRowCount * (row + kRowGap) + kMargin;
  height += line + kRowGap + static_cast<int>(chain_.size()) * ChainRowHeight() + kMargin;
  height += line + kRowGap +
            static_cast<int>(std::max<size_t>(1, ShownReferenceLines(references_.size()))) * line +
            kMargin;
  Point size;
  ClientSizeToFrame(&size, kWidth, height);
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
  RefreshTitle();
  InvalidateClient();
}

int TagInfoWindow::ChainRowHeight() const {
  // Rows that carry a button are as tall as the text box rows.
  return compare_buttons_.empty() ? LineHeight(this) : LineHeight(this) + 8;
}

// Each copy below the one in force gets a "Compare" button at the right end of its row.
void TagInfoWindow::RebuildCompareButtons() {
  for (Button* b : compare_buttons_) {
    b->SetVisible(false);
    b->Close();
  }
  compare_buttons_.clear();
  const bool has_effective = record_ && TheCodex().HasEffectiveInstance(record_);
  if (!has_effective || chain_.size() < 2) return;
  const int line = LineHeight(this);
  const int row = line + 8;
  int y = kMargin + kRowCount * (row + kRowGap) + line + kRowGap + row;  // the second copy
  for (size_t i = 1; i < chain_.size(); ++i, y += row) {
    auto* b = new Button(this, int(i));
    b->SetTitle("Compare");
    b->SizeToFit();
    const int width = b->ParentRelativeFrame().Width();
    b->SetFrame(Rect(kWidth - kMargin - width, y, kWidth - kMargin, y + row - 2));
    b->clicked_with_value.Connect(this, &TagInfoWindow::OnCompare);
    compare_buttons_.push_back(b);
  }
}

void TagInfoWindow::OnCompare(int chain_index) {
  if (!record_ || chain_index <= 0 || size_t(chain_index) >= chain_locations_.size()) return;
  CompareWindow::Open(record_->group, record_->subgroup, chain_locations_[size_t(chain_index)]);
}

bool TagInfoWindow::FieldsDiffer() const {
  return std::strncmp(name_box_->Text().c_str(), header_.name, kTagNameSize) != 0 ||
         PackSubgroupText(subgroup_box_->Text()) != header_.subgroup;
}

void TagInfoWindow::RefreshTitle() {
  std::string title = "Tag Info: " + name_box_->Text();
  if (FieldsDiffer()) title += "*";
  SetTitle(title.c_str());
}

void TagInfoWindow::OnFieldChanged() {
  RefreshTitle();
}

void TagInfoWindow::OnCodexEvent(void* context, ArchiveRecord*, TagRecord* record, int event) {
  auto* window = static_cast<TagInfoWindow*>(context);
  bool archives = event >= kActiveSetChanged;
  if (window->IsClosed()) return;
  // A target that comes or goes changes the colour of its line.
  bool target = false;
  for (const ReferenceLine& line : window->references_)
    if (record && line.target == TagKey{record->group, record->subgroup}) target = true;
  if (!archives && record != window->record_ && !target) return;
  if (TheCodex().HasEffectiveInstance(window->record_)) window->Refresh();
}

void TagInfoWindow::DrawContent() {
  int line = LineHeight(this);
  int row = line + 8;
  char size_text[16];
  std::snprintf(size_text, sizeof size_text, "%d", static_cast<int>(header_.size));
  const std::string values[kRowCount] = {"", "", FourCCToString(header_.group), size_text,
                                         location_};
  int y = kMargin;
  int value_x = kMargin + LabelColumnWidth() + 3;
  SetColor(0xFFFFFFFFu);
  for (int i = 0; i < kRowCount; ++i) {
    int text_y = y + (row - line) / 2;
    DrawText(this, kLabels[i], kMargin, text_y);
    if (!values[i].empty()) DrawText(this, values[i].c_str(), value_x, text_y);
    y += row + kRowGap;
  }
  DrawText(this, "Copies of this tag:", kMargin, y);
  y += line + kRowGap;
  const int chain_row = ChainRowHeight();
  for (const std::string& text : chain_) {
    DrawText(this, text.c_str(), value_x, y + (chain_row - line) / 2);
    y += chain_row;
  }
  y += kMargin;
  DrawText(this, "References:", kMargin, y);
  y += line + kRowGap;
  // Reference lines are long: they start at the left margin, indented.
  const int ref_x = kMargin + 8;
  if (references_.empty()) DrawText(this, "none", ref_x, y);
  for (size_t i = 0; i < references_.size() && i < kMaxReferenceLines; ++i) {
    SetColor(references_[i].missing ? kMissingColour : 0xFFFFFFFFu);
    DrawText(this, references_[i].text.c_str(), ref_x, y);
    y += line;
  }
  SetColor(0xFFFFFFFFu);
  if (references_.size() > kMaxReferenceLines) {
    const std::string more =
        "... and " + std::to_string(references_.size() - kMaxReferenceLines) + " more";
    DrawText(this, more.c_str(), ref_x, y);
  }
}

TagInfoWindow* TagInfoWindow::Open(TagRecord* record) {
  if (!record) return nullptr;
  TagUser user;
  for (size_t i = 0; TheCodex().FindTagUser(record, i, &user); ++i) {
    if (user.kind != kUserInfo) continue;
    auto* open = const_cast<TagInfoWindow*>(static_cast<const TagInfoWindow*>(user.pointer));
    open->BringToFront();
    open->SetFocus(0);
    return open;
  }
  auto* window = new TagInfoWindow(record);
  Rect f = window->ParentRelativeFrame();
  window->PlaceAtCascade(Point{f.Width(), f.Height()});
  window->BringToFront();
  window->SetFocus(0);
  return window;
}

// ---- applying and closing -------------------------------------------------------------------

int TagInfoWindow::Apply() {
  Codex& codex = TheCodex();
  if (!record_) return 0;
  if (record_->users.size() > 1) {
    ShowError("Tag information for '%s' could not be updated because the tag is still in use.",
              header_.Name().c_str());
    return 0;
  }
  const std::string subgroup_text = subgroup_box_->Text();
  if (subgroup_text.size() != 4) {
    ShowError("The subgroup id must be exactly 4 characters long.");
    return 0;
  }
  const std::string name = name_box_->Text();
  if (name.empty()) {
    ShowError("The name field must not be empty.");
    return 0;
  }
  uint32_t subgroup = PackSubgroupText(subgroup_text);
  if (subgroup != record_->subgroup) {
    const TagRecord* other = codex.FindTag(record_->group, subgroup);
    if (other && other->local) {
      ShowError(
          "A tag with the specified group and subgroup combination already exists in the local "
          "folder.");
      return 0;
    }
  }
  TagRecord* result = codex.ChangeTagInfo(record_, subgroup, &name);
  if (!result) {
    ShowError("The tag information could not be changed because of an error.");
    return 0;
  }
  Bind(result);
  name_box_->SetText(header_.Name().c_str());
  Refresh();
  return 1;
}

int TagInfoWindow::RequestClose(int reason) {
  if (FieldsDiffer()) {
    int answer = ShowMessageBox("Save?", "Do you wish to save your changes to the tag?",
                                {"Save", "Discard", "Cancel"});
    if (answer == 2 || (answer == 0 && !Apply())) return 0;
  }
  return Window::RequestClose(reason);
}

int TagInfoWindow::KeyDown(Event* event) {
  if (event->Key() == 'S' && (event->Modifiers() & kModControl)) {
    if (event->Pressed()) Apply();  // the release only ends the shortcut
    return 1;
  }
  return 0;
}

}  // namespace brae
