#include "toolkit/ColorPicker.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

constexpr int kSquareW = 256, kSquareH = 128, kSliderW = 20, kGap = 12;
constexpr int kColumnX = kSquareW + kGap + kSliderW + kGap;
constexpr int kLabelW = 50, kFieldW = 64, kRowH = 24;
constexpr int kContentW = kColumnX + kLabelW + kFieldW;
constexpr int kContentH = kSquareH + kGap + kRowH + 4;
const char* const kFieldLabels[4] = {"Red:", "Green:", "Blue:", "Hex:"};

int Channel(uint32_t rgb, int i) {
  return (rgb >> (8 * i)) & 0xFF;
}
uint32_t Pack(int r, int g, int b) {
  return static_cast<uint32_t>(std::clamp(r, 0, 255)) |
         (static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8) |
         (static_cast<uint32_t>(std::clamp(b, 0, 255)) << 16);
}
void GlColour(uint32_t rgb) {
  glColor4ub(Channel(rgb, 0), Channel(rgb, 1), Channel(rgb, 2), 255);
}

}  // namespace

// ---- colour maths
// ---------------------------------------------------------------------------------

Hsv RgbToHsv(uint32_t rgb) {
  double r = Channel(rgb, 0) / 255.0, g = Channel(rgb, 1) / 255.0, b = Channel(rgb, 2) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  Hsv out;
  out.v = mx;
  out.s = mx > 0 ? d / mx : 0;
  if (d > 0) {
    if (mx == r)
      out.h = 60 * std::fmod((g - b) / d, 6.0);
    else if (mx == g)
      out.h = 60 * ((b - r) / d + 2);
    else
      out.h = 60 * ((r - g) / d + 4);
    if (out.h < 0) out.h += 360;
  }
  return out;
}

uint32_t HsvToRgb(const Hsv& hsv) {
  double h = std::fmod(std::max(0.0, hsv.h), 360.0) / 60.0;
  double s = std::clamp(hsv.s, 0.0, 1.0), v = std::clamp(hsv.v, 0.0, 1.0);
  double c = v * s, x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1)), m = v - c;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0:
      r = c, g = x;
      break;
    case 1:
      r = x, g = c;
      break;
    case 2:
      g = c, b = x;
      break;
    case 3:
      g = x, b = c;
      break;
    case 4:
      r = x, b = c;
      break;
    default:
      r = c, b = x;
      break;
  }
  auto to8 = [m](double t) { return static_cast<int>(std::lround((t + m) * 255)); };
  return Pack(to8(r), to8(g), to8(b));
}

std::string FormatHex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", Channel(rgb, 0), Channel(rgb, 1),
                Channel(rgb, 2));
  return text;
}

