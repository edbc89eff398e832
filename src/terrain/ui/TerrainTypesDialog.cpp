#include "terrain/ui/TerrainTypesDialog.h"

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagHeader.h"
#include "terrain/TerrainTypes.h"
#include "terrain/ui/DetailAttributesDialog.h"
#include "toolkit/ListWindow.h"

namespace brae {

namespace {

std::string TextureLabel(uint32_t id) {
  if (id == kNoDetailTexture) return "<no tag>";
  TagRecord* record = TheCodex().FindTag(FourCC("dtex"), id);
  if (!record) return "'" + FourCCToString(id) + "' <not found>";
  TagHeader header;
  TheCodex().GetEffectiveHeader(record, &header);
  return header.Name();
}

}  // namespace

TerrainTypesDialog::TerrainTypesDialog(std::vector<TerrainTypeRow> rows) : rows_(std::move(rows)) {
  SetTitle(kTerrainTypesTitle);
  SetContentSize(440, 360);
  list_ =
      new ListWindow(kListColumnHeader,
                     kWindowVisible | kWindowEnabled | kWindowThinBorder | kWindowFocusable, this);
  list_->AddColumn("Terrain Type", 220);
  list_->AddColumn("Detail Texture", 200);
  list_->SetFrame(ContentRect());
  for (size_t i = 0; i < rows_.size(); ++i) {
    list_->AddRow(nullptr, GetTerrainType(int(i)).name, 0, int(i));
    RefreshRow(int(i));
  }
  list_->row_activated.Connect(this, &TerrainTypesDialog::OnActivated);
  SetTabOrder(list_);
}

void TerrainTypesDialog::RefreshRow(int index) {
  ListRow* row = list_->ShownRow(size_t(index));
  if (!row || index < 0 || size_t(index) >= rows_.size()) return;
  const DetailMaterialEntry& e = rows_[size_t(index)].entry;
  row->colour = 0xFF000000u | uint32_t(e.highlight[0]) | uint32_t(e.highlight[1]) << 8 |
                uint32_t(e.highlight[2]) << 16;
  list_->SetCell(row, 1, TextureLabel(e.texture).c_str());
  list_->InvalidateClient();
}

void TerrainTypesDialog::EditRow(int index) {
  if (index < 0 || size_t(index) >= rows_.size()) return;
  DetailMaterialEntry& e = rows_[size_t(index)].entry;
  DetailAttributes a;
  a.texture = e.texture;
  a.colour = Rgb{e.highlight[0], e.highlight[1], e.highlight[2]};
  a.description = e.Description();
  if (!EditDetailAttributes(&a)) return;
  e.texture = a.texture;
  e.highlight[0] = a.colour.r;
  e.highlight[1] = a.colour.g;
  e.highlight[2] = a.colour.b;
  e.SetDescription(a.description);
  RefreshRow(index);
}

void TerrainTypesDialog::OnActivated(ListRow* row) {
  if (row) EditRow(row->value);
}

bool RunTerrainTypesDialog(std::vector<TerrainTypeRow>* rows) {
  auto* dialog = new TerrainTypesDialog(*rows);
  dialog->CentreInParent();
  dialog->SetVisible(true);
  const bool ok = dialog->RunDialog() == 1;
  if (ok) *rows = dialog->Rows();
  dialog->Close();
  return ok;
}

}  // namespace brae
