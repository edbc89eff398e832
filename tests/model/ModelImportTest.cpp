// The model import: the LightWave conversion rules, the four tags of the demo crate worked out
// by hand, the edge cases of hand-made objects, a round trip through the LightWave export, the
// public sample objects, and hostile geometry data.
#include "model/ModelImport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "TempDir.h"
#include "collection/CollectionFormat.h"
#include "core/MessageLog.h"
#include "media/MediaFile.h"
#include "mkdemo/DemoGame.h"
#include "model/GeomFormat.h"
#include "model/GeometryTags.h"
#include "model/IffBuilder.h"
#include "model/LwoReader.h"
#include "model/LwoWriter.h"
#include "model/ModelTextures.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/Codex.h"

namespace brae {
namespace {

// ---- Hand-made LightWave objects

using test::Iff;

// A surface; with a clip, its colour channel has a UV image map of that clip and map.
std::vector<uint8_t> Surface(const std::string& name, uint32_t clip = 0,
                             const std::string& uv_map = "UV", float transparency = -1) {
  Iff s;
  s.S0(name);
  s.S0("");
  Iff colr;
  colr.F4(1), colr.F4(1), colr.F4(1), colr.U2(0);
  s.Chunk("COLR", colr.b, true);
  if (transparency >= 0) {
    Iff tran;
    tran.F4(transparency), tran.U2(0);
    s.Chunk("TRAN", tran.b, true);
  }
  if (clip) {
    Iff header;
    header.S0("\x80");
    Iff chan;
    chan.Id("COLR");
    header.Chunk("CHAN", chan.b, true);
    Iff block;
    block.Chunk("IMAP", header.b, true);
    Iff proj, imag, vmap;
    proj.U2(5);
    imag.U2(uint16_t(clip));
    vmap.S0(uv_map);
    block.Chunk("PROJ", proj.b, true);
    block.Chunk("IMAG", imag.b, true);
    block.Chunk("VMAP", vmap.b, true);
    s.Chunk("BLOK", block.b, true);
  }
  return s.b;
}

// Points (0,0,0) (1,0,0) (1,1,0) (0,1,2); the polygons given as corner lists, all of surface
// tag 0 unless surface_of says otherwise.
struct ObjectSpec {
  std::vector<std::vector<uint16_t>> polygons = {{0, 1, 2}, {0, 2, 3}};
  std::vector<uint16_t> surface_of;  // per polygon
  std::vector<std::string> tags = {"Plain"};
  std::vector<std::vector<uint8_t>> surfaces = {Surface("Plain")};
  std::string clip_file;  // a STIL clip 1 when not empty
  bool uv = false;        // a VMAP "UV" on every point and a VMAD on polygon 0's corner of point 2
};

std::vector<uint8_t> MakeObject(const ObjectSpec& spec) {
  Iff f;
  Iff tags;
  for (const std::string& t : spec.tags) tags.S0(t);
  f.Chunk("TAGS", tags.b);
  Iff layr;
  layr.U2(0), layr.U2(0), layr.F4(0), layr.F4(0), layr.F4(0), layr.S0("");
  f.Chunk("LAYR", layr.b);
  Iff pnts;
  for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 1.f, 2.f}) pnts.F4(v);
  f.Chunk("PNTS", pnts.b);
  Iff pols;
  pols.Id("FACE");
  for (const auto& p : spec.polygons) {
    pols.U2(uint16_t(p.size()));
    for (uint16_t i : p) pols.U2(i);
  }
  f.Chunk("POLS", pols.b);
  Iff ptag;
  ptag.Id("SURF");
  for (size_t i = 0; i < spec.polygons.size(); ++i) {
    ptag.U2(uint16_t(i));
    ptag.U2(i < spec.surface_of.size() ? spec.surface_of[i] : 0);
  }
  f.Chunk("PTAG", ptag.b);
  if (spec.uv) {
    Iff vmap;
    vmap.Id("TXUV"), vmap.U2(2), vmap.S0("UV");
    for (uint16_t p = 0; p < 4; ++p) vmap.U2(p), vmap.F4(0.125f * p), vmap.F4(0.25f);
    f.Chunk("VMAP", vmap.b);
    Iff vmad;
    vmad.Id("TXUV"), vmad.U2(2), vmad.S0("UV");
    vmad.U2(2), vmad.U2(0), vmad.F4(0.75f), vmad.F4(0.5f);
    f.Chunk("VMAD", vmad.b);
  }
  if (!spec.clip_file.empty()) {
    Iff clip, still;
    clip.U4(1);
    still.S0(spec.clip_file);
    clip.Chunk("STIL", still.b, true);
    f.Chunk("CLIP", clip.b);
  }
  for (const auto& s : spec.surfaces) f.Chunk("SURF", s);
  return f.Form();
}

