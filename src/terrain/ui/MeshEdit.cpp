// The mesh editor. Sections:
//   opening and closing .................. ReadTagData, LoadMaterials, BuildChunk
//   chunk geometry ....................... BuildGeometry, RefreshChunks
//   drawing .............................. DrawContent and the passes
//   tick, keys and mouse ................. Idle, RunTick, KeyDown, ShowMenu
//   detail images ........................ ExportDetails, ImportDetails
#define GL_GLEXT_PROTOTYPES 1
#include "terrain/ui/MeshEdit.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "collection/Collection.h"
#include "core/MessageLog.h"
#include "core/ProgramPaths.h"
#include "media/MediaFile.h"
#include "media/ui/MediaDialogs.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"
#include "terrain/DtexTag.h"
#include "terrain/TerrainTags.h"
#include "terrain/TerrainTypes.h"
#include "terrain/ui/DetailActions.h"
#include "terrain/ui/DetailAttributesDialog.h"
#include "terrain/ui/DtexTextures.h"
#include "terrain/ui/TerrainTypesDialog.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"

namespace brae {

namespace {

constexpr uint32_t kMeshGroup = FourCC("mesh");
constexpr uint32_t kDmapGroup = FourCC("dmap");
constexpr uint32_t kDtexGroup = FourCC("dtex");
// The highlight colours: the user's copy, else the shipped one, else the default written anew.
constexpr const char* kHighlightTableName = "dtex.act";
constexpr double kTickSeconds = 1.0 / 60.0;
constexpr int kSide = kChunkHeightSide;  // 33 vertices along a chunk's side
// Chunk textures built per frame for the chunks out of sight (about 2 ms each on llvmpipe).
constexpr int kTexturesPerIdle = 4;

// A terrain vertex: grid position (x, height units, y) and colour-map texture coordinates.
struct TerrainVertex {
  float x, h, y, u, v;
};
// A detail layer vertex: position, detail texture coordinates (grid units), colour (1, 1, 1,
// coverage). A chunk keeps each of its vertices twice, covered and clear, and every layer's
// triangles index into them.
struct LayerVertex {
  float x, h, y, s, t;
  uint8_t rgba[4];
};
constexpr GLushort kClearCorners = kChunkHeightSide * kChunkHeightSide;
// A coloured overlay vertex.
struct OverlayVertex {
  float x, h, y;
  float r, g, b, a;
};

bool ShiftHeld() {
  return IsKeyDown(kKeyShift) || IsKeyDown(kKeyLeftShift) || IsKeyDown(kKeyRightShift);
}
bool ControlHeld() {
  return IsKeyDown(kKeyControl) || IsKeyDown(kKeyLeftControl) || IsKeyDown(kKeyRightControl);
}

// A triangle's corners in one winding for every triangle, so that culling keeps them all.
void WoundCorners(int x, int y, int t, int corners[3][2]) {
  TriangleCorners(x, y, t, corners);
  const int ax = corners[1][0] - corners[0][0], ay = corners[1][1] - corners[0][1];
  const int bx = corners[2][0] - corners[0][0], by = corners[2][1] - corners[0][1];
  if (ax * by - ay * bx > 0) {
    std::swap(corners[1][0], corners[2][0]);
    std::swap(corners[1][1], corners[2][1]);
  }
}

bool HasNonPowerOfTwoTextures() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version && version[0] >= '2') return true;
  const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return ext && std::strstr(ext, "GL_ARB_texture_non_power_of_two");
}

// Keeps the highlight colours for the next start; the colours in use stay when it fails.
void SaveHighlights(const HighlightTable& table) {
  const std::string path = WritableDataFile(kHighlightTableName);
  if (!SaveHighlightTable(path, table, kDetailMaterialCount))
    Log(1, "Mesh Editor", "The highlight colours could not be written to '%s'.\n", path.c_str());
}

}  // namespace

// A material's triangles in a chunk: a range of the chunk's layer index buffer.
struct MeshEdit::ChunkLayer {
  uint8_t material = 0;
  GLsizei first = 0;
  GLsizei count = 0;
};

struct MeshEdit::Chunk {
  int cx = 0, cy = 0, index = 0;
  GLuint texture = 0;
  std::vector<int16_t> heights;
  std::vector<TriangleRecipe> recipes;
  int visibility = 0;                 // 0 invisible, 1 partial, 2 full
  std::vector<uint8_t> cell_visible;  // partial chunks: one byte per cell
  CellRange cells;
  float min_h = 0, max_h = 0;
  bool submerged = false;  // holds vertices that move with the media animation
  uint32_t built_tick = 0;
  // Geometry.
  GLuint vertex_buffer = 0, index_buffer = 0;
  GLsizei index_count = 0;
  std::vector<GLuint> indices;  // every cell's two triangles, 6 indices per cell
  // Detail layers: the covered and clear vertices, and each material's triangles as a range of
  // the index buffer.
  GLuint layer_vertex_buffer = 0, layer_index_buffer = 0;
  std::vector<ChunkLayer> layers;
  int overlay_mode = -1;  // the highlight mode the overlay was built for (-1 none)
  std::vector<OverlayVertex> overlay;
};

MeshEdit::MeshEdit(TagRecord* record) : TagEdit(record) {
  AddFlags(kWindowFocusable);
  terrain_types_dialog = [](MeshEdit*, std::vector<TerrainTypeRow>* rows) {
    return RunTerrainTypesDialog(rows);
  };
  palette_ = new ListWindow(0, kWindowEnabled | kWindowThinBorder | kWindowFocusable, this);
  palette_->SetTitle("Brush List");
  palette_->AddColumn("Material", 250);
  palette_->AddColumn("", 70);
  palette_->SetVisible(false);
  palette_->selection_changed.Connect(this, &MeshEdit::OnPaletteSelection);
  palette_->row_activated.Connect(this, &MeshEdit::OnPaletteActivated);
}

MeshEdit::~MeshEdit() {
  ReleaseChunks();
  ReleaseMaterials();
}

void MeshEdit::WillClose() {
  ReleaseChunks();
  ReleaseMaterials();
  TagEdit::WillClose();
}

// ---- opening and closing ------------------------------------------------------------------------

int MeshEdit::ReadTagData(FileStream& stream, TagHeader& header) {
  std::optional<Mesh> mesh = ReadMesh(stream, header);
  if (!mesh) return 0;
  mesh_ = std::move(*mesh);
  Codex& codex = TheCodex();
  auto colour_map = std::make_unique<Collection>();
  if (!ReadColourMapTag(codex, mesh_.header.colour_map, colour_map.get())) return 0;
  colour_map_ = std::move(colour_map);
  colour_map_name_ = colour_map_->name;
  std::optional<MediaParameters> media = ReadMediaParametersTag(codex, mesh_.header.media);
  anim_ = MakeMediaAnimation(media ? &*media : nullptr);

  highlights = LoadHighlightTable(ReadableDataFile(kHighlightTableName));
  if (TagRecord* dmap = codex.FindTag(kDmapGroup, mesh_.header.colour_map)) {
    std::optional<DetailMap> map = ReadDetailMapTag(codex, dmap);
    if (map && (map->width != mesh_.width || map->height != mesh_.height)) {
      TagHeader dmap_header;
      codex.GetEffectiveHeader(dmap, &dmap_header);
      char text[600];
      std::snprintf(text, sizeof text,
                    "WARNING: A the dmap tag %s (%s) matches this color map, but its dimensions "
                    "do not match. If you edit and save the dmap on this mesh, it will overwrite "
                    "the existing file, and the meshes which used that dmap will no longer have "
                    "working detail textures.",
                    FourCCToString(mesh_.header.colour_map).c_str(), dmap_header.Name().c_str());
      ShowMessageBox(kDmapConflictTitle, text, {"OK"});
    } else if (map) {
      map_ = std::move(*map);
      ApplyMaterialHighlights(*map_, &highlights);
      LoadMaterials();
      undo_.Clear();
      undo_copies_.Reset(*map_);
      detail_textures = true;
      highlighting = false;
      detail_tool = true;
      palette_visible = true;
    }
  }

  table_ = BuildShadedColourTable(mesh_.header, colour_map_->palette);
  side_257_ = HasNonPowerOfTwoTextures();
  chunks_.clear();
  pending_textures_ = mesh_.ChunksX() * mesh_.ChunksY();
  for (int cy = 0; cy < mesh_.ChunksY(); ++cy) {
    for (int cx = 0; cx < mesh_.ChunksX(); ++cx) {
      auto chunk = std::make_unique<Chunk>();
      chunk->cx = cx;
      chunk->cy = cy;
      chunk->index = cy * mesh_.ChunksX() + cx;
      BuildChunk(*chunk);
      chunks_.push_back(std::move(chunk));
    }
  }
  open_ = true;
  return 1;
}

