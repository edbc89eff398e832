#include "model/ui/GeomEdit.h"

#include <GL/glu.h>

#include <cstdio>

#include "media/MediaFile.h"
#include "media/ui/MediaDialogs.h"
#include "model/GeomFormat.h"
#include "model/GeometryTags.h"
#include "model/ModelImport.h"
#include "model/ui/ViewTransformButton.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"

namespace brae {

const char kImportModelTitle[] = "Import Model";
const char kExportFolderTitle[] = "Choose a destination folder";

namespace {

constexpr int kClientSize = 400;
constexpr int kMargin = 4;
constexpr float kPickRadius = 3;

// The RGBA texels of a colour-indexed material.
std::vector<uint8_t> MaterialRgba(const ModelMaterial& m) {
  std::vector<uint8_t> rgba(m.indices.size() * 4);
  for (size_t i = 0; i < m.indices.size(); ++i) {
    const size_t c = size_t(m.indices[i]) * 3;
    rgba[4 * i] = m.palette[c];
    rgba[4 * i + 1] = m.palette[c + 1];
    rgba[4 * i + 2] = m.palette[c + 2];
    rgba[4 * i + 3] = 255;
  }
  return rgba;
}

}  // namespace

GeomEdit::GeomEdit(TagRecord* record) : TagEdit(record) {
  const Point size = FrameSizeForClient(kClientSize, kClientSize);
  SetFrame(Rect(0, 0, size.x, size.y));
  pan_ = new ViewTransformButton(this, "Pan", this, &view_, PanView, 28, 30, 29);
  rotate_ = new ViewTransformButton(this, "Rotate", this, &view_, RotateView, 35, 37, 36);
  zoom_ = new ViewTransformButton(this, "Zoom", this, &view_, ZoomView, 78, 80, 79);
  Layout();
}

GeomEdit::~GeomEdit() {
  FreeTextures();
}

void GeomEdit::Layout() {
  if (!pan_) return;
  const Point size = ClientSize();
  const int height = StandardButtonHeight(this);
  int x = kMargin;
  for (ViewTransformButton* b : {pan_, rotate_, zoom_}) {
    const int width = b->Frame().Width();
    b->SetFrame(Rect(x, size.y - kMargin - height, x + width, size.y - kMargin));
    x += width + kMargin;
  }
}

int GeomEdit::WriteTagData(FileStream&, TagHeader&) {
  return 0;  // a viewer: geometries are never written
}

int GeomEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  GeomData geom;
  if (!ReadGeomTag(stream, header, &geom, nullptr)) return 0;
  GeomToModel(geom, &model_);
  batches_.clear();
  // The stream is the geometry's own; the textures come from the collection it names.
  LoadGeometryTextures(TheCodex(), geom, &model_);
  FreeTextures();
  selected_.clear();
  initial_view_ = InitialView(model_);
  ResetView();
  return 1;
}

std::string GeomEdit::InfoText() const {
  char text[128];
  std::snprintf(text, sizeof text, "Triangles: %d\nVertices: %d\nMaterials: %d\n",
                int(model_.triangles.size()), int(model_.vertices.size()),
                int(model_.materials.size()));
  return text;
}

void GeomEdit::ResetView() {
  view_ = initial_view_;
  InvalidateAll(this);
}

void GeomEdit::FreeTextures() {
  for (GLuint t : textures_) {
    if (t) glDeleteTextures(1, &t);
  }
  textures_.clear();
  textures_uploaded_ = false;
}

