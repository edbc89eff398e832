#pragma once
// "Build High-Res Collection": the collection to up-res (a choice of the '.256' tags the Codex
// knows), the high-res folder, the scales and the options, the checks of "Create" with their
// messages, and the build with its log "UpRes %d (%s)".

#include <vector>

#include "collection/HighResBuilder.h"
#include "collection/ui/BuilderDialog.h"

namespace brae {

class ComboBox;

// The dialog's own preference section (the fields are remembered as the standard builder's).
constexpr const char* kHighResPrefs = "AutoUpResDialog";

class AutoUpResDialog : public BuilderDialog {
 public:
  AutoUpResDialog();
  const char* ClassName() const override { return "AutoUpResDialog"; }
  int OnOk() override;

  ComboBox* CollectionChoice() const { return collection_; }
  // The collections listed, in choice order.
  const std::vector<TagRecord*>& Collections() const { return records_; }
  // Chooses the listed collection with this tag id; false when it is not listed.
  bool ChooseCollection(uint32_t tagid);
  TextBox* FolderBox() const { return folder_; }
  TextBox* TargetScaleBox() const { return target_; }
  TextBox* ToleranceBox() const { return tolerance_; }
  TextBox* ObjectScaleBox() const { return object_; }
  CheckBox* InvertAlphasBox() const { return invert_; }
  CheckBox* FramesThenViewsBox() const { return frames_then_views_; }
  CheckBox* AlignIndividuallyBox() const { return align_; }

  void RememberFields(bool save);
  HighResFields Fields() const;
  // How the last build ended (kRefused before any).
  BuildOutcome LastOutcome() const { return last_outcome_; }

 private:
  void FillCollections();

  ComboBox* collection_ = nullptr;
  std::vector<TagRecord*> records_;
  TextBox* folder_ = nullptr;
  TextBox* target_ = nullptr;
  TextBox* tolerance_ = nullptr;
  TextBox* object_ = nullptr;
  CheckBox* invert_ = nullptr;
  CheckBox* frames_then_views_ = nullptr;
  CheckBox* align_ = nullptr;
  BuildOutcome last_outcome_ = BuildOutcome::kRefused;
};

// Opens the dialog (root menu "Build High-Res Collection").
void RunAutoUpResDialog();

}  // namespace brae
