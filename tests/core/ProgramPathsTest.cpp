// Where the program finds its resources and keeps the files it writes, for a portable copy and
// for an installation under a prefix.
#include "core/ProgramPaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TempDir.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

TEST(ProgramPaths, ResBesideTheProgramElseTheInstalledShareFolder) {
  test::TempDir dir;
  const std::string d = dir.Path();
  const PathEnvironment env{"/home/ann", "", ""};

  // A portable copy: everything stays in its res folder.
  fs::create_directories(d + "/portable/res");
  ProgramPaths portable = FindProgramPaths(d + "/portable/", env);
  EXPECT_TRUE(portable.portable);
  EXPECT_EQ(portable.resources, d + "/portable/res/");
  EXPECT_EQ(portable.prefs_file, d + "/portable/res/prefs.txt");
  EXPECT_EQ(portable.data, d + "/portable/res/");
  EXPECT_EQ(portable.user_definitions, "/home/ann/.local/share/brae/definitions/");

  // Installed: PREFIX/bin and PREFIX/share/brae/res; the user's files in the XDG folders.
  ProgramPaths installed = FindProgramPaths(d + "/usr/bin/", env);
  EXPECT_FALSE(installed.portable);
  EXPECT_EQ(installed.resources, d + "/usr/share/brae/res/");
  EXPECT_EQ(installed.prefs_file, "/home/ann/.config/brae/prefs.txt");
  EXPECT_EQ(installed.data, "/home/ann/.local/share/brae/");

  // The XDG variables move them; relative values are ignored, as the XDG rules say.
  ProgramPaths moved =
      FindProgramPaths(d + "/usr/bin", PathEnvironment{"/home/ann", "/cfg", "/xdg/data/"});
  EXPECT_EQ(moved.prefs_file, "/cfg/brae/prefs.txt");
  EXPECT_EQ(moved.data, "/xdg/data/brae/");
  EXPECT_EQ(moved.user_definitions, "/xdg/data/brae/definitions/");
  ProgramPaths relative =
      FindProgramPaths(d + "/usr/bin", PathEnvironment{"/home/ann", "cfg", "data"});
  EXPECT_EQ(relative.prefs_file, "/home/ann/.config/brae/prefs.txt");

  // A res folder beside the program that may not be written: the user's folders again.
  if (::geteuid() != 0) {
    fs::create_directories(d + "/locked/res");
    ::chmod((d + "/locked/res").c_str(), 0555);
    ProgramPaths locked = FindProgramPaths(d + "/locked/", env);
    EXPECT_EQ(locked.resources, d + "/locked/res/");
    EXPECT_FALSE(locked.portable);
    EXPECT_EQ(locked.prefs_file, "/home/ann/.config/brae/prefs.txt");
    ::chmod((d + "/locked/res").c_str(), 0755);
  }
}

TEST(ProgramPaths, WrittenFilesAreReadFromTheUsersFolderFirstAndFoldersAreMade) {
  test::TempDir dir;
  const std::string d = dir.Path();
  ProgramPaths paths;
  paths.resources = d + "/share/brae/res/";
  paths.data = d + "/home/data/brae/";
  paths.prefs_file = d + "/home/config/brae/prefs.txt";
  const ProgramPaths before = TheProgramPaths();
  SetProgramPaths(paths);

  // Nothing yet: the place it will be written, with its folder made.
  EXPECT_EQ(ReadableDataFile("dtex.act"), paths.data + "dtex.act");
  EXPECT_TRUE(fs::is_directory(paths.data));
  // A shipped copy is read until the user has one.
  test::WriteFile(paths.resources + "dtex.act", "shipped");
  EXPECT_EQ(ReadableDataFile("dtex.act"), paths.resources + "dtex.act");
  test::WriteFile(paths.data + "dtex.act", "mine");
  EXPECT_EQ(ReadableDataFile("dtex.act"), paths.data + "dtex.act");

  // The folder of the preferences is made before they are written.
  ASSERT_TRUE(MakeParentFolders(paths.prefs_file));
  EXPECT_TRUE(fs::is_directory(d + "/home/config/brae"));
  SetProgramPaths(before);
}

}  // namespace
}  // namespace brae
