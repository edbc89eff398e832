// The text editor's conversions between tag data and shown text.
#include <gtest/gtest.h>

#include "tagstore/FourCC.h"
#include "tagstore/TextTagData.h"

namespace brae {
namespace {

using namespace std::string_literals;

TEST(TextTagData, StringListIsCutIntoLinesAndSavedWithCarriageReturns) {
  std::string shown = TextFromTagData(FourCC("stli"), "one\0two\0"s);
  EXPECT_EQ(shown, "one\ntwo\n");
  EXPECT_EQ(TagDataFromText(shown), "one\rtwo\r");
}

TEST(TextTagData, StringListDropsEmptyPiecesAtEveryBreak) {
  EXPECT_EQ(TextFromTagData(FourCC("temp"), "\0a\r\n\rb\nc"s), "a\nb\nc\n");
  EXPECT_EQ(TextFromTagData(FourCC("temp"), ""), "");
}

TEST(TextTagData, WholeTextKeepsItsLinesAndEndsAtZero) {
  EXPECT_EQ(TextFromTagData(FourCC("text"), "a\rb\r\nc\n\rd"), "a\nb\nc\n\nd");
  EXPECT_EQ(TextFromTagData(FourCC("scri"), "run\0junk"s), "run");
  EXPECT_EQ(TextFromTagData(FourCC("ditl"), "  spaced  "), "  spaced  ");
}

TEST(TextTagData, WholeTextWithCarriageReturnsRoundTripsByteForByte) {
  const std::string stored = "line one\rline two\r\rlast";
  EXPECT_EQ(TagDataFromText(TextFromTagData(FourCC("text"), stored)), stored);
  EXPECT_EQ(TagDataFromText(""), "");
}

TEST(TextTagData, WholeTextGroups) {
  EXPECT_TRUE(IsWholeTextGroup(FourCC("ditl")));
  EXPECT_TRUE(IsWholeTextGroup(FourCC("scri")));
  EXPECT_TRUE(IsWholeTextGroup(FourCC("text")));
  EXPECT_FALSE(IsWholeTextGroup(FourCC("stli")));
  EXPECT_FALSE(IsWholeTextGroup(FourCC("temp")));
}

}  // namespace
}  // namespace brae
