// The mesh editor on the demo valley (3 x 2 chunks, a lake, a detail map): opening with the
// colour map and the detail map, the info text, flying the camera with real key events on the
// 60 Hz tick, the toggle keys, the detail map size conflict, hover un-projection, and
// screenshots at fixed poses (kept under /tmp/shots) compared with what the poses must show and
// with stored expectations (expected/*.txt).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "editing/EditingFixture.h"
#include "media/ColorTable.h"
#include "media/MediaFile.h"
#include "media/ui/FileDialog.h"
#include "terrain/DetailImages.h"
#include "terrain/DtexTag.h"
#include "terrain/TerrainTags.h"
#include "terrain/ui/DetailAttributesDialog.h"
#include "terrain/ui/DmapEdit.h"
#include "terrain/ui/DtexTextures.h"
#include "terrain/ui/MeshEdit.h"
#include "terrain/ui/TerrainTypesDialog.h"
#include "toolkit/ColorButton.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {
namespace {

using test::EditingTest;

class MeshEditTest : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    demo::AddCollectionsDemo(game);
    demo::AddTerrainDemo(game);
  }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterMeshEditor();
    std::filesystem::create_directories("/tmp/shots");
  }
  MeshEdit* Open(const char (&id)[5]) {
    auto* editor = dynamic_cast<MeshEdit*>(OpenTag(Find("mesh", id)));
    Frame();
    return editor;
  }
  // Holds a key for a number of ticks of the editor's clock.
  void Hold(int key, int ticks) {
    Key(key, true);
    for (int i = 0; i < ticks; ++i) {
      now += 1.0 / 60;
      Frame();
    }
    Key(key, false);
    Frame();
  }
  void Shot(const std::string& name) {
    Frame();
    test::SaveScreenshot(name);
    std::filesystem::copy_file(test::ScreenshotDir() + "/" + name + ".png",
                               "/tmp/shots/" + name + ".png",
                               std::filesystem::copy_options::overwrite_existing);
  }
  // The client area as blocks of 16 x 16 pixels, each its mean colour: coarse enough that
  // llvmpipe's rounding and single-pixel edges do not matter, fine enough to see the terrain,
  // the colour map, the detail layers and the info text in their places.
  std::vector<int> Blocks(MeshEdit* editor, int* columns) {
    const Rect r = editor->ClientRect();
    const int w = Ui().screen_width, h = Ui().screen_height;
    const std::vector<uint8_t> screen = test::ReadScreen(w, h);
    constexpr int kBlock = 16;
    *columns = r.Width() / kBlock;
    std::vector<int> out;
    for (int by = 0; by + kBlock <= r.Height(); by += kBlock) {
      for (int bx = 0; bx + kBlock <= r.Width(); bx += kBlock) {
        int sum[3] = {};
        for (int y = 0; y < kBlock; ++y)
          for (int x = 0; x < kBlock; ++x) {
            const int sx = std::clamp(r.x0 + bx + x, 0, w - 1);
            const int sy = std::clamp(r.y0 + by + y, 0, h - 1);
            for (int c = 0; c < 3; ++c) sum[c] += screen[(size_t(sy) * w + sx) * 3 + c];
          }
        for (int c = 0; c < 3; ++c) out.push_back(sum[c] / (kBlock * kBlock));
      }
    }
    return out;
  }
  // Compares the view with the stored expectation of a pose (expected/NAME.txt beside this
  // file). Run with BRAE_UPDATE_EXPECTED=1 to write the expectations again after a deliberate
  // change of the drawing.
  void ExpectPose(MeshEdit* editor, const std::string& name) {
    // The poses are of the view alone: the palette beside it is put away while they are read.
    const bool palette = editor->palette_visible;
    if (palette) {
      editor->palette_visible = false;
      Frame();
      Frame();
    }
    int columns = 0;
    const std::vector<int> blocks = Blocks(editor, &columns);
    if (palette) {
      editor->palette_visible = true;
      Frame();
    }
    const std::string path = std::string(BRAE_TEST_DATA_DIR) + "/expected/" + name + ".txt";
    if (std::getenv("BRAE_UPDATE_EXPECTED")) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      std::ofstream out(path);
      out << columns << "\n";
      for (size_t i = 0; i < blocks.size(); ++i)
        out << blocks[i] << ((i + 1) % (size_t(columns) * 3) ? " " : "\n");
      return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "no stored expectation " << path;
    int stored_columns = 0;
    in >> stored_columns;
    std::vector<int> stored;
    for (int v; in >> v;) stored.push_back(v);
    ASSERT_EQ(stored_columns, columns) << name;
    ASSERT_EQ(stored.size(), blocks.size()) << name;
    // A block differs when a channel's mean is off by more than 12 levels; a few may (a
    // rasteriser that rounds differently shifts edges by a pixel).
    int differing = 0;
    for (size_t i = 0; i < blocks.size(); i += 3) {
      bool off = false;
      for (int c = 0; c < 3; ++c) off |= std::abs(blocks[i + c] - stored[i + c]) > 12;
      differing += off;
    }
    const int count = int(blocks.size() / 3);
    EXPECT_LE(differing, count / 50) << name << ": " << differing << " of " << count
                                     << " blocks differ from the stored expectation";
  }
  // Share of the client area's sample points that are not the clear colour.
  double Covered(MeshEdit* editor) {
    const Rect r = editor->ClientRect();
    int hit = 0, total = 0;
    for (int y = r.y0 + r.Height() / 4; y < r.y1; y += 16) {
      for (int x = r.x0 + 4; x < r.x1; x += 16) {
        const test::Pixel p = At(x, y);
        ++total;
        if (!(p.r == 38 && p.g == 43 && p.b == 56)) ++hit;
      }
    }
    return total ? double(hit) / total : 0;
  }
};

