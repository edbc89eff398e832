#pragma once
// The window skin ("res/texturepack"): RGBA images by slot, packed into atlases, drawn as
// batched sprites.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/SkinSlots.h"

namespace brae {

struct SkinImage {
  int id = 0;
  int width = 0, height = 0;
  int atlas = -1;
  int atlas_x = 0, atlas_y = 0;
  bool rotated = false;
  std::vector<uint8_t> pixels;  // RGBA; kept only when loaded without GL
};

enum SpriteMode : int {
  kSpriteStretch = 0,  // the source rectangle is scaled to the destination
  kSpriteTile = 1,     // the source rectangle repeats over the destination
};

class Skin {
 public:
  ~Skin();

  // Null (with a reason) when the file is missing or short. Without GL the atlases stay unbuilt.
  // With upload, the sharper renderings beside it ("texturepack@2x", "@3x") join it.
  static Skin* Load(const std::string& path, bool upload, std::string* error = nullptr);
  static Skin* FromBytes(const std::vector<uint8_t>& bytes, bool upload,
                         std::string* error = nullptr);

  const SkinImage* Image(int slot) const;
  // Size of a slot's image, 0 x 0 when absent.
  void ImageSize(int slot, int* width, int* height) const;
  int ThickBorderWidth() const;
  int ThinBorderWidth() const;

  // Queues a piece of an image; colour tints it (red in the low byte, alpha in the high byte).
  void QueueSprite(int slot, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh,
                   int mode = kSpriteStretch, uint32_t colour = 0xFFFFFFFFu);
  // Queues the whole image, stretched or tiled over the destination.
  void QueueImage(int slot, int dx, int dy, int dw, int dh, int mode = kSpriteStretch,
                  uint32_t colour = 0xFFFFFFFFu);
  // Queues the image as nine pieces: corners of border pixels kept at their size, edges and
  // middle stretched, so a framed box keeps a thin frame at any size.
  void QueueNineSlice(int slot, int border, int dx, int dy, int dw, int dh,
                      uint32_t colour = 0xFFFFFFFFu);
  // Draws everything queued, one batch per atlas texture.
  void FlushSprites();
  size_t QueuedSprites() const { return queue_.size(); }
  int AtlasCount() const { return static_cast<int>(atlases_.size()); }

  // Picks the rendering sprites are drawn from for an interface scale: the lowest factor at or
  // above it, else the largest. Sizes and source rectangles stay those of this skin's images.
  void SetScale(float scale);
  // The factor of the rendering in use (1: this skin itself).
  int DrawFactor() const { return look_->factor_; }

 private:
  static Skin* LoadFile(const std::string& path, bool upload, std::string* error);
  // Queues a piece of the base image, taken from the same piece of the rendering in use.
  void Push(const SkinImage* img, float sx, float sy, float sw, float sh, float dx, float dy,
            float dw, float dh, uint32_t colour);

  struct Atlas {
    int width, height;
    unsigned texture;
  };
  struct Sprite {
    const Skin* owner;  // whose atlases hold the image
    const SkinImage* image;
    float sx, sy, sw, sh;
    float dx, dy, dw, dh;
    uint32_t colour;
  };
  std::vector<SkinImage> images_;
  const SkinImage* slots_[kSkinSlotCount] = {};
  std::vector<Atlas> atlases_;
  std::vector<Sprite> queue_;
  int factor_ = 1;
  std::vector<std::unique_ptr<Skin>> renderings_;
  const Skin* look_ = this;
};

// The process-wide helpers under their usual names; the skin in use is the UI state's.
inline Skin* LoadSkin(const std::string& path) {
  return Skin::Load(path, true);
}

}  // namespace brae
