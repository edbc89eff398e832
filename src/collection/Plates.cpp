#include "collection/Plates.h"

#include <algorithm>
#include <cmath>

#include "collection/CollectionImport.h"
#include "collection/PaletteMerge.h"
#include "media/MediaFile.h"

namespace brae {

namespace {

bool AllOnes(const uint8_t* row, int width) {
  for (int x = 0; x < width; ++x) {
    if (row[x] != 1) return false;
  }
  return true;
}

}  // namespace

bool ReadPlateCells(const uint8_t* pixels, int width, int height, std::vector<PlateCell>* cells) {
  cells->clear();
  if (width < 6 || height < 6) return false;
  const size_t w = size_t(width);
  auto at = [&](int x, int y) { return pixels[size_t(y) * w + size_t(x)]; };
  for (int x = 0; x < width; ++x) {
    if (at(x, 0) != (x == 1 ? 1 : 0)) return false;
  }
  if (!AllOnes(pixels + w, width) || !AllOnes(pixels + size_t(height - 1) * w, width)) return false;
  for (int y = 1; y < height; ++y) {
    if (at(1, y) != 1 || at(0, y) > 1) return false;
  }
  int band_top = 2;
  for (int y = 2; y < height; ++y) {
    if (at(0, y) != 1) continue;
    if (!AllOnes(pixels + size_t(y) * w, width)) return false;
    const int band_bottom = y;  // exclusive
    if (band_bottom > band_top) {
      int cell_left = 2;
      for (int x = 2; x <= width; ++x) {
        if (x < width && at(x, band_top) != 1) continue;
        if (x == width && cell_left >= width) break;
        // The cell [cell_left, x) × [band_top, band_bottom).
        int right = -1, bottom = -1;
        for (int cy = band_top + 1; cy < band_bottom; ++cy) {
          const uint8_t* row = pixels + size_t(cy) * w;
          for (int cx = cell_left; cx < x; ++cx) {
            if (row[cx] == 1) {
              right = std::max(right, cx);
              bottom = cy;
            }
          }
        }
        PlateCell cell;
        cell.x = cell_left + 1;
        cell.y = band_top + 1;
        if (right >= 0) {
          cell.width = std::max(0, right - cell.x);
          cell.height = std::max(0, bottom - cell.y);
        }
        if (cells->size() >= kMaxPlateCells) return false;
        cells->push_back(cell);
        cell_left = x + 1;
      }
    }
    band_top = y + 1;
  }
  return true;
}

namespace {

struct PlateLayout {
  int width = 0, height = 0;
  std::vector<std::pair<int, int>> cells;  // bitmap cell's left column and band's top row
  std::vector<int> band_heights;           // per cell: its band's tallest bitmap
};

PlateLayout LayOut(const std::vector<std::pair<int, int>>& sizes, int target, int columns) {
  PlateLayout layout;
  int64_t x = 2, band_y = 2, tallest = 0, in_band = 0, widest = 0;
  std::vector<size_t> band_members;
  auto close_band = [&] {
    for (size_t m : band_members) layout.band_heights[m] = int(tallest);
    widest = std::max(widest, x);
    band_y += tallest + 3;
    x = 2, tallest = 0, in_band = 0;
    band_members.clear();
  };
  layout.band_heights.resize(sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    const int w = sizes[i].first, h = sizes[i].second;
    const bool full = columns > 0 ? in_band >= columns : x + w + 3 > target;
    if (in_band > 0 && full) close_band();
    layout.cells.push_back(
        {int(std::min<int64_t>(x, INT32_MAX)), int(std::min<int64_t>(band_y, INT32_MAX))});
    band_members.push_back(i);
    x += w + 3;
    tallest = std::max<int64_t>(tallest, h);
    ++in_band;
    if (x > INT32_MAX / 2 || band_y > INT32_MAX / 2) break;
  }
  close_band();
  layout.width = int(std::min<int64_t>(widest, INT32_MAX / 2));
  layout.height = int(std::min<int64_t>(sizes.empty() ? 0 : band_y, INT32_MAX / 2));
  return layout;
}

std::vector<int> CandidateWidths() {
  std::vector<int> list;
  for (int p = 1; p <= 65536; p *= 2) {
    list.push_back(p);
    if (p >= 2) list.push_back(p / 2 * 3);
  }
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return list;  // 1, 2, 3, 4, 6, 8, 12, ...
}

}  // namespace

int ChoosePlateWidth(const std::vector<std::pair<int, int>>& sizes) {
  int widest = 0;
  for (const auto& s : sizes) widest = std::max(widest, s.first);
  int best = 0;
  double best_score = 0;
  for (int t : CandidateWidths()) {
    if (t <= widest + 5) continue;
    const PlateLayout layout = LayOut(sizes, t, 0);
    const double score =
        layout.width > 0 ? std::fabs(double(layout.height) / layout.width - 1.0) : 0;
    if (best == 0 || score < best_score) best = t, best_score = score;
    if (t >= 32768) break;
  }
  return best;
}

namespace {

// The plate of a list of bitmaps; a null entry is an empty cell (three columns wide, without a
// marker).
bool MakePlateOf(const Collection& collection, const std::vector<const CollectionBitmap*>& bitmaps,
                 const PlateOptions& options, Image* out, std::string* message) {
  std::vector<std::pair<int, int>> sizes;
  bool any = false;
  for (const CollectionBitmap* b : bitmaps) {
    if (b && (b->IsHighColour() || !b->HasPixels())) {
      *message = FormatMessage(kPlateHighColour, b->name.c_str());
      return false;
    }
    any = any || b;
    sizes.push_back(b ? std::make_pair(b->width, b->height) : std::make_pair(0, 0));
  }
  if (!any) {
    *message = kPlateNothing;
    return false;
  }
  const int target = options.columns > 0 ? 0 : ChoosePlateWidth(sizes);
  const PlateLayout layout = LayOut(sizes, target, options.columns);
  if (layout.cells.size() != bitmaps.size() ||
      !Image::AcceptableSize(layout.width, layout.height)) {
    *message = FormatMessage(kPlateTooLarge, layout.width, layout.height);
    return false;
  }
  Image& plate = *out;
  plate = Image();
  plate.format = PixelFormat::kIndexed;
  plate.width = layout.width;
  plate.height = layout.height;
  plate.palette.count = 256;
  for (int i = 0; i < 256; ++i) {
    const PaletteColor& c = collection.palette[size_t(i)];
    plate.palette.entries[i] =
        options.alpha && i >= 2 ? Rgb{uint8_t(i), uint8_t(i), uint8_t(i)} : Rgb{c.r, c.g, c.b};
  }
  const size_t w = size_t(plate.width);
  plate.pixels.assign(w * size_t(plate.height), 0);
  auto set = [&](int x, int y) { plate.pixels[size_t(y) * w + size_t(x)] = 1; };
  plate.pixels[1] = 1;
  for (int y = 1; y < plate.height; ++y) set(1, y), set(plate.width - 1, y);
  std::fill(plate.pixels.begin() + std::ptrdiff_t(w), plate.pixels.begin() + std::ptrdiff_t(2 * w),
            1);
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    const int cx = layout.cells[i].first, by = layout.cells[i].second;
    const int band_height = layout.band_heights[i] + 3;
    for (int y = by; y < by + band_height; ++y) set(cx - 1, y);
    std::fill(plate.pixels.begin() + std::ptrdiff_t(size_t(by + band_height - 1) * w),
              plate.pixels.begin() + std::ptrdiff_t(size_t(by + band_height) * w), 1);
    if (!bitmaps[i]) continue;
    const CollectionBitmap& b = *bitmaps[i];
    const uint8_t clear = b.IsRle() ? 0 : 1;
    for (int y = 0; y < b.height; ++y) {
      uint8_t* row = &plate.pixels[size_t(by + 1 + y) * w + size_t(cx + 1)];
      for (int x = 0; x < b.width; ++x) {
        const uint8_t* p = b.Pixel(x, y);
        row[x] = options.alpha ? p[0] : (p[0] ? p[1] : clear);
      }
    }
    set(cx + 1 + b.width, by + 1 + b.height);
  }
  return true;
}

}  // namespace

