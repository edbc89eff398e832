#include "collection/CollectionFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "TempDir.h"
#include "collection/BitmapCodec.h"
#include "collection/Bytes.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"

namespace brae {
namespace {

TagHeader HeaderFor(const demo::DemoTag& tag) {
  TagHeader h;
  h.SetName(tag.name);
  h.group = tag.group;
  h.subgroup = tag.subgroup;
  h.user_data = tag.user_data;
  h.size = uint32_t(tag.data.size());
  return h;
}

const demo::DemoTag& DemoTag(const char* name) {
  static const std::vector<demo::DemoTag> tags = demo::DemoCollectionTags();
  for (const auto& t : tags) {
    if (t.name == name) return t;
  }
  ADD_FAILURE() << "no demo collection " << name;
  return tags.front();
}

CollectionResult Load(const std::vector<uint8_t>& data, const TagHeader& h, Collection* c,
                      bool with_pixels = true) {
  CollectionLoadOptions options;
  options.with_pixels = with_pixels;
  return LoadCollection(data.data(), data.size(), h, options, c);
}

uint32_t HeaderWord(const std::vector<uint8_t>& data, size_t offset) {
  return LoadBE32(data.data() + offset);
}
// Group entry g of the collection header: count, offset, size.
uint32_t GroupCount(const std::vector<uint8_t>& d, int g) {
  return HeaderWord(d, 64 + 16 * g);
}
uint32_t GroupOffset(const std::vector<uint8_t>& d, int g) {
  return HeaderWord(d, 68 + 16 * g);
}

// ---- Round trips

TEST(CollectionFormat, EveryDemoCollectionRoundTripsByteForByte) {
  const auto tags = demo::DemoCollectionTags();
  ASSERT_GE(tags.size(), 4u);
  for (const auto& tag : tags) {
    SCOPED_TRACE(tag.name);
    ASSERT_FALSE(tag.data.empty());
    Collection c;
    CollectionResult r = Load(tag.data, HeaderFor(tag), &c);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.placeholders, 0);
    std::vector<uint8_t> saved;
    ASSERT_TRUE(SaveCollection(c, &saved).ok);
    EXPECT_EQ(saved, tag.data);
    TagHeader out;
    PrepareCollectionHeader(c, saved.size(), &out);
    EXPECT_EQ(out.user_data, tag.user_data);
    EXPECT_EQ(out.version, 4);
    EXPECT_EQ(out.group, kCollectionGroup);
  }
}

TEST(CollectionFormat, DemoSpritesHoldEveryBitmapKind) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c).ok);
  EXPECT_EQ(c.name, "Demo Sprites");
  EXPECT_EQ(c.carried, 0xCAFEF00Du);
  ASSERT_EQ(c.bitmaps.size(), 7u);
  EXPECT_STREQ(c.bitmaps[0]->DepthText(), "8");
  EXPECT_TRUE(c.bitmaps[1]->IsRle());
  EXPECT_STREQ(c.bitmaps[2]->DepthText(), "16");
  EXPECT_EQ(c.bitmaps[3]->flags & kBitmapCarried, kBitmapCarried);
  EXPECT_TRUE(c.bitmaps[5]->IsShadow());
  ASSERT_EQ(c.hue_changes.size(), 2u);
  EXPECT_EQ(c.hue_changes[0].carried[6], 0xC6);
  ASSERT_EQ(c.sequences.size(), 3u);
  EXPECT_EQ(c.sequences[0]->frames[2].carried[1], 0x102);
  EXPECT_EQ(c.sequences[0]->header.carried_b[0], 0x1111);
  EXPECT_EQ(c.sequences[0]->header.carried_a, 0x10000u);
  EXPECT_EQ(c.sequences[0]->frames[1].shadow.bitmap, c.bitmaps[5].get());
  EXPECT_EQ(c.sequences[0]->frames[1].shadow.DisplayOffsetX(), -1);
  // A sequence without frames keeps its views and loses the "has frames" flag.
  EXPECT_EQ(c.sequences[2]->FrameCount(), 0);
  EXPECT_EQ(c.sequences[2]->header.flags & kSequenceHasFrames, 0u);
  EXPECT_FALSE(c.IsBitmapUsed(c.bitmaps[6].get()));
  EXPECT_TRUE(c.IsBitmapUsed(c.bitmaps[4].get()));
  const auto& glow_tag = DemoTag("Glow Effects");
  Collection glow;
  ASSERT_TRUE(Load(glow_tag.data, HeaderFor(glow_tag), &glow).ok);
  EXPECT_STREQ(glow.bitmaps[0]->DepthText(), "32");
}