void MeshEdit::LoadMaterials() {
  ReleaseMaterials();
  if (!map_) return;
  for (int i = 1; i < kDetailMaterialCount; ++i) {
    const uint32_t id = map_->materials[i].entry.texture;
    if (id == kNoDetailTexture || !TheCodex().FindTag(kDtexGroup, id)) continue;
    textures_[i] = TheDtexManager().AcquireByTag(kDtexGroup, id);
  }
}

void MeshEdit::ReleaseMaterials() {
  for (DtexTag*& t : textures_) {
    if (t) ReleaseDtex(t);
    t = nullptr;
  }
}

void MeshEdit::ReleaseChunks() {
  for (auto& chunk : chunks_) {
    if (chunk->texture) glDeleteTextures(1, &chunk->texture);
    if (chunk->vertex_buffer) glDeleteBuffers(1, &chunk->vertex_buffer);
    if (chunk->index_buffer) glDeleteBuffers(1, &chunk->index_buffer);
    if (chunk->layer_vertex_buffer) glDeleteBuffers(1, &chunk->layer_vertex_buffer);
    if (chunk->layer_index_buffer) glDeleteBuffers(1, &chunk->layer_index_buffer);
  }
  chunks_.clear();
  pending_textures_ = 0;
}

// The colour-map texture with its mipmaps. Generating the mipmaps is most of the cost of opening
// a large terrain, so a chunk gets its texture when it is first drawn, and the chunks out of
// sight get theirs a few per frame afterwards (BuildPendingTextures).
void MeshEdit::BuildChunkTexture(Chunk& chunk) {
  std::vector<uint8_t> rgb;
  brae::BuildChunkTexture(mesh_, *colour_map_, table_, chunk.cx, chunk.cy, side_257_, &rgb);
  const int side = side_257_ ? kChunkTexels + 1 : kChunkTexels;
  if (!chunk.texture) glGenTextures(1, &chunk.texture);
  glPushAttrib(GL_TEXTURE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, chunk.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPopClientAttrib();
  glPopAttrib();
  --pending_textures_;
}

void MeshEdit::BuildPendingTextures(int count) {
  for (auto& chunk : chunks_) {
    if (pending_textures_ <= 0 || count <= 0) break;
    if (chunk->texture) continue;
    BuildChunkTexture(*chunk);
    --count;
  }
}

void MeshEdit::BuildChunk(Chunk& chunk) {
  chunk.cells = ChunkCells(mesh_, chunk.cx, chunk.cy);
  chunk.heights = BuildChunkHeights(mesh_, chunk.cx, chunk.cy);
  if (map_) {
    chunk.recipes = BuildChunkRecipes(mesh_, *map_, chunk.cx, chunk.cy);
  } else {
    chunk.recipes.clear();
  }
  chunk.submerged = false;
  for (int y = chunk.cells.y0; y <= chunk.cells.y1; ++y) {
    for (int x = chunk.cells.x0; x <= chunk.cells.x1; ++x) {
      if (mesh_.At(x, y).flags & kVertexSubmerged) chunk.submerged = true;
    }
  }
  auto [lo, hi] = std::minmax_element(chunk.heights.begin(), chunk.heights.end());
  const float swing = anim_.length[1] < 0 ? -anim_.length[1] : anim_.length[1];
  chunk.min_h = float(*lo) - swing;
  chunk.max_h = float(*hi) + swing;
  BuildGeometry(chunk);
}

// ---- chunk geometry -----------------------------------------------------------------------------

float MeshEdit::VertexHeight(int x, int y) const {
  x = std::clamp(x, 0, mesh_.width - 1);
  y = std::clamp(y, 0, mesh_.height - 1);
  return mesh_.At(x, y).DisplayedHeight();
}

void MeshEdit::BuildGeometry(Chunk& chunk) {
  ++chunk_builds_;
  chunk.built_tick = tick_;
  const bool animate = animation && chunk.submerged;
  // Vertex positions of the 33 x 33 grid, displaced where submerged.
  std::vector<TerrainVertex> vertices(size_t(kSide) * kSide);
  const int x0 = kChunkVertices * chunk.cx, y0 = kChunkVertices * chunk.cy;
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      TerrainVertex& v = vertices[size_t(j) * kSide + i];
      const int gx = x0 + i, gy = y0 + j;
      v.x = float(gx);
      v.y = float(gy);
      v.h = chunk.heights[size_t(j) * kSide + i];
      if (animate && gx < mesh_.width && gy < mesh_.height &&
          (mesh_.At(gx, gy).flags & kVertexSubmerged)) {
        AnimateVertex(anim_, tick_, gx, gy, &v.x, &v.h, &v.y);
      }
      v.u = ChunkTexCoord(i, side_257_);
      v.v = ChunkTexCoord(j, side_257_);
    }
  }
  if (!chunk.vertex_buffer) glGenBuffers(1, &chunk.vertex_buffer);
  glBindBuffer(GL_ARRAY_BUFFER, chunk.vertex_buffer);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(TerrainVertex)),
               vertices.data(), GL_STATIC_DRAW);

  // Two triangles per cell along the cell's diagonal; the index list never changes.
  if (chunk.indices.empty()) {
    for (int y = chunk.cells.y0; y < chunk.cells.y1; ++y) {
      for (int x = chunk.cells.x0; x < chunk.cells.x1; ++x) {
        for (int t = 0; t < 2; ++t) {
          int corners[3][2];
          WoundCorners(x, y, t, corners);
          for (auto& c : corners) {
            chunk.indices.push_back(GLuint((c[1] - y0) * kSide + (c[0] - x0)));
          }
        }
      }
    }
    chunk.index_count = GLsizei(chunk.indices.size());
    glGenBuffers(1, &chunk.index_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.index_buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(chunk.indices.size() * sizeof(GLuint)),
                 chunk.indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }

  // Detail layers, grouped by material: each triangle's layers with their coverage.
  std::vector<GLushort> by_material[kDetailMaterialCount];
  if (map_ && !chunk.recipes.empty()) {
    for (int y = chunk.cells.y0; y < chunk.cells.y1; ++y) {
      for (int x = chunk.cells.x0; x < chunk.cells.x1; ++x) {
        const size_t cell = size_t(y - y0) * kChunkCellSide + size_t(x - x0);
        for (int t = 0; t < 2; ++t) {
          const TriangleRecipe& r = chunk.recipes[2 * cell + t];
          if (!r.layers) continue;
          int corners[3][2], wound[3][2];
          TriangleCorners(x, y, t, corners);
          WoundCorners(x, y, t, wound);
          // The recipe's corner bits follow the format's order; emit in the wound order.
          const bool swapped = wound[1][0] != corners[1][0] || wound[1][1] != corners[1][1];
          for (int l = 0; l < r.layers; ++l) {
            auto& out = by_material[r.material[l]];
            for (int k = 0; k < 3; ++k) {
              const int c = swapped && k ? 3 - k : k;
              const int at = (corners[c][1] - y0) * kSide + (corners[c][0] - x0);
              out.push_back(GLushort((r.corners[l] >> c) & 1 ? at : at + kClearCorners));
            }
          }
        }
      }
    }
  }
  std::vector<GLushort> indices;
  chunk.layers.clear();
  for (int m = 1; m < kDetailMaterialCount; ++m) {
    if (by_material[m].empty()) continue;
    ChunkLayer layer;
    layer.material = uint8_t(m);
    layer.first = GLsizei(indices.size());
    layer.count = GLsizei(by_material[m].size());
    indices.insert(indices.end(), by_material[m].begin(), by_material[m].end());
    chunk.layers.push_back(layer);
  }
  if (!indices.empty()) {
    std::vector<LayerVertex> corners(2 * size_t(kClearCorners));
    for (size_t k = 0; k < size_t(kClearCorners); ++k) {
      const TerrainVertex& v = vertices[k];
      const float s = float(x0 + int(k % kSide)), t = float(y0 + int(k / kSide));
      corners[k] = LayerVertex{v.x, v.h, v.y, s, t, {255, 255, 255, 255}};
      corners[k + kClearCorners] = LayerVertex{v.x, v.h, v.y, s, t, {255, 255, 255, 0}};
    }
    if (!chunk.layer_vertex_buffer) glGenBuffers(1, &chunk.layer_vertex_buffer);
    if (!chunk.layer_index_buffer) glGenBuffers(1, &chunk.layer_index_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, chunk.layer_vertex_buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners.size() * sizeof(LayerVertex)), corners.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.layer_index_buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLushort)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  chunk.overlay_mode = -1;
  chunk.overlay.clear();
}

