#include "app/Splash.h"

#include "core/ProgramPaths.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "media/BmpFormat.h"
#include "media/PixelConvert.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Texture.h"

namespace brae {
namespace {

constexpr int kSplashModalFlags = kModalKeysToWindow | kModalDim | kModalEndOnQuit;
constexpr uint32_t kAboutFlags =
    kWindowTitleBar | kWindowShadow | kWindowThickBorder | kWindowGreyBackground;  // 0x12C
constexpr int kAboutDrawFlags = kTextShadow | kTextCentre | kTextMultiLine | 2;    // 0x116

}  // namespace

const char* const kAboutText =
    "|bBrae|p \"Lantern\" Build 121\n"
    "\n"
    "Programming: the Brae developers\n"
    "Structure definitions: the tag research group\n"
    "Testing: the plugin makers of the forums\n"
    "Art: the community's map makers\n"
    "\n"
    "|bDedicated to the Vorn II community.";

bool ReadPictureRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  Image image;
  if (!ReadBmp(bytes.data(), bytes.size(), &image, false)) return false;
  *width = image.width;
  *height = image.height;
  *rgba = ExpandToRgba(image);
  return !rgba->empty();
}

BraeSplashScreen::BraeSplashScreen() : Window(kWindowOverlay) {
  std::vector<uint8_t> rgba;
  if (!ReadPictureRgba(ResourceFile("brae.bmp"), &width_, &height_, &rgba)) return;
  texture_ = UploadTexture(width_, height_, GL_RGBA, GL_LINEAR, rgba.data());
}

BraeSplashScreen::~BraeSplashScreen() {
  if (texture_) glDeleteTextures(1, &texture_);
}

void BraeSplashScreen::Run(Mode mode) {
  mode_ = mode;
  if (mode == kAbout) {
    hold_ = 120.0;
    SetFlags(kAboutFlags);
    SetTitle("About Brae");
    Point size;
    ClientSizeToFrame(&size, width_ + kAboutTextWidth, height_);
    SetFrame(Rect(0, 0, size.x, size.y));
  } else {
    hold_ = 1.5;
    SetFlags(kWindowCentred);
    SetFrame(Rect(0, 0, width_, height_));
  }
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
  if (!fading_) {
    RequestFrameAt(start_ + hold_);
    return;
  }
  RequestFrame();  // the fade is drawn every frame
  Invalidate();
  if (now - start_ >= fade_) {
    SetVisible(false);
    EndModal(0);
  }
}

void BraeSplashScreen::ClientMouseButton(Event* event) {
  // Only the About window can be clicked away; the splash runs its course.
  if (mode_ != kAbout || !event->Pressed()) return;
  const ModalEntry* top = TopModal();
  if (!top || top->window != this) return;
  SetVisible(false);
  EndModal(0);
}

double BraeSplashScreen::Opacity(double now) const {
  if (!fading_) return 1.0;
  double t = std::clamp((now - start_) / fade_, 0.0, 1.0);
  return 1.0 - (3.0 - 2.0 * t) * t * t;
}

void BraeSplashScreen::DrawContent() {
  if (mode_ == kAbout) {
    SetColor(0xFFFFFFFF);
    Rect text(width_, 8, width_ + kAboutTextWidth, client.Height() - 8);
    DrawTextInRect(this, kAboutText, text, kAboutDrawFlags);
  }
  if (!texture_) return;
  double alpha = Opacity(UiNow());
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, static_cast<float>(alpha));
  int w = mode_ == kAbout ? width_ : client.Width(), h = client.Height();
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

void RunAbout() {
  auto* about = new BraeSplashScreen();
  if (about->HasPicture()) about->Run(BraeSplashScreen::kAbout);
  about->Close();
  ProcessDeferredDeletions();
}

}  // namespace brae
