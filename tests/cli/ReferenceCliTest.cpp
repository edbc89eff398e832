// brae-cli refs, usages and check over a generated game: what a tag refers to, who refers to a
// tag (missing or not), and every broken reference with the exit status saying whether any.
#include <gtest/gtest.h>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/ByteOrder.h"

namespace brae {
namespace {

using demo::Code;
using test::RunCli;
using test::RunCliSeparately;
using test::ShellQuote;

constexpr const char* kDefinitions = R"(<braexmlfile>
  <struct name="soli"><tag name="sounds" group="soun" count="3"/></struct>
</braexmlfile>)";

demo::DemoTag Tag(uint32_t group, uint32_t id, const std::string& name,
                  std::vector<uint8_t> data = {}) {
  demo::DemoTag t;
  t.group = group;
  t.subgroup = id;
  t.name = name;
  t.data = std::move(data);
  return t;
}

std::vector<uint8_t> Sounds(uint32_t a, uint32_t b, uint32_t c) {
  std::vector<uint8_t> d(12);
  StoreBE32(d.data(), a);
  StoreBE32(d.data() + 4, b);
  StoreBE32(d.data() + 8, c);
  return d;
}

class ReferenceCli : public ::testing::Test {
 protected:
  void Write(bool broken) {
    demo::DemoGame game;
    demo::DemoArchive& base = game.Archive("tags", "base", 3);
    base.tags.push_back(Tag(Code("soun"), Code("step"), "Step", {1, 2, 3}));
    base.tags.push_back(
        Tag(Code("soli"), Code("walk"), "Walking", Sounds(Code("step"), 0xFFFFFFFFu, 0xFFFFFFFFu)));
    game.AddLocal(Tag(Code("soli"), Code("list"), "List",
                      Sounds(Code("step"), broken ? Code("nowh") : 0xFFFFFFFFu, Code("step"))));
    std::string text = kDefinitions;
    game.AddFile("definitions/refs.xml", std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_TRUE(game.Write(dir_.Path()));
  }
  std::string Game() const { return ShellQuote(dir_.Path()); }
  test::TempDir dir_;
};

TEST_F(ReferenceCli, RefsListsTargetsAndWhetherTheyExist) {
  Write(true);
  test::CliResult r = RunCliSeparately("refs " + Game() + " soli list");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "sounds[0] -> soun step 'Step'\nsounds[1] -> soun nowh missing\n"
            "sounds[2] -> soun step 'Step'\n");
  r = RunCliSeparately("refs " + Game() + " soli walk --json");
  EXPECT_EQ(r.out,
            "{\"references\":[{\"source_group\":\"soli\",\"source_id\":\"walk\",\"source_name\":"
            "\"Walking\",\"source_location\":\"base\",\"path\":\"sounds[0]\",\"target_group\":"
            "\"soun\",\"target_id\":\"step\",\"target_name\":\"Step\",\"exists\":\"yes\","
            "\"optional\":\"no\"}]}\n");
  EXPECT_EQ(RunCli("refs " + Game() + " soli none").status, 2);
  EXPECT_EQ(RunCli("refs " + Game() + " soli").status, 2);
}

TEST_F(ReferenceCli, UsagesNameEverySourceAndItsLocation) {
  Write(true);
  test::CliResult r = RunCliSeparately("usages " + Game() + " soun step");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "soli list 'List' sounds[0] (local folder)\nsoli list 'List' sounds[2] (local "
            "folder)\nsoli walk 'Walking' sounds[0] (base)\n");
  // A tag that does not exist can still be used.
  r = RunCliSeparately("usages " + Game() + " soun nowh");
  EXPECT_EQ(r.out, "soli list 'List' sounds[1] (local folder)\n");
  EXPECT_EQ(RunCliSeparately("usages " + Game() + " soun nobo").out, "");
}

TEST_F(ReferenceCli, CheckExitsOneWhenAnyReferenceIsBroken) {
  Write(true);
  test::CliResult r = RunCliSeparately("check " + Game());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "soli list 'List' sounds[1] -> soun nowh missing\n");
  EXPECT_EQ(r.err, "1 broken references\n");
  r = RunCliSeparately("check " + Game() + " --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"target_id\":\"nowh\",\"target_name\":\"\",\"exists\":\"no\""),
            std::string::npos)
      << r.out;
}

TEST_F(ReferenceCli, CheckOfASoundGameSucceeds) {
  Write(false);
  test::CliResult r = RunCliSeparately("check " + Game());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "0 broken references\n");
  EXPECT_EQ(RunCli("check /nonexistent/game").status, 2);
}

}  // namespace
}  // namespace brae
