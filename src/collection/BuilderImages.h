#pragma once
// The pictures the collection builders work on: one frame image with its alpha, cropped to its
// visible area; a store that keeps identical pictures once (hashing, so pictures are compared
// only within equal hashes); and resampling to another size.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "media/Image.h"

namespace brae {

// One cell's picture: colour-indexed (alpha, index per pixel, with its palette) or, for
// true-colour input, RGBA.
struct CellImage {
  int width = 0;
  int height = 0;
  bool true_colour = false;
  Palette palette;  // colour-indexed pictures only
  std::vector<uint8_t> pixels;
  int crop_left = 0;  // where the picture sat in the uncropped file
  int crop_top = 0;
  int full_width = 0;  // the uncropped file's size
  int full_height = 0;

  int BytesPerPixel() const { return true_colour ? 4 : 2; }
  uint8_t Alpha(size_t i) const { return true_colour ? pixels[i * 4 + 3] : pixels[i * 2]; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

struct CellLoadOptions {
  bool invert_alphas = false;  // alpha images hold 255 - opacity
  bool true_colour = true;     // accept RGB and RGBA colour images
};

// Loads a colour image and its alpha image (alpha_path empty: none) into one picture: alpha from
// the alpha image (inverted when asked), else from an RGBA image's own alpha, else 255. False
// with the log line (ending in a line feed) that says why.
bool LoadCellImage(const std::string& colour_path, const std::string& alpha_path,
                   const CellLoadOptions& options, CellImage* out, std::string* error);

// Cuts the picture to the bounding box of its pixels whose alpha is above 0, adding the cut to
// crop_left and crop_top. A fully transparent picture becomes empty (0 × 0).
void CropToVisible(CellImage* image);

// Pictures kept once each. Add returns the index of the equal picture already kept, or keeps the
// new one. Pictures are equal when size, kind, pixels and (colour-indexed) palette are.
class ImageStore {
 public:
  size_t Add(CellImage&& image, const std::string& source);
  size_t Size() const { return images_.size(); }
  CellImage& At(size_t i) { return images_[i]; }
  const CellImage& At(size_t i) const { return images_[i]; }
  // The file that first produced picture i.
  const std::string& SourceOf(size_t i) const { return sources_[i]; }
  void Clear();

 private:
  static uint64_t Hash(const CellImage& image);
  static bool Same(const CellImage& a, const CellImage& b);
  std::vector<CellImage> images_;
  std::vector<std::string> sources_;
  std::unordered_multimap<uint64_t, size_t> by_hash_;
};

// Resamples RGBA from w × h to new_w × new_h (weighting colours by alpha, so transparent pixels
// lend no colour). Each axis on its own: area averaging
// (every source pixel weighted by the part of it that an output pixel covers) when the axis
// shrinks, linear interpolation between pixel centres when it grows.
std::vector<uint8_t> ResampleRgba(const uint8_t* rgba, int w, int h, int new_w, int new_h);

// Resamples a cell picture by factor r: its size becomes round(size × r) (at least 1 × 1) and its
// crop offsets round(offset × r). A colour-indexed picture is resampled in colour and mapped back
// to the nearest entries of its own palette, so that it still merges like the original.
void ResampleCellImage(CellImage* image, double r);

// The picture as RGBA (colour-indexed ones through their palette).
std::vector<uint8_t> CellRgba(const CellImage& image);

}  // namespace brae
