#include <GLFW/glfw3.h>

#include "platform/Platform.h"

namespace brae::platform {

int TranslateGlfwKey(int key) {
  // Printable keys: GLFW already uses their upper-case ASCII codes.
  if (key == GLFW_KEY_SPACE || key == GLFW_KEY_APOSTROPHE ||
      (key >= GLFW_KEY_COMMA && key <= GLFW_KEY_9) || key == GLFW_KEY_SEMICOLON ||
      key == GLFW_KEY_EQUAL || (key >= GLFW_KEY_A && key <= GLFW_KEY_RIGHT_BRACKET) ||
      key == GLFW_KEY_GRAVE_ACCENT)
    return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F15) return 98 + (key - GLFW_KEY_F1);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return 146 + (key - GLFW_KEY_KP_0);
  switch (key) {
    case GLFW_KEY_ESCAPE:
      return 97;
    case GLFW_KEY_TAB:
      return 113;
    case GLFW_KEY_LEFT_SHIFT:
      return 115;
    case GLFW_KEY_RIGHT_SHIFT:
      return 116;
    case GLFW_KEY_LEFT_CONTROL:
      return 118;
    case GLFW_KEY_RIGHT_CONTROL:
      return 119;
    case GLFW_KEY_LEFT_ALT:
      return 124;
    case GLFW_KEY_RIGHT_ALT:
      return 125;
    case GLFW_KEY_BACKSPACE:
      return 127;
    case GLFW_KEY_ENTER:
      return 128;
    case GLFW_KEY_INSERT:
      return 129;
    case GLFW_KEY_HOME:
      return 130;
    case GLFW_KEY_PAGE_UP:
      return 131;
    case GLFW_KEY_PAGE_DOWN:
      return 132;
    case GLFW_KEY_END:
      return 133;
    case GLFW_KEY_DELETE:
      return 134;
    case GLFW_KEY_UP:
      return 135;
    case GLFW_KEY_DOWN:
      return 136;
    case GLFW_KEY_LEFT:
      return 137;
    case GLFW_KEY_RIGHT:
      return 138;
    case GLFW_KEY_KP_DIVIDE:
      return 140;
    case GLFW_KEY_KP_MULTIPLY:
      return 141;
    case GLFW_KEY_KP_SUBTRACT:
      return 142;
    case GLFW_KEY_KP_ADD:
      return 143;
    case GLFW_KEY_KP_ENTER:
      return 144;
    case GLFW_KEY_KP_DECIMAL:
      return 145;
    default:
      return -1;
  }
}

}  // namespace brae::platform