TEST_F(MeshEditTest, OpensWithColourMapAndDetailMap) {
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  EXPECT_TRUE(editor->HasDetailMap());
  EXPECT_TRUE(editor->detail_textures);
  EXPECT_TRUE(editor->detail_tool);
  EXPECT_FALSE(editor->highlighting);
  const std::string info = editor->InfoText();
  EXPECT_EQ(info.rfind("Mesh Dimensions: 3 x 2\n", 0), 0u) << info;
  EXPECT_NE(info.find("Detail Textures: ON"), std::string::npos);
  // The terrain fills the lower part of the view from the initial pose.
  EXPECT_GT(Covered(editor), 0.5);
  EXPECT_GT(editor->LastInfo().cells_drawn, 0);
  EXPECT_GT(DtexTextureCount(), 0u);
  Shot("mesh_initial_pose");
  ExpectPose(editor, "mesh_initial_pose");
  editor->Close();
  Frame();
  EXPECT_EQ(TheDtexManager().Count(), 0u);
}

TEST_F(MeshEditTest, TheCameraFliesWithRealKeys) {
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  const MeshCamera start = editor->Camera();
  Hold('X', 30);  // forward half a cell per tick
  MeshCamera& c = editor->Camera();
  EXPECT_NEAR(std::hypot(c.x - start.x, c.y - start.y), 15, 1.0);
  Hold('A', 10);
  EXPECT_NEAR(c.yaw, 155, 2.1);
  Hold('V', 20);  // back and up
  EXPECT_GT(c.height, start.height);
  Shot("mesh_pose_2");
  ExpectPose(editor, "mesh_pose_2");
  // Looking down on the whole valley from high above.
  c.x = 48, c.y = -40, c.yaw = 180, c.pitch = -50, c.height = 120;
  editor->InvalidateClient();
  Frame();
  Shot("mesh_pose_3_overview");
  ExpectPose(editor, "mesh_pose_3_overview");
  EXPECT_GT(editor->LastInfo().full, 0);
  // Control held: the camera keys rest.
  const MeshCamera before = c;
  Key(kKeyLeftControl, true);
  Hold('X', 5);
  Key(kKeyLeftControl, false);
  EXPECT_EQ(c.x, before.x);
  // A second's pause counts as at most one second of ticks.
  const uint32_t ticks = editor->Tick();
  now += 5.0;
  Frame();
  EXPECT_LE(editor->Tick(), ticks + 61);
}

