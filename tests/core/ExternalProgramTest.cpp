// Starting the user's external program: the command line split into words, "%f" replaced by the
// file paths, the program started without a shell and without a zombie left behind.
#include "core/ExternalProgram.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "TempDir.h"

namespace brae {
namespace {

using Words = std::vector<std::string>;

TEST(ExternalProgram, SplitsTheCommandLineAndPutsThePathsInPlaceOfPercentF) {
  EXPECT_EQ(SplitCommandLine("gimp %f"), (Words{"gimp", "%f"}));
  EXPECT_EQ(SplitCommandLine("  '/opt/My Paint/paint'  -n \"two words\" ''"),
            (Words{"/opt/My Paint/paint", "-n", "two words", ""}));
  EXPECT_EQ(SplitCommandLine("a'b c'd 'open"), (Words{"ab cd", "open"}));
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());

  const Words paths = {"/w/a b.png", "/w/c.png"};
  EXPECT_EQ(ExpandFileArguments({"gimp", "%f"}, paths), (Words{"gimp", "/w/a b.png", "/w/c.png"}));
  EXPECT_EQ(ExpandFileArguments({"paint", "--file=%f", "-x"}, paths),
            (Words{"paint", "--file=/w/a b.png", "/w/c.png", "-x"}));
  EXPECT_EQ(ExpandFileArguments({"paint"}, paths), (Words{"paint", "/w/a b.png", "/w/c.png"}));
}

TEST(ExternalProgram, StartsWithoutAShellAndLeavesNoChildBehind) {
  test::TempDir dir;
  const std::string out = dir.Path() + "/args";
  // A file name that a shell would run as a second command stays one argument.
  const std::string odd = dir.Path() + "/x; touch " + dir.Path() + "/injected";
  std::string error;
  ASSERT_TRUE(StartProgram(
      "sh -c 'printf \"%s|\" \"$@\" > " + out + ".part && mv " + out + ".part " + out + "' sh %f",
      {dir.Path() + "/a b.png", odd}, &error))
      << error;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(out) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(test::ReadFile(out), dir.Path() + "/a b.png|" + odd + "|");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/injected"));
  // The program is not our child: nothing is left to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  EXPECT_FALSE(StartProgram("brae-no-such-paint-program %f", {"/tmp/x.png"}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(StartProgram("  ", {"/tmp/x.png"}, &error));
}

}  // namespace
}  // namespace brae
