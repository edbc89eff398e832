// brae-cli over the demo game's collections and structure-defined tags.
#include <gtest/gtest.h>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "media/PngFormat.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::ShellQuote;

class CollectionCli : public test::DemoGameCli {
 protected:
  bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(CollectionCli, ShowDescribesBitmapsAndSequences) {
  test::CliResult shown = RunCli("show " + Game() + " .256 dspr");
  ASSERT_EQ(shown.status, 0) << shown.out;
  EXPECT_TRUE(Has(shown.out, "name: Body RLE 16"));
  EXPECT_TRUE(Has(shown.out, "format: RLE"));
  EXPECT_TRUE(Has(shown.out, "name: Body Shadow"));
  EXPECT_TRUE(Has(shown.out, "stored_views: 5"));
  test::CliResult json = RunCli("show " + Game() + " .256 glow --json");
  ASSERT_EQ(json.status, 0) << json.out;
  EXPECT_TRUE(Has(json.out, "\"bits\":\"32\""));
  EXPECT_TRUE(Has(json.out, "\"name\":\"Flare\""));
}

TEST_F(CollectionCli, ShowNamesTheMembersOfStructureDefinedTags) {
  test::CliResult shown = RunCli("show " + Game() + " arti ambr");
  ASSERT_EQ(shown.status, 0) << shown.out;
  EXPECT_TRUE(Has(shown.out, "structure: arti"));
  EXPECT_TRUE(Has(shown.out, "facing: 90"));
  EXPECT_TRUE(Has(shown.out, "kind: Heal"));
  EXPECT_TRUE(Has(shown.out, "max_level: 8"));
  test::CliResult local = RunCli("show " + Game() + " wind gale --json");
  ASSERT_EQ(local.status, 0) << local.out;
  EXPECT_TRUE(Has(local.out, "\"direction\":\"South\""));
}

TEST_F(CollectionCli, ExportWritesOnePngPerBitmap) {
  test::TempDir out;
  test::CliResult exported =
      RunCli("collection-export " + Game() + " dspr " + ShellQuote(out.Path() + "/png"));
  ASSERT_EQ(exported.status, 0) << exported.out;
  const std::string first = test::ReadFile(out.Path() + "/png/0000 Body RAW 8.png");
  ASSERT_GT(first.size(), 8u);
  EXPECT_EQ(first.substr(1, 3), "PNG");
  EXPECT_FALSE(test::ReadFile(out.Path() + "/png/0006 Unused Odd.png").empty());
  EXPECT_EQ(RunCli("collection-export " + Game() + " nope " + ShellQuote(out.Path())).status, 2);
  EXPECT_EQ(RunCli("collection-export " + Game() + " dspr").status, 2);
}

// ---- The commands that change collections

class CollectionEditCli : public CollectionCli {
 protected:
  // Where a tag's effective copy is ("local folder" once written).
  std::string Location(const std::string& tagid) {
    const std::string shown = RunCli("show " + Game() + " .256 " + tagid).out;
    const size_t at = shown.find("location: ");
    return at == std::string::npos ? "" : shown.substr(at + 10, shown.find('\n', at) - at - 10);
  }
  // A PNG with a palette of 256 new colours.
  std::string ForeignPng(const std::string& name) {
    Image image;
    image.format = PixelFormat::kIndexed;
    image.width = image.height = 2;
    image.palette.count = 256;
    for (int i = 0; i < 256; ++i)
      image.palette.entries[i] = Rgb{uint8_t(i), uint8_t(3), uint8_t(255 - i / 2)};
    image.pixels = {0, 9, 200, 255};
    const std::string path = files_.Path() + "/" + name;
    EXPECT_TRUE(WritePng(path, image));
    return path;
  }
  test::TempDir files_;
};

TEST_F(CollectionEditCli, ImportAddsBitmapsAndWritesTheLocalCopy) {
  ASSERT_EQ(Location("glow"), "collections");
  const std::string out = files_.Path() + "/out";
  ASSERT_EQ(RunCli("collection-export " + Game() + " dspr " + ShellQuote(out)).status, 0);
  test::CliResult r =
      RunCli("collection-import " + Game() + " glow " + ShellQuote(out + "/0001 Body RLE 8.png") +
             " " + ShellQuote(out + "/0004 Ground Tile.png"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "added bitmap '0001 Body RLE 8' (27 x 41, RLE 8 bit)")) << r.out;
  EXPECT_TRUE(Has(r.out, "into the local folder"));
  EXPECT_EQ(Location("glow"), "local folder");
  EXPECT_TRUE(Has(RunCli("show " + Game() + " .256 glow").out, "name: 0004 Ground Tile"));
  // The shadow's file is greyscale: it imports as a shadow too.
  r = RunCli("collection-import " + Game() + " glow " + ShellQuote(out + "/0005 Body Shadow.png") +
             " --shadows");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "added shadow '0005 Body Shadow'"));
}