std::unique_ptr<LwoObject> Parse(const std::vector<uint8_t>& bytes) {
  return ReadLwoFromMemory(bytes.data(), bytes.size());
}

void WriteIndexedPng(const std::string& path, int w, int h, uint8_t first_red = 10) {
  MediaFile f(path);
  f.image.format = PixelFormat::kIndexed;
  f.image.width = w;
  f.image.height = h;
  f.image.palette.count = 256;
  for (int i = 0; i < 256; ++i) f.image.palette.entries[i] = {uint8_t(first_red + i), 2, 3};
  f.image.pixels.resize(size_t(w) * h);
  for (size_t i = 0; i < f.image.pixels.size(); ++i) f.image.pixels[i] = uint8_t(i * 3);
  ASSERT_TRUE(f.Write()) << f.Error();
}

// ---- Conversion rules

TEST(ModelConversion, MirrorsXReversesCornersAndSharesMaterialsPerSurface) {
  ObjectSpec spec;
  spec.tags = {"Red", "Blue"};
  spec.surfaces = {Surface("Red"), Surface("Blue")};
  spec.polygons = {{0, 1, 2}, {0, 2, 3}, {1, 2, 3}};
  spec.surface_of = {1, 0, 1};
  auto object = Parse(MakeObject(spec));
  ASSERT_TRUE(object);
  IntermediateModel model;
  std::string error;
  ASSERT_TRUE(ConvertLwoToModel(*object, ".", &model, &error)) << error;
  ASSERT_EQ(model.vertices.size(), 4u);
  EXPECT_FLOAT_EQ(model.vertices[1].position.x, -1.f);
  EXPECT_FLOAT_EQ(model.vertices[3].position.z, 2.f);
  EXPECT_FLOAT_EQ(model.bbox_min.x, -1.f);
  EXPECT_FLOAT_EQ(model.bbox_max.x, 0.f);
  EXPECT_FLOAT_EQ(model.bbox_max.z, 2.f);
  ASSERT_EQ(model.triangles.size(), 3u);
  // LightWave corner 2 becomes corner 0.
  EXPECT_EQ(model.triangles[0].corners[0].vertex, 2u);
  EXPECT_EQ(model.triangles[0].corners[1].vertex, 1u);
  EXPECT_EQ(model.triangles[0].corners[2].vertex, 0u);
  // Materials in order of first use; two polygons of "Blue" share the first.
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0].name, "Blue");
  EXPECT_EQ(model.materials[1].name, "Red");
  EXPECT_EQ(model.triangles[0].material, 0);
  EXPECT_EQ(model.triangles[1].material, 1);
  EXPECT_EQ(model.triangles[2].material, 0);
  // Without a texture every corner gets (0, 0); without TRAN the triangle is opaque.
  EXPECT_EQ(model.triangles[1].corners[1].u, 0.f);
  EXPECT_EQ(model.triangles[1].corners[1].v, 0.f);
  EXPECT_EQ(model.triangles[1].opacity, 255);
}

TEST(ModelConversion, TexturesComeThroughSurfaceImageMapAndClip) {
  test::TempDir dir;
  WriteIndexedPng(dir.Path() + "/tex.png", 4, 2);
  ObjectSpec spec;
  spec.clip_file = "Textures:deep/er/tex.png";  // reduced to "tex.png"
  spec.surfaces = {Surface("Plain", 1, "UV", 0.25f)};
  spec.uv = true;
  auto object = Parse(MakeObject(spec));
  ASSERT_TRUE(object);
  IntermediateModel model;
  std::string error;
  ASSERT_TRUE(ConvertLwoToModel(*object, dir.Path(), &model, &error)) << error;
  ASSERT_EQ(model.materials.size(), 1u);
  const ModelMaterial& m = model.materials[0];
  EXPECT_EQ(m.image_file, "tex.png");
  EXPECT_TRUE(m.image_loaded);
  EXPECT_TRUE(m.paletted);
  EXPECT_EQ(m.width, 4);
  EXPECT_EQ(m.height, 2);
  EXPECT_EQ(m.indices[1], 3);
  EXPECT_EQ(m.palette[3 * 5], 15);
  // Polygon 0's corner of point 2 takes the VMAD value (0.75, 0.5); the rest the VMAP's.
  const ModelTriangle& t0 = model.triangles[0];
  EXPECT_EQ(t0.corners[0].vertex, 2u);
  EXPECT_FLOAT_EQ(t0.corners[0].u, 0.75f);
  EXPECT_FLOAT_EQ(t0.corners[0].v, 0.5f);
  EXPECT_FLOAT_EQ(t0.corners[1].u, 0.125f);
  EXPECT_FLOAT_EQ(t0.corners[1].v, 0.75f);  // 1 - 0.25
  const ModelTriangle& t1 = model.triangles[1];
  EXPECT_EQ(t1.corners[1].vertex, 2u);
  EXPECT_FLOAT_EQ(t1.corners[1].u, 0.25f);  // the point's own value: no VMAD for polygon 1
  EXPECT_EQ(t0.opacity, 191);               // 0.75 × 255
}

