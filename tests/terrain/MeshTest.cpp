#include "terrain/Mesh.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"
#include "terrain/TerrainTypes.h"

namespace brae {
namespace {

// Mesh tag data: the header, a gap of `gap` bytes, then the grid at A + B.
std::vector<uint8_t> MeshBytes(int cx, int cy, uint16_t (*flags)(int x, int y), size_t gap = 0) {
  const int w = 32 * cx, h = 32 * cy;
  std::vector<uint8_t> b(1024 + gap + size_t(w) * h * 12, 0);
  StoreBE32(&b[0], FourCC("cmap"));
  StoreBE32(&b[4], kNoSubgroup);
  StoreBE16(&b[8], uint16_t(cx));
  StoreBE16(&b[10], uint16_t(cy));
  StoreBE32(&b[12], 1000);
  StoreBE32(&b[24], uint32_t(24 + gap));
  StoreBE32(&b[20], 0xDEADBEEF);  // reserved: cleared when read
  StoreBE16(&b[88], uint16_t(-300));
  StoreBE32(&b[108], 0x8000);
  b[548] = 0x55;  // reserved
  b[1008] = 0xAB;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* v = &b[1024 + gap + 12 * (size_t(y) * w + x)];
      StoreBE16(v, uint16_t(x * 3 - y));
      StoreBE16(v + 2, 0x1234);
      StoreBE16(v + 4, flags ? flags(x, y) : 0);
      StoreBE16(v + 6, 0xFFFF);
      StoreBE16(v + 8, uint16_t(-7));
    }
  }
  return b;
}

TEST(MeshLayouts, WalkTheirRecordSizes) {
  EXPECT_EQ(MeshHeaderLayout().WalkedSize(), 1024u);
  EXPECT_EQ(MeshVertexLayout().WalkedSize(), 12u);
  EXPECT_EQ(offsetof(MeshHeader, shade_midpoint), 108u);
  EXPECT_EQ(offsetof(MeshHeader, text_516), 516u);
  EXPECT_EQ(offsetof(MeshHeader, carried_994), 994u);
}

TEST(MeshRead, ReadsHeaderAndGrid) {
  const auto bytes = MeshBytes(2, 3, nullptr, 16);
  MemorySource source(bytes);
  auto mesh = ReadMesh(source, 11);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->width, 64);
  EXPECT_EQ(mesh->height, 96);
  EXPECT_EQ(mesh->vertices.size(), 64u * 96u);
  EXPECT_EQ(mesh->header.colour_map, FourCC("cmap"));
  EXPECT_EQ(mesh->header.media, kNoSubgroup);
  EXPECT_EQ(mesh->header.shade_below, -300);
  EXPECT_EQ(mesh->header.shade_midpoint, 0x8000u);
  EXPECT_EQ(mesh->header.reserved_20, 0u);
  EXPECT_EQ(mesh->header.reserved_548[0], 0);
  EXPECT_EQ(mesh->header.carried_1008[0], 0xAB);
  EXPECT_EQ(mesh->At(5, 2).height, 13);
  EXPECT_EQ(mesh->At(5, 2).carried, 0x1234);
  EXPECT_EQ(mesh->At(5, 2).reserved_6, 0);
  EXPECT_EQ(mesh->At(5, 2).media_height, -7);
}

TEST(MeshRead, RefusesOtherVersionsAndShortData) {
  auto bytes = MeshBytes(1, 1, nullptr);
  MemorySource source(bytes);
  EXPECT_FALSE(ReadMesh(source, 10));
  EXPECT_FALSE(ReadMesh(source, 12));
  bytes.pop_back();
  MemorySource short_grid(bytes);
  EXPECT_FALSE(ReadMesh(short_grid, 11));
  MemorySource short_header(bytes.data(), 1000);
  EXPECT_FALSE(ReadMesh(short_header, 11));
}

TEST(MeshRead, RefusesHostileDimensionsAndOffsets) {
  auto bytes = MeshBytes(1, 1, nullptr);
  StoreBE16(&bytes[8], 0x7FFF);  // 32767 x 1 chunks claimed, one chunk present
  MemorySource huge(bytes);
  EXPECT_FALSE(ReadMesh(huge, 11));
  StoreBE16(&bytes[8], 0xFFFF);  // -1
  MemorySource negative(bytes);
  EXPECT_FALSE(ReadMesh(negative, 11));
  StoreBE16(&bytes[8], 1);
  StoreBE32(&bytes[12], 0xFFFFFFF0);  // A + B far beyond the data
  MemorySource far(bytes);
  EXPECT_FALSE(ReadMesh(far, 11));
}

uint16_t Reflective(int x, int y) {
  // Both reflective bits inside the square 3..6, plus bits 9 and 14 everywhere, and bit 8.
  const bool inside = x >= 3 && x <= 6 && y >= 3 && y <= 6;
  return uint16_t((inside ? 0x1800 : 0) | 0x4200 | 0x0100 | 0x0050);
}

uint16_t ReflectiveEdges(int x, int y) {
  return (x <= 1 || y <= 1) ? 0x1800 : 0;
}

