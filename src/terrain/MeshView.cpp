#include "terrain/MeshView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tagstore/FourCC.h"
#include "terrain/DetailMap.h"

namespace brae {

namespace {

constexpr float kPi = 3.14159265358979f;
float Radians(float degrees) {
  return degrees * kPi / 180.0f;
}

Matrix4 RotationY(float degrees) {
  Matrix4 r = Matrix4::Identity();
  const float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  r.m[0] = c, r.m[8] = s, r.m[2] = -s, r.m[10] = c;
  return r;
}

Matrix4 RotationX(float degrees) {
  Matrix4 r = Matrix4::Identity();
  const float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  r.m[5] = c, r.m[9] = -s, r.m[6] = s, r.m[10] = c;
  return r;
}

Matrix4 RotationZ(float degrees) {
  Matrix4 r = Matrix4::Identity();
  const float c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
  r.m[0] = c, r.m[4] = -s, r.m[1] = s, r.m[5] = c;
  return r;
}

}  // namespace

const char kCameraKeyCodes[12] = {'X', 'Z', 'W', 'S', 'A', 'D', 'Q', 'E', 'C', 'V', 'O', 'P'};

float WrapYaw(float yaw) {
  yaw = std::fmod(yaw, 360.0f);
  if (yaw < 0) yaw += 360.0f;
  if (yaw >= 360.0f) yaw = 0;
  return yaw;
}

void ViewDirection(const MeshCamera& c, float* dx, float* dy, float* dh) {
  const float cp = std::cos(Radians(c.pitch));
  *dx = std::sin(Radians(c.yaw)) * cp;
  *dy = -std::cos(Radians(c.yaw)) * cp;
  *dh = std::sin(Radians(c.pitch));
}

bool ApplyCameraKeys(MeshCamera& c, uint32_t keys) {
  const MeshCamera before = c;
  // Ground-plane moves: forward is the view direction flattened, sideways its left normal.
  const float fx = std::sin(Radians(c.yaw)), fy = -std::cos(Radians(c.yaw));
  float mx = 0, my = 0;
  if (keys & kCamForward) mx += fx, my += fy;
  if (keys & kCamBack) mx -= fx, my -= fy;
  if (keys & kCamLeft) mx += fy, my -= fx;
  if (keys & kCamRight) mx -= fy, my += fx;
  const float length = std::sqrt(mx * mx + my * my);
  if (length > 1e-6f) {
    c.x += 0.5f * mx / length;
    c.y += 0.5f * my / length;
  }
  if (keys & kCamTurnLeft) c.yaw = WrapYaw(c.yaw + 2);
  if (keys & kCamTurnRight) c.yaw = WrapYaw(c.yaw - 2);
  const int orbit = ((keys & kCamOrbitRight) ? 2 : 0) - ((keys & kCamOrbitLeft) ? 2 : 0);
  if (orbit) {
    // Around the look-at point in front of the camera, at the look-at distance.
    const float lx = c.x + fx * c.distance, ly = c.y + fy * c.distance;
    c.yaw = WrapYaw(c.yaw + float(orbit));
    c.x = lx - std::sin(Radians(c.yaw)) * c.distance;
    c.y = ly + std::cos(Radians(c.yaw)) * c.distance;
  }
  const int dive = ((keys & kCamDive) ? 1 : 0) - ((keys & kCamRise) ? 1 : 0);
  if (dive) {
    float dx, dy, dh;
    ViewDirection(c, &dx, &dy, &dh);
    c.x += dive * dx, c.y += dive * dy, c.height += dive * dh;
  }
  if (keys & kCamPitchUp) c.pitch += 1;
  if (keys & kCamPitchDown) c.pitch -= 1;
  const float t = std::tan(Radians(-c.pitch));
  if (t > 1e-3f) c.distance = c.height / t;
  return c.x != before.x || c.y != before.y || c.height != before.height || c.yaw != before.yaw ||
         c.pitch != before.pitch || c.distance != before.distance;
}

Matrix4 Matrix4::Identity() {
  Matrix4 r;
  r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
  return r;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const {
  Matrix4 r;
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * o.m[col * 4 + k];
      r.m[col * 4 + row] = sum;
    }
  }
  return r;
}

void Matrix4::Transform(const float in[4], float out[4]) const {
  for (int row = 0; row < 4; ++row) {
    out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
  }
}

float MeshFieldOfViewY(float aspect) {
  const float half_x = std::atan(std::tan(Radians(25)) * (aspect / (4.0f / 3.0f)));
  const float half_y = std::atan(std::tan(half_x) / std::max(aspect, 1e-6f));
  return 2 * half_y * 180.0f / kPi;
}

Matrix4 MeshProjection(float aspect) {
  const float n = 1, f = 10000;
  const float t = std::tan(Radians(MeshFieldOfViewY(aspect)) / 2);
  Matrix4 p;
  p.m[0] = 1 / (t * std::max(aspect, 1e-6f));
  p.m[5] = 1 / t;
  p.m[10] = -(f + n) / (f - n);
  p.m[11] = -1;
  p.m[14] = -2 * f * n / (f - n);
  return p;
}

