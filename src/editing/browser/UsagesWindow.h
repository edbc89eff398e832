#pragma once
// "Find Usages": a window listing every tag that refers to one tag (group, name, member path,
// location); activating a row opens that tag. The rows come from UsageRows and follow the
// Codex while the window is open.

#include <vector>

#include "references/ReferenceLines.h"
#include "toolkit/Window.h"

namespace brae {

class ListRow;
class ListWindow;

class UsagesWindow : public Window {
 public:
  explicit UsagesWindow(TagKey target);
  ~UsagesWindow() override;
  const char* ClassName() const override { return "UsagesWindow"; }
  void Layout() override;

  TagKey Target() const { return target_; }
  ListWindow* List() const { return list_; }
  const std::vector<UsageRow>& Rows() const { return rows_; }
  // Reads the usages again and refills the list.
  void Refill();

  // The window of the target brought to the front, or a new one.
  static UsagesWindow* Open(TagKey target);

 private:
  void OnRowActivated(ListRow* row);
  static void OnCodexEvent(void* context, ArchiveRecord* archive, TagRecord* record, int event);

  TagKey target_;
  ListWindow* list_ = nullptr;
  std::vector<UsageRow> rows_;
};

}  // namespace brae
