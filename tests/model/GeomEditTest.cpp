// The geometry viewer on the imported demo crate: opening it (and refusing a damaged
// geometry), the counts, the model drawn with depth testing, the three view buttons dragged
// with pointer motion (the pointer hidden in the middle and put back), vertex selection, the
// menu's "Reset View" and "Export LWO...", and "New Model From LWO" of the root menu.
#include <GLFW/glfw3.h>

#include <cmath>
#include <filesystem>

#include "editing/EditingFixture.h"
#include "media/ui/FileDialog.h"
#include "model/GeomFormat.h"
#include "model/ModelImport.h"
#include "model/ui/GeomEdit.h"
#include "model/ui/ViewTransformButton.h"
#include "platform/Platform.h"
#include "toolkit/Keys.h"
#include "toolkit/Menu.h"

namespace brae {
namespace {

class GeomEditTest : public test::EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    demo::AddTerrainDemo(game);  // models/crate.lwo and its texture
    demo::DemoTag broken;
    broken.group = kGeomGroup;
    broken.subgroup = FourCC("brok");
    broken.name = "Broken Geometry";
    broken.data.assign(200, 0xFF);  // counts and offsets far beyond the data
    game.AddLocal(broken);
  }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterGeomEditor();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }
  GeomEdit* ImportAndOpen() {
    const ModelImportResult r = ImportModel(TheCodex(), game_ + "/models/crate.lwo", "Crate");
    EXPECT_TRUE(r.ok) << r.error;
    if (!r.ok) return nullptr;
    auto* editor = dynamic_cast<GeomEdit*>(OpenTag(r.geom));
    Frame();
    return editor;
  }
  static Point Centre(const Rect& r) { return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
  Point ScreenMiddle() const { return Point{Ui().screen_width / 2, Ui().screen_height / 2}; }
  // Presses the button, moves the pointer by (dx, dy) from where the press put it, and
  // releases; checks the pointer while the drag runs.
  void Drag(Window* button, int dx, int dy) {
    const Point at = Centre(button->Frame());
    QueueMousePosition(at.x, at.y);
    Frame();
    QueueMouseButton(0, 1);
    Frame();
    EXPECT_EQ(glfwGetInputMode(platform::MainWindow(), GLFW_CURSOR), GLFW_CURSOR_HIDDEN);
    const Point middle = ScreenMiddle();
    // Two moves: the totals add up.
    QueueMousePosition(middle.x + dx / 2, middle.y + dy / 2);
    Frame();
    QueueMousePosition(middle.x + dx, middle.y + dy);
    Frame();
    QueueMouseButton(0, 0);
    Frame();
    EXPECT_EQ(glfwGetInputMode(platform::MainWindow(), GLFW_CURSOR), GLFW_CURSOR_NORMAL);
  }
  void ClickWith(int modifier_key, Point p) {
    Key(modifier_key, true);
    QueueMousePosition(p.x, p.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
    Key(modifier_key, false);
    now += 0.5;
  }
  // A vertex's position on screen.
  Point VertexOnScreen(GeomEdit* e, size_t v) {
    const Point size = e->ClientSize();
    const ViewMatrices m = MakeViewMatrices(e->View(), size.x, size.y);
    float x = 0, y = 0;
    EXPECT_TRUE(ProjectPoint(m, size.x, size.y, e->Model().vertices[v].position, &x, &y));
    return Point{e->ClientRect().x0 + int(x + 0.5f), e->ClientRect().y0 + int(y + 0.5f)};
  }
  FileDialogWindow* Dialog() {
    const ModalEntry* top = TopModal();
    auto* d = top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
    return d && !d->IsClosed() ? d : nullptr;
  }
  // The first file dialog is prepared by act and accepted with its OK button.
  void UseDialog(std::function<void(FileDialogWindow*)> act) {
    dialog_title.clear();
    on_pump = [this, act, step = 0](int) mutable {
      AnswerBox();
      FileDialogWindow* d = Dialog();
      if (!d) return;
      ++step;
      if (step == 2) {
        dialog_title = d->Title() ? d->Title() : "";
        act(d);
      }
      if (step == 4) {
        now += 1.0;
        Point ok = Centre(d->OkButton()->Frame());
        QueueMousePosition(ok.x, ok.y);
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
    };
  }
  std::string dialog_title;
};

TEST_F(GeomEditTest, ShowsTheTexturedModelAndItsCounts) {
  GeomEdit* e = ImportAndOpen();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->ClientSize().x, 400);
  EXPECT_EQ(e->ClientSize().y, 400);
  EXPECT_EQ(e->InfoText(), "Triangles: 8\nVertices: 8\nMaterials: 2\n");
  ASSERT_EQ(e->Model().materials.size(), 2u);
  EXPECT_TRUE(e->Model().materials[0].image_loaded);
  EXPECT_EQ(e->Model().materials[1].name, "CrateLid");
  EXPECT_STREQ(e->PanButton()->Title(), "Pan");
  EXPECT_STREQ(e->RotateButton()->Title(), "Rotate");
  EXPECT_STREQ(e->ZoomButton()->Title(), "Zoom");
  EXPECT_EQ(e->PanButton()->Icon(0), 28);
  EXPECT_EQ(e->RotateButton()->Icon(2), 36);
  EXPECT_EQ(e->ZoomButton()->Icon(1), 80);
  // The crate covers the middle of the view in wood colours; a corner shows the background.
  const Point middle = Centre(e->ClientRect());
  const test::Pixel wood = At(middle.x, middle.y);
  EXPECT_GT(wood.r, wood.b + 20) << wood.r << "," << wood.g << "," << wood.b;
  const test::Pixel corner = At(e->ClientRect().x1 - 3, e->ClientRect().y0 + 60);
  EXPECT_EQ(corner.r, 0x30);
  EXPECT_EQ(corner.b, 0x40);
}

TEST_F(GeomEditTest, RotatePanAndZoomFollowThePointerFromTheStartingView) {
  GeomEdit* e = ImportAndOpen();
  ASSERT_TRUE(e);
  const ModelView start = e->View();
  const Point press = Centre(e->RotateButton()->Frame());
  Drag(e->RotateButton(), 32, -16);
  EXPECT_NEAR(e->View().yaw - start.yaw, float(M_PI / 4), 1e-4);
  EXPECT_NEAR(e->View().pitch - start.pitch, float(-M_PI / 8), 1e-4);
  EXPECT_FALSE(e->RotateButton()->IsPressedLook());
  double x = 0, y = 0;
  glfwGetCursorPos(platform::MainWindow(), &x, &y);
  EXPECT_NEAR(x, press.x, 1.0);
  EXPECT_NEAR(y, press.y, 1.0);
  // A second drag starts from the view the first one left.
  Drag(e->RotateButton(), 32, 0);
  EXPECT_NEAR(e->View().yaw - start.yaw, float(M_PI / 2), 1e-4);

  const ModelView before_zoom = e->View();
  Drag(e->ZoomButton(), 32, 50);
  EXPECT_NEAR(e->View().distance, 2 * before_zoom.distance, 1e-3);
  EXPECT_NEAR(e->View().far_plane, 4 * before_zoom.distance, 1e-2);

  const ModelView before_pan = e->View();
  LwoVec3 right, up;
  ViewAxes(before_pan, &right, &up, nullptr);
  Drag(e->PanButton(), 64, 0);
  EXPECT_NEAR(e->View().target.x - before_pan.target.x, right.x / 2, 1e-4);
  EXPECT_NEAR(e->View().target.z - before_pan.target.z, right.z / 2, 1e-4);

  e->RunCommand(kGeomCommandResetView);
  EXPECT_EQ(e->View().yaw, start.yaw);
  EXPECT_EQ(e->View().distance, start.distance);
}

TEST_F(GeomEditTest, ShiftClickSelectsNearVerticesAndControlClickUnmarksThem) {
  GeomEdit* e = ImportAndOpen();
  ASSERT_TRUE(e);
  // Vertex 6 is the lid's corner nearest the viewer's side.
  const Point p = VertexOnScreen(e, 6);
  ClickWith(kKeyLeftShift, Point{p.x + 2, p.y + 1});
  EXPECT_EQ(e->SelectedVertices().count(6), 1u);
  Frame();
  const test::Pixel marked = At(p.x, p.y);
  EXPECT_GT(marked.r, 200);
  EXPECT_GT(marked.g, 180);
  EXPECT_LT(marked.b, 80);
  // Far from every vertex: nothing more.
  const size_t count = e->SelectedVertices().size();
  ClickWith(kKeyLeftShift, Point{e->ClientRect().x0 + 5, e->ClientRect().y0 + 80});
  EXPECT_EQ(e->SelectedVertices().size(), count);
  ClickWith(kKeyLeftControl, p);
  EXPECT_EQ(e->SelectedVertices().count(6), 0u);
  // A plain drag in the view turns the model.
  const float yaw = e->View().yaw;
  const Point middle = Centre(e->ClientRect());
  QueueMousePosition(middle.x, middle.y);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(middle.x + 64, middle.y);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  EXPECT_NEAR(e->View().yaw - yaw, float(M_PI / 2), 1e-4);
}

TEST_F(GeomEditTest, RightButtonMenuResetsTheView) {
  GeomEdit* e = ImportAndOpen();
  ASSERT_TRUE(e);
  const ModelView start = e->View();
  Drag(e->RotateButton(), 40, 10);
  ASSERT_NE(e->View().yaw, start.yaw);
  std::vector<std::string> labels;
  int menu_pumps = 0;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* menu = top ? dynamic_cast<Menu*>(top->window) : nullptr;
    if (!menu || menu->IsClosed() || ++menu_pumps != 2) return;
    MenuItem* reset = nullptr;
    for (MenuItem* item : menu->Shown()) {
      labels.push_back(item->Title() ? item->Title() : "");
      if (labels.back() == "Reset View") reset = item;
    }
    if (reset) {
      menu->Choose(reset);
    } else {
      menu->Dismiss();
    }
  };
  now += 1.0;
  const Point middle = Centre(e->ClientRect());
  QueueMousePosition(middle.x, middle.y);
  QueueMouseButton(1, 1);
  QueueMouseButton(1, 0);
  Frame();
  on_pump = nullptr;
  Frame();
  EXPECT_EQ(labels, (std::vector<std::string>{"Reset View", "Export LWO..."}));
  EXPECT_EQ(e->View().yaw, start.yaw);
  EXPECT_EQ(e->View().pitch, start.pitch);
}

