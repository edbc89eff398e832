// The TIFF reader over files libtiff writes here: every sample depth and photometric
// interpretation the reader takes, strips and tiles, contiguous and separate planes, several
// compressions, and the kinds it refuses.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/TiffFormat.h"

namespace brae {
namespace {

using test::TempDir;

struct TiffSpec {
  uint32_t width = 13;
  uint32_t height = 7;
  uint16_t bits = 8;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t sample_format = SAMPLEFORMAT_UINT;
  std::vector<uint16_t> extra;  // the kinds of the extra samples
  uint32_t rows_per_strip = 3;
  bool tiled = false;
  uint32_t tile_width = 16;
  uint32_t tile_length = 16;
  std::vector<uint16_t> red, green, blue;  // the colour map
  std::vector<uint32_t> values;            // every sample, pixel by pixel, rows top first
};

// Packs count samples of one plane (or all, interleaved) of a run of pixels.
void PackSamples(const TiffSpec& s, const uint32_t* first, size_t pixels, size_t stride,
                 uint8_t* out) {
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t v = first[i * stride];
    switch (s.bits) {
      case 8:
        out[i] = uint8_t(v);
        break;
      case 16: {
        const uint16_t w = uint16_t(v);
        std::memcpy(out + 2 * i, &w, 2);
        break;
      }
      case 32:
        std::memcpy(out + 4 * i, &v, 4);
        break;
      default: {
        const size_t bit = i * s.bits;
        out[bit / 8] |= uint8_t(v << (8 - s.bits - int(bit % 8)));
      }
    }
  }
}

void WriteTiffSpec(const std::string& path, const TiffSpec& s) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, s.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, s.height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bits);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.samples);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.planar);
  TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
  TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, s.sample_format);
  if (!s.extra.empty()) {
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t(s.extra.size()), s.extra.data());
  }
  if (!s.red.empty()) {
    TIFFSetField(t, TIFFTAG_COLORMAP, s.red.data(), s.green.data(), s.blue.data());
  }
  if (s.compression == COMPRESSION_JPEG) {
    TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
    if (s.photometric == PHOTOMETRIC_YCBCR) {
      TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
  } else if (s.photometric == PHOTOMETRIC_YCBCR) {
    TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
  }
  const bool separate = s.planar == PLANARCONFIG_SEPARATE;
  const size_t per_pixel = separate ? 1 : s.samples;
  const int planes = separate ? s.samples : 1;
  if (s.tiled) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, s.tile_width);
    TIFFSetField(t, TIFFTAG_TILELENGTH, s.tile_length);
    const size_t tile_row = (size_t(s.tile_width) * per_pixel * s.bits + 7) / 8;
    for (int plane = 0; plane < planes; ++plane) {
      for (uint32_t ty = 0; ty < s.height; ty += s.tile_length) {
        for (uint32_t tx = 0; tx < s.width; tx += s.tile_width) {
          std::vector<uint8_t> tile(tile_row * s.tile_length, 0);
          for (uint32_t r = 0; r < s.tile_length && ty + r < s.height; ++r) {
            const size_t pixels = std::min(s.tile_width, s.width - tx);
            const uint32_t* first = &s.values[(size_t(ty + r) * s.width + tx) * s.samples +
                                              size_t(separate ? plane : 0)];
            PackSamples(s, first, separate ? pixels : pixels * s.samples, separate ? s.samples : 1,
                        &tile[tile_row * r]);
          }
          ASSERT_GE(TIFFWriteTile(t, tile.data(), tx, ty, 0, uint16_t(plane)), 0);
        }
      }
    }
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, s.rows_per_strip);
    const size_t row_bytes = (size_t(s.width) * per_pixel * s.bits + 7) / 8;
    for (int plane = 0; plane < planes; ++plane) {
      for (uint32_t y = 0; y < s.height; ++y) {
        std::vector<uint8_t> row(row_bytes, 0);
        const uint32_t* first =
            &s.values[size_t(y) * s.width * s.samples + size_t(separate ? plane : 0)];
        PackSamples(s, first, separate ? s.width : size_t(s.width) * s.samples,
                    separate ? s.samples : 1, row.data());
        ASSERT_GE(TIFFWriteScanline(t, row.data(), y, uint16_t(plane)), 0);
      }
    }
  }
  ASSERT_TRUE(TIFFWriteDirectory(t));
  TIFFClose(t);
}

