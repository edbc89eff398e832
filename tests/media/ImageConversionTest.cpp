#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/ImageConversion.h"
#include "media/MediaFile.h"

namespace brae {
namespace {

using test::MakeTestImage;
using test::TempDir;

void Put(const std::string& path, PixelFormat format) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  MediaFile file(path);
  file.image = MakeTestImage(format, 6, 4);
  ASSERT_TRUE(file.Write()) << file.Error();
}

TEST(ReplaceExtensionTest, Forms) {
  EXPECT_EQ(ReplaceExtension("a/b.c/pic.bmp", "", ".png"), "a/b.c/pic.png");
  EXPECT_EQ(ReplaceExtension("a/b.c/pic", ".alpha", ".png"), "a/b.c/pic.alpha.png");
  EXPECT_EQ(ReplaceExtension("pic.x.tiff", ".alpha", ".bmp"), "pic.x.alpha.bmp");
}

class ImageConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(root() + "/a.bmp", PixelFormat::kRgb);
    Put(root() + "/b.png", PixelFormat::kRgba);
    Put(root() + "/sub/c.tiff", PixelFormat::kGrey);
    Put(root() + "/sub/deeper/d.png", PixelFormat::kIndexed);
    test::WriteFile(root() + "/sub/notes.txt", "not an image");
  }
  std::string root() const { return dir_.Path(); }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(root() + "/" + relative);
  }
  TempDir dir_;
};

// The reason given for path in a list of notes, or "(none)".
std::string ReasonFor(const std::vector<ConversionNote>& notes, const std::string& path) {
  for (const ConversionNote& note : notes) {
    if (note.path == path) return note.reason;
  }
  return "(none)";
}

TEST_F(ImageConversionTest, FullModeConvertsEveryImageOfAnotherType) {
  std::vector<std::string> seen;
  const ConversionResult result =
      ConvertImagesInFolder(root(), MediaType::kPng, ConversionMode::kFull,
                            [&](const std::string& path) { seen.push_back(path); });
  EXPECT_EQ(result.converted, 2);  // a.bmp and c.tiff; the PNG files already have the type
  EXPECT_TRUE(Exists("a.png"));
  EXPECT_TRUE(Exists("sub/c.png"));
  EXPECT_EQ(seen.size(), 5u);  // every file is reported, images or not
  EXPECT_TRUE(std::find(seen.begin(), seen.end(), root() + "/sub/notes.txt") != seen.end());
  ASSERT_EQ(result.skipped.size(), 3u);
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/sub/notes.txt"), "not an image");
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/b.png"), "already a PNG file");
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/sub/deeper/d.png"), "already a PNG file");
  EXPECT_TRUE(result.failed.empty());

  MediaFile converted(root() + "/a.png");
  ASSERT_TRUE(converted.ReadPixels());
  MediaFile original(root() + "/a.bmp");
  ASSERT_TRUE(original.ReadPixels());
  EXPECT_EQ(converted.image.pixels, original.image.pixels);
  EXPECT_EQ(converted.type, MediaType::kPng);

  // A second run finds nothing new to do for the originals and skips the written files.
  EXPECT_EQ(ConvertImagesInFolder(root(), MediaType::kPng, ConversionMode::kFull).converted, 2);
}

TEST_F(ImageConversionTest, AlphaOnlyWritesGreyAlphaImages) {
  const ConversionResult result =
      ConvertImagesInFolder(root(), MediaType::kTiff, ConversionMode::kAlphaOnly);
  EXPECT_EQ(result.converted, 1);  // only b.png has alpha
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/a.bmp"), "no alpha channel");
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/sub/c.tiff"), "already a TIFF file");
  EXPECT_TRUE(result.failed.empty());
  ASSERT_TRUE(Exists("b.alpha.tiff"));
  MediaFile alpha(root() + "/b.alpha.tiff");
  ASSERT_TRUE(alpha.ReadPixels());
  EXPECT_EQ(alpha.image.format, PixelFormat::kGrey);
  const Image source = MakeTestImage(PixelFormat::kRgba, 6, 4);
  for (size_t i = 0; i < 24; ++i) EXPECT_EQ(alpha.image.pixels[i], source.pixels[4 * i + 3]);

  // The PNG of the target type is not skipped in this mode.
  EXPECT_EQ(ConvertImagesInFolder(root(), MediaType::kPng, ConversionMode::kAlphaOnly).converted,
            1);
  EXPECT_TRUE(Exists("b.alpha.png"));
}

TEST_F(ImageConversionTest, ImagesThatCannotBeReadOrWrittenAreFailuresWithTheirReason) {
  // A BMP whose information header no reader knows, and a PNG cut after its signature.
  std::string bmp = "BM" + std::string(12, '\0') + std::string("\x40\0\0\0", 4);
  bmp.resize(200, '\0');
  test::WriteFile(root() + "/odd.bmp", bmp);
  test::WriteFile(root() + "/cut.png", "\x89PNG\r\n\x1a\n");
  // Where the converted file should go stands a folder, so it cannot be written.
  std::filesystem::create_directories(root() + "/sub/c.bmp");

  const ConversionResult result =
      ConvertImagesInFolder(root(), MediaType::kBmp, ConversionMode::kFull);
  EXPECT_EQ(result.converted, 2);  // b.png and d.png: the failures stop nothing else
  ASSERT_EQ(result.failed.size(), 3u);
  EXPECT_EQ(ReasonFor(result.failed, root() + "/odd.bmp"),
            "unsupported BMP information header (64 bytes)");
  EXPECT_NE(ReasonFor(result.failed, root() + "/cut.png").find("PNG"), std::string::npos);
  EXPECT_EQ(ReasonFor(result.failed, root() + "/sub/c.tiff"),
            "cannot write '" + root() + "/sub/c.bmp': cannot create the file");
  EXPECT_EQ(ReasonFor(result.skipped, root() + "/sub/notes.txt"), "not an image");
  EXPECT_TRUE(Exists("b.bmp"));
}

TEST(ImageConversionEdgeTest, MissingFolderAndNonImageTarget) {
  const ConversionResult missing =
      ConvertImagesInFolder("/nonexistent/folder", MediaType::kPng, ConversionMode::kFull);
  EXPECT_EQ(missing.converted, 0);
  EXPECT_TRUE(missing.skipped.empty() && missing.failed.empty());
  TempDir dir;
  Put(dir.Path() + "/a.bmp", PixelFormat::kRgb);
  EXPECT_EQ(ConvertImagesInFolder(dir.Path(), MediaType::kWav, ConversionMode::kFull).converted, 0);
}

}  // namespace
}  // namespace brae
