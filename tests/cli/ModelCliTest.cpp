// brae-cli's model import and export over the demo game folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "DemoGameCli.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae {
namespace {

using test::RunCli;
using test::RunCliSeparately;
using test::ShellQuote;

class ModelCliDemo : public test::DemoGameCli {
 protected:
  std::string Crate() const { return ShellQuote(dir_.Path() + "/models/crate.lwo"); }
  bool Local(const std::string& group_folder, const std::string& name) const {
    return std::filesystem::exists(dir_.Path() + "/local/" + group_folder + "/" + name);
  }
  // The geometry id that a successful import printed.
  static std::string GeometryId(const std::string& out) {
    const size_t at = out.find("geometry '");
    return at == std::string::npos ? std::string() : out.substr(at + 10, 4);
  }
  test::TempDir out_;
};

TEST_F(ModelCliDemo, ImportPrintsTheLogLinesAndWritesFourTags) {
  const test::CliResult r = RunCliSeparately("import-model " + Game() + " " + Crate() + " --name " +
                                             ShellQuote("Demo Crate"));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.rfind("Beginning import of 'Demo Crate' ...\nImport Successful.\n\n", 0), 0u)
      << r.out;
  EXPECT_EQ(GeometryId(r.out).size(), 4u) << r.out;
  for (const char* folder : {"collections", "collection references", "geometries", "models"})
    EXPECT_TRUE(Local(folder, "Demo Crate")) << folder;
}

TEST_F(ModelCliDemo, ImportFailureExitsWithOne) {
  test::WriteFile(out_.Path() + "/bad.lwo", "FORM nonsense");
  const test::CliResult r = RunCliSeparately("import-model " + Game() + " " +
                                             ShellQuote(out_.Path() + "/bad.lwo") + " --name Bad");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("Beginning import of 'Bad' ...\ncannot read '", 0), 0u) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - 16), "Import Failed.\n\n") << r.out;
  EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
  EXPECT_EQ(RunCli("import-model " + Game() + " " + Crate()).status, 2);  // no name
}

TEST_F(ModelCliDemo, ExportWritesTheObjectAndItsTextures) {
  const test::CliResult imported =
      RunCli("import-model " + Game() + " " + Crate() + " --name Crate");
  ASSERT_EQ(imported.status, 0) << imported.out;
  const std::string id = GeometryId(imported.out);
  const test::CliResult r =
      RunCli("export-model " + Game() + " " + ShellQuote(id) + " " + ShellQuote(out_.Path()));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("8 triangles, 2 materials"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(out_.Path() + "/Crate.lwo"));
  EXPECT_TRUE(std::filesystem::exists(out_.Path() + "/crate.png"));
  // The exported object imports again.
  const test::CliResult again = RunCli("import-model " + Game() + " " +
                                       ShellQuote(out_.Path() + "/Crate.lwo") + " --name Again");
  EXPECT_EQ(again.status, 0) << again.out;

  EXPECT_EQ(RunCli("export-model " + Game() + " none " + ShellQuote(out_.Path())).status, 2);
  EXPECT_EQ(RunCli("export-model " + Game() + " " + ShellQuote(id) + " /nonexistent/x").status, 2);
}

}  // namespace
}  // namespace brae
