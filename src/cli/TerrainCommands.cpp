// brae-cli: describers of terrain tags for "show" (meshes, detail maps, detail textures), and
// the import and export of detail textures as image files.
#include <cstdio>

#include "cli/CliCommon.h"
#include "media/FileTypes.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FourCC.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"
#include "terrain/DtexFiles.h"
#include "terrain/DtexImage.h"
#include "terrain/DtexTag.h"
#include "terrain/Mesh.h"

namespace brae::cli {

namespace {

bool DescribeMesh(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  MemorySource source(data);
  std::optional<Mesh> mesh = ReadMesh(source, kMeshVersion, error);
  if (!mesh) return false;
  out->Add("chunks_x", mesh->ChunksX());
  out->Add("chunks_y", mesh->ChunksY());
  out->Add("vertices_x", mesh->width);
  out->Add("vertices_y", mesh->height);
  out->Add("colour_map", FourCCToString(mesh->header.colour_map));
  out->Add("media", mesh->header.media == kNoSubgroup ? std::string("none")
                                                      : FourCCToString(mesh->header.media));
  return true;
}

bool DescribeDetailMap(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  // The tag header's version is not at hand here: the current layout first, then the old one.
  MemorySource source(data);
  uint16_t version = 2;
  std::optional<DetailMap> map = ReadDetailMap(source, version, error);
  if (!map) map = ReadDetailMap(source, version = 1, error);
  if (!map) return false;
  out->Add("layout_version", version);
  out->Add("width", map->width);
  out->Add("height", map->height);
  Node& materials = out->AddGroup("materials", true);
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    const DetailMaterial& m = map->materials[i];
    if (m.entry.texture == kNoDetailTexture || m.entry.texture == 0) continue;
    Node& n = materials.AddGroup("");
    n.Add("index", i);
    n.Add("texture", FourCCToString(m.entry.texture));
    n.Add("scale", m.scale);
    n.Add("description", m.entry.Description());
    n.Add("used", map->IsMaterialUsed(i) ? "yes" : "no");
  }
  return true;
}

bool DescribeDetailTexture(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  std::optional<DtexImage> image = ParseDtexData(data, error);
  if (!image) return false;
  out->Add("width", image->width);
  out->Add("height", image->height);
  out->Add("coded_bytes", int64_t(data.size() - kDtexHeadSize));
  return true;
}

const uint32_t kDtexGroup = FourCC("dtex");

// Reads the image first, so that nothing is created for a file that cannot be imported; the
// new tag is written only when it is complete (the Codex saves through a scratch file).
int DtexImport(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR NAME IMAGE");
  const std::string& game = args[0];
  const std::string& name = args[1];
  if (name.empty()) return Fail("You must specify a name to create a detail texture tag.");
  std::string error;
  std::optional<DtexImage> image = ReadDtexImageFile(args[2], &error);
  if (!image) return Fail("cannot import '%s': %s", args[2].c_str(), error.c_str());
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  TheCodex().LoadCodex(game);

  DtexTag* tag = TheDtexManager().CreateNew(kDtexGroup, name, kNoSubgroup);
  if (!tag) {
    return Fail("Detail texture could not be created: a local tag file named '%s' exists",
                name.c_str());
  }
  const bool ok = tag->SetPixels(image->pixels.data(), image->width, image->height) && tag->Save();
  const TagHeader header = tag->header;
  const uint32_t id = tag->record()->subgroup;
  TheDtexManager().Release(tag);
  if (!ok) return Fail("Detail texture could not be created: the tag could not be saved");
  std::printf("%s %s %s\n", FourCCToString(kDtexGroup).c_str(), FourCCToString(id).c_str(),
              header.Name().c_str());
  return kOk;
}

int DtexExport(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUTFILE");
  uint32_t id = 0;
  if (!ParseCode(args[1], &id)) return Fail("bad tagid '%s'", args[1].c_str());
  const MediaType type = MediaTypeFromPath(args[2]);
  if (type != MediaType::kBmp && type != MediaType::kPng && type != MediaType::kTiff) {
    return Fail("'%s' does not end in .bmp, .png, .tif or .tiff", args[2].c_str());
  }
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  TheCodex().LoadCodex(args[0]);
  if (!TheCodex().FindTag(kDtexGroup, id)) {
    return Fail("no detail texture '%s' in '%s'", args[1].c_str(), args[0].c_str());
  }
  DtexTag* tag = TheDtexManager().AcquireByTag(kDtexGroup, id);
  if (!tag) return Fail("cannot read the detail texture '%s'", args[1].c_str());
  std::string error;
  const bool ok = WriteDtexImageFile(tag->Image(), args[2], &error);
  const int width = tag->Width(), height = tag->Height();
  TheDtexManager().Release(tag);
  if (!ok) return Fail("cannot write '%s': %s", args[2].c_str(), error.c_str());
  std::printf("%s %d x %d\n", args[2].c_str(), width, height);
  return kOk;
}

}  // namespace

std::vector<Command> TerrainCommands() {
  return {
      {"dtex-import", "GAMEDIR NAME IMAGE", DtexImport},
      {"dtex-export", "GAMEDIR TAGID OUTFILE", DtexExport},
  };
}

std::vector<TagDescriber> TerrainDescribers() {
  return {{FourCC("mesh"), DescribeMesh},
          {FourCC("dmap"), DescribeDetailMap},
          {FourCC("dtex"), DescribeDetailTexture}};
}

}  // namespace brae::cli
