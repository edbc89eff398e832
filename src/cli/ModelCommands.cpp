// brae-cli: LightWave objects ("lwo-info") and models ("import-model", "export-model").
#include <cstdio>
#include <map>

#include "cli/CliCommon.h"
#include "core/MessageLog.h"
#include "model/GeomFormat.h"
#include "model/GeometryTags.h"
#include "model/LwoReader.h"
#include "model/ModelImport.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae::cli {

namespace {

std::string Float(float f) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(f));
  return text;
}

void AddVec(Node& parent, const std::string& key, const LwoVec3& v) {
  Node& n = parent.AddGroup(key, true);
  n.Add("", Float(v.x)).is_number = true;
  n.Add("", Float(v.y)).is_number = true;
  n.Add("", Float(v.z)).is_number = true;
}

void DescribeLayer(const LwoLayer& layer, Node& n) {
  n.Add("number", layer.number);
  n.Add("name", layer.name);
  n.Add("points", int64_t(layer.points.size()));
  Node& polygons = n.AddGroup("polygons");
  std::map<uint32_t, int64_t> by_type;
  for (const LwoPolygon& p : layer.polygons) ++by_type[p.type];
  for (const auto& [type, count] : by_type) polygons.Add(FourCCText(type), count);
  AddVec(n, "bbox_min", layer.bbox_min);
  AddVec(n, "bbox_max", layer.bbox_max);
  AddVec(n, "pivot", layer.pivot);
  Node& vmaps = n.AddGroup("vertex_maps", true);
  for (const LwoVertexMap& m : layer.vmaps) {
    Node& v = vmaps.AddGroup("");
    v.Add("type", FourCCText(m.type));
    v.Add("per_polygon", m.per_polygon ? "yes" : "no");
    v.Add("dimension", m.dimension);
    v.Add("name", m.name);
    v.Add("values", int64_t(m.Count()));
  }
}

void DescribeSurface(const LwoObject& object, const LwoSurface& s, Node& n) {
  n.Add("name", s.name);
  const LwoTextureBlock* block = s.FirstBlock(FourCC("COLR"));
  if (!block) return;
  Node& b = n.AddGroup("colour_texture");
  b.Add("type", FourCCText(block->type));
  b.Add("projection", block->projection);
  const LwoClip* clip = object.FindClip(block->clip);
  b.Add("clip", clip ? clip->file_name : std::string());
  b.Add("uv_map", block->vmap_name);
}

int LwoInfo(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1) return Fail("usage: lwo-info FILE [--json]");
  LwoReadError error;
  std::unique_ptr<LwoObject> object = ReadLwo(args[0], &error);
  if (!object) {
    return Fail("cannot read '%s': %s (chunk '%s' at %llu)", args[0].c_str(), error.message.c_str(),
                FourCCText(error.chunk).c_str(), static_cast<unsigned long long>(error.position));
  }
  Node root;
  root.Add("form", FourCCText(object->form_type));
  Node& layers = root.AddGroup("layers", true);
  for (const LwoLayer& layer : object->layers) DescribeLayer(layer, layers.AddGroup(""));
  Node& surfaces = root.AddGroup("surfaces", true);
  for (const LwoSurface& s : object->surfaces) DescribeSurface(*object, s, surfaces.AddGroup(""));
  Node& clips = root.AddGroup("clips", true);
  for (const LwoClip& c : object->clips) {
    Node& n = clips.AddGroup("");
    n.Add("index", c.index);
    n.Add("type", FourCCText(c.type));
    n.Add("file", c.file_name);
  }
  std::fputs((json ? RenderJson(root) : RenderText(root)).c_str(), stdout);
  return kOk;
}

// The same import as the root menu's "New Model From LWO", printing its log lines.
int ImportModelCommand(const Args& in) {
  Args args = in;
  std::string name;
  if (!TakeOption(args, "--name", &name) || args.size() != 2 || name.empty())
    return Fail("usage: import-model GAMEDIR FILE.lwo --name NAME");
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  Codex& codex = TheCodex();
  codex.LoadCodex(args[0]);
  const size_t logged = TheMessageLog().Text(kModelImportLog).size();
  const ModelImportResult result = ImportModel(codex, args[1], name);
  std::fputs(TheMessageLog().Text(kModelImportLog).substr(logged).c_str(), stdout);
  if (!result.ok) {
    std::fprintf(stderr, "brae-cli: %s\n", result.error.c_str());
    return kSomeFailed;
  }
  std::printf("collection '%s', collection reference '%s', geometry '%s', model '%s'\n",
              FourCCText(result.collection_id).c_str(), FourCCText(result.core_id).c_str(),
              FourCCText(result.geom_id).c_str(), FourCCText(result.mode_id).c_str());
  return kOk;
}

// The geometry viewer's "Export LWO...": OUTDIR/<tag name>.lwo and one PNG per texture.
int ExportModelCommand(const Args& args) {
  if (args.size() != 3) return Fail("usage: export-model GAMEDIR GEOMID OUTDIR");
  uint32_t id = 0;
  if (!ParseCode(args[1], &id)) return Fail("bad tagid '%s'", args[1].c_str());
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  if (!FolderExists(args[2])) return Fail("no folder '%s'", args[2].c_str());
  Codex& codex = TheCodex();
  codex.LoadCodex(args[0]);
  TagRecord* record = codex.FindTag(kGeomGroup, id);
  if (!record || !codex.HasEffectiveInstance(record))
    return Fail("no geometry '%s' in '%s'", FourCCText(id).c_str(), args[0].c_str());
  TagHeader header;
  codex.GetEffectiveHeader(record, &header);
  IntermediateModel model;
  std::string error;
  if (!ReadGeometryModel(codex, record, &model, &error))
    return Fail("cannot read the geometry '%s': %s", FourCCText(id).c_str(), error.c_str());
  if (!ExportModelLwo(model, args[2], header.Name()))
    return Fail("cannot write '%s/%s.lwo' and its textures", args[2].c_str(),
                header.Name().c_str());
  std::printf("wrote '%s.lwo' (%zu triangles, %zu materials)\n", header.Name().c_str(),
              model.triangles.size(), model.materials.size());
  return kOk;
}

}  // namespace

std::vector<Command> ModelCommands() {
  return {{"lwo-info", "FILE [--json]", LwoInfo},
          {"import-model", "GAMEDIR FILE.lwo --name NAME", ImportModelCommand},
          {"export-model", "GAMEDIR GEOMID OUTDIR", ExportModelCommand}};
}

}  // namespace brae::cli
