#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/BmpFormat.h"
#include "media/PixelConvert.h"

namespace brae {
namespace {

void PutLE16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
uint32_t GetLE32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

// A hand-made 24-bit BMP header for width x height (height may be negative), with room for
// the pixels.
std::vector<uint8_t> Bmp24(int32_t width, int32_t height) {
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
  const size_t rows = size_t(height < 0 ? -height : height);
  std::vector<uint8_t> b(54 + stride * rows, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE32(b, 2, uint32_t(b.size()));
  PutLE32(b, 10, 54);
  PutLE32(b, 14, 40);
  PutLE32(b, 18, uint32_t(width));
  PutLE32(b, 22, uint32_t(height));
  PutLE16(b, 26, 1);
  PutLE16(b, 28, 24);
  return b;
}

TEST(BmpReadTest, NegativeHeightIsTopRowFirst) {
  // 1 x 10, height -10: stored row i holds blue = i.
  std::vector<uint8_t> b = Bmp24(1, -10);
  for (int i = 0; i < 10; ++i) b[54 + 4 * size_t(i)] = uint8_t(i);
  Image image;
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_EQ(image.height, 10);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(image.pixels[3 * size_t(y) + 2], y) << y;

  // The same rows with a positive height come bottom row first.
  PutLE32(b, 22, 10);
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(image.pixels[3 * size_t(y) + 2], 9 - y) << y;
}

TEST(BmpReadTest, SwapsBlueAndRedAndFallsBackWhenThePixelOffsetIsPastTheEnd) {
  std::vector<uint8_t> b = Bmp24(2, 1);
  const uint8_t stored[] = {1, 2, 3, 4, 5, 6};  // blue, green, red twice
  std::memcpy(&b[54], stored, 6);
  PutLE32(b, 10, 9999);  // outside the file: the pixels follow the headers
  Image image;
  ASSERT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(BmpReadTest, PaletteOfColoursUsedOr256) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 5, 3);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeBmp(source, &bytes));
  Image image;
  ASSERT_TRUE(ReadBmp(bytes.data(), bytes.size(), &image, true));
  EXPECT_EQ(image.palette.count, 16);
  EXPECT_TRUE(image.pixels.empty());  // header only

  // Colours used 0 means 256 entries follow.
  Image grey = test::MakeTestImage(PixelFormat::kGrey, 3, 2);
  ASSERT_TRUE(EncodeBmp(grey, &bytes));
  PutLE32(bytes, 46, 0);
  ASSERT_TRUE(ReadBmp(bytes.data(), bytes.size(), &image, false));
  EXPECT_EQ(image.palette.count, 256);
  EXPECT_EQ(image.pixels, grey.pixels);
}

TEST(BmpWriteTest, LayoutByteForByte) {
  // A 3 x 2 RGB image: rows of 9 bytes padded to 12, bottom row first, blue first.
  Image image;
  image.format = PixelFormat::kRgb;
  image.width = 3;
  image.height = 2;
  for (int i = 0; i < 18; ++i) image.pixels.push_back(uint8_t(i + 1));
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(image, &b));
  ASSERT_EQ(b.size(), 54u + 24u);
  EXPECT_EQ(b[0], 0x42);
  EXPECT_EQ(b[1], 0x4D);
  EXPECT_EQ(GetLE32(b, 2), 78u);   // file size
  EXPECT_EQ(GetLE32(b, 6), 0u);    // reserved
  EXPECT_EQ(GetLE32(b, 10), 54u);  // pixel offset
  EXPECT_EQ(GetLE32(b, 14), 40u);
  EXPECT_EQ(GetLE32(b, 18), 3u);
  EXPECT_EQ(GetLE32(b, 22), 2u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(GetLE32(b, at), 0u) << at;
  const std::vector<uint8_t> rows = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,
                                     3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()), rows);
}

