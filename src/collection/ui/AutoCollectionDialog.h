#pragma once
// "Build Standard Collection": the fields of a build (remembered under "AutoCollectionDialog"),
// the checks of OK with their messages, the build with its log "BuildCollection %d (%s)", and
// the new collection opened in its editor.

#include "collection/ui/BuilderDialog.h"

namespace brae {

class AutoCollectionDialog : public BuilderDialog {
 public:
  AutoCollectionDialog();
  const char* ClassName() const override { return "AutoCollectionDialog"; }
  int OnOk() override;

  TextBox* NameBox() const { return name_; }
  TextBox* FolderBox() const { return folder_; }
  TextBox* TagidBox() const { return tagid_; }
  TextBox* RegXBox() const { return reg_x_; }
  TextBox* RegYBox() const { return reg_y_; }
  CheckBox* InvertAlphasBox() const { return invert_; }
  CheckBox* FramesThenViewsBox() const { return frames_then_views_; }

  // Restores (save false) or remembers the fields under "AutoCollectionDialog".
  void RememberFields(bool save);
  CollectionBuildFields Fields() const;
  // The tag written by the last successful build (null before).
  TagRecord* Built() const { return built_; }

 private:
  TextBox* name_ = nullptr;
  TextBox* folder_ = nullptr;
  TextBox* tagid_ = nullptr;
  TextBox* reg_x_ = nullptr;
  TextBox* reg_y_ = nullptr;
  CheckBox* invert_ = nullptr;
  CheckBox* frames_then_views_ = nullptr;
  TagRecord* built_ = nullptr;
};

// Opens the dialog (root menu "Build Standard Collection"); on a successful build the dialog
// closes and the new collection's editor opens.
void RunAutoCollectionDialog();

}  // namespace brae
