#pragma once
// A detail texture open as a shared tag resource: the mesh editors and the detail texture
// editor see the same pixels. The OpenGL texture belongs to the editors; here a flag records
// whether the texture they made from the pixels is still current.

#include <cstdint>
#include <string>
#include <vector>

#include "tagstore/TagResource.h"
#include "terrain/DtexImage.h"

namespace brae {

class DtexTag : public TagResource {
 public:
  DtexTag(Codex& codex, TagRecord* record) : TagResource(codex, record) {}
  ~DtexTag() override = default;

  const char* ClassName() const override { return "DtexTag"; }
  // A 256 x 256 chequerboard of 16-pixel squares.
  void InitNew() override;
  bool ReadData(FileStream& stream, const TagHeader& header) override;
  bool WriteData(FileStream& stream, const TagHeader& header) override;

  // Replaces the image with a copy of pixels (RGB, row-major), marks the texture stale and
  // tells the tag's users. False (nothing changes) when a dimension is outside 1-4095.
  bool SetPixels(const uint8_t* pixels, int width, int height);
  const std::vector<uint8_t>& Pixels() const { return image_.pixels; }
  int Width() const { return image_.width; }
  int Height() const { return image_.height; }
  uint32_t CarriedValue() const { return image_.carried; }
  const DtexImage& Image() const { return image_; }

  // Editor commands on the whole image; each marks the texture stale and notifies.
  void MeanCenterRgb();
  void MeanCenterLuma();
  void WrapHalf();

  // Counts the changes of the pixels: a texture made at one generation is stale at another.
  uint64_t Generation() const { return generation_; }
  bool IsTextureCurrent() const { return texture_current_; }
  // Called by the editor that uploaded the pixels.
  void MarkTextureCurrent() { texture_current_ = true; }

 private:
  void Changed();

  DtexImage image_;
  bool texture_current_ = false;
  uint64_t generation_ = 1;
};

// The import of an image file into an open detail texture (the editor's import, its external
// edits and "dtex-replace"): the file must be an RGB image whose sides are powers of two (see
// ReadDtexImageFile); then it replaces the pixels. False with the reason; nothing changes.
bool ReplaceDtexFromFile(DtexTag* tag, const std::string& path, std::string* error);

// The one manager of open detail textures (over TheCodex()).
TagResourceManager<DtexTag>& TheDtexManager();

}  // namespace brae
