// brae-cli's media commands over the demo game folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
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
  const std::string images = ShellQuote(dir_.Path() + "/images");
  test::CliResult full = RunCli("convert-images " + images + " --to tiff");
  ASSERT_EQ(full.status, 0) << full.out;
  EXPECT_NE(full.out.find("Processing... "), std::string::npos);
  EXPECT_NE(full.out.find("4 files processed"), std::string::npos) << full.out;
  EXPECT_TRUE(std::filesystem::exists(dir_.Path() + "/images/photo.tiff"));

  test::CliResult alpha = RunCli("convert-images " + images + " --to png --alpha-only");
  ASSERT_EQ(alpha.status, 0) << alpha.out;
  EXPECT_TRUE(std::filesystem::exists(dir_.Path() + "/images/sprite.alpha.png"));
  EXPECT_EQ(RunCli("convert-images " + images + " --to gif").status, 2);
  EXPECT_EQ(RunCli("convert-images " + images).status, 2);
}

}  // namespace
}  // namespace brae
