#pragma once
// The references that a tag's data stores, found by format: tag members of structure-defined
// groups (and the sequence members listed from their collections), a mesh's colour map, detail
// map and media, a detail map's detail textures, a geometry's collection reference, a collection
// reference's collection, a model's geometry and a collection's sequence sounds.
//
// Extraction reads only the bytes that hold ids, each checked against the data that exists, so
// truncated or hostile data yields fewer references, never a fault.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "editing/structdefs/MemberText.h"

namespace brae {

class ByteSource;
class StructDefinition;
class StructRegistry;
struct TagHeader;

// The group of a tag member that names no group: the id may belong to any group.
constexpr uint32_t kAnyGroup = 0xFFFFFFFFu;

struct TagKey {
  uint32_t group = 0;
  uint32_t id = 0;
  bool operator<(const TagKey& o) const { return group != o.group ? group < o.group : id < o.id; }
  bool operator==(const TagKey& o) const { return group == o.group && id == o.id; }
};

struct TagReference {
  TagKey source;
  std::string path;  // the member or field, as "brae-cli get" and "show" name it
  TagKey target;     // target.group may be kAnyGroup
  // A reference that may rightly point nowhere (a mesh's detail map exists only once painted).
  bool optional = false;
};

// The places of a structure that hold references: its tag members' elements, and sequence
// members whose form lists them from a tag member's collection. Built once per definition.
struct StructReferencePlaces {
  std::vector<MemberPlace> tags;
  struct Sequence {
    MemberPlace place;
    MemberPlace collection;  // the tag member the form lists the sequences from
  };
  std::vector<Sequence> sequences;
};
StructReferencePlaces FindStructReferencePlaces(const StructRegistry* registry,
                                                const StructDefinition& definition);

// Reads references from one tag's data. Structure definitions are looked up (and their places
// remembered) in the registry given; none leaves structure-defined groups without references.
class ReferenceExtractor {
 public:
  explicit ReferenceExtractor(const StructRegistry* registry) : registry_(registry) {}

  // Whether tags of the group can hold references at all (the others need not be read).
  bool MayHoldReferences(uint32_t group) const;
  // Forgets what was learnt of the registry's definitions (after the registry changed).
  void ForgetDefinitions() { places_.clear(); }
  // Appends the references of the tag (group and id from the header) to out.
  void Extract(ByteSource& data, const TagHeader& header, std::vector<TagReference>* out);

 private:
  const StructDefinition* StructFor(uint32_t group) const;
  const StructReferencePlaces& PlacesOf(const StructDefinition& definition);

  const StructRegistry* registry_;
  std::map<const StructDefinition*, StructReferencePlaces> places_;
};

// The per-format readers, for tests and the fuzz target.
void ExtractMeshReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out);
void ExtractDetailMapReferences(ByteSource& data, uint16_t version, TagKey source,
                                std::vector<TagReference>* out);
void ExtractGeometryReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out);
void ExtractCollectionReferenceReferences(ByteSource& data, TagKey source,
                                          std::vector<TagReference>* out);
void ExtractModelReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out);
void ExtractCollectionReferences(ByteSource& data, TagKey source, std::vector<TagReference>* out);
void ExtractStructReferences(ByteSource& data, const StructDefinition& definition,
                             const StructReferencePlaces& places, TagKey source,
                             std::vector<TagReference>* out);

}  // namespace brae
