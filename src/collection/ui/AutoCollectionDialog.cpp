#include "collection/ui/AutoCollectionDialog.h"

#include "core/Prefs.h"
#include "editing/TagEdit.h"
#include "tagstore/Codex.h"
#include "toolkit/MessageBox.h"

namespace brae {

AutoCollectionDialog::AutoCollectionDialog() : BuilderDialog(kBuildCollectionTitle, 7) {
  name_ = AddTextRow("Name:", int(kCollectionNameLength));
  folder_ = AddFolderRow("Folder:", kChooseCollectionFolder);
  tagid_ = AddTextRow("Tagid (opt.):", 4);
  Rect r = tagid_->ParentRelativeFrame();
  tagid_->SetFrame(Rect(r.x0, r.y0, r.x0 + 64, r.y1));  // four characters wide
  AddPairRow("Regpoint", "X:", "Y:", &reg_x_, &reg_y_);
  invert_ = AddCheckRow("Invert Alphas");
  frames_then_views_ = AddCheckRow("Frames Then Views Ordering");
  reg_x_->SetText("0");
  reg_y_->SetText("0");
  Window* ring[] = {name_, folder_, tagid_, reg_x_, reg_y_, invert_, frames_then_views_,
                    ok_,   cancel_};
  Window::SetTabOrder(ring, int(sizeof ring / sizeof ring[0]));
  SetDefaultChild(name_);
}

void AutoCollectionDialog::RememberFields(bool save) {
  ThePrefs().DialogValues(kBuildCollectionPrefs, save,
                          {{"Name", name_},
                           {"Path", folder_},
                           {"Tagid", tagid_},
                           {"RegX", reg_x_},
                           {"RegY", reg_y_},
                           {"InvertAlphas", invert_},
                           {"FramesThenViews", frames_then_views_}});
}

CollectionBuildFields AutoCollectionDialog::Fields() const {
  CollectionBuildFields f;
  f.name = name_->Text();
  f.folder = folder_->Text();
  f.tagid = tagid_->Text();
  f.reg_x = reg_x_->Text();
  f.reg_y = reg_y_->Text();
  f.invert_alphas = invert_->IsChecked();
  f.frames_then_views = frames_then_views_->IsChecked();
  return f;
}

int AutoCollectionDialog::OnOk() {
  if (Building()) return 0;
  CollectionBuildSettings settings;
  if (auto message = CheckCollectionBuildFields(Fields(), &settings)) {
    ShowRefusal(*message);
    return 0;
  }
  RememberFields(true);
  CollectionBuildQuestions questions;
  questions.overwrite = [](const std::string& text) {
    return ShowMessageBox(kOverwriteTitle, text.c_str(),
                          {kOverwriteButton, kDontOverwriteButton}) == 0;
  };
  const std::string category =
      FormatMessage(kBuildLogTitle, NextCollectionBuildNumber(), settings.name.c_str());
  SetBuilding(true);
  const CollectionBuildRun run =
      RunCollectionBuild(TheCodex(), settings, questions, LogTo(category), Progress());
  SetBuilding(false);
  if (!run.message.empty()) ShowRefusal(run.message);
  if (run.outcome != BuildOutcome::kBuilt) return 0;
  built_ = run.record;
  return 1;
}

void RunAutoCollectionDialog() {
  auto* dialog = new AutoCollectionDialog();
  dialog->RememberFields(false);
  dialog->CentreInParent();
  dialog->SetVisible(true);
  dialog->NameBox()->SetFocus();
  const bool built = dialog->RunDialog() == 1;
  TagRecord* record = dialog->Built();
  dialog->Close();
  if (built && record) OpenTag(record);
}

}  // namespace brae
