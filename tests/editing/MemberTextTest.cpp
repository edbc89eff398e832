// Member paths and member values as typed and shown: every member type, the conversions and
// their edge cases, refusals, and the sequences reset by a changed tag.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/FourCC.h"

namespace brae {
namespace {

constexpr const char* kDefinitions = R"(<braexmlfile>
  <struct name="hit">
    <short_enum name="kind"><member text="None" value="0"/><member text="Burn" value="2"/></short_enum>
    <short name="strength"/>
  </struct>
  <struct name="mons">
    <long name="flags"/>
    <tag name="looks" group=".256"/>
    <sequence_index name="idle"/>
    <sequence_index name="walk" count="2"/>
    <short_world name="radius"/>
    <angle name="facing"/>
    <byte name="low"/>
    <byte name="high" lower_bound="low"/>
    <byte_enum name="rarity"><member text="Common" value="0"/><member text="Rare" value="1"/></byte_enum>
    <short_fixed_fraction name="chance"/>
    <padding count="2"/>
    <short name="hit_count"/>
    <substruct name="hits" struct="hit" count="3" runtime_count="hit_count"/>
    <tag name="any"/>
    <color name="tint"/>
  </struct>
  <structedit struct="mons">
    <item target="looks"/>
    <frame text="Moves"><item target="idle" tag="looks"/><item target="walk" index="1" tag="looks"/></frame>
  </structedit>
</braexmlfile>)";

// Tags by group: (group, id) → name.
class FakeTags : public TagNames {
 public:
  bool NameOf(int64_t group, uint32_t id, std::string* name) const override {
    for (const auto& [key, n] : tags)
      if ((group < 0 || key.first == group) && key.second == id) return *name = n, true;
    return false;
  }
  std::vector<uint32_t> IdsNamed(int64_t group, const std::string& name) const override {
    std::vector<uint32_t> ids;
    for (const auto& [key, n] : tags)
      if ((group < 0 || key.first == group) && n == name) ids.push_back(key.second);
    return ids;
  }
  std::map<std::pair<int64_t, uint32_t>, std::string> tags = {
      {{FourCC(".256"), FourCC("gobl")}, "Goblin Sprites"},
      {{FourCC(".256"), FourCC("orcs")}, "Orc Sprites"},
      {{FourCC(".256"), FourCC("twin")}, "Twin"},
      {{FourCC(".256"), FourCC("twi2")}, "Twin"},
      {{FourCC("soun"), FourCC("horn")}, "Horn"},
  };
};

class MemberText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.AddDefinitionText(kDefinitions));
    registry.BuildRegistry();
    def = registry.FindStructDefinition("mons");
    ASSERT_TRUE(def);
    record.assign(def->Size(), 0);
  }
  MemberPlace Place(const std::string& path) {
    MemberPlace place;
    std::string error;
    EXPECT_TRUE(ResolveMemberPath(*def, path, &place, &error)) << error;
    return place;
  }
  std::string Refusal(const std::string& path) {
    MemberPlace place;
    std::string error;
    EXPECT_FALSE(ResolveMemberPath(*def, path, &place, &error)) << path;
    return error;
  }
  // Types a value as into the form; returns "" or the refusal.
  std::string Type(const std::string& path, const std::string& text) {
    MemberPlace place = Place(path);
    int64_t stored = 0;
    std::string error;
    if (!ParseMemberValue(place, text, record.data(), record.size(), &tags, &stored, &error))
      return error;
    EXPECT_TRUE(StoreMemberValue(place, stored, record.data(), record.size()));
    return "";
  }
  std::string Shown(const std::string& path) {
    return FormatMemberValue(Place(path), record.data(), record.size(), &tags);
  }
  int32_t Stored(const std::string& path) {
    MemberPlace p = Place(path);
    return ReadInteger(*p.member, record.data() + p.base, p.structure->Size(), p.index);
  }

  StructRegistry registry;
  const StructDefinition* def = nullptr;
  std::vector<uint8_t> record;
  FakeTags tags;
};