TEST(ModelConversion, RefusesPolygonsThatAreNotTriangles) {
  ObjectSpec spec;
  spec.polygons = {{0, 1, 2}, {0, 1, 2, 3}};
  auto object = Parse(MakeObject(spec));
  ASSERT_TRUE(object);
  IntermediateModel model;
  std::string error;
  EXPECT_FALSE(ConvertLwoToModel(*object, ".", &model, &error));
  EXPECT_NE(error.find("4 corners"), std::string::npos) << error;
}

TEST(ClipFileName, KeepsThePartAfterTheLastColonAndSlash) {
  EXPECT_EQ(ReduceClipFileName("Drive:images/wood/oak.png"), "oak.png");
  EXPECT_EQ(ReduceClipFileName("a/b:c/d.tga"), "d.tga");
  EXPECT_EQ(ReduceClipFileName("plain.bmp"), "plain.bmp");
  EXPECT_EQ(ReduceClipFileName("dir/"), "");
}

TEST(Footprint, RoundsOutwardsToWholeCells) {
  int lo = 0, hi = 0;
  FootprintRange(-256, 256, &lo, &hi);
  EXPECT_EQ(lo, -1);
  EXPECT_EQ(hi, 1);
  FootprintRange(0, 0, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  FootprintRange(-512, 1024, &lo, &hi);
  EXPECT_EQ(lo, -1);
  EXPECT_EQ(hi, 2);
  FootprintRange(1, 511, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 1);
}

// ---- Imports into a game folder

class ModelImportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demo::MakeDemoGame().Write(game_.Path()));
    codex_.LoadCodex(game_.Path());
    TheMessageLog().Clear();
  }
  std::string ImportLog() const { return TheMessageLog().Text(kModelImportLog); }
  std::vector<uint8_t> Data(uint32_t group, uint32_t id, TagHeader* header_out = nullptr) {
    TagRecord* record = codex_.FindTag(group, id);
    if (!record) return {};
    TagHeader header;
    FileStream* s = codex_.BeginTagRead(record, &header);
    std::vector<uint8_t> data;
    if (s) {
      data.resize(header.size);
      if (!data.empty() && !s->Read(data.data(), data.size())) data.clear();
      codex_.EndTagRead(record);
    }
    if (header_out) *header_out = header;
    return data;
  }
  void Load(uint32_t id, Collection* out) {
    TagHeader header;
    std::vector<uint8_t> data = Data(kCollectionGroup, id, &header);
    ASSERT_TRUE(LoadCollection(data.data(), data.size(), header, {}, out));
  }
  std::string WriteObject(const ObjectSpec& spec, const std::string& name = "object.lwo") {
    const std::string path = work_.Path() + "/" + name;
    test::WriteBytes(path, MakeObject(spec));
    return path;
  }
  size_t LocalTagCount() {
    std::vector<TagRecord*> tags;
    codex_.ListLocalTags(&tags);
    return tags.size();
  }

  test::TempDir game_, work_;
  Codex codex_;
};

uint16_t U16(const std::vector<uint8_t>& d, size_t at) {
  return LoadBE16(d.data() + at);
}
int16_t I16(const std::vector<uint8_t>& d, size_t at) {
  return int16_t(LoadBE16(d.data() + at));
}
uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return LoadBE32(d.data() + at);
}
bool AllZero(const std::vector<uint8_t>& d, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (d[i]) return false;
  return true;
}

