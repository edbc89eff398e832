#include "model/ModelView.h"

#include <algorithm>
#include <cmath>

namespace brae {

namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

LwoVec3 Add(const LwoVec3& a, const LwoVec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
LwoVec3 Scale(const LwoVec3& a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
LwoVec3 Cross(const LwoVec3& a, const LwoVec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const LwoVec3& a, const LwoVec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

void SetDepthRange(ModelView* view) {
  view->near_plane = 1;
  view->far_plane = std::min(2 * view->distance, 65535.0f);
  if (view->far_plane <= view->near_plane) view->far_plane = view->near_plane + 1;
}

// Multiplies the column-major matrix by the point (w = 1).
void Transform(const float m[16], const float in[4], float out[4]) {
  for (int r = 0; r < 4; ++r)
    out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * in[3];
}

}  // namespace

ModelView InitialView(const IntermediateModel& model) {
  ModelView view;
  view.target = Scale(Add(model.bbox_min, model.bbox_max), 0.5f);
  const LwoVec3 half = Scale(Add(model.bbox_max, Scale(model.bbox_min, -1)), 0.5f);
  const float radius = std::sqrt(Dot(half, half));
  view.yaw = 0.5f;
  view.pitch = 0.4f;
  // The near plane lies 1 unit from the eye: keep the nearest point of the model beyond it.
  view.distance = std::max(2.5f * radius, radius + 2.0f);
  SetDepthRange(&view);
  return view;
}

void ViewAxes(const ModelView& view, LwoVec3* right, LwoVec3* up, LwoVec3* forward) {
  const LwoVec3 f = {std::sin(view.yaw) * std::cos(view.pitch), -std::sin(view.pitch),
                     -std::cos(view.yaw) * std::cos(view.pitch)};
  const LwoVec3 r = {std::cos(view.yaw), 0, std::sin(view.yaw)};
  if (forward) *forward = f;
  if (right) *right = r;
  if (up) *up = Cross(r, f);
}

LwoVec3 EyePosition(const ModelView& view) {
  LwoVec3 forward;
  ViewAxes(view, nullptr, nullptr, &forward);
  return Add(view.target, Scale(forward, -view.distance));
}

void RotateView(ModelView* view, const ModelView& start, float dx, float dy) {
  *view = start;
  view->yaw = start.yaw + dx * kTwoPi / 256;
  view->pitch = start.pitch + dy * kTwoPi / 256;
}

void PanView(ModelView* view, const ModelView& start, float dx, float dy) {
  LwoVec3 right, up;
  ViewAxes(start, &right, &up, nullptr);
  *view = start;
  view->target = Add(start.target, Scale(Add(Scale(right, dx), Scale(up, dy)), 1.0f / 128));
}

void ZoomView(ModelView* view, const ModelView& start, float dx, float) {
  *view = start;
  view->distance = start.distance * std::pow(2.0f, dx / 32);
  SetDepthRange(view);
}

ViewMatrices MakeViewMatrices(const ModelView& view, int width, int height) {
  ViewMatrices m{};
  const float aspect = height > 0 ? float(width) / float(height) : 1.0f;
  const float f = 1.0f / std::tan(view.fov_degrees * kTwoPi / 720);
  const float n = view.near_plane, fa = view.far_plane;
  m.projection[0] = f / aspect;
  m.projection[5] = f;
  m.projection[10] = (fa + n) / (n - fa);
  m.projection[11] = -1;
  m.projection[14] = 2 * fa * n / (n - fa);
  // gluLookAt: rows right, up, -forward, then the eye moved to the origin.
  LwoVec3 r, u, fw;
  ViewAxes(view, &r, &u, &fw);
  const LwoVec3 eye = EyePosition(view);
  const float rows[3][3] = {{r.x, r.y, r.z}, {u.x, u.y, u.z}, {-fw.x, -fw.y, -fw.z}};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) m.modelview[col * 4 + row] = rows[row][col];
  }
  m.modelview[12] = -Dot(r, eye);
  m.modelview[13] = -Dot(u, eye);
  m.modelview[14] = Dot(fw, eye);
  m.modelview[15] = 1;
  return m;
}

bool ProjectPoint(const ViewMatrices& m, int width, int height, const LwoVec3& p, float* x,
                  float* y) {
  const float in[4] = {p.x, p.y, p.z, 1};
  float eye[4], clip[4];
  Transform(m.modelview, in, eye);
  Transform(m.projection, eye, clip);
  if (clip[3] <= 0) return false;
  *x = (clip[0] / clip[3] + 1) * 0.5f * float(width);
  *y = (1 - clip[1] / clip[3]) * 0.5f * float(height);
  return true;
}

std::vector<size_t> VerticesNear(const IntermediateModel& model, const ModelView& view, int width,
                                 int height, float x, float y, float radius) {
  const ViewMatrices m = MakeViewMatrices(view, width, height);
  std::vector<size_t> near;
  for (size_t i = 0; i < model.vertices.size(); ++i) {
    float px, py;
    if (!ProjectPoint(m, width, height, model.vertices[i].position, &px, &py)) continue;
    if ((px - x) * (px - x) + (py - y) * (py - y) <= radius * radius) near.push_back(i);
  }
  return near;
}

}  // namespace brae