TEST_F(MeshEditTest, ToggleKeysWireframeHighlightAndAnimation) {
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  MeshCamera& c = editor->Camera();
  c.x = 48, c.y = -40, c.yaw = 180, c.pitch = -50, c.height = 120;
  Tap(kKeyF1);
  EXPECT_TRUE(editor->wireframe);
  EXPECT_NE(editor->InfoText().find("Wireframe: ON"), std::string::npos);
  Shot("mesh_wireframe");
  ExpectPose(editor, "mesh_wireframe");
  Tap(kKeyF1);
  editor->highlighting = true;
  Tap(kKeyF1 + 6);  // F7: Reflectivity
  EXPECT_EQ(editor->highlight_mode, 1);
  Shot("mesh_highlight_reflectivity");
  ExpectPose(editor, "mesh_highlight_reflectivity");
  Tap(kKeyF1 + 6);  // Terrain Type
  Shot("mesh_highlight_terrain_type");
  ExpectPose(editor, "mesh_highlight_terrain_type");
  Tap(kKeyF2);
  EXPECT_FALSE(editor->detail_textures);
  Tap('`');
  EXPECT_FALSE(editor->show_info);
  Tap(kKeyF1 + 5);  // F6
  EXPECT_TRUE(editor->animation);
  const uint32_t t0 = editor->Tick();
  for (int i = 0; i < 10; ++i) {
    now += 1.0 / 60;
    Frame();
  }
  EXPECT_GE(editor->Tick(), t0 + 9);
}

TEST_F(MeshEditTest, HoverUnprojectsThePointUnderThePointer) {
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  MeshCamera& c = editor->Camera();
  c.x = 48, c.y = -40, c.yaw = 180, c.pitch = -50, c.height = 120;
  editor->InvalidateClient();
  Frame();
  const Rect r = editor->ClientRect();
  QueueMousePosition((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
  Frame();
  Frame();
  EXPECT_GE(editor->hover_vertex_x, 0);
  EXPECT_NEAR(editor->brush_x, 48, 12);
  EXPECT_GT(editor->brush_y, 0);
}

TEST_F(MeshEditTest, RefreshRebuildsOnlyTheTouchedChunks) {
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  const int builds = editor->ChunkBuilds();
  editor->Map()->vertex_details[5] = 3;
  editor->RefreshChunks(5, 0, 5, 0);
  EXPECT_EQ(editor->ChunkBuilds(), builds + 1);
  editor->RefreshChunks(32, 32, 32, 32);  // a corner shared by four chunks
  EXPECT_EQ(editor->ChunkBuilds(), builds + 5);
}

TEST_F(MeshEditTest, ChunksOutOfSightGetTheirTexturesOnTheFollowingFrames) {
  auto* editor = dynamic_cast<MeshEdit*>(OpenTag(Find("mesh", "vale")));
  ASSERT_TRUE(editor);
  // From the middle of the valley, looking along one side: the chunks behind are out of sight.
  MeshCamera& c = editor->Camera();
  c.x = 48, c.y = 32, c.yaw = 0;
  Frame();
  // The first frame built the colour maps of the chunks in sight, and only those.
  const MeshInfo& info = editor->LastInfo();
  ASSERT_GT(info.invisible, 0);
  EXPECT_EQ(editor->PendingTextures(), info.invisible);
  Frame();
  Frame();
  EXPECT_EQ(editor->PendingTextures(), 0);
}

class MeshConflictTest : public MeshEditTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    MeshEditTest::AddContent(game);
    // A detail map of the colour map's id whose size is another mesh's.
    demo::DemoTag wrong;
    wrong.group = FourCC("dmap");
    wrong.subgroup = FourCC("cmap");
    wrong.name = "Demo Valley Colors";
    wrong.version = 2;
    wrong.data = SerializeDetailMap(CreateBlankDetailMap(32, 32));
    game.Archive("tags", "conflict", 2).tags.push_back(wrong);
  }
};