TEST_F(ModelImportFixture, DemoCrateGivesFourLinkedTagsWorkedByHand) {
  const ModelImportResult r = ImportModel(codex_, game_.Path() + "/models/crate.lwo", "Crate");
  ASSERT_TRUE(r.ok) << r.error << ImportLog();
  EXPECT_EQ(ImportLog(), "Beginning import of 'Crate' ...\nImport Successful.\n\n");

  // The collection: version 4, the texture's palette, one bitmap and one sequence per surface.
  TagHeader header;
  Data(kCollectionGroup, r.collection_id, &header);
  EXPECT_EQ(header.Name(), "Crate");
  EXPECT_EQ(header.version, 4);
  Collection c;
  Load(r.collection_id, &c);
  EXPECT_EQ(c.palette[0], (PaletteColor{70, 45, 20}));
  EXPECT_EQ(c.palette[7], (PaletteColor{196, 129, 62}));
  ASSERT_EQ(c.bitmaps.size(), 2u);
  EXPECT_EQ(c.bitmaps[0]->name, "crate.png");
  EXPECT_EQ(c.bitmaps[0]->width, 64);
  EXPECT_EQ(c.bitmaps[0]->height, 64);
  EXPECT_EQ(c.bitmaps[0]->flags & kBitmapTwoBytes, kBitmapTwoBytes);
  EXPECT_EQ(c.bitmaps[0]->Pixel(10, 16)[1], 1);  // the seam row
  EXPECT_EQ(c.bitmaps[0]->Pixel(10, 16)[0], 255);
  EXPECT_EQ(c.bitmaps[0]->Pixel(0, 10)[1], 0);  // the frame: index 0, still opaque
  EXPECT_EQ(c.bitmaps[0]->Pixel(0, 10)[0], 255);
  ASSERT_EQ(c.sequences.size(), 2u);
  EXPECT_EQ(c.sequences[0]->name, "CrateSides");
  EXPECT_EQ(c.sequences[1]->name, "CrateLid");
  ASSERT_EQ(c.sequences[1]->FrameCount(), 1);
  ASSERT_NE(c.sequences[1]->InstanceAt(0, 0), nullptr);
  EXPECT_EQ(c.sequences[1]->InstanceAt(0, 0)->bitmap, c.bitmaps[1].get());

  // The collection reference.
  std::vector<uint8_t> core = Data(kCoreGroup, r.core_id, &header);
  EXPECT_EQ(header.Name(), "Crate");
  EXPECT_EQ(header.version, 1);
  ASSERT_EQ(core.size(), 384u);
  EXPECT_EQ(U32(core, 0), r.collection_id);
  EXPECT_EQ(U16(core, 4), 1);
  EXPECT_EQ(U16(core, 6), 0);
  for (size_t at = 8; at < 8 + 163 * 2; at += 2) ASSERT_EQ(U16(core, at), 0xFFFF) << at;
  EXPECT_TRUE(AllZero(core, 334, 384));

  // The geometry: header.
  std::vector<uint8_t> g = Data(kGeomGroup, r.geom_id, &header);
  EXPECT_EQ(header.Name(), "Crate");
  EXPECT_EQ(header.version, 1);
  ASSERT_EQ(g.size(), 128u + 2 * 64 + 8 * 6 + 8 * 64);
  EXPECT_EQ(U32(g, 0), 0u);
  EXPECT_EQ(U32(g, 4), r.core_id);
  EXPECT_EQ(U16(g, 8), 2);
  EXPECT_EQ(U16(g, 10), 8);
  EXPECT_EQ(U16(g, 12), 8);
  EXPECT_TRUE(AllZero(g, 14, 28));  // reference point (0, 0, 0) and reserved
  EXPECT_EQ(U32(g, 28), 0u);
  EXPECT_EQ(U32(g, 32), 128u);
  EXPECT_EQ(U32(g, 40), 128u);
  EXPECT_EQ(U32(g, 44), 48u);
  EXPECT_EQ(U32(g, 52), 176u);
  EXPECT_EQ(U32(g, 56), 512u);
  EXPECT_TRUE(AllZero(g, 60, 76));
  EXPECT_EQ(U32(g, 76), 128u);
  EXPECT_EQ(U32(g, 80), 688u);
  const int16_t bbox[6] = {-256, -256, 0, 256, 256, 512};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(I16(g, 88 + 2 * size_t(i)), bbox[i]) << i;
  EXPECT_TRUE(AllZero(g, 100, 128));
  // Texture records.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&g[128])), "CrateSides");
  EXPECT_TRUE(AllZero(g, 128 + 10, 128 + 32));
  EXPECT_EQ(U16(g, 128 + 32), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&g[192])), "CrateLid");
  EXPECT_EQ(U16(g, 192 + 32), 1);
  EXPECT_TRUE(AllZero(g, 192 + 34, 256));
  // Vertices: (-512 x, 512 z, 512 y) of the crate's corners.
  const int16_t vertices[8][3] = {{256, -256, 0},   {-256, -256, 0},  {-256, 256, 0},
                                  {256, 256, 0},    {256, -256, 512}, {-256, -256, 512},
                                  {-256, 256, 512}, {256, 256, 512}};
  for (size_t v = 0; v < 8; ++v) {
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(I16(g, 256 + 6 * v + 2 * k), vertices[v][k]);
  }
  // Triangle 0: the front face's corners 0, 1, 5 with (u, v) (0, 1), (1, 1), (1, 0).
  // (c0 - c2) × (c1 - c2) = (1, 0, -1) × (0, 0, -1) = (0, 1, 0); plane -(0,1,0)·(-256,-256,512).
  size_t t = 304;
  EXPECT_EQ(U16(g, t), 0);
  EXPECT_EQ(I16(g, t + 2), 0);
  EXPECT_EQ(I16(g, t + 4), 16384);
  EXPECT_EQ(I16(g, t + 6), 0);
  EXPECT_EQ(int32_t(U32(g, t + 8)), 256);
  EXPECT_TRUE(AllZero(g, t + 12, t + 24));
  EXPECT_EQ(U16(g, t + 24), 0);  // opaque
  EXPECT_EQ(U16(g, t + 26), 0);
  const uint16_t corners[3][3] = {{0, 65535, 5}, {65535, 65535, 1}, {65535, 0, 0}};  // v, u, vertex
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(U16(g, t + 28 + 8 * k), corners[k][0]) << k;
    EXPECT_EQ(U16(g, t + 30 + 8 * k), corners[k][1]) << k;
    EXPECT_EQ(U16(g, t + 32 + 8 * k), corners[k][2]) << k;
    EXPECT_EQ(U16(g, t + 34 + 8 * k), 0) << k;
  }
  EXPECT_EQ(U16(g, t + 52), 0xFFFF);
  EXPECT_EQ(U16(g, t + 54), 0xFFFF);
  EXPECT_EQ(U16(g, t + 56), 0xFFFF);
  EXPECT_EQ(U16(g, t + 58), 0);
  EXPECT_EQ(U16(g, t + 60), 0xFFFF);
  EXPECT_EQ(U16(g, t + 62), 0);
  // Triangle 7: the lid's corners 4, 6, 7: (0, -1, 0) × (-1, 0, 0) = (0, 0, -1), plane 512.
  t = 304 + 7 * 64;
  EXPECT_EQ(I16(g, t + 2), 0);
  EXPECT_EQ(I16(g, t + 4), 0);
  EXPECT_EQ(I16(g, t + 6), -16384);
  EXPECT_EQ(int32_t(U32(g, t + 8)), 512);
  EXPECT_EQ(U16(g, t + 26), 1);
  EXPECT_EQ(U16(g, t + 32), 7);  // corner 2
  EXPECT_EQ(U16(g, t + 40), 6);  // corner 1
  EXPECT_EQ(U16(g, t + 48), 4);  // corner 0

  // The model: one zero per vertex, one empty record, four cells from (-1, -1) to (0, 0).
  std::vector<uint8_t> m = Data(kModeGroup, r.mode_id, &header);
  EXPECT_EQ(header.Name(), "Crate");
  EXPECT_EQ(header.version, 4);
  ASSERT_EQ(m.size(), 64u + 32 + 64 + 32);
  EXPECT_EQ(U32(m, 0), 0u);
  EXPECT_EQ(U32(m, 4), r.geom_id);
  EXPECT_EQ(U16(m, 8), 0);
  EXPECT_EQ(U16(m, 10), 8);
  EXPECT_EQ(U16(m, 12), 1);
  EXPECT_EQ(U16(m, 14), 4);
  const uint32_t tables[9] = {0, 32, 0, 32, 64, 0, 96, 32, 0};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(U32(m, 16 + 4 * i), tables[i]) << i;
  EXPECT_EQ(U32(m, 52), 64u);
  EXPECT_EQ(U32(m, 56), 128u);
  EXPECT_EQ(U32(m, 60), 0u);
  EXPECT_TRUE(AllZero(m, 64, 160));
  const int16_t cells[4][2] = {{-1, -1}, {0, -1}, {-1, 0}, {0, 0}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(I16(m, 160 + 8 * i), cells[i][0]) << i;
    EXPECT_EQ(I16(m, 162 + 8 * i), cells[i][1]) << i;
    EXPECT_EQ(U16(m, 164 + 8 * i), 2) << i;
    EXPECT_EQ(U16(m, 166 + 8 * i), 0) << i;
  }

  // Fresh, distinct ids: importing again under another name gives four new tags.
  const ModelImportResult again =
      ImportModel(codex_, game_.Path() + "/models/crate.lwo", "Crate Two");
  ASSERT_TRUE(again.ok);
  EXPECT_NE(again.geom_id, r.geom_id);
  EXPECT_NE(again.collection_id, r.collection_id);
}

