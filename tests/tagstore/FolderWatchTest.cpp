// The local-folder watch: changes made by other programs reach the index on the next poll.
#include "tagstore/FolderWatch.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "GameFixture.h"

namespace brae {
namespace {

using test::Tag;

TEST(FolderWatch, ReportsRemovedModifiedAddedInThreePasses) {
  test::TempDir dir;
  const std::string folder = dir.Path() + "/w";
  FolderWatch watch;
  watch.Watch(folder, nullptr);
  std::vector<std::string> seen;
  auto handler = [&](WatchedFolder&, WatchEntry* e, int event) {
    seen.push_back(std::to_string(event) + (e ? " " + e->name : ""));
  };
  watch.Poll(handler);
  EXPECT_TRUE(seen.empty());  // missing and never seen: nothing to report

  test::WriteFile(folder + "/b", "1");
  test::WriteFile(folder + "/a", "1");
  test::WriteFile(folder + "/C", "1");
  EXPECT_TRUE(watch.MayHaveChanged());
  watch.Poll(handler);
  EXPECT_EQ(seen, (std::vector<std::string>{"0", "3 a", "3 b", "3 C"}));
  EXPECT_FALSE(watch.MayHaveChanged());

  seen.clear();
  std::remove((folder + "/a").c_str());
  test::WriteFile(folder + "/b", "22");
  test::WriteFile(folder + "/aa", "1");
  ::mkdir((folder + "/sub").c_str(), 0777);
  EXPECT_TRUE(watch.MayHaveChanged());
  watch.Poll(handler);
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "7 a", "5 b", "3 aa", "4 sub"}));

  seen.clear();
  std::filesystem::remove_all(folder);
  watch.Poll(handler);
  EXPECT_EQ(seen, (std::vector<std::string>{"7 aa", "7 b", "7 C", "8 sub", "2"}));
}

TEST(FolderWatch, NoticesAFolderAppearingBelowAMissingParent) {
  test::TempDir dir;
  FolderWatch watch;
  watch.Watch(dir.Path() + "/quicktime/mp3", nullptr);
  int events = 0;
  auto handler = [&](WatchedFolder&, WatchEntry*, int) { ++events; };
  watch.Poll(handler);
  EXPECT_FALSE(watch.MayHaveChanged());
  ::mkdir((dir.Path() + "/quicktime").c_str(), 0777);
  EXPECT_TRUE(watch.MayHaveChanged());
  watch.Poll(handler);
  ::mkdir((dir.Path() + "/quicktime/mp3").c_str(), 0777);
  EXPECT_TRUE(watch.MayHaveChanged());
  watch.Poll(handler);
  EXPECT_EQ(events, 1);  // the folder appeared
}

TEST(FolderWatch, ReportsAFileCompleteOnlyWhenItsWriterClosedItOrRenamedItInPlace) {
  test::TempDir dir;
  FolderWatch watch;
  watch.ReportCompletedFiles(true);
  watch.Watch(dir.Path(), nullptr);
  std::vector<std::string> completed;
  auto handler = [&](WatchedFolder&, WatchEntry* e, int event) {
    if (event == kFileCompleted) completed.push_back(e->name);
  };
  watch.Poll(handler);
  const std::string picture = dir.Path() + "/picture.png";
  FILE* f = std::fopen(picture.c_str(), "wb");
  std::fputs("first half", f);
  std::fflush(f);
  watch.Poll(handler);
  EXPECT_TRUE(completed.empty());  // still open: half written
  std::fputs("second half", f);
  std::fclose(f);
  watch.Poll(handler);
  EXPECT_EQ(completed, std::vector<std::string>{"picture.png"});

  test::WriteFile(picture + ".part", "whole");
  watch.Poll(handler);
  completed.clear();
  std::rename((picture + ".part").c_str(), picture.c_str());
  watch.Poll(handler);
  EXPECT_EQ(completed, std::vector<std::string>{"picture.png"});
}

class LocalFolderWatch : public test::GameFixture {
 protected:
  void WriteLocal(const demo::DemoTag& tag, const std::string& file) {
    test::WriteBytes(Local(demo::GroupFolder(tag.group), file), demo::LooseTagBytes(tag));
  }
};

TEST_F(LocalFolderWatch, AnotherProgramAddsModifiesRenamesAndRemoves) {
  game_.Archive("tags", "patch", 2).tags.push_back(Tag("text", "arch", "Archived", "archive copy"));
  Load();
  Listen();
  codex_.PollLocalFolder(false);
  EXPECT_TRUE(log_.events.empty());

  WriteLocal(Tag("text", "newt", "New Tag", "fresh"), "New Tag");
  WriteLocal(Tag("text", "arch", "Archived", "local copy"), "Archived");
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"2 text arch", "1 text newt"}));
  EXPECT_EQ(ReadData(Find("text", "arch")), "local copy");

  log_.events.clear();
  WriteLocal(Tag("text", "newt", "New Tag", "fresher!"), "New Tag");
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"2 text newt"}));
  EXPECT_EQ(ReadData(Find("text", "newt")), "fresher!");

  log_.events.clear();
  std::rename(Local("text", "New Tag").c_str(), Local("text", "Renamed").c_str());
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"4 text newt", "1 text newt"}));
  EXPECT_EQ(Find("text", "newt")->local->file_name, "Renamed");

  log_.events.clear();
  std::remove(Local("text", "Renamed").c_str());
  std::remove(Local("text", "Archived").c_str());
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"2 text arch", "4 text newt"}));
  EXPECT_FALSE(Find("text", "newt"));
  EXPECT_EQ(ReadData(Find("text", "arch")), "archive copy");
}

TEST_F(LocalFolderWatch, ChangingTheTagidInsideAFileMovesIt) {
  game_.AddLocal(Tag("text", "old1", "Mover", "m"));
  Load();
  Listen();
  WriteLocal(Tag("text", "new1", "Mover", "m"), "Mover");
  codex_.PollLocalFolder(false);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"4 text old1", "1 text new1"}));
  EXPECT_FALSE(Find("text", "old1"));
  ASSERT_TRUE(Find("text", "new1"));
}

TEST_F(LocalFolderWatch, ACopyUnderASecondNameIsRefusedAsDuplicate) {
  game_.AddLocal(Tag("text", "dupe", "First", "1"));
  Load();
  TheMessageLog().Clear();
  WriteLocal(Tag("text", "dupe", "Second", "2"), "Second");
  codex_.PollLocalFolder(false);
  EXPECT_EQ(CodexLog(),
            "duplicate tagids detected: in the 'Text' folder, 'Second' and 'First' have the same "
            "tagids.\n");
  EXPECT_EQ(Find("text", "dupe")->local->file_name, "First");
  // Removing the refused copy leaves the entered one alone.
  std::remove(Local("text", "Second").c_str());
  codex_.PollLocalFolder(false);
  ASSERT_TRUE(Find("text", "dupe"));
  EXPECT_EQ(ReadData(Find("text", "dupe")), "1");
}

TEST_F(LocalFolderWatch, IdlePollsSkipTheListing) {
  game_.AddLocal(Tag("text", "idle", "Idle"));
  Load();
  int polls = 0;
  for (int i = 0; i < 100; ++i) {
    if (codex_.Watch().MayHaveChanged()) ++polls;
    codex_.PollLocalFolder(false);
  }
  EXPECT_EQ(polls, 0);
}

}  // namespace
}  // namespace brae
