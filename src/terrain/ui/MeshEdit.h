#pragma once
// The editor of terrain meshes ('mesh'): the terrain in 3-D from a free camera, textured with
// its shaded colour map and, with a detail map, with detail textures; highlights, wireframe, an
// information text and the animated media surface. Each chunk keeps its texture and its
// geometry in buffers built once and rebuilt only when an edit touches the chunk. It never
// writes the mesh; saving writes the detail map.

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editing/TagEdit.h"
#include "terrain/DetailImages.h"
#include "terrain/DetailMap.h"
#include "terrain/DetailPainting.h"
#include "terrain/Mesh.h"
#include "terrain/MeshChunks.h"
#include "terrain/MeshShading.h"
#include "terrain/MeshView.h"
#include "toolkit/UndoStack.h"

namespace brae {

class Collection;
class DtexTag;
class ListWindow;
struct ListRow;

constexpr const char* kDmapConflictTitle = "dmap tagid conflict detected";

// Right-click menu commands.
enum MeshCommand {
  kMeshNoTool = 1,
  kMeshDetailTool,
  kMeshNewFromTerrain,
  kMeshNewBlank,
  kMeshImportVertex,
  kMeshExportVertex,
  kMeshImportTriangle,
  kMeshExportTriangle,
  kMeshImportClut,
  kMeshToggleInfo,
  kMeshToggleWireframe,
  kMeshToggleDetail,
  kMeshTogglePalette,
  kMeshToggleHighlight,
  kMeshToggleBrushShape,
  kMeshToggleTriangleMode,
  kMeshToggleAnimation,
  kMeshNextHighlightMode,
};

class MeshEdit : public TagEdit {
 public:
  explicit MeshEdit(TagRecord* record);
  ~MeshEdit() override;
  const char* ClassName() const override { return "MeshEdit"; }

