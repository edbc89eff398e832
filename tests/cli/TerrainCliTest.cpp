// brae-cli's detail texture import and export over the demo game folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "media/MediaFile.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::ShellQuote;

class TerrainCliDemo : public test::DemoGameCli {
 protected:
  std::string In(const std::string& name) const { return ShellQuote(dir_.Path() + "/" + name); }
  std::string TexturesFolder() const { return dir_.Path() + "/local/detail textures"; }
  size_t LocalTextureCount() const {
    const std::filesystem::directory_iterator entries(TexturesFolder());
    return size_t(std::distance(begin(entries), end(entries)));
  }
  // Writes a generated picture of the given format and size into the game folder.
  void WritePicture(const std::string& name, PixelFormat format, int w, int h) {
    MediaFile file(dir_.Path() + "/" + name);
    file.image.format = format;
    file.image.width = w;
    file.image.height = h;
    file.image.pixels.resize(file.image.PixelBytes());
    for (size_t i = 0; i < file.image.pixels.size(); ++i)
      file.image.pixels[i] = uint8_t((i * 37) ^ (i >> 5));
    if (format == PixelFormat::kIndexed) MakeGreyRamp(&file.image.palette);
    ASSERT_TRUE(file.Write()) << file.Error();
  }
};

// One line on standard error and status 2.
void ExpectRefusal(const test::CliResult& r, const std::string& text) {
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
}

