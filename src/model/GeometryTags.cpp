#include "model/GeometryTags.h"

#include <vector>

#include "collection/CollectionFormat.h"
#include "model/LwoWriter.h"
#include "model/ModelTextures.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"

namespace brae {

namespace {

// The whole data of a tag, or false when it cannot be read.
bool ReadTagBytes(Codex& codex, TagRecord* record, std::vector<uint8_t>* out, TagHeader* header) {
  FileStream* stream = codex.BeginTagRead(record, header);
  if (!stream) return false;
  const uint64_t start = stream->Tell();
  const uint64_t length = stream->Length();
  bool ok = start <= length && header->size <= length - start;
  if (ok) {
    out->resize(header->size);
    ok = out->empty() || stream->Read(out->data(), out->size());
  }
  codex.EndTagRead(record);
  return ok;
}

}  // namespace

bool ReadGeomTag(FileStream& stream, const TagHeader& header, GeomData* out, std::string* error) {
  const uint64_t start = stream.Tell();
  const uint64_t length = stream.Length();
  if (start > length || header.size > length - start) {
    if (error) *error = "the geometry is longer than its file";
    return false;
  }
  std::vector<uint8_t> data(header.size);
  if (!data.empty() && !stream.Read(data.data(), data.size())) {
    if (error) *error = "the geometry could not be read";
    return false;
  }
  return ParseGeom(data.data(), data.size(), out, error);
}

void LoadGeometryTextures(Codex& codex, const GeomData& geom, IntermediateModel* model) {
  if (geom.textures.empty()) return;
  TagRecord* core = codex.FindTag(kCoreGroup, geom.core_id);
  std::vector<uint8_t> bytes;
  TagHeader header;
  uint32_t collection_id = 0;
  if (!core || !ReadTagBytes(codex, core, &bytes, &header) ||
      !ParseCore(bytes.data(), bytes.size(), &collection_id)) {
    return;
  }
  TagRecord* record = codex.FindTag(kCollectionGroup, collection_id);
  if (!record || !codex.HasEffectiveInstance(record)) return;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) return;
  Collection collection;
  const bool ok = bool(ReadCollection(*stream, header, CollectionLoadOptions(), &collection));
  codex.EndTagRead(record);
  if (ok) AttachCollectionTextures(geom, collection, model);
}

bool ReadGeometryModel(Codex& codex, TagRecord* record, IntermediateModel* out,
                       std::string* error) {
  if (!record || !codex.HasEffectiveInstance(record)) {
    if (error) *error = "no such geometry";
    return false;
  }
  TagHeader header;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) {
    if (error) *error = "the geometry could not be opened";
    return false;
  }
  GeomData geom;
  const bool ok = ReadGeomTag(*stream, header, &geom, error);
  codex.EndTagRead(record);
  if (!ok) return false;
  GeomToModel(geom, out);
  LoadGeometryTextures(codex, geom, out);
  return true;
}

bool ExportModelLwo(const IntermediateModel& model, const std::string& folder,
                    const std::string& name) {
  return WriteLwo2(model, folder, name, SaveMaterialPng);
}

}  // namespace brae
