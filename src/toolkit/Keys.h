#pragma once
// The toolkit's own key numbering (printable keys are their upper-case ASCII code) and the
// modifier flags carried by input events.

namespace brae {

enum KeyCode : int {
  kKeySpace = 32,
  kKeyEscape = 97,
  kKeyF1 = 98,  // F1..F15 are 98..112
  kKeyF2 = 99,
  kKeyF4 = 101,
  kKeyF5 = 102,
  kKeyF10 = 107,
  kKeyF11 = 108,
  kKeyF12 = 109,
  kKeyF15 = 112,
  kKeyTab = 113,
  kKeyLeftShift = 115,
  kKeyRightShift = 116,
  kKeyShift = 117,
  kKeyLeftControl = 118,
  kKeyRightControl = 119,
  kKeyControl = 120,
  kKeyLeftAlt = 124,
  kKeyRightAlt = 125,
  kKeyAlt = 126,
  kKeyBackspace = 127,
  kKeyEnter = 128,
  kKeyInsert = 129,
  kKeyHome = 130,
  kKeyPageUp = 131,
  kKeyPageDown = 132,
  kKeyEnd = 133,
  kKeyDelete = 134,
  kKeyUp = 135,
  kKeyDown = 136,
  kKeyLeft = 137,
  kKeyRight = 138,
  kKeyPadDivide = 140,
  kKeyPadMultiply = 141,
  kKeyPadMinus = 142,
  kKeyPadPlus = 143,
  kKeyPadEnter = 144,
  kKeyPadDecimal = 145,
  kKeyPad0 = 146,  // keypad 0..9 are 146..155
  kKeyPad9 = 155,
  kKeyCodeLimit = 157,  // codes from here on are ignored
  kKeyStateCount = 160,
};

enum ModifierFlag : int {
  kModShift = 1,
  kModAlt = 2,
  kModControl = 4,
  kModCommand = 8,
  kModRepeat = 16,
  kModHorizontalWheel = 32,
};

}  // namespace brae