TEST_F(TerrainCliDemo, ImportThenExportKeepsEveryPixel) {
  WritePicture("noise.bmp", PixelFormat::kRgb, 32, 64);
  test::CliResult import = RunCli("dtex-import " + Game() + " 'Noise Texture' " + In("noise.bmp"));
  ASSERT_EQ(import.status, 0) << import.out;
  EXPECT_EQ(import.out, "dtex NoTe Noise Texture\n");
  EXPECT_TRUE(std::filesystem::exists(TexturesFolder() + "/Noise Texture"));

  test::CliResult show = RunCli("show " + Game() + " dtex NoTe");
  ASSERT_EQ(show.status, 0) << show.out;
  EXPECT_NE(show.out.find("width: 32"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("height: 64"), std::string::npos) << show.out;

  for (const char* name : {"out.png", "out.bmp", "out.tif", "out.tiff"}) {
    test::CliResult exported = RunCli("dtex-export " + Game() + " NoTe " + In(name));
    ASSERT_EQ(exported.status, 0) << exported.out;
    MediaFile back(dir_.Path() + "/" + name);
    ASSERT_TRUE(back.ReadPixels()) << back.Error();
    MediaFile source(dir_.Path() + "/noise.bmp");
    ASSERT_TRUE(source.ReadPixels());
    EXPECT_EQ(back.image.format, PixelFormat::kRgb) << name;
    EXPECT_EQ(back.image.pixels, source.image.pixels) << name;
  }
}

// The round trip of an external edit from the command line: a bitmap and a detail texture
// replaced in place from files, keeping their names; unusable files change nothing.
TEST_F(TerrainCliDemo, ReplaceCommandsTakeABitmapAndATextureFromAFile) {
  const std::string out = dir_.Path() + "/out";
  ASSERT_EQ(RunCli("collection-export " + Game() + " dspr " + ShellQuote(out)).status, 0);
  test::CliResult r = RunCli("collection-replace " + Game() + " dspr 'Body RLE 8' " +
                             ShellQuote(out + "/0000 Body RAW 8.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("replaced bitmap 'Body RLE 8' (32 x 32, "), std::string::npos) << r.out;
  const std::string shown = RunCli("show " + Game() + " .256 dspr").out;
  EXPECT_NE(shown.find("name: Body RLE 8\n      width: 32"), std::string::npos) << shown;
  ExpectRefusal(
      RunCli("collection-replace " + Game() + " dspr Nobody " + In("out/0000 Body RAW 8.png")),
      "no bitmap or shadow named 'Nobody'");
  ExpectRefusal(RunCli("collection-replace " + Game() + " dspr 'Body RAW 8' " + In("nothing.png")),
                "'nothing.png': The file is not of the right format.");

  WritePicture("painted.png", PixelFormat::kRgb, 16, 8);
  r = RunCli("dtex-replace " + Game() + " gras " + In("painted.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "dtex gras 16 x 8\n");
  ASSERT_EQ(RunCli("dtex-export " + Game() + " gras " + In("back.png")).status, 0);
  MediaFile back(dir_.Path() + "/back.png"), painted(dir_.Path() + "/painted.png");
  ASSERT_TRUE(back.ReadPixels() && painted.ReadPixels());
  EXPECT_EQ(back.image.pixels, painted.image.pixels);
  WritePicture("odd.png", PixelFormat::kRgb, 12, 8);
  ExpectRefusal(RunCli("dtex-replace " + Game() + " gras " + In("odd.png")), "powers of two");
}

TEST_F(TerrainCliDemo, ExportReadsTheEffectiveCopy) {
  // 'ston' lies in an archive, 'gras' in the local folder.
  for (const char* id : {"ston", "gras"}) {
    test::CliResult r =
        RunCli("dtex-export " + Game() + " " + id + " " + In(std::string(id) + ".png"));
    ASSERT_EQ(r.status, 0) << r.out;
  }
  MediaFile stone(dir_.Path() + "/ston.png");
  ASSERT_TRUE(stone.ReadHeader());
  EXPECT_EQ(stone.image.width, 64);
  MediaFile grass(dir_.Path() + "/gras.png");
  ASSERT_TRUE(grass.ReadHeader());
  EXPECT_EQ(grass.image.width, 128);
}

TEST_F(TerrainCliDemo, ImportRefusalsCreateNothing) {
  WritePicture("odd.png", PixelFormat::kRgb, 48, 32);
  WritePicture("big.png", PixelFormat::kRgb, 4096, 1);
  WritePicture("grey.png", PixelFormat::kGrey, 16, 16);
  WritePicture("good.png", PixelFormat::kRgb, 16, 16);
  test::WriteFile(dir_.Path() + "/fake.png", "\x89PNG not really");
  const size_t before = LocalTextureCount();

  ExpectRefusal(RunCli("dtex-import " + Game() + " Odd " + In("odd.png")),
                "The texture must have dimensions that are powers of two.");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Big " + In("big.png")), "2048");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Grey " + In("grey.png")), "not an RGB image");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Fake " + In("fake.png")), "fake.png");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Gone " + In("gone.png")), "gone.png");
  ExpectRefusal(RunCli("dtex-import " + Game() + " '' " + In("good.png")),
                "You must specify a name to create a detail texture tag.");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Grass " + In("good.png")),
                "Detail texture could not be created");
  ExpectRefusal(RunCli("dtex-import " + In("no-game") + " Good " + In("good.png")), "no-game");
  ExpectRefusal(RunCli("dtex-import " + Game() + " Good"), "expected GAMEDIR NAME IMAGE");
  EXPECT_EQ(LocalTextureCount(), before);
  // The refused name is still free afterwards.
  EXPECT_EQ(RunCli("dtex-import " + Game() + " Good " + In("good.png")).status, 0);
  EXPECT_EQ(LocalTextureCount(), before + 1);
}

TEST_F(TerrainCliDemo, ExportRefusalsWriteNothing) {
  ExpectRefusal(RunCli("dtex-export " + Game() + " gras " + In("out.gif")), "out.gif");
  ExpectRefusal(RunCli("dtex-export " + Game() + " none " + In("out.png")), "no detail texture");
  ExpectRefusal(RunCli("dtex-export " + Game() + " gras " + In("missing/out.png")),
                "The file could not be written.");
  ExpectRefusal(RunCli("dtex-export " + Game() + " toolongid " + In("out.png")), "bad tagid");
  ExpectRefusal(RunCli("dtex-export " + Game() + " gras"), "expected GAMEDIR TAGID OUTFILE");
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() + "/out.gif"));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() + "/out.png"));
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
    EXPECT_EQ(e.path().filename().string().find(".brae-export"), std::string::npos);
}

