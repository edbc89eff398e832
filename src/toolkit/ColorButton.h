#pragma once
// A swatch showing an RGB colour; a press opens the colour picker with it and a confirmed choice
// is stored and announced.

#include <cstdint>

#include "toolkit/Window.h"

namespace brae {

class ColorButton : public Window {
 public:
  explicit ColorButton(Window* parent, uint32_t colour = 0,
                       uint32_t flags = kWindowVisible | kWindowEnabled | kWindowFocusable);
  const char* ClassName() const override { return "ColorButton"; }

  uint32_t Colour() const { return colour_; }
  void SetColour(uint32_t colour);

  void ClientMouseButton(Event* event) override;
  int KeyDown(Event* event) override;
  void DrawContent() override;

  Signal<int> colour_changed;  // the new colour, packed as SetColor takes it

 private:
  void Pick();
  uint32_t colour_;
};

}  // namespace brae