bool MakePlate(const Collection& collection, const std::vector<size_t>& indices,
               const PlateOptions& options, Image* out, std::string* message) {
  std::vector<const CollectionBitmap*> bitmaps;
  for (size_t index : indices)
    if (const CollectionBitmap* b = collection.BitmapAt(index)) bitmaps.push_back(b);
  return MakePlateOf(collection, bitmaps, options, out, message);
}

bool MakeCellPlate(const Collection& collection, const std::vector<int>& cells,
                   const PlateOptions& options, Image* out, std::string* message) {
  std::vector<const CollectionBitmap*> bitmaps;
  for (int index : cells)
    bitmaps.push_back(index >= 0 ? collection.BitmapAt(size_t(index)) : nullptr);
  return MakePlateOf(collection, bitmaps, options, out, message);
}

OperationResult ExportPlate(const Collection& collection, const std::vector<size_t>& indices,
                            const PlateOptions& options, const std::string& path) {
  OperationResult result;
  MediaFile file(path, MediaGroup::kImage);
  std::string message;
  if (!MakePlate(collection, indices, options, &file.image, &message)) return result.Error(message);
  file.type = MediaTypeFromPath(path);
  if (!file.Write()) return result.Error(file.Error());
  return result;
}

namespace {

// A plate file's pixels (one byte each) and cells; a colour plate must be colour-indexed, an
// alpha plate may also be greyscale.
bool ReadPlateFile(const std::string& path, bool alpha, Image* image, std::vector<PlateCell>* cells,
                   OperationResult* result) {
  const std::string shown = MessageFileName(path);
  const char* bad = alpha ? kAlphaPlateMismatch : kPlateIncompatible;
  MediaFile file(path, MediaGroup::kImage);
  if (!file.ReadHeader()) {
    result->Error(FormatMessage(kImageWrongFormat, shown.c_str()));
    return false;
  }
  if (!file.ReadPixels() || file.image.pixels.size() != file.image.PixelBytes()) {
    result->Error(FormatMessage(kImageReadError, shown.c_str()));
    return false;
  }
  const PixelFormat f = file.image.format;
  if (!(f == PixelFormat::kIndexed || (alpha && f == PixelFormat::kGrey)) ||
      !ReadPlateCells(file.image.pixels.data(), file.image.width, file.image.height, cells)) {
    result->Error(FormatMessage(bad, shown.c_str()));
    return false;
  }
  *image = std::move(file.image);
  return true;
}

// The cells as bitmaps, colours merged into *palette. Empty cells give none.
bool PlateBitmaps(const Image& plate, const std::vector<PlateCell>& cells, bool take_image,
                  const std::string& path, CollectionPalette* palette,
                  std::vector<std::unique_ptr<CollectionBitmap>>* bitmaps,
                  OperationResult* result) {
  uint8_t map[256];
  if (!PaletteMerger().Merge(plate.palette, false, take_image, palette, map)) {
    result->Error(FormatMessage(kPlateIncompatible, MessageFileName(path).c_str()));
    return false;
  }
  const std::string base = FileBaseName(path);
  for (size_t i = 0; i < cells.size(); ++i) {
    const PlateCell& c = cells[i];
    if (c.Empty()) {
      bitmaps->push_back(nullptr);
      continue;
    }
    const uint8_t* start = &plate.pixels[size_t(c.y) * size_t(plate.width) + size_t(c.x)];
    bitmaps->push_back(BitmapFromIndexedPixels(
        start, size_t(plate.width), c.width, c.height, map,
        FormatMessage(kPlateBitmapName, base.c_str(), int(i)).substr(0, kItemNameLength)));
  }
  return true;
}

}  // namespace

