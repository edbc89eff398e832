#pragma once
// The colour picker drawn by the toolkit: a hue and saturation square, a value slider, red,
// green, blue and hexadecimal fields, and the old and new colours side by side. Modal.

#include <cstdint>

#include "toolkit/DialogWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

// Colours are packed as everywhere in the toolkit: red in the low byte, then green, blue.
struct Hsv {
  double h = 0, s = 0, v = 0;  // h in [0, 360), s and v in [0, 1]
};
Hsv RgbToHsv(uint32_t rgb);
uint32_t HsvToRgb(const Hsv& hsv);
std::string FormatHex(uint32_t rgb);  // "RRGGBB"
bool ParseHex(const std::string& text, uint32_t* rgb);

class ColorPickerWindow : public DialogWindow {
 public:
  explicit ColorPickerWindow(uint32_t colour);
  const char* ClassName() const override { return "ColorPickerWindow"; }

  uint32_t OldColour() const { return old_; }
  uint32_t NewColour() const { return colour_; }
  void SetColour(uint32_t colour);

  Rect SquareRect() const;  // client-local
  Rect SliderRect() const;
  Rect OldSwatch() const;
  Rect NewSwatch() const;
  TextBox* Field(int i) const { return fields_[i]; }  // 0 red, 1 green, 2 blue, 3 hex

  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  void DrawContent() override;

 private:
  void PickAt(int x, int y, bool slider);
  void FieldChanged();
  void UpdateFields();

  uint32_t old_, colour_;
  Hsv hsv_;
  TextBox* fields_[4] = {};
  bool dragging_slider_ = false;
  bool updating_ = false;
};

// Runs the picker; true with *colour set when the user confirms.
bool PickColour(uint32_t* colour, const char* title = "Choose Color");

}  // namespace brae
