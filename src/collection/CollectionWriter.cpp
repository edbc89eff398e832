// Saving a collection as tag data.
//
// The data is laid out in one buffer in the order the format fixes: header, colour table, hue
// changes, bitmap instances, sequence table, sequence blocks, frame shadows, bitmap table,
// bitmap blocks. Offsets are relative to the end of the header (data base 320).
#include <cstring>
#include <unordered_map>

#include "collection/BitmapCodec.h"
#include "collection/CollectionFormat.h"
#include "collection/HueMath.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"

namespace brae {

namespace {

CollectionResult Failure(const std::string& message) {
  CollectionResult r;
  r.message = message;
  return r;
}

bool IsPowerOfTwo(int v) {
  return v > 0 && (v & (v - 1)) == 0;
}

CollectionResult CheckStorable(const Collection& c) {
  if (!c.has_pixels) return Failure("the collection was loaded without its pixels");
  if (c.bitmaps.size() > 0x7FFF) return Failure("a collection holds at most 32767 bitmaps");
  for (const auto& b : c.bitmaps) {
    if (b->width <= 0 || b->height <= 0 || b->width > 0x7FFF || b->height > 0x7FFF) {
      return Failure("the bitmap \"" + b->name + "\" has a size that cannot be stored");
    }
    if ((b->bytes_per_pixel != 2 && b->bytes_per_pixel != 8) ||
        b->pixels.size() != size_t(b->width) * size_t(b->height) * size_t(b->bytes_per_pixel)) {
      return Failure("the bitmap \"" + b->name + "\" has no pixels of its size");
    }
  }
  size_t instances = 0, frames = 0;
  for (const auto& s : c.sequences) {
    if (s->frames.size() > 0xFFFF)
      return Failure("the sequence \"" + s->name + "\" has too many frames");
    frames += s->frames.size();
    for (const CollectionFrame& f : s->frames) {
      for (size_t v = 0; v < f.views.size() && v < s->header.view_count; ++v)
        instances += f.views[v] ? 1 : 0;
    }
  }
  // Instance and frame shadow indices are 16-bit, with 0xFFFF meaning none.
  if (instances > 0xFFFF || frames > 0xFFFF) return Failure("the sequences hold too many frames");
  return CollectionResult{true, "", 0};
}

class Writer {
 public:
  explicit Writer(const Collection& c) : c_(c) {
    for (size_t i = 0; i < c.bitmaps.size(); ++i) index_of_[c.bitmaps[i].get()] = int16_t(i);
  }

  void Write(std::vector<uint8_t>* out) {
    out_ = out;
    out_->assign(kCollectionHeaderSize, 0);
    std::memset(&header_, 0, sizeof header_);
    WriteColorTable();
    WriteHueChanges();
    BuildInstancesAndShadows();
    WriteRecords(kGroupInstances, instances_, InstanceLayout());
    const size_t sequence_table_at =
        Reserve(kGroupSequenceTable, c_.sequences.size(), kSequenceTableEntrySize);
    WriteSequenceBlocks();
    WriteRecords(kGroupFrameShadows, shadows_, FrameShadowLayout());
    const size_t bitmap_table_at =
        Reserve(kGroupBitmapTable, c_.bitmaps.size(), kBitmapTableEntrySize);
    WriteBitmapBlocks();
    PutRecords(sequence_table_at, sequence_table_, SequenceTableLayout());
    PutRecords(bitmap_table_at, bitmap_table_, BitmapTableLayout());
    header_.carried = c_.carried;
    header_.flags = c_.flags;
    header_.data_base = kCollectionDataBase;
    header_.total_size = uint32_t(out_->size() - kCollectionHeaderSize);
    RecordToBytes(header_, out_->data(), CollectionHeaderLayout());
  }

 private:
  uint32_t Offset() const { return uint32_t(out_->size() - kCollectionDataBase); }

  int16_t IndexOf(const CollectionBitmap* b) const {
    auto it = index_of_.find(b);
    return it == index_of_.end() ? int16_t(-1) : it->second;
  }

  void SetGroup(int group, size_t count, size_t record_size) {
    header_.groups[group].count = uint32_t(count);
    header_.groups[group].offset = Offset();
    header_.groups[group].size = uint32_t(count * record_size);
  }

  // Makes room for a table filled in later; returns its position.
  size_t Reserve(int group, size_t count, size_t record_size) {
    SetGroup(group, count, record_size);
    const size_t at = out_->size();
    out_->resize(at + count * record_size, 0);
    return at;
  }

  template <typename Record>
  void PutRecords(size_t at, const std::vector<Record>& records, const FieldLayout& layout) {
    if (!records.empty()) ConvertToFile(records.data(), out_->data() + at, records.size(), layout);
  }

  template <typename Record>
  void WriteRecords(int group, const std::vector<Record>& records, const FieldLayout& layout) {
    PutRecords(Reserve(group, records.size(), sizeof(Record)), records, layout);
  }

  void WriteColorTable() {
    std::vector<ColorTableRecord> table(1);
    std::memset(table.data(), 0, sizeof(ColorTableRecord));
    table[0].count = 256;
    for (size_t i = 0; i < 256; ++i) {
      table[0].colors[i].red = uint16_t(c_.palette[i].r * 256);
      table[0].colors[i].green = uint16_t(c_.palette[i].g * 256);
      table[0].colors[i].blue = uint16_t(c_.palette[i].b * 256);
    }
    WriteRecords(kGroupColorTables, table, ColorTableLayout());
  }

  void WriteHueChanges() {
    std::vector<HueChange> changes = c_.hue_changes;
    for (HueChange& h : changes) ComputeHueChangeMask(&h, c_.palette);
    WriteRecords(kGroupHueChanges, changes, HueChangeLayout());
  }