void MeshEdit::RefreshChunks(int x0, int y0, int x1, int y1) {
  int cx0, cy0, cx1, cy1;
  if (!ChunksTouched(mesh_, x0, y0, x1, y1, &cx0, &cy0, &cx1, &cy1)) return;
  for (int cy = cy0; cy <= cy1; ++cy) {
    for (int cx = cx0; cx <= cx1; ++cx) BuildChunk(*chunks_[size_t(cy * mesh_.ChunksX() + cx)]);
  }
  InvalidateClient();
}

void MeshEdit::RefreshAllChunks() {
  RefreshChunks(0, 0, mesh_.width - 1, mesh_.height - 1);
}

// ---- drawing ------------------------------------------------------------------------------------

void MeshEdit::Classify(const Frustum& frustum) {
  info_.invisible = info_.partial = info_.full = 0;
  for (auto& chunk : chunks_) {
    const CellRange& c = chunk->cells;
    const float lo[3] = {float(c.x0) - 1, chunk->min_h, float(c.y0) - 1};
    const float hi[3] = {float(c.x1) + 1, chunk->max_h, float(c.y1) + 1};
    chunk->visibility = frustum.Classify(lo, hi);
    if (chunk->visibility == 0) ++info_.invisible;
    if (chunk->visibility == 2) ++info_.full;
    if (chunk->visibility != 1) continue;
    ++info_.partial;
    chunk->cell_visible.assign(size_t(kChunkCellSide) * kChunkCellSide, 0);
    const int x0 = kChunkVertices * chunk->cx, y0 = kChunkVertices * chunk->cy;
    for (int y = c.y0; y < c.y1; ++y) {
      for (int x = c.x0; x < c.x1; ++x) {
        const int i = x - x0, j = y - y0;
        const int16_t* h = chunk->heights.data();
        float hmin = h[j * kSide + i], hmax = hmin;
        for (int k : {j * kSide + i + 1, (j + 1) * kSide + i, (j + 1) * kSide + i + 1}) {
          hmin = std::min(hmin, float(h[k]));
          hmax = std::max(hmax, float(h[k]));
        }
        const float swing = chunk->submerged && animation ? anim_.Largest() : 0;
        const float clo[3] = {x - swing, hmin - 512 * swing, y - swing};
        const float chi[3] = {x + 1 + swing, hmax + 512 * swing, y + 1 + swing};
        chunk->cell_visible[size_t(j) * kChunkCellSide + i] = frustum.Classify(clo, chi) != 0;
      }
    }
  }
}

void MeshEdit::DrawContent() {
  if (!open_) return;
  const int w = client.Width(), h = client.Height();
  if (w <= 0 || h <= 0) return;
  GLint outer_viewport[4];
  glGetIntegerv(GL_VIEWPORT, outer_viewport);
  BeginDraw(this, true, true);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  glClearColor(0.15f, 0.17f, 0.22f, 1);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  const float aspect = float(w) / float(h);
  const Matrix4 projection = MeshProjection(aspect);
  const Matrix4 view = MeshViewMatrix(camera_);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(projection.m);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(view.m);
  // The mirrored x turns the windings: front faces are clockwise on screen.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_LIGHTING);

  Classify(Frustum(projection * view));
  info_.cells_drawn = 0;
  for (auto& chunk : chunks_) {
    if (chunk->visibility && !chunk->texture) BuildChunkTexture(*chunk);
  }
  for (auto& chunk : chunks_) {
    if (chunk->visibility) DrawTerrain(*chunk);
  }
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  // While the button is held, every pointer move paints one dab where it now points.
  if (hover_pending_ && ReadHover(view, projection, viewport) && stroking_) {
    StrokeDab(brush_x, brush_y);
  }
  if (detail_textures && map_) DrawLayers(false);
  if (highlighting && highlight_mode == 0) DrawLayers(true);
  if (highlighting && highlight_mode != 0) {
    for (auto& chunk : chunks_) {
      if (chunk->visibility) DrawHighlight(*chunk);
    }
  }
  if (wireframe) {
    for (auto& chunk : chunks_) {
      if (chunk->visibility) DrawWireframe(*chunk);
    }
  }
  if (detail_tool && map_ && !vertex_brush) DrawTriangleOutlines();
  DrawBrush();
  glPopClientAttrib();
  glPopAttrib();
  EndDraw();
  glViewport(outer_viewport[0], outer_viewport[1], outer_viewport[2], outer_viewport[3]);

  info_.chunks_x = mesh_.ChunksX();
  info_.chunks_y = mesh_.ChunksY();
  info_.cells_total = (mesh_.width - 1) * (mesh_.height - 1);
  info_.wireframe = wireframe;
  info_.animation = animation;
  info_.detail_tool = detail_tool;
  info_.detail_textures = detail_textures && map_;
  info_.highlighting = highlighting;
  info_.highlight_mode = kHighlightModeNames[highlight_mode];
  info_.round_brush = round_brush;
  info_.vertex_mode = vertex_brush;
  info_.radius = brush_radius;
  info_.brush_x = brush_x;
  info_.brush_y = brush_y;
  info_.material = "<none>";
  if (map_) {
    const DetailMaterial& m = map_->materials[brush_material];
    TagHeader tag_header;
    TagRecord* tag = m.entry.texture == kNoDetailTexture
                         ? nullptr
                         : TheCodex().FindTag(kDtexGroup, m.entry.texture);
    std::string name;
    if (tag) {
      TheCodex().GetEffectiveHeader(tag, &tag_header);
      name = tag_header.Name();
    }
    info_.material = MaterialRowText(brush_material, m.entry.texture, m.entry.Description(),
                                     tag ? &name : nullptr);
  }
  info_.scale = map_ ? map_->materials[brush_material].scale : 128;
  if (show_info) {
    const std::string text = FormatMeshInfo(info_);
    SetColor(0xFFFFFFFFu);
    int y = 4;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      DrawText(this, line.c_str(), 6, y);
      y += LineHeight(this);
      start = end == std::string::npos ? text.size() : end + 1;
    }
  }
}

