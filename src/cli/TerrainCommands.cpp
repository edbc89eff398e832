// brae-cli: describers of terrain tags for "show" (meshes, detail maps, detail textures), and
// the import and export of detail textures as image files.
#include <cstdio>

#include "cli/CliCommon.h"
#include "media/FileTypes.h"
#include "media/MediaFile.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FourCC.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailImages.h"
#include "terrain/DetailMap.h"
#include "terrain/DtexFiles.h"
#include "terrain/DtexImage.h"
#include "terrain/DtexTag.h"
#include "terrain/Mesh.h"
#include "terrain/MeshShading.h"
#include "terrain/TerrainTags.h"

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
  out->Add("colour_map", FourCCText(mesh->header.colour_map));
  out->Add("media", mesh->header.media == kNoSubgroup ? std::string("none")
                                                      : FourCCText(mesh->header.media));
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
    n.Add("texture", FourCCText(m.entry.texture));
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
  std::printf("%s %s %s\n", FourCCText(kDtexGroup).c_str(), FourCCText(id).c_str(),
              header.Name().c_str());
  return kOk;
}

// Loads the game folder and acquires the detail texture GAMEDIR TAGID name; on failure *tag
// stays null and the command's exit status is returned.
int AcquireDtex(const Args& args, DtexTag** tag) {
  *tag = nullptr;
  uint32_t id = 0;
  if (!ParseCode(args[1], &id)) return Fail("bad tagid '%s'", args[1].c_str());
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  TheCodex().LoadCodex(args[0]);
  if (!TheCodex().FindTag(kDtexGroup, id)) {
    return Fail("no detail texture '%s' in '%s'", args[1].c_str(), args[0].c_str());
  }
  *tag = TheDtexManager().AcquireByTag(kDtexGroup, id);
  if (!*tag) return Fail("cannot read the detail texture '%s'", args[1].c_str());
  return kOk;
}

int DtexExport(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUTFILE");
  const MediaType type = MediaTypeFromPath(args[2]);
  if (type != MediaType::kBmp && type != MediaType::kPng && type != MediaType::kTiff) {
    return Fail("'%s' does not end in .bmp, .png, .tif or .tiff", args[2].c_str());
  }
  DtexTag* tag = nullptr;
  if (const int status = AcquireDtex(args, &tag); !tag) return status;
  std::string error;
  const bool ok = WriteDtexImageFile(tag->Image(), args[2], &error);
  const int width = tag->Width(), height = tag->Height();
  TheDtexManager().Release(tag);
  if (!ok) return Fail("cannot write '%s': %s", args[2].c_str(), error.c_str());
  std::printf("%s %d x %d\n", args[2].c_str(), width, height);
  return kOk;
}

// The detail texture's image replaced from an image file, as its editor imports one, and saved
// into the local folder.
int DtexReplace(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID IMAGE");
  DtexTag* tag = nullptr;
  if (const int status = AcquireDtex(args, &tag); !tag) return status;
  uint32_t tag_id = 0;
  ParseCode(args[1], &tag_id);  // already checked by AcquireDtex
  std::string error;
  const bool replaced = ReplaceDtexFromFile(tag, args[2], &error);
  const bool saved = replaced && tag->Save();
  const int width = tag->Width(), height = tag->Height();
  TheDtexManager().Release(tag);
  if (!replaced) return Fail("cannot import '%s': %s", args[2].c_str(), error.c_str());
  if (!saved) return Fail("the detail texture '%s' could not be saved", args[1].c_str());
  std::printf("dtex %s %d x %d\n", FourCCText(tag_id).c_str(), width, height);
  return kOk;
}

// Loads the game and the mesh of the id; false after printing the reason.
bool LoadMesh(const std::string& game, const std::string& id_text, Mesh* mesh, int* status) {
  uint32_t id = 0;
  if (!ParseCode(id_text, &id)) {
    *status = Fail("bad tagid '%s'", id_text.c_str());
    return false;
  }
  if (!FolderExists(game)) {
    *status = Fail("cannot read the game folder '%s'", game.c_str());
    return false;
  }
  TheCodex().LoadCodex(game);
  TagRecord* record = TheCodex().FindTag(FourCC("mesh"), id);
  if (!record) {
    *status = Fail("no mesh '%s' in '%s'", id_text.c_str(), game.c_str());
    return false;
  }
  std::optional<Mesh> loaded = ReadMeshTag(TheCodex(), record);
  if (!loaded) {
    *status = Fail("cannot read the mesh '%s'", id_text.c_str());
    return false;
  }
  *mesh = std::move(*loaded);
  return true;
}

