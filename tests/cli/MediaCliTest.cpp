// brae-cli's media commands over the demo game folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::RunCliSeparately;
using test::ShellQuote;

class MediaCliDemo : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(demo::MakeDemoGame().Write(dir_.Path())); }
  std::string Game() const { return ShellQuote(dir_.Path()); }
  test::TempDir dir_;
};

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

}  // namespace
}  // namespace brae
