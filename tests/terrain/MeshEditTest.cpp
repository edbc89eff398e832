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
#include "media/MediaFile.h"
#include "media/ui/FileDialog.h"
#include "terrain/DetailImages.h"
#include "terrain/DtexTag.h"
#include "terrain/ui/DtexTextures.h"
#include "terrain/ui/MeshEdit.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"

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
    int columns = 0;
    const std::vector<int> blocks = Blocks(editor, &columns);
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

}  // namespace
}  // namespace brae
