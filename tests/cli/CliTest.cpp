// brae-cli over the demo game folder, as a user runs it.
#include <gtest/gtest.h>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FileSystem.h"

namespace brae {
namespace {

using test::RunCli;
using test::ShellQuote;

class CliDemo : public test::DemoGameCli {};

TEST_F(CliDemo, ArchivesAndListShowTheOverrides) {
  test::CliResult archives = RunCli("archives " + Game());
  ASSERT_EQ(archives.status, 0) << archives.out;
  EXPECT_NE(archives.out.find("Rock Fix"), std::string::npos);
  EXPECT_NE(archives.out.find("(older layout)"), std::string::npos);

  test::CliResult list = RunCli("list " + Game());
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_NE(list.out.find("scen Rock Rock"), std::string::npos);
  EXPECT_NE(list.out.find("Rock Fix"), std::string::npos);
  EXPECT_NE(list.out.find("local folder"), std::string::npos);

  test::CliResult text = RunCli("list " + Game() + " --group text");
  ASSERT_EQ(text.status, 0);
  EXPECT_EQ(text.out.find("scen "), std::string::npos);
}

TEST_F(CliDemo, ShowGivesTheOverrideChainAsTextAndJson) {
  test::CliResult shown = RunCli("show " + Game() + " scen Rock");
  ASSERT_EQ(shown.status, 0) << shown.out;
  EXPECT_NE(shown.out.find("location: Rock Fix"), std::string::npos);
  EXPECT_NE(shown.out.find("location: Big Rocks"), std::string::npos);
  test::CliResult json = RunCli("show " + Game() + " text cred --json");
  ASSERT_EQ(json.status, 0) << json.out;
  EXPECT_EQ(json.out.front(), '{');
  EXPECT_NE(json.out.find("\"location\":\"local folder\""), std::string::npos);
  EXPECT_NE(json.out.find("\"text\":\"Credits, edited locally.\\u000a\""), std::string::npos);
}

TEST_F(CliDemo, TagOperationsChangeTheLocalFolder) {
  test::TempDir out;
  const std::string file = out.Path() + "/intro.bin";
  ASSERT_EQ(RunCli("extract " + Game() + " text intr " + ShellQuote(file)).status, 0);
  EXPECT_EQ(test::ReadFile(file), "Welcome to the Vale (patched).\n");

  ASSERT_EQ(RunCli("copy-to-local " + Game() + " text intr").status, 0);
  EXPECT_TRUE(FileExists(dir_.Path() + "/local/text/Introduction"));
  EXPECT_EQ(RunCli("copy-to-local " + Game() + " text intr").status, 2);

  test::CliResult dup = RunCli("duplicate " + Game() + " text intr");
  ASSERT_EQ(dup.status, 0) << dup.out;
  EXPECT_NE(dup.out.find("Introduction copy"), std::string::npos);

  test::CliResult renamed = RunCli("rename " + Game() + " text note --name 'Notes For Modders'");
  ASSERT_EQ(renamed.status, 0) << renamed.out;
  EXPECT_TRUE(FileExists(dir_.Path() + "/local/text/Notes For Modders"));
  test::CliResult retagged = RunCli("rename " + Game() + " text note --tagid nte2");
  ASSERT_EQ(retagged.status, 0) << retagged.out;
  EXPECT_NE(retagged.out.find("text nte2"), std::string::npos);

  ASSERT_EQ(RunCli("delete-local " + Game() + " text nte2").status, 0);
  EXPECT_FALSE(FileExists(dir_.Path() + "/local/text/Notes For Modders"));
  EXPECT_EQ(RunCli("delete-local " + Game() + " text nte2").status, 2);
}

TEST_F(CliDemo, UnpackAndBuildAddon) {
  test::TempDir out;
  test::CliResult unpacked =
      RunCli("unpack " + ShellQuote(dir_.Path() + "/tags/legacy") + " " + ShellQuote(out.Path()));
  ASSERT_EQ(unpacked.status, 0) << unpacked.out;
  EXPECT_TRUE(FileExists(out.Path() + "/scenery/Tree"));
  EXPECT_TRUE(FileExists(out.Path() + "/text/Old Lore"));

  test::CliResult built =
      RunCli("build-addon " + Game() + " --name 'Demo Addon' --url http://x.invalid");
  ASSERT_EQ(built.status, 0) << built.out;
  EXPECT_NE(built.out.find("The addon has been written to the plugins folder as 'Demo Addon'"),
            std::string::npos);
  test::CliResult archives = RunCli("archives " + Game());
  EXPECT_NE(archives.out.find("Demo Addon"), std::string::npos);

  test::CliResult bad = RunCli("build-addon " + Game() + " --name x --url y --priority 1");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.out.find("The following fields are invalid:  version"), std::string::npos);
}

TEST_F(CliDemo, UnprintableTagIdsPrintInHexThatEveryCommandTakesBack) {
  test::CliResult r = RunCli("rename " + Game() + " text note --tagid 0x01020304");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "text 0x01020304 Modder Notes\n");
  r = RunCli("list " + Game() + " --group text");
  EXPECT_NE(r.out.find("\ntext 0x01020304 Modder Notes "), std::string::npos) << r.out;
  r = RunCli("list " + Game() + " --group text --json");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("{\"tags\":[{\"group\":\"text\",", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("{\"group\":\"text\",\"tag\":\"0x01020304\",\"name\":\"Modder Notes\","
                       "\"size\":29,\"version\":1,\"location\":\"local folder\"}"),
            std::string::npos)
      << r.out;
  r = RunCli("show " + Game() + " text 0x01020304");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("  tag: 0x01020304\n"), std::string::npos) << r.out;
  test::TempDir out;
  ASSERT_EQ(
      RunCli("extract " + Game() + " text 0x01020304 " + ShellQuote(out.Path() + "/n")).status, 0);
  EXPECT_EQ(test::ReadFile(out.Path() + "/n"), "Remember to pack the add-on.\n");
  EXPECT_EQ(RunCli("refs " + Game() + " text 0x01020304").status, 0);
  EXPECT_EQ(RunCli("rename " + Game() + " text 0x01020304 --tagid note").out,
            "text note Modder Notes\n");

  // A structure-defined tag: get and set take the id and name it back the same way.
  ASSERT_EQ(RunCli("rename " + Game() + " wind gale --tagid 0x0000FF07").status, 0);
  r = RunCli("set " + Game() + " wind 0x0000FF07 direction=North");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "'Gale' (0x0000FF07) changed\n");
  EXPECT_EQ(RunCli("get " + Game() + " wind 0x0000FF07 direction").out, "direction=North\n");
}