  InstanceRecord MakeInstanceRecord(const CollectionInstance& in) const {
    InstanceRecord r;
    std::memset(&r, 0, sizeof r);
    r.flags = in.flags & ~(kInstanceHasAlpha | kInstancePow2Raw);
    const int16_t index = IndexOf(in.bitmap);
    if (index >= 0) {
      const CollectionBitmap& b = *in.bitmap;
      if (b.flags & kBitmapTwoBytes) r.flags |= kInstanceHasAlpha;
      if (!b.IsHighColour() && !b.IsRle() && IsPowerOfTwo(b.width) && IsPowerOfTwo(b.height)) {
        r.flags |= kInstancePow2Raw;
      }
    }
    r.reg_x = in.reg_x;
    r.reg_y = in.reg_y;
    r.key_x = in.key_x;
    r.key_y = in.key_y;
    r.bitmap_index = index;
    r.alt_bitmap_index = in.alt_bitmap ? IndexOf(in.alt_bitmap) : in.alt_bitmap_index;
    r.alt_display = in.alt_display;
    r.alt_reg_x = in.alt_reg_x;
    r.alt_reg_y = in.alt_reg_y;
    return r;
  }

  // Every frame view and frame shadow gets its own record; nothing is shared between frames.
  void BuildInstancesAndShadows() {
    frame_views_.clear();
    for (const auto& s : c_.sequences) {
      for (const CollectionFrame& f : s->frames) {
        std::vector<uint16_t> views(s->header.view_count, 0xFFFF);
        for (size_t v = 0; v < views.size() && v < f.views.size(); ++v) {
          if (!f.views[v]) continue;
          views[v] = uint16_t(instances_.size());
          instances_.push_back(MakeInstanceRecord(*f.views[v]));
        }
        frame_views_.push_back(std::move(views));
        FrameShadowRecord r;
        std::memset(&r, 0, sizeof r);
        r.flags = f.shadow.flags;
        r.offset_x = f.shadow.offset_x;
        r.offset_y = f.shadow.offset_y;
        r.bitmap_index = IndexOf(f.shadow.bitmap);
        shadows_.push_back(r);
      }
    }
  }

  void WriteSequenceBlocks() {
    size_t frame_number = 0;
    for (const auto& s : c_.sequences) {
      const size_t start = out_->size();
      SequenceHeaderRecord h = s->header;
      h.frame_count = uint16_t(s->frames.size());
      h.flags =
          s->frames.empty() ? (h.flags & ~kSequenceHasFrames) : (h.flags | kSequenceHasFrames);
      out_->resize(start + kSequenceHeaderSize);
      RecordToBytes(h, out_->data() + start, SequenceHeaderLayout());
      for (const CollectionFrame& f : s->frames) {
        FrameRecord r;
        std::memset(&r, 0, sizeof r);
        r.shadow_index = uint16_t(frame_number);
        std::memcpy(r.carried, f.carried, sizeof r.carried);
        const std::vector<uint16_t>& views = frame_views_[frame_number++];
        const size_t at = out_->size();
        out_->resize(at + kFrameRecordFixedSize + 2 * views.size());
        RecordToBytes(r, out_->data() + at, FrameRecordLayout());
        for (size_t v = 0; v < views.size(); ++v) {
          StoreBE16(out_->data() + at + kFrameRecordFixedSize + 2 * v, views[v]);
        }
      }
      SequenceTableRecord entry;
      std::memset(&entry, 0, sizeof entry);
      SetFixedName(entry.name, sizeof entry.name, s->name);
      entry.offset = uint32_t(start - kCollectionDataBase);
      entry.size = uint32_t(out_->size() - start);
      sequence_table_.push_back(entry);
    }
  }

  void WriteBitmapBlocks() {
    for (const auto& b : c_.bitmaps) {
      const size_t start = out_->size();
      EncodeBitmapBlock(*b, out_);
      BitmapTableRecord entry;
      std::memset(&entry, 0, sizeof entry);
      SetFixedName(entry.name, sizeof entry.name, b->name);
      entry.offset = uint32_t(start - kCollectionDataBase);
      entry.size = uint32_t(out_->size() - start);
      entry.width = uint16_t(b->width);
      entry.height = uint16_t(b->height);
      bitmap_table_.push_back(entry);
    }
  }

  const Collection& c_;
  std::unordered_map<const CollectionBitmap*, int16_t> index_of_;
  std::vector<uint8_t>* out_ = nullptr;
  CollectionHeaderRecord header_;
  std::vector<InstanceRecord> instances_;
  std::vector<FrameShadowRecord> shadows_;
  std::vector<std::vector<uint16_t>> frame_views_;
  std::vector<SequenceTableRecord> sequence_table_;
  std::vector<BitmapTableRecord> bitmap_table_;
};

}  // namespace

CollectionResult SaveCollection(const Collection& collection, std::vector<uint8_t>* data) {
  CollectionResult result = CheckStorable(collection);
  if (!result) return result;
  Writer(collection).Write(data);
  if (data->size() > 0xFFFFFFFFull) return Failure("the collection is larger than 4 GB");
  return result;
}

void PrepareCollectionHeader(const Collection& collection, size_t data_size, TagHeader* header) {
  header->group = kCollectionGroup;
  header->version = kCollectionVersion;
  header->user_data = collection.flags;
  header->size = uint32_t(data_size);
}

CollectionResult WriteCollection(FileStream& stream, const Collection& collection,
                                 TagHeader* header) {
  std::vector<uint8_t> data;
  CollectionResult result = SaveCollection(collection, &data);
  if (!result) return result;
  if (!stream.Write(data.data(), data.size())) return Failure("the tag data could not be written");
  PrepareCollectionHeader(collection, data.size(), header);
  return result;
}

}  // namespace brae
