#pragma once
// The in-memory sprite collection: palette, hue changes, bitmaps and sequences.
//
// Bitmaps are owned by the collection; instances and frame shadows refer to them by pointer,
// so reordering or removing bitmaps never leaves a stale index behind. Indices are
// recomputed when the collection is saved.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collection/CollectionRecords.h"

namespace brae {

// Collection flags (a copy of the tag header's user data).
constexpr uint32_t kCollectionForTextures = 0x01;
constexpr uint32_t kCollectionForMonsters = 0x02;
constexpr uint32_t kCollectionForProjectiles = 0x04;
constexpr uint32_t kCollectionForScenery = 0x08;
constexpr uint32_t kCollectionForAtmospherics = 0x10;
constexpr uint32_t kCollectionForInterfaces = 0x20;
constexpr uint32_t kCollectionColorMap = 0x100;
constexpr uint32_t kNewCollectionFlags = kCollectionForMonsters | kCollectionForProjectiles;

// Bitmap flags.
constexpr uint16_t kBitmapRle = 0x0004;
constexpr uint16_t kBitmapTwoBytes = 0x0010;
constexpr uint16_t kBitmapNoRowGap = 0x0020;
constexpr uint16_t kBitmapRlePadded = 0x0040;
constexpr uint16_t kBitmapShadow = 0x0080;
constexpr uint16_t kBitmapAlphaFromBrightness = 0x0800;
constexpr uint16_t kBitmapEncodingValid = 0x4000;
constexpr uint16_t kBitmapCarried = 0x8000;
constexpr uint16_t kBitmapLoadMask = 0xC8F4;
constexpr uint16_t kHighColourFlags = kBitmapEncodingValid | kBitmapNoRowGap;

// Instance flags.
constexpr uint32_t kInstanceMirrorX = 0x01;
constexpr uint32_t kInstanceMirrorY = 0x02;
constexpr uint32_t kInstanceHasAlpha = 0x04;
constexpr uint32_t kInstancePow2Raw = 0x10;
constexpr uint32_t kInstanceAlternateValid = 0x20;

// Sequence flags.
constexpr uint32_t kSequenceMirrored = 0x01;
constexpr uint32_t kSequenceHasFrames = 0x02;
constexpr uint32_t kSequenceNoRotation = 0x04;

// Frame shadow flags.
constexpr uint32_t kShadowLight = 0x01;
constexpr uint32_t kShadowMirrorX = 0x02;
constexpr uint32_t kShadowMirrorY = 0x04;

constexpr size_t kCollectionNameLength = 31;
constexpr size_t kItemNameLength = 63;

struct PaletteColor {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const PaletteColor& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const PaletteColor& o) const { return !(*this == o); }
};
using CollectionPalette = std::array<PaletteColor, 256>;

// A number that tells bitmaps apart for the life of the process; copies keep it, so a bitmap
// that an undo brings back is the same bitmap again.
uint32_t NewBitmapSerial();

class CollectionBitmap {
 public:
  uint32_t serial = NewBitmapSerial();
  std::string name;  // at most 63 characters
  int width = 0;
  int height = 0;
  uint16_t flags = 0;  // as loaded, 0x20 cleared
  // 2: alpha then palette index (every indexed bitmap); 8: a high-colour pixel (first layer's
  // three bytes, the tag, the second layer's three bytes, the layer byte with weight).
  int bytes_per_pixel = 2;
  std::vector<uint8_t> pixels;  // width × height × bytes_per_pixel; empty without pixels
  // Stored pixel size code of a high-colour bitmap, kept from load (2 for a new one).
  uint16_t high_colour_size_code = 2;
  uint8_t table_carried[16] = {};  // bitmap table bytes 112-127 (written as zero)

  bool IsHighColour() const { return bytes_per_pixel == 8; }
  bool IsShadow() const { return (flags & kBitmapShadow) != 0; }
  bool IsRle() const { return (flags & kBitmapRle) != 0; }
  bool HasPixels() const { return !pixels.empty(); }
  // "8", "16" or "32", as the bitmap browser shows the depth.
  const char* DepthText() const;
  // A pixel of the working form; x and y must lie inside the bitmap.
  uint8_t* Pixel(int x, int y) { return pixels.data() + (size_t(y) * width + x) * bytes_per_pixel; }
  const uint8_t* Pixel(int x, int y) const {
    return pixels.data() + (size_t(y) * width + x) * bytes_per_pixel;
  }
  // A fresh indexed bitmap of the given size, every pixel transparent.
  static std::unique_ptr<CollectionBitmap> MakeIndexed(const std::string& name, int width,
                                                       int height, uint16_t flags = 0);
};