int MeshColourMap(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR MESHID OUT.png");
  const MediaType type = MediaTypeFromPath(args[2]);
  if (type != MediaType::kBmp && type != MediaType::kPng && type != MediaType::kTiff) {
    return Fail("'%s' does not end in .bmp, .png, .tif or .tiff", args[2].c_str());
  }
  Mesh mesh;
  int status = kFail;
  if (!LoadMesh(args[0], args[1], &mesh, &status)) return status;
  Collection colour_map;
  std::string error;
  if (!ReadColourMapTag(TheCodex(), mesh.header.colour_map, &colour_map, &error)) {
    return Fail("cannot read the colour map '%s': %s", FourCCText(mesh.header.colour_map).c_str(),
                error.c_str());
  }
  const ShadedColourTable table = BuildShadedColourTable(mesh.header, colour_map.palette);
  MediaFile file(args[2]);
  file.image = BuildColourMapImage(mesh, colour_map, table);
  if (!file.Write()) return Fail("cannot write '%s': %s", args[2].c_str(), file.Error().c_str());
  std::printf("%s %d x %d\n", args[2].c_str(), file.image.width, file.image.height);
  return kOk;
}

int MeshDetails(const Args& given) {
  Args args = given;
  std::string file;
  DetailKind kind = DetailKind::kVertex;
  bool import = false;
  int modes = 0;
  const struct {
    const char* option;
    DetailKind kind;
    bool import;
  } kModes[] = {{"--export-vertex", DetailKind::kVertex, false},
                {"--export-triangle", DetailKind::kTriangle, false},
                {"--import-vertex", DetailKind::kVertex, true},
                {"--import-triangle", DetailKind::kTriangle, true}};
  for (const auto& mode : kModes) {
    if (TakeOption(args, mode.option, &file)) {
      kind = mode.kind;
      import = mode.import;
      ++modes;
    }
  }
  if (modes != 1 || args.size() != 2) {
    return Fail(
        "expected GAMEDIR MESHID --export-vertex|--export-triangle|--import-vertex|"
        "--import-triangle FILE");
  }
  Mesh mesh;
  int status = kFail;
  if (!LoadMesh(args[0], args[1], &mesh, &status)) return status;
  const uint32_t id = mesh.header.colour_map;
  TagRecord* map_record = TheCodex().FindTag(FourCC("dmap"), id);
  std::optional<DetailMap> map;
  if (map_record) {
    map = ReadDetailMapTag(TheCodex(), map_record);
    if (map && (map->width != mesh.width || map->height != mesh.height)) {
      return Fail("the detail map '%s' does not match the mesh's dimensions",
                  FourCCText(id).c_str());
    }
  }
  HighlightTable table = DefaultHighlightTable();
  if (!import) {
    if (!map) return Fail("the mesh has no detail map");
    ApplyMaterialHighlights(*map, &table);
    std::string error;
    if (!WriteDetailImageFile(*map, kind, table, file, &error)) {
      return Fail("%s: %s", kDetailImageWriteText, error.c_str());
    }
    std::printf("%s %d x %d\n", file.c_str(), kDetailBlock * mesh.width,
                kDetailBlock * mesh.height);
    return kOk;
  }
  // A new map takes the colour-map collection's name, as the editor names it.
  std::string name;
  if (!map) {
    map = CreateBlankDetailMap(mesh.width, mesh.height);
    Collection colour_map;
    std::string error;
    if (!ReadColourMapTag(TheCodex(), id, &colour_map, &error)) {
      return Fail("cannot read the colour map '%s': %s", FourCCText(id).c_str(), error.c_str());
    }
    name = colour_map.name;
  }
  const DetailImportResult result = ImportDetailImageFile(*map, kind, file, {});
  if (!result.ok) return Fail("%s", result.error.c_str());
  if (result.has_palette) ApplyHighlightsToMaterials(result.palette, &*map);
  std::string error;
  if (!SaveDetailMapTag(TheCodex(), *map, id, name, &error)) return Fail("%s", error.c_str());
  if (result.imperfect) std::printf("%s: %s\n", kDetailPartialTitle, kDetailPartialText);
  std::printf("dmap %s\n", FourCCText(id).c_str());
  return kOk;
}

}  // namespace

std::vector<Command> TerrainCommands() {
  return {
      {"dtex-import", "GAMEDIR NAME IMAGE", DtexImport},
      {"dtex-export", "GAMEDIR TAGID OUTFILE", DtexExport},
      {"dtex-replace", "GAMEDIR TAGID IMAGE", DtexReplace},
      {"mesh-colormap", "GAMEDIR MESHID OUT.png", MeshColourMap},
      {"mesh-details",
       "GAMEDIR MESHID --export-vertex|--export-triangle|--import-vertex|--import-triangle FILE",
       MeshDetails},
  };
}

std::vector<TagDescriber> TerrainDescribers() {
  return {{FourCC("mesh"), DescribeMesh},
          {FourCC("dmap"), DescribeDetailMap},
          {FourCC("dtex"), DescribeDetailTexture}};
}

}  // namespace brae::cli
