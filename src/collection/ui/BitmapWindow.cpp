#include "collection/ui/BitmapWindow.h"

#include <algorithm>

#include "collection/Collection.h"
#include "collection/ui/BitmapTextures.h"
#include "toolkit/Frame.h"

namespace brae {

namespace {

constexpr uint32_t kBitmapWindowFlags = kWindowEnabled | kWindowTitleBar | kWindowShadow |
                                        kWindowThickBorder | kWindowCloseBox | kWindowCollapseBox |
                                        kWindowFocusable;
constexpr int kMinimumSide = 250;
constexpr uint32_t kBackground = 0xFF303030u;

}  // namespace

BitmapWindow::BitmapWindow(CollectionBitmap* bitmap, BitmapTextures* textures)
    : Window(kBitmapWindowFlags), bitmap_(bitmap), textures_(textures) {
  Refresh();
  Rect f = ParentRelativeFrame();
  PlaceAtCascade(Point{f.Width(), f.Height()});
  SetVisible(true);
  BringToFront();
  SetFocus(0);
}

void BitmapWindow::Refresh() {
  if (!bitmap_) return;
  SetTitle(bitmap_->name.c_str());
  Point size = FrameSizeForClient(std::max(kMinimumSide, bitmap_->width),
                                  std::max(kMinimumSide, bitmap_->height));
  Point screen = ScreenSize();
  size.x = std::min(size.x, std::max(screen.x, kMinimumSide));
  size.y = std::min(size.y, std::max(screen.y, kMinimumSide));
  Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
  InvalidateClient();
}

Rect BitmapWindow::BitmapRect() const {
  if (!bitmap_) return Rect();
  int x = client.x0 + (client.Width() - bitmap_->width) / 2;
  int y = client.y0 + (client.Height() - bitmap_->height) / 2;
  return Rect(x, y, x + bitmap_->width, y + bitmap_->height);
}

void BitmapWindow::DrawContent() {
  SetColor(kBackground);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  if (!bitmap_ || !textures_) return;
  textures_->Draw(bitmap_, BitmapRect().Offset(-client.x0, -client.y0));
}

// Deleted without closing (the whole tree at shutdown), it still tells its browser.
BitmapWindow::~BitmapWindow() {
  if (!reported_closed_) closed.Emit(this);
}

void BitmapWindow::WillClose() {
  reported_closed_ = true;
  closed.Emit(this);
}

void BitmapWindow::Detach() {
  bitmap_ = nullptr;
  textures_ = nullptr;
  if (!IsClosed()) Close();
}

}  // namespace brae
