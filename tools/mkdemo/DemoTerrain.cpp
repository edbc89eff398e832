// The demo terrain: a mesh of 3 x 2 chunks whose colour map is the collection '.256' 'cmap'
// (made by the collection demo), its detail map (version 2, local), an older version-1 detail
// map, two detail textures, a media tag, and a LightWave object with its PNG texture for the
// model import.
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "media/MediaFile.h"
#include "mkdemo/DemoGame.h"
#include "model/LwoWriter.h"
#include "tagstore/ByteOrder.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"
#include "terrain/DtexImage.h"

namespace brae::demo {

namespace {

// The colour-map collection's tag id, shared with the collection demo.
constexpr uint32_t kColourMapId = Code("cmap");
constexpr int kChunksX = 3, kChunksY = 2;

std::vector<uint8_t> MeshData() {
  const int w = 32 * kChunksX, h = 32 * kChunksY;
  const uint32_t grid = 1024;
  std::vector<uint8_t> b(grid + size_t(w) * h * 12, 0);
  StoreBE32(&b[0], kColourMapId);
  StoreBE32(&b[4], Code("wave"));
  StoreBE16(&b[8], kChunksX);
  StoreBE16(&b[10], kChunksY);
  StoreBE32(&b[12], 1000);  // A + B = 1024
  StoreBE32(&b[24], 24);
  StoreBE16(&b[88], 200);
  StoreBE16(&b[90], 150);
  StoreBE16(&b[92], 0x2000);
  StoreBE16(&b[94], 0x3000);
  StoreBE16(&b[96], 0x6000);
  StoreBE32(&b[108], 0x8000);
  std::memcpy(&b[300], "Demo Valley", 11);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* v = &b[grid + 12 * (size_t(y) * w + x)];
      const double height = 1500 * std::sin(x * 0.11) * std::cos(y * 0.07) - 300;
      const bool lake = x >= 40 && x < 60 && y >= 20 && y < 40;
      const int type = lake ? 1 : height > 700 ? 5 : height > 300 ? 4 : 6;
      uint16_t flags = uint16_t(type << 4);
      if (lake) flags |= 0x1800;
      StoreBE16(v, uint16_t(int16_t(height)));
      StoreBE16(v + 2, uint16_t(x + y));
      StoreBE16(v + 4, flags);
      StoreBE16(v + 8, lake ? 0 : uint16_t(int16_t(height)));
    }
  }
  return b;
}

std::vector<uint8_t> MediaData() {
  std::vector<uint8_t> b(256, 0);
  StoreBE16(&b[104], 51);
  StoreBE16(&b[106], 51);
  StoreBE16(&b[108], 102);
  StoreBE16(&b[110], 5215);
  StoreBE16(&b[112], 5215);
  StoreBE16(&b[114], 10430);
  return b;
}

DetailMap DemoDetailMap() {
  const int w = 32 * kChunksX, h = 32 * kChunksY;
  DetailMap map = CreateBlankDetailMap(w, h);
  const struct {
    uint32_t texture;
    int scale;
    uint8_t r, g, b;
    const char* description;
  } kMaterials[] = {{kNoDetailTexture, 1, 0, 0, 0, ""},
                    {Code("gras"), 128, 60, 200, 60, "meadow"},
                    {Code("ston"), 64, 160, 160, 160, "rock"},
                    {Code("wate"), 256, 40, 40, 255, "lake (missing texture)"}};
  for (int i = 0; i < 4; ++i) {
    DetailMaterial& m = map.materials[i];
    m.entry.texture = kMaterials[i].texture;
    m.scale = kMaterials[i].scale;
    m.entry.highlight[0] = kMaterials[i].r;
    m.entry.highlight[1] = kMaterials[i].g;
    m.entry.highlight[2] = kMaterials[i].b;
    m.entry.SetDescription(kMaterials[i].description);
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      map.vertex_details[size_t(y) * w + x] = uint8_t(x > 70 ? 2 : 1);
      if (x >= 40 && x < 60 && y >= 20 && y < 40) {
        map.triangle_details[2 * (size_t(y) * w + x)] = 2;
        map.triangle_details[2 * (size_t(y) * w + x) + 1] = uint8_t((x + y) % 3 ? 2 : 1);
      }
    }
  }
  return map;
}

