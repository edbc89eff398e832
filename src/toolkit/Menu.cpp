// Menus
//
// Index
//   items ............... MenuItem, AddMenuItem, AddSeparator, RemoveMenuItem
//   geometry ............ SizeToItems, ItemRect, ItemAt, MostVisiblePlace
//   opening, choosing ... Highlight, OpenSubmenuOf, CloseSubmenus, Choose, RunMenu, PopUpMenu
//   input ............... mouse (routed by the root menu), keys, typed letters
//   drawing

#include "toolkit/Menu.h"

#include <algorithm>
#include <cctype>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr uint32_t kMenuBarFlags = kWindowVisible | kWindowOverlay;
constexpr uint32_t kPopupFlags =
    kWindowOverlay | kWindowFocusable | kWindowShadow | kWindowThinBorder;
constexpr uint32_t kGreyLabel = 0xFF808080u;
constexpr int kBarItemGap = 12;
constexpr int kSeparatorHeight = 4;

int ThickBorder() {
  const Skin* skin = Ui().skin;
  int w = skin ? skin->ThickBorderWidth() : 0;
  return w > 0 ? w : 4;
}

void Piece(int slot, const Rect& r, uint32_t fallback) {
  Skin* skin = Ui().skin;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height(), kSpriteStretch);
    skin->FlushSprites();
  } else {
    SetColor(fallback);
    FillRect(r);
  }
}

// A pop-up menu's panel: its one-pixel edge stays one pixel wide however large the menu is.
void Panel(const Rect& r) {
  Skin* skin = Ui().skin;
  if (skin && skin->Image(kSkinMenuBackground)) {
    skin->QueueNineSlice(kSkinMenuBackground, 1, r.x0, r.y0, r.Width(), r.Height());
    skin->FlushSprites();
  } else {
    SetColor(0xFF2C2A28u);
    FillRect(r);
  }
}

