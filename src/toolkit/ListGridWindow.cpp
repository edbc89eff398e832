#include "toolkit/ListGridWindow.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kStripHeight = 32;

// The small switch at the top right; pressing it swaps the views.
class ViewSwitch : public Window {
 public:
  explicit ViewSwitch(ListGridWindow* owner) : Window(kWindowVisible, owner), owner_(owner) {}
  const char* ClassName() const override { return "Button"; }
  void ClientMouseButton(Event* e) override {
    if (e->Pressed() && e->Button() == 0) owner_->ToggleView();
  }
  void DrawContent() override {
    Rect r(0, 0, client.Width(), client.Height());
    Skin* skin = Ui().skin;
    if (skin && skin->Image(kSkinButton)) {
      skin->QueueImage(kSkinButton, 0, 0, r.x1, r.y1);
      skin->FlushSprites();
    } else {
      SetColor(0xFF606060u);
      FillRect(r);
    }
    SetColor(0xFFFFFFFFu);
    DrawTextInRect(this, Title(), r, kTextCentre | kTextCentreVertically | kTextShadow);
  }

 private:
  ListGridWindow* owner_;
};

}  // namespace

ListGridWindow::ListGridWindow(uint32_t list_style, uint32_t grid_style, uint32_t flags,
                               Window* parent)
    : Window(flags, parent) {
  list_ = new ListWindow(list_style, kWindowVisible, this);
  grid_ = new GridWindow(grid_style, 0, this);
  button_ = new ViewSwitch(this);
  button_->SetTitle("List");
  Layout();
}

void ListGridWindow::SetView(int view) {
  view = view == kShowGrid ? kShowGrid : kShowList;
  if (view == view_) return;
  view_ = view;
  list_->SetVisible(view_ == kShowList);
  grid_->SetVisible(view_ == kShowGrid);
  button_->SetTitle(view_ == kShowList ? "List" : "Grid");
  Window* shown = view_ == kShowList ? static_cast<Window*>(list_) : grid_;
  shown->SetFocus(2);
  Layout();
  InvalidateClient();
  view_changed.Emit(view_);
}

void ListGridWindow::Layout() {
  if (!list_ || !grid_ || !button_) return;
  int w = client.Width(), h = client.Height();
  int bw = std::max(MeasureText(GetFont(), "Grid", 0), MeasureText(GetFont(), "List", 0)) + 24;
  int bh = std::max(LineHeight(this) + 6, 22);
  button_->SetFrame(Rect(w - 1 - bw, 3, w - 1, 3 + bh));
  Rect area(0, kStripHeight, w, std::max(h, kStripHeight));
  list_->SetFrame(area);
  grid_->SetFrame(area);
}

}  // namespace brae