// Sample values across the whole range of the depth.
std::vector<uint32_t> Ramp(const TiffSpec& s, uint32_t range, uint32_t seed = 1) {
  std::vector<uint32_t> values;
  const size_t count = size_t(s.width) * s.height * s.samples;
  for (size_t i = 0; i < count; ++i) values.push_back(uint32_t((i * 40503u + seed * 977u) % range));
  return values;
}

uint32_t RangeOf(uint16_t bits) {
  return bits >= 16 ? 65536u : 1u << bits;
}

// What a sample becomes: sub-byte levels scaled to 0-255, 16 bits reduced to the high byte.
uint8_t Expected(uint32_t sample, uint16_t bits) {
  if (bits == 16) return uint8_t(sample >> 8);
  return uint8_t(sample * 255 / ((1u << bits) - 1));
}

// Reads the file whole and header only, checks that both agree, and returns the whole read.
Image ReadBoth(const std::string& path, const std::string& what) {
  Image whole, header;
  std::string error;
  EXPECT_TRUE(ReadTiff(path, &whole, false, &error)) << what << ": " << error;
  EXPECT_TRUE(ReadTiff(path, &header, true, &error)) << what << ": " << error;
  EXPECT_EQ(header.format, whole.format) << what;
  EXPECT_EQ(header.width, whole.width) << what;
  EXPECT_EQ(header.height, whole.height) << what;
  EXPECT_EQ(header.palette.count, whole.palette.count) << what;
  EXPECT_TRUE(header.pixels.empty()) << what;
  EXPECT_EQ(whole.pixels.size(), whole.PixelBytes()) << what;
  return whole;
}

TEST(TiffReadTest, GreyOfEveryDepthBlackOrWhiteFirst) {
  TempDir dir;
  const uint16_t compressions[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                   COMPRESSION_PACKBITS};
  int n = 0;
  for (uint16_t bits : {1, 2, 4, 8, 16}) {
    for (uint16_t photometric : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
      TiffSpec s;
      s.bits = bits;
      s.photometric = photometric;
      s.compression = compressions[n++ % 4];
      s.values = Ramp(s, RangeOf(bits));
      const std::string what = std::to_string(bits) + " bits, photometric " +
                               std::to_string(photometric) + ", compression " +
                               std::to_string(s.compression);
      const std::string path = dir.Path() + "/g.tiff";
      WriteTiffSpec(path, s);
      const Image image = ReadBoth(path, what);
      EXPECT_EQ(image.format, PixelFormat::kGrey) << what;
      ASSERT_EQ(image.pixels.size(), s.values.size()) << what;
      for (size_t i = 0; i < s.values.size(); ++i) {
        uint8_t expected = Expected(s.values[i], bits);
        if (photometric == PHOTOMETRIC_MINISWHITE) expected = uint8_t(255 - expected);
        ASSERT_EQ(image.pixels[i], expected) << what << " pixel " << i;
      }
    }
  }
}

TEST(TiffReadTest, PalettesOfEveryDepthKeepTheirIndices) {
  TempDir dir;
  for (uint16_t bits : {1, 2, 4, 8}) {
    for (bool eight_bit_map : {false, true}) {
      TiffSpec s;
      s.bits = bits;
      s.photometric = PHOTOMETRIC_PALETTE;
      s.compression = COMPRESSION_LZW;
      const int count = 1 << bits;
      for (int i = 0; i < count; ++i) {
        const int scale = eight_bit_map ? 1 : 257;
        s.red.push_back(uint16_t(i * scale));
        s.green.push_back(uint16_t((255 - i) * scale));
        s.blue.push_back(uint16_t((i * 5 % 256) * scale));
      }
      s.values = Ramp(s, uint32_t(count));
      const std::string what =
          std::to_string(bits) + " bits" + (eight_bit_map ? ", colour map of 8-bit values" : "");
      const std::string path = dir.Path() + "/p.tiff";
      WriteTiffSpec(path, s);
      const Image image = ReadBoth(path, what);
      EXPECT_EQ(image.format, PixelFormat::kIndexed) << what;
      ASSERT_EQ(image.palette.count, count) << what;
      for (int i = 0; i < count; ++i) {
        EXPECT_EQ(image.palette.entries[i],
                  (Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 5 % 256)}))
            << what << " entry " << i;
      }
      EXPECT_EQ(image.pixels, std::vector<uint8_t>(s.values.begin(), s.values.end())) << what;
    }
  }
}