bool Selectable(const MenuItem* item) {
  return item && !item->IsSeparator() && item->IsEnabled();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Items
// ---------------------------------------------------------------------------------------------

MenuItem::MenuItem(uint32_t flags, Window* parent, Menu* menu, MenuItem* parent_item)
    : Window(flags, parent), menu_(menu), parent_item_(parent_item) {}

MenuItem::~MenuItem() {
  for (MenuItem* item : items_) item->holder_ = nullptr;
  if (holder_) {
    auto& list = holder_->items_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

MenuItem* AddMenuItem(Menu* menu, const char* label, MenuItem* parent_item, int command,
                      bool enabled) {
  if (!menu) return nullptr;
  MenuItem* holder = parent_item ? parent_item : menu;
  auto* item = new MenuItem(0, holder, menu, parent_item);
  item->SetTitle(label ? label : "");
  item->user_value = command;
  item->SetEnabled(enabled);
  item->holder_ = holder;
  holder->items_.push_back(item);
  if (menu->IsMenuBar()) menu->SizeToItems();
  menu->InvalidateClient();
  return item;
}

MenuItem* AddSeparator(Menu* menu, MenuItem* parent_item) {
  return AddMenuItem(menu, kSeparatorLabel, parent_item, kSeparatorCommand, true);
}

void RemoveMenuItem(MenuItem* item) {
  if (!item) return;
  if (item->holder_) {
    auto& list = item->holder_->items_;
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    item->holder_ = nullptr;
  }
  if (Menu* menu = item->TopMenu()) {
    menu->CloseSubmenus();
    menu->Highlight(-1);
    menu->InvalidateClient();
  }
  item->Close();
}

// ---------------------------------------------------------------------------------------------
// Menu windows
// ---------------------------------------------------------------------------------------------

Menu::Menu(bool menu_bar)
    : MenuItem(menu_bar ? kMenuBarFlags : kPopupFlags, nullptr, this, nullptr),
      menu_bar_(menu_bar) {
  SetTitle(menu_bar ? "Menu Bar" : "Popup Menu");
  if (menu_bar) SizeToItems();
}

Menu::Menu(MenuItem* source, Menu* root, Menu* parent_menu)
    : MenuItem(kPopupFlags, nullptr, root, nullptr),
      source_(source),
      root_(root),
      parent_menu_(parent_menu) {
  SetTitle("Popup Menu");
}

Menu::~Menu() {
  if (open_submenu_) {
    open_submenu_->parent_menu_ = nullptr;
    open_submenu_->Close();
  }
  if (parent_menu_ && parent_menu_->open_submenu_ == this) parent_menu_->open_submenu_ = nullptr;
}

MenuItem* Menu::HighlightedItem() const {
  const auto& items = Shown();
  return highlighted_ >= 0 && highlighted_ < static_cast<int>(items.size())
             ? items[static_cast<size_t>(highlighted_)]
             : nullptr;
}

Menu* Menu::Deepest() {
  Menu* m = root_;
  while (m->open_submenu_) m = m->open_submenu_;
  return m;
}

// ---- geometry ----

int Menu::ItemHeight(const MenuItem* item) const {
  if (menu_bar_) return client.Height();
  return item->IsSeparator() ? kSeparatorHeight : LineHeight(this) + 4;
}

void Menu::SizeToItems() {
  if (menu_bar_) {
    int width = parent ? parent->ClientRect().Width() : ScreenSize().x;
    SetFrame(Rect(0, 0, width, LineHeight(this) + 4 + 2 * ThickBorder()));
    return;
  }
  int width = 64, height = 0;
  for (const MenuItem* item : Shown()) {
    if (!item->IsSeparator())
      width = std::max(width, MeasureText(GetFont(), item->Title(), 0) + 36);
    height += ItemHeight(item);
  }
  Point size;
  ClientSizeToFrame(&size, width, std::max(height, 4));
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
}

Rect Menu::ItemRect(int index) const {
  const auto& items = Shown();
  if (index < 0 || index >= static_cast<int>(items.size())) return Rect();
  if (menu_bar_) {
    int x = client.x0 + 6;
    for (int i = 0; i < index; ++i)
      x += MeasureText(GetFont(), items[static_cast<size_t>(i)]->Title(), 0) + kBarItemGap;
    int w = MeasureText(GetFont(), items[static_cast<size_t>(index)]->Title(), 0) + kBarItemGap;
    return Rect(x, client.y0, x + w, client.y1);
  }
  int y = client.y0;
  for (int i = 0; i < index; ++i) y += ItemHeight(items[static_cast<size_t>(i)]);
  return Rect(client.x0, y, client.x1, y + ItemHeight(items[static_cast<size_t>(index)]));
}

int Menu::ItemAt(int x, int y) const {
  int n = static_cast<int>(Shown().size());
  for (int i = 0; i < n; ++i) {
    Rect r = ItemRect(i);
    if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1) return i;
  }
  return -1;
}

Rect MostVisiblePlace(const std::vector<Rect>& candidates) {
  Point screen = ScreenSize();
  Rect whole(0, 0, screen.x, screen.y);
  Rect best;
  long long best_area = -1;
  for (const Rect& r : candidates) {
    Rect on = r.Intersection(whole);
    long long area = on.IsEmpty() ? 0 : static_cast<long long>(on.Width()) * on.Height();
    if (area > best_area) {
      best_area = area;
      best = r;
    }
  }
  return best;
}

// ---- opening and choosing ----

void Menu::Highlight(int index) {
  if (index == highlighted_) return;
  highlighted_ = index;
  InvalidateClient();
  if (MenuItem* item = HighlightedItem()) root_->item_opening.Emit(item);
}

void Menu::CloseSubmenus() {
  if (!open_submenu_) return;
  Menu* sub = open_submenu_;
  sub->CloseSubmenus();
  open_submenu_ = nullptr;
  sub->parent_menu_ = nullptr;
  sub->Close();
}

void Menu::OpenSubmenuOf(int index) {
  const auto& items = Shown();
  if (index < 0 || index >= static_cast<int>(items.size())) return;
  MenuItem* item = items[static_cast<size_t>(index)];
  if (open_submenu_ && open_submenu_->source_ == item) return;
  CloseSubmenus();
  if (!item->HasSubmenu() || !item->IsEnabled()) return;
  auto* sub = new Menu(item, root_, this);
  sub->SizeToItems();
  int w = sub->Frame().Width(), h = sub->Frame().Height();
  Rect r = ItemRect(index);
  std::vector<Rect> places;
  if (menu_bar_) {
    places = {Rect(r.x0, r.y1, r.x0 + w, r.y1 + h), Rect(r.x1 - w, r.y1, r.x1, r.y1 + h),
              Rect(r.x0, r.y0 - h, r.x0 + w, r.y0), Rect(r.x1 - w, r.y0 - h, r.x1, r.y0)};
  } else {
    places = {
        Rect(frame.x1, r.y0, frame.x1 + w, r.y0 + h), Rect(frame.x0 - w, r.y0, frame.x0, r.y0 + h),
        Rect(frame.x1, r.y1 - h, frame.x1 + w, r.y1), Rect(frame.x0 - w, r.y1 - h, frame.x0, r.y1)};
  }
  Rect place = MostVisiblePlace(places);
  Rect layer = Ui().layer1->ClientRect();
  sub->SetFrame(place.Offset(-layer.x0, -layer.y0));
  sub->SetVisible(true);
  sub->BringToFront();
  open_submenu_ = sub;
}

void Menu::Choose(MenuItem* item) {
  if (!Selectable(item) || item->HasSubmenu()) return;
  Menu* root = root_;
  root->chosen_ = item;
  if (root->active_) {
    root->Dismiss();
  } else {
    root->item_chosen.Emit(item);
  }
}

void Menu::Dismiss() {
  Menu* root = root_;
  root->CloseSubmenus();
  if (root->active_ && TopModal() && TopModal()->window == root) EndModal(0);
  root->active_ = false;
}

MenuItem* Menu::RunMenu() {
  chosen_ = nullptr;
  active_ = true;
  RunModal(this, kMenuModalFlags);
  active_ = false;
  CloseSubmenus();
  Highlight(-1);
  MenuItem* chosen = chosen_;
  chosen_ = nullptr;
  if (chosen) item_chosen.Emit(chosen);
  return chosen;
}

int PopUpMenu(Menu* menu, int x, int y) {
  if (!menu || menu->IsMenuBar()) return -1;
  menu->SizeToItems();
  int w = menu->Frame().Width(), h = menu->Frame().Height();
  Rect place = MostVisiblePlace({Rect(x, y, x + w, y + h), Rect(x - w, y, x, y + h),
                                 Rect(x, y - h, x + w, y), Rect(x - w, y - h, x, y)});
  Rect layer = Ui().layer1->ClientRect();
  menu->SetFrame(place.Offset(-layer.x0, -layer.y0));
  menu->Highlight(-1);
  menu->SetVisible(true);
  menu->BringToFront();
  MenuItem* chosen = menu->RunMenu();
  menu->SetVisible(false);
  return chosen ? chosen->Command() : -1;
}

// ---------------------------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------------------------

Menu* Menu::MenuAt(int x, int y) {
  std::vector<Menu*> chain;
  for (Menu* m = root_; m; m = m->open_submenu_) chain.push_back(m);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if ((*it)->IsVisible() && (*it)->Frame().Contains(x, y)) return *it;
  return nullptr;
}

void Menu::ClientMouseMove(Event* e) {
  if (this != root_) return;  // submenus get their input through the root's modal loop
  Menu* m = MenuAt(e->X(), e->Y());
  if (!m) return;
  int index = m->ItemAt(e->X(), e->Y());
  if (index < 0) return;
  if (m->menu_bar_ && !active_) {
    m->Highlight(index);
    return;
  }
  m->Highlight(index);
  if (active_) m->OpenSubmenuOf(index);
}

void Menu::FrameMouseMove(Event* e) {
  ClientMouseMove(e);
}

void Menu::ClientMouseLeft() {
  if (menu_bar_ && !active_) Highlight(-1);
}

void Menu::ClientMouseButton(Event* e) {
  if (this != root_ || !e->Pressed()) return;
  Menu* m = MenuAt(e->X(), e->Y());
  if (!m) {
    // A press outside the menus ends the menu and goes to the window under the mouse.
    if (active_) {
      Event again = *e;
      Dismiss();
      QueueEvent(again);
    }
    return;
  }
  int index = m->ItemAt(e->X(), e->Y());
  if (index < 0) return;
  MenuItem* item = m->Shown()[static_cast<size_t>(index)];
  m->Highlight(index);
  if (item->HasSubmenu()) {
    if (m->menu_bar_ && active_ && m->open_submenu_ && m->open_submenu_->source_ == item) {
      Dismiss();  // a second press on the open title closes the menu
      return;
    }
    m->OpenSubmenuOf(index);
    if (!active_) RunMenu();
    return;
  }
  if (!Selectable(item)) return;
  if (active_) {
    Choose(item);
  } else {
    chosen_ = nullptr;
    item_chosen.Emit(item);
  }
}

void Menu::FrameMouseButton(Event* e) {
  ClientMouseButton(e);
}

int Menu::NextSelectable(int from, int step) const {
  int n = static_cast<int>(Shown().size());
  if (n == 0) return -1;
  int i = from;
  for (int tries = 0; tries < n; ++tries) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (Selectable(Shown()[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

void Menu::StepBar(int step) {
  Menu* bar = root_;
  int n = static_cast<int>(bar->Shown().size());
  if (!bar->menu_bar_ || n == 0) return;
  bool was_open = bar->open_submenu_ != nullptr;
  int next = bar->highlighted_ < 0 ? 0 : (bar->highlighted_ + step + n) % n;
  bar->CloseSubmenus();
  bar->Highlight(next);
  if (was_open) bar->OpenSubmenuOf(next);
}

int Menu::KeyDown(Event* e) {
  if (this != root_ || !active_) return 0;
  if (!e->words[1]) return 1;
  Menu* m = Deepest();
  int key = e->Key();
  switch (key) {
    case kKeyEscape:
      Dismiss();
      return 1;
    case kKeyEnter: {
      MenuItem* item = m->HighlightedItem();
      if (item && item->HasSubmenu()) {
        m->OpenSubmenuOf(m->highlighted_);
        if (m->open_submenu_) m->open_submenu_->Highlight(m->open_submenu_->NextSelectable(-1, 1));
      } else if (item) {
        Choose(item);
      }
      return 1;
    }
    default:
      break;
  }
  if (m->menu_bar_) {
    if (key == kKeyLeft) StepBar(-1);
    if (key == kKeyRight) StepBar(1);
    if (key == kKeyDown && m->highlighted_ >= 0) {
      m->OpenSubmenuOf(m->highlighted_);
      if (m->open_submenu_) m->open_submenu_->Highlight(m->open_submenu_->NextSelectable(-1, 1));
    }
    return 1;
  }
  switch (key) {
    case kKeyUp:
      m->Highlight(m->NextSelectable(m->highlighted_, -1));
      break;
    case kKeyDown:
      m->Highlight(m->NextSelectable(m->highlighted_, 1));
      break;
    case kKeyRight: {
      MenuItem* item = m->HighlightedItem();
      if (item && item->HasSubmenu()) {
        m->OpenSubmenuOf(m->highlighted_);
        if (m->open_submenu_) m->open_submenu_->Highlight(m->open_submenu_->NextSelectable(-1, 1));
      } else {
        StepBar(1);
      }
      break;
    }
    case kKeyLeft:
      if (m->parent_menu_ && !m->parent_menu_->menu_bar_)
        m->parent_menu_->CloseSubmenus();
      else
        StepBar(-1);
      break;
    default:
      break;
  }
  return 1;
}

void Menu::CharTyped(Event* e) {
  if (this != root_ || !active_) return;
  Menu* m = Deepest();
  int wanted = std::toupper(e->Code() & 0xFF);
  int n = static_cast<int>(m->Shown().size());
  for (int step = 1; step <= n; ++step) {
    int i = ((m->highlighted_ < 0 ? -1 : m->highlighted_) + step + n) % n;
    if (m->highlighted_ < 0) i = step - 1;
    const MenuItem* item = m->Shown()[static_cast<size_t>(i)];
    const char* label = item->Title();
    if (item->IsSeparator() || !label) continue;
    if (std::toupper(static_cast<unsigned char>(label[0])) == wanted) {
      m->Highlight(i);
      return;
    }
  }
  Beep();
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

void Menu::DrawContent() {
  int w = client.Width(), h = client.Height();
  if (menu_bar_)
    Piece(kSkinMenuBar, Rect(0, 0, w, h), 0xFF3A3530u);
  else
    Panel(Rect(0, 0, w, h));
  const auto& items = Shown();
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const MenuItem* item = items[static_cast<size_t>(i)];
    Rect r = ItemRect(i).Offset(-client.x0, -client.y0);
    if (item->IsSeparator()) {
      SetColor(0xFF707070u);
      FillRect(Rect(r.x0 + 4, r.y0 + 1, r.x1 - 4, r.y0 + 2));
      continue;
    }
    if (i == highlighted_) Piece(kSkinMenuHighlight, r, 0xFF2E7AB0u);
    SetColor(item->IsEnabled() ? 0xFFFFFFFFu : kGreyLabel);
    Rect text = menu_bar_ ? r : Rect(r.x0 + 12, r.y0, r.x1 - 16, r.y1);
    DrawTextInRect(this, item->Title(), text,
                   kTextCentreVertically | (menu_bar_ ? kTextCentre : 0) | kTextShadow);
    if (!menu_bar_ && item->HasSubmenu())
      DrawTextInRect(this, ">", Rect(r.x1 - 14, r.y0, r.x1 - 4, r.y1), kTextCentreVertically);
  }
}

}  // namespace brae
