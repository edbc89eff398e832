// The demo game's structure-defined tags against the definitions shipped beside them.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FourCC.h"

namespace brae {
namespace {

class DemoStructs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.AddDefinitionText(demo::DemoDefinitionText()));
    registry.BuildRegistry();
  }
  StructRegistry registry;
};

TEST_F(DemoStructs, EveryTagRoundTripsByteForByte) {
  const auto tags = demo::DemoStructTags();
  ASSERT_FALSE(tags.empty());
  for (const auto& tag : tags) {
    SCOPED_TRACE(tag.name);
    const StructDefinition* def = registry.DefinitionForGroup(tag.group);
    ASSERT_TRUE(def);
    ASSERT_EQ(def->Size(), tag.data.size());
    ASSERT_TRUE(registry.FindFormDefinition(def->name));
    std::vector<uint8_t> record(def->Size()), back(def->Size());
    ConvertFromFile(tag.data.data(), record.data(), 1, def->FieldDescription());
    ConvertToFile(record.data(), back.data(), 1, def->FieldDescription());
    EXPECT_EQ(back, tag.data);
  }
}

TEST_F(DemoStructs, MembersReadAsDefined) {
  const StructDefinition* arti = registry.DefinitionForGroup(FourCC("arti"));
  ASSERT_TRUE(arti);
  const auto tags = demo::DemoStructTags();
  std::vector<uint8_t> record(arti->Size());
  ConvertFromFile(tags[0].data.data(), record.data(), 1, arti->FieldDescription());
  EXPECT_EQ(ShowMember(*arti, *arti->FindMember("facing"), record.data(), 0), "90");
  EXPECT_EQ(ShowMember(*arti, *arti->FindMember("max_level"), record.data(), 0), "8.000");
  const StructMember* effects = arti->FindMember("effects");
  ASSERT_TRUE(effects);
  EXPECT_EQ(effects->runtime_count, "effect_count");
  const auto* sub = static_cast<const VornStructMember*>(effects);
  ASSERT_TRUE(sub->embedded);
  const StructMember* strength = sub->embedded->FindMember("strength");
  const uint8_t* second = record.data() + effects->offset + effects->ElementSize();
  EXPECT_EQ(ReadInteger(*strength, second, sub->embedded->Size(), 0), -4);
  // The 'arti', 'mons', 'ligh' and 'wind' groups are bound; the embedded structures are not
  // groups.
  EXPECT_EQ(registry.BoundGroups().size(), 4u);
}

}  // namespace
}  // namespace brae
