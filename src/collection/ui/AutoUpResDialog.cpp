#include "collection/ui/AutoUpResDialog.h"

#include <algorithm>

#include "collection/CollectionFormat.h"
#include "core/Prefs.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "toolkit/ComboBox.h"
#include "toolkit/MessageBox.h"

namespace brae {

AutoUpResDialog::AutoUpResDialog() : BuilderDialog(kHighResTitle, 8) {
  ok_->SetTitle(kHighResCreateButton);
  const int row = next_row_++;
  collection_ = new ComboBox(this, 0);
  const Rect r = RowRect(row);
  collection_->SetFrame(r);
  collection_->SetWidth(r.Width());
  AddLabel("Original Collection:", row);
  FillCollections();
  folder_ = AddFolderRow("High-Res Folder:", kChooseHighResFolder);
  target_ = AddTextRow("Target Scale:", 16);
  tolerance_ = AddTextRow("Scale Tolerance:", 16);
  object_ = AddTextRow("Object Scale:", 16);
  invert_ = AddCheckRow("Invert Alphas");
  frames_then_views_ = AddCheckRow("Frames Then Views Ordering");
  align_ = AddCheckRow("Align Bitmaps Individually");
  target_->SetText("1");
  tolerance_->SetText("0.05");
  object_->SetText("1");
  Window* ring[] = {collection_,        folder_, target_, tolerance_, object_, invert_,
                    frames_then_views_, align_,  ok_,     cancel_};
  Window::SetTabOrder(ring, int(sizeof ring / sizeof ring[0]));
  SetDefaultChild(folder_);
}

void AutoUpResDialog::FillCollections() {
  Codex& codex = TheCodex();
  std::vector<TagRecord*> all;
  codex.ListTagsOfGroup(kCollectionGroup, &all);
  std::vector<std::pair<std::string, TagRecord*>> named;
  for (TagRecord* r : all) {
    TagHeader h;
    if (!codex.HasEffectiveInstance(r)) continue;
    codex.GetEffectiveHeader(r, &h);
    named.push_back({h.Name() + " (" + FourCCToString(r->subgroup) + ")", r});
  }
  std::sort(named.begin(), named.end(),
            [](const auto& a, const auto& b) { return CompareNoCase(a.first, b.first) < 0; });
  for (const auto& [text, record] : named) {
    records_.push_back(record);
    collection_->AddItem(text.c_str(), int(records_.size()));  // value: position + 1
  }
  collection_->SetListRows(12, false);
}

bool AutoUpResDialog::ChooseCollection(uint32_t tagid) {
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i]->subgroup != tagid) continue;
    collection_->ChooseRow(int(i));
    return true;
  }
  return false;
}

void AutoUpResDialog::RememberFields(bool save) {
  ThePrefs().DialogValues(kHighResPrefs, save,
                          {{"Path", folder_},
                           {"TargetScale", target_},
                           {"Tolerance", tolerance_},
                           {"ObjectScale", object_},
                           {"InvertAlphas", invert_},
                           {"FramesThenViews", frames_then_views_},
                           {"AlignIndividually", align_}});
}

HighResFields AutoUpResDialog::Fields() const {
  HighResFields f;
  const int chosen = collection_->SelectedIndex();
  if (chosen >= 0 && size_t(chosen) < records_.size() &&
      collection_->Text() == collection_->ItemAt(chosen).text) {
    f.has_collection = true;
    f.tagid = records_[size_t(chosen)]->subgroup;
  }
  f.folder = folder_->Text();
  f.target_scale = target_->Text();
  f.tolerance = tolerance_->Text();
  f.object_scale = object_->Text();
  f.invert_alphas = invert_->IsChecked();
  f.frames_then_views = frames_then_views_->IsChecked();
  f.align_individually = align_->IsChecked();
  return f;
}

int AutoUpResDialog::OnOk() {
  if (Building()) return 0;
  HighResSettings settings;
  if (auto message = CheckHighResFields(Fields(), &settings)) {
    ShowRefusal(*message);
    return 0;
  }
  RememberFields(true);
  TagHeader header;
  TheCodex().GetEffectiveHeader(TheCodex().FindTag(kCollectionGroup, settings.tagid), &header);
  const std::string category =
      FormatMessage(kUpResLogTitle, NextUpResNumber(), header.Name().c_str());
  const Question overwrite = [](const std::string& text) {
    return ShowMessageBox(kOverwriteTitle, text.c_str(),
                          {kOverwriteButton, kDontOverwriteButton}) == 0;
  };
  SetBuilding(true);
  const HighResRun run =
      RunHighResBuild(TheCodex(), settings, overwrite, LogTo(category), Progress());
  SetBuilding(false);
  last_outcome_ = run.outcome;
  if (!run.message.empty()) ShowRefusal(run.message);
  return run.outcome == BuildOutcome::kBuilt ? 1 : 0;
}

void RunAutoUpResDialog() {
  auto* dialog = new AutoUpResDialog();
  dialog->RememberFields(false);
  dialog->CentreInParent();
  dialog->SetVisible(true);
  dialog->RunDialog();
  dialog->Close();
}

}  // namespace brae
