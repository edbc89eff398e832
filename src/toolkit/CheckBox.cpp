#include "toolkit/CheckBox.h"

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kFallbackBoxSize = 14;
constexpr int kLabelGap = 8;

int BoxSlot(int state) {
  switch (state) {
    case kButtonOn:
      return kSkinCheckOn;
    case kButtonPressedOn:
      return kSkinCheckOnPressed;
    case kButtonPressedOff:
      return kSkinCheckOffPressed;
    default:
      return kSkinCheckOff;
  }
}

void BoxSize(int* w, int* h) {
  *w = *h = 0;
  if (Ui().skin) Ui().skin->ImageSize(kSkinCheckOff, w, h);
  if (*w <= 0 || *h <= 0) *w = *h = kFallbackBoxSize;
}

}  // namespace

CheckBox::CheckBox(Window* parent, int value, uint32_t flags) : Button(parent, value, flags) {
  toggle_mode_ = 1;
}

void CheckBox::SizeToFit() {
  int bw, bh;
  BoxSize(&bw, &bh);
  Rect r = ParentRelativeFrame();
  int width = bw + kLabelGap + TextWidth(this, Title()) + 4;
  int height = std::max(bh, LineHeight(this));
  SetFrame(Rect(r.x0, r.y0, r.x0 + width, r.y0 + height));
}

void CheckBox::DrawContent() {
  int bw, bh;
  BoxSize(&bw, &bh);
  int h = client.Height();
  int top = std::max(0, (h - bh) / 2);
  Skin* skin = Ui().skin;
  int slot = BoxSlot(state_);
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, 0, top, bw, bh);
    skin->FlushSprites();
  } else {
    SetColor(0xFF202020u);
    FillRect(Rect(0, top, bw, top + bh));
    if (state_ == kButtonOn || state_ == kButtonPressedOn) {
      SetColor(0xFFFFFFFFu);
      FillRect(Rect(3, top + 3, bw - 3, top + bh - 3));
    }
  }
  Rect label(bw + kLabelGap, 0, client.Width(), h);
  SetColor(IsEnabled() ? 0xFFFFFFFFu : 0xFF808080u);
  int width = DrawTextInRect(this, Title(), label, kTextCentreVertically | kTextShadow);
  if (HasFocus()) {
    SetColor(0xFF60C0E0u);
    int y = std::min(h, (h + LineHeight(this)) / 2);
    FillRect(Rect(label.x0, y - 2, label.x0 + std::max(width, 8), y));
  }
}

}  // namespace brae
