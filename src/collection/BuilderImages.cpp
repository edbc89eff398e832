#include "collection/BuilderImages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "collection/BitmapCodec.h"
#include "collection/BitmapEditing.h"
#include "collection/CollectionImport.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "media/Quantizer.h"

namespace brae {

namespace {

constexpr const char* kColourNotLoaded = "ERROR: the color bitmap file '%s' could not be loaded.\n";
constexpr const char* kColourNotIndexed =
    "ERROR: the color bitmap file '%s' was not 8-bit color indexed.\n";
constexpr const char* kAlphaNotLoaded = "ERROR: the alpha bitmap file '%s' could not be loaded.\n";
constexpr const char* kAlphaNotGrey =
    "ERROR: the alpha bitmap file '%s' was not 8-bit grayscale.\n";
constexpr const char* kAlphaSize =
    "ERROR: the alpha bitmap file '%s' had different dimensions than its color counterpart, "
    "'%s'.\n";

bool ReadPicture(const std::string& path, Image* out) {
  MediaFile file(path, MediaGroup::kImage);
  if (!file.ReadPixels() || file.image.pixels.size() != file.image.PixelBytes()) return false;
  if (size_t(file.image.width) * size_t(file.image.height) > kMaxBitmapPixels) return false;
  *out = std::move(file.image);
  return true;
}

// One axis of a resampling: for each output position, the source positions and weights.
struct Taps {
  std::vector<int> first;      // per output: first source index
  std::vector<int> count;      // per output: number of taps
  std::vector<float> weights;  // per output: count weights, summing to 1
  std::vector<int> offset;     // per output: where its weights start
};

Taps MakeTaps(int from, int to) {
  Taps t;
  const double scale = double(from) / double(to);
  for (int i = 0; i < to; ++i) {
    t.offset.push_back(int(t.weights.size()));
    if (scale >= 1.0) {
      // Area averaging: the output pixel covers [i × scale, (i + 1) × scale) of the source.
      const double a = i * scale, b = std::min(double(from), (i + 1) * scale);
      const int s0 = int(std::floor(a)), s1 = std::min(from, int(std::ceil(b)));
      t.first.push_back(s0);
      t.count.push_back(s1 - s0);
      for (int s = s0; s < s1; ++s) {
        const double cover = std::min(b, double(s + 1)) - std::max(a, double(s));
        t.weights.push_back(float(cover / (b - a)));
      }
    } else {
      // Linear interpolation between the two nearest source pixel centres.
      const double c = (i + 0.5) * scale - 0.5;
      int s0 = int(std::floor(c));
      double f = c - s0;
      if (s0 < 0) s0 = 0, f = 0;
      if (s0 >= from - 1) s0 = from - 1, f = 0;
      t.first.push_back(s0);
      t.count.push_back(f > 0 ? 2 : 1);
      t.weights.push_back(float(1 - f));
      if (f > 0) t.weights.push_back(float(f));
    }
  }
  return t;
}

}  // namespace

bool LoadCellImage(const std::string& colour_path, const std::string& alpha_path,
                   const CellLoadOptions& options, CellImage* out, std::string* error) {
  Image colour;
  if (!ReadPicture(colour_path, &colour)) {
    *error = FormatMessage(kColourNotLoaded, colour_path.c_str());
    return false;
  }
  const bool indexed = colour.format == PixelFormat::kIndexed;
  const bool rgb = colour.format == PixelFormat::kRgb || colour.format == PixelFormat::kRgba;
  if (!indexed && !(rgb && options.true_colour)) {
    *error = FormatMessage(kColourNotIndexed, colour_path.c_str());
    return false;
  }
  Image alpha;
  if (!alpha_path.empty()) {
    if (!ReadPicture(alpha_path, &alpha)) {
      *error = FormatMessage(kAlphaNotLoaded, alpha_path.c_str());
      return false;
    }
    if (!ToGreyImage(&alpha)) {
      *error = FormatMessage(kAlphaNotGrey, alpha_path.c_str());
      return false;
    }
    if (alpha.width != colour.width || alpha.height != colour.height) {
      *error = FormatMessage(kAlphaSize, alpha_path.c_str(), colour_path.c_str());
      return false;
    }
  }
  CellImage& c = *out;
  c = CellImage();
  c.width = c.full_width = colour.width;
  c.height = c.full_height = colour.height;
  c.true_colour = !indexed;
  const size_t n = size_t(colour.width) * size_t(colour.height);
  if (indexed) {
    c.palette = colour.palette;
    if (c.palette.count <= 0) c.palette.count = 1;
    c.pixels.resize(n * 2);
    for (size_t i = 0; i < n; ++i) c.pixels[i * 2] = 255, c.pixels[i * 2 + 1] = colour.pixels[i];
  } else {
    c.pixels = ExpandToRgba(colour);
  }
  if (!alpha.pixels.empty()) {
    const size_t bpp = size_t(c.BytesPerPixel()), at = c.true_colour ? 3 : 0;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t a = alpha.pixels[i];
      c.pixels[i * bpp + at] = options.invert_alphas ? uint8_t(255 - a) : a;
    }
  }
  return true;
}

