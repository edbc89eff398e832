#pragma once
// The terrain's colour map as the renderer sees it: the shaded colour table built from the
// mesh header's shading parameters and the colour-map collection's palette, and the RGB texels
// of each chunk (two collection bitmaps per chunk: colour indices and shades).

#include <cstdint>
#include <vector>

#include "collection/Collection.h"
#include "media/Image.h"
#include "terrain/Mesh.h"

namespace brae {

constexpr int kChunkTexels = 256;  // colour-map texels along a chunk's side (8 per cell)

// 65536 RGB entries; index = shade * 256 + colour index.
struct ShadedColourTable {
  std::vector<uint8_t> rgb;  // 65536 * 3
  const uint8_t* At(int shade, int index) const {
    return rgb.data() + 3 * ((size_t(shade & 255) << 8) | size_t(index & 255));
  }
};

// The midpoint shade m: the header's 16.16 fraction times 255.
int ShadeMidpoint(const MeshHeader& header);
// The shading amount t for a shade, as a signed 16-bit value. With a midpoint of 0 the
// division by m is skipped: shade 0 lies on the midpoint and is not shaded.
int ShadeAmount(const MeshHeader& header, int shade);
// One 8-bit channel shaded by t towards the 16-bit shading colour channel. Results that come
// out below 0 are taken as 0, above 65535 as 65535 (before the final shift).
uint8_t ShadeChannel(int t, uint8_t channel, uint16_t shading);
ShadedColourTable BuildShadedColourTable(const MeshHeader& header,
                                         const CollectionPalette& palette);

// The colour index (low byte) and shade (high byte) of a chunk's texel; 0 where the chunk's
// bitmaps are missing or not 256 x 256 indexed bitmaps.
struct ChunkTexelSource {
  const CollectionBitmap* index = nullptr;  // bitmap 2k
  const CollectionBitmap* shade = nullptr;  // bitmap 2k + 1
  uint8_t Index(int x, int y) const;
  uint8_t Shade(int x, int y) const;
};
ChunkTexelSource ChunkTexels(const Collection& collection, int chunk);

// The RGB texels of chunk (cx, cy), row-major. side_257: the 257 x 257 form whose extra column
// and row come from the first column of the chunk to the right and the first row of the chunk
// below; chunks on the grid's right or bottom edge repeat their own last column or row there.
void BuildChunkTexture(const Mesh& mesh, const Collection& collection,
                       const ShadedColourTable& table, int cx, int cy, bool side_257,
                       std::vector<uint8_t>* rgb);
// Texture coordinate of cell corner i (0-32) along an axis of a chunk texture.
float ChunkTexCoord(int corner, bool side_257);

// The whole terrain's colour map: (256 * Cx) x (256 * Cy) RGB texels.
Image BuildColourMapImage(const Mesh& mesh, const Collection& collection,
                          const ShadedColourTable& table);

}  // namespace brae
