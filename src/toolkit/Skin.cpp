#include "toolkit/Skin.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "toolkit/Font.h"
#include "toolkit/RectPacker.h"
#include "toolkit/Texture.h"

namespace brae {
namespace {

uint32_t U32At(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

Skin::~Skin() {
  for (Atlas& a : atlases_)
    if (a.texture) glDeleteTextures(1, &a.texture);
}

Skin* Skin::Load(const std::string& path, bool upload, std::string* error) {
  Skin* skin = LoadFile(path, upload, error);
  if (!skin || !upload) return skin;
  for (int factor = 2; factor <= kMaxRenderingFactor; ++factor)
    if (Skin* sharper = LoadFile(ScaledResourcePath(path, factor), upload, nullptr)) {
      sharper->factor_ = factor;
      skin->renderings_.emplace_back(sharper);
    }
  return skin;
}

void Skin::SetScale(float scale) {
  look_ = this;
  if (scale <= 1.0f) return;
  for (const auto& r : renderings_) {
    look_ = r.get();
    if (r->factor_ >= scale - 1e-3f) break;
  }
}

Skin* Skin::LoadFile(const std::string& path, bool upload, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = "cannot open " + path;
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  return FromBytes(bytes, upload, error);
}

Skin* Skin::FromBytes(const std::vector<uint8_t>& bytes, bool upload, std::string* error) {
  auto fail = [&](const char* why) -> Skin* {
    if (error) *error = why;
    return nullptr;
  };
  if (bytes.size() < 4) return fail("short skin file");
  uint32_t count = U32At(bytes.data());
  size_t pos = 4;
  // Every image needs at least its header: a count beyond that is bad data.
  if (count > (bytes.size() - pos) / 28) return fail("bad image count");
  auto skin = std::make_unique<Skin>();
  skin->images_.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (bytes.size() - pos < 28) return fail("short image header");
    const uint8_t* h = bytes.data() + pos;
    SkinImage& img = skin->images_[i];
    img.width = h[12] | (h[13] << 8);
    img.height = h[14] | (h[15] << 8);
    img.id = static_cast<int>(U32At(h + 24));
    pos += 28;
    size_t size = static_cast<size_t>(img.width) * img.height * 4;
    if (bytes.size() - pos < size) return fail("short image pixels");
    img.pixels.assign(bytes.begin() + pos, bytes.begin() + pos + size);
    pos += size;
  }

  int max_size = 4096;
  if (upload) {
    GLint gl_max = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &gl_max);
    if (gl_max > 0) max_size = gl_max;
  }
  std::vector<PackInput> inputs;
  for (const SkinImage& img : skin->images_) inputs.push_back(PackInput{img.width, img.height});
  std::vector<PackPlacement> places;
  std::vector<AtlasSize> sizes;
  if (!PackRects(inputs, max_size, 2, &places, &sizes)) return fail("image too large for an atlas");
  std::vector<std::vector<uint8_t>> pixels(sizes.size());
  for (size_t a = 0; a < sizes.size(); ++a)
    pixels[a].assign(static_cast<size_t>(sizes[a].width) * sizes[a].height * 4, 0);
  for (size_t i = 0; i < skin->images_.size(); ++i) {
    SkinImage& img = skin->images_[i];
    const PackPlacement& p = places[i];
    img.atlas = p.atlas;
    img.atlas_x = p.x;
    img.atlas_y = p.y;
    img.rotated = p.rotated;
    if (p.atlas < 0) continue;
    int stride = sizes[p.atlas].width;
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x) {
        int ax = p.rotated ? p.x + y : p.x + x;
        int ay = p.rotated ? p.y + x : p.y + y;
        const uint8_t* src = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
        std::copy(src, src + 4, &pixels[p.atlas][(static_cast<size_t>(ay) * stride + ax) * 4]);
      }
  }
  for (size_t a = 0; a < sizes.size(); ++a) {
    Atlas atlas{sizes[a].width, sizes[a].height, 0};
    if (upload) {
      atlas.texture =
          UploadTexture(atlas.width, atlas.height, GL_RGBA, GL_NEAREST, pixels[a].data());
    }
    skin->atlases_.push_back(atlas);
  }
  for (SkinImage& img : skin->images_) {
    if (upload) std::vector<uint8_t>().swap(img.pixels);
    if (img.id >= 0 && img.id < kSkinSlotCount) skin->slots_[img.id] = &img;
  }
  return skin.release();
}

const SkinImage* Skin::Image(int slot) const {
  return slot >= 0 && slot < kSkinSlotCount ? slots_[slot] : nullptr;
}

void Skin::ImageSize(int slot, int* width, int* height) const {
  const SkinImage* img = Image(slot);
  *width = img ? img->width : 0;
  *height = img ? img->height : 0;
}

int Skin::ThickBorderWidth() const {
  const SkinImage* img = Image(kSkinThickBorder);
  return img ? img->height : 0;
}

int Skin::ThinBorderWidth() const {
  const SkinImage* img = Image(kSkinThinBorder);
  return img ? img->height : 0;
}

