#pragma once
// Pages with tabs: every child window added becomes a page whose tab shows the page's title.

#include <vector>

#include "toolkit/Window.h"

namespace brae {

class TabWindow : public Window {
 public:
  explicit TabWindow(uint32_t flags, Window* parent = nullptr);
  const char* ClassName() const override { return "TabWindow"; }

  void SelectTab(int index);
  int CurrentTab() const { return current_; }
  int TabCount() const { return static_cast<int>(tabs_.size()); }
  Window* Page(int index) const;
  // Tab rectangles in screen coordinates (computed from the pages' titles).
  Rect TabRect(int index) const;
  int TabRowHeight() const;
  int TabAt(int x, int y) const;

  void ChildAdded(Window* child) override;
  void ChildRemoved(Window* child) override;
  void Layout() override;
  void Idle() override;
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;
  int KeyDown(Event* event) override;

 private:
  struct Tab {
    Rect rect;
    Window* page = nullptr;
  };
  void LayoutTabs();
  void PlacePage(Window* page);

  std::vector<Tab> tabs_;
  int current_ = -1;
  bool pending_layout_ = false;
};

}  // namespace brae
