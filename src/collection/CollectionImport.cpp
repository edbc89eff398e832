#include "collection/CollectionImport.h"

#include <algorithm>

#include "collection/BitmapCodec.h"
#include "collection/PaletteMerge.h"
#include "media/MediaFile.h"
#include "media/PngFormat.h"

namespace brae {

namespace {

// Reads the pixels of an image file; false with the message to show.
bool ReadImageFile(const std::string& path, Image* out, std::string* message,
                   MediaType* type = nullptr) {
  MediaFile file(path, MediaGroup::kImage);
  const std::string shown = MessageFileName(path);
  if (!file.ReadHeader()) {
    *message = FormatMessage(kImageWrongFormat, shown.c_str());
    return false;
  }
  if (!file.ReadPixels() || file.image.pixels.size() != file.image.PixelBytes()) {
    *message = FormatMessage(kImageReadError, shown.c_str());
    return false;
  }
  if (size_t(file.image.width) * size_t(file.image.height) > kMaxBitmapPixels) {
    *message = FormatMessage(kImageTooLarge, shown.c_str(), file.image.width, file.image.height);
    return false;
  }
  *out = std::move(file.image);
  if (type) *type = file.type;
  return true;
}

}  // namespace

std::string MessageFileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsPalettedImage(const Image& image) {
  return image.format == PixelFormat::kIndexed || image.format == PixelFormat::kIndexedAlpha;
}

bool ReadImageForBitmap(const std::string& path, Image* out, std::string* message) {
  MediaType type = MediaType::kUnknown;
  if (!ReadImageFile(path, out, message, &type)) return false;
  if (out->format != PixelFormat::kIndexed || type != MediaType::kPng) return true;
  uint8_t alpha[kMaxPaletteSize];
  if (!ReadPngPaletteAlpha(path, alpha) ||
      std::find(alpha, alpha + kMaxPaletteSize, 0) == alpha + kMaxPaletteSize)
    return true;
  // Pixels on the entries that the file marks fully transparent are transparent.
  std::vector<uint8_t> pixels(out->pixels.size() * 2);
  for (size_t i = 0; i < out->pixels.size(); ++i) {
    pixels[i * 2] = alpha[out->pixels[i]] == 0 ? 0 : 255;
    pixels[i * 2 + 1] = out->pixels[i];
  }
  out->pixels = std::move(pixels);
  out->format = PixelFormat::kIndexedAlpha;
  return true;
}

bool ToBitmapImage(Image* image, const CollectionPalette& palette) {
  return ToIndexedAlpha(image, palette);
}

bool ReadBitmapImage(const std::string& path, const CollectionPalette& palette, Image* out,
                     std::string* message) {
  if (!ReadImageForBitmap(path, out, message)) return false;
  if (!IsPalettedImage(*out)) {
    *message = FormatMessage(kImageNotPaletted, MessageFileName(path).c_str());
    return false;
  }
  if (!ToBitmapImage(out, palette)) {
    *message = FormatMessage(kImageReadError, MessageFileName(path).c_str());
    return false;
  }
  return true;
}

bool ToGreyImage(Image* image) {
  if (image->format == PixelFormat::kGrey) return true;
  if (image->format != PixelFormat::kIndexed) return false;
  bool used[256] = {};
  for (uint8_t p : image->pixels) used[p] = true;
  const int count = image->palette.count;
  for (int i = 0; i < 256; ++i) {
    if (!used[i]) continue;
    const Rgb& e = image->palette.entries[i < count ? i : 0];
    if (e.r != e.g || e.g != e.b) return false;
  }
  for (uint8_t& p : image->pixels) p = image->palette.entries[p < count ? p : 0].r;
  image->format = PixelFormat::kGrey;
  image->palette = Palette{};
  return true;
}

bool ReadGreyImage(const std::string& path, Image* out, std::string* message) {
  if (!ReadImageFile(path, out, message)) return false;
  if (ToGreyImage(out)) return true;
  *message = FormatMessage(kImageNotGreyscale, MessageFileName(path).c_str());
  return false;
}

std::unique_ptr<CollectionBitmap> BitmapFromImage(const Image& image, const std::string& path,
                                                  bool take_image, const Question& replace_palette,
                                                  CollectionPalette* palette,
                                                  OperationResult* result) {
  const std::string name = FileBaseName(path).substr(0, kItemNameLength);
  const std::string shown = MessageFileName(path);
  uint8_t map[256];
  PaletteMerger merger;
  if (merger.Merge(image.palette, false, take_image, palette, map))
    return BitmapFromMappedImage(image, map, name);
  if (!replace_palette ||
      !replace_palette(FormatMessage(kPaletteIncompatibleQuestion, shown.c_str())))
    return nullptr;
  if (!merger.Merge(image.palette, true, false, palette, map)) {
    result->Error(FormatMessage(kPaletteNotReplaced, shown.c_str()));
    return nullptr;
  }
  return BitmapFromMappedImage(image, map, name);
}

OperationResult ImportBitmapsFromFiles(Collection* collection,
                                       const std::vector<std::string>& paths,
                                       const Question& replace_palette, const Question& convert) {
  OperationResult result;
  std::vector<Image> images(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string message;
    if (!ReadImageForBitmap(paths[i], &images[i], &message)) result.Error(message);
  }
  if (!result) return result;
  // Every file is read: now each one that is not 8-bit paletted is converted, left out, or
  // (with no one to ask) refused.
  std::vector<bool> skipped(paths.size(), false);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (IsPalettedImage(images[i])) continue;
    const std::string message = FormatMessage(kImageNotPaletted, MessageFileName(paths[i]).c_str());
    if (!convert) {
      result.Error(message);
    } else {
      skipped[i] = !convert(message);
    }
  }
  for (size_t i = 0; i < paths.size() && result; ++i) {
    if (!skipped[i] && !ToBitmapImage(&images[i], collection->palette))
      result.Error(FormatMessage(kImageReadError, MessageFileName(paths[i]).c_str()));
  }
  if (!result) return result;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (skipped[i]) continue;
    CollectionPalette palette = collection->palette;
    auto bitmap = BitmapFromImage(images[i], paths[i], CollectionTakesImagePalette(*collection),
                                  replace_palette, &palette, &result);
    images[i] = Image();  // done with its pixels
    if (!bitmap) continue;
    collection->palette = palette;
    collection->AddBitmap(std::move(bitmap));
    result.changed = true;
    result.bitmaps.push_back(collection->bitmaps.size() - 1);
  }
  return result;
}

std::unique_ptr<CollectionBitmap> ShadowFromGreyImage(const Image& grey, const std::string& name) {
  auto b = CollectionBitmap::MakeIndexed(name, grey.width, grey.height, kBitmapShadow);
  const size_t count = size_t(grey.width) * size_t(grey.height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t v = grey.pixels[i];
    b->pixels[i * 2] = v ? 255 : 0;
    b->pixels[i * 2 + 1] = v;
  }
  return b;
}

OperationResult ImportShadowsFromFiles(Collection* collection,
                                       const std::vector<std::string>& paths) {
  OperationResult result;
  std::vector<Image> images(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string message;
    if (!ReadGreyImage(paths[i], &images[i], &message)) result.Error(message);
  }
  if (!result) return result;
  for (size_t i = 0; i < paths.size(); ++i) {
    collection->AddBitmap(
        ShadowFromGreyImage(images[i], FileBaseName(paths[i]).substr(0, kItemNameLength)));
    result.changed = true;
    result.bitmaps.push_back(collection->bitmaps.size() - 1);
  }
  return result;
}

}  // namespace brae
