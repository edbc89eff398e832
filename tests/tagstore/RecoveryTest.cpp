// Snapshot files and the recovery folder: the file a snapshot holds, sessions that are running
// or dead, listing by game folder, damaged snapshots, discarding and restoring through the Codex.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <random>

#include "GameFixture.h"
#include "SnapshotBuilder.h"
#include "tagstore/FileStream.h"
#include "tagstore/FileSystem.h"
#include "tagstore/Recovery.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::GameFixture;
using test::ReadFile;

class RecoveryTest : public GameFixture {
 protected:
  void SetUp() override {
    game_.AddLocal(test::Tag("text", "welc", "Welcome", "old words"));
    Load();
    recovery_ = Root() + "res/recovery/";
  }
  // A snapshot of the tag with the data, as the session's editor of that tag would write it.
  SnapshotInfo Info(const char (&group)[5], const char (&id)[5], const std::string& name) {
    SnapshotInfo info = test::SnapshotOf(group, id, name, CanonicalFolder(Root()));
    info.header.version = 1;
    return info;
  }
  static SnapshotDataWriter Data(const std::string& data) { return test::SnapshotData(data); }
  std::string Write(const RecoverySession& session, const SnapshotInfo& info,
                    const std::string& data) {
    return test::WriteSnapshotAt(session.SnapshotPath(info.editor_group, info.editor_subgroup),
                                 info, data);
  }
  std::string recovery_;
};

TEST(RecoveryFolder, LiesBesideThePreferencesFile) {
  EXPECT_EQ(RecoveryFolderFor("res/prefs.txt"), "res/recovery/");
  EXPECT_EQ(RecoveryFolderFor("/home/ann/.config/brae/prefs.txt"),
            "/home/ann/.config/brae/recovery/");
  EXPECT_EQ(RecoveryFolderFor("prefs.txt"), "recovery/");
}

TEST_F(RecoveryTest, SnapshotHoldsTheSavedFileAndReadsBackExactly) {
  RecoverySession session;
  ASSERT_TRUE(session.Start(recovery_));
  SnapshotInfo info = Info("text", "welc", "Welcome");
  info.editor_group = FourCC("mesh");  // an editor that saves another tag than its own
  info.editor_name = "Hill";
  const std::string path = Write(session, info, "new words");
  EXPECT_EQ(FileNamePart(path), "6d657368-77656c63.snap");

  // A save of the same data gives the snapshot's first bytes.
  TagRecord* record = Find("text", "welc");
  TagHeader header = info.header;
  FileStream* out = codex_.BeginTagWrite(record, &header);
  ASSERT_TRUE(out && out->Write("new words", 9));
  ASSERT_TRUE(codex_.EndTagWrite(record, &header, true));
  const std::string saved = ReadFile(Local("text", "Welcome"));
  ASSERT_EQ(saved.size(), 64u + 9);
  EXPECT_EQ(ReadFile(path).substr(0, saved.size()), saved);

  Snapshot read;
  std::string error;
  ASSERT_TRUE(ReadSnapshotFile(path, &read, &error)) << error;
  EXPECT_EQ(std::string(read.data.begin(), read.data.end()), "new words");
  EXPECT_EQ(read.info.group, FourCC("text"));
  EXPECT_EQ(read.info.subgroup, FourCC("welc"));
  EXPECT_EQ(read.info.editor_group, FourCC("mesh"));
  EXPECT_EQ(read.info.name, "Welcome");
  EXPECT_EQ(read.info.editor_name, "Hill");
  EXPECT_EQ(read.info.game_folder, CanonicalFolder(Root()));
  EXPECT_EQ(read.info.time, 1765000000);
  EXPECT_EQ(read.info.header.size, 9u);

  // Every damage is refused: a changed data byte, a cut file, a cut trailer.
  const std::vector<uint8_t> whole = test::ReadBytes(path);
  ParsedSnapshot parsed;
  std::vector<uint8_t> bad = whole;
  bad[64] ^= 1;
  EXPECT_FALSE(ParseSnapshot(bad, &parsed, &error));
  EXPECT_EQ(error, "snapshot checksum mismatch");
  bad.assign(whole.begin(), whole.end() - 1);
  EXPECT_FALSE(ParseSnapshot(bad, &parsed, &error));
  bad.assign(whole.begin(), whole.begin() + 70);
  EXPECT_FALSE(ParseSnapshot(bad, &parsed, &error));
}

TEST_F(RecoveryTest, FailedWriteKeepsThePreviousSnapshot) {
  RecoverySession session;
  ASSERT_TRUE(session.Start(recovery_));
  const SnapshotInfo info = Info("text", "welc", "Welcome");
  const std::string path = Write(session, info, "first");
  const std::string before = ReadFile(path);
  EXPECT_FALSE(WriteSnapshotFile(
      path, info, [](FileStream&, TagHeader&) { return false; }, nullptr));
  EXPECT_EQ(ReadFile(path), before);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(session.Folder()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 2u);  // the lock and the snapshot; no temporary file is left
}