TEST(BmpWriteTest, GreyAndPalettelessImagesGetTheGreyRamp) {
  Image grey = test::MakeTestImage(PixelFormat::kGrey, 4, 4);
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(grey, &b));
  EXPECT_EQ(GetLE32(b, 10), 54u + 1024u);
  EXPECT_EQ(GetLE32(b, 46), 256u);  // colours used = palette count
  EXPECT_EQ(GetLE32(b, 50), 0u);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(GetLE32(b, 54 + 4 * i), i * 0x010101u);

  Image indexed = test::MakeTestImage(PixelFormat::kIndexed, 4, 4);
  indexed.palette.count = 0;
  ASSERT_TRUE(EncodeBmp(indexed, &b));
  EXPECT_EQ(GetLE32(b, 46), 256u);
  EXPECT_EQ(GetLE32(b, 54 + 4 * 200), 200u * 0x010101u);
}

TEST(BmpWriteTest, RefusesTheTwoByteForm) {
  std::vector<uint8_t> b;
  EXPECT_FALSE(EncodeBmp(test::MakeTestImage(PixelFormat::kIndexedAlpha, 2, 2), &b));
}

TEST(BmpRoundTripTest, EveryFormat) {
  for (PixelFormat f :
       {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb, PixelFormat::kRgba}) {
    for (int width : {1, 2, 3, 5, 17}) {
      Image source = test::MakeTestImage(f, width, 7, true);
      // A 32-bit file whose fourth bytes are all 0 reads as opaque RGB (tested below).
      if (f == PixelFormat::kRgba) source.pixels[3] = 200;
      std::vector<uint8_t> b;
      ASSERT_TRUE(EncodeBmp(source, &b));
      Image back;
      ASSERT_TRUE(ReadBmp(b.data(), b.size(), &back, false));
      EXPECT_EQ(back.width, width);
      EXPECT_EQ(back.height, 7);
      // Grey comes back colour-indexed over the grey ramp: same bytes.
      EXPECT_EQ(back.pixels, source.pixels) << PixelFormatName(f) << " " << width;
      EXPECT_EQ(ExpandToRgba(back), ExpandToRgba(source));
    }
  }
}

// Hostile and unsupported headers: each must fail cleanly.
TEST(BmpReadTest, RefusesBadHeaders) {
  struct Case {
    const char* what;
    size_t at;
    int bytes;  // 2 or 4
    uint32_t value;
  };
  const Case cases[] = {
      {"magic", 0, 2, 0x4142},
      {"information header size 16", 14, 4, 16},
      {"information header size 64", 14, 4, 64},
      {"information header size 0", 14, 4, 0},
      {"information header size 0xFFFFFFFF", 14, 4, 0xFFFFFFFF},
      {"width 0", 18, 4, 0},
      {"width -1", 18, 4, 0xFFFFFFFF},
      {"width 32768", 18, 4, 32768},
      {"height 0", 22, 4, 0},
      {"height 32768", 22, 4, 32768},
      {"height -32768", 22, 4, uint32_t(-32768)},
      {"height INT_MIN", 22, 4, 0x80000000u},
      {"planes 2", 26, 2, 2},
      {"bit count 0", 28, 2, 0},
      {"bit count 2", 28, 2, 2},
      {"bit count 48", 28, 2, 48},
      {"RLE8 on 24 bits", 30, 4, 1},
      {"RLE4 on 24 bits", 30, 4, 2},
      {"bit fields on 24 bits", 30, 4, 3},
      {"JPEG compression", 30, 4, 4},
      {"PNG compression", 30, 4, 5},
      {"compression 7", 30, 4, 7},
      {"colours used above 256", 46, 4, 257},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b = Bmp24(4, 4);
    if (c.bytes == 2) {
      PutLE16(b, c.at, uint16_t(c.value));
    } else {
      PutLE32(b, c.at, c.value);
    }
    Image image;
    std::string error;
    EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(BmpReadTest, ColourCounts) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 4, 4);
  std::vector<uint8_t> good;
  ASSERT_TRUE(EncodeBmp(source, &good));
  Image image;
  std::string error;
  std::vector<uint8_t> b = good;
  PutLE32(b, 46, 257);  // colours used above 256
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error));
  b = good;
  PutLE32(b, 50, 17);  // important colours are only a hint
  EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_EQ(image.pixels, source.pixels);
  b = good;
  PutLE32(b, 46, 256);  // a palette longer than the file
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error));
  EXPECT_EQ(error, "truncated BMP palette");

  // A 24-bit image may carry an optional palette; it is skipped.
  std::vector<uint8_t> rgb = Bmp24(1, 1);
  rgb[54] = 9;
  rgb.insert(rgb.begin() + 54, 8, 0xEE);  // two entries
  PutLE32(rgb, 46, 2);
  PutLE32(rgb, 10, 54 + 8);
  ASSERT_TRUE(ReadBmp(rgb.data(), rgb.size(), &image, false, &error)) << error;
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.palette.count, 0);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 0, 9}));
}