TEST_F(MeshConflictTest, ASizeConflictWarnsAndOpensWithoutTheMap) {
  // The local map (the right size) shadows the archive's; remove it so the wrong one is found.
  TagRecord* local = Find("dmap", "cmap");
  ASSERT_TRUE(local);
  TheCodex().DeleteLocalTag(local);
  MeshEdit* editor = Open("vale");
  ASSERT_TRUE(editor);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].title, "dmap tagid conflict detected");
  EXPECT_EQ(boxes[0].message.rfind("WARNING: A the dmap tag cmap (Demo Valley Colors) matches", 0),
            0u)
      << boxes[0].message;
  EXPECT_FALSE(editor->HasDetailMap());
  EXPECT_NE(editor->InfoText().find("Mesh Dimensions: 3 x 2"), std::string::npos);
}

// ---- painting the detail map ----

class MeshPaintTest : public MeshEditTest {
 protected:
  // Looking down the valley so that the middle of the view shows the terrain.
  MeshEdit* OpenAimed() {
    MeshEdit* editor = Open("vale");
    if (!editor) return nullptr;
    MeshCamera& c = editor->Camera();
    c.x = 48, c.y = -40, c.yaw = 180, c.pitch = -50, c.height = 120;
    editor->InvalidateClient();
    Frame();
    return editor;
  }
  Point Middle(MeshEdit* editor) {
    const Rect r = editor->ClientRect();
    return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
  }
  void PointAt(int x, int y) {
    QueueMousePosition(x, y);
    Frame();
    Frame();
  }
  void ControlKey(int key) {
    QueueKeyEvent(kKeyLeftControl, 1);
    QueueKeyEvent(key, 1);
    QueueKeyEvent(key, 0);
    QueueKeyEvent(kKeyLeftControl, 0);
    Frame();
  }
};

TEST_F(MeshPaintTest, AMouseStrokePaintsTheVerticesUnderThePointerAndUndoes) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->detail_tool);
  editor->brush_material = 100;
  editor->brush_radius = 1.0f;
  editor->round_brush = true;
  editor->vertex_brush = true;
  const Point m = Middle(editor);
  PointAt(m.x, m.y);
  ASSERT_GE(editor->hover_vertex_x, 0);
  const float bx = editor->brush_x, by = editor->brush_y;
  const std::vector<uint8_t> before = editor->Map()->vertex_details;
  const size_t actions = editor->Undos().Count();
  const int builds = editor->ChunkBuilds();

  QueueMouseButton(0, 1);
  Frame();
  EXPECT_TRUE(editor->Stroking());
  for (int i = 1; i <= 6; ++i) PointAt(m.x + 5 * i, m.y);
  const float ex = editor->brush_x, ey = editor->brush_y;
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_FALSE(editor->Stroking());

  const DetailMap& map = *editor->Map();
  EXPECT_EQ(map.VertexMaterial(int(std::lround(bx)), int(std::lround(by))), 100);
  EXPECT_EQ(map.VertexMaterial(int(std::lround(ex)), int(std::lround(ey))), 100);
  // Every changed vertex lies within the brush's reach of the pointer's path.
  int changed = 0;
  for (int y = 0; y < map.height; ++y) {
    for (int x = 0; x < map.width; ++x) {
      if (map.VertexMaterial(x, y) == before[size_t(y) * map.width + x]) continue;
      ++changed;
      EXPECT_GE(x, int(std::floor(std::min(bx, ex))) - 1);
      EXPECT_LE(x, int(std::ceil(std::max(bx, ex))) + 1);
      EXPECT_GE(y, int(std::floor(std::min(by, ey))) - 1);
      EXPECT_LE(y, int(std::ceil(std::max(by, ey))) + 1);
    }
  }
  EXPECT_GT(changed, 1);
  EXPECT_GT(editor->ChunkBuilds(), builds);
  EXPECT_LT(editor->ChunkBuilds(), builds + 6 * 7);  // only touched chunks, never all six each
  EXPECT_EQ(editor->Undos().Count(), actions + 1);   // one action for the whole stroke
  EXPECT_TRUE(editor->IsDirty());

  const std::vector<uint8_t> painted = map.vertex_details;
  ControlKey('Z');
  EXPECT_EQ(editor->Map()->vertex_details, before);
  ControlKey('Y');
  EXPECT_EQ(editor->Map()->vertex_details, painted);
  Shot("mesh_painted_stroke");
}

