#include "collection/ui/BackgroundPicker.h"

#include <algorithm>

#include "toolkit/Frame.h"

namespace brae {

namespace {

// Black, greys, white and three loud colours that no sprite edge hides in.
constexpr uint32_t kSwatchColours[] = {0xFF000000u, 0xFF404040u, 0xFF808080u, 0xFFC0C0C0u,
                                       0xFFFFFFFFu, 0xFFFF00FFu, 0xFF00A000u, 0xFF800000u};
constexpr uint32_t kChosenFrame = 0xFF00FFFFu;  // yellow
constexpr uint32_t kSwatchFrame = 0xFF202020u;

}  // namespace

BackgroundPicker::BackgroundPicker(Window* parent)
    : Window(kWindowVisible | kWindowEnabled, parent),
      colours_(std::begin(kSwatchColours), std::end(kSwatchColours)) {
  SetTitle("Background");
}

namespace {

constexpr int kStep = BackgroundPicker::kSwatchSide + BackgroundPicker::kSwatchGap;

int PerRow(int width) {
  return std::max(1, (width - 2 + BackgroundPicker::kSwatchGap) / kStep);
}

}  // namespace

Rect BackgroundPicker::SwatchRect(int index) const {
  const int per_row = PerRow(client.Width());
  const int x = (index % per_row) * kStep + 2, y = (index / per_row) * kStep + 2;
  return Rect(x, y, x + kSwatchSide, y + kSwatchSide);
}

int BackgroundPicker::HeightFor(int width) const {
  const int per_row = PerRow(width);
  const int rows = (int(colours_.size()) + per_row - 1) / per_row;
  return rows * kStep + 2;
}

void BackgroundPicker::Choose(int index) {
  if (index < 0 || size_t(index) >= colours_.size() || index == chosen_) return;
  chosen_ = index;
  InvalidateClient();
}

void BackgroundPicker::DrawContent() {
  for (size_t i = 0; i < colours_.size(); ++i) {
    const Rect r = SwatchRect(int(i));
    SetColor(colours_[i]);
    FillRect(r);
    SetColor(int(i) == chosen_ ? kChosenFrame : kSwatchFrame);
    FrameRect(r.Inset(-2), 2, true);
  }
}

void BackgroundPicker::ClientMouseButton(Event* event) {
  if (!event->Pressed() || event->Button() != 0 || !IsEnabled()) return;
  const int x = event->X() - client.x0, y = event->Y() - client.y0;
  for (size_t i = 0; i < colours_.size(); ++i) {
    if (!SwatchRect(int(i)).Contains(x, y)) continue;
    Choose(int(i));
    chosen.Emit(colours_[i]);
    return;
  }
}

}  // namespace brae
