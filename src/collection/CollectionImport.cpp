#include "collection/CollectionImport.h"

#include "collection/BitmapCodec.h"
#include "collection/PaletteMerge.h"
#include "media/MediaFile.h"

namespace brae {

namespace {

// Reads the pixels of an image file; false with the message to show.
bool ReadImageFile(const std::string& path, Image* out, std::string* message) {
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
  return true;
}

}  // namespace

std::string MessageFileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadBitmapImage(const std::string& path, const CollectionPalette& palette, Image* out,
                     std::string* message) {
  if (!ReadImageFile(path, out, message)) return false;
  if (!ToIndexedAlpha(out, palette)) {
    *message = FormatMessage(kImageNotPaletted, MessageFileName(path).c_str());
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
                                       const Question& replace_palette) {
  OperationResult result;
  std::vector<Image> images(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string message;
    if (!ReadBitmapImage(paths[i], collection->palette, &images[i], &message))
      result.Error(message);
  }
  if (!result) return result;
  for (size_t i = 0; i < paths.size(); ++i) {
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
