// Per-vertex and per-triangle details as images, and the highlight table.
#include "terrain/DetailImages.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "media/ColorTable.h"

namespace brae {
namespace {

DetailMap PatternMap(int w, int h) {
  DetailMap map = CreateBlankDetailMap(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      map.vertex_details[size_t(y) * w + x] = uint8_t((x * 7 + y * 3) % 128);
      map.triangle_details[2 * (size_t(y) * w + x)] = uint8_t((x + y) % 5);
      map.triangle_details[2 * (size_t(y) * w + x) + 1] = uint8_t(100 + (x * y) % 20);
    }
  }
  return map;
}

uint8_t StoredPixel(const Image& image, int x, int y) {
  return image.pixels[size_t(y) * image.width + size_t(image.width - 1 - x)];
}

TEST(DetailImages, TriangleBlockSplitsByParity) {
  int parity0[2] = {}, parity1[2] = {};
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(TriangleOfBlockPixel(0, 0, r), r == 0 ? 1 : 0);
    for (int c = 0; c < 8; ++c) {
      ++parity0[TriangleOfBlockPixel(0, c, r)];
      ++parity1[TriangleOfBlockPixel(1, c, r)];
    }
  }
  EXPECT_EQ(parity0[0], 28);
  EXPECT_EQ(parity0[1], 36);
  EXPECT_EQ(parity1[0], 36);
  EXPECT_EQ(parity1[1], 28);
}

TEST(DetailImages, ExportFillsMirroredBlocks) {
  const DetailMap map = PatternMap(4, 3);
  HighlightTable table = DefaultHighlightTable();
  const Image v = ExportDetailImage(map, DetailKind::kVertex, table);
  ASSERT_EQ(v.format, PixelFormat::kIndexed);
  EXPECT_EQ(v.width, 32);
  EXPECT_EQ(v.height, 24);
  EXPECT_EQ(v.palette.count, 256);
  EXPECT_EQ(v.palette.entries[9], (Rgb{221, 0, 230}));
  EXPECT_EQ(StoredPixel(v, 8 * 2 + 5, 8 * 1 + 7), map.VertexMaterial(2, 1));
  // Mirrored: the first stored pixel of row 0 is the last vertex's.
  EXPECT_EQ(v.pixels[0], map.VertexMaterial(3, 0));
  const Image t = ExportDetailImage(map, DetailKind::kTriangle, table);
  // Cell (1, 0) has parity 1: row 0 is all triangle 0 except none; row 7 starts with 1 pixel.
  EXPECT_EQ(StoredPixel(t, 8 + 7, 0), map.TriangleMaterial(1, 0, 0));
  EXPECT_EQ(StoredPixel(t, 8 + 0, 7), map.TriangleMaterial(1, 0, 0));
  EXPECT_EQ(StoredPixel(t, 8 + 1, 7), map.TriangleMaterial(1, 0, 1));
  // Cell (0, 0) has parity 0: row 0 belongs wholly to triangle 1.
  EXPECT_EQ(StoredPixel(t, 0, 0), map.TriangleMaterial(0, 0, 1));
}

TEST(DetailImages, ImportOfItsOwnExportReproducesTheMap) {
  const DetailMap original = PatternMap(32, 32);
  for (DetailKind kind : {DetailKind::kVertex, DetailKind::kTriangle}) {
    const Image image = ExportDetailImage(original, kind, DefaultHighlightTable());
    DetailMap map = CreateBlankDetailMap(32, 32);
    EXPECT_FALSE(ApplyDetailImage(map, kind, image, {}));
    if (kind == DetailKind::kVertex) {
      EXPECT_EQ(map.vertex_details, original.vertex_details);
    } else {
      EXPECT_EQ(map.triangle_details, original.triangle_details);
    }
  }
}

TEST(DetailImages, MajorityWinsTiesGoToTheSmallerAndValuesClampTo127) {
  DetailMap map = CreateBlankDetailMap(2, 1);
  Image image = ExportDetailImage(map, DetailKind::kVertex, DefaultHighlightTable());
  auto set = [&](int x, int y, uint8_t v) { image.pixels[size_t(y) * 16 + (15 - x)] = v; };
  // Vertex 0: 32 pixels of 9 and 32 of 4: a tie, 4 wins.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) set(x, y, y < 4 ? 9 : 4);
  }
  // Vertex 1: all 200, clamped.
  for (int y = 0; y < 8; ++y) {
    for (int x = 8; x < 16; ++x) set(x, y, 200);
  }
  EXPECT_TRUE(ApplyDetailImage(map, DetailKind::kVertex, image, {}));
  EXPECT_EQ(map.VertexMaterial(0, 0), 4);
  EXPECT_EQ(map.VertexMaterial(1, 0), 127);
}

