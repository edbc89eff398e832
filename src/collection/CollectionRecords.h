#pragma once
// The records of a collection tag ('.256') as they stand in the tag data, in host order, and
// the layouts that convert them from and to their big-endian form.

#include <cstdint>

#include "tagstore/FieldLayout.h"

namespace brae {

constexpr size_t kCollectionHeaderSize = 320;
constexpr size_t kColorTableSize = 2080;
constexpr size_t kHueChangeSize = 128;
constexpr size_t kBitmapTableEntrySize = 128;
constexpr size_t kInstanceRecordSize = 64;
constexpr size_t kSequenceTableEntrySize = 128;
constexpr size_t kSequenceHeaderSize = 64;
constexpr size_t kFrameRecordFixedSize = 46;
constexpr size_t kFrameShadowSize = 32;
constexpr size_t kBitmapHeaderSize = 52;
// The data base that writers put into the header: offsets are relative to the header's end.
constexpr uint32_t kCollectionDataBase = 320;
constexpr uint16_t kCollectionVersion = 4;

struct GroupEntry {
  uint32_t count;
  uint32_t offset;
  uint32_t size;
  uint32_t reserved;
};

// Indices of the groups in the header, in header order.
enum CollectionGroup {
  kGroupColorTables = 0,
  kGroupHueChanges = 1,
  kGroupBitmapTable = 2,
  kGroupInstances = 3,
  kGroupSequenceTable = 4,
  kGroupFrameShadows = 5,
  kGroupCount = 8,  // two unused entries follow
};

struct CollectionHeaderRecord {
  uint32_t carried;
  uint32_t flags;
  uint8_t reserved_a[56];
  GroupEntry groups[kGroupCount];
  uint8_t reserved_b[56];
  uint32_t data_base;
  uint32_t total_size;
  uint8_t reserved_c[64];
};
static_assert(sizeof(CollectionHeaderRecord) == kCollectionHeaderSize, "collection header");

struct ColorEntryRecord {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
  uint16_t flags;
};

struct ColorTableRecord {
  uint32_t count;
  uint8_t reserved[28];
  ColorEntryRecord colors[256];
};
static_assert(sizeof(ColorTableRecord) == kColorTableSize, "colour table");

// A hue change is kept in memory exactly as this record.
struct HueChange {
  char name[64];
  uint16_t start_hue;
  uint16_t end_hue;
  uint8_t mask[32];  // bit (i mod 8) of byte (i div 8) for palette entry i
  uint16_t min_saturation;
  uint16_t median_hue;
  uint16_t use_as;  // 0 none, 1 primary colour, 2 secondary colour
  uint8_t reserved[6];
  uint16_t replacement[3];   // red, green, blue; the 8-bit value in the high byte
  uint16_t flags;            // bit 0: reversed
  uint8_t replacement_mode;  // 0 off, 1 recolour, 3 (bit 1) solid colour
  uint8_t carried[7];
};
static_assert(sizeof(HueChange) == kHueChangeSize, "hue change");

struct BitmapTableRecord {
  char name[64];
  uint32_t offset;
  uint32_t size;
  uint32_t reserved_a;
  uint16_t width;
  uint16_t height;
  uint8_t reserved_b[32];
  uint8_t carried[16];  // kept on load, written as zero
};
static_assert(sizeof(BitmapTableRecord) == kBitmapTableEntrySize, "bitmap table entry");

struct InstanceRecord {
  uint32_t flags;
  uint8_t reserved_a[8];
  int16_t reg_x;
  int16_t reg_y;
  uint8_t reserved_b[8];
  int16_t key_x;
  int16_t key_y;
  int16_t bitmap_index;
  int16_t alt_bitmap_index;
  uint32_t alt_display;
  int16_t alt_reg_x;
  int16_t alt_reg_y;
  uint8_t reserved_c[24];
};
static_assert(sizeof(InstanceRecord) == kInstanceRecordSize, "instance record");

struct SequenceTableRecord {
  char name[64];
  uint32_t offset;
  uint32_t size;
  uint8_t reserved[56];
};
static_assert(sizeof(SequenceTableRecord) == kSequenceTableEntrySize, "sequence table entry");

struct SequenceHeaderRecord {
  uint32_t flags;
  uint32_t carried_a;  // 16.16
  uint16_t view_count;
  uint16_t frame_count;
  uint16_t ticks_per_frame;
  uint16_t key_frame;
  uint16_t loop_frame;
  uint16_t carried_b[3];
  uint32_t first_sound;
  uint32_t key_sound;
  uint32_t last_sound;
  uint16_t transfer_mode;
  uint16_t transfer_period;
  int32_t default_reg_x;  // 16.16
  int32_t carried_c;      // 16.16
  int32_t default_reg_y;  // 16.16
  uint16_t carried_d[3];
  uint8_t reserved[6];
};
static_assert(sizeof(SequenceHeaderRecord) == kSequenceHeaderSize, "sequence header");

struct FrameRecord {
  uint16_t shadow_index;
  uint16_t carried[3];
  uint8_t reserved[38];
};
static_assert(sizeof(FrameRecord) == kFrameRecordFixedSize, "frame record");

struct FrameShadowRecord {
  uint32_t flags;    // bit 0 light, bit 1 mirrored horizontally, bit 2 mirrored vertically
  int32_t offset_x;  // 16.16, in enlarged pixels
  int32_t offset_y;
  int16_t bitmap_index;
  uint8_t reserved[18];
};
static_assert(sizeof(FrameShadowRecord) == kFrameShadowSize, "frame shadow");

struct BitmapHeaderRecord {
  int16_t width;
  int16_t height;
  int16_t row_bytes;
  uint16_t flags;
  uint16_t bit_depth;
  uint16_t unused[2];
  uint16_t size_code;
  uint16_t encoding;
  uint8_t reserved[34];
};
static_assert(sizeof(BitmapHeaderRecord) == kBitmapHeaderSize, "bitmap header");

const FieldLayout& CollectionHeaderLayout();
const FieldLayout& ColorTableLayout();
const FieldLayout& HueChangeLayout();
const FieldLayout& BitmapTableLayout();
const FieldLayout& InstanceLayout();
const FieldLayout& SequenceTableLayout();
const FieldLayout& SequenceHeaderLayout();
const FieldLayout& FrameRecordLayout();
const FieldLayout& FrameShadowLayout();
const FieldLayout& BitmapHeaderLayout();

// Record conversion over byte buffers. The caller has checked that the bytes are there.
template <typename Record>
void RecordFromBytes(const uint8_t* bytes, Record* record, const FieldLayout& layout) {
  ConvertFromFile(bytes, record, 1, layout);
}
template <typename Record>
void RecordToBytes(const Record& record, uint8_t* bytes, const FieldLayout& layout) {
  ConvertToFile(&record, bytes, 1, layout);
}

}  // namespace brae
