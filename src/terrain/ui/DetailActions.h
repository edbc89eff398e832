#pragma once
// The undo records of detail map painting on the mesh editor's stack: a brush stroke restores
// its rectangle, a flood fill its runs. The data logic lives in terrain/DetailPainting.

#include "terrain/DetailPainting.h"
#include "toolkit/UndoStack.h"

namespace brae {

class MeshEdit;

class BrushStrokeAction : public UndoableAction {
 public:
  // The editor owns the stack the action lives on, so it outlives the action.
  BrushStrokeAction(MeshEdit* editor, BrushStrokeRecord stroke)
      : editor_(editor), stroke_(std::move(stroke)) {}
  int Do() override;
  void Undo() override;
  const BrushStrokeRecord& Stroke() const { return stroke_; }

 private:
  MeshEdit* editor_;
  BrushStrokeRecord stroke_;
};

class FloodFillAction : public UndoableAction {
 public:
  FloodFillAction(MeshEdit* editor, FloodFillRecord fill)
      : editor_(editor), fill_(std::move(fill)) {}
  int Do() override;
  void Undo() override;

 private:
  MeshEdit* editor_;
  FloodFillRecord fill_;
};

}  // namespace brae
