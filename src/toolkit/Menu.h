#pragma once
// Menus: a menu bar or a pop-up menu, whose items are invisible child windows that only hold
// data (label as title, enabled bit, command id as user value, submenu items as children).
// While a menu is open it runs a modal loop; its root menu routes the input of every open
// submenu.

#include <vector>

#include "toolkit/Window.h"

namespace brae {

class Menu;

constexpr int kSeparatorCommand = -1;
constexpr const char* kSeparatorLabel = "<---separator--->";
constexpr int kMenuModalFlags = 11;

class MenuItem : public Window {
 public:
  MenuItem(uint32_t flags, Window* parent, Menu* menu, MenuItem* parent_item);
  ~MenuItem() override;
  const char* ClassName() const override { return "MenuItem"; }

  Menu* TopMenu() const { return menu_; }
  MenuItem* ParentItem() const { return parent_item_; }
  int Command() const { return user_value; }
  bool IsSeparator() const { return user_value == kSeparatorCommand; }
  bool HasSubmenu() const { return !items_.empty(); }
  // The items of this item's submenu (of the menu itself for a Menu), in order.
  const std::vector<MenuItem*>& Items() const { return items_; }

 private:
  friend class Menu;
  friend MenuItem* AddMenuItem(Menu*, const char*, MenuItem*, int, bool);
  friend void RemoveMenuItem(MenuItem*);
  Menu* menu_ = nullptr;
  MenuItem* parent_item_ = nullptr;
  MenuItem* holder_ = nullptr;  // whose Items() list holds this item
  std::vector<MenuItem*> items_;
};

class Menu : public MenuItem {
 public:
  explicit Menu(bool menu_bar);
  ~Menu() override;
  const char* ClassName() const override { return "Menu"; }

  bool IsMenuBar() const { return menu_bar_; }
  // The items this window shows: its own, or those of the item whose submenu it is.
  const std::vector<MenuItem*>& Shown() const { return source_->Items(); }
  int Highlighted() const { return highlighted_; }
  MenuItem* HighlightedItem() const;
  Menu* OpenSubmenu() const { return open_submenu_; }
  Menu* ParentMenu() const { return parent_menu_; }
  // The deepest open menu of this root's chain.
  Menu* Deepest();
  bool IsActive() const { return active_; }

  // Sizes the menu (the bar to its parent's width, a pop-up to its widest item).
  void SizeToItems();
  int ItemHeight(const MenuItem* item) const;
  Rect ItemRect(int index) const;  // screen coordinates
  int ItemAt(int x, int y) const;
  void Highlight(int index);
  void OpenSubmenuOf(int index);
  void CloseSubmenus();
  void Choose(MenuItem* item);
  // Ends the open menu without a choice.
  void Dismiss();
  // Runs the modal loop of a root menu; returns the chosen item or null.
  MenuItem* RunMenu();

  Signal<MenuItem*> item_chosen;
  Signal<MenuItem*> item_opening;

  void DrawContent() override;
  int KeyDown(Event* event) override;
  void CharTyped(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void FrameMouseButton(Event* event) override;
  void ClientMouseMove(Event* event) override;
  void FrameMouseMove(Event* event) override;
  void ClientMouseLeft() override;

 private:
  Menu(MenuItem* source, Menu* root, Menu* parent_menu);
  Menu* RootMenu() { return root_; }
  Menu* MenuAt(int x, int y);
  int NextSelectable(int from, int step) const;
  void StepBar(int step);

  bool menu_bar_ = false;
  MenuItem* source_ = this;
  Menu* root_ = this;
  Menu* parent_menu_ = nullptr;
  Menu* open_submenu_ = nullptr;
  int highlighted_ = -1;
  bool active_ = false;
  MenuItem* chosen_ = nullptr;
};

// Appends an item to the menu (or to the submenu of parent_item) and returns it.
MenuItem* AddMenuItem(Menu* menu, const char* label, MenuItem* parent_item, int command,
                      bool enabled = true);
MenuItem* AddSeparator(Menu* menu, MenuItem* parent_item);
void RemoveMenuItem(MenuItem* item);
// Shows a pop-up menu at the most visible place around (x, y) and runs it; returns the chosen
// item's command id, or -1.
int PopUpMenu(Menu* menu, int x, int y);
// Of the candidate rectangles, the one with the largest area on screen (the first on ties).
Rect MostVisiblePlace(const std::vector<Rect>& candidates);

}  // namespace brae