TEST(TiffReadTest, SixteenBitColourAndGreyWithAlpha) {
  TempDir dir;
  struct Case {
    uint16_t photometric, samples, bits;
    PixelFormat format;
  };
  const Case cases[] = {
      {PHOTOMETRIC_RGB, 3, 16, PixelFormat::kRgb},
      {PHOTOMETRIC_RGB, 4, 16, PixelFormat::kRgba},
      {PHOTOMETRIC_MINISBLACK, 2, 8, PixelFormat::kRgba},
      {PHOTOMETRIC_MINISBLACK, 2, 16, PixelFormat::kRgba},
      {PHOTOMETRIC_MINISWHITE, 2, 8, PixelFormat::kRgba},
  };
  for (const Case& c : cases) {
    TiffSpec s;
    s.photometric = c.photometric;
    s.samples = c.samples;
    s.bits = c.bits;
    s.compression = COMPRESSION_ADOBE_DEFLATE;
    if (c.samples == 2 || c.samples == 4) s.extra = {EXTRASAMPLE_UNASSALPHA};
    s.values = Ramp(s, RangeOf(c.bits), 7);
    const std::string what = "photometric " + std::to_string(c.photometric) + ", " +
                             std::to_string(c.samples) + " samples of " + std::to_string(c.bits) +
                             " bits";
    const std::string path = dir.Path() + "/c.tiff";
    WriteTiffSpec(path, s);
    const Image image = ReadBoth(path, what);
    EXPECT_EQ(image.format, c.format) << what;
    const size_t bpp = size_t(BytesPerPixel(c.format));
    for (size_t p = 0; p < size_t(s.width) * s.height; ++p) {
      const uint32_t* in = &s.values[p * c.samples];
      const uint8_t* out = &image.pixels[p * bpp];
      if (c.samples == 2) {
        uint8_t grey = Expected(in[0], c.bits);
        if (c.photometric == PHOTOMETRIC_MINISWHITE) grey = uint8_t(255 - grey);
        const uint8_t expected[4] = {grey, grey, grey, Expected(in[1], c.bits)};
        ASSERT_EQ(0, std::memcmp(out, expected, 4)) << what << " pixel " << p;
      } else {
        for (size_t k = 0; k < c.samples; ++k) {
          ASSERT_EQ(out[k], Expected(in[k], c.bits)) << what << " pixel " << p;
        }
      }
    }
  }
}

TEST(TiffReadTest, PremultipliedAlphaIsDividedBack) {
  TempDir dir;
  TiffSpec s;
  s.width = 4;
  s.height = 1;
  s.samples = 4;
  s.photometric = PHOTOMETRIC_RGB;
  s.extra = {EXTRASAMPLE_ASSOCALPHA};
  // 200, 100, 0 at alpha 128 is stored as 100, 50, 0; alpha 0 and 255 leave the colours alone.
  s.values = {100, 50, 0, 128, 7, 8, 9, 0, 10, 20, 30, 255, 60, 60, 60, 60};
  const std::string path = dir.Path() + "/a.tiff";
  WriteTiffSpec(path, s);
  const Image image = ReadBoth(path, "associated alpha");
  EXPECT_EQ(image.format, PixelFormat::kRgba);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{199, 100, 0, 128, 7, 8, 9, 0, 10, 20, 30, 255, 255,
                                                255, 255, 60}));

  // Unassociated alpha is taken as it is.
  s.extra = {EXTRASAMPLE_UNASSALPHA};
  WriteTiffSpec(path, s);
  const Image plain = ReadBoth(path, "unassociated alpha");
  EXPECT_EQ(plain.pixels, std::vector<uint8_t>(s.values.begin(), s.values.end()));
}

