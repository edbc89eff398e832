#include "collection/BitmapReplace.h"

#include "collection/CollectionImport.h"
#include "collection/PaletteMerge.h"

namespace brae {

namespace {

// ReadBitmapImage, with the question whether a file that is not paletted is to be converted.
bool ReadReplacementImage(const std::string& path, const CollectionPalette& palette,
                          const Question& convert, Image* out, std::string* message) {
  if (!convert) return ReadBitmapImage(path, palette, out, message);
  if (!ReadImageForBitmap(path, out, message)) return false;
  const std::string shown = MessageFileName(path);
  if (!IsPalettedImage(*out) && !convert(FormatMessage(kImageNotPaletted, shown.c_str()))) {
    *message = FormatMessage(kImageNotPaletted, shown.c_str());
    return false;
  }
  if (!ToBitmapImage(out, palette)) {
    *message = FormatMessage(kImageReadError, shown.c_str());
    return false;
  }
  return true;
}

}  // namespace

const char* ReplaceDialogTitle(ReplaceKind kind, size_t count) {
  const bool one = count == 1;
  switch (kind) {
    case ReplaceKind::kShadow:
      return one ? kReplaceShadowTitle : kReplaceShadowsTitle;
    case ReplaceKind::kAlpha:
      return one ? kReplaceAlphaTitle : kReplaceAlphasTitle;
    default:
      return one ? kReplaceBitmapTitle : kReplaceBitmapsTitle;
  }
}

bool PairReplacementFiles(const Collection& collection, const std::vector<size_t>& indices,
                          const std::vector<std::string>& paths, ReplaceMapping mapping,
                          ReplaceKind kind, std::vector<size_t>* pairs, std::string* message) {
  pairs->clear();
  for (size_t i : indices) {
    if (!collection.BitmapAt(i)) {
      *message = "There is no such bitmap.";
      return false;
    }
  }
  if (mapping == ReplaceMapping::kByOrder) {
    if (paths.size() != indices.size()) {
      *message = FormatMessage(kReplaceCountMismatch, int(paths.size()), int(indices.size()));
      return false;
    }
    for (size_t i = 0; i < indices.size(); ++i) pairs->push_back(i);
    return true;
  }
  if (paths.size() < indices.size()) {
    *message = FormatMessage(kReplaceTooFewFiles, int(paths.size()), int(indices.size()));
    return false;
  }
  const size_t none = size_t(-1);
  pairs->assign(indices.size(), none);
  const std::string suffix = kind == ReplaceKind::kAlpha ? " alpha" : "";
  for (size_t f = 0; f < paths.size(); ++f) {
    const std::string base = FileBaseName(paths[f]);
    for (size_t b = 0; b < indices.size(); ++b) {
      if ((*pairs)[b] == none && collection.BitmapAt(indices[b])->name + suffix == base) {
        (*pairs)[b] = f;
        break;
      }
    }
  }
  std::vector<std::string> unpaired;
  for (size_t b = 0; b < indices.size(); ++b) {
    if ((*pairs)[b] == none) unpaired.push_back(collection.BitmapAt(indices[b])->name);
  }
  if (unpaired.empty()) return true;
  std::string text = kReplaceNotMatched;
  const size_t listed = std::min(unpaired.size(), size_t(kReplaceNotMatchedListed));
  for (size_t i = 0; i < listed; ++i) text += (i ? ", " : "") + unpaired[i];
  text += ".";
  if (unpaired.size() > listed)
    text += " " + FormatMessage(kReplaceMoreNotMatched, int(unpaired.size() - listed));
  *message = text;
  pairs->clear();
  return false;
}

OperationResult ReplaceFromFiles(Collection* collection, const std::vector<size_t>& indices,
                                 const std::vector<std::string>& paths, ReplaceMapping mapping,
                                 ReplaceKind kind, const Question& replace_palette,
                                 const Question& convert) {
  OperationResult result;
  std::vector<size_t> pairs;
  std::string message;
  if (!PairReplacementFiles(*collection, indices, paths, mapping, kind, &pairs, &message))
    return result.Error(message);
  // Every paired file is read and checked before anything changes.
  std::vector<Image> images(indices.size());
  for (size_t i = 0; i < indices.size(); ++i) {
    const std::string& path = paths[pairs[i]];
    const bool ok =
        kind == ReplaceKind::kBitmap
            ? ReadReplacementImage(path, collection->palette, convert, &images[i], &message)
            : ReadGreyImage(path, &images[i], &message);
    if (!ok) {
      result.Error(message);
      continue;
    }
    const CollectionBitmap& b = *collection->BitmapAt(indices[i]);
    if (kind == ReplaceKind::kAlpha && b.IsHighColour()) {
      result.Error(FormatMessage(kAlphaHighColour, b.name.c_str()));
    } else if (kind == ReplaceKind::kAlpha &&
               (images[i].width != b.width || images[i].height != b.height)) {
      result.Error(FormatMessage(kAlphaSizeMismatch, MessageFileName(path).c_str(), images[i].width,
                                 images[i].height, b.width, b.height));
    }
  }
  if (!result) return result;
  // The new bitmaps, made on a copy of the palette.
  CollectionPalette palette = collection->palette;
  std::vector<std::unique_ptr<CollectionBitmap>> made(indices.size());
  for (size_t i = 0; i < indices.size() && kind != ReplaceKind::kAlpha; ++i) {
    const std::string& path = paths[pairs[i]];
    if (kind == ReplaceKind::kShadow) {
      made[i] = ShadowFromGreyImage(images[i], FileBaseName(path).substr(0, kItemNameLength));
      continue;
    }
    made[i] = BitmapFromImage(images[i], path, false, replace_palette, &palette, &result);
    if (!made[i]) {
      result.ok = false;  // declined or failed: nothing is replaced
      return result;
    }
  }
  collection->palette = palette;
  for (size_t i = 0; i < indices.size(); ++i) {
    CollectionBitmap* target = collection->BitmapAt(indices[i]);
    if (kind == ReplaceKind::kAlpha) {
      ApplyAlpha(target, images[i].pixels.data(), size_t(images[i].width));
    } else {
      target->name = made[i]->name;
      TakePicture(target, std::move(*made[i]));
    }
    result.bitmaps.push_back(indices[i]);
  }
  result.changed = !indices.empty();
  return result;
}

OperationResult ReplaceBitmapFromFile(Collection* collection, size_t index, const std::string& path,
                                      const Question& replace_palette) {
  const CollectionBitmap* b = collection->BitmapAt(index);
  if (!b) return OperationResult().Error("There is no such bitmap.");
  const std::string name = b->name;
  const ReplaceKind kind = b->IsShadow() ? ReplaceKind::kShadow : ReplaceKind::kBitmap;
  Question convert;
  if (!b->IsShadow() && !b->IsHighColour() && (b->flags & kBitmapTwoBytes))
    convert = [](const std::string&) { return true; };
  OperationResult result = ReplaceFromFiles(collection, {index}, {path}, ReplaceMapping::kByOrder,
                                            kind, replace_palette, convert);
  if (result.changed) collection->BitmapAt(index)->name = name;
  return result;
}

}  // namespace brae
