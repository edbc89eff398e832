#include "collection/ui/X256SequenceFrameView.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "collection/Collection.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/X256SequenceFrameEdit.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"

namespace brae {

namespace {

constexpr uint32_t kRegPointColour = 0xFF0000FFu;      // red
constexpr uint32_t kKeyPointColour = 0xFF00FF00u;      // green
constexpr uint32_t kOriginColour = 0xFFFFFF00u;        // cyan
constexpr uint32_t kSelectionBoxColour = 0xFF00FFFFu;  // yellow
constexpr uint32_t kTextColour = 0xFFFFFFFFu;
constexpr int kMarkerSide = 7;
constexpr int kOriginArm = 12;
constexpr int kShadowScale = 5;
constexpr float kContrailOpacity = 0.5f;

// Draws a bitmap's texture into a rectangle (drawing coordinates), mirrored as asked, at an
// opacity.
void DrawTexture(BitmapTextures* textures, const CollectionBitmap* bitmap, float x0, float y0,
                 float x1, float y1, bool mirror_x, bool mirror_y, float opacity) {
  const BitmapTextures::Texture* t = textures ? textures->Get(bitmap) : nullptr;
  if (!t) return;
  float u0 = 0, v0 = 0;
  float u1 = float(t->width) / float(t->tex_width), v1 = float(t->height) / float(t->tex_height);
  if (mirror_x) std::swap(u0, u1);
  if (mirror_y) std::swap(v0, v1);
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, t->name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, opacity);
  glBegin(GL_QUADS);
  glTexCoord2f(u0, v0), glVertex2f(x0, y0);
  glTexCoord2f(u1, v0), glVertex2f(x1, y0);
  glTexCoord2f(u1, v1), glVertex2f(x1, y1);
  glTexCoord2f(u0, v1), glVertex2f(x0, y1);
  glEnd();
  glPopAttrib();
}

int Round(float v) {
  return int(std::floor(v + 0.5f));
}

}  // namespace

X256SequenceFrameView::X256SequenceFrameView(X256SequenceFrameEdit* owner, BitmapTextures* textures)
    : Window(kWindowVisible | kWindowEnabled | kWindowFocusable, owner),
      owner_(owner),
      textures_(textures) {
  SetTitle("Frame View");
  shown_[kShowContrail] = false;
}

void X256SequenceFrameView::SetCell(int frame, int view) {
  if (frame == frame_ && view == view_) return;
  contrail_frame_ = frame_;
  contrail_view_ = view_;
  frame_ = frame;
  view_ = view;
  InvalidateClient();
}

void X256SequenceFrameView::SetZoom(int percent) {
  if (percent <= 0 || percent == zoom_) return;
  zoom_ = percent;
  InvalidateClient();
}

void X256SequenceFrameView::SetBackground(uint32_t colour) {
  background_ = colour;
  InvalidateClient();
}

void X256SequenceFrameView::SetShown(int part, bool shown) {
  if (part < 0 || part >= kFrameViewPartCount || shown_[part] == shown) return;
  shown_[part] = shown;
  InvalidateClient();
}

MoveMode X256SequenceFrameView::HeldMoveMode() {
  const bool function_keys[5] = {IsKeyDown(kKeyF1), IsKeyDown(kKeyF2), IsKeyDown(kKeyF1 + 2),
                                 IsKeyDown(kKeyF4), IsKeyDown(kKeyF5)};
  const int mods = ModifierFlags();
  return MoveModeForKeys(function_keys, mods & kModShift, mods & kModControl, mods & kModAlt);
}

std::string X256SequenceFrameView::MoveModeText() const {
  char text[96];
  std::snprintf(text, sizeof text, kMoveModeFormat, MoveModeName(shown_mode_));
  return text;
}

// ---- geometry -------------------------------------------------------------------------------

Point X256SequenceFrameView::Origin() const {
  return Point{client.x0 + client.Width() / 2, client.y0 + client.Height() / 2};
}

bool X256SequenceFrameView::CellBox(int frame, int view, Box* box) const {
  if (!sequence_) return false;
  const CollectionInstance* in = sequence_->InstanceAt(frame, view);
  if (!in || !in->bitmap) return false;
  const float z = float(zoom_) / 100.0f;
  box->x0 = -float(in->reg_x) * z;
  box->y0 = -float(in->reg_y) * z;
  box->x1 = box->x0 + float(in->bitmap->width) * z;
  box->y1 = box->y0 + float(in->bitmap->height) * z;
  return true;
}

Rect X256SequenceFrameView::BitmapRect() const {
  Box b;
  if (!CellBox(frame_, view_, &b)) return Rect();
  const Point o = Origin();
  return Rect(o.x + Round(b.x0), o.y + Round(b.y0), o.x + Round(b.x1), o.y + Round(b.y1));
}

Point X256SequenceFrameView::KeyPoint() const {
  const Point o = Origin();
  const CollectionInstance* in = sequence_ ? sequence_->InstanceAt(frame_, view_) : nullptr;
  if (!in) return o;
  const float z = float(zoom_) / 100.0f;
  return Point{o.x + Round(float(in->key_x - in->reg_x) * z),
               o.y + Round(float(in->key_y - in->reg_y) * z)};
}

// ---- drawing --------------------------------------------------------------------------------