void GeomEdit::UploadTextures() {
  textures_.assign(model_.materials.size(), 0);
  textures_uploaded_ = true;
  for (size_t i = 0; i < model_.materials.size(); ++i) {
    const ModelMaterial& m = model_.materials[i];
    if (!HasStorableTexture(m)) continue;
    const std::vector<uint8_t> rgba = MaterialRgba(m);
    glGenTextures(1, &textures_[i]);
    glBindTexture(GL_TEXTURE_2D, textures_[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, m.width, m.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}

void GeomEdit::BuildBatches() {
  // One batch per material, built in one pass over the triangles (a hostile geometry may name
  // thousands of materials; the drawing never walks the triangles once per material).
  batches_.clear();
  std::vector<int> batch_of(model_.materials.size(), -1);
  const LwoVec3 light = {0.4f, 0.8f, 0.45f};
  for (const ModelTriangle& t : model_.triangles) {
    if (t.material >= batch_of.size()) continue;
    if (batch_of[t.material] < 0) {
      batch_of[t.material] = int(batches_.size());
      batches_.push_back(MaterialBatch{t.material, {}, {}, {}});
    }
    MaterialBatch& batch = batches_[size_t(batch_of[t.material])];
    const bool textured = HasStorableTexture(model_.materials[t.material]);
    // Simple shading from the triangle's normal, so that untextured faces keep their shape.
    const LwoVec3& n = t.corners[0].normal;
    const float shade = 0.55f + 0.45f * std::abs(n.x * light.x + n.y * light.y + n.z * light.z);
    const float rgb[3] = {textured ? shade : 0.75f * shade, textured ? shade : 0.75f * shade,
                          textured ? shade : 0.8f * shade};
    for (const ModelCorner& c : t.corners) {
      const LwoVec3& p = model_.vertices[c.vertex].position;
      batch.positions.insert(batch.positions.end(), {p.x, p.y, p.z});
      batch.uvs.insert(batch.uvs.end(), {c.u, c.v});
      batch.colours.insert(batch.colours.end(), rgb, rgb + 3);
    }
  }
}

void GeomEdit::DrawModel() {
  const Point size = ClientSize();
  BeginDraw(this, true, true);
  glClearDepth(1.0);
  glClear(GL_DEPTH_BUFFER_BIT);
  const ViewMatrices m = MakeViewMatrices(view_, size.x, size.y);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(m.projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(m.modelview);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  if (!textures_uploaded_) UploadTextures();
  if (batches_.empty() && !model_.triangles.empty()) BuildBatches();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  for (const MaterialBatch& batch : batches_) {
    const GLuint texture = batch.material < textures_.size() ? textures_[batch.material] : 0;
    if (texture) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    glVertexPointer(3, GL_FLOAT, 0, batch.positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, batch.uvs.data());
    glColorPointer(3, GL_FLOAT, 0, batch.colours.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(batch.positions.size() / 3));
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_TEXTURE_2D);
  if (!selected_.empty()) {
    glDisable(GL_DEPTH_TEST);
    glPointSize(5 * Ui().scale);  // markers keep their size on screen at any scale
    glColor3f(1, 0.9f, 0.1f);
    glBegin(GL_POINTS);
    for (size_t v : selected_) {
      const LwoVec3& p = model_.vertices[v].position;
      glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
    glPointSize(1);
  }
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  EndDraw();
}

void GeomEdit::DrawContent() {
  const Point size = ClientSize();
  SetColor(0xFF403830);  // 0xAABBGGRR: a dark slate blue
  FillRect(Rect(0, 0, size.x, size.y));
  EndDraw();
  DrawModel();
  BeginDraw(this, true);
  SetColor(0xFFFFFFFF);
  const std::string info = InfoText();
  int y = kMargin;
  size_t begin = 0;
  while (begin < info.size()) {
    const size_t end = info.find('\n', begin);
    const std::string line = info.substr(begin, end - begin);
    DrawText(this, line.c_str(), kMargin, y);
    y += LineHeight(this);
    begin = end == std::string::npos ? info.size() : end + 1;
  }
}

void GeomEdit::ClientMouseButton(Event* e) {
  if (!e->Pressed()) return;
  Point p{e->X(), e->Y()};
  ScreenToClient(&p, 1);
  if (e->Button() == 1) {
    ShowContextMenu(e->X(), e->Y());
    return;
  }
  if (e->Button() != 0) return;
  const int modifiers = e->Modifiers();
  if (modifiers & (kModShift | kModControl)) {
    const Point size = ClientSize();
    for (size_t v :
         VerticesNear(model_, view_, size.x, size.y, float(p.x), float(p.y), kPickRadius)) {
      if (modifiers & kModShift) {
        selected_.insert(v);
      } else {
        selected_.erase(v);
      }
    }
    InvalidateAll(this);
    return;
  }
  BeginMouseTracking(this, nullptr, nullptr);
}

void GeomEdit::TrackMouse(int start_x, int start_y, int x, int y, int phase) {
  if (phase == 0) drag_start_ = view_;
  RotateView(&view_, drag_start_, float(x - start_x), float(y - start_y));
  InvalidateAll(this);
}

void GeomEdit::ShowContextMenu(int x, int y) {
  auto* menu = new Menu(false);
  AddMenuItem(menu, "Reset View", nullptr, kGeomCommandResetView);
  AddMenuItem(menu, "Export LWO...", nullptr, kGeomCommandExportLwo);
  const int command = PopUpMenu(menu, x, y);
  menu->Close();
  RunCommand(command);
}

void GeomEdit::RunCommand(int command) {
  if (command == kGeomCommandResetView) ResetView();
  if (command == kGeomCommandExportLwo) ExportLwo();
}

bool GeomEdit::ExportLwo() {
  std::string folder;
  if (!FolderDialog(kExportFolderTitle, &folder, nullptr, MediaGroup::kModel)) return false;
  return ExportModelLwo(model_, folder, Header().Name());  // a failure stays silent
}

TagEdit* NewGeomEdit(TagRecord* record) {
  return new GeomEdit(record);
}

void RegisterGeomEditor() {
  SetGroupEditorFactory(kGeomGroup, NewGeomEdit);
}

void NewModelFromLwo() {
  MediaFile file;
  if (!OpenFileDialog(kImportModelTitle, &file, MediaGroup::kModel)) return;
  std::string name = file.path;
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  const ModelImportResult result = ImportModel(TheCodex(), file.path, name);
  if (result.ok) OpenTag(result.geom);
}

}  // namespace brae
