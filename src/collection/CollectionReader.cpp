// Loading a collection from its tag data.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "collection/BitmapCodec.h"
#include "collection/CollectionFormat.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"

namespace brae {

namespace {

CollectionResult Failure(const char* format, ...) __attribute__((format(printf, 1, 2)));
CollectionResult Failure(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  CollectionResult r;
  r.message = text;
  return r;
}

// The tag data with the header's data base: every stored offset is checked here.
class CollectionBytes {
 public:
  CollectionBytes(const uint8_t* data, size_t size, uint32_t base)
      : data_(data), size_(size), base_(base) {}

  // The bytes at base + offset when length bytes are there, else none.
  const uint8_t* At(uint64_t offset, uint64_t length) const {
    const uint64_t start = uint64_t(base_) + offset;
    if (start > size_ || length > size_ - start) return nullptr;
    return data_ + start;
  }
  // Bytes available from base + offset (0 when outside the data).
  uint64_t Available(uint64_t offset) const {
    const uint64_t start = uint64_t(base_) + offset;
    return start > size_ ? 0 : size_ - start;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  uint32_t base_;
};

template <typename Record>
bool ReadGroup(const CollectionBytes& bytes, const GroupEntry& entry, const FieldLayout& layout,
               std::vector<Record>* out) {
  out->clear();
  if (entry.count == 0) return true;
  const uint8_t* p = bytes.At(entry.offset, uint64_t(entry.count) * sizeof(Record));
  if (!p) return false;
  out->resize(entry.count);
  ConvertFromFile(p, out->data(), entry.count, layout);
  return true;
}

struct Groups {
  std::vector<ColorTableRecord> color_tables;
  std::vector<HueChange> hue_changes;
  std::vector<InstanceRecord> instances;
  std::vector<SequenceTableRecord> sequence_table;
  std::vector<FrameShadowRecord> frame_shadows;
  std::vector<BitmapTableRecord> bitmap_table;
};

CollectionResult ReadGroups(const CollectionBytes& bytes, const CollectionHeaderRecord& h,
                            Groups* g) {
  // The order in which the groups are read.
  if (!ReadGroup(bytes, h.groups[kGroupColorTables], ColorTableLayout(), &g->color_tables)) {
    return Failure("the colour tables lie outside the tag data");
  }
  if (!ReadGroup(bytes, h.groups[kGroupHueChanges], HueChangeLayout(), &g->hue_changes)) {
    return Failure("the hue changes lie outside the tag data");
  }
  if (!ReadGroup(bytes, h.groups[kGroupInstances], InstanceLayout(), &g->instances)) {
    return Failure("the bitmap instances lie outside the tag data");
  }
  if (!ReadGroup(bytes, h.groups[kGroupSequenceTable], SequenceTableLayout(), &g->sequence_table)) {
    return Failure("the sequence table lies outside the tag data");
  }
  if (!ReadGroup(bytes, h.groups[kGroupFrameShadows], FrameShadowLayout(), &g->frame_shadows)) {
    return Failure("the frame shadows lie outside the tag data");
  }
  if (!ReadGroup(bytes, h.groups[kGroupBitmapTable], BitmapTableLayout(), &g->bitmap_table)) {
    return Failure("the bitmap table lies outside the tag data");
  }
  CollectionResult ok;
  ok.ok = true;
  return ok;
}

void TakePalette(const ColorTableRecord& table, CollectionPalette* palette) {
  for (size_t i = 0; i < 256; ++i) {
    (*palette)[i] =
        PaletteColor{uint8_t(table.colors[i].red >> 8), uint8_t(table.colors[i].green >> 8),
                     uint8_t(table.colors[i].blue >> 8)};
  }
}

CollectionResult ReadBitmaps(const CollectionBytes& bytes, const Groups& g,
                             const CollectionLoadOptions& options, Collection* out) {
  size_t pixel_bytes = 0;
  CollectionResult result;
  for (size_t i = 0; i < g.bitmap_table.size(); ++i) {
    const BitmapTableRecord& entry = g.bitmap_table[i];
    auto bitmap = std::make_unique<CollectionBitmap>();
    if (options.with_pixels) {
      std::string why;
      const uint8_t* block = bytes.At(entry.offset, entry.size);
      bool decoded = block && DecodeBitmapBlock(block, entry.size, out->palette, bitmap.get(), &why,
                                                options.max_bitmap_pixels);
      if (!decoded) {
        // The placeholder's colours follow the flags of the block's header when it has one.
        uint16_t flags = 0;
        if (block && entry.size >= kBitmapHeaderSize) {
          BitmapHeaderRecord h;
          RecordFromBytes(block, &h, BitmapHeaderLayout());
          flags = h.flags & kBitmapLoadMask;
        }
        *bitmap = CollectionBitmap();
        MakePlaceholderBitmap(out->palette, flags, bitmap.get());
        ++result.placeholders;
      }
      pixel_bytes += bitmap->pixels.size();
      if (pixel_bytes > options.max_pixel_bytes) {
        return Failure("the bitmaps need more than %zu MB", options.max_pixel_bytes >> 20);
      }
    } else {
      bitmap->width = entry.width;
      bitmap->height = entry.height;
    }
    bitmap->name = FixedName(entry.name, sizeof entry.name);
    std::memcpy(bitmap->table_carried, entry.carried, sizeof entry.carried);
    if (out->IsColorMap()) {
      if (i % 2 == 1) {
        bitmap->flags |= kBitmapShadow;
      } else {
        bitmap->flags &= uint16_t(~kBitmapShadow);
      }
    }
    out->bitmaps.push_back(std::move(bitmap));
  }
  result.ok = true;
  return result;
}

CollectionInstance MakeInstance(const InstanceRecord& r, const Collection& c) {
  CollectionInstance in;
  in.flags = r.flags;
  in.reg_x = r.reg_x;
  in.reg_y = r.reg_y;
  in.key_x = r.key_x;
  in.key_y = r.key_y;
  in.bitmap = r.bitmap_index >= 0 ? c.BitmapAt(size_t(r.bitmap_index)) : nullptr;
  in.alt_bitmap_index = r.alt_bitmap_index;
  in.alt_display = r.alt_display;
  in.alt_reg_x = r.alt_reg_x;
  in.alt_reg_y = r.alt_reg_y;
  if ((r.flags & kInstanceAlternateValid) && r.alt_bitmap_index >= 0)
    in.alt_bitmap = c.BitmapAt(size_t(r.alt_bitmap_index));
  return in;
}

CollectionShadow MakeShadow(const FrameShadowRecord& r, const Collection& c) {
  CollectionShadow s;
  s.flags = r.flags;
  s.offset_x = r.offset_x;
  s.offset_y = r.offset_y;
  s.bitmap = r.bitmap_index >= 0 ? c.BitmapAt(size_t(r.bitmap_index)) : nullptr;
  return s;
}

CollectionResult ReadSequence(const CollectionBytes& bytes, const Groups& g, size_t index,
                              size_t* cells, const CollectionLoadOptions& options,
                              Collection* out) {
  const SequenceTableRecord& entry = g.sequence_table[index];
  const uint8_t* p = bytes.At(entry.offset, kSequenceHeaderSize);
  if (!p) return Failure("sequence %zu lies outside the tag data", index);
  auto sequence = std::make_unique<CollectionSequence>();
  sequence->name = FixedName(entry.name, sizeof entry.name);
  RecordFromBytes(p, &sequence->header, SequenceHeaderLayout());
  const size_t views = sequence->header.view_count;
  const size_t frames = sequence->header.frame_count;
  const size_t frame_size = kFrameRecordFixedSize + 2 * views;
  const uint8_t* f =
      bytes.At(uint64_t(entry.offset) + kSequenceHeaderSize, uint64_t(frames) * frame_size);
  if (!f) return Failure("the frames of sequence %zu lie outside the tag data", index);
  *cells += frames * views;
  if (*cells > options.max_cells) return Failure("the sequences hold too many frames and views");

  sequence->frames.assign(frames, CollectionFrame());
  for (size_t i = 0; i < frames; ++i, f += frame_size) {
    FrameRecord record;
    RecordFromBytes(f, &record, FrameRecordLayout());
    CollectionFrame& frame = sequence->frames[i];
    std::memcpy(frame.carried, record.carried, sizeof frame.carried);
    if (record.shadow_index != 0xFFFF) {
      if (record.shadow_index >= g.frame_shadows.size()) {
        return Failure("frame %zu of sequence %zu names frame shadow %u of %zu", i, index,
                       unsigned(record.shadow_index), g.frame_shadows.size());
      }
      frame.shadow = MakeShadow(g.frame_shadows[record.shadow_index], *out);
    }
    frame.views.resize(views);
    for (size_t v = 0; v < views; ++v) {
      const uint16_t instance = LoadBE16(f + kFrameRecordFixedSize + 2 * v);
      if (instance == 0xFFFF) continue;
      if (instance >= g.instances.size()) {
        return Failure("frame %zu of sequence %zu names bitmap instance %u of %zu", i, index,
                       unsigned(instance), g.instances.size());
      }
      frame.views[v] = MakeInstance(g.instances[instance], *out);
    }
  }
  out->sequences.push_back(std::move(sequence));
  CollectionResult ok;
  ok.ok = true;
  return ok;
}

// Mirroring, the rotation flag and the extents, as the viewers expect them.
void FinishSequence(CollectionSequence* s) {
  if ((s->header.flags & kSequenceMirrored) && (s->header.flags & kSequenceNoRotation)) {
    s->header.flags &= ~kSequenceNoRotation;
  }
  s->RebuildMirroredViews();
  s->ComputeExtents();
}

}  // namespace

CollectionResult LoadCollection(const uint8_t* data, size_t size, const TagHeader& tag_header,
                                const CollectionLoadOptions& options, Collection* out) {
  out->Clear();
  if (size < kCollectionHeaderSize)
    return Failure("the tag data is shorter than the collection header");
  CollectionHeaderRecord h;
  RecordFromBytes(data, &h, CollectionHeaderLayout());
  if (h.groups[kGroupColorTables].count == 0) return Failure("the collection has no colour table");

  out->name = tag_header.Name();
  out->carried = h.carried;
  out->flags = tag_header.user_data;
  if (h.flags & kCollectionColorMap) out->flags |= kCollectionColorMap;
  out->has_pixels = options.with_pixels;

  const CollectionBytes bytes(data, size, h.data_base);
  Groups g;
  CollectionResult result = ReadGroups(bytes, h, &g);
  if (!result) return result;
  TakePalette(g.color_tables[0], &out->palette);
  out->hue_changes = g.hue_changes;
  for (InstanceRecord& r : g.instances) {
    if (!(r.flags & kInstanceAlternateValid)) {
      r.alt_bitmap_index = 0;
      r.alt_display = 0;
      r.alt_reg_x = 0;
      r.alt_reg_y = 0;
    }
  }

  result = ReadBitmaps(bytes, g, options, out);
  if (!result) return result;
  const int placeholders = result.placeholders;
  size_t cells = 0;
  for (size_t i = 0; i < g.sequence_table.size(); ++i) {
    result = ReadSequence(bytes, g, i, &cells, options, out);
    if (!result) return result;
  }
  if (options.with_pixels) {
    for (auto& s : out->sequences) FinishSequence(s.get());
  }
  result.ok = true;
  result.placeholders = placeholders;
  return result;
}

CollectionResult ReadCollection(FileStream& stream, const TagHeader& header,
                                const CollectionLoadOptions& options, Collection* out) {
  const uint64_t position = stream.Tell();
  const uint64_t length = stream.Length();
  if (position > length || header.size > length - position) {
    return Failure("the tag data is cut short");
  }
  std::vector<uint8_t> data(header.size);
  if (!data.empty() && !stream.Read(data.data(), data.size()))
    return Failure("the tag data could not be read");
  return LoadCollection(data.data(), data.size(), header, options, out);
}

}  // namespace brae
