#include "references/TagReferences.h"

#include <tinyxml2.h>

#include <cstring>
#include <optional>

#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/FieldLayout.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"

namespace brae {

namespace {

constexpr uint32_t kCollectionGroup = FourCC(".256");
constexpr uint32_t kMeshGroup = FourCC("mesh");
constexpr uint32_t kDetailMapGroup = FourCC("dmap");
constexpr uint32_t kDetailTextureGroup = FourCC("dtex");
constexpr uint32_t kGeometryGroup = FourCC("geom");
constexpr uint32_t kCoreGroup = FourCC("core");
constexpr uint32_t kModelGroup = FourCC("mode");
constexpr uint32_t kMediaGroup = FourCC("medi");
constexpr uint32_t kSoundGroup = FourCC("soun");

// Sizes of the fixed headers that must be whole before a tag counts as its format.
constexpr uint64_t kMeshHeaderBytes = 1024;
constexpr uint64_t kGeometryHeaderBytes = 128;
constexpr uint64_t kModelHeaderBytes = 64;
constexpr uint64_t kCollectionHeaderBytes = 320;
constexpr uint64_t kSequenceRecordBytes = 128;
constexpr uint64_t kSequenceHeaderBytes = 64;

bool ReadU32(ByteSource& data, uint64_t position, uint32_t* value) {
  uint8_t b[4];
  if (!data.ReadAt(position, b, 4)) return false;
  *value = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  return true;
}

void Add(std::vector<TagReference>* out, TagKey source, std::string path, uint32_t group,
         uint32_t id, bool optional = false) {
  if (id == kNoSubgroup) return;
  out->push_back({source, std::move(path), {group, id}, optional});
}

// One id field of a fixed header, when the header is whole.
void AddHeaderField(ByteSource& data, uint64_t header_bytes, uint64_t offset, TagKey source,
                    const char* path, uint32_t group, std::vector<TagReference>* out) {
  uint32_t id = 0;
  if (data.Has(0, header_bytes) && ReadU32(data, offset, &id)) Add(out, source, path, group, id);
}

bool IsFormatGroup(uint32_t group) {
  switch (group) {
    case kCollectionGroup:
    case kMeshGroup:
    case kDetailMapGroup:
    case kGeometryGroup:
    case kCoreGroup:
    case kModelGroup:
      return true;
    default:
      return false;
  }
}

std::string ElementPath(const StructMember& member, int index) {
  return member.count == 1 ? member.name : member.name + "[" + std::to_string(index) + "]";
}

void CollectSequenceItems(const tinyxml2::XMLElement& container, const StructDefinition& root,
                          StructReferencePlaces* out) {
  for (const tinyxml2::XMLElement* e = container.FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    if (std::strcmp(e->Name(), "item") != 0) {
      CollectSequenceItems(*e, root, out);
      continue;
    }
    const char* tag = e->Attribute("tag");
    const char* target = e->Attribute("target");
    if (!tag || !target) continue;
    const StructMember* sequence = root.FindMember(target);
    const StructMember* collection = root.FindMember(tag);
    if (!sequence || sequence->type != kMemberSequenceIndex) continue;
    if (!collection || collection->type != kMemberTag) continue;
    const int index = e->IntAttribute("index", 0);
    if (index < 0 || index >= sequence->count) continue;
    StructReferencePlaces::Sequence item;
    std::string error;
    if (!ResolveMemberPath(root, ElementPath(*sequence, index), &item.place, &error)) continue;
    if (!ResolveMemberPath(root, ElementPath(*collection, 0), &item.collection, &error)) continue;
    out->sequences.push_back(item);
  }
}

// The id stored at a place of a record in memory order, or none.
uint32_t IdAt(const MemberPlace& place, const std::vector<uint8_t>& record) {
  if (place.base > record.size()) return kNoSubgroup;
  const size_t size = place.structure->Size();
  if (size > record.size() - place.base) return kNoSubgroup;
  return uint32_t(ReadInteger(*place.member, record.data() + place.base, size, place.index));
}

}  // namespace

StructReferencePlaces FindStructReferencePlaces(const StructRegistry* registry,
                                                const StructDefinition& definition) {
  StructReferencePlaces places;
  for (const MemberPlace& p : ListMemberPlaces(definition))
    if (p.member->type == kMemberTag && p.bit < 0) places.tags.push_back(p);
  if (registry) {
    if (const tinyxml2::XMLElement* form = registry->FindFormDefinition(definition.name))
      CollectSequenceItems(*form, definition, &places);
  }
  return places;
}

void ExtractMeshReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out) {
  uint32_t colour_map = 0, media = 0;
  if (!data.Has(0, kMeshHeaderBytes)) return;
  if (!ReadU32(data, 0, &colour_map) || !ReadU32(data, 4, &media)) return;
  Add(out, source, "colour_map", kCollectionGroup, colour_map);
  // The detail map shares the colour map's id; a mesh without one is simply not painted yet.
  Add(out, source, "detail_map", kDetailMapGroup, colour_map, true);
  Add(out, source, "media", kMediaGroup, media);
}

