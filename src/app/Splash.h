#pragma once
// The splash picture shown at start-up ("res/brae.bmp"): held 1.5 s, then faded out in 1 s.

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

  bool HasPicture() const { return texture_ != 0; }
  // Runs the splash as a modal loop until it has faded out.
  void Run();

 private:
  unsigned texture_ = 0;
  int width_ = 0, height_ = 0;
  double start_ = 0, hold_ = 1.5, fade_ = 1.0;
  bool fading_ = false;
};

void RunSplash();

}  // namespace brae
