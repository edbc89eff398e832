// The real brae program in its own process, driven with real X input (xdotool) sent to its
// window. These run alone (no other test shares the display meanwhile): keys sent by xdotool
// may reach whichever window has the keyboard.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "ProgramFolder.h"
#include "TempDir.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::ProgramFolder;

bool HasDisplay() {
  return std::getenv("DISPLAY") != nullptr;
}

class ProgramProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay() || std::system("command -v xdotool >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "needs a display and xdotool";
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // Starts a copy of brae in the folder and finds its window by process id (other tests may
  // have windows titled "Brae" open meanwhile).
  void Start(ProgramFolder& folder) {
    std::string program = folder.dir.Path() + "/brae";
    fs::copy_file(std::string(BRAE_BUILD_DIR) + "/bin/brae", program);
    fs::permissions(program, fs::perms::owner_all);
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string find =
        "timeout 20 xdotool search --sync --pid " + std::to_string(pid_) + " 2>/dev/null";
    FILE* search = popen(find.c_str(), "r");
    ASSERT_TRUE(search);
    char line[64] = {};
    if (std::fgets(line, sizeof line, search))
      window_ = std::string(line, std::strcspn(line, "\n"));
    pclose(search);
    ASSERT_FALSE(window_.empty());
    WaitForIdle();  // keys pressed during start-up are ignored
  }
  // The program's processor time so far, in clock ticks.
  long CpuTicks() const {
    std::string stat = test::ReadFile("/proc/" + std::to_string(pid_) + "/stat");
    size_t end = stat.rfind(')');
    if (end == std::string::npos) return 0;
    long utime = 0, stime = 0;
    // After the command name: state, then 10 numbers before utime and stime.
    std::sscanf(stat.c_str() + end + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld",
                &utime, &stime);
    return utime + stime;
  }
  // Waits until the program has used under a tenth of a core for half a second: start-up and
  // opening an editor keep it busy, its main loop idles. Then one more moment for the screen.
  void WaitForIdle() {
    const long tenth_of_quarter_second = sysconf(_SC_CLK_TCK) / 40 + 1;
    long last = CpuTicks();
    int calm = 0;
    for (int i = 0; i < 120 && calm < 2; ++i) {
      usleep(250000);
      long now = CpuTicks();
      calm = now - last < tenth_of_quarter_second ? calm + 1 : 0;
      last = now;
    }
    usleep(200000);
  }
  // Events go to the program's own window, whichever window has the focus (tests run side by
  // side on one display).
  bool Keys(const std::string& keys) {
    return std::system(
               ("xdotool key --window " + window_ + " " + keys + " >/dev/null 2>&1").c_str()) == 0;
  }
  bool Type(const std::string& text) {
    return std::system(
               ("xdotool type --window " + window_ + " '" + text + "' >/dev/null 2>&1").c_str()) ==
           0;
  }
  // Alt+F4 asks the quit question, Return answers "Quit"; returns the exit status or -1.
  int Quit() {
    EXPECT_TRUE(Keys("alt+F4"));
    WaitForIdle();
    // The program may be gone before the key's release is sent: no check of xdotool's result.
    Keys("Return");
    int status = -1;
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(100000);
    }
    return -1;
  }

  pid_t pid_ = -1;
  std::string window_;
};

TEST_F(ProgramProcess, QuitsByRealKeyPresses) {
  ProgramFolder folder("ShowSplash 0\n");
  Start(folder);
  EXPECT_EQ(Quit(), 0) << "the program did not quit";
  EXPECT_NE(folder.Prefs().find("OsWindowSizeX "), std::string::npos) << folder.Prefs();
}

// The archive browser shows at start-up with the keyboard in its filter field: typing narrows
// the tree, Tab moves to the tree, Down twice selects the first tag under its group, Return
// opens it; the typed text goes into the editor and Control+S writes the loose file.
TEST_F(ProgramProcess, OpensATextTagTypesAndSavesWithControlS) {
  ProgramFolder folder("ShowSplash 0\n");
  std::string saved = folder.game + "/local/text/Welcome Text";
  ASSERT_FALSE(fs::exists(saved));
  Start(folder);
  EXPECT_TRUE(Type("welcome"));
  WaitForIdle();
  EXPECT_TRUE(Keys("Tab Down Down Return"));
  WaitForIdle();  // the editor opens with the keyboard in its text
  EXPECT_TRUE(Type("Hello from the keyboard. "));
  usleep(500000);
  EXPECT_TRUE(Keys("ctrl+s"));
  std::string text;
  for (int i = 0; i < 100 && text.find("Hello") == std::string::npos; ++i) {
    usleep(100000);
    if (fs::exists(saved)) text = test::ReadFile(saved);
  }
  ASSERT_GE(text.size(), 64u) << "no loose file was saved";
  EXPECT_EQ(text.substr(64),
            "Hello from the keyboard. Welcome to the valley.\rThe river runs north.\r");
  EXPECT_EQ(text.substr(0x24, 8), "textwelc");  // group and tagid in the header
  EXPECT_EQ(text.substr(0x3C, 4), "vrn2");
  // Control+W closes the editor (saved: no question); then the program quits.
  EXPECT_TRUE(Keys("ctrl+w"));
  WaitForIdle();
  EXPECT_EQ(Quit(), 0) << "the program did not quit";
}

}  // namespace
}  // namespace brae
