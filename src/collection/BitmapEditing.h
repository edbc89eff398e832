#pragma once
// What the bitmap and shadow browsers' operations share: the messages they report, the
// answers they need from the user, and a snapshot that undoes any of them.
//
// Every operation is a plain function over a Collection. It checks everything it can before it
// changes anything; one that fails leaves the collection exactly as it was. Questions (the
// replace-colour-table question, confirmations, the uncrop size) are asked through the
// callbacks or values the caller passes, so a window can show a dialog and the command line
// can pass a flag.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "collection/Collection.h"

namespace brae {

// One message box: its title ("Error" or empty for a plain box) and its text.
struct OperationMessage {
  std::string title;
  std::string text;
};

struct OperationResult {
  bool ok = true;        // false: refused or failed; the collection is unchanged
  bool changed = false;  // something in the collection changed (refresh, emit "changed")
  std::vector<OperationMessage> messages;  // in the order they are to be shown
  // Collection indices of the bitmaps added or changed, in the order they were handled.
  std::vector<size_t> bitmaps;
  // Collection indices of the sequences added, changed or moved (after the operation).
  std::vector<size_t> sequences;
  explicit operator bool() const { return ok; }
  // Adds a message; with is_error the result is also a failure.
  OperationResult& Error(const std::string& text);
  OperationResult& Note(const std::string& text);
  // All message texts, one per line (for logs and the command line).
  std::string Text() const;
};

// A question with two buttons; true when the user chose the first (e.g. "Replace", "Crop").
using Question = std::function<bool(const std::string& text)>;

// printf into a std::string.
std::string FormatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The file's base name: no folder, no extension.
std::string FileBaseName(const std::string& path);

// The working form's pixel: alpha of pixel i of a bitmap (high-colour: from its tag).
uint8_t PixelAlpha(const CollectionBitmap& bitmap, size_t i);

// Sets an indexed bitmap's alpha values from width × height bytes (rows stride apart); the
// two-bytes-per-pixel flag is set exactly when some alpha lies strictly between 0 and 255.
void ApplyAlpha(CollectionBitmap* bitmap, const uint8_t* values, size_t stride);
// Replaces a bitmap's picture (size, flags, pixels in the two-byte working form) by another's;
// its name, index and every reference to it stay.
void TakePicture(CollectionBitmap* target, CollectionBitmap&& source);

// A copy of everything the bitmap operations change: the palette, every bitmap (by value) and
// every instance's and frame shadow's bitmap references and points. Restoring puts the bitmap
// list back and resolves the references by bitmap index, so it undoes any bitmap operation as
// long as the sequences' frames and views have not been restructured since.
class BitmapSnapshot {
 public:
  explicit BitmapSnapshot(const Collection& collection);
  void Restore(Collection* collection) const;

 private:
  struct Placement {
    int bitmap = -1;
    int alt_bitmap = -1;
    int16_t alt_bitmap_index = -1;  // as stored, for an alternate that names no bitmap
    int16_t reg_x = 0, reg_y = 0, key_x = 0, key_y = 0, alt_reg_x = 0, alt_reg_y = 0;
  };
  CollectionPalette palette_;
  std::vector<CollectionBitmap> bitmaps_;
  std::vector<Placement> placements_;  // every sequence, frame, view in order (none skipped)
  std::vector<int> shadows_;           // every frame's shadow bitmap index
};

// Instance points move with the pixels of their bitmap: dx, dy are added where the instance is
// not mirrored, mirror_dx, mirror_dy where it is (horizontally, vertically). Alternate
// registration points move too when the alternate bitmap is the one changed.
void MoveInstancePoints(Collection* collection, const CollectionBitmap* bitmap, int dx, int dy,
                        int mirror_dx, int mirror_dy);
// The same for many bitmaps in one walk over the instances.
struct PointShift {
  int dx = 0, dy = 0, mirror_dx = 0, mirror_dy = 0;
};
void MoveInstancePoints(Collection* collection,
                        const std::unordered_map<const CollectionBitmap*, PointShift>& shifts);

}  // namespace brae