TEST(BmpReadTest, TruncatedFilesFail) {
  Image source = test::MakeTestImage(PixelFormat::kIndexed, 9, 5);
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(source, &b));
  Image image;
  for (size_t size = 0; size < b.size(); ++size) {
    EXPECT_FALSE(ReadBmp(b.data(), size, &image, false)) << size;
  }
  EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false));
}

TEST(BmpReadTest, HugeDimensionsWithFewBytesFailWithoutAllocating) {
  // 32767 x -32767 at 32 bits states 4 GB of pixels in a 54-byte file.
  std::vector<uint8_t> b = Bmp24(1, 1);
  b.resize(54);
  PutLE32(b, 18, 32767);
  PutLE32(b, 22, uint32_t(-32767));
  PutLE16(b, 28, 32);
  Image image;
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, true));
  // Within the size limit but still without the bytes.
  PutLE32(b, 18, 8000);
  PutLE32(b, 22, 8000);
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false));
}

// ---- The variants other programs write, built byte by byte

// A BMP file of any header size: the fields a reader needs, then the palette, an optional gap
// and the stored pixel bytes as given.
struct BmpSpec {
  uint32_t header_size = 40;  // 12, 40, 52, 56, 108 or 124
  int32_t width = 1;
  int32_t height = 1;  // negative: top row first
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  std::vector<uint32_t> masks;  // in the header (52+ bytes) or after a 40-byte one
  std::vector<Rgb> palette;
  size_t gap = 0;             // bytes of 0xEE between the palette and the pixels
  int64_t pixel_offset = -1;  // the offset field; -1: where the pixels really are
  std::vector<uint8_t> pixels;
};

std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
  std::vector<uint8_t> b(14 + s.header_size, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE32(b, 14, s.header_size);
  if (s.header_size == 12) {
    PutLE16(b, 18, uint16_t(s.width));
    PutLE16(b, 20, uint16_t(s.height));
    PutLE16(b, 22, 1);
    PutLE16(b, 24, s.bits);
  } else {
    PutLE32(b, 18, uint32_t(s.width));
    PutLE32(b, 22, uint32_t(s.height));
    PutLE16(b, 26, 1);
    PutLE16(b, 28, s.bits);
    PutLE32(b, 30, s.compression);
    PutLE32(b, 46, s.colours_used);
    for (size_t i = 0; i < s.masks.size(); ++i) {
      if (s.header_size == 40) {
        b.resize(b.size() + 4);
        PutLE32(b, b.size() - 4, s.masks[i]);
      } else if (40 + 4 * i + 4 <= s.header_size) {
        PutLE32(b, 54 + 4 * i, s.masks[i]);
      }
    }
  }
  for (const Rgb& c : s.palette) {
    b.push_back(c.b);
    b.push_back(c.g);
    b.push_back(c.r);
    if (s.header_size != 12) b.push_back(0);
  }
  b.insert(b.end(), s.gap, 0xEE);
  PutLE32(b, 10, s.pixel_offset >= 0 ? uint32_t(s.pixel_offset) : uint32_t(b.size()));
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  PutLE32(b, 2, uint32_t(b.size()));
  return b;
}

// Stored rows of 1-, 4- or 8-bit indices, bottom row first, each padded to 4 bytes.
std::vector<uint8_t> PackIndices(const std::vector<uint8_t>& indices, int width, int height,
                                 int bits) {
  const size_t stride = (size_t(width) * size_t(bits) + 31) / 32 * 4;
  std::vector<uint8_t> rows(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = &rows[stride * size_t(height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      const size_t bit = size_t(x) * size_t(bits);
      row[bit / 8] |= uint8_t(indices[size_t(y * width + x)] << (8 - bits - int(bit % 8)));
    }
  }
  return rows;
}

std::vector<Rgb> RampPalette(int count) {
  std::vector<Rgb> palette;
  for (int i = 0; i < count; ++i) {
    palette.push_back(Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
  }
  return palette;
}

Image ReadOrFail(const std::vector<uint8_t>& b, bool header_only = false) {
  Image image;
  std::string error;
  EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, header_only, &error)) << error;
  return image;
}

