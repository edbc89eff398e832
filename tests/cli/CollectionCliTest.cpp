// brae-cli over the demo game's collections and structure-defined tags.
#include <gtest/gtest.h>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::ShellQuote;

class CollectionCli : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(demo::MakeDemoGame().Write(dir_.Path())); }
  std::string Game() const { return ShellQuote(dir_.Path()); }
  bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  test::TempDir dir_;
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

}  // namespace
}  // namespace brae