OperationResult AddBitmapsFromPlate(Collection* collection, const std::string& path,
                                    std::vector<int>* cell_bitmaps) {
  OperationResult result;
  Image plate;
  std::vector<PlateCell> cells;
  if (!ReadPlateFile(path, false, &plate, &cells, &result)) return result;
  CollectionPalette palette = collection->palette;
  std::vector<std::unique_ptr<CollectionBitmap>> bitmaps;
  if (!PlateBitmaps(plate, cells, CollectionTakesImagePalette(*collection), path, &palette,
                    &bitmaps, &result))
    return result;
  collection->palette = palette;
  if (cell_bitmaps) cell_bitmaps->clear();
  for (auto& b : bitmaps) {
    if (!b) {
      if (cell_bitmaps) cell_bitmaps->push_back(-1);
      continue;
    }
    collection->AddBitmap(std::move(b));
    result.bitmaps.push_back(collection->bitmaps.size() - 1);
    if (cell_bitmaps) cell_bitmaps->push_back(int(collection->bitmaps.size() - 1));
    result.changed = true;
  }
  return result;
}

OperationResult ReplaceFromPlate(Collection* collection, const std::vector<size_t>& indices,
                                 const std::string& path) {
  OperationResult result;
  Image plate;
  std::vector<PlateCell> cells;
  if (!ReadPlateFile(path, false, &plate, &cells, &result)) return result;
  CollectionPalette palette = collection->palette;
  std::vector<std::unique_ptr<CollectionBitmap>> bitmaps;
  if (!PlateBitmaps(plate, cells, false, path, &palette, &bitmaps, &result)) return result;
  if (bitmaps.size() != indices.size())
    return result.Error(
        FormatMessage(kPlateCountMismatch, int(bitmaps.size()), int(indices.size())));
  for (const auto& b : bitmaps) {
    if (!b) return result.Error(kPlateEmptyCell);
  }
  for (size_t index : indices) {
    if (!collection->BitmapAt(index)) return result.Error(kPlateEmptyCell);
  }
  collection->palette = palette;
  for (size_t i = 0; i < indices.size(); ++i) {
    TakePicture(collection->BitmapAt(indices[i]), std::move(*bitmaps[i]));
    result.bitmaps.push_back(indices[i]);
  }
  result.changed = !indices.empty();
  return result;
}

