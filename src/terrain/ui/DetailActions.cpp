#include "terrain/ui/DetailActions.h"

#include "terrain/ui/MeshEdit.h"

namespace brae {

int BrushStrokeAction::Do() {
  editor_->ApplyStroke(stroke_, true);
  return 1;
}

void BrushStrokeAction::Undo() {
  editor_->ApplyStroke(stroke_, false);
}

int FloodFillAction::Do() {
  editor_->ApplyFill(fill_, true);
  return 1;
}

void FloodFillAction::Undo() {
  editor_->ApplyFill(fill_, false);
}

}  // namespace brae