  int ReadTagData(FileStream& stream, TagHeader& header) override;
  int SaveTag() override;
  void OpenEditor() override;
  // Snapshots hold the detail map, the tag a save writes.
  bool DescribeSnapshot(SnapshotInfo* info, SnapshotDataWriter* write) override;
  int LoadFromSnapshot(FileStream& stream, const SnapshotInfo& info) override;
  bool InGesture() const override { return stroking_; }
  void WillClose() override;
  void Idle() override;
  void DrawContent() override;
  int KeyDown(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void ClientMouseMove(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void ClientWheel(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  void Layout() override;
  Window* FocusGained(Window* old_focus, int reason) override;

  // ---- state, for the painting tools and tests ----
  const Mesh& GetMesh() const { return mesh_; }
  MeshCamera& Camera() { return camera_; }
  bool HasDetailMap() const { return map_.has_value(); }
  DetailMap* Map() { return map_ ? &*map_ : nullptr; }
  const MeshInfo& LastInfo() const { return info_; }
  std::string InfoText() const { return FormatMeshInfo(info_); }
  uint32_t Tick() const { return tick_; }
  bool show_info = true, wireframe = false, detail_textures = false, highlighting = false,
       animation = false;
  int highlight_mode = 0;
  bool detail_tool = false;
  bool round_brush = true, vertex_brush = true;
  float brush_radius = 3.0f;
  float brush_x = 0, brush_y = 0;  // grid units, from the hover
  int hover_vertex_x = -1, hover_vertex_y = -1, hover_cell_x = -1, hover_cell_y = -1,
      hover_triangle = 0;
  int brush_material = 0;
  bool protected_materials[kDetailMaterialCount] = {};
  bool highlighted_materials[kDetailMaterialCount] = {};
  HighlightTable highlights;
  UndoStack& Undos() { return undo_; }

  // Rebuilds heights, recipes and geometry of the chunks a rectangle of vertices touches.
  void RefreshChunks(int x0, int y0, int x1, int y1);
  void RefreshAllChunks();
  // Runs one tick: the counter and the camera keys held.
  void RunTick();
  void RunCommand(int command);
  // Detail images through the dialogs (the editor's commands).
  void ExportDetails(DetailKind kind);
  void ImportDetails(DetailKind kind);
  // ---- painting (the mouse drives these; tests and benchmarks call them directly) ----
  DetailBrush Brush() const;
  // A stroke: begun with the press's Shift state, one dab per pointer move, one undo action.
  void BeginStroke(bool shift);
  void StrokeDab(float x, float y);
  void EndStroke();
  bool Stroking() const { return stroking_; }
  // Flood fill from the vertex or triangle at the point (grid units); one undo action.
  void FillAt(float x, float y);
  // What the undo records write back, with the chunks they touch refreshed.
  void ApplyStroke(const BrushStrokeRecord& stroke, bool after);
  void ApplyFill(const FloodFillRecord& fill, bool new_value);
  // The material's scale, clamped; marks the map changed when it changed.
  void ChangeMaterialScale(int material, int scale);
  // Every element 0, the materials kept; makes a map when there is none.
  void NewBlankMap();
  // A blank map whose vertices take their terrain type + 1, rows 0-15 becoming materials 1-16.
  void NewMapFromTerrain(const std::vector<TerrainTypeRow>& rows);
  // The rows the terrain types dialog starts with (textures that exist in the codex).
  std::vector<TerrainTypeRow> OfferedTerrainTypeRows() const;
  // Edits the rows (the terrain types dialog); false on Cancel. When empty, the offered rows are
  // taken as they are.
  std::function<bool(MeshEdit*, std::vector<TerrainTypeRow>*)> terrain_types_dialog;
  // Shift at the last left-button press in the view (protection override of the commands).
  bool last_press_shift = false;
  bool palette_visible = false;

  // ---- the palette ("Brush List") and the materials ----
  ListWindow* Palette() { return palette_; }
  // The material's row text: " %.3d ~ " and its texture's label.
  std::string MaterialText(int material) const;
  void RefreshPaletteRows();
  // A palette click: selects the brush material; with Shift toggles protected, with Control
  // highlighted.
  void PaletteClicked(int material, bool shift, bool control);
  // Opens the material's attributes (row 0: its highlight colour only).
  void EditMaterial(int material);
  // A new highlight table: written to res/dtex.act (128 entries), given to the materials.
  void ApplyHighlightTable(const HighlightTable& table);
  void ImportHighlightClut();
  // Replaces the "Edit Detail Texture Attributes" dialog for materials 1-127 (tests).
  std::function<void(MeshEdit*, int material)> material_dialog;
  // The material takes the tag, colour and description; true when anything changed.
  bool SetMaterialAttributes(int material, uint32_t texture, Rgb colour,
                             const std::string& description);

  // Whether the chunk's geometry was built (tests and benchmarks).
  int ChunkBuilds() const { return chunk_builds_; }
  // Chunks whose colour-map texture waits for a later frame (none of them has been drawn yet).
  int PendingTextures() const { return pending_textures_; }

 private:
  struct Chunk;
  struct ChunkLayer;
  void BuildChunk(Chunk& chunk);
  void BuildChunkTexture(Chunk& chunk);
  void BuildPendingTextures(int count);
  void BuildGeometry(Chunk& chunk);
  void ReleaseChunks();
  void LoadMaterials();
  void ReleaseMaterials();
  void Classify(const Frustum& frustum);
  void DrawTerrain(Chunk& chunk);
  void DrawLayers(bool highlight);
  bool LayerState(bool highlight, int material, GLuint* texture);
  void DrawLayer(const Chunk& chunk, const ChunkLayer& layer, bool highlight, GLuint texture);
  void DrawHighlight(Chunk& chunk);
  void DrawWireframe(Chunk& chunk);
  void DrawBrush();
  void DrawTriangleOutlines();
  bool ReadHover(const Matrix4& view, const Matrix4& projection, const int viewport[4]);
  int DetailToolKey(Event* event);
  float VertexHeight(int x, int y) const;
  uint32_t HeldCameraKeys() const;
  void ShowMenu(int x, int y);

  Mesh mesh_;
  std::unique_ptr<Collection> colour_map_;
  std::string colour_map_name_;
  ShadedColourTable table_;
  MediaAnimation anim_;
  std::optional<DetailMap> map_;
  DtexTag* textures_[kDetailMaterialCount] = {};
  std::vector<std::unique_ptr<Chunk>> chunks_;
  bool side_257_ = false;
  int pending_textures_ = 0;  // chunks whose colour-map texture is not built yet
  MeshCamera camera_;
  MeshInfo info_;
  uint32_t tick_ = 0;
  double tick_reset_ = -1;
  long ticks_since_reset_ = 0;
  bool hover_pending_ = false;
  int mouse_x_ = 0, mouse_y_ = 0;  // screen coordinates
  int chunk_builds_ = 0;
  UndoStack undo_;
  DetailUndoCopies undo_copies_;
  ListWindow* palette_ = nullptr;
  void SyncPalette();
  void OnPaletteSelection();
  void OnPaletteActivated(ListRow* row);
  bool stroking_ = false, stroke_shift_ = false;
  DetailRect stroke_rect_;
  bool stroke_vertex_ = true;  // the raster the stroke paints, fixed at its start
  bool open_ = false;
};

TagEdit* NewMeshEdit(TagRecord* record);
void RegisterMeshEditor();

}  // namespace brae
