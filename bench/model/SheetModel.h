#pragma once
// The benchmarks' model: a rippled sheet of 50,000 textured triangles, written once with our own
// LightWave writer into a scratch folder beside a demo game folder.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "mkdemo/DemoGame.h"
#include "model/LwoWriter.h"
#include "model/ModelTextures.h"

namespace brae::bench {

constexpr int kColumns = 200, kRows = 125;  // 200 × 125 quads = 50,000 triangles

// A rippled sheet of kColumns × kRows quads, each split in two, with a 64 × 64 texture.
inline IntermediateModel Sheet() {
  IntermediateModel model;
  for (int y = 0; y <= kRows; ++y) {
    for (int x = 0; x <= kColumns; ++x) {
      ModelVertex v;
      v.position = {x * 0.25f, 0.5f * std::sin(x * 0.1f) * std::cos(y * 0.13f), y * 0.25f};
      model.vertices.push_back(v);
    }
  }
  auto index = [](int x, int y) { return uint32_t(y * (kColumns + 1) + x); };
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const uint32_t q[4] = {index(x, y), index(x + 1, y), index(x + 1, y + 1), index(x, y + 1)};
      const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      const int halves[2][3] = {{0, 1, 2}, {0, 2, 3}};
      for (const auto& half : halves) {
        ModelTriangle t;
        for (int c = 0; c < 3; ++c) {
          t.corners[c].vertex = q[half[c]];
          t.corners[c].u = uv[half[c]][0];
          t.corners[c].v = uv[half[c]][1];
        }
        t.material = uint16_t((x / 50) % 2);
        model.triangles.push_back(t);
      }
    }
  }
  for (const char* name : {"Grass", "Rock"}) {
    ModelMaterial m;
    m.name = name;
    m.image_file = "sheet.png";
    m.image_loaded = m.paletted = true;
    m.width = m.height = 64;
    m.indices.resize(64 * 64);
    for (size_t i = 0; i < m.indices.size(); ++i) m.indices[i] = uint8_t(i * 7);
    m.palette.resize(256 * 3);
    for (size_t i = 0; i < m.palette.size(); ++i) m.palette[i] = uint8_t(i);
    model.materials.push_back(m);
  }
  return model;
}

// The object and its texture in a scratch folder, written once.
class SheetFiles {
 public:
  SheetFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brae-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    WriteLwo2(Sheet(), folder_, "sheet", SaveMaterialPng);
    game_ = folder_ + "/game";
    demo::MakeDemoGame().Write(game_);
  }
  ~SheetFiles() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string Object() const { return folder_ + "/sheet.lwo"; }
  const std::string& Folder() const { return folder_; }
  const std::string& Game() const { return game_; }

 private:
  std::string folder_, game_;
};

inline const SheetFiles& Files() {
  static SheetFiles files;
  return files;
}

}  // namespace brae::bench
