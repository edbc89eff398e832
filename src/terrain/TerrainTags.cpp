#include "terrain/TerrainTags.h"

#include "tagstore/Codex.h"

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
