#include "collection/ui/X256FlagsEdit.h"

#include "collection/Collection.h"
#include "collection/CollectionSettings.h"
#include "collection/ui/CollectionActions.h"
#include "toolkit/CheckBox.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr int kMargin = 10;
constexpr int kIndent = 20;
constexpr int kRowGap = 6;

}  // namespace

X256FlagsEdit::X256FlagsEdit(Collection* collection, Window* parent)
    : Window(kWindowVisible | kWindowEnabled, parent), collection_(collection) {
  SetTitle("Flags");
  const auto& labels = CollectionFlagBoxes();
  for (size_t i = 0; i < labels.size(); ++i) {
    auto* box = new CheckBox(this, int(i));
    box->SetTitle(labels[i].label);
    box->SizeToFit();
    box->clicked_with_value.Connect(this, &X256FlagsEdit::OnBoxClicked);
    boxes_.push_back(box);
  }
  Refresh();
  Layout();
}

void X256FlagsEdit::Refresh() {
  const auto& labels = CollectionFlagBoxes();
  for (size_t i = 0; i < boxes_.size(); ++i)
    boxes_[i]->SetChecked((collection_->flags & labels[i].bit) != 0);
}

void X256FlagsEdit::OnBoxClicked(int box) {
  if (box < 0 || size_t(box) >= boxes_.size()) return;
  const uint32_t before = collection_->flags;
  const OperationResult result = SetCollectionFlag(
      collection_, CollectionFlagBoxes()[size_t(box)].bit, boxes_[size_t(box)]->IsChecked());
  if (!result.changed) return;
  if (undo_)
    undo_->Perform(new CollectionFlagsAction(collection_, before, collection_->flags,
                                             [this] { FlagsRestored(); }),
                   true);
  changed.Emit();
}

void X256FlagsEdit::FlagsRestored() {
  Refresh();
  changed.Emit();
}

void X256FlagsEdit::Layout() {
  const int line = LineHeight(this);
  int y = kMargin + line + kRowGap;
  for (CheckBox* box : boxes_) {
    const Rect f = box->Frame();
    box->SetFrame(Rect(kMargin + kIndent, y, kMargin + kIndent + f.Width(), y + f.Height()));
    y += f.Height() + kRowGap;
  }
}

void X256FlagsEdit::DrawContent() {
  SetColor(0xFF303030u);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
  SetColor(0xFFFFFFFFu);
  const int line = LineHeight(this);
  DrawTextInRect(this, kFlagsCaption, Rect(kMargin, kMargin, client.Width(), kMargin + line),
                 kTextShadow);
}

}  // namespace brae