void Skin::QueueSprite(int slot, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh,
                       int mode, uint32_t colour) {
  const SkinImage* img = Image(slot);
  if (!img || img->atlas < 0 || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  if (mode != kSpriteTile) {
    Push(img, sx, sy, sw, sh, dx, dy, dw, dh, colour);
    return;
  }
  for (int y = 0; y < dh; y += sh)
    for (int x = 0; x < dw; x += sw) {
      int w = std::min(sw, dw - x), h = std::min(sh, dh - y);
      Push(img, sx, sy, w, h, dx + x, dy + y, w, h, colour);
    }
}

void Skin::Push(const SkinImage* img, float sx, float sy, float sw, float sh, float dx, float dy,
                float dw, float dh, uint32_t colour) {
  const SkinImage* sharp = look_ != this ? look_->Image(img->id) : nullptr;
  if (!sharp || sharp->atlas < 0 || !img->width || !img->height) {
    queue_.push_back(Sprite{this, img, sx, sy, sw, sh, dx, dy, dw, dh, colour});
    return;
  }
  float rx = float(sharp->width) / img->width, ry = float(sharp->height) / img->height;
  // At a fractional scale a device pixel may be centred exactly on the piece's far edge and would
  // sample the texel beyond it (a seam between tiles): the samples stay a hair inside.
  constexpr float kInside = 0.02f;
  queue_.push_back(Sprite{look_, sharp, sx * rx + kInside, sy * ry + kInside, sw * rx - 2 * kInside,
                          sh * ry - 2 * kInside, dx, dy, dw, dh, colour});
}

void Skin::QueueImage(int slot, int dx, int dy, int dw, int dh, int mode, uint32_t colour) {
  const SkinImage* img = Image(slot);
  if (img) QueueSprite(slot, 0, 0, img->width, img->height, dx, dy, dw, dh, mode, colour);
}

void Skin::QueueNineSlice(int slot, int border, int dx, int dy, int dw, int dh, uint32_t colour) {
  const SkinImage* img = Image(slot);
  if (!img || dw <= 0 || dh <= 0) return;
  int b = std::min({border, img->width / 2, img->height / 2, dw / 2, dh / 2});
  if (b <= 0) {
    QueueImage(slot, dx, dy, dw, dh, kSpriteStretch, colour);
    return;
  }
  const int sx[3] = {0, b, img->width - b}, sw[3] = {b, img->width - 2 * b, b};
  const int sy[3] = {0, b, img->height - b}, sh[3] = {b, img->height - 2 * b, b};
  const int tx[3] = {dx, dx + b, dx + dw - b}, tw[3] = {b, dw - 2 * b, b};
  const int ty[3] = {dy, dy + b, dy + dh - b}, th[3] = {b, dh - 2 * b, b};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      if (sw[col] > 0 && sh[row] > 0 && tw[col] > 0 && th[row] > 0)
        QueueSprite(slot, sx[col], sy[row], sw[col], sh[row], tx[col], ty[row], tw[col], th[row],
                    kSpriteStretch, colour);
}

void Skin::FlushSprites() {
  if (queue_.empty()) return;
  std::stable_sort(queue_.begin(), queue_.end(), [](const Sprite& a, const Sprite& b) {
    return a.owner != b.owner ? a.owner < b.owner : a.image->atlas < b.image->atlas;
  });
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  int bound = -1;
  const Skin* bound_owner = nullptr;
  for (const Sprite& s : queue_) {
    const SkinImage& img = *s.image;
    if (img.atlas != bound || s.owner != bound_owner) {
      if (bound >= 0) glEnd();
      bound = img.atlas;
      bound_owner = s.owner;
      glBindTexture(GL_TEXTURE_2D, bound_owner->atlases_[bound].texture);
      glBegin(GL_QUADS);
    }
    const Atlas& atlas = bound_owner->atlases_[bound];
    float ax = 1.0f / atlas.width, ay = 1.0f / atlas.height;
    glColor4ub(s.colour & 0xFF, (s.colour >> 8) & 0xFF, (s.colour >> 16) & 0xFF, s.colour >> 24);
    float x0 = s.dx, y0 = s.dy, x1 = s.dx + s.dw, y1 = s.dy + s.dh;
    if (!img.rotated) {
      float u0 = (img.atlas_x + s.sx) * ax, v0 = (img.atlas_y + s.sy) * ay;
      float u1 = (img.atlas_x + s.sx + s.sw) * ax, v1 = (img.atlas_y + s.sy + s.sh) * ay;
      glTexCoord2f(u0, v0);
      glVertex2f(x0, y0);
      glTexCoord2f(u1, v0);
      glVertex2f(x1, y0);
      glTexCoord2f(u1, v1);
      glVertex2f(x1, y1);
      glTexCoord2f(u0, v1);
      glVertex2f(x0, y1);
    } else {
      float u0 = (img.atlas_x + s.sy) * ax, v0 = (img.atlas_y + s.sx) * ay;
      float u1 = (img.atlas_x + s.sy + s.sh) * ax, v1 = (img.atlas_y + s.sx + s.sw) * ay;
      glTexCoord2f(u0, v0);
      glVertex2f(x0, y0);
      glTexCoord2f(u0, v1);
      glVertex2f(x1, y0);
      glTexCoord2f(u1, v1);
      glVertex2f(x1, y1);
      glTexCoord2f(u1, v0);
      glVertex2f(x0, y1);
    }
  }
  if (bound >= 0) glEnd();
  glPopAttrib();
  glColor4fv(colour);
  queue_.clear();
}

}  // namespace brae
