// The demo game's terrain tags, read through the Codex: every tag whose format Brae writes
// comes out byte for byte as stored; detail textures work as shared resources.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FourCC.h"
#include "terrain/ByteSource.h"
#include "terrain/DtexTag.h"
#include "terrain/TerrainTags.h"

namespace brae {
namespace {

class DemoTerrain : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demo::MakeDemoGame().Write(dir_.Path()));
    codex_.LoadCodex(dir_.Path());
  }
  void TearDown() override { codex_.ShutdownCodex(); }

  std::vector<uint8_t> StoredData(TagRecord* record, TagHeader* header) {
    FileStream* stream = codex_.BeginTagRead(record, header);
    std::vector<uint8_t> bytes(header->size);
    const bool ok =
        stream && stream->Seek(header->offset) && stream->Read(bytes.data(), bytes.size());
    codex_.EndTagRead(record);
    EXPECT_TRUE(ok);
    return bytes;
  }

  test::TempDir dir_;
  Codex codex_;
};

TEST_F(DemoTerrain, WrittenFormatsRoundTripByteForByte) {
  std::vector<TagRecord*> records;
  int checked = 0;
  codex_.ListTagsOfGroup(FourCC("dmap"), &records);
  for (TagRecord* r : records) {
    TagHeader h;
    const std::vector<uint8_t> stored = StoredData(r, &h);
    std::optional<DetailMap> map = ReadDetailMapTag(codex_, r);
    ASSERT_TRUE(map) << FourCCToString(r->subgroup);
    if (h.version == 2) {
      EXPECT_EQ(SerializeDetailMap(*map), stored);
      ++checked;
    }
  }
  records.clear();
  codex_.ListTagsOfGroup(FourCC("dtex"), &records);
  for (TagRecord* r : records) {
    TagHeader h;
    const std::vector<uint8_t> stored = StoredData(r, &h);
    std::optional<DtexImage> image = ParseDtexData(stored);
    ASSERT_TRUE(image);
    EXPECT_EQ(SerializeDtexData(*image), stored);
    ++checked;
  }
  EXPECT_EQ(checked, 3);
}

TEST_F(DemoTerrain, MeshesAndMedia) {
  std::optional<Mesh> mesh = ReadMeshTag(codex_, codex_.FindTag(FourCC("mesh"), FourCC("vale")));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->width, 96);
  EXPECT_EQ(mesh->height, 64);
  EXPECT_TRUE(mesh->At(50, 30).flags & kVertexSubmerged);
  EXPECT_FALSE(mesh->At(40, 30).flags & kVertexSubmerged);
  EXPECT_FALSE(ReadMeshTag(codex_, codex_.FindTag(FourCC("mesh"), FourCC("bad1"))));
  std::optional<DetailMap> map =
      ReadDetailMapTag(codex_, codex_.FindTag(FourCC("dmap"), mesh->header.colour_map));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->width, mesh->width);
  EXPECT_EQ(map->height, mesh->height);
  std::optional<MediaParameters> media = ReadMediaParametersTag(codex_, mesh->header.media);
  ASSERT_TRUE(media);
  EXPECT_NEAR(media->length[2], 102 / 512.0, 1e-6);
  EXPECT_FALSE(ReadMediaParametersTag(codex_, kNoSubgroup));
  // The version-1 map's scale bytes 0, 1, 2.
  map = ReadDetailMapTag(codex_, codex_.FindTag(FourCC("dmap"), FourCC("oldm")));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->materials[0].scale, 1);
  EXPECT_EQ(map->materials[1].scale, 1);
  EXPECT_EQ(map->materials[2].scale, 2);
}

TEST_F(DemoTerrain, DetailMapReaderListsUsedTextures) {
  DtexDetailMapReader reader;
  std::vector<uint32_t> ids;
  ASSERT_TRUE(
      reader.ReadUsedTextures(codex_, codex_.FindTag(FourCC("dmap"), FourCC("cmap")), &ids));
  // Materials 1 and 2 are painted; 3 ('wate') is defined but unused; 0 never counts.
  EXPECT_EQ(ids, (std::vector<uint32_t>{FourCC("gras"), FourCC("ston")}));
}

// A new detail map is created under its colour-map collection's name, as the tag operations name
// files; a second map of another colour map with the same name takes a numbered file.
TEST_F(DemoTerrain, NewDetailMapsTakeTheColourMapsNameAndNeverShareAFile) {
  const uint32_t dmap = FourCC("dmap");
  ASSERT_TRUE(codex_.DeleteLocalTag(codex_.FindTag(dmap, FourCC("cmap"))));
  const std::string folder = dir_.Path() + "/local/detail maps/";
  DetailMap first = CreateBlankDetailMap(3, 2);
  DetailMap second = CreateBlankDetailMap(4, 4);
  ASSERT_TRUE(SaveDetailMapTag(codex_, first, FourCC("cmap"), "Demo Valley Colors"));
  ASSERT_TRUE(SaveDetailMapTag(codex_, second, FourCC("cma2"), "Demo Valley Colors"));
  codex_.PollLocalFolder(true);
  struct Expected {
    uint32_t id;
    const char* name;
    const DetailMap* map;
  };
  for (const Expected& e : {Expected{FourCC("cmap"), "Demo Valley Colors", &first},
                            Expected{FourCC("cma2"), "Demo Valley Colors 1", &second}}) {
    TagRecord* record = codex_.FindTag(dmap, e.id);
    ASSERT_TRUE(record && record->local) << e.name;
    EXPECT_EQ(record->local->file_name, e.name);
    EXPECT_EQ(record->local->header.Name(), e.name);
    EXPECT_TRUE(FileExists(folder + e.name));
    std::optional<DetailMap> read = ReadDetailMapTag(codex_, record);
    ASSERT_TRUE(read);
    EXPECT_EQ(SerializeDetailMap(*read), SerializeDetailMap(*e.map));
  }
  EXPECT_FALSE(FileExists(folder + "~codex_placeholder~"));
}

TEST_F(DemoTerrain, DetailTexturesAreSharedResources) {
  TagResourceManager<DtexTag> manager(codex_);
  TagRecord* record = codex_.FindTag(FourCC("dtex"), FourCC("ston"));
  DtexTag* a = manager.Acquire(record);
  ASSERT_TRUE(a);
  EXPECT_STREQ(a->ClassName(), "DtexTag");
  EXPECT_EQ(a->Width(), 64);
  EXPECT_EQ(manager.Acquire(record), a);
  EXPECT_EQ(a->reference_count, 2u);
  EXPECT_FALSE(a->IsTextureCurrent());
  a->MarkTextureCurrent();
  std::vector<uint8_t> pixels(32 * 16 * 3, 77);
  ASSERT_TRUE(a->SetPixels(pixels.data(), 32, 16));
  EXPECT_FALSE(a->IsTextureCurrent());
  ASSERT_TRUE(a->Save());
  manager.Release(a);
  manager.Release(a);
  EXPECT_EQ(manager.Count(), 0u);
  DtexTag* b = manager.Acquire(record);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Width(), 32);
  EXPECT_EQ(b->Pixels(), pixels);
  manager.Release(b);

  DtexTag* fresh = manager.CreateNew(FourCC("dtex"), "Checks", kNoSubgroup);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->Width(), 256);
  EXPECT_EQ(fresh->Pixels()[3 * 16], 255);
  manager.Release(fresh);
}

}  // namespace
}  // namespace brae