OperationResult ReplaceAlphaFromPlate(Collection* collection, const std::vector<size_t>& indices,
                                      const std::string& path) {
  OperationResult result;
  Image plate;
  std::vector<PlateCell> cells;
  if (!ReadPlateFile(path, true, &plate, &cells, &result)) return result;
  bool match = cells.size() == indices.size();
  for (size_t i = 0; match && i < indices.size(); ++i) {
    const CollectionBitmap* b = collection->BitmapAt(indices[i]);
    match = b && !b->IsHighColour() && b->HasPixels() && b->width == cells[i].width &&
            b->height == cells[i].height;
  }
  if (!match)
    return result.Error(FormatMessage(kAlphaPlateMismatch, MessageFileName(path).c_str()));
  for (size_t i = 0; i < indices.size(); ++i) {
    const PlateCell& c = cells[i];
    ApplyAlpha(collection->BitmapAt(indices[i]),
               &plate.pixels[size_t(c.y) * size_t(plate.width) + size_t(c.x)], size_t(plate.width));
    result.bitmaps.push_back(indices[i]);
  }
  result.changed = !indices.empty();
  return result;
}

std::string DefaultPlateName(const Collection& collection, bool alpha) {
  return collection.name + (alpha ? kAlphaPlateNameSuffix : kPlateNameSuffix);
}

}  // namespace brae
