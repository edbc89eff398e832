#include <gtest/gtest.h>

#include "TempDir.h"
#include "toolkit/CharMap.h"

namespace brae {
namespace {

class CharMapTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetCharMap(); }
};

TEST_F(CharMapTest, MacRomanTableInItsOlderForm) {
  EXPECT_EQ(CharToUnicode(0x41), 0x41);
  EXPECT_EQ(CharToUnicode(0x80), 0x00C4);
  EXPECT_EQ(CharToUnicode(0x8E), 0x00E9);
  EXPECT_EQ(CharToUnicode(0xDB), 0x00A4);  // the currency sign, not the euro
  EXPECT_EQ(CharToUnicode(0xFF), 0x02C7);
  std::u16string u = ToUnicode(std::string("\t\x80x", 3));
  EXPECT_EQ(u, (std::u16string{u'\t', 0x00C4, u'x'}));
}

TEST_F(CharMapTest, FromUnicodeRules) {
  EXPECT_EQ(FromUnicodeChar(0x0A), 0x0A);
  EXPECT_EQ(FromUnicodeChar(0x20), 0x20);
  EXPECT_EQ(FromUnicodeChar(0x00E9), 0x8E);
  EXPECT_EQ(FromUnicodeChar(0x00FF), 0xD8);  // the first table entry holding it
  EXPECT_EQ(FromUnicodeChar(0x00AD), 0xAD);  // not in the table, below 256: itself
  EXPECT_EQ(FromUnicodeChar(0x4E00), 255);
  EXPECT_EQ(FromUnicode(ToUnicode("Brae \x8e")), "Brae \x8e");
}

TEST_F(CharMapTest, CharmapFileReplacesTheTableUnlessShort) {
  test::TempDir dir;
  std::string path = dir.Path() + "/charmap";
  std::string bytes(448, '\0');
  bytes[0] = 0x34, bytes[1] = 0x12;  // code 0x20 -> U+1234; the rest 0
  test::WriteFile(path, bytes.substr(0, 447));
  EXPECT_FALSE(LoadCharMap(path));
  EXPECT_EQ(CharToUnicode(0x20), 0x20);
  test::WriteFile(path, bytes);
  EXPECT_TRUE(LoadCharMap(path));
  EXPECT_EQ(CharToUnicode(0x20), 0x1234);
  // A zero entry becomes a space in Unicode text.
  EXPECT_EQ(ToUnicode("A"), std::u16string(u" "));
  EXPECT_FALSE(LoadCharMap(dir.Path() + "/missing"));
}

TEST_F(CharMapTest, AltLayer) {
  EXPECT_EQ(AltCharacter('e', true), 0xAB);
  EXPECT_EQ(AltCharacter('e', false), 'e');
  EXPECT_EQ(AltCharacter(' ', true), 0x20);
  EXPECT_EQ(AltCharacter('A', true), 0x81);
  EXPECT_EQ(AltCharacter('@', true), 0xDB);
  EXPECT_EQ(AltCharacter('~', true), 0x60);
  EXPECT_EQ(AltCharacter(0x7F, false), 0);
  EXPECT_EQ(AltCharacter(0xE9, false), 0);
  EXPECT_EQ(AltCharacter(0xE9, true), 0);
  EXPECT_EQ(AltCharacter(0x1F, false), -1);
  EXPECT_EQ(AltCharacter(0x100, false), -1);
}

}  // namespace
}  // namespace brae
