#pragma once
// "Compare": what the copy of a tag in force changes against another copy of it, one row per
// difference (path, old, new). Rows of collections and meshes open the tag's editor when
// activated. The copy compared with is kept by its location, so the window survives the Codex
// changing under it.

#include <cstdint>
#include <string>

#include "compare/TagDiff.h"
#include "toolkit/Window.h"

namespace brae {

class ListRow;
class ListWindow;

class CompareWindow : public Window {
 public:
  CompareWindow(uint32_t group, uint32_t subgroup, const std::string& old_location);
  const char* ClassName() const override { return "CompareWindow"; }
  void Layout() override;
  void DrawContent() override;

  // A new window comparing the tag's copy in force with its copy at old_location, placed,
  // shown and focused.
  static CompareWindow* Open(uint32_t group, uint32_t subgroup, const std::string& old_location);

  ListWindow* List() const { return list_; }
  const TagDiff& Diff() const { return diff_; }
  // The line above the list: which copies are compared, or why they cannot be.
  const std::string& Caption() const { return caption_; }
  // Reads both copies again and refills the list.
  void Refill();

 private:
  void OnRowActivated(ListRow* row);

  uint32_t group_;
  uint32_t subgroup_;
  std::string old_location_;
  std::string caption_;
  TagDiff diff_;
  ListWindow* list_ = nullptr;
};

}  // namespace brae
