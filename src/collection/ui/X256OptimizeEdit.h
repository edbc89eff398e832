#pragma once
// The "Optimize" tab of the collection editor: five buttons, 200 pixels wide, stacked from the
// top, for the whole-collection operations (delete unused, merge identical, crop all, auto
// rename) and the run-time size estimate. The operations refuse to run while a bitmap window or
// a sequence or frame editor is open (the editor's `windows_open` hook tells); each result is
// shown in a message box, kept on the undo stack, and announced through `changed`.

#include <functional>

#include "toolkit/Window.h"

namespace brae {

class Button;
class Collection;
class UndoStack;
struct OperationResult;

// The buttons' order, also their user values.
enum OptimizeCommand : int {
  kOptimizeDeleteUnused = 0,
  kOptimizeMergeIdentical = 1,
  kOptimizeCropAll = 2,
  kOptimizeAutoRename = 3,
  kOptimizeRuntimeSize = 4,
  kOptimizeCommandCount = 5,
};

constexpr int kOptimizeButtonWidth = 200;
constexpr int kOptimizeButtonGap = 6;

class X256OptimizeEdit : public Window {
 public:
  using RestoredHook = std::function<void(bool replaced, size_t index)>;
  explicit X256OptimizeEdit(Collection* collection, Window* parent = nullptr);
  const char* ClassName() const override { return "X256OptimizeEdit"; }

  // Where the operations keep their undo actions, and what an undo or redo calls after it
  // changed the collection.
  void SetUndo(UndoStack* stack, RestoredHook restored);
  // The enabled flag: true unless the hook says a bitmap, sequence or frame window is open.
  bool IsOptimizeEnabled() const { return !windows_open || !windows_open(); }
  Button* CommandButton(int command) const;

  // Runs one operation as its button does.
  void RunCommand(int command);

  void Layout() override;
  void DrawContent() override;

  std::function<bool()> windows_open;
  Signal<> changed;

 private:
  void ShowMessages(const OperationResult& result) const;

  Collection* collection_;
  Button* buttons_[kOptimizeCommandCount] = {};
  UndoStack* undo_ = nullptr;
  RestoredHook restored_;
};

}  // namespace brae