// A placed bitmap: one per frame and view.
struct CollectionInstance {
  uint32_t flags = 0;
  int16_t reg_x = 0;
  int16_t reg_y = 0;
  int16_t key_x = 0;
  int16_t key_y = 0;
  CollectionBitmap* bitmap = nullptr;
  // The alternate placement (valid with flag 0x20). The alternate bitmap is resolved to a
  // reference when its index names a bitmap; otherwise its stored index is kept as it was.
  CollectionBitmap* alt_bitmap = nullptr;
  int16_t alt_bitmap_index = -1;
  uint32_t alt_display = 0;
  int16_t alt_reg_x = 0;
  int16_t alt_reg_y = 0;
};

struct CollectionShadow {
  uint32_t flags = 0;
  int32_t offset_x = 0;  // 16.16, in enlarged (five times) pixels
  int32_t offset_y = 0;
  CollectionBitmap* bitmap = nullptr;
  // The displayed offset in pixels (the fixed value divided by 13107, toward zero).
  int DisplayOffsetX() const { return offset_x / 13107; }
  int DisplayOffsetY() const { return offset_y / 13107; }
};

struct CollectionFrame {
  uint16_t carried[3] = {};
  std::vector<std::optional<CollectionInstance>> views;  // view count entries; none = no instance
  CollectionShadow shadow;
};

struct SequenceExtents {
  int left = 0;    // largest registration x
  int top = 0;     // largest registration y
  int right = 0;   // largest width - registration x
  int bottom = 0;  // largest height - registration y
};

// Transfer modes of a sequence.
enum TransferMode : uint16_t {
  kTransferNone = 0,
  kTransferFadeOut = 1,
  kTransferFadeIn = 2,
  kTransferAppearing = 5,
  kTransferDisappearing = 6,
  kTransferCycle = 7,
};

class CollectionSequence {
 public:
  CollectionSequence();

  std::string name;  // at most 63 characters
  // The 64-byte header's fields; view and frame counts are those of frames below.
  SequenceHeaderRecord header{};
  std::vector<CollectionFrame> frames;
  SequenceExtents extents;

  int ViewCount() const { return header.view_count; }
  int FrameCount() const { return int(frames.size()); }
  bool IsMirrored() const { return (header.flags & kSequenceMirrored) != 0; }
  // Views stored distinctly: with mirroring, view count / 2 + 1 (from 3 views on).
  int StoredViewCount() const;
  // Resizes to the given frames and views, keeping cells whose indices survive. New cells get
  // an instance without a bitmap at the default registration point; new frames no shadow.
  void Resize(int frame_count, int view_count);
  // Rebuilds the mirrored views from the stored ones (see StoredViewCount).
  void RebuildMirroredViews();
  void ComputeExtents();
  CollectionInstance* InstanceAt(int frame, int view);
};

class Collection {
 public:
  Collection();
  ~Collection();
  Collection(const Collection&) = delete;
  Collection& operator=(const Collection&) = delete;

  std::string name;      // from the tag header, at most 31 characters
  uint32_t carried = 0;  // header offset 0
  uint32_t flags = kNewCollectionFlags;
  CollectionPalette palette{};
  std::vector<std::unique_ptr<CollectionBitmap>> bitmaps;
  std::vector<HueChange> hue_changes;
  std::vector<std::unique_ptr<CollectionSequence>> sequences;
  // False when the collection was loaded without pixels; such a collection cannot be saved.
  bool has_pixels = true;

  // Back to a new, empty collection.
  void Clear();
  bool IsColorMap() const { return (flags & kCollectionColorMap) != 0; }

  // Lookups return none past the end.
  CollectionBitmap* BitmapAt(size_t index) const;
  CollectionSequence* SequenceAt(size_t index) const;
  HueChange* HueChangeAt(size_t index);
  const HueChange* HueChangeAt(size_t index) const;
  // -1 when the bitmap is not in the list (or is none).
  int IndexOfBitmap(const CollectionBitmap* bitmap) const;
  // -1 when no bitmap of the list has the serial.
  int IndexOfSerial(uint32_t serial) const;
  int IndexOfSequence(const CollectionSequence* sequence) const;

  CollectionBitmap* AddBitmap(std::unique_ptr<CollectionBitmap> bitmap);
  // Removes a bitmap; every instance and frame shadow that used it is left without a bitmap.
  void RemoveBitmap(size_t index);
  // Moves a bitmap to another position in the list; references follow it.
  void MoveBitmap(size_t from, size_t to);
  // Points every reference to one bitmap at another (none clears them).
  void ReplaceBitmapReferences(const CollectionBitmap* from, CollectionBitmap* to);
  // Whether some frame view or frame shadow uses the bitmap.
  bool IsBitmapUsed(const CollectionBitmap* bitmap) const;

  CollectionSequence* AddSequence(std::unique_ptr<CollectionSequence> sequence);
  void RemoveSequence(size_t index);
};

// A new hue change: empty name, hues 120° to 240° with median 180°, everything else 0.
HueChange MakeNewHueChange();
// Copies text into a fixed, zero-terminated name field (at most field - 1 characters).
void SetFixedName(char* field, size_t field_size, const std::string& text);
std::string FixedName(const char* field, size_t field_size);

}  // namespace brae
