#include "app/AddonCommands.h"

#include "references/AddonReferenceCheck.h"
#include "references/ReferenceLines.h"
#include "tagstore/Codex.h"
#include "terrain/TerrainTags.h"
#include "toolkit/Frame.h"
#include "toolkit/MessageBox.h"

namespace brae {

const char* const kAddonHelpText =
    "The priority field of an add-on plugin defines its load ordering compared to other "
    "add-ons.\n\nAn add-on with a high priority will load after (and so override) an add-on "
    "with a low priority.\n\nIf you are not explicitly trying to override or not override some "
    "other add-on, you should not change this number from the default value of 100.";

namespace {

constexpr int kAddonClientWidth = 448;
constexpr int kLabelWidth = 72;

// Draws the row labels left of their controls.
class AddonLabels : public Window {
 public:
  explicit AddonLabels(Window* parent) : Window(kWindowVisible | kWindowEnabled, parent) {}
  const char* ClassName() const override { return "AddonLabels"; }
  void Add(const char* label, int y) { labels_.push_back({label, y}); }
  void DrawContent() override {
    SetColor(0xFF000000);
    for (const auto& [label, y] : labels_) DrawText(this, label, 0, y);
  }

 private:
  std::vector<std::pair<const char*, int>> labels_;
};

}  // namespace

AddonPopup::AddonPopup() {
  SetTitle("Build Add-on plugin");
  int line = LineHeight(this);
  // Three one-line rows and the eight-line help: eleven lines and the boxes' borders.
  SetContentSize(kAddonClientWidth - 2 * kDialogMargin, 11 * line + 22);
  Rect content = ContentRect();
  auto* labels = new AddonLabels(this);
  labels->SetFrame(Rect(content.x0, content.y0, content.x0 + kLabelWidth, content.y1));
  const char* texts[] = {"Name:", "URL:", "Priority:", "Help:"};
  for (int i = 0; i < 4; ++i) labels->Add(texts[i], i * (line + 6) + 2);

  name_ = AddRow("Name:", kTextSingleLine, 0, 1);
  name_->SetMaxLength(31);
  name_->SetText("<addon name>");
  url_ = AddRow("URL:", kTextSingleLine, 1, 1);
  url_->SetMaxLength(63);
  url_->SetText("<addon url>");
  priority_ = AddRow("Priority:", kTextInteger, 2, 1);
  priority_->SetInt(100);
  help_ = AddRow("Help:", kTextSelectable, 3, 8);
  help_->SetText(kAddonHelpText);
  help_->SetSelection(0, 0);
  // The help box grows to show its whole text, however the font wraps it.
  int help_top = help_->ParentRelativeFrame().y0 - content.y0;
  SetContentSize(kAddonClientWidth - 2 * kDialogMargin, help_top + help_->FullTextHeight());
  Rect help = help_->ParentRelativeFrame();
  help_->SetFrame(Rect(help.x0, help.y0, help.x1, help.y0 + help_->FullTextHeight()));
  labels->SetFrame(Rect(content.x0, content.y0, content.x0 + kLabelWidth, ContentRect().y1));

  Window* ring[5] = {name_, url_, priority_, ok_, cancel_};
  Window::SetTabOrder(ring, 5);
  SetDefaultChild(priority_);
}

TextBox* AddonPopup::AddRow(const char* /*label*/, int kind, int row, int lines) {
  Rect content = ContentRect();
  int line = LineHeight(this);
  int y = content.y0 + row * (line + 6);
  auto* box = new TextBox(kind, this);
  box->SetFrame(Rect(content.x0 + kLabelWidth, y, content.x1, y + lines * line + 4));
  return box;
}

bool ProgramAddonUi::RunAddonDialog(std::string* name, std::string* url, std::string* priority) {
  auto* popup = new AddonPopup();
  popup->CentreInParent();
  popup->SetVisible(true);
  popup->PriorityBox()->SetFocus();
  int accepted = popup->RunDialog();
  *name = popup->NameBox()->Text();
  *url = popup->UrlBox()->Text();
  *priority = popup->PriorityBox()->Text();
  popup->Close();
  ProcessDeferredDeletions();
  return accepted == 1;
}

void ProgramAddonUi::ShowMessage(const std::string& title, const std::string& text,
                                 const std::string& button) {
  ShowMessageBox(title.c_str(), text.c_str(), {button});
}

bool ProgramAddonUi::AskBuildAnyway(const std::string& text) {
  return ShowMessageBox("Missing References", text.c_str(), {"Build Anyway", "Cancel"}) == 0;
}

bool BuildRegularAddonCommand() {
  ProgramAddonUi ui;
  IndexAddonReferenceCheck check(TheReferenceIndex());
  AddonBuilder builder(TheCodex(), ui);
  builder.SetReferenceCheck(&check);
  return builder.BuildRegularAddon();
}

bool BuildDtexAddonCommand() {
  ProgramAddonUi ui;
  DtexDetailMapReader reader;
  IndexAddonReferenceCheck check(TheReferenceIndex());
  AddonBuilder builder(TheCodex(), ui);
  builder.SetReferenceCheck(&check);
  return builder.BuildDtexAddon(reader);
}

}  // namespace brae
