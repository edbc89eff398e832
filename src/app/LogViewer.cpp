#include "app/LogViewer.h"

#include "core/MessageLog.h"
#include "toolkit/ListWindow.h"
#include "toolkit/SplitterWindow.h"
#include "toolkit/TextBox.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr uint32_t kLogViewerFlags = 0x1D6E;  // framed, resizable, close and collapse boxes
constexpr int kPaneMinimum = 128;

MessageLogWindow* g_viewer = nullptr;

// The viewer lives in layer 0, which exists only while the toolkit runs.
MessageLogWindow* ViewerIfPossible() {
  // A viewer closed by the quit is waiting for its deletion: a new one takes its place.
  if ((!g_viewer || g_viewer->IsClosed()) && Ui().layer0) g_viewer = new MessageLogWindow();
  return g_viewer;
}

void OnLogAppend(int level, const std::string& category, const std::string& text) {
  bool existed = g_viewer != nullptr;
  MessageLogWindow* viewer = ViewerIfPossible();
  if (!viewer) return;
  // A new viewer has just taken every category's text from the log, this text included.
  viewer->Append(level, category, existed ? text : std::string());
}

}  // namespace

MessageLogWindow::MessageLogWindow() : Window(kLogViewerFlags) {
  SetTitle("Log Viewer");
  Point size;
  ClientSizeToFrame(&size, 600, 256);
  SetFrame(Rect(32, 32, 32 + size.x, 32 + size.y));
  splitter_ = new SplitterWindow(kWindowVisible | kWindowEnabled, this);
  splitter_->SetOrientation(kSplitSideBySide, false);
  list_ = new ListWindow(0, kWindowVisible | kWindowEnabled | kWindowFocusable);
  splitter_->SetPane(0, list_, kPaneMinimum);
  splitter_->SetBarPosition(160);
  // One column, as wide as the longest category: longer ones scroll sideways.
  list_->AddColumn("", 0);
  list_->selection_changed.Connect(this, &MessageLogWindow::SelectionChanged);
  Layout();
  // Text logged before the viewer existed gets its pages now.
  for (const auto& [category, text] : TheMessageLog().Categories()) Append(0, category, text);
}

MessageLogWindow::~MessageLogWindow() {
  if (g_viewer == this) g_viewer = nullptr;
}

int MessageLogWindow::RequestClose(int reason) {
  if (reason == 0) return Window::RequestClose(reason);
  SetVisible(false);
  return 0;
}

void MessageLogWindow::Layout() {
  if (splitter_) splitter_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
}

MessageLogWindow::Page* MessageLogWindow::FindPage(const std::string& category) const {
  for (const auto& page : pages_)
    if (page->category == category) return page.get();
  return nullptr;
}

MessageLogWindow::Page* MessageLogWindow::CreatePage(const std::string& category) {
  auto page = std::make_unique<Page>();
  page->category = category;
  page->text = new TextBox(kTextSelectable, this, kWindowEnabled);
  page->text->SetMaxLength(1 << 30);
  Page* added = page.get();
  pages_.push_back(std::move(page));
  added->row = list_->AddRow(nullptr, category.c_str(), 0, static_cast<int>(pages_.size()) - 1);
  list_->Select(added->row, false);
  int needed = list_->RowTextWidth(added->row);
  if (needed > list_->Column(0).width) list_->SetColumnWidth(0, needed);
  // The category pane widens for it as far as the page beside keeps its room.
  int widest = client.Width() - kPaneMinimum - 8;
  if (splitter_->BarPosition() < std::min(needed, widest))
    splitter_->SetBarPosition(std::min(needed, widest));
  return added;
}

void MessageLogWindow::Append(int level, const std::string& category, const std::string& text) {
  Page* page = FindPage(category);
  if (!page) page = CreatePage(category);
  std::string all = page->text->Text() + text;
  page->text->SetText(all.c_str());
  page->text->SetSelection(static_cast<int>(all.size()), static_cast<int>(all.size()));
  if (level < 1) return;
  ShowViewer();
  if (shown_ != page) list_->Select(page->row, false);
}

void MessageLogWindow::ShowViewer() {
  SetVisible(true);
  BringToFront();
}

void MessageLogWindow::SelectionChanged() {
  ListRow* row = list_->CurrentRow();
  std::vector<ListRow*> selected = list_->SelectedRows();
  if (!selected.empty()) row = selected.front();
  if (!row || row->value < 0 || row->value >= static_cast<int>(pages_.size())) return;
  Page* page = pages_[row->value].get();
  if (page == shown_) return;
  Window* old = splitter_->SetPane(1, page->text, kPaneMinimum);
  if (old) {
    // Hidden pages wait beside the splitter.
    old->SetVisible(false);
    old->SetParent(this);
  }
  shown_ = page;
  page->text->SetVisible(true);
  if (IsVisible()) page->text->SetFocus();
}

TextBox* MessageLogWindow::PageText(const std::string& category) const {
  Page* page = FindPage(category);
  return page ? page->text : nullptr;
}

std::string MessageLogWindow::SelectedCategory() const {
  return shown_ ? shown_->category : std::string();
}

MessageLogWindow* TheLogViewer() {
  return g_viewer;
}

void AttachLogViewer() {
  TheMessageLog().SetListener(OnLogAppend);
}

// Opened by the user: it takes the keys too (a log line only shows it).
void ShowLogViewer() {
  if (MessageLogWindow* viewer = ViewerIfPossible()) {
    viewer->ShowViewer();
    viewer->Activate(0);
  }
}

}  // namespace brae
