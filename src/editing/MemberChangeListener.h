#pragma once
// The link between one control of a generated form and the member it edits: it shows the
// member's value in the control and writes the control's changes into the record.

#include <string>

#include "editing/structdefs/StructDefinition.h"
#include "toolkit/Signals.h"

namespace brae {

class StructEditor;
class Window;

class MemberChangeListener : public CleanHeapObject<has_slots<void>> {
 public:
  enum Kind : int {
    kIntegerBox,   // "long", "short", "byte" without "bit"
    kBitBox,       // the same with "bit": a check box
    kNumberBox,    // converted numbers
    kEnumList,     // "short_enum", "byte_enum"
    kTagList,      // "tag"
    kSequenceList  // "sequence_index"
  };

  MemberChangeListener(Kind kind, const StructMember* member, StructEditor* owner);
  const char* ClassName() const override { return "MemberChangeListener"; }

  // Creates the control for the item in `parent`; none for member types without a control.
  Window* CreateControl(Window* parent, const std::string& text);
  // Shows the record's value in the control (without writing back).
  void Refresh();
  // Lists the sequences of the collection that the "tag" member names now.
  void FillSequences();

  Kind kind;
  const StructMember* member;
  std::string name;  // the item's "name"
  int index = 0;
  int bit = -1;
  Window* control = nullptr;
  StructEditor* owner;  // the editor whose record holds the member
  // For "sequence_index" items: the member named by "tag" and the editor that holds it.
  const StructMember* tag_member = nullptr;
  StructEditor* tag_owner = nullptr;

  // The kind of control a member gets (false: none).
  static bool KindFor(const StructMember& member, bool has_bit, Kind* kind);

 private:
  void OnTextChanged();
  void OnFocusLost(int reason);
  void OnCheckClicked();
  void OnChosen(int value);
  bool refreshing_ = false;
};

}  // namespace brae