TEST_F(CollectionEditCli, ImportRefusalsWriteNothing) {
  const std::string foreign = ForeignPng("foreign.png");
  test::CliResult r = RunCli("collection-import " + Game() + " glow " + ShellQuote(foreign));
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_TRUE(Has(r.out,
                  "'foreign.png': The image is not compatible with the existing color table.\n"
                  "Would you like to replace the color table in the tag with the one in the file?"))
      << r.out;
  EXPECT_EQ(Location("glow"), "collections");
  const std::string junk = files_.Path() + "/junk.png";
  test::WriteFile(junk, std::string("junk"));
  r = RunCli("collection-import " + Game() + " glow " + ShellQuote(foreign) + " " +
             ShellQuote(junk) + " --replace-palette");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "'junk.png': The file is not of the right format.")) << r.out;
  r = RunCli("collection-import " + Game() + " glow " + ShellQuote(foreign) + " --shadows");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "'foreign.png': The image is not 8-bit greyscale."));
  r = RunCli("collection-import " + Game() + " cmap " + ShellQuote(foreign));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "The collection is a color map"));
  EXPECT_EQ(RunCli("collection-import " + Game() + " glow").status, 2);
  EXPECT_EQ(Location("glow"), "collections");
  // With --replace-palette the file's colour table is taken.
  r = RunCli("collection-import " + Game() + " glow " + ShellQuote(foreign) + " --replace-palette");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "Replace"));
  EXPECT_EQ(Location("glow"), "local folder");
}

TEST_F(CollectionEditCli, ImportOfAnImageNotPalettedIsRefusedWithoutConvert) {
  Image rgb;
  rgb.format = PixelFormat::kRgb;
  rgb.width = rgb.height = 2;
  rgb.pixels = {250, 0, 0, 0, 250, 0, 0, 0, 250, 250, 250, 0};
  const std::string photo = files_.Path() + "/photo.png";
  ASSERT_TRUE(WritePng(photo, rgb));
  test::CliResult r =
      test::RunCliSeparately("collection-import " + Game() + " glow " + ShellQuote(photo) + " " +
                             ShellQuote(ForeignPng("foreign.png")));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "brae-cli: 'photo.png': The image is not 8-bit paletted.\n");
  EXPECT_EQ(Location("glow"), "collections");
  // Converted, its computed colours then take the colour table (glow's has no room for them).
  r = RunCli("collection-import " + Game() + " glow " + ShellQuote(photo) +
             " --convert --replace-palette");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "'photo.png': The image is not 8-bit paletted.\nConvert\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "added bitmap 'photo' (2 x 2, RAW 8 bit)")) << r.out;
  EXPECT_EQ(Location("glow"), "local folder");
}

