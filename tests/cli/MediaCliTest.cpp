// brae-cli's media commands over the demo game folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::RunCliSeparately;
using test::ShellQuote;

class MediaCliDemo : public test::DemoGameCli {};

TEST_F(MediaCliDemo, SoundsListsEveryPermutation) {
  test::CliResult bell = RunCli("sounds " + Game() + " bell");
  ASSERT_EQ(bell.status, 0) << bell.out;
  EXPECT_NE(bell.out.find("Bell Mono                  00:01     16        1 (mono)   22050 Hz"),
            std::string::npos)
      << bell.out;
  EXPECT_NE(bell.out.find("2 (stereo) 44100 Hz"), std::string::npos);
  EXPECT_NE(bell.out.find("Silence                    00:00"), std::string::npos);

  test::CliResult horn = RunCli("sounds " + Game() + " horn");  // the local copy
  ASSERT_EQ(horn.status, 0) << horn.out;
  EXPECT_NE(horn.out.find("A Horn Of Twentyfive Char"), std::string::npos);
  EXPECT_EQ(RunCli("sounds " + Game() + " none").status, 2);
  EXPECT_EQ(RunCli("sounds " + Game()).status, 2);
}

TEST_F(MediaCliDemo, ExportSoundsWritesWavFiles) {
  test::TempDir out;
  test::CliResult all = RunCli("export-sounds " + Game() + " horn " + ShellQuote(out.Path()));
  ASSERT_EQ(all.status, 0) << all.out;
  // The stereo permutation of three packets: one frame, 256 bytes of samples.
  EXPECT_EQ(std::filesystem::file_size(out.Path() + "/Horn Odd Stereo.wav"), 44u + 256u);
  EXPECT_TRUE(std::filesystem::exists(out.Path() + "/A Horn Of Twentyfive Char.wav"));

  test::TempDir some;
  test::CliResult only = RunCli("export-sounds " + Game() + " bell " + ShellQuote(some.Path()) +
                                " --only Silence --only 'Bell Stereo'");
  ASSERT_EQ(only.status, 0) << only.out;
  EXPECT_TRUE(std::filesystem::exists(some.Path() + "/Bell Stereo.wav"));
  EXPECT_FALSE(std::filesystem::exists(some.Path() + "/Silence.wav"));  // no packets
  EXPECT_FALSE(std::filesystem::exists(some.Path() + "/Bell Mono.wav"));
  EXPECT_EQ(RunCli("export-sounds " + Game() + " bell " + ShellQuote(some.Path()) + " --only Nope")
                .status,
            2);
}

TEST_F(MediaCliDemo, ConvertImagesReportsEachFileAndTheCount) {
  const std::string images = dir_.Path() + "/images";
  test::CliResult full = RunCliSeparately("convert-images " + ShellQuote(images) + " --to tiff");
  ASSERT_EQ(full.status, 0) << full.out << full.err;
  EXPECT_NE(full.out.find("Processing... "), std::string::npos);
  EXPECT_NE(full.out.find("4 files processed\n"), std::string::npos) << full.out;
  EXPECT_NE(full.out.find("4 converted, 3 skipped, 0 failed\n"), std::string::npos) << full.out;
  EXPECT_TRUE(std::filesystem::exists(images + "/photo.tiff"));
  // Every skipped file is named on standard error with the reason.
  EXPECT_NE(full.err.find("skipped " + images + "/readme.txt: not an image\n"), std::string::npos)
      << full.err;
  EXPECT_NE(full.err.find("skipped " + images + "/icons/mask.tiff: already a TIFF file\n"),
            std::string::npos)
      << full.err;
  EXPECT_EQ(full.out.find("skipped " + images), std::string::npos);

  test::CliResult alpha = RunCli("convert-images " + ShellQuote(images) + " --to png --alpha-only");
  ASSERT_EQ(alpha.status, 0) << alpha.out;
  EXPECT_TRUE(std::filesystem::exists(images + "/sprite.alpha.png"));
  EXPECT_EQ(RunCli("convert-images " + ShellQuote(images) + " --to gif").status, 2);
  EXPECT_EQ(RunCli("convert-images " + ShellQuote(images)).status, 2);
}

