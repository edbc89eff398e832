#include "toolkit/ColorButton.h"

#include "toolkit/ColorPicker.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/UiState.h"

namespace brae {

ColorButton::ColorButton(Window* parent, uint32_t colour, uint32_t flags)
    : Window(flags, parent), colour_(colour & 0xFFFFFFu) {}

void ColorButton::SetColour(uint32_t colour) {
  colour_ = colour & 0xFFFFFFu;
  Invalidate();
}

void ColorButton::Pick() {
  uint32_t colour = colour_;
  if (!PickColour(&colour)) return;
  SetColour(colour);
  colour_changed.Emit(static_cast<int>(colour_));
}

void ColorButton::ClientMouseButton(Event* e) {
  if (e->words[5] && e->Button() == 0 && IsEnabled()) Pick();
}

int ColorButton::KeyDown(Event* e) {
  if (Ui().focus != this || !e->words[1]) return 0;
  if (e->Key() == kKeySpace || e->Key() == kKeyEnter) {
    Pick();
    return 1;
  }
  return 0;
}

void ColorButton::DrawContent() {
  Rect r(0, 0, client.Width(), client.Height());
  SetColor(HasFocus() ? 0xFFE0C060u : 0xFF101010u);
  FillRect(r);
  SetColor(0xFF000000u | colour_);
  FillRect(r.Inset(2));
  if (!IsEnabled()) {
    SetColor(0x80606060u);
    FillRect(r.Inset(2));
  }
}

}  // namespace brae