TEST_F(GeomEditTest, ExportWritesTheObjectUnderTheTagNameWithItsTextures) {
  GeomEdit* e = ImportAndOpen();
  ASSERT_TRUE(e);
  const std::string folder = dir_.Path() + "/export";
  std::filesystem::create_directories(folder);
  UseDialog([&](FileDialogWindow* d) { d->ShowFolder(folder); });
  e->RunCommand(kGeomCommandExportLwo);
  Frame();
  EXPECT_EQ(dialog_title, "Choose a destination folder");
  EXPECT_TRUE(std::filesystem::exists(folder + "/Crate.lwo"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/crate.png"));
}

TEST_F(GeomEditTest, NewModelFromLwoImportsAndOpensTheGeometry) {
  UseDialog([&](FileDialogWindow* d) {
    d->ShowFolder(game_ + "/models");
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i) {
      if (d->Entries()->ShownRow(i)->text == "crate.lwo")
        d->Entries()->Select(d->Entries()->ShownRow(i), false);
    }
  });
  NewModelFromLwo();
  Frame();
  EXPECT_EQ(dialog_title, "Import Model");
  EXPECT_EQ(CountLayer0("GeomEdit"), 1);
  TheCodex().PollLocalFolder(true);
  std::vector<TagRecord*> geometries;
  TheCodex().ListTagsOfGroup(kGeomGroup, &geometries);
  bool found = false;
  for (TagRecord* r : geometries) {
    TagHeader h;
    TheCodex().GetEffectiveHeader(r, &h);
    found |= h.Name() == "crate";
  }
  EXPECT_TRUE(found);
}

TEST_F(GeomEditTest, DamagedGeometryDoesNotOpen) {
  EXPECT_EQ(OpenTag(Find("geom", "brok")), nullptr);
  Frame();
  EXPECT_EQ(CountLayer0("GeomEdit"), 0);
}

}  // namespace
}  // namespace brae
