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

}  // namespace
}  // namespace brae
