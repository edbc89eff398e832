#include "tagstore/TagResource.h"

#include <gtest/gtest.h>

#include "GameFixture.h"

namespace brae {
namespace {

using test::Tag;

// A small resource: the tag's bytes, which must start with "ok".
class BytesTag : public TagResource {
 public:
  using TagResource::TagResource;
  const char* ClassName() const override { return "BytesTag"; }
  void InitNew() override {
    bytes = "ok new";
    NotifyDataChanged();
  }
  bool ReadData(FileStream& stream, const TagHeader& h) override {
    bytes.assign(h.size, '\0');
    return (bytes.empty() || stream.Read(bytes.data(), bytes.size())) && bytes.rfind("ok", 0) == 0;
  }
  bool WriteData(FileStream& stream, const TagHeader& h) override {
    return stream.Seek(h.offset) && stream.Write(bytes.data(), bytes.size());
  }
  std::string bytes;
};

class SharedTags : public test::GameFixture {
 protected:
  TagResourceManager<BytesTag> manager_{codex_};
};

TEST_F(SharedTags, OneObjectForEveryUserUntilTheLastRelease) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("dtex", "gras", "Grass", "ok pixels"));
  Load();
  TagRecord* r = Find("dtex", "gras");
  BytesTag* editor = manager_.Acquire(r);
  BytesTag* terrain1 = manager_.AcquireByTag(FourCC("dtex"), FourCC("gras"));
  BytesTag* terrain2 = manager_.Acquire(r);
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor, terrain1);
  EXPECT_EQ(editor, terrain2);
  EXPECT_EQ(editor->reference_count, 3u);
  EXPECT_EQ(editor->bytes, "ok pixels");
  EXPECT_STREQ(editor->ClassName(), "BytesTag");
  TagUser user;
  ASSERT_TRUE(codex_.FindTagUser(r, 0, &user));
  EXPECT_EQ(user.kind, kUserResource);
  manager_.Release(terrain1);
  manager_.Release(terrain2);
  EXPECT_EQ(manager_.Count(), 1u);
  manager_.Release(editor);
  EXPECT_EQ(manager_.Count(), 0u);
  EXPECT_FALSE(codex_.FindTagUser(r, 0, &user));
}

TEST_F(SharedTags, UnreadableTagsYieldNothingAndAreTriedAgain) {
  game_.AddLocal(Tag("dtex", "bad1", "Bad", "not ok"));
  Load();
  TagRecord* r = Find("dtex", "bad1");
  EXPECT_FALSE(manager_.Acquire(r));
  EXPECT_EQ(manager_.Count(), 0u);
  TagUser user;
  EXPECT_FALSE(codex_.FindTagUser(r, 0, &user));
  test::WriteBytes(Local("detail textures", "Bad"),
                   demo::LooseTagBytes(Tag("dtex", "bad1", "Bad", "ok now")));
  BytesTag* fixed = manager_.Acquire(r);
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->bytes, "ok now");
  manager_.Release(fixed);
  EXPECT_FALSE(manager_.AcquireByTag(FourCC("dtex"), kNoSubgroup));
  EXPECT_FALSE(manager_.Acquire(nullptr));
}

TEST_F(SharedTags, CreateNewInitialisesSavesAndBlocksDeletion) {
  Load();
  Listen();
  BytesTag* created = manager_.CreateNew(FourCC("dtex"), "Fresh Snow", kNoSubgroup);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->bytes, "ok new");
  EXPECT_EQ(log_.events, (std::vector<std::string>{"3 dtex FrSn"}));
  ASSERT_TRUE(created->Save());
  TagRecord* r = Find("dtex", "FrSn");
  ASSERT_TRUE(r);
  EXPECT_FALSE(codex_.DeleteLocalTag(r));  // shared: in use
  EXPECT_EQ(ReadData(r), "ok new");
  manager_.Release(created);
  EXPECT_TRUE(codex_.DeleteLocalTag(r));
}

}  // namespace
}  // namespace brae