void MeshEdit::DrawTerrain(Chunk& chunk) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, chunk.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBindBuffer(GL_ARRAY_BUFFER, chunk.vertex_buffer);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TerrainVertex), reinterpret_cast<void*>(0));
  glTexCoordPointer(2, GL_FLOAT, sizeof(TerrainVertex),
                    reinterpret_cast<void*>(offsetof(TerrainVertex, u)));
  if (chunk.visibility == 2) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.index_buffer);
    glDrawElements(GL_TRIANGLES, chunk.index_count, GL_UNSIGNED_INT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    info_.cells_drawn += chunk.cells.Count();
  } else {
    // Only the visible cells of a partial chunk.
    static std::vector<GLuint> visible;
    visible.clear();
    const int x0 = kChunkVertices * chunk.cx, y0 = kChunkVertices * chunk.cy;
    size_t k = 0;
    for (int y = chunk.cells.y0; y < chunk.cells.y1; ++y) {
      for (int x = chunk.cells.x0; x < chunk.cells.x1; ++x, k += 6) {
        if (!chunk.cell_visible[size_t(y - y0) * kChunkCellSide + size_t(x - x0)]) continue;
        visible.insert(visible.end(), chunk.indices.begin() + long(k),
                       chunk.indices.begin() + long(k + 6));
        ++info_.cells_drawn;
      }
    }
    if (!visible.empty()) {
      glDrawElements(GL_TRIANGLES, GLsizei(visible.size()), GL_UNSIGNED_INT, visible.data());
    }
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// Layers modulate the colour map by twice the detail texel, faded to mid-grey (no change) where
// the layer's coverage falls off: the texture environment interpolates between the texel and
// grey by the vertex alpha, and the blend multiplies the colour map by twice the result.
void MeshEdit::DrawLayers(bool highlight) {
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  for (const auto& chunk : chunks_) {
    if (!chunk->visibility) continue;
    for (const ChunkLayer& layer : chunk->layers) {
      GLuint texture = 0;
      if (LayerState(highlight, layer.material, &texture))
        DrawLayer(*chunk, layer, highlight, texture);
    }
  }
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}

// Sets up the drawing of a material's layers; false when the material draws nothing.
bool MeshEdit::LayerState(bool highlight, int m, GLuint* texture_out) {
  if (highlight && !highlighted_materials[m]) return false;
  DtexTag* tag = textures_[m];
  const GLuint texture = DtexTexture(tag);
  if (!highlight && !texture) return false;
  *texture_out = texture;
  if (highlight) {
    // The material's highlight colour at half opacity where the layer covers.
    const Rgb c = highlights.colours[m];
    const float colour[4] = {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 127 / 255.0f};
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
    return true;
  }
  const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
  glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, grey);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_CONSTANT);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_CONSTANT);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  // Repeats per cell: the material's scale over the texture's size.
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  const float scale = float(map_->materials[m].scale);
  glScalef(scale / float(std::max(tag->Width(), 1)), scale / float(std::max(tag->Height(), 1)), 1);
  glMatrixMode(GL_MODELVIEW);
  return true;
}

void MeshEdit::DrawLayer(const Chunk& chunk, const ChunkLayer& layer, bool highlight,
                         GLuint texture) {
  // A highlight without a detail texture still needs a complete texture for the combiner; the
  // chunk's colour map serves (only the constant colour and the coverage show).
  if (highlight && !texture) glBindTexture(GL_TEXTURE_2D, chunk.texture);
  glBindBuffer(GL_ARRAY_BUFFER, chunk.layer_vertex_buffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.layer_index_buffer);
  glVertexPointer(3, GL_FLOAT, sizeof(LayerVertex), reinterpret_cast<void*>(0));
  glTexCoordPointer(2, GL_FLOAT, sizeof(LayerVertex),
                    reinterpret_cast<void*>(offsetof(LayerVertex, s)));
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(LayerVertex),
                 reinterpret_cast<void*>(offsetof(LayerVertex, rgba)));
  // The range spares the driver a scan of the indices for their bounds.
  glDrawRangeElements(GL_TRIANGLES, 0, 2 * kClearCorners - 1, layer.count, GL_UNSIGNED_SHORT,
                      reinterpret_cast<void*>(size_t(layer.first) * sizeof(GLushort)));
}

// The "Reflectivity" and "Terrain Type" overlays.
void MeshEdit::DrawHighlight(Chunk& chunk) {
  if (chunk.overlay_mode != highlight_mode) {
    // Built when first needed for the mode and kept until the chunk changes.
    chunk.overlay.clear();
    const int x0 = kChunkVertices * chunk.cx, y0 = kChunkVertices * chunk.cy;
    for (int y = chunk.cells.y0; y < chunk.cells.y1; ++y) {
      for (int x = chunk.cells.x0; x < chunk.cells.x1; ++x) {
        const MeshVertex& v = mesh_.At(x, y);
        for (int t = 0; t < 2; ++t) {
          Rgb colour;
          if (highlight_mode == 1) {
            if (!(v.flags & (t ? kVertexReflective1 : kVertexReflective0))) continue;
            colour = highlights.colours[0];
          } else {
            const TerrainType& type = GetTerrainType(v.TerrainType());
            colour = Rgb{type.highlight[0], type.highlight[1], type.highlight[2]};
          }
          int corners[3][2];
          WoundCorners(x, y, t, corners);
          for (auto& c : corners) {
            chunk.overlay.push_back(OverlayVertex{
                float(c[0]), float(chunk.heights[size_t(c[1] - y0) * kSide + size_t(c[0] - x0)]),
                float(c[1]), colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f,
                127 / 255.0f});
          }
        }
      }
    }
    chunk.overlay_mode = highlight_mode;
  }
  if (chunk.overlay.empty()) return;
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(OverlayVertex), &chunk.overlay[0].x);
  glColorPointer(4, GL_FLOAT, sizeof(OverlayVertex), &chunk.overlay[0].r);
  glDrawArrays(GL_TRIANGLES, 0, GLsizei(chunk.overlay.size()));
  glDisableClientState(GL_COLOR_ARRAY);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}

void MeshEdit::DrawWireframe(Chunk& chunk) {
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.1f, 0.1f, 0.1f, 1);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glEnable(GL_POLYGON_OFFSET_LINE);
  glPolygonOffset(-1, -1);
  glBindBuffer(GL_ARRAY_BUFFER, chunk.vertex_buffer);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TerrainVertex), reinterpret_cast<void*>(0));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.index_buffer);
  glDrawElements(GL_TRIANGLES, chunk.index_count, GL_UNSIGNED_INT, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisable(GL_POLYGON_OFFSET_LINE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor4f(1, 1, 1, 1);
}

// The triangles a dab would paint, outlined on the ground.
void MeshEdit::DrawTriangleOutlines() {
  if (hover_vertex_x < 0) return;
  const std::vector<DabTriangle> triangles = DabTriangles(*map_, Brush(), brush_x, brush_y);
  if (triangles.empty()) return;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LEQUAL);
  glColor4f(1, 1, 1, 0.6f);
  glBegin(GL_LINES);
  for (const DabTriangle& d : triangles) {
    int corners[3][2];
    TriangleCorners(d.x, d.y, d.t, corners);
    for (int i = 0; i < 3; ++i) {
      const int* a = corners[i];
      const int* b = corners[(i + 1) % 3];
      // Lifted a little so that the ground does not hide the lines.
      glVertex3f(float(a[0]), VertexHeight(a[0], a[1]) + 0.05f, float(a[1]));
      glVertex3f(float(b[0]), VertexHeight(b[0], b[1]) + 0.05f, float(b[1]));
    }
  }
  glEnd();
  glColor4f(1, 1, 1, 1);
}

