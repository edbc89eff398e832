#pragma once
// The splash picture shown at start-up ("res/brae.bmp"): held 1.5 s, then faded out in 1 s.
// The About window is the same picture with the credits beside it, held two minutes.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

// The splash picture (a BMP, read by the media library) as RGBA rows top to bottom.
bool ReadPictureRgba(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba);

class BraeSplashScreen : public Window {
 public:
  BraeSplashScreen();
  ~BraeSplashScreen() override;
  const char* ClassName() const override { return "BraeSplashScreen"; }
  void Idle() override;
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;

  enum Mode { kSplash = 0, kAbout = 1 };
  bool HasPicture() const { return texture_ != 0; }
  int PictureWidth() const { return width_; }
  int PictureHeight() const { return height_; }
  Mode CurrentMode() const { return mode_; }
  bool IsFading() const { return fading_; }
  // The picture's opacity (0..1) at time now.
  double Opacity(double now) const;
  // Runs the window as a modal loop until it has faded out (or, in About mode, was clicked).
  void Run(Mode mode = kSplash);

 private:
  unsigned texture_ = 0;
  int width_ = 0, height_ = 0;
  double start_ = 0, hold_ = 1.5, fade_ = 1.0;
  bool fading_ = false;
  Mode mode_ = kSplash;
};

// The About window's text beside the picture.
extern const char* const kAboutText;
// The width of the text column beside the picture in the About window.
constexpr int kAboutTextWidth = 384;

void RunSplash();
void RunAbout();

}  // namespace brae
