#pragma once
// The input vocabulary: seven 32-bit words, the last being the event type.

#include <cstdint>

namespace brae {

enum class EventType : int32_t {
  Key = 0,            // key code, pressed 1 / released 0, modifier flags
  Char = 1,           // character code (8-bit), action, modifier flags
  MouseButton = 2,    // x, y, hit part, modifier flags, button (0 left, 1 right, 2 middle), pressed
  DoubleClick = 3,    // as MouseButton
  MouseMove = 4,      // x, y, hit part, modifier flags
  Wheel = 5,          // x, y, hit part, modifier flags (+32 horizontal), previous and new position
  CloseRequest = 6,   // none
  ScreenResized = 7,  // new width, new height; broadcast, never queued
};

struct Event {
  int32_t words[6] = {};
  EventType type = EventType::Key;

  // Named views of the words.
  int Key() const { return words[0]; }
  int Code() const { return words[0]; }
  bool Pressed() const { return type == EventType::Key ? words[1] != 0 : words[5] != 0; }
  int Modifiers() const {
    return type == EventType::Key || type == EventType::Char ? words[2] : words[3];
  }
  int X() const { return words[0]; }
  int Y() const { return words[1]; }
  uint32_t Part() const { return static_cast<uint32_t>(words[2]); }
  int Button() const { return words[4]; }
  int WheelFrom() const { return words[4]; }
  int WheelTo() const { return words[5]; }
  bool IsMouse() const { return type >= EventType::MouseButton && type <= EventType::Wheel; }
};

}  // namespace brae