void CropToVisible(CellImage* image) {
  int left = image->width, top = image->height, right = -1, bottom = -1;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      if (!image->Alpha(size_t(y) * size_t(image->width) + size_t(x))) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) {
    image->width = image->height = 0;
    image->pixels.clear();
    return;
  }
  const int w = right - left + 1, h = bottom - top + 1;
  if (w == image->width && h == image->height) return;
  const size_t bpp = size_t(image->BytesPerPixel());
  std::vector<uint8_t> out(size_t(w) * size_t(h) * bpp);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src =
        image->pixels.data() + (size_t(top + y) * size_t(image->width) + size_t(left)) * bpp;
    std::memcpy(out.data() + size_t(y) * size_t(w) * bpp, src, size_t(w) * bpp);
  }
  image->pixels = std::move(out);
  image->width = w;
  image->height = h;
  image->crop_left += left;
  image->crop_top += top;
}

// ---- The store

uint64_t ImageStore::Hash(const CellImage& image) {
  const std::string_view bytes(reinterpret_cast<const char*>(image.pixels.data()),
                               image.pixels.size());
  uint64_t h = std::hash<std::string_view>()(bytes);
  h ^= (uint64_t(image.width) << 32 | uint64_t(uint32_t(image.height))) * 0x9E3779B97F4A7C15ull;
  if (!image.true_colour) {
    const std::string_view palette(reinterpret_cast<const char*>(image.palette.entries),
                                   sizeof(Rgb) * size_t(std::clamp(image.palette.count, 0, 256)));
    h = h * 31 + std::hash<std::string_view>()(palette);
  }
  return h;
}

bool ImageStore::Same(const CellImage& a, const CellImage& b) {
  if (a.width != b.width || a.height != b.height || a.true_colour != b.true_colour ||
      a.pixels != b.pixels)
    return false;
  if (a.true_colour) return true;
  if (a.palette.count != b.palette.count) return false;
  for (int i = 0; i < std::clamp(a.palette.count, 0, 256); ++i) {
    if (a.palette.entries[i] != b.palette.entries[i]) return false;
  }
  return true;
}

size_t ImageStore::Add(CellImage&& image, const std::string& source) {
  const uint64_t h = Hash(image);
  const auto range = by_hash_.equal_range(h);
  for (auto it = range.first; it != range.second; ++it) {
    if (Same(images_[it->second], image)) return it->second;
  }
  images_.push_back(std::move(image));
  sources_.push_back(source);
  by_hash_.emplace(h, images_.size() - 1);
  return images_.size() - 1;
}

void ImageStore::Clear() {
  images_.clear();
  sources_.clear();
  by_hash_.clear();
}

// ---- Resampling

