#pragma once
// One real window with the program's font and skin for a whole benchmark run, when there is a
// display (benchmarks that draw run under xvfb-run).
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "toolkit/Font.h"
#include "toolkit/Skin.h"

namespace brae::bench {

inline std::string ResPath(const char* name) {
  return std::string(BRAE_BUILD_DIR) + "/bin/res/" + name;
}

struct Display {
  Display() {
    if (!std::getenv("DISPLAY") || !glfwInit()) return;
    platform::WindowOptions options;
    options.width = 1024;
    options.height = 768;
    options.vsync = false;
    options.title = "Brae benchmark";
    if (!platform::OpenMainWindow(options)) return;
    font = LoadFont(ResPath("plume.braefont"));
    skin = Skin::Load(ResPath("texturepack"), true);
    ok = font && skin;
  }
  bool ok = false;
  Font* font = nullptr;
  Skin* skin = nullptr;
};

inline Display& TheDisplay() {
  static Display display;
  return display;
}

}  // namespace brae::bench