TEST(DetailImages, TriangleZeroOfParityZeroCellTakesRowsOneToSeven) {
  DetailMap map = CreateBlankDetailMap(1, 1);  // one cell (0, 0), parity 0
  Image image = ExportDetailImage(map, DetailKind::kTriangle, DefaultHighlightTable());
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      image.pixels[size_t(r) * 8 + (7 - c)] = TriangleOfBlockPixel(0, c, r) ? 6 : 5;
    }
  }
  EXPECT_FALSE(ApplyDetailImage(map, DetailKind::kTriangle, image, {}));
  EXPECT_EQ(map.TriangleMaterial(0, 0, 0), 5);
  EXPECT_EQ(map.TriangleMaterial(0, 0, 1), 6);
}

TEST(DetailImages, ProtectedMaterialsStayUnlessOverridden) {
  DetailMap map = CreateBlankDetailMap(2, 1);
  map.vertex_details = {3, 4};
  DetailMap source = CreateBlankDetailMap(2, 1);
  source.vertex_details = {10, 11};
  const Image image = ExportDetailImage(source, DetailKind::kVertex, DefaultHighlightTable());
  bool protect[kDetailMaterialCount] = {};
  protect[3] = true;
  ApplyDetailImage(map, DetailKind::kVertex, image, DetailProtection{protect, false});
  EXPECT_EQ(map.vertex_details, (std::vector<uint8_t>{3, 11}));
  ApplyDetailImage(map, DetailKind::kVertex, image, DetailProtection{protect, true});
  EXPECT_EQ(map.vertex_details, (std::vector<uint8_t>{10, 11}));
}

TEST(DetailImages, RefusalTexts) {
  const DetailMap map = CreateBlankDetailMap(4, 3);
  EXPECT_EQ(*CheckDetailImage(map, DetailKind::kVertex, 10, 20, PixelFormat::kIndexed),
            "Image dimensions (10,20) do not match mesh dimensions (32,24)");
  EXPECT_EQ(*CheckDetailImage(map, DetailKind::kTriangle, 10, 20, PixelFormat::kIndexed),
            "Image dimensions (10,20) do not match expected dimensions (32,24)");
  EXPECT_EQ(*CheckDetailImage(map, DetailKind::kVertex, 32, 24, PixelFormat::kRgb),
            "Image must be 8-bit paletted or greyscale.");
  EXPECT_FALSE(CheckDetailImage(map, DetailKind::kVertex, 32, 24, PixelFormat::kGrey));
  EXPECT_EQ(DetailExportName("Demo Valley", DetailKind::kTriangle), "Demo Valley triangle detail");
}

TEST(DetailImages, FilesRoundTripWithTheirPalette) {
  test::TempDir dir;
  const DetailMap original = PatternMap(32, 64);
  HighlightTable table = DefaultHighlightTable();
  table.colours[1] = {1, 2, 3};
  const std::string path = dir.Path() + "/v.png";
  ASSERT_TRUE(WriteDetailImageFile(original, DetailKind::kVertex, table, path, nullptr));
  DetailMap map = CreateBlankDetailMap(32, 64);
  DetailImportResult r = ImportDetailImageFile(map, DetailKind::kVertex, path, {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.imperfect);
  EXPECT_TRUE(r.has_palette);
  EXPECT_EQ(r.palette.colours[1], (Rgb{1, 2, 3}));
  EXPECT_EQ(map.vertex_details, original.vertex_details);
  DetailMap wrong = CreateBlankDetailMap(32, 32);
  r = ImportDetailImageFile(wrong, DetailKind::kVertex, path, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Image dimensions (256,512) do not match mesh dimensions (256,256)");
  r = ImportDetailImageFile(wrong, DetailKind::kVertex, dir.Path() + "/none.png", {});
  EXPECT_EQ(r.error, "Unable to read the file");
  std::string error;
  EXPECT_FALSE(WriteDetailImageFile(original, DetailKind::kVertex, table,
                                    dir.Path() + "/no/such/v.png", &error));
}

TEST(HighlightTable, DefaultIsWrittenWhenTheFileIsMissing) {
  test::TempDir dir;
  const std::string path = dir.Path() + "/dtex.act";
  bool wrote = false;
  HighlightTable t = LoadHighlightTable(path, &wrote);
  EXPECT_TRUE(wrote);
  EXPECT_EQ(t.colours[0], (Rgb{255, 8, 51}));
  EXPECT_EQ(t.colours[255], (Rgb{255, 120, 0}));
  t.colours[0] = {1, 1, 1};
  ASSERT_TRUE(SaveHighlightTable(path, t, 128));
  t = LoadHighlightTable(path, &wrote);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(t.colours[0], (Rgb{1, 1, 1}));
  DetailMap map = CreateBlankDetailMap(1, 1);
  map.materials[2].entry.highlight[0] = 77;
  ApplyMaterialHighlights(map, &t);
  EXPECT_EQ(t.colours[2], (Rgb{77, 0, 0}));
}

}  // namespace
}  // namespace brae
