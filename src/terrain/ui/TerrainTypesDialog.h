#pragma once
// "Automatic Detail Texturing": the sixteen terrain types with the detail texture each will get
// as materials 1-16; activating a row edits its attributes.

#include <vector>

#include "terrain/DetailPainting.h"
#include "toolkit/DialogWindow.h"

namespace brae {

class ListWindow;
struct ListRow;

constexpr const char* kTerrainTypesTitle = "Automatic Detail Texturing";

class TerrainTypesDialog : public DialogWindow {
 public:
  explicit TerrainTypesDialog(std::vector<TerrainTypeRow> rows);
  const char* ClassName() const override { return "TerrainTypesDialog"; }
  const std::vector<TerrainTypeRow>& Rows() const { return rows_; }
  ListWindow* List() const { return list_; }
  // Opens the attributes dialog for a row (what activating it does).
  void EditRow(int index);
  void RefreshRow(int index);

 private:
  void OnActivated(ListRow* row);
  std::vector<TerrainTypeRow> rows_;
  ListWindow* list_ = nullptr;
};

// Runs the dialog; true with the edited rows on OK.
bool RunTerrainTypesDialog(std::vector<TerrainTypeRow>* rows);

}  // namespace brae
