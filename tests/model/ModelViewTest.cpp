// The geometry viewer's camera: the button operations, the depth range, projection and the
// picking of vertices within a few pixels.
#include "model/ModelView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brae {
namespace {

IntermediateModel Cube() {
  IntermediateModel m;
  m.bbox_min = {-1, -1, -1};
  m.bbox_max = {1, 1, 1};
  for (float x : {-1.f, 1.f})
    for (float y : {-1.f, 1.f})
      for (float z : {-1.f, 1.f}) m.vertices.push_back({{x, y, z}, {}});
  return m;
}

TEST(ModelView, ButtonOperationsChangeTheStartingView) {
  const ModelView start = InitialView(Cube());
  ModelView v;
  RotateView(&v, start, 64, -32);  // a quarter and an eighth of a turn
  EXPECT_NEAR(v.yaw - start.yaw, float(M_PI / 2), 1e-5);
  EXPECT_NEAR(v.pitch - start.pitch, float(-M_PI / 4), 1e-5);
  EXPECT_EQ(v.distance, start.distance);

  PanView(&v, start, 128, 0);  // one unit to the right
  LwoVec3 right;
  ViewAxes(start, &right, nullptr, nullptr);
  EXPECT_NEAR(v.target.x - start.target.x, right.x, 1e-5);
  EXPECT_NEAR(v.target.z - start.target.z, right.z, 1e-5);
  EXPECT_EQ(v.yaw, start.yaw);

  ZoomView(&v, start, 32, 99);  // twice as far; dy plays no part
  EXPECT_NEAR(v.distance, 2 * start.distance, 1e-4);
  EXPECT_EQ(v.near_plane, 1);
  EXPECT_NEAR(v.far_plane, 4 * start.distance, 1e-3);
  ZoomView(&v, start, 32 * 20, 0);
  EXPECT_EQ(v.far_plane, 65535);
}

TEST(ModelView, TheTargetProjectsToTheCentreAndNearVerticesArePicked) {
  const IntermediateModel cube = Cube();
  ModelView view = InitialView(cube);
  view.yaw = view.pitch = 0;  // looking along -z at the face z = 1
  const ViewMatrices m = MakeViewMatrices(view, 400, 400);
  float x = 0, y = 0;
  ASSERT_TRUE(ProjectPoint(m, 400, 400, view.target, &x, &y));
  EXPECT_NEAR(x, 200, 1e-3);
  EXPECT_NEAR(y, 200, 1e-3);
  // (1, 1, 1) lies right of and above the centre.
  ASSERT_TRUE(ProjectPoint(m, 400, 400, {1, 1, 1}, &x, &y));
  EXPECT_GT(x, 200);
  EXPECT_LT(y, 200);
  const std::vector<size_t> picked = VerticesNear(cube, view, 400, 400, x + 2, y - 2, 3);
  EXPECT_EQ(picked, (std::vector<size_t>{7}));
  EXPECT_TRUE(VerticesNear(cube, view, 400, 400, x + 3, y - 3, 3).empty());
  // A point behind the eye does not project.
  const LwoVec3 eye = EyePosition(view);
  EXPECT_FALSE(ProjectPoint(m, 400, 400, {eye.x, eye.y, eye.z + 5}, &x, &y));
}

}  // namespace
}  // namespace brae