std::vector<uint8_t> ResampleRgba(const uint8_t* rgba, int w, int h, int new_w, int new_h) {
  // Premultiplied, so that transparent pixels lend no colour to their neighbours.
  std::vector<float> pre(size_t(w) * size_t(h) * 4);
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
    const float a = rgba[i * 4 + 3] / 255.0f;
    for (int k = 0; k < 3; ++k) pre[i * 4 + size_t(k)] = rgba[i * 4 + size_t(k)] * a;
    pre[i * 4 + 3] = rgba[i * 4 + 3];
  }
  const Taps tx = MakeTaps(w, new_w), ty = MakeTaps(h, new_h);
  std::vector<float> across(size_t(new_w) * size_t(h) * 4, 0.0f);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < new_w; ++x) {
      float* d = &across[(size_t(y) * size_t(new_w) + size_t(x)) * 4];
      for (int t = 0; t < tx.count[size_t(x)]; ++t) {
        const float wgt = tx.weights[size_t(tx.offset[size_t(x)] + t)];
        const float* s = &pre[(size_t(y) * size_t(w) + size_t(tx.first[size_t(x)] + t)) * 4];
        for (int k = 0; k < 4; ++k) d[k] += s[k] * wgt;
      }
    }
  }
  std::vector<uint8_t> out(size_t(new_w) * size_t(new_h) * 4);
  for (int y = 0; y < new_h; ++y) {
    for (int x = 0; x < new_w; ++x) {
      float v[4] = {0, 0, 0, 0};
      for (int t = 0; t < ty.count[size_t(y)]; ++t) {
        const float wgt = ty.weights[size_t(ty.offset[size_t(y)] + t)];
        const float* s = &across[(size_t(ty.first[size_t(y)] + t) * size_t(new_w) + size_t(x)) * 4];
        for (int k = 0; k < 4; ++k) v[k] += s[k] * wgt;
      }
      uint8_t* d = &out[(size_t(y) * size_t(new_w) + size_t(x)) * 4];
      const float a = std::clamp(v[3], 0.0f, 255.0f);
      d[3] = uint8_t(std::lround(a));
      for (int k = 0; k < 3; ++k) {
        const float c = a > 0 ? v[k] * 255.0f / a : 0.0f;
        d[k] = uint8_t(std::lround(std::clamp(c, 0.0f, 255.0f)));
      }
    }
  }
  return out;
}

std::vector<uint8_t> CellRgba(const CellImage& image) {
  if (image.true_colour) return image.pixels;
  const size_t n = size_t(image.width) * size_t(image.height);
  std::vector<uint8_t> rgba(n * 4);
  const int count = std::clamp(image.palette.count, 1, 256);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t index = image.pixels[i * 2 + 1];
    const Rgb& c = image.palette.entries[index < count ? index : 0];
    rgba[i * 4] = c.r, rgba[i * 4 + 1] = c.g, rgba[i * 4 + 2] = c.b;
    rgba[i * 4 + 3] = image.pixels[i * 2];
  }
  return rgba;
}

void ResampleCellImage(CellImage* image, double r) {
  const int new_w = std::max(1, int(std::lround(image->width * r)));
  const int new_h = std::max(1, int(std::lround(image->height * r)));
  image->crop_left = int(std::lround(image->crop_left * r));
  image->crop_top = int(std::lround(image->crop_top * r));
  image->full_width = int(std::lround(image->full_width * r));
  image->full_height = int(std::lround(image->full_height * r));
  if (image->Empty() || (new_w == image->width && new_h == image->height)) return;
  std::vector<uint8_t> rgba =
      ResampleRgba(CellRgba(*image).data(), image->width, image->height, new_w, new_h);
  const size_t n = size_t(new_w) * size_t(new_h);
  if (image->true_colour) {
    image->pixels = std::move(rgba);
  } else {
    // Back onto the picture's own palette: the entries its pixels may use (index 0 and 1 are
    // transparent under the palette rule, so they are left out while entries remain).
    const int count = std::clamp(image->palette.count, 1, 256);
    std::vector<Rgb> choices;
    std::vector<uint8_t> index_of;
    for (int i = count > 2 ? 2 : 0; i < count; ++i) {
      choices.push_back(image->palette.entries[i]);
      index_of.push_back(uint8_t(i));
    }
    const NearestColor nearest(choices);
    image->pixels.assign(n * 2, 0);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* p = &rgba[i * 4];
      if (!p[3]) continue;
      image->pixels[i * 2] = p[3];
      image->pixels[i * 2 + 1] = index_of[size_t(nearest.Find(p[0], p[1], p[2]))];
    }
  }
  image->width = new_w;
  image->height = new_h;
}

}  // namespace brae
