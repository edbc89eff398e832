#pragma once
// The frame editor's "Background:" choice: colour swatches of 24 × 24 pixels, in rows as wide
// as the picker; a click picks one, which is framed.

#include <cstdint>
#include <vector>

#include "toolkit/Window.h"

namespace brae {

class BackgroundPicker : public Window {
 public:
  static constexpr int kSwatchSide = 24;
  static constexpr int kSwatchGap = 4;

  explicit BackgroundPicker(Window* parent);
  const char* ClassName() const override { return "BackgroundPicker"; }
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;

  const std::vector<uint32_t>& Colours() const { return colours_; }
  int Chosen() const { return chosen_; }
  uint32_t ChosenColour() const { return colours_[size_t(chosen_)]; }
  // Picks a swatch (silently: nothing is emitted).
  void Choose(int index);
  // A swatch in client coordinates: as many to a row as the width holds.
  Rect SwatchRect(int index) const;
  // The height that shows every swatch at a width.
  int HeightFor(int width) const;

  // A swatch was picked with the mouse: its colour (packed, red in the low byte).
  Signal<uint32_t> chosen;

 private:
  std::vector<uint32_t> colours_;
  int chosen_ = 1;
};

}  // namespace brae
