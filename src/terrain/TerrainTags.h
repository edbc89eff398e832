#pragma once
// Reading terrain tags through the Codex: detail maps, media parameters, and the detail map
// step of the dtex add-on.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "collection/Collection.h"
#include "tagstore/AddonBuilder.h"
#include "terrain/DetailMap.h"
#include "terrain/Mesh.h"

namespace brae {

class Codex;
class TagRecord;

std::optional<Mesh> ReadMeshTag(Codex& codex, TagRecord* record);
std::optional<DetailMap> ReadDetailMapTag(Codex& codex, TagRecord* record);
// The media tag's parameters; nothing when the id is 0xFFFFFFFF, not found or unreadable.
std::optional<MediaParameters> ReadMediaParametersTag(Codex& codex, uint32_t media_id);

// The colour-map collection '.256' of the id, loaded whole with its pixels; false (with the
// reason) when the tag is missing or unreadable.
bool ReadColourMapTag(Codex& codex, uint32_t id, Collection* out, std::string* error = nullptr);
// Writes the detail map as the 'dmap' tag of the id (the mesh's colour-map id). When none of
// that id exists, the tag is created with the given name (the colour-map collection's), numbered
// when another local detail map has that file already. False when it cannot be written.
bool SaveDetailMapTag(Codex& codex, const DetailMap& map, uint32_t id,
                      const std::string& name_if_new, std::string* error = nullptr);

// The detail texture ids of the materials (1-127) that a vertex or triangle uses; material 0
// stands for no material and is never counted.
std::vector<uint32_t> UsedDetailTextures(const DetailMap& map);

class DtexDetailMapReader : public DetailMapReader {
 public:
  bool ReadUsedTextures(Codex& codex, TagRecord* detail_map, std::vector<uint32_t>* ids) override;
};

}  // namespace brae
