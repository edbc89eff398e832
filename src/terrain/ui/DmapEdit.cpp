#include "terrain/ui/DmapEdit.h"

#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"
#include "tagstore/TagHeader.h"
#include "terrain/DetailMap.h"
#include "toolkit/Frame.h"
#include "toolkit/TextBox.h"

namespace brae {

namespace {

constexpr uint32_t kDmapGroup = FourCC("dmap");

bool DtexTagName(uint32_t id, std::string* name) {
  TagRecord* record = TheCodex().FindTag(FourCC("dtex"), id);
  if (!record) return false;
  TagHeader header;
  TheCodex().GetEffectiveHeader(record, &header);
  *name = header.Name();
  return true;
}

}  // namespace

DmapEdit::DmapEdit(TagRecord* record) : TagEdit(record) {
  view_ = new TextBox(kTextSelectable, this);
}

int DmapEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  std::optional<DetailMap> map = ReadDetailMap(stream, header);
  if (!map) return 0;
  text_ = DetailTextureLines(*map, DtexTagName);
  view_->SetText(text_.c_str());
  return 1;
}

// Read only: nothing to write.
int DmapEdit::SaveTag() {
  return 1;
}

void DmapEdit::Layout() {
  TagEdit::Layout();
  if (view_) view_->SetFrame(Rect(0, 0, client.Width(), client.Height()));
}

void DmapEdit::OpenEditor() {
  const Point size = FrameSizeForClient(420, 320);
  const Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + size.x, f.y0 + size.y));
  TagEdit::OpenEditor();
}

TagEdit* NewDmapEdit(TagRecord* record) {
  return new DmapEdit(record);
}

void RegisterDmapEditor() {
  SetGroupEditorFactory(kDmapGroup, NewDmapEdit);
}

}  // namespace brae
