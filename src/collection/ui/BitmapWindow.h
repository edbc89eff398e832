#pragma once
// A window showing one bitmap of a collection at its own size, centred, with the collection
// palette (shadows in grey). Opened from a bitmap browser, which keeps track of it.

#include "toolkit/Window.h"

namespace brae {

class BitmapTextures;
class CollectionBitmap;

class BitmapWindow : public Window {
 public:
  // Titled with the bitmap's name; the client area is max(250, width) × max(250, height).
  BitmapWindow(CollectionBitmap* bitmap, BitmapTextures* textures);
  ~BitmapWindow() override;
  const char* ClassName() const override { return "BitmapWindow"; }
  void WillClose() override;
  void DrawContent() override;

  CollectionBitmap* Bitmap() const { return bitmap_; }
  // Where the bitmap is drawn, in screen coordinates.
  Rect BitmapRect() const;
  // The owner is going away: the window closes and draws nothing more.
  void Detach();
  // The bitmap's name or size changed.
  void Refresh();

  Signal<BitmapWindow*> closed;

 private:
  CollectionBitmap* bitmap_;
  BitmapTextures* textures_;
  bool reported_closed_ = false;
};

}  // namespace brae
