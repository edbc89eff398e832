#include "editing/browser/UsagesWindow.h"

#include "editing/browser/ArchiveBrowser.h"
#include "references/AddonReferenceCheck.h"
#include "tagstore/Codex.h"
#include "toolkit/Frame.h"
#include "toolkit/ListWindow.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

// Title bar, close and collapse boxes, resizable, as the other list windows.
constexpr uint32_t kUsagesFlags = 0x1D6F;
constexpr int kWidth = 560;
constexpr int kHeight = 320;

std::string TargetTitle(TagKey target) {
  std::string name = ReferencedTagName(TheCodex(), target);
  if (name.empty()) name = FourCCToString(target.group) + " " + FourCCToString(target.id);
  return "Usages of '" + name + "'";
}

}  // namespace

UsagesWindow::UsagesWindow(TagKey target) : Window(kUsagesFlags), target_(target) {
  SetTitle(TargetTitle(target).c_str());
  list_ = new ListWindow(kListColumnHeader | 3, kWindowVisible | kWindowEnabled | kWindowFocusable,
                         this);
  list_->AddColumn("Group", 56);
  list_->AddColumn("Name", 190);
  list_->AddColumn("Member", 150);
  list_->AddColumn("Location", 140);
  list_->row_activated.Connect(this, &UsagesWindow::OnRowActivated);
  PlaceAtCascade(Point{kWidth, kHeight});
  focus_child = list_;
  Refill();
  TheCodex().SetCodexListener(&UsagesWindow::OnCodexEvent, this, true);
}

UsagesWindow::~UsagesWindow() {
  TheCodex().SetCodexListener(&UsagesWindow::OnCodexEvent, this, false);
}

void UsagesWindow::Refill() {
  rows_ = UsageRows(TheCodex(), TheReferenceIndex(), target_);
  list_->Clear();
  if (rows_.empty()) {
    ListRow* row = list_->AddRow(nullptr, "", kRowGreyed, 0);
    list_->SetCell(row, 1, "No tag refers to this one");
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    const UsageRow& u = rows_[i];
    ListRow* row = list_->AddRow(nullptr, u.group.c_str(), 0, int(i) + 1);
    list_->SetCell(row, 1, u.name.c_str());
    list_->SetCell(row, 2, u.path.c_str());
    list_->SetCell(row, 3, u.location.c_str());
  }
  list_->Layout();
  InvalidateClient();
}

void UsagesWindow::Layout() {
  if (list_) list_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
}

void UsagesWindow::OnRowActivated(ListRow* row) {
  if (!row || row->value <= 0 || size_t(row->value) > rows_.size()) return;
  const TagKey source = rows_[size_t(row->value) - 1].source;
  TagRecord* record = TheCodex().FindTag(source.group, source.id);
  if (record && TheArchiveBrowserHooks().open_tag) TheArchiveBrowserHooks().open_tag(record);
}

void UsagesWindow::OnCodexEvent(void* context, ArchiveRecord*, TagRecord*, int event) {
  auto* window = static_cast<UsagesWindow*>(context);
  if (window->IsClosed() || event == kTagDataChanged) return;
  // Any tag may start or stop referring to the target; the index answers from memory.
  window->Refill();
}

UsagesWindow* UsagesWindow::Open(TagKey target) {
  Window* layer = Ui().layer0;
  for (Window* w = layer ? layer->FirstChild() : nullptr; w; w = w->NextSibling()) {
    auto* open = dynamic_cast<UsagesWindow*>(w);
    if (open && !open->IsClosed() && open->target_ == target) {
      open->Refill();
      open->BringToFront();
      return open;
    }
  }
  auto* window = new UsagesWindow(target);
  window->SetVisible(true);
  window->BringToFront();
  window->SetFocus(0);
  return window;
}

}  // namespace brae