std::string RefusalOf(const std::vector<uint8_t>& b) {
  Image image;
  std::string error;
  EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error));
  EXPECT_FALSE(error.empty());
  return error;
}

TEST(BmpVariantTest, PalettesOfEveryDepthInEveryHeaderSize) {
  for (uint32_t header : {12u, 40u, 52u, 56u, 108u, 124u}) {
    for (int bits : {1, 4, 8}) {
      const std::string what =
          std::to_string(header) + "-byte header, " + std::to_string(bits) + " bits";
      // The core header has no colours-used field: its palette has every entry.
      const int colours = bits == 8 && header != 12 ? 40 : 1 << bits;
      BmpSpec spec;
      spec.header_size = header;
      spec.width = 11;  // rows of odd bit lengths
      spec.height = 3;
      spec.bits = uint16_t(bits);
      spec.colours_used = colours == (1 << bits) ? 0 : uint32_t(colours);
      spec.palette = RampPalette(colours);
      std::vector<uint8_t> indices;
      for (int i = 0; i < 33; ++i) indices.push_back(uint8_t((i * 7 + i / 11) % colours));
      spec.pixels = PackIndices(indices, 11, 3, bits);
      const std::vector<uint8_t> b = BuildBmp(spec);

      const Image image = ReadOrFail(b);
      EXPECT_EQ(image.format, PixelFormat::kIndexed) << what;
      EXPECT_EQ(image.width, 11) << what;
      EXPECT_EQ(image.height, 3) << what;
      EXPECT_EQ(image.pixels, indices) << what;
      ASSERT_EQ(image.palette.count, colours) << what;
      for (int i = 0; i < colours; ++i) {
        EXPECT_EQ(image.palette.entries[i], spec.palette[size_t(i)]) << what << " entry " << i;
      }
      const Image header_only = ReadOrFail(b, true);
      EXPECT_EQ(header_only.format, image.format) << what;
      EXPECT_EQ(header_only.palette.count, image.palette.count) << what;
      EXPECT_TRUE(header_only.pixels.empty()) << what;
    }
  }
}

TEST(BmpVariantTest, SubBytePixelsUnpackMostSignificantBitsFirst) {
  BmpSpec one;
  one.width = 10;
  one.bits = 1;
  one.palette = RampPalette(2);
  one.pixels = {0xB0, 0x40, 0, 0};  // 1011 0000  01
  EXPECT_EQ(ReadOrFail(BuildBmp(one)).pixels, (std::vector<uint8_t>{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}));

  BmpSpec four;
  four.width = 3;
  four.bits = 4;
  four.palette = RampPalette(16);
  four.pixels = {0x1F, 0x30, 0, 0};
  EXPECT_EQ(ReadOrFail(BuildBmp(four)).pixels, (std::vector<uint8_t>{1, 15, 3}));
}

// RLE data is written here as the commented byte pairs it consists of.
BmpSpec RleSpec(int bits, int width, int height, std::vector<uint8_t> data) {
  BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bits = uint16_t(bits);
  spec.compression = bits == 8 ? 1 : 2;
  spec.palette = RampPalette(bits == 8 ? 16 : 16);
  spec.colours_used = 16;
  spec.pixels = std::move(data);
  return spec;
}

