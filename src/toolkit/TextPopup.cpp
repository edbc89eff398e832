#include "toolkit/TextPopup.h"

#include "toolkit/Input.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {
constexpr int kPopupModalFlags = kModalKeysToWindow | kModalMouseToWindow | kModalEndOnQuit;
}

TextPopup::TextPopup(Window* parent, const Rect& rect, TextBox* box)
    : Window(kWindowVisible | kWindowEnabled, parent),
      box_(box),
      box_parent_(box->Parent()),
      box_frame_(box->ParentRelativeFrame()),
      box_visible_(box->IsVisible()) {
  SetFrame(rect);
  box_->SetParent(this);
  box_->SetVisible(true);
  Layout();
  box_->SelectAll();
  box_->enter.Connect(this, &TextPopup::OnEnter);
}

void TextPopup::Layout() {
  if (box_ && box_->Parent() == this) box_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
}

int TextPopup::Run() {
  BringToFront();
  box_->SetFocus(1);
  int result = RunModal(this, kPopupModalFlags);
  if (!IsClosed()) Close();
  return result;
}

void TextPopup::OnEnter(int pressed) {
  if (!pressed) return;
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(0);
  Close();
}

void TextPopup::ClientMouseButton(Event* e) {
  if (!e->words[5] || frame.Contains(e->X(), e->Y())) return;
  Event again = *e;
  again.type = EventType::MouseButton;
  const ModalEntry* top = TopModal();
  if (top && top->window == this) EndModal(1);
  Close();
  QueueEvent(again);
}

void TextPopup::WillClose() {
  if (!box_) return;
  box_->enter.Disconnect(this);
  if (box_->Parent() == this) {
    // Hand the box back; without an owner it waits hidden in the layer.
    box_->SetVisible(box_parent_ ? box_visible_ : false);
    box_->SetParent(box_parent_ ? box_parent_ : Ui().layer0);
    box_->SetFrame(box_frame_);
  }
  box_ = nullptr;
}

}  // namespace brae
