#include "terrain/ui/DetailAttributesDialog.h"

#include <algorithm>

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagHeader.h"
#include "toolkit/ColorButton.h"
#include "toolkit/Frame.h"
#include "toolkit/ListWindow.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr int kContentWidth = 360;
constexpr int kLabelWidth = 120;
constexpr int kListHeight = 240;
constexpr int kRowGap = 8;

// The toolkit's packed colour: red in the low byte.
uint32_t Pack(Rgb c) {
  return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16;
}

}  // namespace

DetailAttributesDialog::DetailAttributesDialog(const DetailAttributes& start) {
  SetTitle(kDetailAttributesTitle);
  const int line = LineHeight(this) + 4;
  SetContentSize(kContentWidth, 2 * (line + kRowGap) + kListHeight);
  const Rect c = ContentRect();
  colour_ = new ColorButton(this, Pack(start.colour));
  colour_->SetFrame(Rect(c.x0 + kLabelWidth, c.y0, c.x0 + kLabelWidth + 48, c.y0 + line));
  description_ = new TextBox(kTextSingleLine, this);
  description_->SetMaxLength(31);
  description_->SetText(start.description.substr(0, 31).c_str());
  const int y1 = c.y0 + line + kRowGap;
  description_->SetFrame(Rect(c.x0 + kLabelWidth, y1, c.x1, y1 + line));
  tags_ = new ListWindow(0, kWindowVisible | kWindowEnabled | kWindowThinBorder | kWindowFocusable,
                         this);
  tags_->AddColumn("Detail Texture", kContentWidth - 24);
  const int y2 = y1 + line + kRowGap;
  tags_->SetFrame(Rect(c.x0, y2, c.x1, y2 + kListHeight));

  ids_.push_back(0xFFFFFFFFu);
  ListRow* chosen = tags_->AddRow(nullptr, "<no tag>", 0, 0);
  std::vector<TagRecord*> records;
  TheCodex().ListTagsOfGroup(FourCC("dtex"), &records);
  bool found = start.texture == 0xFFFFFFFFu;
  for (TagRecord* record : records) {
    TagHeader header;
    TheCodex().GetEffectiveHeader(record, &header);
    const int value = int(ids_.size());
    ids_.push_back(record->subgroup);
    ListRow* row = tags_->AddRow(nullptr, header.Name().c_str(), 0, value);
    if (record->subgroup == start.texture) chosen = row, found = true;
  }
  // A missing tag keeps its id unless another is chosen.
  if (!found) {
    const int value = int(ids_.size());
    ids_.push_back(start.texture);
    chosen = tags_->AddRow(nullptr, ("'" + FourCCToString(start.texture) + "' <not found>").c_str(),
                           0, value);
  }
  tags_->Select(chosen, false);
  tags_->SetCurrentRow(chosen, false);
  SetTabOrder(colour_);
}

DetailAttributes DetailAttributesDialog::Result() const {
  DetailAttributes out;
  const uint32_t c = colour_->Colour();
  out.colour = Rgb{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
  out.description = description_->Text().substr(0, 31);
  const ListRow* row = tags_->CurrentRow();
  if (row && row->IsSelected() && row->value >= 0 && size_t(row->value) < ids_.size()) {
    out.texture = ids_[size_t(row->value)];
  }
  return out;
}

void DetailAttributesDialog::DrawContent() {
  DialogWindow::DrawContent();
  const Rect c = ContentRect();
  const int line = LineHeight(this) + 4;
  SetColor(0xFF000000);
  DrawText(this, "Highlight Color:", c.x0, c.y0 + 2);
  DrawText(this, "Description:", c.x0, c.y0 + line + kRowGap + 2);
}

bool EditDetailAttributes(DetailAttributes* attributes) {
  auto* dialog = new DetailAttributesDialog(*attributes);
  dialog->CentreInParent();
  dialog->SetVisible(true);
  const int ok = dialog->RunDialog();
  if (ok) *attributes = dialog->Result();
  dialog->Close();
  return ok == 1;
}

}  // namespace brae