TEST(BmpVariantTest, Rle8RunsAbsoluteRunsDeltasAndLineEnds) {
  const std::vector<uint8_t> data = {
      3, 5,              // three pixels of 5 (stored row 0, the bottom one)
      0, 3, 7, 8, 9, 0,  // three pixels 7, 8, 9 given one by one, padded to an even length
      0, 0,              // end of line
      0, 2, 2, 1,        // move 2 right and 1 up: stored row 2, x 2
      2, 4,              // two pixels of 4
      0, 0,              // end of line: stored row 3
      1, 6,              // one pixel of 6
      0, 1,              // end of bitmap
  };
  const Image image = ReadOrFail(BuildBmp(RleSpec(8, 6, 4, data)));
  EXPECT_EQ(image.format, PixelFormat::kIndexed);
  EXPECT_EQ(image.palette.count, 16);
  // Top row first; pixels the data never reaches are index 0.
  const std::vector<uint8_t> expected = {
      6, 0, 0, 0, 0, 0,  //
      0, 0, 4, 4, 0, 0,  //
      0, 0, 0, 0, 0, 0,  //
      5, 5, 5, 7, 8, 9,  //
  };
  EXPECT_EQ(image.pixels, expected);
}

TEST(BmpVariantTest, Rle4RunsAlternateTheirTwoIndices) {
  const std::vector<uint8_t> data = {
      5, 0x12,              // five pixels 1, 2, 1, 2, 1 (the bottom row)
      0, 0,                 // end of line
      0, 3,    0x34, 0x50,  // three pixels 3, 4, 5 given one by one, two bytes
      1, 0xF0,              // one pixel of 15
      0, 1,                 // end of bitmap
  };
  const Image image = ReadOrFail(BuildBmp(RleSpec(4, 5, 2, data)));
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 4, 5, 15, 0, 1, 2, 1, 2, 1}));

  // An absolute run of five indices takes three bytes, padded to four.
  const std::vector<uint8_t> odd = {0, 5, 0x12, 0x34, 0x50, 0, 0, 1};
  EXPECT_EQ(ReadOrFail(BuildBmp(RleSpec(4, 5, 1, odd))).pixels,
            (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST(BmpVariantTest, RleThatLeavesTheImageIsRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;  // RLE8 over 6 x 4 pixels
  };
  // Rows of 6 pixels are stored padded to 8; runs may reach into the padding, not beyond it.
  const Case cases[] = {
      {"run longer than a padded row", {9, 1, 0, 1}},
      {"run past the end of a padded row", {4, 1, 5, 1, 0, 1}},
      {"absolute run longer than a padded row", {0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1}},
      {"delta past the padded row", {0, 2, 9, 0, 0, 1}},
      {"delta past the last row", {0, 2, 0, 4, 0, 1}},
      {"delta after a full padded row", {8, 1, 0, 2, 1, 0, 0, 1}},
      {"end of line past the last row", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {"pixels after the last row", {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1}},
      {"no end of bitmap", {3, 5}},
      {"odd byte at the end", {3, 5, 0}},
      {"delta cut short", {0, 2, 1}},
      {"absolute run cut short", {0, 5, 1, 2}},
      {"absolute run without its pad byte", {0, 3, 1, 2, 3}},
      {"empty data", {}},
  };
  for (const Case& c : cases) {
    Image image;
    std::string error;
    const std::vector<uint8_t> b = BuildBmp(RleSpec(8, 6, 4, c.data));
    EXPECT_FALSE(ReadBmp(b.data(), b.size(), &image, false, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  // Deltas and runs that end exactly at the edges are fine.
  const std::vector<uint8_t> edges = {0, 2, 5, 3, 1, 9, 0, 1};  // to x 5 of the top row
  const Image image = ReadOrFail(BuildBmp(RleSpec(8, 6, 4, edges)));
  EXPECT_EQ(image.pixels[5], 9);
  EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), 0), 23);
  ReadOrFail(BuildBmp(RleSpec(8, 6, 4, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1})));  // four line ends

  // ImageMagick runs its rows into their padding: those pixels are dropped.
  const std::vector<uint8_t> into_padding = {
      8, 5,                          // a row of 6 pixels of 5 and its 2 bytes of padding
      0, 0,                          // end of line
      0, 8, 1, 2, 3, 4, 5, 6, 7, 8,  // the same given one by one
      0, 1,
  };
  const Image padded = ReadOrFail(BuildBmp(RleSpec(8, 6, 4, into_padding)));
  EXPECT_EQ(std::vector<uint8_t>(padded.pixels.end() - 12, padded.pixels.end()),
            (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 5, 5, 5, 5, 5, 5}));
  EXPECT_EQ(std::count(padded.pixels.begin(), padded.pixels.end() - 12, 0), 12);
  // RLE4 rows are padded to 8 pixels too.
  ReadOrFail(BuildBmp(RleSpec(4, 5, 1, {8, 0x12, 0, 1})));
  RefusalOf(BuildBmp(RleSpec(4, 5, 1, {9, 0x12, 0, 1})));

  // RLE data must be bottom-up and match its bit count.
  BmpSpec top_down = RleSpec(8, 6, 4, {0, 1});
  top_down.height = -4;
  EXPECT_NE(RefusalOf(BuildBmp(top_down)).find("top-down"), std::string::npos);
  BmpSpec mismatch = RleSpec(8, 6, 4, {0, 1});
  mismatch.compression = 2;
  RefusalOf(BuildBmp(mismatch));
}