TEST(MeshRead, DerivesSubmergedAndClearsRuntimeBits) {
  const auto bytes = MeshBytes(1, 1, Reflective);
  MemorySource source(bytes);
  auto mesh = ReadMesh(source, 11);
  ASSERT_TRUE(mesh);
  for (int y = 1; y < 32; ++y) {
    for (int x = 1; x < 32; ++x) {
      const uint16_t f = mesh->At(x, y).flags;
      const bool submerged = x >= 4 && x <= 6 && y >= 4 && y <= 6;
      EXPECT_EQ(bool(f & kVertexSubmerged), submerged) << x << "," << y;
      EXPECT_EQ(f & 0x4200, 0) << x << "," << y;
      EXPECT_EQ(f & 0x0100, 0x0100);
      EXPECT_EQ(mesh->At(x, y).TerrainType(), 5);
    }
  }
  // Row 0 and column 0 keep their stored flags, bits 9 and 14 included.
  EXPECT_EQ(mesh->At(0, 5).flags, Reflective(0, 5));
  EXPECT_EQ(mesh->At(5, 0).flags, Reflective(5, 0));
}

TEST(MeshRead, RowAndColumnZeroNeverGetSubmerged) {
  const auto bytes = MeshBytes(1, 1, ReflectiveEdges);
  MemorySource source(bytes);
  auto mesh = ReadMesh(source, 11);
  ASSERT_TRUE(mesh);
  EXPECT_FALSE(mesh->At(0, 0).flags & kVertexSubmerged);
  EXPECT_FALSE(mesh->At(0, 1).flags & kVertexSubmerged);
  EXPECT_FALSE(mesh->At(1, 0).flags & kVertexSubmerged);
  EXPECT_TRUE(mesh->At(1, 1).flags & kVertexSubmerged);
  EXPECT_FALSE(mesh->At(2, 2).flags & kVertexSubmerged);
  EXPECT_EQ(mesh->At(1, 1).DisplayedHeight(), -7);
  EXPECT_EQ(mesh->At(5, 5).DisplayedHeight(), 10);
}

TEST(MeshRead, FromTagFileAtDataOffset) {
  test::TempDir dir;
  const auto data = MeshBytes(1, 1, nullptr);
  std::vector<uint8_t> file(64 + data.size(), 0xEE);
  std::copy(data.begin(), data.end(), file.begin() + 64);
  test::WriteBytes(dir.Path() + "/m", file);
  FileStream stream;
  ASSERT_TRUE(stream.Open(dir.Path() + "/m", FileStream::kRead));
  TagHeader header;
  header.offset = 64;
  header.version = 11;
  auto mesh = ReadMesh(stream, header);
  ASSERT_TRUE(mesh);
  EXPECT_EQ(mesh->width, 32);
  header.version = 3;
  EXPECT_FALSE(ReadMesh(stream, header));
}

TEST(MeshGeometry, TriangleCentroidsFollowTheParity) {
  float x, y;
  TriangleCentroid(0, 0, 0, &x, &y);  // parity 0
  EXPECT_FLOAT_EQ(x, 1.0f / 3);
  EXPECT_FLOAT_EQ(y, 2.0f / 3);
  TriangleCentroid(1, 0, 1, &x, &y);  // parity 1
  EXPECT_FLOAT_EQ(x, 1 + 2.0f / 3);
  EXPECT_FLOAT_EQ(y, 2.0f / 3);
  EXPECT_EQ(CellParity(3, 5), 0);
  EXPECT_EQ(CellParity(3, 4), 1);
}

TEST(MediaParameters, ScalesLengthsAndAngles) {
  std::vector<uint8_t> b(256, 0);
  StoreBE16(&b[104], 512);
  StoreBE16(&b[106], 256);
  StoreBE16(&b[108], 1024);
  StoreBE16(&b[110], 16384);
  StoreBE16(&b[114], 32768);
  MemorySource source(b);
  auto m = ReadMediaParameters(source);
  ASSERT_TRUE(m);
  EXPECT_FLOAT_EQ(m->length[0], 1.0f);
  EXPECT_FLOAT_EQ(m->length[1], 0.5f);
  EXPECT_FLOAT_EQ(m->length[2], 2.0f);
  EXPECT_NEAR(m->angle[0], 3.14159265 / 2, 1e-6);
  EXPECT_EQ(m->angle[1], 0.0f);
  EXPECT_NEAR(m->angle[2], 3.14159265, 1e-6);
  MemorySource short_data(b.data(), 115);
  EXPECT_FALSE(ReadMediaParameters(short_data));
}

TEST(TerrainTypes, TableEntries) {
  EXPECT_STREQ(GetTerrainType(0).name, "dwarf depth media");
  EXPECT_EQ(GetTerrainType(0).default_texture, FourCC("wate"));
  EXPECT_EQ(GetTerrainType(0).default_texture, 0x77617465u);
  EXPECT_EQ(GetTerrainType(12).default_texture, kNoSubgroup);
  EXPECT_EQ(GetTerrainType(15).highlight[1], 255);
}

}  // namespace
}  // namespace brae