TEST(CollectionFormat, MirroredSequenceStoresFiveOfEightViews) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c).ok);
  CollectionSequence& walk = *c.sequences[0];
  ASSERT_TRUE(walk.IsMirrored());
  EXPECT_EQ(walk.ViewCount(), 8);
  EXPECT_EQ(walk.StoredViewCount(), 5);
  for (int f = 0; f < walk.FrameCount(); ++f) {
    for (auto [view, source] : {std::pair{5, 3}, {6, 2}, {7, 1}}) {
      const CollectionInstance* a = walk.InstanceAt(f, view);
      const CollectionInstance* b = walk.InstanceAt(f, source);
      ASSERT_TRUE(a && b);
      EXPECT_EQ(a->bitmap, b->bitmap);
      EXPECT_EQ(a->flags ^ b->flags, kInstanceMirrorX);
      EXPECT_EQ(a->reg_x, b->bitmap->width - b->reg_x);
      EXPECT_EQ(a->reg_y, b->reg_y);
    }
  }
  // The rebuild replaces whatever the mirrored views held.
  walk.InstanceAt(0, 6)->reg_x = 999;
  std::vector<uint8_t> saved;
  ASSERT_TRUE(SaveCollection(c, &saved).ok);
  Collection again;
  ASSERT_TRUE(Load(saved, HeaderFor(tag), &again).ok);
  EXPECT_EQ(again.sequences[0]->InstanceAt(0, 6)->reg_x,
            walk.InstanceAt(0, 2)->bitmap->width - walk.InstanceAt(0, 2)->reg_x);
  // Extents over every view with a bitmap.
  EXPECT_GT(walk.extents.left, 0);
  EXPECT_GT(walk.extents.bottom, 0);
}

TEST(CollectionFormat, MirroringClearsNoRotation) {
  Collection c;
  c.AddBitmap(CollectionBitmap::MakeIndexed("b", 4, 4));
  auto s = std::make_unique<CollectionSequence>();
  s->header.flags = kSequenceMirrored | kSequenceNoRotation;
  c.AddSequence(std::move(s));
  std::vector<uint8_t> data;
  ASSERT_TRUE(SaveCollection(c, &data).ok);
  Collection again;
  ASSERT_TRUE(Load(data, TagHeader(), &again).ok);
  EXPECT_EQ(again.sequences[0]->header.flags, kSequenceMirrored | kSequenceHasFrames);
}

// ---- The layout a save produces

TEST(CollectionFormat, EmptyCollectionHasEmptyGroups) {
  const auto& tag = DemoTag("Empty Collection");
  const std::vector<uint8_t>& d = tag.data;
  ASSERT_EQ(d.size(), 320u + 2080u);
  EXPECT_EQ(GroupCount(d, kGroupColorTables), 1u);
  EXPECT_EQ(GroupOffset(d, kGroupColorTables), 0u);
  EXPECT_EQ(HeaderWord(d, 72), 2080u);  // its size
  for (int g : {int(kGroupHueChanges), int(kGroupBitmapTable), int(kGroupInstances),
                int(kGroupSequenceTable), int(kGroupFrameShadows), 6, 7}) {
    EXPECT_EQ(GroupCount(d, g), 0u) << g;
  }
  EXPECT_EQ(HeaderWord(d, 248), 320u);
  EXPECT_EQ(HeaderWord(d, 252), 2080u);
  EXPECT_EQ(HeaderWord(d, 4), tag.user_data);
  EXPECT_EQ(tag.user_data, kNewCollectionFlags);
  // Colour entries: count 256, components × 256.
  EXPECT_EQ(HeaderWord(d, 320), 256u);
  EXPECT_EQ(LoadBE16(d.data() + 320 + 32 + 8), 0xFF00);  // entry 1 red (white)
}

