#include "toolkit/TextBoxAction.h"

#include "toolkit/TextBox.h"

namespace brae {

TextBoxAction::TextBoxAction(TextBox* box, Kind kind, char character, std::string text)
    : box_(box),
      kind_(kind),
      character_(character),
      inserted_(std::move(text)),
      before_anchor_(box->Anchor()),
      before_caret_(box->Caret()) {
  if (kind_ == kType) inserted_ = std::string(1, character_);
}

// Deletes the selection, keeping a copy of it the first time.
void TextBoxAction::TakeSelection() {
  int from = box_->SelectionStart(), to = box_->SelectionEnd();
  if (from == to) return;
  if (!removed_taken_) {
    removed_ = box_->Text().substr(from, to - from);
    removed_taken_ = true;
  }
  box_->RawErase(from, to);
  box_->SetSelection(from, from);
}

int TextBoxAction::Do() {
  box_->SetSelection(before_anchor_, before_caret_);
  int caret = box_->Caret();
  int length = static_cast<int>(box_->Text().size());
  switch (kind_) {
    case kType:
    case kInsert: {
      TakeSelection();
      int at = box_->Caret();
      box_->RawInsert(at, inserted_);
      int end = at + static_cast<int>(inserted_.size());
      box_->SetSelection(end, end);
      break;
    }
    case kDeleteBackward:
      if (caret <= 0) return 0;
      removed_ = box_->Text().substr(caret - 1, 1);
      box_->RawErase(caret - 1, caret);
      box_->SetSelection(caret - 1, caret - 1);
      break;
    case kDeleteForward:
      if (caret >= length) return 0;
      removed_ = box_->Text().substr(caret, 1);
      box_->RawErase(caret, caret + 1);
      box_->SetSelection(caret, caret);
      break;
    case kDeleteSelection:
      if (!box_->HasSelection()) return 0;
      TakeSelection();
      break;
  }
  after_anchor_ = box_->Anchor();
  after_caret_ = box_->Caret();
  return 1;
}

void TextBoxAction::Undo() {
  box_->SetSelection(after_anchor_, after_caret_);
  int caret = box_->Caret();
  switch (kind_) {
    case kType:
    case kInsert: {
      int start = caret - static_cast<int>(inserted_.size());
      box_->RawErase(start, caret);
      box_->RawInsert(start, removed_);
      break;
    }
    case kDeleteBackward:
      box_->RawInsert(caret, removed_);
      break;
    case kDeleteForward:
      box_->RawInsert(caret, removed_);
      break;
    case kDeleteSelection:
      box_->RawInsert(caret, removed_);
      break;
  }
  box_->SetSelection(before_anchor_, before_caret_);
}

}  // namespace brae
