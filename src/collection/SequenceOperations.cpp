#include "collection/SequenceOperations.h"

#include <algorithm>
#include <memory>

namespace brae {
namespace {

// The listed sequences that exist, without repeats, in list order.
std::vector<CollectionSequence*> Listed(const Collection& collection,
                                        const std::vector<size_t>& indices) {
  std::vector<size_t> sorted = indices;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::vector<CollectionSequence*> out;
  for (size_t i : sorted) {
    if (CollectionSequence* s = collection.SequenceAt(i)) out.push_back(s);
  }
  return out;
}

}  // namespace

// An instance without a bitmap at the sequence's default registration point.
CollectionInstance FreshInstance(const CollectionSequence& sequence) {
  CollectionInstance fresh;
  fresh.alt_bitmap_index = 0;  // zeroed, as a saved one reads back
  fresh.reg_x = int16_t(sequence.header.default_reg_x / 65536);
  fresh.reg_y = int16_t(sequence.header.default_reg_y / 65536);
  return fresh;
}

void SetCellBitmap(CollectionSequence* sequence, SequenceCell cell, CollectionBitmap* bitmap) {
  auto& slot = sequence->frames[size_t(cell.frame)].views[size_t(cell.view)];
  if (!slot) slot = FreshInstance(*sequence);
  slot->bitmap = bitmap;
}

OperationResult NewSequence(Collection* collection) {
  OperationResult result;
  auto sequence = std::make_unique<CollectionSequence>();
  sequence->name = kNewSequenceName;
  collection->AddSequence(std::move(sequence));
  result.changed = true;
  result.sequences.push_back(collection->sequences.size() - 1);
  return result;
}

OperationResult RenameSequence(Collection* collection, size_t index, const std::string& name) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(index);
  if (!s) return result.Error("There is no such sequence.");
  const std::string kept = name.substr(0, kItemNameLength);
  if (kept == s->name) return result;
  s->name = kept;
  result.changed = true;
  result.sequences.push_back(index);
  return result;
}

OperationResult DuplicateSequence(Collection* collection, size_t index) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(index);
  if (!s) return result.Error("There is no such sequence.");
  auto copy = std::make_unique<CollectionSequence>(*s);
  copy->name = FormatMessage(kSequenceCopyName, s->name.c_str()).substr(0, kItemNameLength);
  collection->sequences.insert(collection->sequences.begin() + long(index) + 1, std::move(copy));
  result.changed = true;
  result.sequences.push_back(index + 1);
  return result;
}

std::string SequenceDeleteQuestion(size_t count) {
  return FormatMessage(kSequenceDeleteQuestion, count == 1 ? "" : "s");
}

OperationResult DeleteSequences(Collection* collection, const std::vector<size_t>& indices,
                                const std::function<bool(size_t)>& is_open,
                                const Question& confirm) {
  OperationResult result;
  const std::vector<CollectionSequence*> doomed = Listed(*collection, indices);
  if (doomed.empty()) return result;
  for (CollectionSequence* s : doomed) {
    const size_t i = size_t(collection->IndexOfSequence(s));
    if (is_open && is_open(i))
      return result.Error(FormatMessage(kSequenceOpenMessage, s->name.c_str()));
  }
  if (confirm && !confirm(SequenceDeleteQuestion(doomed.size()))) {
    result.ok = false;
    return result;
  }
  for (CollectionSequence* s : doomed) {
    result.sequences.push_back(size_t(collection->IndexOfSequence(s)));
  }
  for (auto it = result.sequences.rbegin(); it != result.sequences.rend(); ++it) {
    collection->RemoveSequence(*it);
  }
  result.changed = true;
  return result;
}

OperationResult MoveSequences(Collection* collection, const std::vector<size_t>& indices,
                              size_t drop_position) {
  OperationResult result;
  const std::vector<CollectionSequence*> moving = Listed(*collection, indices);
  if (moving.empty()) return result;
  auto& list = collection->sequences;
  drop_position = std::min(drop_position, list.size());
  auto is_moving = [&](const CollectionSequence* s) {
    return std::find(moving.begin(), moving.end(), s) != moving.end();
  };
  // The sequence before which the moved ones go (none: the end), skipping moved ones.
  const CollectionSequence* before = nullptr;
  for (size_t i = drop_position; i < list.size() && !before; ++i) {
    if (!is_moving(list[i].get())) before = list[i].get();
  }
  std::vector<const CollectionSequence*> old_order;
  for (auto& s : list) old_order.push_back(s.get());
  std::vector<std::unique_ptr<CollectionSequence>> kept, taken, order;
  for (auto& s : list) (is_moving(s.get()) ? taken : kept).push_back(std::move(s));
  for (auto& s : kept) {
    if (s.get() == before) {
      for (auto& t : taken) order.push_back(std::move(t));
    }
    order.push_back(std::move(s));
  }
  if (!before) {
    for (auto& t : taken) order.push_back(std::move(t));
  }
  bool same = true;
  for (size_t i = 0; i < order.size(); ++i) same = same && order[i].get() == old_order[i];
  list = std::move(order);
  for (CollectionSequence* s : moving) {
    result.sequences.push_back(size_t(collection->IndexOfSequence(s)));
  }
  result.changed = !same;
  return result;
}

