#include "tagstore/TagHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "TempDir.h"
#include "core/MessageLog.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagGroups.h"

namespace brae {
namespace {

std::string WriteTemp(test::TempDir& dir, const std::string& name,
                      const std::vector<uint8_t>& bytes) {
  const std::string path = dir.Path() + "/" + name;
  test::WriteBytes(path, bytes);
  return path;
}

TEST(TagHeader, CurrentLayoutRoundTripsByteForByte) {
  demo::DemoTag tag;
  tag.group = FourCC("mesh");
  tag.subgroup = FourCC("m001");
  tag.name = "Valley";
  tag.version = 11;
  tag.user_data = 0xDEADBEEF;
  tag.flags = 0x81;
  const std::vector<uint8_t> bytes = demo::TagHeaderBytes(tag, 7, 4096, 1234, false);
  TagHeader h;
  ASSERT_TRUE(ParseTagHeader(bytes.data(), &h));
  EXPECT_EQ(h.identifier, 7);
  EXPECT_EQ(h.flags, 0x81);
  EXPECT_EQ(h.Name(), "Valley");
  EXPECT_EQ(h.group, FourCC("mesh"));
  EXPECT_EQ(h.subgroup, FourCC("m001"));
  EXPECT_EQ(h.offset, 4096u);
  EXPECT_EQ(h.size, 1234u);
  EXPECT_EQ(h.user_data, 0xDEADBEEFu);
  EXPECT_EQ(h.version, 11);
  EXPECT_EQ(h.signature, kSignatureVrn2);
  std::vector<uint8_t> again(64);
  SerializeTagHeader(h, again.data());
  EXPECT_EQ(again, bytes);
}

TEST(TagHeader, NameTerminatorIsForcedOnRead) {
  demo::DemoTag tag;
  tag.name = "x";
  std::vector<uint8_t> bytes = demo::TagHeaderBytes(tag, 0, 0, 0, true);
  std::memset(bytes.data() + 4, 'A', 32);  // no terminator in the file
  TagHeader h;
  ASSERT_TRUE(ParseTagHeader(bytes.data(), &h));
  EXPECT_EQ(h.Name(), std::string(31, 'A'));
}

TEST(TagHeader, OlderLayoutIsConverted) {
  demo::DemoTag tag;
  tag.name = "Rock";
  tag.group = FourCC("scen");
  tag.subgroup = FourCC("rock");
  tag.version = 3;
  tag.data.assign(10, 1);
  const std::vector<uint8_t> bytes = demo::OldTagHeaderBytes(tag, 500);
  TagHeader h;
  ASSERT_TRUE(ParseTagHeader(bytes.data(), &h));
  EXPECT_EQ(h.identifier, 0);
  EXPECT_EQ(h.version, 3);
  EXPECT_EQ(h.user_data, 0u);
  EXPECT_EQ(h.signature, kSignatureVorn);
  EXPECT_EQ(h.Name(), "Rock");
  EXPECT_EQ(h.group, FourCC("scen"));
  EXPECT_EQ(h.offset, 500u);
  EXPECT_EQ(h.size, 10u);
  EXPECT_EQ(h.foundation_index, 0);
}

TEST(TagHeader, UnknownSignatureIsUnreadable) {
  std::vector<uint8_t> bytes(64, 0);
  std::memcpy(bytes.data() + 60, "junk", 4);
  TagHeader h;
  EXPECT_FALSE(ParseTagHeader(bytes.data(), &h));
  test::TempDir dir;
  FileStream f;
  ASSERT_TRUE(f.Open(WriteTemp(dir, "t", bytes), FileStream::kRead));
  EXPECT_EQ(ReadTagHeaders(&h, f, 1), 0u);
}

TEST(TagHeader, ValidateBytesChecksSizeAgainstFileLength) {
  demo::DemoTag tag;
  tag.data.assign(100, 0);
  std::vector<uint8_t> bytes = demo::TagHeaderBytes(tag, 0, 64, 100, true);
  TagHeader h;
  std::memcpy(&h, bytes.data(), 64);
  EXPECT_TRUE(ValidateTagHeaderBytes(&h, 164));
  std::memcpy(&h, bytes.data(), 64);
  EXPECT_FALSE(ValidateTagHeaderBytes(&h, 165));
  std::memcpy(&h, bytes.data(), 64);
  EXPECT_FALSE(ValidateTagHeaderBytes(&h, 10));
}

TEST(LocalTagHeader, SizeComesFromFileLengthAndPlaceholderNamesTakeFileName) {
  test::TempDir dir;
  demo::DemoTag tag;
  tag.group = FourCC("text");
  tag.name = "xx ovo made this yy";
  std::vector<uint8_t> bytes = demo::TagHeaderBytes(tag, -1, 64, 999, true);  // claims 999 bytes
  FileStream f;
  ASSERT_TRUE(f.Open(WriteTemp(dir, "My Text", bytes), FileStream::kRead));
  TagHeader h;
  ASSERT_TRUE(ReadLocalTagHeader(&h, f, "My Text", FindTagGroup(FourCC("text"))));
  EXPECT_EQ(h.size, 0u);
  EXPECT_EQ(h.Name(), "My Text");
}

TEST(LocalTagHeader, WrongGroupFolderIsRefusedAndLogged) {
  test::TempDir dir;
  demo::DemoTag tag;
  tag.group = FourCC("soun");
  tag.name = "Boom";
  FileStream f;
  ASSERT_TRUE(f.Open(WriteTemp(dir, "Boom", demo::LooseTagBytes(tag)), FileStream::kRead));
  TheMessageLog().Clear();
  TagHeader h;
  EXPECT_FALSE(ReadLocalTagHeader(&h, f, "Boom", FindTagGroup(FourCC("text"))));
  EXPECT_EQ(TheMessageLog().Text("Codex"),
            "'Boom', a 'Sounds' file, was found in the 'Text' folder.\n");
  // An unknown group is refused without a message.
  tag.group = FourCC("zzzz");
  FileStream g;
  ASSERT_TRUE(g.Open(WriteTemp(dir, "Z", demo::LooseTagBytes(tag)), FileStream::kRead));
  TheMessageLog().Clear();
  EXPECT_FALSE(ReadLocalTagHeader(&h, g, "Z", FindTagGroup(FourCC("text"))));
  EXPECT_EQ(TheMessageLog().Text("Codex"), "");
}

TEST(LocalTagHeader, ShortFileIsRefused) {
  test::TempDir dir;
  FileStream f;
  ASSERT_TRUE(f.Open(WriteTemp(dir, "short", std::vector<uint8_t>(63, 0)), FileStream::kRead));
  TagHeader h;
  EXPECT_FALSE(ReadLocalTagHeader(&h, f, "short", nullptr));
}

std::string Sanitized(const std::string& name) {
  TagHeader h;
  std::memset(h.name, 'Z', sizeof h.name);
  SanitizeTagName(&h, name);
  for (size_t i = h.Name().size(); i < kTagNameSize; ++i) EXPECT_EQ(h.name[i], 0);
  return h.Name();
}

TEST(SanitizeTagName, ReplacesUnsafeCharactersAndTrims) {
  EXPECT_EQ(Sanitized("a:b?"), "a_b_");
  EXPECT_EQ(Sanitized("Wall. . "), "Wall");
  EXPECT_EQ(Sanitized("."), ".");
  EXPECT_EQ(Sanitized(std::string(40, 'n')), std::string(31, 'n'));
  EXPECT_EQ(Sanitized("a\\b/c|d\"e<f>g*h"), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(Sanitized("../../etc/passwd"), ".._.._etc_passwd");
}

class TakenIds : public TagidRegistry {
 public:
  bool IsTagidTaken(uint32_t, uint32_t id) const override { return taken.count(id) > 0; }
  std::set<uint32_t> taken;
};

uint32_t TagidFor(const std::string& name, const TakenIds* taken = nullptr) {
  TagHeader h;
  h.group = FourCC("unit");
  h.SetName(name);
  MakeTagidFromName(&h, taken);
  return h.subgroup;
}

TEST(MakeTagidFromName, WordsFillTheFourCharacters) {
  EXPECT_EQ(TagidFor("Big Red Dragon"), FourCC("BiRD"));
  EXPECT_EQ(TagidFor("Sword"), FourCC("Swor"));
  EXPECT_EQ(TagidFor("Ox"), FourCC("Ox  "));
  EXPECT_EQ(TagidFor("(big) [red]"), FourCC("bire"));
  EXPECT_EQ(TagidFor(""), FourCC("    "));
  TakenIds taken;
  taken.taken.insert(FourCC("bire"));
  EXPECT_EQ(TagidFor("(big) [red]", &taken), FourCC("birf"));
  taken.taken.insert(FourCC("birf"));
  EXPECT_EQ(TagidFor("(big) [red]", &taken), FourCC("birg"));
}

TEST(TagGroups, TableAndFolderNames) {
  EXPECT_EQ(TagGroupIndex(FourCC("amso")), 0);
  EXPECT_EQ(TagGroupIndex(FourCC("quik")), kTagGroupCount - 1);
  EXPECT_EQ(GetGroupName(FourCC(".256")), "Collections");
  EXPECT_EQ(GetGroupName(FourCC("ABCD")), "ABCD");
  EXPECT_EQ(GroupFolderPath("/g/local/", FourCC("ABCD")), "/g/local/abcd");
  EXPECT_EQ(LocalTagPath("/g/local/", FourCC("quik"), "song"), "/g/local/quicktime/mp3/song");
  EXPECT_EQ(LocalTagPath("/g/local/", FourCC("save"), "s1"), "/g/local/saved games/s1");
  int addon = 0;
  for (int i = 0; i < kTagGroupCount; ++i) addon += TagGroupTable()[i].addon;
  EXPECT_EQ(addon, 9);
}

TEST(TagGroups, HostileCodesNeverLeaveTheFolder) {
  const uint32_t hostile[] = {MakeFourCC('.', '.', '/', '.'), MakeFourCC('.', '.', '.', '.'),
                              MakeFourCC('a', '/', 'b', 'c'), MakeFourCC('\\', '.', '.', 'x'),
                              MakeFourCC(0, 0, 0, 0),         MakeFourCC('\n', 1, 0x7F, (char)0xFF),
                              MakeFourCC(' ', ' ', '.', ' '), MakeFourCC('.', '.', ' ', ' ')};
  for (uint32_t code : hostile) {
    const std::string name = GroupFolderName(code);
    EXPECT_EQ(name.size(), 4u);
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
    EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    EXPECT_NE(name.find_first_not_of(". "), std::string::npos) << name;
    for (char c : name) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
  }
  EXPECT_EQ(GroupFolderName(MakeFourCC('.', '.', '.', '.')), "____");
  EXPECT_EQ(GroupFolderName(MakeFourCC('.', 'a', 'b', 'c')), ".abc");  // like '.256'
}

}  // namespace
}  // namespace brae