TEST(CollectionFormat, InstanceFlagsAreRecomputed) {
  Collection c;
  CollectionBitmap* raw = c.AddBitmap(CollectionBitmap::MakeIndexed("raw", 16, 8));
  CollectionBitmap* alpha =
      c.AddBitmap(CollectionBitmap::MakeIndexed("alpha", 16, 8, kBitmapTwoBytes));
  CollectionBitmap* odd = c.AddBitmap(CollectionBitmap::MakeIndexed("odd", 12, 8));
  auto s = std::make_unique<CollectionSequence>();
  s->Resize(1, 4);
  s->frames[0].views[0]->bitmap = raw;
  s->frames[0].views[0]->flags = kInstanceHasAlpha | kInstanceMirrorY;  // stale bit 2
  s->frames[0].views[1]->bitmap = alpha;
  s->frames[0].views[2]->bitmap = odd;
  s->frames[0].views[3].reset();  // no instance at all
  c.AddSequence(std::move(s));
  std::vector<uint8_t> d;
  ASSERT_TRUE(SaveCollection(c, &d).ok);
  const size_t instances = 320 + GroupOffset(d, kGroupInstances);
  ASSERT_EQ(GroupCount(d, kGroupInstances), 3u);
  EXPECT_EQ(HeaderWord(d, instances), kInstancePow2Raw | kInstanceMirrorY);
  EXPECT_EQ(HeaderWord(d, instances + 64), kInstancePow2Raw | kInstanceHasAlpha);
  EXPECT_EQ(HeaderWord(d, instances + 128), 0u);
  // The new instance carries 0xFFFF as its alternate bitmap.
  EXPECT_EQ(LoadBE16(d.data() + instances + 30), 0xFFFF);
  Collection again;
  ASSERT_TRUE(Load(d, TagHeader(), &again).ok);
  EXPECT_FALSE(again.sequences[0]->frames[0].views[3].has_value());
  EXPECT_EQ(again.sequences[0]->InstanceAt(0, 0)->alt_bitmap_index, 0);  // zeroed without bit 5
}

TEST(CollectionFormat, RemovedBitmapsAreWrittenAsNone) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c).ok);
  CollectionBitmap* shadow = c.bitmaps[5].get();
  c.MoveBitmap(5, 0);
  EXPECT_EQ(c.IndexOfBitmap(shadow), 0);
  c.RemoveBitmap(1);  // the first body
  std::vector<uint8_t> d;
  ASSERT_TRUE(SaveCollection(c, &d).ok);
  Collection again;
  ASSERT_TRUE(Load(d, HeaderFor(tag), &again).ok);
  EXPECT_EQ(again.sequences[0]->frames[0].shadow.bitmap, again.bitmaps[0].get());
  EXPECT_EQ(again.sequences[0]->InstanceAt(0, 0)->bitmap, nullptr);  // it used the removed one
  EXPECT_NE(again.sequences[0]->InstanceAt(0, 1)->bitmap, nullptr);
}

TEST(CollectionFormat, TableBytesCarriedOnLoadAreWrittenAsZero) {
  const auto& tag = DemoTag("Empty Collection");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c).ok);
  auto b = CollectionBitmap::MakeIndexed("x", 1, 1);
  b->table_carried[0] = 0x55;
  c.AddBitmap(std::move(b));
  std::vector<uint8_t> d;
  ASSERT_TRUE(SaveCollection(c, &d).ok);
  const size_t entry = 320 + GroupOffset(d, kGroupBitmapTable);
  for (size_t i = 112; i < 128; ++i) EXPECT_EQ(d[entry + i], 0);
}

// ---- Loading rules

