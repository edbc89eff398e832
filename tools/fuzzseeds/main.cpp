// fuzzseeds OUTDIR: writes starting inputs for every fuzz target into OUTDIR/<target>/, made from
// the demo game (archives of both layouts, loose tags, collections of every encoding, meshes,
// detail maps, detail textures, sounds, definitions, images, objects) and a few small files of
// the program's own formats. The fuzz runs and the fuzz regression tests both start from these.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "model/GeomFormat.h"
#include "model/LwoReader.h"
#include "model/ModelImport.h"
#include "tagstore/FileStream.h"
#include "tagstore/Snapshot.h"
#include "terrain/DtexImage.h"

namespace {

namespace fs = std::filesystem;
using brae::demo::Code;
using brae::demo::DemoTag;

class SeedWriter {
 public:
  explicit SeedWriter(std::string root) : root_(std::move(root)) {}
  bool Add(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::path folder = fs::path(root_) / target;
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::string safe;
    for (char c : name) safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '.') ? c : '_';
    std::ofstream out(folder / safe, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ok_ = ok_ && out.good();
    ++count_;
    return out.good();
  }
  bool ok() const { return ok_; }
  int count() const { return count_; }

 private:
  std::string root_;
  bool ok_ = true;
  int count_ = 0;
};

std::vector<uint8_t> Text(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::string Extension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The demo definitions, for the records of structure-defined tags.
const brae::StructRegistry& Definitions() {
  static brae::StructRegistry* registry = [] {
    auto* r = new brae::StructRegistry();
    r->AddDefinitionText(brae::demo::DemoDefinitionText());
    r->BuildRegistry();
    return r;
  }();
  return *registry;
}

// A structure-defined tag's record: the index of its definition, then its data.
void AddRecord(SeedWriter& seeds, const DemoTag& tag, const std::string& label) {
  const auto& definitions = Definitions().Definitions();
  for (size_t i = 0; i < definitions.size(); ++i) {
    const std::string& name = definitions[i]->name;
    if (name.size() != 4) continue;
    uint32_t group = 0;
    for (char c : name) group = (group << 8) | uint8_t(c);
    if (tag.group != group) continue;
    std::vector<uint8_t> bytes = {uint8_t(i)};
    bytes.insert(bytes.end(), tag.data.begin(), tag.data.end());
    seeds.Add("fuzz_struct_record", label, bytes);
  }
}

// Tag data seeds by group: the target and, for collections, the header's user data in front.
void AddTag(SeedWriter& seeds, const DemoTag& tag, const std::string& label) {
  AddRecord(seeds, tag, label);
  if (tag.group == Code(".256")) {
    std::vector<uint8_t> bytes = {uint8_t(tag.user_data >> 24), uint8_t(tag.user_data >> 16),
                                  uint8_t(tag.user_data >> 8), uint8_t(tag.user_data)};
    bytes.insert(bytes.end(), tag.data.begin(), tag.data.end());
    seeds.Add("fuzz_collection", label, bytes);
  } else if (tag.group == Code("mesh")) {
    seeds.Add("fuzz_mesh", label, tag.data);
  } else if (tag.group == Code("dmap")) {
    seeds.Add("fuzz_dmap", label, tag.data);
  } else if (tag.group == Code("dtex")) {
    seeds.Add("fuzz_dtex", label, tag.data);
  } else if (tag.group == Code("soun")) {
    seeds.Add("fuzz_sound", label, tag.data);
  }
}

// An Adobe colour table: 768 bytes, and the 772-byte form with a count of 16.
void AddColorTables(SeedWriter& seeds) {
  std::vector<uint8_t> full(768);
  for (size_t i = 0; i < full.size(); ++i) full[i] = uint8_t(i * 7);
  seeds.Add("fuzz_color_table", "full.act", full);
  std::vector<uint8_t> counted(772, 0);
  for (size_t i = 0; i < 48; ++i) counted[i] = uint8_t(200 - i);
  counted[768] = 0, counted[769] = 16, counted[770] = 0xFF, counted[771] = 0xFF;
  seeds.Add("fuzz_color_table", "sixteen.act", counted);
}

void AddPrefs(SeedWriter& seeds) {
  seeds.Add("fuzz_prefs", "prefs.txt",
            Text("VornPath \"/games/vorn/\"\nShowSplash 0\nUseVSync 1\nOsWindowSizeX 1024\n"
                 "OsWindowSizeY 768\nCodexWorkingSet \"a.vrn;b.vrn\"\nLastImageOpenPath \"/tmp/\"\n"
                 "BrowserWindowPlacement 10 20 624 468 0\n"));
  seeds.Add("fuzz_prefs", "crlf.txt", Text("ShowSplash 2\r\nUseFullscreen 0\r\nName \"a b\"\r\n"));
}

void PutU16(std::vector<uint8_t>* out, unsigned v) {
  out->push_back(uint8_t(v));
  out->push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// Small bitmap fonts: every glyph record of every style, a few glyphs with bitmaps, advance
// tables in one run and in several, and the styles named in `present` marked as there.
std::vector<uint8_t> SmallFont(int present_mask, int inked_glyphs) {
  std::vector<uint8_t> out;
  for (uint32_t h : {10u, 0u, 13u, 4u}) PutU32(&out, h);
  for (int style = 0; style < 4; ++style) {
    for (int code = 0; code < 224; ++code) {
      bool inked = code >= 33 && code < 33 + inked_glyphs;
      unsigned w = inked ? 2 + code % 5 : 0, h = inked ? 3 + code % 7 : 0;
      PutU16(&out, w);
      PutU16(&out, h);
      PutU16(&out, code % 3);
      PutU16(&out, 0xFFFF - code % 2);  // a small negative y offset on odd codes
      if (code % 2 == 0) {
        out.push_back(uint8_t(w + 1));  // one run over the whole table
        out.push_back(223);
      } else {
        out.push_back(uint8_t(w));  // kerned: a shorter advance before the first 16 codes
        out.push_back(15);
        out.push_back(uint8_t(w + 1));
        out.push_back(207);
      }
      for (unsigned i = 0; i < w * h; ++i) out.push_back(uint8_t(i * 37));
    }
    for (int t = 0; t < 3; ++t) PutU32(&out, 0);
    PutU32(&out, (present_mask >> style) & 1);
  }
  return out;
}

// A skin: images with a 28-byte header (size at 12 and 14, id at 24) and RGBA pixels.
std::vector<uint8_t> SmallSkin() {
  const unsigned sizes[][2] = {{4, 4}, {16, 2}, {1, 9}, {0, 0}};
  std::vector<uint8_t> out;
  PutU32(&out, 4);
  uint32_t id = 0;
  for (const auto& size : sizes) {
    std::vector<uint8_t> header(28, 0);
    header[12] = uint8_t(size[0]), header[14] = uint8_t(size[1]);
    header[24] = uint8_t(id++ * 3);
    out.insert(out.end(), header.begin(), header.end());
    for (unsigned i = 0; i < size[0] * size[1] * 4; ++i) out.push_back(uint8_t(i * 11));
  }
  return out;
}

// Small detail textures: the demo's are big enough to make every execution slow, and small ones
// let the fuzzer reach the coder's corners. Flat, smooth and noisy pictures favour different
// coding modes.
void AddSmallDetailTextures(SeedWriter& seeds) {
  const int sizes[][2] = {{1, 1}, {4, 4}, {8, 2}, {16, 16}, {3, 5}};
  for (const auto& size : sizes) {
    for (int pattern = 0; pattern < 3; ++pattern) {
      brae::DtexImage image;
      image.width = size[0];
      image.height = size[1];
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
          for (int c = 0; c < 3; ++c) {
            const int value = pattern == 0   ? 90 + 20 * c
                              : pattern == 1 ? 8 * x + 5 * y + 30 * c
                                             : (x * 73 + y * 151 + c * 37) * 2654435761u >> 24;
            image.pixels.push_back(uint8_t(value));
          }
      seeds.Add("fuzz_dtex",
                "small_" + std::to_string(size[0]) + "x" + std::to_string(size[1]) + "_" +
                    std::to_string(pattern),
                brae::SerializeDtexData(image));
    }
  }
}

void AddToolkitFiles(SeedWriter& seeds) {
  seeds.Add("fuzz_font", "plain.braefont", SmallFont(1, 6));
  seeds.Add("fuzz_font", "four_styles.braefont", SmallFont(15, 3));
  seeds.Add("fuzz_font", "bold_only.braefont", SmallFont(2, 1));
  seeds.Add("fuzz_skin", "small.texturepack", SmallSkin());
}

// The geometry of a demo object, as the import stores it; every material gets a one-pixel
// texture so that the seed has texture records.
void AddGeometry(SeedWriter& seeds, const std::string& path, const std::vector<uint8_t>& bytes) {
  auto object = brae::ReadLwoFromMemory(bytes.data(), bytes.size());
  brae::IntermediateModel model;
  if (!object || !brae::ConvertLwoToModel(*object, "", &model, nullptr)) return;
  for (brae::ModelMaterial& m : model.materials) {
    m.image_loaded = m.paletted = true;
    m.width = m.height = 1;
    m.indices = {0};
    m.palette.assign(256 * 3, 0);
  }
  brae::GeomData geom;
  if (brae::MakeGeomData(model, Code("core"), &geom, nullptr))
    seeds.Add("fuzz_geom", path, brae::SerializeGeom(geom));
}

// Snapshots of unsaved editors: of a few demo tags, and one whose saved tag is another.
void AddSnapshots(SeedWriter& seeds, const brae::demo::DemoGame& game) {
  const fs::path temp = fs::temp_directory_path() / ("fuzzseeds-" + std::to_string(::getpid()));
  int written = 0;
  for (const auto& [tag, file_name] : game.LocalTags()) {
    if (written == 4) break;
    brae::SnapshotInfo info;
    info.group = info.editor_group = tag.group;
    info.subgroup = info.editor_subgroup = tag.subgroup;
    info.name = info.editor_name = tag.name;
    info.game_folder = "/games/demo/";
    info.time = 1700000000 + written;
    info.header.SetName(tag.name);
    info.header.version = tag.version;
    if (written == 1) info.editor_group = Code("mesh");
    std::string error;
    const std::vector<uint8_t>& data = tag.data;
    brae::WriteSnapshotFile(
        temp.string(), info,
        [&](brae::FileStream& stream, brae::TagHeader&) {
          return data.empty() || stream.Write(data.data(), data.size());
        },
        &error);
    std::ifstream in(temp, std::ios::binary);
    seeds.Add("fuzz_snapshot", tag.name + ".snap",
              std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    ++written;
  }
  fs::remove(temp);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzzseeds OUTDIR\n");
    return 2;
  }
  SeedWriter seeds(argv[1]);
  const brae::demo::DemoGame game = brae::demo::MakeDemoGame();

  int archive_number = 0;
  for (const brae::demo::DemoArchive& archive : game.Archives()) {
    std::string label = std::to_string(archive_number++) + "_" + archive.file_name;
    seeds.Add("fuzz_archive", label, brae::demo::ArchiveBytes(archive));
    for (const DemoTag& tag : archive.tags) AddTag(seeds, tag, label + "_" + tag.name);
  }
  for (const auto& [tag, file_name] : game.LocalTags()) {
    seeds.Add("fuzz_archive", "loose_" + tag.name, brae::demo::LooseTagBytes(tag));
    AddTag(seeds, tag, "local_" + tag.name);
  }
  for (const auto& [path, bytes] : game.Files()) {
    std::string ext = Extension(path);
    if (ext == ".bmp") seeds.Add("fuzz_bmp", path, bytes);
    if (ext == ".png") {
      seeds.Add("fuzz_png", path, bytes);
      seeds.Add("fuzz_detail_image", path, bytes);
    }
    if (ext == ".tif" || ext == ".tiff") seeds.Add("fuzz_tiff", path, bytes);
    if (ext == ".lwo") {
      seeds.Add("fuzz_lwo", path, bytes);
      AddGeometry(seeds, path, bytes);
    }
    if (ext == ".xml") seeds.Add("fuzz_structdefs", path, bytes);
  }
  AddColorTables(seeds);
  AddPrefs(seeds);
  AddToolkitFiles(seeds);
  AddSmallDetailTextures(seeds);
  AddSnapshots(seeds, game);
  if (!seeds.ok()) {
    std::fprintf(stderr, "fuzzseeds: could not write every seed into '%s'\n", argv[1]);
    return 1;
  }
  std::printf("%d seeds written into %s\n", seeds.count(), argv[1]);
  return 0;
}
