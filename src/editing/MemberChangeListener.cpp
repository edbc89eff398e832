#include "editing/MemberChangeListener.h"

#include <cstdio>
#include <cstdlib>

#include "collection/Collection.h"
#include "editing/StructEditor.h"
#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructArrays.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Frame.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr int kNumberBoxWidth = 64;
constexpr int kNumberBoxLength = 16;
constexpr int kChoiceListRows = 12;
constexpr int kNoValue = -1;

}  // namespace

MemberChangeListener::MemberChangeListener(Kind k, const StructMember* m, StructEditor* o)
    : kind(k), member(m), owner(o) {}

bool MemberChangeListener::KindFor(const StructMember& member, bool has_bit, Kind* kind) {
  switch (member.type) {
    case kMemberLong:
    case kMemberShort:
    case kMemberByte:
      *kind = has_bit ? kBitBox : kIntegerBox;
      return true;
    case kMemberLongTime:
    case kMemberLongWorld:
    case kMemberFixed:
    case kMemberShortTime:
    case kMemberShortWorld:
    case kMemberFixedFraction:
    case kMemberShortFixed:
    case kMemberAngularVelocity:
    case kMemberAngle:
    case kMemberShortFixedFraction:
      *kind = kNumberBox;
      return true;
    case kMemberShortEnum:
    case kMemberByteEnum:
    case kMemberLongEnum:
      *kind = kEnumList;
      return true;
    case kMemberTag:
      *kind = kTagList;
      return true;
    case kMemberSequenceIndex:
      *kind = kSequenceList;
      return true;
    default:
      return false;
  }
}

Window* MemberChangeListener::CreateControl(Window* parent, const std::string& text) {
  switch (kind) {
    case kIntegerBox:
    case kNumberBox: {
      auto* box = new TextBox(kind == kIntegerBox ? kTextInteger : kTextReal, parent);
      box->SetMaxLength(kind == kIntegerBox ? 11 : kNumberBoxLength);
      box->SetFrame(Rect(0, 0, kNumberBoxWidth, LineHeight(box) + 8));
      box->changed.Connect(this, &MemberChangeListener::OnTextChanged);
      box->focus_lost_signal.Connect(this, &MemberChangeListener::OnFocusLost);
      control = box;
      break;
    }
    case kBitBox: {
      auto* check = new CheckBox(parent);
      check->SetTitle(text.c_str());
      check->SizeToFit();
      check->clicked.Connect(this, &MemberChangeListener::OnCheckClicked);
      control = check;
      break;
    }
    case kEnumList:
    case kTagList:
    case kSequenceList: {
      auto* combo = new ComboBox(parent, 0);
      if (kind == kEnumList) {
        for (const EnumChoice& c : static_cast<const EnumMember*>(member)->choices)
          combo->AddItem(c.text.c_str(), c.value);
      } else if (kind == kTagList) {
        combo->AddItem("<no tag>", kNoValue);
        const auto* tag = static_cast<const TagMember*>(member);
        if (tag->HasGroup()) {
          std::vector<TagRecord*> records;
          Codex& codex = TheCodex();
          codex.ListTagsOfGroup(uint32_t(tag->group), &records);
          TagHeader header;
          for (TagRecord* r : records) {
            codex.GetEffectiveHeader(r, &header);
            combo->AddItem(header.Name().c_str(), int32_t(r->subgroup));
          }
        }
      }
      control = combo;
      if (kind == kSequenceList) FillSequences();
      combo->SetListRows(kChoiceListRows, true);
      if (combo->ParentRelativeFrame().Width() < 120) combo->SetWidth(120);
      combo->item_chosen.Connect(this, &MemberChangeListener::OnChosen);
      break;
    }
  }
  Refresh();
  return control;
}

void MemberChangeListener::FillSequences() {
  auto* combo = static_cast<ComboBox*>(control);
  if (!combo) return;
  combo->Clear();
  combo->AddItem("<no sequence>", kNoValue);
  Collection* collection = owner->CollectionFor(tag_member, tag_owner);
  if (!collection) return;
  for (size_t i = 0; i < collection->sequences.size(); ++i) {
    char label[96];
    std::snprintf(label, sizeof label, "%d: %s", int(i), collection->sequences[i]->name.c_str());
    combo->AddItem(label, int(i));
  }
}

void MemberChangeListener::Refresh() {
  if (!control) return;
  refreshing_ = true;
  const uint8_t* record = owner->Record();
  const size_t size = owner->RecordSize();
  const StructDefinition& def = *owner->Definition();
  switch (kind) {
    case kIntegerBox: {
      int64_t shown =
          ReadInteger(*member, record, size, index) + LowerBoundValue(def, *member, record, size);
      static_cast<TextBox*>(control)->SetText(std::to_string(shown).c_str());
      break;
    }
    case kNumberBox:
      static_cast<TextBox*>(control)->SetText(ShowMember(def, *member, record, index).c_str());
      break;
    case kBitBox:
      static_cast<CheckBox*>(control)->SetButtonState(
          ReadMemberBit(*member, record, size, bit) ? 1 : 0, 1);
      break;
    case kEnumList:
    case kTagList:
    case kSequenceList: {
      auto* combo = static_cast<ComboBox*>(control);
      if (kind == kSequenceList) FillSequences();  // the collection may have changed
      int value = ReadInteger(*member, record, size, index);
      bool found = false;
      for (int i = 0; i < combo->ItemCount() && !found; ++i)
        found = combo->ItemAt(i).value == value;
      if (!found && value == kNoValue && kind == kEnumList) {
        value = 0;
        for (int i = 0; i < combo->ItemCount() && !found; ++i) found = combo->ItemAt(i).value == 0;
      }
      if (found) {
        combo->SelectValue(value);
      } else {  // a value without a choice shows as the command line prints it
        combo->List()->selected = -1;
        MemberPlace place;
        place.structure = &def;
        place.member = member;
        place.index = index;
        combo->SetText(FormatMemberValue(place, record, size, nullptr).c_str());
      }
      break;
    }
  }
  refreshing_ = false;
}

void MemberChangeListener::OnTextChanged() {
  if (refreshing_) return;
  auto* box = static_cast<TextBox*>(control);
  const uint8_t* record = owner->Record();
  const size_t size = owner->RecordSize();
  const StructDefinition& def = *owner->Definition();
  int64_t lower = LowerBoundValue(def, *member, record, size);
  int64_t stored;
  if (kind == kIntegerBox) {
    stored = int64_t(std::strtoll(box->Text().c_str(), nullptr, 10)) - lower;
  } else {
    stored = EntryValue(*member, std::strtod(box->Text().c_str(), nullptr), lower);
  }
  owner->StoreInteger(*member, index, stored);
}

// Leaving a box shows what was stored (rounded, clamped, with the lower bound).
void MemberChangeListener::OnFocusLost(int) {
  Refresh();
}

void MemberChangeListener::OnCheckClicked() {
  if (refreshing_) return;
  owner->StoreBit(*member, bit, static_cast<CheckBox*>(control)->IsChecked());
}

void MemberChangeListener::OnChosen(int value) {
  if (refreshing_) return;
  owner->StoreInteger(*member, index, value);
  if (kind == kTagList) owner->ResetSequencesOf(*member, owner);
}

}  // namespace brae