Matrix4 MeshViewMatrix(const MeshCamera& c) {
  // Scene rotations of the camera (yaw, then roll, then pitch outermost).
  Matrix4 v = RotationX(-c.pitch) * RotationZ(-c.roll) * RotationY(-c.yaw);
  // World space: (-x, height / 512, y) for a grid point; the camera sits at (-x, height, y).
  Matrix4 t = Matrix4::Identity();
  t.m[12] = c.x;
  t.m[13] = -c.height;
  t.m[14] = -c.y;
  Matrix4 s = Matrix4::Identity();
  s.m[0] = -1;
  s.m[5] = 1.0f / 512;
  return v * t * s;
}

Frustum::Frustum(const Matrix4& clip) {
  const float* m = clip.m;
  auto row = [&](int r, int i) { return m[i * 4 + r]; };
  for (int p = 0; p < 6; ++p) {
    const int axis = p / 2;
    const float sign = (p % 2) ? -1.0f : 1.0f;
    float len = 0;
    for (int i = 0; i < 4; ++i) {
      planes_[p][i] = row(3, i) + sign * row(axis, i);
      if (i < 3) len += planes_[p][i] * planes_[p][i];
    }
    len = std::sqrt(len);
    if (len > 0) {
      for (float& v : planes_[p]) v /= len;
    }
  }
}

int Frustum::Classify(const float lo[3], const float hi[3]) const {
  bool all_inside = true;
  for (const auto& p : planes_) {
    // The box corners farthest along and against the plane's normal.
    float far_d = p[3], near_d = p[3];
    for (int i = 0; i < 3; ++i) {
      far_d += p[i] * (p[i] >= 0 ? hi[i] : lo[i]);
      near_d += p[i] * (p[i] >= 0 ? lo[i] : hi[i]);
    }
    if (far_d < 0) return 0;
    if (near_d < 0) all_inside = false;
  }
  return all_inside ? 2 : 1;
}

float MediaAnimation::Largest() const {
  return std::max({std::fabs(length[0]), std::fabs(length[1]) / 512, std::fabs(length[2])});
}

MediaAnimation MakeMediaAnimation(const MediaParameters* media) {
  MediaAnimation a;
  if (media) {
    for (int i = 0; i < 3; ++i) {
      a.length[i] = media->length[i];
      a.angle[i] = media->angle[i];
    }
    a.length[1] *= 512;
  }
  return a;
}

void AnimateVertex(const MediaAnimation& a, uint32_t tick, int gx, int gy, float* x, float* h,
                   float* y) {
  const float phase = float(377 * gx + 211 * gy + int((tick / 2) & 0xFFFF));
  *x += a.length[0] * std::sin(a.angle[0] * phase);
  *h += a.length[1] * std::sin(a.angle[1] * phase);
  *y += a.length[2] * std::sin(a.angle[2] * phase);
}

std::string FormatMeshInfo(const MeshInfo& i) {
  char text[1024];
  const double percent = i.cells_total > 0 ? i.cells_drawn * 100.0 / i.cells_total : 0.0;
  auto on = [](bool b) { return b ? "ON" : "OFF"; };
  int n = std::snprintf(text, sizeof text,
                        "Mesh Dimensions: %d x %d\nMesh Chunks: %d invisible, %d partial, %d "
                        "full\nMesh Cells: %d rendered (%.1f%%)\nWireframe: %s\nMedia Animation: "
                        "%s\n",
                        i.chunks_x, i.chunks_y, i.invisible, i.partial, i.full, i.cells_drawn,
                        percent, on(i.wireframe), on(i.animation));
  if (i.detail_tool && n > 0 && size_t(n) < sizeof text) {
    std::snprintf(text + n, sizeof text - size_t(n),
                  "Detail Textures: %s\nHighlighting: %s\nHighlight Mode: %s\nBrush Shape: "
                  "%s\nBrush Mode: %s\nBrush Radius: %.1f\nBrush Material: %s\nBrush Scale: %d "
                  "px/cell (%.1f:1)\nBrush Position: {%.2f, %.2f}\n",
                  on(i.detail_textures), on(i.highlighting), i.highlight_mode,
                  i.round_brush ? "Round" : "Square", i.vertex_mode ? "Vertex" : "Triangle",
                  double(i.radius), i.material.c_str(), i.scale, i.scale / 8.0, double(i.brush_x),
                  double(i.brush_y));
  }
  return text;
}

std::string MaterialRowText(int index, uint32_t texture, const std::string& description,
                            const std::string* tag_name) {
  std::string label;
  if (texture == kNoDetailTexture) {
    label = "<no tag>";
  } else if (!tag_name) {
    // A zeroed entry's id would put NULs into the text: show them as spaces.
    std::string code = FourCCToString(texture);
    for (char& ch : code) {
      if (static_cast<unsigned char>(ch) < 32) ch = ' ';
    }
    label = "'" + code + "' <not found>";
  } else if (!description.empty()) {
    label = "|i" + description + "|p (" + *tag_name + ")";
  } else {
    label = *tag_name;
  }
  char head[16];
  std::snprintf(head, sizeof head, " %.3d ~ ", index);
  return head + label;
}

}  // namespace brae