bool ParseHex(const std::string& text, uint32_t* rgb) {
  std::string t = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  if (t.size() != 6) return false;
  unsigned v = 0;
  for (char c : t) {
    int d =
        std::isxdigit(static_cast<unsigned char>(c))
            ? (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10))
            : -1;
    if (d < 0) return false;
    v = v * 16 + d;
  }
  *rgb = Pack((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return true;
}

// ---- the window
// ----------------------------------------------------------------------------------------

ColorPickerWindow::ColorPickerWindow(uint32_t colour)
    : DialogWindow(kDialogFlags & ~kWindowResizable), old_(colour & 0xFFFFFFu), colour_(old_) {
  hsv_ = RgbToHsv(colour_);
  SetContentSize(kContentW, kContentH);
  Rect content = ContentRect();
  for (int i = 0; i < 4; ++i) {
    fields_[i] = new TextBox(i < 3 ? kTextInteger : kTextSingleLine, this);
    fields_[i]->SetMaxLength(i < 3 ? 3 : 7);
    int x = content.x0 + kColumnX + kLabelW, y = content.y0 + i * (kRowH + 6);
    fields_[i]->SetFrame(Rect(x, y, x + kFieldW, y + kRowH - 2));
    fields_[i]->changed.Connect(this, &ColorPickerWindow::FieldChanged);
  }
  DialogWindow::SetTabOrder(fields_[0]);
  Window* ring[6] = {fields_[0], fields_[1], fields_[2], fields_[3], ok_, cancel_};
  Window::SetTabOrder(ring, 6);
  UpdateFields();
}

Rect ColorPickerWindow::SquareRect() const {
  Rect c = ContentRect();
  return Rect(c.x0, c.y0, c.x0 + kSquareW, c.y0 + kSquareH);
}
Rect ColorPickerWindow::SliderRect() const {
  Rect s = SquareRect();
  return Rect(s.x1 + kGap, s.y0, s.x1 + kGap + kSliderW, s.y1);
}
Rect ColorPickerWindow::OldSwatch() const {
  Rect s = SquareRect();
  return Rect(s.x0, s.y1 + kGap, s.x0 + 60, s.y1 + kGap + kRowH);
}
Rect ColorPickerWindow::NewSwatch() const {
  Rect o = OldSwatch();
  return Rect(o.x1, o.y0, o.x1 + 60, o.y1);
}

void ColorPickerWindow::SetColour(uint32_t colour) {
  colour_ = colour & 0xFFFFFFu;
  hsv_ = RgbToHsv(colour_);
  UpdateFields();
  InvalidateClient();
}

void ColorPickerWindow::UpdateFields() {
  updating_ = true;
  for (int i = 0; i < 3; ++i) fields_[i]->SetInt(Channel(colour_, i));
  fields_[3]->SetText(FormatHex(colour_).c_str());
  updating_ = false;
}

void ColorPickerWindow::FieldChanged() {
  if (updating_) return;
  uint32_t colour = colour_;
  Window* focus = Ui().focus;
  if (focus == fields_[3]) {
    if (!ParseHex(fields_[3]->Text(), &colour)) return;
  } else {
    colour = Pack(fields_[0]->IntValue(), fields_[1]->IntValue(), fields_[2]->IntValue());
  }
  colour_ = colour;
  hsv_ = RgbToHsv(colour_);
  updating_ = true;
  for (int i = 0; i < 4; ++i) {
    if (fields_[i] == focus) continue;
    if (i < 3)
      fields_[i]->SetInt(Channel(colour_, i));
    else
      fields_[i]->SetText(FormatHex(colour_).c_str());
  }
  updating_ = false;
  InvalidateClient();
}

void ColorPickerWindow::PickAt(int x, int y, bool slider) {
  int lx = x - client.x0, ly = y - client.y0;
  if (slider) {
    Rect s = SliderRect();
    hsv_.v = 1.0 - std::clamp(double(ly - s.y0) / std::max(1, s.Height() - 1), 0.0, 1.0);
  } else {
    Rect s = SquareRect();
    hsv_.h = std::clamp(double(lx - s.x0) / s.Width(), 0.0, 0.9999) * 360.0;
    hsv_.s = 1.0 - std::clamp(double(ly - s.y0) / std::max(1, s.Height() - 1), 0.0, 1.0);
  }
  colour_ = HsvToRgb(hsv_);
  UpdateFields();
  InvalidateClient();
}

void ColorPickerWindow::ClientMouseButton(Event* e) {
  if (!e->words[5] || e->Button() != 0) return;
  int lx = e->X() - client.x0, ly = e->Y() - client.y0;
  if (SquareRect().Contains(lx, ly))
    dragging_slider_ = false;
  else if (SliderRect().Contains(lx, ly))
    dragging_slider_ = true;
  else
    return;
  BeginMouseTracking(this, nullptr, nullptr);
}

void ColorPickerWindow::TrackMouse(int, int, int x, int y, int) {
  PickAt(x, y, dragging_slider_);
}

void ColorPickerWindow::DrawContent() {
  Rect sq = SquareRect();
  // Hue runs across in six sectors (linear in RGB within each), saturation fades to the value's
  // grey at the bottom.
  uint32_t grey = HsvToRgb(Hsv{0, 0, hsv_.v});
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  for (int k = 0; k < 6; ++k) {
    float x0 = sq.x0 + sq.Width() * k / 6.0f, x1 = sq.x0 + sq.Width() * (k + 1) / 6.0f;
    GlColour(HsvToRgb(Hsv{60.0 * k, 1, hsv_.v}));
    glVertex2f(x0, sq.y0);
    GlColour(HsvToRgb(Hsv{60.0 * (k + 1) - 1e-6, 1, hsv_.v}));
    glVertex2f(x1, sq.y0);
    GlColour(grey);
    glVertex2f(x1, sq.y1);
    glVertex2f(x0, sq.y1);
  }
  Rect sl = SliderRect();
  GlColour(HsvToRgb(Hsv{hsv_.h, hsv_.s, 1}));
  glVertex2f(sl.x0, sl.y0);
  glVertex2f(sl.x1, sl.y0);
  GlColour(0);
  glVertex2f(sl.x1, sl.y1);
  glVertex2f(sl.x0, sl.y1);
  glEnd();
  // Markers.
  int mx = sq.x0 + static_cast<int>(hsv_.h / 360.0 * sq.Width());
  int my = sq.y0 + static_cast<int>((1 - hsv_.s) * (sq.Height() - 1));
  SetColor(0xFFFFFFFFu);
  FrameRect(Rect(mx - 3, my - 3, mx + 4, my + 4), 1, true);
  int vy = sl.y0 + static_cast<int>((1 - hsv_.v) * (sl.Height() - 1));
  FillRect(Rect(sl.x0 - 3, vy - 1, sl.x1 + 3, vy + 1));
  // Old and new side by side.
  SetColor(0xFF000000u | old_);
  FillRect(OldSwatch());
  SetColor(0xFF000000u | colour_);
  FillRect(NewSwatch());
  SetColor(0xFF101010u);
  FrameRect(Rect(OldSwatch().x0, OldSwatch().y0, NewSwatch().x1, NewSwatch().y1), 1, true);
  SetColor(0xFFFFFFFFu);
  for (int i = 0; i < 4; ++i) {
    Rect f = fields_[i]->Frame().Offset(-client.x0, -client.y0);
    DrawTextInRect(this, kFieldLabels[i], Rect(f.x0 - kLabelW, f.y0, f.x0 - 4, f.y1), 0x40 | 0x100);
  }
}

bool PickColour(uint32_t* colour, const char* title) {
  auto* picker = new ColorPickerWindow(*colour);
  picker->SetTitle(title);
  int ok = picker->RunDialog();
  if (ok == 1) *colour = picker->NewColour();
  if (!picker->IsClosed()) picker->Close();
  return ok == 1;
}

}  // namespace brae