TEST_F(MemberText, PathsNameElementsBitsAndEmbeddedMembers) {
  MemberPlace hit = Place("hits[2].strength");
  EXPECT_EQ(hit.structure->name, "hit");
  EXPECT_EQ(hit.base, def->FindMember("hits")->offset + 2 * 4);
  EXPECT_EQ(hit.member->offset, 2u);
  EXPECT_EQ(Place("walk[1]").index, 1);
  EXPECT_EQ(Place("walk").index, 0);  // an array without an index: its first element
  EXPECT_EQ(Place("flags.bit31").bit, 31);
  EXPECT_EQ(Place("low.bit7").bit, 7);

  EXPECT_EQ(Refusal("speed"), "'speed': no member 'speed' in 'mons'");
  EXPECT_EQ(Refusal("walk[2]"), "'walk[2]': index outside 0..1");
  EXPECT_EQ(Refusal("hits[3].kind"), "'hits[3].kind': index outside 0..2");
  EXPECT_EQ(Refusal("hits[0].speed"), "'hits[0].speed': no member 'speed' in 'hit'");
  EXPECT_NE(Refusal("hits").find("is a structure"), std::string::npos);
  EXPECT_EQ(Refusal("low.bit8"), "'low.bit8': bit outside 0..7");
  EXPECT_EQ(Refusal("radius.bit1"), "'radius.bit1': 'radius' holds no bits");
  EXPECT_EQ(Refusal("flags.mask"), "'flags.mask': 'flags' has no members");
  for (const char* bad : {"walk[", "walk[x]", "walk]", "[1]", "", "hits[0].", ".flags"})
    EXPECT_FALSE(Refusal(bad).empty()) << bad;
}

TEST_F(MemberText, ListingCoversEveryValueInMemberOrder) {
  std::vector<MemberPlace> places = ListMemberPlaces(*def);
  std::vector<std::string> paths;
  for (const MemberPlace& p : places) paths.push_back(p.path);
  const std::vector<std::string> expected = {"flags",        "looks",
                                             "idle",         "walk[0]",
                                             "walk[1]",      "radius",
                                             "facing",       "low",
                                             "high",         "rarity",
                                             "chance",       "hit_count",
                                             "hits[0].kind", "hits[0].strength",
                                             "hits[1].kind", "hits[1].strength",
                                             "hits[2].kind", "hits[2].strength",
                                             "any",          "tint[0]",
                                             "tint[1]",      "tint[2]",
                                             "tint[3]"};
  EXPECT_EQ(paths, expected);
}

TEST_F(MemberText, NumbersAreConvertedRoundedAndClamped) {
  EXPECT_EQ(Type("radius", "2.0011"), "");
  EXPECT_EQ(Stored("radius"), 1025);
  EXPECT_EQ(Shown("radius"), "2.002");
  EXPECT_EQ(Type("facing", "90.004"), "");
  EXPECT_EQ(Stored("facing"), 16385);
  EXPECT_EQ(Shown("facing"), "90");
  EXPECT_EQ(Type("chance", "-1"), "");
  EXPECT_EQ(Stored("chance"), 0);
  EXPECT_EQ(Type("chance", "0.5"), "");
  EXPECT_EQ(Shown("chance"), "0.500");
  EXPECT_EQ(Type("radius", "1e9"), "");
  EXPECT_EQ(Stored("radius"), 32767);  // clamped to the member's width
  for (const char* bad : {"", "fast", "1.5x", "nan", "inf", "--1"})
    EXPECT_EQ(Type("radius", bad), std::string("'radius': expected a number, not '") + bad + "'");
}

TEST_F(MemberText, IntegersTakeTheLowerBoundAndBits) {
  EXPECT_EQ(Type("low", "3"), "");
  EXPECT_EQ(Type("high", "8"), "");
  EXPECT_EQ(Stored("high"), 5);  // shown 8 = stored 5 + the lower bound 3
  EXPECT_EQ(Shown("high"), "8");
  EXPECT_EQ(Type("low.bit3", "true"), "");  // 3 | 8
  EXPECT_EQ(Stored("low"), 11);
  EXPECT_EQ(Shown("high"), "16");
  EXPECT_EQ(Shown("low.bit3"), "true");
  EXPECT_EQ(Type("low.bit3", "off"), "");
  EXPECT_EQ(Stored("low"), 3);
  EXPECT_EQ(Type("flags.bit3", "1"), "");  // bit 3 over 0 gives 8
  EXPECT_EQ(Stored("flags"), 8);
  EXPECT_EQ(Type("flags.bit31", "yes"), "");
  EXPECT_EQ(Stored("flags"), int32_t(0x80000008u));
  EXPECT_EQ(Type("flags.bit0", "maybe"), "'flags.bit0': expected true or false, not 'maybe'");
  EXPECT_EQ(Type("hits[1].strength", "-40"), "");
  EXPECT_EQ(Shown("hits[1].strength"), "-40");
  EXPECT_EQ(Shown("hits[0].strength"), "0");
  EXPECT_EQ(Type("low", "1.5"), "'low': expected a whole number, not '1.5'");
  EXPECT_EQ(Type("low", "99999999999"), "'low': expected a whole number, not '99999999999'");
  EXPECT_EQ(Type("tint[2]", "65280"), "");
  EXPECT_EQ(Shown("tint[2]"), "65280");
}