TEST_F(CollectionEditCli, ExportByNameAndAlpha) {
  const std::string out = files_.Path() + "/named";
  test::CliResult r =
      RunCli("collection-export " + Game() + " dspr " + ShellQuote(out) + " --by-name --alpha");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(test::ReadFile(out + "/Body RLE 16 alpha.png").empty());
  EXPECT_TRUE(test::ReadFile(out + "/Body Shadow alpha.png").empty());  // shadows have none
  r = RunCli("collection-export " + Game() + " dspr " + ShellQuote(out) + " --by-name");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(test::ReadFile(out + "/Body Shadow.png").empty());
}

TEST_F(CollectionEditCli, PlatesGoOutAndComeBack) {
  const std::string plate = files_.Path() + "/sprites plate.png";
  EXPECT_EQ(
      RunCli("collection-plate-export " + Game() + " dspr " + ShellQuote(plate) + " --columns 0")
          .status,
      2);
  EXPECT_EQ(
      RunCli("collection-plate-export " + Game() + " dspr " + ShellQuote(files_.Path()) + "/p.txt")
          .status,
      2);
  test::CliResult r =
      RunCli("collection-plate-export " + Game() + " dspr " + ShellQuote(plate) + " --columns 3");
  ASSERT_EQ(r.status, 0) << r.out;
  r = RunCli("collection-plate-import " + Game() + " dspr " + ShellQuote(plate));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "added bitmap 'sprites plate #0000' (32 x 32, RAW)")) << r.out;
  EXPECT_TRUE(Has(r.out, "added bitmap 'sprites plate #0005' (5 x 3, RLE)")) << r.out;
  EXPECT_FALSE(Has(r.out, "#0006"));
  // Alpha plates hold no colours: refused as a colour plate, nothing written.
  const std::string alpha = files_.Path() + "/alpha.png";
  ASSERT_EQ(RunCli("collection-plate-export " + Game() + " glow " + ShellQuote(alpha) + " --alpha")
                .status,
            2);  // glow holds a high-colour bitmap
  r = RunCli("collection-plate-import " + Game() + " glow " +
             ShellQuote(files_.Path() + "/none.png"));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Location("glow"), "collections");
}

TEST_F(CollectionEditCli, CropAndUncrop) {
  test::CliResult r = RunCli("collection-crop " + Game() + " dspr --all");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "3 bitmaps were cropped (500 pixels removed).")) << r.out;
  r = RunCli("collection-crop " + Game() + " dspr --all");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "0 bitmaps were cropped (0 pixels removed).")) << r.out;
  EXPECT_EQ(RunCli("collection-crop " + Game() + " dspr").status, 2);
  EXPECT_EQ(RunCli("collection-crop " + Game() + " dspr --all 'Unused Odd'").status, 2);
  r = RunCli("collection-crop " + Game() + " dspr 'No Such'");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "no bitmap named 'No Such'"));
  for (const char* size : {"0", "5000", "ten"}) {
    r = RunCli("collection-uncrop " + Game() + " glow " + size);
    EXPECT_EQ(r.status, 2) << size;
    EXPECT_TRUE(Has(r.out, "Invalid size for uncropping.")) << r.out;
  }
  EXPECT_EQ(Location("glow"), "collections");
  r = RunCli("collection-uncrop " + Game() + " dspr 64 'Unused Odd'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "uncropped 'Unused Odd' to 64 x 64"));
  EXPECT_TRUE(Has(RunCli("show " + Game() + " .256 dspr").out, "name: Unused Odd\n      width: 64"))
      << RunCli("show " + Game() + " .256 dspr").out;
}

