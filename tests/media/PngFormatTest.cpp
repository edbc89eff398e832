// The PNG reader over files libpng writes here in every colour type and bit depth.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/PngFormat.h"

namespace brae {
namespace {

using test::TempDir;

// A PNG as stored: samples row by row (channels per pixel by colour type, each of depth bits).
struct PngSpec {
  int width = 13;
  int height = 7;
  int depth = 8;
  int color_type = PNG_COLOR_TYPE_GRAY;
  bool interlaced = false;
  std::vector<uint16_t> samples;
  std::vector<png_color> palette;
  std::vector<uint8_t> palette_alpha;  // a tRNS chunk for a palette image
  bool transparent_colour = false;     // a tRNS chunk for grey or RGB
  png_color_16 transparent = {};
  bool gamma_chunks = false;  // gAMA, cHRM and sBIT chunks with odd values
};

int Channels(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

void WritePngSpec(const std::string& path, const PngSpec& s) {
  const int channels = Channels(s.color_type);
  const size_t row_bytes = (size_t(s.width) * size_t(channels) * size_t(s.depth) + 7) / 8;
  std::vector<uint8_t> pixels(row_bytes * size_t(s.height), 0);
  for (int y = 0; y < s.height; ++y) {
    uint8_t* row = &pixels[row_bytes * size_t(y)];
    for (size_t i = 0; i < size_t(s.width * channels); ++i) {
      const uint16_t v = s.samples[size_t(y * s.width * channels) + i];
      if (s.depth == 16) {
        row[2 * i] = uint8_t(v >> 8);
        row[2 * i + 1] = uint8_t(v);
      } else if (s.depth == 8) {
        row[i] = uint8_t(v);
      } else {
        const size_t bit = i * size_t(s.depth);
        row[bit / 8] |= uint8_t(v << (8 - s.depth - int(bit % 8)));
      }
    }
  }
  std::vector<png_bytep> rows;
  for (int y = 0; y < s.height; ++y) rows.push_back(&pixels[row_bytes * size_t(y)]);

  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.depth, s.color_type,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) {
    png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
  }
  if (!s.palette_alpha.empty()) {
    png_set_tRNS(png, info, s.palette_alpha.data(), int(s.palette_alpha.size()), nullptr);
  }
  if (s.transparent_colour) png_set_tRNS(png, info, nullptr, 0, &s.transparent);
  if (s.gamma_chunks) {
    png_set_gAMA_fixed(png, info, 10000);  // a gamma of 0.1
    png_set_cHRM_fixed(png, info, 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000);
    png_color_8 significant = {3, 3, 3, 3, 0};
    png_set_sBIT(png, info, &significant);
  }
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// Reads the file whole and header only, checks that both agree, and returns the whole read.
Image ReadBoth(const std::string& path, const std::string& what) {
  Image whole, header;
  std::string error;
  EXPECT_TRUE(ReadPng(path, &whole, false, &error)) << what << ": " << error;
  EXPECT_TRUE(ReadPng(path, &header, true, &error)) << what << ": " << error;
  EXPECT_EQ(header.format, whole.format) << what;
  EXPECT_EQ(header.width, whole.width) << what;
  EXPECT_EQ(header.height, whole.height) << what;
  EXPECT_EQ(header.palette.count, whole.palette.count) << what;
  for (int i = 0; i < whole.palette.count; ++i) {
    EXPECT_EQ(header.palette.entries[i], whole.palette.entries[i]) << what;
  }
  EXPECT_TRUE(header.pixels.empty()) << what;
  EXPECT_EQ(whole.pixels.size(), whole.PixelBytes()) << what;
  return whole;
}

std::string Describe(const PngSpec& s) {
  return "colour type " + std::to_string(s.color_type) + ", " + std::to_string(s.depth) + " bits" +
         (s.interlaced ? ", interlaced" : "");
}

// Samples that vary across the image and use the whole range of the depth.
std::vector<uint16_t> Ramp(const PngSpec& s, uint32_t seed) {
  std::vector<uint16_t> samples;
  const uint32_t range = s.depth == 16 ? 65536u : 1u << s.depth;
  const size_t count = size_t(s.width) * size_t(s.height) * size_t(Channels(s.color_type));
  for (size_t i = 0; i < count; ++i) {
    samples.push_back(uint16_t((i * 40503u + seed * 977u + (i >> 3) * 7u) % range));
  }
  return samples;
}

// What a sample becomes: sub-byte grey scaled to 0-255, 16 bits reduced to the high byte.
uint8_t Expected(uint16_t sample, int depth) {
  if (depth == 16) return uint8_t(sample >> 8);
  return uint8_t(sample * 255 / ((1 << depth) - 1));
}

TEST(PngReadTest, PalettesOfEveryDepthStayColourIndexed) {
  TempDir dir;
  for (int depth : {1, 2, 4, 8}) {
    for (bool interlaced : {false, true}) {
      PngSpec s;
      s.depth = depth;
      s.color_type = PNG_COLOR_TYPE_PALETTE;
      s.interlaced = interlaced;
      const int colours = depth == 8 ? 200 : 1 << depth;
      for (int i = 0; i < colours; ++i) {
        s.palette.push_back(png_color{uint8_t(i), uint8_t(3 * i), uint8_t(255 - i)});
      }
      for (int i = 0; i < s.width * s.height; ++i) {
        s.samples.push_back(uint16_t((i * 7 + i / 13) % colours));
      }
      for (bool with_trns : {false, true}) {
        const std::string what = Describe(s) + (with_trns ? ", tRNS" : "");
        // A tRNS chunk on a palette image is ignored: the image stays colour-indexed.
        if (with_trns) s.palette_alpha = {0, 128, 255};
        const std::string path = dir.Path() + "/p.png";
        WritePngSpec(path, s);
        const Image image = ReadBoth(path, what);
        EXPECT_EQ(image.format, PixelFormat::kIndexed) << what;
        ASSERT_EQ(image.palette.count, colours) << what;
        for (int i = 0; i < colours; ++i) {
          EXPECT_EQ(image.palette.entries[i],
                    (Rgb{s.palette[size_t(i)].red, s.palette[size_t(i)].green,
                         s.palette[size_t(i)].blue}))
              << what;
        }
        EXPECT_EQ(image.pixels, std::vector<uint8_t>(s.samples.begin(), s.samples.end())) << what;
      }
    }
  }
}

TEST(PngReadTest, GreyOfEveryDepthIsScaledToEightBits) {
  TempDir dir;
  for (int depth : {1, 2, 4, 8, 16}) {
    for (bool interlaced : {false, true}) {
      PngSpec s;
      s.depth = depth;
      s.interlaced = interlaced;
      s.samples = Ramp(s, 1);
      const std::string what = Describe(s);
      const std::string path = dir.Path() + "/g.png";
      WritePngSpec(path, s);
      const Image image = ReadBoth(path, what);
      EXPECT_EQ(image.format, PixelFormat::kGrey) << what;
      ASSERT_EQ(image.pixels.size(), s.samples.size()) << what;
      for (size_t i = 0; i < s.samples.size(); ++i) {
        ASSERT_EQ(image.pixels[i], Expected(s.samples[i], depth)) << what << " pixel " << i;
      }
    }
  }
  // The scale, spelled out: two bits give 0, 85, 170, 255; four give steps of 17.
  EXPECT_EQ(Expected(1, 2), 85);
  EXPECT_EQ(Expected(3, 4), 51);
  EXPECT_EQ(Expected(0x12FF, 16), 0x12);  // the high byte, not rounded
}

TEST(PngReadTest, ColourAndAlphaTypesAtEightAndSixteenBits) {
  TempDir dir;
  struct Case {
    int color_type;
    PixelFormat format;
  };
  for (const Case& c : {Case{PNG_COLOR_TYPE_GRAY_ALPHA, PixelFormat::kRgba},
                        Case{PNG_COLOR_TYPE_RGB, PixelFormat::kRgb},
                        Case{PNG_COLOR_TYPE_RGB_ALPHA, PixelFormat::kRgba}}) {
    for (int depth : {8, 16}) {
      for (bool interlaced : {false, true}) {
        PngSpec s;
        s.depth = depth;
        s.color_type = c.color_type;
        s.interlaced = interlaced;
        s.samples = Ramp(s, 3);
        const std::string what = Describe(s);
        const std::string path = dir.Path() + "/c.png";
        WritePngSpec(path, s);
        const Image image = ReadBoth(path, what);
        EXPECT_EQ(image.format, c.format) << what;
        const size_t channels = size_t(Channels(c.color_type));
        for (size_t p = 0; p < size_t(s.width * s.height); ++p) {
          const uint16_t* in = &s.samples[p * channels];
          const uint8_t* out = &image.pixels[p * size_t(BytesPerPixel(c.format))];
          if (c.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
            // Grey with alpha becomes RGBA with the grey in all three colours.
            const uint8_t expected[4] = {Expected(in[0], depth), Expected(in[0], depth),
                                         Expected(in[0], depth), Expected(in[1], depth)};
            ASSERT_EQ(0, std::memcmp(out, expected, 4)) << what << " pixel " << p;
          } else {
            for (size_t k = 0; k < channels; ++k) {
              ASSERT_EQ(out[k], Expected(in[k], depth)) << what << " pixel " << p;
            }
          }
        }
      }
    }
  }
}

TEST(PngReadTest, TransparentColourOfGreyAndRgbBecomesAlpha) {
  TempDir dir;
  struct Case {
    int color_type;
    int depth;
    png_color_16 transparent;  // the grey level or the RGB colour
  };
  const Case cases[] = {
      {PNG_COLOR_TYPE_GRAY, 8, {0, 0, 0, 0, 77}},
      {PNG_COLOR_TYPE_GRAY, 2, {0, 0, 0, 0, 1}},
      {PNG_COLOR_TYPE_GRAY, 16, {0, 0, 0, 0, 0x12FF}},
      {PNG_COLOR_TYPE_RGB, 8, {0, 10, 20, 30, 0}},
      {PNG_COLOR_TYPE_RGB, 16, {0, 0x1234, 0x5678, 0x9ABC, 0}},
  };
  for (const Case& c : cases) {
    for (bool interlaced : {false, true}) {
      PngSpec s;
      s.width = 5;
      s.height = 3;
      s.color_type = c.color_type;
      s.depth = c.depth;
      s.interlaced = interlaced;
      s.transparent_colour = true;
      s.transparent = c.transparent;
      const bool grey = c.color_type == PNG_COLOR_TYPE_GRAY;
      // Every third pixel has the transparent colour; the others differ from it only in the
      // low byte of one sample (or by one level of grey).
      const uint16_t key[3] = {grey ? c.transparent.gray : c.transparent.red, c.transparent.green,
                               c.transparent.blue};
      for (int p = 0; p < 15; ++p) {
        for (int k = 0; k < (grey ? 1 : 3); ++k) {
          uint16_t v = key[k];
          if (p % 3 != 0 && k == 0) v = uint16_t(v ^ 1);
          s.samples.push_back(v);
        }
      }
      const std::string what = Describe(s) + ", tRNS";
      const std::string path = dir.Path() + "/t.png";
      WritePngSpec(path, s);
      const Image image = ReadBoth(path, what);
      ASSERT_EQ(image.format, PixelFormat::kRgba) << what;
      for (int p = 0; p < 15; ++p) {
        const uint8_t* out = &image.pixels[4 * size_t(p)];
        EXPECT_EQ(out[3], p % 3 == 0 ? 0 : 255) << what << " pixel " << p;
        const int depth = c.depth;
        const uint16_t* in = &s.samples[size_t(p) * (grey ? 1 : 3)];
        for (int k = 0; k < 3; ++k) {
          EXPECT_EQ(out[k], Expected(in[grey ? 0 : k], depth)) << what << " pixel " << p;
        }
      }
    }
  }
}

TEST(PngReadTest, GammaAndColourChunksDoNotChangeThePixels) {
  TempDir dir;
  for (int color_type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA}) {
    PngSpec s;
    s.color_type = color_type;
    s.samples = Ramp(s, 5);
    s.gamma_chunks = true;
    const std::string path = dir.Path() + "/gamma.png";
    WritePngSpec(path, s);
    const Image image = ReadBoth(path, Describe(s));
    EXPECT_EQ(image.pixels, std::vector<uint8_t>(s.samples.begin(), s.samples.end()));
  }
}

TEST(PngReadTest, PaletteImageWithoutPaletteIsRefused) {
  // libpng will not write one, so the chunks are laid out here: signature, IHDR of a 1 x 1
  // palette image, and IDAT holding one filter byte and index 0 (zlib, stored block), IEND.
  TempDir dir;
  std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto chunk = [&b](const char* type, std::vector<uint8_t> data) {
    const size_t at = b.size();
    b.resize(at + 4);
    test::PutBE32(b, at, uint32_t(data.size()));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    const uint32_t crc = uint32_t(crc32(0, &b[at + 4], uInt(4 + data.size())));
    b.resize(b.size() + 4);
    test::PutBE32(b, b.size() - 4, crc);
  };
  chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 3, 0, 0, 0});
  chunk("IDAT", {0x78, 0x01, 0x01, 0x02, 0x00, 0xFD, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01});
  chunk("IEND", {});
  const std::string path = dir.Path() + "/nopalette.png";
  test::WriteBytes(path, b);
  Image image;
  std::string error;
  EXPECT_FALSE(ReadPng(path, &image, true, &error));
  EXPECT_NE(error.find("PLTE"), std::string::npos) << error;
  EXPECT_FALSE(ReadPng(path, &image, false, &error));
}

// The fuzzer's seed inputs are valid files, read whole and header only alike.
TEST(PngReadTest, FuzzSeedsAreReadable) {
  const std::string dir = std::string(BRAE_TEST_DATA_DIR) + "/../fuzz/seeds/fuzz_png";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    ReadBoth(entry.path().string(), entry.path().filename().string());
    ++count;
  }
  EXPECT_GT(count, 1);
}

}  // namespace
}  // namespace brae
