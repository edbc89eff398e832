#pragma once
// The two add-on commands of the root menu and the dialog that asks for the add-on's settings.

#include <string>

#include "tagstore/AddonBuilder.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

extern const char* const kAddonHelpText;

class AddonPopup : public DialogWindow {
 public:
  AddonPopup();
  const char* ClassName() const override { return "AddonPopup"; }

  TextBox* NameBox() const { return name_; }
  TextBox* UrlBox() const { return url_; }
  TextBox* PriorityBox() const { return priority_; }
  TextBox* HelpBox() const { return help_; }

 private:
  TextBox* AddRow(const char* label, int kind, int row, int lines);

  TextBox* name_ = nullptr;
  TextBox* url_ = nullptr;
  TextBox* priority_ = nullptr;
  TextBox* help_ = nullptr;
};

// The program's side of the add-on builder: the dialog above and toolkit message boxes.
class ProgramAddonUi : public AddonUi {
 public:
  bool RunAddonDialog(std::string* name, std::string* url, std::string* priority) override;
  void ShowMessage(const std::string& title, const std::string& text,
                   const std::string& button) override;
  // "Missing References" with "Build Anyway" and "Cancel".
  bool AskBuildAnyway(const std::string& text) override;
};

// "Build Regular Add-on" and "Build Dtex Add-on"; both check the references of the tags going
// into the add-on before asking for its settings.
bool BuildRegularAddonCommand();
bool BuildDtexAddonCommand();

}  // namespace brae
