// brae-cli recovery: the snapshots a program that is no longer running left beside its
// preferences, listed (as text and JSON), discarded and restored into the local folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/FileStream.h"
#include "tagstore/FourCC.h"
#include "tagstore/Recovery.h"
#include "tagstore/SnapshotBuilder.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryCli, ListsDiscardsAndRestoresADeadSessionsSnapshots) {
  test::TempDir dir;
  // A copy of brae-cli in its own folder: its preferences, and so its snapshots, are there.
  const std::string program = dir.Path() + "/prog/brae-cli";
  fs::create_directories(dir.Path() + "/prog/res");
  fs::copy_file(std::string(BRAE_BUILD_DIR) + "/bin/brae-cli", program);
  const std::string game = dir.Path() + "/game";
  ASSERT_TRUE(demo::MakeDemoGame().Write(game));

  RecoverySession session;
  ASSERT_TRUE(session.Start(dir.Path() + "/prog/res/recovery/"));
  for (const SnapshotInfo& info :
       {test::SnapshotOf("text", "welc", "Welcome Text", CanonicalFolder(game)),
        test::SnapshotOf("text", "gone", "Gone", CanonicalFolder(game))})
    test::WriteSnapshotAt(session.SnapshotPath(info.group, info.subgroup), info, "Back again.\r");
  const std::string folder = session.Folder();
  const std::string name = fs::path(folder.substr(0, folder.size() - 1)).filename().string();
  const std::string welc = name + ".74657874-77656c63", gone = name + ".74657874-676f6e65";

  // While the program runs, its snapshots are not offered.
  EXPECT_EQ(test::RunCliRedirected("recovery " + game, "2>&1", program).out, "");
  session.End();

  const std::string time = FormatSnapshotTime(1765000000);
  test::CliResult list = test::RunCliRedirected("recovery " + game + " --list", "2>&1", program);
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, gone + "\tGone\ttext\tgone\t" + time + "\n" + welc +
                          "\tWelcome Text\ttext\twelc\t" + time + "\n");
  test::CliResult json =
      test::RunCliRedirected("recovery " + game + " --list --json", "2>&1", program);
  EXPECT_EQ(json.out,
            "{\"snapshots\":[{\"id\":\"" + gone +
                "\",\"name\":\"Gone\",\"group\":\"text\",\"subgroup\":\"gone\",\"time\":\"" + time +
                "\"},{\"id\":\"" + welc +
                "\",\"name\":\"Welcome Text\",\"group\":\"text\",\"subgroup\":\"welc\","
                "\"time\":\"" +
                time + "\"}]}\n");

  EXPECT_EQ(
      test::RunCliRedirected("recovery " + game + " --discard " + gone, "2>&1", program).status, 0);
  test::CliResult restore =
      test::RunCliRedirected("recovery " + game + " --restore " + welc, "2>&1", program);
  EXPECT_EQ(restore.status, 0) << restore.out;
  const std::string saved = test::ReadFile(game + "/local/text/Welcome Text");
  ASSERT_GE(saved.size(), 64u);
  EXPECT_EQ(saved.substr(64), "Back again.\r");
  EXPECT_EQ(test::RunCliRedirected("recovery " + game, "2>&1", program).out, "");
  test::CliResult unknown =
      test::RunCliRedirected("recovery " + game + " --restore " + welc, "2>&1", program);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.out.find("no snapshot"), std::string::npos);
}

}  // namespace
}  // namespace brae