TEST(BmpVariantTest, SixteenBitPixels) {
  // No compression: 5-5-5, the top bit unused.
  BmpSpec plain;
  plain.width = 4;
  plain.bits = 16;
  plain.pixels = {0xFF, 0x7F, 0x00, 0x7C, 0x00, 0x80, 0x21, 0x04};  // 7FFF 7C00 8000 0421
  Image image = ReadOrFail(BuildBmp(plain));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  // Each field scaled to 0-255: 1 of 31 is 8.
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 0, 0, 8, 8, 8}));

  // 5-6-5 bit fields after a 40-byte header: 16 of 31 is 132, 32 of 63 is 130.
  BmpSpec rgb565 = plain;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};  // F800 07E0 001F 8410
  image = ReadOrFail(BuildBmp(rgb565));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 130, 132}));

  // 4-4-4-4 with an alpha field in a 56-byte header.
  BmpSpec argb = plain;
  argb.header_size = 56;
  argb.width = 2;
  argb.compression = 3;
  argb.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
  argb.pixels = {0xF0, 0xF0, 0x34, 0x12};  // F0F0 1234
  image = ReadOrFail(BuildBmp(argb));
  EXPECT_EQ(image.format, PixelFormat::kRgba);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 255, 0, 255, 34, 51, 68, 17}));
  EXPECT_EQ(ReadOrFail(BuildBmp(argb), true).format, PixelFormat::kRgba);
}

TEST(BmpVariantTest, ThirtyTwoBitBitFields) {
  // The usual layout with alpha in a 124-byte header: alpha as stored, even 0.
  BmpSpec v5;
  v5.header_size = 124;
  v5.width = 2;
  v5.bits = 32;
  v5.compression = 3;
  v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.pixels = {1, 2, 3, 4, 5, 6, 7, 0};
  Image image = ReadOrFail(BuildBmp(v5));
  EXPECT_EQ(image.format, PixelFormat::kRgba);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 0}));

  // Red in the low byte, masks after a 40-byte header, no alpha: RGB.
  BmpSpec reversed = v5;
  reversed.header_size = 40;
  reversed.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  image = ReadOrFail(BuildBmp(reversed));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2, 3, 5, 6, 7}));

  // 10-10-10 in a 108-byte header whose alpha mask is 0: 512 of 1023 is 128.
  BmpSpec deep = v5;
  deep.header_size = 108;
  deep.masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};
  deep.pixels.assign(8, 0);
  PutLE32(deep.pixels, 0, 0x3FF00000);
  PutLE32(deep.pixels, 4, (512u << 20) | (1u << 10) | 1023u);
  image = ReadOrFail(BuildBmp(deep));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 0, 0, 128, 0, 255}));

  // Alpha bit fields (compression 6): 16 bytes of masks after a 40-byte header.
  BmpSpec alpha_fields = v5;
  alpha_fields.header_size = 40;
  alpha_fields.compression = 6;
  image = ReadOrFail(BuildBmp(alpha_fields));
  EXPECT_EQ(image.format, PixelFormat::kRgba);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 0}));
}

