#include "app/WindowSpy.h"

#include <cstdio>

#include "core/Prefs.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr uint32_t kWindowSpyFlags = 0x1D6F;
constexpr const char* kPlacementKey = "WindowSpyPlacement";

void AddWindow(const Window* window, int depth, int parent, std::vector<WindowSpyRow>* rows) {
  WindowSpyRow row;
  row.depth = depth;
  row.parent = parent;
  const char* title = window->Title();
  row.text = title ? title : "(unnamed)";
  row.class_name = window->ClassName();
  row.window = window;
  row.has_children = window->FirstChild() != nullptr;
  row.expanded = (window->Flags() & kWindowTopLevel) != 0;
  int index = static_cast<int>(rows->size());
  rows->push_back(row);
  for (const Window* child = window->FirstChild(); child; child = child->NextSibling())
    AddWindow(child, depth + 1, index, rows);
}

}  // namespace

std::vector<WindowSpyRow> CollectWindowTree(const Window* root) {
  std::vector<WindowSpyRow> rows;
  if (root) AddWindow(root, 0, -1, &rows);
  return rows;
}

WindowView::WindowView() : Window(kWindowSpyFlags) {
  SetTitle("Window Spy");
  list_ = new ListWindow(kListMultipleSelection | kListColumnHeader | 3,
                         kWindowVisible | kWindowEnabled | kWindowFocusable, this);
  list_->AddColumn("Text", 256);
  list_->AddColumn("Class", 192);
  list_->AddColumn("Address", 96);
  if (!GetWindowPlacement(this, kPlacementKey, true)) {
    PlaceAtCascade(Point{512, 700});
  }
  Refill();
}

void WindowView::Refill() {
  list_->Clear();
  records_ = CollectWindowTree(Ui().root);
  std::vector<ListRow*> rows(records_.size(), nullptr);
  for (size_t i = 0; i < records_.size(); ++i) {
    const WindowSpyRow& record = records_[i];
    ListRow* parent = record.parent >= 0 ? rows[record.parent] : nullptr;
    uint32_t flags = record.expanded ? uint32_t{kRowExpanded} : 0u;
    rows[i] = list_->AddRow(parent, record.text.c_str(), flags, static_cast<int>(i));
    list_->SetCell(rows[i], 1, record.class_name.c_str());
    char address[32];
    std::snprintf(address, sizeof address, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(record.window)));
    list_->SetCell(rows[i], 2, address);
  }
  // Rows of top-level windows are open from the start.
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].expanded) list_->Expand(rows[i]);
  list_->Layout();
}

const Window* WindowView::RowWindow(size_t record) const {
  return record < records_.size() ? records_[record].window : nullptr;
}

int WindowView::KeyDown(Event* event) {
  if (event->Key() == kKeyF5 && event->Pressed()) {
    Refill();
    return 1;
  }
  return Window::KeyDown(event);
}

void WindowView::WillClose() {
  SetWindowPlacement(*this, kPlacementKey);
}

void WindowView::Layout() {
  if (list_) list_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
}

void ShowWindowSpy() {
  Window* layer = Ui().layer0;
  if (!layer) return;
  for (Window* w = layer->FirstChild(); w; w = w->NextSibling()) {
    const char* title = w->Title();
    if (!w->IsClosed() && title && std::string(title) == "Window Spy" &&
        std::string(w->ClassName()) == "WindowView") {
      w->Activate(0);
      return;
    }
  }
  auto* spy = new WindowView();
  spy->SetVisible(true);
  spy->Activate(0);
}

}  // namespace brae