TEST_F(MeshPaintTest, AltClickFillsOnceAndAgainRecordsNothing) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  editor->brush_material = 77;
  const Point m = Middle(editor);
  PointAt(m.x, m.y);
  const int vx = editor->hover_vertex_x, vy = editor->hover_vertex_y;
  ASSERT_GE(vx, 0);
  const size_t actions = editor->Undos().Count();
  Key(kKeyLeftAlt, true);
  Click(m.x, m.y);
  EXPECT_EQ(editor->Map()->VertexMaterial(vx, vy), 77);
  EXPECT_EQ(editor->Undos().Count(), actions + 1);
  Click(m.x, m.y);  // the seed already carries the material
  Key(kKeyLeftAlt, false);
  EXPECT_EQ(editor->Undos().Count(), actions + 1);
  EXPECT_FALSE(editor->Stroking());
  ControlKey('Z');
  EXPECT_NE(editor->Map()->VertexMaterial(vx, vy), 77);
}

TEST_F(MeshPaintTest, DetailToolKeysAndWheel) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  editor->brush_material = 1;
  const int scale = editor->Map()->materials[1].scale;
  editor->brush_radius = 3.0f;
  Tap(']');
  EXPECT_NEAR(editor->brush_radius, 3.2f, 1e-4);
  Tap('[');
  Tap('[');
  EXPECT_NEAR(editor->brush_radius, 2.8f, 1e-4);
  Tap('=');
  EXPECT_EQ(editor->Map()->materials[1].scale, std::min(scale + 1, 256));
  Tap('-');
  Tap('-');
  EXPECT_EQ(editor->Map()->materials[1].scale, std::max(scale - 1, 1));
  Tap(kKeyF4);
  EXPECT_FALSE(editor->round_brush);
  Tap(kKeyF5);
  EXPECT_FALSE(editor->vertex_brush);
  const bool palette = editor->palette_visible;
  Tap(kKeyTab);
  EXPECT_NE(editor->palette_visible, palette);
  Key(kKeyLeftShift, true);
  Tap(kKeyF1 + 2);
  Key(kKeyLeftShift, false);
  EXPECT_TRUE(editor->highlighting);
  EXPECT_TRUE(editor->highlighted_materials[5]);
  EXPECT_NE(editor->Palette()->ShownRow(5)->colour, kRowColourNormal);
  Shot("mesh_highlight_triangle_mode");

  const Point m = Middle(editor);
  PointAt(m.x - 100, m.y);
  Tap(kKeyTab);  // the palette again
  EXPECT_TRUE(editor->Palette()->IsVisible());
  Shot("mesh_triangle_outlines_with_palette");
  PointAt(m.x, m.y);
  QueueWheel(0, 1);  // wheel up: smaller
  Frame();
  EXPECT_NEAR(editor->brush_radius, 2.6f, 1e-4);
  QueueWheel(0, -2);
  Frame();
  EXPECT_NEAR(editor->brush_radius, 3.0f, 1e-4);
  for (int i = 0; i < 60; ++i) Tap(']');
  EXPECT_NEAR(editor->brush_radius, 10.0f, 1e-4);

  // Keys wait while a stroke is in progress.
  QueueMouseButton(0, 1);
  Frame();
  ASSERT_TRUE(editor->Stroking());
  Tap(kKeyF4);
  EXPECT_FALSE(editor->round_brush);
  QueueMouseButton(0, 0);
  Frame();
  Tap(kKeyF4);
  EXPECT_TRUE(editor->round_brush);

  // Without the tool the keys do nothing.
  editor->RunCommand(kMeshNoTool);
  EXPECT_FALSE(editor->palette_visible);
  Tap(']');
  EXPECT_NEAR(editor->brush_radius, 10.0f, 1e-4);
}

