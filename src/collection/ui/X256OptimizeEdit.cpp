#include "collection/ui/X256OptimizeEdit.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "collection/Collection.h"
#include "collection/CollectionOptimize.h"
#include "collection/ui/CollectionActions.h"
#include "toolkit/Button.h"
#include "toolkit/Frame.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr int kMargin = 10;

const char* ButtonLabel(int command) {
  switch (command) {
    case kOptimizeDeleteUnused:
      return kDeleteUnusedButton;
    case kOptimizeMergeIdentical:
      return kMergeIdenticalButton;
    case kOptimizeCropAll:
      return kCropAllButton;
    case kOptimizeAutoRename:
      return kAutoRenameButton;
    default:
      return kRuntimeSizeButton;
  }
}

}  // namespace

X256OptimizeEdit::X256OptimizeEdit(Collection* collection, Window* parent)
    : Window(kWindowVisible | kWindowEnabled, parent), collection_(collection) {
  SetTitle("Optimize");
  for (int i = 0; i < kOptimizeCommandCount; ++i) {
    buttons_[i] = new Button(this, i);
    buttons_[i]->SetTitle(ButtonLabel(i));
    buttons_[i]->clicked_with_value.Connect(this, &X256OptimizeEdit::RunCommand);
  }
  Layout();
}

void X256OptimizeEdit::SetUndo(UndoStack* stack, RestoredHook restored) {
  undo_ = stack;
  restored_ = std::move(restored);
}

Button* X256OptimizeEdit::CommandButton(int command) const {
  return command >= 0 && command < kOptimizeCommandCount ? buttons_[command] : nullptr;
}

void X256OptimizeEdit::Layout() {
  const int height = StandardButtonHeight(this);
  int y = kMargin;
  for (Button* b : buttons_) {
    b->SetFrame(Rect(kMargin, y, kMargin + kOptimizeButtonWidth, y + height));
    y += height + kOptimizeButtonGap;
  }
}

void X256OptimizeEdit::DrawContent() {
  SetColor(0xFF303030u);
  FillRect(Rect(0, 0, client.Width(), client.Height()));
}

void X256OptimizeEdit::RunCommand(int command) {
  if (command < 0 || command >= kOptimizeCommandCount) return;
  if (!IsOptimizeEnabled()) {
    ShowMessageBox("", kOptimizeWindowsOpen, {"OK"});
    if (!IsClosed() && IsEffectivelyVisible()) buttons_[command]->SetFocus(1);
    return;
  }
  // The snapshot for the undo of the operations that remove bitmaps or change pixels.
  std::unique_ptr<BitmapSnapshot> before;
  std::vector<std::string> names_before;
  if (command == kOptimizeAutoRename)
    names_before = BitmapNames(*collection_);
  else if (command != kOptimizeRuntimeSize)
    before = std::make_unique<BitmapSnapshot>(*collection_);

  OperationResult result;
  UndoableAction* action = nullptr;
  switch (command) {
    case kOptimizeDeleteUnused:
      result = DeleteUnusedBitmaps(collection_);
      if (result.changed)
        action = new DeleteUnusedAction(collection_, std::move(*before), restored_);
      break;
    case kOptimizeMergeIdentical:
      result = MergeIdenticalBitmaps(collection_);
      if (result.changed)
        action = new MergeIdenticalAction(collection_, std::move(*before), restored_);
      break;
    case kOptimizeCropAll:
      result = CropAllBitmaps(collection_);
      if (result.changed) action = new CropAllAction(collection_, std::move(*before), restored_);
      break;
    case kOptimizeAutoRename:
      result = AutoRenameBitmaps(collection_);
      if (result.changed)
        action = new AutoRenameAction(collection_, std::move(names_before),
                                      BitmapNames(*collection_), restored_);
      break;
    default:
      result = RuntimeSize(*collection_);
      break;
  }
  if (result.changed) {
    if (undo_ && action)
      undo_->Perform(action, true);
    else
      delete action;
    changed.Emit();
  }
  ShowMessages(result);
  // After the message box the keys (Control+Z among them) go to the button, then up to the
  // editor.
  if (!IsClosed() && IsEffectivelyVisible()) buttons_[command]->SetFocus(1);
}

void X256OptimizeEdit::ShowMessages(const OperationResult& result) const {
  for (const OperationMessage& m : result.messages)
    ShowMessageBox(m.title.c_str(), m.text.c_str(), {"OK"});
}

}  // namespace brae