TEST_F(CollectionEditCli, OptimizeRunsTheTabsOperationsInTheirOrder) {
  // The runtime size alone reports and writes nothing.
  test::CliResult r = RunCli("collection-optimize " + Game() + " dspr --runtime-size");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "Approximate texture cache consumption, by format:\n16 bit po2 => "))
      << r.out;
  EXPECT_FALSE(Has(r.out, "wrote"));
  EXPECT_EQ(RunCli("collection-optimize " + Game() + " dspr").status, 2);
  EXPECT_EQ(RunCli("collection-optimize " + Game() + " dspr --shrink").status, 2);
  EXPECT_EQ(RunCli("collection-optimize " + Game() + " cmap --merge-identical").status, 2);
  // Given in another order, the operations still run in the tab's order.
  r = RunCli("collection-optimize " + Game() +
             " dspr --auto-rename --crop-all --merge-identical "
             "--delete-unused");
  ASSERT_EQ(r.status, 0) << r.out;
  const size_t unused = r.out.find("1 unused bitmap was removed.");
  const size_t merged = r.out.find("0 bitmaps were deleted after merging.");
  const size_t cropped = r.out.find("2 bitmaps were cropped (");
  const size_t renamed = r.out.find("5 Bitmaps Renamed.");
  ASSERT_NE(unused, std::string::npos) << r.out;
  ASSERT_NE(merged, std::string::npos) << r.out;
  ASSERT_NE(cropped, std::string::npos) << r.out;
  ASSERT_NE(renamed, std::string::npos) << r.out;
  EXPECT_LT(unused, merged);
  EXPECT_LT(merged, cropped);
  EXPECT_LT(cropped, renamed);
  EXPECT_TRUE(Has(r.out, "wrote 'Demo Sprites' (dspr) into the local folder")) << r.out;
  const std::string shown = RunCli("show " + Game() + " .256 dspr").out;
  EXPECT_FALSE(Has(shown, "Unused Odd"));
  EXPECT_TRUE(Has(shown, "name: Walk 00~00"));
  EXPECT_TRUE(Has(shown, "name: Ground\n"));
  // Nothing left to do: nothing written.
  r = RunCli("collection-optimize " + Game() + " dspr --delete-unused");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "0 unused bitmaps were removed.")) << r.out;
  EXPECT_FALSE(Has(r.out, "wrote"));
}

TEST_F(CollectionEditCli, PaletteGoesOutAndComesBackAsAColorTable) {
  const std::string act = files_.Path() + "/dspr.act";
  test::CliResult r = RunCli("collection-palette " + Game() + " dspr --export " + ShellQuote(act));
  ASSERT_EQ(r.status, 0) << r.out;
  std::string table = test::ReadFile(act);
  ASSERT_EQ(table.size(), 768u);
  // The same table back changes nothing.
  r = RunCli("collection-palette " + Game() + " dspr --import " + ShellQuote(act));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(Has(r.out, "wrote")) << r.out;
  // A changed entry is taken and written.
  table[3 * 9] = char(0x12), table[3 * 9 + 1] = char(0x34), table[3 * 9 + 2] = char(0x56);
  test::WriteFile(act, table);
  r = RunCli("collection-palette " + Game() + " dspr --import " + ShellQuote(act));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "wrote 'Demo Sprites' (dspr) into the local folder")) << r.out;
  const std::string again = files_.Path() + "/again.act";
  ASSERT_EQ(RunCli("collection-palette " + Game() + " dspr --export " + ShellQuote(again)).status,
            0);
  EXPECT_EQ(test::ReadFile(again), table);
  // Refusals.
  test::WriteFile(act, std::string(20, 'x'));
  r = RunCli("collection-palette " + Game() + " glow --import " + ShellQuote(act));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "The color table could not be opened.")) << r.out;
  EXPECT_EQ(Location("glow"), "collections");
  EXPECT_EQ(RunCli("collection-palette " + Game() + " glow").status, 2);
  EXPECT_EQ(RunCli("collection-palette " + Game() + " glow --import " + ShellQuote(act) +
                   " --export " + ShellQuote(again))
                .status,
            2);
  r = RunCli("collection-palette " + Game() + " glow --export " +
             ShellQuote(files_.Path() + "/no/such/folder/x.act"));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.out, "The color table could not be saved.")) << r.out;
}

}  // namespace
}  // namespace brae
