#pragma once
// The sequence commands over a Collection: new, rename, duplicate, delete and reorder of
// sequences; resizing a sequence's grid; the sound tag fields; assigning bitmaps to cells
// and the all-or-nothing drop of bitmaps onto the grid; the grid's view columns and the
// animation timing. Sequences are named by their index in the collection's list.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collection/BitmapEditing.h"

namespace brae {

constexpr const char* kNewSequenceName = "New Sequence";
constexpr const char* kSequenceCopyName = "%s copy";
constexpr const char* kSequenceOpenMessage =
    "The sequence \"%s\" is currently open. Please close it before deleting.";
constexpr const char* kSequenceDeleteQuestion =
    "Are you sure you want to remove the selected sequence%s?";
constexpr const char* kConfirmDeleteTitle = "Confirm Delete";
constexpr const char* kSequenceDeleteButton = "Delete";
constexpr const char* kSequenceCountMismatch = "%d bitmaps were seleced, expected %d";
constexpr const char* kRenameMenuItem = "Rename";
constexpr const char* kDuplicateMenuItem = "Duplicate";
constexpr const char* kDeleteMenuItem = "Delete";
constexpr const char* kNewSequenceMenuItem = "New Sequence";
// Character 161 of the toolkit font: the degree sign.
constexpr char kDegreeSign = char(161);
constexpr int kTicksPerSecond = 30;

// "New Sequence": appends a new sequence with the defaults. result.sequences holds its index.
OperationResult NewSequence(Collection* collection);
// "Rename": at most 63 characters are kept.
OperationResult RenameSequence(Collection* collection, size_t index, const std::string& name);
// "Duplicate": a copy of every frame, view and shadow named "%s copy", inserted right after
// the original. result.sequences holds the copy's index.
OperationResult DuplicateSequence(Collection* collection, size_t index);
// The delete question for count selected sequences.
std::string SequenceDeleteQuestion(size_t count);
// "Delete": refused with kSequenceOpenMessage when is_open says a listed sequence has an open
// editor; else confirm is asked SequenceDeleteQuestion (none: no question). result.sequences
// holds the removed indices, as they were before the removal, ascending.
OperationResult DeleteSequences(Collection* collection, const std::vector<size_t>& indices,
                                const std::function<bool(size_t)>& is_open = nullptr,
                                const Question& confirm = nullptr);
// Dragging rows: the sequences move, in list order, to the drop position (an index into the
// list before the move; the list's size drops at the end). result.sequences holds their new
// indices.
OperationResult MoveSequences(Collection* collection, const std::vector<size_t>& indices,
                              size_t drop_position);

// "Frames:" and "Views:": the grid becomes frames × views; cells whose indices survive keep
// their contents, new cells get an instance without a bitmap at the default registration
// point, new frames no shadow. Counts must lie in 0 to 65535.
OperationResult ResizeSequence(Collection* collection, size_t index, int frames, int views);

// A sound tag field: up to four characters, padded on the right with spaces, packed first
// character most significant; an empty field is 0xFFFFFFFF (none).
uint32_t PackSoundTag(const std::string& text);
// The field's text for a stored id: empty for none, trailing spaces dropped.
std::string SoundTagText(uint32_t id);

// A view's facing angle in whole degrees: view × 360 / view count, truncated.
int ViewAngle(int view, int view_count);
// A column of the "Views" grid after the shadow column: a stored view and its angle.
struct ViewColumn {
  int view = 0;
  int angle = 0;
};
// One column per stored view (mirroring shows view count / 2 + 1 of them).
std::vector<ViewColumn> ViewColumns(const CollectionSequence& sequence);
// The column heading "%d%c": the angle and the degree sign.
std::string ViewColumnTitle(int angle);

// The order in which a list of bitmaps fills the grid of frames × stored views.
enum class AssignOrder {
  kViewsThenFrames,  // "Assign views, then frames": file k → frame k / V, view k mod V
  kFramesThenViews,  // "Assign frames, then views": file k → view k / F, frame k mod F
};
struct SequenceCell {
  int frame = 0;
  int view = 0;
  bool operator==(const SequenceCell& o) const { return frame == o.frame && view == o.view; }
};
// An instance without a bitmap at the sequence's default registration point.
CollectionInstance FreshInstance(const CollectionSequence& sequence);
// Puts a bitmap (or none) into a cell, creating the cell's instance when it has none.
void SetCellBitmap(CollectionSequence* sequence, SequenceCell cell, CollectionBitmap* bitmap);
// The cell that item k of a list fills in a grid of frames × views.
SequenceCell AssignedCell(AssignOrder order, size_t k, int frames, int views);
// Assigns bitmaps (collection indices) to every stored cell of a sequence in the given order;
// their number must equal frames × stored views (else kSequenceCountMismatch). Mirrored views
// are rebuilt afterwards.
OperationResult AssignBitmaps(Collection* collection, size_t sequence,
                              const std::vector<size_t>& bitmaps, AssignOrder order);

// The cells that count bitmaps dropped on a view cell fill: consecutive stored views from
// there, continuing on the next frame's row. None when the drop would run past the grid.
std::optional<std::vector<SequenceCell>> DropCells(const CollectionSequence& sequence,
                                                   SequenceCell at, size_t count);
// Dropping bitmaps (collection indices) on a view cell: refused as a whole when a cell would
// lie past the grid or an item is a shadow; nothing is assigned then.
OperationResult DropBitmaps(Collection* collection, size_t sequence, SequenceCell at,
                            const std::vector<size_t>& bitmaps);
// Dropping shadows on the shadow column at a frame: they fill that column for consecutive
// frames; refused as a whole past the last frame or when an item is not a shadow.
OperationResult DropShadows(Collection* collection, size_t sequence, int frame,
                            const std::vector<size_t>& shadows);

// The animation: the frame shown after elapsed ticks (30 per second) when playing from start:
// start + elapsed / ticks per frame (0 counted as 1), wrapped to the frame count.
int AnimationFrame(int start, uint32_t elapsed_ticks, int ticks_per_frame, int frame_count);

}  // namespace brae