std::vector<uint8_t> Version1DetailMap() {
  const int w = 32, h = 32;
  std::vector<uint8_t> b(656 + w * h, 0);
  StoreBE32(&b[0], w);
  StoreBE32(&b[4], h);
  for (int i = 0; i < 128; ++i) StoreBE32(&b[16 + 4 * i], kNoDetailTexture);
  StoreBE32(&b[16 + 4], Code("gras"));
  StoreBE32(&b[16 + 8], Code("ston"));
  b[528 + 1] = 0;  // scales 0, 1 and 2 become 1, 1 and 2
  b[528 + 2] = 2;
  for (int i = 0; i < w * h; ++i) b[656 + i] = uint8_t((i / 7) % 3);
  return b;
}

DtexImage Texture(int size, int seed) {
  DtexImage image;
  image.width = image.height = size;
  image.pixels.resize(size_t(size) * size * 3);
  uint32_t state = uint32_t(seed) * 2654435761u + 1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      state = state * 1103515245u + 12345u;
      const int noise = int((state >> 16) % 24);
      uint8_t* p = &image.pixels[3 * (size_t(y) * size + x)];
      const int base = 110 + int(20 * std::sin((x + seed * 3) * 0.3) * std::cos(y * 0.2));
      p[0] = uint8_t(base + noise - (seed ? 0 : 30));
      p[1] = uint8_t(base + noise + (seed ? 0 : 30));
      p[2] = uint8_t(base + noise / 2);
    }
  }
  return image;
}

DemoTag Tag(const char (&group)[5], const char (&id)[5], const std::string& name,
            std::vector<uint8_t> data, uint16_t version) {
  DemoTag t;
  t.group = Code(group);
  t.subgroup = Code(id);
  t.name = name;
  t.data = std::move(data);
  t.version = version;
  return t;
}

// The crate's texture, "crate.png": 64 x 64 colour-indexed planks (eight shades of wood, a
// dark seam every 16 rows and a darker frame).
ModelMaterial CrateTexture() {
  ModelMaterial m;
  m.image_file = "crate.png";
  m.image_loaded = true;
  m.paletted = true;
  m.width = m.height = 64;
  m.palette.assign(256 * 3, 0);
  for (int i = 0; i < 8; ++i) {
    m.palette[3 * i] = uint8_t(70 + 18 * i);
    m.palette[3 * i + 1] = uint8_t(45 + 12 * i);
    m.palette[3 * i + 2] = uint8_t(20 + 6 * i);
  }
  m.indices.resize(64 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      int shade = 3 + ((x * 7 + (y / 16) * 5 + (x * x) / 9) % 5);
      if (y % 16 == 0) shade = 1;
      if (x < 4 || x >= 60 || y < 4 || y >= 60) shade = 0;
      m.indices[size_t(y) * 64 + size_t(x)] = uint8_t(shade);
    }
  }
  return m;
}

// A small textured crate (two triangles per face on four faces) for the model import.
IntermediateModel DemoCrate() {
  IntermediateModel model;
  const float s = 0.5f;
  const float corners[8][3] = {{-s, 0, -s}, {s, 0, -s}, {s, 0, s}, {-s, 0, s},
                               {-s, 1, -s}, {s, 1, -s}, {s, 1, s}, {-s, 1, s}};
  for (const auto& c : corners) {
    ModelVertex v;
    v.position = {c[0], c[1], c[2]};
    model.vertices.push_back(v);
  }
  const int faces[4][4] = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {4, 5, 6, 7}};
  for (int f = 0; f < 4; ++f) {
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int half = 0; half < 2; ++half) {
      const int pick[2][3] = {{0, 1, 2}, {0, 2, 3}};
      ModelTriangle t;
      for (int c = 0; c < 3; ++c) {
        const int k = pick[half][c];
        t.corners[c].vertex = uint32_t(faces[f][k]);
        t.corners[c].u = uv[k][0];
        t.corners[c].v = uv[k][1];
      }
      t.material = f == 3 ? 1 : 0;
      model.triangles.push_back(t);
    }
  }
  ModelMaterial wood = CrateTexture();
  wood.name = "CrateSides";
  ModelMaterial lid = CrateTexture();
  lid.name = "CrateLid";
  model.materials = {wood, lid};
  return model;
}

