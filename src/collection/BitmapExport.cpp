#include "collection/BitmapExport.h"

#include <cctype>
#include <cstring>
#include <set>

#include "collection/HueMath.h"
#include "media/MediaFile.h"
#include "tagstore/FileSystem.h"

namespace brae {

Image BitmapColourImage(const Collection& c, const CollectionBitmap& b) {
  Image image;
  image.width = b.width;
  image.height = b.height;
  const size_t count = size_t(b.width) * size_t(b.height);
  if (b.IsHighColour()) {
    image.format = PixelFormat::kRgba;
    image.pixels.resize(count * 4);
    for (size_t i = 0; i < count; ++i)
      HighColourPixelRgba(c, &b.pixels[i * 8], &image.pixels[i * 4]);
    return image;
  }
  image.format = PixelFormat::kIndexed;
  image.palette.count = 256;
  for (int i = 0; i < 256; ++i) {
    const PaletteColor& p = c.palette[size_t(i)];
    image.palette.entries[i] =
        b.IsShadow() ? Rgb{uint8_t(i), uint8_t(i), uint8_t(i)} : Rgb{p.r, p.g, p.b};
  }
  const uint8_t clear = b.IsRle() ? 0 : 1;
  image.pixels.resize(count);
  for (size_t i = 0; i < count; ++i)
    image.pixels[i] = b.pixels[i * 2] ? b.pixels[i * 2 + 1] : clear;
  return image;
}

Image BitmapAlphaImage(const CollectionBitmap& b) {
  Image image;
  image.format = PixelFormat::kGrey;
  image.width = b.width;
  image.height = b.height;
  const size_t count = size_t(b.width) * size_t(b.height);
  image.pixels.resize(count);
  for (size_t i = 0; i < count; ++i) {
    image.pixels[i] =
        b.IsHighColour() ? uint8_t((b.pixels[i * 8 + 3] & 31) * 255 / 31) : b.pixels[i * 2];
  }
  return image;
}

std::string SafeFileName(const std::string& name) {
  std::string safe;
  for (char c : name) safe += (std::strchr("\\/|\"<>*?:", c) || uint8_t(c) < 32) ? '_' : c;
  if (safe.empty() || safe == "." || safe == "..") safe = "_" + safe;
  return safe;
}

std::string DefaultExportName(const CollectionBitmap& bitmap, bool alpha) {
  return bitmap.name + (alpha ? kAlphaNameSuffix : "");
}

namespace {

bool WriteImage(Image image, const std::string& path, OperationResult* result) {
  MediaFile file(path, MediaGroup::kImage);
  file.image = std::move(image);
  if (file.Write()) return true;
  result->Error(file.Error());
  return false;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(uint8_t(c)));
  return s;
}

}  // namespace

OperationResult ExportBitmapToFile(const Collection& collection, size_t index, bool alpha,
                                   const std::string& path) {
  OperationResult result;
  const CollectionBitmap* b = collection.BitmapAt(index);
  if (!b || !b->HasPixels()) return result.Error("There is no bitmap to export.");
  WriteImage(alpha ? BitmapAlphaImage(*b) : BitmapColourImage(collection, *b), path, &result);
  return result;
}

Image BitmapEditImage(const Collection& c, const CollectionBitmap& b) {
  if (b.IsShadow() || b.IsHighColour() || !(b.flags & kBitmapTwoBytes))
    return BitmapColourImage(c, b);
  Image image;
  image.format = PixelFormat::kRgba;
  image.width = b.width;
  image.height = b.height;
  const size_t count = size_t(b.width) * size_t(b.height);
  image.pixels.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const PaletteColor& p = c.palette[b.pixels[i * 2 + 1]];
    uint8_t* out = &image.pixels[i * 4];
    out[0] = p.r, out[1] = p.g, out[2] = p.b, out[3] = b.pixels[i * 2];
  }
  return image;
}

OperationResult WriteBitmapForEditing(const Collection& collection, size_t index,
                                      const std::string& path) {
  OperationResult result;
  const CollectionBitmap* b = collection.BitmapAt(index);
  if (!b || !b->HasPixels()) return result.Error("There is no bitmap to export.");
  if (b->IsHighColour()) return result.Error(FormatMessage(kExternalHighColour, b->name.c_str()));
  WriteImage(BitmapEditImage(collection, *b), path, &result);
  return result;
}

OperationResult ExportBitmapsToFolder(const Collection& collection,
                                      const std::vector<size_t>& indices, const std::string& folder,
                                      ExportNaming naming, bool alpha, MediaType type,
                                      std::vector<std::string>* written) {
  OperationResult result;
  const char* extension = MediaTypeInfoOf(type).extension;
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (size_t n = 0; n < indices.size(); ++n) {
    const CollectionBitmap* b = collection.BitmapAt(indices[n]);
    if (!b || !b->HasPixels()) return result.Error("There is no bitmap to export.");
    std::string name;
    switch (naming) {
      case ExportNaming::kByNumbering:
        name = FormatMessage(kExportNumberedName,
                             alpha           ? "alpha"
                             : b->IsShadow() ? "shadow"
                                             : "bitmap",
                             int(n));
        break;
      case ExportNaming::kByName:
        name = SafeFileName(DefaultExportName(*b, alpha));
        if (!seen.insert(Lower(name)).second) return result.Error(kExportNamesNotDistinct);
        break;
      case ExportNaming::kByPosition:
        name = FormatMessage("%04zu ", indices[n]) + SafeFileName(DefaultExportName(*b, alpha));
        break;
    }
    names.push_back(name + extension);
  }
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  if (!indices.empty() && !MakeFolder(dir))
    return result.Error("The folder '" + folder + "' could not be created.");
  for (size_t n = 0; n < indices.size(); ++n) {
    const CollectionBitmap& b = *collection.BitmapAt(indices[n]);
    const std::string path = dir + names[n];
    if (!WriteImage(alpha ? BitmapAlphaImage(b) : BitmapColourImage(collection, b), path, &result))
      return result;
    if (written) written->push_back(path);
  }
  return result;
}

}  // namespace brae