void MeshEdit::DrawBrush() {
  if (hover_vertex_x < 0) return;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  // The outline: a circle or square of the brush radius following the ground.
  glColor4f(1, 1, 0.3f, 1);
  glBegin(GL_LINE_LOOP);
  const int steps = 48;
  for (int i = 0; i < steps; ++i) {
    const float a = float(i) / steps * 6.2831853f;
    float dx = std::cos(a) * brush_radius, dy = std::sin(a) * brush_radius;
    if (!round_brush) {
      const float k = brush_radius / std::max(std::fabs(dx), std::fabs(dy));
      dx *= k, dy *= k;
    }
    const float px = brush_x + dx, py = brush_y + dy;
    glVertex3f(px, VertexHeight(int(std::lround(px)), int(std::lround(py))), py);
  }
  glEnd();
  // The hovered vertex, or the hovered triangle's outline.
  glColor4f(1, 0.3f, 0.3f, 1);
  if (vertex_brush) {
    glPointSize(6 * Ui().scale);
    glBegin(GL_POINTS);
    glVertex3f(float(hover_vertex_x), VertexHeight(hover_vertex_x, hover_vertex_y),
               float(hover_vertex_y));
    glEnd();
  } else if (hover_cell_x >= 0) {
    int corners[3][2];
    TriangleCorners(hover_cell_x, hover_cell_y, hover_triangle, corners);
    glBegin(GL_LINE_LOOP);
    for (auto& c : corners) glVertex3f(float(c[0]), VertexHeight(c[0], c[1]), float(c[1]));
    glEnd();
  }
}

bool MeshEdit::ReadHover(const Matrix4& view, const Matrix4& projection, const int viewport[4]) {
  hover_pending_ = false;
  UiState& ui = Ui();
  // The depth buffer has device pixels: the middle of the logical pixel under the mouse.
  const int wx = int((mouse_x_ + 0.5f) * ui.scale);
  const int wy = ui.device_height - 1 - int((mouse_y_ + 0.5f) * ui.scale);
  GLfloat depth = 1;
  glReadPixels(wx, wy, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  if (depth >= 1.0f) return false;
  GLdouble mv[16], pr[16], ox, oy, oz;
  for (int i = 0; i < 16; ++i) mv[i] = view.m[i], pr[i] = projection.m[i];
  if (!gluUnProject(wx + 0.5, wy + 0.5, depth, mv, pr, viewport, &ox, &oy, &oz)) return false;
  brush_x = float(ox);
  brush_y = float(oz);
  hover_vertex_x = std::clamp(int(std::lround(ox)), 0, mesh_.width - 1);
  hover_vertex_y = std::clamp(int(std::lround(oz)), 0, mesh_.height - 1);
  hover_cell_x = std::clamp(int(std::floor(ox)), 0, std::max(mesh_.width - 2, 0));
  hover_cell_y = std::clamp(int(std::floor(oz)), 0, std::max(mesh_.height - 2, 0));
  // The triangle whose centroid is nearer.
  float best = 1e9f;
  for (int t = 0; t < 2; ++t) {
    float cx, cy;
    TriangleCentroid(hover_cell_x, hover_cell_y, t, &cx, &cy);
    const float d = (cx - brush_x) * (cx - brush_x) + (cy - brush_y) * (cy - brush_y);
    if (d < best) best = d, hover_triangle = t;
  }
  return true;
}

// ---- tick, keys and mouse -----------------------------------------------------------------------

uint32_t MeshEdit::HeldCameraKeys() const {
  if (ControlHeld()) return 0;
  uint32_t keys = 0;
  for (int i = 0; i < 12; ++i) {
    if (IsKeyDown(kCameraKeyCodes[i])) keys |= 1u << i;
  }
  return keys;
}

void MeshEdit::RunTick() {
  ++tick_;
  if (ApplyCameraKeys(camera_, HeldCameraKeys())) InvalidateClient();
  if (animation) {
    for (auto& chunk : chunks_) {
      if (chunk->submerged && chunk->visibility) BuildGeometry(*chunk);
    }
    InvalidateClient();
  }
}

void MeshEdit::Idle() {
  TagEdit::Idle();
  if (!open_ || IsClosed()) return;
  SyncPalette();
  // The textures of the chunks not yet drawn, a few per frame, once the view has been drawn.
  if (pending_textures_ > 0 && info_.chunks_x > 0) {
    BuildPendingTextures(kTexturesPerIdle);
    RequestFrame();
  }
  // The pointer over the view: the next draw reads the depth under it.
  const Point m = Ui().mouse;
  if ((m.x != mouse_x_ || m.y != mouse_y_) && m.x >= client.x0 && m.x < client.x1 &&
      m.y >= client.y0 && m.y < client.y1) {
    mouse_x_ = m.x;
    mouse_y_ = m.y;
    hover_pending_ = true;
    InvalidateClient();
  }
  const double now = UiNow();
  if (tick_reset_ < 0 || now - tick_reset_ > 1.0) {
    tick_reset_ = now;
    ticks_since_reset_ = 0;
  }
  const long due = long((now - tick_reset_) / kTickSeconds);
  const bool focused = HasFocus();
  while (ticks_since_reset_ < due) {
    ++ticks_since_reset_;
    if (focused || animation) RunTick();
  }
  // Keep ticking while something moves.
  if (animation || (focused && HeldCameraKeys())) {
    RequestFrameAt(tick_reset_ + double(ticks_since_reset_ + 1) * kTickSeconds);
  }
}

Window* MeshEdit::FocusGained(Window*, int) {
  InvalidateClient();
  return nullptr;
}

int MeshEdit::KeyDown(Event* event) {
  if (!event->Pressed()) return 0;
  if (stroking_) return 1;  // keys wait until the stroke ends
  const bool control = event->Modifiers() & kModControl;
  if (control && event->Key() == 'Z') {
    undo_.Undo();
    return 1;
  }
  if (control && event->Key() == 'Y') {
    undo_.Redo();
    return 1;
  }
  switch (event->Key()) {
    case '`':
      RunCommand(kMeshToggleInfo);
      return 1;
    case kKeyF1:
      RunCommand(kMeshToggleWireframe);
      return 1;
    case kKeyF2:
      RunCommand(kMeshToggleDetail);
      return 1;
    case kKeyF1 + 5:  // F6
      RunCommand(kMeshToggleAnimation);
      return 1;
    case kKeyF1 + 6:  // F7
      RunCommand(kMeshNextHighlightMode);
      return 1;
    default:
      break;
  }
  if (!control && DetailToolKey(event)) return 1;
  // The keys of the camera are polled on the tick: taken here so they reach nothing else.
  if (!control) {
    for (char c : kCameraKeyCodes) {
      if (event->Key() == c) {
        RequestFrame();
        return 1;
      }
    }
  }
  return TagEdit::KeyDown(event);
}

void MeshEdit::ClientMouseMove(Event* event) {
  mouse_x_ = event->X();
  mouse_y_ = event->Y();
  hover_pending_ = true;
  InvalidateClient();
}

void MeshEdit::ClientWheel(Event* event) {
  if (stroking_) return;
  // Wheel up makes the brush smaller.
  const int notches = event->WheelTo() - event->WheelFrom();
  brush_radius = ClampBrushRadius(brush_radius - kBrushRadiusStep * float(notches));
  InvalidateClient();
}

// The keys of the Detail Map Tool; 1 when the key was one of them.
int MeshEdit::DetailToolKey(Event* event) {
  if (!detail_tool || !map_) return 0;
  const bool shift = event->Modifiers() & kModShift;
  switch (event->Key()) {
    case '-':
    case kKeyPadMinus:
      ChangeMaterialScale(brush_material, map_->materials[brush_material & 0x7F].scale - 1);
      break;
    case '=':
    case kKeyPadPlus:
      ChangeMaterialScale(brush_material, map_->materials[brush_material & 0x7F].scale + 1);
      break;
    case '[':
      brush_radius = ClampBrushRadius(brush_radius - kBrushRadiusStep);
      break;
    case ']':
      brush_radius = ClampBrushRadius(brush_radius + kBrushRadiusStep);
      break;
    case kKeyF1 + 2:  // F3
      highlighting = !highlighting;
      if (shift) {
        // With Shift every material follows the new state.
        std::fill(std::begin(highlighted_materials), std::end(highlighted_materials), highlighting);
        RefreshAllChunks();
        RefreshPaletteRows();
      }
      break;
    case kKeyF4:
      round_brush = !round_brush;
      break;
    case kKeyF5:
      vertex_brush = !vertex_brush;
      break;
    case kKeyTab:
      palette_visible = !palette_visible;
      break;
    default:
      return 0;
  }
  InvalidateClient();
  return 1;
}

void MeshEdit::ClientMouseButton(Event* event) {
  if (event->Button() == 1 && event->Pressed() && !stroking_) {
    ShowMenu(event->X(), event->Y());
    return;
  }
  if (event->Button() != 0 || !event->Pressed()) return;
  const int mods = event->Modifiers();
  last_press_shift = mods & kModShift;
  if (!detail_tool || !map_ || stroking_) return;
  mouse_x_ = event->X();
  mouse_y_ = event->Y();
  if (mods & kModAlt) {
    FillAt(brush_x, brush_y);
    return;
  }
  BeginStroke(last_press_shift);
  BeginMouseTracking(this, nullptr, nullptr);
}

// A quick second press paints (or fills) like any other.
void MeshEdit::ClientDoubleClick(Event* event) {
  ClientMouseButton(event);
}

void MeshEdit::TrackMouse(int, int, int x, int y, int phase) {
  if (!stroking_) return;
  if (phase == 2) {
    EndStroke();
    return;
  }
  if (x != mouse_x_ || y != mouse_y_) {
    mouse_x_ = x;
    mouse_y_ = y;
    hover_pending_ = true;
    InvalidateClient();
  }
}

// ---- palette ------------------------------------------------------------------------------------

constexpr int kPaletteWidth = 330;

void MeshEdit::Layout() {
  TagEdit::Layout();
  if (!palette_) return;
  const int w = std::min(kPaletteWidth, client.Width());
  palette_->SetFrame(Rect(client.Width() - w, 0, client.Width(), client.Height()));
}

// The palette shows only with the Detail Map Tool and a map; hiding it gives the view the focus.
void MeshEdit::SyncPalette() {
  if (!palette_) return;
  if (!detail_tool) palette_visible = false;
  const bool show = palette_visible && map_.has_value();
  if (show == palette_->IsVisible()) return;
  if (show) {
    if (palette_->ShownCount() != size_t(kDetailMaterialCount)) RefreshPaletteRows();
    Layout();
  }
  palette_->SetVisible(show);
  if (!show && !IsClosed()) SetFocus(0);
  InvalidateClient();
}

std::string MeshEdit::MaterialText(int material) const {
  if (!map_ || material < 0 || material >= kDetailMaterialCount) return "<none>";
  const DetailMaterial& m = map_->materials[material];
  TagRecord* tag = m.entry.texture == kNoDetailTexture
                       ? nullptr
                       : TheCodex().FindTag(kDtexGroup, m.entry.texture);
  std::string name;
  if (tag) {
    TagHeader tag_header;
    TheCodex().GetEffectiveHeader(tag, &tag_header);
    name = tag_header.Name();
  }
  return MaterialRowText(material, m.entry.texture, m.entry.Description(), tag ? &name : nullptr);
}

void MeshEdit::RefreshPaletteRows() {
  if (!palette_ || !map_) return;
  if (palette_->ShownCount() != size_t(kDetailMaterialCount)) {
    palette_->Clear();
    for (int i = 0; i < kDetailMaterialCount; ++i) palette_->AddRow(nullptr, "", 0, i);
  }
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    ListRow* row = palette_->ShownRow(size_t(i));
    if (!row) continue;
    row->text = MaterialText(i);
    const Rgb c = highlights.colours[i];
    row->colour = highlighted_materials[i]
                      ? 0xFF000000u | uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16
                      : kRowColourNormal;
    palette_->SetCell(row, 1, protected_materials[i] ? "protected" : "");
  }
  palette_->InvalidateClient();
}

