// Window's default drawing: the background from the skin and the frame (shadow, border, title
// bar, title boxes). Called between BeginDraw and EndDraw, in coordinates local to the client
// (background) or to the frame (frame).

#include <algorithm>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"
#include "toolkit/Window.h"

namespace brae {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey96 = 0xFF606060u;
constexpr uint32_t kShadowColour = 0x50000000u;
constexpr uint32_t kOutlineColour = 0xFF101010u;

void Fill(Skin* skin, int slot, const Rect& r, int mode, uint32_t colour, uint32_t fallback) {
  if (r.IsEmpty()) return;
  if (skin && skin->Image(slot)) {
    skin->QueueImage(slot, r.x0, r.y0, r.Width(), r.Height(), mode, colour);
  } else {
    SetColor(fallback);
    FillRect(r);
  }
}

}  // namespace

void Window::DrawBackground() {
  uint32_t colour;
  if (flags & kWindowWhiteBackground)
    colour = kWhite;
  else if (flags & kWindowGreyBackground)
    colour = kGrey96;
  else
    return;
  Skin* skin = Ui().skin;
  Fill(skin, kSkinBackground, Rect(0, 0, client.Width(), client.Height()), kSpriteTile, colour,
       colour == kWhite ? 0xFFAFA096u : 0xFF3C3A38u);
}

void Window::DrawFrame() {
  Skin* skin = Ui().skin;
  int w = frame.Width(), h = frame.Height();
  if (flags & kWindowShadow) {
    SetColor(kShadowColour);
    FillRect(Rect(w, kShadowSize, w + kShadowSize, h + kShadowSize));
    FillRect(Rect(kShadowSize, h, w, h + kShadowSize));
  }
  int bw = BorderWidth();
  if (bw > 0) {
    int slot = (flags & kWindowDialogFrame)   ? kSkinDialogBorder
               : (flags & kWindowThickBorder) ? kSkinThickBorder
                                              : kSkinThinBorder;
    uint32_t fallback = (flags & kWindowThickBorder) ? 0xFF707070u : 0xFF202020u;
    int left = (edges & kEdgeLeft) ? bw : 0, right = (edges & kEdgeRight) ? bw : 0;
    if (edges & kEdgeTop) Fill(skin, slot, Rect(0, 0, w, bw), kSpriteTile, kWhite, fallback);
    if (edges & kEdgeBottom) Fill(skin, slot, Rect(0, h - bw, w, h), kSpriteTile, kWhite, fallback);
    if (left) Fill(skin, slot, Rect(0, bw, bw, h - bw), kSpriteTile, kWhite, fallback);
    if (right) Fill(skin, slot, Rect(w - bw, bw, w, h - bw), kSpriteTile, kWhite, fallback);
    // The band between the title bar and the client belongs to the frame too.
    if (flags & kWindowTitleBar) {
      int top = TitleBarRect().y1 - frame.y0;
      Fill(skin, slot, Rect(left, top, w - right, client.y0 - frame.y0), kSpriteTile, kWhite,
           fallback);
    }
    if (skin) skin->FlushSprites();
    if (flags & kWindowThickBorder) {
      SetColor(kOutlineColour);
      FrameRect(Rect(0, 0, w, h), 1, true);
    }
  }
  if (flags & kWindowTitleBar) {
    Rect bar = TitleBarRect().Offset(-frame.x0, -frame.y0);
    Window* focus = Ui().focus;
    bool active = focus && (focus == this || IsAncestorOf(focus));
    Fill(skin, active ? kSkinTitleBarActive : kSkinTitleBar, bar, kSpriteStretch, kWhite,
         active ? 0xFF2E5A8Au : 0xFF4A4A4Au);
    const uint32_t boxes[3] = {HitCloseBox, HitZoomBox, HitCollapseBox};
    const uint32_t present[3] = {kWindowCloseBox, kWindowZoomBox, kWindowCollapseBox};
    const int slots[3] = {kSkinCloseBox, kSkinZoomBox, kSkinCollapseBox};
    const int pressed[3] = {kSkinCloseBoxPressed, kSkinZoomBoxPressed, kSkinCollapseBoxPressed};
    int text_right = bar.x1 - 4;
    for (int i = 0; i < 3; ++i) {
      if (!(flags & present[i])) continue;
      Rect r = TitleBoxRect(boxes[i]).Offset(-frame.x0, -frame.y0);
      text_right = std::min(text_right, r.x0 - 4);
      Fill(skin, highlighted_box == boxes[i] ? pressed[i] : slots[i], r, kSpriteStretch, kWhite,
           highlighted_box == boxes[i] ? 0xFF303030u : 0xFFB0B0B0u);
    }
    if (skin) skin->FlushSprites();
    if (const char* text = Title()) {
      SetColor(active ? 0xFFFFFFFFu : 0xFFC8C8C8u);
      DrawTextInRect(this, text, Rect(bar.x0 + 6, bar.y0, text_right, bar.y1),
                     kTextCentreVertically | kTextShadow);
    }
  }
}

}  // namespace brae
