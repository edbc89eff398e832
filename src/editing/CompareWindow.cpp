#include "editing/CompareWindow.h"

#include <algorithm>

#include "compare/CopyDiff.h"
#include "editing/TagEdit.h"
#include "editing/structdefs/StructRegistry.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/Frame.h"
#include "toolkit/ListWindow.h"

namespace brae {

namespace {

// Title bar, close and collapse boxes, resizable, as the other list windows.
constexpr uint32_t kCompareFlags = 0x1D6F;
constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kMargin = 6;

bool OpensEditorFromRows(uint32_t group) {
  return group == FourCC(".256") || group == FourCC("mesh");
}

}  // namespace

CompareWindow::CompareWindow(uint32_t group, uint32_t subgroup, const std::string& old_location)
    : Window(kCompareFlags), group_(group), subgroup_(subgroup), old_location_(old_location) {
  SetTitle("Compare");
  list_ = new ListWindow(kListColumnHeader | 3, kWindowVisible | kWindowEnabled | kWindowFocusable,
                         this);
  list_->AddColumn("Path", 250);
  list_->AddColumn("Old", 180);
  list_->AddColumn("New", 180);
  list_->row_activated.Connect(this, &CompareWindow::OnRowActivated);
  focus_child = list_;
  Refill();
}

void CompareWindow::Refill() {
  Codex& codex = TheCodex();
  TagRecord* record = codex.FindTag(group_, subgroup_);
  diff_ = TagDiff();
  TagHeader header;
  codex.GetEffectiveHeader(record, &header);
  std::string old_location, error;
  CodexTagNames names(codex);
  if (!record || !CompareInForce(codex, record, old_location_, {&TheStructRegistry(), &names},
                                 &old_location, &diff_, &error)) {
    diff_.ok = false;
    diff_.error = record ? error : "the tag is gone";
  }
  caption_ = "'" + header.Name() + "': " + (record ? codex.GetLocationName(record) : "?") +
             " against " + old_location_;
  list_->Clear();
  if (!diff_.ok) {
    ListRow* row = list_->AddRow(nullptr, "error", kRowGreyed, 0);
    list_->SetCell(row, 1, diff_.error.c_str());
  } else if (diff_.differences.empty()) {
    ListRow* row = list_->AddRow(nullptr, "", kRowGreyed, 0);
    list_->SetCell(row, 1, "The copies are equal");
  }
  for (size_t i = 0; i < diff_.differences.size(); ++i) {
    const TagDifference& d = diff_.differences[i];
    ListRow* row = list_->AddRow(nullptr, d.path.c_str(), 0, int(i) + 1);
    list_->SetCell(row, 1, d.old_value.c_str());
    list_->SetCell(row, 2, d.new_value.c_str());
  }
  list_->Layout();
  InvalidateClient();
}

void CompareWindow::Layout() {
  if (list_)
    list_->SetFrame(Rect(0, LineHeight(this) + 2 * kMargin, client.Width(), client.Height()));
}

void CompareWindow::DrawContent() {
  SetColor(0xFFFFFFFFu);
  DrawText(this, caption_.c_str(), kMargin, kMargin);
}

void CompareWindow::OnRowActivated(ListRow* row) {
  if (!row || row->value <= 0 || !OpensEditorFromRows(group_)) return;
  if (TagRecord* record = TheCodex().FindTag(group_, subgroup_)) OpenTag(record);
}

CompareWindow* CompareWindow::Open(uint32_t group, uint32_t subgroup,
                                   const std::string& old_location) {
  auto* window = new CompareWindow(group, subgroup, old_location);
  Point screen = ScreenSize();
  window->PlaceAtCascade(Point{std::min(kWidth, screen.x), std::min(kHeight, screen.y)});
  window->SetVisible(true);
  window->BringToFront();
  window->SetFocus(0);
  return window;
}

}  // namespace brae