void ExtractDetailMapReferences(ByteSource& data, uint16_t version, TagKey source,
                                std::vector<TagReference>* out) {
  std::optional<DetailMap> map = ReadDetailMap(data, version);
  if (!map) return;
  // Only materials that a vertex or triangle uses count, as for the dtex add-on; material 0
  // stands for no material.
  bool used[kDetailMaterialCount] = {};
  for (uint8_t m : map->vertex_details) used[m & 0x7F] |= m < kDetailMaterialCount;
  for (uint8_t m : map->triangle_details) used[m & 0x7F] |= m < kDetailMaterialCount;
  for (int m = 1; m < kDetailMaterialCount; ++m) {
    if (!used[m]) continue;
    Add(out, source, "materials[" + std::to_string(m) + "].texture", kDetailTextureGroup,
        map->materials[m].entry.texture);
  }
}

void ExtractGeometryReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out) {
  AddHeaderField(data, kGeometryHeaderBytes, 4, source, "collection_reference", kCoreGroup, out);
}

void ExtractCollectionReferenceReferences(ByteSource& data, TagKey source,
                                          std::vector<TagReference>* out) {
  AddHeaderField(data, 4, 0, source, "collection", kCollectionGroup, out);
}

void ExtractModelReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out) {
  AddHeaderField(data, kModelHeaderBytes, 4, source, "geometry", kGeometryGroup, out);
}

void ExtractCollectionReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out) {
  uint32_t count = 0, table = 0, base = 0;
  if (!data.Has(0, kCollectionHeaderBytes)) return;
  if (!ReadU32(data, 128, &count) || !ReadU32(data, 132, &table) || !ReadU32(data, 248, &base))
    return;
  const uint64_t table_start = uint64_t(base) + table;
  // Only as many records as the data can hold are looked at.
  if (!data.Has(table_start, uint64_t(count) * kSequenceRecordBytes)) return;
  static const char* const kSounds[] = {"first_sound", "key_sound", "last_sound"};
  for (uint32_t s = 0; s < count; ++s) {
    uint32_t block = 0;
    if (!ReadU32(data, table_start + s * kSequenceRecordBytes + 64, &block)) return;
    const uint64_t start = uint64_t(base) + block;
    if (!data.Has(start, kSequenceHeaderBytes)) continue;
    for (int k = 0; k < 3; ++k) {
      uint32_t id = 0;
      if (ReadU32(data, start + 24 + 4 * k, &id))
        Add(out, source, "sequences[" + std::to_string(s) + "]." + kSounds[k], kSoundGroup, id);
    }
  }
}

void ExtractStructReferences(ByteSource& data, const StructDefinition& definition,
                             const StructReferencePlaces& places, TagKey source,
                             std::vector<TagReference>* out) {
  const size_t size = definition.Size();
  if (size == 0 || size > kMaxStructSize || !data.Has(0, size)) return;
  std::vector<uint8_t> file(size), record(size);
  if (!data.ReadAt(0, file.data(), size)) return;
  ConvertFromFile(file.data(), record.data(), 1, definition.FieldDescription());
  for (const MemberPlace& p : places.tags) {
    const auto& member = static_cast<const TagMember&>(*p.member);
    Add(out, source, p.path, member.HasGroup() ? uint32_t(member.group) : kAnyGroup,
        IdAt(p, record));
  }
  for (const auto& item : places.sequences) {
    if (int32_t(IdAt(item.place, record)) == -1) continue;
    // The sequences come from the collection the tag member names, or from the collection
    // that a 'core' tag member's reference names.
    const auto& member = static_cast<const TagMember&>(*item.collection.member);
    const uint32_t group = member.group == kCoreGroup ? kCoreGroup : kCollectionGroup;
    Add(out, source, item.place.path, group, IdAt(item.collection, record));
  }
}

bool ReferenceExtractor::MayHoldReferences(uint32_t group) const {
  if (const StructDefinition* def = StructFor(group)) {
    auto found = places_.find(def);
    if (found != places_.end()) return !found->second.tags.empty();
    return true;  // not looked at yet
  }
  return IsFormatGroup(group);
}

const StructDefinition* ReferenceExtractor::StructFor(uint32_t group) const {
  if (!registry_) return nullptr;
  // Groups with their own editor keep their own format.
  const TagGroup* row = FindTagGroup(group);
  if (row && *row->dedicated_editor) return nullptr;
  return registry_->DefinitionForGroup(group);
}

const StructReferencePlaces& ReferenceExtractor::PlacesOf(const StructDefinition& definition) {
  auto found = places_.find(&definition);
  if (found == places_.end())
    found = places_.emplace(&definition, FindStructReferencePlaces(registry_, definition)).first;
  return found->second;
}

void ReferenceExtractor::Extract(ByteSource& data, const TagHeader& header,
                                 std::vector<TagReference>* out) {
  const TagKey source{header.group, header.subgroup};
  if (const StructDefinition* def = StructFor(header.group)) {
    ExtractStructReferences(data, *def, PlacesOf(*def), source, out);
    return;
  }
  switch (header.group) {
    case kCollectionGroup:
      return ExtractCollectionReferences(data, source, out);
    case kMeshGroup:
      return ExtractMeshReferences(data, source, out);
    case kDetailMapGroup:
      return ExtractDetailMapReferences(data, header.version, source, out);
    case kGeometryGroup:
      return ExtractGeometryReferences(data, source, out);
    case kCoreGroup:
      return ExtractCollectionReferenceReferences(data, source, out);
    case kModelGroup:
      return ExtractModelReferences(data, source, out);
    default:
      return;
  }
}

}  // namespace brae
