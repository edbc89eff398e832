// Detail textures from and to image files: what the import accepts, exact pixels through every
// image format, and a whole import and export through the demo game's local folder.
#include "terrain/DtexFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TempDir.h"
#include "media/MediaFile.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "terrain/DtexTag.h"

namespace brae {
namespace {

Image Generated(PixelFormat format, int w, int h) {
  Image image;
  image.format = format;
  image.width = w;
  image.height = h;
  image.pixels.resize(image.PixelBytes());
  uint32_t state = 12345;
  for (uint8_t& v : image.pixels) {
    state = state * 1103515245u + 12345u;
    v = uint8_t(state >> 23);
  }
  if (format == PixelFormat::kIndexed) MakeGreyRamp(&image.palette);
  return image;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  return names;
}

TEST(DtexImport, AcceptsOnlyRgbWithPowerOfTwoSidesUpTo2048) {
  std::string error;
  EXPECT_TRUE(CheckDtexImport(PixelFormat::kRgb, 1, 1, &error));
  EXPECT_TRUE(CheckDtexImport(PixelFormat::kRgb, 2048, 4, &error));
  EXPECT_TRUE(CheckDtexImport(PixelFormat::kRgb, 8, 2048, &error));

  EXPECT_FALSE(CheckDtexImport(PixelFormat::kRgb, 96, 64, &error));
  EXPECT_EQ(error, kDtexPowerOfTwoText);
  EXPECT_FALSE(CheckDtexImport(PixelFormat::kRgb, 64, 0, &error));
  EXPECT_EQ(error, kDtexPowerOfTwoText);
  // 4096 is a power of two, but the coder's 12-bit fields cannot hold it.
  EXPECT_FALSE(CheckDtexImport(PixelFormat::kRgb, 4096, 1, &error));
  EXPECT_NE(error.find("2048"), std::string::npos);

  for (PixelFormat other : {PixelFormat::kGrey, PixelFormat::kIndexed, PixelFormat::kRgba,
                            PixelFormat::kIndexedAlpha}) {
    EXPECT_FALSE(CheckDtexImport(other, 64, 64, &error)) << PixelFormatName(other);
    EXPECT_NE(error.find("not an RGB image"), std::string::npos) << error;
    EXPECT_FALSE(DtexFromImage(Generated(other, 4, 4), &error));
  }
}

TEST(DtexImport, CopiesThePixelsOfAnRgbImage) {
  const Image image = Generated(PixelFormat::kRgb, 16, 4);
  std::string error;
  std::optional<DtexImage> dtex = DtexFromImage(image, &error);
  ASSERT_TRUE(dtex) << error;
  EXPECT_EQ(dtex->width, 16);
  EXPECT_EQ(dtex->height, 4);
  EXPECT_EQ(dtex->carried, 0u);
  EXPECT_EQ(dtex->pixels, image.pixels);
  const Image back = ImageFromDtex(*dtex);
  EXPECT_EQ(back.format, PixelFormat::kRgb);
  EXPECT_EQ(back.pixels, image.pixels);

  Image short_pixels = image;
  short_pixels.pixels.pop_back();
  EXPECT_FALSE(DtexFromImage(short_pixels, &error));
}

TEST(DtexFiles, EveryFormatKeepsThePixelsExactly) {
  test::TempDir dir;
  std::optional<DtexImage> dtex = DtexFromImage(Generated(PixelFormat::kRgb, 32, 8), nullptr);
  ASSERT_TRUE(dtex);
  for (const char* name : {"t.bmp", "t.png", "t.tif", "t.TIFF"}) {
    const std::string path = dir.Path() + "/" + name;
    std::string error;
    ASSERT_TRUE(WriteDtexImageFile(*dtex, path, &error)) << name << ": " << error;
    std::optional<DtexImage> read = ReadDtexImageFile(path, &error);
    ASSERT_TRUE(read) << name << ": " << error;
    EXPECT_EQ(read->width, 32);
    EXPECT_EQ(read->height, 8);
    EXPECT_EQ(read->pixels, dtex->pixels) << name;
  }
  // Only the four files: no scratch file stays behind.
  EXPECT_EQ(FolderEntries(dir.Path()).size(), 4u);
}

TEST(DtexFiles, RefusedFilesAndFailedWritesLeaveNothingBehind) {
  test::TempDir dir;
  std::string error;
  // A grey picture and a picture of the wrong size are refused by their header.
  MediaFile grey(dir.Path() + "/grey.png");
  grey.image = Generated(PixelFormat::kGrey, 8, 8);
  ASSERT_TRUE(grey.Write());
  EXPECT_FALSE(ReadDtexImageFile(grey.path, &error));
  EXPECT_NE(error.find("not an RGB image"), std::string::npos);
  MediaFile odd(dir.Path() + "/odd.bmp");
  odd.image = Generated(PixelFormat::kRgb, 12, 8);
  ASSERT_TRUE(odd.Write());
  EXPECT_FALSE(ReadDtexImageFile(odd.path, &error));
  EXPECT_EQ(error, kDtexPowerOfTwoText);
  EXPECT_FALSE(ReadDtexImageFile(dir.Path() + "/missing.png", &error));
  test::WriteFile(dir.Path() + "/cut.png", test::ReadFile(grey.path).substr(0, 40));
  EXPECT_FALSE(ReadDtexImageFile(dir.Path() + "/cut.png", &error));

  std::optional<DtexImage> dtex = DtexFromImage(Generated(PixelFormat::kRgb, 4, 4), nullptr);
  ASSERT_TRUE(dtex);
  EXPECT_FALSE(WriteDtexImageFile(*dtex, dir.Path() + "/t.gif", &error));
  EXPECT_FALSE(WriteDtexImageFile(*dtex, dir.Path() + "/no/such/folder/t.png", &error));
  EXPECT_EQ(error, kDtexWriteFailedText);
  // A folder in the way: the scratch file is written but cannot replace it, and goes again.
  std::filesystem::create_directory(dir.Path() + "/taken.png");
  EXPECT_FALSE(WriteDtexImageFile(*dtex, dir.Path() + "/taken.png", &error));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/taken.png"));
  DtexImage broken = *dtex;
  broken.pixels.resize(5);
  EXPECT_FALSE(WriteDtexImageFile(broken, dir.Path() + "/broken.png", &error));
  std::vector<std::string> left = FolderEntries(dir.Path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"cut.png", "grey.png", "odd.bmp", "taken.png"}));
}

