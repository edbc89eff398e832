#include "toolkit/UiState.h"

#include "platform/Platform.h"

namespace brae {

UiState& Ui() {
  static UiState state;
  return state;
}

double UiNow() {
  UiState& ui = Ui();
  return ui.clock ? ui.clock() : platform::Now();
}

}  // namespace brae
