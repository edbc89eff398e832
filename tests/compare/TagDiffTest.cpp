// Comparing two copies of a tag from buffers: the byte ranges and text lines worked out by
// hand, equal copies of every kind giving nothing, and cut or foreign data on either side giving
// an error that names the side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/TagDiff.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FourCC.h"

namespace brae {
namespace {

TagCopy Copy(const std::vector<uint8_t>& data, uint16_t version = 1, uint32_t user_data = 0) {
  TagCopy copy;
  copy.header.SetName("copy");
  copy.header.version = version;
  copy.header.user_data = user_data;
  copy.data = data;
  return copy;
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(TagDiff, BytesAndTextLinesAsWorkedOutByHand) {
  // Differences at 1 and 4 (two equal bytes between) form one range; 9 (four equal bytes
  // after 4) starts another.
  std::vector<uint8_t> a(12, 0), b(12, 0);
  b[1] = 0xFF, b[4] = 0xFF, b[9] = 1;
  TagDiff bytes = CompareTagCopies(FourCC("scen"), Copy(a), Copy(b), {});
  ASSERT_TRUE(bytes.ok);
  ASSERT_EQ(bytes.differences.size(), 2u);
  EXPECT_EQ(bytes.differences[0].path, "bytes 1-4 (2 differ)");
  EXPECT_EQ(bytes.differences[0].old_value, "00 00 00 00");
  EXPECT_EQ(bytes.differences[0].new_value, "FF 00 00 FF");
  EXPECT_EQ(bytes.differences[1].path, "bytes 9-9 (1 differ)");
  EXPECT_EQ(bytes.differences[1].new_value, "01");

  // A string list: "two" became "deux" and "four" was added at the end.
  using namespace std::string_literals;
  TagDiff text = CompareTagCopies(FourCC("stli"), Copy(Bytes("one\0two\0three\0"s)),
                                  Copy(Bytes("one\0deux\0three\0four\0"s)), {});
  ASSERT_TRUE(text.ok);
  std::vector<std::string> rows;
  for (const TagDifference& d : text.differences)
    rows.push_back(d.path + "|" + d.old_value + "|" + d.new_value);
  EXPECT_EQ(rows, (std::vector<std::string>{"-2|two|", "+2||deux", "+4||four"}));
}

TEST(TagDiff, EqualCopiesGiveNothingAndBadDataOnEitherSideAnError) {
  StructRegistry registry;
  registry.AddDefinitionText(demo::DemoDefinitionText());
  registry.BuildRegistry();
  const DiffContext context{&registry, nullptr};
  // The first demo tag of each group that has a comparison of its own.
  const demo::DemoGame game = demo::MakeDemoGame();
  for (const char* kind : {"collection", "mesh", "detail map", "sound", "structure"}) {
    const demo::DemoTag* found = nullptr;
    for (const demo::DemoArchive& archive : game.Archives())
      for (const demo::DemoTag& tag : archive.tags)
        if (!found && DiffKindOf(tag.group, context) == std::string(kind)) found = &tag;
    ASSERT_TRUE(found) << kind;
    const TagCopy good = Copy(found->data, found->version, found->user_data);
    EXPECT_TRUE(CompareTagCopies(found->group, good, good, context).Equal()) << kind;
    TagCopy cut = good;
    cut.data.resize(cut.data.size() / 2);
    TagCopy foreign = good;
    foreign.data.assign(foreign.data.size(), 0xFF);
    for (const TagCopy* bad : {&cut, &foreign}) {
      const TagDiff old_bad = CompareTagCopies(found->group, *bad, good, context);
      const TagDiff new_bad = CompareTagCopies(found->group, good, *bad, context);
      if (bad == &foreign && kind == std::string("structure")) continue;  // any bytes are values
      EXPECT_FALSE(old_bad.ok) << kind << (bad == &cut ? " cut" : " foreign");
      EXPECT_EQ(old_bad.error.rfind("old copy: ", 0), 0u) << kind << ": " << old_bad.error;
      EXPECT_FALSE(new_bad.ok) << kind;
      EXPECT_EQ(new_bad.error.rfind("new copy: ", 0), 0u) << kind << ": " << new_bad.error;
      EXPECT_TRUE(new_bad.differences.empty());
    }
  }
}

}  // namespace
}  // namespace brae
