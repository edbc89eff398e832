#include "terrain/MeshShading.h"

#include <algorithm>
#include <cstring>

namespace brae {

int ShadeMidpoint(const MeshHeader& header) {
  return int((uint64_t(header.shade_midpoint) * 255) >> 16);
}

int ShadeAmount(const MeshHeader& header, int shade) {
  const int64_t m = ShadeMidpoint(header);
  int64_t t = 0;
  if (shade <= m) {
    t = m == 0 ? 0 : int64_t(header.shade_below) * (m - shade) / m;
  } else {
    // shade > m means m < 255, so the divisor is positive.
    t = int64_t(header.shade_above) * (shade - m) / (255 - m);
  }
  return int16_t(uint16_t(t & 0xFFFF));
}

uint8_t ShadeChannel(int t, uint8_t channel, uint16_t shading) {
  const int64_t sum = (256 - int64_t(t)) * (int64_t(channel) << 8) + int64_t(t) * shading;
  // Negative sums come out below 0 and are taken as 0 (no wrap-around to bright colours).
  const int64_t value = sum < 0 ? 0 : sum >> 8;
  return uint8_t(std::min<int64_t>(value, 65535) >> 8);
}

ShadedColourTable BuildShadedColourTable(const MeshHeader& header,
                                         const CollectionPalette& palette) {
  ShadedColourTable table;
  table.rgb.resize(65536 * 3);
  uint8_t* out = table.rgb.data();
  for (int s = 0; s < 256; ++s) {
    const int t = ShadeAmount(header, s);
    for (int c = 0; c < 256; ++c) {
      const PaletteColor& colour = palette[size_t(c)];
      *out++ = ShadeChannel(t, colour.r, header.shade_colour[0]);
      *out++ = ShadeChannel(t, colour.g, header.shade_colour[1]);
      *out++ = ShadeChannel(t, colour.b, header.shade_colour[2]);
    }
  }
  return table;
}

namespace {

const CollectionBitmap* UsableBitmap(const Collection& collection, size_t index) {
  const CollectionBitmap* b = collection.BitmapAt(index);
  if (!b || b->width != kChunkTexels || b->height != kChunkTexels || b->bytes_per_pixel != 2 ||
      b->pixels.size() != size_t(kChunkTexels) * kChunkTexels * 2) {
    return nullptr;
  }
  return b;
}

}  // namespace

uint8_t ChunkTexelSource::Index(int x, int y) const {
  return index ? index->Pixel(x, y)[1] : 0;
}

uint8_t ChunkTexelSource::Shade(int x, int y) const {
  return shade ? shade->Pixel(x, y)[1] : 0;
}

ChunkTexelSource ChunkTexels(const Collection& collection, int chunk) {
  ChunkTexelSource source;
  if (chunk < 0) return source;
  source.index = UsableBitmap(collection, 2 * size_t(chunk));
  source.shade = UsableBitmap(collection, 2 * size_t(chunk) + 1);
  return source;
}

void BuildChunkTexture(const Mesh& mesh, const Collection& collection,
                       const ShadedColourTable& table, int cx, int cy, bool side_257,
                       std::vector<uint8_t>* rgb) {
  const int side = side_257 ? kChunkTexels + 1 : kChunkTexels;
  rgb->resize(size_t(side) * side * 3);
  const int chunks_x = mesh.ChunksX(), chunks_y = mesh.ChunksY();
  const ChunkTexelSource own = ChunkTexels(collection, cy * chunks_x + cx);
  const bool has_right = cx + 1 < chunks_x, has_below = cy + 1 < chunks_y;
  const ChunkTexelSource right = has_right ? ChunkTexels(collection, cy * chunks_x + cx + 1) : own;
  const ChunkTexelSource below =
      has_below ? ChunkTexels(collection, (cy + 1) * chunks_x + cx) : own;
  const ChunkTexelSource diagonal = has_right && has_below
                                        ? ChunkTexels(collection, (cy + 1) * chunks_x + cx + 1)
                                    : has_right ? right
                                    : has_below ? below
                                                : own;
  uint8_t* out = rgb->data();
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      // Texel 256 along an axis is texel 0 of the neighbour, or our own 255 at the edge.
      const bool over_x = x == kChunkTexels, over_y = y == kChunkTexels;
      const ChunkTexelSource& src = over_x && over_y ? diagonal
                                    : over_x         ? right
                                    : over_y         ? below
                                                     : own;
      const int sx = over_x ? (has_right ? 0 : kChunkTexels - 1) : x;
      const int sy = over_y ? (has_below ? 0 : kChunkTexels - 1) : y;
      std::memcpy(out, table.At(src.Shade(sx, sy), src.Index(sx, sy)), 3);
      out += 3;
    }
  }
}

float ChunkTexCoord(int corner, bool side_257) {
  return side_257 ? (8.0f * corner + 0.5f) / 257.0f : corner / 32.0f;
}

Image BuildColourMapImage(const Mesh& mesh, const Collection& collection,
                          const ShadedColourTable& table) {
  Image image;
  image.format = PixelFormat::kRgb;
  image.width = kChunkTexels * mesh.ChunksX();
  image.height = kChunkTexels * mesh.ChunksY();
  image.pixels.resize(image.PixelBytes());
  std::vector<uint8_t> chunk;
  for (int cy = 0; cy < mesh.ChunksY(); ++cy) {
    for (int cx = 0; cx < mesh.ChunksX(); ++cx) {
      BuildChunkTexture(mesh, collection, table, cx, cy, false, &chunk);
      for (int y = 0; y < kChunkTexels; ++y) {
        std::memcpy(
            image.pixels.data() +
                (size_t(cy * kChunkTexels + y) * image.width + size_t(cx) * kChunkTexels) * 3,
            chunk.data() + size_t(y) * kChunkTexels * 3, kChunkTexels * 3);
      }
    }
  }
  return image;
}

}  // namespace brae