TEST_F(TerrainCliDemo, MeshColourMapWritesEveryChunk) {
  const std::string out = dir_.Path() + "/vale.png";
  test::CliResult r = RunCli("mesh-colormap " + Game() + " vale " + ShellQuote(out));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, out + " 768 x 512\n");
  MediaFile file(out);
  ASSERT_TRUE(file.ReadPixels()) << file.Error();
  EXPECT_EQ(file.image.format, PixelFormat::kRgb);
  EXPECT_EQ(file.image.width, 768);
  EXPECT_EQ(file.image.height, 512);
  ExpectRefusal(RunCli("mesh-colormap " + Game() + " nope " + In("x.png")), "no mesh 'nope'");
  ExpectRefusal(RunCli("mesh-colormap " + Game() + " bad1 " + In("x.png")),
                "cannot read the mesh 'bad1'");
  ExpectRefusal(RunCli("mesh-colormap " + Game() + " vale " + In("x.wav")), "does not end in");
}

TEST_F(TerrainCliDemo, MeshDetailsExportThenImportIsPerfect) {
  const std::string vertex = dir_.Path() + "/vertex.png";
  const std::string triangle = dir_.Path() + "/triangle.bmp";
  test::CliResult r =
      RunCli("mesh-details " + Game() + " vale --export-vertex " + ShellQuote(vertex));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, vertex + " 768 x 512\n");
  r = RunCli("mesh-details " + Game() + " vale --export-triangle " + ShellQuote(triangle));
  ASSERT_EQ(r.status, 0) << r.out;
  MediaFile file(vertex);
  ASSERT_TRUE(file.ReadHeader());
  EXPECT_EQ(file.image.format, PixelFormat::kIndexed);

  r = RunCli("mesh-details " + Game() + " vale --import-vertex " + ShellQuote(vertex));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "dmap cmap\n");  // no "Partial Success"
  r = RunCli("mesh-details " + Game() + " vale --import-triangle " + ShellQuote(triangle));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "dmap cmap\n");
  // The same rasters come back out.
  const std::string again = dir_.Path() + "/again.png";
  ASSERT_EQ(RunCli("mesh-details " + Game() + " vale --export-vertex " + ShellQuote(again)).status,
            0);
  MediaFile a(vertex), b(again);
  ASSERT_TRUE(a.ReadPixels() && b.ReadPixels());
  EXPECT_EQ(a.image.pixels, b.image.pixels);
}

TEST_F(TerrainCliDemo, MeshDetailsImportMakesANewMapUnderTheColourMapsName) {
  const std::string maps = dir_.Path() + "/local/detail maps/";
  ASSERT_TRUE(std::filesystem::remove(maps + "Demo Valley Colors"));
  WritePicture("vertex.png", PixelFormat::kIndexed, 768, 512);
  test::CliResult r =
      RunCli("mesh-details " + Game() + " vale --import-vertex " + In("vertex.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("dmap cmap\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(maps + "Demo Valley Colors"));
  EXPECT_FALSE(std::filesystem::exists(maps + "~codex_placeholder~"));
  test::CliResult show = RunCli("show " + Game() + " dmap cmap");
  EXPECT_NE(show.out.find("Demo Valley Colors"), std::string::npos) << show.out;
}

TEST_F(TerrainCliDemo, MeshDetailsRefusals) {
  WritePicture("small.png", PixelFormat::kIndexed, 16, 16);
  ExpectRefusal(RunCli("mesh-details " + Game() + " vale --import-vertex " + In("small.png")),
                "Image dimensions (16,16) do not match mesh dimensions (768,512)");
  ExpectRefusal(RunCli("mesh-details " + Game() + " vale --import-triangle " + In("small.png")),
                "Image dimensions (16,16) do not match expected dimensions (768,512)");
  WritePicture("rgb.png", PixelFormat::kRgb, 768, 512);
  ExpectRefusal(RunCli("mesh-details " + Game() + " vale --import-vertex " + In("rgb.png")),
                "Image must be 8-bit paletted or greyscale.");
  WritePicture("noisy.png", PixelFormat::kGrey, 768, 512);
  test::CliResult r = RunCli("mesh-details " + Game() + " vale --import-vertex " + In("noisy.png"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Partial Success: The map wasn't 100% perfect"), std::string::npos);
  ExpectRefusal(RunCli("mesh-details " + Game() + " vale " + In("x.png")), "expected GAMEDIR");
}

}  // namespace
}  // namespace brae