TEST_F(MeshPaintTest, SavedDetailMapReadsBackByteForByte) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  editor->brush_material = 42;
  editor->vertex_brush = false;
  editor->BeginStroke(false);
  editor->StrokeDab(20.0f, 20.0f);
  editor->StrokeDab(40.0f, 30.0f);
  editor->EndStroke();
  ASSERT_EQ(editor->SaveTag(), 1);
  TagRecord* record = Find("dmap", "cmap");
  ASSERT_TRUE(record);
  std::optional<DetailMap> read = ReadDetailMapTag(TheCodex(), record);
  ASSERT_TRUE(read);
  const std::vector<uint8_t> bytes = SerializeDetailMap(*editor->Map());
  EXPECT_EQ(SerializeDetailMap(*read), bytes);
  EXPECT_EQ(read->TriangleMaterial(20, 20, 0), 42);
  EXPECT_EQ(LooseData(FourCC("dmap"), "Demo Valley Colors"),
            std::string(bytes.begin(), bytes.end()));
}

TEST_F(MeshPaintTest, ANewMapIsSavedAsANewTagNamedAfterTheColourMap) {
  TheCodex().DeleteLocalTag(Find("dmap", "cmap"));
  ASSERT_FALSE(Find("dmap", "cmap"));
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  EXPECT_FALSE(editor->HasDetailMap());
  editor->RunCommand(kMeshNewBlank);
  ASSERT_TRUE(editor->HasDetailMap());
  EXPECT_TRUE(editor->detail_tool);
  editor->brush_material = 3;
  editor->BeginStroke(false);
  editor->StrokeDab(10.0f, 10.0f);
  editor->EndStroke();
  ASSERT_EQ(editor->SaveTag(), 1);
  TagRecord* record = Find("dmap", "cmap");
  ASSERT_TRUE(record);
  std::optional<DetailMap> read = ReadDetailMapTag(TheCodex(), record);
  ASSERT_TRUE(read);
  EXPECT_EQ(SerializeDetailMap(*read), SerializeDetailMap(*editor->Map()));
  EXPECT_EQ(read->VertexMaterial(10, 10), 3);
}

TEST_F(MeshPaintTest, NewMapFromTerrainGivesEachVertexItsTypeMaterial) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  // The user looks at the terrain types and accepts them.
  bool seen = false;
  int first = 0;
  on_pump = [&](int pump) {
    const ModalEntry* top = TopModal();
    auto* dialog = top ? dynamic_cast<TerrainTypesDialog*>(top->window) : nullptr;
    if (!dialog) return;
    if (!seen) {
      seen = true;
      first = pump;
      EXPECT_EQ(dialog->Rows().size(), 16u);
      EXPECT_EQ(dialog->List()->ShownRow(6)->Cell(1), "Grass");
      EXPECT_EQ(dialog->List()->ShownRow(0)->Cell(1), "<no tag>");
    }
    if (pump == first + 3) {
      test::SaveScreenshot("mesh_terrain_types_dialog");
      std::filesystem::copy_file(test::ScreenshotDir() + "/mesh_terrain_types_dialog.png",
                                 "/tmp/shots/mesh_terrain_types_dialog.png",
                                 std::filesystem::copy_options::overwrite_existing);
      EndModal(1);
    }
  };
  editor->RunCommand(kMeshNewFromTerrain);
  on_pump = nullptr;
  EXPECT_TRUE(seen);
  ASSERT_TRUE(editor->HasDetailMap());
  const Mesh& mesh = editor->GetMesh();
  const DetailMap& map = *editor->Map();
  for (int y = 0; y < mesh.height; y += 3) {
    for (int x = 0; x < mesh.width; x += 3) {
      EXPECT_EQ(map.VertexMaterial(x, y), mesh.At(x, y).TerrainType() + 1);
    }
  }
  EXPECT_EQ(map.materials[7].entry.texture, FourCC("gras"));    // grass, present
  EXPECT_EQ(map.materials[5].entry.texture, FourCC("ston"));    // sloped, present
  EXPECT_EQ(map.materials[1].entry.texture, kNoDetailTexture);  // no 'wate' texture
  EXPECT_EQ(map.materials[7].entry.Description(), "grass");
  EXPECT_TRUE(editor->detail_textures);
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_FALSE(editor->Undos().CanUndo());
  Shot("mesh_from_terrain");
}

TEST_F(MeshPaintTest, CancellingTheTerrainTypesLeavesTheMap) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  const std::vector<uint8_t> before = editor->Map()->vertex_details;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    if (top && dynamic_cast<TerrainTypesDialog*>(top->window)) EndModal(0);
  };
  editor->RunCommand(kMeshNewFromTerrain);
  on_pump = nullptr;
  EXPECT_EQ(editor->Map()->vertex_details, before);
  EXPECT_FALSE(editor->IsDirty());
}