void MeshEdit::OnPaletteSelection() {
  ListRow* row = palette_ ? palette_->CurrentRow() : nullptr;
  if (!row || !row->IsSelected()) return;
  PaletteClicked(row->value, ShiftHeld(), ControlHeld());
}

void MeshEdit::PaletteClicked(int material, bool shift, bool control) {
  if (material < 0 || material >= kDetailMaterialCount) return;
  brush_material = material;
  if (shift) protected_materials[material] = !protected_materials[material];
  if (control) {
    highlighted_materials[material] = !highlighted_materials[material];
    RefreshAllChunks();
  }
  if (shift || control) RefreshPaletteRows();
  InvalidateClient();
}

void MeshEdit::OnPaletteActivated(ListRow* row) {
  if (row) EditMaterial(row->value);
}

void MeshEdit::EditMaterial(int material) {
  if (!map_ || material < 0 || material >= kDetailMaterialCount) return;
  if (material == 0) {
    ShowMessageBox("Message", "Index 0 is reserved, but you can edit the highlight color.", {"OK"});
    const Rgb old = highlights.colours[0];
    uint32_t picked = uint32_t(old.r) | uint32_t(old.g) << 8 | uint32_t(old.b) << 16;
    if (!PickColour(&picked)) return;
    const Rgb colour{uint8_t(picked), uint8_t(picked >> 8), uint8_t(picked >> 16)};
    SetMaterialAttributes(0, kNoDetailTexture, colour, map_->materials[0].entry.Description());
    return;
  }
  if (material_dialog) {
    material_dialog(this, material);
    return;
  }
  const DetailMaterialEntry& e = map_->materials[material].entry;
  DetailAttributes a;
  a.texture = e.texture;
  a.colour = highlights.colours[material];
  a.description = e.Description();
  if (EditDetailAttributes(&a)) SetMaterialAttributes(material, a.texture, a.colour, a.description);
}

