// brae-cli: describers of terrain tags for "show" (meshes, detail maps, detail textures).
#include "cli/CliCommon.h"
#include "tagstore/FourCC.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"
#include "terrain/DtexImage.h"
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

}  // namespace

std::vector<Command> TerrainCommands() {
  return {};
}

std::vector<TagDescriber> TerrainDescribers() {
  return {{FourCC("mesh"), DescribeMesh},
          {FourCC("dmap"), DescribeDetailMap},
          {FourCC("dtex"), DescribeDetailTexture}};
}

}  // namespace brae::cli