TEST_F(MeshPaintTest, PaletteRowsClicksAndAttributes) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  Frame();
  ListWindow* palette = editor->Palette();
  ASSERT_TRUE(palette);
  ASSERT_TRUE(palette->IsVisible());
  ASSERT_EQ(palette->ShownCount(), 128u);
  EXPECT_EQ(palette->ShownRow(0)->text.substr(0, 7), " 000 ~ ");
  for (int i = 0; i < 128; ++i)
    EXPECT_EQ(palette->ShownRow(size_t(i))->text, editor->MaterialText(i));

  // A click selects the brush material; Shift toggles protection, Control highlighting.
  const Rect r2 = palette->RowRect(2);
  Click((r2.x0 + r2.x1) / 2 - 40, (r2.y0 + r2.y1) / 2);
  EXPECT_EQ(editor->brush_material, 2);
  EXPECT_FALSE(editor->protected_materials[2]);
  Key(kKeyLeftShift, true);
  Click((r2.x0 + r2.x1) / 2 - 40, (r2.y0 + r2.y1) / 2);
  Key(kKeyLeftShift, false);
  EXPECT_TRUE(editor->protected_materials[2]);
  EXPECT_EQ(palette->ShownRow(2)->Cell(1), "protected");
  editor->PaletteClicked(1, false, true);
  EXPECT_TRUE(editor->highlighted_materials[1]);
  EXPECT_NE(palette->ShownRow(1)->colour, kRowColourNormal);
  editor->highlighting = true;
  editor->InvalidateClient();
  Shot("mesh_palette_highlighted");

  // The attributes dialog: a description, no tag and a colour.
  bool seen = false;
  int first = 0;
  on_pump = [&](int pump) {
    const ModalEntry* top = TopModal();
    auto* dialog = top ? dynamic_cast<DetailAttributesDialog*>(top->window) : nullptr;
    if (!dialog) return;
    if (!seen) {
      seen = true;
      first = pump;
      EXPECT_STREQ(dialog->Title(), "Edit Detail Texture Attributes");
      ASSERT_TRUE(dialog->TagList()->CurrentRow());
      EXPECT_NE(dialog->TagList()->CurrentRow()->value, 0);  // the material's own tag
      dialog->DescriptionBox()->SetText("Lush meadow grass with a long name beyond 31");
      dialog->ColourButton()->SetColour(0x302010);  // red 0x10 in the low byte
      ListRow* none = dialog->TagList()->ShownRow(0);
      dialog->TagList()->Select(none, false);
      dialog->TagList()->SetCurrentRow(none, false);
    }
    if (pump == first + 3) {
      test::SaveScreenshot("mesh_attributes_dialog");
      std::filesystem::copy_file(test::ScreenshotDir() + "/mesh_attributes_dialog.png",
                                 "/tmp/shots/mesh_attributes_dialog.png",
                                 std::filesystem::copy_options::overwrite_existing);
      EndModal(1);
    }
  };
  const uint32_t texture = editor->Map()->materials[2].entry.texture;
  ASSERT_NE(texture, kNoDetailTexture);
  editor->EditMaterial(2);
  on_pump = nullptr;
  EXPECT_TRUE(seen);
  const DetailMaterialEntry& e = editor->Map()->materials[2].entry;
  EXPECT_EQ(e.texture, kNoDetailTexture);
  EXPECT_EQ(e.Description().size(), 31u);
  EXPECT_EQ(e.highlight[0], 0x10);
  EXPECT_EQ(e.highlight[2], 0x30);
  EXPECT_EQ(editor->highlights.colours[2].g, 0x20);
  EXPECT_EQ(palette->ShownRow(2)->text, " 002 ~ <no tag>");
  EXPECT_TRUE(editor->IsDirty());
}