OperationResult ResizeSequence(Collection* collection, size_t index, int frames, int views) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(index);
  if (!s) return result.Error("There is no such sequence.");
  if (frames < 0 || frames > 0xFFFF || views < 0 || views > 0xFFFF) {
    return result.Error("Invalid number of frames or views.");
  }
  if (frames == s->FrameCount() && views == s->ViewCount()) return result;
  const int old_frames = s->FrameCount(), old_views = s->ViewCount();
  s->Resize(frames, views);
  // The editor's new cells are zeroed instances: their alternate bitmap is 0, as the cell reads
  // back after a save (the alternate fields of an instance without flag 0x20 read as zero).
  for (int f = 0; f < frames; ++f)
    for (int v = (f < old_frames ? old_views : 0); v < views; ++v)
      if (auto& cell = s->frames[size_t(f)].views[size_t(v)]) cell->alt_bitmap_index = 0;
  // With mirroring, the views past the stored ones are mirrors of them (as loading makes them).
  s->RebuildMirroredViews();
  result.changed = true;
  result.sequences.push_back(index);
  return result;
}

uint32_t PackSoundTag(const std::string& text) {
  if (text.empty()) return 0xFFFFFFFFu;
  std::string padded = text.substr(0, 4);
  padded.resize(4, ' ');
  uint32_t id = 0;
  for (char c : padded) id = (id << 8) | uint8_t(c);
  return id;
}

std::string SoundTagText(uint32_t id) {
  if (id == 0xFFFFFFFFu) return std::string();
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += char((id >> shift) & 0xFF);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

int ViewAngle(int view, int view_count) {
  return view_count > 0 ? view * 360 / view_count : 0;
}

std::vector<ViewColumn> ViewColumns(const CollectionSequence& sequence) {
  std::vector<ViewColumn> columns;
  const int stored = sequence.StoredViewCount();
  for (int v = 0; v < stored; ++v) columns.push_back({v, ViewAngle(v, sequence.ViewCount())});
  return columns;
}

std::string ViewColumnTitle(int angle) {
  return FormatMessage("%d%c", angle, kDegreeSign);
}

SequenceCell AssignedCell(AssignOrder order, size_t k, int frames, int views) {
  const int i = int(k);
  if (order == AssignOrder::kViewsThenFrames) {
    return views > 0 ? SequenceCell{i / views, i % views} : SequenceCell{};
  }
  return frames > 0 ? SequenceCell{i % frames, i / frames} : SequenceCell{};
}

OperationResult AssignBitmaps(Collection* collection, size_t sequence,
                              const std::vector<size_t>& bitmaps, AssignOrder order) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  const int frames = s->FrameCount();
  const int views = s->StoredViewCount();
  const int expected = frames * views;
  if (int(bitmaps.size()) != expected) {
    return result.Error(FormatMessage(kSequenceCountMismatch, int(bitmaps.size()), expected));
  }
  for (size_t b : bitmaps) {
    if (!collection->BitmapAt(b)) return result.Error("There is no such bitmap.");
  }
  for (size_t k = 0; k < bitmaps.size(); ++k) {
    SetCellBitmap(s, AssignedCell(order, k, frames, views), collection->BitmapAt(bitmaps[k]));
  }
  s->RebuildMirroredViews();
  result.changed = expected > 0;
  result.sequences.push_back(sequence);
  return result;
}

std::optional<std::vector<SequenceCell>> DropCells(const CollectionSequence& sequence,
                                                   SequenceCell at, size_t count) {
  const int views = sequence.StoredViewCount();
  const int frames = sequence.FrameCount();
  if (at.frame < 0 || at.view < 0 || at.frame >= frames || at.view >= views) return std::nullopt;
  std::vector<SequenceCell> cells;
  const size_t start = size_t(at.frame) * size_t(views) + size_t(at.view);
  if (start + count > size_t(frames) * size_t(views)) return std::nullopt;
  for (size_t k = 0; k < count; ++k) {
    const size_t i = start + k;
    cells.push_back({int(i / size_t(views)), int(i % size_t(views))});
  }
  return cells;
}

OperationResult DropBitmaps(Collection* collection, size_t sequence, SequenceCell at,
                            const std::vector<size_t>& bitmaps) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  const auto cells = DropCells(*s, at, bitmaps.size());
  if (!cells) {
    result.ok = false;
    return result;
  }
  for (size_t b : bitmaps) {
    const CollectionBitmap* bitmap = collection->BitmapAt(b);
    if (!bitmap || bitmap->IsShadow()) {
      result.ok = false;
      return result;
    }
  }
  for (size_t k = 0; k < bitmaps.size(); ++k) {
    SetCellBitmap(s, (*cells)[k], collection->BitmapAt(bitmaps[k]));
  }
  s->RebuildMirroredViews();
  result.changed = !bitmaps.empty();
  result.sequences.push_back(sequence);
  return result;
}

OperationResult DropShadows(Collection* collection, size_t sequence, int frame,
                            const std::vector<size_t>& shadows) {
  OperationResult result;
  CollectionSequence* s = collection->SequenceAt(sequence);
  if (!s) return result.Error("There is no such sequence.");
  if (frame < 0 || size_t(frame) + shadows.size() > size_t(s->FrameCount()) ||
      frame >= s->FrameCount()) {
    result.ok = false;
    return result;
  }
  for (size_t b : shadows) {
    const CollectionBitmap* bitmap = collection->BitmapAt(b);
    if (!bitmap || !bitmap->IsShadow()) {
      result.ok = false;
      return result;
    }
  }
  for (size_t k = 0; k < shadows.size(); ++k) {
    s->frames[size_t(frame) + k].shadow.bitmap = collection->BitmapAt(shadows[k]);
  }
  result.changed = !shadows.empty();
  result.sequences.push_back(sequence);
  return result;
}

int AnimationFrame(int start, uint32_t elapsed_ticks, int ticks_per_frame, int frame_count) {
  if (frame_count <= 0) return 0;
  const uint32_t per_frame = ticks_per_frame > 0 ? uint32_t(ticks_per_frame) : 1u;
  const uint64_t frame = uint64_t(start) + elapsed_ticks / per_frame;
  return int(frame % uint64_t(frame_count));
}

}  // namespace brae