TEST_F(ModelImportFixture, AQuadrilateralFailsWithNothingWritten) {
  ObjectSpec spec;
  spec.polygons = {{0, 1, 2, 3}};
  const size_t before = LocalTagCount();
  // The reason is logged at a level that shows the log window.
  std::vector<std::pair<int, std::string>> shown;
  TheMessageLog().SetListener([&](int level, const std::string&, const std::string& text) {
    if (level >= 1) shown.emplace_back(level, text);
  });
  const ModelImportResult r = ImportModel(codex_, WriteObject(spec), "Quad");
  TheMessageLog().SetListener(nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(ImportLog(),
            "Beginning import of 'Quad' ...\npolygon 0 has 4 corners, not 3\nImport Failed.\n\n");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].second, "polygon 0 has 4 corners, not 3\n");
  codex_.PollLocalFolder(true);
  EXPECT_EQ(LocalTagCount(), before);
}

TEST_F(ModelImportFixture, UnreadableFileFails) {
  test::WriteFile(work_.Path() + "/junk.lwo", "not an object");
  const ModelImportResult junk = ImportModel(codex_, work_.Path() + "/junk.lwo", "Junk");
  const ModelImportResult missing = ImportModel(codex_, work_.Path() + "/missing.lwo", "Junk");
  EXPECT_FALSE(junk.ok);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(junk.error.rfind("cannot read '" + work_.Path() + "/junk.lwo': ", 0), 0u);
  EXPECT_EQ(ImportLog(), "Beginning import of 'Junk' ...\n" + junk.error +
                             "\nImport Failed.\n\n"
                             "Beginning import of 'Junk' ...\n" +
                             missing.error + "\nImport Failed.\n\n");
}

