#include "tagstore/FileSystem.h"

#include <gtest/gtest.h>

#include "TempDir.h"

namespace brae {
namespace {

TEST(FileSystem, NormalizeFolderPath) {
  EXPECT_EQ(NormalizedFolderPath("C:\\Games\\Vorn"), "C:/Games/Vorn/");
  EXPECT_EQ(NormalizedFolderPath("a*b?c<d>e|f/"), "a_b_c_d_e_f/");
  EXPECT_EQ(NormalizedFolderPath(""), "/");
}

TEST(FileSystem, InfoExistsAndMakeFolder) {
  test::TempDir dir;
  const std::string nested = dir.Path() + "/quicktime/mp3";
  EXPECT_FALSE(FolderExists(nested));
  EXPECT_TRUE(MakeFolder(nested + "/"));
  EXPECT_TRUE(FolderExists(nested + "/"));
  EXPECT_TRUE(MakeFolder(nested));  // already there
  test::WriteFile(nested + "/f", "12345");
  EXPECT_TRUE(FileExists(nested + "/f"));
  EXPECT_FALSE(FolderExists(nested + "/f"));
  EXPECT_FALSE(FileExists(nested));
  FileInfoRecord info;
  ASSERT_TRUE(FileInfo(nested + "/f", &info));
  EXPECT_EQ(info.size, 5u);
  EXPECT_TRUE(info.flags & FileInfoRecord::kReadable);
  EXPECT_FALSE(info.flags & FileInfoRecord::kFolder);
  EXPECT_FALSE(FileInfo(nested + "/missing", &info));
  EXPECT_EQ(info, FileInfoRecord());
  EXPECT_FALSE(MakeFolder(nested + "/f/sub"));  // a file is in the way
}

TEST(FileSystem, ScanFolderSkipsSystemFilesRecursesAndStops) {
  test::TempDir dir;
  for (const char* f :
       {"b", "a", "Thumbs.db", ".DS_Store", "desktop.INI", "sub/c", "sub/deeper/d"}) {
    test::WriteFile(dir.Path() + "/" + f, "x");
  }
  std::vector<std::string> files, folders;
  auto on_file = [&](const FileInfoRecord&, const std::string& folder, const std::string& name) {
    files.push_back(folder.substr(dir.Path().size()) + name);
    return true;
  };
  auto on_folder = [&](const FileInfoRecord&, const std::string&, const std::string& name) {
    folders.push_back(name);
    return true;
  };
  EXPECT_TRUE(ScanFolder(dir.Path(), true, on_file, on_folder));
  EXPECT_EQ(files, (std::vector<std::string>{"/a", "/b", "/sub/c", "/sub/deeper/d"}));
  EXPECT_EQ(folders, (std::vector<std::string>{"sub", "deeper"}));

  files.clear();
  EXPECT_TRUE(ScanFolder(dir.Path(), false, on_file, nullptr));
  EXPECT_EQ(files.size(), 2u);

  int calls = 0;
  EXPECT_FALSE(ScanFolder(
      dir.Path(), true,
      [&](const FileInfoRecord&, const std::string&, const std::string&) { return ++calls < 2; },
      nullptr));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(ScanFolder(dir.Path() + "/none", false, on_file, nullptr));
}

TEST(FileSystem, RenameNeverReplacesAndUnsafeNames) {
  test::TempDir dir;
  test::WriteFile(dir.Path() + "/a", "A");
  test::WriteFile(dir.Path() + "/b", "B");
  EXPECT_FALSE(RenameFileNoReplace(dir.Path() + "/a", dir.Path() + "/b"));
  EXPECT_EQ(test::ReadFile(dir.Path() + "/b"), "B");
  EXPECT_TRUE(RenameFileNoReplace(dir.Path() + "/a", dir.Path() + "/c"));
  EXPECT_EQ(test::ReadFile(dir.Path() + "/c"), "A");
  for (const char* bad : {"", ".", "..", "a/b", "a\\b"}) EXPECT_TRUE(IsUnsafeFileName(bad)) << bad;
  EXPECT_FALSE(IsUnsafeFileName("Rock copy 1"));
}

}  // namespace
}  // namespace brae
