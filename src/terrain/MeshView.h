#pragma once
// The mesh editor's view without OpenGL: the free camera and its keys, the projection and view
// matrices, the frustum tests of chunks and cells, the media animation's displacement and the
// information text.

#include <cstdint>
#include <string>

#include "terrain/Mesh.h"

namespace brae {

// Camera keys held during a tick (bits).
enum CameraKey : uint32_t {
  kCamForward = 1 << 0,     // X
  kCamBack = 1 << 1,        // Z
  kCamLeft = 1 << 2,        // W
  kCamRight = 1 << 3,       // S
  kCamTurnLeft = 1 << 4,    // A: yaw + 2
  kCamTurnRight = 1 << 5,   // D: yaw - 2
  kCamOrbitLeft = 1 << 6,   // Q: yaw - 2 around the look-at point
  kCamOrbitRight = 1 << 7,  // E: yaw + 2 around the look-at point
  kCamDive = 1 << 8,        // C: forward and down along the view direction
  kCamRise = 1 << 9,        // V: back and up
  kCamPitchUp = 1 << 10,    // O
  kCamPitchDown = 1 << 11,  // P
};
// The key code (upper-case letter) of each camera key bit, in bit order.
extern const char kCameraKeyCodes[12];

struct MeshCamera {
  float x = 0, y = 0;  // grid units
  float height = 50;   // grid units
  float yaw = 135;     // degrees, within [0, 360)
  float pitch = -27;   // degrees
  float roll = 0;
  float distance = 20;  // to the look-at point
};

// Yaw kept within [0, 360).
float WrapYaw(float yaw);
// One tick of the held keys; returns whether the camera changed. Ground-plane moves are added
// as a vector whose non-zero sum is normalised to 0.5. The look-at distance becomes
// height / tan(-pitch) (kept as it was while the camera looks level or up).
bool ApplyCameraKeys(MeshCamera& camera, uint32_t keys);
// The view direction in grid units (x, y, height).
void ViewDirection(const MeshCamera& camera, float* dx, float* dy, float* dh);

// Column-major 4 x 4 matrices, as OpenGL takes them.
struct Matrix4 {
  float m[16] = {};
  static Matrix4 Identity();
  Matrix4 operator*(const Matrix4& o) const;
  void Transform(const float in[4], float out[4]) const;
};
// Horizontal field of view 2 atan(tan 25 deg * aspect / (4/3)); near 1, far 10000.
Matrix4 MeshProjection(float aspect);
float MeshFieldOfViewY(float aspect);
// Grid coordinates (x, height units, y) to eye space: x mirrored so that grid x runs to the
// left on screen, heights scaled by 1/512, then the camera's translation and rotations.
Matrix4 MeshViewMatrix(const MeshCamera& camera);

// The six planes of projection * view.
class Frustum {
 public:
  explicit Frustum(const Matrix4& clip);
  // 0 outside, 1 partly inside, 2 wholly inside, for a box in grid coordinates (x, height
  // units, y).
  int Classify(const float lo[3], const float hi[3]) const;

 private:
  float planes_[6][4];
};

// The media animation's parameters (lengths L0-L2 with L1 already in height units, angles).
struct MediaAnimation {
  float length[3] = {0.1f, 0.1f * 512, 0.2f};
  float angle[3] = {0.5f, 0.5f, 1.0f};
  float Largest() const;  // the largest displacement in grid units (L1 counted in cells)
};
// The defaults, or the media tag's values with L1 scaled by 512.
MediaAnimation MakeMediaAnimation(const MediaParameters* media);
// Displaces a submerged vertex (x, h, y) at tick T.
void AnimateVertex(const MediaAnimation& a, uint32_t tick, int gx, int gy, float* x, float* h,
                   float* y);

// The values of the information text.
struct MeshInfo {
  int chunks_x = 0, chunks_y = 0;
  int invisible = 0, partial = 0, full = 0;
  int cells_drawn = 0, cells_total = 0;
  bool wireframe = false, animation = false;
  bool detail_tool = false;
  // Detail Map Tool lines.
  bool detail_textures = false, highlighting = false;
  const char* highlight_mode = "Texture Index";
  bool round_brush = true, vertex_mode = true;
  float radius = 3.0f;
  std::string material = "<none>";
  int scale = 128;
  float brush_x = 0, brush_y = 0;
};
std::string FormatMeshInfo(const MeshInfo& info);

// A material's palette row: " %.3d ~ " and its label: the description in italics with the
// detail texture's name, the name alone, "'%s' <not found>" for a missing tag, or "<no tag>".
// tag_name is the texture tag's name, or none when no tag of the id exists.
std::string MaterialRowText(int index, uint32_t texture, const std::string& description,
                            const std::string* tag_name);

constexpr const char* kHighlightModeNames[3] = {"Texture Index", "Reflectivity", "Terrain Type"};

}  // namespace brae