void X256SequenceFrameView::DrawShadow(float ox, float oy) {
  if (!sequence_ || frame_ < 0 || frame_ >= sequence_->FrameCount()) return;
  const CollectionShadow& shadow = sequence_->frames[size_t(frame_)].shadow;
  if (!shadow.bitmap) return;
  // Five times its size, centred on the registration origin moved by the shadow offset.
  const float z = float(zoom_) / 100.0f;
  const float w = float(shadow.bitmap->width * kShadowScale) * z;
  const float h = float(shadow.bitmap->height * kShadowScale) * z;
  const float cx = ox + float(shadow.DisplayOffsetX()) * z;
  const float cy = oy + float(shadow.DisplayOffsetY()) * z;
  DrawTexture(textures_, shadow.bitmap, cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2,
              shadow.flags & kShadowMirrorX, shadow.flags & kShadowMirrorY, 1.0f);
}

void X256SequenceFrameView::DrawCell(int frame, int view, float ox, float oy, float opacity) {
  Box b;
  if (!CellBox(frame, view, &b)) return;
  const CollectionInstance* in = sequence_->InstanceAt(frame, view);
  DrawTexture(textures_, in->bitmap, ox + b.x0, oy + b.y0, ox + b.x1, oy + b.y1,
              in->flags & kInstanceMirrorX, in->flags & kInstanceMirrorY, opacity);
}

void X256SequenceFrameView::DrawMarkers(float ox, float oy) {
  const int x = Round(ox), y = Round(oy);
  const int half = kMarkerSide / 2;
  Box b;
  const bool has_bitmap = CellBox(frame_, view_, &b);
  if (shown_[kShowSelectionBox] && has_bitmap) {
    SetColor(kSelectionBoxColour);
    FrameRect(
        Rect(x + Round(b.x0) - 1, y + Round(b.y0) - 1, x + Round(b.x1) + 1, y + Round(b.y1) + 1), 1,
        true);
  }
  if (shown_[kShowOrigin]) {
    SetColor(kOriginColour);
    FillRect(Rect(x - kOriginArm, y, x + kOriginArm + 1, y + 1));
    FillRect(Rect(x, y - kOriginArm, x + 1, y + kOriginArm + 1));
  }
  const CollectionInstance* in = sequence_ ? sequence_->InstanceAt(frame_, view_) : nullptr;
  if (!in) return;
  if (shown_[kShowRegPoint]) {
    // The registration point lies on the origin.
    SetColor(kRegPointColour);
    FrameRect(Rect(x - half, y - half, x + half + 1, y + half + 1), 2, true);
  }
  if (shown_[kShowKeyPoint]) {
    const Point key = KeyPoint();
    const int kx = key.x - client.x0, ky = key.y - client.y0;
    SetColor(kKeyPointColour);
    FrameRect(Rect(kx - half, ky - half, kx + half + 1, ky + half + 1), 2, true);
  }
}

void X256SequenceFrameView::DrawContent() {
  SetColor(background_);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  const float ox = float(client.Width() / 2), oy = float(client.Height() / 2);
  if (sequence_) {
    if (shown_[kShowShadow]) DrawShadow(ox, oy);
    if (shown_[kShowContrail] && contrail_frame_ >= 0 &&
        (contrail_frame_ != frame_ || contrail_view_ != view_))
      DrawCell(contrail_frame_, contrail_view_, ox, oy, kContrailOpacity);
    if (shown_[kShowBitmap]) DrawCell(frame_, view_, ox, oy, 1.0f);
    DrawMarkers(ox, oy);
  }
  SetColor(kTextColour);
  const std::string text = MoveModeText();
  DrawText(this, text.c_str(), 6, client.Height() - LineHeight(this) - 4, kTextShadow);
}

// ---- input ----------------------------------------------------------------------------------

void X256SequenceFrameView::Idle() {
  const MoveMode held = HeldMoveMode();
  if (held == shown_mode_) return;
  shown_mode_ = held;
  InvalidateClient();
}

int X256SequenceFrameView::KeyDown(Event* event) {
  int dx = 0, dy = 0;
  switch (event->Key()) {
    case kKeyLeft:
      dx = -1;
      break;
    case kKeyRight:
      dx = 1;
      break;
    case kKeyUp:
      dy = -1;
      break;
    case kKeyDown:
      dy = 1;
      break;
    default:
      return 0;
  }
  if (!event->Pressed()) return 1;
  if (owner_->IsPlaying() || dragging_) return 1;
  const MoveMode mode = HeldMoveMode();
  if (mode == MoveMode::kNone)
    owner_->StepCell(dy, dx);
  else
    owner_->MoveBy(mode, dx, dy);
  return 1;
}

void X256SequenceFrameView::ClientMouseButton(Event* event) {
  if (!event->Pressed() || event->Button() != 0 || owner_->IsPlaying()) return;
  const MoveMode mode = HeldMoveMode();
  if (mode == MoveMode::kNone) return;
  if (!BeginMouseTracking(this, nullptr, nullptr)) return;
}

void X256SequenceFrameView::TrackMouse(int start_x, int start_y, int x, int y, int phase) {
  if (phase == 0) {
    dragging_ = true;
    drag_mode_ = HeldMoveMode();
    applied_x_ = applied_y_ = 0;
    owner_->BeginMoveDrag();
    return;
  }
  if (!dragging_) return;
  // The whole displacement since the press, so that no rounding is lost along the way.
  const int want_x = DragDisplacement(x - start_x, zoom_);
  const int want_y = DragDisplacement(y - start_y, zoom_);
  if (want_x != applied_x_ || want_y != applied_y_) {
    owner_->DragMove(drag_mode_, want_x - applied_x_, want_y - applied_y_);
    applied_x_ = want_x;
    applied_y_ = want_y;
  }
  if (phase == 2) EndDrag();
}

void X256SequenceFrameView::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  owner_->EndMoveDrag();
}

}  // namespace brae
