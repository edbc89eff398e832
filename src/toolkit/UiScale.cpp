#include "toolkit/UiScale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Skin.h"
#include "toolkit/UiState.h"

namespace brae {

float NearestUiScale(float content_scale) {
  float best = kUiScales[0];
  for (float step : kUiScales)
    // Steps ascend, so on a tie the later (larger) one wins.
    if (std::fabs(content_scale - step) <= std::fabs(content_scale - best) + 1e-4f) best = step;
  return best;
}

float AskedUiScale(const std::string& value) {
  char* end = nullptr;
  double asked = std::strtod(value.c_str(), &end);
  bool readable = end && end != value.c_str() && *end == 0 && std::isfinite(asked);
  if (!readable || asked <= 0) return 0.0f;
  return NearestUiScale(static_cast<float>(asked));
}

float UiScaleFromPreference(const std::string& value, float content_scale) {
  float asked = AskedUiScale(value);
  return asked > 0 ? asked : NearestUiScale(content_scale);
}

std::string UiScalePreferenceText(float scale) {
  char text[16];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(scale));
  return text;
}

void SetUiScale(float scale) {
  UiState& ui = Ui();
  scale = NearestUiScale(scale);
  SetTextScale(scale);
  if (ui.skin) ui.skin->SetScale(scale);
  if (scale == ui.scale) return;
  ui.scale = scale;
  // The same device pixels hold a different logical screen.
  if (ui.device_width > 0 && ui.device_height > 0)
    HandleScreenResize(ui.device_width, ui.device_height);
  RequestRedraw();
}

float UiScale() {
  return Ui().scale;
}

}  // namespace brae