bool MeshEdit::SetMaterialAttributes(int material, uint32_t texture, Rgb colour,
                                     const std::string& description) {
  if (!map_ || material < 0 || material >= kDetailMaterialCount) return false;
  DetailMaterialEntry& e = map_->materials[material].entry;
  const std::string text = description.substr(0, 31);
  if (material == 0) texture = kNoDetailTexture;
  const bool changed = e.texture != texture || e.highlight[0] != colour.r ||
                       e.highlight[1] != colour.g || e.highlight[2] != colour.b ||
                       e.Description() != text;
  if (!changed) return false;
  e.texture = texture;
  e.highlight[0] = colour.r;
  e.highlight[1] = colour.g;
  e.highlight[2] = colour.b;
  e.SetDescription(text);
  highlights.colours[material] = colour;
  // Exchange the texture resource.
  if (textures_[material]) ReleaseDtex(textures_[material]);
  textures_[material] = nullptr;
  if (material != 0 && texture != kNoDetailTexture && TheCodex().FindTag(kDtexGroup, texture)) {
    textures_[material] = TheDtexManager().AcquireByTag(kDtexGroup, texture);
  }
  RefreshPaletteRows();
  RefreshAllChunks();
  SetDirty(true);
  return true;
}

void MeshEdit::ApplyHighlightTable(const HighlightTable& table) {
  if (!map_) return;
  highlights = table;
  // The colours apply even when the file cannot be written.
  SaveHighlights(highlights);
  ApplyHighlightsToMaterials(highlights, &*map_);
  RefreshPaletteRows();
  RefreshAllChunks();
  SetDirty(true);
}

void MeshEdit::ImportHighlightClut() {
  if (!map_) return;
  HighlightTable table = highlights;
  int count = 0;
  if (!ImportColorTableDialog("colors", table.colours, &count)) return;
  ApplyHighlightTable(table);
}

// ---- painting -----------------------------------------------------------------------------------

DetailBrush MeshEdit::Brush() const {
  DetailBrush brush;
  brush.material = brush_material & 0x7F;
  brush.radius = ClampBrushRadius(brush_radius);
  brush.round = round_brush;
  brush.vertex = vertex_brush;
  return brush;
}

void MeshEdit::BeginStroke(bool shift) {
  if (!map_ || stroking_) return;
  stroking_ = true;
  stroke_shift_ = shift;
  stroke_vertex_ = vertex_brush;
  stroke_rect_ = DetailRect{};
  // The press itself paints where the pointer is.
  if (hover_vertex_x >= 0) StrokeDab(brush_x, brush_y);
}

void MeshEdit::StrokeDab(float x, float y) {
  if (!map_ || !stroking_) return;
  const DetailProtection protection{protected_materials, stroke_shift_};
  DetailBrush brush = Brush();
  brush.vertex = stroke_vertex_;
  const DetailRect range = PaintDab(*map_, brush, x, y, protection);
  if (range.Empty()) return;
  stroke_rect_.Include(range);
  RefreshChunks(range.x0, range.y0, range.x1, range.y1);
}

void MeshEdit::EndStroke() {
  if (!stroking_) return;
  stroking_ = false;
  if (!map_ || stroke_rect_.Empty()) return;
  const DetailKind kind = stroke_vertex_ ? DetailKind::kVertex : DetailKind::kTriangle;
  BrushStrokeRecord stroke = FinishStroke(*map_, undo_copies_, kind, stroke_rect_);
  stroke_rect_ = DetailRect{};
  if (stroke.before == stroke.after) return;  // nothing changed: nothing to undo
  undo_.Perform(new BrushStrokeAction(this, std::move(stroke)), true);
  SetDirty(true);
}

void MeshEdit::FillAt(float x, float y) {
  if (!map_) return;
  int sx, sy;
  if (vertex_brush) {
    sx = int(std::lround(x));
    sy = int(std::lround(y));
  } else {
    // The triangle under the point: its cell and the nearer centroid.
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    float best = 1e30f;
    int tri = 0;
    for (int t = 0; t < 2; ++t) {
      float tx, ty;
      TriangleCentroid(cx, cy, t, &tx, &ty);
      const float d = (tx - x) * (tx - x) + (ty - y) * (ty - y);
      if (d < best) best = d, tri = t;
    }
    sx = 2 * cx + tri;
    sy = cy;
  }
  const DetailKind kind = vertex_brush ? DetailKind::kVertex : DetailKind::kTriangle;
  FloodFillRecord fill;
  if (!FloodFill(*map_, &undo_copies_, kind, sx, sy, uint8_t(brush_material), &fill)) return;
  const DetailRect b = fill.bounds;
  undo_.Perform(new FloodFillAction(this, std::move(fill)), true);
  RefreshChunks(b.x0, b.y0, b.x1, b.y1);
  SetDirty(true);
}

void MeshEdit::ApplyStroke(const BrushStrokeRecord& stroke, bool after) {
  if (!map_) return;
  RestoreStroke(*map_, undo_copies_, stroke, after);
  RefreshChunks(stroke.rect.x0, stroke.rect.y0, stroke.rect.x1, stroke.rect.y1);
  SetDirty(true);
}

void MeshEdit::ApplyFill(const FloodFillRecord& fill, bool new_value) {
  if (!map_) return;
  RestoreFill(*map_, undo_copies_, fill, new_value);
  RefreshChunks(fill.bounds.x0, fill.bounds.y0, fill.bounds.x1, fill.bounds.y1);
  SetDirty(true);
}

void MeshEdit::ChangeMaterialScale(int material, int scale) {
  if (!map_) return;
  if (brae::SetMaterialScale(*map_, material, scale)) {
    SetDirty(true);
    InvalidateClient();
  }
}

void MeshEdit::NewMapFromTerrain(const std::vector<TerrainTypeRow>& rows) {
  NewBlankMap();
  const DetailProtection protection{protected_materials, last_press_shift};
  ApplyTerrainTypes(*map_, mesh_, rows, protection, &highlights, undo_copies_);
  RefreshPaletteRows();
  LoadMaterials();
  detail_textures = true;
  RefreshAllChunks();
  SetDirty(true);
}

std::vector<TerrainTypeRow> MeshEdit::OfferedTerrainTypeRows() const {
  return DefaultTerrainTypeRows(
      [](uint32_t id) { return TheCodex().FindTag(kDtexGroup, id) != nullptr; });
}

void MeshEdit::NewBlankMap() {
  highlights = LoadHighlightTable(ReadableDataFile(kHighlightTableName));
  undo_.Clear();
  if (!map_) {
    map_ = CreateBlankDetailMap(mesh_.width, mesh_.height);
    LoadMaterials();
  }
  ClearDetailMap(*map_, undo_copies_);
  RefreshPaletteRows();
  ApplyMaterialHighlights(*map_, &highlights);
  detail_tool = true;
  RefreshAllChunks();
  SetDirty(true);
}

void MeshEdit::ShowMenu(int x, int y) {
  const bool has_map = map_.has_value();
  auto* menu = new Menu(false);
  MenuItem* tools = AddMenuItem(menu, "Switch Tool", nullptr, 0);
  AddMenuItem(menu, "No Tool", tools, kMeshNoTool);
  AddMenuItem(menu, "Detail Map Tool", tools, kMeshDetailTool, has_map);
  AddMenuItem(menu, "New Detail Map (From Terrain)", nullptr, kMeshNewFromTerrain);
  AddMenuItem(menu, "New Detail Map (Blank)", nullptr, kMeshNewBlank);
  AddMenuItem(menu, "Import Vertex Detail", nullptr, kMeshImportVertex, has_map);
  AddMenuItem(menu, "Export Vertex Detail", nullptr, kMeshExportVertex, has_map);
  AddMenuItem(menu, "Import Triangle Detail", nullptr, kMeshImportTriangle, has_map);
  AddMenuItem(menu, "Export Triangle Detail", nullptr, kMeshExportTriangle, has_map);
  AddMenuItem(menu, "Import Highlight CLUT", nullptr, kMeshImportClut, has_map);
  AddMenuItem(menu, "Toggle Info (~)", nullptr, kMeshToggleInfo);
  AddMenuItem(menu, "Toggle Wireframe (f1)", nullptr, kMeshToggleWireframe);
  AddMenuItem(menu, "Toggle Detail Textures (f2)", nullptr, kMeshToggleDetail, has_map);
  AddMenuItem(menu, "Toggle Palette (tab)", nullptr, kMeshTogglePalette, detail_tool);
  AddMenuItem(menu, "Toggle Highlighting (f3)", nullptr, kMeshToggleHighlight, detail_tool);
  AddMenuItem(menu, "Toggle Brush Shape (f4)", nullptr, kMeshToggleBrushShape, detail_tool);
  AddMenuItem(menu, "Toggle Triangle Mode (f5)", nullptr, kMeshToggleTriangleMode, detail_tool);
  AddMenuItem(menu, "Toggle Media Animation (f6)", nullptr, kMeshToggleAnimation);
  AddMenuItem(menu, "Toggle Highlight mode (f7)", nullptr, kMeshNextHighlightMode, detail_tool);
  const int command = PopUpMenu(menu, x, y);
  menu->Close();
  if (command > 0) RunCommand(command);
}

