#include "collection/SequenceAssign.h"

#include <cstdlib>
#include <memory>
#include <utility>

#include "collection/BitmapExport.h"
#include "collection/BitmapReplace.h"
#include "collection/CollectionImport.h"
#include "collection/Plates.h"
#include "media/MediaFile.h"
#include "tagstore/FileSystem.h"

namespace brae {
namespace {

// Takes the bitmaps added at the end of the list since `count` out again and puts the palette
// back: a refused import leaves nothing behind.
void RemoveAddedBitmaps(Collection* collection, size_t count, const CollectionPalette& palette) {
  while (collection->bitmaps.size() > count)
    collection->RemoveBitmap(collection->bitmaps.size() - 1);
  collection->palette = palette;
}

// The collection indices of the bitmaps of every stored cell in the order; false when a cell
// has none.
bool CellBitmaps(const Collection& collection, const CollectionSequence& sequence,
                 AssignOrder order, std::vector<size_t>* out) {
  for (SequenceCell cell : OrderedCells(sequence, order)) {
    const auto& slot = sequence.frames[size_t(cell.frame)].views[size_t(cell.view)];
    const int index = slot ? collection.IndexOfBitmap(slot->bitmap) : -1;
    if (index < 0) return false;
    out->push_back(size_t(index));
  }
  return true;
}

uint16_t* Field16(SequenceHeaderRecord& h, SequenceField field) {
  switch (field) {
    case SequenceField::kTicksPerFrame:
      return &h.ticks_per_frame;
    case SequenceField::kKeyFrame:
      return &h.key_frame;
    case SequenceField::kTransferPeriod:
      return &h.transfer_period;
    case SequenceField::kTransferMode:
      return &h.transfer_mode;
    case SequenceField::kLoopFrame:
      return &h.loop_frame;
    default:
      return nullptr;
  }
}

uint32_t* Field32(SequenceHeaderRecord& h, SequenceField field) {
  switch (field) {
    case SequenceField::kFirstSound:
      return &h.first_sound;
    case SequenceField::kKeySound:
      return &h.key_sound;
    case SequenceField::kLastSound:
      return &h.last_sound;
    default:
      return nullptr;
  }
}

}  // namespace

// ---- header fields and flags ------------------------------------------------------------------

uint32_t SequenceFieldValue(const CollectionSequence& sequence, SequenceField field) {
  SequenceHeaderRecord h = sequence.header;
  if (uint16_t* v = Field16(h, field)) return *v;
  if (uint32_t* v = Field32(h, field)) return *v;
  return 0;
}

OperationResult SetSequenceField(Collection* collection, size_t sequence, SequenceField field,
                                 uint32_t value) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  if (uint16_t* v = Field16(s->header, field)) {
    if (*v == uint16_t(value)) return result;
    *v = uint16_t(value);
  } else if (uint32_t* w = Field32(s->header, field)) {
    if (*w == value) return result;
    *w = value;
  }
  result.changed = true;
  result.sequences.push_back(sequence);
  return result;
}

bool ParseFieldNumber(const std::string& text, uint32_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || n < 0 || n > 0xFFFF) return false;
  *value = uint32_t(n);
  return true;
}

const std::vector<TransferModeChoice>& TransferModeChoices() {
  static const std::vector<TransferModeChoice> choices = {
      {"None", kTransferNone},
      {"Fade Out", kTransferFadeOut},
      {"Fade In", kTransferFadeIn},
      {"Appearing", kTransferAppearing},
      {"Disappearing", kTransferDisappearing},
      {"Cycle", kTransferCycle},
  };
  return choices;
}

uint16_t ShownTransferMode(uint16_t stored) {
  for (const TransferModeChoice& c : TransferModeChoices())
    if (c.value == stored) return stored;
  return kTransferNone;
}

OperationResult SetSequenceFlag(Collection* collection, size_t sequence, uint32_t flag, bool on) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  uint32_t flags = on ? (s->header.flags | flag) : (s->header.flags & ~flag);
  if (on && flag == kSequenceMirrored) flags &= ~kSequenceNoRotation;
  if (on && flag == kSequenceNoRotation) flags &= ~kSequenceMirrored;
  if (flags == s->header.flags) return result;
  s->header.flags = flags;
  s->RebuildMirroredViews();
  result.changed = true;
  result.sequences.push_back(sequence);
  return result;
}

OperationResult SetCellFlag(Collection* collection, size_t sequence,
                            const std::vector<SequenceCell>& cells, uint32_t flag, bool on) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  for (SequenceCell c : cells) {
    CollectionInstance* instance = s->InstanceAt(c.frame, c.view);
    if (!instance || c.view >= s->StoredViewCount()) continue;
    const uint32_t flags = on ? (instance->flags | flag) : (instance->flags & ~flag);
    if (flags == instance->flags) continue;
    instance->flags = flags;
    result.changed = true;
  }
  if (!result.changed) return result;
  s->RebuildMirroredViews();
  result.sequences.push_back(sequence);
  return result;
}

