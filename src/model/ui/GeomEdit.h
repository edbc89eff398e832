#pragma once
// The viewer of geometry tags ('geom'): the model in 3-D with its textures and depth testing,
// the counts in the top-left corner, the Pan, Rotate and Zoom buttons, vertex selection with
// Shift-click (Control-click unmarks), a plain drag to turn the model, and a right-button menu
// with "Reset View" and "Export LWO...". Nothing is saved.

#include <GL/gl.h>

#include <set>
#include <string>
#include <vector>

#include "editing/TagEdit.h"
#include "model/IntermediateModel.h"
#include "model/ModelView.h"

namespace brae {

class ViewTransformButton;

extern const char kImportModelTitle[];   // "Import Model"
extern const char kExportFolderTitle[];  // "Choose a destination folder"
constexpr int kGeomCommandResetView = 1;
constexpr int kGeomCommandExportLwo = 2;

class GeomEdit : public TagEdit {
 public:
  explicit GeomEdit(TagRecord* record);
  ~GeomEdit() override;
  const char* ClassName() const override { return "GeomEdit"; }
  void Layout() override;
  void DrawContent() override;
  void ClientMouseButton(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  int WriteTagData(FileStream& stream, TagHeader& header) override;
  int ReadTagData(FileStream& stream, TagHeader& header) override;

  void RunCommand(int command);
  void ResetView();
  // Asks for a folder and writes <folder>/<tag name>.lwo with its PNG textures.
  bool ExportLwo();

  const IntermediateModel& Model() const { return model_; }
  const ModelView& View() const { return view_; }
  const std::set<size_t>& SelectedVertices() const { return selected_; }
  ViewTransformButton* PanButton() const { return pan_; }
  ViewTransformButton* RotateButton() const { return rotate_; }
  ViewTransformButton* ZoomButton() const { return zoom_; }
  // "Triangles: %d\nVertices: %d\nMaterials: %d\n"
  std::string InfoText() const;

 private:
  // The triangles of one material as vertex arrays (positions, texture coordinates, colours).
  struct MaterialBatch {
    size_t material;
    std::vector<float> positions, uvs, colours;
  };
  void BuildBatches();
  void DrawModel();
  void UploadTextures();
  void FreeTextures();
  void ShowContextMenu(int x, int y);

  IntermediateModel model_;
  ModelView view_, initial_view_, drag_start_;
  std::set<size_t> selected_;
  std::vector<GLuint> textures_;  // per material; 0 without a texture
  bool textures_uploaded_ = false;
  std::vector<MaterialBatch> batches_;
  ViewTransformButton* pan_ = nullptr;
  ViewTransformButton* rotate_ = nullptr;
  ViewTransformButton* zoom_ = nullptr;
};

// The editor factory of 'geom' and its registration in the group table.
TagEdit* NewGeomEdit(TagRecord* record);
void RegisterGeomEditor();

// The root menu's "New Model From LWO": the file dialog "Import Model", the import under the
// object's file name, then the new geometry in its viewer.
void NewModelFromLwo();

}  // namespace brae