TEST_F(MemberText, EnumerationsByTextOrValue) {
  EXPECT_EQ(Shown("rarity"), "Common");
  EXPECT_EQ(Type("rarity", "Rare"), "");
  EXPECT_EQ(Stored("rarity"), 1);
  EXPECT_EQ(Type("rarity", "common"), "");  // any case
  EXPECT_EQ(Stored("rarity"), 0);
  EXPECT_EQ(Type("rarity", "1"), "");
  EXPECT_EQ(Shown("rarity"), "Rare");
  EXPECT_EQ(Type("rarity", "Legendary"), "'rarity': 'Legendary' is none of: Common, Rare");
  EXPECT_EQ(Type("rarity", "7"), "'rarity': '7' is none of: Common, Rare");
  EXPECT_EQ(Type("hits[2].kind", "Burn"), "");
  EXPECT_EQ(Shown("hits[2].kind"), "Burn");
  // A stored -1 with no -1 choice shows as the value 0.
  EXPECT_TRUE(StoreMemberValue(Place("rarity"), -1, record.data(), record.size()));
  EXPECT_EQ(Shown("rarity"), "Common");
  EXPECT_TRUE(StoreMemberValue(Place("rarity"), 5, record.data(), record.size()));
  EXPECT_EQ(Shown("rarity"), "5");
}

TEST_F(MemberText, TagsByNameIdOrNone) {
  EXPECT_EQ(Type("looks", "Orc Sprites"), "");
  EXPECT_EQ(uint32_t(Stored("looks")), FourCC("orcs"));
  EXPECT_EQ(Shown("looks"), "Orc Sprites (orcs)");
  EXPECT_EQ(Type("looks", "gobl"), "");
  EXPECT_EQ(Shown("looks"), "Goblin Sprites (gobl)");
  EXPECT_EQ(Type("looks", "Orc Sprites (orcs)"), "");  // as shown
  EXPECT_EQ(uint32_t(Stored("looks")), FourCC("orcs"));
  EXPECT_EQ(Type("looks", "0x676F626C"), "");
  EXPECT_EQ(uint32_t(Stored("looks")), FourCC("gobl"));
  EXPECT_EQ(Type("looks", "none"), "");
  EXPECT_EQ(Stored("looks"), -1);
  EXPECT_EQ(Shown("looks"), "none");
  EXPECT_EQ(Type("looks", "Horn"), "'looks': no tag named 'Horn' of group '.256'");
  EXPECT_EQ(Type("looks", "horn"), "'looks': no tag named 'horn' of group '.256'");
  EXPECT_EQ(Type("looks", "Twin"), "'looks': 2 tags are named 'Twin'; give its id");
  EXPECT_EQ(Type("looks", "Horn (horn)"), "'looks': no tag 'horn' of group '.256'");
  EXPECT_EQ(Type("any", "Horn"), "");  // a member without a group takes any tag
  EXPECT_EQ(Shown("any"), "Horn (horn)");
}

TEST_F(MemberText, SequencesByIndexAndTheResetByTheirTag) {
  EXPECT_EQ(Type("idle", "3"), "");
  EXPECT_EQ(Type("walk[1]", "4"), "");
  EXPECT_EQ(Type("walk[0]", "5"), "");
  EXPECT_EQ(Type("idle", "-2"), "'idle': expected a sequence number or none, not '-2'");
  EXPECT_EQ(Shown("walk[1]"), "4");
  // The form lists "idle" and element 1 of "walk" from the collection in "looks".
  EXPECT_EQ(ResetDependentSequences(registry, *def, "looks", record.data(), record.size()), 2);
  EXPECT_EQ(Shown("idle"), "none");
  EXPECT_EQ(Shown("walk[1]"), "none");
  EXPECT_EQ(Shown("walk[0]"), "5");  // no item lists it from that tag
  EXPECT_EQ(ResetDependentSequences(registry, *def, "any", record.data(), record.size()), 0);
}

TEST_F(MemberText, PaddingAndShortRecordsTakeNothing) {
  MemberPlace place = Place("hits[2].kind");
  int64_t stored = 0;
  std::string error;
  std::vector<uint8_t> short_record(place.base + 1);  // ends inside the element's structure
  EXPECT_FALSE(ParseMemberValue(place, "Burn", short_record.data(), short_record.size(), &tags,
                                &stored, &error));
  EXPECT_FALSE(StoreMemberValue(place, 2, short_record.data(), short_record.size()));
  EXPECT_EQ(FormatMemberValue(place, short_record.data(), short_record.size(), &tags), "");
  EXPECT_EQ(Refusal("padding"), "'padding': no member 'padding' in 'mons'");  // unnamed
}

}  // namespace
}  // namespace brae