TEST(CollectionFormat, ColourMapMarksOddBitmapsAsShadows) {
  const auto& tag = DemoTag("Demo Valley Colors");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c).ok);
  ASSERT_TRUE(c.IsColorMap());
  for (size_t i = 0; i < c.bitmaps.size(); ++i)
    EXPECT_EQ(c.bitmaps[i]->IsShadow(), i % 2 == 1) << i;
  // The bit in header offset 4 alone also makes a colour map.
  TagHeader plain = HeaderFor(tag);
  plain.user_data = 0;
  Collection c2;
  ASSERT_TRUE(Load(tag.data, plain, &c2).ok);
  EXPECT_TRUE(c2.IsColorMap());
}

TEST(CollectionFormat, FlagsComeFromTheTagHeader) {
  const auto& tag = DemoTag("Demo Sprites");
  TagHeader h = HeaderFor(tag);
  h.user_data = kCollectionForInterfaces;
  Collection c;
  ASSERT_TRUE(Load(tag.data, h, &c).ok);
  EXPECT_EQ(c.flags, kCollectionForInterfaces);
}

TEST(CollectionFormat, UndecodableBlockBecomesThePlaceholder) {
  const auto& tag = DemoTag("Demo Sprites");
  std::vector<uint8_t> d = tag.data;
  // Set bitmap 0's bit depth to 16 while it stores one byte per pixel.
  const size_t table = 320 + GroupOffset(d, kGroupBitmapTable);
  const size_t block = 320 + HeaderWord(d, table + 64);
  StoreBE16(d.data() + block + 8, 16);
  Collection c;
  CollectionResult r = Load(d, HeaderFor(tag), &c);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.placeholders, 1);
  EXPECT_EQ(c.bitmaps[0]->name, "Body RAW 8");
  EXPECT_EQ(c.bitmaps[0]->width, 256);
  EXPECT_EQ(c.bitmaps[0]->height, 256);
  EXPECT_EQ(c.bitmaps[0]->Pixel(0, 0)[1], NearestPaletteIndex(c.palette, {0, 0, 0}));
  // A block that lies outside the data is a placeholder too.
  StoreBE32(d.data() + table + 128 + 64, 0x7FFFFFF0);
  r = Load(d, HeaderFor(tag), &c);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.placeholders, 2);
}

TEST(CollectionFormat, StructureOnlyLoadKeepsSizesAndCannotBeSaved) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  ASSERT_TRUE(Load(tag.data, HeaderFor(tag), &c, false).ok);
  EXPECT_FALSE(c.has_pixels);
  ASSERT_EQ(c.bitmaps.size(), 7u);
  EXPECT_EQ(c.bitmaps[4]->width, 64);
  EXPECT_FALSE(c.bitmaps[4]->HasPixels());
  EXPECT_EQ(c.sequences[1]->name, "Ground");
  EXPECT_EQ(c.sequences[1]->InstanceAt(0, 0)->bitmap, c.bitmaps[4].get());
  std::vector<uint8_t> d;
  CollectionResult r = SaveCollection(c, &d);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
}

TEST(CollectionFormat, ReadAndWriteThroughAStream) {
  const auto& tag = DemoTag("Glow Effects");
  test::TempDir dir;
  const std::string path = dir.Path() + "/glow";
  test::WriteBytes(path, tag.data);
  FileStream in;
  ASSERT_TRUE(in.Open(path, FileStream::kRead));
  Collection c;
  ASSERT_TRUE(ReadCollection(in, HeaderFor(tag), CollectionLoadOptions(), &c).ok);
  // A header that claims more data than the file holds.
  TagHeader big = HeaderFor(tag);
  big.size += 1;
  ASSERT_TRUE(in.Seek(0));
  EXPECT_FALSE(ReadCollection(in, big, CollectionLoadOptions(), &c).ok);

  FileStream out;
  ASSERT_TRUE(out.Open(dir.Path() + "/out", FileStream::kCreate));
  TagHeader written;
  ASSERT_TRUE(WriteCollection(out, c, &written).ok);
  out.Close();
  EXPECT_EQ(test::ReadBytes(dir.Path() + "/out"), tag.data);
  EXPECT_EQ(written.size, tag.data.size());
}

// ---- Hostile data

