#include "terrain/ui/TerrainTypesDialog.h"

#include <algorithm>

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagHeader.h"
#include "terrain/TerrainTypes.h"
#include "terrain/ui/DetailAttributesDialog.h"
#include "toolkit/ListWindow.h"

namespace brae {

namespace {

constexpr int kTypeColumnWidth = 220;
constexpr int kTextureColumnWidth = 200;
constexpr int kColumnGap = 8;

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
  list_ =
      new ListWindow(kListColumnHeader,
                     kWindowVisible | kWindowEnabled | kWindowThinBorder | kWindowFocusable, this);
  list_->AddColumn("Terrain Type", kTypeColumnWidth);
  list_->AddColumn("Detail Texture", kTextureColumnWidth);
  int type_width = kTypeColumnWidth;
  for (size_t i = 0; i < rows_.size(); ++i) {
    ListRow* row = list_->AddRow(nullptr, GetTerrainType(int(i)).name, 0, int(i));
    type_width = std::max(type_width, list_->RowTextWidth(row) + kColumnGap);
    RefreshRow(int(i));
  }
  // Every type name stays inside its column, beside the texture column.
  list_->SetColumnWidth(0, type_width);
  // Every row shows without scrolling.
  const int rows_height = list_->HeaderHeight() + int(rows_.size()) * list_->RowHeight() + 2;
  Point list_size = list_->FrameSizeForClient(type_width + kTextureColumnWidth, rows_height);
  SetContentSize(list_size.x, list_size.y);
  list_->SetFrame(ContentRect());
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
