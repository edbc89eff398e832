#pragma once
// One real window with the program's font and skin for a whole benchmark run, when there is a
// display (benchmarks that draw run under xvfb-run).
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
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

// Starts the toolkit on a 1024 x 768 screen, drawing with GL (the display's font and skin) or
// without; no frame has run yet.
inline void StartUi(bool gl) {
  UiState& ui = Ui();
  ui.partial_redraw = true;
  if (gl) {
    ui.skin = TheDisplay().skin;
    SetDefaultFont(TheDisplay().font);
  }
  InitUi(gl);
  HandleScreenResize(1024, 768);
  ui.running = true;
}

inline void StopUi() {
  ShutdownUi();
  Ui().skin = nullptr;
  SetDefaultFont(nullptr);
}

}  // namespace brae::bench
