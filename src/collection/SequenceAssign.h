#pragma once
// The sequence editor's commands over a Collection: the header fields and flags, the mirror
// flags of selected cells, bitmaps and alphas imported into the grid from files or plates, the
// grid exported as files or plates, and drops of items dragged from a grid. Sequences are named
// by their index in the collection's list; every command checks everything before it changes
// anything, so a refused one leaves the collection as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "collection/SequenceOperations.h"
#include "media/FileTypes.h"

namespace brae {

constexpr const char* kImportBitmapsTitle = "Import Bitmaps";
constexpr const char* kImportAlphasTitle = "Import Replacement Alphas";
constexpr const char* kExportAlphaPlateTitle = "Export Alpha Plate";
constexpr const char* kSequenceAlphasUnassigned =
    "In order to replace alphas, every bitmap must be assigned.";
constexpr const char* kSequencePlateCountMismatch =
    "Invalid number of images in plate. It must contain exactly %d images.";
constexpr const char* kSequenceExportName = "Frame #%02d, view #%02d%s";
constexpr const char* kSequencePlateName = "%s %splate";

// ---- header fields and flags ----

// The integer fields of the sequence editor and the sound tag fields.
enum class SequenceField {
  kTicksPerFrame,
  kKeyFrame,
  kTransferPeriod,
  kTransferMode,
  kLoopFrame,
  kFirstSound,
  kKeySound,
  kLastSound,
};
uint32_t SequenceFieldValue(const CollectionSequence& sequence, SequenceField field);
// Stores a field (16-bit fields keep the low 16 bits); unchanged values change nothing.
OperationResult SetSequenceField(Collection* collection, size_t sequence, SequenceField field,
                                 uint32_t value);
// An integer field's text: a whole number in 0 to 65535, else none (the field is not stored).
bool ParseFieldNumber(const std::string& text, uint32_t* value);

// "Mode:": the choices' labels and values, in menu order; a stored value that is none of them
// shows as "None".
struct TransferModeChoice {
  const char* label;
  uint16_t value;
};
const std::vector<TransferModeChoice>& TransferModeChoices();
uint16_t ShownTransferMode(uint16_t stored);

// "Use Mirroring" (kSequenceMirrored) and "No Rotation" (kSequenceNoRotation). A sequence never
// has both: loading clears no rotation when both are set, so setting one clears the other.
// With mirroring the mirrored views are rebuilt from the stored ones.
OperationResult SetSequenceFlag(Collection* collection, size_t sequence, uint32_t flag, bool on);
// "Horz. Mirror" / "Vert. Mirror" on view cells (instance flags bit 0, 1); cells without an
// instance are skipped. Mirrored views follow.
OperationResult SetCellFlag(Collection* collection, size_t sequence,
                            const std::vector<SequenceCell>& cells, uint32_t flag, bool on);
// "Shadow Is Light" on shadow cells (shadow flag bit 0) of the listed frames.
OperationResult SetShadowFlag(Collection* collection, size_t sequence,
                              const std::vector<int>& frames, uint32_t flag, bool on);

// ---- imports into the grid ----

// Every stored cell of the grid in the order's sequence (AssignedCell for k = 0, 1, ...).
std::vector<SequenceCell> OrderedCells(const CollectionSequence& sequence, AssignOrder order);

// "Bitmap Import" from files: their number must equal frames × stored views; every file is
// read and added as a bitmap (palette rule) and assigned in the order. When a file is declined
// (its colours do not fit and the palette is not replaced) nothing stays: the bitmaps added
// are removed again and the palette restored. result.bitmaps: the added bitmaps.
OperationResult ImportSequenceBitmaps(Collection* collection, size_t sequence,
                                      const std::vector<std::string>& paths, AssignOrder order,
                                      const Question& replace_palette = nullptr);
// "Bitmap Import" → "From Plate": the plate's cells must number frames × stored views; its
// non-empty cells are added as bitmaps and assigned frame by frame, view by view; an empty cell
// leaves its view without a bitmap. A plate of the wrong count adds nothing (its bitmaps are
// removed again and the palette restored).
OperationResult ImportSequencePlate(Collection* collection, size_t sequence,
                                    const std::string& path);
// "Alpha Import" from files (8-bit greyscale, the bitmaps' sizes): every stored cell must have
// a bitmap; the files apply to the cells' bitmaps in the order.
OperationResult ImportSequenceAlphas(Collection* collection, size_t sequence,
                                     const std::vector<std::string>& paths, AssignOrder order);
// "Alpha Import" → "From Plate": the alpha plate's cells apply frame by frame, view by view.
OperationResult ImportSequenceAlphaPlate(Collection* collection, size_t sequence,
                                         const std::string& path);

// ---- exports ----

// "Frame #%02d, view #%02d" with " alpha" for alphas.
std::string SequenceExportName(int frame, int view, bool alpha);
// The default plate name: "%s plate" or "%s alpha plate" with the sequence name.
std::string SequencePlateName(const CollectionSequence& sequence, bool alpha);
// "Bitmaps" / "Alphas": one file per assigned stored cell in folder (created when missing).
OperationResult ExportSequenceBitmaps(const Collection& collection, size_t sequence,
                                      const std::string& folder, bool alpha, MediaType type,
                                      std::vector<std::string>* written = nullptr);
// "Bitmap Plate" / "Alpha Plate": one band per frame, one cell per stored view, empty cells for
// views without a bitmap.
OperationResult ExportSequencePlate(const Collection& collection, size_t sequence, bool alpha,
                                    const std::string& path);

// ---- drops of grid items ----

// An item dragged from a grid: its place relative to the first item, its bitmap (collection
// index, -1 for a cell without one) and whether it came from the shadow column.
struct GridDropItem {
  int frame = 0;
  int view = 0;
  int bitmap = -1;
  bool shadow = false;
};
// Dropping grid items at a cell (view -1: the shadow column): they keep their relative layout
// around it. Refused as a whole when an item would land past the grid, a shadow item off the
// shadow column, a view item on it, or a bitmap is of the wrong kind.
OperationResult DropGridItems(Collection* collection, size_t sequence, SequenceCell at,
                              const std::vector<GridDropItem>& items);

// Whether a drop would be accepted (checked while dragging over the grid).
bool CanDropGridItems(const Collection& collection, const CollectionSequence& sequence,
                      SequenceCell at, const std::vector<GridDropItem>& items);
bool CanDropBitmaps(const Collection& collection, const CollectionSequence& sequence,
                    SequenceCell at, const std::vector<size_t>& bitmaps);
bool CanDropShadows(const Collection& collection, const CollectionSequence& sequence, int frame,
                    const std::vector<size_t>& shadows);

}  // namespace brae
