#pragma once
// The windowed fixture of the editing tests: a small generated game (the demo text tags and a
// mesh tag that no editor handles) loaded into the Codex, the editor factories registered, and
// message boxes answered from a script while their modal loops run.

#include <deque>
#include <string>
#include <vector>

#include "TempDir.h"
#include "editing/EditorRegistry.h"
#include "gui/GuiHarness.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae::test {

struct SeenBox {
  std::string title, message;
};

class EditingTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (IsSkipped()) return;
    game_ = dir_.Path() + "/game";
    demo::DemoGame game;
    demo::AddEditingDemo(game);
    demo::DemoTag mesh;
    mesh.group = FourCC("mesh");
    mesh.subgroup = FourCC("hill");
    mesh.name = "Hill";
    mesh.data.assign(16, 0);
    game.Archive("tags", "texts", 2).tags.push_back(mesh);
    demo::DemoTag note;
    note.group = FourCC("text");
    note.subgroup = FourCC("note");
    note.name = "Local Notes";
    note.data = {'W', 'r', 'i', 't', 't', 'e', 'n', '\r'};
    game.AddLocal(note);
    AddContent(game);
    ASSERT_TRUE(game.Write(game_));
    TheCodex().LoadCodex(game_);
    RegisterEditorFactories();
    on_pump = [this](int) { AnswerBox(); };
  }
  void TearDown() override {
    GuiTest::TearDown();  // deletes every window first: they give up their tag users
    TheCodex().ShutdownCodex();
    for (int i = 0; i < kTagGroupCount; ++i) TagGroupTable()[i].editor_factory = nullptr;
  }

  // More content of a derived fixture's game (before the game is written and loaded).
  virtual void AddContent(demo::DemoGame&) {}

  // The scripted user in front of message boxes: notes what each box says, types the prepared
  // name into an input box and presses the next planned button (the last button when none is
  // planned).
  void AnswerBox() {
    const ModalEntry* top = TopModal();
    auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
    if (!box || box->IsClosed()) return;
    SeenBox seen;
    seen.title = box->Title() ? box->Title() : "";
    if (box->MessageBox()) seen.message = box->MessageBox()->Text();
    boxes.push_back(seen);
    if (box->InputField()) box->InputField()->SetText(input_text.c_str());
    int answer = box->ButtonCount() - 1;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    box->Choose(answer);
  }

  TagRecord* Find(const char (&group)[5], const char (&subgroup)[5]) {
    return TheCodex().FindTag(FourCC(group), FourCC(subgroup));
  }
  std::string LocalPath(uint32_t group, const std::string& name) {
    return TheCodex().LocalTagPath(group, name);
  }
  // The data after the 64-byte header of a loose tag file.
  std::string LooseData(uint32_t group, const std::string& name) {
    std::string bytes = ReadFile(LocalPath(group, name));
    return bytes.size() >= 64 ? bytes.substr(64) : std::string("<missing>");
  }
  void Type(const std::string& text) {
    for (char c : text) {
      QueueCharEvent(static_cast<unsigned char>(c));
      Frame();
    }
  }
  void ControlS() {
    QueueKeyEvent(kKeyLeftControl, 1);
    QueueKeyEvent('S', 1);
    QueueKeyEvent('S', 0);
    QueueKeyEvent(kKeyLeftControl, 0);
    Frame();
  }
  // What the close box does: ask the window, close it when it agrees.
  bool TryClose(Window* window) {
    bool closed = window->RequestClose(0) != 0;
    if (closed) window->Close();
    Frame();
    return closed;
  }
  int CountLayer0(const char* class_name) {
    int count = 0;
    for (Window* w = Ui().layer0->FirstChild(); w; w = w->NextSibling())
      if (!w->IsClosed() && std::string(w->ClassName()) == class_name) ++count;
    return count;
  }

  TempDir dir_;
  std::string game_;
  std::vector<SeenBox> boxes;
  std::deque<int> answers;
  std::string input_text;
};

}  // namespace brae::test