TEST(MediaCliTest, ConvertImagesExitsOneWhenAnImageFails) {
  test::TempDir dir;
  // A 1 x 1 24-bit BMP, a BMP whose 64-byte information header is not taken, and a text file.
  const uint8_t good[] = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,        // file header: size 58, pixels at 54
      40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0,              // information header: 40 bytes, 1 x 1
      1,   0,   24, 0, 0, 0, 0, 0, 0, 0, 0,  0,              // 1 plane, 24 bits, no compression
      0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0,  // resolutions, colour counts
      255, 0,   0,  0,                                       // one blue pixel and its padding
  };
  std::string odd(reinterpret_cast<const char*>(good), sizeof good);
  odd[14] = 64;
  test::WriteFile(dir.Path() + "/good.bmp",
                  std::string(reinterpret_cast<const char*>(good), sizeof good));
  test::WriteFile(dir.Path() + "/odd.bmp", odd);
  test::WriteFile(dir.Path() + "/notes.txt", "notes");

  test::CliResult r = RunCliSeparately("convert-images " + ShellQuote(dir.Path()) + " --to png");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("1 files processed\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 converted, 1 skipped, 1 failed\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("failed " + dir.Path() +
                       "/odd.bmp: unsupported BMP information header (64 bytes)\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("skipped " + dir.Path() + "/notes.txt: not an image\n"), std::string::npos)
      << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/good.png"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/odd.png"));

  // Once the failing file is gone, the same folder converts with status 0.
  std::filesystem::remove(dir.Path() + "/odd.bmp");
  r = RunCliSeparately("convert-images " + ShellQuote(dir.Path()) + " --to tiff");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("2 converted, 1 skipped, 0 failed\n"), std::string::npos) << r.out;
}

// Gradients with noise: a few thousand colours. alpha_zero_every: every so many pixels is fully
// transparent (0: none).
Image Picture(PixelFormat format, int width, int height, int alpha_zero_every = 0) {
  Image image;
  image.format = format;
  image.width = width;
  image.height = height;
  image.pixels.resize(image.PixelBytes());
  if (format == PixelFormat::kIndexed) {
    image.palette.count = 16;
    for (int i = 0; i < 16; ++i) image.palette.entries[i] = Rgb{uint8_t(i * 16), 200, 3};
  }
  const int bpp = BytesPerPixel(format);
  uint32_t seed = 3;
  for (int i = 0; i < width * height; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = i % width, y = i / width, noise = int(seed >> 28);
    uint8_t* p = &image.pixels[size_t(i) * size_t(bpp)];
    p[0] = uint8_t(format == PixelFormat::kIndexed ? (x / 4 + y) % 16 : x * 3 + noise);
    if (bpp >= 3) p[1] = uint8_t(y * 4 + noise), p[2] = uint8_t(x + y);
    if (bpp == 4) p[3] = alpha_zero_every && i % alpha_zero_every == 0 ? 0 : uint8_t(100 + x);
  }
  return image;
}

class QuantizeCli : public ::testing::Test {
 protected:
  // Writes the picture as IN.png; the path.
  std::string Input(const Image& image, const std::string& name = "in.png") {
    MediaFile file(dir_.Path() + "/" + name);
    file.image = image;
    EXPECT_TRUE(file.Write()) << file.Error();
    return file.path;
  }
  std::string Out(const std::string& name) const { return dir_.Path() + "/" + name; }
  test::CliResult Run(const std::string& in, const std::string& out, const std::string& more = "") {
    return RunCli("quantize " + ShellQuote(in) + " " + ShellQuote(out) + more);
  }
  test::TempDir dir_;
};