TEST(CollectionFormat, BrokenHeadersFail) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  EXPECT_FALSE(Load(std::vector<uint8_t>(319, 0), TagHeader(), &c).ok);
  // A colour table count of 0.
  std::vector<uint8_t> d = tag.data;
  StoreBE32(d.data() + 64, 0);
  EXPECT_FALSE(Load(d, HeaderFor(tag), &c).ok);
  // A group beyond the data, and a count that would overflow 32 bits.
  d = tag.data;
  StoreBE32(d.data() + 68 + 16 * kGroupInstances, 0xFFFFFFF0);
  EXPECT_FALSE(Load(d, HeaderFor(tag), &c).ok);
  d = tag.data;
  StoreBE32(d.data() + 64 + 16 * kGroupSequenceTable, 0x40000000);
  EXPECT_FALSE(Load(d, HeaderFor(tag), &c).ok);
  // A data base past the end.
  d = tag.data;
  StoreBE32(d.data() + 248, 0xFFFFFFFF);
  EXPECT_FALSE(Load(d, HeaderFor(tag), &c).ok);
}

TEST(CollectionFormat, BadIndicesInFramesFail) {
  const auto& tag = DemoTag("Demo Sprites");
  std::vector<uint8_t> d = tag.data;
  const size_t sequences = 320 + GroupOffset(d, kGroupSequenceTable);
  const size_t block = 320 + HeaderWord(d, sequences + 64);
  Collection c;
  // View 0 of frame 0 names an instance past the group.
  std::vector<uint8_t> bad = d;
  StoreBE16(bad.data() + block + 64 + 46, 0x7000);
  CollectionResult r = Load(bad, HeaderFor(tag), &c);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("instance"), std::string::npos);
  // Its frame shadow index past the group.
  bad = d;
  StoreBE16(bad.data() + block + 64, 0x7000);
  EXPECT_FALSE(Load(bad, HeaderFor(tag), &c).ok);
  // A frame count whose frames pass the data.
  bad = d;
  StoreBE16(bad.data() + block + 10, 0xFFFF);
  EXPECT_FALSE(Load(bad, HeaderFor(tag), &c).ok);
  // Bitmap indices out of range are no bitmap.
  bad = d;
  const size_t instances = 320 + GroupOffset(d, kGroupInstances);
  StoreBE16(bad.data() + instances + 28, 0x7777);
  ASSERT_TRUE(Load(bad, HeaderFor(tag), &c).ok);
  EXPECT_EQ(c.sequences[0]->InstanceAt(0, 0)->bitmap, nullptr);
}

TEST(CollectionFormat, LimitsBoundTheMemoryOfHostileCollections) {
  const auto& tag = DemoTag("Demo Sprites");
  Collection c;
  CollectionLoadOptions options;
  options.max_pixel_bytes = 4096;
  EXPECT_FALSE(LoadCollection(tag.data.data(), tag.data.size(), HeaderFor(tag), options, &c).ok);
  options = CollectionLoadOptions();
  options.max_cells = 8;
  EXPECT_FALSE(LoadCollection(tag.data.data(), tag.data.size(), HeaderFor(tag), options, &c).ok);
  options = CollectionLoadOptions();
  options.max_bitmap_pixels = 100;  // larger bitmaps become placeholders
  CollectionResult r =
      LoadCollection(tag.data.data(), tag.data.size(), HeaderFor(tag), options, &c);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.placeholders, 5);  // all but the 12 × 7 shadow and the 5 × 3 disc
}

TEST(CollectionFormat, TruncatedAndScrambledDataNeverCrashes) {
  for (const char* name : {"Demo Sprites", "Glow Effects"}) {
    const auto& tag = DemoTag(name);
    Collection c;
    for (size_t n = 0; n < tag.data.size(); n += 7) {
      std::vector<uint8_t> cut(tag.data.begin(), tag.data.begin() + std::ptrdiff_t(n));
      Load(cut, HeaderFor(tag), &c);
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
      std::vector<uint8_t> d = tag.data;
      for (int k = 0; k < 8; ++k) d[random() % d.size()] = uint8_t(random());
      if (Load(d, HeaderFor(tag), &c).ok) {
        std::vector<uint8_t> saved;
        SaveCollection(c, &saved);
      }
    }
  }
}

}  // namespace
}  // namespace brae