OperationResult SetShadowFlag(Collection* collection, size_t sequence,
                              const std::vector<int>& frames, uint32_t flag, bool on) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  for (int f : frames) {
    if (f < 0 || f >= s->FrameCount()) continue;
    uint32_t& bits = s->frames[size_t(f)].shadow.flags;
    const uint32_t flags = on ? (bits | flag) : (bits & ~flag);
    if (flags == bits) continue;
    bits = flags;
    result.changed = true;
  }
  if (result.changed) result.sequences.push_back(sequence);
  return result;
}

// ---- imports ----------------------------------------------------------------------------------

std::vector<SequenceCell> OrderedCells(const CollectionSequence& sequence, AssignOrder order) {
  const int frames = sequence.FrameCount();
  const int views = sequence.StoredViewCount();
  std::vector<SequenceCell> cells;
  for (size_t k = 0; k < size_t(frames) * size_t(views); ++k)
    cells.push_back(AssignedCell(order, k, frames, views));
  return cells;
}

OperationResult ImportSequenceBitmaps(Collection* collection, size_t sequence,
                                      const std::vector<std::string>& paths, AssignOrder order,
                                      const Question& replace_palette) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  const int expected = s->FrameCount() * s->StoredViewCount();
  if (int(paths.size()) != expected)
    return result.Error(FormatMessage(kSequenceCountMismatch, int(paths.size()), expected));
  const size_t count = collection->bitmaps.size();
  const CollectionPalette palette = collection->palette;
  OperationResult imported = ImportBitmapsFromFiles(collection, paths, replace_palette);
  result.messages = imported.messages;
  if (!imported || imported.bitmaps.size() != paths.size()) {
    RemoveAddedBitmaps(collection, count, palette);
    result.ok = false;
    return result;
  }
  OperationResult assigned = AssignBitmaps(collection, sequence, imported.bitmaps, order);
  if (!assigned) {
    RemoveAddedBitmaps(collection, count, palette);
    return assigned;
  }
  result.changed = true;
  result.bitmaps = imported.bitmaps;
  result.sequences.push_back(sequence);
  return result;
}

OperationResult ImportSequencePlate(Collection* collection, size_t sequence,
                                    const std::string& path) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  const int views = s->StoredViewCount();
  const int expected = s->FrameCount() * views;
  const size_t count = collection->bitmaps.size();
  const CollectionPalette palette = collection->palette;
  std::vector<int> cells;
  OperationResult added = AddBitmapsFromPlate(collection, path, &cells);
  if (!added) return added;
  if (int(cells.size()) != expected) {
    RemoveAddedBitmaps(collection, count, palette);
    return result.Error(FormatMessage(kSequencePlateCountMismatch, expected));
  }
  for (size_t k = 0; k < cells.size(); ++k) {
    const SequenceCell cell{int(k) / views, int(k) % views};
    SetCellBitmap(s, cell, cells[k] >= 0 ? collection->BitmapAt(size_t(cells[k])) : nullptr);
  }
  s->RebuildMirroredViews();
  result.changed = true;
  result.bitmaps = added.bitmaps;
  result.sequences.push_back(sequence);
  return result;
}

OperationResult ImportSequenceAlphas(Collection* collection, size_t sequence,
                                     const std::vector<std::string>& paths, AssignOrder order) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  std::vector<size_t> bitmaps;
  if (!CellBitmaps(*collection, *s, order, &bitmaps))
    return result.Error(kSequenceAlphasUnassigned);
  if (paths.size() != bitmaps.size())
    return result.Error(
        FormatMessage(kSequenceCountMismatch, int(paths.size()), int(bitmaps.size())));
  return ReplaceFromFiles(collection, bitmaps, paths, ReplaceMapping::kByOrder,
                          ReplaceKind::kAlpha);
}

OperationResult ImportSequenceAlphaPlate(Collection* collection, size_t sequence,
                                         const std::string& path) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  std::vector<size_t> bitmaps;
  if (!CellBitmaps(*collection, *s, AssignOrder::kViewsThenFrames, &bitmaps))
    return result.Error(kSequenceAlphasUnassigned);
  return ReplaceAlphaFromPlate(collection, bitmaps, path);
}

// ---- exports ----------------------------------------------------------------------------------

std::string SequenceExportName(int frame, int view, bool alpha) {
  return FormatMessage(kSequenceExportName, frame, view, alpha ? kAlphaNameSuffix : "");
}

