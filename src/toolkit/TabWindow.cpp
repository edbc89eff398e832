#include "toolkit/TabWindow.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kTabPadding = 16;
constexpr int kPageGap = 4;

void Piece(int slot, const Rect& r, uint32_t fallback) {
  Skin* skin = Ui().skin;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height());
    skin->FlushSprites();
  } else {
    SetColor(fallback);
    FillRect(r);
  }
}

}  // namespace

TabWindow::TabWindow(uint32_t flags, Window* parent) : Window(flags, parent) {}

int TabWindow::TabRowHeight() const {
  return LineHeight(this) + 8;
}

Window* TabWindow::Page(int index) const {
  return index >= 0 && index < TabCount() ? tabs_[static_cast<size_t>(index)].page : nullptr;
}

void TabWindow::LayoutTabs() {
  int x = client.x0 + 2, h = TabRowHeight();
  for (Tab& t : tabs_) {
    const char* title = t.page->Title();
    int w = MeasureText(GetFont(), title ? title : "", 0) + kTabPadding;
    t.rect = Rect(x, client.y0, x + std::max(w, 24), client.y0 + h);
    x = t.rect.x1 + 2;
  }
}

Rect TabWindow::TabRect(int index) const {
  const_cast<TabWindow*>(this)->LayoutTabs();
  return index >= 0 && index < TabCount() ? tabs_[static_cast<size_t>(index)].rect : Rect();
}

int TabWindow::TabAt(int x, int y) const {
  const_cast<TabWindow*>(this)->LayoutTabs();
  // The current tab is tested first: it is drawn over its neighbours.
  if (current_ >= 0 && tabs_[static_cast<size_t>(current_)].rect.Contains(x, y)) return current_;
  for (size_t i = 0; i < tabs_.size(); ++i)
    if (tabs_[i].rect.Contains(x, y)) return static_cast<int>(i);
  return -1;
}

void TabWindow::PlacePage(Window* page) {
  int top = TabRowHeight() + kPageGap;
  page->SetFrame(Rect(0, top, client.Width(), std::max(top, client.Height())));
}

void TabWindow::ChildAdded(Window* child) {
  tabs_.push_back(Tab{Rect(), child});
  child->RemoveFlags(kWindowVisible);
  // The page is still being built (its constructor sets an empty frame after this call), so
  // it is placed on the next idle call as well.
  PlacePage(child);
  pending_layout_ = true;
  RequestFrame();
  if (current_ < 0) {
    current_ = TabCount() - 1;
    child->AddFlags(kWindowVisible);
  }
  InvalidateClient();
}

void TabWindow::ChildRemoved(Window* child) {
  auto it =
      std::find_if(tabs_.begin(), tabs_.end(), [child](const Tab& t) { return t.page == child; });
  if (it == tabs_.end()) return;
  int index = static_cast<int>(it - tabs_.begin());
  tabs_.erase(it);
  if (index < current_) {
    --current_;
  } else if (index == current_) {
    current_ = -1;
    if (!tabs_.empty()) SelectTab(std::max(index - 1, 0));
  }
  InvalidateClient();
}

void TabWindow::SelectTab(int index) {
  if (index < 0 || index >= TabCount()) return;
  if (Window* old = Page(current_); old && index != current_) old->SetVisible(false);
  current_ = index;
  Window* page = Page(index);
  PlacePage(page);
  page->SetVisible(true);
  page->SetFocus(2);
  InvalidateClient();
}

void TabWindow::Layout() {
  for (Tab& t : tabs_) PlacePage(t.page);
}

void TabWindow::Idle() {
  if (!pending_layout_) return;
  pending_layout_ = false;
  Layout();
  InvalidateClient();
}

void TabWindow::DrawContent() {
  LayoutTabs();
  int h = TabRowHeight();
  Piece(kSkinTabPage, Rect(0, h, client.Width(), client.Height()), 0xFF3A3A3Au);
  for (size_t i = 0; i < tabs_.size(); ++i) {
    bool active = static_cast<int>(i) == current_;
    Rect r = tabs_[i].rect.Offset(-client.x0, -client.y0);
    if (!active) r.y0 += 2;
    Piece(active ? kSkinTabActive : kSkinTab, r, active ? 0xFF3A3A3Au : 0xFF262626u);
    const char* title = tabs_[i].page->Title();
    SetColor(active ? 0xFFFFFFFFu : 0xFFB0B0B0u);
    DrawTextInRect(this, title ? title : "", r, kTextCentre | kTextCentreVertically | kTextShadow);
  }
}

void TabWindow::ClientMouseButton(Event* e) {
  if (!e->Pressed() || e->Button() != 0) return;
  int tab = TabAt(e->X(), e->Y());
  if (tab >= 0) SelectTab(tab);
}

int TabWindow::KeyDown(Event* e) {
  if (!e->words[1] || !(e->Modifiers() & kModControl) || tabs_.empty()) return 0;
  int key = e->Key(), n = TabCount();
  bool back = key == kKeyLeft || (key == kKeyTab && (e->Modifiers() & kModShift));
  if (key != kKeyTab && key != kKeyLeft && key != kKeyRight) return 0;
  SelectTab(((current_ < 0 ? 0 : current_) + (back ? n - 1 : 1)) % n);
  return 1;
}

}  // namespace brae