TEST_F(QuantizeCli, WritesAnIndexedImageOfEveryTypeAndReportsItsPsnr) {
  const Image source = Picture(PixelFormat::kRgb, 80, 60);
  const std::string in = Input(source);
  for (const char* name : {"out.png", "out.bmp", "out.tif", "out.TIFF"}) {
    SCOPED_TRACE(name);
    test::CliResult r = Run(in, Out(name), " --colors 16");
    ASSERT_EQ(r.status, 0) << r.out;
    MediaFile written(Out(name));
    ASSERT_TRUE(written.ReadPixels()) << written.Error();
    EXPECT_EQ(written.image.format, PixelFormat::kIndexed);
    // TIFF's colour map always has 256 entries; only the first 16 are used.
    for (uint8_t index : written.image.pixels) ASSERT_LT(index, 16);
    // The figure printed is the written file's PSNR against the input.
    const ColorFidelity f = CompareColors(source, written.image);
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "palette size: 16\nPSNR: %.2f dB (RGB over 4800 of 4800 pixels; pixels of "
                  "alpha 0 not counted)\n",
                  f.psnr_db);
    EXPECT_EQ(r.out, expected);
    EXPECT_GT(f.psnr_db, 20.0);
  }
  // 256 colours by default.
  test::CliResult r = Run(in, Out("full.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("palette size: 256"), std::string::npos) << r.out;
}

TEST_F(QuantizeCli, TransparentPixelsAreLeftOutOfThePsnr) {
  const std::string in = Input(Picture(PixelFormat::kRgba, 40, 30, 4));
  test::CliResult r = Run(in, Out("out.png"), " --colors 2");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("palette size: 2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("over 900 of 1200 pixels"), std::string::npos) << r.out;

  Image clear = Picture(PixelFormat::kRgba, 4, 4);
  for (size_t i = 3; i < clear.pixels.size(); i += 4) clear.pixels[i] = 0;
  r = Run(Input(clear, "clear.png"), Out("clear-out.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "palette size: 1\nPSNR: none (every pixel is transparent)\n");
}

TEST_F(QuantizeCli, GreyAndIndexedInputsAreExpandedFirst) {
  test::CliResult r = Run(Input(Picture(PixelFormat::kGrey, 30, 20), "grey.png"),
                          Out("grey-out.bmp"), " --colors 8");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("palette size: 8"), std::string::npos) << r.out;

  // A 16-colour indexed picture shrinks to 4; at 16 it keeps every colour.
  const std::string indexed = Input(Picture(PixelFormat::kIndexed, 32, 16), "indexed.bmp");
  r = Run(indexed, Out("four.png"), " --colors 4");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("palette size: 4"), std::string::npos) << r.out;
  r = Run(indexed, Out("same.png"), " --colors 16");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("palette size: 16\nPSNR: inf dB"), std::string::npos) << r.out;
}

TEST_F(QuantizeCli, BadArgumentsAndFilesFailWithAMessage) {
  const std::string in = Input(Picture(PixelFormat::kRgb, 8, 8));
  for (const char* colors : {"1", "257", "0", "-4", "abc", "12x", "", " 9"}) {
    test::CliResult r = Run(in, Out("out.png"), std::string(" --colors ") + ShellQuote(colors));
    EXPECT_EQ(r.status, 2) << colors;
    EXPECT_NE(r.out.find("--colors takes a whole number from 2 to 256"), std::string::npos)
        << r.out;
  }
  EXPECT_FALSE(std::filesystem::exists(Out("out.png")));

  test::CliResult r = Run(in, Out("out.gif"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("must end in .bmp, .png, .tif or .tiff"), std::string::npos) << r.out;
  r = Run(Out("missing.png"), Out("out.png"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("cannot read the image"), std::string::npos) << r.out;
  {
    std::FILE* text = std::fopen(Out("notes.png").c_str(), "wb");
    ASSERT_TRUE(text);
    std::fputs("not a picture\n", text);
    std::fclose(text);
  }
  EXPECT_EQ(Run(Out("notes.png"), Out("out.png")).status, 2);
  r = Run(in, Out("no-such-folder/out.png"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("cannot write the image"), std::string::npos) << r.out;
  EXPECT_EQ(RunCli("quantize " + ShellQuote(in)).status, 2);
  EXPECT_EQ(
      RunCli("quantize " + ShellQuote(in) + " " + ShellQuote(Out("a.png")) + " --colors").status,
      2);
}

}  // namespace
}  // namespace brae