TEST(BmpVariantTest, BadBitFieldsAreRefused) {
  struct Case {
    const char* what;
    uint16_t bits;
    uint32_t header;
    uint32_t compression;
    std::vector<uint32_t> masks;
    const char* reason;  // a word of the expected reason
  };
  const Case cases[] = {
      {"zero-width red", 16, 40, 3, {0, 0x07E0, 0x001F}, "empty"},
      {"zero-width blue", 32, 124, 3, {0xFF0000, 0xFF00, 0, 0}, "empty"},
      {"overlapping red and green", 16, 40, 3, {0xFF00, 0x0FF0, 0x000F}, "overlap"},
      {"alpha over blue", 32, 56, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF}, "overlap"},
      {"gap in a field", 16, 40, 3, {0xF0F0, 0x0F00, 0x000F}, "contiguous"},
      {"field beyond 16 bits", 16, 40, 3, {0x1F0000, 0x07E0, 0x001F}, "outside"},
      {"alpha bit fields in a 52-byte header", 32, 52, 6, {0xFF0000, 0xFF00, 0xFF}, "alpha"},
      {"bit fields on 8 bits", 8, 40, 3, {0xE0, 0x1C, 0x03}, "16 or 32"},
  };
  for (const Case& c : cases) {
    BmpSpec spec;
    spec.header_size = c.header;
    spec.width = 2;
    spec.bits = c.bits;
    spec.compression = c.compression;
    spec.masks = c.masks;
    spec.pixels.assign(8, 0x55);
    const std::string error = RefusalOf(BuildBmp(spec));
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
  }
  // Masks announced after a 40-byte header but missing from the file.
  BmpSpec cut;
  cut.bits = 16;
  cut.compression = 3;
  std::vector<uint8_t> b = BuildBmp(cut);
  b.resize(54 + 8);
  RefusalOf(b);
}

TEST(BmpVariantTest, ThirtyTwoBitsWithoutBitFieldsAreOpaqueWhenEveryFourthByteIsZero) {
  BmpSpec spec;
  spec.width = 2;
  spec.height = 2;
  spec.bits = 32;
  spec.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};  // bottom row first
  Image image = ReadOrFail(BuildBmp(spec));
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(ReadOrFail(BuildBmp(spec), true).format, PixelFormat::kRgb);

  // One non-zero fourth byte, in the last pixel read: the whole image has alpha.
  spec.pixels[15] = 7;
  image = ReadOrFail(BuildBmp(spec));
  EXPECT_EQ(image.format, PixelFormat::kRgba);
  EXPECT_EQ(image.pixels,
            (std::vector<uint8_t>{9, 8, 7, 0, 12, 11, 10, 7, 3, 2, 1, 0, 6, 5, 4, 0}));
  EXPECT_EQ(ReadOrFail(BuildBmp(spec), true).format, PixelFormat::kRgba);

  // So an RGBA picture written with every alpha 0 comes back as opaque RGB.
  Image clear = test::MakeTestImage(PixelFormat::kRgba, 3, 2);
  for (size_t i = 3; i < clear.pixels.size(); i += 4) clear.pixels[i] = 0;
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeBmp(clear, &b));
  image = ReadOrFail(b);
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(0, std::memcmp(&image.pixels[3 * i], &clear.pixels[4 * i], 3)) << i;
  }
}

TEST(BmpVariantTest, ThePixelOffsetIsHonouredWhenItLiesBehindThePalette) {
  BmpSpec spec;
  spec.width = 2;
  spec.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  spec.gap = 10;  // bytes the pixel offset skips
  EXPECT_EQ(ReadOrFail(BuildBmp(spec)).pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));

  // An offset inside the headers or the palette, or past the end, is not used: the pixels are
  // taken right after the palette.
  BmpSpec indexed;
  indexed.width = 4;
  indexed.bits = 8;
  indexed.colours_used = 4;
  indexed.palette = RampPalette(4);
  indexed.pixels = {3, 2, 1, 0};
  for (int64_t offset : {0, 20, 54, 54 + 15, 54 + 16 + 4, 100000}) {
    indexed.pixel_offset = offset;
    EXPECT_EQ(ReadOrFail(BuildBmp(indexed)).pixels, (std::vector<uint8_t>{3, 2, 1, 0})) << offset;
  }
  // Bit masks after a 40-byte header count as headers too.
  BmpSpec masked;
  masked.width = 1;
  masked.bits = 16;
  masked.compression = 3;
  masked.masks = {0xF800, 0x07E0, 0x001F};
  masked.pixels = {0x1F, 0x00, 0, 0};
  masked.pixel_offset = 54;
  EXPECT_EQ(ReadOrFail(BuildBmp(masked)).pixels, (std::vector<uint8_t>{0, 0, 255}));

  // The core header's pixels may lie behind a gap as well.
  BmpSpec core;
  core.header_size = 12;
  core.width = 2;
  core.bits = 1;
  core.palette = {Rgb{1, 2, 3}, Rgb{4, 5, 6}};
  core.gap = 6;
  core.pixels = {0x40, 0, 0, 0};
  const Image image = ReadOrFail(BuildBmp(core));
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 1}));
  EXPECT_EQ(image.palette.entries[1], (Rgb{4, 5, 6}));
}