TEST_F(ModelImportFixture, SurfacesWithoutImageMapsGiveNoTextures) {
  ObjectSpec spec;  // two triangles of one plain surface
  const ModelImportResult r = ImportModel(codex_, WriteObject(spec), "Plain");
  ASSERT_TRUE(r.ok) << r.error;
  Collection c;
  Load(r.collection_id, &c);
  EXPECT_TRUE(c.bitmaps.empty());
  EXPECT_TRUE(c.sequences.empty());
  std::vector<uint8_t> g = Data(kGeomGroup, r.geom_id);
  ASSERT_GE(g.size(), 128u);
  EXPECT_EQ(U16(g, 8), 0);
  EXPECT_EQ(U32(g, 32), 0u);
  EXPECT_EQ(g.size(), 128u + 4 * 6 + 2 * 64);
  // Both triangles use material 0.
  EXPECT_EQ(U16(g, 128 + 24 + 26), 0);
  EXPECT_EQ(U16(g, 128 + 24 + 64 + 26), 0);
}

TEST_F(ModelImportFixture, MissingTextureIsLoggedAndTheImportGoesOn) {
  ObjectSpec spec;
  spec.clip_file = "nowhere/gone.png";
  spec.surfaces = {Surface("Plain", 1)};
  spec.uv = true;
  const ModelImportResult r = ImportModel(codex_, WriteObject(spec), "Gone");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(ImportLog(),
            "Beginning import of 'Gone' ...\nTexture 'gone.png' could not be loaded.\n"
            "Import Successful.\n\n");
}

TEST_F(ModelImportFixture, TextureThatIsNotPalettedFailsTheImport) {
  MediaFile rgb(work_.Path() + "/rgb.png");
  rgb.image.format = PixelFormat::kRgb;
  rgb.image.width = rgb.image.height = 2;
  rgb.image.pixels.assign(12, 7);
  ASSERT_TRUE(rgb.Write());
  ObjectSpec spec;
  spec.clip_file = "rgb.png";
  spec.surfaces = {Surface("Plain", 1)};
  const ModelImportResult r = ImportModel(codex_, WriteObject(spec), "Rgb");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(ImportLog(),
            "Beginning import of 'Rgb' ...\nTexture 'rgb.png' was not 8-bit paletted.\n"
            "Import Failed.\n\n");
}

TEST_F(ModelImportFixture, ATakenNameFailsWithTheConversionMessage) {
  ObjectSpec spec;
  ASSERT_TRUE(ImportModel(codex_, WriteObject(spec), "Twice").ok);
  TheMessageLog().Clear();
  EXPECT_FALSE(ImportModel(codex_, WriteObject(spec), "Twice").ok);
  EXPECT_NE(ImportLog().find("LWO -> Model conversion failed. If the target model is already "
                             "open in Brae or another app, please close it first.\n"
                             "Import Failed.\n\n"),
            std::string::npos)
      << ImportLog();
}

TEST_F(ModelImportFixture, ImportExportImportKeepsTheGeometry) {
  const ModelImportResult first = ImportModel(codex_, game_.Path() + "/models/crate.lwo", "Crate");
  ASSERT_TRUE(first.ok) << first.error;
  IntermediateModel model;
  std::string error;
  ASSERT_TRUE(ReadGeometryModel(codex_, first.geom, &model, &error)) << error;
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0].name, "CrateSides");
  EXPECT_EQ(model.materials[0].image_file, "crate.png");
  EXPECT_TRUE(model.materials[0].image_loaded);

  ASSERT_TRUE(ExportModelLwo(model, work_.Path(), "Crate"));
  EXPECT_TRUE(std::filesystem::exists(work_.Path() + "/crate.png"));
  const ModelImportResult second = ImportModel(codex_, work_.Path() + "/Crate.lwo", "Crate Again");
  ASSERT_TRUE(second.ok) << second.error << ImportLog();
  std::vector<uint8_t> a = Data(kGeomGroup, first.geom_id);
  std::vector<uint8_t> b = Data(kGeomGroup, second.geom_id);
  ASSERT_EQ(a.size(), b.size());
  // Everything but the collection reference's id is the same.
  EXPECT_EQ(std::vector<uint8_t>(a.begin() + 8, a.end()),
            std::vector<uint8_t>(b.begin() + 8, b.end()));
  Collection c;
  Load(second.collection_id, &c);
  ASSERT_EQ(c.bitmaps.size(), 2u);
  Collection original;
  Load(first.collection_id, &original);
  EXPECT_EQ(c.bitmaps[0]->pixels, original.bitmaps[0]->pixels);
  EXPECT_EQ(c.palette, original.palette);
}

