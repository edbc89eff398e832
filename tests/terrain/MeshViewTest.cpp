// The mesh view's camera keys, matrices and frustum, the media animation and the info text.
#include "terrain/MeshView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tagstore/FourCC.h"

namespace brae {
namespace {

TEST(MeshCamera, StartsAtTheInitialPose) {
  MeshCamera c;
  EXPECT_EQ(c.yaw, 135);
  EXPECT_EQ(c.pitch, -27);
  EXPECT_EQ(c.height, 50);
  EXPECT_EQ(c.distance, 20);
}

TEST(MeshCamera, GroundMovesAreNormalisedToHalfAUnit) {
  MeshCamera c;
  c.yaw = 90;
  ASSERT_TRUE(ApplyCameraKeys(c, kCamForward | kCamLeft));
  EXPECT_NEAR(std::hypot(c.x, c.y), 0.5, 1e-5);  // diagonal, not 0.71
  MeshCamera d;
  d.yaw = 90;
  ApplyCameraKeys(d, kCamForward);
  EXPECT_NEAR(d.x, 0.5, 1e-5);  // yaw 90 looks along +x
  EXPECT_NEAR(d.y, 0.0, 1e-5);
  MeshCamera e;
  EXPECT_FALSE(ApplyCameraKeys(e, kCamForward | kCamBack) && (e.x != 0 || e.y != 0));
}

TEST(MeshCamera, YawWrapsWithinAFullTurn) {
  MeshCamera c;
  c.yaw = 0;
  ApplyCameraKeys(c, kCamTurnRight);
  EXPECT_EQ(c.yaw, 358);
  ApplyCameraKeys(c, kCamTurnLeft);
  ApplyCameraKeys(c, kCamTurnLeft);
  EXPECT_EQ(c.yaw, 2);
  EXPECT_EQ(WrapYaw(-720), 0);
}

TEST(MeshCamera, OrbitKeepsTheLookAtPoint) {
  MeshCamera c;
  c.distance = 20;
  const float fx = std::sin(135 * 3.14159265f / 180), fy = -std::cos(135 * 3.14159265f / 180);
  const float lx = c.x + fx * 20, ly = c.y + fy * 20;
  ApplyCameraKeys(c, kCamOrbitRight);
  EXPECT_EQ(c.yaw, 137);
  const float gx = std::sin(137 * 3.14159265f / 180), gy = -std::cos(137 * 3.14159265f / 180);
  // The look-at distance follows the height and pitch; the orbit used the old one.
  EXPECT_NEAR(c.x + gx * 20, lx, 1e-3);
  EXPECT_NEAR(c.y + gy * 20, ly, 1e-3);
  EXPECT_NEAR(c.distance, 50 / std::tan(27 * 3.14159265f / 180), 1e-3);
}

TEST(MeshCamera, DiveAndPitch) {
  MeshCamera c;
  ApplyCameraKeys(c, kCamDive);
  EXPECT_LT(c.height, 50);
  EXPECT_NEAR(50 - c.height, std::sin(27 * 3.14159265f / 180), 1e-4);
  ApplyCameraKeys(c, kCamPitchUp);
  EXPECT_EQ(c.pitch, -26);
  ApplyCameraKeys(c, kCamPitchDown);
  ApplyCameraKeys(c, kCamPitchDown);
  EXPECT_EQ(c.pitch, -28);
}

TEST(MeshFrustum, SeesWhatLiesAheadAndNotBehind) {
  MeshCamera c;
  c.x = 10, c.y = 10, c.yaw = 135, c.pitch = -27, c.height = 50;
  const Matrix4 clip = MeshProjection(4.0f / 3) * MeshViewMatrix(c);
  const Frustum f(clip);
  // The look-at point (about 98 cells ahead) is inside.
  float dx, dy, dh;
  ViewDirection(c, &dx, &dy, &dh);
  const float t = 50 / -dh;
  const float px = c.x + dx * t, py = c.y + dy * t;
  const float lo[3] = {px - 1, -10, py - 1}, hi[3] = {px + 1, 10, py + 1};
  EXPECT_EQ(f.Classify(lo, hi), 2);
  // Behind the camera.
  const float blo[3] = {c.x - dx * 100 - 1, -10, c.y - dy * 100 - 1};
  const float bhi[3] = {c.x - dx * 100 + 1, 10, c.y - dy * 100 + 1};
  EXPECT_EQ(f.Classify(blo, bhi), 0);
  // A huge box straddles it.
  const float all_lo[3] = {-5000, -100000, -5000}, all_hi[3] = {5000, 100000, 5000};
  EXPECT_EQ(f.Classify(all_lo, all_hi), 1);
  // The look-at point projects to the middle of the view.
  const float in[4] = {px, 0, py, 1};
  float out[4];
  clip.Transform(in, out);
  EXPECT_NEAR(out[0] / out[3], 0, 1e-3);
  EXPECT_NEAR(out[1] / out[3], 0, 1e-3);
}

TEST(MeshFrustum, FieldOfViewFollowsTheAspect) {
  // At 4:3 the horizontal field is 50 degrees.
  const float fovy = MeshFieldOfViewY(4.0f / 3);
  const float half_x = std::atan(std::tan(fovy / 2 * 3.14159265f / 180) * 4 / 3);
  EXPECT_NEAR(2 * half_x * 180 / 3.14159265f, 50, 1e-3);
}

TEST(MediaAnimation, DefaultsScaleTheHeightLength) {
  MediaAnimation a = MakeMediaAnimation(nullptr);
  EXPECT_FLOAT_EQ(a.length[1], 0.1f * 512);
  EXPECT_FLOAT_EQ(a.Largest(), 0.2f);
  MediaParameters m;
  m.length[1] = 0.25f;
  EXPECT_FLOAT_EQ(MakeMediaAnimation(&m).length[1], 128);
  float x = 0, h = 0, y = 0;
  AnimateVertex(a, 0, 0, 0, &x, &h, &y);
  EXPECT_FLOAT_EQ(x, 0);  // phase 0
  AnimateVertex(a, 2, 0, 0, &x, &h, &y);
  EXPECT_NEAR(x, 0.1 * std::sin(0.5), 1e-6);
}

TEST(MeshInfoText, BothForms) {
  MeshInfo i;
  i.chunks_x = i.chunks_y = 1;
  i.full = 1;
  i.cells_drawn = i.cells_total = 31 * 31;
  EXPECT_EQ(FormatMeshInfo(i),
            "Mesh Dimensions: 1 x 1\nMesh Chunks: 0 invisible, 0 partial, 1 full\nMesh Cells: "
            "961 rendered (100.0%)\nWireframe: OFF\nMedia Animation: OFF\n");
  i.detail_tool = true;
  i.brush_x = 1.5f;
  const std::string t = FormatMeshInfo(i);
  EXPECT_NE(t.find("Detail Textures: OFF\nHighlighting: OFF\nHighlight Mode: Texture Index\n"
                   "Brush Shape: Round\nBrush Mode: Vertex\nBrush Radius: 3.0\nBrush Material: "
                   "<none>\nBrush Scale: 128 px/cell (16.0:1)\nBrush Position: {1.50, 0.00}\n"),
            std::string::npos)
      << t;
}

TEST(MaterialRowText, EveryLabelForm) {
  const std::string grass = "Grass";
  EXPECT_EQ(MaterialRowText(0, 0xFFFFFFFFu, "", nullptr), " 000 ~ <no tag>");
  EXPECT_EQ(MaterialRowText(7, FourCC("gras"), "", &grass), " 007 ~ Grass");
  EXPECT_EQ(MaterialRowText(12, FourCC("gras"), "meadow", &grass), " 012 ~ |imeadow|p (Grass)");
  EXPECT_EQ(MaterialRowText(3, FourCC("gone"), "x", nullptr), " 003 ~ 'gone' <not found>");
}

}  // namespace
}  // namespace brae
