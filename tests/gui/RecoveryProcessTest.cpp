// Unsaved work survives a killed program. The program (its start-up, pump and hooks, as the brae
// executable runs them) runs in child processes on copies of the demo game, driven from its
// pump through the toolkit's input queue: unsaved changes in the text editor, a structure form,
// the collection editor (a sequence field and a bitmap import) and the mesh editor (a painted
// stroke). One run saves them; the other is killed with SIGKILL once its snapshots are written,
// started again, answers "Recover Unsaved Changes" with "Recover" and saves every editor. Both
// local folders must then hold the same bytes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "GuiHarness.h"
#include "ProgramFolder.h"
#include "TempDir.h"
#include "app/ProgramHooks.h"
#include "app/Startup.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceEdit.h"
#include "editing/MemberChangeListener.h"
#include "editing/StructEditor.h"
#include "editing/TagStructEdit.h"
#include "editing/browser/ArchiveBrowser.h"
#include "media/ui/FileDialog.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "terrain/ui/MeshEdit.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::ProgramFolder;

constexpr int kSeconds = 1000000;

// ---- the user, from the program's pump ------------------------------------------------------

using test::Centre;

void Click(Window* w) {
  const Point p = Centre(w->Frame());
  test::QueueClick(p.x, p.y);
}

void Press(int key) {
  QueueKeyEvent(key, 1);
  QueueKeyEvent(key, 0);
}

std::vector<TagEdit*> OpenEditors() {
  std::vector<TagEdit*> editors;
  for (Window* w = Ui().layer0->FirstChild(); w; w = w->NextSibling())
    if (auto* e = dynamic_cast<TagEdit*>(w); e && !e->IsClosed()) editors.push_back(e);
  return editors;
}

TagRecord* Find(const char (&group)[5], const char (&id)[5]) {
  return TheCodex().FindTag(FourCC(group), FourCC(id));
}

// A list of steps run one per pump (each returns true when done), and the answers to the
// dialogs that commands open meanwhile.
class Script {
 public:
  using Step = std::function<bool()>;
  void Then(Step step) { steps_.push_back(std::move(step)); }
  void Types(const std::string& text) {
    for (char c : text)
      Then([c] {
        QueueCharEvent(uint8_t(c));
        return true;
      });
  }
  // The pump's hook: answers an open dialog, or runs the next step (never from inside one).
  void Pump() {
    const ModalEntry* top = TopModal();
    if (top && top->window && !top->window->IsClosed()) {
      if (on_modal_ && ++modal_pumps_ >= 3) on_modal_(top->window);
      return;
    }
    modal_pumps_ = 0;
    if (running_ || steps_.empty()) return;
    running_ = true;
    if (steps_.front()()) steps_.pop_front();
    running_ = false;
  }
  void OnModal(std::function<void(Window*)> act) { on_modal_ = std::move(act); }

 private:
  std::deque<Step> steps_;
  std::function<void(Window*)> on_modal_;
  int modal_pumps_ = 0;
  bool running_ = false;
};

// Import dialogs take the demo game's backdrop picture; questions get their first button.
void AnswerImport(Window* window, const std::string& images) {
  if (auto* d = dynamic_cast<FileDialogWindow*>(window)) {
    if (d->Folder() != images) d->ShowFolder(images);
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i)
      if (d->Entries()->ShownRow(i)->text == "backdrop.bmp")
        d->ActivateRow(d->Entries()->ShownRow(i));
  } else if (auto* box = dynamic_cast<MessageBoxWindow*>(window)) {
    box->Choose(0);
  }
}

