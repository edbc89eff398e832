#pragma once
// The tag information window: a tag's header with its name and subgroup id editable, the
// copies of the tag that the archives and the local folder provide, and the tags it refers to.

#include <string>
#include <vector>

#include "references/ReferenceLines.h"
#include "tagstore/TagHeader.h"
#include "toolkit/Window.h"

namespace brae {

class ArchiveRecord;
class Button;
class Codex;
class TagRecord;
class TextBox;

// Visible, enabled, title bar, drop shadow, thick border, both backgrounds, close and collapse
// boxes; not resizable.
constexpr uint32_t kTagInfoFlags = kWindowVisible | kWindowEnabled | kWindowTitleBar |
                                   kWindowShadow | kWindowThickBorder | kWindowGreyBackground |
                                   kWindowWhiteBackground | kWindowCloseBox | kWindowCollapseBox;

class TagInfoWindow : public Window {
 public:
  explicit TagInfoWindow(TagRecord* record);
  ~TagInfoWindow() override;
  const char* ClassName() const override { return "TagInfoWindow"; }
  int RequestClose(int reason) override;
  int KeyDown(Event* event) override;
  void DrawContent() override;

  // The existing window of the record brought to the front, or a new one.
  static TagInfoWindow* Open(TagRecord* record);

  // Renames the tag and/or changes its subgroup id; false with a message when refused.
  int Apply();
  // Whether the name or subgroup text differs from the header.
  bool FieldsDiffer() const;

  TagRecord* Record() const { return record_; }
  TextBox* NameBox() const { return name_box_; }
  TextBox* SubgroupBox() const { return subgroup_box_; }
  const std::vector<std::string>& ChainLines() const { return chain_; }
  // The "Compare" button beside each copy that the copy in force overrides (none for the
  // copy in force), in the order of ChainLines.
  const std::vector<Button*>& CompareButtons() const { return compare_buttons_; }
  // What the tag refers to, as shown under "References:" (missing targets in red).
  const std::vector<ReferenceLine>& ReferenceRows() const { return references_; }

 private:
  // The label column: 90 pixels, or wider when a label needs more in the program's font.
  int LabelColumnWidth() const;
  void Bind(TagRecord* record);
  void Refresh();
  void RefreshTitle();
  void OnFieldChanged();
  void RebuildCompareButtons();
  void OnCompare(int chain_index);
  int ChainRowHeight() const;
  // Keeps the read-only rows and the copies current while the tag changes elsewhere.
  static void OnCodexEvent(void* context, ArchiveRecord* archive, TagRecord* record, int event);

  TagRecord* record_ = nullptr;  // registered as its 'info' user
  TagHeader header_;
  std::string location_;
  std::vector<std::string> chain_;
  std::vector<std::string> chain_locations_;  // where each copy of chain_ lies
  std::vector<Button*> compare_buttons_;      // one per line of chain_, none for the first
  std::vector<ReferenceLine> references_;
  TextBox* name_box_ = nullptr;
  TextBox* subgroup_box_ = nullptr;
};

// The subgroup text packed as four characters (missing characters are zero).
uint32_t PackSubgroupText(const std::string& text);

// Which copies of the tag exist and which one is in force: one line per copy, the copy in force
// first, marked "(in force)"; archives that are not in the working set are marked "(inactive)".
std::vector<std::string> OverrideChainLines(const Codex& codex, const TagRecord* record);
// Where each copy of OverrideChainLines lies ("local folder" or the archive's file name).
std::vector<std::string> OverrideChainLocations(const Codex& codex, const TagRecord* record);

}  // namespace brae