std::string SequencePlateName(const CollectionSequence& sequence, bool alpha) {
  return FormatMessage(kSequencePlateName, sequence.name.c_str(), alpha ? "alpha " : "");
}

OperationResult ExportSequenceBitmaps(const Collection& collection, size_t sequence,
                                      const std::string& folder, bool alpha, MediaType type,
                                      std::vector<std::string>* written) {
  OperationResult result;
  const CollectionSequence* s = collection.SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  if (!MakeFolder(dir)) return result.Error("The folder '" + folder + "' could not be created.");
  const char* extension = MediaTypeInfoOf(type).extension;
  for (SequenceCell cell : OrderedCells(*s, AssignOrder::kViewsThenFrames)) {
    const auto& slot = s->frames[size_t(cell.frame)].views[size_t(cell.view)];
    const CollectionBitmap* b = slot ? slot->bitmap : nullptr;
    if (!b || collection.IndexOfBitmap(b) < 0 || !b->HasPixels()) continue;
    MediaFile file(dir + SequenceExportName(cell.frame, cell.view, alpha) + extension,
                   MediaGroup::kImage);
    file.image = alpha ? BitmapAlphaImage(*b) : BitmapColourImage(collection, *b);
    if (!file.Write()) return result.Error(file.Error());
    if (written) written->push_back(file.path);
  }
  return result;
}

OperationResult ExportSequencePlate(const Collection& collection, size_t sequence, bool alpha,
                                    const std::string& path) {
  OperationResult result;
  const CollectionSequence* s = collection.SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  std::vector<int> cells;
  for (SequenceCell cell : OrderedCells(*s, AssignOrder::kViewsThenFrames)) {
    const auto& slot = s->frames[size_t(cell.frame)].views[size_t(cell.view)];
    cells.push_back(slot ? collection.IndexOfBitmap(slot->bitmap) : -1);
  }
  PlateOptions options;
  options.alpha = alpha;
  options.columns = s->StoredViewCount();
  MediaFile file(path, MediaGroup::kImage);
  std::string message;
  if (!MakeCellPlate(collection, cells, options, &file.image, &message))
    return result.Error(message);
  file.type = MediaTypeFromPath(path);
  if (!file.Write()) return result.Error(file.Error());
  return result;
}

// ---- drops ------------------------------------------------------------------------------------

OperationResult DropGridItems(Collection* collection, size_t sequence, SequenceCell at,
                              const std::vector<GridDropItem>& items) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  // Every item is checked before any is placed.
  if (!CanDropGridItems(*collection, *s, at, items)) {
    result.ok = false;
    return result;
  }
  for (const GridDropItem& item : items) {
    const SequenceCell cell{at.frame + item.frame, at.view + item.view};
    CollectionBitmap* b = item.bitmap >= 0 ? collection->BitmapAt(size_t(item.bitmap)) : nullptr;
    if (item.shadow)
      s->frames[size_t(cell.frame)].shadow.bitmap = b;
    else
      SetCellBitmap(s, cell, b);
  }
  s->RebuildMirroredViews();
  result.changed = !items.empty();
  result.sequences.push_back(sequence);
  return result;
}

bool CanDropGridItems(const Collection& collection, const CollectionSequence& sequence,
                      SequenceCell at, const std::vector<GridDropItem>& items) {
  const int frames = sequence.FrameCount();
  const int views = sequence.StoredViewCount();
  for (const GridDropItem& item : items) {
    const int f = at.frame + item.frame;
    const int v = at.view + item.view;
    const CollectionBitmap* b =
        item.bitmap >= 0 ? collection.BitmapAt(size_t(item.bitmap)) : nullptr;
    const bool fits = f >= 0 && f < frames && (item.shadow ? v == -1 : (v >= 0 && v < views));
    const bool right_kind = item.bitmap < 0 || (b && b->IsShadow() == item.shadow);
    if (!fits || !right_kind) return false;
  }
  return !items.empty();
}

bool CanDropBitmaps(const Collection& collection, const CollectionSequence& sequence,
                    SequenceCell at, const std::vector<size_t>& bitmaps) {
  if (bitmaps.empty() || !DropCells(sequence, at, bitmaps.size())) return false;
  for (size_t i : bitmaps) {
    const CollectionBitmap* b = collection.BitmapAt(i);
    if (!b || b->IsShadow()) return false;
  }
  return true;
}

bool CanDropShadows(const Collection& collection, const CollectionSequence& sequence, int frame,
                    const std::vector<size_t>& shadows) {
  if (shadows.empty() || frame < 0 ||
      size_t(frame) + shadows.size() > size_t(sequence.FrameCount()))
    return false;
  for (size_t i : shadows) {
    const CollectionBitmap* b = collection.BitmapAt(i);
    if (!b || !b->IsShadow()) return false;
  }
  return true;
}

}  // namespace brae