// ---- Stored geometries through the LightWave export and back

// A geometry of three stored points with reference point (-300, 700, 40) and one textured
// material "Skin"; corner k (over all triangles) has u = k mod 65536 and v = 65535 - u.
GeomData StoredGeometry(size_t triangles) {
  IntermediateModel positions;
  for (const GeomPoint& p : {GeomPoint{0, 0, 0}, GeomPoint{512, 3, -7}, GeomPoint{-40, 512, 256}})
    positions.vertices.push_back({FromGeomPoint(p), {}});
  positions.bbox_min = {-1, -7 / 512.f, 0};  // the points' bounds
  positions.bbox_max = {40 / 512.f, 0.5f, 1};
  positions.triangles.resize(triangles);
  for (ModelTriangle& t : positions.triangles) {
    for (uint32_t c = 0; c < 3; ++c) t.corners[c].vertex = c;
  }
  GeomData g;
  EXPECT_TRUE(MakeGeomData(positions, FourCC("core"), &g, nullptr));
  g.reference = {-300, 700, 40};
  g.textures = {{"Skin", 0}};
  for (size_t i = 0; i < triangles; ++i) {
    for (int c = 0; c < 3; ++c) {
      g.triangles[i].corners[c].u = uint16_t(3 * i + size_t(c));
      g.triangles[i].corners[c].v = uint16_t(65535 - g.triangles[i].corners[c].u);
    }
  }
  return g;
}

// Exports the geometry with a 2 x 2 texture into folder as "Thing.lwo" and returns the object.
std::unique_ptr<LwoObject> Export(const GeomData& geom, const std::string& folder) {
  IntermediateModel model;
  GeomToModel(geom, &model);
  ModelMaterial& skin = model.materials.at(0);
  skin.image_file = "skin.png";
  skin.image_loaded = skin.paletted = true;
  skin.width = skin.height = 2;
  skin.indices = {0, 1, 2, 3};
  skin.palette.assign(768, 9);
  EXPECT_TRUE(ExportModelLwo(model, folder, "Thing"));
  return ReadLwo(folder + "/Thing.lwo");
}

TEST(ModelExport, ImportsBackToTheSameGeometryForEveryStoredValue) {
  test::TempDir dir;
  const GeomData original = StoredGeometry(65536 / 3 + 1);
  auto object = Export(original, dir.Path());
  ASSERT_TRUE(object);
  IntermediateModel model;
  std::string error;
  ASSERT_TRUE(ConvertLwoToModel(*object, dir.Path(), &model, &error)) << error;
  GeomData again;
  ASSERT_TRUE(MakeGeomData(model, original.core_id, &again, &error)) << error;
  size_t changed = 0;
  for (size_t i = 0; i < original.triangles.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      const GeomCorner &a = original.triangles[i].corners[c], &b = again.triangles[i].corners[c];
      changed += a.u != b.u || a.v != b.v;
    }
  }
  EXPECT_EQ(changed, 0u);
  EXPECT_EQ(SerializeGeom(again), SerializeGeom(original));
}

TEST(ModelExport, WritesTheMiddleOfEachStepAndTheReferencePointAsPivot) {
  test::TempDir dir;
  GeomData geom = StoredGeometry(1);
  geom.triangles[0].corners[0].u = 38228;
  geom.triangles[0].corners[0].v = 38228;
  auto object = Export(geom, dir.Path());
  ASSERT_TRUE(object);
  const LwoLayer& layer = object->layers.at(0);
  // Model corner 0 is LightWave corner 2; the file holds (u, 1 - v).
  const float* uv = FindCornerValue(layer, 0, 2, FourCC("TXUV"), kLwoWriterUvMapName);
  ASSERT_NE(uv, nullptr);
  // The step of 38228 is [38228/65535, 38229/65535) = [0.5833219, 0.5833371); its middle
  // 0.5833295 is what the import's (u × 65535, truncated) turns back into 38228, and
  // 1 - 0.5833295 = 0.4166705 what its ((1 - v) × 65535, truncated) does.
  EXPECT_NEAR(uv[0], 0.5833295, 1e-6);
  EXPECT_NEAR(uv[1], 0.4166705, 1e-6);
  EXPECT_EQ(uint16_t(double(uv[0]) * 65535.0), 38228);
  EXPECT_EQ(uint16_t(double(1.0f - uv[1]) * 65535.0), 38228);
  // Stored (x, y, z) = (-300, 700, 40) is the model point (300, 40, 700) / 512, whose x the
  // file mirrors back.
  EXPECT_FLOAT_EQ(layer.pivot.x, -0.5859375f);
  EXPECT_FLOAT_EQ(layer.pivot.y, 0.078125f);
  EXPECT_FLOAT_EQ(layer.pivot.z, 1.3671875f);
}