// A generated image goes into the demo game as a new local 'dtex' tag and comes out again.
TEST(DtexFiles, ImportAndExportThroughTheDemoGame) {
  test::TempDir game;
  ASSERT_TRUE(demo::MakeDemoGame().Write(game.Path()));
  const Image source = Generated(PixelFormat::kRgb, 64, 128);
  MediaFile png(game.Path() + "/source.png");
  png.image = source;
  ASSERT_TRUE(png.Write());

  std::string error;
  std::optional<DtexImage> imported = ReadDtexImageFile(png.path, &error);
  ASSERT_TRUE(imported) << error;
  uint32_t id = 0;
  {
    Codex codex;
    codex.LoadCodex(game.Path());
    TagResourceManager<DtexTag> manager(codex);
    DtexTag* tag = manager.CreateNew(FourCC("dtex"), "Imported Noise", kNoSubgroup);
    ASSERT_TRUE(tag);
    ASSERT_TRUE(tag->SetPixels(imported->pixels.data(), imported->width, imported->height));
    ASSERT_TRUE(tag->Save());
    id = tag->record()->subgroup;
    manager.Release(tag);
    codex.ShutdownCodex();
  }
  EXPECT_TRUE(std::filesystem::exists(game.Path() + "/local/detail textures/Imported Noise"));

  Codex codex;
  codex.LoadCodex(game.Path());
  TagRecord* record = codex.FindTag(FourCC("dtex"), id);
  ASSERT_TRUE(record);
  ASSERT_TRUE(record->local);
  TagResourceManager<DtexTag> manager(codex);
  DtexTag* tag = manager.Acquire(record);
  ASSERT_TRUE(tag);
  const std::string out = game.Path() + "/exported.tif";
  ASSERT_TRUE(WriteDtexImageFile(tag->Image(), out, &error)) << error;
  manager.Release(tag);
  codex.ShutdownCodex();

  MediaFile back(out);
  ASSERT_TRUE(back.ReadPixels()) << back.Error();
  EXPECT_EQ(back.image.format, PixelFormat::kRgb);
  EXPECT_EQ(back.image.width, 64);
  EXPECT_EQ(back.image.height, 128);
  EXPECT_EQ(back.image.pixels, source.pixels);
}

TEST(DemoCrate, ItsTextureIsBesideTheObject) {
  test::TempDir game;
  ASSERT_TRUE(demo::MakeDemoGame().Write(game.Path()));
  MediaFile png(game.Path() + "/models/crate.png");
  ASSERT_TRUE(png.ReadPixels()) << png.Error();
  EXPECT_EQ(png.type, MediaType::kPng);
  EXPECT_EQ(png.image.format, PixelFormat::kIndexed);
  EXPECT_EQ(png.image.width, 64);
  EXPECT_EQ(png.image.height, 64);
  EXPECT_NE(test::ReadFile(game.Path() + "/models/crate.lwo").find("crate.png"), std::string::npos);
}

}  // namespace
}  // namespace brae
