#include "terrain/DetailImages.h"

#include <algorithm>
#include <cstdio>

#include "media/ColorTable.h"
#include "media/MediaFile.h"
#include "terrain/Mesh.h"

namespace brae {

HighlightTable DefaultHighlightTable() {
  static const Rgb kColours[8] = {{255, 8, 51},  {221, 0, 230}, {42, 12, 255}, {0, 123, 255},
                                  {0, 246, 204}, {32, 255, 26}, {212, 242, 0}, {255, 120, 0}};
  HighlightTable table;
  for (int i = 0; i < kMaxPaletteSize; ++i) table.colours[i] = kColours[i % 8];
  return table;
}

HighlightTable LoadHighlightTable(const std::string& path, bool* wrote_default) {
  HighlightTable table;
  int count = 0;
  if (ReadColorTable(path, table.colours, &count)) {
    if (wrote_default) *wrote_default = false;
    return table;
  }
  table = DefaultHighlightTable();
  SaveHighlightTable(path, table, kMaxPaletteSize);
  if (wrote_default) *wrote_default = true;
  return table;
}

bool SaveHighlightTable(const std::string& path, const HighlightTable& table, int count) {
  return WriteColorTable(path, table.colours, count);
}

void ApplyMaterialHighlights(const DetailMap& map, HighlightTable* table) {
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    const uint8_t* c = map.materials[i].entry.highlight;
    table->colours[i] = Rgb{c[0], c[1], c[2]};
  }
}

void ApplyHighlightsToMaterials(const HighlightTable& table, DetailMap* map) {
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    uint8_t* c = map->materials[i].entry.highlight;
    c[0] = table.colours[i].r;
    c[1] = table.colours[i].g;
    c[2] = table.colours[i].b;
  }
}

namespace {

int ExpectedWidth(const DetailMap& map) {
  return kDetailBlock * map.width;
}
int ExpectedHeight(const DetailMap& map) {
  return kDetailBlock * map.height;
}

// The stored column of the image for an unmirrored column.
int Mirrored(int width, int x) {
  return width - 1 - x;
}

}  // namespace

Image ExportDetailImage(const DetailMap& map, DetailKind kind, const HighlightTable& table) {
  Image image;
  image.format = PixelFormat::kIndexed;
  image.width = ExpectedWidth(map);
  image.height = ExpectedHeight(map);
  image.palette.count = kMaxPaletteSize;
  for (int i = 0; i < kMaxPaletteSize; ++i) image.palette.entries[i] = table.colours[i];
  image.pixels.resize(image.PixelBytes());
  for (int py = 0; py < image.height; ++py) {
    const int y = py / kDetailBlock, row = py % kDetailBlock;
    uint8_t* line = image.pixels.data() + size_t(py) * image.width;
    for (int px = 0; px < image.width; ++px) {
      const int x = px / kDetailBlock;
      uint8_t value;
      if (kind == DetailKind::kVertex) {
        value = map.VertexMaterial(x, y);
      } else {
        value = map.TriangleMaterial(
            x, y, TriangleOfBlockPixel(CellParity(x, y), px % kDetailBlock, row));
      }
      line[Mirrored(image.width, px)] = value;
    }
  }
  return image;
}

bool WriteDetailImageFile(const DetailMap& map, DetailKind kind, const HighlightTable& table,
                          const std::string& path, std::string* error) {
  MediaFile file(path);
  file.image = ExportDetailImage(map, kind, table);
  if (file.Write()) return true;
  if (error) *error = file.Error();
  return false;
}

std::optional<std::string> CheckDetailImage(const DetailMap& map, DetailKind kind, int width,
                                            int height, PixelFormat format) {
  if (width != ExpectedWidth(map) || height != ExpectedHeight(map)) {
    char text[160];
    std::snprintf(text, sizeof text,
                  kind == DetailKind::kVertex
                      ? "Image dimensions (%d,%d) do not match mesh dimensions (%d,%d)"
                      : "Image dimensions (%d,%d) do not match expected dimensions (%d,%d)",
                  width, height, ExpectedWidth(map), ExpectedHeight(map));
    return std::string(text);
  }
  if (format != PixelFormat::kIndexed && format != PixelFormat::kGrey) {
    return std::string(kDetailImageFormatText);
  }
  return std::nullopt;
}

