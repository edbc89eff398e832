// brae: the windowed program.
#include "app/Startup.h"

int main() {
  return brae::RunBrae(brae::BraeOptions{});
}
