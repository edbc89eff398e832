#pragma once
// A generated game whose tags refer to one another in every way the formats allow, the
// structure definitions that give two groups tag members, and a reference index over it.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editing/structdefs/StructRegistry.h"
#include "references/ReferenceIndex.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/GameFixture.h"
#include "terrain/DetailMap.h"

namespace brae::test {

// 'mons': flags, a collection, a sequence listed from it, two sounds, a tag of any group and an
// embedded attack naming a projectile. 'soli': four sounds.
constexpr const char* kReferenceDefinitions = R"(<braexmlfile>
  <struct name="atk"><tag name="proj" group="proj"/></struct>
  <struct name="mons">
    <long name="flags"/>
    <tag name="looks" group=".256"/>
    <sequence_index name="idle"/>
    <tag name="sounds" group="soun" count="2"/>
    <tag name="any"/>
    <substruct name="attack" struct="atk"/>
  </struct>
  <structedit struct="mons"><item target="looks"/><item target="idle" tag="looks"/></structedit>
  <struct name="soli"><tag name="sounds" group="soun" count="4"/></struct>
</braexmlfile>)";

inline uint32_t Id(const char (&s)[5]) {
  return FourCC(s);
}
constexpr uint32_t kNone = 0xFFFFFFFFu;

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  StoreBE32(b.data() + at, v);
}

inline std::string Bytes(const std::vector<uint8_t>& b) {
  return std::string(b.begin(), b.end());
}

inline std::string MonsterData(uint32_t looks, int16_t idle, uint32_t sound0, uint32_t sound1,
                               uint32_t any, uint32_t proj) {
  std::vector<uint8_t> b(26, 0);
  PutU32(b, 4, looks);
  StoreBE16(b.data() + 8, uint16_t(idle));
  PutU32(b, 10, sound0);
  PutU32(b, 14, sound1);
  PutU32(b, 18, any);
  PutU32(b, 22, proj);
  return Bytes(b);
}

inline std::string SoundListData(std::vector<uint32_t> sounds) {
  std::vector<uint8_t> b(16, 0xFF);
  for (size_t i = 0; i < sounds.size() && i < 4; ++i) PutU32(b, 4 * i, sounds[i]);
  return Bytes(b);
}

// A mesh header (and nothing more) naming a colour map and a media tag.
inline std::string MeshData(uint32_t colour_map, uint32_t media) {
  std::vector<uint8_t> b(1024, 0);
  PutU32(b, 0, colour_map);
  PutU32(b, 4, media);
  return Bytes(b);
}

// A 2 x 2 detail map: vertices use materials 1 and 2, material 5 names a texture no one uses.
inline std::string DetailMapData(uint32_t texture1, uint32_t texture2, uint32_t unused5) {
  DetailMap map = CreateBlankDetailMap(2, 2);
  map.materials[1].entry.texture = texture1;
  map.materials[2].entry.texture = texture2;
  map.materials[5].entry.texture = unused5;
  map.vertex_details = {1, 0, 0, 0};
  map.triangle_details = {0, 0, 2, 0, 0, 0, 0, 0};
  return Bytes(SerializeDetailMap(map));
}

// A header of the given size with one id at an offset (geometry, collection reference, model).
inline std::string HeaderWithId(size_t size, size_t offset, uint32_t id) {
  std::vector<uint8_t> b(size, 0);
  PutU32(b, offset, id);
  return Bytes(b);
}

inline bool Has(const std::vector<TagReference>& refs, const std::string& path, uint32_t group,
                uint32_t id) {
  return std::any_of(refs.begin(), refs.end(), [&](const TagReference& r) {
    return r.path == path && r.target.group == group && r.target.id == id;
  });
}

inline std::vector<std::string> Sources(const std::vector<TagReference>& refs) {
  std::vector<std::string> out;
  for (const TagReference& r : refs)
    out.push_back(FourCCToString(r.source.group) + " " + FourCCToString(r.source.id) + " " +
                  r.path);
  return out;
}

class ReferenceFixture : public GameFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.AddDefinitionText(kReferenceDefinitions));
    registry_.BuildRegistry();
  }
  void LoadWithIndex() {
    Load();
    index_ = std::make_unique<ReferenceIndex>(codex_, &registry_);
  }
  const std::vector<TagReference>& Refs(const char (&group)[5], const char (&id)[5]) {
    return index_->References({Id(group), Id(id)});
  }
  std::vector<TagReference> Uses(const char (&group)[5], const char (&id)[5]) {
    return index_->Usages({Id(group), Id(id)});
  }
  // Writes a tag's local file through the Codex and lets the poll see it.
  void SaveLocal(const char (&group)[5], const char (&id)[5], const std::string& data) {
    TagRecord* record = codex_.FindOrCreateRecord(Id(group), Id(id));
    TagHeader header;
    codex_.GetEffectiveHeader(record, &header);
    if (!codex_.HasEffectiveInstance(record)) header.SetName(std::string("Saved ") + id);
    FileStream* out = codex_.BeginTagWrite(record, &header);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write(data.data(), data.size()));
    ASSERT_TRUE(codex_.EndTagWrite(record, &header, true));
    codex_.PollLocalFolder(true);
  }

  StructRegistry registry_;
  std::unique_ptr<ReferenceIndex> index_;
};

}  // namespace brae::test