namespace {

// Counts values over an element's pixels and picks the most frequent (ties: the smaller).
class Tally {
 public:
  void Add(uint8_t v) {
    if (counts_[v]++ == 0) used_[distinct_++] = v;
    ++total_;
  }
  // The winner, and whether it covered every pixel; resets the tally.
  uint8_t Take(bool* perfect) {
    int best = -1;
    for (int i = 0; i < distinct_; ++i) {
      const uint8_t v = used_[i];
      if (best < 0 || counts_[v] > counts_[best] || (counts_[v] == counts_[best] && v < best)) {
        best = v;
      }
    }
    *perfect = best >= 0 && counts_[best] == total_;
    for (int i = 0; i < distinct_; ++i) counts_[used_[i]] = 0;
    distinct_ = total_ = 0;
    return uint8_t(best < 0 ? 0 : best);
  }

 private:
  int counts_[256] = {};
  uint8_t used_[64] = {};
  int distinct_ = 0;
  int total_ = 0;
};

}  // namespace

bool ApplyDetailImage(DetailMap& map, DetailKind kind, const Image& image,
                      const DetailProtection& protection) {
  // Mirror the rows back while reading: column px of the map is stored at width-1-px.
  auto pixel = [&](int px, int py) {
    return image.pixels[size_t(py) * image.width + size_t(Mirrored(image.width, px))];
  };
  bool imperfect = false;
  Tally tally[2];
  for (int y = 0; y < map.height; ++y) {
    for (int x = 0; x < map.width; ++x) {
      const int parity = CellParity(x, y);
      for (int row = 0; row < kDetailBlock; ++row) {
        for (int col = 0; col < kDetailBlock; ++col) {
          const uint8_t v = pixel(kDetailBlock * x + col, kDetailBlock * y + row);
          tally[kind == DetailKind::kVertex ? 0 : TriangleOfBlockPixel(parity, col, row)].Add(v);
        }
      }
      const int elements = kind == DetailKind::kVertex ? 1 : 2;
      for (int t = 0; t < elements; ++t) {
        bool perfect = false;
        const uint8_t winner = std::min<uint8_t>(tally[t].Take(&perfect), 127);
        if (!perfect) imperfect = true;
        uint8_t& slot = kind == DetailKind::kVertex
                            ? map.vertex_details[size_t(y) * map.width + x]
                            : map.triangle_details[2 * (size_t(y) * map.width + x) + t];
        if (!protection.Keeps(slot)) slot = winner;
      }
    }
  }
  return imperfect;
}

DetailImportResult ImportDetailImageFile(DetailMap& map, DetailKind kind, const std::string& path,
                                         const DetailProtection& protection) {
  DetailImportResult result;
  MediaFile file(path, MediaGroup::kImage);
  if (!file.ReadHeader()) {
    result.error = kDetailImageReadText;
    return result;
  }
  if (auto refused =
          CheckDetailImage(map, kind, file.image.width, file.image.height, file.image.format)) {
    result.error = *refused;
    return result;
  }
  if (!file.ReadPixels() || file.image.pixels.size() != file.image.PixelBytes()) {
    result.error = kDetailImageReadText;
    return result;
  }
  result.imperfect = ApplyDetailImage(map, kind, file.image, protection);
  if (file.image.format == PixelFormat::kIndexed) {
    result.has_palette = true;
    for (int i = 0; i < kMaxPaletteSize; ++i) {
      result.palette.colours[i] =
          i < file.image.palette.count ? file.image.palette.entries[i] : Rgb{};
    }
  }
  result.ok = true;
  return result;
}

std::string DetailExportName(const std::string& title, DetailKind kind) {
  return title + (kind == DetailKind::kVertex ? " vertex detail" : " triangle detail");
}

}  // namespace brae