// ---- The public sample objects, read in place

TEST_F(ModelImportFixture, PublicSamplesImportOrFailCleanly) {
  const std::string samples = std::string(BRAE_SHARED_DIR) + "/testdata/lwo/";
  if (!std::filesystem::exists(samples)) GTEST_SKIP() << "no sample objects";
  int imported = 0, refused = 0, number = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(samples)) {
    if (entry.path().extension() != ".lwo") continue;
    auto object = ReadLwo(entry.path().string());
    bool only_triangles = object && !object->layers.empty();
    if (object) {
      for (const LwoPolygon& p : object->layers[0].polygons)
        only_triangles &= p.corners.size() == 3;
    }
    TheMessageLog().Clear();
    const std::string name = "Sample " + std::to_string(number++);
    const ModelImportResult r = ImportModel(codex_, entry.path().string(), name);
    const std::string log = ImportLog();
    EXPECT_EQ(log.rfind("Beginning import of '" + name + "' ...\n", 0), 0u) << log;
    if (r.ok) {
      ++imported;
      IntermediateModel back;
      std::string error;
      EXPECT_TRUE(ReadGeometryModel(codex_, r.geom, &back, &error)) << entry.path() << error;
      EXPECT_EQ(back.triangles.size(), object->layers[0].polygons.size());
    } else {
      ++refused;
      EXPECT_FALSE(only_triangles && r.error.find("paletted") == std::string::npos)
          << entry.path() << ": " << r.error;
      EXPECT_EQ(log.substr(log.size() - 16), "Import Failed.\n\n") << log;
    }
  }
  EXPECT_GE(imported + refused, 10);
  EXPECT_GE(refused, 1);  // most samples are boxes of quadrilaterals
}

// ---- Hostile geometry data never crashes the reader

std::vector<uint8_t> SmallGeometry() {
  IntermediateModel model;
  for (int i = 0; i < 3; ++i) {
    ModelVertex v;
    v.position = {float(i), float(i * i), 1};
    model.vertices.push_back(v);
  }
  ModelTriangle t;
  for (int c = 0; c < 3; ++c) t.corners[c].vertex = uint32_t(c);
  model.triangles = {t};
  model.materials.resize(1);
  GeomData g;
  EXPECT_TRUE(MakeGeomData(model, FourCC("core"), &g, nullptr));
  return SerializeGeom(g);
}

TEST(GeomReader, ChecksEveryCountAndOffset) {
  const std::vector<uint8_t> good = SmallGeometry();
  GeomData g;
  std::string error;
  ASSERT_TRUE(ParseGeom(good.data(), good.size(), &g, &error)) << error;
  EXPECT_EQ(g.vertices.size(), 3u);
  EXPECT_EQ(g.vertices[2].x, -1024);
  EXPECT_EQ(g.vertices[2].z, 2048);
  EXPECT_EQ(g.core_id, FourCC("core"));

  EXPECT_FALSE(ParseGeom(good.data(), 127, &g, &error));
  EXPECT_FALSE(ParseGeom(good.data(), good.size() - 1, &g, &error));  // triangle cut short
  auto damaged = [&](size_t at, uint32_t value, bool wide) {
    std::vector<uint8_t> d = good;
    if (wide) {
      StoreBE32(d.data() + at, value);
    } else {
      StoreBE16(d.data() + at, uint16_t(value));
    }
    return ParseGeom(d.data(), d.size(), &g, &error);
  };
  EXPECT_FALSE(damaged(10, 0xFFFF, false));        // vertex count beyond its table
  EXPECT_FALSE(damaged(12, 2, false));             // triangle count beyond its table
  EXPECT_FALSE(damaged(8, 1, false));              // a texture record that is not there
  EXPECT_FALSE(damaged(40, 0xFFFFFFF0u, true));    // vertex offset far beyond the data
  EXPECT_FALSE(damaged(76, 0xFFFFFFFFu, true));    // data base beyond the data
  EXPECT_FALSE(damaged(52, 0xFFFFFFC0u, true));    // offset that wraps with the base
  EXPECT_FALSE(damaged(128 + 18 + 32, 3, false));  // corner 2 names vertex 3 of 3
  EXPECT_FALSE(damaged(10, 2, false));             // a corner names vertex 2 of 2
}

}  // namespace
}  // namespace brae