TEST_F(MeshPaintTest, RowZeroOnlyEditsItsHighlightColour) {
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    if (!top) return;
    if (dynamic_cast<MessageBoxWindow*>(top->window)) {
      AnswerBox();
    } else if (dynamic_cast<ColorPickerWindow*>(top->window)) {
      EndModal(0);  // the user changes nothing
    }
  };
  editor->EditMaterial(0);
  on_pump = nullptr;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Message");
  EXPECT_EQ(boxes[0].message, "Index 0 is reserved, but you can edit the highlight color.");
  EXPECT_FALSE(editor->IsDirty());
}

TEST_F(MeshEditTest, DetailMapTagOpensAsItsTextureList) {
  RegisterDmapEditor();
  auto* viewer = dynamic_cast<DmapEdit*>(OpenTag(Find("dmap", "cmap")));
  ASSERT_TRUE(viewer);
  Frame();
  const std::string& text = viewer->Text();
  EXPECT_NE(text.find("gras - Grass\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\xff"), std::string::npos);
  EXPECT_EQ(viewer->SaveTag(), 1);
  Shot("dmap_viewer");
}

TEST_F(MeshPaintTest, AnImportedHighlightTableRecoloursMaterialsAndIsKept) {
  // The table lives in the working folder's res: work in the test's own folder.
  const std::filesystem::path old_cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  struct Restore {
    std::filesystem::path path;
    ~Restore() { std::filesystem::current_path(path); }
  } restore{old_cwd};
  std::filesystem::create_directories("res");
  MeshEdit* editor = OpenAimed();
  ASSERT_TRUE(editor);
  HighlightTable table = DefaultHighlightTable();
  for (int i = 0; i < 256; ++i) table.colours[i] = Rgb{uint8_t(i), uint8_t(255 - i), 7};
  editor->PaletteClicked(4, false, true);  // highlighted: its row shows the colour
  editor->ApplyHighlightTable(table);
  EXPECT_EQ(editor->highlights.colours[4], (Rgb{4, 251, 7}));
  EXPECT_EQ(editor->Map()->materials[9].entry.highlight[1], 246);
  EXPECT_EQ(editor->Palette()->ShownRow(4)->colour, 0xFF000000u | 4u | 251u << 8 | 7u << 16);
  EXPECT_TRUE(editor->IsDirty());
  Rgb stored[kMaxPaletteSize];
  int count = 0;
  ASSERT_TRUE(ReadColorTable("res/dtex.act", stored, &count));
  EXPECT_EQ(count, 128);
  EXPECT_EQ(stored[100], (Rgb{100, 155, 7}));
}

// "Automatic Detail Texturing": every type name fits its column beside the texture column, and
// the darkest highlight colour ("deeper than giant depth media", 32, 32, 102) reads on the
// list's dark background.
TEST_F(MeshEditTest, TerrainTypesReadEveryTypeBesideItsTexture) {
  auto* dialog = new TerrainTypesDialog(DefaultTerrainTypeRows([](uint32_t) { return false; }));
  dialog->CentreInParent();
  dialog->SetVisible(true);
  Frame();
  Frame();
  test::SaveScreenshot("terrain_types_readable");
  ListWindow* list = dialog->List();
  ASSERT_EQ(list->ShownCount(), 16u);
  for (size_t i = 0; i < 16; ++i)
    EXPECT_LE(list->RowTextWidth(list->ShownRow(i)), list->Column(0).width) << i;
  EXPECT_LE(list->Column(0).width + list->Column(1).width, list->ClientRect().Width());
  EXPECT_LE(list->RowRect(15).y1, list->ClientRect().y1);  // all sixteen rows show
  const Rect row = list->RowRect(3);
  ASSERT_EQ(list->ShownRow(3)->text, "deeper than giant depth media");
  const int width = Ui().screen_width;
  const std::vector<uint8_t> screen = test::ReadScreen(width, Ui().screen_height);
  int brightest = 0;
  for (int y = row.y0; y < row.y1; ++y)
    for (int x = row.x0; x < row.x0 + list->Column(0).width; ++x) {
      const uint8_t* p = &screen[(size_t(y) * width + x) * 3];
      brightest = std::max(brightest, p[0] + p[1] + p[2]);
    }
  EXPECT_GE(brightest, 300);
  dialog->Close();
}

}  // namespace
}  // namespace brae
