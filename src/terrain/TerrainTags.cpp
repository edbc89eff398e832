#include "terrain/TerrainTags.h"

#include "collection/CollectionFormat.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"

namespace brae {

namespace {

// Reads a tag's data with reader between BeginTagRead and EndTagRead.
template <typename Reader>
auto ReadTag(Codex& codex, TagRecord* record, Reader reader)
    -> decltype(reader(std::declval<FileStream&>(), std::declval<const TagHeader&>())) {
  if (!record) return std::nullopt;
  TagHeader header;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) return std::nullopt;
  auto result = reader(*stream, header);
  codex.EndTagRead(record);
  return result;
}

}  // namespace

std::optional<Mesh> ReadMeshTag(Codex& codex, TagRecord* record) {
  return ReadTag(codex, record, [](FileStream& s, const TagHeader& h) { return ReadMesh(s, h); });
}

std::optional<DetailMap> ReadDetailMapTag(Codex& codex, TagRecord* record) {
  return ReadTag(codex, record,
                 [](FileStream& s, const TagHeader& h) { return ReadDetailMap(s, h); });
}

std::optional<MediaParameters> ReadMediaParametersTag(Codex& codex, uint32_t media_id) {
  if (media_id == kNoSubgroup) return std::nullopt;
  return ReadTag(codex, codex.FindTag(FourCC("medi"), media_id),
                 [](FileStream& s, const TagHeader& h) { return ReadMediaParameters(s, h); });
}

bool ReadColourMapTag(Codex& codex, uint32_t id, Collection* out, std::string* error) {
  TagRecord* record = codex.FindTag(kCollectionGroup, id);
  if (!record) {
    if (error) *error = "no colour-map collection of that id";
    return false;
  }
  TagHeader header;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) {
    if (error) *error = "the colour-map collection cannot be read";
    return false;
  }
  const CollectionResult result =
      stream->Seek(header.offset) ? ReadCollection(*stream, header, CollectionLoadOptions{}, out)
                                  : CollectionResult{};
  codex.EndTagRead(record);
  if (!result && error) *error = result.message.empty() ? "unreadable collection" : result.message;
  return bool(result);
}

bool SaveDetailMapTag(Codex& codex, const DetailMap& map, uint32_t id,
                      const std::string& name_if_new, std::string* error) {
  const uint32_t group = FourCC("dmap");
  TagRecord* record = codex.FindTag(group, id);
  TagHeader header;
  if (record) {
    // The write keeps the tag's name and file: start from its current header.
    codex.GetEffectiveHeader(record, &header);
  } else {
    // A new tag has no copy yet: its header, name and file come from the creation.
    record = codex.CreateTagUnderFreeName(group, id, name_if_new, &header);
    if (!record) {
      if (error) *error = "the detail map tag could not be created";
      return false;
    }
  }
  FileStream* stream = codex.BeginTagWrite(record, &header);
  if (!stream) {
    if (error) *error = "the detail map tag cannot be written";
    return false;
  }
  const size_t written = WriteDetailMap(map, *stream, &header);
  header.size = uint32_t(written);
  const bool ok = codex.EndTagWrite(record, &header, written != 0) && written != 0;
  if (!ok && error) *error = "the detail map tag could not be written";
  return ok;
}

std::vector<uint32_t> UsedDetailTextures(const DetailMap& map) {
  bool used[kDetailMaterialCount] = {};
  for (uint8_t m : map.vertex_details) used[m & 0x7F] |= m < kDetailMaterialCount;
  for (uint8_t m : map.triangle_details) used[m & 0x7F] |= m < kDetailMaterialCount;
  std::vector<uint32_t> ids;
  for (int m = 1; m < kDetailMaterialCount; ++m) {
    const uint32_t id = map.materials[m].entry.texture;
    if (used[m] && id != kNoDetailTexture) ids.push_back(id);
  }
  return ids;
}

bool DtexDetailMapReader::ReadUsedTextures(Codex& codex, TagRecord* detail_map,
                                           std::vector<uint32_t>* ids) {
  std::optional<DetailMap> map = ReadDetailMapTag(codex, detail_map);
  if (!map) return false;
  *ids = UsedDetailTextures(*map);
  return true;
}

}  // namespace brae
