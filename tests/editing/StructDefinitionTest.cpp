#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstring>

#include "TempDir.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/FourCC.h"

namespace brae {
namespace {

// A registry built from one document.
struct Defs {
  explicit Defs(const std::string& body) {
    EXPECT_TRUE(registry.AddDefinitionText("<braexmlfile>" + body + "</braexmlfile>"));
    registry.BuildRegistry();
  }
  const StructDefinition& Get(const char* name) {
    const StructDefinition* d = registry.FindStructDefinition(name);
    EXPECT_TRUE(d) << name;
    static StructDefinition none;
    return d ? *d : none;
  }
  StructRegistry registry;
};

// ---- Layout

TEST(StructDefinition, MembersFollowEachOther) {
  Defs defs(R"(<struct name="rec"><long name="a"/><short name="b"/><byte name="c"/>
               <padding count="3"/></struct>)");
  const StructDefinition& d = defs.Get("rec");
  ASSERT_EQ(d.members.size(), 4u);
  EXPECT_EQ(d.Size(), 10u);
  EXPECT_EQ(d.members[0]->offset, 0u);
  EXPECT_EQ(d.members[1]->offset, 4u);
  EXPECT_EQ(d.members[2]->offset, 6u);
  EXPECT_EQ(d.members[3]->offset, 7u);
  EXPECT_EQ(d.FindMember("c"), d.members[2].get());
  EXPECT_EQ(d.FindMember("C"), nullptr);  // case-sensitive
}

TEST(StructDefinition, ColourIsAlwaysFourShorts) {
  Defs defs(
      R"(<struct name="c"><color name="tint" count="1"/><color name="two" count="9"/></struct>)");
  EXPECT_EQ(defs.Get("c").Size(), 16u);
  EXPECT_EQ(defs.Get("c").members[1]->offset, 8u);
}

TEST(StructDefinition, UnknownElementsAreLeftOut) {
  Defs defs(R"(<struct name="u"><long name="a"/><quaternion name="q"/><short name="b"/></struct>
               <struct><long name="nameless"/></struct>)");
  const StructDefinition& d = defs.Get("u");
  ASSERT_EQ(d.members.size(), 2u);
  EXPECT_EQ(d.FindMember("b")->offset, 4u);
  EXPECT_EQ(defs.registry.Definitions().size(), 1u);
}

TEST(StructDefinition, EnumChoicesStopAtTheFirstIncompleteOne) {
  Defs defs(R"(<struct name="e"><short_enum name="kind">
                 <member text="Walker" value="0"/><member text="Flyer" value="2"/>
                 <member text="Broken"/><member text="Late" value="9"/>
               </short_enum><byte_enum name="b"/></struct>)");
  const auto* m = dynamic_cast<const EnumMember*>(defs.Get("e").FindMember("kind"));
  ASSERT_TRUE(m);
  ASSERT_EQ(m->choices.size(), 2u);
  EXPECT_EQ(m->choices[1].text, "Flyer");
  EXPECT_EQ(m->choices[1].value, 2);
  EXPECT_EQ(defs.Get("e").Size(), 3u);
}

TEST(StructDefinition, TagMembersHaveAGroupOnlyWithFourCharacters) {
  Defs defs(R"(<struct name="t"><tag name="a" group="unit"/><tag name="b" group="uni"/>
               <tag name="c"/></struct>)");
  const auto& d = defs.Get("t");
  EXPECT_EQ(static_cast<const TagMember*>(d.FindMember("a"))->group, int64_t(FourCC("unit")));
  EXPECT_FALSE(static_cast<const TagMember*>(d.FindMember("b"))->HasGroup());
  EXPECT_FALSE(static_cast<const TagMember*>(d.FindMember("c"))->HasGroup());
}

TEST(StructDefinition, SubstructsEmbedNamedDefinitions) {
  // "outer" refers to "point" before it is defined; "loop" embeds itself; "lost" names nothing.
  Defs defs(R"(<struct name="outer"><short name="n"/><substruct name="p" struct="point" count="3"/>
                 <substruct name="gone" struct="nothing"/><byte name="last"/></struct>
               <struct name="point"><long name="x"/><long name="y"/></struct>
               <struct name="loop"><byte name="a"/><substruct name="self" struct="loop"/></struct>)");
  const StructDefinition& outer = defs.Get("outer");
  EXPECT_EQ(outer.Size(), 2u + 3 * 8 + 1);
  EXPECT_EQ(outer.FindMember("gone"), nullptr);
  EXPECT_EQ(outer.FindMember("last")->offset, 26u);
  EXPECT_EQ(defs.Get("loop").Size(), 1u);
}

TEST(StructDefinition, FieldDescriptionConvertsBigEndianRecords) {
  Defs defs(R"(<struct name="point"><short name="x"/><short name="y"/></struct>
               <struct name="r"><long name="a"/><padding count="2"/><substruct name="p" struct="point" count="2"/>
                 <byte name="b"/><tag name="t"/></struct>)");
  const StructDefinition& d = defs.Get("r");
  const FieldLayout& layout = d.FieldDescription();
  // size; a; padding; 2 nested points (size 4, x, y); b; t.
  const std::vector<uint16_t> expected = {19, 1, 2, 2, 4, 2, 16, 4, 1, 1, 1, 1, 1, 0, 1, 2};
  EXPECT_EQ(layout.words, expected);
  const uint8_t file[19] = {0, 0, 1, 2, 0xAA, 0xBB, 0,   1,   0xFF, 0xFE,
                            0, 3, 0, 4, 0x80, 'u',  'n', 'i', 't'};
  std::vector<uint8_t> record(d.Size());
  ConvertFromFile(file, record.data(), 1, layout);
  EXPECT_EQ(ReadInteger(*d.FindMember("a"), record.data(), record.size(), 0), 258);
  EXPECT_EQ(record[4], 0);  // padding is zeroed
  const StructMember& p = *d.FindMember("p");
  EXPECT_EQ(p.offset, 6u);
  EXPECT_EQ(ReadInteger(*d.FindMember("b"), record.data(), record.size(), 0), -128);
  EXPECT_EQ(uint32_t(ReadInteger(*d.FindMember("t"), record.data(), record.size(), 0)),
            FourCC("unit"));
  int16_t y0;
  std::memcpy(&y0, record.data() + 8, 2);
  EXPECT_EQ(y0, -2);
}

// ---- Values

TEST(StructValues, DisplayAndEntryConversions) {
  Defs defs(R"(<struct name="v"><short_world name="w"/><angle name="a"/><byte name="b"/>
               <short_fixed_fraction name="f"/><long_time name="t"/><fixed_fraction name="ff"/>
               <angular_velocity name="av"/></struct>)");
  const StructDefinition& d = defs.Get("v");
  const StructMember& w = *d.FindMember("w");
  EXPECT_EQ(DisplayText(w, 1024, 0), "2.000");
  EXPECT_EQ(EntryValue(w, 2.0011, 0), 1025);
  const StructMember& a = *d.FindMember("a");
  EXPECT_EQ(DisplayText(a, 16384, 0), "90");
  EXPECT_EQ(EntryValue(a, 90.004, 0), 16385);
  EXPECT_EQ(DisplayText(a, -16384, 0), "-90");
  EXPECT_EQ(EntryValue(*d.FindMember("b"), 300, 0), 127);
  EXPECT_EQ(EntryValue(*d.FindMember("b"), -300, 0), -128);
  EXPECT_EQ(EntryValue(*d.FindMember("f"), -1, 0), 0);
  EXPECT_EQ(EntryValue(*d.FindMember("f"), 1.5, 0), 255);
  EXPECT_EQ(DisplayText(*d.FindMember("t"), 45, 0), "1.500");
  EXPECT_EQ(EntryValue(*d.FindMember("t"), 1e12, 0), 2147483647);
  EXPECT_EQ(DisplayText(*d.FindMember("av"), 2, 0), "0");
  EXPECT_EQ(DisplayText(*d.FindMember("av"), 4, 0), "1");  // 0.659 rounds up

  // The fraction types read unsigned; the others sign-extend.
  std::vector<uint8_t> record(d.Size(), 0xFF);
  EXPECT_EQ(ReadStoredValue(*d.FindMember("ff"), record.data(), record.size(), 0), 65535);
  EXPECT_EQ(ReadStoredValue(w, record.data(), record.size(), 0), -1);
  EXPECT_EQ(ShowMember(d, *d.FindMember("f"), record.data(), 0), "0.996");
}

TEST(StructValues, LowerBoundsShiftShownValues) {
  Defs defs(R"(<struct name="r"><byte name="min"/><byte name="max" lower_bound="min"/></struct>)");
  const StructDefinition& d = defs.Get("r");
  std::vector<uint8_t> record(d.Size(), 0);
  const StructMember& max = *d.FindMember("max");
  WriteInteger(*d.FindMember("min"), record.data(), record.size(), 0, 100);
  ASSERT_TRUE(EnterMember(d, max, record.data(), 0, 120));
  EXPECT_EQ(ReadInteger(max, record.data(), record.size(), 0), 20);
  EXPECT_EQ(ShowMember(d, max, record.data(), 0), "120.000");
  // Entering 200 stores 100, which a byte holds, and shows 200 again.
  ASSERT_TRUE(EnterMember(d, max, record.data(), 0, 200));
  EXPECT_EQ(ShowMember(d, max, record.data(), 0), "200.000");
}

TEST(StructValues, ElementsOutsideTheMemberAreNotTouched) {
  Defs defs(R"(<struct name="r"><short name="s" count="2"/><byte name="after"/></struct>)");
  const StructDefinition& d = defs.Get("r");
  std::vector<uint8_t> record(d.Size(), 0);
  const StructMember& s = *d.FindMember("s");
  EXPECT_TRUE(WriteInteger(s, record.data(), record.size(), 1, 0x12345));
  EXPECT_EQ(ReadInteger(s, record.data(), record.size(), 1), 0x2345);  // truncated to 16 bits
  EXPECT_FALSE(WriteInteger(s, record.data(), record.size(), 2, 7));
  EXPECT_FALSE(WriteInteger(s, record.data(), record.size(), -1, 7));
  EXPECT_EQ(record[4], 0);
  EXPECT_EQ(ReadInteger(s, record.data(), 2, 1), 0);  // a record too short to hold it
}

// ---- Registry

TEST(StructRegistry, GroupsAreBoundByFourCharacterNames) {
  Defs defs(
      R"(<struct name="abc"><long name="a"/></struct><struct name="zzzz"><long name="a"/></struct>
               <struct name="unit"><long name="first"/></struct><struct name="unit"><short name="second"/></struct>
               <struct name="Unit"><long name="a"/></struct>)");
  ASSERT_EQ(defs.registry.BoundGroups().size(), 1u);
  EXPECT_EQ(defs.registry.BoundGroups()[0].group, FourCC("unit"));
  const StructDefinition* unit = defs.registry.DefinitionForGroup(FourCC("unit"));
  ASSERT_TRUE(unit);
  EXPECT_TRUE(unit->FindMember("first"));  // the first definition with the name wins
  EXPECT_EQ(defs.registry.DefinitionForGroup(FourCC("abc ")), nullptr);
}

TEST(StructRegistry, FormsAreFoundByTheirStruct) {
  Defs defs(R"(<struct name="unit"><long name="a"/></struct>
               <structedit struct="unit" text="First"/><structedit struct="unit" text="Second"/>)");
  const tinyxml2::XMLElement* form = defs.registry.FindFormDefinition("unit");
  ASSERT_TRUE(form);
  EXPECT_STREQ(form->Attribute("text"), "First");
  EXPECT_EQ(defs.registry.FindFormDefinition("proj"), nullptr);
}

TEST(StructRegistry, OnlyDefinitionFilesInTheFolderAreRead) {
  test::TempDir dir;
  const std::string d = dir.Path() + "/";
  test::WriteFile(d + "b.xml",
                  "<braexmlfile><struct name=\"unit\"><short name=\"b\"/></struct></braexmlfile>");
  test::WriteFile(d + "a.xml",
                  "<braexmlfile><struct name=\"unit\"><long name=\"a\"/></struct></braexmlfile>");
  test::WriteFile(d + "other.xml", "<notours><struct name=\"proj\"/></notours>");
  test::WriteFile(d + "broken.xml", "<braexmlfile><struct name=\"scen\">");
  test::WriteFile(d + "thumbs.db", "<braexmlfile><struct name=\"mons\"/></braexmlfile>");
  test::WriteFile(d + "picture.bmp", std::string("BM\0\0\xff\xfe", 6));
  test::WriteFile(d + "sub/c.xml", "<braexmlfile><struct name=\"arti\"/></braexmlfile>");
  StructRegistry registry;
  EXPECT_EQ(registry.LoadDefinitionFiles(d), 2);
  EXPECT_EQ(registry.LoadDefinitionFiles(d + "missing"), 0);
  registry.BuildRegistry();
  // a.xml comes first; b.xml's 'unit' is set aside.
  ASSERT_EQ(registry.Definitions().size(), 1u);
  EXPECT_TRUE(registry.FindStructDefinition("unit")->FindMember("a"));
  for (const char* group : {"proj", "scen", "mons", "arti"}) {
    EXPECT_EQ(registry.FindStructDefinition(group), nullptr) << group;
  }
}

TEST(StructRegistry, HostileDefinitionsStayBounded) {
  // Counts far beyond what a record can hold, and a deep chain of embeddings.
  std::string body = R"(<struct name="huge"><long name="a" count="2147483647"/></struct>
                        <struct name="wide"><byte count="30000"/><substruct name="h" struct="big"/></struct>
                        <struct name="big"><long count="4000"/></struct>
                        <struct name="negative"><long name="a" count="-5"/><byte name="b"/></struct>)";
  for (int i = 0; i < 200; ++i) {
    body += "<struct name=\"n" + std::to_string(i) + "\"><byte/><substruct struct=\"n" +
            std::to_string(i + 1) + "\"/></struct>";
  }
  Defs defs(body);
  EXPECT_EQ(defs.registry.FindStructDefinition("huge"), nullptr);
  EXPECT_EQ(defs.registry.FindStructDefinition("wide"), nullptr);
  EXPECT_EQ(defs.Get("negative").Size(), 1u);
  const StructDefinition* n0 = defs.registry.FindStructDefinition("n0");
  ASSERT_TRUE(n0);
  EXPECT_LE(n0->Size(), 200u);
}

}  // namespace
}  // namespace brae