TEST_F(RecoveryTest, OnlyDeadSessionsOfThisGameAreOffered) {
  RecoverySession running;
  ASSERT_TRUE(running.Start(recovery_));
  Write(running, Info("text", "welc", "Welcome"), "running");
  EXPECT_EQ(ReadFile(running.Folder() + "lock"), std::to_string(::getpid()) + "\n");

  // A session that died: its folder holds snapshots and a lock nobody holds.
  const std::string dead_folder = recovery_ + "4242-1765000000/";
  fs::create_directories(dead_folder);
  test::WriteFile(dead_folder + "lock", "4242\n");
  SnapshotInfo mine = Info("text", "welc", "Welcome");
  SnapshotInfo other_game = Info("text", "note", "Elsewhere");
  other_game.game_folder = "/somewhere/else/";
  WriteSnapshotFile(dead_folder + "a.snap", mine, Data("dead"), nullptr);
  WriteSnapshotFile(dead_folder + "b.snap", other_game, Data("x"), nullptr);
  test::WriteFile(dead_folder + "c.snap", "not a snapshot at all");

  {
    RecoveryCatalog catalog(recovery_);
    const auto& list = catalog.List(Root());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, "4242-1765000000.a");
    EXPECT_EQ(list[0].info.name, "Welcome");
    // The damaged one is named in the log and kept aside.
    EXPECT_NE(TheMessageLog().Text("Recovery").find("c.snap"), std::string::npos);
    EXPECT_FALSE(fs::exists(dead_folder + "c.snap"));
    EXPECT_TRUE(fs::exists(recovery_ + "damaged/4242-1765000000.c.snap"));

    // A second program meanwhile sees that these sessions are taken.
    RecoveryCatalog second(recovery_);
    EXPECT_TRUE(second.List(Root()).empty());

    EXPECT_TRUE(catalog.Discard("4242-1765000000.a"));
    EXPECT_FALSE(fs::exists(dead_folder + "a.snap"));
    EXPECT_FALSE(catalog.Discard("4242-1765000000.a"));
  }
  // The other game's snapshot keeps the dead session; the running one is never touched.
  EXPECT_TRUE(fs::exists(dead_folder + "b.snap"));
  EXPECT_TRUE(fs::exists(running.SnapshotPath(FourCC("text"), FourCC("welc"))));

  // Ending a session without snapshots removes its folder; with snapshots it stays, dead.
  const std::string running_folder = running.Folder();
  running.End();
  EXPECT_TRUE(fs::exists(running_folder + "lock"));
  RecoveryCatalog after(recovery_);
  ASSERT_EQ(after.List(Root()).size(), 1u);
  EXPECT_EQ(after.List(Root())[0].info.time, 1765000000);
}

TEST_F(RecoveryTest, RestoreWritesTheLocalFileAsASaveWouldAndCreatesMissingTags) {
  RecoverySession session;
  ASSERT_TRUE(session.Start(recovery_));
  Write(session, Info("text", "welc", "Welcome"), "restored words");
  Write(session, Info("text", "gone", "Gone Tag"), "a tag never saved");
  const std::string folder = session.Folder();
  session.End();
  const std::string session_name = FileNamePart(folder.substr(0, folder.size() - 1));

  {
    RecoveryCatalog catalog(recovery_);
    ASSERT_EQ(catalog.List(Root()).size(), 2u);
    std::string error;
    EXPECT_FALSE(catalog.Restore(codex_, session_name + ".00000000-00000000", &error));
    EXPECT_EQ(error, "no such snapshot");
    for (const char* stem : {".74657874-77656c63", ".74657874-676f6e65"}) {
      EXPECT_TRUE(catalog.Restore(codex_, session_name + stem, &error)) << error;
      EXPECT_FALSE(catalog.Find(session_name + stem));
    }
  }
  EXPECT_EQ(ReadData(Find("text", "welc")), "restored words");
  ASSERT_TRUE(Find("text", "gone"));
  EXPECT_EQ(EffectiveName(Find("text", "gone")), "Gone Tag");
  EXPECT_EQ(ReadFile(Local("text", "Gone Tag")).substr(64), "a tag never saved");
  EXPECT_FALSE(
      fs::exists(folder));  // restored and emptied, the dead session went with the catalogue
}

// A program killed at random moments while it writes snapshots and saves the tag: every
// snapshot left reads back whole, the local file holds one whole version, nothing is damaged.
TEST_F(RecoveryTest, KillsDuringSnapshotsNeverLeaveADamagedSnapshotOrLocalFile) {
  const std::string a(300000, 'a'), b(200001, 'b');
  const std::string original = ReadData(Find("text", "welc"));
  std::mt19937 random(20261209);
  for (int round = 0; round < 24; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      RecoverySession session;
      if (!session.Start(recovery_)) _exit(1);
      const SnapshotInfo info = Info("text", "welc", "Welcome");
      TagRecord* record = Find("text", "welc");
      for (int i = 0;; ++i) {
        const std::string& data = i % 2 ? b : a;
        WriteSnapshotFile(session.SnapshotPath(info.group, info.subgroup), info, Data(data),
                          nullptr);
        TagHeader header = info.header;
        if (FileStream* out = codex_.BeginTagWrite(record, &header))
          codex_.EndTagWrite(record, &header, out->Write(data.data(), data.size()));
      }
    }
    usleep(std::uniform_int_distribution<useconds_t>(0, 40000)(random));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string local = ReadData(Find("text", "welc"));
    EXPECT_TRUE(local == a || local == b || local == original) << "round " << round;
  }
  RecoveryCatalog catalog(recovery_);
  for (const RecoverableSnapshot& s : catalog.List(Root())) {
    Snapshot read;
    ASSERT_TRUE(ReadSnapshotFile(s.path, &read, nullptr));
    const std::string data(read.data.begin(), read.data.end());
    EXPECT_TRUE(data == a || data == b) << s.id;
  }
  EXPECT_FALSE(fs::exists(recovery_ + "damaged"));
}

}  // namespace
}  // namespace brae