// The image saver of the LightWave writer: the material's colour-indexed texture as a PNG.
bool SaveMaterialPng(const std::string& path, const ModelMaterial& m) {
  if (!m.paletted || m.indices.size() != size_t(m.width) * size_t(m.height) ||
      m.palette.size() != 256 * 3) {
    return false;
  }
  MediaFile file(path);
  file.image.format = PixelFormat::kIndexed;
  file.image.width = m.width;
  file.image.height = m.height;
  file.image.palette.count = 256;
  for (int i = 0; i < 256; ++i) {
    file.image.palette.entries[i] = {m.palette[3 * size_t(i)], m.palette[3 * size_t(i) + 1],
                                     m.palette[3 * size_t(i) + 2]};
  }
  file.image.pixels = m.indices;
  return file.Write();
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(f);
  }
  return bytes;
}

// Writes the crate with the LightWave writer and its image saver into a scratch folder and adds
// both files under models/.
void AddCrate(DemoGame& game) {
  std::string scratch =
      (std::filesystem::temp_directory_path() / "brae-mkdemo-crate-XXXXXX").string();
  if (!::mkdtemp(scratch.data())) return;
  const IntermediateModel crate = DemoCrate();
  if (WriteLwo2(crate, scratch, "crate", SaveMaterialPng)) {
    game.AddFile("models/crate.lwo", FileBytes(scratch + "/crate.lwo"));
    game.AddFile("models/" + LwoClipFileName(crate.materials[0]),
                 FileBytes(scratch + "/" + LwoClipFileName(crate.materials[0])));
  }
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}

}  // namespace

void AddTerrainDemo(DemoGame& game) {
  // A patch archive (kind 2), active in the default working set.
  DemoArchive& base = game.Archive("tags", "terrain patch", 2);
  base.name = "Terrain Patch";
  base.tags.push_back(Tag("mesh", "vale", "Demo Valley", MeshData(), 11));
  base.tags.push_back(Tag("medi", "wave", "Gentle Water", MediaData(), 1));
  base.tags.push_back(Tag("dmap", "oldm", "Old Detail Map", Version1DetailMap(), 1));
  base.tags.push_back(Tag("dtex", "ston", "Stone", SerializeDtexData(Texture(64, 1)), 1));
  base.tags.push_back(Tag("mesh", "bad1", "Mesh Of Version 10", MeshData(), 10));

  game.AddLocal(Tag("dmap", "cmap", "Demo Valley Colors", SerializeDetailMap(DemoDetailMap()), 2));
  game.AddLocal(Tag("dtex", "gras", "Grass", SerializeDtexData(Texture(128, 0)), 1));

  AddCrate(game);
}

}  // namespace brae::demo

namespace brae::demo {

void AddTerrainUpdates(DemoArchive& addon) {
  // The valley: six vertices 100 higher and a darker shade below.
  std::vector<uint8_t> mesh = MeshData();
  const int w = 32 * kChunksX;
  for (int y = 5; y <= 6; ++y)
    for (int x = 10; x <= 12; ++x) {
      uint8_t* v = &mesh[1024 + 12 * (size_t(y) * w + x)];
      StoreBE16(v, uint16_t(int16_t((v[0] << 8) | v[1]) + 100));
    }
  StoreBE16(&mesh[88], 250);
  addon.tags.push_back(Tag("mesh", "vale", "Demo Valley", mesh, 11));
  // The old detail map, saved anew: four vertices of the first row take material 2, and
  // material 3 gets the grass texture.
  const std::vector<uint8_t> old_map = Version1DetailMap();
  MemorySource source(old_map);
  std::optional<DetailMap> map = ReadDetailMap(source, 1);
  if (!map) return;
  for (int x = 0; x < 4; ++x) map->vertex_details[size_t(x)] = 2;
  map->materials[3].entry.texture = Code("gras");
  addon.tags.push_back(Tag("dmap", "oldm", "Old Detail Map", SerializeDetailMap(*map), 2));
}

}  // namespace brae::demo