// The same unsaved changes in four editors, in every run.
void MakeEdits(Script& s, const std::string& images) {
  struct Edited {
    TextBox* hit_points = nullptr;
    X256Edit* sprites = nullptr;
    X256SequenceEdit* sequence = nullptr;
  };
  auto e = std::make_shared<Edited>();
  s.OnModal([images](Window* w) { AnswerImport(w, images); });
  s.Then([] { return TheArchiveBrowser() != nullptr; });
  s.Then([] { return OpenTag(Find("text", "welc")) != nullptr; });
  s.Types("Recovered words. ");
  // The structure form: hit points.
  s.Then([e] {
    auto* form = dynamic_cast<TagStructEdit*>(OpenTag(Find("mons", "ogre")));
    if (!form) return false;
    for (auto& l : form->Editor()->Listeners())
      if (l->member->name == "hit_points") e->hit_points = static_cast<TextBox*>(l->control);
    return e->hit_points && (Click(e->hit_points), true);
  });
  s.Then([e] { return e->hit_points->SelectAll(), true; });
  s.Types("250");
  // The collection: a sequence's ticks per frame, then a bitmap imported from a file.
  s.Then([e] {
    e->sprites = dynamic_cast<X256Edit*>(OpenTag(Find(".256", "dspr")));
    if (!e->sprites) return false;
    e->sequence = e->sprites->OpenSequenceEditor(e->sprites->GetCollection().SequenceAt(1));
    return e->sequence && (Click(e->sequence->Field(kFieldTicksPerFrame)), true);
  });
  s.Then([e] { return e->sequence->Field(kFieldTicksPerFrame)->SelectAll(), true; });
  s.Types("7");
  s.Then([] { return Press(kKeyEnter), true; });
  s.Then([e] { return e->sprites->BitmapBrowser()->RunCommand(kCommandAddFromFiles), true; });
  // The mesh: one stroke of material 100 on the detail map.
  s.Then([] {
    auto* mesh = dynamic_cast<MeshEdit*>(OpenTag(Find("mesh", "vale")));
    if (!mesh) return false;
    mesh->brush_material = 100;
    mesh->brush_radius = 1.0f;
    mesh->round_brush = true;
    mesh->vertex_brush = true;
    mesh->BeginStroke(false);
    mesh->StrokeDab(20.0f, 20.0f);
    mesh->StrokeDab(40.0f, 30.0f);
    mesh->EndStroke();
    return true;
  });
}

void SaveEveryEditorAndQuit(Script& s) {
  s.Then([] {
    for (TagEdit* e : OpenEditors()) e->SaveWithMessages();
    Ui().quit_hook = nullptr;
    QueueCloseRequest();
    return true;
  });
}

// ---- the runs, each in its own process ------------------------------------------------------

class RecoveryProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
  }
  static std::string Prefs() { return "ShowSplash 0\nRecoveryInterval 1\nLastImageOpenFormat 0\n"; }
  static void AddDefinitions(ProgramFolder& folder) {
    test::WriteFile(folder.dir.Path() + "/res/demo structures.xml", demo::DemoDefinitionText());
  }
  // Runs the program in a child process with a script made by build (which gets the folder).
  static pid_t Start(ProgramFolder& folder,
                     std::function<void(Script&, const ProgramFolder&)> build) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    Script script;
    build(script, folder);
    InstallProgramHooks();
    BraeOptions options;
    options.folder = folder.dir.Path();
    options.after_pump = [&script] { script.Pump(); };
    _exit(RunBrae(options));
  }
  // The exit status of the child, or -1 when it had to be killed after the time given.
  static int Wait(pid_t pid, int seconds) {
    int status = 0;
    for (int i = 0; i < seconds * 10; ++i) {
      if (waitpid(pid, &status, WNOHANG) == pid)
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      usleep(100000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  // Every file of the local folder by path, with its bytes.
  static std::map<std::string, std::string> LocalFiles(const std::string& game) {
    std::map<std::string, std::string> files;
    const fs::path local = fs::path(game) / "local";
    if (!fs::exists(local)) return files;
    for (const auto& e : fs::recursive_directory_iterator(local))
      if (e.is_regular_file())
        files[fs::relative(e.path(), local).string()] = test::ReadFile(e.path());
    return files;
  }
  // The snapshot files of the folder's sessions, with their times of change.
  static std::map<std::string, fs::file_time_type> Snapshots(const ProgramFolder& folder) {
    std::map<std::string, fs::file_time_type> snaps;
    const fs::path recovery = folder.dir.Path() + "/res/recovery";
    if (!fs::exists(recovery)) return snaps;
    for (const auto& e : fs::recursive_directory_iterator(recovery))
      if (e.path().extension() == ".snap")
        snaps[e.path().filename().string()] = e.last_write_time();
    return snaps;
  }
};

TEST_F(RecoveryProcess, KilledProgramRecoversEveryEditorByteForByte) {
  // The control run: the same edits, saved.
  ProgramFolder control(Prefs());
  const std::map<std::string, std::string> original = LocalFiles(control.game);
  AddDefinitions(control);
  const pid_t saver = Start(control, [](Script& s, const ProgramFolder& f) {
    MakeEdits(s, f.game + "/images/");
    SaveEveryEditorAndQuit(s);
  });
  ASSERT_EQ(Wait(saver, 120), 0) << "the control run did not finish";
  const std::map<std::string, std::string> expected = LocalFiles(control.game);
  std::map<std::string, std::string> changed = expected;  // text, form, collection, detail map
  for (const auto& [path, bytes] : original)
    if (changed.count(path) && changed[path] == bytes) changed.erase(path);
  ASSERT_EQ(changed.size(), 4u);

  // The run that is killed once every editor's last change is in a snapshot.
  ProgramFolder folder(Prefs());
  AddDefinitions(folder);
  const std::string done = folder.dir.Path() + "/edits-done";
  const pid_t victim = Start(folder, [done](Script& s, const ProgramFolder& f) {
    MakeEdits(s, f.game + "/images/");
    s.Then([done] { return test::WriteFile(done, "done"), true; });
  });
  std::map<std::string, fs::file_time_type> snaps;
  for (int i = 0; i < 600; ++i) {
    usleep(kSeconds / 10);
    if (!fs::exists(done)) continue;
    const fs::file_time_type edits_done = fs::last_write_time(done);
    snaps = Snapshots(folder);
    int fresh = 0;
    for (const auto& [name, time] : snaps) fresh += time >= edits_done;
    if (fresh == 4) break;
  }
  kill(victim, SIGKILL);
  waitpid(victim, nullptr, 0);
  ASSERT_EQ(snaps.size(), 4u);
  EXPECT_TRUE(LocalFiles(folder.game) == original);  // nothing written behind the user's back

  // Started again: "Recover", then every editor saved.
  const std::string seen = folder.dir.Path() + "/seen";
  const pid_t again = Start(folder, [seen](Script& s, const ProgramFolder&) {
    s.OnModal([seen, clicked = false](Window* w) mutable {
      auto* box = dynamic_cast<MessageBoxWindow*>(w);
      if (clicked || !box || std::string(box->Title()) != "Recover Unsaved Changes") return;
      clicked = true;
      test::SaveScreenshot("recovery-dialog");
      std::string text = box->MessageBox()->Text();
      for (int i = 0; i < box->ButtonCount(); ++i)
        text += std::string("[") + box->ButtonAt(i)->Title() + "]";
      test::WriteFile(seen, text);
      Click(box->ButtonAt(0));
    });
    s.Then([] { return TheArchiveBrowser() != nullptr && OpenEditors().size() == 4; });
    s.Then([seen] {
      std::string titles;
      for (TagEdit* e : OpenEditors()) titles += std::string(e->Title()) + "\n";
      test::WriteFile(seen + "-titles", titles);
      test::SaveScreenshot("recovery-recovered");
      return true;
    });
    SaveEveryEditorAndQuit(s);
  });
  ASSERT_EQ(Wait(again, 120), 0) << "the recovering run did not finish";
  const std::string dialog = test::ReadFile(seen);
  for (const char* row : {"Welcome Text   'text'   'welc'", "Hill Ogre   'mons'   'ogre'",
                          "Demo Sprites   '.256'   'dspr'", "'mesh'   'vale'"})
    EXPECT_NE(dialog.find(row), std::string::npos) << dialog;
  EXPECT_NE(dialog.find("[Recover][Discard][Later]"), std::string::npos) << dialog;
  const std::string titles = test::ReadFile(seen + "-titles");
  EXPECT_EQ(std::count(titles.begin(), titles.end(), '*'), 4) << titles;

  const std::map<std::string, std::string> recovered = LocalFiles(folder.game);
  ASSERT_EQ(recovered.size(), expected.size());
  for (const auto& [path, bytes] : expected) {
    ASSERT_TRUE(recovered.count(path)) << path;
    EXPECT_TRUE(recovered.at(path) == bytes) << path << " differs from the control run";
  }
  // Saved, the snapshots are gone, and so is the dead session.
  EXPECT_TRUE(Snapshots(folder).empty());
}

}  // namespace
}  // namespace brae
