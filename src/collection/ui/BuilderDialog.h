#pragma once
// What the two collection builder dialogs share: labelled rows of text boxes, a folder row with
// its "..." button, check boxes, the "Error" box of a refusal, and a build that writes its log
// into the log viewer's page while the program keeps drawing.

#include <chrono>
#include <string>
#include <vector>

#include "collection/CollectionBuilder.h"
#include "toolkit/CheckBox.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

class BuilderDialog : public DialogWindow {
 public:
  BuilderDialog(const char* title, int rows);
  const char* ClassName() const override { return "BuilderDialog"; }
  int OnCancel() override { return building_ ? 0 : 1; }
  int RequestClose(int reason) override;
  void DrawContent() override;

  // Where a label's text starts, in screen coordinates; (-1, -1) for a label it does not show.
  Point LabelPosition(const std::string& text) const;

  // Whether a build is running (OK, Cancel and closing wait for it).
  bool Building() const { return building_; }

 protected:
  TextBox* AddTextRow(const char* label, int max_length = 255);
  // The folder row: its text box, and a "..." button that asks with the title.
  TextBox* AddFolderRow(const char* label, const char* chooser_title);
  CheckBox* AddCheckRow(const char* label);
  // A label left of a row whose control the dialog makes itself.
  void AddLabel(const char* label, int row);
  // A row of two short text boxes, each after its own label ("Regpoint" "X:" ... "Y:" ...).
  void AddPairRow(const char* label, const char* first, const char* second, TextBox** a,
                  TextBox** b);
  // The row's top in content coordinates, and its control's rectangle.
  Rect RowRect(int row) const;
  // Shows text in an "Error" box with "OK".
  static void ShowRefusal(const std::string& text);

  // The log of a build: lines go to the category (the first one shows the log viewer); the
  // progress sink lets the program draw at most every 100 ms while the build runs.
  BuildLog LogTo(const std::string& category);
  BuildProgressSink Progress();
  // Brackets a build: OK, Cancel and closing are refused meanwhile.
  void SetBuilding(bool building) { building_ = building; }

  int next_row_ = 0;

 private:
  void ChooserClicked(int index);

  struct Label {
    std::string text;
    int x, y;  // client coordinates
  };
  std::vector<Label> labels_;
  std::vector<std::pair<TextBox*, const char*>> choosers_;  // folder box and chooser title
  int rows_ = 0;
  bool building_ = false;
  bool first_line_ = true;
  std::chrono::steady_clock::time_point last_pump_{};
};

}  // namespace brae