TEST(BmpVariantTest, PaletteCountsBeyondTheDepthOrTheFileAreRefused) {
  BmpSpec spec;
  spec.width = 2;
  spec.bits = 4;
  spec.pixels = {0x12, 0, 0, 0};
  spec.colours_used = 17;
  spec.palette = RampPalette(17);
  EXPECT_NE(RefusalOf(BuildBmp(spec)).find("bit depth"), std::string::npos);
  spec.bits = 1;
  spec.colours_used = 3;
  spec.palette = RampPalette(3);
  RefusalOf(BuildBmp(spec));

  // Fewer entries than the depth allows is fine; indices are kept as stored.
  spec.bits = 4;
  spec.colours_used = 2;
  spec.palette = RampPalette(2);
  Image image = ReadOrFail(BuildBmp(spec));
  EXPECT_EQ(image.palette.count, 2);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2}));

  // A palette of 16 entries (all of 4 bits) in a file that ends after 10 of them.
  spec.colours_used = 0;
  spec.palette = RampPalette(10);
  spec.pixels.clear();
  EXPECT_EQ(RefusalOf(BuildBmp(spec)), "truncated BMP palette");
  spec.header_size = 12;
  EXPECT_EQ(RefusalOf(BuildBmp(spec)), "truncated BMP palette");
}

TEST(BmpVariantTest, SmallestAndWidestImages) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    BmpSpec spec;
    spec.bits = uint16_t(bits);
    if (bits <= 8) spec.palette = RampPalette(1 << bits);
    spec.pixels = {0xFF, 0xFF, 0xFF, 0x7F};
    const Image image = ReadOrFail(BuildBmp(spec));
    EXPECT_EQ(image.width, 1) << bits;
    EXPECT_EQ(image.height, 1) << bits;
    EXPECT_EQ(image.pixels.size(), image.PixelBytes()) << bits;
  }

  // 32767 pixels of one bit make a row of 4096 bytes; the last pixel sits in bit 1 of its
  // last byte.
  BmpSpec wide;
  wide.width = 32767;
  wide.height = -2;
  wide.bits = 1;
  wide.palette = RampPalette(2);
  wide.pixels.assign(2 * 4096, 0);
  wide.pixels[4095] = 0x02;  // the top row's last pixel
  wide.pixels[4096] = 0x80;  // the second row's first pixel
  Image image = ReadOrFail(BuildBmp(wide));
  ASSERT_EQ(image.pixels.size(), 2u * 32767u);
  EXPECT_EQ(image.pixels[32766], 1);
  EXPECT_EQ(image.pixels[32767], 1);
  EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), 1), 2);
  wide.pixels.pop_back();
  RefusalOf(BuildBmp(wide));

  BmpSpec wide24;
  wide24.width = 32767;
  wide24.pixels.assign(32767 * 3 + 3, 0);
  wide24.pixels[32766 * 3] = 9;  // blue of the last pixel
  image = ReadOrFail(BuildBmp(wide24));
  EXPECT_EQ(image.pixels[32766 * 3 + 2], 9);
}

}  // namespace
}  // namespace brae

namespace brae {
namespace {

// The fuzzer's seed inputs are valid BMP files.
TEST(BmpReadTest, FuzzSeedsAreReadable) {
  const std::string dir = std::string(BRAE_TEST_DATA_DIR) + "/../fuzz/seeds/fuzz_bmp";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::vector<uint8_t> b = test::ReadBytes(entry.path().string());
    Image image;
    EXPECT_TRUE(ReadBmp(b.data(), b.size(), &image, false)) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace brae
