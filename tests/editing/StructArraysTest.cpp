// Bits of integer members and the element edits of arrays of embedded structures, on the
// record bytes.
#include <gtest/gtest.h>

#include <vector>

#include "editing/structdefs/StructArrays.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"

namespace brae {
namespace {

class StructArrays : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.AddDefinitionText(R"(<braexmlfile>
      <struct name="elem"><short name="id"/><byte name="level"/><padding count="1"/></struct>
      <struct name="host">
        <byte name="flags"/><padding count="1"/><short name="used"/>
        <substruct name="items" struct="elem" count="8" runtime_count="used"/>
        <substruct name="fixed" struct="elem" count="3"/>
        <substruct name="broken" struct="elem" count="2" runtime_count="no_such_member"/>
        <long name="after"/>
      </struct></braexmlfile>)"));
    registry.BuildRegistry();
    host = registry.FindStructDefinition("host");
    ASSERT_TRUE(host);
    record.assign(host->Size(), 0);
    items = StructArray::For(*host, Array("items"));
  }
  const VornStructMember& Array(const char* name) {
    return *static_cast<const VornStructMember*>(host->FindMember(name));
  }
  const StructMember& Id() { return *Array("items").embedded->FindMember("id"); }
  int ElementId(int i) {
    return ReadInteger(Id(), record.data() + items.ElementOffset(i), items.ElementSize(), 0);
  }
  void SetElementId(int i, int v) {
    WriteInteger(Id(), record.data() + items.ElementOffset(i), items.ElementSize(), 0, v);
  }
  int Used() { return ReadInteger(*host->FindMember("used"), record.data(), record.size(), 0); }
  void SetUsed(int n) { WriteInteger(*host->FindMember("used"), record.data(), record.size(), 0, n); }

  StructRegistry registry;
  const StructDefinition* host = nullptr;
  std::vector<uint8_t> record;
  StructArray items;
};

TEST_F(StructArrays, DeletingRowZeroOfThreeInUseOfEight) {
  SetUsed(3);
  for (int i = 0; i < 8; ++i) SetElementId(i, 100 + i);  // stale data past the count too
  WriteInteger(*host->FindMember("after"), record.data(), record.size(), 0, 77);
  ASSERT_TRUE(items.Delete(record.data(), record.size(), 0));
  EXPECT_EQ(Used(), 2);
  EXPECT_EQ(ElementId(0), 101);
  EXPECT_EQ(ElementId(1), 102);
  for (int i = 2; i < 8; ++i)
    for (size_t b = 0; b < items.ElementSize(); ++b)
      EXPECT_EQ(record[items.ElementOffset(i) + b], 0) << "element " << i;
  // Nothing outside the array moved.
  EXPECT_EQ(ReadInteger(*host->FindMember("after"), record.data(), record.size(), 0), 77);
  EXPECT_FALSE(items.Delete(record.data(), record.size(), 2));  // not in use
}

TEST_F(StructArrays, AddAndDuplicateFollowTheRuntimeCount) {
  SetUsed(2);
  SetElementId(0, 5);
  SetElementId(1, 6);
  EXPECT_TRUE(items.CanOfferAdd());
  EXPECT_EQ(items.Append(record.data(), record.size()), 2);
  EXPECT_EQ(Used(), 3);
  EXPECT_EQ(items.Append(record.data(), record.size(), 1), 3);
  EXPECT_EQ(ElementId(3), 6);
  EXPECT_EQ(items.Append(record.data(), record.size(), 7), -1);  // not an element in use
  SetUsed(8);
  EXPECT_FALSE(items.CanAdd(record.data(), record.size()));
  EXPECT_EQ(items.Append(record.data(), record.size()), -1);
  SetUsed(300);  // a hostile count is held to the declared one
  EXPECT_EQ(items.Count(record.data(), record.size()), 8);
  SetUsed(-4);
  EXPECT_EQ(items.Count(record.data(), record.size()), 0);
}

TEST_F(StructArrays, WithoutARuntimeCountNothingIsAdded) {
  StructArray fixed = StructArray::For(*host, Array("fixed"));
  EXPECT_FALSE(fixed.CanOfferAdd());
  EXPECT_EQ(fixed.Count(record.data(), record.size()), 3);
  EXPECT_EQ(fixed.Append(record.data(), record.size()), -1);
  StructArray broken = StructArray::For(*host, Array("broken"));
  EXPECT_FALSE(broken.CanOfferAdd());
  EXPECT_EQ(broken.Count(record.data(), record.size()), 2);
}

TEST_F(StructArrays, ATooShortRecordIsRefused) {
  SetUsed(3);
  std::vector<uint8_t> short_record(record.begin(), record.begin() + 10);
  EXPECT_FALSE(items.Delete(short_record.data(), short_record.size(), 0));
  EXPECT_EQ(items.Append(short_record.data(), short_record.size()), -1);
}

TEST_F(StructArrays, BitThreeOverZeroGivesEight) {
  const StructMember& flags = *host->FindMember("flags");
  ASSERT_TRUE(WriteMemberBit(flags, record.data(), record.size(), 3, true));
  EXPECT_EQ(ReadInteger(flags, record.data(), record.size(), 0), 8);
  EXPECT_TRUE(ReadMemberBit(flags, record.data(), record.size(), 3));
  ASSERT_TRUE(WriteMemberBit(flags, record.data(), record.size(), 7, true));
  EXPECT_EQ(ReadInteger(flags, record.data(), record.size(), 0), -120);
  ASSERT_TRUE(WriteMemberBit(flags, record.data(), record.size(), 3, false));
  EXPECT_EQ(ReadInteger(flags, record.data(), record.size(), 0), -128);
  EXPECT_FALSE(WriteMemberBit(flags, record.data(), record.size(), 8, true));  // past a byte
  EXPECT_FALSE(WriteMemberBit(Array("items"), record.data(), record.size(), 0, true));
}

}  // namespace
}  // namespace brae
