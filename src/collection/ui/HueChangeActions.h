#pragma once
// The undoable actions of the Hue Changes tab and the hue change editors, kept on the
// collection editor's undo stack. They name hue changes by their index in the collection's
// list and keep copies of the records they take out or change.

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "collection/CollectionRecords.h"
#include "toolkit/UndoStack.h"

namespace brae {

class Collection;

// How an undo or redo changed the hue change list, for the browser and the open editors.
enum class HueListChange { kInserted, kRemoved, kEdited };
using HueChangesRestored = std::function<void(HueListChange change, size_t index)>;

// "New Hue Change": the hue change the command appended at index. Undo takes it out (its
// editor closes); Do puts it back.
class HueChangeInsertAction : public UndoableAction {
 public:
  HueChangeInsertAction(Collection* collection, size_t index, HueChangesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  Collection* collection_;
  size_t index_;
  HueChange parked_{};
  bool parked_valid_ = false;
  HueChangesRestored restored_;
};

// "Delete": the hue changes removed from the given indices (ascending, as they were before).
// Undo puts them back; Do removes them again.
class HueChangeDeleteAction : public UndoableAction {
 public:
  HueChangeDeleteAction(Collection* collection, std::vector<std::pair<size_t, HueChange>> removed,
                        HueChangesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  Collection* collection_;
  std::vector<std::pair<size_t, HueChange>> removed_;
  bool removed_now_ = true;
  HueChangesRestored restored_;
};

// "Rename" in the browser or the "Name:" box of an editor.
class HueChangeRenameAction : public UndoableAction {
 public:
  HueChangeRenameAction(Collection* collection, size_t index, const HueChange& before,
                        const HueChange& after, HueChangesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Set(const char* name);
  Collection* collection_;
  size_t index_;
  char before_[64];
  char after_[64];
  HueChangesRestored restored_;
};

// The fields of a hue change editor that a single edit changes: "Min % Saturation:",
// "Use As:", "Reversed Hue Change", the replacement check boxes and the colour button. The
// record before and after the edit.
class HueChangeFieldAction : public UndoableAction {
 public:
  HueChangeFieldAction(Collection* collection, size_t index, const HueChange& before,
                       const HueChange& after, HueChangesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  bool Set(const HueChange& record);
  Collection* collection_;
  size_t index_;
  HueChange before_, after_;
  HueChangesRestored restored_;
};

// One drag of a colour bar marker: the start, median and end hues before and after it.
class HueMarkerDragAction : public UndoableAction {
 public:
  HueMarkerDragAction(Collection* collection, size_t index, const HueChange& before,
                      const HueChange& after, HueChangesRestored restored);
  int Do() override;
  void Undo() override;

 private:
  struct Hues {
    uint16_t start, median, end;
  };
  bool Set(const Hues& hues);
  Collection* collection_;
  size_t index_;
  Hues before_, after_;
  HueChangesRestored restored_;
};

}  // namespace brae
