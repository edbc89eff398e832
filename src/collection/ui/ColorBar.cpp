#include "collection/ui/ColorBar.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "collection/HueMath.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"

namespace brae {

namespace {

constexpr int kMarkerTolerance = 5;
constexpr uint32_t kEndMarkerColour = 0xFFFFFFFFu;
constexpr uint32_t kMedianMarkerColour = 0xFF000000u;
constexpr uint32_t kOutsideShade = 0xA0202020u;

void HueVertex(double degrees, int x, int y) {
  Hsv hsv;
  hsv.h = degrees / 360.0;
  hsv.s = 1;
  hsv.v = 1;
  double r, g, b;
  HsvToRgb(hsv, &r, &g, &b);
  glColor4f(float(r), float(g), float(b), 1.0f);
  glVertex2i(x, y);
}

void DrawMarker(int x, int height, uint32_t colour, bool from_top) {
  SetColor(colour);
  FillRect(Rect(x - 1, 0, x + 1, height));
  // A small triangle at one end tells the median from the range's ends; white shows on the
  // dimmed part of the bar as well as on the lit one.
  SetColor(kEndMarkerColour);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_TRIANGLES);
  const int tip = from_top ? 5 : height - 5, base = from_top ? 0 : height;
  glVertex2i(x - 4, base);
  glVertex2i(x + 4, base);
  glVertex2i(x, tip);
  glEnd();
}

}  // namespace

ColorBar::ColorBar(Window* parent) : Window(kWindowVisible | kWindowEnabled, parent) {
  SetTitle("Affected Hue Range");
  SetFrame(Rect(0, 0, kColorBarWidth, kColorBarHeight));
}

void ColorBar::SetHueChange(const HueChange& change) {
  if (std::memcmp(&change, &current_, sizeof change) == 0) return;
  current_ = change;
  InvalidateClient();
}

int ColorBar::MarkerScreenX(HueMarker marker) const {
  return client.x0 + HueDegrees(MarkerHue(current_, marker));
}

void ColorBar::ClientMouseButton(Event* event) {
  if (!event->Pressed() || event->Button() != 0 || dragging_ != HueMarker::kNone) return;
  const HueMarker marker = MarkerAtX(current_, event->X() - client.x0, kMarkerTolerance);
  if (marker == HueMarker::kNone) return;
  dragging_ = marker;
  drag_start_ = current_;
  if (!BeginMouseTracking(this, nullptr, nullptr)) dragging_ = HueMarker::kNone;
}

void ColorBar::TrackMouse(int, int, int x, int, int phase) {
  if (dragging_ == HueMarker::kNone) return;
  const int degrees = std::clamp(x - client.x0, 0, kColorBarWidth);
  if (phase > 0 && MoveHueMarker(&current_, dragging_, HueFromDegrees(degrees))) {
    InvalidateClient();
    moved.Emit();
  }
  if (phase == 2) {
    dragging_ = HueMarker::kNone;
    if (std::memcmp(&current_, &drag_start_, sizeof current_) != 0) drag_ended.Emit();
  }
}

void ColorBar::DrawContent() {
  const int w = client.Width(), h = client.Height();
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  for (int k = 0; k < 6; ++k) {
    const int x0 = w * k / 6, x1 = w * (k + 1) / 6;
    HueVertex(60.0 * k, x0, 0);
    HueVertex(60.0 * (k + 1) - 1e-6, x1, 0);
    HueVertex(60.0 * (k + 1) - 1e-6, x1, h);
    HueVertex(60.0 * k, x0, h);
  }
  glEnd();
  // Dim what lies outside the range (start included, end excluded; wrapping past 360°).
  const int start = HueDegrees(current_.start_hue), end = HueDegrees(current_.end_hue);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetColor(kOutsideShade);
  if (start <= end) {
    FillRect(Rect(0, 0, start, h));
    FillRect(Rect(end, 0, w, h));
  } else {
    FillRect(Rect(end, 0, start, h));
  }
  DrawMarker(start, h, kEndMarkerColour, true);
  DrawMarker(end, h, kEndMarkerColour, true);
  DrawMarker(HueDegrees(current_.median_hue), h, kMedianMarkerColour, false);
}

}  // namespace brae
