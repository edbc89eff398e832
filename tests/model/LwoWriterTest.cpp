#include "model/LwoWriter.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "model/LwoReader.h"

namespace brae {
namespace {

IntermediateModel TwoTriangles() {
  IntermediateModel model;
  const float xyz[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 2}};
  for (const auto& p : xyz) {
    ModelVertex v;
    v.position = {p[0], p[1], p[2]};
    model.vertices.push_back(v);
  }
  ModelTriangle a;
  a.corners[0] = {0, 0.0f, 0.25f, {}};
  a.corners[1] = {1, 1.0f, 0.5f, {}};
  a.corners[2] = {2, 1.0f, 1.0f, {}};
  ModelTriangle b = a;
  b.corners[1].vertex = 3;
  b.material = 1;
  model.triangles = {a, b};
  ModelMaterial wood;
  wood.name = "Wood";
  wood.image_file = "wood.bmp";
  wood.image_loaded = true;
  ModelMaterial plain;
  plain.name = "Plain";
  model.materials = {wood, plain};
  return model;
}

TEST(LwoWriter, WritesWhatTheReaderAndImportExpect) {
  const IntermediateModel model = TwoTriangles();
  const std::vector<uint8_t> bytes = SerializeLwo2(model);
  ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "FORM");
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "LWO2TAGS");
  EXPECT_EQ(bytes.size() % 2, 0u);
  LwoReadError error;
  auto object = ReadLwoFromMemory(bytes.data(), bytes.size(), &error);
  ASSERT_TRUE(object) << error.message;
  ASSERT_EQ(object->layers.size(), 1u);
  const LwoLayer& layer = object->layers[0];
  ASSERT_EQ(layer.points.size(), 4u);
  EXPECT_FLOAT_EQ(layer.points[1].position.x, -1.0f);  // mirrored back
  ASSERT_EQ(layer.polygons.size(), 2u);
  // LightWave corner order is the reverse of the model's.
  EXPECT_EQ(layer.polygons[1].corners[0].point, 2u);
  EXPECT_EQ(layer.polygons[1].corners[1].point, 3u);
  EXPECT_EQ(layer.polygons[1].corners[2].point, 0u);
  EXPECT_EQ(object->surfaces[size_t(layer.polygons[0].surface)].name, "Wood");
  EXPECT_EQ(object->surfaces[size_t(layer.polygons[1].surface)].name, "Plain");
  const LwoTextureBlock* block = object->surfaces[0].FirstBlock(FourCC("COLR"));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->projection, 5);
  EXPECT_TRUE(block->enabled);
  EXPECT_EQ(block->vmap_name, kLwoWriterUvMapName);
  ASSERT_NE(object->FindClip(block->clip), nullptr);
  EXPECT_EQ(object->FindClip(block->clip)->file_name, "wood.png");
  EXPECT_EQ(object->surfaces[1].FirstBlock(FourCC("COLR")), nullptr);
  EXPECT_EQ(object->clips.size(), 1u);
  // (u, 1 - v) back as the import stores it: LightWave corner 0 is model corner 2.
  const float* uv = FindCornerValue(layer, 0, 0, FourCC("TXUV"), kLwoWriterUvMapName);
  ASSERT_NE(uv, nullptr);
  EXPECT_FLOAT_EQ(uv[0], 1.0f);
  EXPECT_FLOAT_EQ(uv[1], 0.0f);
  uv = FindCornerValue(layer, 0, 2, FourCC("TXUV"), kLwoWriterUvMapName);
  EXPECT_FLOAT_EQ(uv[1], 0.75f);
}

TEST(LwoWriter, WritesTheObjectAndItsImages) {
  test::TempDir dir;
  std::vector<std::string> saved;
  const bool ok = WriteLwo2(TwoTriangles(), dir.Path(), "thing",
                            [&](const std::string& path, const ModelMaterial&) {
                              saved.push_back(path);
                              return true;
                            });
  EXPECT_TRUE(ok);
  EXPECT_EQ(test::ReadBytes(dir.Path() + "/thing.lwo"), SerializeLwo2(TwoTriangles()));
  EXPECT_EQ(saved, std::vector<std::string>{dir.Path() + "/wood.png"});
  EXPECT_FALSE(WriteLwo2(TwoTriangles(), dir.Path() + "/missing", "thing"));
}

}  // namespace
}  // namespace brae