TEST(TiffReadTest, StripsTilesAndSeparatePlanes) {
  TempDir dir;
  struct Layout {
    bool tiled;
    uint16_t planar;
    uint16_t compression;
  };
  const Layout layouts[] = {
      {false, PLANARCONFIG_CONTIG, COMPRESSION_LZW},
      {false, PLANARCONFIG_SEPARATE, COMPRESSION_ADOBE_DEFLATE},
      {true, PLANARCONFIG_CONTIG, COMPRESSION_NONE},
      {true, PLANARCONFIG_SEPARATE, COMPRESSION_LZW},
  };
  struct Kind {
    uint16_t photometric, samples, bits;
  };
  const Kind kinds[] = {
      {PHOTOMETRIC_RGB, 3, 8},        {PHOTOMETRIC_RGB, 4, 16},    {PHOTOMETRIC_MINISBLACK, 2, 8},
      {PHOTOMETRIC_MINISBLACK, 1, 1}, {PHOTOMETRIC_PALETTE, 1, 4},
  };
  for (const Layout& layout : layouts) {
    for (const Kind& kind : kinds) {
      TiffSpec s;
      s.width = 37;  // neither sides nor rows fit the 16 x 16 tiles or 3-row strips evenly
      s.height = 21;
      s.photometric = kind.photometric;
      s.samples = kind.samples;
      s.bits = kind.bits;
      s.tiled = layout.tiled;
      s.planar = layout.planar;
      s.compression = layout.compression;
      if (kind.samples == 2 || kind.samples == 4) s.extra = {EXTRASAMPLE_UNASSALPHA};
      if (kind.photometric == PHOTOMETRIC_PALETTE) {
        for (int i = 0; i < 16; ++i) {
          s.red.push_back(uint16_t(i * 4369));
          s.green.push_back(0);
          s.blue.push_back(65535);
        }
      }
      s.values = Ramp(s, RangeOf(kind.bits), 11);
      const std::string what =
          std::string(layout.tiled ? "tiles" : "strips") + ", planar " +
          std::to_string(layout.planar) + ", photometric " + std::to_string(kind.photometric) +
          ", " + std::to_string(kind.samples) + " x " + std::to_string(kind.bits) + " bits";
      const std::string path = dir.Path() + "/l.tiff";
      WriteTiffSpec(path, s);
      const Image image = ReadBoth(path, what);
      const size_t bpp = size_t(BytesPerPixel(image.format));
      ASSERT_EQ(image.pixels.size(), size_t(37 * 21) * bpp) << what;
      for (size_t p = 0; p < 37 * 21; ++p) {
        const uint32_t* in = &s.values[p * kind.samples];
        const uint8_t* out = &image.pixels[p * bpp];
        if (kind.photometric == PHOTOMETRIC_PALETTE) {
          ASSERT_EQ(out[0], in[0]) << what << " pixel " << p;
        } else if (kind.samples == 2) {
          ASSERT_EQ(out[0], Expected(in[0], kind.bits)) << what << " pixel " << p;
          ASSERT_EQ(out[2], Expected(in[0], kind.bits)) << what << " pixel " << p;
          ASSERT_EQ(out[3], Expected(in[1], kind.bits)) << what << " pixel " << p;
        } else {
          for (size_t k = 0; k < kind.samples; ++k) {
            ASSERT_EQ(out[k], Expected(in[k], kind.bits)) << what << " pixel " << p;
          }
        }
      }
    }
  }
}

TEST(TiffReadTest, YCbCrWithAndWithoutJpeg) {
  TempDir dir;
  // A smooth picture: JPEG keeps it within a few levels.
  TiffSpec rgb;
  rgb.width = 32;
  rgb.height = 16;
  rgb.samples = 3;
  rgb.photometric = PHOTOMETRIC_YCBCR;
  rgb.compression = COMPRESSION_JPEG;
  rgb.rows_per_strip = 16;
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 32; ++x) {
      rgb.values.insert(rgb.values.end(), {40 + x * 4, 60 + y * 8, 180 - x * 2});
    }
  }
  const std::string path = dir.Path() + "/y.tiff";
  WriteTiffSpec(path, rgb);
  Image image = ReadBoth(path, "JPEG YCbCr");
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  ASSERT_EQ(image.pixels.size(), rgb.values.size());
  for (size_t i = 0; i < rgb.values.size(); ++i) {
    ASSERT_NEAR(int(image.pixels[i]), int(rgb.values[i]), 6) << "sample " << i;
  }

  // Uncompressed YCbCr goes through libtiff's RGBA interface; grey levels (Cb = Cr = 128)
  // come out as the same levels, top row first.
  TiffSpec raw;
  raw.width = 3;
  raw.height = 70;  // more rows than one band of that interface
  raw.samples = 3;
  raw.photometric = PHOTOMETRIC_YCBCR;
  for (uint32_t y = 0; y < raw.height; ++y) {
    for (uint32_t x = 0; x < raw.width; ++x)
      raw.values.insert(raw.values.end(), {y * 3 + x, 128, 128});
  }
  WriteTiffSpec(path, raw);
  image = ReadBoth(path, "uncompressed YCbCr");
  EXPECT_EQ(image.format, PixelFormat::kRgb);
  ASSERT_EQ(image.pixels.size(), size_t(3 * 70 * 3));
  for (size_t p = 0; p < 3 * 70; ++p) {
    for (size_t k = 0; k < 3; ++k) {
      ASSERT_NEAR(int(image.pixels[3 * p + k]), int(p), 1) << "pixel " << p;
    }
  }
}

