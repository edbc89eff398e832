#include "model/LwoReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "TempDir.h"
#include "model/IffBuilder.h"

namespace brae {
namespace {

using test::Iff;

std::vector<uint8_t> Points(std::initializer_list<float> xyz) {
  Iff p;
  for (float f : xyz) p.F4(f);
  return p.b;
}

std::vector<uint8_t> Triangle(uint16_t a, uint16_t b, uint16_t c) {
  Iff p;
  p.Id("FACE");
  p.U2(3);
  p.U2(a);
  p.U2(b);
  p.U2(c);
  return p.b;
}

std::unique_ptr<LwoObject> Read(const std::vector<uint8_t>& bytes, LwoReadError* error = nullptr) {
  return ReadLwoFromMemory(bytes.data(), bytes.size(), error);
}

TEST(LwoReader, NoLayerChunkYieldsOneLayer) {
  Iff body;
  body.Chunk("PNTS", Points({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  body.Chunk("POLS", Triangle(0, 1, 2));
  auto object = Read(body.Form("LWO2"));
  ASSERT_TRUE(object);
  ASSERT_EQ(object->layers.size(), 1u);
  EXPECT_EQ(object->layers[0].points.size(), 3u);
  ASSERT_EQ(object->layers[0].polygons.size(), 1u);
  EXPECT_FLOAT_EQ(object->layers[0].bbox_max.x, 1.0f);
  EXPECT_EQ(object->layers[0].points[1].polygons, std::vector<uint32_t>{0});
  // (p1 - p0) x (p2 - p0) = +z
  EXPECT_FLOAT_EQ(object->layers[0].polygons[0].normal.z, 1.0f);
  EXPECT_EQ(object->layers[0].polygons[0].surface, -1);
}

TEST(LwoReader, OddChunksArePaddedAndUnknownChunksSkipped) {
  Iff body;
  body.Chunk("DESC", {'a', 'b', 'c'});  // odd: one pad byte follows
  Iff layr;
  layr.U2(0);
  layr.U2(0);
  layr.F4(1);
  layr.F4(2);
  layr.F4(3);
  layr.S0("first");
  body.Chunk("LAYR", layr.b);
  body.Chunk("PNTS", Points({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  body.Chunk("XYZW", {1, 2, 3, 4, 5});
  layr.b[1] = 1;
  body.Chunk("LAYR", layr.b);
  body.Chunk("PNTS", Points({5, 5, 5}));
  auto object = Read(body.Form("LWO2"));
  ASSERT_TRUE(object);
  ASSERT_EQ(object->layers.size(), 2u);  // the first LAYR fills the initial layer
  EXPECT_EQ(object->layers[0].name, "first");
  EXPECT_FLOAT_EQ(object->layers[0].pivot.y, 2.0f);
  EXPECT_EQ(object->layers[1].number, 1);
  EXPECT_EQ(object->layers[1].points.size(), 1u);
  EXPECT_FALSE(object->layers[1].has_parent);
}

TEST(LwoReader, SurfacesVertexMapsAndDefaults) {
  Iff body;
  Iff tags;
  tags.S0("Wood");
  tags.S0("Nameless");
  body.Chunk("TAGS", tags.b);
  body.Chunk("PNTS", Points({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}));
  Iff pols;
  pols.Id("FACE");
  for (int t = 0; t < 2; ++t) {
    pols.U2(3);
    pols.U2(0);
    pols.U2(uint16_t(1 + t));
    pols.U2(uint16_t(2 + t));
  }
  body.Chunk("POLS", pols.b);
  Iff ptag;
  ptag.Id("SURF");
  ptag.U2(0);
  ptag.U2(0);
  ptag.U2(1);
  ptag.U2(1);
  body.Chunk("PTAG", ptag.b);
  Iff vmap;
  vmap.Id("TXUV");
  vmap.U2(2);
  vmap.S0("uv");
  for (int p = 0; p < 4; ++p) {
    vmap.U2(uint16_t(p));
    vmap.F4(float(p));
    vmap.F4(0.5f);
  }
  body.Chunk("VMAP", vmap.b);
  Iff vmad;
  vmad.Id("TXUV");
  vmad.U2(2);
  vmad.S0("uv");
  vmad.U2(0);  // point 0 in polygon 1
  vmad.U2(1);
  vmad.F4(9);
  vmad.F4(8);
  body.Chunk("VMAD", vmad.b);
  // Surface "Wood" with a colour image map on clip 1 through "uv".
  Iff surf;
  surf.S0("Wood");
  surf.S0("");
  Iff colr;
  colr.F4(1);
  colr.F4(0.5f);
  colr.F4(0);
  colr.U2(0);
  surf.Chunk("COLR", colr.b, true);
  Iff sman;
  sman.F4(1.0f);
  surf.Chunk("SMAN", sman.b, true);
  Iff blok, head, sub;
  head.S0("\x80");
  sub.Id("COLR");
  head.Chunk("CHAN", sub.b, true);
  blok.Chunk("IMAP", head.b, true);
  Iff proj;
  proj.U2(5);
  blok.Chunk("PROJ", proj.b, true);
  Iff imag;
  imag.U2(1);
  blok.Chunk("IMAG", imag.b, true);
  Iff vname;
  vname.S0("uv");
  blok.Chunk("VMAP", vname.b, true);
  surf.Chunk("BLOK", blok.b, true);
  body.Chunk("SURF", surf.b);
  Iff clip, stil;
  clip.U4(1);
  stil.S0("Images:textures/wood.png");
  clip.Chunk("STIL", stil.b, true);
  body.Chunk("CLIP", clip.b);

  LwoReadError error;
  auto object = Read(body.Form("LWO2"), &error);
  ASSERT_TRUE(object) << error.message;
  const LwoLayer& layer = object->layers[0];
  ASSERT_EQ(object->surfaces.size(), 2u);  // "Wood" and a default for "Nameless"
  EXPECT_EQ(layer.polygons[0].surface, 0);
  EXPECT_EQ(layer.polygons[1].surface, 1);
  EXPECT_EQ(object->surfaces[1].name, "Nameless");
  const LwoTextureBlock* block = object->surfaces[0].FirstBlock(FourCC("COLR"));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->type, FourCC("IMAP"));
  EXPECT_EQ(block->projection, 5);
  EXPECT_EQ(block->vmap_name, "uv");
  ASSERT_NE(object->FindClip(block->clip), nullptr);
  EXPECT_EQ(object->FindClip(block->clip)->file_name, "Images:textures/wood.png");
  EXPECT_EQ(object->FindClip(7), nullptr);
  EXPECT_FLOAT_EQ(object->surfaces[0].channels[FourCC("COLR")].value[1], 0.5f);
  // Per-corner values override per-point ones.
  const float* uv = FindCornerValue(layer, 1, 0, FourCC("TXUV"), "uv");
  ASSERT_NE(uv, nullptr);
  EXPECT_FLOAT_EQ(uv[0], 9);
  uv = FindCornerValue(layer, 0, 0, FourCC("TXUV"), "uv");
  ASSERT_NE(uv, nullptr);
  EXPECT_FLOAT_EQ(uv[0], 0);
  uv = FindCornerValue(layer, 0, 2, FourCC("TXUV"), "uv");
  EXPECT_FLOAT_EQ(uv[0], 2);
  EXPECT_EQ(FindCornerValue(layer, 0, 0, FourCC("TXUV"), "other"), nullptr);
}

TEST(LwoReader, RefusesDamagedFiles) {
  LwoReadError error;
  EXPECT_FALSE(Read({'F', 'O', 'R', 'M'}, &error));
  Iff body;
  body.Chunk("PNTS", Points({0, 0, 0}));
  auto bytes = body.Form("LWO3");
  EXPECT_FALSE(Read(bytes));
  bytes = body.Form("LWO2");
  bytes[19] = 200;  // PNTS claims more than the file holds
  EXPECT_FALSE(Read(bytes, &error));
  EXPECT_EQ(error.chunk, FourCC("PNTS"));
  EXPECT_EQ(error.position, 12u);
  Iff bad;
  bad.Chunk("PNTS", Points({0, 0, 0}));
  bad.Chunk("POLS", Triangle(0, 1, 7));  // points that do not exist
  EXPECT_FALSE(Read(bad.Form("LWO2"), &error));
  EXPECT_EQ(error.chunk, FourCC("POLS"));
  Iff overrun;  // a vertex count beyond the chunk
  overrun.Chunk("PNTS", Points({0, 0, 0}));
  Iff pols;
  pols.Id("FACE");
  pols.U2(100);
  pols.U2(0);
  overrun.Chunk("POLS", pols.b);
  EXPECT_FALSE(Read(overrun.Form("LWO2")));
  EXPECT_FALSE(ReadLwo("/nonexistent/file.lwo"));
}

TEST(LwobReader, ImageMapsAndClipsFromOldTextures) {
  Iff body;
  Iff srfs;
  srfs.S0("Blue");
  body.Chunk("SRFS", srfs.b);
  body.Chunk("PNTS", Points({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  Iff pols;
  pols.U2(3);
  pols.U2(0);
  pols.U2(1);
  pols.U2(2);
  pols.U2(1);
  body.Chunk("POLS", pols.b);
  Iff surf;
  surf.S0("Blue");
  surf.Chunk("COLR", {0, 0, 255, 0}, true);
  Iff ctex;
  ctex.S0("Cylindrical Image Map");
  surf.Chunk("CTEX", ctex.b, true);
  Iff tflg;
  tflg.U2(4);
  surf.Chunk("TFLG", tflg.b, true);
  Iff timg;
  timg.S0("Images/blue.iff");
  surf.Chunk("TIMG", timg.b, true);
  Iff dtex;
  dtex.S0("Fractal Noise");
  surf.Chunk("DTEX", dtex.b, true);
  Iff seq;
  seq.S0("frames/f (sequence)");
  surf.Chunk("TIMG", seq.b, true);
  body.Chunk("SURF", surf.b);
  auto object = Read(body.Form("LWOB"));
  ASSERT_TRUE(object);
  EXPECT_EQ(object->form_type, FourCC("LWOB"));
  ASSERT_EQ(object->surfaces.size(), 1u);
  EXPECT_EQ(object->layers[0].polygons[0].surface, 0);
  const LwoSurface& s = object->surfaces[0];
  EXPECT_FLOAT_EQ(s.channels.at(FourCC("COLR")).value[2], 1.0f);
  const LwoTextureBlock* colour = s.FirstBlock(FourCC("COLR"));
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(colour->type, FourCC("IMAP"));
  EXPECT_EQ(colour->projection, 1);  // cylindrical
  EXPECT_EQ(colour->axis, 2);
  ASSERT_NE(object->FindClip(colour->clip), nullptr);
  EXPECT_EQ(object->FindClip(colour->clip)->type, FourCC("STIL"));
  EXPECT_EQ(object->FindClip(colour->clip)->file_name, "Images/blue.iff");
  const LwoTextureBlock* diffuse = s.FirstBlock(FourCC("DIFF"));
  ASSERT_NE(diffuse, nullptr);
  EXPECT_EQ(diffuse->type, FourCC("PROC"));
  ASSERT_NE(object->FindClip(diffuse->clip), nullptr);
  EXPECT_EQ(object->FindClip(diffuse->clip)->type, FourCC("ISEQ"));
  EXPECT_EQ(object->FindClip(diffuse->clip)->file_name, "frames/f");
}

// ---- Public sample objects (read in place when the shared test data is there)

std::string SampleDir() {
  return std::string(BRAE_SHARED_DIR) + "/testdata/lwo/";
}

TEST(LwoSamples, EverySampleReads) {
  if (!std::filesystem::exists(SampleDir())) GTEST_SKIP() << "no sample objects";
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SampleDir())) {
    if (entry.path().extension() != ".lwo") continue;
    LwoReadError error;
    auto object = ReadLwo(entry.path().string(), &error);
    EXPECT_TRUE(object) << entry.path() << ": " << error.message << " in '"
                        << FourCCToString(error.chunk) << "' at " << error.position;
    if (object) {
      EXPECT_FALSE(object->layers.empty());
      for (const LwoLayer& layer : object->layers) {
        for (const LwoPolygon& p : layer.polygons) {
          for (const LwoCorner& c : p.corners) ASSERT_LT(c.point, layer.points.size());
        }
      }
    }
    ++count;
  }
  EXPECT_GE(count, 10);
}

TEST(LwoSamples, UvTexturedBox) {
  const std::string path = SampleDir() + "LWO2/boxuv.lwo";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no sample objects";
  auto object = ReadLwo(path);
  ASSERT_TRUE(object);
  const LwoLayer& layer = object->layers[0];
  EXPECT_EQ(layer.points.size(), 24u);  // four points per face
  EXPECT_EQ(layer.polygons.size(), 6u);
  ASSERT_FALSE(object->surfaces.empty());
  const LwoTextureBlock* block = object->surfaces[0].FirstBlock(FourCC("COLR"));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->type, FourCC("IMAP"));
  EXPECT_EQ(block->projection, 5);
  const LwoClip* clip = object->FindClip(block->clip);
  ASSERT_NE(clip, nullptr);
  EXPECT_NE(clip->file_name.find("boxuv.png"), std::string::npos);
  EXPECT_FALSE(block->vmap_name.empty());
  EXPECT_NE(FindCornerValue(layer, 0, 0, FourCC("TXUV"), block->vmap_name), nullptr);
}

TEST(LwoSamples, OldCylindricalImageMap) {
  const std::string path = SampleDir() + "LWOB/MappingModes/bluewithcylindrictexz.lwo";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no sample objects";
  auto object = ReadLwo(path);
  ASSERT_TRUE(object);
  EXPECT_EQ(object->form_type, FourCC("LWOB"));
  bool found = false;
  for (const LwoSurface& s : object->surfaces) {
    const LwoTextureBlock* block = s.FirstBlock(FourCC("COLR"));
    if (block && block->type == FourCC("IMAP")) {
      found = true;
      EXPECT_EQ(block->projection, 1);
      EXPECT_EQ(block->axis, 2);
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace brae
