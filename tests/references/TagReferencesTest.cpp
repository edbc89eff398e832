#include "references/TagReferences.h"

#include <gtest/gtest.h>

#include "references/ReferenceFixture.h"
#include "terrain/ByteSource.h"

namespace brae {
namespace {

using test::Has;
using test::Id;

const TagKey kSource{FourCC("mons"), FourCC("src ")};

std::vector<TagReference> Extract(void (*reader)(ByteSource&, TagKey, std::vector<TagReference>*),
                                  const std::string& data) {
  MemorySource source(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  std::vector<TagReference> refs;
  reader(source, kSource, &refs);
  return refs;
}

TEST(TagReferences, FixedHeadersMustBeWhole) {
  EXPECT_EQ(Extract(ExtractMeshReferences, test::MeshData(Id("terr"), Id("wate"))).size(), 3u);
  EXPECT_TRUE(Extract(ExtractMeshReferences, test::MeshData(1, 2).substr(0, 1023)).empty());
  EXPECT_EQ(Extract(ExtractGeometryReferences, test::HeaderWithId(128, 4, 7)).size(), 1u);
  EXPECT_TRUE(
      Extract(ExtractGeometryReferences, test::HeaderWithId(127, 4, 7).substr(0, 127)).empty());
  EXPECT_TRUE(Extract(ExtractModelReferences, test::HeaderWithId(63, 4, 7).substr(0, 63)).empty());
  EXPECT_TRUE(Extract(ExtractCollectionReferenceReferences, "abc").empty());
  // Ids of 0xFFFFFFFF are no references.
  EXPECT_TRUE(Extract(ExtractModelReferences, test::HeaderWithId(64, 4, 0xFFFFFFFFu)).empty());
}

TEST(TagReferences, StructPlacesFollowTheFormForSequences) {
  StructRegistry registry;
  ASSERT_TRUE(registry.AddDefinitionText(test::kReferenceDefinitions));
  registry.BuildRegistry();
  const StructDefinition* mons = registry.FindStructDefinition("mons");
  ASSERT_TRUE(mons);
  StructReferencePlaces places = FindStructReferencePlaces(&registry, *mons);
  std::vector<std::string> paths;
  for (const MemberPlace& p : places.tags) paths.push_back(p.path);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"looks", "sounds[0]", "sounds[1]", "any", "attack.proj"}));
  ASSERT_EQ(places.sequences.size(), 1u);
  EXPECT_EQ(places.sequences[0].place.path, "idle");
  EXPECT_EQ(places.sequences[0].collection.path, "looks");
  // Without a registry there is no form to follow.
  EXPECT_TRUE(FindStructReferencePlaces(nullptr, *mons).sequences.empty());

  std::string data =
      test::MonsterData(Id("dspr"), -1, Id("a   "), 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
  MemorySource source(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  std::vector<TagReference> refs;
  ExtractStructReferences(source, *mons, places, kSource, &refs);
  ASSERT_EQ(refs.size(), 2u);  // no sequence chosen: only looks and sounds[0]
  EXPECT_TRUE(Has(refs, "looks", Id(".256"), Id("dspr")));
  EXPECT_TRUE(Has(refs, "sounds[0]", Id("soun"), Id("a   ")));
}

}  // namespace
}  // namespace brae
