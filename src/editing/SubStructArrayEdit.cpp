#include "editing/SubStructArrayEdit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "collection/Collection.h"
#include "editing/StructEditor.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/Codex.h"
#include "toolkit/Button.h"
#include "toolkit/Frame.h"
#include "toolkit/ListWindow.h"

namespace brae {

namespace {

constexpr uint32_t kPlainFlags = kWindowVisible | kWindowEnabled;
constexpr int kWidth = 300;
constexpr int kListHeight = 112;
constexpr int kGap = 4;

}  // namespace

SubStructArrayEdit::SubStructArrayEdit(Window* parent, StructEditor* owner,
                                       const VornStructMember* array,
                                       const std::string& text_target, const std::string& title)
    : Window(kPlainFlags, parent), owner_(owner), title_(title) {
  array_ = StructArray::For(*owner->Definition(), *array);
  if (!text_target.empty() && array->embedded)
    text_member_ = array->embedded->FindMember(text_target);
  list_ = new ListWindow(0, kPlainFlags | kWindowThinBorder | kWindowFocusable, this);
  list_->selection_changed.Connect(this, &SubStructArrayEdit::UpdateButtons);
  list_->row_activated.Connect(this, &SubStructArrayEdit::OnActivated);
  auto make = [this](const char* label, void (SubStructArrayEdit::*method)()) {
    auto* b = new Button(this);
    b->SetTitle(label);
    b->SizeToFit();
    b->clicked.Connect(this, method);
    return b;
  };
  add_ = make("Add", &SubStructArrayEdit::OnAdd);
  delete_ = make("Delete", &SubStructArrayEdit::OnDelete);
  duplicate_ = make("Duplicate", &SubStructArrayEdit::OnDuplicate);
  add_->SetVisible(array_.CanOfferAdd());

  int top = title_.empty() ? 0 : LineHeight(this) + kGap;
  int bh = StandardButtonHeight(this);
  list_->SetFrame(Rect(0, top, kWidth, top + kListHeight));
  int x = 0, y = top + kListHeight + kGap;
  for (Button* b : {add_, delete_, duplicate_}) {
    if (!b->IsVisible()) continue;
    int w = b->ParentRelativeFrame().Width();
    b->SetFrame(Rect(x, y, x + w, y + bh));
    x += w + kGap;
  }
  SetFrame(Rect(0, 0, kWidth, y + bh));
  Refill();
}

void SubStructArrayEdit::DrawContent() {
  if (title_.empty()) return;
  SetColor(0xFFFFFFFFu);
  DrawText(this, title_.c_str(), 0, 0);
}

std::string SubStructArrayEdit::RowLabel(int index, bool* shown) {
  *shown = false;
  const StructDefinition* embedded = Embedded();
  const uint8_t* record = owner_->Record();
  if (!text_member_ || !embedded || !record) return {};
  const uint8_t* element = record + array_.ElementOffset(index);
  const size_t size = embedded->Size();
  if (text_member_->type == kMemberTag) {
    const auto* tag = static_cast<const TagMember*>(text_member_);
    uint32_t id = uint32_t(ReadInteger(*text_member_, element, size, 0));
    TagRecord* found = tag->HasGroup() ? TheCodex().FindTag(uint32_t(tag->group), id) : nullptr;
    if (!found) return {};
    TagHeader header;
    TheCodex().GetEffectiveHeader(found, &header);
    *shown = true;
    return header.Name();
  }
  if (text_member_->type == kMemberSequenceIndex) {
    *shown = true;
    int sequence = ReadInteger(*text_member_, element, size, 0);
    // The collection: a "tag" member named "collection" in the element, else outward.
    Collection* collection = nullptr;
    const StructMember* inner = embedded->FindMember("collection");
    if (inner && inner->type == kMemberTag) {
      uint32_t id = uint32_t(ReadInteger(*inner, element, size, 0));
      collection = owner_->CollectionById(id);
    } else {
      StructEditor* holder = nullptr;
      const StructMember* outer = owner_->FindTarget("collection", &holder);
      if (outer && outer->type == kMemberTag) collection = owner_->CollectionFor(outer, holder);
    }
    if (collection && sequence >= 0 && size_t(sequence) < collection->sequences.size())
      return collection->sequences[size_t(sequence)]->name;
    char label[32];
    std::snprintf(label, sizeof label, "Sequence #%d", index + 1);
    return label;
  }
  return {};
}

void SubStructArrayEdit::Refill() {
  list_->Clear();
  if (!owner_->Record()) return;
  int n = array_.Count(owner_->Record(), owner_->RecordSize());
  for (int i = 0; i < n; ++i) {
    bool shown = false;
    std::string label = RowLabel(i, &shown);
    if (shown) list_->AddRow(nullptr, label.c_str(), 0, i);
  }
  UpdateButtons();
}

void SubStructArrayEdit::UpdateButtons() {
  const uint8_t* record = owner_->Record();
  bool can_add = record && array_.CanAdd(record, owner_->RecordSize());
  bool selected = list_->SelectedCount() > 0;
  add_->SetEnabled(can_add);
  delete_->SetEnabled(selected);
  duplicate_->SetEnabled(selected && record &&
                         array_.Count(record, owner_->RecordSize()) < array_.Declared());
}

bool SubStructArrayEdit::AppendAndOpen(int copy_from) {
  uint8_t* record = owner_->Record();
  if (!record || !array_.CanAdd(record, owner_->RecordSize())) return false;
  const size_t size = owner_->RecordSize();
  const int n = array_.Count(record, size);
  // What Add changes, so that a cancelled form leaves the record as it was.
  std::vector<uint8_t> before(record, record + size);
  const int depth = owner_->UndoDepth();
  int index = array_.Append(record, size, copy_from);
  if (index < 0) return false;
  owner_->RememberRecordChange(before);
  char title[128];
  std::snprintf(title, sizeof title, "%s #%d", Embedded()->name.c_str(), n + 1);
  int result = StructEditor::OpenNested(Embedded(), owner_, array_.ElementOffset(index), title);
  record = owner_->Record();
  if (!record) return false;
  if (!result) {
    owner_->UndoTo(depth);
    std::memcpy(record, before.data(), size);
    array_.SetCount(record, size, std::min(n, array_.Declared()));
  } else {
    owner_->changed.Emit();
    if (owner_->Root() != owner_) owner_->Root()->changed.Emit();
  }
  owner_->RefreshAll();
  return result != 0;
}

bool SubStructArrayEdit::Add() {
  if (!array_.CanOfferAdd()) return false;
  return AppendAndOpen(-1);
}

bool SubStructArrayEdit::Duplicate() {
  std::vector<ListRow*> rows = list_->SelectedRows();
  if (rows.empty()) return false;
  return AppendAndOpen(rows.front()->value);
}

bool SubStructArrayEdit::DeleteSelected() {
  std::vector<ListRow*> rows = list_->SelectedRows();
  uint8_t* record = owner_->Record();
  if (rows.empty() || !record) return false;
  std::vector<uint8_t> before = owner_->RecordCopy();
  if (!array_.Delete(record, owner_->RecordSize(), rows.front()->value)) return false;
  owner_->RememberRecordChange(std::move(before));
  owner_->changed.Emit();
  if (owner_->Root() != owner_) owner_->Root()->changed.Emit();
  owner_->RefreshAll();
  return true;
}

bool SubStructArrayEdit::OpenRow(ListRow* row) {
  if (!row || !owner_->Record()) return false;
  int index = row->value;
  std::string label = row->text;
  int result = StructEditor::OpenNested(Embedded(), owner_, array_.ElementOffset(index), label);
  if (owner_->Record()) owner_->RefreshAll();
  return result != 0;
}

void SubStructArrayEdit::OnActivated(ListRow* row) {
  OpenRow(row);
}

}  // namespace brae