void MeshEdit::RunCommand(int command) {
  switch (command) {
    case kMeshNoTool:
      detail_tool = false;
      palette_visible = false;
      break;
    case kMeshDetailTool:
      detail_tool = map_.has_value();
      palette_visible = detail_tool;
      break;
    case kMeshNewBlank:
      NewBlankMap();
      palette_visible = true;
      break;
    case kMeshImportClut:
      ImportHighlightClut();
      break;
    case kMeshNewFromTerrain:
      if (terrain_types_dialog) {
        std::vector<TerrainTypeRow> rows = OfferedTerrainTypeRows();
        if (terrain_types_dialog(this, &rows)) {
          NewMapFromTerrain(rows);
          palette_visible = true;
        }
      } else {
        NewMapFromTerrain(OfferedTerrainTypeRows());
        palette_visible = true;
      }
      break;
    case kMeshTogglePalette:
      palette_visible = !palette_visible;
      break;
    case kMeshImportVertex:
      ImportDetails(DetailKind::kVertex);
      break;
    case kMeshExportVertex:
      ExportDetails(DetailKind::kVertex);
      break;
    case kMeshImportTriangle:
      ImportDetails(DetailKind::kTriangle);
      break;
    case kMeshExportTriangle:
      ExportDetails(DetailKind::kTriangle);
      break;
    case kMeshToggleInfo:
      show_info = !show_info;
      break;
    case kMeshToggleWireframe:
      wireframe = !wireframe;
      break;
    case kMeshToggleDetail:
      if (map_) detail_textures = !detail_textures;
      break;
    case kMeshToggleHighlight:
      highlighting = !highlighting;
      break;
    case kMeshToggleBrushShape:
      round_brush = !round_brush;
      break;
    case kMeshToggleTriangleMode:
      vertex_brush = !vertex_brush;
      break;
    case kMeshToggleAnimation:
      animation = !animation;
      // Still water again, or the first displaced positions.
      for (auto& chunk : chunks_) {
        if (chunk->submerged) BuildGeometry(*chunk);
      }
      RequestFrame();
      break;
    case kMeshNextHighlightMode:
      highlight_mode = (highlight_mode + 1) % 3;
      break;
    default:
      // The automatic detail texturing, the highlight colour table and the palette come with
      // the painting tools.
      break;
  }
  InvalidateClient();
  if (!IsClosed()) SetFocus(0);
}

// ---- detail images ------------------------------------------------------------------------------

void MeshEdit::ExportDetails(DetailKind kind) {
  if (!map_) return;
  MediaFile file(DetailExportName(header_.Name(), kind));
  const char* title =
      kind == DetailKind::kVertex ? "Export Per-Vertex Details" : "Export Per-Triangle Details";
  if (!SaveFileDialog(title, &file, MediaGroup::kImage)) return;
  if (!WriteDetailImageFile(*map_, kind, highlights, file.path, nullptr)) {
    ShowMessageBox("Error", kDetailImageWriteText, {"OK"});
  }
}

void MeshEdit::ImportDetails(DetailKind kind) {
  if (!map_) return;
  MediaFile file;
  const char* title =
      kind == DetailKind::kVertex ? "Import Per-Vertex Details" : "Import Per-Triangle Details";
  if (!OpenFileDialog(title, &file, MediaGroup::kImage)) return;
  // Shift at the last press in the view overrides protection, as for the other commands.
  const DetailProtection protection{protected_materials, last_press_shift};
  const DetailImportResult result = ImportDetailImageFile(*map_, kind, file.path, protection);
  if (!result.ok) {
    ShowMessageBox("Error", result.error.c_str(), {"OK"});
    return;
  }
  undo_.Clear();
  undo_copies_.Reset(*map_);
  if (result.has_palette) {
    highlights = result.palette;
    SaveHighlights(highlights);
    ApplyHighlightsToMaterials(highlights, &*map_);
  }
  RefreshAllChunks();
  SetDirty(true);
  if (result.imperfect) ShowMessageBox(kDetailPartialTitle, kDetailPartialText, {"OK"});
}

// ---- the tag ------------------------------------------------------------------------------------

int MeshEdit::SaveTag() {
  // The mesh is never written; the detail map is, when there is one.
  if (!map_) return 1;
  return SaveDetailMapTag(TheCodex(), *map_, mesh_.header.colour_map, colour_map_name_) ? 1 : 0;
}

bool MeshEdit::DescribeSnapshot(SnapshotInfo* info, SnapshotDataWriter* write) {
  if (!map_ || !record_) return false;
  Codex& codex = TheCodex();
  info->group = kDmapGroup;
  info->subgroup = mesh_.header.colour_map;
  // The header the save starts from: the detail map's own, or a new one by the colour map.
  TagHeader header;
  header.SetName(colour_map_name_);
  header.version = 1;
  if (TagRecord* dmap = codex.FindTag(kDmapGroup, mesh_.header.colour_map))
    codex.GetEffectiveHeader(dmap, &header);
  info->name = header.Name();
  info->header = header;
  info->editor_group = record_->group;
  info->editor_subgroup = record_->subgroup;
  info->editor_name = header_.Name();
  *write = [this](FileStream& stream, TagHeader& written) {
    const size_t size = WriteDetailMap(*map_, stream, &written);
    written.size = uint32_t(size);
    return size != 0;
  };
  return true;
}

int MeshEdit::LoadFromSnapshot(FileStream& stream, const SnapshotInfo& info) {
  std::optional<DetailMap> map = ReadDetailMap(stream, info.header);
  if (!map || map->width != mesh_.width || map->height != mesh_.height) return 0;
  const bool had_map = map_.has_value();
  map_ = std::move(*map);
  ApplyMaterialHighlights(*map_, &highlights);
  LoadMaterials();
  undo_.Clear();
  undo_copies_.Reset(*map_);
  if (!had_map) {
    detail_textures = true;
    highlighting = false;
    detail_tool = true;
    palette_visible = true;
  }
  RefreshAllChunks();
  return 1;
}

void MeshEdit::OpenEditor() {
  const Point size = FrameSizeForClient(800, 600);
  const Point screen = ScreenSize();
  const Rect f = ParentRelativeFrame();
  SetFrame(Rect(f.x0, f.y0, f.x0 + std::min(size.x, std::max(screen.x, 200)),
                f.y0 + std::min(size.y, std::max(screen.y, 200))));
  TagEdit::OpenEditor();
}

TagEdit* NewMeshEdit(TagRecord* record) {
  return new MeshEdit(record);
}

void RegisterMeshEditor() {
  SetGroupEditorFactory(kMeshGroup, NewMeshEdit);
}

}  // namespace brae
