#pragma once
// One content shown either as a list or as a grid, with a button at the top right that names
// the view shown ("List" or "Grid") and switches between them.

#include "toolkit/GridWindow.h"
#include "toolkit/ListWindow.h"

namespace brae {

enum ListGridView : int { kShowList = 0, kShowGrid = 1 };

class ListGridWindow : public Window {
 public:
  ListGridWindow(uint32_t list_style, uint32_t grid_style, uint32_t flags,
                 Window* parent = nullptr);
  const char* ClassName() const override { return "ListGridWindow"; }

  ListWindow* List() const { return list_; }
  GridWindow* Grid() const { return grid_; }
  Window* ViewButton() const { return button_; }
  int View() const { return view_; }
  void SetView(int view);
  void ToggleView() { SetView(view_ == kShowList ? kShowGrid : kShowList); }

  Signal<int> view_changed;

  void Layout() override;

 private:
  ListWindow* list_ = nullptr;
  GridWindow* grid_ = nullptr;
  Window* button_ = nullptr;
  int view_ = kShowList;
};

}  // namespace brae