TEST_F(CliDemo, ArchivesAsJsonGiveEveryColumn) {
  test::CliResult r = RunCli("archives " + Game() + " --json");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("{\"archives\":[{\"archive\":", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("{\"archive\":\"legacy\",\"kind\":1,\"priority\":0,\"tags\":2,"
                       "\"active\":\"no\",\"layout\":\"older\"}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"archive\":\"Rock Fix\",\"kind\":6,\"priority\":200,\"tags\":"),
            std::string::npos)
      << r.out;
}

TEST(Cli, BadArgumentsAndInputExitWithTwo) {
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("no-such-command").status, 2);
  EXPECT_EQ(RunCli("list").status, 2);
  EXPECT_EQ(RunCli("list /nonexistent/game").status, 2);
  EXPECT_EQ(RunCli("show /nonexistent text abcd").status, 2);
  EXPECT_EQ(RunCli("show . text toolong").status, 2);
  EXPECT_EQ(RunCli("unpack /etc/hostname /tmp").status, 2);
  EXPECT_EQ(RunCli("help").status, 0);
  test::TempDir empty;
  test::CliResult none = RunCli("show " + ShellQuote(empty.Path()) + " text abcd");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.out.find("no tag 'text' 'abcd'"), std::string::npos);
}

}  // namespace
}  // namespace brae
