#include "app/Splash.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "toolkit/Frame.h"
#include "toolkit/Input.h"

namespace brae {
namespace {

uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr int kSplashModalFlags = kModalKeysToWindow | kModalDim | kModalEndOnQuit;

}  // namespace

bool ReadBmpRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  uint32_t offset = U32(&bytes[10]);
  int32_t w = static_cast<int32_t>(U32(&bytes[18]));
  int32_t h = static_cast<int32_t>(U32(&bytes[22]));
  int bits = U16(&bytes[28]);
  uint32_t compression = U32(&bytes[30]);
  if ((bits != 24 && bits != 32) || (compression != 0 && !(compression == 3 && bits == 32)))
    return false;
  bool top_down = h < 0;
  int64_t rows = top_down ? -int64_t(h) : h;
  if (w <= 0 || rows <= 0 || w > 16384 || rows > 16384) return false;
  size_t stride = ((static_cast<size_t>(w) * bits / 8) + 3) & ~size_t(3);
  if (offset > bytes.size() || (bytes.size() - offset) / stride < static_cast<size_t>(rows))
    return false;
  *width = w;
  *height = static_cast<int>(rows);
  rgba->assign(static_cast<size_t>(w) * rows * 4, 255);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* src = &bytes[offset + stride * static_cast<size_t>(top_down ? y : rows - 1 - y)];
    uint8_t* dst = &(*rgba)[static_cast<size_t>(y) * w * 4];
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = src + x * (bits / 8);
      dst[x * 4 + 0] = p[2];
      dst[x * 4 + 1] = p[1];
      dst[x * 4 + 2] = p[0];
    }
  }
  return true;
}

BraeSplashScreen::BraeSplashScreen() : Window(kWindowOverlay) {
  std::vector<uint8_t> rgba;
  if (!ReadBmpRgba("res/brae.bmp", &width_, &height_, &rgba)) return;
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               rgba.data());
}

BraeSplashScreen::~BraeSplashScreen() {
  if (texture_) glDeleteTextures(1, &texture_);
}

void BraeSplashScreen::Run() {
  SetFlags(kWindowCentred);
  SetFrame(Rect(0, 0, width_, height_));
  CentreInParent();
  SetVisible(true);
  start_ = UiNow();
  fading_ = false;
  RunModal(this, kSplashModalFlags);
  SetVisible(false);
}

void BraeSplashScreen::Idle() {
  const ModalEntry* top = TopModal();
  if (!top || top->window != this) return;
  double now = UiNow();
  if (!fading_ && now - start_ >= hold_) {
    fading_ = true;
    start_ = now;
  }
  if (!fading_) return;
  Invalidate();
  if (now - start_ >= fade_) {
    SetVisible(false);
    EndModal(0);
  }
}

void BraeSplashScreen::DrawContent() {
  if (!texture_) return;
  double alpha = 1.0;
  if (fading_) {
    double t = std::clamp((UiNow() - start_) / fade_, 0.0, 1.0);
    alpha = 1.0 - (3.0 - 2.0 * t) * t * t;
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, static_cast<float>(alpha));
  int w = client.Width(), h = client.Height();
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2i(0, 0);
  glTexCoord2f(1, 0), glVertex2i(w, 0);
  glTexCoord2f(1, 1), glVertex2i(w, h);
  glTexCoord2f(0, 1), glVertex2i(0, h);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

void RunSplash() {
  auto* splash = new BraeSplashScreen();
  if (splash->HasPicture()) splash->Run();
  splash->Close();
  ProcessDeferredDeletions();
}

}  // namespace brae
