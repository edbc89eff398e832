#pragma once
// The geometry viewer's camera, as plain data and functions: an orbit around a look-at point
// (yaw, pitch, distance), the three view operations of its buttons, the matrices that draw and
// project with it, and the picking of vertices near a pointer position.

#include <cstddef>
#include <vector>

#include "model/IntermediateModel.h"

namespace brae {

struct ModelView {
  LwoVec3 target;            // the look-at point, in model units
  float yaw = 0, pitch = 0;  // radians
  float distance = 1;
  float near_plane = 1, far_plane = 2;
  float fov_degrees = 45;
};

// Looking at the centre of the model's bounding box from the front, a little from above and
// the side, far enough to see all of it.
ModelView InitialView(const IntermediateModel& model);

// The view's axes: right, up and the direction of looking (unit vectors).
void ViewAxes(const ModelView& view, LwoVec3* right, LwoVec3* up, LwoVec3* forward);
LwoVec3 EyePosition(const ModelView& view);

// The operations of the view buttons: the view becomes start changed by the totals (dx, dy)
// in pixels since the press.
// Rotate: yaw + dx · 2π/256, pitch + dy · 2π/256.
void RotateView(ModelView* view, const ModelView& start, float dx, float dy);
// Pan: the look-at point moves by (dx · right + dy · up) / 128 (start's axes).
void PanView(ModelView* view, const ModelView& start, float dx, float dy);
// Zoom: distance = start's · 2^(dx / 32); the depth range becomes 1 to twice the distance
// (at most 65535).
void ZoomView(ModelView* view, const ModelView& start, float dx, float dy);
using ViewOperation = void (*)(ModelView* view, const ModelView& start, float dx, float dy);

// Column-major 4 × 4 matrices as OpenGL loads them.
struct ViewMatrices {
  float projection[16];
  float modelview[16];
};
ViewMatrices MakeViewMatrices(const ModelView& view, int width, int height);

// A model point in window pixels (x right, y down from the top-left); false when it lies
// behind the eye.
bool ProjectPoint(const ViewMatrices& m, int width, int height, const LwoVec3& p, float* x,
                  float* y);

// The vertices whose projected positions lie within radius pixels of (x, y).
std::vector<size_t> VerticesNear(const IntermediateModel& model, const ModelView& view, int width,
                                 int height, float x, float y, float radius);

}  // namespace brae
