#include "model/ModelImport.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "collection/CollectionFormat.h"
#include "core/MessageLog.h"
#include "model/GeomFormat.h"
#include "model/LwoReader.h"
#include "model/ModelTextures.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"

namespace brae {

const char kModelImportLog[] = "Model Import";

namespace {

constexpr char kImportFailed[] = "Import Failed.\n\n";
constexpr char kConversionFailed[] =
    "LWO -> Model conversion failed. If the target model is already open in Brae or another "
    "app, please close it first.\n";

LwoVec3 Mirrored(const LwoVec3& v) {
  return {-v.x, v.y, v.z};
}

// What a surface gives its material and its corners: the UV image map of its first colour
// texture, if any.
struct SurfaceTexture {
  std::string image_file;
  std::string uv_map;
  bool textured = false;
};

SurfaceTexture TextureOf(const LwoObject& object, int surface) {
  SurfaceTexture t;
  if (surface < 0 || size_t(surface) >= object.surfaces.size()) return t;
  const LwoTextureBlock* block = object.surfaces[size_t(surface)].FirstBlock(FourCC("COLR"));
  if (!block || block->type != FourCC("IMAP") || block->projection != 5) return t;
  t.textured = true;
  t.uv_map = block->vmap_name;
  if (const LwoClip* clip = object.FindClip(block->clip)) {
    t.image_file = ReduceClipFileName(clip->file_name);
  }
  return t;
}

// The surface's opacity: 1 - its transparency channel, as a byte.
uint8_t OpacityOf(const LwoObject& object, int surface) {
  if (surface < 0 || size_t(surface) >= object.surfaces.size()) return 255;
  const auto& channels = object.surfaces[size_t(surface)].channels;
  auto it = channels.find(FourCC("TRAN"));
  if (it == channels.end()) return 255;
  const double opacity = std::clamp(1.0 - double(it->second.value[0]), 0.0, 1.0);
  return uint8_t(std::lround(opacity * 255.0));
}

// Writes one tag's data between the Codex's write brackets.
bool WriteTag(Codex& codex, TagRecord* record, TagHeader* header,
              const std::function<bool(FileStream&, TagHeader*)>& write) {
  FileStream* stream = codex.BeginTagWrite(record, header);
  if (!stream) return false;
  const bool ok = write(*stream, header);
  return codex.EndTagWrite(record, header, ok) && ok;
}

bool WriteBytes(Codex& codex, TagRecord* record, TagHeader* header, uint16_t version,
                const std::vector<uint8_t>& bytes) {
  header->version = version;
  return WriteTag(codex, record, header, [&](FileStream& s, TagHeader*) {
    return bytes.empty() || s.Write(bytes.data(), bytes.size());
  });
}

}  // namespace

bool ConvertLwoToModel(const LwoObject& object, const std::string& texture_folder,
                       IntermediateModel* out, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (object.layers.empty()) return fail("the object has no layer");
  const LwoLayer& layer = object.layers[0];
  if (layer.points.size() > 0xFFFF) return fail("more than 65535 points");
  if (layer.polygons.size() > 0xFFFF) return fail("more than 65535 polygons");

  IntermediateModel model;
  model.bbox_min = Mirrored(layer.bbox_max);
  model.bbox_min.y = layer.bbox_min.y;
  model.bbox_min.z = layer.bbox_min.z;
  model.bbox_max = Mirrored(layer.bbox_min);
  model.bbox_max.y = layer.bbox_max.y;
  model.bbox_max.z = layer.bbox_max.z;
  model.reference = Mirrored(layer.pivot);
  model.vertices.resize(layer.points.size());
  for (size_t i = 0; i < layer.points.size(); ++i)
    model.vertices[i].position = Mirrored(layer.points[i].position);

  std::map<int, uint16_t> material_of_surface;
  std::vector<SurfaceTexture> textures;
  model.triangles.reserve(layer.polygons.size());
  for (uint32_t p = 0; p < layer.polygons.size(); ++p) {
    const LwoPolygon& polygon = layer.polygons[p];
    if (polygon.corners.size() != 3) {
      return fail("polygon " + std::to_string(p) + " has " +
                  std::to_string(polygon.corners.size()) + " corners, not 3");
    }
    auto found = material_of_surface.find(polygon.surface);
    if (found == material_of_surface.end()) {
      ModelMaterial material;
      material.name = polygon.surface >= 0 && size_t(polygon.surface) < object.surfaces.size()
                          ? object.surfaces[size_t(polygon.surface)].name
                          : std::string("Default");
      SurfaceTexture texture = TextureOf(object, polygon.surface);
      material.image_file = texture.image_file;
      found = material_of_surface.emplace(polygon.surface, uint16_t(model.materials.size())).first;
      model.materials.push_back(std::move(material));
      textures.push_back(std::move(texture));
    }
    ModelTriangle t;
    t.material = found->second;
    t.opacity = OpacityOf(object, polygon.surface);
    const SurfaceTexture& texture = textures[t.material];
    for (int c = 0; c < 3; ++c) {
      // LightWave's corner 2 becomes corner 0: with x mirrored this keeps the winding.
      const size_t source = size_t(2 - c);
      const LwoCorner& corner = polygon.corners[source];
      if (corner.point >= layer.points.size()) return fail("a corner names no point");
      t.corners[c].vertex = corner.point;
      t.corners[c].normal = Mirrored(corner.normal);
      if (!texture.textured) continue;
      if (const float* uv = FindCornerValue(layer, p, source, FourCC("TXUV"), texture.uv_map)) {
        t.corners[c].u = uv[0];
        t.corners[c].v = 1.0f - uv[1];
      }
    }
    model.triangles.push_back(t);
  }
  for (ModelMaterial& m : model.materials) LoadMaterialImage(texture_folder, &m);
  *out = std::move(model);
  return true;
}

ModelImportResult ImportModel(Codex& codex, const std::string& lwo_path, const std::string& name) {
  ModelImportResult result;
  Log(0, kModelImportLog, "Beginning import of '%s' ...\n", name.c_str());
  // The reason goes to the log at a level that shows it, unless a line before gave it.
  auto failed = [&](const std::string& why, bool reason_logged = false) {
    result.error = why;
    if (!reason_logged) Log(2, kModelImportLog, "%s\n", why.c_str());
    Log(0, kModelImportLog, "%s", kImportFailed);
    return result;
  };

  LwoReadError read_error;
  std::unique_ptr<LwoObject> object = ReadLwo(lwo_path, &read_error);
  if (!object) return failed("cannot read '" + lwo_path + "': " + read_error.message);

  const size_t slash = lwo_path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : lwo_path.substr(0, slash + 1);
  IntermediateModel model;
  std::string error;
  if (!ConvertLwoToModel(*object, folder, &model, &error)) return failed(error);

  bool unpaletted = false;
  for (const ModelMaterial& m : model.materials) {
    if (m.image_file.empty()) continue;
    if (!m.image_loaded) {
      Log(2, kModelImportLog, "Texture '%s' could not be loaded.\n", m.image_file.c_str());
    } else if (!m.paletted) {
      Log(2, kModelImportLog, "Texture '%s' was not 8-bit paletted.\n", m.image_file.c_str());
      unpaletted = true;
    }
  }
  if (unpaletted) return failed("a texture is not 8-bit paletted", true);

  // Every tag first, so that each can name the next one's fresh id.
  struct NewTag {
    TagRecord* record = nullptr;
    TagHeader header;
  } tags[4];
  const uint32_t groups[4] = {kCollectionGroup, kCoreGroup, kGeomGroup, kModeGroup};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    NewTag& t = tags[i];
    t.record = codex.CreateTag(groups[i], kNoSubgroup, name, &t.header, false);
    if (!t.record) ok = false;
  }
  GeomData geom;
  ok = ok && MakeGeomData(model, tags[1].record->subgroup, &geom, &error);
  if (ok) {
    Collection collection;
    BuildTextureCollection(model, name, &collection);
    ok = WriteTag(codex, tags[0].record, &tags[0].header, [&](FileStream& s, TagHeader* h) {
      return bool(WriteCollection(s, collection, h));
    });
    ok = ok && WriteBytes(codex, tags[1].record, &tags[1].header, kCoreVersion,
                          SerializeCore(tags[0].record->subgroup));
    ok =
        ok && WriteBytes(codex, tags[2].record, &tags[2].header, kGeomVersion, SerializeGeom(geom));
    ok = ok && WriteBytes(codex, tags[3].record, &tags[3].header, kModeVersion,
                          SerializeMode(tags[2].record->subgroup, geom));
  }
  if (!ok) {
    Log(2, kModelImportLog, "%s", kConversionFailed);
    return failed(error.empty() ? "the tags could not be created or written" : error, true);
  }
  result.ok = true;
  result.collection_id = tags[0].record->subgroup;
  result.core_id = tags[1].record->subgroup;
  result.geom_id = tags[2].record->subgroup;
  result.mode_id = tags[3].record->subgroup;
  result.geom = tags[2].record;
  Log(0, kModelImportLog, "Import Successful.\n\n");
  return result;
}

}  // namespace brae