TEST(TiffReadTest, KindsThatCannotBeHeldAreRefusedWithTheReason) {
  TempDir dir;
  struct Case {
    const char* what;
    uint16_t photometric, samples, bits, sample_format;
    const char* reason;  // part of the message
  };
  const Case cases[] = {
      {"CMYK", PHOTOMETRIC_SEPARATED, 4, 8, SAMPLEFORMAT_UINT,
       "CMYK TIFF images are not supported"},
      {"CIE L*a*b*", PHOTOMETRIC_CIELAB, 3, 8, SAMPLEFORMAT_UINT, "L*a*b*"},
      {"floating point", PHOTOMETRIC_MINISBLACK, 1, 32, SAMPLEFORMAT_IEEEFP, "floating-point"},
      {"signed", PHOTOMETRIC_MINISBLACK, 1, 8, SAMPLEFORMAT_INT, "signed"},
      {"32-bit integers", PHOTOMETRIC_MINISBLACK, 1, 32, SAMPLEFORMAT_UINT, "32-bit samples"},
      {"five samples", PHOTOMETRIC_RGB, 5, 8, SAMPLEFORMAT_UINT, "5 samples per pixel"},
      {"16-bit palette", PHOTOMETRIC_PALETTE, 1, 16, SAMPLEFORMAT_UINT, "more than 256 colours"},
      {"grey with two extra samples", PHOTOMETRIC_MINISBLACK, 3, 8, SAMPLEFORMAT_UINT,
       "3 samples per pixel"},
      {"RGB of two samples", PHOTOMETRIC_RGB, 2, 8, SAMPLEFORMAT_UINT, "RGB"},
  };
  for (const Case& c : cases) {
    TiffSpec s;
    s.width = 4;
    s.height = 2;
    s.photometric = c.photometric;
    s.samples = c.samples;
    s.bits = c.bits;
    s.sample_format = c.sample_format;
    if (c.samples == 5) s.extra = {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_UNSPECIFIED};
    if (c.samples == 3 && c.photometric == PHOTOMETRIC_MINISBLACK) {
      s.extra = {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_UNSPECIFIED};
    }
    if (c.samples == 2 && c.photometric == PHOTOMETRIC_RGB) s.extra = {EXTRASAMPLE_UNSPECIFIED};
    if (c.photometric == PHOTOMETRIC_PALETTE) {
      s.red.assign(65536, 0);
      s.green.assign(65536, 0);
      s.blue.assign(65536, 0);
    }
    s.values.assign(size_t(4 * 2 * c.samples), 0);
    const std::string path = dir.Path() + "/r.tiff";
    WriteTiffSpec(path, s);
    for (bool header_only : {true, false}) {
      Image image;
      std::string error;
      EXPECT_FALSE(ReadTiff(path, &image, header_only, &error)) << c.what;
      EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
  }
}

// The fuzzer's seed inputs are valid files, read whole and header only alike.
TEST(TiffReadTest, FuzzSeedsAreReadable) {
  const std::string dir = std::string(BRAE_TEST_DATA_DIR) + "/../fuzz/seeds/fuzz_tiff";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    ReadBoth(entry.path().string(), entry.path().filename().string());
    ++count;
  }
  EXPECT_GT(count, 1);
}

}  // namespace
}  // namespace brae
